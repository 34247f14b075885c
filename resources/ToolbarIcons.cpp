// The toolbar pictures, the program icon and the viewers' icons, drawn on a
// 32-unit square and scaled to every size the icon is asked for.

#include "resources/PictureKit.h"
#include "resources/Pictures.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <functional>

namespace pictures {

namespace {

using Draw = std::function<void(QPainter&)>;

QIcon iconFrom(const Draw& draw)
{
    QIcon icon;
    for (int s : {16, 20, 24, 32, 48, 64}) {
        QPixmap pm = kit::canvas(QSize(s, s));
        QPainter g(&pm);
        kit::smooth(g);
        g.scale(s / 32.0, s / 32.0);
        draw(g);
        g.end();
        icon.addPixmap(pm);
    }
    return icon;
}

QLinearGradient vertical(qreal top, qreal bottom, const QColor& a, const QColor& b)
{
    QLinearGradient lg(QPointF(0, top), QPointF(0, bottom));
    lg.setColorAt(0, a);
    lg.setColorAt(1, b);
    return lg;
}

void star(QPainter& g, const QPointF& c, qreal r, const QColor& fill)
{
    QPainterPath p;
    for (int i = 0; i < 8; ++i) {
        const qreal a = i * M_PI / 4 - M_PI / 2;
        const qreal rr = i % 2 ? r * 0.38 : r;
        const QPointF pt(c.x() + rr * std::cos(a), c.y() + rr * std::sin(a));
        if (i == 0)
            p.moveTo(pt);
        else
            p.lineTo(pt);
    }
    p.closeSubpath();
    g.setBrush(fill);
    g.setPen(QPen(fill.darker(150), 0.7));
    g.drawPath(p);
}

void page(QPainter& g, const QRectF& r, qreal fold)
{
    QPainterPath p;
    p.moveTo(r.topLeft());
    p.lineTo(r.right() - fold, r.top());
    p.lineTo(r.right(), r.top() + fold);
    p.lineTo(r.bottomRight());
    p.lineTo(r.bottomLeft());
    p.closeSubpath();
    g.setBrush(vertical(r.top(), r.bottom(), Qt::white, QColor(0xE4, 0xEA, 0xF2)));
    g.setPen(QPen(QColor(0x55, 0x60, 0x70), 1.1));
    g.drawPath(p);
    QPainterPath f;
    f.moveTo(r.right() - fold, r.top());
    f.lineTo(r.right() - fold, r.top() + fold);
    f.lineTo(r.right(), r.top() + fold);
    g.setBrush(QColor(0xC8, 0xD2, 0xDE));
    g.drawPath(f);
}

void folder(QPainter& g, bool open)
{
    const QColor dark(0xB0, 0x7A, 0x10);
    QPainterPath back;
    back.moveTo(3, 8);
    back.lineTo(12, 8);
    back.lineTo(14, 10.5);
    back.lineTo(28, 10.5);
    back.lineTo(28, 26);
    back.lineTo(3, 26);
    back.closeSubpath();
    g.setBrush(vertical(8, 26, QColor(0xF0, 0xC2, 0x4E), QColor(0xD9, 0x9A, 0x1E)));
    g.setPen(QPen(dark, 1.1));
    g.drawPath(back);
    if (open) {
        page(g, QRectF(8, 5, 15, 15), 4);
        g.setPen(QPen(QColor(0x7A, 0x8C, 0xA8), 1));
        for (int i = 0; i < 3; ++i)
            g.drawLine(QPointF(10.5, 10.5 + i * 2.6), QPointF(20, 10.5 + i * 2.6));
        QPainterPath front;
        front.moveTo(1.5, 14);
        front.lineTo(25, 14);
        front.lineTo(30.5, 14);
        front.lineTo(27, 26);
        front.lineTo(3, 26);
        front.closeSubpath();
        g.setBrush(vertical(14, 26, QColor(0xFB, 0xDB, 0x7A), QColor(0xE8, 0xAE, 0x2E)));
        g.setPen(QPen(dark, 1.1));
        g.drawPath(front);
    } else {
        g.setBrush(vertical(12.5, 26, QColor(0xFB, 0xD8, 0x70), QColor(0xE6, 0xA8, 0x28)));
        g.drawRoundedRect(QRectF(3, 12.5, 25, 13.5), 1, 1);
    }
}

void chipIcon(QPainter& g)
{
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(0xB8, 0xBC, 0xC4));
    for (int i = 0; i < 6; ++i) {
        g.drawRect(QRectF(3, 7.2 + i * 3.4, 4, 1.8));
        g.drawRect(QRectF(25, 7.2 + i * 3.4, 4, 1.8));
    }
    g.setBrush(vertical(5, 27, QColor(0x4A, 0x4E, 0x56), QColor(0x1C, 0x1E, 0x22)));
    g.setPen(QPen(QColor(0x0E, 0x0E, 0x10), 1));
    g.drawRoundedRect(QRectF(6.5, 4.5, 19, 23), 2, 2);
    g.setBrush(QColor(0x8A, 0x8E, 0x96));
    g.setPen(Qt::NoPen);
    g.drawEllipse(QRectF(9, 7, 3, 3));
    g.setPen(QColor(0xE0, 0xB0, 0x30));
    g.setFont(kit::sans(7.5, true));
    g.drawText(QRectF(6.5, 12, 19, 12), Qt::AlignCenter, QStringLiteral("IC"));
}

void moduleIcon(QPainter& g)
{
    g.setBrush(vertical(9, 24, QColor(0x2A, 0x8A, 0x4E), QColor(0x15, 0x5A, 0x30)));
    g.setPen(QPen(QColor(0x0B, 0x3A, 0x1E), 1));
    QPainterPath pcb;
    pcb.moveTo(1.5, 9);
    pcb.lineTo(30.5, 9);
    pcb.lineTo(30.5, 24);
    pcb.lineTo(19.5, 24);
    pcb.lineTo(19.5, 21.5);
    pcb.lineTo(17.5, 21.5);
    pcb.lineTo(17.5, 24);
    pcb.lineTo(1.5, 24);
    pcb.closeSubpath();
    g.drawPath(pcb);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(0x1B, 0x1C, 0x20));
    for (int i = 0; i < 4; ++i)
        g.drawRect(QRectF(3 + i * 7, 11, 5.5, 7));
    g.setBrush(QColor(0xE8, 0xB8, 0x3A));
    for (int i = 0; i < 14; ++i) {
        const qreal x = 2.6 + i * 2.05 + (i >= 8 ? 1.4 : 0);
        if (x > 29.5)
            break;
        g.drawRect(QRectF(x, 21, 1.2, 2.6));
    }
}

