#include "app/frmMain.h"

#include "state/Globals.h"
#include "app/SpdFile.h"
#include "app/frmLogin.h"
#include "app/frmMainHelp.h"
#include "device/DeviceOps.h"
#include "device/DocumentPanels.h"
#include "document/HexGrid.h"
#include "document/frmDocument.h"
#include "platform/Clock.h"
#include "platform/CommPort.h"
#include "platform/Fault.h"
#include "platform/SettingsStore.h"
#include "platform/Ui.h"
#include "resources/Pictures.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

using velmora::gs;

namespace {

const QString kSettings = QString::fromLatin1(settings::kSettingsKey);
const QString kHistory = QString::fromLatin1(settings::kHistoryKey);

// A value of the settings store as the load step reads it: missing when it
// cannot be read.
std::optional<QString> readValue(const QString& key, const QString& name) { return settings::read(key, name); }

// A recent-file path shown in a menu: an ampersand is not an access key.
QString menuText(const QString& path)
{
    QString t = path;
    t.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return t;
}

const char* const kDocumentCommands[] = {"MNU_ICMAP",     "MNU_MDMAP",    "mnu_io_setup", "mnu_spd_setup",
                                         "mnu_mft_setup", "mnu_xmp_view", "mnu_xmp_wiz"};

} // namespace

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(pictures::programIcon());
    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("mdiArea"));
    mdi_->setBackground(look::toQColor(0xFF8080));
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);

    comm_ = new platform::CommPort(this);
    ops_ = new device::DeviceOps(*this, this);

    buildMenus();
    buildToolbars();

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("sbStatusBar"));
    auto* dateLabel = new QLabel(statusBar_);
    auto* timeLabel = new QLabel(statusBar_);
    statusBar_->addPermanentWidget(dateLabel);
    statusBar_->addPermanentWidget(timeLabel);
    setStatusBar(statusBar_);
    if (const QScreen* s = screen())
        resize(openingSize(s->availableGeometry()));
    auto* clockTick = new QTimer(statusBar_);
    auto showNow = [dateLabel, timeLabel] {
        const QDateTime now = vclock::clock().now();
        dateLabel->setText(QLocale().toString(now.date(), QLocale::ShortFormat));
        timeLabel->setText(QLocale().toString(now.time(), QLocale::ShortFormat));
    };
    connect(clockTick, &QTimer::timeout, statusBar_, showNow);
    showNow();
    clockTick->start(1000);

    // The four timers. The poller (Timer1) ticks from the window's creation
    // on, and so does Timer4, which runs nothing; the status parse (Timer2)
    // and the packet pacing (Timer3) wait until an operation starts them.
    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(vclock::clock().scaled(2000));
    connect(timer1_, &QTimer::timeout, ops_, &device::DeviceOps::Timer1_Timer);
    timer2_ = new QTimer(this);
    timer2_->setObjectName(QStringLiteral("Timer2"));
    timer2_->setInterval(vclock::clock().scaled(2000));
    connect(timer2_, &QTimer::timeout, ops_, &device::DeviceOps::Timer2_Timer);
    timer3_ = new QTimer(this);
    timer3_->setObjectName(QStringLiteral("Timer3"));
    timer3_->setInterval(vclock::clock().scaled(180));
    connect(timer3_, &QTimer::timeout, ops_, &device::DeviceOps::Timer3_Timer);
    timer4_ = new QTimer(this);
    timer4_->setObjectName(QStringLiteral("Timer4"));
    timer4_->setInterval(vclock::clock().scaled(1000));
    timer1_->start();
    timer4_->start();
    // An exit asked for while a conversation ran is carried out when it ends.
    connect(ops_, &device::DeviceOps::conversationEnded, this, &frmMain::retryPendingExit, Qt::QueuedConnection);
}

QSize frmMain::openingSize(const QRect& available) const
{
    // A document window: its content in a sub-window's frame and title bar.
    const QSize document = frmDocument::contentSize() + frameEstimate();
    // A second one a cascade step below and right of it.
    const int step = cascadeStep();
    QSize want = document + QSize(step, step);
    // The menu bar and the toolbar that shows with documents above the
    // documents' area, the status bar below it when it is shown, and the
    // area's own frame.
    const int areaFrame = 2 * mdi_->frameWidth();
    want += QSize(areaFrame, areaFrame + menuBar()->sizeHint().height() + toolbar1_->sizeHint().height() +
                                 statusBar_->sizeHint().height());
    // Room for the window manager's title bar and borders.
    const QSize room = available.size() - QSize(16, 48);
    return want.boundedTo(room);
}

bool frmMain::anyDocumentBusy() const
{
    const QList<frmDocument*> docs = documents();
    return std::any_of(docs.begin(), docs.end(),
                       [](const frmDocument* d) { return d->isHeld() || d->closeUndecided(); });
}

device::DeviceHost::Workable frmMain::workable(const frmDocument* doc) const
{
    if (doc && doc->isClosedForGood())
        return Workable::Never;
    if (exit_ || (doc && doc->closeUndecided()))
        return Workable::Later;
    return Workable::Now;
}

frmDocument* frmMain::xmpDocument()
{
    frmDocument* doc = ActiveForm();
    const int type = doc ? doc->Get_Value(2) : -1;
    if (type == 11 || type == 12)
        return doc;
    ui::msgBox(QStringLiteral(" ***** DDR3/DDR4 Can Only use This Feature ***** "), ui::Buttons::Ok, ui::Icon::Critical,
               QStringLiteral(""), this);
    return nullptr;
}

void frmMain::copyBack(frmDocument& doc, int first, int last, std::uint32_t colour)
{
    for (int i = first; i <= last; ++i) {
        doc.Value_Chang(i, gs().sharedSpd[static_cast<std::size_t>(i)]);
        doc.grid()->setCellBack(i, colour);
    }
}

