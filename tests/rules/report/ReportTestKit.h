#pragma once
// Helpers for the report tests: images whose bytes name themselves, the
// description line beside a value, and comparison of two printed reports.

#include "platform/Printer.h"
#include "rules/report/ReportPrinters.h"

#include <QRegularExpression>
#include <gtest/gtest.h>
#include <vector>

namespace reporttest {

using platform::PrintedText;
using platform::RecordingPrinter;

constexpr platform::PrintColour kRed = 0x0000FF;
constexpr platform::PrintColour kBlue = 0xFF0000;

// Byte i holds i (modulo 256), so a printed value tells which byte it is.
inline velmora::SpdImage selfNamingImage()
{
    velmora::SpdImage img{};
    for (std::size_t i = 0; i < img.size(); ++i)
        img[i] = static_cast<std::uint8_t>(i & 0xFF);
    return img;
}

inline report::ReportSource source(const velmora::SpdImage& img, const QString& caption = QStringLiteral("/data/m.spd"))
{
    report::ReportSource s;
    s.caption = caption;
    s.image = img;
    s.webAddress = QStringLiteral("www.example.test");
    return s;
}

// The first number of a description line: the byte its label names.
inline int labelOf(const QString& line)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d+)"));
    const auto m = re.match(line);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The text printed at x 0 on the same page whose line lies within 40 twips
// of the value's line, or nullptr.
inline const PrintedText* besideOf(const std::vector<PrintedText>& texts, const PrintedText& value)
{
    const PrintedText* best = nullptr;
    for (const PrintedText& t : texts) {
        if (&t == &value || t.page != value.page || t.x != 0)
            continue;
        const int d = std::abs(t.y - value.y);
        if (d <= 40 && (!best || d < std::abs(best->y - value.y)))
            best = &t;
    }
    return best;
}

inline bool same(const PrintedText& a, const PrintedText& b)
{
    return a.text == b.text && a.x == b.x && a.y == b.y && a.fontSize == b.fontSize && a.bold == b.bold &&
           a.italic == b.italic && a.colour == b.colour && a.page == b.page;
}

inline void expectText(const PrintedText& t, const QString& text, int x, int y, platform::PrintColour colour,
                       int page = 1)
{
    EXPECT_EQ(t.text, text);
    EXPECT_EQ(t.x, x) << t.text.toStdString();
    EXPECT_EQ(t.y, y) << t.text.toStdString();
    EXPECT_EQ(t.colour, colour) << t.text.toStdString();
    EXPECT_EQ(t.page, page) << t.text.toStdString();
}

} // namespace reporttest
