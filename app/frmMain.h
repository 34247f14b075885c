#pragma once
// The main window: a multiple-document window holding the document windows,
// the menus, the two toolbars, the status bar, the serial port and the four
// timers. Menu entries are actions named as the menus always were
// (mnuFileOpen, mnuFileMRU(1), ...).

#include "device/DeviceHost.h"
#include "document/DocumentHost.h"
#include "platform/SettingsStore.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

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
namespace wizard {
struct BuiltImage;
}

class frmMain : public QMainWindow, public DocumentHost, public device::DeviceHost {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The load step: settings, serial port, recent files, password dialog,
    // rights. Runs before the window is shown.
    void MDIForm_Load();

    // The size the window opens at on a screen whose free area is
    // `available`: room for a document window showing its whole content and
    // a second one cascaded below it, as far as the area allows with the
    // window manager's frame.
    QSize openingSize(const QRect& available) const;

    // ---- Documents ----
    // The active document window, or nullptr.
    frmDocument* ActiveForm() const override;
    QList<frmDocument*> documents() const;
    QMdiArea* mdiArea() const { return mdi_; }
    // Makes, numbers and shows a new empty document window and returns it;
    // `file` is the file it is made for, if any.
    frmDocument* NewDocumentWindow(const QString& file = QString());
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
    bool saveDocument(frmDocument* doc) override;
    // Reads an image file into a new document window; the window, or nullptr
    // when the file could not be read (then no window is left behind).
    frmDocument* openImage(const QString& path, QString* error = nullptr);
    // Recent files.
    void File_List_Ctl(const QString& fn);
    void File_List_Save();

    // ---- SPD wizard ----
    // "SPD Wizards" and the toolbars' "WIZARD": runs the wizard and, after
    // "Finish", builds its answers into a new document marked modified.
    void mnuFileWarez_Click();
    // Builds the answers and texts into doc, the window made for them: the
    // green marks, the byte names, the image with its decode, the checksum or
    // CRC choice and the type switch (which computes the CRC bytes).
    void warez_set(frmDocument& doc, const std::array<std::int16_t, 16>& answers, const std::array<QString, 3>& texts);

    // ---- Setup, Tool and Pinout menus ----
    void mnuConnection_Click();
    void mnuViewpassword_Click();
    void mnuViewOptions_Click();
    void mnu_io_setup_Click();
    void mnu_spd_setup_Click();
    void MNU_ICMAP_Click();
    void MNU_MDMAP_Click();
    // "Manufacturer Information": the manufacturer dialog on the active
    // document's image, and the confirmed block written back into it.
    void mnu_mft_setup_Click();
    // "XMP View": the XMP view of the active DDR3 or DDR4 document.
    void mnu_xmp_view_Click();
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
    // The status request with no parse: its frame is read and dropped. No
    // menu or button calls it.
    void TEST_STATUS();
    void Snumsetup();
    void SETUPIC();
    void ProgramIC();
    void ReadModule();
    void ReadIC();
    void EraseIC();
    void BlankIC();
    // Does nothing; no menu or button calls it.
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
    platform::CommPort* MSComm1() const override { return comm_; }
    QTimer* Timer1() const override { return timer1_; }
    QTimer* Timer2() const override { return timer2_; }
    QTimer* Timer3() const override { return timer3_; }
    // The fourth timer of the main window: it ticks every second from the
    // window's creation and runs nothing.
    QTimer* Timer4() const { return timer4_; }
    QToolBar* tbToolbar() const { return tbToolbar_; }
    QToolBar* Toolbar1() const { return toolbar1_; }
    QStatusBar* sbStatusBar() const { return statusBar_; }
    // A menu entry by its name ("mnuFileOpen", "mnuFileMRU(2)", ...).
    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;

    // A document window is closing for good: switches the menus and toolbars
    // when it was the last one.
    void documentClosing(frmDocument* doc) override;
    // A new window's status request.
    void requestStatus(frmDocument& doc) override;
    // Whether the device operations may still work on doc: not while an
    // exit is under way or doc's close is undecided, never once it is closed.
    Workable workable(const frmDocument* doc) const override;

