// The summary rules without a window: one decode call for one byte, or a
// full pass over an image in ascending order.

#include "rules/decode/SummaryRules.h"
#include "rules/jedec/Jedec.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <map>

using decode::Effects;
using decode::Field;
using velmora::SpdImage;

namespace {

using Rules = Effects (*)(const SpdImage&, int);

SpdImage image(int byte2, std::initializer_list<std::pair<int, int>> bytes = {}, int fill = 0)
{
    SpdImage img;
    img.fill(static_cast<std::uint8_t>(fill));
    img[2] = static_cast<std::uint8_t>(byte2);
    for (auto [i, v] : bytes)
        img[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v);
    return img;
}

// The caption one call gives a field, or "<kept>" when it leaves it alone.
QString cap(Rules rules, const SpdImage& img, int A, Field f)
{
    const Effects fx = rules(img, A);
    const QString* s = fx.find(f);
    return s ? *s : QStringLiteral("<kept>");
}

// Every caption after decoding bytes 0 to 511 in order.
std::map<Field, QString> decodeAll(Rules rules, const SpdImage& img)
{
    std::map<Field, QString> panel;
    for (int A = 0; A < 512; ++A) {
        const Effects fx = rules(img, A);
        for (int i = 0; i < fx.count; ++i)
            panel[fx.captions[static_cast<std::size_t>(i)].field] = fx.captions[static_cast<std::size_t>(i)].text;
    }
    return panel;
}

const auto ddr2 = decode::ddr2Rules;
const auto ddr3 = decode::ddr3Rules;
const auto ddr4 = decode::ddr4Rules;

} // namespace

// ---------------------------------------------------------------- SDRAM/DDR/DDR2

TEST(SdramSummary, ClockPeriodDrivesSpeedGradeAndTimings)
{
    EXPECT_EQ(cap(ddr2, image(4, {{9, 0x60}}), 9, Field::Label35), "166 MHz(PC-166)");
    EXPECT_EQ(cap(ddr2, image(4, {{9, 0x75}}), 9, Field::Label35), "133 MHz(PC-133)");
    EXPECT_EQ(cap(ddr2, image(4, {{9, 0xA1}}), 9, Field::Label35), "66 MHz(PC-66)");
    // Outside the grades: never the previous image's grade.
    EXPECT_EQ(cap(ddr2, image(4, {{9, 0xFF}}), 9, Field::Label35), "Undefined");   // 16.5 ns
    EXPECT_EQ(cap(ddr2, image(7, {{9, 0xA1}}), 9, Field::Label35), "Undefined");   // 10.1 ns
    EXPECT_EQ(cap(ddr2, image(8, {{9, 0x40}}), 9, Field::Label35), "Undefined");   // between tiers
    EXPECT_EQ(cap(ddr2, image(8, {{9, 0x3D}}), 9, Field::Label35), "533 MHz(PC2-4200)");
    EXPECT_EQ(cap(ddr2, image(8, {{9, 0x50}}), 9, Field::Label35), "400 MHz(PC2-3200)");
    EXPECT_EQ(cap(ddr2, image(6, {{9, 0x50}}), 9, Field::Label35), "Undefined");
    // tCK 0: the fastest tier, and no timing.
    EXPECT_EQ(cap(ddr2, image(7), 9, Field::Label35), "400 MHz(PC-3200)");
    EXPECT_EQ(cap(ddr2, image(8, {{27, 0x4B}}), 27, Field::Label44), "Undefined");
    // Fraction codes: 0x3B is 3.33 ns, 0x3C 3.66 ns, 0x3E 4.4 ns.
    EXPECT_EQ(cap(ddr2, image(7, {{9, 0x3B}, {29, 0x3C}}), 29, Field::Label43), "15 ns  (5T)");
    EXPECT_EQ(cap(ddr2, image(7, {{9, 0x3C}, {29, 0x3C}}), 29, Field::Label43), "15 ns  (5T)");
    EXPECT_EQ(cap(ddr2, image(7, {{9, 0x3E}, {29, 0x58}}), 29, Field::Label43), "22 ns  (5T)");
    EXPECT_EQ(cap(ddr2, image(7, {{9, 0x3E}, {29, 0x59}}), 29, Field::Label43), "22.25 ns  (6T)");
}

