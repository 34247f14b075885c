// The captions of the XMP view without a window. Expected texts are worked
// out by hand from the bytes; for the corpus modules they agree with
// decode-dimms.

#include "editors/XmpImages.h"
#include "rules/editors/XmpView.h"

#include <gtest/gtest.h>
#include <vector>

using velmora::SpdImage;
using xmptest::poke;
using xmpview::Column;
using xmpview::ColumnCaptions;
using xmpview::Row;

namespace {

// The captions of a column in panel order, top to bottom; nullptr: the row
// keeps its initial caption.
void expectColumn(const ColumnCaptions& col, std::span<const xmpview::PanelRow> rows, Column c,
                  const std::vector<const char*>& want)
{
    ASSERT_EQ(want.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row r = rows[i].row;
        const QString expected = want[i] ? QString::fromUtf8(want[i]) : xmpview::initialCaption(r, c);
        EXPECT_EQ(col[r].text, expected) << rows[i].title;
        EXPECT_EQ(col[r].decoded, want[i] != nullptr) << rows[i].title;
    }
}

SpdImage image(int type, std::initializer_list<std::pair<int, int>> bytes, int base = 0,
               std::initializer_list<std::pair<int, int>> offsets = {})
{
    SpdImage img{};
    img[2] = static_cast<std::uint8_t>(type);
    poke(img, bytes);
    for (auto [o, v] : offsets)
        img[static_cast<std::size_t>(base + o)] = static_cast<std::uint8_t>(v);
    return img;
}

// DDR4 profile 1 (first byte 393) and DDR3 profile 1 (185, timebase d/s).
ColumnCaptions ddr4P1(std::initializer_list<std::pair<int, int>> offsets)
{
    return xmpview::ddr4Profile(image(12, {}, 393, offsets), 1);
}
ColumnCaptions ddr3P1(int d, int s, std::initializer_list<std::pair<int, int>> offsets)
{
    return xmpview::ddr3Profile(image(11, {{180, d}, {181, s}}, 185, offsets), 1);
}

// A clock period as an MTB count and a fine correction of -124..0.
std::pair<int, int> tck(int ps)
{
    const int mtb = (ps + 124) / 125;
    return {mtb, (ps - mtb * 125) & 0xFF};
}

} // namespace

// ---------------------------------------------------------------- DDR4

TEST(XmpViewDdr4, JedecColumnsOfRealModules)
{
    // DDR4-2400 17-17-17-39 and DDR4-2133 15-15-15-36.
    expectColumn(xmpview::ddr4Jedec(xmptest::ddr4Plain()), xmpview::ddr4Rows(), Column::Jedec,
                 {"2400 MHz", "1.2 V", "10 11 12 13 14 15 16 17 18 ", "13.8 ns(17T)", "13.8 ns(17T)",
                  "13.8 ns(17T)", "32 ns(39T)", "45.8 ns(55T)", "260 ns(4Gb)", "160 ns(4Gb)", "110 ns(4Gb)",
                  "13 ns", "3.3 ns", "4.9 ns"});
    const ColumnCaptions cpb = xmpview::ddr4Jedec(xmptest::corpus("memtest86plus_DDR4-M393A1G40EB1-CPB.bin"));
    EXPECT_EQ(cpb[Row::SPEED].text, QStringLiteral("2133 MHz"));  // 938 ps
    EXPECT_EQ(cpb[Row::TRAS].text, QStringLiteral("33 ns(36T)"));
    EXPECT_EQ(cpb[Row::TRC].text, QStringLiteral("46.8 ns(50T)"));
    EXPECT_EQ(cpb[Row::TRRDS].text, QStringLiteral("3.7 ns"));
    const xmpview::Header h = xmpview::ddr4Header(xmptest::ddr4Plain());
    EXPECT_FALSE(h.idPresent || h.enabled[0] || h.enabled[1]);
    EXPECT_EQ(h.revision, QStringLiteral("0.0"));
}

