#include "app/frmMain.h"

#include "app/Globals.h"
#include "device/DeviceOps.h"
#include "document/frmDocument.h"
#include "platform/Clock.h"
#include "platform/CommPort.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

using velmora::gs;

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("mdiArea"));
    mdi_->setBackground(QColor(0x80, 0x80, 0xFF));
    setCentralWidget(mdi_);

    comm_ = new platform::CommPort(this);
    ops_ = new device::DeviceOps(*this);

    // The four timers; the enabled ones tick from the window's creation on.
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
}

frmMain::~frmMain()
{
    if (gs().mainWindow == this)
        gs().mainWindow = nullptr;
}

void frmMain::MDIForm_Load() {}

frmDocument* frmMain::ActiveForm() const
{
    QMdiSubWindow* sub = mdi_->currentSubWindow();
    return sub ? qobject_cast<frmDocument*>(sub->widget()) : nullptr;
}

QList<frmDocument*> frmMain::documents() const
{
    QList<frmDocument*> out;
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (auto* d = qobject_cast<frmDocument*>(sub->widget()))
            out << d;
    return out;
}

frmDocument* frmMain::NewDocumentWindow() { return nullptr; }

void frmMain::mnuFilenew_Click() {}
void frmMain::mnuFileOpen_Click() {}
void frmMain::mnuFileSave_Click() { saveDocument(ActiveForm()); }
void frmMain::mnuFileSaveAs_Click() {}
void frmMain::mnuFileClose_Click() {}
void frmMain::mnuFileCloseAll_Click() {}
void frmMain::mnuFileMRU_Click(int) {}
void frmMain::mnuFilePrint_Click() {}
void frmMain::mnuFileExit_Click() {}
void frmMain::mnuFilenewlist_Click() {}
void frmMain::mnuFileOpenlist_Click() {}
void frmMain::mnuFileImport_Click() {}
void frmMain::mnuFileExport_Click() {}
bool frmMain::saveDocument(frmDocument*) { return false; }
frmDocument* frmMain::openImage(const QString&, QString*) { return nullptr; }
void frmMain::File_List_Ctl(const QString&) {}
void frmMain::File_List_Save() {}
void frmMain::mnuViewpassword_Click() {}
void frmMain::mnuViewToolbar_Click() {}
void frmMain::mnuViewStatusBar_Click() {}
void frmMain::mnuKeyin_Click() {}
void frmMain::mnuWindowCascade_Click() {}
void frmMain::mnuWindowTileHorizontal_Click() {}
void frmMain::mnuWindowTileVertical_Click() {}
void frmMain::mnuWindowIconAll_Click() {}
void frmMain::mnuWindowArrangeIcons_Click() {}

QAction* frmMain::action(const QString& name) const { return findChild<QAction*>(name); }
QMenu* frmMain::menu(const QString& name) const { return findChild<QMenu*>(name); }

void frmMain::documentClosing(frmDocument*) {}

void frmMain::closeEvent(QCloseEvent* e) { e->accept(); }

void frmMain::buildMenus() {}
void frmMain::buildToolbars() {}
void frmMain::runToolbarKey(const QString&) {}
void frmMain::noDocumentState() {}
void frmMain::portFallback() {}
void frmMain::applyRights() {}
void frmMain::refreshWindowMenu() {}
QAction* frmMain::addAction(QMenu*, const char*, const QString&, const QString&) { return nullptr; }
bool frmMain::writeImage(frmDocument*, const QString&) { return false; }
QString frmMain::chooseFile(bool, const QString&) { return QString(); }
