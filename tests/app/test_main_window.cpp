#include "app/SpdFile.h"
#include "app/frmLogin.h"
#include "app/frmMain.h"
#include "document/HexGrid.h"
#include "document/frmDocument.h"
#include "platform/CommPort.h"
#include "platform/FileWrite.h"
#include "platform/SettingsStore.h"
#include "support/FailingCalls.h"
#include "support/IsolatedMain.h"
#include "support/ScriptedUi.h"
#include "support/TestEnv.h"
#include "support/TinyFileSystem.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace {

QString hist(const char* name) { return QString::fromLatin1(name); }

// A login answered with the given entry.
std::function<int(QDialog*)> loginWith(const QString& entry)
{
    return [entry](QDialog* d) {
        auto* l = qobject_cast<frmLogin*>(d);
        if (!l)
            return static_cast<int>(QDialog::Rejected);
        l->txtPassword()->setText(entry);
        l->cmdOK_Click();
        return d->result();
    };
}

class MainWindowTest : public IsolatedMainTest {
protected:

    void storePassword(const QString& pass)
    {
        settings::write(hist("History"), hist("PASS1"), QStringLiteral("KT527"));
        settings::write(hist("History"), hist("PASS2"), pass);
    }

    // Creates the main window and runs its load step; the login (or set-up)
    // is answered by the handler given.
    void start(std::function<int(QDialog*)> dialog = nullptr)
    {
        if (dialog)
            ui.dialogHandlers.push_back(dialog);
        main = std::make_unique<frmMain>();
        main->MDIForm_Load();
        main->setWindowTitle(QStringLiteral("VELMORA...."));
        main->show();
    }
    void startFull()
    {
        storePassword(QStringLiteral("secret"));
        start(loginWith(QStringLiteral("SECRET")));
        ASSERT_EQ(velmora::gs().passwordMode, -1);
    }

    bool enabled(const char* name) const { return main->action(QString::fromLatin1(name))->isEnabled(); }
    bool shown(const char* name) const { return main->action(QString::fromLatin1(name))->isVisible(); }
    QString mru(int k) const { return main->action(QStringLiteral("mnuFileMRU(%1)").arg(k))->data().toString(); }
    bool mruShown(int k) const { return main->action(QStringLiteral("mnuFileMRU(%1)").arg(k))->isVisible(); }
    QString stored(const char* key, const char* name) const
    {
        return settings::read(QString::fromLatin1(key), QString::fromLatin1(name)).value_or(QStringLiteral("<missing>"));
    }

    QString imageFile(const QString& name, int byte2)
    {
        velmora::SpdImage img{};
        img[2] = static_cast<std::uint8_t>(byte2);
        img[10] = 0x42;
        const QString path = dir.filePath(name);
        QString e;
        spdfile::write(path, img, &e);
        return path;
    }

    ScriptedUi ui;
};

} // namespace

TEST_F(MainWindowTest, FirstStartSetsUpAndStaysRestricted)
{
    ui.dialogHandlers.push_back([](QDialog* d) {
        EXPECT_EQ(d->objectName(), QStringLiteral("frmLogin1"));
        EXPECT_EQ(d->windowTitle(), QStringLiteral("The first password setting"));
        auto* s = qobject_cast<frmLogin1*>(d);
        s->txtPassword2()->setText(QStringLiteral("Abc"));
        s->txtPassword1()->setText(QStringLiteral("Abc"));
        s->cmdOK_Click();
        return d->result();
    });
    start();
    EXPECT_EQ(velmora::gs().passwordMode, 0);
    EXPECT_EQ(stored("Settings", "CommPort"), QStringLiteral("1"));
    EXPECT_EQ(stored("History", "1"), QString());
    EXPECT_EQ(stored("History", "PASS1"), QStringLiteral("KT527"));
    EXPECT_EQ(stored("History", "PASS2"), QStringLiteral("Abc"));  // as typed
    for (int k = 1; k <= 3; ++k)
        EXPECT_FALSE(mruShown(k));
    EXPECT_FALSE(shown("mnuFileBar5"));
    for (const char* name : {"mnuViewpassword", "mnuFileSaveAs", "mnuFileSave", "mnuViewOptions", "mnuFileWarez"})
        EXPECT_FALSE(enabled(name)) << name;
    EXPECT_TRUE(main->tbToolbar()->isHidden());
    EXPECT_TRUE(main->Toolbar1()->isHidden());
    EXPECT_TRUE(main->sbStatusBar()->isHidden());
    EXPECT_EQ(velmora::gs().currentYear, 2024);
}

TEST_F(MainWindowTest, LoginAcceptsMasterAndStoredPasswordInAnyCase)
{
    storePassword(QStringLiteral("Secret"));
    start(loginWith(QStringLiteral("kt527")));
    EXPECT_EQ(velmora::gs().passwordMode, -1);
    EXPECT_TRUE(enabled("mnuFileSave"));
    EXPECT_TRUE(enabled("mnuFileWarez"));
    EXPECT_FALSE(main->tbToolbar()->isHidden());
    main.reset();

    velmora::resetProgramState();
    start(loginWith(QStringLiteral("sEcReT")));
    EXPECT_EQ(velmora::gs().passwordMode, -1);
}

