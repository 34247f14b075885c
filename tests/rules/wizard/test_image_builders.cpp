#include "rules/spd/SpdRules.h"
#include "rules/wizard/ImageBuilders.h"

#include <gtest/gtest.h>
#include <map>

using wizard::AnswerRecord;
using wizard::Texts;

namespace {

// The wizard's record after "Finish" with every page left at its defaults.
//                               type speed ecc row col rank cl trp trcd tras width size - dens banks refresh
const AnswerRecord kSdram = {1, 3, 1, 12, 10, 1, 2, 3, 3, 7, 1, 1, 0, 32, 4, 156};
const AnswerRecord kDdr = {2, 7, 1, 13, 10, 1, 3, 3, 3, 7, 1, 2, 0, 64, 4, 78};
const AnswerRecord kDdr2 = {3, 11, 1, 14, 10, 1, 3, 5, 5, 15, 1, 4, 0, 1, 8, 78};
const AnswerRecord kDdr3 = {4, 15, 1, 14, 10, 1, 5, 9, 9, 24, 1, 4, 0, 64, 8, 78};
const AnswerRecord kDdr4 = {5, 18, 1, 0, 0, 1, 15, 15, 15, 35, 1, 1, 0, 0, 4, 78};

Texts texts(const QString& id = QString(), const QString& part = QString()) { return {id, part, QString()}; }

// Every byte 0..511 is the listed value, or 00.
void expectImage(const velmora::SpdImage& img, const std::map<int, int>& nonZero)
{
    for (int i = 0; i < 512; ++i) {
        const auto it = nonZero.find(i);
        EXPECT_EQ(img[static_cast<std::size_t>(i)], it == nonZero.end() ? 0 : it->second) << "byte " << i;
    }
}

std::pair<int, int> crc126(const velmora::SpdImage& img)
{
    const std::uint16_t c = spd::cal_crc126(img, spd::crcLastIndex(img));
    return {c & 0xFF, c >> 8};
}

} // namespace

TEST(WizardImages, DefaultSdramDdrDdr2ByteForByte)
{
    const auto sdram = wizard::buildImage(kSdram, texts());
    expectImage(sdram.image, {{0, 0x80}, {1, 0x08}, {2, 0x04}, {3, 0x0C}, {4, 0x0A}, {5, 0x01}, {6, 0x40}, {8, 0x01},
                              {9, 0x75}, {10, 0x54}, {12, 0x80}, {13, 0x08}, {16, 0x0C}, {17, 0x04}, {18, 0x04},
                              {20, 0x01}, {23, 0xA0}, {24, 0x60}, {27, 0x16}, {28, 0x0F}, {29, 0x16}, {30, 0x34},
                              {31, 0x20}, {32, 0x15}, {33, 0x08}, {34, 0x15}, {35, 0x08}, {41, 0x42}, {62, 0x20},
                              {63, 0x75}});
    EXPECT_EQ(sdram.typeCode, 2);
    EXPECT_EQ(sdram.greenLast, 63);
    EXPECT_TRUE(sdram.checksum63);
    EXPECT_FALSE(sdram.selectCrc);

    expectImage(wizard::buildImage(kDdr, texts()).image,
                {{0, 0x80}, {1, 0x08}, {2, 0x07}, {3, 0x0D}, {4, 0x0A}, {5, 0x01}, {6, 0x40}, {8, 0x04}, {9, 0x60},
                 {10, 0x70}, {12, 0x82}, {13, 0x08}, {15, 0x01}, {16, 0x0C}, {17, 0x04}, {18, 0x08}, {20, 0x01},
                 {23, 0x75}, {24, 0x70}, {27, 0x48}, {28, 0x30}, {29, 0x48}, {30, 0x2A}, {31, 0x40}, {32, 0x80},
                 {33, 0x80}, {34, 0x45}, {35, 0x45}, {41, 0x3C}, {42, 0x78}, {43, 0x30}, {44, 0x2D}, {45, 0x55},
                 {47, 0x01}, {62, 0x12}, {63, 0x71}});

    expectImage(wizard::buildImage(kDdr2, texts()).image,
                {{0, 0x80}, {1, 0x08}, {2, 0x08}, {3, 0x0E}, {4, 0x0A}, {5, 0x60}, {6, 0x40}, {8, 0x05}, {9, 0x30},
                 {10, 0x45}, {12, 0x82}, {13, 0x08}, {16, 0x0C}, {17, 0x08}, {18, 0x20}, {20, 0x02}, {22, 0x03},
                 {23, 0x3D}, {24, 0x45}, {25, 0x50}, {26, 0x45}, {27, 0x3C}, {28, 0x18}, {29, 0x3C}, {30, 0x2D},
                 {31, 0x01}, {32, 0x20}, {33, 0x27}, {34, 0x05}, {35, 0x17}, {36, 0x3C}, {37, 0x1E}, {38, 0x1E},
                 {41, 0x3C}, {42, 0x69}, {43, 0x80}, {44, 0x18}, {45, 0x24}, {62, 0x12}, {63, 0xA8}});
}