void frmMain::retryPendingExit()
{
    if (!exit_ || exit_->asking || ops_->talking() || wizardRuns_ > 0 || anyDocumentBusy())
        return;
    close();
}

void frmMain::giveUpExit()
{
    if (!exit_)
        return;
    // The windows it was to close once their work ended stay. What it held
    // back (a click, a status owed to a window) goes on when the line is
    // freed, as the kept window's refusal does.
    const ExitRun run = *std::exchange(exit_, std::nullopt);
    for (const QPointer<frmDocument>& d : run.madePending)
        if (d)
            d->keepOpen();
}

frmMain::~frmMain()
{
    // The port closes with its children after this window is gone: nothing
    // it signals then may reach the device operations.
    QObject::disconnect(comm_, nullptr, ops_, nullptr);
}

void frmMain::requestStatus(frmDocument& doc) { ops_->statusForLoad(doc); }

// ---------------------------------------------------------------- menus

QAction* frmMain::addAction(QMenu* m, const char* name, const QString& caption, const QString& shortcut)
{
    auto* a = new QAction(caption, this);
    a->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        a->setShortcut(QKeySequence(shortcut));
    m->addAction(a);
    return a;
}

void frmMain::buildMenus()
{
    QMenuBar* bar = menuBar();
    auto newMenu = [this, bar](const char* name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("_menu"));
        return m;
    };
    auto separator = [this](QMenu* m, const char* name, bool shown) {
        QAction* s = m->addSeparator();
        s->setObjectName(QString::fromLatin1(name));
        s->setVisible(shown);
        return s;
    };
    auto hidden = [](QAction* a, bool enabled) {
        a->setVisible(false);
        a->setEnabled(enabled);
        return a;
    };

    QMenu* file = newMenu("mnuFile", QStringLiteral("File"));
    connect(addAction(file, "mnuFilenew", QStringLiteral("New File"), QStringLiteral("Ctrl+N")), &QAction::triggered,
            this, &frmMain::mnuFilenew_Click);
    connect(addAction(file, "mnuFileOpen", QStringLiteral("Open File"), QStringLiteral("Ctrl+O")), &QAction::triggered,
            this, &frmMain::mnuFileOpen_Click);
    separator(file, "mnuFileBar2", true);
    connect(hidden(addAction(file, "mnuFilenewlist", QStringLiteral("New &List"), QStringLiteral("Ctrl+L")), false),
            &QAction::triggered, this, &frmMain::mnuFilenewlist_Click);
    connect(hidden(addAction(file, "mnuFileOpenlist", QStringLiteral("O&pen List")), false), &QAction::triggered, this,
            &frmMain::mnuFileOpenlist_Click);
    separator(file, "mnuFileBar6", false);
    connect(addAction(file, "mnuFileSave", QStringLiteral("Save File"), QStringLiteral("Ctrl+S")), &QAction::triggered,
            this, &frmMain::mnuFileSave_Click);
    connect(addAction(file, "mnuFileSaveAs", QStringLiteral("Save as")), &QAction::triggered, this,
            &frmMain::mnuFileSaveAs_Click);
    connect(addAction(file, "mnuFileClose", QStringLiteral("Close")), &QAction::triggered, this,
            &frmMain::mnuFileClose_Click);
    connect(addAction(file, "mnuFileCloseAll", QStringLiteral("Close All")), &QAction::triggered, this,
            &frmMain::mnuFileCloseAll_Click);
    separator(file, "mnuFileBar0", true);
    connect(hidden(addAction(file, "mnuFileImport", QStringLiteral("&Import")), true), &QAction::triggered, this,
            &frmMain::mnuFileImport_Click);
    separator(file, "mnuFileBar1", false);
    connect(hidden(addAction(file, "mnuFileExport", QStringLiteral("&Export")), true), &QAction::triggered, this,
            &frmMain::mnuFileExport_Click);
    separator(file, "mnuFileBar8", false);
    connect(addAction(file, "mnuFilePrint", QStringLiteral("Print"), QStringLiteral("Ctrl+P")), &QAction::triggered,
            this, &frmMain::mnuFilePrint_Click);
    separator(file, "mnuFileBar3", false);
    hidden(addAction(file, "mnuInformation", QStringLiteral("Information")), true);
    separator(file, "mnuFileBar4", true);
    for (int k = 1; k <= 3; ++k) {
        auto* a = new QAction(QString(), this);
        a->setObjectName(QStringLiteral("mnuFileMRU(%1)").arg(k));
        file->addAction(a);
        connect(a, &QAction::triggered, this, [this, k] { mnuFileMRU_Click(k); });
    }
    separator(file, "mnuFileBar5", false);
    connect(addAction(file, "mnuFileExit", QStringLiteral("Exit")), &QAction::triggered, this,
            &frmMain::mnuFileExit_Click);

    QMenu* pinout = newMenu("MNUMAP", QStringLiteral("Pinout"));
    connect(addAction(pinout, "MNU_ICMAP", QStringLiteral("IC Pinout")), &QAction::triggered, this,
            &frmMain::MNU_ICMAP_Click);
    connect(addAction(pinout, "MNU_MDMAP", QStringLiteral("Module Pinout")), &QAction::triggered, this,
            &frmMain::MNU_MDMAP_Click);

    QMenu* setup = newMenu("mnu_setup", QStringLiteral("Setup"));
    connect(addAction(setup, "mnuConnection", QStringLiteral("Reconnection")), &QAction::triggered, this,
            &frmMain::mnuConnection_Click);
    connect(addAction(setup, "mnuViewpassword", QStringLiteral("Password Setting")), &QAction::triggered, this,
            &frmMain::mnuViewpassword_Click);
    connect(addAction(setup, "mnuViewOptions", QStringLiteral("Communication")), &QAction::triggered, this,
            &frmMain::mnuViewOptions_Click);
    connect(addAction(setup, "mnu_io_setup", QStringLiteral("IO Tester Setup")), &QAction::triggered, this,
            &frmMain::mnu_io_setup_Click);
    connect(addAction(setup, "mnu_spd_setup", QStringLiteral("SPD Function Setup")), &QAction::triggered, this,
            &frmMain::mnu_spd_setup_Click);

    QMenu* tool = newMenu("mnu_tool", QStringLiteral("Tool"));
    connect(addAction(tool, "mnu_mft_setup", QStringLiteral("Manufacturer Information")), &QAction::triggered, this,
            &frmMain::mnu_mft_setup_Click);
    connect(addAction(tool, "mnuFileWarez", QStringLiteral("SPD Wizards")), &QAction::triggered, this,
            &frmMain::mnuFileWarez_Click);
    connect(addAction(tool, "mnu_xmp_view", QStringLiteral("XMP View")), &QAction::triggered, this,
            &frmMain::mnu_xmp_view_Click);
    connect(addAction(tool, "mnu_xmp_wiz", QStringLiteral("XMP Wizards")), &QAction::triggered, this,
            &frmMain::mnu_xmp_wiz_Click);

    QMenu* view = newMenu("mnuView", QStringLiteral("View"));
    QAction* toolbarTick = addAction(view, "mnuViewToolbar", QStringLiteral("Toolbar"));
    toolbarTick->setCheckable(true);
    toolbarTick->setChecked(true);
    // The handlers flip the tick themselves, however they are reached.
    connect(toolbarTick, &QAction::triggered, this, [this, toolbarTick] {
        toolbarTick->setChecked(!toolbarTick->isChecked());
        mnuViewToolbar_Click();
    });
    QAction* statusTick = addAction(view, "mnuViewStatusBar", QStringLiteral("Statusbar"));
    statusTick->setCheckable(true);
    connect(statusTick, &QAction::triggered, this, [this, statusTick] {
        statusTick->setChecked(!statusTick->isChecked());
        mnuViewStatusBar_Click();
    });
    QAction* keyin = hidden(addAction(view, "mnuKeyin", QStringLiteral("&Key-in Mode")), true);
    keyin->setCheckable(true);
    connect(keyin, &QAction::triggered, this, &frmMain::mnuKeyin_Click);
    separator(view, "mnuViewBar0", false);

    windowMenu_ = newMenu("mnuWindow", QStringLiteral("Window"));
    connect(addAction(windowMenu_, "mnuWindowCascade", QStringLiteral("Cascade")), &QAction::triggered, this,
            &frmMain::mnuWindowCascade_Click);
    connect(hidden(addAction(windowMenu_, "mnuWindowTileHorizontal", QStringLiteral("Tile &Horizontal")), false),
            &QAction::triggered, this, &frmMain::mnuWindowTileHorizontal_Click);
    connect(hidden(addAction(windowMenu_, "mnuWindowTileVertical", QStringLiteral("Tile &Vertical")), false),
            &QAction::triggered, this, &frmMain::mnuWindowTileVertical_Click);
    connect(addAction(windowMenu_, "mnuWindowIconAll", QStringLiteral("Iconsize All")), &QAction::triggered, this,
            &frmMain::mnuWindowIconAll_Click);
    connect(addAction(windowMenu_, "mnuWindowArrangeIcons", QStringLiteral("ArrangeIcons")), &QAction::triggered,
            this, &frmMain::mnuWindowArrangeIcons_Click);
    separator(windowMenu_, "mnuwindowsBar1", false);
    hidden(addAction(windowMenu_, "mnuHelpListEdit", QStringLiteral("List Edit")), false);
    connect(windowMenu_, &QMenu::aboutToShow, this, &frmMain::refreshWindowMenu);

    QMenu* help = newMenu("mnuHelp", QStringLiteral("Help"));
    connect(hidden(addAction(help, "mnuHelpContents", QStringLiteral("Mail")), false), &QAction::triggered, this,
            &frmMain::mnuHelpContents_Click);
    connect(hidden(addAction(help, "mnuHelpSearchForHelpOn", QStringLiteral("&Search For Help On...")), true),
            &QAction::triggered, this, &frmMain::mnuHelpSearchForHelpOn_Click);
    connect(addAction(help, "mnuHelpAbout", QStringLiteral("About")), &QAction::triggered, this,
            &frmMain::mnuHelpAbout_Click);
    separator(help, "mnuHelpBar0", true);
    connect(addAction(help, "mnuViewWebBrowser", QString::fromLatin1(help::kWebAddress)), &QAction::triggered,
            this, &frmMain::mnuViewWebBrowser_Click);

    for (const char* name : kDocumentCommands)
        action(QString::fromLatin1(name))->setEnabled(false);
}