TEST_F(MainWindowTest, FourthWrongEntryEndsTheLoginRestricted)
{
    storePassword(QStringLiteral("right"));
    int shownErrors = 0;
    ui.dialogHandlers.push_back([&](QDialog* d) {
        auto* l = qobject_cast<frmLogin*>(d);
        for (int i = 0; i < 3; ++i) {
            l->txtPassword()->setText(QStringLiteral("wrong"));
            l->cmdOK_Click();
            EXPECT_FALSE(l->result() == QDialog::Accepted);
            EXPECT_EQ(l->txtPassword()->selectedText(), QStringLiteral("wrong"));  // ready to be typed over
        }
        shownErrors = static_cast<int>(ui.messages.size());
        l->txtPassword()->setText(QStringLiteral("wrong"));
        l->cmdOK_Click();
        return l->result();
    });
    start();
    EXPECT_EQ(shownErrors, 3);
    ASSERT_EQ(ui.messages.size(), 4u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral(" *****  Password Error\uFF0CPlease Re-enter Your Password !  *****"));
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Error"));
    EXPECT_EQ(ui.messages[0].icon, ui::Icon::Critical);
    EXPECT_EQ(velmora::gs().passwordMode, 0);
}

TEST_F(MainWindowTest, CancelAndOneCharacterPasswords)
{
    storePassword(QStringLiteral("x"));
    start([](QDialog* d) {
        qobject_cast<frmLogin*>(d)->cmdCancel_Click();
        return d->result();
    });
    EXPECT_EQ(velmora::gs().passwordMode, 0);
    main.reset();

    // A stored password of one character must be given; an empty entry is
    // not enough.
    velmora::resetProgramState();
    start(loginWith(QString()));
    EXPECT_EQ(velmora::gs().passwordMode, 0);
    EXPECT_EQ(velmora::gs().storedPassword, QStringLiteral("x"));
    main.reset();
    velmora::resetProgramState();
    start(loginWith(QStringLiteral("X")));
    EXPECT_EQ(velmora::gs().passwordMode, -1);
}

TEST_F(MainWindowTest, PasswordSetupRefusesDifferentEntries)
{
    startFull();
    ui.dialogHandlers.push_back([](QDialog* d) {
        auto* s = qobject_cast<frmLogin1*>(d);
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Password Setup"));
        s->txtPassword2()->setText(QStringLiteral("new"));
        s->txtPassword1()->setText(QStringLiteral("NEW"));
        s->cmdOK_Click();
        EXPECT_NE(d->result(), QDialog::Accepted);
        EXPECT_EQ(s->txtPassword1()->selectedText(), QStringLiteral("NEW"));
        s->cmdCancel_Click();
        return d->result();
    });
    main->mnuViewpassword_Click();
    EXPECT_EQ(ui.lastText(), QStringLiteral(" *****  Password input inconsistent, Please Re-enter Your Password !  *****"));
    EXPECT_EQ(stored("History", "PASS2"), QStringLiteral("secret"));
}

namespace {

// The set-up given the same new password in both boxes and OK: whether the
// dialog closed.
bool setUpClosesWith(frmLogin1* s, const QString& password)
{
    bool closed = false;
    const auto c = QObject::connect(s, &QDialog::finished, [&closed] { closed = true; });
    s->txtPassword2()->setText(password);
    s->txtPassword1()->setText(password);
    s->cmdOK_Click();
    QObject::disconnect(c);
    return closed;
}

void makeFile(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

QString storeFailure(const QString& path)
{
    return QStringLiteral("*****   The password can not be stored !   *****\n\n") + path;
}

} // namespace

// A settings file that cannot be written (its folder is a file): the set-up
// says so, naming the file, and stays open; nothing counts as stored.
TEST_F(MainWindowTest, APasswordThatCannotBeStoredKeepsTheSetUpOpen)
{
    const QString folder = dir.filePath(QStringLiteral("cfg"));
    const QString path = folder + QStringLiteral("/settings.ini");
    makeFile(folder);
    settings::useFile(path);
    testing::internal::CaptureStderr();
    start([this, &path](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("The first password setting"));
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_FALSE(setUpClosesWith(qobject_cast<frmLogin1*>(d), QStringLiteral("new")));
        qobject_cast<frmLogin1*>(d)->cmdCancel_Click();
        return d->result();
    });
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.lastText(), storeFailure(path));
    EXPECT_EQ(ui.messages.back().icon, ui::Icon::Critical);
    EXPECT_EQ(ui.messages.back().title, QStringLiteral("Error"));
    EXPECT_EQ(velmora::gs().passwordMode, 0);
    EXPECT_EQ(stored("History", "PASS1"), QStringLiteral("<missing>"));
    EXPECT_EQ(stored("History", "PASS2"), QStringLiteral("<missing>"));
    // The recent files cannot be stored either: they hold for this run, and
    // that and the load step's failed write are said once on standard error.
    for (const char* name : {"a.bin", "b.bin"}) {
        ui.fileAnswers.push_back(imageFile(QString::fromLatin1(name), 8));
        main->mnuFileOpen_Click();
    }
    EXPECT_EQ(mru(1), dir.filePath(QStringLiteral("b.bin")));
    EXPECT_EQ(mru(2), dir.filePath(QStringLiteral("a.bin")));
    EXPECT_EQ(std::count_if(ui.messages.begin(), ui.messages.end(),
                            [](const ui::Message& m) { return m.text.contains(QStringLiteral("stored")); }),
              1);
    const QString said = QString::fromStdString(testing::internal::GetCapturedStderr());
    const QString line = QStringLiteral("velmora: the settings can not be stored in ") + path + QStringLiteral(": ");
    EXPECT_EQ(said.count(line), 1) << said.toStdString();
    main.reset();

    // "Password Setting": the file's folder turns into a file while the
    // program runs.
    ASSERT_TRUE(QFile::remove(folder));
    velmora::resetProgramState();
    startFull();
    ASSERT_TRUE(QDir(folder).removeRecursively());
    makeFile(folder);
    ui.messages.clear();
    ui.dialogHandlers.push_back([&](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Password Setup"));
        EXPECT_FALSE(setUpClosesWith(qobject_cast<frmLogin1*>(d), QStringLiteral("new")));
        qobject_cast<frmLogin1*>(d)->cmdCancel_Click();
        return d->result();
    });
    main->mnuViewpassword_Click();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.lastText(), storeFailure(path));
    EXPECT_NE(stored("History", "PASS2"), QStringLiteral("new"));
}

