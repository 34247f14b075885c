// What the XMP wizard writes, the XMP view reads back: both profiles are set
// up one after the other with different choices, and the view's captions
// must show the chosen grade, voltage, latencies and clock counts. The
// expected captions are worked out by hand from the grade tables (reference
// tCK, timebase) and the view's rounding and clock rules.

#include "editors/XmpImages.h"
#include "rules/editors/XmpBlock.h"
#include "rules/editors/XmpView.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

using velmora::SpdImage;
using xmpview::ColumnCaptions;

namespace {

// The captions of the first want.size() rows of a panel, top to bottom.
void expectRows(const ColumnCaptions& col, std::span<const xmpview::PanelRow> rows,
                const std::vector<const char*>& want, const std::string& where)
{
    ASSERT_LE(want.size(), rows.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(col[rows[i].row].text, QString::fromUtf8(want[i])) << where << ": " << rows[i].title;
        EXPECT_TRUE(col[rows[i].row].decoded) << where << ": " << rows[i].title;
    }
}

SpdImage madeUp(int type, std::initializer_list<std::pair<int, int>> jedec)
{
    SpdImage img{};
    img[2] = static_cast<std::uint8_t>(type);
    xmptest::poke(img, jedec);
    return img;
}

// ---------------------------------------------------------------- DDR4

// Profile 1: DDR4-3333 (list position 6; tCK 600 ps, clocks multiplied by
// 598 ps), 1.35 V, CL 16 18 20 22, 20-21-24-40-56. tAA 20T is 96 MTB, exactly
// 20 x 600 ps; tRCD 21T is 100 MTB = 12 500 ps (600 ps would have given 101
// MTB and 22T).
xmp::ddr4::Choice ddr4Profile1()
{
    xmp::ddr4::Choice c;
    c.grade = 6;
    c.volts = 1;
    c.hundredths = 35;
    for (int cl : {16, 18, 20, 22})
        c.cas[static_cast<std::size_t>(cl - 7)] = true;
    c.clocks = {20, 21, 24, 40, 56};
    return c;
}

// Profile 2: DDR4-2666 (position 2; 750 ps, 745 ps), 1.20 V, CL 10 to 24,
// 19-18-20-43-60 (tRAS 256 MTB: the nibble byte holds its bit 8).
xmp::ddr4::Choice ddr4Profile2()
{
    xmp::ddr4::Choice c;
    c.grade = 2;
    c.volts = 1;
    c.hundredths = 20;
    for (int cl = 10; cl <= 24; ++cl)
        c.cas[static_cast<std::size_t>(cl - 7)] = true;
    c.clocks = {19, 18, 20, 43, 60};
    return c;
}

// Speed, voltage, latencies, tAA, tRCD, tRP, tRAS, tRC.
const std::vector<const char*> kDdr4P1 = {"3333 MHz",     "1.35 V",       "16 18 20 22 ", "12 ns(20T)",
                                          "12.5 ns(21T)", "14.4 ns(24T)", "23.9 ns(40T)", "33.5 ns(56T)"};
const std::vector<const char*> kDdr4P2 = {
    "2666 MHz",     "1.2 V",        "10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 ",
    "14.1 ns(19T)", "13.4 ns(18T)", "14.9 ns(20T)",
    "32 ns(43T)",   "44.8 ns(60T)"};

void setupBothDdr4(SpdImage& img)
{
    ASSERT_TRUE(xmp::ddr4::setup(img, xmp::kProfile1, ddr4Profile1()).ok());
    ASSERT_TRUE(xmp::ddr4::setup(img, xmp::kProfile2, ddr4Profile2()).ok());
}

void expectHeader(const xmpview::Header& h, const char* revision, const std::string& where)
{
    EXPECT_TRUE(h.idPresent) << where;
    EXPECT_TRUE(h.enabled[0] && h.enabled[1]) << where;
    EXPECT_EQ(h.revision, QString::fromLatin1(revision)) << where;
}

TEST(XmpRoundTripDdr4, RealModulesShowTheChosenProfiles)
{
    // DDR4-2133 and DDR4-2400 RDIMMs; the second holds module data in the
    // reserved bytes of the block area.
    for (const char* name : {"memtest86plus_DDR4-M393A1G40EB1-CPB.bin", "memtest86plus_DDR4-M393A1G40EB1-CRC.bin"}) {
        SpdImage img = xmptest::corpus(name);
        ASSERT_EQ(img[2], 12) << name;
        setupBothDdr4(img);
        expectHeader(xmpview::ddr4Header(img), "2.0", name);
        expectRows(xmpview::ddr4Profile(img, 1), xmpview::ddr4Rows(), kDdr4P1, name);
        expectRows(xmpview::ddr4Profile(img, 2), xmpview::ddr4Rows(), kDdr4P2, name);
    }
}

TEST(XmpRoundTripDdr4, MadeUpModuleShowsEveryRow)
{
    // JEDEC tRFC1/2/4 2800/2080/1280 MTB (8 Gb dies), tFAW 168 MTB, tRRD_S 40
    // MTB, tRRD_L 48 MTB less 14 ps. The profiles copy the refresh times and
    // add the grade's increments: +56/+10 MTB at DDR4-3333, +32/+5 at
    // DDR4-2666.
    SpdImage img = madeUp(12, {{30, 0xF0}, {31, 0x0A}, {32, 0x20}, {33, 0x08}, {34, 0x00}, {35, 0x05},
                               {36, 0x00}, {37, 0xA8}, {38, 0x28}, {39, 0x30}, {118, 0xF2}, {119, 0x00}});
    setupBothDdr4(img);
    expectHeader(xmpview::ddr4Header(img), "2.0", "made up");

    std::vector<const char*> p1 = kDdr4P1;
    p1.insert(p1.end(), {"350 ns(8Gb)", "260 ns(8Gb)", "160 ns(8Gb)", "28 ns", "6.2 ns", "7.2 ns"});
    const ColumnCaptions c1 = xmpview::ddr4Profile(img, 1);
    expectRows(c1, xmpview::ddr4Rows(), p1, "profile 1");
    EXPECT_FALSE(c1[xmpview::Row::CL_SUPPORT].small);

    std::vector<const char*> p2 = kDdr4P2;
    p2.insert(p2.end(), {"350 ns(8Gb)", "260 ns(8Gb)", "160 ns(8Gb)", "25 ns", "5.6 ns", "6.6 ns"});
    const ColumnCaptions c2 = xmpview::ddr4Profile(img, 2);
    expectRows(c2, xmpview::ddr4Rows(), p2, "profile 2");
    EXPECT_TRUE(c2[xmpview::Row::CL_SUPPORT].small);

    // Clearing profile 1 leaves profile 2 as the view showed it.
    ASSERT_TRUE(xmp::ddr4::clear(img, xmp::kProfile1).ok());
    const xmpview::Header h = xmpview::ddr4Header(img);
    EXPECT_TRUE(h.idPresent && !h.enabled[0] && h.enabled[1]);
    expectRows(xmpview::ddr4Profile(img, 2), xmpview::ddr4Rows(), p2, "profile 2 after clearing 1");
}

// ---------------------------------------------------------------- DDR3

// Profile 1: DDR3-2133 (list position 3; timebase 1/16 ns, 15 counts,
// clocks multiplied by 927 ps over a 62 ps unit), 1.65 V, CL 7 to 11,
// 11-12-13-29-36.
xmp::ddr3::Choice ddr3Profile1()
{
    xmp::ddr3::Choice c;
    c.grade = 3;
    c.volts = 1;
    c.steps = 13;
    for (int cl = 7; cl <= 11; ++cl)
        c.cas[static_cast<std::size_t>(cl - 4)] = true;
    c.clocks = {11, 12, 13, 29, 36};
    return c;
}

// Profile 2: DDR3-1600 (position 1; 1/8 ns, 10 counts, 1240 ps over 125 ps),
// 1.50 V, CL 8 to 18 (both mask bytes), 9-10-11-24-33.
xmp::ddr3::Choice ddr3Profile2()
{
    xmp::ddr3::Choice c;
    c.grade = 1;
    c.volts = 1;
    c.steps = 10;
    for (int cl = 8; cl <= 18; ++cl)
        c.cas[static_cast<std::size_t>(cl - 4)] = true;
    c.clocks = {9, 10, 11, 24, 33};
    return c;
}

// Profile 1 counts 164, 179, 194, 434, 538 of 62.5 ps at a 937.5 ps clock;
// 10.25 ns reads 10.2 and 1025 units of 10 ps over 94 are 11 clocks.
const std::vector<const char*> kDdr3P1 = {"2133 MHz",      "1.65 V",        "7 8 9 10 11 ",  "10.2 ns (11T)",
                                          "11.2 ns (12T)", "12.1 ns (13T)", "27.1 ns (29T)", "33.6 ns (36T)"};
// Profile 2 counts 89, 99, 109, 238, 327 of 125 ps at 1250 ps.
const std::vector<const char*> kDdr3P2 = {"1600 MHz",      "1.50 V",        "8 9 10 11 12 13 14 15 16 17 18 ",
                                          "11.1 ns (9T)",  "12.4 ns (10T)", "13.6 ns (11T)",
                                          "29.8 ns (24T)", "40.9 ns (33T)"};

void setupBothDdr3(SpdImage& img)
{
    ASSERT_TRUE(xmp::ddr3::setup(img, xmp::kProfile1, ddr3Profile1()).ok());
    ASSERT_TRUE(xmp::ddr3::setup(img, xmp::kProfile2, ddr3Profile2()).ok());
}

TEST(XmpRoundTripDdr3, RealModulesShowTheChosenProfiles)
{
    // The Kingston module brings its own XMP 1.2 block with profile 1 at
    // 1/8 ns: both records and the header are set up over it.
    for (const char* name : {"memtest86plus_DDR3-9905403-440.A00LF.bin", "memtest86plus_DDR3-M378B5173DB0-CK0.bin",
                             "memtest86plus_DDR3-M391B1G73QH0-CMA.bin", "memtest86plus_DDR3-M392B1G73DB0-YH9.bin"}) {
        SpdImage img = xmptest::corpus(name);
        ASSERT_EQ(img[2], 11) << name;
        setupBothDdr3(img);
        expectHeader(xmpview::ddr3Header(img), "1.3", name);
        expectRows(xmpview::ddr3Profile(img, 1), xmpview::ddr3Rows(), kDdr3P1, name);
        expectRows(xmpview::ddr3Profile(img, 2), xmpview::ddr3Rows(), kDdr3P2, name);
    }
}

TEST(XmpRoundTripDdr3, MadeUpModuleShowsEveryRow)
{
    // JEDEC timebase 1/8 ns, tRRD 48, tRFC 880 and tFAW 240 counts (6, 110
    // and 30 ns). At DDR3-2133 (62 ps units) they become tRFC 1774 counts
    // (110.875 ns), tRRD 96 and tFAW, 4 ns shorter, 419 (26.1875 ns); at
    // DDR3-1600 they stay as they are.
    SpdImage img = madeUp(11, {{10, 0x01}, {11, 0x08}, {19, 0x30}, {24, 0x70}, {25, 0x03}, {28, 0x00}, {29, 0xF0}});
    setupBothDdr3(img);
    expectHeader(xmpview::ddr3Header(img), "1.3", "made up");

    // tWR, tRFC, tRTP, tRRD, tFAW, tWTR, tCWL (never written: 0), tREFI, CMD.
    std::vector<const char*> p1 = kDdr3P1;
    p1.insert(p1.end(), {"15 ns", "110.9 ns", "7.5 ns", "6 ns", "26.2 ns", "7.5 ns", "0 ns", "7.8 ns", "Default"});
    const ColumnCaptions c1 = xmpview::ddr3Profile(img, 1);
    expectRows(c1, xmpview::ddr3Rows(), p1, "profile 1");
    EXPECT_FALSE(c1[xmpview::Row::CL_SUPPORT].small);

    std::vector<const char*> p2 = kDdr3P2;
    p2.insert(p2.end(), {"15 ns", "110 ns", "7.5 ns", "6 ns", "30 ns", "7.5 ns", "0 ns", "7.9 ns", "Default"});
    const ColumnCaptions c2 = xmpview::ddr3Profile(img, 2);
    expectRows(c2, xmpview::ddr3Rows(), p2, "profile 2");
    EXPECT_TRUE(c2[xmpview::Row::CL_SUPPORT].small);

    // Setting profile 1 up again with profile 2's choice changes only
    // profile 1.
    ASSERT_TRUE(xmp::ddr3::setup(img, xmp::kProfile1, ddr3Profile2()).ok());
    expectRows(xmpview::ddr3Profile(img, 1), xmpview::ddr3Rows(), p2, "profile 1 set up again");
    expectRows(xmpview::ddr3Profile(img, 2), xmpview::ddr3Rows(), p2, "profile 2 kept");
}

} // namespace