TEST(WizardImages, DefaultDdr3AndDdr4ByteForByteWithTheirCrcs)
{
    const auto ddr3 = wizard::buildImage(kDdr3, texts());
    expectImage(ddr3.image, {{0, 0x92}, {2, 0x0B}, {3, 0x02}, {4, 0x02}, {5, 0x11}, {7, 0x01}, {8, 0x03}, {9, 0x52},
                             {10, 0x01}, {11, 0x08}, {12, 0x0C}, {14, 0x20}, {16, 0x60}, {17, 0x78}, {18, 0x6C},
                             {19, 0x30}, {20, 0x6C}, {21, 0x11}, {22, 0x20}, {23, 0x80}, {24, 0xD0}, {25, 0x02},
                             {26, 0x3C}, {27, 0x3C}, {29, 0xF0}, {30, 0x03}, {31, 0x0D}, {60, 0x10}, {61, 0x11},
                             {117, 0x80}, {148, 0x80}});
    EXPECT_EQ(crc126(ddr3.image), std::make_pair(0xD6, 0xA0));
    EXPECT_EQ(ddr3.typeCode, 4);
    EXPECT_EQ(ddr3.greenLast, 127);
    EXPECT_TRUE(ddr3.selectCrc);

    const auto ddr4 = wizard::buildImage(kDdr4, texts());
    std::map<int, int> want = {
        {0, 0x23},   {1, 0x10},   {2, 0x0C},   {3, 0x02},   {4, 0x84},   {5, 0x19},   {7, 0x08},   {11, 0x03},
        {12, 0x01},  {13, 0x03},  {18, 0x08},  {19, 0x0C},  {20, 0xF8},  {21, 0x3F},  {24, 0x70},  {25, 0x70},
        {26, 0x70},  {27, 0x11},  {28, 0x06},  {29, 0x72},  {30, 0x20},  {31, 0x08},  {33, 0x05},  {34, 0x70},
        {35, 0x03},  {37, 0xA8},  {38, 0x1E},  {39, 0x2B},  {40, 0x2B},  {117, 0xEC}, {118, 0xB4}, {119, 0xCE},
        {120, 0x88}, {125, 0xC1}, {128, 0x11}, {129, 0x11}, {130, 0x01}, {131, 0x01}, {350, 0x80}};
    for (int i = 60; i <= 67; ++i)
        want[i] = i % 2 == 0 ? 0x16 : 0x36;
    for (int i = 70; i <= 77; ++i)
        want[i] = i % 2 == 0 ? 0x2B : 0x0C;
    expectImage(ddr4.image, want);
    EXPECT_EQ(crc126(ddr4.image), std::make_pair(0xD9, 0xA4));
    const std::uint16_t second = spd::cal_crc254(ddr4.image);
    EXPECT_EQ(second & 0xFF, 0xDE);
    EXPECT_EQ(second >> 8, 0x27);
    EXPECT_EQ(ddr4.typeCode, 5);
    EXPECT_EQ(ddr4.lastByte, 511);
}

