#include "document/frmDocument.h"

#include "document/SummaryPanels.h"
#include "rules/device/PinNameTables.h"
#include "document/HexGrid.h"
#include "document/PinMap.h"
#include "rules/spd/SpdRules.h"
#include "rules/jedec/Jedec.h"
#include "platform/Clock.h"
#include "platform/Ui.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QScopedValueRollback>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>
#include <stdexcept>

using look::hex2;
using look::twRect;
using velmora::gs;

namespace {

constexpr int kCanvasWidth = 15740;
constexpr int kCanvasHeight = 10020;
// The pin frame's designed place; it grows to the right as far as the pin
// map's columns need, and the canvas keeps its margin right of it.
const QRect kPinPlace = look::twRect(10560, 120, 5055, 6615);
constexpr int kPinMargin = kCanvasWidth - 10560 - 5055;

int pinFrameWidth(const PinMap& map) { return std::max(kPinPlace.width(), map.neededWidth() + 4); }
int canvasWidth(int pinFrameWidth)
{
    return std::max(look::tw(kCanvasWidth), kPinPlace.left() + pinFrameWidth + look::tw(kPinMargin));
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->move(look::tw(left), look::tw(top));
    l->adjustSize();
    return l;
}

void setTextColour(QWidget* w, look::VbColor c)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, look::toQColor(c));
    pal.setColor(QPalette::Text, look::toQColor(c));
    w->setPalette(pal);
}

