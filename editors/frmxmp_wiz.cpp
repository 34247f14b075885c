#include "editors/frmxmp_wiz.h"

#include "state/Globals.h"
#include "platform/Look.h"
#include "platform/Ui.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>
#include <numeric>
#include <vector>

using look::tw;
using look::twRect;
using velmora::gs;

namespace {

constexpr look::VbColor kBlue = 0xFF0000; // &HFF0000

void colour(QWidget* w, look::VbColor c)
{
    QPalette pal = w->palette();
    const QColor q = look::toQColor(c);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(role, q);
    w->setPalette(pal);
}

QLabel* label(QWidget* parent, const QString& text, const QRect& r)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(r);
    return l;
}

// A row caption: blue bold text.
QLabel* caption(QWidget* parent, const QString& text, int top)
{
    QLabel* l = label(parent, text, twRect(1800, top, 1560, 360));
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    colour(l, kBlue);
    return l;
}

QComboBox* list(QWidget* parent, const char* name, const QStringList& items, const QRect& r)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    // A drop-down box whose text the user may also type; typed text adds no
    // item.
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(items);
    c->setCurrentIndex(-1);
    c->setGeometry(r);
    colour(c, look::kRed);
    return c;
}

QStringList clockItems(int last)
{
    QStringList out;
    for (int n = 1; n <= last; ++n)
        out << QStringLiteral("%1T").arg(n);
    return out;
}

// Setting a clock count n means choosing position n - 1; 0 leaves the list
// with no item chosen.
void setClocks(QComboBox* c, int n) { c->setCurrentIndex(n - 1); }

// The picture of a panel's left strip: a memory module standing upright,
// its chips and its contacts, under a lightning bolt.
QPixmap stripPicture(const QSize& size, bool ddr4)
{
    QPixmap pm(size * 2);
    pm.setDevicePixelRatio(2);
    pm.fill(Qt::transparent);
    QPainter g(&pm);
    g.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width(), h = size.height();
    const QRectF board(w * 0.30, h * 0.16, w * 0.46, h * 0.80);
    // Contacts along the left edge.
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(0xD8, 0xB0, 0x40));
    for (qreal y = board.top() + 6; y < board.bottom() - 6; y += 5)
        g.drawRect(QRectF(board.left() - 5, y, 6, 3));
    QLinearGradient pcb(board.topLeft(), board.topRight());
    pcb.setColorAt(0, ddr4 ? QColor(0x1E, 0x6A, 0x3A) : QColor(0x2A, 0x5C, 0x8C));
    pcb.setColorAt(1, ddr4 ? QColor(0x0E, 0x40, 0x22) : QColor(0x16, 0x36, 0x5A));
    g.setBrush(pcb);
    g.setPen(QPen(QColor(0x10, 0x20, 0x18), 1));
    g.drawRoundedRect(board, 3, 3);
    // Key notch.
    g.setBrush(QColor(0xF0, 0xF0, 0xF0));
    g.setPen(Qt::NoPen);
    g.drawRect(QRectF(board.left() - 1, board.top() + board.height() * (ddr4 ? 0.52 : 0.42), 4, 6));
    // Chips.
    const int chips = 6;
    const qreal ch = (board.height() - 16) / chips;
    for (int i = 0; i < chips; ++i) {
        const QRectF chip(board.left() + board.width() * 0.28, board.top() + 8 + i * ch + 2, board.width() * 0.56, ch - 6);
        QLinearGradient body(chip.topLeft(), chip.bottomRight());
        body.setColorAt(0, QColor(0x38, 0x38, 0x3C));
        body.setColorAt(1, QColor(0x10, 0x10, 0x12));
        g.setBrush(body);
        g.drawRoundedRect(chip, 1.5, 1.5);
    }
    // Lightning bolt over the top of the module.
    QPainterPath bolt;
    const qreal bx = w * 0.50, by = h * 0.02, s = qMin(w, h * 0.2) / 40.0;
    bolt.moveTo(bx + 6 * s, by);
    bolt.lineTo(bx - 10 * s, by + 22 * s);
    bolt.lineTo(bx + 1 * s, by + 22 * s);
    bolt.lineTo(bx - 6 * s, by + 40 * s);
    bolt.lineTo(bx + 14 * s, by + 14 * s);
    bolt.lineTo(bx + 3 * s, by + 14 * s);
    bolt.lineTo(bx + 12 * s, by);
    bolt.closeSubpath();
    QLinearGradient gold(bx, by, bx, by + 40 * s);
    gold.setColorAt(0, QColor(0xFF, 0xE0, 0x40));
    gold.setColorAt(1, QColor(0xF0, 0x80, 0x10));
    g.setBrush(gold);
    g.setPen(QPen(QColor(0x90, 0x40, 0x00), 1));
    g.drawPath(bolt);
    return pm;
}