TEST(WizardImages, Ddr3At1600WithIdentifierAndPartNumber)
{
    // x8 "256 Mb": 15 rows, 10 columns, 8 banks.
    const AnswerRecord a = {4, 16, 1, 15, 10, 1, 5, 9, 9, 24, 1, 5, 0, 128, 8, 78};
    const auto img = wizard::ddr3_set(a, texts(QStringLiteral("7F7F9E"), QStringLiteral("ABC"))).image;
    const std::map<int, int> want = {{4, 0x03},  {5, 0x19},  {7, 0x01},  {8, 0x03},  {12, 0x0A}, {14, 0x20},
                                     {15, 0x00}, {16, 0x50}, {18, 0x5A}, {19, 0x28}, {20, 0x5A}, {21, 0x10},
                                     {22, 0xF0}, {23, 0x5A}, {28, 0x01}, {29, 0xC8}, {117, 0x02}, {118, 0x9E},
                                     {148, 0x02}, {149, 0x9E}, {128, 0x41}, {129, 0x42}, {130, 0x43}, {131, 0x00}};
    for (const auto& [i, v] : want)
        EXPECT_EQ(img[static_cast<std::size_t>(i)], v) << "byte " << i;
}

TEST(WizardImages, Ddr4TimingsIdentifierAndPartNumber)
{
    AnswerRecord a = kDdr4;
    a[1] = 17;  // DDR4-1866
    a[6] = 13;
    a[9] = 30;
    a[7] = 15;  // tRP
    a[8] = 12;  // tRCD
    auto img = wizard::ddr4_set(a, texts(QStringLiteral("7F7F9E"), QStringLiteral("ABC"))).image;
    EXPECT_EQ(img[24], 0x6E);
    // tRCD into byte 25, tRP into byte 26: 12 x 10.71 / 1.25 - 1 = 101.816,
    // 15 x 10.71 / 1.25 - 1 = 127.52.
    EXPECT_EQ(img[25], 0x66);
    EXPECT_EQ(img[26], 0x80);
    EXPECT_EQ(img[27], 0x11);  // r = 257
    EXPECT_EQ(img[28], 0x00);
    EXPECT_EQ(img[350], 0x02);
    EXPECT_EQ(img[351], 0x9E);
    EXPECT_EQ(img[329], 0x41);
    EXPECT_EQ(img[331], 0x43);
    EXPECT_EQ(img[332], 0x00);

    a[1] = 20;  // DDR4-2666
    a[6] = 19;
    a[9] = 32;
    img = wizard::ddr4_set(a, texts()).image;
    EXPECT_EQ(img[24], 0x71);
    EXPECT_EQ(img[27], 0x10);  // r = 192
    EXPECT_EQ(img[28], 0xBF);
    // 128 clocks at DDR4-2666 make r = 768, a multiple of 256: one unit
    // short is 767, carried into the upper nibble.
    a[9] = 128;
    img = wizard::ddr4_set(a, texts()).image;
    EXPECT_EQ(img[27], 0x12);
    EXPECT_EQ(img[28], 0xFF);
}

