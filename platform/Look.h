#pragma once
// Colours and sizes as the program's windows are designed: colours are
// written &HBBGGRR (blue in the high byte), a value with the top bit set names
// a system colour; sizes and places are in twips (15 twips to a pixel at
// 96 dpi).

#include <QColor>
#include <QFont>
#include <QRect>
#include <cstdint>

namespace look {

using VbColor = std::uint32_t;

inline constexpr VbColor kRed = 0x0000FF;              // 255
inline constexpr VbColor kYellow = 0x00FFFF;           // &HFFFF
inline constexpr VbColor kGreen = 0x00FF00;            // &HFF00
inline constexpr VbColor kCyan = 0xFFFF00;             // &HFFFF00
inline constexpr VbColor kLightGrey = 0xC0C0C0;        // &HC0C0C0
inline constexpr VbColor kLightBlue = 0xFF8080;        // &HFF8080
inline constexpr VbColor kLavender = 0xFFC0C0;         // &HFFC0C0
inline constexpr VbColor kPeach = 0x80C0FF;            // &H80C0FF
inline constexpr VbColor kButtonFace = 0x8000000F;     // system: button face
inline constexpr VbColor kButtonText = 0x80000012;     // system: button text
inline constexpr VbColor kWindowText = 0x80000008;     // system: window text

// The colour to paint for a colour value; system colours come from the
// application palette.
QColor toQColor(VbColor c);

inline constexpr int tw(int twips) { return (twips + 7) / 15; }
inline QRect twRect(int left, int top, int width, int height)
{
    return QRect(tw(left), tw(top), tw(width), tw(height));
}

// How well two colours stand apart, 1 (the same) to 21 (black and white),
// counted from their relative luminance.
double contrast(const QColor& a, const QColor& b);
// Of black and white, the one that reads better on the colour.
QColor readableOn(const QColor& back);
// The colour taken part of the way (0 none, 1 all of it) towards another.
QColor blend(const QColor& from, const QColor& towards, double part);

// Hexadecimal text of a byte: two upper-case digits, a leading "0" below 16.
QString hex2(int value);

} // namespace look