bool isEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// A modifier key alone, or a key pressed while Ctrl or Alt is held (a menu
// shortcut such as Ctrl+O or Alt+F4), types nothing into the entry box and
// is no byte entry: it neither recomputes the checksum or CRC nor marks the
// document modified. Enter always is one.
bool isByteEntry(const QKeyEvent& e)
{
    if (isEnter(e.key()))
        return true;
    switch (e.key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock: return false;
    default: break;
    }
    return !(e.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

// A key held with Ctrl or Alt puts nothing into the entry or fill box: no
// character (the box would take Alt+5 or Ctrl+Alt+5 as a "5"), no paste, and
// no undo or redo that brings a text back. Keys held with them that only
// select, copy, cut, delete or move the cursor keep their use.
bool putsTextWithCtrlOrAlt(const QKeyEvent& e)
{
    if (!(e.modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    if (e.matches(QKeySequence::SelectAll) || e.matches(QKeySequence::Copy) || e.matches(QKeySequence::Cut))
        return false;
    if (e.matches(QKeySequence::Paste) || e.matches(QKeySequence::Undo) || e.matches(QKeySequence::Redo))
        return true;
    const QString text = e.text();
    return !text.isEmpty() && text.at(0).isPrint();
}

// Pin-name table index of a family and module kind.
pins::PinTable pinTableOf(int family, bool soDimm)
{
    switch (family) {
    case 0: return soDimm ? pins::PinTable::Ddr2So : pins::PinTable::Ddr2;
    case 1: return soDimm ? pins::PinTable::Ddr3So : pins::PinTable::Ddr3;
    default: return soDimm ? pins::PinTable::Ddr4So : pins::PinTable::Ddr4;
    }
}

int widthCodeOf(int b) { return 4 << (b & 3); }

} // namespace

frmDocument::frmDocument(DocumentHost* host, QWidget* parent)
    : QWidget(parent)
    , host_(host)
{
    setObjectName(QStringLiteral("frmDocument"));
    buildWindow();
}

frmDocument::~frmDocument() = default;

QSize frmDocument::contentSize()
{
    const PinMap map;
    return QSize(canvasWidth(pinFrameWidth(map)), look::tw(kCanvasHeight));
}

void frmDocument::buildWindow()
{
    QFont f = font();
    f.setPointSizeF(8.25);
    setFont(f);

    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(false);
    canvas_ = new QWidget;
    canvas_->setObjectName(QStringLiteral("canvas"));
    canvas_->setFixedSize(look::tw(kCanvasWidth), look::tw(kCanvasHeight));
    scroll_->setWidget(canvas_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll_);

    // Selection labels and entry boxes. The byte number holds "Byte 511";
    // the byte's name stands right of the entry box, where it has two lines
    // for the long names of the later memory types.
    label1_ = makeLabel(canvas_, "Label1", QStringLiteral("Byte0"), 240, 120);
    label1_->resize(label1_->fontMetrics().horizontalAdvance(QStringLiteral("Byte 888")) + 2, label1_->height());
    label2_ = makeLabel(canvas_, "Label2", QString(), 2160, 120);
    label2_->setWordWrap(true);
    label2_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label2_->resize(look::tw(4380), look::tw(510));
    setTextColour(label2_, look::kRed);
    label3_ = makeLabel(canvas_, "Label3", QStringLiteral("Value"), 240, 380);
    label4_ = makeLabel(canvas_, "Label4", QStringLiteral("00"), 960, 360);
    label4_->setFrameShape(QFrame::Box);
    label4_->setFixedSize(look::tw(495), look::tw(285));
    label4_->setAlignment(Qt::AlignCenter);
    label4_->setToolTip(QStringLiteral("Byte value, press then chang"));

    // The grid, below the value box and the entry box, and left of the
    // summary.
    frame1_ = new QGroupBox(QStringLiteral("SPD Value"), canvas_);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    frame1_->setGeometry(twRect(120, 645, 6480, 8505));
    grid_ = new HexGrid(frame1_);
    grid_->setGeometry(0, 0, frame1_->width(), frame1_->height());
    connect(grid_, &HexGrid::cellClicked, this, &frmDocument::spd_l_value_Click);
    connect(grid_, &HexGrid::headerClicked, this, &frmDocument::value_x_Click);

    auto* hexOnly = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,2}")), this);
    text1_ = new QLineEdit(canvas_);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setGeometry(twRect(1560, 360, 495, 285));
    text1_->setMaxLength(2);
    text1_->setValidator(hexOnly);
    QFont bold = text1_->font();
    bold.setBold(true);
    text1_->setFont(bold);
    setTextColour(text1_, look::kRed);
    text1_->installEventFilter(this);

    text2_ = new QLineEdit(canvas_);
    text2_->setObjectName(QStringLiteral("Text2"));
    // In the grid's empty corner, under the frame's caption.
    text2_->setGeometry(twRect(200, 840, 400, 285));
    text2_->setMaxLength(2);
    text2_->setValidator(hexOnly);
    text2_->installEventFilter(this);
    text2_->raise();

    // The date code and the checksum mode share the row under the grid: the
    // date frame as wide as the check box, with the date and its week on a
    // line under it; the checksum frame takes the rest.
    constexpr int kBottomTop = 9180;
    constexpr int kBottomHeight = 780;
    const int margin = look::tw(120);
    frame13_ = new QGroupBox(QStringLiteral("Date"), canvas_);
    frame13_->setObjectName(QStringLiteral("Frame13"));
    check2_ = new QCheckBox(QStringLiteral("SPD Date Code"), frame13_);
    check2_->setObjectName(QStringLiteral("Check2"));
    check2_->move(margin, look::tw(210));
    check2_->adjustSize();
    connect(check2_, &QCheckBox::clicked, this, [this] { Check2_Click(); });
    label97_ = makeLabel(frame13_, "Label97", QString(), 120, 0);
    label98_ = makeLabel(frame13_, "Label98", QString(), 120, 0);
    label97_->move(margin, check2_->geometry().bottom() + 1);
    label98_->move(margin, label97_->y());
    setTextColour(label97_, look::kRed);
    setTextColour(label98_, look::kRed);
    int widestDate = 0;
    for (int month = 1; month <= 12; ++month)
        widestDate = std::max(widestDate, label97_->fontMetrics().horizontalAdvance(
                                              QLocale().toString(QDate(2000, month, 28), QLocale::ShortFormat)));
    const int dateLine = widestDate + margin + label98_->fontMetrics().horizontalAdvance(QStringLiteral("53"));
    const int frame13Width = 2 * margin + std::max(check2_->width(), dateLine);
    frame13_->setGeometry(look::tw(120), look::tw(kBottomTop), frame13Width, look::tw(kBottomHeight));

    frame9_ = new QGroupBox(QStringLiteral("Checksum  /  CRC"), canvas_);
    frame9_->setObjectName(QStringLiteral("Frame9"));
    const int frame9Left = frame13_->geometry().right() + 1 + margin;
    frame9_->setGeometry(frame9Left, look::tw(kBottomTop), look::tw(6600) - frame9Left, look::tw(kBottomHeight));
    const QString captions[3] = {QStringLiteral("Checksum"), QStringLiteral("CRC (0-125)"), QStringLiteral("None")};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(captions[i], frame9_);
        b->setObjectName(QStringLiteral("Optcrc(%1)").arg(i));
        b->adjustSize();
        connect(b, &QRadioButton::clicked, this, [this, i] { Optcrc_Click(i); });
        optcrc_[static_cast<std::size_t>(i)] = b;
    }
    // The CRC choice is captioned by the decoders and the device reads
    // ("CRC (0-116)", "CRC (0-125)", "CRC"): its room is that of its widest
    // caption, and it keeps that width whatever caption it is given, so that
    // none is cut after a shorter one.
    int crcWidth = optcrc_[1]->width();
    for (const char* c : {"CRC (0-116)", "CRC (0-125)", "CRC"}) {
        optcrc_[1]->setText(QString::fromLatin1(c));
        crcWidth = std::max(crcWidth, optcrc_[1]->sizeHint().width());
    }
    optcrc_[1]->setText(captions[1]);
    optcrc_[1]->setMinimumWidth(crcWidth);
    optcrc_[1]->resize(crcWidth, optcrc_[1]->height());
    const int used = optcrc_[0]->width() + crcWidth + optcrc_[2]->width();
    const int gap = std::max(margin, (frame9_->width() - 2 * margin - used) / 2);
    optcrc_[0]->move(margin, look::tw(330));
    optcrc_[1]->move(optcrc_[0]->geometry().right() + 1 + gap, look::tw(330));
    optcrc_[2]->move(optcrc_[1]->x() + crcWidth + gap, look::tw(330));
    optcrc_[2]->setChecked(true);

    // SPD information: the type caption and the version label.
    frame3_ = new QGroupBox(QStringLiteral("SPD Information"), canvas_);
    frame3_->setObjectName(QStringLiteral("Frame3"));
    frame3_->setGeometry(twRect(6600, 0, 3615, 470));
    label153_ = makeLabel(frame3_, "Label153", QStringLiteral("    "), 1500, 210);
    label153_->setMinimumWidth(look::tw(1200));
    QFont typeFont = label153_->font();
    typeFont.setBold(true);
    label153_->setFont(typeFont);
    setTextColour(label153_, look::kRed);
    label60_ = makeLabel(frame3_, "Label60", QString(), 3000, 180);
    label60_->setFixedSize(look::tw(480), look::tw(240));

    // The two summary panels; the decoders fill them.
    frame2_ = new QGroupBox(canvas_);
    frame2_->setObjectName(QStringLiteral("Frame2"));
    frame2_->setGeometry(twRect(6600, 600, 3615, 6105));
    frame10_ = new QGroupBox(canvas_);
    frame10_->setObjectName(QStringLiteral("Frame10"));
    // 45 twips wider than designed: a part number of 20 characters fits.
    frame10_->setGeometry(twRect(6600, 480, 3900, 6120));
    decode::buildSdramPanel(*this, frame2_);
    decode::buildDdr34Panel(*this, frame10_);

    // The pin map.
    pinFrame_ = new QGroupBox(QStringLiteral("DDR4 I/O PIN"), canvas_);
    pinFrame_->setObjectName(QStringLiteral("PIN_FRAME"));
    pinMap_ = new PinMap(pinFrame_);
    pinFrame_->setGeometry(kPinPlace.left(), kPinPlace.top(), pinFrameWidth(*pinMap_), kPinPlace.height());
    pinMap_->setGeometry(2, look::tw(240), pinFrame_->width() - 4, pinFrame_->height() - look::tw(260));
    canvas_->setFixedWidth(canvasWidth(pinFrame_->width()));

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setSingleShot(true);
    connect(timer1_, &QTimer::timeout, this, &frmDocument::Timer1_Timer);
    timer2_ = new QTimer(this);
    timer2_->setObjectName(QStringLiteral("Timer2"));
    timer2_->setSingleShot(true);
    // The test's time-out: a coarse timer may fall up to 5 % early, and a
    // result that begins just inside its 10 s would come after the guard was
    // given back.
    timer2_->setTimerType(Qt::PreciseTimer);

    // The device panels (Frame4, Frame5, TEST_FRAME, S_FRAME, Frame15) are
    // put on the window by the device subsystem when the main window makes
    // it; they take the test time-out Timer2 as theirs.

    registerLabels();
    for (std::size_t i = 0; i < names_.size(); ++i)
        names_[i].clear();
}

void frmDocument::registerLabels()
{
    labels_.clear();
    const auto all = findChildren<QLabel*>();
    for (QLabel* l : all)
        if (!l->objectName().isEmpty())
            labels_.insert(l->objectName(), l);
}

QLabel* frmDocument::L(const QString& name) const { return labels_.value(name, nullptr); }

QWidget* frmDocument::control(const QString& name) const
{
    if (QLabel* l = L(name))
        return l;
    return findChild<QWidget*>(name);
}

void frmDocument::setFrameShown(QWidget* w, bool shown)
{
    if (w && w->isHidden() == shown)
        w->setVisible(shown);
}

look::VbColor frmDocument::normalCellFore() const
{
    return gs().passwordMode == 0 ? look::kRed : look::kWindowText;
}

// ---------------------------------------------------------------- load

void frmDocument::Form_Load()
{
    const Hold hold(this);
    // The window's designed size.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->resize(look::tw(9460), look::tw(7000));
    else
        resize(look::tw(9460), look::tw(7000));

    // No programmer known yet. (The device idle flag follows whoever
    // holds the device: a new window does not free it.)
    gs().deviceLink = 0;

    // An empty image: every byte 0, every cell "00".
    for (int i = 0; i < 512; ++i) {
        image_[static_cast<std::size_t>(i)] = 0;
        grid_->setCaption(i, QStringLiteral("00"));
    }
    // The colour a cell takes back when the byte cursor leaves it.
    savedCellColour_ = grid_->cell(0).back;
    // The DDR byte names, the byte panel on byte 0, not modified.
    DDR_LANG();
    label1_->setText(QStringLiteral("Byte0"));
    label2_->setText(names_[0]);
    label3_->setText(QStringLiteral("Value"));
    label4_->setText(QStringLiteral("00"));
    modified_ = 0;
    // Decode the empty image: the SDRAM/DDR/DDR2 summary, no checksum mode,
    // the DDR2 pin frame; then byte 0's name again, from the table the decode
    // left.
    decodeAll();
    label2_->setText(names_[0]);
    // Keep the date bytes the stamp would replace, and show today's date
    // code.
    savedDate_ = {image_[93], image_[94]};
    get_date_code();
    // The row of bytes 240-255, where the fill starts (byte 255), is marked.
    grid_->setHeaderBack(31, look::kRed);

    timer1_->start(vclock::clock().scaled(2000));
    timer2_->start(vclock::clock().scaled(10000));

    // The programmer's status; window events run while it waits, and
    // the whole load holds the window open.
    if (host_)
        host_->requestStatus(*this);

    // Restricted mode: red cells, no entry boxes, no test buttons, and the
    // date and checksum choices fixed.
    if (gs().passwordMode == 0) {
        for (int i = 0; i < 512; ++i)
            grid_->setCellFore(i, look::kRed);
        text1_->setEnabled(false);
        text1_->hide();
        text2_->setEnabled(false);
        text2_->hide();
        for (const char* name : {"Command12", "Command13", "Command11", "Command18", "TEST_COMMAND"})
            if (QWidget* w = findChild<QWidget*>(QString::fromLatin1(name)))
                w->setEnabled(false);
        frame13_->setEnabled(false);
        frame9_->setEnabled(false);
        check2_->setEnabled(false);
        label97_->setEnabled(false);
        label98_->setEnabled(false);
        for (QRadioButton* b : optcrc_)
            b->setEnabled(false);
    }

    // Pin-name tables and the pin map's tool tips.
    pins::load_ddr2_pin();
    pins::load_ddr3_pin();
    pins::load_ddr4_pin();
    pins::load_ddr2so_pin();
    pins::load_ddr3so_pin();
    pins::load_ddr4so_pin();
    for (int c = 0; c < pins::kChannels; ++c)
        pinMap_->setToolTipOf(c, pins::pinName(pins::PinTable::Ddr4, c));
    pinTableShown_ = static_cast<int>(pins::PinTable::Ddr4);

    // The fill starts at byte 255 until a row header is clicked.
    gs().fillStart = 255;
}

void frmDocument::bringIntoView()
{
    if (QWidget* frame = parentWidget(); frame && frame->isHidden())
        frame->show();
}

void frmDocument::Timer1_Timer()
{
    timer1_->stop();
    for (int i = 0; i <= 255; ++i)
        table_chang(i);
}

// ---------------------------------------------------------------- closing

frmDocument::Hold::Hold(frmDocument* doc)
    : doc_(doc)
{
    if (doc_)
        ++doc_->holds_;
}

frmDocument::Hold::~Hold()
{
    frmDocument* d = doc_.data();
    if (!d || --d->holds_ > 0)
        return;
    if (d->closePending_) {
        // Carried out from the event loop, after the work has unwound; the
        // close stays pending until then (unless new work holds the window
        // again, whose end carries it out).
        QTimer::singleShot(0, d, [d] {
            if (d->closePending_ && d->holds_ == 0)
                d->closeWindow();
        });
    }
    emit d->released(d);
}

void frmDocument::closeWindow()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void frmDocument::closeEvent(QCloseEvent* e)
{
    if (holds_ > 0) {
        // Not under the work that runs on the window; it closes when the
        // work is done.
        closePending_ = true;
        e->ignore();
        return;
    }
    // The close is carried out now: kept or not, it is no longer pending.
    closePending_ = false;
    if (Chk_Form_Chang() == -1) {
        // Until the answer (and a save it asks for) is in, the close is
        // undecided: nothing held for the window runs or is dropped.
        const QScopedValueRollback<bool> asking(askingClose_, true);
        const ui::Answer a = ui::msgBox(QStringLiteral(" SPD File has been modified , Save the file (Y/N) ?  "),
                                        ui::Buttons::YesNoCancel, ui::Icon::None, windowTitle(), this);
        if (a == ui::Answer::Yes) {
            if (host_)
                (void)host_->saveDocument(this);
            // A save that failed or was cancelled keeps the window and its
            // changes.
            if (Chk_Form_Chang() == -1) {
                e->ignore();
                emit closeRefused(this);
                return;
            }
        } else if (a != ui::Answer::No) {
            e->ignore();
            emit closeRefused(this);
            return;
        }
    }
    closedForGood_ = true;
    last_form_close();
    e->accept();
    timer1_->stop();
    timer2_->stop();
    emit documentClosed(this);
}

void frmDocument::last_form_close()
{
    if (host_)
        host_->documentClosing(this);
}

// ---------------------------------------------------------------- operations

void frmDocument::xmp_spd_load()
{
    gs().currentMemoryType = image_[2];
    gs().sharedSpd = image_;
}

void frmDocument::cal_totalchksum() { (void)spd::cal_spd_sum(image_, 255); }

void frmDocument::cal_chksum63()
{
    image_[63] = static_cast<std::uint8_t>(spd::cal_spd_sum(image_, 62));
    grid_->setCaption(63, hex2(image_[63]));
}

void frmDocument::Value_Chang(int I_INDEX, int I_Value)
{
    if (I_INDEX < 0 || I_INDEX > 511)
        throw std::out_of_range("SPD byte index out of range");
    const auto v = static_cast<std::uint8_t>(I_Value & 0xFF);
    image_[static_cast<std::size_t>(I_INDEX)] = v;
    grid_->setCaption(I_INDEX, hex2(v));
}

int frmDocument::Get_Value(int I_INDEX) const
{
    if (I_INDEX < 0 || I_INDEX > 511)
        throw std::out_of_range("SPD byte index out of range");
    return image_[static_cast<std::size_t>(I_INDEX)];
}

void frmDocument::Set_Value_color_same(int I_INDEX)
{
    if (I_INDEX < 0 || I_INDEX > 511)
        throw std::out_of_range("SPD byte index out of range");
    grid_->setCellBack(I_INDEX, look::kPeach);
}

void frmDocument::Set_Value_color_diff2(int I_INDEX)
{
    if (I_INDEX < 0 || I_INDEX > 511)
        throw std::out_of_range("SPD byte index out of range");
    grid_->setCellBack(I_INDEX, look::kCyan);
}

void frmDocument::Set_Value_color_diff(int I_INDEX)
{
    if (I_INDEX < 0 || I_INDEX > 511)
        throw std::out_of_range("SPD byte index out of range");
    grid_->setCellBack(I_INDEX, look::kGreen);
}

void frmDocument::Set_form_chang(int REG_A)
{
    // The mark follows the flag, not the caption: a file whose own name
    // ends in "*" keeps it, and gains a mark of its own when modified.
    const bool marked = modified_ != 0;
    const QString caption = unmarkedCaption();
    modified_ = static_cast<std::int16_t>(REG_A);
    if (REG_A != 0 && !marked)
        setWindowTitle(caption + QLatin1Char('*'));
    else if (REG_A == 0 && marked)
        setWindowTitle(caption);
}

QString frmDocument::unmarkedCaption() const
{
    QString caption = windowTitle();
    if (modified_ != 0 && caption.endsWith(QLatin1Char('*')))
        caption.chop(1);
    return caption;
}

void frmDocument::JEDEC_PROG(const QString& JEDEC)
{
    QLabel* l59 = L(QStringLiteral("Label59"));
    if (const auto name = jedec::nameFor(JEDEC)) {
        if (l59)
            l59->setText(*name);
        else
            gs().jedecName = *name;
    }
    if (l59)
        gs().jedecName = l59->text();
}

void frmDocument::ddr4_table_chang(int A) { decode::ddr4_table_chang(*this, A); }
void frmDocument::ddr3_table_chang(int A) { decode::ddr3_table_chang(*this, A); }
void frmDocument::ddr2_table_chang(int A) { decode::ddr2_table_chang(*this, A); }

// ---------------------------------------------------------------- type switch

void frmDocument::copyNames(bytenames::Table t, int last)
{
    for (int i = 0; i <= last; ++i)
        names_[static_cast<std::size_t>(i)] = bytenames::name(t, i);
}

void frmDocument::SD_LANG() { copyNames(bytenames::Table::Sdram, 255); }
void frmDocument::DDR_LANG() { copyNames(bytenames::Table::Ddr, 255); }
void frmDocument::DDR2_LANG() { copyNames(bytenames::Table::Ddr2, 255); }
void frmDocument::DDR3_LANG() { copyNames(bytenames::Table::Ddr3, 255); }
void frmDocument::DDR4_LANG() { copyNames(bytenames::Table::Ddr4, 511); }
void frmDocument::RAMBUS_LANG() { copyNames(bytenames::Table::Rambus, 255); }

void frmDocument::TABLE_256BYTE()
{
    for (int i = 256; i < 512; ++i) {
        grid_->setCellFore(i, look::kLightGrey);
        grid_->setCellEnabled(i, false);
    }
    for (int k = 32; k < 48; ++k) {
        grid_->setHeaderFore(k, look::kLightGrey);
        grid_->setHeaderEnabled(k, false);
    }
    grid_->setLine4Bottom(4500);
    for (int i = 256; i < 512; ++i) {
        image_[static_cast<std::size_t>(i)] = 0;
        grid_->setCaption(i, QStringLiteral("00"));
    }
    decodeAll();
}

void frmDocument::TABLE_512BYTE()
{
    // A DDR4 image uses all 512 bytes: the upper half is editable again after
    // an earlier switch to a 256-byte type greyed it out.
    const look::VbColor fore = normalCellFore();
    for (int i = 256; i < 512; ++i) {
        if (!grid_->cell(i).enabled) {
            grid_->setCellEnabled(i, true);
            grid_->setCellFore(i, fore);
        }
    }
    for (int k = 32; k < 48; ++k) {
        if (!grid_->header(k).enabled) {
            grid_->setHeaderEnabled(k, true);
            grid_->setHeaderFore(k, look::kWindowText);
        }
    }
    grid_->setLine4Bottom(8280);
    decodeAll();
}

void frmDocument::Type_Chang(int Index)
{
    switch (Index) {
    case 0: SD_LANG(); TABLE_256BYTE(); memoryTypeCode_ = 0; break;
    case 1: DDR_LANG(); TABLE_256BYTE(); memoryTypeCode_ = 1; break;
    case 2: DDR2_LANG(); TABLE_256BYTE(); memoryTypeCode_ = 2; break;
    case 3: RAMBUS_LANG(); TABLE_256BYTE(); memoryTypeCode_ = 3; break;
    case 4:
        DDR3_LANG();
        TABLE_256BYTE();
        memoryTypeCode_ = 4;
        if (QLabel* l = L(QStringLiteral("Label115")))
            l->setText(QStringLiteral("CRC (0-125)"));
        break;
    case 5:
        DDR4_LANG();
        TABLE_512BYTE();
        memoryTypeCode_ = 5;
        if (QLabel* l = L(QStringLiteral("Label115")))
            l->setText(QStringLiteral("CRC (0-125)/(128-253)"));
        break;
    default: break;
    }
    if (optcrc_[1]->isChecked()) {
        storeCrcBytes(false);
        redrawAllCells();
        // The summary shows the CRC the cells now hold, not the bytes the
        // layout decoded before (00 00 right after a wizard's build).
        for (int i : {126, 127})
            table_chang(i);
        if (image_[2] == 12)
            for (int i : {254, 255})
                table_chang(i);
    }
    label1_->setText(QStringLiteral("Byte0"));
    label2_->setText(names_[0]);
    label4_->setText(hex2(image_[0]));
}

void frmDocument::storeCrcBytes(bool colour)
{
    const std::uint16_t c = spd::cal_crc126(image_, spd::crcLastIndex(image_));
    image_[126] = static_cast<std::uint8_t>(c & 0xFF);
    image_[127] = static_cast<std::uint8_t>(c >> 8);
    if (colour) {
        grid_->setCellBack(126, look::kYellow);
        grid_->setCellBack(127, look::kYellow);
    }
    if (image_[2] == 12) {
        const std::uint16_t d = spd::cal_crc254(image_);
        image_[254] = static_cast<std::uint8_t>(d & 0xFF);
        image_[255] = static_cast<std::uint8_t>(d >> 8);
        if (colour) {
            grid_->setCellBack(254, look::kYellow);
            grid_->setCellBack(255, look::kYellow);
        }
    }
}

void frmDocument::redrawAllCells()
{
    for (int i = 0; i < 512; ++i)
        grid_->setCaption(i, hex2(image_[static_cast<std::size_t>(i)]));
}

void frmDocument::decodeAll()
{
    for (int i = 0; i < 512; ++i)
        table_chang(i);
}

void frmDocument::applyPinTable(int family, bool soDimm)
{
    const pins::PinTable t = pinTableOf(family, soDimm);
    // The tool tips change only when the table does.
    if (pinTableShown_ != static_cast<int>(t)) {
        for (int c = 0; c < pins::kChannels; ++c)
            pinMap_->setToolTipOf(c, pins::pinName(t, c));
        pinTableShown_ = static_cast<int>(t);
    }
    pinFrame_->setTitle(pins::frameCaption(t));
}

void frmDocument::table_chang(int A)
{
    if (A < 0 || A > 511)
        return;
    const int b2 = image_[2];
    const int b3 = image_[3];
    auto& g = gs();
    switch (b2) {
    case 4:
        label153_->setText(QStringLiteral("SDRAM"));
        g.currentMemoryType = 4;
        break;
    case 7:
    case 8:
    case 11:
        label153_->setText(b2 == 7 ? QStringLiteral("DDR-1") : b2 == 8 ? QStringLiteral("DDR-2") : QStringLiteral("DDR-3"));
        g.currentMemoryType = b2;
        g.deviceWidthCode = widthCodeOf(image_[7]);
        g.soDimmFlag = (b3 & 7) == 3 ? 1 : 0;
        break;
    case 12:
        label153_->setText(QStringLiteral("DDR-4"));
        g.currentMemoryType = 12;
        g.deviceWidthCode = widthCodeOf(image_[12]);
        g.soDimmFlag = (b3 & 7) == 3 ? 1 : 0;
        break;
    default:
        label153_->setText(QStringLiteral("    "));
        break;
    }

    const int family = b2 <= 8 ? 0 : (b2 == 12 ? 2 : 1);
    setFrameShown(frame2_, family == 0);
    setFrameShown(frame10_, family != 0);
    if (!optcrc_[2]->isChecked()) {
        QRadioButton* want = family == 0 ? optcrc_[0] : optcrc_[1];
        if (!want->isChecked())
            want->setChecked(true);
    }
    applyPinTable(family, (b3 & 15) == 3);

    switch (family) {
    case 0: ddr2_table_chang(A); break;
    case 1: ddr3_table_chang(A); break;
    default: ddr4_table_chang(A); break;
    }
}

// ---------------------------------------------------------------- checksum mode

int frmDocument::checksumMode() const
{
    for (int i = 0; i < 3; ++i)
        if (optcrc_[static_cast<std::size_t>(i)]->isChecked())
            return i;
    return 2;
}

void frmDocument::setChecksumMode(int index)
{
    if (index >= 0 && index < 3)
        optcrc_[static_cast<std::size_t>(index)]->setChecked(true);
}

void frmDocument::Optcrc_Click(int index)
{
    // Choosing "Checksum" brings byte 63 up to date at once; the other modes
    // take effect at the next operation that recomputes.
    if (index == 0)
        cal_chksum63();
}

// ---------------------------------------------------------------- byte entry

void frmDocument::setByteCursor(int i)
{
    if (i >= 0 && i < 512)
        byteCursor_ = i;
}

void frmDocument::showSelection(int index, bool blankAfterByte)
{
    label1_->setText((blankAfterByte ? QStringLiteral("Byte ") : QStringLiteral("Byte")) + QString::number(index));
    label2_->setText(names_[static_cast<std::size_t>(index)]);
    label4_->setText(hex2(image_[static_cast<std::size_t>(index)]));
}

void frmDocument::showSelectedByte() { showSelection(byteCursor_, false); }

void frmDocument::spd_l_value_Click(int index)
{
    if (index < 0 || index > 511)
        return;
    grid_->setCellBack(byteCursor_, savedCellColour_);
    byteCursor_ = index;
    savedCellColour_ = grid_->cell(index).back;
    grid_->setCellBack(index, look::kRed);

    switch (image_[2]) {
    case 4: Type_Chang(0); break;
    case 7: Type_Chang(1); break;
    case 8: Type_Chang(2); break;
    case 11: Type_Chang(4); break;
    case 12: Type_Chang(5); break;
    default: break;
    }

    const bool full = gs().passwordMode == -1;
    text1_->setEnabled(full);
    text1_->setVisible(full);
    showSelection(index, false);
    if (full)
        text1_->setFocus(Qt::MouseFocusReason);
}

void frmDocument::Text1_KeyDown(int key)
{
    if (isEnter(key)) {
        QString text = text1_->text();
        if (text.isEmpty()) {
            text = QStringLiteral("00");
            text1_->setText(text);
        }
        if (text.trimmed().size() > 2) {
            text = text.right(2);
            text1_->setText(text);
        }
        grid_->setCellBack(byteCursor_, look::kYellow);
        image_[static_cast<std::size_t>(byteCursor_)] = spd::hex_to_byte(text);
    }

    const int mode = checksumMode();
    if (mode == 0) {
        image_[63] = static_cast<std::uint8_t>(spd::cal_spd_sum(image_, 62));
        grid_->setCellBack(63, look::kYellow);
    } else if (mode == 1) {
        storeCrcBytes(true);
    }

    table_chang(byteCursor_);

    if (isEnter(key)) {
        int next = byteCursor_ + 1;
        const int b2 = image_[2];
        if (b2 != 12 && b2 != 0 && next == 256)
            next = 0;
        if (next == 512)
            next = 0;
        byteCursor_ = next;
        savedCellColour_ = grid_->cell(next).back;
        grid_->setCellBack(next, look::kRed);
        showSelection(next, true);
        text1_->clear();
    }

    redrawAllCells();
    decodeAll();
    Set_form_chang(-1);
}

void frmDocument::value_x_Click(int index)
{
    // Only the row headers choose where the fill starts; the column headers
    // have no row to start from.
    if (index < 16 || index > 47)
        return;
    gs().fillStart = static_cast<std::int16_t>((index - 16) * 16);
    for (int k = 16; k < 48; ++k)
        grid_->setHeaderBack(k, look::kButtonFace);
    grid_->setHeaderBack(index, look::kRed);
    text2_->clear();
    if (text2_->isVisible())
        text2_->setFocus(Qt::MouseFocusReason);
}

void frmDocument::Text2_KeyDown(int key)
{
    const int start = std::clamp<int>(gs().fillStart, 0, 512);
    if (isEnter(key)) {
        QString text = text2_->text();
        if (text.isEmpty()) {
            text = QStringLiteral("00");
            text2_->setText(text);
        }
        const std::uint8_t v = spd::hex_to_byte(text);
        for (int i = start; i < 512; ++i)
            image_[static_cast<std::size_t>(i)] = v;
    }
    for (int i = start; i < 512; ++i)
        grid_->setCaption(i, hex2(image_[static_cast<std::size_t>(i)]));
    decodeAll();
    // A fill changes the image: closing must not lose it without a question.
    if (isEnter(key))
        Set_form_chang(-1);
}

bool frmDocument::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress && (watched == text1_ || watched == text2_)) {
        const auto* k = static_cast<QKeyEvent*>(e);
        if (watched == text1_) {
            if (isByteEntry(*k))
                Text1_KeyDown(k->key());
        } else {
            Text2_KeyDown(k->key());
        }
        if (putsTextWithCtrlOrAlt(*k))
            return true;
    }
    return QWidget::eventFilter(watched, e);
}