QString setupText(int choice)
{
    switch (choice) {
    case xmp::kAllProfiles: return QStringLiteral("*** all XMP Profile Setting ***");
    case xmp::kProfile1: return QStringLiteral("*** XMP Profile-1 Setting ***");
    case xmp::kProfile2: return QStringLiteral("*** XMP Profile-2 Setting ***");
    default: return QString();
    }
}

QString clearText(int choice)
{
    switch (choice) {
    case xmp::kAllProfiles: return QStringLiteral("*** Clear all XMP Profile Setting ***");
    case xmp::kProfile1: return QStringLiteral("*** Clear XMP Profile-1 Setting ***");
    case xmp::kProfile2: return QStringLiteral("*** Clear XMP Profile-2 Setting ***");
    default: return QString();
    }
}

// The width a check box draws: its tick, the spacing and its caption.
int tickAndNumberWidth(QCheckBox* c)
{
    c->ensurePolished();
    QStyleOptionButton o;
    o.initFrom(c);
    o.text = c->text();
    o.rect = QRect(QPoint(0, 0), c->sizeHint());
    const QRect text = c->style()->subElementRect(QStyle::SE_CheckBoxContents, &o, c);
    return text.left() + c->fontMetrics().horizontalAdvance(c->text()) + 2;
}

const QString kSetupTitle = QStringLiteral("XMP Profile Setting");
const QString kClearTitle = QStringLiteral("Clear XMP");

} // namespace

