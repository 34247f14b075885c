#include "resources/PictureKit.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QRegularExpression>

namespace pictures::kit {

QFont sans(qreal pixelSize, bool bold, bool condensed)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(qMax(1, qRound(pixelSize)));
    f.setBold(bold);
    if (condensed)
        f.setStretch(QFont::SemiCondensed);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

QFont serif(qreal pixelSize, bool bold, bool italic)
{
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setStyleHint(QFont::Serif);
    f.setPixelSize(qMax(1, qRound(pixelSize)));
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

QPixmap canvas(const QSize& size, const QColor& fill)
{
    QPixmap p(size.expandedTo(QSize(1, 1)));
    p.fill(fill);
    return p;
}

void smooth(QPainter& g)
{
    g.setRenderHint(QPainter::Antialiasing, true);
    g.setRenderHint(QPainter::SmoothPixmapTransform, true);
    g.setRenderHint(QPainter::TextAntialiasing, true);
}

void haloText(QPainter& g, const QRectF& r, int flags, const QString& text, const QColor& fg,
              const QColor& halo, qreal haloWidth)
{
    g.save();
    g.setPen(halo);
    const qreal d = haloWidth;
    for (const QPointF off : {QPointF(-d, 0), QPointF(d, 0), QPointF(0, -d), QPointF(0, d),
                              QPointF(-d * 0.7, -d * 0.7), QPointF(d * 0.7, d * 0.7),
                              QPointF(-d * 0.7, d * 0.7), QPointF(d * 0.7, -d * 0.7)})
        g.drawText(r.translated(off), flags, text);
    g.setPen(fg);
    g.drawText(r, flags, text);
    g.restore();
}

qreal fitPixelSize(const QString& text, qreal width, qreal maxPx, qreal minPx, bool bold, bool condensed)
{
    for (qreal px = maxPx; px > minPx; px -= 0.5) {
        const QFontMetricsF fm(sans(px, bold, condensed));
        if (fm.horizontalAdvance(text) <= width)
            return px;
    }
    return minPx;
}

Signal classify(const QString& raw)
{
    const QString n = raw.toUpper();
    if (n.isEmpty() || n == QLatin1String("NC") || n == QLatin1String("NU") || n.startsWith(QLatin1String("NC/"))
        || n.startsWith(QLatin1String("NU/")) || n == QLatin1String("RFU") || n == QLatin1String("TEST"))
        return Signal::Unused;
    if (n.startsWith(QLatin1String("VSS")))
        return Signal::Ground;
    if (n == QLatin1String("VDDSPD") || n.startsWith(QLatin1String("SA")) || n == QLatin1String("SCL")
        || n == QLatin1String("SDA") || n == QLatin1String("EVENT#") || n == QLatin1String("EVENT_N"))
        return Signal::Spd;
    if (n.startsWith(QLatin1String("VDD")) || n.startsWith(QLatin1String("VPP")) || n.startsWith(QLatin1String("VTT"))
        || n.startsWith(QLatin1String("VREF")) || n == QLatin1String("12V"))
        return Signal::Power;
    if (n.startsWith(QLatin1String("DQS")) || n.startsWith(QLatin1String("LDQS")) || n.startsWith(QLatin1String("UDQS"))
        || n.startsWith(QLatin1String("DM")) || n.startsWith(QLatin1String("LDM")) || n.startsWith(QLatin1String("UDM"))
        || n.startsWith(QLatin1String("TDQS")) || n.startsWith(QLatin1String("DBI")) || n.startsWith(QLatin1String("RDQS")))
        return Signal::Strobe;
    if (n.startsWith(QLatin1String("DQ")) || n.startsWith(QLatin1String("CB")))
        return Signal::Data;
    if (n.startsWith(QLatin1String("CK")) && !n.startsWith(QLatin1String("CKE")))
        return Signal::Clock;
    static const QRegularExpression address(QStringLiteral("^(A\\d+|BA\\d|BG\\d)(/.*)?$"));
    if (address.match(n).hasMatch())
        return Signal::Address;
    return Signal::Command;
}

QColor fillOf(Signal s)
{
    switch (s) {
    case Signal::Power: return QColor(0xF6, 0xB8, 0xB4);
    case Signal::Ground: return QColor(0xC9, 0xCB, 0xCF);
    case Signal::Data: return QColor(0xB4, 0xD2, 0xF7);
    case Signal::Strobe: return QColor(0xD8, 0xC0, 0xF4);
    case Signal::Address: return QColor(0xBE, 0xE8, 0xB8);
    case Signal::Command: return QColor(0xF9, 0xD9, 0xA4);
    case Signal::Clock: return QColor(0xF8, 0xBE, 0xE0);
    case Signal::Spd: return QColor(0xAE, 0xE6, 0xE2);
    case Signal::Unused: return QColor(0xFF, 0xFF, 0xFF);
    }
    return Qt::white;
}

QColor inkOf(Signal s)
{
    switch (s) {
    case Signal::Power: return QColor(0x9A, 0x16, 0x10);
    case Signal::Ground: return QColor(0x30, 0x33, 0x38);
    case Signal::Data: return QColor(0x0D, 0x3C, 0x8C);
    case Signal::Strobe: return QColor(0x55, 0x1F, 0x94);
    case Signal::Address: return QColor(0x17, 0x63, 0x17);
    case Signal::Command: return QColor(0x8A, 0x4A, 0x00);
    case Signal::Clock: return QColor(0x95, 0x12, 0x5E);
    case Signal::Spd: return QColor(0x0B, 0x62, 0x5C);
    case Signal::Unused: return QColor(0x80, 0x80, 0x80);
    }
    return Qt::black;
}

QString legendOf(Signal s)
{
    switch (s) {
    case Signal::Power: return QStringLiteral("Power");
    case Signal::Ground: return QStringLiteral("Ground");
    case Signal::Data: return QStringLiteral("Data");
    case Signal::Strobe: return QStringLiteral("Strobe/Mask");
    case Signal::Address: return QStringLiteral("Address");
    case Signal::Command: return QStringLiteral("Command");
    case Signal::Clock: return QStringLiteral("Clock");
    case Signal::Spd: return QStringLiteral("SPD bus");
    case Signal::Unused: return QStringLiteral("NC");
    }
    return QString();
}

} // namespace pictures::kit
