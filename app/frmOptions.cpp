#include "app/frmOptions.h"

#include "state/Globals.h"
#include "app/frmMain.h"
#include "platform/CommPort.h"
#include "platform/Fault.h"
#include "platform/Look.h"
#include "platform/SettingsStore.h"
#include "platform/Ui.h"
#include "resources/Pictures.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

using look::tw;
using look::twRect;
using velmora::gs;

frmOptions::frmOptions(frmMain* main)
    : QDialog(main)
    , main_(main)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Communication"));
    setFixedSize(tw(6045), tw(2820));

    image1_ = new QLabel(this);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setGeometry(twRect(240, 600, 1815, 1275));
    image1_->setScaledContents(true);
    image1_->setPixmap(pictures::portPicture(image1_->size() * 2));

    frame1_ = new QGroupBox(QStringLiteral("RS-232 Com-Port"), this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    frame1_->setGeometry(twRect(2400, 360, 3255, 1575));
    // Upper left, lower left, upper right, lower right.
    const QPoint places[4] = {{tw(360), tw(420)}, {tw(360), tw(960)}, {tw(1800), tw(420)}, {tw(1800), tw(960)}};
    for (int i = 1; i <= 4; ++i) {
        auto* o = new QRadioButton(QStringLiteral("Com%1").arg(i), frame1_);
        o->setObjectName(QStringLiteral("optCom(%1)").arg(i));
        o->move(places[i - 1]);
        o->resize(tw(1215), tw(375));
        optCom_[static_cast<std::size_t>(i - 1)] = o;
    }

    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setGeometry(twRect(3000, 2160, 1215, 375));
    cmdCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setGeometry(twRect(4440, 2160, 1215, 375));
    // OK first in the tab order; Escape runs Cancel through reject().
    setTabOrder(cmdOK_, cmdCancel_);
    setTabOrder(cmdCancel_, optCom_[0]);
    cmdOK_->setFocus();

    connect(cmdOK_, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmOptions::cmdCancel_Click);
}

void frmOptions::Form_Load()
{
    if (gs().comPort == 0)
        gs().comPort = 1;
    if (gs().comPort >= 1 && gs().comPort <= 4)
        optCom(gs().comPort)->setChecked(true);
}

void frmOptions::cmdOK_Click()
{
    for (int i = 1; i <= 4; ++i)
        if (optCom(i)->isChecked())
            gs().comPort = static_cast<std::uint8_t>(i);

    platform::CommPort* port = main_ ? main_->MSComm1() : nullptr;
    if (port) {
        if (port->portOpen())
            port->setPortOpen(false);
        port->setCommPort(gs().comPort);
    }
    // A choice that cannot be stored is said, naming the file, and holds for
    // this run.
    if (!settings::write(QString::fromLatin1(settings::kSettingsKey), QStringLiteral("CommPort"),
                         QString::number(gs().comPort)))
        ui::msgBox(QStringLiteral("*****   The port can not be stored !   *****\n\n") + settings::fileName(),
                   ui::Buttons::Ok, ui::Icon::Critical, QStringLiteral("Error"), this);

    // Open the port on its new number at once, so that a choice that cannot
    // work is said now rather than at the next exchange with the programmer.
    // The choice stays stored either way.
    if (port) {
        try {
            port->setPortOpen(true);
        } catch (const platform::CommError&) {
            ui::msgBox(QStringLiteral("*****   Com%1 (%2) can not be opened !   *****")
                           .arg(gs().comPort)
                           .arg(port->devicePath()),
                       ui::Buttons::Ok, ui::Icon::Critical, QStringLiteral("Error"), this);
        } catch (const std::exception& e) {
            platform::reportFault(QStringLiteral("Communication"), e);
        }
    }
    accept();
}

void frmOptions::cmdCancel_Click() { reject(); }