void frmMain::buildToolbars()
{
    struct Button {
        const char* key;
        const char* tip;
        const char* picture;
        bool gapAfter;
    };
    static const Button buttons[] = {
        {"NEW", "New File", "NEW", false},       {"OPEN", "Open File", "OPEN1", false},
        {"SAVE", "Save", "SAVE", false},         {"PRINT", "Print", "PRINT", true},
        {"IC", "IC Pin", "IC", false},           {"MODULE1", "Module Pin", "MODULE1", true},
        {"CONNECT", "Reconnection", "CONNECT", true}, {"MI", "Manufacturer Information", "MI", false},
        {"WIZARD", "Wizards", "WIZARD", false},  {"XMP", "XMP Wizards", "XMP", true},
        {"MAIL", "Mail", "MAIL", false},
    };
    auto make = [this](const char* name) {
        auto* tb = new QToolBar(this);
        tb->setObjectName(QString::fromLatin1(name));
        tb->setWindowTitle(QString::fromLatin1(name));
        tb->setMovable(false);
        tb->setIconSize(QSize(24, 24));
        for (const Button& b : buttons) {
            QAction* a = tb->addAction(pictures::toolbarIcon(QString::fromLatin1(b.picture)), QString::fromLatin1(b.tip));
            a->setObjectName(QString::fromLatin1(name) + QLatin1Char('.') + QString::fromLatin1(b.key));
            a->setToolTip(QString::fromLatin1(b.tip));
            const QString key = QString::fromLatin1(b.key);
            connect(a, &QAction::triggered, this, [this, key] { runToolbarKey(key); });
            if (b.gapAfter)
                tb->addSeparator();
        }
        addToolBar(Qt::TopToolBarArea, tb);
        tb->hide();
        return tb;
    };
    tbToolbar_ = make("tbToolbar");
    toolbar1_ = make("Toolbar1");
}

