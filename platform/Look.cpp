#include "platform/Look.h"

#include <QApplication>
#include <QPalette>
#include <algorithm>
#include <cmath>

namespace look {

QColor toQColor(VbColor c)
{
    if (c & 0x80000000u) {
        const QPalette pal = QApplication::palette();
        switch (c & 0xFFu) {
        case 0x0F: return pal.color(QPalette::Button);
        case 0x12: return pal.color(QPalette::ButtonText);
        case 0x08: return pal.color(QPalette::WindowText);
        case 0x05: return pal.color(QPalette::Base);
        default: return pal.color(QPalette::Window);
        }
    }
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

namespace {
double luminance(const QColor& c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}
} // namespace

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableOn(const QColor& back)
{
    return contrast(back, Qt::black) >= contrast(back, Qt::white) ? QColor(Qt::black) : QColor(Qt::white);
}

QColor blend(const QColor& from, const QColor& towards, double part)
{
    auto mix = [part](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * part)); };
    return QColor(mix(from.red(), towards.red()), mix(from.green(), towards.green()), mix(from.blue(), towards.blue()));
}

QString hex2(int value)
{
    static const char digits[] = "0123456789ABCDEF";
    const int v = value & 0xFF;
    const QChar out[2] = {QLatin1Char(digits[v >> 4]), QLatin1Char(digits[v & 15])};
    return QString(out, 2);
}

} // namespace look
