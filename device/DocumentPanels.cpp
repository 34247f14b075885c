#include "device/DocumentPanels.h"

#include "state/Globals.h"
#include "device/DeviceOps.h"
#include "rules/device/Frames.h"
#include "document/frmDocument.h"
#include "platform/Clock.h"
#include "platform/Look.h"
#include "platform/Ui.h"
#include "resources/Pictures.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>

using look::twRect;
using velmora::gs;

namespace device {

namespace {

constexpr int kPanelLeft = 6600;
constexpr int kPanelTop = 6780;
constexpr int kPanelWidth = 8700;
constexpr int kPanelHeight = 3180;

QString colourName(look::VbColor c) { return look::toQColor(c).name(); }

void setForeColour(QWidget* w, look::VbColor c)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, look::toQColor(c));
    pal.setColor(QPalette::ButtonText, look::toQColor(c));
    pal.setColor(QPalette::Text, look::toQColor(c));
    w->setPalette(pal);
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& title, const QRect& r, bool shown)
{
    auto* f = new QGroupBox(title, parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setGeometry(r);
    f->setVisible(shown);
    // The panels lie on top of each other and over the window; each one
    // covers what lies under it, as a frame does.
    f->setAutoFillBackground(true);
    return f;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, int left, int top)
{
    auto* l = new QLabel(caption, parent);
    if (name)
        l->setObjectName(QString::fromLatin1(name));
    l->move(look::tw(left), look::tw(top));
    l->adjustSize();
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QRect& r)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(r);
    b->setAutoDefault(false);
    return b;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption, int left, int top)
{
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(QString::fromLatin1(name));
    c->move(look::tw(left), look::tw(top));
    c->adjustSize();
    return c;
}

QRadioButton* option(QWidget* parent, const QString& name, const QString& caption, int left, int top)
{
    auto* o = new QRadioButton(caption, parent);
    o->setObjectName(name);
    o->move(look::tw(left), look::tw(top));
    o->adjustSize();
    return o;
}

QLabel* picture(QWidget* parent, const QString& name, const QString& key, const QRect& r, bool shown)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setGeometry(r);
    l->setScaledContents(true);
    l->setPixmap(pictures::busy(key, r.size()));
    l->setVisible(shown);
    return l;
}

void bold(QWidget* w, double points = 0)
{
    QFont f = w->font();
    f.setBold(true);
    if (points > 0)
        f.setPointSizeF(points);
    w->setFont(f);
    if (qobject_cast<QLabel*>(w))
        w->adjustSize();
}

// Places widgets left to right at their natural widths, `gap` pixels apart,
// vertically centred on the row whose top is `top` (pixels); returns the
// right edge of the last one.
int placeRow(int left, int top, int height, int gap, std::initializer_list<QWidget*> widgets)
{
    int x = left;
    for (QWidget* w : widgets) {
        const QSize hint = w->sizeHint();
        const int width = w->minimumWidth() > 0 ? w->width() : hint.width();
        const int h = std::min(height, std::max(hint.height(), w->height()));
        w->setGeometry(x, top + (height - h) / 2, width, h);
        x += width + gap;
    }
    return x - gap;
}

} // namespace

// ---------------------------------------------------------------- Lamp

Lamp::Lamp(QWidget* parent, const QString& name, look::VbColor fill, int diameterTwips)
    : QWidget(parent)
    , fill_(fill)
{
    setObjectName(name);
    const int d = look::tw(diameterTwips);
    setFixedSize(d + 2, d + 2);
}

void Lamp::setFillColor(look::VbColor c)
{
    if (fill_ == c)
        return;
    fill_ = c;
    update();
}

void Lamp::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(look::toQColor(fill_));
    p.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

// ---------------------------------------------------------------- building

DevicePanels* devicePanels(const frmDocument* doc)
{
    if (!doc)
        return nullptr;
    return doc->findChild<DevicePanels*>(QStringLiteral("DevicePanels"), Qt::FindDirectChildrenOnly);
}

void buildDevicePanels(frmDocument& doc, DeviceOps* ops)
{
    (void)new DevicePanels(doc, ops);
    doc.registerLabels();
}

DevicePanels::DevicePanels(frmDocument& doc, DeviceOps* ops)
    : QObject(&doc)
    , doc_(doc)
    , ops_(ops)
{
    setObjectName(QStringLiteral("DevicePanels"));
    QWidget* canvas = doc.canvas();
    buildTransferPanel(canvas);
    buildSetupPanel(canvas);
    buildTestPanel(canvas);
    buildBanner(canvas);
    buildBusyPanel(canvas);

    if (QTimer* t = doc.Timer2())
        connect(t, &QTimer::timeout, this, &DevicePanels::Timer2_Timer);
    // A click held for the window waits until its close is decided: kept,
    // the click runs; closed, it goes, and what was owed to others goes on.
    if (ops) {
        connect(&doc, &frmDocument::closeRefused, ops, &DeviceOps::lineFreed, Qt::QueuedConnection);
        connect(&doc, &frmDocument::documentClosed, ops, &DeviceOps::lineFreed, Qt::QueuedConnection);
    }
    if (auto* l60 = doc.findChild<QLabel*>(QStringLiteral("Label60"))) {
        l60->setCursor(Qt::PointingHandCursor);
        l60->installEventFilter(this);
    }
}