void frmMain::runToolbarKey(const QString& key)
{
    // The buttons run the commands directly. Each command reports its own
    // failures and throws none: an exception that comes out of one is a
    // fault, which ends the button's action and is traced; the window stays.
    try {
        if (key == QLatin1String("NEW"))
            NewDocumentWindow();
        else if (key == QLatin1String("OPEN"))
            mnuFileOpen_Click();
        else if (key == QLatin1String("SAVE"))
            mnuFileSave_Click();
        else if (key == QLatin1String("PRINT"))
            mnuFilePrint_Click();
        else if (key == QLatin1String("WIZARD"))
            mnuFileWarez_Click();
        else if (key == QLatin1String("MAIL"))
            mnuHelpContents_Click();
        else if (key == QLatin1String("CONNECT"))
            STATUSIC();
        else if (key == QLatin1String("MODULE1"))
            MNU_MDMAP_Click();
        else if (key == QLatin1String("IC"))
            MNU_ICMAP_Click();
        else if (key == QLatin1String("MI"))
            mnu_mft_setup_Click();
        else if (key == QLatin1String("XMP"))
            mnu_xmp_wiz_Click();
    } catch (const std::exception& e) {
        platform::reportFault(QStringLiteral("toolbar button %1").arg(key), e);
    }
}

QAction* frmMain::action(const QString& name) const { return findChild<QAction*>(name); }
QMenu* frmMain::menu(const QString& name) const { return findChild<QMenu*>(name); }

// ---------------------------------------------------------------- load step

// Port 1 in place of the stored one; the load step stores "1" for it.
void frmMain::portFallback()
{
    if (comm_->portOpen())
        comm_->setPortOpen(false);
    comm_->setCommPort(1);
    gs().comPort = 1;
}

void frmMain::MDIForm_Load()
{
    // The values the load step stores go into the settings file together,
    // in one write once they are all known.
    std::vector<settings::Value> stored;

    // The serial port number from the settings; port 1 when there is none.
    bool fallbackRan = false;
    if (const auto port = readValue(kSettings, QStringLiteral("CommPort"))) {
        if (comm_->portOpen())
            comm_->setPortOpen(false);
        bool ok = false;
        int n = port->trimmed().toInt(&ok);
        // Anything but a number 1..4 means port 1.
        if (!ok || n < 1 || n > 4)
            n = 1;
        comm_->setCommPort(n);
        gs().comPort = static_cast<std::uint8_t>(n);
    } else {
        stored.push_back({kSettings, QStringLiteral("CommPort"), QStringLiteral("1")});
        portFallback();
        fallbackRan = true;
    }

    // Open the port, falling back to port 1 once.
    if (!comm_->portOpen()) {
        try {
            comm_->setPortOpen(true);
        } catch (const platform::CommError&) {
            if (!fallbackRan) {
                stored.push_back({kSettings, QStringLiteral("CommPort"), QStringLiteral("1")});
                portFallback();
                try {
                    comm_->setPortOpen(true);
                } catch (const platform::CommError&) {
                    // No port 1 either: every device operation opens the port
                    // again when it runs and reports its own failure.
                }
            }
        }
    }

    // The recent-file entries of the File menu; a value too short to be a
    // name is cleared and its entry hidden.
    for (int k = 1; k <= 3; ++k) {
        QAction* entry = action(QStringLiteral("mnuFileMRU(%1)").arg(k));
        const auto v = readValue(kHistory, QString::number(k));
        if (!v || settings::storedSize(*v) < 3) {
            stored.push_back({kHistory, QString::number(k), QString()});
            entry->setVisible(false);
        } else {
            entry->setData(*v);
            entry->setText(menuText(*v));
            entry->setVisible(true);
            if (k == 1)
                action(QStringLiteral("mnuFileBar5"))->setVisible(true);
        }
    }

    // The password-set marker and the password.
    const auto pass1 = readValue(kHistory, QStringLiteral("PASS1"));
    if (!pass1 || settings::storedSize(*pass1) < 3) {
        stored.push_back({kHistory, QStringLiteral("PASS1"), QString()});
        gs().passwordMarker.clear();
    } else {
        gs().passwordMarker = *pass1;
    }
    // A password of one character is a password too.
    const auto pass2 = readValue(kHistory, QStringLiteral("PASS2"));
    if (!pass2 || pass2->isEmpty()) {
        stored.push_back({kHistory, QStringLiteral("PASS2"), QString()});
        gs().storedPassword.clear();
    } else {
        gs().storedPassword = *pass2;
    }
    if (!stored.empty())
        storeUnasked(stored);

    // "Key-in Mode" is ticked while the key-in mode is on.
    action(QStringLiteral("mnuKeyin"))->setChecked(gs().keyInMode == -1);

    // The password dialog, before the main window is shown.
    if (gs().passwordMarker.left(6) != QLatin1String(velmora::kMasterPassword)) {
        frmLogin1 setup(this);
        setup.setWindowTitle(QStringLiteral("The first password setting"));
        ui::seam().exec(&setup);
        gs().passwordMode = 0;
    } else {
        frmLogin login(this);
        ui::seam().exec(&login);
    }

    // The rights the login gave, no status bar, and this year noted.
    applyRights();
    statusBar_->hide();
    action(QStringLiteral("mnuViewStatusBar"))->setChecked(false);
    gs().currentYear = vclock::clock().today().year();
}