TEST(SdramSummary, TimingsInQuartersOrWholeNanoseconds)
{
    EXPECT_EQ(cap(ddr2, image(7, {{9, 0x50}, {29, 0x48}}), 29, Field::Label43), "18 ns  (4T)");
    EXPECT_EQ(cap(ddr2, image(8, {{9, 0x3D}, {27, 0x4B}}), 27, Field::Label44), "18.75 ns  (5T)");
    EXPECT_EQ(cap(ddr2, image(8, {{9, 0x3D}, {28, 0x1E}}), 28, Field::Label14), "7.5 ns  (2T)");
    EXPECT_EQ(cap(ddr2, image(4, {{9, 0x75}, {29, 20}}), 29, Field::Label43), "20 ns  (3T)");
    EXPECT_EQ(cap(ddr2, image(4, {{9, 0x75}, {29, 0x4B}}), 29, Field::Label43), "75 ns  (10T)");
    EXPECT_EQ(cap(ddr2, image(4, {{9, 0x75}, {30, 45}}), 30, Field::Label45), "45 ns  (6T)");
    EXPECT_EQ(cap(ddr2, image(7, {{9, 0x75}, {30, 45}}), 30, Field::Label45), "45 ns  (6T)");
    EXPECT_EQ(cap(ddr2, image(7, {{9, 0x75}}), 30, Field::Label45), "Undefined");
}

TEST(SdramSummary, CasLatenciesListAscendingWithTheClosingBlank)
{
    EXPECT_EQ(cap(ddr2, image(7, {{18, 0x1C}}), 18, Field::Label42), "2T 2.5T 3T  ");
    EXPECT_EQ(cap(ddr2, image(7, {{18, 0x01}}), 18, Field::Label42), "1  ");
    EXPECT_EQ(cap(ddr2, image(7, {{18, 0xE0}}), 18, Field::Label42), "3.5T  ");
    EXPECT_EQ(cap(ddr2, image(8, {{18, 0x03}}), 18, Field::Label42), "Undefined");
    EXPECT_EQ(cap(ddr2, image(8, {{18, 0xFF}}), 18, Field::Label42), "2T 3T 4T 5T 6T  ");
    EXPECT_EQ(cap(ddr2, image(4, {{18, 0x06}}), 18, Field::Label42), "2T 3T  ");
    EXPECT_EQ(cap(ddr2, image(4), 18, Field::Label42), "Undefined");
    EXPECT_EQ(cap(ddr2, image(6, {{18, 0xFF}}), 18, Field::Label42), "Undefined");
}

TEST(SdramSummary, RanksSizeAndDensity)
{
    EXPECT_EQ(cap(ddr2, image(8, {{5, 0x61}}), 5, Field::Label32), "2 Ranks");
    EXPECT_EQ(cap(ddr2, image(8, {{5, 0x60}}), 5, Field::Label32), "1 Ranks");
    EXPECT_EQ(cap(ddr2, image(7, {{5, 2}}), 5, Field::Label32), "2");
    EXPECT_EQ(cap(ddr2, image(8), 5, Field::Label32), "Undefined");
    EXPECT_EQ(cap(ddr2, image(8, {{5, 0x61}, {31, 0x80}}), 31, Field::Label41), "1 GB (512/512)  ");
    EXPECT_EQ(cap(ddr2, image(7, {{5, 2}, {31, 0x80}}), 31, Field::Label41), "1 GB (512/512)  ");
    EXPECT_EQ(cap(ddr2, image(7, {{5, 1}, {31, 0x80}}), 31, Field::Label41), "512 MB");
    EXPECT_EQ(cap(ddr2, image(7, {{5, 2}, {31, 0x03}}), 31, Field::Label41), "------");
    // The SDRAM density is rewritten by every call, whatever the byte.
    EXPECT_EQ(cap(ddr2, image(8, {{31, 0x40}, {13, 8}}), 10, Field::Label158), "32 Mb");
    EXPECT_EQ(cap(ddr2, image(8, {{31, 0x40}}), 10, Field::Label158), "256 Mb");
    EXPECT_EQ(cap(ddr2, image(8, {{31, 0x03}, {13, 8}}), 10, Field::Label158), "2 Mb");
    EXPECT_EQ(cap(ddr2, image(8, {{31, 0x04}, {13, 32}}), 10, Field::Label158), "0.5 Mb");
    EXPECT_EQ(cap(ddr2, image(8, {{31, 0x04}, {13, 3}}), 10, Field::Label158), "5.33333333333333 Mb");
    EXPECT_EQ(ddr2(image(8), 10).count, 1);
}

