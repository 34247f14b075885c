// The connector maps of the memory modules: the module seen from the front
// with its gold fingers, key notch and first and last pin, then the table of
// every pin of both faces with its signal name.

#include "resources/PictureKit.h"
#include "resources/PinData.h"
#include "resources/Pictures.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>

namespace pictures {

using kit::Signal;

namespace {

// A table row holds its name's box with the name's glyphs, the underscore's
// included, and a clear pixel above and below them.
constexpr qreal kRow = 17.0;      // height of one table row
constexpr qreal kTablePx = 10.0;  // table text

struct Layout {
    qreal margin = 6;
    qreal titleH = 0;
    qreal infoH = 0;
    QRectF board;
    qreal boardCaptionH = 0;
    qreal tableTop = 0;
    int rows = 0;
    int keyRow = 0;  // the key divider comes after this many rows
    qreal legendTop = 0;
    qreal legendH = 0;
    qreal height = 0;
};

QString infoText(const ModuleConnector& m)
{
    return QStringLiteral("%1 pins \u00b7 %2 mm wide \u00b7 %3\n%4")
        .arg(m.pins)
        .arg(m.widthMm, 0, 'f', 2)
        .arg(m.volts, m.keyText());
}

Layout layoutFor(const ModuleConnector& m, int width)
{
    Layout l;
    const qreal W = width;
    l.margin = qMax(5.0, W * 0.02);
    l.titleH = QFontMetricsF(kit::sans(16, true)).height() + 2;
    const QFontMetricsF ifm(kit::sans(10));
    l.infoH = ifm.boundingRect(QRectF(0, 0, W - 2 * l.margin, 1000), Qt::TextWordWrap, infoText(m)).height() + 4;
    const qreal bw = (W - 2 * l.margin) * (m.soDimm ? 0.66 : 1.0);
    const qreal bh = bw * m.heightMm / m.widthMm;
    l.board = QRectF(l.margin + ((W - 2 * l.margin) - bw) / 2, l.margin + l.titleH + l.infoH + 4, bw, bh);
    l.boardCaptionH = 40;
    l.tableTop = l.board.bottom() + l.boardCaptionH + 6;
    l.rows = m.pins / 2;
    l.keyRow = m.frontPinsBeforeKey();
    const qreal tableH = kRow * (l.rows + 2);  // header and key divider
    l.legendTop = l.tableTop + tableH + 8;
    l.legendH = 3 * 15;
    l.height = l.legendTop + l.legendH + l.margin;
    return l;
}

// x of the centre of front-side finger k (0-based) along the board.
struct Fingers {
    qreal left = 0;
    qreal pitch = 0;
    int perSide = 0;
    int beforeKey = 0;
    qreal gap = 0;
    qreal x(int k) const { return left + pitch * (k + 0.5) + (k >= beforeKey ? gap : 0.0); }
    qreal keyX() const { return left + pitch * beforeKey + gap / 2; }
};

void drawChip(QPainter& g, const QRectF& r, bool label)
{
    QLinearGradient shade(r.topLeft(), r.bottomLeft());
    shade.setColorAt(0, QColor(0x3A, 0x3C, 0x42));
    shade.setColorAt(1, QColor(0x18, 0x19, 0x1C));
    g.setBrush(shade);
    g.setPen(QPen(QColor(0x0C, 0x0C, 0x0E), 0.8));
    g.drawRoundedRect(r, 1.2, 1.2);
    g.setBrush(QColor(0x70, 0x72, 0x78));
    g.setPen(Qt::NoPen);
    const qreal d = qMax(1.6, r.width() * 0.09);
    g.drawEllipse(QRectF(r.left() + d * 0.8, r.top() + d * 0.8, d, d));
    if (label) {
        g.setPen(QColor(0xB8, 0xBA, 0xC0));
        g.setFont(kit::sans(kit::kSmallestPx, true));
        g.drawText(r, Qt::AlignCenter, QStringLiteral("SPD"));
    }
}

void drawModule(QPainter& g, const ModuleConnector& m, const Layout& l)
{
    const QRectF b = l.board;
    const qreal fingerH = b.height() * 0.13;
    Fingers f;
    f.perSide = m.pins / 2;
    f.beforeKey = m.frontPinsBeforeKey();
    const qreal span = b.width() * (m.soDimm ? 0.93 : 0.95);
    f.pitch = span / (f.perSide + 4.0);
    f.gap = f.pitch * 4.0;
    f.left = b.left() + (b.width() - span) / 2;

    // Board outline: side notches for the retention latches, chamfered lower
    // corners, the key notch cut into the connector edge; DDR4's connector
    // edge bows down in the middle.
    const bool bowed = m.pins == 288;
    const qreal bow = bowed ? fingerH * 0.35 : 0.0;
    const qreal notchR = qMin(b.height() * 0.08, 6.0);
    const qreal sideY = b.top() + b.height() * (m.soDimm ? 0.42 : 0.55);
    const qreal ch = fingerH * 0.5;
    const qreal keyX = f.keyX();
    const qreal keyW = qMax(f.gap * 0.7, 5.0);
    const qreal keyH = fingerH * 1.6;
    QPainterPath pcb;
    pcb.moveTo(b.left() + 2, b.top());
    pcb.lineTo(b.right() - 2, b.top());
    pcb.quadTo(b.right(), b.top(), b.right(), b.top() + 2);
    pcb.lineTo(b.right(), sideY - notchR);
    pcb.arcTo(QRectF(b.right() - notchR, sideY - notchR, 2 * notchR, 2 * notchR), 90, 180);
    pcb.lineTo(b.right(), b.bottom() - ch - bow * 0.2);
    pcb.lineTo(b.right() - ch, b.bottom() - bow * 0.2);
    pcb.quadTo(QPointF(keyX + keyW, b.bottom() + bow), QPointF(keyX + keyW / 2, b.bottom() + bow * 0.98));
    pcb.lineTo(keyX + keyW / 2, b.bottom() + bow - keyH + keyW / 2);
    pcb.arcTo(QRectF(keyX - keyW / 2, b.bottom() + bow - keyH, keyW, keyW), 0, 180);
    pcb.lineTo(keyX - keyW / 2, b.bottom() + bow * 0.98);
    pcb.quadTo(QPointF(keyX - keyW, b.bottom() + bow), QPointF(b.left() + ch, b.bottom() - bow * 0.2));
    pcb.lineTo(b.left(), b.bottom() - ch - bow * 0.2);
    pcb.lineTo(b.left(), sideY + notchR);
    pcb.arcTo(QRectF(b.left() - notchR, sideY - notchR, 2 * notchR, 2 * notchR), 270, 180);
    pcb.lineTo(b.left(), b.top() + 2);
    pcb.quadTo(b.left(), b.top(), b.left() + 2, b.top());
    pcb.closeSubpath();

    QLinearGradient green(b.topLeft(), b.bottomLeft());
    green.setColorAt(0, QColor(0x23, 0x7A, 0x45));
    green.setColorAt(1, QColor(0x14, 0x55, 0x2E));
    g.setBrush(green);
    g.setPen(QPen(QColor(0x0B, 0x3A, 0x1E), 1.2));
    g.drawPath(pcb);

    // Traces: a few faint lines from the chips down to the fingers.
    g.save();
    g.setClipPath(pcb);
    g.setPen(QPen(QColor(0x3F, 0x9A, 0x60, 120), 0.8));
    for (int k = 0; k < f.perSide; k += 3) {
        const qreal x = f.x(k);
        g.drawLine(QPointF(x, b.bottom() - fingerH), QPointF(x, b.bottom() - fingerH * 1.9));
    }
    g.restore();

    // DRAM chips and the SPD EEPROM.
    const int chips = m.soDimm ? 4 : 8;
    const qreal area = b.width() * (m.soDimm ? 0.86 : 0.9);
    const qreal cw = area / chips * 0.72;
    const qreal chh = qMin(b.height() * 0.42, cw * 1.25);
    const qreal cy = b.top() + b.height() * 0.16;
    for (int i = 0; i < chips; ++i) {
        const qreal cx = b.left() + (b.width() - area) / 2 + area / chips * (i + 0.5);
        drawChip(g, QRectF(cx - cw / 2, cy, cw, chh), false);
    }
    // The SPD EEPROM is large enough for its label.
    const QFontMetricsF label(kit::sans(kit::kSmallestPx, true));
    // Its label keeps clear of the pin-1 dot in the chip's corner.
    const qreal body = qMax(10.0, b.width() * (m.soDimm ? 0.11 : 0.06));
    const qreal sw = qMax(body, label.horizontalAdvance(QStringLiteral("SPD")) + 14);
    const qreal sh = qMax(body * 0.62, label.height() + 1);
    drawChip(g, QRectF(b.left() + b.width() * (m.soDimm ? 0.72 : 0.62), cy + chh + b.height() * 0.06, sw, sh), true);

    // Gold fingers.
    QLinearGradient gold(QPointF(0, b.bottom() - fingerH), QPointF(0, b.bottom()));
    gold.setColorAt(0, QColor(0xF3, 0xD2, 0x6A));
    gold.setColorAt(1, QColor(0xC4, 0x95, 0x20));
    g.setPen(Qt::NoPen);
    g.setBrush(gold);
    const qreal fw = qMax(0.9, f.pitch * 0.62);
    for (int k = 0; k < f.perSide; ++k) {
        const qreal x = f.x(k);
        const qreal t = (x - (b.left() + b.width() / 2)) / (b.width() / 2);
        const qreal drop = bow * (1 - t * t);
        g.drawRect(QRectF(x - fw / 2, b.bottom() - fingerH + drop * 0.3, fw, fingerH * 0.86 + drop * 0.6));
    }

    // Pin numbers, the key and the caption below the board.
    const qreal below = b.bottom() + bow + 3;
    g.setFont(kit::sans(9.5, true));
    g.setPen(QColor(0x22, 0x22, 0x22));
    const int lastFront = m.soDimm ? m.pins - 1 : m.pins / 2;
    const qreal x1 = f.x(0);
    const qreal xn = f.x(f.perSide - 1);
    // The first and last pins' ticks, their numbers just below them.
    g.drawLine(QPointF(x1, below), QPointF(x1, below + 3));
    g.drawLine(QPointF(xn, below), QPointF(xn, below + 3));
    g.drawText(QRectF(x1 - 2, below + 4, 40, 13), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("1"));
    g.drawText(QRectF(xn - 40 + 2, below + 4, 40, 13), Qt::AlignRight | Qt::AlignTop, QString::number(lastFront));
    QPainterPath arrow;
    arrow.moveTo(keyX, below);
    arrow.lineTo(keyX - 4, below + 6);
    arrow.lineTo(keyX + 4, below + 6);
    arrow.closeSubpath();
    g.setBrush(QColor(0xC0, 0x10, 0x10));
    g.setPen(Qt::NoPen);
    g.drawPath(arrow);
    g.setPen(QColor(0xC0, 0x10, 0x10));
    g.drawText(QRectF(keyX - 30, below + 5, 60, 13), Qt::AlignCenter, QStringLiteral("KEY"));
    g.setFont(kit::sans(9.5));
    g.setPen(QColor(0x33, 0x33, 0x33));
    const QString caption = m.soDimm
        ? QStringLiteral("Front: odd pins 1\u2013%1 \u00b7 back: even pins 2\u2013%2").arg(m.pins - 1).arg(m.pins)
        : QStringLiteral("Front: pins 1\u2013%1 \u00b7 back: pins %2\u2013%3").arg(m.pins / 2).arg(m.pins / 2 + 1).arg(m.pins);
    g.drawText(QRectF(l.margin, below + 19, l.board.right() + l.board.left() - 2 * l.margin + 0, 14), Qt::AlignCenter,
               caption);
}

void drawCell(QPainter& g, const QRectF& r, int pin, const QString& name)
{
    const Signal s = kit::classify(name);
    const qreal numW = 26;
    g.setPen(QColor(0x70, 0x70, 0x70));
    g.setFont(kit::sans(kTablePx - 0.5, false, true));
    g.drawText(QRectF(r.left(), r.top(), numW, r.height()), Qt::AlignRight | Qt::AlignVCenter, QString::number(pin));
    const QRectF chip(r.left() + numW + 4, r.top() + 1.5, r.width() - numW - 6, r.height() - 3);
    g.setBrush(kit::fillOf(s));
    g.setPen(Qt::NoPen);
    g.drawRoundedRect(chip, 2.5, 2.5);
    g.setPen(kit::inkOf(s).darker(125));
    const qreal px = kit::fitPixelSize(name, chip.width() - 6, kTablePx, kit::kSmallestPx, true, true);
    g.setFont(kit::sans(px, true, true));
    g.drawText(chip.adjusted(4, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, name);
}

} // namespace

int moduleMapHeight(int index, int width)
{
    return qCeil(layoutFor(moduleConnector(index), width).height);
}

void paintModuleMap(QPainter& g, int width, int index)
{
    const ModuleConnector& m = moduleConnector(index);
    const Layout l = layoutFor(m, width);
    const qreal W = width;
    g.save();
    kit::smooth(g);
    g.fillRect(QRectF(0, 0, W, l.height), Qt::white);

    // Title and facts.
    g.setFont(kit::sans(16, true));
    g.setPen(QColor(0xB0, 0x10, 0x10));
    g.drawText(QRectF(l.margin, l.margin, W - 2 * l.margin, l.titleH), Qt::AlignLeft | Qt::AlignVCenter, m.title);
    g.setFont(kit::sans(10));
    g.setPen(QColor(0x40, 0x40, 0x40));
    g.drawText(QRectF(l.margin, l.margin + l.titleH, W - 2 * l.margin, l.infoH), Qt::AlignLeft | Qt::TextWordWrap,
               infoText(m));

    drawModule(g, m, l);

    // The pin table, front face left and back face right.
    const qreal tw = W - 2 * l.margin;
    const qreal half = tw / 2;
    qreal y = l.tableTop;
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(0x2F, 0x4A, 0x7A));
    g.drawRect(QRectF(l.margin, y, tw, kRow));
    g.setPen(Qt::white);
    g.setFont(kit::sans(kTablePx, true));
    g.drawText(QRectF(l.margin, y, half, kRow), Qt::AlignCenter,
               m.soDimm ? QStringLiteral("Front (odd pins)") : QStringLiteral("Front side"));
    g.drawText(QRectF(l.margin + half, y, half, kRow), Qt::AlignCenter,
               m.soDimm ? QStringLiteral("Back (even pins)") : QStringLiteral("Back side"));
    y += kRow;
    for (int r = 0; r < l.rows; ++r) {
        if (r == l.keyRow) {
            g.setPen(Qt::NoPen);
            g.setBrush(QColor(0xFF, 0xE4, 0xE1));
            g.drawRect(QRectF(l.margin, y, tw, kRow));
            g.setPen(QPen(QColor(0xC0, 0x10, 0x10), 1, Qt::DashLine));
            g.drawLine(QPointF(l.margin + 4, y + kRow / 2), QPointF(l.margin + tw / 2 - 24, y + kRow / 2));
            g.drawLine(QPointF(l.margin + tw / 2 + 24, y + kRow / 2), QPointF(l.margin + tw - 4, y + kRow / 2));
            g.setPen(QColor(0xC0, 0x10, 0x10));
            g.setFont(kit::sans(kTablePx, true));
            g.drawText(QRectF(l.margin, y, tw, kRow), Qt::AlignCenter, QStringLiteral("KEY"));
            y += kRow;
        }
        g.setPen(Qt::NoPen);
        g.setBrush(r % 2 ? QColor(0xF1, 0xF3, 0xF7) : QColor(0xFF, 0xFF, 0xFF));
        g.drawRect(QRectF(l.margin, y, tw, kRow));
        const int left = m.soDimm ? 2 * r + 1 : r + 1;
        const int right = m.soDimm ? 2 * r + 2 : m.pins / 2 + r + 1;
        drawCell(g, QRectF(l.margin, y, half - 4, kRow), left, m.names.at(left - 1));
        drawCell(g, QRectF(l.margin + half, y, half - 4, kRow), right, m.names.at(right - 1));
        y += kRow;
    }
    g.setPen(QPen(QColor(0x9A, 0xA4, 0xB4), 1));
    g.setBrush(Qt::NoBrush);
    g.drawRect(QRectF(l.margin, l.tableTop, tw, y - l.tableTop));
    // The line between the two faces stops at the key's row, whose "KEY"
    // stands where it would run.
    const qreal keyTop = l.tableTop + kRow * (l.keyRow + 1);
    g.drawLine(QPointF(l.margin + half, l.tableTop + kRow), QPointF(l.margin + half, keyTop));
    g.drawLine(QPointF(l.margin + half, keyTop + kRow), QPointF(l.margin + half, y));