void frmMain::applyRights()
{
    const bool full = gs().passwordMode == -1;
    for (const char* name : {"mnuViewpassword", "mnuFileSaveAs", "mnuFileSave", "mnuViewOptions"})
        action(QString::fromLatin1(name))->setEnabled(full);
    if (full) {
        tbToolbar_->show();
    } else {
        tbToolbar_->hide();
        action(QStringLiteral("mnuFileWarez"))->setEnabled(false);
        for (const char* key : {"tbToolbar.WIZARD", "Toolbar1.WIZARD"})
            action(QString::fromLatin1(key))->setEnabled(false);
    }
    // The XMP wizard is barred in restricted mode, on the toolbars as in the menu.
    for (QToolBar* tb : {tbToolbar_, toolbar1_})
        tb->findChild<QAction*>(tb->objectName() + QStringLiteral(".XMP"))->setEnabled(full);
}

// ---------------------------------------------------------------- documents

frmDocument* frmMain::ActiveForm() const
{
    QMdiSubWindow* sub = mdi_->currentSubWindow();
    return sub ? qobject_cast<frmDocument*>(sub->widget()) : nullptr;
}

QList<frmDocument*> frmMain::documents() const
{
    QList<frmDocument*> out;
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (auto* d = qobject_cast<frmDocument*>(sub->widget()); d && !d->isClosedForGood())
            out << d;
    return out;
}

frmDocument* frmMain::NewDocumentWindow(const QString& file)
{
    gs().currentMemoryType = 0;
    for (const char* name : {"MNU_ICMAP", "MNU_MDMAP", "mnu_xmp_view", "mnu_mft_setup"})
        action(QString::fromLatin1(name))->setEnabled(true);
    if (gs().passwordMode == -1) {
        for (const char* name : {"mnu_io_setup", "mnu_spd_setup", "mnuFileWarez", "mnu_xmp_wiz"})
            action(QString::fromLatin1(name))->setEnabled(true);
        tbToolbar_->setEnabled(false);
        tbToolbar_->hide();
        toolbar1_->setEnabled(true);
        toolbar1_->show();
    }
    // The number and the place are this window's own: windows that open
    // while its load waits for the programmer are counted and placed after
    // it.
    const long number = ++lDocumentCount;

    auto* doc = new frmDocument(this);
    // The file is the window's from the start: an Open of the same file
    // while the load waits finds this window.
    if (!file.isEmpty())
        spdfile::setFileOf(*doc, file);
    device::buildDevicePanels(*doc, ops_);
    // A window kept open for work that ran on it closes when the work is
    // done; an exit that waited for it goes on then.
    connect(doc, &frmDocument::released, this, &frmMain::retryPendingExit, Qt::QueuedConnection);
    connect(doc, &frmDocument::documentClosed, this, &frmMain::retryPendingExit, Qt::QueuedConnection);
    // A window the user keeps ends the exit under way, and any run of
    // closes.
    connect(doc, &frmDocument::closeRefused, this, [this] {
        ++refusals_;
        giveUpExit();
    });
    // A new window stands one cascade step below and right of the last new
    // one, and at the top left when no other is open.
    if (documents().isEmpty())
        nextPlace_ = 0;
    QMdiSubWindow* sub = mdi_->addSubWindow(doc);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(pictures::programIcon());
    ops_->statusRound().askedFor(doc);
    // Its place is chosen before its load, which may show it while it waits.
    QSize size = documentWindowSize(*doc, frameEstimate());
    int place = placeDocumentWindow(sub, freePlace(sub, nextPlace_, size), size);
    const bool wasFree = !placeTaken(sub, place);
    nextPlace_ = place + 1;
    const int reserved = nextPlace_;
    doc->Form_Load();
    doc->setWindowTitle(QStringLiteral("SPD_File ") + QString::number(number));
    sub->show();
    // A window that opens maximized (as the area opens every window while
    // its active one is maximized) keeps the place chosen for its normal
    // size. Shown at its full size it may have to go back to the top left.
    // A cascade while the load waited may have put another window at its
    // place: it then takes the next free one. The next new window follows
    // it, unless another one has been placed meanwhile.
    if (!sub->isMaximized() && !sub->isMinimized()) {
        size = documentWindowSize(*doc, sub->size() - doc->size());
        if (wasFree && placeTaken(sub, place))
            place = freePlace(sub, nextPlace_, size);
        place = placeDocumentWindow(sub, place, size);
        if (nextPlace_ == reserved)
            nextPlace_ = place + 1;
    }
    // The window asked for last that is still open is in front when the
    // loads end: a window made or opened again while this one loaded keeps
    // the front (showing this one has just brought it there); one still
    // loading comes to the front when it is shown.
    frmDocument* front = ops_->statusRound().front();
    auto* frontSub = front ? qobject_cast<QMdiSubWindow*>(front->parentWidget()) : nullptr;
    if (!frontSub || frontSub == sub)
        mdi_->setActiveSubWindow(sub);
    else if (!frontSub->isHidden())
        mdi_->setActiveSubWindow(frontSub);
    return doc;
}

bool frmMain::placeTaken(const QMdiSubWindow* self, int place) const
{
    const int step = cascadeStep();
    const QPoint at(place * step, place * step);
    for (QMdiSubWindow* other : mdi_->subWindowList()) {
        if (other == self || other->isMinimized() || other->isMaximized())
            continue;
        // A window whose load still waits is hidden, but its place is
        // reserved.
        if (const auto* d = qobject_cast<frmDocument*>(other->widget()); !d || d->isClosedForGood())
            continue;
        if (other->pos() == at)
            return true;
    }
    return false;
}

