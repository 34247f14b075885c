#pragma once
// The main window: a multiple-document window holding the document windows,
// the menus, the two toolbars, the status bar, the serial port and the four
// timers. Menu entries are actions named as the menus always were
// (mnuFileOpen, mnuFileMRU(1), ...).

#include <QList>
#include <QMainWindow>
#include <QString>
#include <memory>

class frmDocument;
class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QStatusBar;
class QTimer;
class QToolBar;

namespace platform {
class CommPort;
}
namespace device {
class DeviceOps;
}

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The load step: settings, serial port, recent files, password dialog,
    // rights. Runs before the window is shown.
    void MDIForm_Load();

    // ---- Documents ----
    // The active document window, or nullptr.
    frmDocument* ActiveForm() const;
    QList<frmDocument*> documents() const;
    QMdiArea* mdiArea() const { return mdi_; }
    // Makes, numbers and shows a new empty document window and returns it.
    frmDocument* NewDocumentWindow();
    long lDocumentCount = 0;

    // ---- File menu ----
    void mnuFilenew_Click();
    void mnuFileOpen_Click();
    void mnuFileSave_Click();
    void mnuFileSaveAs_Click();
    void mnuFileClose_Click();
    void mnuFileCloseAll_Click();
    void mnuFileMRU_Click(int index);
    void mnuFilePrint_Click();
    void mnuFileExit_Click();
    void mnuFilenewlist_Click();
    void mnuFileOpenlist_Click();
    void mnuFileImport_Click();
    void mnuFileExport_Click();
    // Saves one document as "Save File" would; false when nothing was
    // written (refused, cancelled or failed).
    bool saveDocument(frmDocument* doc);
    // Reads an image file into a new document window; the window, or nullptr
    // when the file could not be read (then no window is left behind).
    frmDocument* openImage(const QString& path, QString* error = nullptr);
    // Recent files.
    void File_List_Ctl(const QString& fn);
    void File_List_Save();

    // ---- Setup, Tool and Pinout menus ----
    void mnuConnection_Click();
    void mnuViewpassword_Click();
    void mnuViewOptions_Click();
    void mnu_io_setup_Click();
    void mnu_spd_setup_Click();
    void MNU_ICMAP_Click();
    void MNU_MDMAP_Click();
    // "XMP Wizards": the XMP wizard on the active DDR3/DDR4 document and the
    // copy-back of its XMP block.
    void mnu_xmp_wiz_Click();

    // ---- View and Window menus ----
    void mnuViewToolbar_Click();
    void mnuViewStatusBar_Click();
    void mnuKeyin_Click();
    void mnuWindowCascade_Click();
    void mnuWindowTileHorizontal_Click();
    void mnuWindowTileVertical_Click();
    void mnuWindowIconAll_Click();
    void mnuWindowArrangeIcons_Click();

    // ---- Help ----
    void mnuHelpAbout_Click();
    void mnuHelpContents_Click();
    void mnuHelpSearchForHelpOn_Click();
    void mnuViewWebBrowser_Click();
    void SendMail(const QString& Address, const QString& Subject, const QString& Body, const QString& CC, const QString& BCC, const QString& ATTACH);

    // ---- Device procedures (the programmer link) ----
    void STATUSIC();
    void TEST_STATUS();
    void Snumsetup();
    void SETUPIC();
    void ProgramIC();
    void ReadModule();
    void ReadIC();
    void EraseIC();
    void BlankIC();
    void dis_prog();
    void Read_Command();
    void VERSION_Command();
    void auto_test();
    void LEARN_Command();
    void Copy_Command();
    void Verify_Command();
    void VerifyIc();
    // The option commands: one letter each to the programmer.
    void Auto_Command();
    void DISAuto_Command();
    void en_averify_Command();
    void dis_averify_Command();
    void auto_hex_Command();
    void auto_dec_Command();
    void EN_KEY_Command();
    void EN_KEY1_Command();
    void DIS_KEY_Command();
    void EEPROM_256_Command();
    void EEPROM_512_Command();
    void EEPROM_DEFAULT_Command();
    void SNUM_P_Command();
    void SNUM_N_Command();
    void program_Command();
    device::DeviceOps& deviceOps() const { return *ops_; }

    // ---- Controls ----
    platform::CommPort* MSComm1() const { return comm_; }
    QTimer* Timer1() const { return timer1_; }
    QTimer* Timer2() const { return timer2_; }
    QTimer* Timer3() const { return timer3_; }
    QTimer* Timer4() const { return timer4_; }
    QToolBar* tbToolbar() const { return tbToolbar_; }
    QToolBar* Toolbar1() const { return toolbar1_; }
    QStatusBar* sbStatusBar() const { return statusBar_; }
    // A menu entry by its name ("mnuFileOpen", "mnuFileMRU(2)", ...).
    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;

    // A document window is closing for good: switches the menus and toolbars
    // when it was the last one.
    void documentClosing(frmDocument* doc);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void buildMenus();
    void buildToolbars();
    void runToolbarKey(const QString& key);
    void noDocumentState();
    void portFallback();
    void applyRights();
    void refreshWindowMenu();
    QAction* addAction(QMenu* m, const char* name, const QString& caption, const QString& shortcut = QString());
    bool writeImage(frmDocument* doc, const QString& path);
    QString chooseFile(bool save, const QString& title);

    QMdiArea* mdi_ = nullptr;
    platform::CommPort* comm_ = nullptr;
    device::DeviceOps* ops_ = nullptr;
    QTimer* timer1_ = nullptr;
    QTimer* timer2_ = nullptr;
    QTimer* timer3_ = nullptr;
    QTimer* timer4_ = nullptr;
    QToolBar* tbToolbar_ = nullptr;
    QToolBar* toolbar1_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QList<QAction*> windowListActions_;
};
