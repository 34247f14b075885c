// The pictures of the document's busy panel: the computer, the programmer
// and tester unit, a memory module, the two transfer arrows and the pointing
// hand. Each is drawn on a design box of its own and fitted, centred, into
// the size asked for.

#include "resources/PictureKit.h"
#include "resources/Pictures.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <functional>

namespace pictures {

namespace {

QLinearGradient vgrad(qreal top, qreal bottom, const QColor& a, const QColor& b)
{
    QLinearGradient lg(QPointF(0, top), QPointF(0, bottom));
    lg.setColorAt(0, a);
    lg.setColorAt(1, b);
    return lg;
}

// Computer: a monitor on its stand with a keyboard in front, 120 x 110.
void computer(QPainter& g)
{
    g.setBrush(QColor(0, 0, 0, 40));
    g.setPen(Qt::NoPen);
    g.drawEllipse(QRectF(10, 98, 100, 10));
    // Stand.
    g.setBrush(vgrad(66, 84, QColor(0xC8, 0xCC, 0xD2), QColor(0x8C, 0x92, 0x9C)));
    g.setPen(QPen(QColor(0x50, 0x56, 0x60), 1.2));
    QPainterPath neck;
    neck.moveTo(52, 66);
    neck.lineTo(68, 66);
    neck.lineTo(72, 80);
    neck.lineTo(48, 80);
    neck.closeSubpath();
    g.drawPath(neck);
    g.drawRoundedRect(QRectF(36, 79, 48, 6), 2, 2);
    // Monitor.
    g.setBrush(vgrad(4, 70, QColor(0xEE, 0xEC, 0xE4), QColor(0xC6, 0xC2, 0xB4)));
    g.setPen(QPen(QColor(0x5A, 0x58, 0x50), 1.5));
    g.drawRoundedRect(QRectF(14, 4, 92, 64), 5, 5);
    QLinearGradient screen(QPointF(20, 10), QPointF(100, 60));
    screen.setColorAt(0, QColor(0x3A, 0x7C, 0xE0));
    screen.setColorAt(1, QColor(0x0A, 0x2A, 0x78));
    g.setBrush(screen);
    g.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
    g.drawRect(QRectF(21, 10, 78, 50));
    // A window with hex digits on the screen.
    g.setBrush(QColor(0xF4, 0xF6, 0xFA));
    g.setPen(Qt::NoPen);
    g.drawRect(QRectF(27, 15, 50, 36));
    g.setBrush(QColor(0x1C, 0x3C, 0x90));
    g.drawRect(QRectF(27, 15, 50, 5));
    g.setPen(QColor(0x20, 0x20, 0x60));
    g.setFont(kit::sans(5.2, false, true));
    for (int r = 0; r < 4; ++r)
        g.drawText(QPointF(29, 27 + r * 6.3), QStringLiteral("0C 02 8E 10"));
    g.setBrush(QColor(255, 255, 255, 60));
    g.setPen(Qt::NoPen);
    QPainterPath glare;
    glare.moveTo(21, 10);
    glare.lineTo(60, 10);
    glare.lineTo(21, 40);
    glare.closeSubpath();
    g.drawPath(glare);
    g.setBrush(QColor(0x30, 0xC0, 0x40));
    g.drawEllipse(QRectF(96, 62, 3.5, 3.5));
    // Keyboard.
    QPainterPath kb;
    kb.moveTo(18, 88);
    kb.lineTo(102, 88);
    kb.lineTo(110, 104);
    kb.lineTo(10, 104);
    kb.closeSubpath();
    g.setBrush(vgrad(88, 104, QColor(0xE8, 0xE6, 0xDE), QColor(0xB8, 0xB4, 0xA8)));
    g.setPen(QPen(QColor(0x5A, 0x58, 0x50), 1.2));
    g.drawPath(kb);
    g.setPen(QPen(QColor(0x8A, 0x86, 0x7A), 0.8));
    for (int r = 0; r < 3; ++r) {
        const qreal y = 91.5 + r * 4.2;
        const qreal inset = 20 - r * 2.6;
        for (qreal x = inset; x < 120 - inset - 4; x += 6)
            g.drawRect(QRectF(x, y, 4.4, 2.8));
    }
}

// Programmer and tester unit: a case with the module socket on top, the
// display, the lamps and the keys, 120 x 110.
void programmer(QPainter& g)
{
    g.setBrush(QColor(0, 0, 0, 40));
    g.setPen(Qt::NoPen);
    g.drawEllipse(QRectF(8, 98, 104, 10));
    // Top face, seen from above at a slant.
    QPainterPath top;
    top.moveTo(18, 22);
    top.lineTo(102, 22);
    top.lineTo(114, 42);
    top.lineTo(6, 42);
    top.closeSubpath();
    g.setBrush(vgrad(22, 42, QColor(0x6A, 0x86, 0xB8), QColor(0x40, 0x5C, 0x90)));
    g.setPen(QPen(QColor(0x1C, 0x2A, 0x48), 1.3));
    g.drawPath(top);
    // Socket with a module standing in it.
    g.setBrush(QColor(0x20, 0x20, 0x24));
    g.drawRect(QRectF(24, 29, 72, 6));
    g.setBrush(Qt::white);
    g.drawRect(QRectF(20, 27, 5, 9));
    g.drawRect(QRectF(95, 27, 5, 9));
    g.setBrush(vgrad(4, 31, QColor(0x2A, 0x8A, 0x4E), QColor(0x15, 0x5A, 0x30)));
    g.setPen(QPen(QColor(0x0B, 0x3A, 0x1E), 1));
    g.drawRect(QRectF(28, 6, 64, 25));
    g.setBrush(QColor(0x1B, 0x1C, 0x20));
    g.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i)
        g.drawRect(QRectF(31 + i * 10, 10, 7.5, 11));
    // Front face.
    g.setBrush(vgrad(42, 100, QColor(0x4C, 0x66, 0x9C), QColor(0x24, 0x36, 0x5E)));
    g.setPen(QPen(QColor(0x1C, 0x2A, 0x48), 1.3));
    g.drawRoundedRect(QRectF(6, 42, 108, 58), 3, 3);
    // Display.
    g.setBrush(QColor(0x18, 0x20, 0x18));
    g.drawRoundedRect(QRectF(14, 50, 52, 20), 2, 2);
    g.setBrush(vgrad(52, 68, QColor(0xA8, 0xE0, 0x70), QColor(0x70, 0xB0, 0x40)));
    g.setPen(Qt::NoPen);
    g.drawRect(QRectF(16, 52, 48, 16));
    g.setPen(QColor(0x10, 0x30, 0x10));
    g.setFont(kit::sans(8, true, true));
    g.drawText(QRectF(16, 52, 48, 16), Qt::AlignCenter, QStringLiteral("SPD  OK"));
    // Lamps.
    const QColor lamps[3] = {QColor(0xFF, 0x40, 0x30), QColor(0xFF, 0xD0, 0x20), QColor(0x40, 0xE0, 0x50)};
    for (int i = 0; i < 3; ++i) {
        QRadialGradient glow(QPointF(78 + i * 11, 56), 4.5);
        glow.setColorAt(0, lamps[i].lighter(150));
        glow.setColorAt(1, lamps[i].darker(130));
        g.setBrush(glow);
        g.setPen(QPen(QColor(0x10, 0x10, 0x10), 0.8));
        g.drawEllipse(QPointF(78 + i * 11, 56), 3.6, 3.6);
    }
    // Keys.
    for (int i = 0; i < 4; ++i) {
        g.setBrush(vgrad(78, 90, QColor(0xE8, 0xEA, 0xEE), QColor(0xA0, 0xA6, 0xB0)));
        g.setPen(QPen(QColor(0x20, 0x24, 0x30), 0.9));
        g.drawRoundedRect(QRectF(14 + i * 13, 78, 10, 11), 2, 2);
    }
    g.setPen(QColor(0xE0, 0xE8, 0xF8));
    g.setFont(kit::sans(7.5, true));
    g.drawText(QRectF(68, 74, 42, 18), Qt::AlignCenter, QStringLiteral("TESTER"));
}

// Memory module, 132 x 100, slightly tilted.
void module(QPainter& g)
{
    g.save();
    g.translate(66, 52);
    g.rotate(-8);
    g.translate(-62, -26);
    g.setBrush(QColor(0, 0, 0, 45));
    g.setPen(Qt::NoPen);
    g.drawRoundedRect(QRectF(4, 6, 124, 52), 3, 3);
    QPainterPath pcb;
    pcb.moveTo(0, 0);
    pcb.lineTo(124, 0);
    pcb.lineTo(124, 52);
    pcb.lineTo(70, 52);
    pcb.lineTo(70, 46);
    pcb.arcTo(QRectF(64, 43, 6, 6), 0, 180);
    pcb.lineTo(64, 52);
    pcb.lineTo(0, 52);
    pcb.closeSubpath();
    g.setBrush(vgrad(0, 52, QColor(0x2C, 0x8E, 0x50), QColor(0x14, 0x56, 0x2E)));
    g.setPen(QPen(QColor(0x0B, 0x3A, 0x1E), 1.2));
    g.drawPath(pcb);
    for (int i = 0; i < 8; ++i) {
        g.setBrush(vgrad(6, 28, QColor(0x40, 0x42, 0x48), QColor(0x16, 0x17, 0x1A)));
        g.setPen(QPen(QColor(0x08, 0x08, 0x0A), 0.8));
        g.drawRoundedRect(QRectF(5 + i * 14.8, 7, 11.5, 22), 1, 1);
    }
    g.setBrush(QColor(0x20, 0x20, 0x24));
    g.drawRect(QRectF(96, 33, 10, 6));
    g.setBrush(vgrad(43, 52, QColor(0xF6, 0xD8, 0x70), QColor(0xC4, 0x92, 0x1E)));
    g.setPen(Qt::NoPen);
    for (qreal x = 3; x < 121; x += 3.2) {
        if (x > 62 && x < 72)
            continue;
        g.drawRect(QRectF(x, 44, 2, 7.5));
    }
    g.restore();
}

// A thick arrow pointing right, 200 x 100.
void arrow(QPainter& g, const QColor& light, const QColor& dark)
{
    QPainterPath p;
    p.moveTo(6, 32);
    p.lineTo(120, 32);
    p.lineTo(120, 6);
    p.lineTo(194, 50);
    p.lineTo(120, 94);
    p.lineTo(120, 68);
    p.lineTo(6, 68);
    p.closeSubpath();
    g.setBrush(QColor(0, 0, 0, 50));
    g.setPen(Qt::NoPen);
    g.drawPath(p.translated(3, 4));
    g.setBrush(vgrad(6, 94, light, dark));
    g.setPen(QPen(dark.darker(160), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.drawPath(p);
    g.setBrush(QColor(255, 255, 255, 90));
    g.setPen(Qt::NoPen);
    g.drawRoundedRect(QRectF(12, 36, 104, 10), 4, 4);
}

// A hand pointing left with its index finger, 134 x 100.
void hand(QPainter& g)
{
    const QColor skin(0xF6, 0xCF, 0xA8);
    const QColor line(0x8A, 0x52, 0x2A);
    g.setPen(QPen(line, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    // Cuff.
    g.setBrush(vgrad(24, 80, QColor(0x4A, 0x7C, 0xD0), QColor(0x22, 0x48, 0x90)));
    g.drawRoundedRect(QRectF(104, 24, 26, 58), 4, 4);
    g.setBrush(Qt::white);
    g.drawRoundedRect(QRectF(98, 28, 10, 50), 3, 3);
    // Palm and the curled fingers.
    QLinearGradient shade(QPointF(0, 22), QPointF(0, 86));
    shade.setColorAt(0, skin.lighter(106));
    shade.setColorAt(1, skin.darker(112));
    g.setBrush(shade);
    QPainterPath palm;
    palm.moveTo(98, 30);
    palm.cubicTo(84, 24, 66, 24, 54, 28);
    palm.lineTo(54, 80);
    palm.cubicTo(66, 86, 86, 84, 98, 76);
    palm.closeSubpath();
    g.drawPath(palm);
    for (int i = 0; i < 3; ++i) {
        const QRectF f(44 + i * 1.5, 44 + i * 12.5, 30, 13);
        g.drawRoundedRect(f, 6.5, 6.5);
    }
    // Index finger, pointing left.
    QPainterPath finger;
    finger.moveTo(60, 27);
    finger.lineTo(14, 27);
    finger.arcTo(QRectF(6, 27, 16, 15), 90, 180);
    finger.lineTo(60, 42);
    finger.closeSubpath();
    g.drawPath(finger);
    g.setPen(QPen(line, 1.3));
    g.drawLine(QPointF(34, 30), QPointF(34, 39));
    g.setBrush(QColor(0xFB, 0xE4, 0xD0));
    g.drawRoundedRect(QRectF(9.5, 29.5, 8, 9), 3, 3);
    // Thumb over the curled fingers.
    g.setPen(QPen(line, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.setBrush(shade);
    QPainterPath thumb;
    thumb.moveTo(88, 44);
    thumb.cubicTo(78, 44, 62, 46, 56, 52);
    thumb.cubicTo(52, 57, 56, 62, 62, 60);
    thumb.cubicTo(72, 58, 84, 58, 92, 58);
    g.drawPath(thumb);
}

void fitted(QPainter& g, const QSize& size, const QSizeF& design, const std::function<void(QPainter&)>& draw)
{
    const qreal s = qMin(size.width() / design.width(), size.height() / design.height());
    g.translate((size.width() - design.width() * s) / 2, (size.height() - design.height() * s) / 2);
    g.scale(s, s);
    draw(g);
}

} // namespace

QPixmap busy(const QString& key, const QSize& size)
{
    QPixmap pm = kit::canvas(size);
    QPainter g(&pm);
    kit::smooth(g);
    if (key == QLatin1String("computer"))
        fitted(g, size, QSizeF(120, 110), computer);
    else if (key == QLatin1String("programmer"))
        fitted(g, size, QSizeF(120, 110), programmer);
    else if (key == QLatin1String("module"))
        fitted(g, size, QSizeF(132, 100), module);
    else if (key == QLatin1String("arrowRight"))
        fitted(g, size, QSizeF(200, 100), [](QPainter& p) {
            arrow(p, QColor(0x6C, 0xE0, 0x70), QColor(0x1A, 0x8A, 0x2C));
        });
    else if (key == QLatin1String("arrowLeft"))
        fitted(g, size, QSizeF(200, 100), [](QPainter& p) {
            p.translate(200, 0);
            p.scale(-1, 1);
            arrow(p, QColor(0x70, 0xB0, 0xFF), QColor(0x1A, 0x50, 0xB8));
        });
    else if (key == QLatin1String("hand"))
        fitted(g, size, QSizeF(134, 100), hand);
    return pm;
}

} // namespace pictures