void drawNew(QPainter& g)
{
    page(g, QRectF(7, 3, 19, 26), 6);
    g.setPen(QPen(QColor(0x9A, 0xAA, 0xC0), 1));
    for (int i = 0; i < 4; ++i)
        g.drawLine(QPointF(10, 14 + i * 3.4), QPointF(22.5, 14 + i * 3.4));
    star(g, QPointF(8, 7.5), 6, QColor(0xFF, 0xD2, 0x2A));
}

void drawSave(QPainter& g)
{
    QPainterPath body;
    body.moveTo(4, 4);
    body.lineTo(24, 4);
    body.lineTo(28, 8);
    body.lineTo(28, 28);
    body.lineTo(4, 28);
    body.closeSubpath();
    g.setBrush(vertical(4, 28, QColor(0x3C, 0x6E, 0xC8), QColor(0x1E, 0x42, 0x8A)));
    g.setPen(QPen(QColor(0x12, 0x2A, 0x5A), 1.1));
    g.drawPath(body);
    g.setBrush(vertical(4, 13, QColor(0xE6, 0xE9, 0xEE), QColor(0xB4, 0xBA, 0xC4)));
    g.setPen(QPen(QColor(0x60, 0x66, 0x70), 0.8));
    g.drawRect(QRectF(9, 4, 13, 9));
    g.setBrush(QColor(0x2A, 0x4E, 0x9A));
    g.setPen(Qt::NoPen);
    g.drawRect(QRectF(17.5, 5.5, 3, 6));
    g.setBrush(Qt::white);
    g.setPen(QPen(QColor(0x90, 0x98, 0xA8), 0.8));
    g.drawRect(QRectF(7.5, 16.5, 17, 10));
    g.setPen(QPen(QColor(0xC0, 0x30, 0x30), 1));
    g.drawLine(QPointF(9.5, 19.5), QPointF(22.5, 19.5));
    g.setPen(QPen(QColor(0xA0, 0xA8, 0xB8), 0.8));
    g.drawLine(QPointF(9.5, 22.5), QPointF(22.5, 22.5));
}