void DevicePanels::buildBusyPanel(QWidget* canvas)
{
    Frame15 = frame(canvas, "Frame15", QString(), twRect(6360, 4320, 3855, 2055), false);
    Frame15->setFlat(true);
    Shape2 = new QWidget(Frame15);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setGeometry(twRect(70, 80, 3780, 1935));
    Shape2->setAttribute(Qt::WA_StyledBackground, true);
    Shape2->setStyleSheet(QStringLiteral("#Shape2 { background-color: %1; border: 2px solid %2; }")
                              .arg(colourName(look::kLightGrey), colourName(0xFF0000)));
    Image[11] = picture(Frame15, QStringLiteral("Image11"), QStringLiteral("computer"), twRect(240, 480, 1215, 1155), true);
    Image[16] = picture(Frame15, QStringLiteral("Image16"), QStringLiteral("programmer"), twRect(240, 480, 1215, 1125), true);
    Image[12] = picture(Frame15, QStringLiteral("Image12"), QStringLiteral("programmer"), twRect(2400, 480, 1215, 1125), true);
    Image[13] = picture(Frame15, QStringLiteral("Image13"), QStringLiteral("module"), twRect(2400, 480, 1320, 1005), false);
    Image[17] = picture(Frame15, QStringLiteral("Image17"), QStringLiteral("hand"), twRect(2400, 480, 1305, 975), false);
    Image[14] = picture(Frame15, QStringLiteral("Image14"), QStringLiteral("arrowRight"), twRect(1560, 720, 705, 360), true);
    Image[15] = picture(Frame15, QStringLiteral("Image15"), QStringLiteral("arrowLeft"), twRect(1560, 1080, 720, 345), true);
    Label134 = label(Frame15, "Label134", QStringLiteral("00"), 1800, 345);
    bold(Label134, 15.75);
    setForeColour(Label134, look::kRed);
    Label134->adjustSize();
    Label134->hide();
    Label99 = label(Frame15, "Label99", QStringLiteral("X8"), 3120, 1080);
    bold(Label99, 20.25);
    setForeColour(Label99, look::kRed);
    Label99->adjustSize();
    Label99->hide();
}

void DevicePanels::buildTransferPanel(QWidget* canvas)
{
    Frame4 = frame(canvas, "Frame4", QStringLiteral("SPD "), twRect(kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight), true);
    picture(Frame4, QStringLiteral("Image1"), QStringLiteral("computer"), twRect(180, 480, 1440, 1440), true);
    auto* pc = label(Frame4, nullptr, QStringLiteral("PC"), 720, 2040);
    bold(pc);
    const struct {
        const char* name;
        const char* caption;
        QPushButton** slot;
    } column[] = {
        {"Command1", "Write =>", &Command1},
        {"Command2", "<= Load Tester", &Command2},
        {"Command9", "<= Load Module", &Command9},
        {"Command3", "<=  Verify  =>", &Command3},
        {"Command4", "Clear (00)", &Command4},
    };
    int top = 300;
    for (const auto& c : column) {
        *c.slot = button(Frame4, c.name, QString::fromLatin1(c.caption), twRect(1800, top, 2400, 450));
        top += 540;
    }
    picture(Frame4, QStringLiteral("Image2"), QStringLiteral("programmer"), twRect(4380, 480, 1440, 1440), true);
    auto* tester = label(Frame4, nullptr, QStringLiteral("I/O Tester"), 4560, 2040);
    bold(tester);
    const struct {
        const char* name;
        const char* caption;
        QPushButton** slot;
    } right[] = {
        {"Command5", "Read", &Command5},
        {"Command6", "Copy", &Command6},
        {"Command7", "Verify", &Command7},
        {"Command17", "Learn", &Command17},
    };
    top = 420;
    for (const auto& c : right) {
        *c.slot = button(Frame4, c.name, QString::fromLatin1(c.caption), twRect(6180, top, 1800, 450));
        top += 600;
    }
    Command16 = button(Frame4, "Command16", QStringLiteral("X"), twRect(8220, 180, 360, 330));
    bold(Command16);

    connect(Command1, &QPushButton::clicked, this, &DevicePanels::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &DevicePanels::Command2_Click);
    connect(Command9, &QPushButton::clicked, this, &DevicePanels::Command9_Click);
    connect(Command3, &QPushButton::clicked, this, &DevicePanels::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &DevicePanels::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &DevicePanels::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &DevicePanels::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &DevicePanels::Command7_Click);
    connect(Command17, &QPushButton::clicked, this, &DevicePanels::Command17_Click);
    connect(Command16, &QPushButton::clicked, this, &DevicePanels::Command16_Click);
}

