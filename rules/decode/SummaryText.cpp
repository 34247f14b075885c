#include "rules/decode/SummaryRules.h"

#include <QLocale>

namespace decode {

const QString& nameOf(Field f)
{
    static const std::array<QString, kFieldCount> names = {
        QStringLiteral("Label29"),  QStringLiteral("Label37"),  QStringLiteral("Label41"),
        QStringLiteral("Label32"),  QStringLiteral("Label35"),  QStringLiteral("Label34"),
        QStringLiteral("Label158"), QStringLiteral("Label39"),  QStringLiteral("Label38"),
        QStringLiteral("Label30"),  QStringLiteral("Label31"),  QStringLiteral("Label42"),
        QStringLiteral("Label44"),  QStringLiteral("Label14"),  QStringLiteral("Label43"),
        QStringLiteral("Label45"),  QStringLiteral("Label46"),  QStringLiteral("Label6"),
        QStringLiteral("Label59"),  QStringLiteral("Label36"),  QStringLiteral("Label18"),
        QStringLiteral("Label47"),  QStringLiteral("Label49"),  QStringLiteral("Label26"),
        QStringLiteral("Label28"),
        QStringLiteral("Label120"), QStringLiteral("Label116"), QStringLiteral("Label117"),
        QStringLiteral("Label118"), QStringLiteral("Label119"), QStringLiteral("Label133"),
        QStringLiteral("Label155"), QStringLiteral("Label121"), QStringLiteral("Label125"),
        QStringLiteral("Label122"), QStringLiteral("Label123"), QStringLiteral("Label124"),
        QStringLiteral("Label126"), QStringLiteral("Label128"), QStringLiteral("Label129"),
        QStringLiteral("Label127"), QStringLiteral("Label130"), QStringLiteral("Label115"),
        QStringLiteral("Label131"), QStringLiteral("Label141"), QStringLiteral("Label142"),
        QStringLiteral("Label143"), QStringLiteral("Label144"), QStringLiteral("Label146"),
        QStringLiteral("Label148"), QStringLiteral("Label147"),
    };
    static const QString none;
    const auto i = static_cast<std::size_t>(f);
    return i < names.size() ? names[i] : none;
}

namespace {

QString decimalText(std::int64_t v, int scale, int digits)
{
    const bool negative = v < 0;
    std::uint64_t a = negative ? static_cast<std::uint64_t>(-(v + 1)) + 1 : static_cast<std::uint64_t>(v);
    const std::uint64_t whole = a / static_cast<std::uint64_t>(scale);
    std::uint64_t frac = a % static_cast<std::uint64_t>(scale);
    QString out;
    if (negative)
        out += QLatin1Char('-');
    out += QString::number(whole);
    if (frac != 0) {
        // Fraction digits without the trailing zeros.
        QString f = QString::number(frac).rightJustified(digits, QLatin1Char('0'));
        while (f.endsWith(QLatin1Char('0')))
            f.chop(1);
        out += QLocale().decimalPoint() + f;
    }
    return out;
}

} // namespace

QString textOfHundredths(std::int64_t v) { return decimalText(v, 100, 2); }
QString textOfThousandths(std::int64_t v) { return decimalText(v, 1000, 3); }

QChar ansiChar(int byte)
{
    // Windows-1252 differs from Latin-1 only in 0x80..0x9F; its five unused
    // codes there map to the C1 controls of the same value.
    static const char16_t c1[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    const int b = byte & 0xFF;
    if (b >= 0x80 && b < 0xA0)
        return QChar(c1[b - 0x80]);
    return QChar(static_cast<char16_t>(b));
}

QString ansiText(const SpdImage& img, int first, int last)
{
    QString out;
    out.reserve(last - first + 1);
    for (int i = first; i <= last; ++i)
        out += ansiChar(img[static_cast<std::size_t>(i)]);
    return out;
}

} // namespace decode
