// The splash picture, the about box's logo and the port options picture.

#include "resources/Pictures.h"

#include "resources/PictureKit.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>

namespace pictures {

namespace {

QLinearGradient vgrad(qreal top, qreal bottom, const QColor& a, const QColor& b)
{
    QLinearGradient lg(QPointF(0, top), QPointF(0, bottom));
    lg.setColorAt(0, a);
    lg.setColorAt(1, b);
    return lg;
}

// A memory module seen at a slant, for the splash: the board, nine chips,
// the SPD EEPROM, the gold fingers and the key.
void splashModule(QPainter& g, qreal w, qreal h)
{
    QPainterPath pcb;
    const qreal keyX = w * 0.42;
    pcb.moveTo(0, 6);
    pcb.quadTo(0, 0, 6, 0);
    pcb.lineTo(w - 6, 0);
    pcb.quadTo(w, 0, w, 6);
    pcb.lineTo(w, h * 0.5);
    pcb.arcTo(QRectF(w - 7, h * 0.5, 14, 14), 90, 180);
    pcb.lineTo(w, h - 6);
    pcb.lineTo(w - 6, h);
    pcb.lineTo(keyX + 4, h);
    pcb.lineTo(keyX + 4, h - 9);
    pcb.arcTo(QRectF(keyX - 4, h - 13, 8, 8), 0, 180);
    pcb.lineTo(keyX - 4, h);
    pcb.lineTo(6, h);
    pcb.lineTo(0, h - 6);
    pcb.lineTo(0, h * 0.5 + 14);
    pcb.arcTo(QRectF(-7, h * 0.5, 14, 14), 270, 180);
    pcb.closeSubpath();
    g.setBrush(QColor(0, 0, 0, 90));
    g.setPen(Qt::NoPen);
    g.drawPath(pcb.translated(8, 10));
    QLinearGradient board(QPointF(0, 0), QPointF(w * 0.3, h));
    board.setColorAt(0, QColor(0x2E, 0x9A, 0x58));
    board.setColorAt(1, QColor(0x0E, 0x4A, 0x28));
    g.setBrush(board);
    g.setPen(QPen(QColor(0x0A, 0x30, 0x18), 1.5));
    g.drawPath(pcb);
    // Traces.
    g.save();
    g.setClipPath(pcb);
    g.setPen(QPen(QColor(0x60, 0xC0, 0x80, 90), 1));
    for (qreal x = 10; x < w - 10; x += 9)
        g.drawLine(QPointF(x, h - 18), QPointF(x + 4, h * 0.62));
    g.restore();
    // Heat spreader look: nine chips.
    for (int i = 0; i < 9; ++i) {
        const QRectF c(14 + i * (w - 28) / 9.0, h * 0.12, (w - 28) / 9.0 - 8, h * 0.44);
        QLinearGradient chip(c.topLeft(), c.bottomLeft());
        chip.setColorAt(0, QColor(0x4A, 0x4C, 0x54));
        chip.setColorAt(1, QColor(0x14, 0x15, 0x18));
        g.setBrush(chip);
        g.setPen(QPen(QColor(0x05, 0x05, 0x06), 1));
        g.drawRoundedRect(c, 2, 2);
        g.setBrush(QColor(0x80, 0x84, 0x8C));
        g.setPen(Qt::NoPen);
        g.drawEllipse(QRectF(c.left() + 3, c.top() + 3, 3, 3));
    }
    g.setBrush(QColor(0x1A, 0x1A, 0x1E));
    g.drawRoundedRect(QRectF(w * 0.66, h * 0.62, 20, 11), 1.5, 1.5);
    g.setPen(QColor(0xC0, 0xC4, 0xCC));
    g.setFont(kit::sans(7, true));
    g.drawText(QRectF(w * 0.66, h * 0.62, 20, 11), Qt::AlignCenter, QStringLiteral("SPD"));
    // Gold fingers.
    g.setPen(Qt::NoPen);
    g.setBrush(vgrad(h - 14, h, QColor(0xFF, 0xE2, 0x80), QColor(0xC8, 0x90, 0x18)));
    for (qreal x = 9; x < w - 9; x += 4.2) {
        if (x > keyX - 7 && x < keyX + 5)
            continue;
        g.drawRect(QRectF(x, h - 13, 2.6, 12));
    }
}

} // namespace

QPixmap splash()
{
    const QSize size(640, 360);
    QPixmap pm = kit::canvas(size, Qt::black);
    QPainter g(&pm);
    kit::smooth(g);

    // Night-blue ground with a light from the upper left.
    QLinearGradient ground(QPointF(0, 0), QPointF(640, 360));
    ground.setColorAt(0, QColor(0x12, 0x2C, 0x66));
    ground.setColorAt(0.55, QColor(0x08, 0x16, 0x3C));
    ground.setColorAt(1, QColor(0x03, 0x08, 0x1A));
    g.fillRect(pm.rect(), ground);
    QRadialGradient light(QPointF(150, 70), 360);
    light.setColorAt(0, QColor(0x50, 0x90, 0xFF, 110));
    light.setColorAt(1, QColor(0x50, 0x90, 0xFF, 0));
    g.fillRect(pm.rect(), light);

    // Faint circuit traces.
    QRandomGenerator rng(20240305);
    g.setPen(QPen(QColor(0x7A, 0xB0, 0xFF, 34), 1.2));
    for (int i = 0; i < 26; ++i) {
        qreal x = rng.bounded(640);
        qreal y = rng.bounded(360);
        QPainterPath t;
        t.moveTo(x, y);
        for (int s = 0; s < 3; ++s) {
            const qreal len = 30 + rng.bounded(70);
            if (s % 2 == 0)
                x += (rng.bounded(2) ? len : -len);
            else {
                const qreal d = rng.bounded(2) ? len * 0.6 : -len * 0.6;
                x += d;
                y += std::abs(d);
            }
            t.lineTo(x, y);
        }
        g.setBrush(Qt::NoBrush);
        g.drawPath(t);
        g.setBrush(QColor(0x7A, 0xB0, 0xFF, 60));
        g.drawEllipse(QPointF(x, y), 2.2, 2.2);
    }

    // The module, tilted, across the middle.
    g.save();
    g.translate(78, 166);
    g.rotate(-6);
    splashModule(g, 430, 104);
    g.restore();

    // Product name and what the program does.
    g.setFont(kit::serif(64, true, true));
    kit::haloText(g, QRectF(36, 14, 560, 84), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("VELMORA"),
                  Qt::white, QColor(0x20, 0x50, 0xC0, 160), 2.5);
    g.setFont(kit::sans(17, true));
    g.setPen(QColor(0xB8, 0xD4, 0xFF));
    g.drawText(QRectF(40, 92, 560, 26), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("SPD EEPROM Programmer  \u00b7  Module Tester"));

    // A darker band along the bottom carries the splash window's labels.
    QLinearGradient band(QPointF(0, 272), QPointF(0, 360));
    band.setColorAt(0, QColor(0, 0, 0, 0));
    band.setColorAt(0.35, QColor(0x02, 0x06, 0x14, 200));
    band.setColorAt(1, QColor(0x02, 0x06, 0x14, 235));
    g.fillRect(QRectF(0, 272, 640, 88), band);
    g.setPen(QPen(QColor(0xC8, 0x20, 0x20), 3));
    g.drawLine(QPointF(36, 290), QPointF(290, 290));
    g.setFont(kit::sans(12));
    g.setPen(QColor(0x9A, 0xB4, 0xE0));
    g.drawText(QRectF(36, 296, 280, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Serial Presence Detect"));
    g.drawText(QRectF(36, 316, 280, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("read \u00b7 edit \u00b7 write \u00b7 verify \u00b7 test"));
    return pm;
}

QPixmap logo(const QSize& size)
{
    QPixmap pm = kit::canvas(size);
    QPainter g(&pm);
    kit::smooth(g);
    const qreal s = qMin(size.width() / 337.0, size.height() / 81.0);
    g.translate((size.width() - 337 * s) / 2, (size.height() - 81 * s) / 2);
    g.scale(s, s);

    QLinearGradient banner(QPointF(0, 0), QPointF(337, 81));
    banner.setColorAt(0, QColor(0x16, 0x3A, 0x86));
    banner.setColorAt(1, QColor(0x06, 0x12, 0x36));
    g.setBrush(banner);
    g.setPen(QPen(QColor(0x04, 0x0C, 0x24), 1.5));
    g.drawRoundedRect(QRectF(1, 1, 335, 79), 8, 8);

    // Emblem: a chip standing on a module's gold fingers.
    g.save();
    g.translate(12, 11);
    g.setBrush(vgrad(0, 58, QColor(0x2E, 0x9A, 0x58), QColor(0x10, 0x50, 0x2A)));
    g.setPen(QPen(QColor(0x08, 0x30, 0x18), 1.2));
    g.drawRoundedRect(QRectF(0, 0, 62, 58), 6, 6);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(0xC0, 0xC4, 0xCC));
    for (int i = 0; i < 5; ++i) {
        g.drawRect(QRectF(10, 8 + i * 7, 5, 2.5));
        g.drawRect(QRectF(47, 8 + i * 7, 5, 2.5));
    }
    g.setBrush(vgrad(5, 45, QColor(0x4A, 0x4C, 0x54), QColor(0x14, 0x15, 0x18)));
    g.setPen(QPen(QColor(0x05, 0x05, 0x06), 1));
    g.drawRoundedRect(QRectF(14, 5, 34, 38), 3, 3);
    g.setPen(QColor(0xF0, 0xC0, 0x40));
    g.setFont(kit::serif(22, true, true));
    g.drawText(QRectF(14, 5, 34, 38), Qt::AlignCenter, QStringLiteral("V"));
    g.setPen(Qt::NoPen);
    g.setBrush(vgrad(48, 56, QColor(0xFF, 0xE2, 0x80), QColor(0xC8, 0x90, 0x18)));
    for (int i = 0; i < 11; ++i)
        g.drawRect(QRectF(5 + i * 5, 48, 3, 8));
    g.restore();

    g.setFont(kit::serif(34, true, true));
    kit::haloText(g, QRectF(86, 4, 246, 50), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("VELMORA"), Qt::white,
                  QColor(0x30, 0x70, 0xE0, 150), 1.5);
    g.setPen(QPen(QColor(0xD0, 0x28, 0x28), 2.5));
    g.drawLine(QPointF(88, 53), QPointF(320, 53));
    g.setFont(kit::sans(11.5, true));
    g.setPen(QColor(0xB8, 0xD0, 0xF8));
    g.drawText(QRectF(88, 56, 246, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("SPD Programmer \u00b7 Module Tester"));
    return pm;
}

QPixmap portPicture(const QSize& size)
{
    QPixmap pm = kit::canvas(size);
    QPainter g(&pm);
    kit::smooth(g);
    const qreal s = qMin(size.width() / 121.0, size.height() / 85.0);
    g.translate((size.width() - 121 * s) / 2, (size.height() - 85 * s) / 2);
    g.scale(s, s);

    // The cable leaving the plug's hood.
    g.setPen(QPen(QColor(0x2A, 0x2C, 0x32), 7, Qt::SolidLine, Qt::RoundCap));
    g.setBrush(Qt::NoBrush);
    QPainterPath cable;
    cable.moveTo(84, 36);
    cable.cubicTo(104, 36, 100, 70, 118, 74);
    g.drawPath(cable);
    // Hood.
    g.setBrush(vgrad(18, 56, QColor(0x5A, 0x5E, 0x68), QColor(0x26, 0x28, 0x2E)));
    g.setPen(QPen(QColor(0x10, 0x10, 0x14), 1.2));
    g.drawRoundedRect(QRectF(60, 20, 28, 32), 5, 5);
    // Metal shell with the thumbscrews.
    g.setBrush(vgrad(12, 60, QColor(0xE4, 0xE8, 0xEE), QColor(0x9A, 0xA2, 0xAE)));
    g.setPen(QPen(QColor(0x50, 0x56, 0x60), 1.2));
    g.drawRoundedRect(QRectF(4, 12, 60, 48), 3, 3);
    for (const qreal y : {18.0, 54.0}) {
        QRadialGradient screw(QPointF(34, y), 5);
        screw.setColorAt(0, QColor(0xF4, 0xF4, 0xF4));
        screw.setColorAt(1, QColor(0x8A, 0x90, 0x98));
        g.setBrush(screw);
        g.drawEllipse(QPointF(34, y), 4, 4);
    }
    // The D-shaped face with nine pins, five over four.
    QPainterPath d;
    d.moveTo(14, 25);
    d.lineTo(54, 25);
    d.lineTo(50, 47);
    d.lineTo(18, 47);
    d.closeSubpath();
    g.setBrush(QColor(0x20, 0x22, 0x28));
    g.setPen(QPen(QColor(0x60, 0x66, 0x70), 1.4));
    g.drawPath(d);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(0xF0, 0xC8, 0x50));
    for (int i = 0; i < 5; ++i)
        g.drawEllipse(QPointF(20 + i * 7, 31), 1.8, 1.8);
    for (int i = 0; i < 4; ++i)
        g.drawEllipse(QPointF(23.5 + i * 7, 40.5), 1.8, 1.8);
    g.setPen(QColor(0x1A, 0x2A, 0x6A));
    g.setFont(kit::sans(11, true));
    g.drawText(QRectF(0, 64, 80, 18), Qt::AlignCenter, QStringLiteral("RS-232"));
    return pm;
}

} // namespace pictures