void DevicePanels::buildSetupPanel(QWidget* canvas)
{
    Frame5 = frame(canvas, "Frame5", QStringLiteral("Test Setup"), twRect(kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight), false);
    Frame5->setStyleSheet(QStringLiteral("#Frame5::title { color: %1; }").arg(colourName(0xC00000)));
    QFont small = Frame5->font();
    small.setPointSizeF(8);
    Frame5->setFont(small);

    ASNUM_CHK = checkBox(Frame5, "ASNUM_CHK", QStringLiteral("Auto S/N"), 0, 0);
    KEY_CHK = checkBox(Frame5, "KEY_CHK", QStringLiteral("SPD Key-Lock"), 0, 0);
    AVR_CHK = checkBox(Frame5, "AVR_CHK", QStringLiteral("S/N no Verify"), 0, 0);
    QLabel* snL = label(Frame5, nullptr, QStringLiteral("S/N : L"), 0, 0);
    for (int n = 1; n <= 4; ++n) {
        auto* t = new QLineEdit(QStringLiteral("00"), Frame5);
        t->setObjectName(QStringLiteral("STEXT%1").arg(n));
        t->setMaxLength(2);
        t->setAlignment(Qt::AlignCenter);
        QFont f = t->font();
        f.setPointSizeF(12);
        t->setFont(f);
        t->resize(look::tw(450), look::tw(360));
        t->setMinimumWidth(look::tw(450));
        STEXT[static_cast<std::size_t>(n)] = t;
        connect(t, &QLineEdit::returnPressed, this, [this, n] { STEXT_KeyDown(n, 13); });
    }
    QLabel* snH = label(Frame5, nullptr, QStringLiteral("H"), 0, 0);

    Frame12 = frame(Frame5, "Frame12", QString(), QRect(), true);
    QLabel* encode = label(Frame12, nullptr, QStringLiteral("S/N Encode"), 0, 0);
    HEX_OPT[0] = option(Frame12, QStringLiteral("HEX_OPT(0)"), QStringLiteral("Decimal"), 0, 0);
    HEX_OPT[1] = option(Frame12, QStringLiteral("HEX_OPT(1)"), QStringLiteral("Hexadecimal"), 0, 0);
    Frame14 = frame(Frame5, "Frame14", QString(), QRect(), true);
    QLabel* directions = label(Frame14, nullptr, QStringLiteral("S/N Directions"), 0, 0);
    DIR_OPT[0] = option(Frame14, QStringLiteral("DIR_OPT(0)"), QStringLiteral("Low to High"), 0, 0);
    DIR_OPT[1] = option(Frame14, QStringLiteral("DIR_OPT(1)"), QStringLiteral("High to Low"), 0, 0);
    QLabel* size = label(Frame5, nullptr, QStringLiteral("EEPROM SIZE"), 0, 0);
    EEP_OPT[0] = option(Frame5, QStringLiteral("EEP_OPT(0)"), QStringLiteral("By SPD"), 0, 0);
    EEP_OPT[1] = option(Frame5, QStringLiteral("EEP_OPT(1)"), QStringLiteral("256 Byte"), 0, 0);
    EEP_OPT[2] = option(Frame5, QStringLiteral("EEP_OPT(2)"), QStringLiteral("512 Byte"), 0, 0);

    // Rows of the left part, top to bottom.
    const int rowH = look::tw(390);
    const int boxH = look::tw(420);
    ASNUM_CHK->move(8, look::tw(270));
    KEY_CHK->move(8 + AVR_CHK->sizeHint().width() + 16, look::tw(270));
    int right = placeRow(8, look::tw(660), rowH, 4, {AVR_CHK, snL, STEXT[1], STEXT[2], STEXT[3], STEXT[4], snH});
    const int inner12 = placeRow(6, 6, boxH, 8, {encode, HEX_OPT[0], HEX_OPT[1]});
    const int inner14 = placeRow(6, 6, boxH, 8, {directions, DIR_OPT[0], DIR_OPT[1]});
    const int frameW = std::max(inner12, inner14) + 8;
    Frame12->setGeometry(2, look::tw(1050), frameW, boxH + 12);
    Frame14->setGeometry(2, Frame12->geometry().bottom() + 4, frameW, boxH + 12);
    size->move(8, Frame14->geometry().bottom() + 4);
    right = std::max({right, frameW, placeRow(8 + 12, size->geometry().bottom() + 1, rowH, 8, {EEP_OPT[0], EEP_OPT[1], EEP_OPT[2]})});
    const int setupLeft = right + 10;

    // Each array is one group of its own.
    auto group = [this](auto& arr, void (DevicePanels::*handler)(int)) {
        auto* g = new QButtonGroup(this);
        g->setExclusive(true);
        for (std::size_t i = 0; i < arr.size(); ++i) {
            g->addButton(arr[i], static_cast<int>(i));
            connect(arr[i], &QRadioButton::toggled, this, [this, handler, i](bool on) {
                if (on)
                    (this->*handler)(static_cast<int>(i));
            });
        }
    };
    DIR_OPT[0]->setChecked(true);
    HEX_OPT[0]->setChecked(true);
    EEP_OPT[0]->setChecked(true);
    group(DIR_OPT, &DevicePanels::DIR_OPT_Click);
    group(HEX_OPT, &DevicePanels::HEX_OPT_Click);
    group(EEP_OPT, &DevicePanels::EEP_OPT_Click);

    Frame23 = frame(Frame5, "Frame23", QString(), QRect(), true);
    Frame23->setGeometry(setupLeft, look::tw(150), Frame5->width() - setupLeft - 6, Frame5->height() - look::tw(150) - 6);
    F_CHK[1] = checkBox(Frame23, "F_CHK1", QStringLiteral("Power Test"), 0, 0);
    F_CHK[2] = checkBox(Frame23, "F_CHK2", QStringLiteral("Open Test"), 0, 0);
    F_CHK[4] = checkBox(Frame23, "F_CHK4", QStringLiteral("Copy SPD"), 0, 0);
    F_CHK[6] = checkBox(Frame23, "F_CHK6", QStringLiteral("Soft Protect (34c02)"), 0, 0);
    F_CHK[3] = checkBox(Frame23, "F_CHK3", QStringLiteral("Short Test"), 0, 0);
    F_CHK[5] = checkBox(Frame23, "F_CHK5", QStringLiteral("Verify SPD"), 0, 0);
    const int second = 10 + std::max({F_CHK[1]->width(), F_CHK[2]->width(), F_CHK[4]->width()}) + 12;
    const int rows[3] = {look::tw(360), look::tw(780), look::tw(1200)};
    F_CHK[1]->move(10, rows[0]);
    F_CHK[2]->move(10, rows[1]);
    F_CHK[4]->move(10, rows[2]);
    F_CHK[6]->move(second, rows[0]);
    F_CHK[3]->move(second, rows[1]);
    F_CHK[5]->move(second, rows[2]);
    Command10 = button(Frame23, "Command10", QStringLiteral("Load Default"), QRect());
    Command8 = button(Frame23, "Command8", QStringLiteral("Main Menu"), QRect());
    Command15 = button(Frame23, "Command15", QStringLiteral("SETUP"), QRect());
    bold(Command15);
    const int buttonsW = (Frame23->width() - 2 * 6 - 2 * 4);
    const int bw[3] = {buttonsW * 36 / 100, buttonsW * 33 / 100, buttonsW - buttonsW * 36 / 100 - buttonsW * 33 / 100};
    int bx = 6;
    const int by = Frame23->height() - look::tw(480) - 6;
    for (int i = 0; i < 3; ++i) {
        QPushButton* b = i == 0 ? Command10 : i == 1 ? Command8 : Command15;
        b->setGeometry(bx, by, bw[i], look::tw(480));
        bx += bw[i] + 4;
    }
    Command14 = button(Frame23, "Command14", QStringLiteral("X"), QRect(Frame23->width() - look::tw(360) - 4, 2, look::tw(360), look::tw(330)));
    QFont xf = Command14->font();
    xf.setBold(true);
    xf.setPointSizeF(12);
    Command14->setFont(xf);
    Command14->setStyleSheet(QStringLiteral("#Command14 { background-color: %1; }").arg(colourName(0xFF80FF)));

    for (int n = 1; n <= 6; ++n)
        connect(F_CHK[static_cast<std::size_t>(n)], &QCheckBox::toggled, this, [this, n] { F_CHK_Click(n); });
    connect(ASNUM_CHK, &QCheckBox::toggled, this, &DevicePanels::ASNUM_CHK_Click);
    connect(AVR_CHK, &QCheckBox::toggled, this, &DevicePanels::AVR_CHK_Click);
    connect(KEY_CHK, &QCheckBox::toggled, this, &DevicePanels::KEY_CHK_Click);
    connect(Command10, &QPushButton::clicked, this, &DevicePanels::Command10_Click);
    connect(Command15, &QPushButton::clicked, this, &DevicePanels::Command15_Click);
    connect(Command8, &QPushButton::clicked, this, &DevicePanels::Command8_Click);
    connect(Command14, &QPushButton::clicked, this, &DevicePanels::Command14_Click);
}

