#include "rules/editors/XmpBlock.h"

#include <gtest/gtest.h>
#include <map>

using velmora::SpdImage;
using Bytes = std::map<int, int>;

namespace {

// Every byte non-zero and unlike its neighbours, so a stray write shows.
SpdImage patterned(const Bytes& set = {})
{
    SpdImage img{};
    for (int i = 0; i < 512; ++i)
        img[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0x11 + i * 7);
    for (const auto& [i, v] : set)
        img[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v);
    return img;
}

// after equals before except for the bytes listed, which hold their values.
void expectBytes(const SpdImage& before, const SpdImage& after, const Bytes& changed)
{
    for (int i = 0; i < 512; ++i) {
        auto it = changed.find(i);
        EXPECT_EQ(after[static_cast<std::size_t>(i)], it != changed.end() ? it->second : before[static_cast<std::size_t>(i)])
            << "byte " << i;
    }
}

Bytes shifted(const Bytes& m, int by)
{
    Bytes out;
    for (const auto& [k, v] : m)
        out[k + by] = v;
    return out;
}

Bytes withZeros(Bytes m, int first, int last)
{
    for (int i = first; i <= last; ++i)
        m[i] = 0;
    return m;
}

xmp::ddr4::Choice ddr4(int grade, xmp::Clocks clocks, int hundredths = 20)
{
    xmp::ddr4::Choice c;
    c.grade = grade;
    c.volts = 1;
    c.hundredths = hundredths;
    c.clocks = clocks;
    for (int k = 3; k <= 9; ++k) // CL 10 to 16
        c.cas[static_cast<std::size_t>(k)] = true;
    return c;
}

const Bytes kDdr4Jedec = {{30, 0x18}, {31, 0x0F}, {32, 0x30}, {33, 0x0A}, {34, 0x90}, {35, 0x06},
                          {36, 0x00}, {37, 0xA8}, {38, 0x28}, {39, 0x30}, {118, 0xF2}, {119, 0x9C}};

// Profile 1 at DDR4-2400, 16-16-16-37-54, 1.20 V, CL 10-16, over kDdr4Jedec.
const Bytes kDdr4Profile1 = {
    {393, 0x94}, {394, 0}, {395, 0}, {396, 0x07}, {397, 0xF8}, {398, 0x03}, {399, 0}, {400, 0},
    {401, 0x6A}, {402, 0x6A}, {403, 0x6A}, {404, 0x10}, {405, 0xF5}, {406, 0x66},
    {407, 0x18}, {408, 0x0F}, {409, 0x30}, {410, 0x0A}, {411, 0x90}, {412, 0x06}, // tRFC1/2/4 copied
    {413, 0x00}, {414, 0xA8}, {415, 0x2B}, {416, 0x33}, {425, 0xF2}, {426, 0x9C}, // tFAW, tRRD +3 MTB
    {427, 0}, {428, 0}, {429, 0}, {430, 0}, {431, 0xD6}};

TEST(XmpBlockDdr4, WorkedExampleInEitherProfileAndSetupOfBoth)
{
    const SpdImage before = patterned(kDdr4Jedec);
    const auto c = ddr4(1, {16, 16, 16, 37, 54});
    SpdImage img = before;
    ASSERT_TRUE(xmp::ddr4::writeProfile(img, 1, c).ok());
    expectBytes(before, img, kDdr4Profile1);
    img = before;
    ASSERT_TRUE(xmp::ddr4::writeProfile(img, 2, c).ok());
    expectBytes(before, img, shifted(kDdr4Profile1, 47));
    const xmp::ddr4::Profile p = xmp::ddr4::readProfile(img, 2);
    EXPECT_EQ(p.tckFine, -42);
    EXPECT_EQ(p.tras, 245);
    EXPECT_EQ(p.trc, 358);

    img = before;
    ASSERT_TRUE(xmp::ddr4::setup(img, xmp::kAllProfiles, c).ok());
    Bytes both = shifted(kDdr4Profile1, 47);
    both.insert(kDdr4Profile1.begin(), kDdr4Profile1.end());
    both.insert({{384, 0x0C}, {385, 0x4A}, {386, 0x0F}, {387, 0x20}});
    expectBytes(before, img, withZeros(both, 388, 392));
}

TEST(XmpBlockDdr4, ReferenceClockPeriodsVoltageAndIncrements)
{
    const struct {
        int grade, clocks, mtb;
    } cases[] = {
        {5, 22, 0x6D},  // 22 x 620 ps: 109 MTB
        {11, 19, 0x4B}, // 19 x 495 ps: 75 MTB
        {1, 1, 7},
        {6, 53, 0xFE},  // DDR4-3333 counts 598 ps (595 would give 252)
        {0, 34, 0xFE},  // the largest count at DDR4-2133
    };
    for (const auto& k : cases) {
        SpdImage img{};
        ASSERT_TRUE(xmp::ddr4::writeProfile(img, 1, ddr4(k.grade, {k.clocks, 1, 1, 1, 1})).ok());
        EXPECT_EQ(img[401], k.mtb) << xmp::ddr4::grade(k.grade).name << " " << k.clocks << "T";
    }
    EXPECT_EQ(xmp::ddr4::mostClocks(3), 45);
    EXPECT_EQ(xmp::ddr4::mostClocks(11), 63);

    // tRAS 52T and tRC 63T at DDR4-3200 (258 and 312 MTB) share byte 451;
    // the tFAW and tRRD increments go with the grade.
    SpdImage img = patterned({{37, 0xA8}});
    xmp::ddr4::Choice c = ddr4(5, {18, 18, 18, 52, 63}, 35);
    c.cas = {};
    ASSERT_TRUE(xmp::ddr4::writeProfile(img, 2, c).ok());
    EXPECT_EQ(img[451], 0x11);
    EXPECT_EQ(img[452], 0x02);
    EXPECT_EQ(img[453], 0x38);
    EXPECT_EQ(img[440], 0xA3);
    EXPECT_EQ(img[444] | img[445] | img[446] | img[447], 0);
    EXPECT_EQ(img[461], 0xE0);
    c.grade = 2;
    c.volts = 0;
    c.hundredths = 99;
    c.cas[16] = c.cas[17] = true;
    ASSERT_TRUE(xmp::ddr4::writeProfile(img, 2, c).ok());
    EXPECT_EQ(img[461], 0xC8);
    EXPECT_EQ(img[440], 0x63);
    EXPECT_EQ(img[446], 0x03);
}

// tFAW is 12 bits in the JEDEC bytes 36 (bits 3-0) and 37 and in the
// profile's +20 (bits 3-0) and +21: a grade's increment that overflows the
// low byte carries into the nibble, and bits 7-4 of byte 36 go along.
TEST(XmpBlockDdr4, TfawIncrementCarriesIntoTheUpperNibble)
{
    const struct {
        int grade, b36, b37, p20, p21;
    } cases[] = {
        // 0x0F0 (30 ns) + 32, 48 or 56 MTB: 0x110, 0x120, 0x128.
        {2, 0x00, 0xF0, 0x01, 0x10}, {3, 0x00, 0xF0, 0x01, 0x10}, {4, 0x00, 0xF0, 0x01, 0x20},
        {5, 0x00, 0xF0, 0x01, 0x28}, {6, 0x00, 0xF0, 0x01, 0x28}, {7, 0x00, 0xF0, 0x01, 0x28},
        {8, 0x00, 0xF0, 0x01, 0x28}, {9, 0x00, 0xF0, 0x01, 0x28}, {10, 0x00, 0xF0, 0x01, 0x28},
        {11, 0x00, 0xF0, 0x01, 0x28},
        // With an upper nibble: 0x1E0 + 32 = 0x200, 0x1E0 + 48 = 0x210,
        // 0x1E0 + 56 = 0x218.
        {2, 0x01, 0xE0, 0x02, 0x00}, {3, 0x01, 0xE0, 0x02, 0x00}, {4, 0x01, 0xE0, 0x02, 0x10},
        {5, 0x01, 0xE0, 0x02, 0x18}, {6, 0x01, 0xE0, 0x02, 0x18}, {7, 0x01, 0xE0, 0x02, 0x18},
        {8, 0x01, 0xE0, 0x02, 0x18}, {9, 0x01, 0xE0, 0x02, 0x18}, {10, 0x01, 0xE0, 0x02, 0x18},
        {11, 0x01, 0xE0, 0x02, 0x18},
        // Bits 7-4 of byte 36 stay; 0xEC8 + 56 = 0xF00, the top nibble;
        // 0xFC7 + 56 = 0xFFF, the longest time that 12 bits hold.
        {5, 0x3E, 0xC8, 0x3F, 0x00}, {5, 0x0F, 0xC7, 0x0F, 0xFF},
        // No increment, no carry: the bytes as the module has them.
        {0, 0x00, 0xFF, 0x00, 0xFF}, {1, 0x01, 0xFF, 0x01, 0xFF},
    };
    for (const auto& k : cases) {
        const SpdImage before = patterned({{36, k.b36}, {37, k.b37}});
        SpdImage img = before;
        ASSERT_TRUE(xmp::ddr4::writeProfile(img, 2, ddr4(k.grade, {15, 15, 15, 36, 51})).ok())
            << xmp::ddr4::grade(k.grade).name;
        EXPECT_EQ(img[460], k.p20) << xmp::ddr4::grade(k.grade).name << " " << k.b36 << "/" << k.b37;
        EXPECT_EQ(img[461], k.p21) << xmp::ddr4::grade(k.grade).name << " " << k.b36 << "/" << k.b37;
        EXPECT_EQ(img[36], before[36]);
        EXPECT_EQ(img[37], before[37]);
    }
    // The profile holds the real time: 30 ns + 7 ns at DDR4-3200.
    SpdImage img = patterned({{36, 0x00}, {37, 0xF0}});
    ASSERT_TRUE(xmp::ddr4::setup(img, xmp::kAllProfiles, ddr4(5, {18, 18, 18, 39, 62})).ok());
    EXPECT_EQ(xmp::ddr4::readProfile(img, 1).tfaw, 296);
    EXPECT_EQ(xmp::ddr4::readProfile(img, 2).tfaw, 296);
}

TEST(XmpBlockDdr4, RefusedSetupWritesNothingAndNamesTheField)
{
    using xmp::Field;
    using xmp::Problem;
    const Bytes tfaw21ns = {{36, 0x00}, {37, 0xA8}};
    const struct {
        int profile, grade, volts, taa, trc;
        Bytes jedec;
        Problem problem;
        Field field;
    } cases[] = {
        {-1, 0, 1, 15, 51, tfaw21ns, Problem::NotChosen, Field::XmpProfile},
        {0, -1, 1, 15, 51, tfaw21ns, Problem::NotChosen, Field::ModuleSpeed},
        {1, 0, -1, 15, 51, tfaw21ns, Problem::NotChosen, Field::VddVoltage},
        {2, 0, 1, 15, 0, tfaw21ns, Problem::NotChosen, Field::tRC},
        {0, 0, 1, 35, 51, tfaw21ns, Problem::ClocksTooLarge, Field::tAA}, // 261 MTB
        // 0xFC8 + 56 = 0x1000 needs a 13th bit.
        {0, 5, 1, 15, 51, {{36, 0x0F}, {37, 0xC8}}, Problem::JedecOutOfRange, Field::tFAW},
        {1, 11, 1, 15, 51, {{36, 0xFF}, {37, 0xFF}}, Problem::JedecOutOfRange, Field::tFAW},
        // The tRRD bytes have no nibble to carry into: 246 + 10 and 253 + 3.
        {0, 5, 1, 15, 51, {{38, 246}}, Problem::JedecOutOfRange, Field::tRRD_S},
        {2, 1, 1, 15, 51, {{38, 0x00}, {39, 253}}, Problem::JedecOutOfRange, Field::tRRD_L},
    };
    for (const auto& k : cases) {
        SpdImage img = patterned(k.jedec);
        const SpdImage before = img;
        xmp::ddr4::Choice c = ddr4(k.grade, {k.taa, 15, 15, 36, k.trc});
        c.volts = k.volts;
        const xmp::Result r = xmp::ddr4::setup(img, k.profile, c);
        EXPECT_EQ(r.problem, k.problem) << static_cast<int>(k.field);
        EXPECT_EQ(r.field, k.field);
        EXPECT_EQ(img, before);
        if (k.problem == Problem::ClocksTooLarge) {
            EXPECT_EQ(r.mostClocks, 34);
        }
    }
}

TEST(XmpBlockDdr4, EnableBitsTravelInPairsAndTheHeaderGoesWithTheLastProfile)
{
    SpdImage img = patterned({{386, 0x31}});
    ASSERT_TRUE(xmp::ddr4::setup(img, 2, ddr4(5, {18, 18, 18, 39, 62})).ok());
    EXPECT_EQ(img[386], 0x3B);

    SpdImage before = patterned({{386, 0x0F}});
    img = before;
    ASSERT_TRUE(xmp::ddr4::clear(img, 2).ok());
    expectBytes(before, img, withZeros({{386, 0x05}}, 440, 486));

    before = patterned({{386, 0xF5}});
    img = before;
    ASSERT_TRUE(xmp::ddr4::clear(img, 1).ok()); // reserved 388-392 stay
    expectBytes(before, img, withZeros({{386, 0xF0}, {384, 0}, {385, 0}, {387, 0}}, 393, 439));

    img = before;
    ASSERT_TRUE(xmp::ddr4::clear(img, xmp::kAllProfiles).ok());
    expectBytes(before, img, withZeros({}, 384, 486));
}

TEST(XmpBlockDdr4, LoaderSnapsTheGradeAndCountsWholeClocks)
{
    const struct {
        int b18, b125;
        std::optional<int> grade;
    } cases[] = {{7, 0xD6, 1}, {5, 0x00, 5}, {8, 0xC2, 0}, {5, 0x29, std::nullopt}, {5, 0xE7, std::nullopt}};
    for (const auto& k : cases) {
        SpdImage img = patterned({{18, k.b18}, {125, k.b125}});
        EXPECT_EQ(xmp::ddr4::load(img).grade, k.grade) << k.b18 << "/" << k.b125;
    }

    // At 833 ps: 13750 ps is 16.5 clocks, 13328 ps exactly 16, 13249 ps
    // just under; tRAS 32000 ps is 38.4; a tRC of 0 chooses no item.
    SpdImage img{};
    const Bytes jedec = {{18, 7}, {125, 0xD6}, {24, 0x6E}, {25, 0x6A}, {122, 78}, {26, 0x6A}, {121, 0xFF},
                         {27, 0x01}, {20, 0xF8}, {22, 0x02}};
    for (const auto& [i, v] : jedec)
        img[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v);
    const xmp::ddr4::Loaded l = xmp::ddr4::load(img);
    EXPECT_EQ(l.clocks, (xmp::LoadedClocks{16, 16, 15, 38, 0}));
    EXPECT_TRUE(l.cas[3] && l.cas[7] && l.cas[17]);
    EXPECT_FALSE(l.cas[2] || l.cas[16]);

    // Byte 18 = 0 is read as 1; a clock period that is not positive leaves
    // the grade and the clock lists as they are.
    img = {};
    img[125] = 0x80;
    const xmp::ddr4::Loaded z = xmp::ddr4::load(img);
    EXPECT_EQ(img[18], 1);
    EXPECT_FALSE(z.grade);
    EXPECT_FALSE(z.clocks[0]);
}

// ---------------------------------------------------------------- DDR3

xmp::ddr3::Choice ddr3(int grade, xmp::Clocks clocks, int firstCl, int lastCl)
{
    xmp::ddr3::Choice c;
    c.grade = grade;
    c.volts = 1;
    c.steps = 10; // 1.50 V
    c.clocks = clocks;
    for (int cl = firstCl; cl <= lastCl; ++cl)
        c.cas[static_cast<std::size_t>(cl - 4)] = true;
    return c;
}

const Bytes kDdr3Jedec = {{10, 0x01}, {11, 0x08}, {19, 0x30}, {24, 0x70}, {25, 0x03}, {28, 0x00}, {29, 0xF0},
                          {189, 0x00}, {224, 0x00}};

// Profile 1 at DDR3-1600, 9-9-9-24-33, 1.50 V, CL 6-11; 190 (tCWL) kept.
const Bytes kDdr3At1600 = withZeros({{180, 0x01}, {181, 0x08}, {185, 0x2A}, {186, 0x0A}, {187, 0x59}, {188, 0xFC},
                                     {189, 0x00}, {191, 0x59}, {192, 0x59}, {193, 0x78}, {194, 0x10}, {195, 0xEE},
                                     {196, 0x47}, {197, 0x3F}, {198, 0x00}, {199, 0x70}, {200, 0x03}, {201, 0x3C},
                                     {202, 0x30}, {203, 0x00}, {204, 0xF0}, {205, 0x3C}},
                                    206, 219);

TEST(XmpBlockDdr3, WorkedExamplesInEitherProfile)
{
    const SpdImage before = patterned(kDdr3Jedec);
    SpdImage img = before;
    ASSERT_TRUE(xmp::ddr3::writeProfile(img, 1, ddr3(1, {9, 9, 9, 24, 33}, 6, 11)).ok());
    expectBytes(before, img, kDdr3At1600);
    const xmp::ddr3::Profile p = xmp::ddr3::readProfile(img, 1);
    EXPECT_EQ(p.divisor, 8);
    EXPECT_EQ(p.trc, 327);
    EXPECT_EQ(p.trfc, 880);
    EXPECT_EQ(p.tfaw, 240);

    img = before;
    ASSERT_TRUE(xmp::ddr3::writeProfile(img, 2, ddr3(1, {9, 9, 9, 24, 33}, 6, 11)).ok());
    Bytes p2;
    for (const auto& [i, v] : kDdr3At1600)
        p2[i < 185 ? i + 2 : i + 35] = v; // the pair moves by 2, the record by 35
    expectBytes(before, img, p2);

    img = before;
    ASSERT_TRUE(xmp::ddr3::writeProfile(img, 1, ddr3(3, {11, 11, 11, 29, 36}, 7, 11)).ok());
    expectBytes(before, img,
                withZeros({{180, 0x01}, {181, 0x10}, {185, 0x2A}, {186, 0x0F}, {187, 0xA4}, {188, 0xF8}, {189, 0x00},
                           {191, 0xA4}, {192, 0xA4}, {193, 0xF0}, {194, 0x21}, {195, 0xB2}, {196, 0x1A}, {197, 0x7C},
                           {198, 0x00}, {199, 0xEE}, {200, 0x06}, {201, 0x78}, {202, 0x60}, {203, 0x01}, {204, 0xA3},
                           {205, 0x78}},
                          206, 219));
}

TEST(XmpBlockDdr3, Profile2OverOldBytesAndExactHalves)
{
    // Bit 7 of the high CAS byte stays; the shared nibble byte is rebuilt.
    SpdImage img = patterned(kDdr3Jedec);
    img[224] = 0xFF;
    ASSERT_TRUE(xmp::ddr3::writeProfile(img, 2, ddr3(1, {9, 9, 9, 24, 33}, 6, 11)).ok());
    EXPECT_EQ(img[224], 0x80);
    EXPECT_EQ(img[229], 0x10);

    // DDR3-2133: tRAS 93T is 1390.5 units -> 1390, tRC 31T 463.5 -> 464.
    img = patterned(kDdr3Jedec);
    ASSERT_TRUE(xmp::ddr3::writeProfile(img, 1, ddr3(3, {11, 11, 11, 93, 31}, 7, 11)).ok());
    EXPECT_EQ(img[194], 0x15);
    EXPECT_EQ(img[195], 0x6E);
    EXPECT_EQ(img[196], 0xD0);
    EXPECT_EQ(xmp::ddr3::mostClocks(1), 25);
    EXPECT_EQ(xmp::ddr3::mostClocks(3), 17);
}

TEST(XmpBlockDdr3, RefusedSetupWritesNothing)
{
    const struct {
        int grade, steps, trcd, tfawLow;
        xmp::Problem problem;
        xmp::Field field;
    } cases[] = {
        {-1, 10, 9, 0xF0, xmp::Problem::NotChosen, xmp::Field::ModuleSpeed},
        {1, -1, 9, 0xF0, xmp::Problem::NotChosen, xmp::Field::VddVoltage},
        {1, 10, 26, 0xF0, xmp::Problem::ClocksTooLarge, xmp::Field::tRCD}, // 258 units
        {3, 10, 9, 8, xmp::Problem::JedecOutOfRange, xmp::Field::tFAW},    // 1 ns less 4 ns
    };
    for (const auto& k : cases) {
        SpdImage img = patterned(kDdr3Jedec);
        img[29] = static_cast<std::uint8_t>(k.tfawLow);
        const SpdImage before = img;
        xmp::ddr3::Choice c = ddr3(k.grade, {9, k.trcd, 9, 24, 33}, 6, 11);
        c.steps = k.steps;
        const xmp::Result r = xmp::ddr3::setup(img, xmp::kAllProfiles, c);
        EXPECT_EQ(r.problem, k.problem);
        EXPECT_EQ(r.field, k.field);
        EXPECT_EQ(img, before);
    }
}

TEST(XmpBlockDdr3, EnableBitsAndClearRules)
{
    SpdImage img = patterned(kDdr3Jedec);
    img[178] = 0x01;
    ASSERT_TRUE(xmp::ddr3::setup(img, xmp::kProfile2, ddr3(1, {9, 9, 9, 24, 33}, 6, 11)).ok());
    EXPECT_EQ(img[178], 0x03);
    img[178] = 0xFC;
    ASSERT_TRUE(xmp::ddr3::setup(img, xmp::kAllProfiles, ddr3(1, {9, 9, 9, 24, 33}, 6, 11)).ok());
    EXPECT_EQ(img[178], 0x03);
    EXPECT_EQ(img[184], 0x00);

    // Clearing profile 2 keeps the header; byte 254 goes with profile 2.
    SpdImage before = patterned({{178, 0x03}});
    img = before;
    ASSERT_TRUE(xmp::ddr3::clear(img, 2).ok());
    expectBytes(before, img, withZeros({{178, 0x01}, {182, 0}, {183, 0}}, 220, 254));
    // The last profile takes the header with it; 184 stays.
    before[178] = 0x01;
    img = before;
    ASSERT_TRUE(xmp::ddr3::clear(img, 1).ok());
    expectBytes(before, img, withZeros({{176, 0}, {177, 0}, {178, 0}, {179, 0}, {180, 0}, {181, 0}}, 185, 219));
}

TEST(XmpBlockDdr3, LoaderSnapsTheGradeAndCountsWholeClocks)
{
    const struct {
        int b11, b12;
        std::optional<int> grade;
    } cases[] = {{8, 10, 1}, {8, 9, std::nullopt}, {14, 15, 2}, {12, 10, 4}, {8, 12, 0}};
    for (const auto& k : cases) {
        SpdImage img = patterned({{10, 1}, {11, k.b11}, {12, k.b12}});
        EXPECT_EQ(xmp::ddr3::load(img).grade, k.grade) << k.b11 << "/" << k.b12;
    }

    // With a 1/12 ns timebase and tCK 12 units, floating point puts exact
    // multiples just under their clock count.
    SpdImage img = patterned({{10, 1}, {11, 12}, {12, 12}, {14, 0xFC}, {15, 0x80}, {16, 132}, {18, 108},
                              {20, 143}, {21, 0x20}, {22, 216}, {23, 0}});
    xmp::ddr3::Loaded l = xmp::ddr3::load(img);
    EXPECT_EQ(l.clocks, (xmp::LoadedClocks{11, 9, 11, 18, 42}));
    for (int k = 0; k < 15; ++k)
        EXPECT_EQ(l.cas[static_cast<std::size_t>(k)], k >= 2 && k <= 7) << k;

    // Zero guard on 10, 11 and 12; more clocks than the list holds leave it.
    img = {};
    img[16] = 200;
    l = xmp::ddr3::load(img);
    EXPECT_EQ(img[10] + img[11] + img[12], 3);
    EXPECT_FALSE(l.clocks[0]);
    EXPECT_EQ(l.clocks[1], 0);
}

} // namespace