TEST(SdramSummary, SmallTables)
{
    EXPECT_EQ(cap(ddr2, image(8, {{3, 0x0D}}), 3, Field::Label30), "13");
    EXPECT_EQ(cap(ddr2, image(8, {{4, 0x10}}), 4, Field::Label31), "Undefined(B1)/");
    EXPECT_EQ(cap(ddr2, image(8, {{13, 0x04}}), 13, Field::Label39), "4 bit");
    EXPECT_EQ(cap(ddr2, image(8, {{13, 0x88}}), 13, Field::Label39), "N/A");
    EXPECT_EQ(cap(ddr2, image(8, {{12, 0x82}}), 12, Field::Label38), "7.8us(self-refresh)");
    EXPECT_EQ(cap(ddr2, image(8, {{12, 0x06}}), 12, Field::Label38), "TBD");
    EXPECT_EQ(cap(ddr2, image(8, {{12, 0x86}}), 12, Field::Label38), "TBD");
    EXPECT_EQ(cap(ddr2, image(8, {{8, 7}}), 8, Field::Label34), "-");
    EXPECT_EQ(cap(ddr2, image(8, {{11, 3}}), 11, Field::Label37), "TBD");
}

TEST(SdramSummary, ManufacturerBlock)
{
    // Bank 3 identifier 2: found by the three-byte key; byte 71 takes no part.
    auto img = image(8, {{64, 0x7F}, {65, 0x7F}, {66, 0x02}, {71, 0x01}});
    Effects fx = ddr2(img, 66);
    EXPECT_EQ(*fx.find(Field::Label6), "7F7F020000000001");
    EXPECT_EQ(*fx.find(Field::Label59), jedec::nameFor(QStringLiteral("7F7F02")).value());
    EXPECT_EQ(fx.label59Visible, 1);
    fx = ddr2(image(8, {{71, 0x01}}), 71);
    EXPECT_EQ(*fx.find(Field::Label59), " ");
    EXPECT_EQ(fx.label59Visible, 0);
    fx = ddr2(image(8, {{64, 0x7F}, {65, 0x7F}, {66, 0x7F}, {67, 0x7F}, {68, 0x7F}, {69, 0x7F}, {70, 0x9D}}), 64);
    EXPECT_EQ(*fx.find(Field::Label59), "(Rambus Inc.)");

    img = image(8, {{63, 0x55}, {95, 0x12}, {96, 0x34}, {97, 0x56}, {98, 0x78}, {99, 0x05}, {100, 0xA0}, {73, 'M'}});
    img[10] = 2;  // bytes 0..62 sum to 10; byte 63 as stored is not shown
    EXPECT_EQ(cap(ddr2, img, 63, Field::Label46), "0A");
    EXPECT_EQ(cap(ddr2, img, 96, Field::Label26), "12345678");
    EXPECT_TRUE(cap(ddr2, img, 127, Field::Label28).startsWith("5A00"));
    EXPECT_EQ(cap(ddr2, img, 127, Field::Label28).size(), 30);  // one digit below 16
    EXPECT_EQ(cap(ddr2, img, 80, Field::Label18), QStringLiteral("M") + QString(17, QChar(0)));
}

// ---------------------------------------------------------------- DDR3

TEST(Ddr3Summary, CapacityDepthAndBanksOnEveryCall)
{
    auto img = image(11, {{4, 0x03}, {7, 0x01}});
    Effects fx = ddr3(img, 30);
    ASSERT_EQ(fx.count, 3);
    EXPECT_EQ(*fx.find(Field::Label121), "256 Mb");
    EXPECT_EQ(*fx.find(Field::Label117), "2 GB   ");
    EXPECT_EQ(*fx.find(Field::Label122), "8 Banks");
    EXPECT_EQ(cap(ddr3, image(11, {{4, 0x03}, {7, 0x09}}), 30, Field::Label117), "4 GB (2/2)     ");
    // Rank code 3 counts as four ranks: 1 Gbit x16 gives 2 GB.
    img = image(11, {{4, 0x02}, {7, 0x1A}});
    EXPECT_EQ(cap(ddr3, img, 7, Field::Label117), "2 GB   ");
    EXPECT_EQ(cap(ddr3, img, 7, Field::Label118), "4 Ranks");
    EXPECT_EQ(cap(ddr3, image(11, {{4, 0x0F}, {7, 0x03}}), 0, Field::Label121), "-----  ");
    EXPECT_EQ(cap(ddr3, image(11, {{4, 0x03}, {7, 0x11}}), 0, Field::Label117), "----   ");  // 6144 MB
    EXPECT_EQ(cap(ddr3, image(11, {{4, 0x40}}), 0, Field::Label122), "Reserved");
}

