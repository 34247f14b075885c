#include "rules/editors/MftRules.h"
#include "app/SpdFile.h"
#include "support/TestEnv.h"

#include <QLocale>

using velmora::SpdImage;

namespace {

SpdImage corpus(const char* name)
{
    const auto r = spdfile::read(testData(QStringLiteral("corpus/") + QString::fromLatin1(name)));
    EXPECT_TRUE(r.ok) << name;
    SpdImage img{};
    std::copy(r.bytes.begin(), r.bytes.end(), img.begin());
    return img;
}

class MftRulesTest : public ProgramStateTest {};

} // namespace

TEST_F(MftRulesTest, UneditedBlocksOfRealImagesComeBackByteForByte)
{
    for (const char* f : {"memtest86plus_DDR2-2G-UDIMM.bin", "memtest86plus_DDR2-GoldenEmpire-1.bin",
                          "memtest86plus_DDR2-GoldenEmpire-2.bin"}) {
        const SpdImage img = corpus(f);
        SpdImage out = img;
        mft::writeDdr2(out, mft::loadDdr2(img));
        EXPECT_EQ(out, img) << f;
    }
    for (const char* f : {"memtest86plus_DDR3-9905403-440.A00LF.bin", "memtest86plus_DDR3-M378B5173DB0-CK0.bin",
                          "memtest86plus_DDR3-M391B1G73QH0-CMA.bin", "memtest86plus_DDR3-M392B1G73DB0-YH9.bin",
                          "memtest86plus_DDR4-M393A1G40EB1-CPB.bin", "memtest86plus_DDR4-M393A1G40EB1-CRC.bin"}) {
        const SpdImage img = corpus(f);
        const auto& m = mft::ddr34Map(img[2]);
        SpdImage out = img;
        mft::writeDdr34(out, m, mft::loadDdr34(img, m));
        EXPECT_EQ(out, img) << f;
    }
}

TEST_F(MftRulesTest, RealImagesLoadTheirFieldsAndKeepBinaryDataOnADateChange)
{
    const mft::Ddr2Fields f2 = mft::loadDdr2(corpus("memtest86plus_DDR2-GoldenEmpire-2.bin"));
    EXPECT_EQ(mft::nameOf(mft::idBytesKey(f2.id)), QStringLiteral("(GOLDEN EMPIRE)"));
    EXPECT_EQ(f2.partNumber, QStringLiteral("CL4-4-4DDR2-800   "));
    EXPECT_EQ((std::array{f2.location, f2.rev1, f2.year, f2.week}), (std::array{0x54, 0x41, 6, 27}));

    // DDR4: the maker's data holds binary bytes after "S0I2A20".
    const SpdImage d4 = corpus("memtest86plus_DDR4-M393A1G40EB1-CPB.bin");
    mft::Ddr34Fields f4 = mft::loadDdr34(d4, mft::ddr34Map(12));
    EXPECT_EQ((std::array{f4.idCount, f4.idCode, f4.year, f4.week}), (std::array{0x80, 0xCE, 17, 10}));
    EXPECT_EQ((std::array<int, 4>{0x35, 0x20, 0xC5, 0x0E}), f4.serial);
    EXPECT_EQ(f4.partNumber, QStringLiteral("M393A1G40EB1-CPB    "));
    EXPECT_EQ(f4.specificData, QStringLiteral("S0I2A20"));
    f4.year = 24;
    f4.week = 20;
    SpdImage out = d4;
    mft::writeDdr34(out, mft::ddr34Map(12), f4);
    EXPECT_EQ(out[323], 0x24);
    EXPECT_EQ(out[324], 0x20);
    out[323] = d4[323];
    out[324] = d4[324];
    EXPECT_EQ(out, d4);
}

TEST_F(MftRulesTest, BcdDateBytes)
{
    EXPECT_EQ(mft::bcdYear(0x1A), 20);  // a low half above 9 still counts
    EXPECT_EQ(mft::bcdYear(0xA5), 0);   // 105
    EXPECT_EQ(mft::bcdWeek(0x53), 53);
    EXPECT_EQ(mft::bcdWeek(0x54), 0);
    EXPECT_EQ(mft::bcdByte(24), 0x24);
    EXPECT_EQ(mft::bcdByte(99), 0x99);
}

TEST_F(MftRulesTest, TextFields)
{
    SpdImage img{};
    const std::uint8_t raw[] = {'A', 0x00, 'B', 0xFF, 0x1F, ' ', 0x7F, 0x80};
    std::copy(std::begin(raw), std::end(raw), img.begin() + 73);
    EXPECT_EQ(mft::loadText(img, 73, 8), QStringLiteral("AB \x7F"));

    // An edited part number: its letters, then 0 to the end of the field.
    img.fill(0xFF);
    mft::writeText(img, 73, 18, QStringLiteral("ABCDE"));
    EXPECT_EQ(img[77], 'E');
    for (int i = 78; i <= 90; ++i)
        EXPECT_EQ(img[static_cast<std::size_t>(i)], 0) << i;
    EXPECT_EQ(img[91], 0xFF);
    // DDR4: 20 characters fill the field, a 21st is dropped.
    mft::writeText(img, 329, 20, QStringLiteral("ABCDEFGHIJKLMNOPQRSTU"));
    EXPECT_EQ(img[348], 'T');
    EXPECT_EQ(img[349], 0xFF);
    // A field of 0xFF shows nothing and, left so, stays as it was.
    mft::writeText(img, 99, 29, QString());
    EXPECT_EQ(img[99], 0xFF);
    mft::storeText(img, 99, 3, QStringLiteral("a\u4E2Db"));
    EXPECT_EQ(img[100], '?');
}

