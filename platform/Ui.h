#pragma once
// The one seam through which every modal box, input box, file dialog, print
// dialog and modal window of the program goes. The program installs the real
// implementation (Qt dialogs); tests install one that answers from a script
// and records what was shown.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QWidget;
class QDialog;
class QMessageBox;
class QPrinter;

namespace ui {

enum class Icon { None, Critical, Warning, Information, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

// The title used when a box is shown without one: the program title.
QString programTitle();

struct Message {
    QString text;
    QString title;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
};

struct InputRequest {
    QString prompt;
    QString title;
    QString defaultText;
};

struct FileRequest {
    bool save = false;
    QString title;
    QString filter;        // "Desc|*.x|Desc|*.y" as the program writes it
    int filterIndex = 1;   // 1-based, the filter selected first
    QString folder;        // where the dialog starts; empty: the working folder
};

class Seam {
public:
    virtual ~Seam() = default;
    virtual Answer message(QWidget* parent, const Message& m) = 0;
    // The text typed; the empty text on Cancel.
    virtual QString input(QWidget* parent, const InputRequest& r) = 0;
    // The path chosen; the empty text on Cancel.
    virtual QString file(QWidget* parent, const FileRequest& r) = 0;
    // Runs a modal window to its end and returns its result code.
    virtual int exec(QDialog* dialog) = 0;
    // Asks for a printer; false on Cancel.
    virtual bool choosePrinter(QWidget* parent, QPrinter* printer) = 0;
};

Seam& seam();
// Installs another seam (tests); nullptr puts the real one back.
void setSeam(Seam* s);

// Helpers in the program's message style. A null title (the default) shows
// the program title; a title given as the empty text QStringLiteral("")
// shows an empty title bar.
Answer msgBox(const QString& text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
              const QString& title = QString(), QWidget* parent = nullptr);
QString inputBox(const QString& prompt, const QString& title, QWidget* parent = nullptr);

// Converts "Desc|*.x|Desc2|*.y" into Qt's "Desc (*.x);;Desc2 (*.y)" list and
// returns the entries; exposed for tests.
QStringList qtFilters(const QString& filter);

// The width a window needs for the window manager's title bar to show its
// whole title: the title in the title bar's font, bold as most title bars
// draw it, beside the window's icon and three title bar buttons.
int titleBarWidth(const QString& title);

// The message box the real seam shows for m, not yet shown; exposed for
// tests.
std::unique_ptr<QMessageBox> messageBox(QWidget* parent, const Message& m);

// The real seam: Qt message boxes, QInputDialog, QFileDialog, QPrintDialog.
class QtSeam : public Seam {
public:
    Answer message(QWidget* parent, const Message& m) override;
    QString input(QWidget* parent, const InputRequest& r) override;
    QString file(QWidget* parent, const FileRequest& r) override;
    int exec(QDialog* dialog) override;
    bool choosePrinter(QWidget* parent, QPrinter* printer) override;
};

} // namespace ui