TEST(XmpViewDdr4, JedecTimingsTakeTheirOwnNegativeFineOffsets)
{
    // tCK 7 x 125 - 42 = 833 ps; tAA, tRCD and tRP 110 x 125 ps less 100, 50
    // and 0 ps.
    const ColumnCaptions c = xmpview::ddr4Jedec(image(
        12, {{18, 0x07}, {125, 0xD6}, {24, 0x6E}, {123, 0x9C}, {25, 0x6E}, {122, 0xCE}, {26, 0x6E}, {121, 0x00}}));
    EXPECT_EQ(c[Row::SPEED].text, QStringLiteral("2400 MHz"));
    EXPECT_EQ(c[Row::TAA].text, QStringLiteral("13.6 ns(17T)"));
    EXPECT_EQ(c[Row::TRCD].text, QStringLiteral("13.7 ns(17T)"));
    EXPECT_EQ(c[Row::TRP].text, QStringLiteral("13.8 ns(17T)"));
}

TEST(XmpViewDdr4, BothProfilesOfAHandWrittenBlock)
{
    const SpdImage img = xmptest::ddr4TwoProfiles();
    const xmpview::Header h = xmpview::ddr4Header(img);
    EXPECT_TRUE(h.idPresent && h.enabled[0] && h.enabled[1]);
    EXPECT_EQ(h.revision, QStringLiteral("2.0"));
    expectColumn(xmpview::ddr4Profile(img, 1), xmpview::ddr4Rows(), Column::Profile1,
                 {"3200 MHz", "1.35 V", "16 18 20 22 ", "10 ns(16T)", "11.2 ns(18T)", "11.2 ns(18T)",
                  "23.8 ns(38T)", "35 ns(56T)", "350 ns(8Gb)", "260 ns(8Gb)", "160 ns(8Gb)", "30 ns", "5.3 ns",
                  "6.4 ns"});
    // Fine corrections on every field; 682 ps is in no speed window.
    const ColumnCaptions p2 = xmpview::ddr4Profile(img, 2);
    expectColumn(p2, xmpview::ddr4Rows(), Column::Profile2,
                 {"2932 MHz", "1.2 V", "10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 ", "13.8 ns(21T)",
                  "13.8 ns(21T)", "13.7 ns(21T)", "32 ns(47T)", "45.8 ns(68T)", "550 ns(16Gb)", "350 ns(16Gb)",
                  "260 ns(16Gb)", "21 ns", "3.3 ns", "4.9 ns"});
    EXPECT_TRUE(p2[Row::CL_SUPPORT].small);
    EXPECT_FALSE(xmpview::ddr4Profile(img, 1)[Row::CL_SUPPORT].small);
}

TEST(XmpViewDdr4, SpeedSnapping)
{
    // JEDEC windows are 2 or 3 wide, the profile windows 20 and up to 4000.
    const std::tuple<int, const char*, const char*> cases[] = {
        {1071, "1867 MHz", "1867 MHz"}, {682, "2932 MHz", "2932 MHz"}, {938, "2133 MHz", "2133 MHz"},
        {750, "2666 MHz", "2666 MHz"},  {751, "2663 MHz", "2666 MHz"}, {625, "3200 MHz", "3200 MHz"},
        {714, "2800 MHz", "2800 MHz"},  {600, "3333 MHz", "3333 MHz"}, {577, "3466 MHz", "3466 MHz"},
        {555, "3603 MHz", "3600 MHz"},  {536, "3731 MHz", "3733 MHz"}, {517, "3868 MHz", "3866 MHz"},
        {666, "3003 MHz", "3000 MHz"},  {499, "4008 MHz", "4000 MHz"}, {498, "4016 MHz", "4016 MHz"},
        // DDR4-2400: the profile window 2390 to 2410, the JEDEC one 2399 to 2401.
        {833, "2400 MHz", "2400 MHz"},  {835, "2395 MHz", "2400 MHz"}, {836, "2392 MHz", "2400 MHz"},
        {830, "2409 MHz", "2400 MHz"},  {837, "2389 MHz", "2389 MHz"}, {829, "2412 MHz", "2412 MHz"}};
    for (auto [ps, jedec, profile] : cases) {
        const auto [mtb, fine] = tck(ps);
        EXPECT_EQ(xmpview::ddr4Jedec(image(12, {{18, mtb}, {125, fine}}))[Row::SPEED].text, jedec) << ps;
        EXPECT_EQ(ddr4P1({{3, mtb}, {38, fine}})[Row::SPEED].text, profile) << ps;
    }
    // A JEDEC count of 0 is taken as 1 MTB.
    EXPECT_EQ(xmpview::ddr4Jedec(image(12, {}))[Row::SPEED].text, QStringLiteral("16000 MHz"));
}

