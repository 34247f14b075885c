#include "editors/Frmxmp.h"

#include "platform/Look.h"
#include "state/Globals.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>

using look::tw;
using look::twRect;
using velmora::gs;
using xmpview::Cell;
using xmpview::Column;
using xmpview::ColumnCaptions;
using xmpview::PanelRow;
using xmpview::Row;

namespace {

// Places in twips, relative to the panel: the first row 720 below its top
// edge, one row every 360; row titles end at 1860; the JEDEC column frame
// and the profile area start at 240, the profile column frames 400 lower
// inside the area, under their titles.
constexpr int kFirstRow = 720;
constexpr int kPitch = 360;
constexpr int kTitleLeft = 60;
constexpr int kTitleRight = 1860;
constexpr int kColumnTop = 240;
constexpr int kColumnWidth = 1470;
constexpr int kJedecLeft = 1920;
constexpr int kAreaLeft = 3450;
constexpr int kProfileGap = 60;
constexpr int kProfileTop = 400;
constexpr int kValueLeft = 60;
constexpr int kValueWidth = kColumnWidth - 2 * kValueLeft;
constexpr int kValueHeight = 330;
// The window's controls under the panels: the "Close" button and, beside it,
// the revision; they keep this much room under the lowest column.
constexpr int kCloseTop = 7320;
constexpr int kRevisionTop = 7440;
constexpr int kRoomOverClose = 390;
// Text stays this many pixels clear of a value label's border.
constexpr int kTextInset = 2;

QFont serif(qreal points, bool bold, bool italic = false)
{
    QFont f;
    f.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"),
                   QStringLiteral("Nimbus Roman"), QStringLiteral("DejaVu Serif")});
    f.setStyleHint(QFont::Serif);
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

void paint(QLabel* l, look::VbColor c)
{
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, look::toQColor(c));
    l->setPalette(pal);
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, const QFont& font, look::VbColor color)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setFont(font);
    paint(l, color);
    return l;
}

QFrame* frame(QWidget* parent, const QString& name, bool border)
{
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    f->setFrameShape(border ? QFrame::Box : QFrame::NoFrame);
    f->setFrameShadow(border ? QFrame::Sunken : QFrame::Plain);
    return f;
}

// The latency row is taller than the others: its box holds the longest
// list of its panel (DDR3 CL 4 to 18, DDR4 CL 7 to 24) at the size of the
// other values, on as many lines as that takes in the column's width, and
// keeps the others' gap to the boxes above and below; the rows under it move
// down by as much. The extra height of panel k's latency row, in twips.
int listExtra(int k)
{
    static const std::array<int, 2> extra = [] {
        std::array<int, 2> out{};
        const QFontMetrics fm(serif(xmpview::kValuePoints, true));
        // Inside the box's border of one pixel and clear of it.
        const QRect room(0, 0, tw(kValueWidth) - 2 - 2 * kTextInset, 1000);
        const QString lists[2] = {xmpview::ddr3CasList(0xFF, 0x7F), xmpview::ddr4CasList(0xFF, 0xFF, 0x03)};
        for (int k = 0; k < 2; ++k) {
            const int text = fm.boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, lists[k].trimmed()).height();
            // The border and a pixel of room above and below the lines.
            const int box = (text + 4) * 15;
            out[static_cast<std::size_t>(k)] = std::max(0, box - kValueHeight);
        }
        return out;
    }();
    return extra[static_cast<std::size_t>(k == 1 ? 1 : 0)];
}

// The top of row r of panel k.
int rowTop(int k, int r, int listRow)
{
    return kFirstRow + kPitch * r + (r > listRow ? listExtra(k) : 0);
}

// A latency list: its lines are broken, and drawn, clear of the border by
// kTextInset, like the text of every other value label.
class ListLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        drawFrame(&p);
        style()->drawItemText(&p, contentsRect().adjusted(kTextInset, 0, -kTextInset, 0),
                              int(alignment()) | Qt::TextWordWrap, palette(), isEnabled(), text(),
                              foregroundRole());
    }
};

// The label keeps its designed point size when its caption fits its box;
// a caption that does not fit (a wider face than the design's) is drawn
// smaller, down to 5 pt. A latency list wraps onto further lines instead
// (its box holds the longest list at the designed size) and is never drawn
// below 7 pt. Trailing blanks take no room.
void fit(QLabel* l, qreal points)
{
    QFont f = l->font();
    f.setPointSizeF(points);
    QString text = l->text();
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    const QRect box = l->contentsRect().adjusted(kTextInset, 0, -kTextInset, 0);
    const int flags = Qt::AlignCenter | (l->wordWrap() ? Qt::TextWordWrap : 0);
    const qreal floor = l->wordWrap() ? std::min(points, xmpview::kSmallPoints) : 5;
    while (f.pointSizeF() > floor) {
        const QRect need = QFontMetrics(f).boundingRect(box, flags, text);
        if (need.width() <= box.width() && need.height() <= box.height())
            break;
        f.setPointSizeF(f.pointSizeF() - 0.25);
    }
    l->setFont(f);
}

