#include "platform/Look.h"

#include <QApplication>
#include <QPalette>

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

QString hex2(int value)
{
    static const char digits[] = "0123456789ABCDEF";
    const int v = value & 0xFF;
    const QChar out[2] = {QLatin1Char(digits[v >> 4]), QLatin1Char(digits[v & 15])};
    return QString(out, 2);
}

} // namespace look