TEST(XmpViewDdr4, ClockCountsRoundingAndDensityTags)
{
    // tAA at tCK 625 ps: MTB count and fine correction.
    const std::tuple<int, int, const char*> taa[] = {
        {80, 0, "10 ns(16T)"},    {80, 5, "10 ns(16T)"},      {80, 6, "10 ns(17T)"},  {0, 6, "0 ns(1T)"},
        {0, 0, "0 ns(0T)"},       {106, 0, "13.2 ns(22T)"},   {110, 0, "13.8 ns(22T)"},
        {110, -50, "13.7 ns(22T)"}, {111, 0, "13.9 ns(23T)"}, {0, -51, "-0.1 ns(0T)"}};
    for (auto [mtb, fine, text] : taa)
        EXPECT_EQ(ddr4P1({{3, 5}, {8, mtb}, {37, fine & 0xFF}})[Row::TAA].text, text) << mtb << " " << fine;
    // Tags by count, not by time; counts of 32 768 and up are decoded.
    const std::tuple<int, int, const char*> trfc[] = {
        {14, 1280, "160 ns(2Gb)"}, {14, 2080, "260 ns(4Gb)"}, {14, 2800, "350 ns(8Gb)"},
        {14, 4400, "550 ns(16Gb)"}, {14, 2801, "350.1 ns(16Gb)"}, {14, 0, "0 ns(16Gb)"},
        {16, 880, "110 ns(2Gb)"},  {16, 1280, "160 ns(4Gb)"}, {16, 2080, "260 ns(8Gb)"},
        {16, 2800, "350 ns(16Gb)"}, {18, 720, "90 ns(2Gb)"},  {18, 880, "110 ns(4Gb)"},
        {18, 1280, "160 ns(8Gb)"}, {18, 2080, "260 ns(16Gb)"}, {14, 0x8000, "4096 ns(16Gb)"},
        {18, 0xFFFF, "8191.9 ns(16Gb)"}};
    for (auto [o, count, text] : trfc) {
        const Row r = o == 14 ? Row::TRFC1 : o == 16 ? Row::TRFC2 : Row::TRFC4;
        EXPECT_EQ(ddr4P1({{o, count & 0xFF}, {o + 1, count >> 8}})[r].text, text) << count;
    }
}

TEST(XmpViewDdr4, VoltagesAndLatencyLists)
{
    const std::pair<int, const char*> jedec[] = {{0x03, "1.2 V"}, {0x43, "1.2 V"},  {0x0F, "TBD1 V/1.2 V"},
                                                 {0x0E, "TBD1 V"}, {0x38, "TBD2 V"}, {0x01, "XXXX"}};
    for (auto [b, text] : jedec)
        EXPECT_EQ(xmpview::ddr4Jedec(image(12, {{11, b}}))[Row::VOLT].text, text) << b;
    const std::pair<int, const char*> profile[] = {{0x94, "1.2 V"}, {0xA3, "1.35 V"}, {0x50, "0.8 V"},
                                                   {0x64, "1 V"},   {0x7F, "1.27 V"}, {0x00, "0 V"},
                                                   {0xFF, "2.27 V"}, {0xE3, "1.99 V"}};
    for (auto [b, text] : profile)
        EXPECT_EQ(ddr4P1({{0, b}})[Row::VOLT].text, text) << b;
    // Lists of more than 14 characters are drawn small.
    const std::tuple<int, int, int, const char*, bool> lists[] = {
        {0x1F, 0x00, 0x00, "7 8 9 10 11 ", false},   {0xFC, 0x0F, 0x00, "9 10 11 12 13 14 15 16 17 18 ", true},
        {0x80, 0x00, 0xFF, "14 23 24 ", false},       {0x00, 0x00, 0xFC, "", false},
        {0x00, 0x1E, 0x00, "16 17 18 19 ", false},    {0x00, 0x3E, 0x00, "16 17 18 19 20 ", true}};
    for (auto [b0, b1, b2, text, small] : lists) {
        const xmpview::Cell c = xmpview::ddr4Jedec(image(12, {{20, b0}, {21, b1}, {22, b2}}))[Row::CL_SUPPORT];
        EXPECT_EQ(c.text, text);
        EXPECT_EQ(c.small, small) << text;
    }
}

