#include "editors/frmmft.h"

#include "platform/Clock.h"
#include "platform/Look.h"
#include "platform/Ui.h"
#include "rules/editors/MftRules.h"
#include "rules/jedec/Jedec.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

using look::twRect;
using velmora::gs;

namespace {

// Places in twips. Each row: the title on the left with its byte-range
// caption under it, the controls from kCtlLeft.
constexpr int kTitleLeft = 180;
constexpr int kTitleWidth = 1650;
constexpr int kCtlLeft = 1950;
constexpr int kListWidth = 870;
constexpr int kListStep = 960;
constexpr int kListHeight = 330;
constexpr int kRowTop = 240;
constexpr int kRowStep = 660;
constexpr int kTextWidth = 7560;
constexpr int kFrameLeft = 120;
constexpr int kFrameTop = 60;
constexpr int kFrameWidth = 9900;
constexpr int kFrameHeight = 5520;
constexpr int kButtonWidth = 1350;
constexpr int kButtonHeight = 390;

constexpr look::VbColor kTitleBlue = 0xFF0000;   // &HFF0000
constexpr look::VbColor kNameBlue = 0x800000;    // &H800000

void setColour(QWidget* w, look::VbColor c)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, look::toQColor(c));
    w->setPalette(pal);
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption, const QRect& r)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setGeometry(r);
    return l;
}

// A field title: bold blue, its tool tip naming the field in full.
QLabel* title(QWidget* parent, const char* name, const QString& caption, const QString& tip, int row, int extraTop = 0)
{
    QLabel* l = makeLabel(parent, QString::fromLatin1(name), caption,
                          twRect(kTitleLeft, kRowTop + row * kRowStep + extraTop, kTitleWidth, 270));
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    setColour(l, kTitleBlue);
    l->setToolTip(tip);
    return l;
}

// A red byte-range caption under a title.
QLabel* rangeCaption(QWidget* parent, int index, int row, int extraTop = 0)
{
    QLabel* l = makeLabel(parent, QStringLiteral("Lab1(%1)").arg(index), QString(),
                          twRect(kTitleLeft, kRowTop + row * kRowStep + extraTop + 270, kTitleWidth, 240));
    setColour(l, look::kRed);
    return l;
}

QLabel* nameLabel(QWidget* parent, const char* name, const QRect& r)
{
    QLabel* l = makeLabel(parent, QString::fromLatin1(name), QStringLiteral("Company name"), r);
    setColour(l, kNameBlue);
    return l;
}

QLineEdit* textField(QWidget* parent, const char* name, int top)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(twRect(kCtlLeft, top, kTextWidth, kListHeight));
    return e;
}

QCheckBox* stampBox(QWidget* parent, const char* name, int left, int top)
{
    auto* c = new QCheckBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setGeometry(twRect(left, top, 300, kListHeight));
    c->setToolTip(QStringLiteral("(Year // Week)"));
    return c;
}

int listLeft(int k) { return kCtlLeft + k * kListStep; }
int rowTop(int row) { return kRowTop + row * kRowStep; }

const QStringList& byteItems()
{
    static const QStringList items = [] {
        QStringList l;
        l.reserve(256);
        for (int v = 0; v < 256; ++v)
            l << look::hex2(v);
        return l;
    }();
    return items;
}

const QStringList& yearItems()
{
    static const QStringList items = [] {
        QStringList l;
        for (int v = 0; v < 100; ++v)
            l << QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
        return l;
    }();
    return items;
}

const QStringList& weekItems()
{
    static const QStringList items = [] {
        QStringList l;
        for (int v = 0; v <= 53; ++v)
            l << QString::number(v);
        return l;
    }();
    return items;
}

} // namespace