bool frmMain::fits(int place, const QSize& size, const QMdiSubWindow* sub) const
{
    const QSize area = documentArea();
    const int step = cascadeStep();
    const QRect r(QPoint(place * step, place * step), size.expandedTo(sub->minimumSizeHint()));
    return place >= 0 && r.right() < area.width() && r.bottom() < area.height();
}

int frmMain::freePlace(const QMdiSubWindow* self, int from, const QSize& size) const
{
    from = std::max(from, 0);
    for (int p = from; fits(p, size, self); ++p)
        if (!placeTaken(self, p))
            return p;
    for (int p = 0; p < from && fits(p, size, self); ++p)
        if (!placeTaken(self, p))
            return p;
    return from;
}

void frmMain::documentClosing(frmDocument* doc)
{
    // The switch for "no document left" follows the windows that are left.
    for (frmDocument* d : documents())
        if (d != doc)
            return;
    noDocumentState();
}

void frmMain::noDocumentState()
{
    for (const char* name : kDocumentCommands)
        action(QString::fromLatin1(name))->setEnabled(false);
    tbToolbar_->setEnabled(true);
    tbToolbar_->show();
    toolbar1_->setEnabled(false);
    toolbar1_->hide();
}

void frmMain::mnuFilenew_Click() { NewDocumentWindow(); }

void frmMain::mnuFileCloseAll_Click() { closeDocuments(false); }

QList<QPointer<frmDocument>> frmMain::closingOrder() const
{
    // The active window, then the ones made after it, then those made
    // before it: the order in which the area makes each active as the one
    // before it closes.
    const QList<frmDocument*> docs = documents();
    const qsizetype first = std::max<qsizetype>(docs.indexOf(ActiveForm()), 0);
    QList<QPointer<frmDocument>> order;
    for (qsizetype k = 0; k < docs.size(); ++k)
        order << docs[(first + k) % docs.size()];
    return order;
}

void frmMain::closeDocuments(bool exiting)
{
    // Each document asks about saving as it closes. A window that work still
    // runs on closes when that work is done; one whose close is being
    // decided already (its question is open) is left to that decision. A
    // window the user keeps, here or at any question asked meanwhile, says
    // so (closeRefused), which ends the call and any exit.
    const int refusals = refusals_;
    const QList<QPointer<frmDocument>> order = exiting ? exit_->order : QList<QPointer<frmDocument>>();
    QList<QPointer<frmDocument>> madePending;
    QList<QPointer<frmDocument>> waiting;
    while (refusals_ == refusals) {
        // The windows of the order given first; then the active window,
        // then the others from the last one.
        QList<frmDocument*> left = documents();
        left.removeIf([&waiting](frmDocument* d) { return waiting.contains(d); });
        frmDocument* doc = nullptr;
        for (const QPointer<frmDocument>& d : order)
            if (d && left.contains(d.data())) {
                doc = d.data();
                break;
            }
        if (!doc)
            doc = left.contains(ActiveForm()) ? ActiveForm() : (left.isEmpty() ? nullptr : left.constLast());
        if (!doc)
            break;
        auto* sub = qobject_cast<QMdiSubWindow*>(doc->parentWidget());
        if (doc->isHeld() || doc->closeUndecided()) {
            if (doc->isHeld() && !doc->closePending()) {
                sub->close();  // remembered by the window
                // An exit's own, taken back where it is given up.
                (exiting && exit_ ? exit_->madePending : madePending) << doc;
            }
            waiting << doc;
            continue;
        }
        if (!sub->close())
            break;
        delete sub;
    }
    if (refusals_ != refusals) {
        for (const QPointer<frmDocument>& d : madePending)
            if (d)
                d->keepOpen();
        return;
    }
    if (documents().isEmpty())
        noDocumentState();
}

void frmMain::mnuFileClose_Click()
{
    QMdiSubWindow* sub = mdi_->currentSubWindow();
    if (!sub)
        return;
    auto* doc = qobject_cast<frmDocument*>(sub->widget());
    if (!sub->close() || (doc && doc->closePending()))
        return;
    delete sub;
    if (documents().isEmpty())
        noDocumentState();
}

void frmMain::mnuFileExit_Click() { close(); }

void frmMain::closeEvent(QCloseEvent* e)
{
    e->ignore();
    // The windows close in the order they had when Exit was clicked, also
    // when the exit waited and windows came forward meanwhile (a load that
    // ended): a Cancel then keeps the same windows open as at once. Windows
    // opened since come after them.
    if (!exit_)
        exit_.emplace(ExitRun{closingOrder(), {}, false});
    // A retry from within its own questions waits for their end. The
    // program does not end under a conversation with the programmer or
    // under the SPD wizard: it ends once the conversation is over, or once
    // the wizard's window stands (and has been asked about).
    if (exit_->asking || ops_->talking() || wizardRuns_ > 0)
        return;
    exit_->asking = true;
    closeDocuments(true);
    // A window the user kept has given the exit up.
    if (!exit_)
        return;
    exit_->asking = false;
    // A window that work still runs on ends the program once the work is
    // done and it has closed.
    if (!documents().isEmpty())
        return;
    e->accept();
    const auto tops = QApplication::topLevelWidgets();
    for (QWidget* w : tops)
        if (w != this && w->isVisible())
            w->close();
}

// ---------------------------------------------------------------- files

QString frmMain::chooseFile(bool save, const QString& title)
{
    ui::FileRequest r;
    r.save = save;
    r.title = title;
    r.filter = QStringLiteral("Corvane SPD Files (*.spd)|*.spd|Bin Files (*.bin)|*.bin|All Files (*.*)|*.*");
    r.filterIndex = 1;
    // Until a file has been opened or saved, the user's home folder, not the
    // folder the program was started in.
    r.folder = lastFolder_.isEmpty() ? QDir::homePath() : lastFolder_;
    return ui::seam().file(this, r);
}

void frmMain::rememberFolderOf(const QString& path) { lastFolder_ = QFileInfo(path).absolutePath(); }