// Both dialogs show "*" for each character typed, and each ends under its
// buttons with the margin it has above its highest control.
TEST_F(MainWindowTest, PasswordBoxesShowStarsAndBothDialogsEndUnderTheirButtons)
{
    frmLogin login;
    frmLogin1 setup;
    for (QLineEdit* box : {login.txtPassword(), setup.txtPassword1(), setup.txtPassword2()}) {
        box->setText(QStringLiteral("Ab1"));
        EXPECT_EQ(box->displayText(), QStringLiteral("***")) << box->objectName().toStdString();
        EXPECT_EQ(box->text(), QStringLiteral("Ab1"));
    }
    setup.setWindowTitle(QStringLiteral("The first password setting"));
    for (QDialog* d : std::initializer_list<QDialog*>{&login, &setup}) {
        d->show();
        int top = d->height();
        int bottom = 0;
        for (const QWidget* w : d->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            top = std::min(top, w->y());
            bottom = std::max(bottom, w->geometry().bottom() + 1);
        }
        EXPECT_EQ(d->height() - bottom, top) << d->objectName().toStdString();
    }
}

TEST_F(MainWindowTest, StoredPortRules)
{
    settings::write(hist("Settings"), hist("CommPort"), QStringLiteral("7"));
    start();
    EXPECT_EQ(velmora::gs().comPort, 1);
    EXPECT_EQ(main->MSComm1()->commPort(), 1);
    main.reset();

    settings::write(hist("Settings"), hist("CommPort"), QStringLiteral("COM3"));
    start();
    EXPECT_EQ(velmora::gs().comPort, 1);
    main.reset();

    // A port that cannot be opened falls back to port 1 and stores it.
    settings::write(hist("Settings"), hist("CommPort"), QStringLiteral("3"));
    start();
    EXPECT_EQ(velmora::gs().comPort, 1);
    EXPECT_EQ(stored("Settings", "CommPort"), QStringLiteral("1"));
    EXPECT_FALSE(main->MSComm1()->portOpen());
}

TEST_F(MainWindowTest, ShortHistoryValuesCountAsMissing)
{
    settings::write(hist("History"), hist("1"), QStringLiteral("a"));
    settings::write(hist("History"), hist("2"), QStringLiteral("/tmp/two.spd"));
    start();
    EXPECT_FALSE(mruShown(1));
    EXPECT_TRUE(mruShown(2));
    EXPECT_EQ(mru(2), QStringLiteral("/tmp/two.spd"));
    EXPECT_EQ(stored("History", "1"), QString());
}

TEST_F(MainWindowTest, DocumentsAreNumberedAndSwitchTheMenus)
{
    startFull();
    EXPECT_FALSE(enabled("MNU_ICMAP"));
    frmDocument* d1 = main->NewDocumentWindow();
    EXPECT_EQ(d1->windowTitle(), QStringLiteral("SPD_File 1"));
    EXPECT_EQ(main->ActiveForm(), d1);
    for (const char* name : {"MNU_ICMAP", "MNU_MDMAP", "mnu_xmp_view", "mnu_mft_setup", "mnu_io_setup",
                             "mnu_spd_setup", "mnuFileWarez", "mnu_xmp_wiz"})
        EXPECT_TRUE(enabled(name)) << name;
    EXPECT_TRUE(main->tbToolbar()->isHidden());
    EXPECT_FALSE(main->Toolbar1()->isHidden());

    const QString path = imageFile(QStringLiteral("a.bin"), 8);
    ui.fileAnswers.push_back(path);
    main->mnuFileOpen_Click();
    EXPECT_EQ(main->ActiveForm()->windowTitle(), path);
    frmDocument* d3 = main->NewDocumentWindow();
    EXPECT_EQ(d3->windowTitle(), QStringLiteral("SPD_File 3"));

    // Closing one of several changes nothing; closing the last switches.
    main->mnuFileClose_Click();
    EXPECT_TRUE(enabled("MNU_ICMAP"));
    main->mnuFileCloseAll_Click();
    EXPECT_TRUE(main->documents().isEmpty());
    EXPECT_FALSE(enabled("MNU_ICMAP"));
    EXPECT_FALSE(enabled("mnu_xmp_wiz"));
    EXPECT_TRUE(enabled("mnuFileWarez"));
    EXPECT_FALSE(main->tbToolbar()->isHidden());
    EXPECT_TRUE(main->Toolbar1()->isHidden());
    EXPECT_EQ(main->NewDocumentWindow()->windowTitle(), QStringLiteral("SPD_File 4"));
}

TEST_F(MainWindowTest, RestrictedModeWindowsLeaveTheToolbars)
{
    start();
    main->NewDocumentWindow();
    EXPECT_TRUE(enabled("MNU_ICMAP"));
    EXPECT_FALSE(enabled("mnu_io_setup"));
    EXPECT_TRUE(main->tbToolbar()->isHidden());
    main->mnuFileCloseAll_Click();
    EXPECT_FALSE(main->tbToolbar()->isHidden());
    main->NewDocumentWindow();
    EXPECT_FALSE(main->tbToolbar()->isHidden());

    // Saving is refused however it is reached.
    main->ActiveForm()->Set_form_chang(-1);
    main->mnuFileSave_Click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   權限不足無法存檔,請洽管理人員 !   *****      "));
    EXPECT_EQ(ui.messages.back().title, QStringLiteral("錯誤"));
    EXPECT_TRUE(ui.files.empty());
    EXPECT_EQ(main->ActiveForm()->Chk_Form_Chang(), -1);
}