void DevicePanels::buildTestPanel(QWidget* canvas)
{
    TEST_FRAME = frame(canvas, "TEST_FRAME", QString(), twRect(kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight), true);

    TEST_COMMAND = button(TEST_FRAME, "TEST_COMMAND", QStringLiteral("TEST"), twRect(120, 180, 1860, 1500));
    bold(TEST_COMMAND, 16);
    setBackColor(TEST_COMMAND, look::kGreen);
    connect(TEST_COMMAND, &QPushButton::clicked, this, &DevicePanels::TEST_COMMAND_Click);

    Frame8 = frame(TEST_FRAME, "Frame8", QString(), twRect(120, 1740, 1860, 1320), true);
    auto* pass = label(Frame8, nullptr, QStringLiteral("PASS"), 120, 150);
    bold(pass);
    setForeColour(pass, kBannerGreen);
    PASS_LABEL = label(Frame8, "PASS_LABEL", QStringLiteral("0"), 840, 150);
    PASS_LABEL->setMinimumWidth(look::tw(900));
    bold(PASS_LABEL);
    auto* fail = label(Frame8, nullptr, QStringLiteral("FAIL"), 120, 480);
    bold(fail);
    setForeColour(fail, look::kRed);
    FAIL_LABEL = label(Frame8, "FAIL_LABEL", QStringLiteral("0"), 840, 480);
    FAIL_LABEL->setMinimumWidth(look::tw(900));
    bold(FAIL_LABEL);
    Command11 = button(Frame8, "Command11", QStringLiteral("Status"), twRect(90, 840, 840, 390));
    Command18 = button(Frame8, "Command18", QStringLiteral("Reset"), twRect(960, 840, 810, 390));
    connect(Command11, &QPushButton::clicked, this, &DevicePanels::Command11_Click);
    connect(Command18, &QPushButton::clicked, this, &DevicePanels::Command18_Click);

    auto lampColumn = [this](QGroupBox* f, int first, const QStringList& captions) {
        for (int i = 0; i < 6; ++i) {
            const int n = first + i;
            auto* lamp = new Lamp(f, QStringLiteral("F_LED%1").arg(n), kLampDark, 195);
            lamp->move(look::tw(180), look::tw(480 + i * 330));
            F_LED[static_cast<std::size_t>(n)] = lamp;
            if (!captions[i].isEmpty()) {
                auto* l = label(f, nullptr, captions[i], 480, 465 + i * 330);
                setForeColour(l, 0xFF0000);
            }
        }
    };

    Frame21 = frame(TEST_FRAME, "Frame21", QString(), twRect(2100, 120, 3240, 2940), true);
    auto* t21 = label(Frame21, nullptr, QStringLiteral("Tester Setup"), 180, 150);
    bold(t21);
    lampColumn(Frame21, 1,
               {QStringLiteral("Power Test"), QStringLiteral("Open Test"), QStringLiteral("Short Test"),
                QStringLiteral("Copy SPD"), QStringLiteral("Verify SPD"), QStringLiteral("Soft Protect(34C02)")});
    Label56 = label(Frame21, "Label56", QString(), 180, 2520);
    Label56->setMinimumWidth(look::tw(1500));
    bold(Label56, 10);
    setForeColour(Label56, look::kRed);
    Command12 = button(Frame21, "Command12", QString(), twRect(2340, 2040, 780, 780));
    Command12->setIcon(QIcon(pictures::busy(QStringLiteral("computer"), QSize(44, 44))));
    Command12->setIconSize(QSize(40, 40));
    Command12->setToolTip(QStringLiteral("Test Setup"));
    connect(Command12, &QPushButton::clicked, this, &DevicePanels::Command12_Click);

    Frame22 = frame(TEST_FRAME, "Frame22", QString(), twRect(5400, 120, 3180, 2940), true);
    auto* t22 = label(Frame22, nullptr, QStringLiteral("SPD Function"), 180, 150);
    bold(t22);
    lampColumn(Frame22, 11,
               {QStringLiteral("Key-Lock"), QStringLiteral("Auto S/N"), QStringLiteral("S/N NO Verify"), QString(),
                QString(), QString()});
    F_LAB14 = label(Frame22, "F_LAB14", QStringLiteral("S/N Encode(DEC)"), 480, 465 + 3 * 330);
    F_LAB15 = label(Frame22, "F_LAB15", QStringLiteral("S/N Directions(Low to High)"), 480, 465 + 4 * 330);
    F_LAB16 = label(Frame22, "F_LAB16", QStringLiteral("EEPROM (BY SPD)"), 480, 465 + 5 * 330);
    // Each as wide as the longest caption the status gives it; the last
    // one ends short of the tester picture.
    const struct {
        QLabel* l;
        QStringList captions;
    } values[] = {
        {F_LAB14, {QStringLiteral("S/N Encode(DEC)"), QStringLiteral("S/N Encode(HEX)")}},
        {F_LAB15, {QStringLiteral("S/N Directions(Low to High)"), QStringLiteral("S/N Directions(High to Low)")}},
        {F_LAB16, {QStringLiteral("EEPROM (BY SPD)"), QStringLiteral("EEPROM (256 Byte)"), QStringLiteral("EEPROM (512 Byte)")}},
    };
    for (const auto& v : values) {
        setForeColour(v.l, 0xFF0000);
        int width = 0;
        for (const QString& c : v.captions)
            width = std::max(width, v.l->fontMetrics().horizontalAdvance(c));
        v.l->setMinimumWidth(width + 2);
        v.l->adjustSize();
    }
    F_LAB20 = label(Frame22, "F_LAB20", QStringLiteral("S/N: 00000000"), 180, 2520);
    F_LAB20->setMinimumWidth(look::tw(2100));
    bold(F_LAB20, 10);
    setForeColour(F_LAB20, look::kRed);
    Command13 = button(Frame22, "Command13", QString(), twRect(2340, 2040, 780, 780));
    Command13->setIcon(QIcon(pictures::busy(QStringLiteral("programmer"), QSize(44, 44))));
    Command13->setIconSize(QSize(40, 40));
    Command13->setToolTip(QStringLiteral("SPD "));
    connect(Command13, &QPushButton::clicked, this, &DevicePanels::Command13_Click);

    // The log view lies over the two lamp frames.
    Frame7 = frame(TEST_FRAME, "Frame7", QString(), twRect(2100, 120, 6480, 2940), false);
    List1 = new QListWidget(Frame7);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(twRect(120, 180, 4260, 2640));
    const QString reasons[4] = {QStringLiteral("Power Fail"), QStringLiteral("Open Fail"), QStringLiteral("Short Fail"),
                                QStringLiteral("SPD Fail")};
    for (int i = 0; i < 4; ++i) {
        auto* lamp = new Lamp(Frame7, QStringLiteral("FAIL_LED(%1)").arg(i), kLampDark, 240);
        lamp->move(look::tw(4560), look::tw(480 + i * 390));
        FAIL_LED[static_cast<std::size_t>(i)] = lamp;
        label(Frame7, nullptr, reasons[i], 4920, 480 + i * 390);
    }
    AMP_LAB = label(Frame7, "AMP_LAB", QStringLiteral("0"), 4560, 2160);
    AMP_LAB->setMinimumWidth(look::tw(900));
    AMP_LAB->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bold(AMP_LAB, 12);
    setForeColour(AMP_LAB, look::kRed);
    auto* mA = label(Frame7, nullptr, QStringLiteral("mA"), 5520, 2220);
    bold(mA);
    Command19 = button(Frame7, "Command19", QStringLiteral("X"), twRect(6060, 150, 360, 330));
    bold(Command19);
    connect(Command19, &QPushButton::clicked, this, &DevicePanels::Command19_Click);
}

