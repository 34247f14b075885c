// The ball maps of the DRAM packages: the package seen from the top with
// its ball grid, every ball coloured by the kind of signal and labelled with
// its name, row letters and column numbers around it.

#include "resources/PictureKit.h"
#include "resources/PinData.h"
#include "resources/Pictures.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QRadialGradient>
#include <array>
#include <cmath>

namespace pictures {

using kit::Signal;

namespace {

const int kColumns[6] = {1, 2, 3, 7, 8, 9};

// Inside a ball, the name's glyphs keep this far from the middle of the
// outline: half the pen and two clear pixels.
constexpr qreal kPad = 2.5;
// Clear room between two balls side by side.
constexpr qreal kBetween = 2.5;
// Between the glyphs of two lines of one name.
constexpr qreal kLineGap = 1.0;
// Width of the ball names' font: semi-condensed, and condensed further for
// a name that needs room beyond its own cell.
constexpr int kNameStretch = QFont::SemiCondensed;
constexpr int kTightStretch = QFont::Condensed;

QFont nameFont(qreal px, int stretch)
{
    QFont f = kit::sans(px, false, false);
    f.setStretch(stretch);
    return f;
}

// A ball's name laid out in its shape: the font, the lines with where each
// starts relative to the ball's centre, and the shape's size and corners.
struct BallLayout {
    bool fits = false;
    QFont font;
    QStringList lines;
    QList<QPointF> at;
    qreal w = 0;
    qreal h = 0;
    qreal radius = 0;
};

// The shape of height at least d (at most maxH) and width at most room
// that holds a block of glyphs l x t centred in it, kPad inside its
// outline: a capsule when one holds it, else a rounded rectangle with
// tighter corners.
bool shapeFor(qreal l, qreal t, qreal d, qreal maxH, qreal room, BallLayout& out)
{
    const qreal h = qMin(qMax(d, t + 2 * kPad), maxH);
    if (t + 2 * kPad > h)
        return false;
    for (qreal r = h / 2; r >= 3.0; r -= 0.5) {
        qreal need = qMax(l + 2 * kPad, qMax(d, 2 * r));
        const qreal dy = t / 2 - (h / 2 - r);
        if (dy > 0) {
            const qreal ri = r - kPad;
            if (ri <= 0 || dy > ri)
                continue;
            need = qMax(need, l - 2 * std::sqrt(ri * ri - dy * dy) + 2 * r);
        }
        if (need <= room) {
            out.w = need;
            out.h = h;
            out.radius = r;
            return true;
        }
    }
    return false;
}

// The lines of a name in a font, stacked with kLineGap between their
// glyphs and centred on the ball's centre by their glyphs, not their line
// boxes; false when they do not fit.
bool layLines(const QStringList& lines, const QFont& f, qreal d, qreal maxH, qreal room, BallLayout& out)
{
    const QFontMetricsF fm(f);
    QList<QRectF> ink;
    QList<qreal> base;
    qreal y = 0;
    qreal widest = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRectF r = fm.tightBoundingRect(lines[i]);
        if (i > 0)
            y += ink.back().bottom() + kLineGap - r.top();
        ink << r;
        base << y;
        widest = qMax(widest, r.width());
    }
    const qreal top = ink.front().top();
    const qreal bottom = base.back() + ink.back().bottom();
    BallLayout lay;
    if (!shapeFor(widest, bottom - top, d, maxH, room, lay))
        return false;
    lay.fits = true;
    lay.font = f;
    lay.lines = lines;
    for (qsizetype i = 0; i < lines.size(); ++i)
        lay.at << QPointF(-(ink[i].left() + ink[i].width() / 2), base[i] - (top + bottom) / 2);
    out = lay;
    return true;
}

// The name's layout at the largest size that fits room: on one line, or,
// when breaks allows, broken after slashes when that gives a text larger
// by more than a sixth. No name is drawn smaller than the pictures'
// smallest text; empty (fits false) when none fits.
BallLayout bestLayout(const QString& name, qreal room, qreal maxH, qreal d, qreal maxPx, bool breaks, int stretch)
{
    QList<QStringList> options{{name}};
    if (breaks) {
        QList<qsizetype> cuts;
        for (qsizetype i = name.indexOf(QLatin1Char('/')); i > 0 && i + 1 < name.size(); i = name.indexOf(QLatin1Char('/'), i + 1))
            cuts << i + 1;
        for (qsizetype a = 0; a < cuts.size(); ++a) {
            options << QStringList{name.left(cuts[a]), name.mid(cuts[a])};
            for (qsizetype b = a + 1; b < cuts.size(); ++b)
                options << QStringList{name.left(cuts[a]), name.mid(cuts[a], cuts[b] - cuts[a]), name.mid(cuts[b])};
        }
    }
    BallLayout single;
    BallLayout broken;
    // The fonts come in whole pixels.
    const int largest = static_cast<int>(std::floor(maxPx));
    const int smallest = static_cast<int>(std::ceil(kit::kSmallestPx));
    for (int px = largest; px >= smallest && !single.fits; --px)
        layLines(options.front(), nameFont(px, stretch), d, maxH, room, single);
    for (int px = largest; px >= smallest && !broken.fits; --px)
        for (qsizetype k = 1; k < options.size() && !broken.fits; ++k)
            layLines(options[k], nameFont(px, stretch), d, maxH, room, broken);
    if (broken.fits && (!single.fits || broken.font.pixelSize() > single.font.pixelSize() * 7 / 6))
        return broken;
    return single;
}

void drawBall(QPainter& g, QPointF c, const QString& name, const BallLayout& lay)
{
    const Signal s = kit::classify(name);
    const QColor fill = kit::fillOf(s);
    const QRectF shape(c.x() - lay.w / 2, c.y() - lay.h / 2, lay.w, lay.h);
    QRadialGradient shade(c + QPointF(-lay.w * 0.15, -lay.h * 0.2), qMax(lay.w, lay.h) * 0.62);
    shade.setColorAt(0, fill.lighter(118));
    shade.setColorAt(1, fill.darker(108));
    g.setBrush(shade);
    g.setPen(QPen(kit::inkOf(s).lighter(150), 1.0));
    g.drawRoundedRect(shape, lay.radius, lay.radius);
    g.setFont(lay.font);
    g.setPen(kit::inkOf(s).darker(140));
    for (qsizetype i = 0; i < lay.lines.size(); ++i)
        g.drawText(c + lay.at[i], lay.lines[i]);
}

void drawLegend(QPainter& g, const QRectF& r, const QList<Signal>& kinds, int perRow)
{
    const int rows = (static_cast<int>(kinds.size()) + perRow - 1) / perRow;
    const qreal w = r.width() / perRow;
    const qreal h = r.height() / rows;
    const qreal px = qMax(kit::kSmallestPx, qMin(h * 0.62, 11.0));
    g.setFont(kit::sans(px));
    for (int i = 0; i < kinds.size(); ++i) {
        const qreal x = r.left() + (i % perRow) * w;
        const qreal y = r.top() + (i / perRow) * h;
        const qreal d = px * 0.95;
        g.setBrush(kit::fillOf(kinds[i]));
        g.setPen(QPen(kit::inkOf(kinds[i]).lighter(140), 1));
        g.drawEllipse(QRectF(x + 2, y + (h - d) / 2, d, d));
        g.setPen(QColor(0x33, 0x33, 0x33));
        g.drawText(QRectF(x + d + 6, y, w - d - 6, h), Qt::AlignVCenter | Qt::AlignLeft, kit::legendOf(kinds[i]));
    }
}

} // namespace