TEST(XmpViewDdr4, NoClockPeriodShowsNoSpeedAndNoClocks)
{
    // JEDEC: 1 MTB less 125 ps. Profile: all bytes 0; 0 MTB less 1 ps. The
    // speed and the rows with clocks show that they have no value, never
    // the placeholder "1600 MHz" or "XX ms".
    expectColumn(xmpview::ddr4Jedec(image(12, {{11, 3}, {18, 1}, {125, 0x83}, {24, 110}, {37, 120}})),
                 xmpview::ddr4Rows(), Column::Jedec,
                 {"-----", "1.2 V", "", "-----", "-----", "-----", "-----", "-----", "0 ns(16Gb)", "0 ns(16Gb)",
                  "0 ns(16Gb)", "15 ns", "0 ns", "0 ns"});
    expectColumn(ddr4P1({}), xmpview::ddr4Rows(), Column::Profile1,
                 {"-----", "0 V", "", "-----", "-----", "-----", "-----", "-----", "0 ns(16Gb)", "0 ns(16Gb)",
                  "0 ns(16Gb)", "0 ns", "0 ns", "0 ns"});
    EXPECT_EQ(ddr4P1({{38, 0xFF}, {8, 1}})[Row::TAA].text, QStringLiteral("-----"));
    // tCK 8 ps (1 MTB less 117 ps): a time of -100 ps would be -12 clocks,
    // -8 ps -1 clock; -7 ps is 0 clocks and 0 ns.
    const std::tuple<int, const char*> negative[] = {{-100, "-----"}, {-8, "-----"}, {-7, "0 ns(0T)"}};
    for (auto [fine, text] : negative) {
        const ColumnCaptions c = ddr4P1({{3, 1}, {38, 0x8B}, {8, 0}, {37, fine & 0xFF}, {12, 0}});
        EXPECT_EQ(c[Row::TAA].text, text) << fine;
        EXPECT_EQ(c[Row::SPEED].text, QStringLiteral("250000 MHz"));
        EXPECT_EQ(c[Row::TRAS].text, QStringLiteral("0 ns(0T)"));
    }
    // Bytes all 0xFF: every row is decoded (31 874 ps, 62 MHz).
    SpdImage ff = image(12, {});
    std::fill(ff.begin() + 384, ff.end(), std::uint8_t{0xFF});
    EXPECT_EQ(xmpview::ddr4Header(ff).revision, QStringLiteral("15.15"));
    const ColumnCaptions p = xmpview::ddr4Profile(ff, 2);
    EXPECT_EQ(p[Row::SPEED].text, QStringLiteral("62 MHz"));
    EXPECT_EQ(p[Row::TRC].text, QStringLiteral("511.9 ns(17T)"));
    EXPECT_EQ(p[Row::TRFC4].text, QStringLiteral("8191.9 ns(16Gb)"));
    EXPECT_EQ(p[Row::TRRDL].text, QStringLiteral("31.9 ns"));
}

// ---------------------------------------------------------------- DDR3