TEST(WizardImages, EveryOfferedClockCountIsEncoded)
{
    AnswerRecord a = kDdr2;
    a[1] = 9;  // DDR2-400, 5 ns
    a[7] = 6;
    a[8] = 6;
    auto img = wizard::ddr2_set(a, texts()).image;
    EXPECT_EQ(img[27], 0x78);
    EXPECT_EQ(img[29], 0x78);
    a[1] = 12;  // DDR2-800, 2.5 ns
    img = wizard::ddr2_set(a, texts()).image;
    EXPECT_EQ(img[27], 0x3C);
    EXPECT_EQ(img[29], 0x3C);

    AnswerRecord b = kDdr3;
    b[1] = 16;  // DDR3-1600, 10 units a clock
    b[7] = 12;
    b[8] = 11;
    b[9] = 28;
    img = wizard::ddr3_set(b, texts()).image;
    EXPECT_EQ(img[20], 0x78);
    EXPECT_EQ(img[18], 0x6E);
    EXPECT_EQ(img[21], 0x11);
    EXPECT_EQ(img[22], 0x18);
    // DDR3-800, 20 units a clock: 12 clocks fit, 13 and 15 do not.
    b[1] = 13;
    b[7] = 13;
    b[8] = 12;
    b[9] = 32;
    img = wizard::ddr3_set(b, texts()).image;
    EXPECT_EQ(img[20], 0xFF);
    EXPECT_EQ(img[18], 0xF0);
    EXPECT_EQ(img[21], 0x12);  // 640 units
    EXPECT_EQ(img[22], 0x80);
}

TEST(WizardImages, Ddr4X16WithTheSmallestDeviceIsFourGigabit)
{
    AnswerRecord a = kDdr4;
    a[10] = 2;
    a[11] = 0;
    const auto img = wizard::ddr4_set(a, texts()).image;
    EXPECT_EQ(img[4], 0x44);
    EXPECT_EQ(img[5], 0x11);
    // 4 Gbit refresh times, 2 KB page rows.
    EXPECT_EQ(img[30], 0x20);
    EXPECT_EQ(img[31], 0x08);
    EXPECT_EQ(img[37], 0xF0);
    EXPECT_EQ(img[39], 0x34);
}

TEST(WizardImages, IdentifierText)
{
    auto ddr3Id = [](const char* text) {
        const auto img = wizard::ddr3_set(kDdr3, texts(QString::fromUtf8(text))).image;
        return std::make_pair(int{img[117]}, int{img[118]});
    };
    EXPECT_EQ(ddr3Id("2C"), std::make_pair(0x80, 0x2C));
    EXPECT_EQ(ddr3Id("7F7F7F0B"), std::make_pair(0x83, 0x0B));
    EXPECT_EQ(ddr3Id("7F7F7F7F7F7F7F1A"), std::make_pair(0x07, 0x1A));
    EXPECT_EQ(ddr3Id("7f7f9e"), std::make_pair(0x02, 0x9E));
    EXPECT_EQ(ddr3Id("7F9"), std::make_pair(0x01, 0x90));
    EXPECT_EQ(ddr3Id("G5"), std::make_pair(0x80, 0x05));
    const auto ddr4 = wizard::ddr4_set(kDdr4, texts(QStringLiteral("7f7F7f0b"))).image;
    EXPECT_EQ(ddr4[350], 0x83);
    EXPECT_EQ(ddr4[351], 0x0B);

    auto ddr2Id = [](const char* text) {
        const auto img = wizard::ddr2_set(kDdr2, texts(QString::fromUtf8(text))).image;
        return std::array<int, 8>{img[64], img[65], img[66], img[67], img[68], img[69], img[70], img[71]};
    };
    EXPECT_EQ(ddr2Id("7f4f"), (std::array<int, 8>{0x7F, 0x4F}));
    EXPECT_EQ(ddr2Id("7F7F9"), (std::array<int, 8>{0x7F, 0x7F, 0x90}));
    EXPECT_EQ(ddr2Id("5G"), (std::array<int, 8>{0x50}));
    EXPECT_EQ(ddr2Id("7F7F7F7F7F7F9E"), (std::array<int, 8>{0x7F, 0x7F, 0x7F, 0x7F}));
}