void drawPrint(QPainter& g)
{
    g.setBrush(Qt::white);
    g.setPen(QPen(QColor(0x70, 0x78, 0x88), 1));
    g.drawRect(QRectF(9, 3, 14, 10));
    g.setBrush(vertical(11, 23, QColor(0xD6, 0xDA, 0xE0), QColor(0x9A, 0xA0, 0xAA)));
    g.setPen(QPen(QColor(0x40, 0x46, 0x50), 1.1));
    g.drawRoundedRect(QRectF(3, 11, 26, 12), 2, 2);
    g.setBrush(QColor(0x3A, 0xC0, 0x4A));
    g.setPen(Qt::NoPen);
    g.drawEllipse(QRectF(24, 14, 2.6, 2.6));
    g.setBrush(QColor(0x50, 0x56, 0x60));
    g.drawRect(QRectF(7, 19, 18, 2));
    g.setBrush(Qt::white);
    g.setPen(QPen(QColor(0x70, 0x78, 0x88), 1));
    g.drawRect(QRectF(8, 20, 16, 9));
    g.setPen(QPen(QColor(0x6A, 0x7A, 0x98), 0.9));
    for (int i = 0; i < 3; ++i)
        g.drawLine(QPointF(10.5, 22.5 + i * 2.2), QPointF(21.5, 22.5 + i * 2.2));
}

void drawWizard(QPainter& g)
{
    g.save();
    g.translate(16, 17);
    g.rotate(-45);
    g.setBrush(vertical(-2, 2, QColor(0x50, 0x40, 0x80), QColor(0x20, 0x14, 0x40)));
    g.setPen(QPen(QColor(0x10, 0x08, 0x20), 0.8));
    g.drawRoundedRect(QRectF(-13, -1.8, 20, 3.6), 1, 1);
    g.setBrush(Qt::white);
    g.drawRoundedRect(QRectF(5, -1.8, 5, 3.6), 1, 1);
    g.restore();
    star(g, QPointF(23, 8), 6.5, QColor(0xFF, 0xD0, 0x20));
    star(g, QPointF(28, 17), 3, QColor(0xFF, 0x9A, 0x30));
    star(g, QPointF(14, 5), 2.8, QColor(0x60, 0xC8, 0xFF));
}

void drawMail(QPainter& g)
{
    const QRectF r(2.5, 7.5, 27, 18);
    g.setBrush(vertical(r.top(), r.bottom(), QColor(0xFF, 0xFC, 0xEE), QColor(0xEC, 0xE2, 0xC4)));
    g.setPen(QPen(QColor(0x80, 0x70, 0x50), 1.1));
    g.drawRect(r);
    QPainterPath flap;
    flap.moveTo(r.topLeft());
    flap.lineTo(r.center().x(), r.top() + 10.5);
    flap.lineTo(r.topRight());
    g.setBrush(Qt::NoBrush);
    g.drawPath(flap);
    g.drawLine(QPointF(r.left(), r.bottom()), QPointF(r.left() + 10, r.top() + 8.5));
    g.drawLine(QPointF(r.right(), r.bottom()), QPointF(r.right() - 10, r.top() + 8.5));
    g.setBrush(QColor(0xD8, 0x30, 0x30));
    g.setPen(Qt::NoPen);
    g.drawEllipse(QPointF(r.center().x(), r.top() + 10.5), 2.6, 2.6);
}

