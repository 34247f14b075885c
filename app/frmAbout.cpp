#include "app/frmAbout.h"

#include "platform/Look.h"
#include "platform/SettingsStore.h"
#include "platform/SystemInfo.h"
#include "platform/Ui.h"
#include "resources/Pictures.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

using look::tw;
using look::twRect;

namespace {

QFont chineseFont(const QStringList& families, qreal points, bool bold)
{
    QFont f;
    f.setFamilies(families + QStringList{QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK TC")});
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QLabel* colouredLabel(QWidget* parent, const char* name, const QFont& font, look::VbColor colour)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setFont(font);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, look::toQColor(colour));
    l->setPalette(pal);
    return l;
}

QFrame* line(QWidget* parent, const char* name, const QRect& r, look::VbColor colour)
{
    auto* f = new QFrame(parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setGeometry(r);
    f->setAutoFillBackground(true);
    QPalette pal = f->palette();
    pal.setColor(QPalette::Window, look::toQColor(colour));
    f->setPalette(pal);
    return f;
}

} // namespace

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setFixedSize(tw(7785), tw(4440));

    picture1_ = new QLabel(this);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->setGeometry(twRect(360, 120, 5055, 1215));
    picture1_->setScaledContents(true);
    picture1_->setPixmap(pictures::logo(picture1_->size() * 2));

    lblTitle_ = colouredLabel(this, "lblTitle",
                              chineseFont({QStringLiteral("標楷體"), QStringLiteral("DFKai-SB"),
                                           QStringLiteral("AR PL UKai TW")},
                                          20.25, true),
                              0x0000FF);
    lblTitle_->move(tw(360), tw(1800));

    // An etched divider: a grey line with a white one under it.
    line1_ = line(this, "Line1(1)", QRect(tw(120), tw(2280), tw(7320) - tw(120), 1), 0x808080);
    line0_ = line(this, "Line1(0)", QRect(tw(120), tw(2280) + 1, tw(5640) - tw(120), 1), 0xFFFFFF);

    lblDisclaimer_ = colouredLabel(
        this, "lblDisclaimer",
        chineseFont({QStringLiteral("新細明體"), QStringLiteral("PMingLiU")}, 12, false), 0xC00000);
    lblDisclaimer_->setGeometry(twRect(360, 2640, 5655, 1425));
    lblDisclaimer_->setWordWrap(true);
    lblDisclaimer_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDisclaimer_->setText(QStringLiteral(
        "Warning: this program and its pictures are protected by copyright. Copying it, passing it on or "
        "changing it, in whole or in part, without the maker's written consent is not allowed."));

    lblVersion_ = colouredLabel(this, "lblVersion",
                                chineseFont({QStringLiteral("新細明體"), QStringLiteral("PMingLiU")}, 11.25, false),
                                0x0000FF);
    lblVersion_->move(tw(6360), tw(2760));

    cmdSysInfo_ = new QPushButton(QStringLiteral("System Info."), this);
    cmdSysInfo_->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo_->setGeometry(twRect(6360, 3120, 1245, 375));
    cmdOK_ = new QPushButton(QStringLiteral("Close"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setGeometry(twRect(6360, 3720, 1245, 375));
    cmdOK_->setDefault(true);
    setTabOrder(cmdSysInfo_, cmdOK_);
    cmdSysInfo_->setFocus();

    connect(cmdOK_, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo_, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

void frmAbout::Form_Load()
{
    lblVersion_->setText(QStringLiteral("Ver:  %1.%2.%3")
                             .arg(VELMORA_VERSION_MAJOR)
                             .arg(VELMORA_VERSION_MINOR)
                             .arg(VELMORA_VERSION_PATCH));
    lblVersion_->adjustSize();
    setWindowTitle(QStringLiteral("About ") + QStringLiteral("VELMORA...."));
    lblTitle_->setText(QStringLiteral("VELMORA...."));
    lblTitle_->adjustSize();
}

void frmAbout::cmdOK_Click() { accept(); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(); }

int frmAbout::GetKeyValue(const QString& KeyName, const QString& SubKeyRef, QString& KeyVal)
{
    KeyVal.clear();
    const auto value = settings::read(KeyName, SubKeyRef);
    if (!value || settings::storedSize(*value) > 1024)
        return 0;
    KeyVal = *value;
    return -1;
}

void frmAbout::StartSysInfo()
{
    QString program;
    if (GetKeyValue(QString::fromLatin1(settings::kSettingsKey), QString::fromLatin1(platform::sysinfo::kSettingName),
                    program)
            == 0
        || program.trimmed().isEmpty())
        program = platform::sysinfo::programOnPath();
    if (!program.isEmpty() && platform::sysinfo::start(program))
        return;
    ui::msgBox(QStringLiteral("System Information Is Unavailable At This Time"), ui::Buttons::Ok, ui::Icon::None,
               QString(), this);
}