TEST(WizardImages, TypedTextsStayInsideTheirFields)
{
    const QString longId = QStringLiteral("7F").repeated(20) + QStringLiteral("9E");
    const QString longPart = QStringLiteral("Ä中😀B") + QStringLiteral("X").repeated(40);
    for (const AnswerRecord& a : {kSdram, kDdr2, kDdr3, kDdr4}) {
        const auto plain = wizard::buildImage(a, texts()).image;
        const auto typed = wizard::buildImage(a, texts(longId, longPart)).image;
        const int type = a[0];
        const int idFirst = type <= 3 ? 64 : type == 4 ? 117 : 350;
        const int idLast = type <= 3 ? 67 : type == 4 ? 118 : 351;
        const int partFirst = type <= 3 ? 73 : type == 4 ? 128 : 329;
        const int partLast = type <= 3 ? 90 : type == 4 ? 145 : 348;
        for (int i = 0; i < 512; ++i) {
            const bool inField = (i >= idFirst && i <= idLast) || (i >= partFirst && i <= partLast) ||
                                 (type == 4 && (i == 148 || i == 149));
            if (!inField) {
                EXPECT_EQ(typed[static_cast<std::size_t>(i)], plain[static_cast<std::size_t>(i)]) << type << " byte " << i;
            }
        }
        // Latin-1 keeps its code, anything else is "?", one for each character.
        EXPECT_EQ(typed[static_cast<std::size_t>(partFirst)], 0xC4);
        EXPECT_EQ(typed[static_cast<std::size_t>(partFirst + 1)], '?');
        EXPECT_EQ(typed[static_cast<std::size_t>(partFirst + 2)], '?');
        EXPECT_EQ(typed[static_cast<std::size_t>(partFirst + 3)], 'B');
        EXPECT_EQ(typed[static_cast<std::size_t>(partLast)], 'X');
    }
    // Twenty continuation codes: the count's own odd-parity code.
    EXPECT_EQ(wizard::ddr3_set(kDdr3, texts(longId)).image[117], 0x94);
}

TEST(WizardImages, FallbackClocksLastListItemsAndAContinuationOnlyIdentifier)
{
    // DDR2 tRP and tRCD of a count without a row of their own (7 clocks):
    // byte 27 takes the 3-clock value at 400 MHz and the 4-clock value
    // above, byte 29 the 4-clock value at every grade.
    const int trp[4] = {0x3C, 0x3C, 0x30, 0x28};
    const int trcd[4] = {0x50, 0x3C, 0x30, 0x28};
    for (int code = 9; code <= 12; ++code) {
        AnswerRecord a = kDdr2;
        a[1] = static_cast<std::int16_t>(code);
        a[7] = 7;
        a[8] = 7;
        const auto img = wizard::ddr2_set(a, texts()).image;
        EXPECT_EQ(img[27], trp[code - 9]) << code;
        EXPECT_EQ(img[29], trcd[code - 9]) << code;
    }
    AnswerRecord a = kDdr2;
    a[6] = 6;  // "4T 5T", the last DDR2 item
    EXPECT_EQ(wizard::ddr2_set(a, texts()).image[18], 0x30);

    // DDR3: x8 "512 Mb" is the 4 Gbit device; the last tCL item, and the
    // first one in byte 15; "7F7F" is one continuation code and code 7F.
    AnswerRecord b = kDdr3;
    b[10] = 1;
    b[11] = 6;
    EXPECT_EQ(wizard::ddr3_set(b, texts()).image[4], 0x04);
    for (auto [cl, b14, b15] : {std::tuple{17, 0x78, 0x00}, std::tuple{8, 0x00, 0x01}}) {
        b = kDdr3;
        b[6] = static_cast<std::int16_t>(cl);
        const auto img = wizard::ddr3_set(b, texts()).image;
        EXPECT_EQ((std::pair<int, int>{img[14], img[15]}), (std::pair{b14, b15})) << cl;
    }
    const auto img = wizard::ddr3_set(kDdr3, texts(QStringLiteral("7F7F"))).image;
    EXPECT_EQ((std::array<int, 4>{img[117], img[118], img[148], img[149]}), (std::array{0x01, 0x7F, 0x01, 0x7F}));
}
