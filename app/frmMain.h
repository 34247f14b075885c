#pragma once
// The main window: a multiple-document window holding the document windows,
// the menus, the two toolbars, the status bar, the serial port and the four
// timers.

#include <QMainWindow>

class frmDocument;
class QMdiArea;
class QTimer;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The active document window, or nullptr.
    frmDocument* ActiveForm() const;
    QMdiArea* mdiArea() const { return mdi_; }

    // The status timer (one-shot parse of the status frame).
    QTimer* Timer2() const { return timer2_; }

    // Sends the status request and waits for it.
    void STATUSIC();

    // "Save File" on the active document.
    void mnuFileSave_Click();
    // Saves one document as "Save File" would.
    void saveDocument(frmDocument* doc);

    // A document window is closing for good.
    void documentClosing(frmDocument* doc);

private:
    QMdiArea* mdi_ = nullptr;
    QTimer* timer1_ = nullptr;
    QTimer* timer2_ = nullptr;
    QTimer* timer3_ = nullptr;
    QTimer* timer4_ = nullptr;
};