// Every depth caption that a DDR3 or DDR4 device can reach, up to 4 Gb
// (16 Gbit x4): the density of byte 4 over the width of byte 7 (DDR3) or 12
// (DDR4).
TEST(SummaryRules, DepthCaptionsOfEveryDensityAndWidth)
{
    const std::map<int, const char*> captions = {{16, "16 Mb"},   {32, "32 Mb"},   {64, "64 Mb"},
                                                 {128, "128 Mb"}, {256, "256 Mb"}, {512, "512 Mb"},
                                                 {1024, "1 Gb  "}, {2048, "2 Gb  "}, {4096, "4 Gb  "}};
    for (int code = 0; code <= 6; ++code) {
        for (int w = 0; w < 4; ++w) {
            const int depth = (256 << code) / (4 << w);
            const auto it = captions.find(depth);
            const QString want = QString::fromLatin1(it == captions.end() ? "-----  " : it->second);
            EXPECT_EQ(cap(ddr3, image(11, {{4, code}, {7, w}}), 4, Field::Label121), want) << code << " x" << (4 << w);
            EXPECT_EQ(cap(ddr4, image(12, {{4, code}, {12, w}}), 4, Field::Label121), want) << code << " x" << (4 << w);
        }
    }
    EXPECT_EQ(cap(ddr3, image(11, {{4, 0x06}, {7, 0x00}}), 4, Field::Label121), "4 Gb  ");
    EXPECT_EQ(cap(ddr4, image(12, {{4, 0x06}, {12, 0x00}}), 4, Field::Label121), "4 Gb  ");
}

TEST(Ddr3Summary, TimeBaseSpeedAndTimings)
{
    auto img = image(11, {{10, 1}, {11, 8}, {12, 10}, {16, 105}, {21, 0x11}, {22, 0x18}});
    EXPECT_EQ(cap(ddr3, img, 12, Field::Label119), "1600 MHz(1.25ns)");
    EXPECT_EQ(cap(ddr3, img, 16, Field::Label128), "13.125 ns (11T)");
    EXPECT_EQ(cap(ddr3, img, 21, Field::Label130), "35 ns (28T)");
    EXPECT_EQ(cap(ddr3, img, 22, Field::Label130), "35 ns (28T)");
    // tRAS takes the low half of byte 21; the high half belongs to tRC.
    img[21] = 0x21;
    EXPECT_EQ(cap(ddr3, img, 21, Field::Label130), "35 ns (28T)");
    img[21] = 0xF0;
    EXPECT_EQ(cap(ddr3, img, 22, Field::Label130), "3 ns (3T)");
    img[21] = 0x11;
    img[12] = 9;  // 1125 ps is no grade
    EXPECT_EQ(cap(ddr3, img, 12, Field::Label119), "Reserved");
    img[12] = 0;  // no clock count
    EXPECT_EQ(cap(ddr3, img, 16, Field::Label128), "13.125 ns (T)");
    // Byte 11 of 0 makes byte 10 whole nanoseconds; the remainder is dropped.
    EXPECT_EQ(cap(ddr3, image(11, {{10, 1}, {12, 2}, {18, 3}}), 18, Field::Label129), "3 ns (2T)");
    EXPECT_EQ(cap(ddr3, image(11, {{10, 1}, {11, 15}, {12, 1}, {20, 10}}), 20, Field::Label127), "0.66 ns (10T)");
    // A time base of 0 gives 0 ns and still counts clocks.
    EXPECT_EQ(cap(ddr3, image(11, {{11, 8}, {12, 4}, {16, 9}}), 16, Field::Label128), "0 ns (3T)");
    EXPECT_EQ(cap(ddr3, image(11, {{10, 2}, {11, 255}, {12, 4}}), 12, Field::Label119), "Reserved");
}

