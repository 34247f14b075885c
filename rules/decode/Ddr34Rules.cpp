// The DDR3 and DDR4 summaries: Frame10's captions for one decoded byte.
// Times are kept in whole picoseconds throughout.

#include "rules/decode/SummaryRules.h"
#include "rules/jedec/Jedec.h"
#include "platform/Look.h"

namespace decode {

namespace {

using look::hex2;

int at(const SpdImage& img, int i) { return img[static_cast<std::size_t>(i)]; }

// ---- Shared by both types ----

int deviceWidth(int code) { return code >= 3 ? 32 : 4 << code; }
int capacityRanks(int code) { return code >= 3 ? 4 : code + 1; }

// SDRAM density caption: density per device width, in Mbit.
const QString& depthCaption(std::int64_t depth)
{
    static const QString mb[] = {QStringLiteral("16 Mb"), QStringLiteral("32 Mb"), QStringLiteral("64 Mb"),
                                 QStringLiteral("128 Mb"), QStringLiteral("256 Mb"), QStringLiteral("512 Mb"),
                                 QStringLiteral("1 Gb  "), QStringLiteral("2 Gb  "), QStringLiteral("4 Gb  ")};
    static const QString other = QStringLiteral("-----  ");
    for (int k = 0; k < 9; ++k)
        if (depth == (16 << k))
            return mb[k];
    return other;
}

// Module capacity caption, in the two-rank form for two ranks.
const QString& capacityCaption(std::int64_t mb, int ranks)
{
    static const QString two[] = {
        QStringLiteral("128 MB (64/64) "), QStringLiteral("256 MB (128/128)"), QStringLiteral("512 MB (256/256)"),
        QStringLiteral("1 GB (512/512) "), QStringLiteral("2 GB (1/1)     "),  QStringLiteral("4 GB (2/2)     "),
        QStringLiteral("8 GB (4/4)     "), QStringLiteral("16 GB (8/8)    "),  QStringLiteral("32 GB (16/16)  "),
    };
    static const QString plain[] = {
        QStringLiteral("128 MB  "), QStringLiteral("256 MB  "), QStringLiteral("512 MB  "),
        QStringLiteral("1 GB   "),  QStringLiteral("2 GB   "),  QStringLiteral("4 GB    "),
        QStringLiteral("8 GB    "), QStringLiteral("16 GB   "), QStringLiteral("32 GB   "),
    };
    static const QString other = QStringLiteral("----   ");
    for (int k = 0; k < 9; ++k)
        if (mb == (128 << k))
            return ranks == 2 ? two[k] : plain[k];
    return other;
}

void commonCaptions(Effects& fx, int density, int width, int ranks)
{
    fx.set(Field::Label121, depthCaption(density / width));
    fx.set(Field::Label117, capacityCaption(static_cast<std::int64_t>(ranks) * 8 * density / width, ranks));
}

QString moduleType(int code, bool ddr4)
{
    static const QString names[16] = {
        QStringLiteral("Undefined"),    QStringLiteral("Register-DIMM"), QStringLiteral("Unbuffer-DIMM"),
        QStringLiteral("SO-DIMM"),      QStringLiteral("Micro-DIMM"),    QStringLiteral("Mini-RDIMM"),
        QStringLiteral("Mini-UDIMM"),   QStringLiteral("Reservd"),       QStringLiteral("72b-SO-RDIMM"),
        QStringLiteral("72b-SO-UDIMM"), QStringLiteral("Reservd"),       QStringLiteral("Reservd"),
        QStringLiteral("16b-SO-DIMM"),  QStringLiteral("32b-SO-DIMM"),   QStringLiteral("Reservd"),
        QStringLiteral("Reservd"),
    };
    return (!ddr4 && code > 6) ? QStringLiteral("Reservd") : names[code & 15];
}

void addressing(Effects& fx, int b5, bool ddr4)
{
    static const QString cols[4] = {QStringLiteral("9 "), QStringLiteral("10 "), QStringLiteral("11"), QStringLiteral("12 ")};
    static const QString rows[7] = {QStringLiteral("12 "), QStringLiteral("13 "), QStringLiteral("14 "), QStringLiteral("15 "),
                                    QStringLiteral("16 "), QStringLiteral("17 "), QStringLiteral("18 ")};
    const int col = b5 & 7;
    const int row = (b5 >> 3) & 7;
    fx.set(Field::Label124, col < 4 ? cols[col] : QStringLiteral("Reserved"));
    fx.set(Field::Label123, row < (ddr4 ? 7 : 5) ? rows[row] : QStringLiteral("Reserved"));
}

void organisation(Effects& fx, int b)
{
    static const QString widths[4] = {QStringLiteral("4 bit"), QStringLiteral("8 bit"), QStringLiteral("16 bit"),
                                      QStringLiteral("32 bit")};
    static const QString ranks[4] = {QStringLiteral("1 Rank"), QStringLiteral("2 Ranks"), QStringLiteral("3 Ranks"),
                                     QStringLiteral("4 Ranks")};
    const int w = b & 7;
    const int r = (b >> 3) & 7;
    fx.set(Field::Label125, w < 4 ? widths[w] : QStringLiteral("Reserved"));
    fx.set(Field::Label118, r < 4 ? ranks[r] : QStringLiteral("Reserved"));
}

// CAS latencies from a run of bits, lowest latency first; eight or more
// move the label to the left.
void casList(Effects& fx, std::uint32_t bits, int nbits, int lowest)
{
    QString s;
    int count = 0;
    for (int i = 0; i < nbits; ++i) {
        if (bits & (1u << i)) {
            s += QString::number(lowest + i) + QLatin1Char(' ');
            ++count;
        }
    }
    fx.set(Field::Label126, s);
    if (count > 7)
        fx.moveLabel126 = true;
}

// The DRAM manufacturer: continuation count and identifier byte as stored.
void dramMaker(const SpdImage& img, Effects& fx, int first)
{
    const int count = at(img, first) & 0x7F;
    const QString id = hex2(at(img, first + 1));
    fx.set(Field::Label146, hex2(at(img, first)) + id);
    QString name;
    if (count <= 6) {
        fx.lookup = true;
        fx.lookupKey = QStringLiteral("7F").repeated(count) + id;
        // A key that names no maker shows no name.
        name = jedec::nameFor(fx.lookupKey).value_or(QString());
    }
    fx.set(Field::Label148, name);
}

QString hexRun(const SpdImage& img, int first, int last)
{
    QString s;
    s.reserve(2 * (last - first + 1));
    for (int i = first; i <= last; ++i)
        s += hex2(at(img, i));
    return s;
}

// ---- DDR3 ----

// A DDR3 time of v medium time base units: nanoseconds, then the clock
// count (v per tCK, rounded up), none when tCK is 0.
QString ddr3Timing(std::int64_t mtbPs, int v, int tck)
{
    QString s = textOfThousandths(mtbPs * v) + QStringLiteral(" ns (");
    if (tck != 0)
        s += QString::number(v / tck + (v % tck != 0 ? 1 : 0));
    return s + QStringLiteral("T)");
}

QString ddr3Speed(std::int64_t periodPs)
{
    switch (periodPs) {
    case 2500: return QStringLiteral("800 MHz(2.5ns)");
    case 1875: return QStringLiteral("1066 MHz(1.875ns)");
    case 1500: return QStringLiteral("1333 MHz(1.5ns)");
    case 1250: return QStringLiteral("1600 MHz(1.25ns)");
    default: return QStringLiteral("Reserved");
    }
}

// ---- DDR4 ----

int signedByte(int b) { return b >= 128 ? b - 256 : b; }

// Speed grade by clock frequency 1 000 000 / tCK (MHz), each bound strict.
QString ddr4Speed(int tckPs)
{
    if (tckPs < 0)
        return QStringLiteral("1600 MHz");
    struct Grade {
        int below;
        const char* caption;
    };
    static const Grade grades[] = {{860, "1600 MHz"},  {1000, "1866 MHz"}, {1133, "2133 MHz"},
                                   {1266, "2400 MHz"}, {1466, "2666 MHz"}, {1633, "3200 MHz"}};
    for (const Grade& g : grades)
        if (1000000LL < static_cast<std::int64_t>(g.below) * tckPs)
            return QLatin1String(g.caption);
    return QStringLiteral("--------");
}

// A DDR4 time of p picoseconds and its clock count against tCK; without a
// count it shows 0.
QString ddr4Timing(int p, int tckPs, bool withCount)
{
    int n = 0;
    if (withCount)
        n = p / tckPs + (p % tckPs != 0 ? 1 : 0);
    return textOfThousandths(p) + QStringLiteral(" ns (") + QString::number(n) + QStringLiteral("T)");
}

const QString& ddr4Banks(int b4)
{
    static const QString captions[] = {QStringLiteral("4 Banks 0 Groups"), QStringLiteral("8 Banks 0 Groups"),
                                       QStringLiteral("4 Banks 2 Groups"), QStringLiteral("8 Banks 2 Groups"),
                                       QStringLiteral("4 Banks 4 Groups"), QStringLiteral("8 Banks 4 Groups"),
                                       QStringLiteral("Reserved")};
    switch (b4 & 0xF0) {
    case 0x00: return captions[0];
    case 0x10: return captions[1];
    case 0x40: return captions[2];
    case 0x50: return captions[3];
    case 0x80: return captions[4];
    case 0x90: return captions[5];
    default: return captions[6];
    }
}

} // namespace

Effects ddr3Rules(const SpdImage& img, int A)
{
    Effects fx;
    // Common step.
    const int b10 = at(img, 10);
    const int b11 = at(img, 11);
    const std::int64_t mtb = b11 == 0 ? b10 * 1000 : b10 * 1000 / b11;  // picoseconds
    const int densityCode = at(img, 4) & 15;
    const int density = densityCode <= 6 ? 256 << densityCode : 256;
    const int width = deviceWidth(at(img, 7) & 7);
    const int ranks = capacityRanks((at(img, 7) >> 3) & 7);
    commonCaptions(fx, density, width, ranks);
    static const QString banks[8] = {QStringLiteral("8 Banks"),  QStringLiteral("16 Banks"), QStringLiteral("32 Banks"),
                                     QStringLiteral("64 Banks"), QStringLiteral("Reserved"), QStringLiteral("Reserved"),
                                     QStringLiteral("Reserved"), QStringLiteral("Reserved")};
    fx.set(Field::Label122, banks[(at(img, 4) >> 4) & 7]);

    if (A < 0 || A > 175)
        return fx;
    const int b = at(img, A);
    const int tck = at(img, 12);
    switch (A) {
    case 0: {
        const QString crc = (b & 0x80) ? QStringLiteral("CRC (0-116)") : QStringLiteral("CRC (0-125)");
        fx.setOptcrc1 = true;
        fx.optcrc1 = crc;
        fx.set(Field::Label115, crc);
        break;
    }
    case 2:
        fx.set(Field::Label120, b == 9    ? QStringLiteral("DDR2 FB-DIMM")
                                : b == 10 ? QStringLiteral("DDR2 FB-DIMM P")
                                : b == 11 ? QStringLiteral("DDR3 SDRAM")
                                          : QStringLiteral("-"));
        break;
    case 3: fx.set(Field::Label116, moduleType(b & 15, false)); break;
    case 5: addressing(fx, b, false); break;
    case 6:
        switch (b & 7) {
        case 0: fx.set(Field::Label155, QStringLiteral("1.5 V          ")); break;
        case 2: fx.set(Field::Label155, QStringLiteral("1.35/1.5 V     ")); break;
        case 6: fx.set(Field::Label155, QStringLiteral("1.2X/1.35/1.5 V")); break;
        case 7: fx.set(Field::Label155, QStringLiteral("1.2X/1.35 V    ")); break;
        // The other codes name no voltage; the previous image's caption
        // must not stay.
        default: fx.set(Field::Label155, QStringLiteral("-----           ")); break;
        }
        break;
    case 7: organisation(fx, b); break;
    case 8:
        fx.set(Field::Label133, (b & 31) == 3    ? QStringLiteral("64 bit")
                                : (b & 31) == 11 ? QStringLiteral("72 bit(ECC)")
                                                 : QStringLiteral("Reserved"));
        break;
    case 12: fx.set(Field::Label119, ddr3Speed(mtb * tck)); break;
    case 14:
    case 15: casList(fx, static_cast<std::uint32_t>(at(img, 14)) | (static_cast<std::uint32_t>(at(img, 15) & 0x7F) << 8), 15, 4); break;
    case 16: fx.set(Field::Label128, ddr3Timing(mtb, b, tck)); break;
    case 18: fx.set(Field::Label129, ddr3Timing(mtb, b, tck)); break;
    case 20: fx.set(Field::Label127, ddr3Timing(mtb, b, tck)); break;
    case 21:
    case 22: fx.set(Field::Label130, ddr3Timing(mtb, (at(img, 21) & 15) * 256 + at(img, 22), tck)); break;
    case 119: fx.set(Field::Label141, hex2(b)); break;
    case 120:
    case 121: fx.set(Field::Label142, hexRun(img, 120, 121)); break;
    case 126:
    case 127: fx.set(Field::Label131, hexRun(img, 126, 127)); break;
    case 148:
    case 149: dramMaker(img, fx, 148); break;
    default:
        if (A >= 122 && A <= 125)
            fx.set(Field::Label143, hexRun(img, 122, 125));
        else if (A >= 128 && A <= 145)
            fx.set(Field::Label144, ansiText(img, 128, 145));
        else if (A >= 150)
            fx.set(Field::Label147, ansiText(img, 150, 175));
        break;
    }
    return fx;
}

Effects ddr4Rules(const SpdImage& img, int A)
{
    Effects fx;
    // Common step. The medium time base is 125 ps and the fine one 1 ps.
    int tck = 125 * at(img, 18) + signedByte(at(img, 125));
    if (tck == 0)
        tck = 1000;
    const int densityCode = at(img, 4) & 15;
    const int density = densityCode <= 7 ? 256 << densityCode : 1024;
    const int width = deviceWidth(at(img, 12) & 7);
    const int ranks = capacityRanks((at(img, 12) >> 3) & 7);
    commonCaptions(fx, density, width, ranks);
    fx.set(Field::Label122, ddr4Banks(at(img, 4)));

    if (A < 0 || A > 381)
        return fx;
    const int b = at(img, A);
    auto fine = [&](int coarse, int offset) { return 125 * at(img, coarse) + signedByte(at(img, offset)); };
    switch (A) {
    case 0:
        fx.setOptcrc1 = true;
        fx.optcrc1 = QStringLiteral("CRC");
        fx.set(Field::Label115, QStringLiteral("CRC (0-125/128-253)"));
        break;
    case 2: fx.set(Field::Label120, QStringLiteral("DDR4 SDRAM")); break;
    case 3: fx.set(Field::Label116, moduleType(b & 15, true)); break;
    case 5: addressing(fx, b, true); break;
    case 11:
        switch (b & 0x7F) {
        case 3: fx.set(Field::Label155, QStringLiteral("1.2 V          ")); break;
        case 15: fx.set(Field::Label155, QStringLiteral("TBD 1/1.2 V    ")); break;
        case 14: fx.set(Field::Label155, QStringLiteral("TBD 1V Endu 1.2V")); break;
        case 56: fx.set(Field::Label155, QStringLiteral("TBD 2V Endu 1V  ")); break;
        default: fx.set(Field::Label155, QStringLiteral("-----           ")); break;
        }
        break;
    case 12: organisation(fx, b); break;
    case 13:
        switch (b & 15) {
        case 0: fx.set(Field::Label133, QStringLiteral("8 bit       ")); break;
        case 1: fx.set(Field::Label133, QStringLiteral("16 bit      ")); break;
        case 2: fx.set(Field::Label133, QStringLiteral("32 bit      ")); break;
        case 3: fx.set(Field::Label133, QStringLiteral("64 bit      ")); break;
        case 11: fx.set(Field::Label133, QStringLiteral("72 bit(ECC) ")); break;
        default: fx.set(Field::Label133, QStringLiteral("-------     ")); break;
        }
        break;
    case 18: fx.set(Field::Label119, ddr4Speed(tck)); break;
    case 20:
    case 21:
    case 22:
    case 23:
        casList(fx,
                static_cast<std::uint32_t>(at(img, 20)) | (static_cast<std::uint32_t>(at(img, 21)) << 8) |
                    (static_cast<std::uint32_t>(at(img, 22) & 3) << 16),
                18, 7);
        break;
    case 24: fx.set(Field::Label128, ddr4Timing(fine(24, 123), tck, b != 0)); break;
    case 25: fx.set(Field::Label129, ddr4Timing(fine(25, 122), tck, b != 0)); break;
    case 26: fx.set(Field::Label127, ddr4Timing(fine(26, 121), tck, b != 0)); break;
    case 27: {
        const int p = 125 * ((b & 15) * 256 + at(img, 28));
        fx.set(Field::Label130, ddr4Timing(p, tck, p != 0));
        break;
    }
    case 126:
    case 127:
        fx.set(Field::Label131, hexRun(img, 126, 127) + QStringLiteral(" / ") + hexRun(img, 254, 255));
        break;
    case 254:
    case 255:
        fx.set(Field::Label131, hexRun(img, 126, 127) + QStringLiteral(" / ") + hexRun(img, 254, 255));
        break;
    case 322: fx.set(Field::Label141, hex2(b)); break;
    case 323:
    case 324: fx.set(Field::Label142, hexRun(img, 323, 324)); break;
    case 350:
    case 351: dramMaker(img, fx, 350); break;
    default:
        if (A >= 325 && A <= 328)
            fx.set(Field::Label143, hexRun(img, 325, 328));
        else if (A >= 329 && A <= 348)
            fx.set(Field::Label144, ansiText(img, 329, 348));
        else if (A >= 353 && A <= 381)
            fx.set(Field::Label147, ansiText(img, 353, 381));
        break;
    }
    return fx;
}

} // namespace decode
