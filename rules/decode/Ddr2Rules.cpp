// The SDRAM, DDR and DDR2 summary: Frame2's captions for one decoded byte.

#include "rules/decode/SummaryRules.h"
#include "rules/spd/SpdRules.h"
#include "rules/jedec/Jedec.h"
#include "platform/Look.h"

#include <QLocale>

namespace decode {

namespace {

using look::hex2;

int at(const SpdImage& img, int i) { return img[static_cast<std::size_t>(i)]; }

// Clock period of byte 9 in hundredths of a nanosecond: bits 4-7 whole
// nanoseconds, bits 0-3 the fraction (10 to 13 stand for quarters and
// thirds, the others for tenths).
int clockHundredths(int b9)
{
    static const int fraction[16] = {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 25, 33, 66, 75, 140, 150};
    return (b9 >> 4) * 100 + fraction[b9 & 15];
}

// Size of one rank in MB by byte 31; codes that are not a single bit count as 16.
int rankSizeMb(int b31)
{
    switch (b31) {
    case 1: return 1024;
    case 2: return 2048;
    case 4: return 16;
    case 8: return 32;
    case 16: return 64;
    case 32: return 128;
    case 64: return 256;
    case 128: return 512;
    default: return 16;
    }
}

// A double as text with up to 15 significant digits, no trailing zeros.
QString textOfReal(double v)
{
    QString s = QString::number(v, 'g', 15);
    const QString point = QLocale().decimalPoint();
    if (point != QLatin1String("."))
        s.replace(QLatin1Char('.'), point);
    return s;
}

QString memoryType(int b2)
{
    static const QString names[9] = {
        QStringLiteral("Reserved"),  QStringLiteral("FP RAM"),    QStringLiteral("EDO"),
        QStringLiteral("Pipelined Nibble"), QStringLiteral("SDRAM"), QStringLiteral("ROM"),
        QStringLiteral("DDR SGRAM"), QStringLiteral("DDR SDRAM"), QStringLiteral("DDR2 SDRAM"),
    };
    return names[b2];
}

QString addressBits(int b)
{
    const int v = b & 15;
    return v != 0 ? QString::number(v) : QStringLiteral("Undefined(B1)/");
}

QString interfaceLevel(int b8)
{
    static const QString names[7] = {
        QStringLiteral("TTL"),       QStringLiteral("LVTTL"),     QStringLiteral("HSTL"),
        QStringLiteral("SSTL 3.3V"), QStringLiteral("SSTL 2.5V"), QStringLiteral("SSTL 1.8V"),
        QStringLiteral("TBD"),
    };
    return b8 < 7 ? names[b8] : QStringLiteral("-");
}

// Speed grade by memory type and clock period; a period outside the
// grades is "Undefined" (never the grade of the image decoded before).
QString speedGrade(int b2, int t)
{
    switch (b2) {
    case 4:
        if (t <= 600) return QStringLiteral("166 MHz(PC-166)");
        if (t <= 750) return QStringLiteral("133 MHz(PC-133)");
        if (t <= 1000) return QStringLiteral("100 MHz(PC-100)");
        if (t <= 1600) return QStringLiteral("66 MHz(PC-66)");
        return QStringLiteral("Undefined");
    case 7:
        if (t <= 500) return QStringLiteral("400 MHz(PC-3200)");
        if (t <= 600) return QStringLiteral("333 MHz(PC-2700)");
        if (t <= 750) return QStringLiteral("266 MHz(PC-2100)");
        if (t <= 1000) return QStringLiteral("200 MHz(PC-1600)");
        return QStringLiteral("Undefined");
    case 8:
        if (t <= 250) return QStringLiteral("800 MHz(PC2-6400)");
        if (t <= 300) return QStringLiteral("667 MHz(PC2-5300)");
        if (t <= 375) return QStringLiteral("533 MHz(PC2-4200)");
        if (t < 500) return QStringLiteral("Undefined");
        return QStringLiteral("400 MHz(PC2-3200)");
    default:
        return QStringLiteral("Undefined");
    }
}

QString moduleConfig(int b11)
{
    switch (b11) {
    case 0: return QStringLiteral("Unbuffered");
    case 1: return QStringLiteral("Parity");
    case 2: return QStringLiteral("ECC");
    default: return QStringLiteral("TBD");
    }
}

QString refreshRate(int b12)
{
    static const QString rates[6] = {
        QStringLiteral("15.625us"), QStringLiteral("3.9us"),  QStringLiteral("7.8us"),
        QStringLiteral("31.3us"),   QStringLiteral("62.5us"), QStringLiteral("125us"),
    };
    const int v = b12 & 0x7F;
    if (v > 5)
        return QStringLiteral("TBD");
    return b12 & 0x80 ? rates[v] + QStringLiteral("(self-refresh)") : rates[v];
}

// Supported CAS latencies of byte 18, ascending, each followed by a blank,
// after the list a closing blank.
QString casLatencies(int b2, int b18)
{
    struct Test {
        int mask;  // the first test of each type takes the top bits together
        const char* text;
    };
    static const Test ddr[] = {{0xE0, "3.5T "}, {0x10, "3T "}, {0x08, "2.5T "}, {0x04, "2T "}, {0x02, "1.5T "}, {0x01, "1 "}};
    static const Test ddr2[] = {{0xC0, "6T "}, {0x20, "5T "}, {0x10, "4T "}, {0x08, "3T "}, {0x04, "2T "}};
    static const Test sdram[] = {{0xC0, "7T "}, {0x20, "6T "}, {0x10, "5T "}, {0x08, "4T "}, {0x04, "3T "}, {0x02, "2T "}};
    const Test* tests = nullptr;
    int n = 0;
    switch (b2) {
    case 7: tests = ddr; n = 6; break;
    case 8: tests = ddr2; n = 5; break;
    case 4: tests = sdram; n = 6; break;
    default: return QStringLiteral("Undefined");
    }
    QString caption = QStringLiteral(" ");
    bool any = false;
    for (int i = 0; i < n; ++i) {
        if (b18 & tests[i].mask) {
            caption.prepend(QLatin1String(tests[i].text));
            any = true;
        }
    }
    return any ? caption : QStringLiteral("Undefined");
}

// tRP, tRRD, tRCD (bytes 27 to 29) and tRAS (byte 30) against the clock
// period t, both in hundredths of a nanosecond.
QString timing(int A, int b, int b2, int t)
{
    if (b == 0 || t == 0)
        return QStringLiteral("Undefined");
    // tRAS, and every SDRAM timing, is in whole nanoseconds; the others
    // carry quarters of a nanosecond in bits 0-1.
    const int T = (A == 30 || b2 == 4) ? b * 100 : (b >> 2) * 100 + (b & 3) * 25;
    const int n = T / t + (T % t != 0 ? 1 : 0);
    return textOfHundredths(T) + QStringLiteral(" ns  (") + QString::number(n) + QStringLiteral("T)");
}

QString moduleSize(int b31, bool twoRanks)
{
    switch (b31) {
    case 1: return twoRanks ? QStringLiteral("2 GB (1/1)      ") : QStringLiteral("1 GB");
    case 2: return twoRanks ? QStringLiteral("4 GB (2/2)      ") : QStringLiteral("2 GB");
    case 4: return twoRanks ? QStringLiteral("32 MB (16/16)   ") : QStringLiteral("16 MB");
    case 8: return twoRanks ? QStringLiteral("64 MB (32/32)   ") : QStringLiteral("32 MB");
    case 16: return twoRanks ? QStringLiteral("128 MB (64/64)  ") : QStringLiteral("64 MB");
    case 32: return twoRanks ? QStringLiteral("256 MB (128/128)") : QStringLiteral("128 MB");
    case 64: return twoRanks ? QStringLiteral("512 MB (256/256)") : QStringLiteral("256 MB");
    case 128: return twoRanks ? QStringLiteral("1 GB (512/512)  ") : QStringLiteral("512 MB");
    default: return QStringLiteral("------");
    }
}

void manufacturer(const SpdImage& img, Effects& fx)
{
    QString id;
    id.reserve(16);
    for (int i = 64; i <= 71; ++i)
        id += hex2(at(img, i));
    fx.set(Field::Label6, id);
    // Keys of one to seven bytes from byte 64 on; the last key that matches
    // names the maker (an identifier of bank b is found by key b).
    QString name = QStringLiteral(" ");
    for (int k = 1; k <= 7; ++k) {
        if (const auto found = jedec::nameFor(id.left(2 * k)))
            name = *found;
    }
    fx.label59Visible = name == QLatin1String(" ") ? 0 : 1;
    fx.set(Field::Label59, name);
}

} // namespace

Effects ddr2Rules(const SpdImage& img, int A)
{
    Effects fx;
    const int b2 = at(img, 2);

    // Common step: the SDRAM density from the rank size and device width.
    const int t = clockHundredths(at(img, 9));
    const int ranks = (at(img, 5) & 15) + (b2 == 8 ? 1 : 0);
    const int rankSize = rankSizeMb(at(img, 31));
    const int width = (at(img, 13) & 0x7F) == 0 ? 1 : (at(img, 13) & 0x7F);
    // Quotients with at most three decimals (every power-of-two width) are
    // written from integers; the others as the shortest double text.
    const int milli = rankSize * 1000;
    fx.set(Field::Label158, (milli % width == 0 ? textOfThousandths(milli / width)
                                                : textOfReal(static_cast<double>(rankSize) / width)) +
                                QStringLiteral(" Mb"));

    if (A < 0 || A > 127)
        return fx;
    const int b = at(img, A);
    switch (A) {
    case 2:
        if (b2 <= 8)
            fx.set(Field::Label29, memoryType(b2));
        break;
    case 3: fx.set(Field::Label30, addressBits(b)); break;
    case 4: fx.set(Field::Label31, addressBits(b)); break;
    case 5:
        if (b == 0)
            fx.set(Field::Label32, QStringLiteral("Undefined"));
        else if (b2 == 8)
            fx.set(Field::Label32, QString::number((b & 15) + 1) + QStringLiteral(" Ranks"));
        else
            fx.set(Field::Label32, QString::number(b & 15));
        break;
    case 8: fx.set(Field::Label34, interfaceLevel(b)); break;
    case 9:
        fx.set(Field::Label35, speedGrade(b2, t));
        break;
    case 11: fx.set(Field::Label37, moduleConfig(b)); break;
    case 12: fx.set(Field::Label38, refreshRate(b)); break;
    case 13:
        fx.set(Field::Label39, (b >= 1 && b <= 127) ? QString::number(b) + QStringLiteral(" bit") : QStringLiteral("N/A"));
        break;
    case 18: fx.set(Field::Label42, casLatencies(b2, b)); break;
    case 27: fx.set(Field::Label44, timing(A, b, b2, t)); break;
    case 28: fx.set(Field::Label14, timing(A, b, b2, t)); break;
    case 29: fx.set(Field::Label43, timing(A, b, b2, t)); break;
    case 30: fx.set(Field::Label45, timing(A, b, b2, t)); break;
    case 31: fx.set(Field::Label41, moduleSize(b, ranks == 2)); break;
    case 63: fx.set(Field::Label46, hex2(spd::cal_spd_sum(img, 62))); break;
    case 72: fx.set(Field::Label36, hex2(b)); break;
    case 91:
    case 92: fx.set(Field::Label47, hex2(at(img, 91)) + hex2(at(img, 92))); break;
    case 93:
    case 94: fx.set(Field::Label49, hex2(at(img, 93)) + hex2(at(img, 94))); break;
    default:
        if (A >= 64 && A <= 71) {
            manufacturer(img, fx);
        } else if (A >= 73 && A <= 90) {
            fx.set(Field::Label18, ansiText(img, 73, 90));
        } else if (A >= 95 && A <= 98) {
            fx.set(Field::Label26, hex2(at(img, 95)) + hex2(at(img, 96)) + hex2(at(img, 97)) + hex2(at(img, 98)));
        } else if (A >= 99) {
            // Specific data: upper-case hexadecimal without leading zeros.
            QString s;
            s.reserve(58);
            for (int i = 99; i <= 127; ++i)
                s += QString::number(at(img, i), 16).toUpper();
            fx.set(Field::Label28, s);
        }
        break;
    }
    return fx;
}

} // namespace decode
