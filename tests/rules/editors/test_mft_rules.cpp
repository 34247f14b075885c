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

TEST_F(MftRulesTest, RealImagesLoadTheirFields)
{
    const SpdImage d2 = corpus("memtest86plus_DDR2-GoldenEmpire-2.bin");
    const mft::Ddr2Fields f2 = mft::loadDdr2(d2);
    EXPECT_EQ(mft::idBytesKey(f2.id), QStringLiteral("7F7F7F13"));
    EXPECT_EQ(mft::nameOf(mft::idBytesKey(f2.id)), QStringLiteral("(GOLDEN EMPIRE)"));
    EXPECT_EQ(f2.location, 0x54);
    EXPECT_EQ(f2.partNumber, QStringLiteral("CL4-4-4DDR2-800   "));
    EXPECT_EQ(f2.rev1, 0x41);
    EXPECT_EQ(f2.year, 6);
    EXPECT_EQ(f2.week, 27);
    EXPECT_EQ(f2.specificData, QStringLiteral("Golden Empire Int Ltd      "));

    // DDR4: the maker's data holds binary bytes after its text.
    const SpdImage d4 = corpus("memtest86plus_DDR4-M393A1G40EB1-CPB.bin");
    const mft::Ddr34Fields f4 = mft::loadDdr34(d4, mft::ddr34Map(12));
    EXPECT_EQ(f4.idCount, 0x80);
    EXPECT_EQ(f4.idCode, 0xCE);
    EXPECT_EQ(f4.year, 17);
    EXPECT_EQ(f4.week, 10);
    EXPECT_EQ((std::array<int, 4>{0x35, 0x20, 0xC5, 0x0E}), f4.serial);
    EXPECT_EQ(f4.partNumber, QStringLiteral("M393A1G40EB1-CPB    "));
    EXPECT_EQ(f4.specificData, QStringLiteral("S0I2A20"));
    EXPECT_EQ(mft::countCodeName(f4.dramCount, f4.dramCode), QStringLiteral("(SAMSUNG)"));

    // A new date leaves the binary data as it was.
    mft::Ddr34Fields edited = f4;
    edited.year = 24;
    edited.week = 20;
    SpdImage out = d4;
    mft::writeDdr34(out, mft::ddr34Map(12), edited);
    EXPECT_EQ(out[323], 0x24);
    EXPECT_EQ(out[324], 0x20);
    out[323] = d4[323];
    out[324] = d4[324];
    EXPECT_EQ(out, d4);
}

TEST_F(MftRulesTest, BcdDateBytes)
{
    EXPECT_EQ(mft::bcdYear(0x07), 7);
    EXPECT_EQ(mft::bcdYear(0x99), 99);
    EXPECT_EQ(mft::bcdYear(0x1A), 20);  // a low half above 9 still counts
    EXPECT_EQ(mft::bcdYear(0xA5), 0);   // 105
    EXPECT_EQ(mft::bcdWeek(0x53), 53);
    EXPECT_EQ(mft::bcdWeek(0x54), 0);
    EXPECT_EQ(mft::bcdByte(24), 0x24);
    EXPECT_EQ(mft::bcdByte(0), 0x00);
    EXPECT_EQ(mft::bcdByte(99), 0x99);

    // Unedited, such bytes go back as the value they showed.
    SpdImage img{};
    img[2] = 11;
    img[120] = 0x1A;
    img[121] = 0x54;
    const auto& m = mft::ddr34Map(11);
    mft::writeDdr34(img, m, mft::loadDdr34(img, m));
    EXPECT_EQ(img[120], 0x20);
    EXPECT_EQ(img[121], 0x00);
}

TEST_F(MftRulesTest, TextFields)
{
    SpdImage img{};
    // Loading skips bytes outside 32..127 wherever they stand.
    const std::uint8_t raw[] = {'A', 0x00, 'B', 0xFF, 0x1F, ' ', 0x7F, 0x80};
    std::copy(std::begin(raw), std::end(raw), img.begin() + 73);
    EXPECT_EQ(mft::loadText(img, 73, 8), QStringLiteral("AB \x7F"));

    // An edited DDR2 part number: its letters, then 0 to the end of the field.
    img.fill(0xFF);
    mft::writeText(img, 73, 18, QStringLiteral("ABCDE"));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(img[static_cast<std::size_t>(73 + i)], 0x41 + i);
    for (int i = 78; i <= 90; ++i)
        EXPECT_EQ(img[static_cast<std::size_t>(i)], 0) << i;
    EXPECT_EQ(img[72], 0xFF);
    EXPECT_EQ(img[91], 0xFF);

    // DDR4 part number: 20 characters fill the field, a 21st is dropped.
    img.fill(0);
    mft::writeText(img, 329, 20, QStringLiteral("ABCDEFGHIJKLMNOPQRSTU"));
    EXPECT_EQ(img[348], 'T');
    EXPECT_EQ(img[349], 0);

    // A field of 0xFF shows nothing; left empty it stays as it was, emptied
    // after an edit it becomes 0.
    img.fill(0xFF);
    mft::writeText(img, 99, 29, QString());
    EXPECT_EQ(img[99], 0xFF);
    img[99] = 'x';
    mft::writeText(img, 99, 29, QString());
    EXPECT_EQ(img[99], 0);
    EXPECT_EQ(img[127], 0);

    // A character without a one-byte code.
    mft::storeText(img, 99, 3, QStringLiteral("a\u4E2Db"));
    EXPECT_EQ(img[100], '?');
    EXPECT_EQ(img[101], 'b');
}

