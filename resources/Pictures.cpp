#include "resources/Pictures.h"

#include <QPainter>

namespace pictures {

namespace {
QPixmap placeholder(const QSize& size, const QString& text)
{
    QPixmap p(size);
    p.fill(QColor(0xE0, 0xE8, 0xF0));
    QPainter g(&p);
    g.setPen(Qt::darkBlue);
    g.drawRect(p.rect().adjusted(0, 0, -1, -1));
    g.drawText(p.rect(), Qt::AlignCenter, text);
    return p;
}
} // namespace

QPixmap splash() { return placeholder(QSize(640, 360), QStringLiteral("VELMORA")); }
QIcon programIcon() { return QIcon(placeholder(QSize(32, 32), QStringLiteral("V"))); }
QIcon toolbarIcon(const QString& key) { return QIcon(placeholder(QSize(24, 24), key.left(2))); }
QPixmap busy(const QString& key, const QSize& size) { return placeholder(size, key); }
QPixmap chipMap(int index) { return placeholder(QSize(400, 480), QStringLiteral("IC %1").arg(index)); }
QPixmap moduleMap(int index) { return placeholder(QSize(320, 560), QStringLiteral("Module %1").arg(index)); }
QPixmap portPicture(const QSize& size) { return placeholder(size, QStringLiteral("COM")); }
QPixmap logo(const QSize& size) { return placeholder(size, QStringLiteral("VELMORA")); }

} // namespace pictures