TEST(XmpViewDdr3, ColumnsOfRealModules)
{
    // DDR3-1600 11-11-11-28; the rows the JEDEC column does not decode are
    // grey.
    const ColumnCaptions ck0 = xmpview::ddr3Jedec(xmptest::ddr3Plain());
    expectColumn(ck0, xmpview::ddr3Rows(), Column::Jedec,
                 {"1600 MHz", "1.5 V", "6 7 8 9 10 11 ", "13.1 ns (11T)", "13.1 ns (11T)", "13.1 ns (11T)",
                  "35 ns (28T)", "48.1 ns (39T)", "15 ns", "260 ns", "7.5 ns", "6 ns", "30 ns", "7.5 ns", nullptr,
                  nullptr, nullptr});
    EXPECT_FALSE(ck0[Row::CL_SUPPORT].small);  // 14 characters
    EXPECT_EQ(ck0[Row::TCWL].color, 0xC0C0C0u);
    EXPECT_EQ(ck0[Row::TREFI].color, 0xE0E0E0u);
    EXPECT_EQ(ck0[Row::CMD].color, 0xE0E0E0u);
    EXPECT_EQ(ck0[Row::TAA].color, 0x0000FFu);

    // DDR3-1333 9-9-9-24 with Kingston's XMP block: profile 1,
    // DDR3-1600 9-9-9-27 at 1.65 V.
    const SpdImage kingston = xmptest::corpus("memtest86plus_DDR3-9905403-440.A00LF.bin");
    const ColumnCaptions k = xmpview::ddr3Jedec(kingston);
    EXPECT_EQ(k[Row::SPEED].text, QStringLiteral("1333 MHz"));
    EXPECT_EQ(k[Row::TAA].text, QStringLiteral("13.1 ns (9T)"));
    EXPECT_EQ(k[Row::TRC].text, QStringLiteral("49.1 ns (33T)"));
    const xmpview::Header h = xmpview::ddr3Header(kingston);
    EXPECT_TRUE(h.idPresent && h.enabled[0] && !h.enabled[1]);
    EXPECT_EQ(h.revision, QStringLiteral("1.2"));
    expectColumn(xmpview::ddr3Profile(kingston, 1), xmpview::ddr3Rows(), Column::Profile1,
                 {"1600 MHz", "1.65 V", "6 7 8 9 ", "11.2 ns (9T)", "11.2 ns (9T)", "11.2 ns (9T)",
                  "33.8 ns (27T)", "45 ns (36T)", "15 ns", "160 ns", "7.5 ns", "6 ns", "30 ns", "7.5 ns", "10 ns",
                  "7.9 ns", "Default"});

    // The JEDEC column reads the medium timebase alone: this DDR3-1866
    // module's 9 x 0.125 ns (its fine correction of -54 ps is not read).
    const ColumnCaptions cma = xmpview::ddr3Jedec(xmptest::corpus("memtest86plus_DDR3-M391B1G73QH0-CMA.bin"));
    EXPECT_EQ(cma[Row::SPEED].text, QStringLiteral("1778 MHz"));
    EXPECT_EQ(cma[Row::CL_SUPPORT].text, QStringLiteral("6 7 8 9 10 11 13 "));
    EXPECT_TRUE(cma[Row::CL_SUPPORT].small);
}

TEST(XmpViewDdr3, BothProfilesOfAHandWrittenBlock)
{
    const SpdImage img = xmptest::ddr3TwoProfiles();
    EXPECT_EQ(xmpview::ddr3Header(img).revision, QStringLiteral("1.3"));
    // T 714, 15 counts: 1867 shows as 1866.
    expectColumn(xmpview::ddr3Profile(img, 1), xmpview::ddr3Rows(), Column::Profile1,
                 {"1866 MHz", "1.50 V", "9 10 11 ", "9.6 ns (9T)", "9.6 ns (9T)", "9.6 ns (9T)", "27 ns (26T)",
                  "36.6 ns (35T)", "15 ns", "160 ns", "7.5 ns", "6 ns", "32 ns", "7.5 ns", "7 ns", "18.3 ns",
                  "1 T"});
    // T 833, 10 counts: 2401 shows as 2400; tAA 1333 units over a period of
    // 83 leaves exactly 5; a refresh count of 32 768 is decoded.
    expectColumn(xmpview::ddr3Profile(img, 2), xmpview::ddr3Rows(), Column::Profile2,
                 {"2400 MHz", "1.65 V", "12 13 14 15 16 17 18 ", "13.3 ns (16T)", "13.7 ns (17T)",
                  "13.3 ns (16T)", "32 ns (39T)", "46.2 ns (56T)", "15 ns", "2729.6 ns", "7.5 ns", "7.5 ns",
                  "24 ns", "7.5 ns", "0 ns", "5.2 ns", "Default"});
}