void drawConnect(QPainter& g)
{
    // Two D-sub plugs meeting, with the cable of each.
    const auto plug = [&](bool left) {
        g.save();
        if (!left) {
            g.translate(32, 0);
            g.scale(-1, 1);
        }
        g.setPen(QPen(QColor(0x30, 0x30, 0x34), 2.6, Qt::SolidLine, Qt::RoundCap));
        g.setBrush(Qt::NoBrush);
        QPainterPath cable;
        cable.moveTo(2, left ? 26 : 6);
        cable.cubicTo(5, left ? 26 : 6, 6, 16, 9, 16);
        g.drawPath(cable);
        g.setBrush(vertical(10, 22, QColor(0xA8, 0xB4, 0xC8), QColor(0x60, 0x6C, 0x80)));
        g.setPen(QPen(QColor(0x30, 0x38, 0x48), 1));
        g.drawRoundedRect(QRectF(8, 10.5, 5.5, 11), 1, 1);
        QPainterPath d;
        d.moveTo(13.5, 12);
        d.lineTo(15.5, 13);
        d.lineTo(15.5, 19);
        d.lineTo(13.5, 20);
        d.closeSubpath();
        g.setBrush(QColor(0xD8, 0xDC, 0xE4));
        g.drawPath(d);
        g.restore();
    };
    plug(true);
    plug(false);
    g.setPen(QPen(QColor(0x20, 0xA0, 0x40), 1.8, Qt::SolidLine, Qt::RoundCap));
    g.setBrush(Qt::NoBrush);
    g.drawArc(QRectF(7, 3, 18, 26), 35 * 16, 110 * 16);
    g.drawArc(QRectF(7, 3, 18, 26), 215 * 16, 110 * 16);
    g.setBrush(QColor(0x20, 0xA0, 0x40));
    g.setPen(Qt::NoPen);
    QPainterPath a1;
    a1.moveTo(23.5, 6.5);
    a1.lineTo(24.5, 2.5);
    a1.lineTo(20.2, 3.9);
    a1.closeSubpath();
    g.drawPath(a1);
    QPainterPath a2;
    a2.moveTo(8.5, 25.5);
    a2.lineTo(7.5, 29.5);
    a2.lineTo(11.8, 28.1);
    a2.closeSubpath();
    g.drawPath(a2);
}

void drawXmp(QPainter& g)
{
    moduleIcon(g);
    QPainterPath bolt;
    bolt.moveTo(18, 1);
    bolt.lineTo(10, 13);
    bolt.lineTo(15, 13);
    bolt.lineTo(12, 22);
    bolt.lineTo(22, 9);
    bolt.lineTo(17, 9);
    bolt.closeSubpath();
    g.setBrush(vertical(1, 22, QColor(0xFF, 0xE0, 0x40), QColor(0xFF, 0x80, 0x10)));
    g.setPen(QPen(QColor(0xA0, 0x40, 0x00), 0.9));
    g.drawPath(bolt);
    g.setBrush(QColor(0xD0, 0x1C, 0x1C));
    g.setPen(QPen(QColor(0x70, 0x08, 0x08), 0.8));
    g.drawRoundedRect(QRectF(1, 22.5, 30, 9), 2, 2);
    g.setPen(Qt::white);
    g.setFont(kit::sans(8, true));
    g.drawText(QRectF(1, 22.5, 30, 9), Qt::AlignCenter, QStringLiteral("XMP"));
}