void DevicePanels::buildBanner(QWidget* canvas)
{
    S_FRAME = frame(canvas, "S_FRAME", QString(), twRect(6360, 4320, 3855, 2055), false);
    S_FRAME->setFlat(true);
    S_FRAME->setAttribute(Qt::WA_StyledBackground, true);
    setBackColor(S_FRAME, kBannerGreen);
    STS_LAB1 = new QLabel(QStringLiteral("PASS"), S_FRAME);
    STS_LAB1->setObjectName(QStringLiteral("STS_LAB1"));
    STS_LAB1->setAlignment(Qt::AlignCenter);
    bold(STS_LAB1, 26);
    // The whole banner: "POWER FAIL" as well as "PASS".
    STS_LAB1->setGeometry(S_FRAME->rect());
    STS_LAB1->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
}

void DevicePanels::setBackColor(QWidget* w, look::VbColor c)
{
    if (!w)
        return;
    w->setProperty("backColor", static_cast<uint>(c));
    w->setAttribute(Qt::WA_StyledBackground, true);
    QString sheet = QStringLiteral("#%1 { background-color: %2; }").arg(w->objectName(), colourName(c));
    // A disabled button ("Testing...", and every device button in restricted
    // mode) shows its colour faded towards the button face and a grey
    // caption, as the style's own disabled buttons do; the grey stays dark
    // enough to read on the faded green and red.
    if (qobject_cast<QAbstractButton*>(w)) {
        const QColor face = look::toQColor(look::kButtonFace);
        sheet += QStringLiteral(" #%1:disabled { background-color: %2; color: %3; }")
                     .arg(w->objectName(), look::blend(look::toQColor(c), face, kDisabledFade).name(),
                          colourName(kDisabledTestText));
    }
    w->setStyleSheet(sheet);
}