frmmft::frmmft(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmmft"));
    setWindowTitle(QStringLiteral("Manufacturer Information"));
    QFont f = font();
    f.setPointSizeF(9);
    setFont(f);
    const int width = kFrameLeft * 2 + kFrameWidth;
    const int buttonsTop = kFrameTop + kFrameHeight + 150;
    setFixedSize(look::tw(width), look::tw(buttonsTop + kButtonHeight + 150));

    buildDdr34Frame();
    buildDdr2Frame();

    // Along the bottom, left to right: Clear, Setup, Close.
    auto button = [&](const char* name, const QString& caption, int fromRight) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        b->setGeometry(twRect(width - kFrameLeft - fromRight * (kButtonWidth + 120) + 120, buttonsTop, kButtonWidth,
                              kButtonHeight));
        return b;
    };
    command3_ = button("Command3", QStringLiteral("Clear"), 3);
    command2_ = button("Command2", QStringLiteral("Setup"), 2);
    command1_ = button("Command1", QStringLiteral("Close"), 1);
    connect(command1_, &QPushButton::clicked, this, &frmmft::Command1_Click);
    connect(command2_, &QPushButton::clicked, this, &frmmft::Command2_Click);
    connect(command3_, &QPushButton::clicked, this, &frmmft::Command3_Click);
    setTabOrder(command3_, command2_);
    setTabOrder(command2_, command1_);
}

QComboBox* frmmft::makeList(QWidget* parent, const QString& name, int left, int top)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setEditable(false);
    c->setMaxVisibleItems(16);
    c->setGeometry(twRect(left, top, kListWidth, kListHeight));
    return c;
}

