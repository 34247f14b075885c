// The ball maps of the DRAM packages: the package seen from the top with
// its ball grid, every ball coloured by the kind of signal and labelled with
// its name, row letters and column numbers around it.

#include "resources/PictureKit.h"
#include "resources/PinData.h"
#include "resources/Pictures.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QRadialGradient>

namespace pictures {

using kit::Signal;

namespace {

const int kColumns[6] = {1, 2, 3, 7, 8, 9};

// Draws one ball with its name; long names break after a slash. A ball
// beside the empty middle columns may lean into them (spare > 0 to the
// right, < 0 to the left) when its name is too long for its own cell. No
// name is drawn smaller than the pictures' smallest text.
void drawBall(QPainter& g, QPointF c, qreal d, qreal cellW, qreal cellH, const QString& name, qreal spare)
{
    const Signal s = kit::classify(name);
    const QColor fill = kit::fillOf(s);
    const qreal floor = kit::kSmallestPx;
    if (spare != 0 && kit::fitPixelSize(name, cellW - 4, floor + 0.5, floor, false, true) < floor + 0.5) {
        cellW += std::abs(spare);
        c.rx() += spare / 2;
    }
    const qreal room = cellW - 3;
    const auto advance = [](const QString& t, qreal px) { return QFontMetricsF(kit::sans(px, false, true)).horizontalAdvance(t); };
    const qreal maxPx = qMax(floor, qMin(cellH * 0.5, 11.5));
    qreal px = kit::fitPixelSize(name, room, maxPx, floor, false, true);
    const bool oneLineFits = advance(name, px) <= room;
    QStringList lines{name};
    // A long name with slashes may read better on two or three lines,
    // broken at the slashes that give the largest text; the lines must fit
    // the cell's height too.
    if ((!oneLineFits || px < maxPx * 0.9) && name.contains(QLatin1Char('/'))) {
        const qreal single = oneLineFits ? px : 0.0;
        QList<qsizetype> cuts;
        for (qsizetype i = name.indexOf(QLatin1Char('/')); i > 0; i = name.indexOf(QLatin1Char('/'), i + 1))
            cuts << i + 1;
        // The largest size at which every line fits; 0 when none does.
        const auto fitLines = [&](const QStringList& ls) {
            for (qreal p = 11.0; p >= floor; p -= 0.5) {
                if (QFontMetricsF(kit::sans(p, false, true)).height() * 0.92 * ls.size() > cellH - 1)
                    continue;
                bool all = true;
                for (const QString& l : ls)
                    all = all && advance(l, p) <= room;
                if (all)
                    return p;
            }
            return 0.0;
        };
        qreal best = single;
        for (qsizetype a = 0; a < cuts.size(); ++a) {
            const QStringList two{name.left(cuts[a]), name.mid(cuts[a])};
            if (const qreal fit = fitLines(two); fit > best && fit > single * 1.15) {
                best = fit;
                lines = two;
            }
            for (qsizetype b = a + 1; b < cuts.size(); ++b) {
                const QStringList three{name.left(cuts[a]), name.mid(cuts[a], cuts[b] - cuts[a]), name.mid(cuts[b])};
                if (const qreal fit = fitLines(three); fit > best && fit > single * 1.15) {
                    best = fit;
                    lines = three;
                }
            }
        }
        if (lines.size() > 1)
            px = best;
    }
    const QFont f = kit::sans(px, false, true);
    const QFontMetricsF fm(f);

    // The ball: round, stretched into a capsule when its name is wider.
    qreal textW = 0;
    for (const QString& line : lines)
        textW = qMax(textW, fm.horizontalAdvance(line));
    const qreal w = qMax(d, qMin(textW + 5, cellW - 1));
    const qreal h = qMax(d, qMin(fm.height() * 0.92 * lines.size() + 2, cellH - 1));
    const QRectF shape(c.x() - w / 2, c.y() - h / 2, w, h);
    QRadialGradient shade(c + QPointF(-w * 0.15, -d * 0.2), qMax(w, d) * 0.62);
    shade.setColorAt(0, fill.lighter(118));
    shade.setColorAt(1, fill.darker(108));
    g.setBrush(shade);
    g.setPen(QPen(kit::inkOf(s).lighter(150), 1.0));
    g.drawRoundedRect(shape, qMin(w, h) / 2, qMin(w, h) / 2);
    g.setFont(f);
    const qreal lh = fm.height() * 0.92;
    qreal y = c.y() - lh * lines.size() / 2;
    for (const QString& line : lines) {
        const QRectF r(c.x() - cellW / 2, y, cellW, lh);
        g.setPen(kit::inkOf(s).darker(140));
        g.drawText(r, Qt::AlignCenter | Qt::TextDontClip, line);
        y += lh;
    }
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

    // Balls.
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < 6; ++c) {
            const QString& name = p.rows[static_cast<std::size_t>(r)].at(c);
            const QPointF centre(colX(c), rowY(r));
            if (name.isEmpty()) {
                g.setBrush(Qt::NoBrush);
                g.setPen(QPen(QColor(0xA8, 0xAC, 0xB4), 1, Qt::DotLine));
                g.drawEllipse(centre, d * 0.22, d * 0.22);
                continue;
            }
            drawBall(g, centre, d, cw, ch, name, c == 2 ? gapW : c == 3 ? -gapW : 0.0);
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
