#pragma once
// Keystroke sending: sends a key sequence such as "{Home}+{End}" to a widget
// as if typed ("+" holds Shift for the next key).

#include <QString>

class QWidget;

namespace platform {

void sendKeys(QWidget* target, const QString& keys);

} // namespace platform