TEST_F(MftRulesTest, SetupAndClearKeepTheUncoveredBytesTheirOwnWay)
{
    SpdImage img{};
    img.fill(0xEE);
    img[2] = 12;
    const auto& m4 = mft::ddr34Map(12);
    mft::Ddr34Fields f = mft::loadDdr34(img, m4);
    f.partNumber = QStringLiteral("X");
    mft::writeDdr34(img, m4, f);
    EXPECT_EQ(img[352], 0xEE);
    EXPECT_EQ(img[382], 0xEE);
    EXPECT_EQ(img[383], 0xEE);
    EXPECT_EQ(img[329], 'X');
    EXPECT_EQ(img[330], 0);

    img.fill(0xEE);
    const auto& m3 = mft::ddr34Map(11);
    f = mft::loadDdr34(img, m3);
    f.rev2 = 0x12;
    mft::writeDdr34(img, m3, f);
    EXPECT_EQ(img[126], 0xEE);
    EXPECT_EQ(img[127], 0xEE);
    EXPECT_EQ(img[147], 0x12);
    EXPECT_EQ(img[116], 0xEE);
    EXPECT_EQ(img[176], 0xEE);

    img.fill(0xEE);
    mft::clearBlock(img, 12);
    EXPECT_EQ(img[319], 0xEE);
    for (int i = 320; i <= 383; ++i)
        EXPECT_EQ(img[static_cast<std::size_t>(i)], 0) << i;
    EXPECT_EQ(img[384], 0xEE);
    mft::clearBlock(img, 7);  // no block
    mft::clearBlock(img, 4);
    EXPECT_EQ(img[64], 0xEE);
}

TEST_F(MftRulesTest, NameKeys)
{
    EXPECT_EQ(mft::countCodeKey(0x83, 0x0B), QStringLiteral("7F7F7F0B"));
    EXPECT_EQ(mft::countCodeKey(0x03, 0x0B), QStringLiteral("7F7F7F0B"));
    EXPECT_EQ(mft::countCodeName(0x83, 0x0B), QStringLiteral("(NANYA TECHNOLOGY)"));
    EXPECT_EQ(mft::countCodeKey(0x80, 0x01), QStringLiteral("01"));
    EXPECT_EQ(mft::countCodeKey(0x06, 0x01), QStringLiteral("7F7F7F7F7F7F01"));
    EXPECT_FALSE(mft::countCodeKey(0x07, 0x01));
    EXPECT_FALSE(mft::countCodeKey(0x87, 0x01));
    EXPECT_EQ(mft::countCodeName(0x87, 0xCE), QString());

    EXPECT_EQ(mft::idBytesKey({0x7F, 0x7F, 0x9E, 0, 0, 0, 0, 0}), QStringLiteral("7F7F9E"));
    EXPECT_EQ(mft::idBytesKey({0x7F, 0x00, 0x2C, 0, 0, 0, 0, 0}), QStringLiteral("7F2C"));
    EXPECT_EQ(mft::idBytesKey({0x7F, 0x98, 0xFF, 0xFF, 0, 0, 0, 0}), QStringLiteral("7F98FFFF"));
    EXPECT_EQ(mft::idBytesKey({}), QString());
    EXPECT_EQ(mft::nameOf(QStringLiteral("7F98FFFF")), QString());
    EXPECT_EQ(mft::nameOf(QString()), QString());
    EXPECT_EQ(velmora::gs().jedecName, QString());
}

TEST_F(MftRulesTest, DateStampAtYearEnds)
{
    auto stamp = [](int y, int m, int d) {
        const mft::Stamp s = mft::dateStamp(QDate(y, m, d));
        return std::pair{s.year, s.week};
    };
    EXPECT_EQ(stamp(2024, 5, 17), std::pair(24, 20));
    // 2028 is a leap year that begins on a Saturday: 31 December falls in
    // a 54th week, which the week list cannot hold.
    EXPECT_EQ(stamp(2028, 12, 30), std::pair(28, 53));
    EXPECT_EQ(stamp(2028, 12, 31), std::pair(28, 53));
    EXPECT_EQ(stamp(2000, 12, 31), std::pair(0, 53));
    EXPECT_EQ(stamp(2029, 1, 1), std::pair(29, 1));
    // 2023 begins on a Sunday: the first Sunday after it starts week 2.
    EXPECT_EQ(stamp(2022, 12, 31), std::pair(22, 53));
    EXPECT_EQ(stamp(2023, 1, 7), std::pair(23, 1));
    EXPECT_EQ(stamp(2023, 1, 8), std::pair(23, 2));
    // 2025 begins on a Wednesday; Sunday 5 January starts week 2.
    EXPECT_EQ(stamp(2025, 1, 4), std::pair(25, 1));
    EXPECT_EQ(stamp(2025, 1, 5), std::pair(25, 2));

    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::Taiwan));
    EXPECT_EQ(mft::todayText(QDate(2024, 5, 17)), QStringLiteral("2024/5/17  20 weeks"));
    QLocale::setDefault(before);
}

TEST_F(MftRulesTest, BlocksAndCaptionsByType)
{
    EXPECT_EQ(mft::blockRange(8)->first, 64);
    EXPECT_EQ(mft::blockRange(8)->last, 127);
    EXPECT_EQ(mft::blockRange(11)->first, 117);
    EXPECT_EQ(mft::blockRange(11)->last, 175);
    EXPECT_EQ(mft::blockRange(12)->first, 320);
    EXPECT_EQ(mft::blockRange(12)->last, 383);
    for (int t : {0, 4, 7, 9, 10, 13, 255})
        EXPECT_FALSE(mft::blockRange(t)) << t;
    EXPECT_EQ(mft::captionFor(7), QStringLiteral("DDR 製造資訊"));
    EXPECT_EQ(mft::captionFor(9), QStringLiteral("Manufacturer Information"));
}