frmDocument* frmMain::openImage(const QString& path, QString* error)
{
    // Already open and not modified: bring that window to the front. The
    // window's own file is compared, not its caption, whose last "*" may be
    // the modified mark or part of the file's name. A window whose load
    // still waits comes to the front when it is shown.
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        auto* doc = qobject_cast<frmDocument*>(sub->widget());
        if (doc && !doc->isClosedForGood() && doc->Chk_Form_Chang() == 0 && spdfile::fileOf(*doc) == path) {
            ops_->statusRound().askedFor(doc);
            if (!sub->isHidden())
                mdi_->setActiveSubWindow(sub);
            rememberFolderOf(path);
            File_List_Ctl(path);
            File_List_Save();
            return doc;
        }
    }
    // The file is read before a window is made: a file that cannot be read
    // leaves no window behind.
    const spdfile::ReadResult r = spdfile::read(path);
    if (!r.ok) {
        if (error)
            *error = r.error;
        return nullptr;
    }
    frmDocument* doc = NewDocumentWindow(path);
    // The window made here is the one filled, whichever window is active
    // after the status request's wait.
    doc->setWindowTitle(path);
    spdfile::fillDocument(*doc, r.bytes);
    rememberFolderOf(path);
    File_List_Ctl(path);
    File_List_Save();
    return doc;
}

void frmMain::mnuFileOpen_Click()
{
    const QString path = chooseFile(false, QStringLiteral("開啟舊檔"));
    if (path.isEmpty())
        return;
    QString why;
    if (!openImage(path, &why))
        ui::msgBox(QStringLiteral("*****   File can not be opened !   *****\n\n") + path + QStringLiteral("\n") + why,
                   ui::Buttons::Ok, ui::Icon::Critical, QStringLiteral("Error"), this);
}

void frmMain::mnuFileMRU_Click(int index)
{
    QAction* entry = action(QStringLiteral("mnuFileMRU(%1)").arg(index));
    if (!entry)
        return;
    const QString path = entry->data().toString();
    if (!openImage(path))
        ui::msgBox(QStringLiteral("*****   File not found   *****"), ui::Buttons::Ok, ui::Icon::None, QString(), this);
}

bool frmMain::writeImage(frmDocument* doc, const QString& path)
{
    QString why;
    QString diskError;
    if (!spdfile::write(path, doc->image(), &why, &diskError)) {
        // The old file is left as it was; the user learns why.
        ui::msgBox(QStringLiteral("*****   File can not be saved !   *****\n\n") + path + QStringLiteral("\n") + why,
                   ui::Buttons::Ok, ui::Icon::Critical, QStringLiteral("Error"), this);
        return false;
    }
    // The caption and the modified mark change once the file is in its
    // place. The mark goes first: a path may itself end in "*".
    doc->Set_form_chang(0);
    doc->setWindowTitle(path);
    spdfile::setFileOf(*doc, path);
    rememberFolderOf(path);
    // The file holds the image, but the disk reported an error as its name
    // was made to stay: the user learns it.
    if (!diskError.isEmpty())
        ui::msgBox(QStringLiteral("*****   File saved, but the disk reported an error !   *****\n\n") + path +
                       QStringLiteral("\n") + diskError,
                   ui::Buttons::Ok, ui::Icon::Warning, QStringLiteral("Warning"), this);
    return true;
}

namespace {
bool refuseRestrictedSave(QWidget* parent)
{
    if (gs().passwordMode == -1)
        return false;
    ui::msgBox(QStringLiteral("      *****   權限不足無法存檔,請洽管理人員 !   *****      "), ui::Buttons::Ok,
               ui::Icon::Critical, QStringLiteral("錯誤"), parent);
    return true;
}
} // namespace

bool frmMain::saveDocument(frmDocument* doc)
{
    if (refuseRestrictedSave(this))
        return false;
    if (!doc)
        return false;
    // The document's own file, not its caption: the caption may end in the
    // modified mark, and a file's name may end in "*" too.
    QString path = spdfile::fileOf(*doc);
    if (path.isEmpty()) {
        path = chooseFile(true, QStringLiteral("儲存"));
        if (path.isEmpty())
            return false;
    }
    if (writeImage(doc, path))
        return true;
    // Saving failed (and was reported): Save As asks for another name.
    QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(doc->parentWidget());
    if (sub)
        mdi_->setActiveSubWindow(sub);
    mnuFileSaveAs_Click();
    return doc->Chk_Form_Chang() == 0;
}

void frmMain::mnuFileSave_Click() { saveDocument(ActiveForm()); }

void frmMain::mnuFileSaveAs_Click()
{
    if (refuseRestrictedSave(this))
        return;
    frmDocument* doc = ActiveForm();
    if (!doc)
        return;
    const QString path = chooseFile(true, QStringLiteral("另存新檔"));
    if (path.isEmpty())
        return;
    writeImage(doc, path);  // reports its own failure
}

// Entries that no menu shows and that nothing runs.
void frmMain::mnuFilenewlist_Click() {}
void frmMain::mnuFileOpenlist_Click() {}
void frmMain::mnuFileImport_Click() {}
void frmMain::mnuFileExport_Click() {}

// ---------------------------------------------------------------- recent files

void frmMain::File_List_Ctl(const QString& fn)
{
    QAction* e1 = action(QStringLiteral("mnuFileMRU(1)"));
    QAction* e2 = action(QStringLiteral("mnuFileMRU(2)"));
    QAction* e3 = action(QStringLiteral("mnuFileMRU(3)"));
    auto path = [](QAction* a) { return a->data().toString(); };
    auto set = [](QAction* a, const QString& p) {
        a->setData(p);
        a->setText(menuText(p));
    };
    if (!e1->isVisible()) {
        set(e1, fn);
        e1->setVisible(true);
        action(QStringLiteral("mnuFileBar5"))->setVisible(true);
    } else if (!e2->isVisible()) {
        if (fn != path(e1)) {
            set(e2, path(e1));
            set(e1, fn);
            e2->setVisible(true);
        }
    } else if (!e3->isVisible()) {
        if (fn == path(e1))
            return;
        if (fn == path(e2)) {
            set(e2, path(e1));
            set(e1, fn);
        } else {
            set(e3, path(e2));
            set(e2, path(e1));
            set(e1, fn);
            e3->setVisible(true);
        }
    } else {
        if (fn == path(e1))
            return;
        if (fn == path(e2)) {
            set(e2, path(e1));
            set(e1, fn);
        } else {
            set(e3, path(e2));
            set(e2, path(e1));
            set(e1, fn);
        }
    }
}

