#include "app/frmLogin.h"

#include "state/Globals.h"
#include "platform/Keys.h"
#include "platform/Look.h"
#include "platform/SettingsStore.h"
#include "platform/Ui.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

using look::tw;
using look::twRect;
using velmora::gs;

namespace {

QLabel* caption(QWidget* parent, const char* name, const QString& text, look::VbColor colour, const QRect& r)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(r);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, look::toQColor(colour));
    l->setPalette(pal);
    return l;
}

QLineEdit* passwordBox(QWidget* parent, const char* name, const QRect& r)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setEchoMode(QLineEdit::Password);
    // Each character typed shows as "*", whatever the style would show.
    e->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    e->setGeometry(r);
    QFont f(QStringLiteral("PMingLiU"));
    f.setPointSizeF(9.75);
    e->setFont(f);
    return e;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, const QRect& r)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(r);
    return b;
}

// After a wrong entry the whole text is selected, so that typing replaces it.
void selectEntry(QLineEdit* e)
{
    e->setFocus(Qt::OtherFocusReason);
    platform::sendKeys(e, QStringLiteral("{Home}+{End}"));
}

} // namespace

// ---------------------------------------------------------------- login

frmLogin::frmLogin(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Password"));
    caption(this, "lblLabels(1)", QStringLiteral("Input Password :"), 0xC00000, twRect(180, 180, 1500, 285));
    txtPassword_ = passwordBox(this, "txtPassword", twRect(1740, 150, 2700, 315));
    cmdOK_ = button(this, "cmdOK", QStringLiteral("OK"), twRect(1740, 660, 1140, 390));
    cmdCancel_ = button(this, "cmdCancel", QStringLiteral("Cancel"), twRect(3060, 660, 1140, 390));
    // The dialog ends under its buttons with the margin it has above its
    // entry box.
    setFixedSize(tw(4740), cmdOK_->geometry().bottom() + 1 + txtPassword_->y());
    cmdOK_->setDefault(true);
    cmdOK_->setAutoDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &frmLogin::cmdOK_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmLogin::cmdCancel_Click);
    PASS_COUNT = 0;
}

void frmLogin::cmdOK_Click()
{
    const QString entry = txtPassword_->text().toUpper();
    if (entry == QLatin1String(velmora::kMasterPassword) || entry == gs().storedPassword.toUpper()) {
        gs().passwordMode = -1;
        accept();
        return;
    }
    ui::msgBox(QStringLiteral(" *****  Password Error\uFF0CPlease Re-enter Your Password !  *****"), ui::Buttons::Ok,
               ui::Icon::Critical, QStringLiteral("Error"), this);
    selectEntry(txtPassword_);
    ++PASS_COUNT;
    if (PASS_COUNT > 3) {
        gs().passwordMode = 0;
        done(QDialog::Rejected);
    }
}

void frmLogin::cmdCancel_Click()
{
    gs().passwordMode = 0;
    done(QDialog::Rejected);
}

void frmLogin::reject()
{
    // Escape or the close box: restricted mode, as Cancel.
    gs().passwordMode = 0;
    QDialog::reject();
}

// ---------------------------------------------------------------- set-up

frmLogin1::frmLogin1(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmLogin1"));
    setWindowTitle(QStringLiteral("Password Setup"));
    QLabel* newLabel =
        caption(this, "lblLabels(1)", QStringLiteral("Enter the New Password"), 0xFF0000, twRect(120, 150, 2100, 285));
    txtPassword2_ = passwordBox(this, "txtPassword2", twRect(2280, 120, 1800, 315));
    QLabel* againLabel =
        caption(this, "lblLabels(0)", QStringLiteral("Rekey-IN :Password "), 0xC00000, twRect(120, 630, 2100, 285));
    txtPassword1_ = passwordBox(this, "txtPassword1", twRect(2280, 600, 1800, 315));
    // The captions are as wide as their texts; the entry boxes start after
    // them and keep their right edge.
    int labelWidth = newLabel->width();
    for (QLabel* l : {newLabel, againLabel})
        labelWidth = std::max(labelWidth, l->fontMetrics().horizontalAdvance(l->text()) + 2);
    const int boxLeft = std::max(txtPassword2_->x(), newLabel->x() + labelWidth + tw(60));
    for (QLabel* l : {newLabel, againLabel})
        l->resize(labelWidth, l->height());
    for (QLineEdit* e : {txtPassword2_, txtPassword1_})
        e->setGeometry(boxLeft, e->y(), e->geometry().right() + 1 - boxLeft, e->height());
    cmdOK_ = button(this, "cmdOK", QStringLiteral("OK"), twRect(4200, 120, 1140, 390));
    cmdCancel_ = button(this, "cmdCancel", QStringLiteral("Cancel"), twRect(4200, 600, 1140, 390));
    cmdOK_->setDefault(true);
    // The dialog ends under its lowest control with the margin it has above
    // its highest one.
    setFixedSize(tw(5505), cmdCancel_->geometry().bottom() + 1 + cmdOK_->y());
    setTabOrder(txtPassword2_, txtPassword1_);
    setTabOrder(txtPassword1_, cmdOK_);
    setTabOrder(cmdOK_, cmdCancel_);
    connect(cmdOK_, &QPushButton::clicked, this, &frmLogin1::cmdOK_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmLogin1::cmdCancel_Click);
}

void frmLogin1::cmdOK_Click()
{
    if (txtPassword1_->text() != txtPassword2_->text()) {
        ui::msgBox(QStringLiteral(" *****  Password input inconsistent, Please Re-enter Your Password !  *****"),
                   ui::Buttons::Ok, ui::Icon::Critical, QStringLiteral("Error"), this);
        selectEntry(txtPassword1_);
        return;
    }
    // The marker and the password reach the file together or not at all.
    // A password that could not be stored is no password: the dialog stays
    // open, for another try or Cancel.
    if (!settings::write(QString::fromLatin1(settings::kHistoryKey),
                         {{QStringLiteral("PASS1"), QString::fromLatin1(velmora::kMasterPassword)},
                          {QStringLiteral("PASS2"), txtPassword1_->text()}})) {
        ui::msgBox(QStringLiteral("*****   The password can not be stored !   *****\n\n") + settings::fileName(),
                   ui::Buttons::Ok, ui::Icon::Critical, QStringLiteral("Error"), this);
        return;
    }
    accept();
}

void frmLogin1::cmdCancel_Click() { reject(); }