    // Legend.
    const QList<Signal> kinds{Signal::Power, Signal::Ground,  Signal::Data,  Signal::Strobe, Signal::Address,
                              Signal::Command, Signal::Clock, Signal::Spd,   Signal::Unused};
    const qreal cw = tw / 3;
    g.setFont(kit::sans(10));
    for (int i = 0; i < kinds.size(); ++i) {
        const QRectF cell(l.margin + (i % 3) * cw, l.legendTop + (i / 3) * 15, cw, 15);
        g.setPen(kinds[i] == Signal::Unused ? QPen(QColor(0xA0, 0xA0, 0xA0), 1) : QPen(Qt::NoPen));
        g.setBrush(kit::fillOf(kinds[i]));
        g.drawRoundedRect(QRectF(cell.left() + 2.5, cell.top() + 3.5, 15, 8), 2, 2);
        g.setPen(QColor(0x33, 0x33, 0x33));
        g.drawText(cell.adjusted(22, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, kit::legendOf(kinds[i]));
    }
    g.restore();
}

QPixmap moduleMap(int index, int width)
{
    const int w = qMax(120, width);
    QPixmap pm = kit::canvas(QSize(w, moduleMapHeight(index, w)), Qt::white);
    QPainter g(&pm);
    paintModuleMap(g, w, index);
    return pm;
}

} // namespace pictures
