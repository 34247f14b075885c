#include "document/HexGrid.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QToolTip>

using look::tw;
using look::twRect;

namespace {
// Below this a caption cannot be told from its cell (red on red is 1).
constexpr double kLeastContrast = 2.0;
} // namespace

HexGrid::HexGrid(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("spd_l_value"));
    cellFont_ = QFont(QStringLiteral("Courier New"));
    cellFont_.setStyleHint(QFont::TypeWriter);
    cellFont_.setPointSizeF(9.75);

    for (int i = 0; i < kCells; ++i) {
        const int col = i % 16;
        const int top = i < 256 ? 600 + 240 * (i / 16) : 4560 + 240 * ((i - 256) / 16);
        cellRects_[static_cast<std::size_t>(i)] = twRect(600 + 360 * col, top, 240, 195);
        cells_[static_cast<std::size_t>(i)].caption = QStringLiteral("00");
    }
    for (int k = 0; k < kHeaders; ++k) {
        QRect r;
        QString caption;
        if (k < 16) {
            r = twRect(600 + 360 * k, 240, 240, 195);
            caption = look::hex2(k);
        } else if (k < 32) {
            r = twRect(180, 600 + 240 * (k - 16), 300, 195);
            caption = look::hex2((k - 16) * 16);
        } else {
            r = twRect(90, 4560 + 240 * (k - 32), 360, 195);
            caption = QString::number(256 + (k - 32) * 16, 16).toUpper();
        }
        headerRects_[static_cast<std::size_t>(k)] = r;
        headers_[static_cast<std::size_t>(k)].caption = caption;
    }
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void HexGrid::updateCell(int i) { update(cellRects_[static_cast<std::size_t>(i)].adjusted(-1, -1, 1, 1)); }
void HexGrid::updateHeader(int k) { update(headerRects_[static_cast<std::size_t>(k)].adjusted(-1, -1, 1, 1)); }

void HexGrid::setCaption(int i, const QString& caption)
{
    Item& c = cells_[static_cast<std::size_t>(i)];
    if (c.caption == caption)
        return;
    c.caption = caption;
    updateCell(i);
}

void HexGrid::setCellBack(int i, look::VbColor color)
{
    Item& c = cells_[static_cast<std::size_t>(i)];
    if (c.back == color)
        return;
    c.back = color;
    updateCell(i);
}

void HexGrid::setCellFore(int i, look::VbColor color)
{
    Item& c = cells_[static_cast<std::size_t>(i)];
    if (c.fore == color)
        return;
    c.fore = color;
    updateCell(i);
}

void HexGrid::setCellEnabled(int i, bool on)
{
    Item& c = cells_[static_cast<std::size_t>(i)];
    if (c.enabled == on)
        return;
    c.enabled = on;
    updateCell(i);
}

QString HexGrid::cellToolTip(int i) const { return QStringLiteral("Byte ") + QString::number(i); }

QRect HexGrid::cellRect(int i) const { return cellRects_[static_cast<std::size_t>(i)]; }
QRect HexGrid::headerRect(int k) const { return headerRects_[static_cast<std::size_t>(k)]; }

void HexGrid::setHeaderBack(int k, look::VbColor color)
{
    Item& h = headers_[static_cast<std::size_t>(k)];
    if (h.back == color)
        return;
    h.back = color;
    updateHeader(k);
}

void HexGrid::setHeaderFore(int k, look::VbColor color)
{
    Item& h = headers_[static_cast<std::size_t>(k)];
    if (h.fore == color)
        return;
    h.fore = color;
    updateHeader(k);
}

void HexGrid::setHeaderEnabled(int k, bool on)
{
    Item& h = headers_[static_cast<std::size_t>(k)];
    if (h.enabled == on)
        return;
    h.enabled = on;
    updateHeader(k);
}

void HexGrid::setLine4Bottom(int twips)
{
    if (line4Bottom_ == twips)
        return;
    line4Bottom_ = twips;
    update();
}

int HexGrid::cellAt(const QPoint& p) const
{
    // Rows and columns are regular: find the candidate directly.
    for (int half = 0; half < 2; ++half) {
        const int firstTop = half == 0 ? 600 : 4560;
        const int y = p.y() * 15 - firstTop;
        const int x = p.x() * 15 - 600;
        if (x < 0 || y < 0)
            continue;
        const int col = x / 360;
        const int row = y / 240;
        if (col > 15 || row > 15)
            continue;
        const int i = half * 256 + row * 16 + col;
        if (cellRects_[static_cast<std::size_t>(i)].contains(p))
            return i;
    }
    return -1;
}

int HexGrid::headerAt(const QPoint& p) const
{
    for (int k = 0; k < kHeaders; ++k)
        if (headerRects_[static_cast<std::size_t>(k)].contains(p))
            return k;
    return -1;
}

void HexGrid::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    const QRect dirty = e->rect();
    const QPalette pal = palette();

    auto drawItem = [&](const QRect& r, const Item& it, Qt::Alignment align) {
        if (!r.intersects(dirty))
            return;
        const QColor bg = look::toQColor(it.back);
        p.fillRect(r, bg);
        QColor fg = look::toQColor(it.fore);
        if (!it.enabled && it.fore == look::kWindowText)
            fg = pal.color(QPalette::Disabled, QPalette::WindowText);
        // A caption in a colour that cannot be read on its cell's colour (red
        // text of a read-only document or a stamped date on the red of the
        // selected cell) is drawn in black or white instead; the cell keeps
        // its colours.
        else if (it.enabled && look::contrast(fg, bg) < kLeastContrast)
            fg = look::readableOn(bg);
        p.setPen(fg);
        p.drawText(r, align, it.caption);
    };

    p.setFont(cellFont_);
    for (int i = 0; i < kCells; ++i)
        drawItem(cellRects_[static_cast<std::size_t>(i)], cells_[static_cast<std::size_t>(i)],
                 Qt::AlignCenter);
    p.setFont(font());
    for (int k = 0; k < kHeaders; ++k)
        drawItem(headerRects_[static_cast<std::size_t>(k)], headers_[static_cast<std::size_t>(k)],
                 k < 16 ? Qt::AlignCenter : (Qt::AlignVCenter | Qt::AlignRight));

    p.setPen(QPen(pal.color(QPalette::WindowText), 1));
    p.drawLine(tw(520), tw(360), tw(520), tw(line4Bottom_));
    p.drawLine(tw(600), tw(4480), tw(6360), tw(4480));
}

void HexGrid::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    pressedCell_ = cellAt(e->position().toPoint());
    pressedHeader_ = pressedCell_ < 0 ? headerAt(e->position().toPoint()) : -1;
}

void HexGrid::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint pos = e->position().toPoint();
    const int c = cellAt(pos);
    const int h = c < 0 ? headerAt(pos) : -1;
    const int pc = pressedCell_;
    const int ph = pressedHeader_;
    pressedCell_ = pressedHeader_ = -1;
    // A click is a press and a release on the same enabled item.
    if (c >= 0 && c == pc && cells_[static_cast<std::size_t>(c)].enabled)
        emit cellClicked(c);
    else if (h >= 0 && h == ph && headers_[static_cast<std::size_t>(h)].enabled)
        emit headerClicked(h);
}

bool HexGrid::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        auto* he = static_cast<QHelpEvent*>(e);
        const int c = cellAt(he->pos());
        if (c >= 0) {
            QToolTip::showText(he->globalPos(), cellToolTip(c), this, cellRects_[static_cast<std::size_t>(c)]);
        } else {
            QToolTip::hideText();
            e->ignore();
        }
        return true;
    }
    return QWidget::event(e);
}
