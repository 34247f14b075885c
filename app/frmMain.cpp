#include "app/frmMain.h"

#include "document/frmDocument.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    mdi_ = new QMdiArea(this);
    setCentralWidget(mdi_);
    timer1_ = new QTimer(this);
    timer2_ = new QTimer(this);
    timer3_ = new QTimer(this);
    timer4_ = new QTimer(this);
}

frmMain::~frmMain() = default;

frmDocument* frmMain::ActiveForm() const
{
    QMdiSubWindow* sub = mdi_->currentSubWindow();
    return sub ? qobject_cast<frmDocument*>(sub->widget()) : nullptr;
}

void frmMain::STATUSIC() {}

void frmMain::mnuFileSave_Click() { saveDocument(ActiveForm()); }

void frmMain::saveDocument(frmDocument*) {}

void frmMain::documentClosing(frmDocument*) {}