look::VbColor DevicePanels::backColor(const QWidget* w)
{
    return w ? static_cast<look::VbColor>(w->property("backColor").toUInt()) : 0;
}

// ---------------------------------------------------------------- busy panel

void DevicePanels::showBusy(Scene s)
{
    // Image11, Image16, Image12, Image13, Image14, Image15.
    static const int order[6] = {11, 16, 12, 13, 14, 15};
    bool shown[6] = {};
    switch (s) {
    case Scene::ComputerToProgrammer: shown[0] = shown[2] = shown[4] = true; break;
    case Scene::ComputerProgrammerBoth: shown[0] = shown[2] = shown[4] = shown[5] = true; break;
    case Scene::ProgrammerToComputer: shown[0] = shown[2] = shown[5] = true; break;
    case Scene::ModuleToComputer: shown[0] = shown[3] = shown[5] = true; break;
    case Scene::ModuleToProgrammer: shown[1] = shown[3] = shown[5] = true; break;
    case Scene::ProgrammerToModule: shown[1] = shown[3] = shown[4] = true; break;
    case Scene::ProgrammerModuleBoth: shown[1] = shown[3] = shown[4] = shown[5] = true; break;
    case Scene::ProgrammerAndHand: shown[1] = shown[5] = true; break;
    }
    Frame15->show();
    Frame15->raise();
    for (int i = 0; i < 6; ++i)
        Image[static_cast<std::size_t>(order[i])]->setVisible(shown[i]);
    if (s == Scene::ProgrammerAndHand)
        Image[17]->show();
}

void DevicePanels::hideBusy() { Frame15->hide(); }

int DevicePanels::eepromChoice() const
{
    for (int i = 0; i < 3; ++i)
        if (EEP_OPT[static_cast<std::size_t>(i)]->isChecked())
            return i;
    return 0;
}

void DevicePanels::showPanel(Panel which)
{
    Frame4->setVisible(which == TransferPanel);
    Frame5->setVisible(which == SetupPanel);
    TEST_FRAME->setVisible(which == TestPanel);
}

// ---------------------------------------------------------------- device buttons