TEST(Ddr3Summary, CasListMovesTheLabelFromEightLatencies)
{
    Effects fx = ddr3(image(11, {{14, 0xFE}, {15, 0x01}}), 15);
    EXPECT_EQ(*fx.find(Field::Label126), "5 6 7 8 9 10 11 12 ");
    EXPECT_TRUE(fx.moveLabel126);
    fx = ddr3(image(11, {{14, 0xFE}, {15, 0x80}}), 14);  // bit 7 of byte 15 is ignored
    EXPECT_EQ(*fx.find(Field::Label126), "5 6 7 8 9 10 11 ");
    EXPECT_FALSE(fx.moveLabel126);
    EXPECT_EQ(cap(ddr3, image(11, {{15, 0x40}}), 14, Field::Label126), "18 ");
}

TEST(Ddr3Summary, SmallTablesAndCrcCoverage)
{
    EXPECT_EQ(cap(ddr3, image(11, {{5, 0x04}}), 5, Field::Label124), "Reserved");
    EXPECT_EQ(cap(ddr3, image(11, {{5, 0x04}}), 5, Field::Label123), "12 ");
    EXPECT_EQ(cap(ddr3, image(11, {{5, 0x2A}}), 5, Field::Label123), "Reserved");
    for (int code : {1, 3, 4, 5})
        EXPECT_EQ(cap(ddr3, image(11, {{6, code}}), 6, Field::Label155), "-----           ") << code;
    EXPECT_EQ(cap(ddr3, image(11, {{6, 0x02}}), 6, Field::Label155), "1.35/1.5 V     ");
    EXPECT_EQ(cap(ddr3, image(13), 2, Field::Label120), "-");
    EXPECT_EQ(cap(ddr3, image(10), 2, Field::Label120), "DDR2 FB-DIMM P");
    EXPECT_EQ(cap(ddr3, image(11, {{3, 0x0B}}), 3, Field::Label116), "Reservd");
    EXPECT_EQ(cap(ddr3, image(11, {{8, 0x0B}}), 8, Field::Label133), "72 bit(ECC)");
    Effects fx = ddr3(image(11, {{0, 0x92}}), 0);
    EXPECT_EQ(fx.optcrc1, "CRC (0-116)");
    EXPECT_EQ(*fx.find(Field::Label115), "CRC (0-116)");
    EXPECT_EQ(ddr3(image(11, {{0, 0x12}}), 0).optcrc1, "CRC (0-125)");
}

TEST(Ddr3Summary, DramManufacturerKey)
{
    Effects fx = ddr3(image(11, {{148, 0x02}, {149, 0xFE}}), 149);
    EXPECT_EQ(*fx.find(Field::Label146), "02FE");
    EXPECT_EQ(fx.lookupKey, "7F7FFE");
    EXPECT_EQ(*fx.find(Field::Label148), "(ELPIDA)");
    fx = ddr3(image(11, {{148, 0x80}, {149, 0x4A}}), 148);
    EXPECT_EQ(fx.lookupKey, "4A");
    // A key that names no maker shows no name.
    fx = ddr3(image(11, {{148, 0x00}, {149, 0x03}}), 148);
    EXPECT_TRUE(fx.lookup);
    EXPECT_EQ(*fx.find(Field::Label148), "");
    for (int b : {0x07, 0x87}) {
        fx = ddr3(image(11, {{148, b}, {149, 0x01}}), 149);
        EXPECT_FALSE(fx.lookup);
        EXPECT_EQ(*fx.find(Field::Label148), "");
        EXPECT_EQ(fx.find(Field::Label146)->size(), 4);
    }
}

// ---------------------------------------------------------------- DDR4

TEST(Ddr4Summary, CapacityDepthAndBankGroups)
{
    auto img = image(12, {{4, 0x85}, {12, 0x09}});
    EXPECT_EQ(cap(ddr4, img, 30, Field::Label121), "1 Gb  ");
    EXPECT_EQ(cap(ddr4, img, 30, Field::Label117), "16 GB (8/8)    ");
    EXPECT_EQ(cap(ddr4, img, 30, Field::Label122), "4 Banks 4 Groups");
    img = image(12, {{4, 0x44}, {12, 0x02}});
    EXPECT_EQ(cap(ddr4, img, 30, Field::Label121), "256 Mb");
    EXPECT_EQ(cap(ddr4, img, 30, Field::Label117), "2 GB   ");
    EXPECT_EQ(cap(ddr4, img, 30, Field::Label122), "4 Banks 2 Groups");
    EXPECT_EQ(cap(ddr4, image(12, {{4, 0x05}, {12, 0x11}}), 0, Field::Label117), "----   ");  // 24576 MB
    EXPECT_EQ(cap(ddr4, image(12, {{12, 0x21}}), 12, Field::Label118), "Reserved");
    EXPECT_EQ(cap(ddr4, image(12, {{4, 0x07}}), 0, Field::Label121), "-----  ");  // 32 Gbit x4
    EXPECT_EQ(cap(ddr4, image(12, {{4, 0x0C}}), 0, Field::Label121), "256 Mb");   // counts as 1 Gbit
    EXPECT_EQ(cap(ddr4, image(12, {{4, 0x20}}), 0, Field::Label122), "Reserved");
}