    // No toolbar or dock menu on a right click: the toolbars follow the
    // rights and the open documents, not the user's choice.
    QMenu* createPopupMenu() override { return nullptr; }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    // Carries out an exit that waited for work on a window, a window's close
    // or a conversation with the programmer to end.
    void retryPendingExit();
    // The exit under way is given up (the user kept a document): the closes
    // it made pending are taken back.
    void giveUpExit();
    // Work runs on one of the document windows, or a window's close is
    // undecided.
    bool anyDocumentBusy() const;
    // The document windows in the order Exit closes them, as they stand now.
    QList<QPointer<frmDocument>> closingOrder() const;
    // Closes every document window (Close All, Exit): for an exit, those of
    // its order first, in that order, then the others. A window that work
    // holds closes once the work has ended: its close is pending. A window
    // the user keeps (Cancel, or a save that did not happen), here or at any
    // question asked meanwhile, ends the call: the closes it made pending
    // are taken back (an exit's by giveUpExit).
    void closeDocuments(bool exiting);
    // The active document when it is a DDR3 or DDR4 image (by its own byte
    // 2); otherwise the XMP commands' refusal is shown and nullptr returned.
    frmDocument* xmpDocument();
    // Writes bytes first..last of the shared SPD buffer back into doc, each
    // through Value_Chang, and gives their cells the background colour.
    void copyBack(frmDocument& doc, int first, int last, std::uint32_t colour);
    void buildMenus();
    // Document windows in the main window's area. A document window's frame
    // as the style draws it (title bar and borders), before it is shown.
    QSize frameEstimate() const;
    // How far each window of a cascade stands below and right of the one
    // before: a title bar and a little more.
    int cascadeStep() const;
    // The room for document windows.
    QSize documentArea() const;
    // A document window's size: its whole content in its frame, as far as
    // the area holds it.
    QSize documentWindowSize(const frmDocument& doc, const QSize& frame) const;
    // Puts a document window of the given size at cascade place `place`
    // (`place` steps below and right of the top left corner), or at the top
    // left when it would not lie wholly inside the area there; returns the
    // place it took.
    int placeDocumentWindow(QMdiSubWindow* sub, int place, const QSize& size);
    // A window of that size lies wholly inside the area at cascade place
    // `place`.
    bool fits(int place, const QSize& size, const QMdiSubWindow* sub) const;
    // Another document window stands at cascade place `place` (or has it
    // reserved while its load waits).
    bool placeTaken(const QMdiSubWindow* self, int place) const;
    // The first cascade place from `from` on (then from the top left) where
    // a window of that size fits and no other stands.
    int freePlace(const QMdiSubWindow* self, int from, const QSize& size) const;
    void buildToolbars();
    void runToolbarKey(const QString& key);
    void noDocumentState();
    void portFallback();
    void applyRights();
    void refreshWindowMenu();
    QAction* addAction(QMenu* m, const char* name, const QString& caption, const QString& shortcut = QString());
    bool writeImage(frmDocument* doc, const QString& path);
    // Stores values of the settings that the user did not ask to store; a
    // failure is said on standard error, once a run, and the values hold for
    // this run.
    void storeUnasked(const std::vector<settings::Value>& values);
    // Writes a built image into doc byte by byte, has the document compute
    // byte 63 or selects its CRC option, and decodes every written byte.
    void writeBuiltImage(frmDocument& doc, const wizard::BuiltImage& built);
    QString chooseFile(bool save, const QString& title);
    // The folder of the file last opened or saved, where the file dialogs
    // start.
    void rememberFolderOf(const QString& path);

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
    // The exit under way, from its click until the program ends or the
    // user keeps a window: the windows' order at its click, the windows
    // whose close it made pending (work held them), and whether its save
    // questions are being asked now.
    struct ExitRun {
        QList<QPointer<frmDocument>> order;
        QList<QPointer<frmDocument>> madePending;
        bool asking = false;
    };
    std::optional<ExitRun> exit_;
    // How often the user has kept a window at its save question; a run of
    // closes ends when this changes under it.
    int refusals_ = 0;
    QString lastFolder_;
    // SPD wizard commands running (the dialog open, or its answers being
    // built into the window made for them): an exit waits until the new
    // window stands, and then asks about it as about every other modified
    // window.
    int wizardRuns_ = 0;
    // The cascade place of the next new document window.
    int nextPlace_ = 0;
    // A settings write the user did not ask for (the load step's missing
    // values, the recent files) has failed and been said on standard error:
    // it is said once a run.
    bool saidStoreFailure_ = false;
};