void drawMi(QPainter& g)
{
    QPainterPath f;
    f.moveTo(2, 28);
    f.lineTo(2, 14);
    f.lineTo(8, 18);
    f.lineTo(8, 14);
    f.lineTo(14, 18);
    f.lineTo(14, 14);
    f.lineTo(20, 18);
    f.lineTo(20, 6);
    f.lineTo(24, 6);
    f.lineTo(24, 28);
    f.closeSubpath();
    g.setBrush(vertical(6, 28, QColor(0xB4, 0x6A, 0x4C), QColor(0x7A, 0x3E, 0x2A)));
    g.setPen(QPen(QColor(0x4A, 0x22, 0x14), 1));
    g.drawPath(f);
    g.setBrush(QColor(0xFF, 0xE6, 0x90));
    g.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i)
        g.drawRect(QRectF(4 + i * 6, 21, 3, 3));
    QRadialGradient badge(QPointF(23, 19), 9);
    badge.setColorAt(0, QColor(0x5A, 0x9C, 0xF0));
    badge.setColorAt(1, QColor(0x1A, 0x52, 0xB8));
    g.setBrush(badge);
    g.setPen(QPen(Qt::white, 1.2));
    g.drawEllipse(QPointF(24, 21.5), 7.5, 7.5);
    g.setPen(Qt::white);
    g.setFont(kit::serif(12, true));
    g.drawText(QRectF(16.5, 14, 15, 15), Qt::AlignCenter, QStringLiteral("i"));
}

void drawProgramIcon(QPainter& g)
{
    g.setBrush(vertical(1, 31, QColor(0x24, 0x4C, 0x9C), QColor(0x0C, 0x1E, 0x4A)));
    g.setPen(QPen(QColor(0x08, 0x12, 0x30), 1));
    g.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    g.save();
    g.translate(0, 6);
    moduleIcon(g);
    g.restore();
    g.setPen(Qt::white);
    g.setFont(kit::serif(13, true, true));
    g.drawText(QRectF(1, 0.5, 30, 15), Qt::AlignCenter, QStringLiteral("V"));
}

} // namespace

QStringList toolbarKeys()
{
    return {QStringLiteral("NEW"),     QStringLiteral("OPEN"),  QStringLiteral("SAVE"),    QStringLiteral("PRINT"),
            QStringLiteral("WIZARD"),  QStringLiteral("MAIL"),  QStringLiteral("CONNECT"), QStringLiteral("OPEN1"),
            QStringLiteral("IC"),      QStringLiteral("MODULE1"), QStringLiteral("XMP"),   QStringLiteral("MI")};
}

QIcon toolbarIcon(const QString& key)
{
    if (key == QLatin1String("NEW"))
        return iconFrom(drawNew);
    if (key == QLatin1String("OPEN"))
        return iconFrom([](QPainter& g) { folder(g, false); });
    if (key == QLatin1String("OPEN1"))
        return iconFrom([](QPainter& g) { folder(g, true); });
    if (key == QLatin1String("SAVE"))
        return iconFrom(drawSave);
    if (key == QLatin1String("PRINT"))
        return iconFrom(drawPrint);
    if (key == QLatin1String("WIZARD"))
        return iconFrom(drawWizard);
    if (key == QLatin1String("MAIL"))
        return iconFrom(drawMail);
    if (key == QLatin1String("CONNECT"))
        return iconFrom(drawConnect);
    if (key == QLatin1String("IC"))
        return iconFrom(chipIcon);
    if (key == QLatin1String("MODULE1"))
        return iconFrom(moduleIcon);
    if (key == QLatin1String("XMP"))
        return iconFrom(drawXmp);
    if (key == QLatin1String("MI"))
        return iconFrom(drawMi);
    return QIcon();
}

QIcon programIcon() { return iconFrom(drawProgramIcon); }
QIcon chipViewerIcon() { return iconFrom(chipIcon); }
QIcon moduleViewerIcon() { return iconFrom(moduleIcon); }

} // namespace pictures