TEST(Ddr4Summary, SpeedGradeByFrequencyBands)
{
    const std::pair<int, int> clocks[] = {{5, 0}, {6, 0xBC}, {10, 0}, {8, 0}, {7, 0xD6}, {0, 0}, {1, 0x83}, {0, 0xFF}, {0, 1}};
    const char* grades[] = {"3200 MHz", "3200 MHz", "1600 MHz", "2133 MHz", "2400 MHz",
                            "2133 MHz", "2133 MHz", "1600 MHz", "--------"};
    for (std::size_t i = 0; i < std::size(clocks); ++i)
        EXPECT_EQ(cap(ddr4, image(12, {{18, clocks[i].first}, {125, clocks[i].second}}), 18, Field::Label119), grades[i]) << i;
}

TEST(Ddr4Summary, TimingsWithSignedFineOffsets)
{
    auto img = image(12, {{18, 7}, {125, 0xD6}, {24, 107}, {123, 0xC9}});
    EXPECT_EQ(cap(ddr4, img, 24, Field::Label128), "13.32 ns (16T)");
    EXPECT_EQ(cap(ddr4, image(12, {{18, 5}, {24, 110}}), 24, Field::Label128), "13.75 ns (22T)");
    EXPECT_EQ(cap(ddr4, image(12, {{18, 5}}), 25, Field::Label129), "0 ns (0T)");
    EXPECT_EQ(cap(ddr4, image(12, {{18, 5}, {121, 0xF6}}), 26, Field::Label127), "-0.01 ns (0T)");
    img = image(12, {{18, 10}, {27, 0xF1}, {28, 0x18}});  // upper bits of 27 belong to tRC
    EXPECT_EQ(cap(ddr4, img, 27, Field::Label130), "35 ns (28T)");
    EXPECT_EQ(ddr4(img, 28).count, 3);  // byte 28 alone has no case
    EXPECT_EQ(cap(ddr4, image(12), 27, Field::Label130), "0 ns (0T)");
}

TEST(Ddr4Summary, CasListAndSmallTables)
{
    Effects fx = ddr4(image(12, {{20, 0x80}, {21, 0x15}, {22, 0xFF}, {23, 0xFF}}), 23);
    EXPECT_EQ(*fx.find(Field::Label126), "14 15 17 19 23 24 ");
    EXPECT_FALSE(fx.moveLabel126);
    EXPECT_TRUE(ddr4(image(12, {{20, 0xFF}, {21, 0x01}}), 20).moveLabel126);
    EXPECT_EQ(cap(ddr4, image(12, {{5, 0x38}}), 5, Field::Label124), "9 ");
    EXPECT_EQ(cap(ddr4, image(12, {{5, 0x38}}), 5, Field::Label123), "Reserved");
    EXPECT_EQ(cap(ddr4, image(12, {{5, 0x30}}), 5, Field::Label123), "18 ");
    EXPECT_EQ(cap(ddr4, image(12, {{11, 0x83}}), 11, Field::Label155), "1.2 V          ");
    EXPECT_EQ(cap(ddr4, image(12, {{11, 0x38}}), 11, Field::Label155), "TBD 2V Endu 1V  ");
    EXPECT_EQ(cap(ddr4, image(12, {{11, 0x01}}), 11, Field::Label155), "-----           ");
    EXPECT_EQ(cap(ddr4, image(12, {{13, 0x0B}}), 13, Field::Label133), "72 bit(ECC) ");
    EXPECT_EQ(cap(ddr4, image(12, {{13, 0x13}}), 13, Field::Label133), "64 bit      ");
    EXPECT_EQ(cap(ddr4, image(12, {{13, 0x04}}), 13, Field::Label133), "-------     ");
    EXPECT_EQ(cap(ddr4, image(12, {{3, 0x0D}}), 3, Field::Label116), "32b-SO-DIMM");
    EXPECT_EQ(cap(ddr4, image(12, {{3, 0x0A}}), 3, Field::Label116), "Reservd");
    fx = ddr4(image(12, {{0, 0x92}}), 0);
    EXPECT_EQ(fx.optcrc1, "CRC");
    EXPECT_EQ(*fx.find(Field::Label115), "CRC (0-125/128-253)");
}