void frmDocument::key_in_data()
{
    const bool hexMode = gs().keyInRadix == 1;
    const QString prompt = hexMode ? QStringLiteral("Please input value ,the rang is 0 - FF , Hex Mode")
                                   : QStringLiteral("Please input value ,the rang is 0 - 255 , Dec Mode");
    for (int i = 0; i <= 62; ++i) {
        bool stop = false;
        while (true) {
            const QString title = QStringLiteral("Input byte") + QString::number(i) + QStringLiteral(" Value");
            const QString answer = ui::inputBox(prompt, title, this);
            if (answer.isEmpty()) {
                if (ui::msgBox(QStringLiteral("Do you want to exit"), ui::Buttons::YesNo, ui::Icon::None,
                               QStringLiteral("Stop"), this) == ui::Answer::Yes) {
                    stop = true;
                    break;
                }
            }
            int value = 0;
            bool valid = false;
            if (hexMode) {
                bool allHex = !answer.trimmed().isEmpty();
                for (QChar c : answer.trimmed())
                    allHex = allHex && spd::hexDigit(c) >= 0;
                value = allHex ? spd::hex_to_byte(answer.trimmed()) : 0;
                valid = allHex;
            } else {
                value = answer.trimmed().toInt(&valid);
            }
            const bool zeroOk = value != 0 || answer.trimmed() == QStringLiteral("0");
            if (valid && zeroOk && value >= 0 && value <= 255) {
                Value_Chang(i, value);
                break;
            }
            ui::msgBox(QStringLiteral("Input Error"), ui::Buttons::Ok, ui::Icon::None, QStringLiteral("Error"), this);
        }
        if (stop)
            break;
    }
    cal_chksum63();
    modified_ = -1;
}

