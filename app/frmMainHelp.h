#pragma once
// The maker's web address and support mailbox, and the links the Help menu
// and the error mail open through the desktop.

#include <QString>

class QWidget;

namespace help {

// The maker's web site (also the caption of the web-link menu entry) and
// the support mailbox the error mail goes to.
inline constexpr const char* kWebAddress = "https://www.velmora.example";
inline constexpr const char* kSupportAddress = "support@velmora.example";
inline constexpr const char* kErrorMailSubject = "SPD Error Mail";

// The "mailto:" link SendMail opens: the parts that are not empty follow the
// address as "?Subject=..&Body=..&CC=..&BCC=..&Attach=\"..\"", as given,
// nothing escaped.
QString mailLink(const QString& Address, const QString& Subject, const QString& Body, const QString& CC,
                 const QString& BCC, const QString& ATTACH);

// Hands a link to the desktop's handler for it; when the desktop has none,
// says so in a message box and returns false.
bool openLink(const QString& link, QWidget* owner);

} // namespace help
