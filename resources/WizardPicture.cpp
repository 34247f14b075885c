#include "resources/WizardPicture.h"

#include "resources/PictureKit.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace pictures {

namespace {

QLinearGradient vertical(qreal top, qreal bottom, const QColor& a, const QColor& b)
{
    QLinearGradient g(QPointF(0, top), QPointF(0, bottom));
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

// A four-pointed sparkle centred on c.
void sparkle(QPainter& g, QPointF c, qreal r, const QColor& colour)
{
    QPainterPath p;
    const qreal w = r * 0.28;
    p.moveTo(c.x(), c.y() - r);
    p.quadTo(c.x() + w, c.y() - w, c.x() + r, c.y());
    p.quadTo(c.x() + w, c.y() + w, c.x(), c.y() + r);
    p.quadTo(c.x() - w, c.y() + w, c.x() - r, c.y());
    p.quadTo(c.x() - w, c.y() - w, c.x(), c.y() - r);
    g.setPen(Qt::NoPen);
    g.setBrush(colour);
    g.drawPath(p);
}

} // namespace

QPixmap wizardPicture(const QSize& size)
{
    QPixmap pm = kit::canvas(size);
    QPainter g(&pm);
    kit::smooth(g);
    // Designed on a 120 x 128 field.
    g.scale(size.width() / 120.0, size.height() / 128.0);

    // Background: a deep blue panel fading to the bottom.
    QLinearGradient sky(QPointF(0, 0), QPointF(40, 128));
    sky.setColorAt(0, QColor(0x1C, 0x3C, 0x8C));
    sky.setColorAt(1, QColor(0x08, 0x14, 0x3A));
    g.setPen(QPen(QColor(0x06, 0x0E, 0x2A), 1.2));
    g.setBrush(sky);
    g.drawRoundedRect(QRectF(0.6, 0.6, 118.8, 126.8), 7, 7);

    // Faint stars.
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(0xFF, 0xFF, 0xFF, 70));
    const QPointF stars[] = {{14, 14}, {30, 8}, {52, 18}, {96, 12}, {108, 30}, {10, 44}, {104, 58}, {18, 108}};
    for (const QPointF& s : stars)
        g.drawEllipse(s, 0.9, 0.9);

    // The module, standing on its edge connector, tilted a little.
    g.save();
    g.translate(58, 84);
    g.rotate(-14);
    const QRectF board(-46, -20, 92, 34);
    g.setPen(QPen(QColor(0x06, 0x30, 0x16), 1.1));
    g.setBrush(vertical(board.top(), board.bottom(), QColor(0x34, 0xA8, 0x5E), QColor(0x12, 0x5A, 0x30)));
    QPainterPath pcb;
    pcb.addRoundedRect(board, 2, 2);
    // The key notch of the connector.
    QPainterPath notch;
    notch.addRect(QRectF(-6, board.bottom() - 4, 3, 5));
    g.drawPath(pcb.subtracted(notch));
    // Gold fingers.
    g.setPen(Qt::NoPen);
    g.setBrush(vertical(board.bottom() - 6, board.bottom(), QColor(0xFF, 0xE4, 0x84), QColor(0xC8, 0x90, 0x1A)));
    for (qreal x = board.left() + 3; x < board.right() - 3; x += 3.6) {
        if (x > -8 && x < -1)
            continue;
        g.drawRect(QRectF(x, board.bottom() - 6, 2.2, 5.6));
    }
    // Eight DRAM chips and the small SPD chip.
    g.setPen(QPen(QColor(0x02, 0x02, 0x04), 0.6));
    g.setBrush(vertical(-16, -2, QColor(0x4C, 0x4E, 0x56), QColor(0x16, 0x17, 0x1A)));
    for (int i = 0; i < 4; ++i) {
        g.drawRect(QRectF(-42 + i * 11, -16, 8.5, 14));
        g.drawRect(QRectF(4 + i * 11, -16, 8.5, 14));
    }
    g.setBrush(QColor(0x22, 0x22, 0x26));
    g.drawRect(QRectF(30, 0, 6, 4.5));
    g.restore();

    // The wand, from the lower left up to a star above the module.
    g.save();
    g.translate(26, 58);
    g.rotate(-48);
    g.setPen(QPen(QColor(0x0A, 0x0A, 0x0C), 0.8));
    g.setBrush(vertical(-2.5, 2.5, QColor(0x50, 0x50, 0x58), QColor(0x10, 0x10, 0x12)));
    g.drawRoundedRect(QRectF(-2, -2.4, 40, 4.8), 2, 2);
    g.setBrush(QColor(0xF4, 0xF4, 0xF8));
    g.drawRect(QRectF(-2, -2.4, 6, 4.8));
    g.restore();

    // Glow and star at the wand's tip.
    const QPointF tip(48, 32);
    QRadialGradient glow(tip, 20);
    glow.setColorAt(0, QColor(0xFF, 0xF0, 0xA0, 200));
    glow.setColorAt(1, QColor(0xFF, 0xF0, 0xA0, 0));
    g.setPen(Qt::NoPen);
    g.setBrush(glow);
    g.drawEllipse(tip, 20, 20);
    sparkle(g, tip, 11, QColor(0xFF, 0xF6, 0xC8));
    sparkle(g, tip, 5, Qt::white);

    // A trail of sparkles falling onto the module.
    sparkle(g, QPointF(70, 40), 5, QColor(0xFF, 0xE0, 0x70));
    sparkle(g, QPointF(86, 52), 3.6, QColor(0xB8, 0xE4, 0xFF));
    sparkle(g, QPointF(62, 54), 3, QColor(0xFF, 0xFF, 0xFF));
    sparkle(g, QPointF(96, 36), 2.6, QColor(0xFF, 0xE0, 0x70));
    return pm;
}

} // namespace pictures