bool DevicePanels::heldBack(const std::function<void()>& click)
{
    DeviceOps* m = ops_.data();
    return m && m->deferClick(*this, click);
}

void DevicePanels::guardedButton(const std::function<void()>& calls)
{
    DeviceOps* m = ops_.data();
    if (!m)
        return;
    if (!m->canStartButton() && heldBack([this, calls] { guardedButton(calls); }))
        return;
    m->runButton(doc_, calls);
}

void DevicePanels::Command1_Click()
{
    // The status answer shows the SPD transfer panel, and the read-back
    // reports a transfer. What is sent and checked is the
    // image as it was at the click: an edit typed during the write stays in
    // the window.
    const velmora::SpdImage image = doc_.image();
    guardedButton([this, image] {
        DeviceOps* m = ops_.data();
        m->Snumsetup(image);
        m->STATUSIC(true);
        m->ProgramIC(image);
        m->VerifyIc(image);
        select_first_byte();
    });
}

void DevicePanels::Command2_Click() { guardedButton([this] { ops_->ReadIC(); }); }

void DevicePanels::Command3_Click()
{
    guardedButton([this] {
        ops_->VerifyIc();
        select_first_byte();
    });
}

void DevicePanels::Command4_Click() { guardedButton([this] { ops_->EraseIC(); }); }
void DevicePanels::Command9_Click() { guardedButton([this] { ops_->ReadModule(); }); }
void DevicePanels::Command5_Click() { guardedButton([this] { ops_->Read_Command(); }); }
void DevicePanels::Command6_Click() { guardedButton([this] { ops_->Copy_Command(); }); }
void DevicePanels::Command7_Click() { guardedButton([this] { ops_->Verify_Command(); }); }
void DevicePanels::Command17_Click() { guardedButton([this] { ops_->LEARN_Command(); }); }

void DevicePanels::TEST_COMMAND_Click()
{
    S_FRAME->hide();
    DeviceOps* m = ops_.data();
    if (!m || !m->canStartButton()) {
        heldBack([this] { TEST_COMMAND_Click(); });
        return;
    }
    TEST_COMMAND->setEnabled(false);
    m->testStarted(doc_);
    TEST_COMMAND->setText(QStringLiteral("Testing..."));
    if (QTimer* t = doc_.Timer2())
        t->start(vclock::clock().scaled(10000));
    m->runBound(doc_, [m] { m->auto_test(); });
}

void DevicePanels::Label60_Click()
{
    DeviceOps* m = ops_.data();
    if (!m)
        return;
    if (m->talking() && heldBack([this] { Label60_Click(); }))
        return;
    m->VERSION_Command();
}

void DevicePanels::Timer2_Timer()
{
    if (QTimer* t = doc_.Timer2())
        t->stop();
    if (gs().passwordMode == -1) {
        TEST_COMMAND->setEnabled(true);
        TEST_COMMAND->setText(QStringLiteral("TEST"));
    }
    // Only the module test started from this window is ended here; the
    // time-out never frees the guard that another operation holds.
    if (DeviceOps* m = ops_.data())
        m->testTimedOut(doc_);
}