// ---------------------------------------------------------------- date code

void frmDocument::get_date_code()
{
    const QDate today = vclock::clock().today();
    label97_->setText(QLocale().toString(today, QLocale::ShortFormat));
    label97_->adjustSize();
    const spd::DateCode code = spd::dateCodeOf(today);
    label98_->setText(QString::number(code.week));
    label98_->adjustSize();
    // The week follows the date on its line.
    label98_->move(label97_->geometry().right() + 1 + look::tw(120), label97_->y());
    dateYear_ = code.year;
    dateWeek_ = code.week;
}

void frmDocument::Check2_Click()
{
    get_date_code();
    if (!check2_->isChecked()) {
        // Put back the bytes the stamp replaced, where it replaced them.
        for (int k = 0; k < 2; ++k) {
            const int at = stampedAt_[static_cast<std::size_t>(k)];
            image_[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(savedDate_[static_cast<std::size_t>(k)]);
            grid_->setCellFore(at, look::kButtonText);
        }
    } else {
        const spd::DatePositions pos = spd::datePositions(image_[2]);
        stampedAt_ = {pos.year, pos.week};
        grid_->setCellFore(pos.year, look::kRed);
        grid_->setCellFore(pos.week, look::kRed);
        savedDate_ = {image_[static_cast<std::size_t>(pos.year)], image_[static_cast<std::size_t>(pos.week)]};
        image_[static_cast<std::size_t>(pos.year)] = spd::yearByte({dateYear_, dateWeek_});
        table_chang(pos.year);
        image_[static_cast<std::size_t>(pos.week)] = spd::bcd(dateWeek_);
        table_chang(pos.week);
    }
    redrawAllCells();
    decodeAll();
    Set_form_chang(-1);
}

// ---------------------------------------------------------------- print listing

QString frmDocument::byteListing() const
{
    static const QString crlf = QStringLiteral("\r\n");
    QString out = crlf + QStringLiteral("  Count   Value Byte list") + crlf + crlf;
    auto pad = [](int n) { return QString(4 - static_cast<int>(QString::number(n).size()), QLatin1Char(' ')); };
    auto single = [&](int i) {
        out += QStringLiteral("  Byte ") + QString::number(i) + pad(i) + hex2(image_[static_cast<std::size_t>(i)]) +
               QStringLiteral("   ") + names_[static_cast<std::size_t>(i)] + crlf;
    };
    auto range = [&](int a, int b, int indent, const QString& name) {
        out += QStringLiteral("  Byte ") + QString::number(a) + QStringLiteral(" - ") + QString::number(b) + pad(a) +
               name + crlf;
        out += QString(indent, QLatin1Char(' '));
        for (int i = a; i <= b; ++i)
            out += hex2(image_[static_cast<std::size_t>(i)]) + QLatin1Char(' ');
        out += crlf;
    };
    struct R {
        int a, b, indent;
    };
    std::vector<R> ranges;
    switch (memoryTypeCode_) {
    case 0: ranges = {{36, 61, 16}, {64, 71, 16}, {73, 90, 16}, {99, 114, 17}, {115, 125, 17}}; break;
    case 1: ranges = {{36, 40, 16}, {46, 61, 16}, {64, 71, 16}, {73, 90, 16}, {99, 114, 17}, {115, 127, 17}}; break;
    case 2: ranges = {{64, 71, 16}, {73, 90, 16}, {95, 98, 16}, {107, 113, 16}}; break;
    default: break;
    }
    if (memoryTypeCode_ >= 0 && memoryTypeCode_ <= 2) {
        int i = 0;
        std::size_t r = 0;
        while (i <= 127) {
            if (r < ranges.size() && ranges[r].a == i) {
                range(ranges[r].a, ranges[r].b, ranges[r].indent, names_[static_cast<std::size_t>(i)]);
                i = ranges[r].b + 1;
                ++r;
            } else {
                single(i);
                ++i;
            }
        }
    }
    for (int a = 128; a < 256; a += 16)
        range(a, a + 15, 17, names_[128]);
    return out;
}

void frmDocument::set_print_value() { (void)byteListing(); }