void paintChipMap(QPainter& g, const QRectF& area, int index)
{
    const ChipPackage& p = chipPackage(index);
    g.save();
    kit::smooth(g);
    g.fillRect(area, Qt::white);

    const qreal W = area.width();
    const qreal H = area.height();
    const qreal m = qMax(4.0, W * 0.025);
    qreal y = area.top() + m * 0.6;

    // Title: the generation and widths, then the package.
    const qreal titlePx = qBound(10.0, H * 0.036, 22.0);
    g.setFont(kit::sans(titlePx, true));
    g.setPen(QColor(0xB0, 0x10, 0x10));
    const QFontMetricsF tfm(g.font());
    g.drawText(QRectF(area.left() + m, y, W - 2 * m, tfm.height()), Qt::AlignLeft | Qt::AlignVCenter,
               p.generation + QStringLiteral("  ") + p.widths);
    y += tfm.height();
    const qreal subPx = qBound(kit::kSmallestPx, H * 0.024, 14.0);
    g.setFont(kit::sans(subPx));
    g.setPen(QColor(0x44, 0x44, 0x44));
    const QFontMetricsF sfm(g.font());
    g.drawText(QRectF(area.left() + m, y, W - 2 * m, sfm.height()), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("%1-ball FBGA \u00b7 top view")
                   .arg(p.ballCount()));
    y += sfm.height() + m * 0.4;

    // Legend and note at the bottom.
    const QList<Signal> kinds{Signal::Power, Signal::Ground, Signal::Data,    Signal::Strobe,
                              Signal::Address, Signal::Command, Signal::Clock, Signal::Unused};
    const qreal legendH = qBound(24.0, H * 0.07, 40.0);
    const QRectF legend(area.left() + m, area.bottom() - m * 0.5 - legendH, W - 2 * m, legendH);
    drawLegend(g, legend, kinds, 4);
    const qreal notePx = qBound(kit::kSmallestPx, H * 0.021, 12.0);
    g.setFont(kit::sans(notePx, false, true));
    const QFontMetricsF nfm(g.font());
    const QRectF noteBox(area.left() + m, legend.top() - nfm.height() * 2.2, W - 2 * m, nfm.height() * 2.1);
    g.setPen(QColor(0x30, 0x30, 0x60));
    g.drawText(noteBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, p.note);

    // The grid.
    const int rows = static_cast<int>(p.rows.size());
    const qreal headerH = qBound(10.0, H * 0.03, 18.0);
    const qreal labelW = qBound(10.0, W * 0.05, 22.0);
    const qreal pad = m * 0.6;
    const QRectF gridBox(area.left() + m + labelW, y + headerH, W - 2 * m - labelW,
                         noteBox.top() - pad - (y + headerH));
    const qreal cw = (gridBox.width() - 2 * pad) / 6.6;  // six columns and the empty middle
    const qreal ch = qMin((gridBox.height() - 2 * pad) / rows, cw * 0.78);
    const qreal d = qMin(cw, ch) * 0.94;
    const qreal bodyH = ch * rows + 2 * pad;
    const QRectF body(gridBox.left(), gridBox.top() + (gridBox.height() - bodyH) / 2 * 0.35, gridBox.width(), bodyH);
    const qreal gapW = cw * 0.6;
    const auto colX = [&](int c) { return body.left() + pad + cw * (c + 0.5) + (c >= 3 ? gapW : 0.0); };
    const auto rowY = [&](int r) { return body.top() + pad + ch * (r + 0.5); };

    // Package body with the A1 corner mark.
    QLinearGradient bodyShade(body.topLeft(), body.bottomRight());
    bodyShade.setColorAt(0, QColor(0xF4, 0xF5, 0xF7));
    bodyShade.setColorAt(1, QColor(0xE2, 0xE5, 0xEA));
    g.setBrush(bodyShade);
    g.setPen(QPen(QColor(0x40, 0x44, 0x4C), 1.6));
    g.drawRoundedRect(body, m * 0.8, m * 0.8);
    QPainterPath mark;
    const qreal t = qMin(cw, ch) * 0.55;
    mark.moveTo(body.topLeft() + QPointF(2.5, 2.5));
    mark.lineTo(body.topLeft() + QPointF(2.5 + t, 2.5));
    mark.lineTo(body.topLeft() + QPointF(2.5, 2.5 + t));
    mark.closeSubpath();
    g.setBrush(QColor(0x40, 0x44, 0x4C));
    g.setPen(Qt::NoPen);
    g.drawPath(mark);

    // Column numbers and row letters.
    g.setFont(kit::sans(qBound(kit::kSmallestPx, headerH * 0.8, 12.0), true));
    g.setPen(QColor(0x22, 0x22, 0x22));
    for (int c = 0; c < 6; ++c)
        g.drawText(QRectF(colX(c) - cw / 2, body.top() - headerH, cw, headerH), Qt::AlignCenter,
                   QString::number(kColumns[c]));
    g.setFont(kit::sans(qBound(kit::kSmallestPx, ch * 0.55, 12.0), true));
    for (int r = 0; r < rows; ++r)
        g.drawText(QRectF(area.left() + m, rowY(r) - ch / 2, labelW, ch), Qt::AlignCenter, p.rowLetters.at(r));

    // Balls, a row at a time: each name in its own cell where it fits;
    // one that does not takes the room its neighbours leave free, keeping
    // as near its column as that room allows.
    const qreal maxPx = qMax(kit::kSmallestPx, qMin(ch * 0.5, 11.5));
    for (int r = 0; r < rows; ++r) {
        const auto& row = p.rows[static_cast<std::size_t>(r)];
        std::array<BallLayout, 6> lay;
        std::array<qreal, 6> x{};
        for (int c = 0; c < 6; ++c) {
            x[static_cast<std::size_t>(c)] = colX(c);
            if (!row.at(c).isEmpty())
                lay[static_cast<std::size_t>(c)] = bestLayout(row.at(c), cw - kBetween, ch - 1, d, maxPx, true, kNameStretch);
        }
        auto edgeOf = [&](int k, int side) {
            // Where the room of ball k's neighbour on that side ends.
            const qreal own = colX(k);
            if (k + side < 0)
                return body.left() + 3.0;
            if (k + side > 5)
                return body.right() - 3.0;
            const std::size_t n = static_cast<std::size_t>(k + side);
            const qreal other = x[n];
            if (row.at(k + side).isEmpty())
                return other - side * (d * 0.22 + 1 + kBetween);
            if (!lay[n].fits)
                return (own + other) / 2 - side * kBetween / 2;
            return other - side * (lay[n].w / 2 + kBetween);
        };
        // How far a ball that fits may move away from the ball beside it
        // on that side, towards its other neighbour.
        auto giveOf = [&](int n, int away) {
            if (n < 0 || n > 5 || row.at(n).isEmpty() || !lay[static_cast<std::size_t>(n)].fits)
                return 0.0;
            const std::size_t m = static_cast<std::size_t>(n);
            const qreal free = away < 0 ? x[m] - lay[m].w / 2 - kBetween - edgeOf(n, -1)
                                        : edgeOf(n, +1) - kBetween - (x[m] + lay[m].w / 2);
            return qMax(0.0, free);
        };
        for (int c = 0; c < 6; ++c) {
            const std::size_t k = static_cast<std::size_t>(c);
            if (row.at(c).isEmpty() || lay[k].fits)
                continue;
            qreal left = edgeOf(c, -1);
            qreal right = edgeOf(c, +1);
            const qreal giveLeft = giveOf(c - 1, -1);
            const qreal giveRight = giveOf(c + 1, +1);
            for (int stretch : {kNameStretch, kTightStretch}) {
                lay[k] = bestLayout(row.at(c), right - left + giveLeft + giveRight, ch - 1, d, maxPx, true, stretch);
                if (lay[k].fits)
                    break;
            }
            if (!lay[k].fits) {
                // Nothing fits: the smallest, most condensed text on a shape
                // no wider than the room.
                layLines({row.at(c)}, nameFont(kit::kSmallestPx, kTightStretch), d, ch - 1, 1e6, lay[k]);
                lay[k].w = qMin(lay[k].w, right - left);
            }
            // The neighbours make way, each as far as it can and the two
            // as evenly as that allows.
            const qreal short_ = qMax(0.0, lay[k].w - (right - left));
            const qreal pushLeft = qMin(giveLeft, qMax(short_ / 2, short_ - giveRight));
            const qreal pushRight = qMin(giveRight, short_ - pushLeft);
            if (c > 0)
                x[k - 1] -= pushLeft;
            if (c < 5)
                x[k + 1] += pushRight;
            left -= pushLeft;
            right += pushRight;
            x[k] = lay[k].w <= right - left ? qBound(left + lay[k].w / 2, colX(c), right - lay[k].w / 2) : (left + right) / 2;
        }
        for (int c = 0; c < 6; ++c) {
            const QPointF centre(x[static_cast<std::size_t>(c)], rowY(r));
            if (row.at(c).isEmpty()) {
                g.setBrush(Qt::NoBrush);
                g.setPen(QPen(QColor(0xA8, 0xAC, 0xB4), 1, Qt::DotLine));
                g.drawEllipse(centre, d * 0.22, d * 0.22);
                continue;
            }
            drawBall(g, centre, row.at(c), lay[static_cast<std::size_t>(c)]);
        }
    }
    g.restore();
}

QPixmap chipMap(int index, const QSize& size)
{
    QPixmap pm = kit::canvas(size, Qt::white);
    QPainter g(&pm);
    paintChipMap(g, QRectF(QPointF(0, 0), QSizeF(size)), index);
    return pm;
}

} // namespace pictures
