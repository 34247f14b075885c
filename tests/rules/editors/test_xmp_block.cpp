#include "rules/editors/XmpBlock.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <map>

using velmora::SpdImage;

namespace {

// An image whose every byte is non-zero and different from its neighbours,
// so that a byte written by mistake shows.
SpdImage patterned()
{
    SpdImage img{};
    for (int i = 0; i < 512; ++i)
        img[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0x11 + i * 7);
    return img;
}

// Every byte of after equals before, except those in expected, which must
// hold the values given; bytes in keep must be unchanged too.
void expectBytes(const SpdImage& before, const SpdImage& after, const std::map<int, int>& expected)
{
    for (int i = 0; i < 512; ++i) {
        auto it = expected.find(i);
        const int want = it != expected.end() ? it->second : before[static_cast<std::size_t>(i)];
        EXPECT_EQ(after[static_cast<std::size_t>(i)], want) << "byte " << i;
    }
}

std::map<int, int> shifted(const std::map<int, int>& m, int by)
{
    std::map<int, int> out;
    for (const auto& [k, v] : m)
        out[k + by] = v;
    return out;
}

std::map<int, int> merged(std::map<int, int> a, const std::map<int, int>& b)
{
    for (const auto& [k, v] : b)
        a[k] = v;
    return a;
}

void zeros(std::map<int, int>& m, int first, int last)
{
    for (int i = first; i <= last; ++i)
        m[i] = 0;
}

// ---------------------------------------------------------------- DDR4

xmp::ddr4::Choice ddr4Choice(int grade, std::initializer_list<int> clocks)
{
    xmp::ddr4::Choice c;
    c.grade = grade;
    c.volts = 1;
    c.hundredths = 20;
    const int* n = clocks.begin();
    c.clocks = {n[0], n[1], n[2], n[3], n[4]};
    for (int k = 3; k <= 9; ++k) // CL 10 to 16
        c.cas[static_cast<std::size_t>(k)] = true;
    return c;
}

SpdImage ddr4Jedec()
{
    SpdImage img = patterned();
    const int bytes[][2] = {{30, 0x18}, {31, 0x0F}, {32, 0x30}, {33, 0x0A}, {34, 0x90}, {35, 0x06}, {36, 0x00},
                            {37, 0xA8}, {38, 0x28}, {39, 0x30}, {118, 0xF2}, {119, 0x9C}};
    for (const auto& b : bytes)
        img[static_cast<std::size_t>(b[0])] = static_cast<std::uint8_t>(b[1]);
    return img;
}

// Profile 1 of DDR4-2400, 16-16-16-37-54, 1.20 V, CL 10-16.
const std::map<int, int> kDdr4Profile1 = {
    {393, 0x94}, {394, 0x00}, {395, 0x00}, {396, 0x07}, {397, 0xF8}, {398, 0x03}, {399, 0x00}, {400, 0x00},
    {401, 0x6A}, {402, 0x6A}, {403, 0x6A}, {404, 0x10}, {405, 0xF5}, {406, 0x66},
    // refresh recovery, tFAW and tRRD from the JEDEC bytes (+3 MTB for tRRD at 2400)
    {407, 0x18}, {408, 0x0F}, {409, 0x30}, {410, 0x0A}, {411, 0x90}, {412, 0x06}, {413, 0x00}, {414, 0xA8},
    {415, 0x2B}, {416, 0x33}, {425, 0xF2}, {426, 0x9C},
    // fine offsets
    {427, 0x00}, {428, 0x00}, {429, 0x00}, {430, 0x00}, {431, 0xD6}};

TEST(XmpBlockDdr4, WorkedExampleEachProfileWritesOnlyItsOwnBytes)
{
    const SpdImage before = ddr4Jedec();
    SpdImage img = before;
    ASSERT_TRUE(xmp::ddr4::writeProfile(img, 1, ddr4Choice(1, {16, 16, 16, 37, 54})).ok());
    expectBytes(before, img, kDdr4Profile1);

    img = before;
    ASSERT_TRUE(xmp::ddr4::writeProfile(img, 2, ddr4Choice(1, {16, 16, 16, 37, 54})).ok());
    expectBytes(before, img, shifted(kDdr4Profile1, 47));
}

TEST(XmpBlockDdr4, SetupAllWritesHeaderAndTwoIdenticalProfiles)
{
    const SpdImage before = ddr4Jedec();
    SpdImage img = before;
    ASSERT_TRUE(xmp::ddr4::setup(img, xmp::kAllProfiles, ddr4Choice(1, {16, 16, 16, 37, 54})).ok());
    std::map<int, int> want = merged(kDdr4Profile1, shifted(kDdr4Profile1, 47));
    want[384] = 0x0C;
    want[385] = 0x4A;
    want[386] = 0x0F;
    want[387] = 0x20;
    zeros(want, 388, 392);
    expectBytes(before, img, want);
}

TEST(XmpBlockDdr4, ReferenceClockPeriodsAndRounding)
{
    struct Case {
        int grade, clocks, mtb;
    } cases[] = {
        {5, 22, 0x6D},  // 22 x 620 ps = 13640 ps: 109 MTB
        {11, 19, 0x4B}, // 19 x 495 ps: 75 MTB
        {1, 1, 7},      // 828 ps: 7 MTB
        {6, 53, 0xFE},  // DDR4-3333 multiplies by 598 ps, not 595 (which would give 252)
        {0, 34, 0xFE},  // the largest count at DDR4-2133
    };
    for (const Case& k : cases) {
        SpdImage img{};
        ASSERT_TRUE(xmp::ddr4::writeProfile(img, 1, ddr4Choice(k.grade, {k.clocks, 1, 1, 1, 1})).ok());
        EXPECT_EQ(img[401], k.mtb) << xmp::ddr4::grade(k.grade).name << " " << k.clocks << "T";
    }

    // tRAS 52T and tRC 63T at DDR4-3200: 258 and 312 MTB share byte 404.
    SpdImage img = patterned();
    ASSERT_TRUE(xmp::ddr4::writeProfile(img, 2, ddr4Choice(5, {18, 18, 18, 52, 63})).ok());
    EXPECT_EQ(img[451], 0x11);
    EXPECT_EQ(img[452], 0x02);
    EXPECT_EQ(img[453], 0x38);
    EXPECT_EQ(img[443], 0x05);
    EXPECT_EQ(img[478], 0x00);

    EXPECT_EQ(xmp::ddr4::mostClocks(0), 34);
    EXPECT_EQ(xmp::ddr4::mostClocks(3), 45);
    EXPECT_EQ(xmp::ddr4::mostClocks(6), 53);
    EXPECT_EQ(xmp::ddr4::mostClocks(11), 63);
}

TEST(XmpBlockDdr4, VoltageCasAndTfawIncrements)
{
    SpdImage img{};
    img[37] = 0xA8; // 21 ns
    xmp::ddr4::Choice c = ddr4Choice(5, {18, 18, 18, 39, 62});
    c.hundredths = 35;
    c.cas = {};
    ASSERT_TRUE(xmp::ddr4::writeProfile(img, 1, c).ok());
    EXPECT_EQ(img[393], 0xA3);
    EXPECT_EQ(img[414], 0xE0);
    for (int i : {397, 398, 399, 400})
        EXPECT_EQ(img[static_cast<std::size_t>(i)], 0) << i;

    c.volts = 0;
    c.hundredths = 99;
    c.cas[16] = c.cas[17] = true; // CL 23, 24
    c.grade = 2;
    ASSERT_TRUE(xmp::ddr4::writeProfile(img, 1, c).ok());
    EXPECT_EQ(img[393], 0x63);
    EXPECT_EQ(img[399], 0x03);
    EXPECT_EQ(img[414], 0xC8);
    c.grade = 0;
    ASSERT_TRUE(xmp::ddr4::writeProfile(img, 1, c).ok());
    EXPECT_EQ(img[414], 0xA8);
}

TEST(XmpBlockDdr4, SetupRefusedWritesNothing)
{
    struct Case {
        const char* what;
        xmp::ddr4::Choice c;
        int profile;
        int jedecTfaw;
        xmp::Problem problem;
        xmp::Field field;
    };
    auto choice = [](auto change) {
        xmp::ddr4::Choice c = ddr4Choice(0, {15, 15, 15, 36, 51});
        change(c);
        return c;
    };
    const Case cases[] = {
        {"no profile", choice([](auto&) {}), -1, 0xA8, xmp::Problem::NotChosen, xmp::Field::XmpProfile},
        {"no grade", choice([](auto& c) { c.grade = -1; }), 0, 0xA8, xmp::Problem::NotChosen, xmp::Field::ModuleSpeed},
        {"no whole volts", choice([](auto& c) { c.volts = -1; }), 1, 0xA8, xmp::Problem::NotChosen, xmp::Field::VddVoltage},
        {"no hundredths", choice([](auto& c) { c.hundredths = -1; }), 2, 0xA8, xmp::Problem::NotChosen, xmp::Field::VddVoltage},
        {"no tRC", choice([](auto& c) { c.clocks.trc = 0; }), 0, 0xA8, xmp::Problem::NotChosen, xmp::Field::tRC},
        {"35T at 2133", choice([](auto& c) { c.clocks.trp = 35; }), 0, 0xA8, xmp::Problem::ClocksTooLarge, xmp::Field::tRP},
        {"tFAW 200 + 56", choice([](auto& c) { c.grade = 5; }), 2, 200, xmp::Problem::JedecOutOfRange, xmp::Field::tFAW},
    };
    for (const Case& k : cases) {
        SpdImage img = patterned();
        img[37] = static_cast<std::uint8_t>(k.jedecTfaw);
        const SpdImage before = img;
        const xmp::Result r = xmp::ddr4::setup(img, k.profile, k.c);
        EXPECT_EQ(r.problem, k.problem) << k.what;
        EXPECT_EQ(r.field, k.field) << k.what;
        EXPECT_EQ(img, before) << k.what;
    }
    // The message names the count and the largest that fits.
    SpdImage img{};
    xmp::ddr4::Choice c = ddr4Choice(0, {35, 15, 15, 36, 51});
    const xmp::Result r = xmp::ddr4::setup(img, 1, c);
    EXPECT_EQ(r.clocks, 35);
    EXPECT_EQ(r.mostClocks, 34);
    // 199 + 56 still fits.
    img[37] = 199;
    c = ddr4Choice(5, {18, 18, 18, 39, 62});
    ASSERT_TRUE(xmp::ddr4::setup(img, 1, c).ok());
    EXPECT_EQ(img[414], 255);
}

TEST(XmpBlockDdr4, EnableBitsAndClearRules)
{
    const xmp::ddr4::Choice c = ddr4Choice(5, {18, 18, 18, 39, 62});
    SpdImage img = patterned();
    img[386] = 0x31;
    ASSERT_TRUE(xmp::ddr4::setup(img, 2, c).ok());
    EXPECT_EQ(img[386], 0x3B); // bits 1 and 3 set, the others kept
    ASSERT_TRUE(xmp::ddr4::setup(img, 1, c).ok());
    EXPECT_EQ(img[386], 0x3F);

    // Clearing profile 2 of a full block keeps the header and profile 1.
    SpdImage before = img;
    before[386] = 0x0F;
    img = before;
    ASSERT_TRUE(xmp::ddr4::clear(img, 2).ok());
    std::map<int, int> want{{386, 0x05}};
    zeros(want, 440, 486);
    expectBytes(before, img, want);

    // Clearing the last profile removes the header, not the reserved bytes;
    // the enable byte keeps its meaningless bits.
    before = patterned();
    before[386] = 0xF5;
    img = before;
    ASSERT_TRUE(xmp::ddr4::clear(img, 1).ok());
    want = {{386, 0xF0}, {384, 0}, {385, 0}, {387, 0}};
    zeros(want, 393, 439);
    expectBytes(before, img, want);

    before = patterned();
    img = before;
    ASSERT_TRUE(xmp::ddr4::clear(img, xmp::kAllProfiles).ok());
    want.clear();
    zeros(want, 384, 486);
    expectBytes(before, img, want);

    img = before;
    EXPECT_EQ(xmp::ddr4::clear(img, -1).field, xmp::Field::XmpProfile);
    EXPECT_EQ(img, before);
}

TEST(XmpBlockDdr4, ReaderGivesBackTheRawFields)
{
    SpdImage img{};
    ASSERT_TRUE(xmp::ddr4::writeProfile(img, 2, ddr4Choice(8, {19, 19, 19, 40, 62})).ok());
    img[384] = 0x0C;
    img[385] = 0x4A;
    img[386] = 0x02;
    EXPECT_TRUE(xmp::ddr4::hasIdBytes(img));
    EXPECT_FALSE(xmp::ddr4::profileEnabled(img, 1));
    EXPECT_TRUE(xmp::ddr4::profileEnabled(img, 2));
    const xmp::ddr4::Profile p = xmp::ddr4::readProfile(img, 2);
    EXPECT_EQ(p.vdd, 0x94);
    EXPECT_EQ(p.tck, 4);
    EXPECT_EQ(p.tckFine, 55); // 555 ps
    EXPECT_EQ(p.taa, (19 * 550 + 62) / 125);
    EXPECT_EQ(p.tras, 176); // 40 x 550 / 125
    EXPECT_EQ(p.trc, 273);  // 62 x 550 / 125 = 272.8
    EXPECT_EQ(p.cas[0], 0xF8);
    EXPECT_EQ(xmp::fineOffset(0xC2), -62);
}

TEST(XmpBlockDdr4, LoaderSnapsGradesAndCountsWholeClocks)
{
    struct Case {
        int b18, b125;
        std::optional<int> grade;
    } cases[] = {{7, 0xD6, 1}, {5, 0x00, 5}, {8, 0xC2, 0}, {5, 0x29, std::nullopt}, {5, 0xE7, std::nullopt}};
    for (const Case& k : cases) {
        SpdImage img{};
        img[18] = static_cast<std::uint8_t>(k.b18);
        img[125] = static_cast<std::uint8_t>(k.b125);
        EXPECT_EQ(xmp::ddr4::load(img).grade, k.grade) << k.b18 << "/" << k.b125;
    }

    SpdImage img{};
    img[18] = 7;
    img[125] = 0xD6;    // 833 ps
    img[24] = 0x6E;     // 13750 ps: 16.5 clocks
    img[25] = 0x6A;     // 13250 + 78 = 13328 ps: exactly 16 clocks
    img[122] = 78;
    img[26] = 0x6A;     // 13250 - 1 ps: just under 16 clocks
    img[121] = 0xFF;
    img[27] = 0x01;     // tRAS 256 MTB = 32000 ps: 38.4 clocks
    img[29] = 0x00;     // tRC: 0 clocks: no item
    img[20] = 0xF8;
    img[22] = 0x02;
    const xmp::ddr4::Loaded l = xmp::ddr4::load(img);
    EXPECT_EQ(l.clocks[0], 16);
    EXPECT_EQ(l.clocks[1], 16);
    EXPECT_EQ(l.clocks[2], 15);
    EXPECT_EQ(l.clocks[3], 38);
    EXPECT_EQ(l.clocks[4], 0);
    EXPECT_TRUE(l.cas[3] && l.cas[7] && l.cas[17]);
    EXPECT_FALSE(l.cas[2] || l.cas[16]);

    // Byte 18 = 0 is taken as 1 in the buffer; a clock period that is not
    // positive leaves the grade and the clock lists alone.
    img = {};
    img[125] = 0x80;
    img[20] = 0x01;
    const xmp::ddr4::Loaded z = xmp::ddr4::load(img);
    EXPECT_EQ(img[18], 1);
    EXPECT_FALSE(z.grade);
    EXPECT_FALSE(z.clocks[0]);
    EXPECT_TRUE(z.cas[0]);
}

// ---------------------------------------------------------------- DDR3

xmp::ddr3::Choice ddr3Choice(int grade, std::initializer_list<int> clocks, int firstCl, int lastCl)
{
    xmp::ddr3::Choice c;
    c.grade = grade;
    c.volts = 1;
    c.steps = 10; // 1.50 V
    const int* n = clocks.begin();
    c.clocks = {n[0], n[1], n[2], n[3], n[4]};
    for (int cl = firstCl; cl <= lastCl; ++cl)
        c.cas[static_cast<std::size_t>(cl - 4)] = true;
    return c;
}

SpdImage ddr3Jedec()
{
    SpdImage img = patterned();
    const int bytes[][2] = {{10, 0x01}, {11, 0x08}, {19, 0x30}, {24, 0x70}, {25, 0x03}, {28, 0x00}, {29, 0xF0}};
    for (const auto& b : bytes)
        img[static_cast<std::size_t>(b[0])] = static_cast<std::uint8_t>(b[1]);
    return img;
}

// Profile 1 of DDR3-1600, 9-9-9-24-33, 1.50 V, CL 6-11 (byte 189 0 before).
std::map<int, int> ddr3Profile1At1600()
{
    std::map<int, int> m = {{180, 0x01}, {181, 0x08}, {185, 0x2A}, {186, 0x0A}, {187, 0x59}, {188, 0xFC},
                            {189, 0x00}, {191, 0x59}, {192, 0x59}, {193, 0x78}, {194, 0x10}, {195, 0xEE},
                            {196, 0x47}, {197, 0x3F}, {198, 0x00}, {199, 0x70}, {200, 0x03}, {201, 0x3C},
                            {202, 0x30}, {203, 0x00}, {204, 0xF0}, {205, 0x3C}};
    zeros(m, 206, 219);
    return m;
}

TEST(XmpBlockDdr3, WorkedExamplesEachProfileWritesOnlyItsOwnBytes)
{
    SpdImage before = ddr3Jedec();
    before[189] = 0x00;
    before[224] = 0x00;
    SpdImage img = before;
    ASSERT_TRUE(xmp::ddr3::writeProfile(img, 1, ddr3Choice(1, {9, 9, 9, 24, 33}, 6, 11)).ok());
    expectBytes(before, img, ddr3Profile1At1600()); // 190 (tCWL) kept

    img = before;
    ASSERT_TRUE(xmp::ddr3::writeProfile(img, 2, ddr3Choice(1, {9, 9, 9, 24, 33}, 6, 11)).ok());
    std::map<int, int> p2 = shifted(ddr3Profile1At1600(), 35);
    p2.erase(215);
    p2.erase(216);
    p2[182] = 0x01;
    p2[183] = 0x08;
    expectBytes(before, img, p2);

    // DDR3-2133, 11-11-11-29-36, CL 7-11.
    img = before;
    ASSERT_TRUE(xmp::ddr3::writeProfile(img, 1, ddr3Choice(3, {11, 11, 11, 29, 36}, 7, 11)).ok());
    std::map<int, int> want = {{180, 0x01}, {181, 0x10}, {185, 0x2A}, {186, 0x0F}, {187, 0xA4}, {188, 0xF8},
                               {189, 0x00}, {191, 0xA4}, {192, 0xA4}, {193, 0xF0}, {194, 0x21}, {195, 0xB2},
                               {196, 0x1A}, {197, 0x7C}, {198, 0x00}, {199, 0xEE}, {200, 0x06}, {201, 0x78},
                               {202, 0x60}, {203, 0x01}, {204, 0xA3}, {205, 0x78}};
    zeros(want, 206, 219);
    expectBytes(before, img, want);
}

TEST(XmpBlockDdr3, Profile2OverOldBytesKeepsTheSharedBits)
{
    SpdImage before = ddr3Jedec();
    before[224] = 0xFF; // bit 7 of the high CAS byte carries nothing and stays
    before[229] = 0xEE; // the shared tRAS/tRC nibbles are rebuilt whole
    SpdImage img = before;
    ASSERT_TRUE(xmp::ddr3::writeProfile(img, 2, ddr3Choice(1, {9, 9, 9, 24, 33}, 6, 11)).ok());
    EXPECT_EQ(img[224], 0x80);
    EXPECT_EQ(img[229], 0x10);
    EXPECT_EQ(img[225], before[225]);
    for (int i = 176; i <= 219; ++i)
        if (i != 182 && i != 183)
            EXPECT_EQ(img[static_cast<std::size_t>(i)], before[static_cast<std::size_t>(i)]) << i;
}

TEST(XmpBlockDdr3, ExactHalvesGoToTheEvenCount)
{
    SpdImage img = ddr3Jedec();
    ASSERT_TRUE(xmp::ddr3::writeProfile(img, 1, ddr3Choice(3, {11, 11, 11, 93, 31}, 7, 11)).ok());
    // tRAS 93 x 927 / 62 = 1390.5 -> 1390; tRC 31 x 927 / 62 = 463.5 -> 464.
    EXPECT_EQ(img[194], 0x15);
    EXPECT_EQ(img[195], 0x6E);
    EXPECT_EQ(img[196], 0xD0);
    EXPECT_EQ(xmp::roundHalfEven(5, 2), 2);
    EXPECT_EQ(xmp::roundHalfEven(7, 2), 4);
    EXPECT_EQ(xmp::ddr3::timebasePs(3), 62);
    EXPECT_EQ(xmp::ddr3::mostClocks(1), 25);
    EXPECT_EQ(xmp::ddr3::mostClocks(3), 17);
    EXPECT_EQ(xmp::ddr3::mostClocks(7), 51);
}

TEST(XmpBlockDdr3, SetupRefusedWritesNothing)
{
    auto choice = [](auto change) {
        xmp::ddr3::Choice c = ddr3Choice(1, {9, 9, 9, 24, 33}, 6, 11);
        change(c);
        return c;
    };
    struct Case {
        const char* what;
        xmp::ddr3::Choice c;
        int b29;
        xmp::Problem problem;
        xmp::Field field;
    } cases[] = {
        {"no grade", choice([](auto& c) { c.grade = -1; }), 0xF0, xmp::Problem::NotChosen, xmp::Field::ModuleSpeed},
        {"no steps", choice([](auto& c) { c.volts = 0; c.steps = -1; }), 0xF0, xmp::Problem::NotChosen, xmp::Field::VddVoltage},
        {"no tAA", choice([](auto& c) { c.clocks.taa = 0; }), 0xF0, xmp::Problem::NotChosen, xmp::Field::tAA},
        {"26T at 1600", choice([](auto& c) { c.clocks.trcd = 26; }), 0xF0, xmp::Problem::ClocksTooLarge, xmp::Field::tRCD},
        // 1.0 ns less the 4 ns reduction of DDR3-2133
        {"tFAW below 0", choice([](auto& c) { c.grade = 3; c.clocks = {11, 11, 11, 29, 36}; }), 8,
         xmp::Problem::JedecOutOfRange, xmp::Field::tFAW},
    };
    for (const Case& k : cases) {
        SpdImage img = ddr3Jedec();
        img[29] = static_cast<std::uint8_t>(k.b29);
        const SpdImage before = img;
        const xmp::Result r = xmp::ddr3::setup(img, xmp::kAllProfiles, k.c);
        EXPECT_EQ(r.problem, k.problem) << k.what;
        EXPECT_EQ(r.field, k.field) << k.what;
        EXPECT_EQ(img, before) << k.what;
    }
}

TEST(XmpBlockDdr3, EnableBitsAndClearRules)
{
    const xmp::ddr3::Choice c = ddr3Choice(1, {9, 9, 9, 24, 33}, 6, 11);
    SpdImage before = ddr3Jedec();
    before[178] = 0x01;
    SpdImage img = before;
    ASSERT_TRUE(xmp::ddr3::setup(img, xmp::kProfile2, c).ok());
    EXPECT_EQ(img[178], 0x03);
    EXPECT_EQ(img[184], 0x00);
    EXPECT_EQ(img[179], 0x13);
    for (int i : {180, 181, 185, 200, 219})
        EXPECT_EQ(img[static_cast<std::size_t>(i)], before[static_cast<std::size_t>(i)]) << i;

    img[178] = 0xFC;
    ASSERT_TRUE(xmp::ddr3::setup(img, xmp::kAllProfiles, c).ok());
    EXPECT_EQ(img[178], 0x03);

    // Both profiles, clear 2: the header stays, byte 254 goes with profile 2.
    before = patterned();
    before[178] = 0x03;
    img = before;
    ASSERT_TRUE(xmp::ddr3::clear(img, 2).ok());
    std::map<int, int> want{{178, 0x01}, {182, 0}, {183, 0}};
    zeros(want, 220, 254);
    expectBytes(before, img, want);

    // The last profile takes the header with it; 184 stays.
    before[178] = 0x01;
    img = before;
    ASSERT_TRUE(xmp::ddr3::clear(img, 1).ok());
    want = {{178, 0x00}, {176, 0}, {177, 0}, {179, 0}, {180, 0}, {181, 0}};
    zeros(want, 185, 219);
    expectBytes(before, img, want);

    img = before;
    ASSERT_TRUE(xmp::ddr3::clear(img, xmp::kAllProfiles).ok());
    want.clear();
    zeros(want, 176, 254);
    expectBytes(before, img, want);
}

TEST(XmpBlockDdr3, LoaderSnapsGradesAndCountsWholeClocks)
{
    struct Case {
        int b10, b11, b12;
        std::optional<int> grade;
    } cases[] = {{1, 8, 10, 1}, {1, 8, 9, std::nullopt}, {1, 14, 15, 2}, {1, 12, 10, 4}, {1, 8, 12, 0}};
    for (const Case& k : cases) {
        SpdImage img{};
        img[10] = static_cast<std::uint8_t>(k.b10);
        img[11] = static_cast<std::uint8_t>(k.b11);
        img[12] = static_cast<std::uint8_t>(k.b12);
        EXPECT_EQ(xmp::ddr3::load(img).grade, k.grade) << k.b11 << "/" << k.b12;
    }

    // Counts that are exact multiples of tCK give whole clock counts: with a
    // 1/12 ns timebase a floating-point quotient falls just under them.
    SpdImage img{};
    img[10] = 1;
    img[11] = 12;
    img[12] = 12;
    img[14] = 0xFC;
    img[16] = 132;  // 11 clocks
    img[18] = 108;  // 9 clocks
    img[20] = 143;  // 11.9 clocks
    img[21] = 0x20;
    img[22] = 216;  // tRAS 18 clocks
    img[23] = 0x00; // tRC 512 / 12 = 42.7
    xmp::ddr3::Loaded l = xmp::ddr3::load(img);
    EXPECT_EQ(l.clocks[0], 11);
    EXPECT_EQ(l.clocks[1], 9);
    EXPECT_EQ(l.clocks[2], 11);
    EXPECT_EQ(l.clocks[3], 18);
    EXPECT_EQ(l.clocks[4], 42);
    for (int k = 0; k < 15; ++k)
        EXPECT_EQ(l.cas[static_cast<std::size_t>(k)], k >= 2 && k <= 7) << k;

    // Zero guard on 10, 11, 12; 0 clocks leaves no item, more than the list
    // holds leaves the list alone.
    img = {};
    img[16] = 200;
    l = xmp::ddr3::load(img);
    EXPECT_EQ(img[10], 1);
    EXPECT_EQ(img[11], 1);
    EXPECT_EQ(img[12], 1);
    EXPECT_FALSE(l.clocks[0]);
    EXPECT_EQ(l.clocks[1], 0);
}

} // namespace