// Row title: right-aligned and ending at kTitleRight; shrunk like a value
// when the face is wider than the design's.
void placeTitle(QLabel* l, int top)
{
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setGeometry(twRect(kTitleLeft, top, kTitleRight - kTitleLeft, kValueHeight));
    fit(l, 12);
}

} // namespace

Frmxmp::Frmxmp(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Frmxmp"));
    setWindowTitle(QStringLiteral("XMP View"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildPanel(0);
    buildPanel(1);

    // The controls under the panels keep their room under the lowest column
    // (the latency rows may have made the columns longer than designed), and
    // the window grows by as much as they move down.
    int lowest = 0;
    for (int k = 0; k < 2; ++k)
        for (const QFrame* column : {frame5_[idx(k)], frame1_[idx(k)]})
            lowest = std::max(lowest, frame2_[idx(k)]->y() + column->geometry().bottom() + 1);
    const int shift = std::max(0, lowest + tw(kRoomOverClose) - tw(kCloseTop));
    setFixedSize(tw(6780), tw(7950) + shift);

    label22_ = label(this, QStringLiteral("Label22"), QStringLiteral("XMP Revision:"), serif(12, false), 0xC00000);
    label22_->move(tw(480), tw(kRevisionTop) + shift);
    label22_->adjustSize();
    label23_ = label(this, QStringLiteral("Label23"), QString(), serif(12, true), look::kRed);
    label23_->move(tw(2040), tw(kRevisionTop) + shift);

    command1_ = new QPushButton(QStringLiteral("Close"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setGeometry(tw(5400), tw(kCloseTop) + shift, tw(975), tw(495));
    connect(command1_, &QPushButton::clicked, this, &Frmxmp::Command1_Click);

    resetControls();
}

void Frmxmp::buildPanel(int k)
{
    const auto i = idx(k);
    const std::span<const PanelRow> rows = k == 0 ? xmpview::ddr3Rows() : xmpview::ddr4Rows();
    const int n = static_cast<int>(rows.size());
    const auto at = [k](const char* name) { return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(k); };

    QFrame* panel = frame(this, at("Frame2"), false);
    panel->setGeometry(k == 0 ? twRect(120, 0, 6495, 7215) : twRect(120, 360, 6495, 6255));
    frame2_[i] = panel;

    QLabel* banner = label(panel, at("Label21"), k == 0 ? QStringLiteral("DDR3") : QStringLiteral("DDR4"),
                           serif(21.75, true, true), look::kRed);
    banner->move(tw(120), tw(120));
    banner->adjustSize();

    int listRow = n;
    for (int r = 0; r < n; ++r)
        if (rows[static_cast<std::size_t>(r)].row == Row::CL_SUPPORT)
            listRow = r;
    for (int r = 0; r < n; ++r) {
        QLabel* t = label(panel, at(rows[static_cast<std::size_t>(r)].titleArray),
                          QString::fromLatin1(rows[static_cast<std::size_t>(r)].title), serif(12, true), 0xFF0000);
        // The latency row's title stands level with the middle of its list.
        placeTitle(t, rowTop(k, r, listRow) + (r == listRow ? listExtra(k) / 2 : 0));
    }

    // The JEDEC column holds its title; the profile columns stand under
    // theirs inside the profile area.
    const int valuesBottom = kPitch * (n - 1) + listExtra(k) + kValueHeight + 60;
    QFrame* jedec = frame(panel, at("Frame5"), true);
    const int jedecFirst = kFirstRow - kColumnTop;
    jedec->setGeometry(twRect(kJedecLeft, kColumnTop, kColumnWidth, jedecFirst + valuesBottom));
    frame5_[i] = jedec;
    QLabel* title = label(jedec, at("Label19"), QStringLiteral("JEDEC"), serif(14.25, true), 0xFF0000);
    title->setAlignment(Qt::AlignCenter);
    title->setGeometry(twRect(0, 60, kColumnWidth, 360));

    QFrame* area = frame(panel, at("Frame1"), false);
    const int profileFirst = kFirstRow - kColumnTop - kProfileTop;
    area->setGeometry(twRect(kAreaLeft, kColumnTop, 2 * kColumnWidth + kProfileGap,
                             kProfileTop + profileFirst + valuesBottom));
    frame1_[i] = area;
    QFrame* columns[2];
    QLabel* titles[2];
    for (int c = 0; c < 2; ++c) {
        const int left = c * (kColumnWidth + kProfileGap);
        columns[c] = frame(area, at(c == 0 ? "Frame3" : "Frame4"), true);
        columns[c]->setGeometry(twRect(left, kProfileTop, kColumnWidth, profileFirst + valuesBottom));
        titles[c] = label(area, at(c == 0 ? "Label1" : "Label20"),
                          c == 0 ? QStringLiteral("Profile1") : QStringLiteral("Profile2"), serif(14.25, true),
                          0xFF0000);
        titles[c]->setAlignment(Qt::AlignCenter);
        titles[c]->setGeometry(twRect(left, 40, kColumnWidth, 360));
    }
    frame3_[i] = columns[0];
    frame4_[i] = columns[1];
    // The panel holds its columns, however long the latency row made them.
    panel->resize(panel->width(), std::max(panel->height(), area->geometry().bottom() + 1 + tw(60)));
    label1_[i] = titles[0];
    label20_[i] = titles[1];

    // Value labels: one array per row, one element per column.
    const Column order[3] = {Column::Jedec, Column::Profile1, Column::Profile2};
    for (int r = 0; r < n; ++r) {
        const Row row = rows[static_cast<std::size_t>(r)].row;
        for (const Column c : order) {
            const int index = k == 0 ? xmpview::ddr3Index(c) : xmpview::ddr4Index(c);
            QFrame* parent = c == Column::Jedec ? jedec : c == Column::Profile1 ? columns[0] : columns[1];
            const int first = c == Column::Jedec ? jedecFirst : profileFirst;
            QLabel* l = row == Row::CL_SUPPORT ? new ListLabel(parent) : new QLabel(parent);
            l->setObjectName(QStringLiteral("%1(%2)").arg(xmpview::arrayName(row)).arg(index));
            l->setFrameShape(QFrame::Box);
            l->setFrameShadow(QFrame::Plain);
            l->setLineWidth(1);
            l->setAlignment(Qt::AlignCenter);
            l->setAttribute(Qt::WA_TranslucentBackground);
            l->setFont(serif(xmpview::kValuePoints, true));
            const int top = first + rowTop(k, r, listRow) - kFirstRow;
            if (row == Row::CL_SUPPORT) {
                l->setWordWrap(true);
                l->setGeometry(twRect(kValueLeft, top, kValueWidth, kValueHeight + listExtra(k)));
            } else {
                l->setGeometry(twRect(kValueLeft, top, kValueWidth, kValueHeight));
            }
            values_[static_cast<std::size_t>(row)][static_cast<std::size_t>(index)] = l;
        }
    }
}

QLabel* Frmxmp::value(Row r, int index) const
{
    if (r >= Row::Count || index < 0 || index > 5)
        return nullptr;
    return values_[static_cast<std::size_t>(r)][static_cast<std::size_t>(index)];
}

QLabel* Frmxmp::value(const QString& array, int index) const
{
    for (int r = 0; r < xmpview::kRowCount; ++r)
        if (xmpview::arrayName(static_cast<Row>(r)) == array)
            return value(static_cast<Row>(r), index);
    return nullptr;
}

void Frmxmp::setValue(QLabel* l, const Cell& cell)
{
    if (!l)
        return;
    l->setText(cell.text);
    paint(l, cell.color);
    // A long latency list too stays at the size of the other values: its
    // box has the lines it needs.
    fit(l, xmpview::kValuePoints);
}

void Frmxmp::setRevision(const QString& text)
{
    // The revision stands after its caption, also where the caption's face
    // is wider than the design's.
    label23_->move(qMax(tw(2040), label22_->geometry().right() + tw(90)), label22_->y());
    label23_->setText(text);
    label23_->adjustSize();
}

void Frmxmp::resetControls()
{
    for (int k = 0; k < 2; ++k) {
        const bool ddr3 = k == 0;
        const Column order[3] = {Column::Jedec, Column::Profile1, Column::Profile2};
        for (const Column c : order)
            applyColumn(xmpview::initialColumn(c, ddr3), k, ddr3 ? xmpview::ddr3Index(c) : xmpview::ddr4Index(c));
        frame2_[idx(k)]->hide();
        frame1_[idx(k)]->show();
        frame3_[idx(k)]->show();
        frame4_[idx(k)]->show();
        label1_[idx(k)]->show();
        label20_[idx(k)]->show();
    }
    setRevision(QStringLiteral("Label23"));
}

void Frmxmp::applyColumn(const ColumnCaptions& col, int panel, int index)
{
    for (const PanelRow& r : panel == 0 ? xmpview::ddr3Rows() : xmpview::ddr4Rows())
        setValue(value(r.row, index), col[r.row]);
}

void Frmxmp::unload()
{
    unloaded_ = true;
    hide();
    deleteLater();
}

void Frmxmp::closeEvent(QCloseEvent* e)
{
    unloaded_ = true;
    QWidget::closeEvent(e);
}

// ---------------------------------------------------------------- load step

void Frmxmp::Form_Load()
{
    resetControls();
    frame2_[0]->hide();
    frame2_[1]->hide();
    const velmora::SpdImage& img = gs().sharedSpd;
    switch (gs().currentMemoryType) {
    case 11:
        frame2_[0]->show();
        frame1_[0]->setVisible(xmpview::ddr3Header(img).idPresent);
        JEDEC_DDR3_PROFILE();
        break;
    case 12:
        frame2_[1]->show();
        frame1_[1]->setVisible(xmpview::ddr4Header(img).idPresent);
        JEDEC_DDR4_PROFILE();
        break;
    default:
        unload();
        break;
    }
}

void Frmxmp::Command1_Click() { close(); }

void Frmxmp::placeOver(const QWidget* owner)
{
    const QRect over = owner ? owner->frameGeometry() : QRect();
    const QScreen* screen = owner ? QGuiApplication::screenAt(over.center()) : nullptr;
    if (!screen)
        screen = owner ? owner->screen() : this->screen();
    const QRect room = screen->availableGeometry();
    // The window system's frame around this window is not known before it is
    // shown: it is taken to be as wide as the owner's.
    QMargins frame;
    if (owner)
        frame = QMargins(owner->geometry().left() - over.left(), owner->geometry().top() - over.top(),
                         over.right() - owner->geometry().right(), over.bottom() - owner->geometry().bottom());
    QRect outer(QPoint(0, 0), size().grownBy(frame));
    outer.moveCenter(owner ? over.center() : room.center());
    if (outer.right() > room.right())
        outer.moveRight(room.right());
    if (outer.bottom() > room.bottom())
        outer.moveBottom(room.bottom());
    if (outer.left() < room.left())
        outer.moveLeft(room.left());
    if (outer.top() < room.top())
        outer.moveTop(room.top());
    // A window's position is that of its frame.
    move(outer.topLeft());
}

// ---------------------------------------------------------------- DDR4

void Frmxmp::JEDEC_DDR4_PROFILE()
{
    const velmora::SpdImage& img = gs().sharedSpd;
    const xmpview::Header h = xmpview::ddr4Header(img);
    setRevision(h.revision);
    applyColumn(xmpview::ddr4Jedec(img), 1, xmpview::ddr4Index(Column::Jedec));
    label1_[1]->setVisible(h.enabled[0]);
    frame3_[1]->setVisible(h.enabled[0]);
    if (h.enabled[0])
        DDR4_XMP_PROFILE1();
    label20_[1]->setVisible(h.enabled[1]);
    frame4_[1]->setVisible(h.enabled[1]);
    if (h.enabled[1])
        DDR4_XMP_PROFILE2();
}

void Frmxmp::DDR4_XMP_PROFILE1()
{
    applyColumn(xmpview::ddr4Profile(gs().sharedSpd, 1), 1, xmpview::ddr4Index(Column::Profile1));
}

void Frmxmp::DDR4_XMP_PROFILE2()
{
    applyColumn(xmpview::ddr4Profile(gs().sharedSpd, 2), 1, xmpview::ddr4Index(Column::Profile2));
}

// ---------------------------------------------------------------- DDR3

void Frmxmp::JEDEC_DDR3_PROFILE()
{
    velmora::SpdImage& img = gs().sharedSpd;
    const xmpview::Header h = xmpview::ddr3Header(img);
    setRevision(h.revision);
    // The JEDEC timebase and clock bytes of the working copy: a 0 becomes 1
    // (the document keeps its own bytes).
    for (const int i : {10, 11, 12})
        if (img[static_cast<std::size_t>(i)] == 0)
            img[static_cast<std::size_t>(i)] = 1;
    applyColumn(xmpview::ddr3Jedec(img), 0, xmpview::ddr3Index(Column::Jedec));
    label1_[0]->setVisible(h.enabled[0]);
    frame3_[0]->setVisible(h.enabled[0]);
    if (h.enabled[0])
        DDR3_XMP_PROFILE1();
    label20_[0]->setVisible(h.enabled[1]);
    frame4_[0]->setVisible(h.enabled[1]);
    if (h.enabled[1])
        DDR3_XMP_PROFILE2();
}

void Frmxmp::DDR3_XMP_PROFILE1()
{
    applyColumn(xmpview::ddr3Profile(gs().sharedSpd, 1), 0, xmpview::ddr3Index(Column::Profile1));
}

void Frmxmp::DDR3_XMP_PROFILE2()
{
    applyColumn(xmpview::ddr3Profile(gs().sharedSpd, 2), 0, xmpview::ddr3Index(Column::Profile2));
}