TEST(XmpViewDdr3, RatesClocksVoltagesAndCommandRates)
{
    EXPECT_EQ(ddr3P1(1, 8, {{1, 6}})[Row::SPEED].text, QStringLiteral("2666 MHz"));   // 2667
    EXPECT_EQ(ddr3P1(1, 9, {{1, 6}})[Row::SPEED].text, QStringLiteral("3000 MHz"));   // T 1111
    EXPECT_EQ(ddr3P1(1, 16, {{1, 8}})[Row::SPEED].text, QStringLiteral("4000 MHz"));
    // The period 87.5 units rounds to 88; 85 counts are 1062.5, rounded to
    // 1062: a remainder of 6 adds a clock.
    EXPECT_EQ(ddr3P1(1, 8, {{1, 7}, {2, 85}})[Row::TAA].text, QStringLiteral("10.6 ns (13T)"));
    EXPECT_EQ(ddr3P1(1, 8, {{1, 10}, {2, 0}})[Row::TAA].text, QStringLiteral("0 ns (0T)"));
    // 36.25 ns reads 36.2, 48.75 reads 48.8.
    EXPECT_EQ(ddr3P1(1, 8, {{14, 0x22}, {15, 0x01}})[Row::TRFC].text, QStringLiteral("36.2 ns"));
    EXPECT_EQ(ddr3P1(1, 8, {{18, 1}, {19, 134}})[Row::TFAW].text, QStringLiteral("48.8 ns"));
    const std::pair<int, const char*> cmd[] = {{8, "1 T"}, {16, "2 T"}, {4, "0 T"}, {12, "2 T"}};
    for (auto [count, text] : cmd)
        EXPECT_EQ(ddr3P1(1, 8, {{23, count}})[Row::CMD].text, text);
    const std::pair<int, const char*> volt[] = {{0x2A, "1.50 V"}, {0x2D, "1.65 V"}, {0x7F, ""},    {0x05, "0.25 V"},
                                                {0x53, "2.95 V"}, {0x94, "0."},     {0x70, "80 V"}};
    for (auto [b, text] : volt)
        EXPECT_EQ(ddr3P1(1, 8, {{0, b}})[Row::VOLT].text, text) << b;
    const std::pair<int, const char*> jedec[] = {{0, "1.5 V"}, {2, "1.35/1.5 V"}, {0x86, "1.2X/1.35/1.5 V"},
                                                 {7, "1.2X/1.35 V"}, {1, "XXXX"}, {5, "XXXX"}};
    for (auto [b, text] : jedec)
        EXPECT_EQ(xmpview::ddr3Jedec(image(11, {{6, b}}))[Row::VOLT].text, text) << b;
}

TEST(XmpViewDdr3, MissingTimebaseOrClockAndWideValues)
{
    // Divisor 0: only the voltage, the latencies and a default command rate;
    // every row that needs the timebase shows that it has no value.
    expectColumn(ddr3P1(1, 0, {{0, 0x2A}, {1, 10}, {2, 110}, {3, 0x04}}), xmpview::ddr3Rows(), Column::Profile1,
                 {"-----", "1.50 V", "6 ", "-----", "-----", "-----", "-----", "-----", "-----", "-----", "-----",
                  "-----", "-----", "-----", "-----", "-----", "Default"});
    EXPECT_EQ(ddr3P1(0, 8, {{23, 8}})[Row::CMD].text, QStringLiteral("-----"));
    // Clock count 0: the times are shown, the speed and the clocks are not.
    expectColumn(ddr3P1(1, 8, {{0, 0x2A}, {2, 110}, {8, 120}}), xmpview::ddr3Rows(), Column::Profile1,
                 {"-----", "1.50 V", "", "-----", "-----", "-----", "-----", "-----", "15 ns", "0 ns", "0 ns",
                  "0 ns", "0 ns", "0 ns", "0 ns", "0 ns", "Default"});
    // A dividend of 4 and more is decoded in full.
    const ColumnCaptions wide = ddr3P1(4, 1, {{1, 1}, {2, 2}, {14, 0xFF}, {15, 0xFF}});
    EXPECT_EQ(wide[Row::SPEED].text, QStringLiteral("500 MHz"));
    EXPECT_EQ(wide[Row::TAA].text, QStringLiteral("8 ns (2T)"));
    EXPECT_EQ(wide[Row::TRFC].text, QStringLiteral("262140 ns"));
    // JEDEC bytes 10, 11 and 12 of 0 count as 1; high bytes of 128 and up.
    const ColumnCaptions jedec = xmpview::ddr3Jedec(image(11, {{16, 2}, {25, 0x80}, {28, 0x80}, {29, 1}}));
    EXPECT_EQ(jedec[Row::SPEED].text, QStringLiteral("2000 MHz"));
    EXPECT_EQ(jedec[Row::TAA].text, QStringLiteral("2 ns (2T)"));
    EXPECT_EQ(jedec[Row::TRFC].text, QStringLiteral("32768 ns"));
    EXPECT_EQ(jedec[Row::TFAW].text, QStringLiteral("32769 ns"));
    EXPECT_EQ(xmpview::ddr3Jedec(image(11, {{10, 1}, {11, 8}, {12, 15}}))[Row::SPEED].text,
              QStringLiteral("1067 MHz"));
}