TEST_F(MainWindowTest, LastDocumentClosingOnItsOwnSwitchesTheMenus)
{
    startFull();
    frmDocument* d1 = main->NewDocumentWindow();
    frmDocument* d2 = main->NewDocumentWindow();
    qobject_cast<QMdiSubWindow*>(d2->parentWidget())->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(enabled("MNU_ICMAP"));
    qobject_cast<QMdiSubWindow*>(d1->parentWidget())->close();
    EXPECT_FALSE(enabled("MNU_ICMAP"));
    EXPECT_FALSE(main->tbToolbar()->isHidden());
}

TEST_F(MainWindowTest, OpenReadsDetectsAndRemembers)
{
    startFull();
    const QString path = imageFile(QStringLiteral("m.spd"), 12);
    ui.fileAnswers.push_back(path);
    main->mnuFileOpen_Click();
    ASSERT_EQ(ui.files.size(), 1u);
    EXPECT_EQ(ui.files[0].title, QStringLiteral("開啟舊檔"));
    EXPECT_EQ(ui.files[0].filter, QStringLiteral("Corvane SPD Files (*.spd)|*.spd|Bin Files (*.bin)|*.bin|All Files (*.*)|*.*"));
    EXPECT_EQ(ui.files[0].filterIndex, 1);
    frmDocument* d = main->ActiveForm();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->windowTitle(), path);
    EXPECT_EQ(d->Get_Type(), 5);
    EXPECT_EQ(d->Get_Value(10), 0x42);
    EXPECT_EQ(d->Chk_Form_Chang(), 0);
    EXPECT_EQ(mru(1), path);
    EXPECT_EQ(stored("History", "1"), path);

    // Opening the same path again brings its window to the front.
    main->NewDocumentWindow();
    ui.fileAnswers.push_back(path);
    main->mnuFileOpen_Click();
    EXPECT_EQ(main->ActiveForm(), d);
    EXPECT_EQ(main->documents().size(), 2);

    // Cancel does nothing.
    main->mnuFileOpen_Click();
    EXPECT_EQ(main->documents().size(), 2);
}

TEST_F(MainWindowTest, AMenuShortcutTypedInTheEntryBoxLeavesTheDocumentUnmodified)
{
    startFull();
    const QString path = imageFile(QStringLiteral("k.spd"), 11);
    ui.fileAnswers.push_back(path);
    main->mnuFileOpen_Click();
    frmDocument* d = main->ActiveForm();
    ASSERT_NE(d, nullptr);
    d->spd_l_value_Click(20);
    ASSERT_EQ(d->Chk_Form_Chang(), 0);
    main->activateWindow();
    if (!QTest::qWaitForWindowActive(main.get()))
        GTEST_SKIP() << "the platform does not activate the main window, so no shortcut reaches it";
    // Ctrl+O reaches the menu's shortcut through the entry box; its dialog
    // is cancelled.
    const std::size_t dialogs = ui.files.size();
    QTest::keyClick(d->Text1(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(ui.files.size(), dialogs + 1);
    EXPECT_EQ(main->ActiveForm(), d);
    EXPECT_EQ(d->Chk_Form_Chang(), 0);
    EXPECT_EQ(d->windowTitle(), path);
}

TEST_F(MainWindowTest, FileDialogsStartInTheFolderOfTheLastFileOpenedOrSaved)
{
    startFull();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("a")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("b")));
    const QString a = dir.filePath(QStringLiteral("a"));
    const QString b = dir.filePath(QStringLiteral("b"));
    // Before any file, in the user's home folder, wherever the program was
    // started.
    const QString home = QDir::homePath();
    main->mnuFileOpen_Click();
    ASSERT_EQ(ui.files.size(), 1u);
    EXPECT_EQ(ui.files.back().folder, home);
    main->NewDocumentWindow();
    main->mnuFileSaveAs_Click();
    EXPECT_EQ(ui.files.back().folder, home);
    main->mnuFileSave_Click();
    EXPECT_EQ(ui.files.back().title, QStringLiteral("儲存"));
    EXPECT_EQ(ui.files.back().folder, home);
    main->mnuFileClose_Click();

    // Opened: Open and Save As start in its folder.
    const QString inA = imageFile(QStringLiteral("a/m.spd"), 11);
    ui.fileAnswers.push_back(inA);
    main->mnuFileOpen_Click();
    ASSERT_NE(main->ActiveForm(), nullptr);
    main->mnuFileOpen_Click();
    EXPECT_EQ(ui.files.back().folder, a);
    main->mnuFileSaveAs_Click();
    EXPECT_EQ(ui.files.back().title, QStringLiteral("另存新檔"));
    EXPECT_EQ(ui.files.back().folder, a);

    // Saved elsewhere: from there on they start in that folder, the save
    // dialog of an untitled document too.
    ui.fileAnswers.push_back(dir.filePath(QStringLiteral("b/n.bin")));
    main->mnuFileSaveAs_Click();
    main->mnuFileOpen_Click();
    EXPECT_EQ(ui.files.back().folder, b);
    main->NewDocumentWindow();
    main->mnuFileSave_Click();
    EXPECT_EQ(ui.files.back().title, QStringLiteral("儲存"));
    EXPECT_EQ(ui.files.back().folder, b);

    // A file that could not be opened changes nothing; one opened from the
    // recent files counts as opened.
    ui.fileAnswers.push_back(dir.filePath(QStringLiteral("a/missing.spd")));
    main->mnuFileOpen_Click();
    main->mnuFileOpen_Click();
    EXPECT_EQ(ui.files.back().folder, b);
    ASSERT_EQ(mru(1), inA);
    main->mnuFileMRU_Click(1);
    main->mnuFileOpen_Click();
    EXPECT_EQ(ui.files.back().folder, a);
}