void frmMain::File_List_Save()
{
    // The shown entries go into the settings file in one write.
    std::vector<settings::Value> entries;
    for (int k = 1; k <= 3; ++k) {
        QAction* e = action(QStringLiteral("mnuFileMRU(%1)").arg(k));
        if (e->isVisible())
            entries.push_back({kHistory, QString::number(k), e->data().toString()});
    }
    if (!entries.empty())
        storeUnasked(entries);
}

void frmMain::storeUnasked(const std::vector<settings::Value>& values)
{
    if (settings::write(values) || saidStoreFailure_)
        return;
    const int e = errno;
    saidStoreFailure_ = true;
    std::fprintf(stderr, "velmora: the settings can not be stored in %s: %s\n",
                 QFile::encodeName(settings::fileName()).constData(), std::strerror(e));
}

// ---------------------------------------------------------------- setup menu

void frmMain::mnuViewpassword_Click()
{
    if (gs().passwordMode != -1)
        return;
    frmLogin1 setup(this);
    ui::seam().exec(&setup);
}

// ---------------------------------------------------------------- view and window

void frmMain::mnuViewToolbar_Click()
{
    QAction* tick = action(QStringLiteral("mnuViewToolbar"));
    tick->setChecked(!tick->isChecked());
    toolbar1_->setVisible(tick->isChecked());
}

void frmMain::mnuViewStatusBar_Click()
{
    QAction* tick = action(QStringLiteral("mnuViewStatusBar"));
    tick->setChecked(!tick->isChecked());
    statusBar_->setVisible(tick->isChecked());
}

void frmMain::mnuKeyin_Click()
{
    auto& g = gs();
    g.keyInMode = g.keyInMode == -1 ? 0 : -1;
    action(QStringLiteral("mnuKeyin"))->setChecked(g.keyInMode == -1);
}

QSize frmMain::frameEstimate() const
{
    const int border = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
    const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    return QSize(2 * border, title + border);
}

int frmMain::cascadeStep() const { return style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this) + 4; }

QSize frmMain::documentArea() const
{
    // The toolbar that a new window has just shown takes its room first.
    if (QLayout* l = layout())
        l->activate();
    return mdi_->viewport()->size();
}

QSize frmMain::documentWindowSize(const frmDocument& doc, const QSize& frame) const
{
    return (doc.canvas()->size() + frame).boundedTo(documentArea());
}

int frmMain::placeDocumentWindow(QMdiSubWindow* sub, int place, const QSize& size)
{
    if (!fits(place, size, sub))
        place = 0;
    const int step = cascadeStep();
    sub->setGeometry(QRect(QPoint(place * step, place * step), size.expandedTo(sub->minimumSizeHint())));
    return place;
}

void frmMain::mnuWindowCascade_Click()
{
    // From the bottom of the stack up, each window one step below and right
    // of the one before, at the size its content needs as far as the area
    // holds it; a window that would not be whole at its place starts the
    // cascade again at the top left.
    int place = 0;
    for (QMdiSubWindow* sub : mdi_->subWindowList(QMdiArea::StackingOrder)) {
        if (sub->isHidden() || sub->isMinimized())
            continue;
        if (sub->isMaximized())
            sub->showNormal();
        const auto* doc = qobject_cast<const frmDocument*>(sub->widget());
        const QSize size = doc ? documentWindowSize(*doc, sub->size() - doc->size()) : sub->size();
        place = placeDocumentWindow(sub, place, size) + 1;
        sub->raise();
    }
    nextPlace_ = place;
    if (QMdiSubWindow* active = mdi_->activeSubWindow())
        active->raise();
}
void frmMain::mnuWindowTileHorizontal_Click() { mdi_->tileSubWindows(); }
void frmMain::mnuWindowTileVertical_Click() { mdi_->tileSubWindows(); }

void frmMain::mnuWindowIconAll_Click()
{
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (!sub->isMinimized())
            sub->showMinimized();
}

void frmMain::mnuWindowArrangeIcons_Click()
{
    // Minimised windows in a row along the bottom of the client area.
    int x = 0;
    const int bottom = mdi_->viewport()->height();
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        if (!sub->isMinimized())
            continue;
        const QSize s = sub->size();
        if (x + s.width() > mdi_->viewport()->width() && x > 0)
            x = 0;
        sub->move(x, bottom - s.height());
        x += s.width();
    }
}

void frmMain::refreshWindowMenu()
{
    for (QAction* a : windowListActions_) {
        windowMenu_->removeAction(a);
        delete a;
    }
    windowListActions_.clear();
    const auto subs = mdi_->subWindowList();
    if (subs.isEmpty())
        return;
    windowListActions_ << windowMenu_->addSeparator();
    int n = 0;
    for (QMdiSubWindow* sub : subs) {
        QString title = sub->widget() ? sub->widget()->windowTitle() : sub->windowTitle();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* a = windowMenu_->addAction(QStringLiteral("&%1 %2").arg(++n).arg(title));
        a->setCheckable(true);
        a->setChecked(sub == mdi_->currentSubWindow());
        connect(a, &QAction::triggered, this, [this, sub] { mdi_->setActiveSubWindow(sub); });
        windowListActions_ << a;
    }
}