void DevicePanels::select_first_byte()
{
    if (QLabel* l = doc_.L(QStringLiteral("Label1")))
        l->setText(QStringLiteral("Byte0"));
    if (QLabel* l = doc_.L(QStringLiteral("Label2")))
        l->setText(doc_.byteName(0));
    if (QLabel* l = doc_.L(QStringLiteral("Label4")))
        l->setText(look::hex2(doc_.Get_Value(0)));
    doc_.setByteCursor(0);
    // The entry box takes the focus only in the active window: focus in
    // another would bring that window to the front over one the user opened
    // or chose meanwhile.
    auto* sub = qobject_cast<QMdiSubWindow*>(doc_.parentWidget());
    const bool active = !sub || !sub->mdiArea() || sub->mdiArea()->currentSubWindow() == sub;
    if (QWidget* t = doc_.Text1(); active && t && t->isVisible() && t->isEnabled())
        t->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------- panel switches

void DevicePanels::Command16_Click() { showPanel(TestPanel); }
void DevicePanels::Command8_Click() { showPanel(TestPanel); }
void DevicePanels::Command14_Click() { showPanel(TestPanel); }
void DevicePanels::Command12_Click() { showPanel(SetupPanel); }
// On the test panel, which the set-up panel never shows with.
void DevicePanels::Command13_Click() { showPanel(TransferPanel); }

void DevicePanels::Command11_Click()
{
    Frame7->show();
    Frame21->hide();
    Frame22->hide();
}

void DevicePanels::Command19_Click()
{
    Frame7->hide();
    Frame21->show();
    Frame22->show();
}

void DevicePanels::Command18_Click()
{
    gs().testPassCount = 0;
    gs().testFailCount = 0;
    PASS_LABEL->setText(QString::number(gs().testPassCount));
    FAIL_LABEL->setText(QString::number(gs().testFailCount));
    List1->clear();
    for (Lamp* l : FAIL_LED)
        l->setFillColor(kLampDark);
    AMP_LAB->setText(QStringLiteral("0"));
}

// ---------------------------------------------------------------- set-up panel

namespace {
void applyBit(int word, int mask, bool on)
{
    auto& w = gs().settingsBlock[static_cast<std::size_t>(word)];
    w = static_cast<std::int16_t>(on ? (w | mask) : (w & (0xFF - mask)));
}
} // namespace

void DevicePanels::F_CHK_Click(int n)
{
    static const int masks[7] = {0, 0x01, 0x02, 0x04, 0x08, 0x20, 0x80};
    QCheckBox* box = F_CHK[static_cast<std::size_t>(n)];
    applyBit(8, masks[n], box->isChecked());
    if (n == 6 && box->isChecked())
        ui::msgBox(QStringLiteral("Software blown protection has started,It may result in a write once IC"),
                   ui::Buttons::Ok, ui::Icon::Warning, QStringLiteral("Warning"), &doc_);
}

void DevicePanels::ASNUM_CHK_Click() { applyBit(9, 0x01, ASNUM_CHK->isChecked()); }
void DevicePanels::AVR_CHK_Click() { applyBit(9, 0x04, AVR_CHK->isChecked()); }
void DevicePanels::KEY_CHK_Click() { applyBit(9, 0x40, KEY_CHK->isChecked()); }
void DevicePanels::DIR_OPT_Click(int) { applyBit(9, 0x02, !DIR_OPT[0]->isChecked()); }
void DevicePanels::HEX_OPT_Click(int) { applyBit(9, 0x08, !HEX_OPT[0]->isChecked()); }

void DevicePanels::EEP_OPT_Click(int)
{
    gs().settingsBlock[10] = static_cast<std::int16_t>(EEP_OPT[0]->isChecked() ? 0 : EEP_OPT[1]->isChecked() ? 1 : 2);
}

void DevicePanels::STEXT_KeyDown(int n, int key)
{
    if (key != 13 || n < 1 || n > 4)
        return;
    QLineEdit* box = STEXT[static_cast<std::size_t>(n)];
    SerialBox b = readSerialBox(box->text(), HEX_OPT[0]->isChecked());
    if (!b.decimalOk) {
        b.text = QStringLiteral("00");
        b.value = 0;
    }
    if (box->text() != b.text)
        box->setText(b.text);
    gs().settingsBlock[static_cast<std::size_t>(11 + n)] = b.value;
    if (n < 4) {
        QLineEdit* next = STEXT[static_cast<std::size_t>(n + 1)];
        next->clear();
        next->setFocus(Qt::OtherFocusReason);
    }
}

void DevicePanels::Command10_Click()
{
    // The S/N options default to hexadecimal encoding with every other
    // option off, "S/N no Verify" included, whatever the boxes showed before.
    constexpr std::int16_t kSnDefault = 0x08;
    auto& block = gs().settingsBlock;
    block[8] = 7;
    block[9] = kSnDefault;
    block[10] = 0;
    ASNUM_CHK->setChecked(false);
    KEY_CHK->setChecked(false);
    AVR_CHK->setChecked(false);
    HEX_OPT[1]->setChecked(true);
    DIR_OPT[0]->setChecked(true);
    EEP_OPT[0]->setChecked(true);
    F_CHK[1]->setChecked(true);
    F_CHK[2]->setChecked(true);
    F_CHK[3]->setChecked(true);
    F_CHK[4]->setChecked(false);
    F_CHK[5]->setChecked(false);
    F_CHK[6]->setChecked(false);
    for (int n = 1; n <= 4; ++n)
        STEXT[static_cast<std::size_t>(n)]->setText(QStringLiteral("00"));
    block[8] = 7;
    block[9] = kSnDefault;
    block[10] = 0;
}

void DevicePanels::Command15_Click()
{
    // Not while another operation talks to the programmer.
    DeviceOps* m = ops_.data();
    if (m && m->talking()) {
        heldBack([this] { Command15_Click(); });
        return;
    }
    const bool decimal = HEX_OPT[0]->isChecked();
    for (int n = 4; n >= 1; --n) {
        QLineEdit* box = STEXT[static_cast<std::size_t>(n)];
        const SerialBox b = readSerialBox(box->text(), decimal);
        if (!b.decimalOk) {
            box->setFocus(Qt::OtherFocusReason);
            ui::msgBox(QStringLiteral("      *****  請輸入 '十進制' 序號   *****      "), ui::Buttons::Ok, ui::Icon::None,
                       QString(), &doc_);
            return;
        }
        if (box->text() != b.text)
            box->setText(b.text);
        gs().settingsBlock[static_cast<std::size_t>(11 + n)] = b.value;
    }
    if (!m)
        return;
    Command15->setEnabled(false);
    m->runBound(doc_, [m] {
        m->SETUPIC();
        m->STATUSIC();
    });
    Command15->setEnabled(true);
}

// ---------------------------------------------------------------- Label60

bool DevicePanels::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::MouseButtonRelease && watched->objectName() == QLatin1String("Label60")) {
        auto* me = static_cast<QMouseEvent*>(e);
        if (me->button() == Qt::LeftButton)
            Label60_Click();
    }
    return QObject::eventFilter(watched, e);
}

} // namespace device