TEST_F(MftRulesTest, SetupKeepsTheUncoveredBytes)
{
    SpdImage img{};
    img.fill(0xEE);
    mft::Ddr34Fields f = mft::loadDdr34(img, mft::ddr34Map(12));
    f.partNumber = QStringLiteral("X");
    mft::writeDdr34(img, mft::ddr34Map(12), f);
    EXPECT_EQ((std::array{img[352], img[382], img[383], img[329], img[330]}),
              (std::array<std::uint8_t, 5>{0xEE, 0xEE, 0xEE, 'X', 0}));

    img.fill(0xEE);
    f = mft::loadDdr34(img, mft::ddr34Map(11));
    f.rev2 = 0x12;
    mft::writeDdr34(img, mft::ddr34Map(11), f);
    EXPECT_EQ((std::array{img[126], img[127], img[147]}), (std::array<std::uint8_t, 3>{0xEE, 0xEE, 0x12}));
}

TEST_F(MftRulesTest, NameKeys)
{
    EXPECT_EQ(mft::countCodeKey(0x83, 0x0B), QStringLiteral("7F7F7F0B"));
    EXPECT_EQ(mft::countCodeKey(0x03, 0x0B), QStringLiteral("7F7F7F0B"));
    EXPECT_EQ(mft::countCodeName(0x83, 0x0B), QStringLiteral("(NANYA TECHNOLOGY)"));
    EXPECT_EQ(mft::countCodeKey(0x80, 0x01), QStringLiteral("01"));
    EXPECT_FALSE(mft::countCodeKey(0x07, 0x01));
    EXPECT_FALSE(mft::countCodeKey(0x87, 0x01));
    EXPECT_EQ(mft::idBytesKey({0x7F, 0x00, 0x2C, 0, 0, 0, 0, 0}), QStringLiteral("7F2C"));
    EXPECT_EQ(mft::idBytesKey({0x7F, 0x98, 0xFF, 0xFF, 0, 0, 0, 0}), QStringLiteral("7F98FFFF"));
    EXPECT_EQ(mft::nameOf(QStringLiteral("7F98FFFF")), QString());
    EXPECT_EQ(mft::idBytesKey({}), QString());
}

TEST_F(MftRulesTest, DateStampAtYearEnds)
{
    auto stamp = [](int y, int m, int d) {
        const mft::Stamp s = mft::dateStamp(QDate(y, m, d));
        return std::pair{s.year, s.week};
    };
    EXPECT_EQ(stamp(2024, 5, 17), std::pair(24, 20));
    // 2028 is a leap year that begins on a Saturday: 31 December falls in a
    // 54th week, which the week list cannot hold.
    EXPECT_EQ(stamp(2028, 12, 31), std::pair(28, 53));
    EXPECT_EQ(stamp(2029, 1, 1), std::pair(29, 1));
    // 2023 begins on a Sunday.
    EXPECT_EQ(stamp(2023, 1, 7), std::pair(23, 1));
    EXPECT_EQ(stamp(2023, 1, 8), std::pair(23, 2));

    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::Taiwan));
    EXPECT_EQ(mft::todayText(QDate(2024, 5, 17)), QStringLiteral("2024/5/17  20 weeks"));
    QLocale::setDefault(before);
}

TEST_F(MftRulesTest, Ddr3DateComesFromItsOwnBytesAndEditedMakersDataEndsWithItsField)
{
    SpdImage img{};
    img[120] = 0x14;
    img[121] = 0x16;
    const mft::Ddr34Fields f3 = mft::loadDdr34(img, mft::ddr34Map(11));
    EXPECT_EQ((std::pair{f3.year, f3.week}), (std::pair{14, 16}));

    // Edited maker's data: its letters, 0 to the end of the field, and the
    // bytes after the field as they came.
    for (auto [type, first, last] : {std::tuple{12, 353, 381}, std::tuple{11, 150, 175}}) {
        img.fill(0xEE);
        mft::Ddr34Fields f = mft::loadDdr34(img, mft::ddr34Map(type));
        f.specificData = QStringLiteral("MK");
        mft::writeDdr34(img, mft::ddr34Map(type), f);
        const std::size_t i = static_cast<std::size_t>(first);
        const std::size_t j = static_cast<std::size_t>(last);
        EXPECT_EQ((std::array{img[i - 1], img[i], img[i + 1], img[i + 2], img[j], img[j + 1], img[j + 2]}),
                  (std::array<std::uint8_t, 7>{0xEE, 'M', 'K', 0, 0, 0xEE, 0xEE}))
            << type;
    }
}
