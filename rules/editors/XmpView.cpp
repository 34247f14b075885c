#include "rules/editors/XmpView.h"

#include "rules/editors/XmpBlock.h"

#include <QLocale>

#include <iterator>

namespace xmpview {

using xmp::roundHalfEven;

namespace {

using i64 = std::int64_t;

int at(const SpdImage& img, int i) { return img[static_cast<std::size_t>(i)]; }
// A fine correction byte of the JEDEC timings, in picoseconds.
int fineAt(const SpdImage& img, int i) { return xmp::fineOffset(img[static_cast<std::size_t>(i)]); }

const PanelRow kDdr3Rows[] = {
    {Row::SPEED, "Label7", "Module Speed"}, {Row::VOLT, "Label4", "VDD Voltage"},
    {Row::CL_SUPPORT, "Label3", "CL Support"}, {Row::TAA, "Label2", "CL-tAA(min)"},
    {Row::TRCD, "Label8", "tRCD(min)"},     {Row::TRP, "Label6", "tRP(min)"},
    {Row::TRAS, "Label10", "tRAS(min)"},    {Row::TRC, "Label11", "tRC(min)"},
    {Row::TWR, "Label9", "tWR(min)"},       {Row::TRFC, "Label13", "tRFC(min)"},
    {Row::TRTP, "Label14", "tRTP(min)"},    {Row::TRRD, "Label15", "tRRD(min)"},
    {Row::TFAW, "Label16", "tFAW(min)"},    {Row::TWTR, "Label17", "tWTR(min)"},
    {Row::TCWL, "Label5", "tCWL(min)"},     {Row::TREFI, "Label12", "tREFI(max)"},
    {Row::CMD, "Label18", "CMD Rate"},
};

const PanelRow kDdr4Rows[] = {
    {Row::SPEED, "Label7", "Module Speed"}, {Row::VOLT, "Label4", "VDD Voltage"},
    {Row::CL_SUPPORT, "Label3", "CL Support"}, {Row::TAA, "Label2", "CL-tAA(min)"},
    {Row::TRCD, "Label8", "tRCD(min)"},     {Row::TRP, "Label6", "tRP(min)"},
    {Row::TRAS, "Label10", "tRAS(min)"},    {Row::TRC, "Label11", "tRC(min)"},
    {Row::TRFC1, "Label9", "tRFC1(min)"},   {Row::TRFC2, "Label13", "tRFC2(min)"},
    {Row::TRFC4, "Label14", "tRFC4(min)"},  {Row::TFAW, "Label16", "tFAW(min)"},
    {Row::TRRDS, "Label15", "tRRD_S(min)"}, {Row::TRRDL, "Label17", "tRRD_L(min)"},
};

struct Window {
    int low;
    int high;
    int grade;
};

i64 snap(i64 rate, std::span<const Window> table)
{
    for (const Window& w : table)
        if (rate >= w.low && rate <= w.high)
            return w.grade;
    return rate;
}

QString point() { return QLocale().decimalPoint(); }

// Hundredths as a plain decimal text without trailing zeros ("1.35", "1").
QString hundredthsText(int h)
{
    QString out = QString::number(h / 100);
    const int frac = h % 100;
    if (frac != 0) {
        QString f = QString::number(frac).rightJustified(2, QLatin1Char('0'));
        if (f.endsWith(QLatin1Char('0')))
            f.chop(1);
        out += point() + f;
    }
    return out;
}

QString mhz(i64 rate) { return QString::number(rate) + QStringLiteral(" MHz"); }

void put(ColumnCaptions& col, Row r, QString text)
{
    Cell& c = col[r];
    c.text = std::move(text);
    c.decoded = true;
}

void putNone(ColumnCaptions& col, Row r) { put(col, r, QString::fromLatin1(kNoValue)); }

void putList(ColumnCaptions& col, Row r, QString text)
{
    col[r].small = text.size() > kLongListChars;
    put(col, r, std::move(text));
}

QString revisionOf(int b) { return QString::number(b >> 4) + QLatin1Char('.') + QString::number(b & 0x0F); }

// ---------------------------------------------------------------- DDR4

// Caption with clock count, without, and the refresh caption.
QString ddr4Clocked(i64 ps, i64 tck)
{
    return nsText(ps) + QStringLiteral(" ns(") + QString::number(ddr4Clocks(ps, tck)) + QStringLiteral("T)");
}
QString ddr4Plain(i64 ps) { return nsText(ps) + QStringLiteral(" ns"); }
QString ddr4Refresh(int field, int count) { return ddr4Plain(i64{count} * 125) + densityTag(field, count); }

// The rows after the cas list, shared by the JEDEC column and the profiles.
struct Ddr4Fields {
    i64 tck;
    i64 taa, trcd, trp, tras, trc;
    int trfc1, trfc2, trfc4;
    i64 tfaw, trrds, trrdl;
};

// The speed: without a positive clock period there is none.
void putDdr4Speed(ColumnCaptions& col, i64 tck, i64 (*snapTable)(i64))
{
    if (tck > 0)
        put(col, Row::SPEED, mhz(snapTable(ddr4Rate(tck))));
    else
        putNone(col, Row::SPEED);
}

void putDdr4Timings(ColumnCaptions& col, const Ddr4Fields& f)
{
    // A time with clocks needs a positive clock period, and a negative
    // clock count (a negative fine correction on a small count) is none.
    const auto clocked = [&col, &f](Row r, i64 ps) {
        if (f.tck > 0 && ddr4Clocks(ps, f.tck) >= 0)
            put(col, r, ddr4Clocked(ps, f.tck));
        else
            putNone(col, r);
    };
    clocked(Row::TAA, f.taa);
    clocked(Row::TRCD, f.trcd);
    clocked(Row::TRP, f.trp);
    clocked(Row::TRAS, f.tras);
    clocked(Row::TRC, f.trc);
    put(col, Row::TRFC1, ddr4Refresh(1, f.trfc1));
    put(col, Row::TRFC2, ddr4Refresh(2, f.trfc2));
    put(col, Row::TRFC4, ddr4Refresh(4, f.trfc4));
    put(col, Row::TFAW, ddr4Plain(f.tfaw));
    put(col, Row::TRRDS, ddr4Plain(f.trrds));
    put(col, Row::TRRDL, ddr4Plain(f.trrdl));
}

// ---------------------------------------------------------------- DDR3

// A DDR3 timebase as the fraction num / den of a tenth of a picosecond per
// count. The JEDEC column keeps 10000 x dividend / divisor unrounded; a
// profile rounds it to whole tenths first.
struct Timebase {
    i64 num = 0;
    i64 den = 1;
    bool valid() const { return num > 0 && den > 0; }
};

QString ddr3Time(const Timebase& tb, i64 count)
{
    // Tenths of a nanosecond: T x count / 1000.
    return tenthsText(roundHalfEven(tb.num * count, tb.den * 1000)) + QStringLiteral(" ns");
}

// Clocks from the time and the clock period, both in units of 10 ps rounded
// to whole units; a remainder above 5 units adds one.
QString ddr3Clocked(const Timebase& tb, i64 count, i64 b)
{
    const i64 a = roundHalfEven(tb.num * count, tb.den * 100);
    const i64 clocks = a / b + (a % b > 5 ? 1 : 0);
    return tenthsText(roundHalfEven(tb.num * count, tb.den * 1000)) + QStringLiteral(" ns (") +
           QString::number(clocks) + QStringLiteral("T)");
}

// Whole volts 3 and steps 20 to 31 name no voltage: their part of the text
// is left out.
QString ddr3ProfileVolt(std::uint8_t b)
{
    static const char* const whole[] = {"0.", "1.", "2.", ""};
    QString out = QLatin1String(whole[xmp::ddr3::voltWhole(b)]);
    const int n = xmp::ddr3::voltSteps(b);
    if (n < 20)
        out += QString::number(5 * n).rightJustified(2, QLatin1Char('0')) + QStringLiteral(" V");
    return out;
}

QString ddr3JedecVolt(int b)
{
    switch (b & 0x07) {
    case 0: return QStringLiteral("1.5 V");
    case 2: return QStringLiteral("1.35/1.5 V");
    case 6: return QStringLiteral("1.2X/1.35/1.5 V");
    case 7: return QStringLiteral("1.2X/1.35 V");
    default: return QStringLiteral("XXXX");
    }
}

// The rows of a DDR3 column from its timebase, its clock count and the MTB
// counts of its fields.
struct Ddr3Fields {
    i64 tck;  // clock count
    i64 taa, trcd, trp, tras, trc;
    i64 twr, trfc, trtp, trrd, tfaw, twtr;
};

constexpr Row kDdr3Clocked[] = {Row::TAA, Row::TRCD, Row::TRP, Row::TRAS, Row::TRC};
constexpr Row kDdr3Times[] = {Row::TWR, Row::TRFC, Row::TRTP, Row::TRRD, Row::TFAW, Row::TWTR};

void putDdr3Timings(ColumnCaptions& col, const Timebase& tb, const Ddr3Fields& f)
{
    if (!tb.valid()) {
        // Without a timebase no time and no speed can be had.
        putNone(col, Row::SPEED);
        for (const Row r : kDdr3Clocked)
            putNone(col, r);
        for (const Row r : kDdr3Times)
            putNone(col, r);
        return;
    }
    const i64 period = tb.num * f.tck;  // tenths of a ps, over tb.den
    // 2 x 10^7 / (T x tCK count).
    if (period > 0)
        put(col, Row::SPEED, mhz(snapDdr3(roundHalfEven(20000000 * tb.den, period))));
    else
        putNone(col, Row::SPEED);
    const i64 b = period > 0 ? roundHalfEven(period, tb.den * 100) : 0;
    const i64 counts[] = {f.taa, f.trcd, f.trp, f.tras, f.trc};
    for (std::size_t i = 0; i < std::size(kDdr3Clocked); ++i) {
        if (b > 0)
            put(col, kDdr3Clocked[i], ddr3Clocked(tb, counts[i], b));
        else
            putNone(col, kDdr3Clocked[i]);
    }
    put(col, Row::TWR, ddr3Time(tb, f.twr));
    put(col, Row::TRFC, ddr3Time(tb, f.trfc));
    put(col, Row::TRTP, ddr3Time(tb, f.trtp));
    put(col, Row::TRRD, ddr3Time(tb, f.trrd));
    put(col, Row::TFAW, ddr3Time(tb, f.tfaw));
    put(col, Row::TWTR, ddr3Time(tb, f.twtr));
}

} // namespace

const QString& arrayName(Row r)
{
    static const std::array<QString, kRowCount> names = {
        QStringLiteral("SPEED"), QStringLiteral("VOLT"),  QStringLiteral("CL_SUPPORT"), QStringLiteral("TAA"),
        QStringLiteral("TRCD"),  QStringLiteral("TRP"),   QStringLiteral("TRAS"),       QStringLiteral("TRC"),
        QStringLiteral("TWR"),   QStringLiteral("TRFC"),  QStringLiteral("TRTP"),       QStringLiteral("TRRD"),
        QStringLiteral("TWTR"),  QStringLiteral("TCWL"),  QStringLiteral("TREFI"),      QStringLiteral("CMD"),
        QStringLiteral("TFAW"),  QStringLiteral("TRFC1"), QStringLiteral("TRFC2"),      QStringLiteral("TRFC4"),
        QStringLiteral("TRRDS"), QStringLiteral("TRRDL"),
    };
    static const QString none;
    const auto i = static_cast<std::size_t>(r);
    return i < names.size() ? names[i] : none;
}

std::span<const PanelRow> ddr3Rows() { return kDdr3Rows; }
std::span<const PanelRow> ddr4Rows() { return kDdr4Rows; }

int ddr3Index(Column c) { return static_cast<int>(c); }
int ddr4Index(Column c)
{
    switch (c) {
    case Column::Jedec: return 3;
    case Column::Profile1: return 5;
    case Column::Profile2: return 4;
    }
    return 3;
}

QString initialCaption(Row r, Column c)
{
    const bool jedec = c == Column::Jedec;
    switch (r) {
    case Row::SPEED: return QStringLiteral("1600 MHz");
    case Row::VOLT: return jedec ? QStringLiteral("XXX") : QStringLiteral("XXX V");
    case Row::CL_SUPPORT: return jedec ? QStringLiteral("7,") : QStringLiteral("7");
    case Row::CMD: return QStringLiteral("1 T");
    default: return QStringLiteral("XX ms");
    }
}

ColumnCaptions initialColumn(Column c, bool ddr3)
{
    ColumnCaptions col;
    for (int i = 0; i < kRowCount; ++i)
        col.cells[static_cast<std::size_t>(i)].text = initialCaption(static_cast<Row>(i), c);
    if (ddr3 && c == Column::Jedec) {
        // Rows the JEDEC column does not decode are drawn in grey for good.
        col[Row::TCWL].color = kGreyC0;
        col[Row::TREFI].color = kGreyE0;
        col[Row::CMD].color = kGreyE0;
    }
    return col;
}

// ---------------------------------------------------------------- value rules

QString tenthsText(i64 tenths)
{
    const bool negative = tenths < 0;
    const i64 a = negative ? -tenths : tenths;
    QString out;
    if (negative)
        out += QLatin1Char('-');
    out += QString::number(a / 10);
    if (a % 10 != 0)
        out += point() + QString::number(a % 10);
    return out;
}

QString nsText(i64 ps) { return tenthsText(roundHalfEven(ps, 100)); }

i64 ddr4Clocks(i64 ps, i64 tck) { return ps / tck + (ps % tck > 5 ? 1 : 0); }

i64 ddr4Rate(i64 tck) { return 2000000 / tck; }

i64 snapDdr4Jedec(i64 rate)
{
    static const Window table[] = {{2132, 2134, 2133}, {2399, 2401, 2400}, {2665, 2668, 2666},
                                   {2799, 2801, 2800}, {2999, 3001, 3000}, {3199, 3201, 3200}};
    return snap(rate, table);
}

i64 snapDdr4Profile(i64 rate)
{
    static const Window table[] = {{2132, 2134, 2133}, {2390, 2410, 2400}, {2656, 2676, 2666},
                                   {2790, 2810, 2800}, {2990, 3010, 3000}, {3190, 3210, 3200},
                                   {3323, 3343, 3333}, {3456, 3476, 3466}, {3590, 3610, 3600},
                                   {3723, 3743, 3733}, {3856, 3876, 3866}, {3990, 4010, 4000}};
    return snap(rate, table);
}

i64 snapDdr3(i64 rate)
{
    static const Window table[] = {{1331, 1335, 1333}, {1598, 1602, 1600}, {1864, 1868, 1866},
                                   {2131, 2135, 2133}, {2398, 2402, 2400}, {2664, 2668, 2666},
                                   {2931, 2935, 2933}, {3198, 3202, 3200}};
    return snap(rate, table);
}

QString ddr4CasList(int b0, int b1, int b2)
{
    QString out;
    auto bits = [&out](int byte, int count, int first) {
        for (int k = 0; k < count; ++k)
            if (byte & (1 << k))
                out += QString::number(first + k) + QLatin1Char(' ');
    };
    bits(b0, 8, 7);
    bits(b1, 8, 15);
    bits(b2, 2, 23);
    return out;
}

QString ddr3CasList(int low, int high)
{
    QString out;
    for (int k = 0; k < 8; ++k)
        if (low & (1 << k))
            out += QString::number(4 + k) + QLatin1Char(' ');
    for (int k = 0; k < 7; ++k)
        if (high & (1 << k))
            out += QString::number(12 + k) + QLatin1Char(' ');
    return out;
}

QString densityTag(int field, int count)
{
    // Counts of the 2 Gb, 4 Gb and 8 Gb dies; anything else reads 16 Gb.
    static const int counts[3][3] = {{1280, 2080, 2800}, {880, 1280, 2080}, {720, 880, 1280}};
    const int row = field == 1 ? 0 : field == 2 ? 1 : 2;
    if (count == counts[row][0])
        return QStringLiteral("(2Gb)");
    if (count == counts[row][1])
        return QStringLiteral("(4Gb)");
    if (count == counts[row][2])
        return QStringLiteral("(8Gb)");
    return QStringLiteral("(16Gb)");
}

// ---------------------------------------------------------------- headers

Header ddr3Header(const SpdImage& img)
{
    using namespace xmp::ddr3;
    Header h;
    h.idPresent = hasIdBytes(img);
    h.enabled = {profileEnabled(img, 1), profileEnabled(img, 2)};
    h.revision = revisionOf(revision(img));
    return h;
}

Header ddr4Header(const SpdImage& img)
{
    using namespace xmp::ddr4;
    Header h;
    h.idPresent = hasIdBytes(img);
    h.enabled = {profileEnabled(img, 1), profileEnabled(img, 2)};
    h.revision = revisionOf(revision(img));
    return h;
}

// ---------------------------------------------------------------- DDR4 columns

ColumnCaptions ddr4Jedec(const SpdImage& img)
{
    ColumnCaptions col = initialColumn(Column::Jedec, false);
    switch (at(img, 11) & 0x3F) {
    case 3: put(col, Row::VOLT, QStringLiteral("1.2 V")); break;
    case 15: put(col, Row::VOLT, QStringLiteral("TBD1 V/1.2 V")); break;
    case 14: put(col, Row::VOLT, QStringLiteral("TBD1 V")); break;
    case 56: put(col, Row::VOLT, QStringLiteral("TBD2 V")); break;
    default: put(col, Row::VOLT, QStringLiteral("XXXX")); break;
    }
    // A cycle-time count of 0 is taken as 1.
    const int mtb = at(img, 18) == 0 ? 1 : at(img, 18);
    Ddr4Fields f{};
    f.tck = i64{mtb} * 125 + fineAt(img, 125);
    putDdr4Speed(col, f.tck, snapDdr4Jedec);
    putList(col, Row::CL_SUPPORT, ddr4CasList(at(img, 20), at(img, 21), at(img, 22)));
    f.taa = i64{at(img, 24)} * 125 + fineAt(img, 123);
    f.trcd = i64{at(img, 25)} * 125 + fineAt(img, 122);
    f.trp = i64{at(img, 26)} * 125 + fineAt(img, 121);
    f.tras = i64{(at(img, 27) & 0x0F) * 256 + at(img, 28)} * 125;
    f.trc = i64{(at(img, 27) & 0xF0) * 16 + at(img, 29)} * 125 + fineAt(img, 120);
    f.trfc1 = at(img, 31) * 256 + at(img, 30);
    f.trfc2 = at(img, 33) * 256 + at(img, 32);
    f.trfc4 = at(img, 35) * 256 + at(img, 34);
    f.tfaw = i64{(at(img, 36) & 0x0F) * 256 + at(img, 37)} * 125;
    f.trrds = i64{at(img, 38)} * 125 + fineAt(img, 119);
    f.trrdl = i64{at(img, 39)} * 125 + fineAt(img, 118);
    putDdr4Timings(col, f);
    return col;
}

ColumnCaptions ddr4Profile(const SpdImage& img, int profile)
{
    using namespace xmp::ddr4;
    const int n = profile == 2 ? 2 : 1;
    ColumnCaptions col = initialColumn(n == 2 ? Column::Profile2 : Column::Profile1, false);
    const Profile p = readProfile(img, n);

    const auto v = static_cast<std::uint8_t>(p.vdd);
    put(col, Row::VOLT, hundredthsText(100 * voltWhole(v) + voltHundredths(v)) + QStringLiteral(" V"));
    Ddr4Fields f{};
    f.tck = picoseconds(p.tck, p.tckFine);
    putDdr4Speed(col, f.tck, snapDdr4Profile);
    putList(col, Row::CL_SUPPORT, ddr4CasList(p.cas[0], p.cas[1], p.cas[2]));
    f.taa = picoseconds(p.taa, p.taaFine);
    f.trcd = picoseconds(p.trcd, p.trcdFine);
    f.trp = picoseconds(p.trp, p.trpFine);
    f.tras = picoseconds(p.tras, 0);
    f.trc = picoseconds(p.trc, p.trcFine);
    f.trfc1 = p.trfc1;
    f.trfc2 = p.trfc2;
    f.trfc4 = p.trfc4;
    f.tfaw = picoseconds(p.tfaw, 0);
    f.trrds = picoseconds(p.trrdS, p.trrdSFine);
    f.trrdl = picoseconds(p.trrdL, p.trrdLFine);
    putDdr4Timings(col, f);
    return col;
}

// ---------------------------------------------------------------- DDR3 columns

ColumnCaptions ddr3Jedec(const SpdImage& img)
{
    ColumnCaptions col = initialColumn(Column::Jedec, true);
    // A timebase or clock byte of 0 is taken as 1.
    auto nonZero = [&img](int i) { return at(img, i) == 0 ? 1 : at(img, i); };
    Timebase tb{i64{10000} * nonZero(10), nonZero(11)};

    put(col, Row::VOLT, ddr3JedecVolt(at(img, 6)));
    putList(col, Row::CL_SUPPORT, ddr3CasList(at(img, 14), at(img, 15)));
    Ddr3Fields f{};
    f.tck = nonZero(12);
    f.taa = at(img, 16);
    f.twr = at(img, 17);
    f.trcd = at(img, 18);
    f.trrd = at(img, 19);
    f.trp = at(img, 20);
    f.tras = (at(img, 21) & 0x0F) * 256 + at(img, 22);
    f.trc = (at(img, 21) >> 4) * 256 + at(img, 23);
    f.trfc = at(img, 25) * 256 + at(img, 24);
    f.twtr = at(img, 26);
    f.trtp = at(img, 27);
    f.tfaw = at(img, 28) * 256 + at(img, 29);
    putDdr3Timings(col, tb, f);
    return col;
}

ColumnCaptions ddr3Profile(const SpdImage& img, int profile)
{
    const int n = profile == 2 ? 2 : 1;
    ColumnCaptions col = initialColumn(n == 2 ? Column::Profile2 : Column::Profile1, true);
    const xmp::ddr3::Profile p = xmp::ddr3::readProfile(img, n);
    Timebase tb;
    if (p.divisor != 0)
        tb.num = roundHalfEven(i64{10000} * p.dividend, p.divisor);

    put(col, Row::VOLT, ddr3ProfileVolt(static_cast<std::uint8_t>(p.vdd)));
    putList(col, Row::CL_SUPPORT, ddr3CasList(p.casLow, p.casHigh));
    Ddr3Fields f{};
    f.tck = p.tck;
    f.taa = p.taa;
    f.trp = p.trp;
    f.trcd = p.trcd;
    f.twr = p.twr;
    f.tras = p.tras;
    f.trc = p.trc;
    f.trfc = p.trfc;
    f.trtp = p.trtp;
    f.trrd = p.trrd;
    f.tfaw = p.tfaw;
    f.twtr = p.twtr;
    putDdr3Timings(col, tb, f);
    if (tb.valid()) {
        put(col, Row::TCWL, ddr3Time(tb, p.tcwl));
        put(col, Row::TREFI, ddr3Time(tb, p.trefi));
    } else {
        putNone(col, Row::TCWL);
        putNone(col, Row::TREFI);
    }
    // Command rate: 0 is the default; otherwise the count in the profile's
    // timebase, in whole nanoseconds, shown as clocks.
    const int cmd = p.cmdRate;
    if (cmd == 0)
        put(col, Row::CMD, QStringLiteral("Default"));
    else if (tb.valid())
        put(col, Row::CMD, QString::number(roundHalfEven(tb.num * cmd, 10000)) + QStringLiteral(" T"));
    else
        putNone(col, Row::CMD);
    return col;
}

} // namespace xmpview
