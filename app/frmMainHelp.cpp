// The main window's side windows: port options, about box, help, web link,
// error mail and the pin-map viewers.

#include "app/frmMainHelp.h"

#include "state/Globals.h"
#include "app/PinViewers.h"
#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "platform/Ui.h"

#include <QDesktopServices>
#include <QUrl>

namespace help {

QString mailLink(const QString& Address, const QString& Subject, const QString& Body, const QString& CC,
                 const QString& BCC, const QString& ATTACH)
{
    QString s;
    if (!Subject.isEmpty())
        s = QStringLiteral("&Subject=") + Subject;
    if (!Body.isEmpty())
        s += QStringLiteral("&Body=") + Body;
    if (!CC.isEmpty())
        s += QStringLiteral("&CC=") + CC;
    if (!BCC.isEmpty())
        s += QStringLiteral("&BCC=") + BCC;
    if (!ATTACH.isEmpty())
        s += QStringLiteral("&Attach=\"") + ATTACH + QLatin1Char('"');
    if (!s.isEmpty())
        s[0] = QLatin1Char('?');
    return QStringLiteral("mailto:") + Address + s;
}

bool openLink(const QString& link, QWidget* owner)
{
    if (QDesktopServices::openUrl(QUrl(link, QUrl::TolerantMode)))
        return true;
    ui::msgBox(QStringLiteral("*****   No program on this desktop can open %1   *****").arg(link), ui::Buttons::Ok,
               ui::Icon::Critical, QStringLiteral("Error"), owner);
    return false;
}

} // namespace help

namespace {

// Brings the one loaded viewer of its kind to the front, or loads and shows
// a new one.
template <class Viewer>
void showViewer(frmMain* owner)
{
    for (Viewer* v : owner->findChildren<Viewer*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (v->isUnloaded())
            continue;
        if (v->isMinimized())
            v->showNormal();
        v->show();
        v->raise();
        v->activateWindow();
        return;
    }
    auto* v = new Viewer(owner);
    v->Form_Load();
    v->show();
}

} // namespace

void frmMain::mnuViewOptions_Click()
{
    // The port choice is barred in restricted mode, however it is reached.
    if (velmora::gs().passwordMode != -1)
        return;
    frmOptions dlg(this);
    dlg.Form_Load();
    ui::seam().exec(&dlg);
}

void frmMain::MNU_ICMAP_Click() { showViewer<FrmICMAP>(this); }
void frmMain::MNU_MDMAP_Click() { showViewer<FrmMDMAP>(this); }

void frmMain::mnuHelpAbout_Click()
{
    frmAbout dlg(this);
    dlg.Form_Load();
    ui::seam().exec(&dlg);
}

void frmMain::mnuHelpContents_Click()
{
    SendMail(QString::fromLatin1(help::kSupportAddress), QString::fromLatin1(help::kErrorMailSubject), QString(),
             QString(), QString(), QString());
}

void frmMain::mnuHelpSearchForHelpOn_Click()
{
    ui::msgBox(QStringLiteral("Unable to display Help Contents. There is no Help associated with this project."),
               ui::Buttons::Ok, ui::Icon::Information, windowTitle(), this);
}

void frmMain::mnuViewWebBrowser_Click() { help::openLink(QString::fromLatin1(help::kWebAddress), this); }

void frmMain::SendMail(const QString& Address, const QString& Subject, const QString& Body, const QString& CC,
                       const QString& BCC, const QString& ATTACH)
{
    help::openLink(help::mailLink(Address, Subject, Body, CC, BCC, ATTACH), this);
}
