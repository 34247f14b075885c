#include "rules/spd/SpdRules.h"
#include "platform/Clock.h"

#include <QString>
#include <gtest/gtest.h>

using spd::SpdImage;

TEST(Crc16, MatchesTheCatalogueVectors)
{
    const QByteArray check = "123456789";
    EXPECT_EQ(spd::crc16(reinterpret_cast<const std::uint8_t*>(check.data()), 9), 0x31C3);
    SpdImage img{};
    img[0] = 'a';
    img[1] = 'b';
    img[2] = 'c';
    EXPECT_EQ(spd::cal_crc126(img, 2), 0x9DD6);
    SpdImage zero{};
    EXPECT_EQ(spd::cal_crc126(zero, 125), 0);
    EXPECT_EQ(spd::cal_crc254(zero), 0);
}

TEST(Crc16, CoverageFollowsBit7OfByte0)
{
    SpdImage img{};
    img[0] = 0x92;
    EXPECT_EQ(spd::crcLastIndex(img), 116);
    const auto before = spd::cal_crc126(img, spd::crcLastIndex(img));
    img[120] = 0x55;  // outside 0..116: no effect on the short CRC
    EXPECT_EQ(spd::cal_crc126(img, spd::crcLastIndex(img)), before);
    img[0] = 0x12;
    EXPECT_EQ(spd::crcLastIndex(img), 125);
    EXPECT_NE(spd::cal_crc126(img, 125), spd::cal_crc126(img, 116));
}

TEST(Crc16, SecondCrcCoversBytes128To253Only)
{
    SpdImage img{};
    img[127] = 1;
    img[254] = 9;
    EXPECT_EQ(spd::cal_crc254(img), 0);
    img[200] = 1;
    EXPECT_NE(spd::cal_crc254(img), 0);
}

TEST(Checksum, SumsModulo256)
{
    SpdImage img{};
    img[0] = 200;
    img[62] = 100;  // 300
    img[63] = 7;    // not part of the sum
    EXPECT_EQ(spd::cal_spd_sum(img, 62), 44);
    SpdImage ff{};
    ff.fill(0xFF);
    EXPECT_EQ(spd::cal_spd_sum(ff, 511), (512 * 255) % 256);
}

TEST(HexToByte, ReadsOneOrTwoDigitsInEitherCase)
{
    EXPECT_EQ(spd::hex_to_byte(u"7"), 7);
    EXPECT_EQ(spd::hex_to_byte(u"b"), 11);
    EXPECT_EQ(spd::hex_to_byte(u"A5"), 165);
    EXPECT_EQ(spd::hex_to_byte(u"a5"), 165);
    EXPECT_EQ(spd::hex_to_byte(u"ABC"), 172);  // first and last digit
    EXPECT_EQ(spd::hex_to_byte(u"FF"), 255);
    EXPECT_EQ(spd::hex_to_byte(u"00"), 0);
}

TEST(HexToByte, NeverFailsOnOtherText)
{
    EXPECT_EQ(spd::hex_to_byte(u""), 0);
    EXPECT_EQ(spd::hex_to_byte(u"G"), 0);
    EXPECT_EQ(spd::hex_to_byte(u"Z5"), 5);  // a bad high digit counts as 0
    EXPECT_EQ(spd::hex_to_byte(u"5Z"), 0);  // a bad low digit gives 0
    EXPECT_EQ(spd::hex_to_byte(u" 5"), 5);
}

TEST(DateCode, WeeksBeginOnSunday)
{
    EXPECT_EQ(vclock::sundayWeekOfYear(QDate(2024, 3, 5)), 10);
    EXPECT_EQ(vclock::sundayWeekOfYear(QDate(2028, 12, 31)), 54);
    EXPECT_EQ(vclock::sundayWeekOfYear(QDate(2025, 1, 4)), 1);
    EXPECT_EQ(vclock::sundayWeekOfYear(QDate(2025, 1, 5)), 2);
    EXPECT_EQ(vclock::sundayWeekOfYear(QDate(2023, 1, 1)), 1);  // a Sunday
    EXPECT_EQ(vclock::sundayWeekOfYear(QDate(2023, 12, 31)), 53);
}

TEST(DateCode, StampsBcdAndPositionsByType)
{
    const auto c = spd::dateCodeOf(QDate(2024, 3, 5));
    EXPECT_EQ(spd::yearByte(c), 0x24);
    EXPECT_EQ(spd::bcd(c.week), 0x10);
    EXPECT_EQ(spd::bcd(54), 0x54);
    EXPECT_EQ(spd::datePositions(8).year, 93);
    EXPECT_EQ(spd::datePositions(11).year, 120);
    EXPECT_EQ(spd::datePositions(9).week, 121);
    EXPECT_EQ(spd::datePositions(12).year, 323);
    EXPECT_EQ(spd::datePositions(200).week, 324);
}

TEST(DateCode, YearsOutsideTheCenturyStayBcd)
{
    EXPECT_EQ(spd::yearByte(spd::dateCodeOf(QDate(1999, 6, 1))), 0x99);
    EXPECT_EQ(spd::yearByte(spd::dateCodeOf(QDate(2100, 6, 1))), 0x00);
    EXPECT_EQ(spd::yearByte(spd::dateCodeOf(QDate(2161, 6, 1))), 0x61);
}