TEST_F(MainWindowTest, UnreadableFilesLeaveNoWindow)
{
    startFull();
    ui.fileAnswers.push_back(dir.filePath(QStringLiteral("missing.spd")));
    main->mnuFileOpen_Click();
    EXPECT_TRUE(main->documents().isEmpty());
    EXPECT_TRUE(ui.lastText().startsWith(QStringLiteral("*****   File can not be opened !   *****")));
    EXPECT_EQ(ui.messages.back().icon, ui::Icon::Critical);

    // A recent file that has gone away.
    const QString gone = imageFile(QStringLiteral("gone.bin"), 8);
    ui.fileAnswers.push_back(gone);
    main->mnuFileOpen_Click();
    main->mnuFileCloseAll_Click();
    QFile::remove(gone);
    main->mnuFileMRU_Click(1);
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   File not found   *****"));
    EXPECT_EQ(ui.messages.back().icon, ui::Icon::None);
    EXPECT_EQ(ui.messages.back().title, ui::programTitle());
    EXPECT_TRUE(main->documents().isEmpty());
    EXPECT_EQ(mru(1), gone);
    EXPECT_FALSE(QFile::exists(gone));
}

TEST_F(MainWindowTest, SaveWritesAtomicallyAndClearsTheMark)
{
    startFull();
    frmDocument* d = main->NewDocumentWindow();
    d->Value_Chang(0, 0x80);
    d->Set_form_chang(-1);

    // Untitled: the save dialog; Cancel keeps it untitled and modified.
    main->mnuFileSave_Click();
    ASSERT_EQ(ui.files.size(), 1u);
    EXPECT_EQ(ui.files[0].title, QStringLiteral("儲存"));
    EXPECT_TRUE(ui.files[0].save);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("SPD_File 1*"));

    const QString path = dir.filePath(QStringLiteral("out.spd"));
    ui.fileAnswers.push_back(path);
    main->mnuFileSave_Click();
    EXPECT_EQ(d->windowTitle(), path);
    EXPECT_EQ(d->Chk_Form_Chang(), 0);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.size(), 1632);
    EXPECT_TRUE(f.readAll().startsWith(" 80 00 00"));
    EXPECT_TRUE(mru(1).isEmpty());  // saving does not touch the recent files

    // Save of a titled, modified document writes the caption's path.
    d->Value_Chang(1, 0x11);
    d->Set_form_chang(-1);
    main->mnuFileSave_Click();
    EXPECT_EQ(d->windowTitle(), path);
    EXPECT_EQ(spdfile::read(path).bytes[1], 0x11);

    // The file in its place, but the disk reports an error as the folder is
    // synced: saved, and the user learns what the disk said.
    d->Value_Chang(2, 0x22);
    d->Set_form_chang(-1);
    ui.messages.clear();
    failing::failSync(failing::Sync::Folders);
    main->mnuFileSave_Click();
    failing::failSync(failing::Sync::Never);
    EXPECT_EQ(spdfile::read(path).bytes[2], 0x22);
    EXPECT_EQ(d->Chk_Form_Chang(), 0);
    EXPECT_EQ(d->windowTitle(), path);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   File saved, but the disk reported an error !   *****\n\n") + path +
                                 QStringLiteral("\nInput/output error"));
    EXPECT_EQ(ui.messages[0].icon, ui::Icon::Warning);
}

TEST_F(MainWindowTest, FailedSaveFallsBackToSaveAsAndKeepsTheChanges)
{
    startFull();
    frmDocument* d = main->NewDocumentWindow();
    // Saved once into a folder that then goes away.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("gone")));
    const QString bad = dir.filePath(QStringLiteral("gone/x.bin"));
    ui.fileAnswers.push_back(bad);
    main->mnuFileSaveAs_Click();
    ASSERT_EQ(d->windowTitle(), bad);
    ASSERT_TRUE(QDir(dir.filePath(QStringLiteral("gone"))).removeRecursively());

    d->Set_form_chang(-1);
    ui.messages.clear();
    main->mnuFileSave_Click();  // the failure is told, then Save As is asked; cancelled
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.lastText().startsWith(QStringLiteral("*****   File can not be saved !   *****\n\n") + bad + QLatin1Char('\n')));
    ASSERT_EQ(ui.files.size(), 2u);
    EXPECT_EQ(ui.files[1].title, QStringLiteral("另存新檔"));
    EXPECT_EQ(d->windowTitle(), bad + QLatin1Char('*'));
    EXPECT_EQ(d->Chk_Form_Chang(), -1);

    ui.fileAnswers.push_back(bad);
    main->mnuFileSaveAs_Click();
    EXPECT_TRUE(ui.lastText().startsWith(QStringLiteral("*****   File can not be saved !   *****")));
    EXPECT_EQ(ui.messages.back().icon, ui::Icon::Critical);
    EXPECT_EQ(d->Chk_Form_Chang(), -1);
}