void frmmft::buildDdr34Frame()
{
    frame1_ = new QGroupBox(this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    frame1_->setGeometry(twRect(kFrameLeft, kFrameTop, kFrameWidth, kFrameHeight));
    QWidget* p = frame1_;

    // Caption index of each row, top to bottom.
    title(p, "Label1", QStringLiteral("Module ID"), QStringLiteral("Module Manufacturer JEDEC ID"), 0);
    Lab1_[0] = rangeCaption(p, 0, 0);
    JID1_ = makeList(p, QStringLiteral("JID1"), listLeft(0), rowTop(0));
    JID2_ = makeList(p, QStringLiteral("JID2"), listLeft(1), rowTop(0));
    Label2_ = nameLabel(p, "Label2", twRect(listLeft(2) + 120, rowTop(0), kFrameWidth - listLeft(2) - 240, kListHeight));

    title(p, "Label3", QStringLiteral("Location"), QStringLiteral("Manufacturing Location"), 1);
    Lab1_[1] = rangeCaption(p, 1, 1);
    LOC_ = makeList(p, QStringLiteral("LOC"), listLeft(0), rowTop(1));

    title(p, "Label4", QStringLiteral("Date"), QStringLiteral("Module Manufacturing Date"), 2);
    Lab1_[2] = rangeCaption(p, 2, 2);
    YEAR_ = makeList(p, QStringLiteral("YEAR"), listLeft(0), rowTop(2));
    WEEK_ = makeList(p, QStringLiteral("WEEK"), listLeft(1), rowTop(2));
    Check1_ = stampBox(p, "Check1", listLeft(2) + 120, rowTop(2));
    Label5_ = makeLabel(p, QStringLiteral("Label5"), QStringLiteral("(Year // Week)"),
                        twRect(listLeft(2) + 480, rowTop(2), 3600, kListHeight));

    title(p, "Label6", QStringLiteral("Serial Number"), QStringLiteral("Module Serial Number"), 3);
    Lab1_[3] = rangeCaption(p, 3, 3);
    for (int i = 0; i < 4; ++i)
        SNUM_[static_cast<std::size_t>(i)] = makeList(p, QStringLiteral("SNUM(%1)").arg(i), listLeft(i), rowTop(3));

    title(p, "Label9", QStringLiteral("DRAM ID"), QStringLiteral("DRAM JManufacturer JEDEC ID"), 4);
    Lab1_[7] = rangeCaption(p, 7, 4);
    JID3_ = makeList(p, QStringLiteral("JID3"), listLeft(0), rowTop(4));
    JID4_ = makeList(p, QStringLiteral("JID4"), listLeft(1), rowTop(4));
    Label11_ = nameLabel(p, "Label11", twRect(listLeft(2) + 120, rowTop(4), kFrameWidth - listLeft(2) - 240, kListHeight));

    title(p, "Label7", QStringLiteral("Part Number"), QStringLiteral("Module Part Number"), 5);
    Lab1_[4] = rangeCaption(p, 4, 5);
    Text1_ = textField(p, "Text1", rowTop(5));

    title(p, "Label8", QStringLiteral("Revision"), QStringLiteral("Module Revision Code"), 6);
    Lab1_[5] = rangeCaption(p, 5, 6);
    REV1_ = makeList(p, QStringLiteral("REV1"), listLeft(0), rowTop(6));
    REV2_ = makeList(p, QStringLiteral("REV2"), listLeft(1), rowTop(6));

    title(p, "Label10", QStringLiteral(" Specific Data"), QStringLiteral("Manufacturer\u2019s Specific Data"), 7);
    Lab1_[6] = rangeCaption(p, 6, 7);
    Text2_ = textField(p, "Text2", rowTop(7));

    for (QComboBox* c : {JID1_, JID2_})
        connect(c, &QComboBox::currentIndexChanged, this, [this] {
            if (!loading_)
                SHOW_JEDEC_NAME1();
        });
    for (QComboBox* c : {JID3_, JID4_})
        connect(c, &QComboBox::currentIndexChanged, this, [this] {
            if (!loading_)
                SHOW_JEDEC_NAME2();
        });
    connect(Check1_, &QCheckBox::clicked, this, &frmmft::Check1_Click);
}

void frmmft::buildDdr2Frame()
{
    frame2_ = new QGroupBox(this);
    frame2_->setObjectName(QStringLiteral("Frame2"));
    frame2_->setGeometry(twRect(kFrameLeft, kFrameTop, kFrameWidth, kFrameHeight));
    QWidget* p = frame2_;
    // The identifier row holds its name label under the eight lists, so the
    // rows below it start lower.
    constexpr int kNameRow = 240;
    auto top = [&](int row) { return rowTop(row) + (row > 0 ? kNameRow : 0); };
    const auto& captions = mft::ddr2Captions();
    auto caption = [&](int index, int row) {
        QLabel* l = rangeCaption(p, index, row, row > 0 ? kNameRow : 0);
        l->setText(captions[static_cast<std::size_t>(index - 9)]);
    };

    title(p, "Label14", QStringLiteral("Module ID"), QStringLiteral("Module Manufacturer JEDEC ID"), 0);
    caption(9, 0);
    for (int i = 0; i < 8; ++i) {
        QComboBox* c = makeList(p, QStringLiteral("D2ID(%1)").arg(i), listLeft(i), top(0));
        D2ID_[static_cast<std::size_t>(i)] = c;
        connect(c, &QComboBox::currentIndexChanged, this, [this, i] {
            if (!loading_)
                D2ID_Click(i);
        });
    }
    Label15_ = nameLabel(p, "Label15", twRect(kCtlLeft, top(0) + kListHeight + 15, kTextWidth, 270));

    title(p, "Label16", QStringLiteral(" Location"), QStringLiteral("Manufacturing Location"), 1, kNameRow);
    caption(10, 1);
    MLOC_ = makeList(p, QStringLiteral("MLOC"), listLeft(0), top(1));

    title(p, "Label20", QStringLiteral("Part Number"), QStringLiteral("Module Part Number"), 2, kNameRow);
    caption(11, 2);
    Text3_ = textField(p, "Text3", top(2));

    title(p, "Label21", QStringLiteral("Revision"), QStringLiteral("Module Revision Code"), 3, kNameRow);
    caption(12, 3);
    MREV1_ = makeList(p, QStringLiteral("MREV1"), listLeft(0), top(3));
    MREV2_ = makeList(p, QStringLiteral("MREV2"), listLeft(1), top(3));

    title(p, "Label17", QStringLiteral("Date"), QStringLiteral("Module Manufacturing Date"), 4, kNameRow);
    caption(13, 4);
    MYEAR_ = makeList(p, QStringLiteral("MYEAR"), listLeft(0), top(4));
    MWEEK_ = makeList(p, QStringLiteral("MWEEK"), listLeft(1), top(4));
    Check2_ = stampBox(p, "Check2", listLeft(2) + 120, top(4));
    Label18_ = makeLabel(p, QStringLiteral("Label18"), QStringLiteral("(Year // Week)"),
                         twRect(listLeft(2) + 480, top(4), 3600, kListHeight));

    title(p, "Label19", QStringLiteral("Serial Number"), QStringLiteral("Module Serial Number"), 5, kNameRow);
    caption(14, 5);
    for (int i = 0; i < 4; ++i)
        MSNUM_[static_cast<std::size_t>(i)] = makeList(p, QStringLiteral("MSNUM(%1)").arg(i), listLeft(i), top(5));

    title(p, "Label22", QStringLiteral("s Specific Data"), QStringLiteral("Manufacturer\u2019s Specific Data"), 6,
          kNameRow);
    caption(15, 6);
    Text4_ = textField(p, "Text4", top(6));

    connect(Check2_, &QCheckBox::clicked, this, &frmmft::Check2_Click);
}

// ---------------------------------------------------------------- opening

void frmmft::Form_Load()
{
    type_ = gs().currentMemoryType;
    // Setup and Clear need full rights and a type whose block can be written
    // back; otherwise only Close is offered.
    if (gs().passwordMode == 0 || !mft::blockRange(type_)) {
        command2_->setVisible(false);
        command3_->setVisible(false);
    }
    setWindowTitle(mft::captionFor(type_));
    if (mft::usesDdr34Layout(type_)) {
        frame1_->setVisible(true);
        frame2_->setVisible(false);
        DDR34_FORM_LOAD();
    } else {
        frame1_->setVisible(false);
        frame2_->setVisible(true);
        DDR2_FORM_LOAD();
    }
}

void frmmft::fillBytes(std::initializer_list<QComboBox*> lists)
{
    for (QComboBox* c : lists)
        c->addItems(byteItems());
}

void frmmft::DDR2_FORM_LOAD()
{
    loading_ = true;
    MYEAR_->addItems(yearItems());
    for (QComboBox* c : D2ID_)
        c->addItems(byteItems());
    fillBytes({MLOC_, MSNUM_[0], MSNUM_[1], MSNUM_[2], MSNUM_[3], MREV1_, MREV2_});
    Label18_->setText(mft::todayText(vclock::clock().today()));
    MWEEK_->addItems(weekItems());

    const mft::Ddr2Fields f = mft::loadDdr2(gs().sharedSpd);
    for (std::size_t i = 0; i < 8; ++i)
        D2ID_[i]->setCurrentIndex(f.id[i]);
    MLOC_->setCurrentIndex(f.location);
    Text3_->setText(f.partNumber);
    MREV1_->setCurrentIndex(f.rev1);
    MREV2_->setCurrentIndex(f.rev2);
    MYEAR_->setCurrentIndex(f.year);
    MWEEK_->setCurrentIndex(f.week);
    for (std::size_t i = 0; i < 4; ++i)
        MSNUM_[i]->setCurrentIndex(f.serial[i]);
    Text4_->setText(f.specificData);
    loading_ = false;
    DDR2_JEDEC_NAME();
}

void frmmft::DDR34_FORM_LOAD()
{
    loading_ = true;
    YEAR_->addItems(yearItems());
    fillBytes({JID2_, JID4_, SNUM_[0], SNUM_[1], SNUM_[2], SNUM_[3], LOC_, REV1_, REV2_});
    Label5_->setText(mft::todayText(vclock::clock().today()));
    fillBytes({JID1_, JID3_});
    WEEK_->addItems(weekItems());
    loading_ = false;
    if (type_ == 11)
        DDR3_MFT_STATUS();
    else if (type_ == 12)
        DDR4_MFT_STATUS();
}

void frmmft::DDR3_MFT_STATUS() { showDdr34(11); }

void frmmft::DDR4_MFT_STATUS()
{
    REV2_->setVisible(false);
    showDdr34(12);
}

void frmmft::showDdr34(int type)
{
    const mft::Ddr34Map& m = mft::ddr34Map(type);
    loading_ = true;
    for (std::size_t i = 0; i < 8; ++i)
        Lab1_[i]->setText(QString::fromLatin1(m.captions[i]));
    const mft::Ddr34Fields f = mft::loadDdr34(gs().sharedSpd, m);
    JID1_->setCurrentIndex(f.idCount);
    JID2_->setCurrentIndex(f.idCode);
    JID3_->setCurrentIndex(f.dramCount);
    JID4_->setCurrentIndex(f.dramCode);
    LOC_->setCurrentIndex(f.location);
    YEAR_->setCurrentIndex(f.year);
    WEEK_->setCurrentIndex(f.week);
    for (std::size_t i = 0; i < 4; ++i)
        SNUM_[i]->setCurrentIndex(f.serial[i]);
    Text1_->setText(f.partNumber);
    REV1_->setCurrentIndex(f.rev1);
    if (m.rev2 >= 0)
        REV2_->setCurrentIndex(f.rev2);
    Text2_->setText(f.specificData);
    loading_ = false;
    SHOW_JEDEC_NAME1();
    SHOW_JEDEC_NAME2();
}

// ---------------------------------------------------------------- writing

void frmmft::DDR2_MFT_SETUP(velmora::SpdImage& buffer) const
{
    mft::Ddr2Fields f;
    for (std::size_t i = 0; i < 8; ++i)
        f.id[i] = D2ID_[i]->currentIndex();
    f.location = MLOC_->currentIndex();
    f.partNumber = Text3_->text();
    f.rev1 = MREV1_->currentIndex();
    f.rev2 = MREV2_->currentIndex();
    f.year = MYEAR_->currentIndex();
    f.week = MWEEK_->currentIndex();
    for (std::size_t i = 0; i < 4; ++i)
        f.serial[i] = MSNUM_[i]->currentIndex();
    f.specificData = Text4_->text();
    mft::writeDdr2(buffer, f);
}

namespace {

mft::Ddr34Fields ddr34Fields(QComboBox* JID1, QComboBox* JID2, QComboBox* JID3, QComboBox* JID4, QComboBox* LOC,
                             QComboBox* YEAR, QComboBox* WEEK, const std::array<QComboBox*, 4>& SNUM,
                             QComboBox* REV1, QComboBox* REV2, QLineEdit* Text1, QLineEdit* Text2)
{
    mft::Ddr34Fields f;
    f.idCount = JID1->currentIndex();
    f.idCode = JID2->currentIndex();
    f.location = LOC->currentIndex();
    f.year = YEAR->currentIndex();
    f.week = WEEK->currentIndex();
    for (std::size_t i = 0; i < 4; ++i)
        f.serial[i] = SNUM[i]->currentIndex();
    f.partNumber = Text1->text();
    f.rev1 = REV1->currentIndex();
    f.rev2 = REV2->currentIndex();
    f.dramCount = JID3->currentIndex();
    f.dramCode = JID4->currentIndex();
    f.specificData = Text2->text();
    return f;
}

} // namespace

void frmmft::DDR3_MFT_SETUP(velmora::SpdImage& buffer) const
{
    mft::writeDdr34(buffer, mft::ddr34Map(11),
                    ddr34Fields(JID1_, JID2_, JID3_, JID4_, LOC_, YEAR_, WEEK_, SNUM_, REV1_, REV2_, Text1_, Text2_));
}

void frmmft::DDR4_MFT_SETUP(velmora::SpdImage& buffer) const
{
    mft::writeDdr34(buffer, mft::ddr34Map(12),
                    ddr34Fields(JID1_, JID2_, JID3_, JID4_, LOC_, YEAR_, WEEK_, SNUM_, REV1_, REV2_, Text1_, Text2_));
}

// ---------------------------------------------------------------- names

// The dialog's lookup leaves its name in the program-wide JEDEC name.
void frmmft::JEDEC_PROG(const QString& JEDEC) { gs().jedecName = jedec::dialogLookup(JEDEC); }

void frmmft::DDR2_JEDEC_NAME()
{
    std::array<int, 8> id{};
    for (std::size_t i = 0; i < 8; ++i)
        id[i] = D2ID_[i]->currentIndex();
    JEDEC_PROG(mft::idBytesKey(id));
    Label15_->setText(gs().jedecName);
}

void frmmft::SHOW_JEDEC_NAME1()
{
    Label2_->setText(mft::countCodeName(JID1_->currentIndex(), JID2_->currentIndex()));
}

void frmmft::SHOW_JEDEC_NAME2()
{
    Label11_->setText(mft::countCodeName(JID3_->currentIndex(), JID4_->currentIndex()));
}

void frmmft::D2ID_Click(int) { DDR2_JEDEC_NAME(); }

// ---------------------------------------------------------------- buttons

void frmmft::Command1_Click() { reject(); }

void frmmft::Command2_Click()
{
    // Without full rights, or for a type whose block is never written back,
    // there is nothing to set up.
    if (gs().passwordMode == 0 || !mft::blockRange(type_))
        return;
    // The fields go into a copy; the shared buffer changes only on Yes.
    velmora::SpdImage img = gs().sharedSpd;
    switch (type_) {
    case 11: DDR3_MFT_SETUP(img); break;
    case 12: DDR4_MFT_SETUP(img); break;
    case 8: DDR2_MFT_SETUP(img); break;
    default: break;
    }
    if (ui::msgBox(QStringLiteral("*** Module Manufacturer's Information Setup ***"), ui::Buttons::YesNo,
                   ui::Icon::None, QStringLiteral("Setup"), this) != ui::Answer::Yes)
        return;
    gs().sharedSpd = img;
    gs().mftSetup = -1;
    accept();
}

void frmmft::Command3_Click()
{
    if (gs().passwordMode == 0 || !mft::blockRange(type_))
        return;
    if (ui::msgBox(QStringLiteral("*** Clear Manufacturer Information ***"), ui::Buttons::YesNo, ui::Icon::None,
                   QStringLiteral("Clear"), this) != ui::Answer::Yes)
        return;
    mft::clearBlock(gs().sharedSpd, type_);
    gs().mftSetup = -1;
    accept();
}

// ---------------------------------------------------------------- date stamp

void frmmft::stampDate(QComboBox* year, QComboBox* week, QCheckBox* box)
{
    // Clearing the box keeps the lists as they are.
    if (!box->isChecked())
        return;
    const mft::Stamp s = mft::dateStamp(vclock::clock().today());
    year->setCurrentIndex(s.year);
    week->setCurrentIndex(s.week);
}

void frmmft::Check1_Click() { stampDate(YEAR_, WEEK_, Check1_); }
void frmmft::Check2_Click() { stampDate(MYEAR_, MWEEK_, Check2_); }

// ---------------------------------------------------------------- controls

QComboBox* frmmft::list(const QString& name) const { return findChild<QComboBox*>(name); }
QLineEdit* frmmft::text(const QString& name) const { return findChild<QLineEdit*>(name); }
QLabel* frmmft::label(const QString& name) const { return findChild<QLabel*>(name); }
QCheckBox* frmmft::check(const QString& name) const { return findChild<QCheckBox*>(name); }