TEST(Ddr4Summary, ManufacturerBlock)
{
    auto img = image(12, {{126, 0x1A}, {127, 0x2B}, {254, 0x03}, {255, 0x4C}, {350, 0x80}, {351, 0x2C}});
    for (int A : {126, 127, 254, 255})
        EXPECT_EQ(cap(ddr4, img, A, Field::Label131), "1A2B / 034C");
    Effects fx = ddr4(img, 351);
    EXPECT_EQ(*fx.find(Field::Label146), "802C");
    EXPECT_EQ(fx.lookupKey, "2C");
    EXPECT_EQ(*fx.find(Field::Label148), "(MICRON TECHNOLOGY)");
    EXPECT_EQ(ddr4(image(12, {{350, 0x84}, {351, 0x43}}), 350).lookupKey, "7F7F7F7F43");
    EXPECT_FALSE(ddr4(image(12, {{350, 0x87}}), 350).lookup);
    img = image(12, {{353, 'A'}, {381, 'Z'}, {323, 0x16}, {324, 0x05}});
    EXPECT_EQ(cap(ddr4, img, 381, Field::Label147), QStringLiteral("A") + QString(27, QChar(0)) + QStringLiteral("Z"));
    EXPECT_EQ(cap(ddr4, img, 323, Field::Label142), "1605");
    EXPECT_EQ(ddr4(img, 349).count, 3);
    EXPECT_EQ(ddr4(img, 352).count, 3);
}

// ---------------------------------------------------------------- whole images

TEST(SummaryRules, ImagesOfZerosDecodeToTheFallbacks)
{
    auto p = decodeAll(ddr2, image(0));
    EXPECT_EQ(p[Field::Label29], "Reserved");
    EXPECT_EQ(p[Field::Label30], "Undefined(B1)/");
    EXPECT_EQ(p[Field::Label35], "Undefined");
    EXPECT_EQ(p[Field::Label38], "15.625us");
    EXPECT_EQ(p[Field::Label41], "------");
    EXPECT_EQ(p[Field::Label158], "16 Mb");
    EXPECT_EQ(p[Field::Label6], "0000000000000000");
    EXPECT_EQ(p[Field::Label59], " ");
    EXPECT_EQ(p[Field::Label28], QString(29, QLatin1Char('0')));
    EXPECT_EQ(p[Field::Label18], QString(18, QChar(0)));
    for (Field f : {Field::Label42, Field::Label44, Field::Label14, Field::Label43, Field::Label45, Field::Label32})
        EXPECT_EQ(p[f], "Undefined");
    EXPECT_EQ(decodeAll(ddr2, image(8))[Field::Label46], "08");

    p = decodeAll(ddr3, image(11));
    EXPECT_EQ(p[Field::Label117], "512 MB  ");
    EXPECT_EQ(p[Field::Label119], "Reserved");
    EXPECT_EQ(p[Field::Label128], "0 ns (T)");
    EXPECT_EQ(p[Field::Label126], "");
    EXPECT_EQ(p[Field::Label148], "");

    p = decodeAll(ddr4, image(12));
    EXPECT_EQ(p[Field::Label119], "2133 MHz");
    EXPECT_EQ(p[Field::Label121], "64 Mb");
    EXPECT_EQ(p[Field::Label117], "512 MB  ");
    EXPECT_EQ(p[Field::Label122], "4 Banks 0 Groups");
    EXPECT_EQ(p[Field::Label116], "Undefined");
    EXPECT_EQ(p[Field::Label133], "8 bit       ");
    EXPECT_EQ(p[Field::Label131], "0000 / 0000");
    EXPECT_EQ(p[Field::Label146], "0000");
    for (Field f : {Field::Label128, Field::Label129, Field::Label127, Field::Label130})
        EXPECT_EQ(p[f], "0 ns (0T)");
}