TEST_F(MainWindowTest, SaveOntoAFullFileSystemKeepsTheOldFileAndSaysWhy)
{
    TinyFileSystem fs(dir.filePath(QStringLiteral("tiny")));
    if (!fs.mounted())
        GTEST_SKIP() << "a small file system cannot be mounted here (needs root): " << std::strerror(errno);
    startFull();
    const QString path = dir.filePath(QStringLiteral("tiny/module.spd"));
    velmora::SpdImage old{};
    old[0] = 0x92;
    old[2] = 0x0B;
    QString e;
    ASSERT_TRUE(spdfile::write(path, old, &e)) << qPrintable(e);
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray before = in.readAll();
    in.close();
    ASSERT_EQ(before.size(), 1632);
    ui.fileAnswers.push_back(path);
    main->mnuFileOpen_Click();
    frmDocument* d = main->ActiveForm();
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(fs.fill());

    d->Value_Chang(5, 0x44);
    d->Set_form_chang(-1);
    ui.messages.clear();
    main->mnuFileSave_Click();  // fails; Save As is then cancelled
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.files.back().title, QStringLiteral("另存新檔"));
    const QString told = ui.messages.front().text;
    EXPECT_TRUE(told.startsWith(QStringLiteral("*****   File can not be saved !   *****\n\n") + path + QLatin1Char('\n'))) << qPrintable(told);
    EXPECT_TRUE(told.contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << qPrintable(told);
    EXPECT_EQ(ui.messages.front().icon, ui::Icon::Critical);
    EXPECT_EQ(d->Chk_Form_Chang(), -1);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(), before);
    in.close();
    // Nothing is left behind in the folder.
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("tiny"))).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("filler"), QStringLiteral("module.spd")}));

    // Save As onto the same file says so too.
    ui.fileAnswers.push_back(path);
    main->mnuFileSaveAs_Click();
    EXPECT_TRUE(ui.lastText().startsWith(QStringLiteral("*****   File can not be saved !   *****")));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(), before);
}

// On a full disk the library writing the settings file can put a file cut
// short in its place and report no error. The password is refused and the
// file stays as it was.
TEST_F(MainWindowTest, APasswordOntoAFullDiskLeavesTheSettingsFileAsItWas)
{
    TinyFileSystem fs(dir.filePath(QStringLiteral("tiny")));
    if (!fs.mounted())
        GTEST_SKIP() << "a small file system cannot be mounted here (needs root): " << std::strerror(errno);
    const QString path = dir.filePath(QStringLiteral("tiny/settings.ini"));
    settings::useFile(path);
    startFull();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    ASSERT_TRUE(before.contains("PASS2=secret"));
    ASSERT_TRUE(fs.fill());

    ui.messages.clear();
    ui.dialogHandlers.push_back([&](QDialog* d) {
        auto* s = qobject_cast<frmLogin1*>(d);
        EXPECT_FALSE(setUpClosesWith(s, QStringLiteral("new")));
        EXPECT_EQ(ui.lastText(), storeFailure(path));
        s->cmdCancel_Click();
        return d->result();
    });
    main->mnuViewpassword_Click();
    EXPECT_EQ(ui.messages.size(), 1u);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("tiny"))).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("filler"), QStringLiteral("settings.ini"),
                           QStringLiteral("settings.ini.lock")}));
}

TEST_F(MainWindowTest, AStarInTheFileNameIsNotTheModifiedMark)
{
    startFull();
    // "x" and "x*" are two files.
    const QString plain = imageFile(QStringLiteral("image"), 8);
    const QString star = imageFile(QStringLiteral("image*"), 11);
    ui.fileAnswers.push_back(star);
    main->mnuFileOpen_Click();
    frmDocument* d = main->ActiveForm();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->windowTitle(), star);
    EXPECT_EQ(d->Chk_Form_Chang(), 0);

    d->Value_Chang(20, 0x20);
    d->Set_form_chang(-1);
    ui.messages.clear();
    main->mnuFileSave_Click();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(spdfile::read(star).bytes[20], 0x20);
    EXPECT_EQ(spdfile::read(plain).bytes[20], 0x00);
    EXPECT_EQ(d->windowTitle(), star);
    EXPECT_EQ(d->Chk_Form_Chang(), 0);

    // A modified "image" window is not the window of "image*".
    ui.fileAnswers.push_back(plain);
    main->mnuFileOpen_Click();
    frmDocument* p = main->ActiveForm();
    ASSERT_NE(p, d);
    p->Set_form_chang(-1);
    ASSERT_EQ(p->windowTitle(), star);  // what the caption shows
    ui.fileAnswers.push_back(star);
    main->mnuFileOpen_Click();
    EXPECT_EQ(main->ActiveForm(), d);
    EXPECT_EQ(main->documents().size(), 2);

    // Save As moves the document to the new name; Save then writes there.
    const QString other = dir.filePath(QStringLiteral("other**"));
    ui.fileAnswers.push_back(other);
    main->mnuFileSaveAs_Click();
    d->Value_Chang(21, 0x21);
    d->Set_form_chang(-1);
    main->mnuFileSave_Click();
    EXPECT_EQ(spdfile::read(other).bytes[21], 0x21);
    EXPECT_EQ(spdfile::read(star).bytes[21], 0x00);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("other*"))));
}

TEST_F(MainWindowTest, CloseQuestionYesSavesOrKeepsTheWindow)
{
    startFull();
    frmDocument* d = main->NewDocumentWindow();
    d->Set_form_chang(-1);
    ui.answers.push_back(ui::Answer::Yes);  // save? yes; then the save dialog is cancelled
    main->mnuFileClose_Click();
    EXPECT_EQ(main->documents().size(), 1);
    EXPECT_EQ(d->Chk_Form_Chang(), -1);

    ui.answers.push_back(ui::Answer::Yes);
    ui.fileAnswers.push_back(dir.filePath(QStringLiteral("kept.bin")));
    main->mnuFileClose_Click();
    EXPECT_TRUE(main->documents().isEmpty());
    EXPECT_EQ(QFile(dir.filePath(QStringLiteral("kept.bin"))).size(), 512);
}