frmxmp_wiz::frmxmp_wiz(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmxmp_wiz"));
    setWindowTitle(QStringLiteral("XMP Wizards"));
    setFixedSize(tw(6900), tw(6525));

    frame1_ = buildPanel(true, d4_);
    frame4_ = buildPanel(false, d3_);

    command2_ = new QPushButton(QStringLiteral("Clear"), this);
    command2_->setObjectName(QStringLiteral("Command2"));
    command2_->setGeometry(twRect(3480, 6000, 975, 495));
    command3_ = new QPushButton(QStringLiteral("Setup"), this);
    command3_->setObjectName(QStringLiteral("Command3"));
    command3_->setGeometry(twRect(4560, 6000, 975, 495));
    command1_ = new QPushButton(QStringLiteral("Close"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setGeometry(twRect(5760, 6000, 975, 495));
    for (QPushButton* b : {command1_, command2_, command3_})
        b->setAutoDefault(false);

    connect(command1_, &QPushButton::clicked, this, &frmxmp_wiz::Command1_Click);
    connect(command2_, &QPushButton::clicked, this, &frmxmp_wiz::Command2_Click);
    connect(command3_, &QPushButton::clicked, this, &frmxmp_wiz::Command3_Click);
    connect(d4_.speed, &QComboBox::currentIndexChanged, this, &frmxmp_wiz::SPEED_Click);
    connect(d3_.speed, &QComboBox::currentIndexChanged, this, &frmxmp_wiz::ASPEED_Click);
    // A grade chosen from the list applies its presets also when it was the
    // chosen item already (typed over, or presets changed by hand since).
    connect(d4_.speed, &QComboBox::activated, this, &frmxmp_wiz::SPEED_Click);
    connect(d3_.speed, &QComboBox::activated, this, &frmxmp_wiz::ASPEED_Click);
    connect(d4_.volt1, &QComboBox::currentIndexChanged, this, &frmxmp_wiz::VOLT1_Change);

    Form_Load();
}

QGroupBox* frmxmp_wiz::buildPanel(bool ddr4, Panel& p)
{
    auto* panel = new QGroupBox(this);
    panel->setObjectName(QString::fromLatin1(ddr4 ? "Frame1" : "Frame4"));
    panel->setGeometry(twRect(0, 360, 6855, 5535));
    panel->hide();

    // Left strip: the type, the XMP version, the picture.
    auto* strip = new QGroupBox(panel);
    strip->setObjectName(QString::fromLatin1(ddr4 ? "Frame2" : "Frame6"));
    strip->setGeometry(twRect(120, 120, 1560, 5295));
    QLabel* type = label(strip, QString::fromLatin1(ddr4 ? "DDR4" : "DDR3"), twRect(60, 240, 1440, 600));
    QFont big = type->font();
    big.setPointSizeF(20);
    big.setBold(true);
    type->setFont(big);
    type->setAlignment(Qt::AlignCenter);
    colour(type, kBlue);
    QLabel* version = label(strip, QString::fromLatin1(ddr4 ? "XMP 2.0" : "XMP 1.3"), twRect(60, 900, 1440, 420));
    QFont mid = version->font();
    mid.setPointSizeF(12);
    mid.setBold(true);
    version->setFont(mid);
    version->setAlignment(Qt::AlignCenter);
    colour(version, look::kRed);
    QLabel* image = label(strip, QString(), twRect(120, 1500, 1320, 3600));
    image->setObjectName(QString::fromLatin1(ddr4 ? "Image1" : "Image2"));
    image->setPixmap(stripPicture(image->size(), ddr4));

    // The rows: caption on the left, control on the right.
    const int left = 3360, width = 3375, height = 360;
    caption(panel, QStringLiteral("XMP Profile"), 240);
    p.pfnum = list(panel, ddr4 ? "PFNUM" : "APFNUM",
                   {QStringLiteral("All Profile"), QStringLiteral("Profile 1"), QStringLiteral("Profile 2")},
                   twRect(left, 240, width, height));

    caption(panel, QStringLiteral("Module Speed"), 720);
    QStringList grades;
    if (ddr4)
        for (int g = 0; g < xmp::ddr4::kGradeCount; ++g)
            grades << QString::fromLatin1(xmp::ddr4::grade(g).name);
    else
        for (int g = 0; g < xmp::ddr3::kGradeCount; ++g)
            grades << QString::fromLatin1(xmp::ddr3::grade(g).name);
    p.speed = list(panel, ddr4 ? "SPEED" : "ASPEED", grades, twRect(left, 720, width, height));

    caption(panel, QStringLiteral("VDD Voltage"), 1200);
    QStringList volts = {QStringLiteral("0"), QStringLiteral("1")};
    if (!ddr4)
        volts << QStringLiteral("2");
    QStringList hundredths;
    for (int k = 0; k < (ddr4 ? 100 : 20); ++k)
        hundredths << QStringLiteral("%1").arg(ddr4 ? k : 5 * k, 2, 10, QLatin1Char('0'));
    p.volt1 = list(panel, ddr4 ? "VOLT1" : "AVOLT1", volts, twRect(left, 1200, 900, height));
    QLabel* dot = label(panel, QStringLiteral("."), twRect(left + 930, 1200, 150, height));
    dot->setAlignment(Qt::AlignCenter);
    p.volt2 = list(panel, ddr4 ? "VOLT2" : "AVOLT2", hundredths, twRect(left + 1110, 1200, 900, height));
    label(panel, QStringLiteral("V"), twRect(left + 2070, 1200, 300, height));
    QFont bold = dot->font();
    bold.setBold(true);
    dot->setFont(bold);

    caption(panel, QStringLiteral("CL Support"), 1740);
    auto* clFrame = new QGroupBox(panel);
    clFrame->setObjectName(QString::fromLatin1(ddr4 ? "Frame3" : "ACL_SUPPORT"));
    clFrame->setGeometry(twRect(left, 1620, width, 1260));
    // Each latency stands close to its own tick and clearly apart from the
    // next box: the tick and its number are drawn tight together, and the
    // room left in a row goes between the columns.
    clFrame->setStyleSheet(QStringLiteral("QCheckBox { spacing: 2px; }"));
    const int boxes = ddr4 ? 18 : 15;
    const int perRow = ddr4 ? 6 : 5;
    for (int k = 0; k < boxes; ++k) {
        auto* c = new QCheckBox(QString::number((ddr4 ? 7 : 4) + k), clFrame);
        c->setObjectName(QStringLiteral("%1(%2)").arg(QLatin1String(ddr4 ? "CL_CHK" : "ACL_CHK")).arg(k));
        colour(c, look::kRed);
        p.cl[static_cast<std::size_t>(k)] = c;
    }
    std::vector<int> columnWidth(static_cast<std::size_t>(perRow), 0);
    for (int k = 0; k < boxes; ++k) {
        int& w = columnWidth[static_cast<std::size_t>(k % perRow)];
        w = std::max(w, tickAndNumberWidth(p.cl[static_cast<std::size_t>(k)]));
    }
    const int margin = tw(45);
    const int used = std::accumulate(columnWidth.begin(), columnWidth.end(), 0);
    const int gap = std::max(0, (clFrame->width() - 2 * margin - used) / (perRow - 1));
    for (int k = 0; k < boxes; ++k) {
        const int column = k % perRow;
        int x = margin;
        for (int c = 0; c < column; ++c)
            x += columnWidth[static_cast<std::size_t>(c)] + gap;
        p.cl[static_cast<std::size_t>(k)]->setGeometry(x, tw(150 + (k / perRow) * 360),
                                                       columnWidth[static_cast<std::size_t>(column)], tw(330));
    }

    static const char* const names4[] = {"TAA", "TRCD", "TRP", "TRAS", "TRC"};
    static const char* const names3[] = {"ATAA", "ATRCD", "ATRP", "ATRAS", "ATRC"};
    static const char* const captions[] = {"CL-tAA(min)", "tRCD(min)", "tRP(min)", "tRAS(min)", "tRC(min)"};
    for (int k = 0; k < 5; ++k) {
        const int top = 3060 + k * 480;
        caption(panel, QString::fromLatin1(captions[k]), top);
        p.clocks[static_cast<std::size_t>(k)] =
            list(panel, ddr4 ? names4[k] : names3[k], clockItems(k == 3 ? xmp::kMostClocksTras : xmp::kMostClocks),
                 twRect(left, top, width, height));
    }
    return panel;
}

int frmxmp_wiz::listIndex(const QComboBox* list)
{
    const int i = list->currentIndex();
    if (i < 0 || list->currentText() != list->itemText(i))
        return -1;
    return i;
}

// ---------------------------------------------------------------- opening

void frmxmp_wiz::Form_Load()
{
    type_ = gs().currentMemoryType;
    switch (type_) {
    case 11:
        frame1_->hide();
        frame4_->show();
        DDR3_XMP_LOAD();
        break;
    case 12:
        frame1_->show();
        frame4_->hide();
        DDR4_XMP_LOAD();
        break;
    default: break;
    }
}

void frmxmp_wiz::applyLoaded(Panel& p, const xmp::LoadedClocks& clocks)
{
    for (std::size_t k = 0; k < clocks.size(); ++k)
        if (clocks[k])
            setClocks(p.clocks[k], *clocks[k]);
}

void frmxmp_wiz::DDR3_XMP_LOAD()
{
    // Presets first: DDR3-1600 at 1.50 V, profile 1.
    d3_.speed->setCurrentIndex(1);
    d3_.volt1->setCurrentIndex(1);
    d3_.volt2->setCurrentIndex(10);
    d3_.pfnum->setCurrentIndex(xmp::kProfile1);
    const int presets[5] = {9, 9, 9, 33, 30};
    for (int k = 0; k < 5; ++k)
        setClocks(d3_.clocks[static_cast<std::size_t>(k)], presets[k]);

    const xmp::ddr3::Loaded l = xmp::ddr3::load(gs().sharedSpd);
    if (l.grade)
        d3_.speed->setCurrentIndex(*l.grade);
    for (std::size_t k = 0; k < l.cas.size(); ++k)
        d3_.cl[k]->setChecked(l.cas[k]);
    applyLoaded(d3_, l.clocks);
}

void frmxmp_wiz::DDR4_XMP_LOAD()
{
    // Presets first: DDR4-2133 at 1.20 V, profile 1.
    d4_.speed->setCurrentIndex(0);
    d4_.volt1->setCurrentIndex(1);
    d4_.volt2->setCurrentIndex(20);
    d4_.pfnum->setCurrentIndex(xmp::kProfile1);
    const int presets[5] = {15, 15, 15, 35, 50};
    for (int k = 0; k < 5; ++k)
        setClocks(d4_.clocks[static_cast<std::size_t>(k)], presets[k]);

    const xmp::ddr4::Loaded l = xmp::ddr4::load(gs().sharedSpd);
    if (l.grade)
        d4_.speed->setCurrentIndex(*l.grade);
    for (std::size_t k = 0; k < l.cas.size(); ++k)
        d4_.cl[k]->setChecked(l.cas[k]);
    applyLoaded(d4_, l.clocks);
}

// ---------------------------------------------------------------- grade presets

void frmxmp_wiz::ASPEED_Click()
{
    const int g = listIndex(d3_.speed);
    if (g < 0)
        return;
    const xmp::ddr3::Preset& p = xmp::ddr3::preset(g);
    const int n[5] = {p.taa, p.trcd, p.trp, p.tras, p.trc};
    for (int k = 0; k < 5; ++k)
        setClocks(d3_.clocks[static_cast<std::size_t>(k)], n[k]);
}

void frmxmp_wiz::SPEED_Click()
{
    const int g = listIndex(d4_.speed);
    if (g < 0)
        return;
    const xmp::ddr4::Preset& p = xmp::ddr4::preset(g);
    const int n[5] = {p.taa, p.trcd, p.trp, p.tras, p.trc};
    for (int k = 0; k < 5; ++k)
        setClocks(d4_.clocks[static_cast<std::size_t>(k)], n[k]);
    // The hundredths of a volt follow the grade; the whole volts stay.
    d4_.volt2->setCurrentIndex(p.hundredths);
}

void frmxmp_wiz::VOLT1_Change() {}

// ---------------------------------------------------------------- reading the panels

namespace {
xmp::Clocks clocksOf(const std::array<QComboBox*, 5>& lists)
{
    // Position p means p + 1 clocks; no item chosen gives 0.
    auto n = [&](int k) { return frmxmp_wiz::listIndex(lists[static_cast<std::size_t>(k)]) + 1; };
    return {n(0), n(1), n(2), n(3), n(4)};
}
} // namespace

xmp::ddr4::Choice frmxmp_wiz::ddr4Choice() const
{
    xmp::ddr4::Choice c;
    c.grade = listIndex(d4_.speed);
    c.volts = listIndex(d4_.volt1);
    c.hundredths = listIndex(d4_.volt2);
    for (std::size_t k = 0; k < c.cas.size(); ++k)
        c.cas[k] = d4_.cl[k]->checkState() != Qt::Unchecked;
    c.clocks = clocksOf(d4_.clocks);
    return c;
}

xmp::ddr3::Choice frmxmp_wiz::ddr3Choice() const
{
    xmp::ddr3::Choice c;
    c.grade = listIndex(d3_.speed);
    c.volts = listIndex(d3_.volt1);
    c.steps = listIndex(d3_.volt2);
    for (std::size_t k = 0; k < c.cas.size(); ++k)
        c.cas[k] = d3_.cl[k]->checkState() != Qt::Unchecked;
    c.clocks = clocksOf(d3_.clocks);
    return c;
}

// ---------------------------------------------------------------- profiles

xmp::Result frmxmp_wiz::DDR3_PROFILE1_SETUP() { return xmp::ddr3::writeProfile(gs().sharedSpd, 1, ddr3Choice()); }
xmp::Result frmxmp_wiz::DDR3_PROFILE2_SETUP() { return xmp::ddr3::writeProfile(gs().sharedSpd, 2, ddr3Choice()); }
xmp::Result frmxmp_wiz::PROFILE1_SETUP() { return xmp::ddr4::writeProfile(gs().sharedSpd, 1, ddr4Choice()); }
xmp::Result frmxmp_wiz::PROFILE2_SETUP() { return xmp::ddr4::writeProfile(gs().sharedSpd, 2, ddr4Choice()); }

// ---------------------------------------------------------------- Setup and Clear

void frmxmp_wiz::refuse(const xmp::Result& r, const QString& gradeName)
{
    const QString field = xmp::fieldCaption(r.field);
    QString text;
    switch (r.problem) {
    case xmp::Problem::NotChosen:
        text = QStringLiteral("*****   Please choose the %1 !   *****").arg(field);
        break;
    case xmp::Problem::ClocksTooLarge:
        text = QStringLiteral("*****   %1 %2T does not fit %3 (%4T at most) !   *****")
                   .arg(field)
                   .arg(r.clocks)
                   .arg(gradeName)
                   .arg(r.mostClocks);
        break;
    case xmp::Problem::JedecOutOfRange:
        text = QStringLiteral("*****   The JEDEC %1 of this module does not fit %2 !   *****").arg(field, gradeName);
        break;
    case xmp::Problem::None: return;
    }
    ui::msgBox(text, ui::Buttons::Ok, ui::Icon::Critical, QStringLiteral("Error"), this);
}

void frmxmp_wiz::confirm(const QString& text, const QString& title, const velmora::SpdImage& before, int first,
                         int last)
{
    if (ui::msgBox(text, ui::Buttons::YesNo, ui::Icon::None, title, this) == ui::Answer::Yes) {
        gs().xmpChanged = -1;
        accept();
        return;
    }
    for (int i = first; i <= last; ++i)
        gs().sharedSpd[static_cast<std::size_t>(i)] = before[static_cast<std::size_t>(i)];
}

void frmxmp_wiz::DDR4_PF_SETUP()
{
    const int choice = listIndex(d4_.pfnum);
    const xmp::ddr4::Choice c = ddr4Choice();
    const velmora::SpdImage before = gs().sharedSpd;
    const xmp::Result r = xmp::ddr4::setup(gs().sharedSpd, choice, c);
    if (!r.ok()) {
        refuse(r, c.grade >= 0 ? QString::fromLatin1(xmp::ddr4::grade(c.grade).name) : QString());
        return;
    }
    confirm(setupText(choice), kSetupTitle, before, xmp::ddr4::kFirst, xmp::ddr4::kLast);
}

void frmxmp_wiz::DDR3_PF_SETUP()
{
    const int choice = listIndex(d3_.pfnum);
    const xmp::ddr3::Choice c = ddr3Choice();
    const velmora::SpdImage before = gs().sharedSpd;
    const xmp::Result r = xmp::ddr3::setup(gs().sharedSpd, choice, c);
    if (!r.ok()) {
        refuse(r, c.grade >= 0 ? QString::fromLatin1(xmp::ddr3::grade(c.grade).name) : QString());
        return;
    }
    confirm(setupText(choice), kSetupTitle, before, xmp::ddr3::kFirst, xmp::ddr3::kLast);
}

void frmxmp_wiz::CLEAR_DDR4_XMP()
{
    const int choice = listIndex(d4_.pfnum);
    const velmora::SpdImage before = gs().sharedSpd;
    const xmp::Result r = xmp::ddr4::clear(gs().sharedSpd, choice);
    if (!r.ok()) {
        refuse(r, QString());
        return;
    }
    confirm(clearText(choice), kClearTitle, before, xmp::ddr4::kFirst, xmp::ddr4::kLast);
}

void frmxmp_wiz::CLEAR_DDR3_XMP()
{
    const int choice = listIndex(d3_.pfnum);
    const velmora::SpdImage before = gs().sharedSpd;
    const xmp::Result r = xmp::ddr3::clear(gs().sharedSpd, choice);
    if (!r.ok()) {
        refuse(r, QString());
        return;
    }
    confirm(clearText(choice), kClearTitle, before, xmp::ddr3::kFirst, xmp::ddr3::kLast);
}

// Setup and Clear act on the type the dialog was opened on: while it is open
// another window's decode may change the current memory type.
void frmxmp_wiz::Command3_Click()
{
    if (type_ == 11)
        DDR3_PF_SETUP();
    else if (type_ == 12)
        DDR4_PF_SETUP();
}

void frmxmp_wiz::Command2_Click()
{
    if (type_ == 11)
        CLEAR_DDR3_XMP();
    else if (type_ == 12)
        CLEAR_DDR4_XMP();
}

// Closes without raising the flag; the title bar's close box does the same.
void frmxmp_wiz::Command1_Click() { reject(); }