TEST(SummaryRules, ImagesOfOnesStayInRange)
{
    auto p = decodeAll(ddr2, image(8, {}, 0xFF));
    EXPECT_EQ(p[Field::Label35], "400 MHz(PC2-3200)");
    EXPECT_EQ(p[Field::Label44], "63.75 ns  (4T)");
    EXPECT_EQ(p[Field::Label45], "255 ns  (16T)");
    EXPECT_EQ(p[Field::Label158], "0.125984251968504 Mb");
    EXPECT_EQ(p[Field::Label32], "16 Ranks");
    EXPECT_EQ(p[Field::Label46], "CA");
    EXPECT_EQ(p[Field::Label59], " ");
    EXPECT_EQ(decodeAll(ddr2, image(4, {}, 0xFF))[Field::Label35], "Undefined");
    EXPECT_EQ(decodeAll(ddr2, image(7, {}, 0xFF))[Field::Label42], "1 1.5T 2T 2.5T 3T 3.5T  ");

    p = decodeAll(ddr3, image(11, {}, 0xFF));
    EXPECT_EQ(p[Field::Label117], "256 MB  ");
    EXPECT_EQ(p[Field::Label121], "-----  ");
    EXPECT_EQ(p[Field::Label128], "255 ns (1T)");
    EXPECT_EQ(p[Field::Label130], "4095 ns (17T)");
    EXPECT_EQ(p[Field::Label126], "4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 ");
    EXPECT_EQ(p[Field::Label148], "");
    EXPECT_EQ(decodeAll(ddr3, image(0xFF, {}, 0xFF))[Field::Label120], "-");

    p = decodeAll(ddr4, image(12, {}, 0xFF));
    EXPECT_EQ(p[Field::Label119], "1600 MHz");
    EXPECT_EQ(p[Field::Label117], "1 GB   ");
    EXPECT_EQ(p[Field::Label128], "31.874 ns (1T)");
    EXPECT_EQ(p[Field::Label130], "511.875 ns (17T)");
    EXPECT_EQ(p[Field::Label131], "FFFF / FFFF");
    EXPECT_EQ(p[Field::Label148], "");
}

TEST(SummaryRules, LastRowsOfTheirTables)
{
    // DDR2-667 from a clock of exactly 3 ns; a 2.66 ns clock: 8 ns is just
    // over three clocks.
    EXPECT_EQ(cap(ddr2, image(8, {{9, 0x30}}), 9, Field::Label35), "667 MHz(PC2-5300)");
    EXPECT_EQ(cap(ddr2, image(8, {{9, 0x2C}, {27, 0x20}}), 27, Field::Label44), "8 ns  (4T)");

    // DDR3 16 Gbit x8, one rank; six continuation codes.
    auto img = image(11, {{4, 0x06}, {7, 0x01}, {148, 0x86}, {149, 0x01}});
    EXPECT_EQ(cap(ddr3, img, 30, Field::Label121), "2 Gb  ");
    EXPECT_EQ(cap(ddr3, img, 30, Field::Label117), "16 GB   ");
    const Effects fx = ddr3(img, 148);
    EXPECT_EQ(*fx.find(Field::Label146), "8601");
    EXPECT_TRUE(fx.lookup);
    EXPECT_EQ(fx.lookupKey, "7F7F7F7F7F7F01");

    // DDR4: a fine offset of 0x80 is -128 ps; tCK 1000 ps.
    EXPECT_EQ(cap(ddr4, image(12, {{18, 0x08}, {24, 0x02}, {123, 0x80}}), 24, Field::Label128), "0.122 ns (1T)");
}

TEST(SummaryRules, NumbersUseTheLocaleDecimalSeparator)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(cap(ddr3, image(11, {{10, 1}, {11, 8}, {12, 10}, {16, 105}}), 16, Field::Label128), "13,125 ns (11T)");
    EXPECT_EQ(cap(ddr2, image(8, {{31, 0x04}, {13, 32}}), 10, Field::Label158), "0,5 Mb");
    EXPECT_EQ(cap(ddr4, image(12, {{18, 5}, {121, 0xF6}}), 26, Field::Label127), "-0,01 ns (0T)");
    EXPECT_EQ(decode::textOfThousandths(1234000), "1234");  // no group separator
    QLocale::setDefault(before);
}

TEST(SummaryRules, CharactersOfTheWesternCodePage)
{
    EXPECT_EQ(decode::ansiChar(0x41), QChar(u'A'));
    EXPECT_EQ(decode::ansiChar(0x80), QChar(u'\u20AC'));
    EXPECT_EQ(decode::ansiChar(0x85), QChar(u'\u2026'));
    EXPECT_EQ(decode::ansiChar(0x81), QChar(u'\u0081'));
    EXPECT_EQ(decode::ansiChar(0xE8), QChar(u'\u00E8'));
}