TEST_F(MainWindowTest, CancelInTheCloseQuestionStopsCloseAll)
{
    startFull();
    main->NewDocumentWindow();
    frmDocument* d2 = main->NewDocumentWindow();
    d2->Set_form_chang(-1);
    ui.answers.push_back(ui::Answer::Cancel);
    main->mnuFileCloseAll_Click();
    EXPECT_EQ(main->documents().size(), 2);
    EXPECT_TRUE(enabled("MNU_ICMAP"));
    ui.answers.push_back(ui::Answer::No);
    main->mnuFileCloseAll_Click();
    EXPECT_TRUE(main->documents().isEmpty());
}

TEST_F(MainWindowTest, RecentFilesMoveToTheTop)
{
    startFull();
    QStringList paths;
    for (const char* n : {"A.bin", "B.bin", "C.bin", "D.bin"})
        paths << imageFile(QString::fromLatin1(n), 8);
    for (const QString& p : paths)
        main->File_List_Ctl(p);
    main->File_List_Save();
    EXPECT_EQ(mru(1), paths[3]);
    EXPECT_EQ(mru(2), paths[2]);
    EXPECT_EQ(mru(3), paths[1]);
    EXPECT_EQ(stored("History", "3"), paths[1]);

    main->File_List_Ctl(paths[1]);  // D, C, B -> B, D, C
    EXPECT_EQ(mru(1), paths[1]);
    EXPECT_EQ(mru(2), paths[3]);
    EXPECT_EQ(mru(3), paths[2]);
    main->File_List_Ctl(paths[3]);  // the second swaps with the first
    EXPECT_EQ(mru(1), paths[3]);
    EXPECT_EQ(mru(2), paths[1]);
    main->File_List_Ctl(paths[3]);
    EXPECT_EQ(mru(1), paths[3]);
    EXPECT_EQ(mru(3), paths[2]);

    // Letter case makes another entry.
    main->File_List_Ctl(paths[3].toUpper());
    EXPECT_EQ(mru(2), paths[3]);

    // The list comes back at the next start.
    main->File_List_Save();
    main.reset();
    velmora::resetProgramState();
    startFull();
    EXPECT_EQ(mru(1), paths[3].toUpper());
    EXPECT_TRUE(mruShown(3));
    EXPECT_TRUE(shown("mnuFileBar5"));
}

// A first start stores its values in one write of the settings file, and an
// Open stores the recent files in one, however many there are.
TEST_F(MainWindowTest, AStartAndAnOpenWriteTheSettingsOnceEach)
{
    const QStringList paths{imageFile(QStringLiteral("a.bin"), 8), imageFile(QStringLiteral("b.bin"), 8),
                            imageFile(QStringLiteral("c.bin"), 8)};
    static int writes = 0;
    writes = 0;
    platform::setReplaceStepHook([](const char* step) {
        writes += std::strcmp(step, "named") == 0 ? 1 : 0;
        return 0;
    });
    ui.dialogHandlers.push_back([](QDialog*) { return static_cast<int>(QDialog::Rejected); });
    start();
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(stored("Settings", "CommPort"), QStringLiteral("1"));
    for (const char* name : {"1", "2", "3", "PASS1", "PASS2"})
        EXPECT_EQ(stored("History", name), QString()) << name;
    for (int k = 0; k < 3; ++k) {
        ui.fileAnswers.push_back(paths[k]);
        main->mnuFileOpen_Click();
        EXPECT_EQ(writes, 2 + k);
        EXPECT_EQ(stored("History", "1"), paths[k]);
    }
    EXPECT_EQ(stored("History", "3"), paths[0]);
    platform::setReplaceStepHook(nullptr);
}

TEST_F(MainWindowTest, ViewAndWindowCommands)
{
    startFull();
    main->mnuViewStatusBar_Click();
    EXPECT_FALSE(main->sbStatusBar()->isHidden());
    main->action(QStringLiteral("mnuViewStatusBar"))->trigger();
    EXPECT_TRUE(main->sbStatusBar()->isHidden());
    EXPECT_FALSE(main->action(QStringLiteral("mnuViewStatusBar"))->isChecked());
    main->action(QStringLiteral("mnuViewToolbar"))->trigger();
    main->NewDocumentWindow();
    EXPECT_FALSE(main->Toolbar1()->isHidden());  // a new window shows it again
    EXPECT_FALSE(main->action(QStringLiteral("mnuViewToolbar"))->isChecked());

    main->NewDocumentWindow();
    main->mnuWindowIconAll_Click();
    for (QMdiSubWindow* s : main->mdiArea()->subWindowList())
        EXPECT_TRUE(s->isMinimized());

    EXPECT_EQ(velmora::gs().keyInMode, 0);
    main->mnuKeyin_Click();
    EXPECT_EQ(velmora::gs().keyInMode, -1);
    EXPECT_TRUE(main->action(QStringLiteral("mnuKeyin"))->isChecked());
}

TEST_F(MainWindowTest, DocumentWindowsOpenAtTheSizeTheirContentNeeds)
{
    startFull();
    // A main window with room for a whole document.
    main->resize(1600, 1100);
    QApplication::processEvents();
    frmDocument* a = main->NewDocumentWindow();
    auto* subA = qobject_cast<QMdiSubWindow*>(a->parentWidget());
    const QSize content = a->canvas()->size();
    EXPECT_GE(a->width(), content.width());
    EXPECT_GE(a->height(), content.height());
    frmDocument* b = main->NewDocumentWindow();
    auto* subB = qobject_cast<QMdiSubWindow*>(b->parentWidget());
    // Cascade keeps them whole, one a title bar below the other.
    main->mnuWindowCascade_Click();
    EXPECT_GE(a->width(), content.width());
    EXPECT_GE(b->height(), content.height());
    EXPECT_NE(subA->pos(), subB->pos());
    EXPECT_EQ(main->ActiveForm(), b);

    // A small main window: the window takes the room there is.
    main->resize(700, 500);
    QApplication::processEvents();
    frmDocument* c = main->NewDocumentWindow();
    auto* subC = qobject_cast<QMdiSubWindow*>(c->parentWidget());
    const QSize room = main->mdiArea()->viewport()->size();
    EXPECT_LE(subC->x() + subC->width(), room.width());
    EXPECT_LE(subC->y() + subC->height(), room.height());
    // No toolbar or dock menu on a right click.
    EXPECT_EQ(main->createPopupMenu(), nullptr);
}

// New windows in a main window of its opening size: on a screen with room,
// each shows its whole content and lies wholly inside the area, one cascade
// step below the last new one or, where that would cut it, at the top left
// again; also after earlier windows closed. On a smaller screen, where the
// area cannot hold a whole window, each still lies wholly inside it.
// "Cascade" leaves every window in view.
TEST_F(MainWindowTest, NewWindowsAndCascadeKeepEveryWindowInView)
{
    startFull();
    const QSize content = frmDocument::contentSize();
    QMdiArea* area = main->mdiArea();
    auto sub = [](frmDocument* d) { return qobject_cast<QMdiSubWindow*>(d->parentWidget()); };
    auto inView = [area](QMdiSubWindow* s) { return area->viewport()->rect().contains(s->geometry()); };
    auto whole = [&content](frmDocument* d) { return d->width() >= content.width() && d->height() >= content.height(); };
    for (const QRect& screen : {QRect(0, 0, 1920, 1160), QRect(0, 0, 1366, 728)}) {
        const bool roomy = screen.width() == 1920;
        SCOPED_TRACE(roomy ? "large screen" : "small screen");
        main->resize(main->openingSize(screen));
        QApplication::processEvents();
        std::vector<frmDocument*> docs;
        for (int n = 0; n < 10; ++n) {
            docs.push_back(main->NewDocumentWindow());
            QApplication::processEvents();
            QMdiSubWindow* s = sub(docs.back());
            EXPECT_TRUE(inView(s)) << "window " << n + 1;
            if (roomy) {
                EXPECT_TRUE(whole(docs.back())) << "window " << n + 1;
                // The area holds a window and one step: the places alternate.
                if (n % 2 == 0) {
                    EXPECT_EQ(s->pos(), QPoint(0, 0)) << "window " << n + 1;
                } else {
                    EXPECT_GT(s->x(), 0) << "window " << n + 1;
                    EXPECT_EQ(s->x(), s->y());
                }
            }
        }
        // Earlier windows closed: the next ones stay in view.
        for (int n : {0, 1, 2, 3, 5, 6})
            sub(docs[static_cast<std::size_t>(n)])->close();
        QApplication::processEvents();
        for (int n = 0; n < 3; ++n) {
            frmDocument* d = main->NewDocumentWindow();
            QApplication::processEvents();
            EXPECT_TRUE(inView(sub(d)));
            if (roomy) {
                EXPECT_TRUE(whole(d));
            }
        }
        main->mnuWindowCascade_Click();
        QApplication::processEvents();
        for (frmDocument* d : main->documents()) {
            EXPECT_TRUE(inView(sub(d))) << d->windowTitle().toStdString();
            if (roomy) {
                EXPECT_TRUE(whole(d)) << d->windowTitle().toStdString();
            }
        }
        // With every window closed, the next one opens at the top left.
        main->mnuFileCloseAll_Click();
        frmDocument* first = main->NewDocumentWindow();
        EXPECT_EQ(sub(first)->pos(), QPoint(0, 0));
        main->mnuFileCloseAll_Click();
    }
}

// On a screen with room the main window opens large enough that two
// cascaded documents show their whole content; on smaller screens it keeps
// inside the screen's free area.
TEST_F(MainWindowTest, OpensLargeEnoughForTwoCascadedDocuments)
{
    startFull();
    main->resize(main->openingSize(QRect(0, 0, 1920, 1160)));
    // The status bar may be shown as well.
    main->mnuViewStatusBar_Click();
    QApplication::processEvents();
    frmDocument* a = main->NewDocumentWindow();
    frmDocument* b = main->NewDocumentWindow();
    main->mnuWindowCascade_Click();
    QApplication::processEvents();
    const QSize content = frmDocument::contentSize();
    for (frmDocument* d : {a, b}) {
        EXPECT_EQ(d->canvas()->size(), content);
        EXPECT_GE(d->width(), content.width());
        EXPECT_GE(d->height(), content.height());
        auto* sub = qobject_cast<QMdiSubWindow*>(d->parentWidget());
        EXPECT_TRUE(main->mdiArea()->viewport()->rect().contains(sub->geometry()));
    }
    for (const QRect& screen : {QRect(0, 0, 1366, 728), QRect(0, 0, 1024, 740), QRect(0, 0, 800, 600)}) {
        const QSize s = main->openingSize(screen);
        EXPECT_LE(s.width(), screen.width());
        EXPECT_LE(s.height(), screen.height());
    }
}
