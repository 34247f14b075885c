// Messages, frames and replies without a window.

#include "rules/device/Frames.h"
#include "rules/device/Protocol.h"

#include <gtest/gtest.h>

using namespace device;

namespace {

// A frame text of `length` characters: the given bytes from byte 0 on, then
// zeros.
QString frameText(const std::vector<std::pair<int, int>>& bytes, int length = 520, const char* header = "55AA")
{
    QString t(length, QLatin1Char('0'));
    t.replace(0, 4, QLatin1String(header));
    for (auto [k, v] : bytes) {
        static const char d[] = "0123456789ABCDEF";
        t[2 * k] = QLatin1Char(d[(v >> 4) & 15]);
        t[2 * k + 1] = QLatin1Char(d[v & 15]);
    }
    return t;
}

} // namespace

TEST(DeviceMessages, FramingOfEveryKind)
{
    EXPECT_EQ(frameMessage('q'), QByteArray("q\x10\x7F"));
    EXPECT_EQ(shortMessage('T'), QByteArray("T\x7F"));

    SettingsBlock zero{};
    const QByteArray z = settingsMessage(zero);
    EXPECT_EQ(z.size(), 36);
    EXPECT_EQ(z, QByteArray("H") + QByteArray(33, '0') + QByteArray("\x10\x7F"));

    const SettingsBlock block{0x55, 0xAA, 0, 0, 0, 0x90, 0x98, 0, 7, 12, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(settingsMessage(block), QByteArray("H055AA000000909800070C000000000001\x10\x7F"));

    std::uint8_t bytes[16] = {5, 171, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255};
    const QByteArray lower = dataPacket(false, 10, bytes);
    EXPECT_EQ(lower.size(), 36);
    EXPECT_EQ(lower.left(6), QByteArray("w:05AB"));
    EXPECT_EQ(lower.right(4), QByteArray("FF\x10\x7F"));
    EXPECT_EQ(dataPacket(true, 15, bytes).left(2), QByteArray("W?"));
    EXPECT_EQ(blockCharacter(9), '9');
    EXPECT_EQ(blockCharacter(12), '<');
}

TEST(DeviceFrames, StatusFrameFields)
{
    QString text = frameText({{5, 0x90}, {6, 0x98}, {8, 0xA7}, {9, 0x4D}, {10, 3}, {12, 0x12}, {15, 0xab}}, 501);
    text[30] = QLatin1Char('a');  // lower-case digits decode as upper-case ones
    text[31] = QLatin1Char('b');
    auto f = parseStatusFrame({text, true});
    ASSERT_TRUE(f);
    EXPECT_TRUE(fromExpectedDevice(text));
    EXPECT_EQ(f->block[8], 0xA7);
    EXPECT_EQ(f->block[10], 3);
    EXPECT_EQ(f->block[15], 0xAB);
    EXPECT_EQ(f->serialTexts[0], QStringLiteral("12"));
    EXPECT_EQ(f->serialTexts[3], QStringLiteral("ab"));

    EXPECT_FALSE(parseStatusFrame({frameText({}, 501, "55aa"), true}));  // header compared exactly
    EXPECT_FALSE(parseStatusFrame({text, false}));                        // not complete
    EXPECT_FALSE(parseStatusFrame({frameText({}, 501).mid(1), true}));
    EXPECT_EQ(deviceIdOf(frameText({{5, 0x12}, {6, 0x34}})), QStringLiteral("1234"));
    EXPECT_EQ(deviceIdOf(QStringLiteral("55AA")), QString());
}

TEST(DeviceFrames, CurrentReadingRoundsHalvesToEven)
{
    EXPECT_EQ(currentMilliamps(0xFA, 0x00), 0);
    EXPECT_EQ(currentMilliamps(0x7D, 0x00), 1000);
    EXPECT_EQ(currentMilliamps(0xF0, 0x10), 80);  // 79.5
    EXPECT_EQ(currentMilliamps(0xF0, 0x30), 78);  // 78.5
    EXPECT_EQ(currentMilliamps(0xFF, 0xC0), 0);   // reading above 1000
    EXPECT_EQ(currentMilliamps(0x00, 0x00), 2000);
    EXPECT_EQ(currentMilliamps(0xF0, 0x11), 79);  // 79.47
}

TEST(DeviceFrames, TestResultBannerLogAndMaps)
{
    auto decode = [](int flags, std::vector<std::pair<int, int>> more = {}) {
        more.push_back({48, flags});
        return decodeTestResult(frameText(more, 515));
    };
    auto r = decode(0x13);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->banner(), QStringLiteral("POWER FAIL"));
    EXPECT_EQ(r->logText(true), QStringLiteral("Test Fail    <POWER FAIL>  <SPD FAIL>  <SHORT FAIL> "));
    EXPECT_EQ(decode(0x14)->banner(), QStringLiteral("SHORT FAIL"));
    EXPECT_EQ(decode(0x14)->logText(false), QStringLiteral("Test Fail    <OPEN FAIL>  <SHORT FAIL> "));
    EXPECT_EQ(decode(0x04)->banner(), QStringLiteral("OPEN FAIL"));
    EXPECT_EQ(decode(0x02)->banner(), QStringLiteral("SPD FAIL"));
    // An unnamed bit still fails the test, under the caption "PASS".
    auto odd = decode(0x08);
    EXPECT_TRUE(odd->failed());
    EXPECT_EQ(odd->banner(), QStringLiteral("PASS"));
    EXPECT_EQ(odd->logText(true), QStringLiteral("Test Fail   "));

    auto pass = decode(0, {{128, 0x00}, {129, 0x00}, {130, 0x12}, {131, 0x34}, {12, 0x01}, {15, 0x99}});
    EXPECT_EQ(pass->logText(true), QStringLiteral("Test Pass  S/N:00001234"));
    EXPECT_EQ(pass->logText(false), QStringLiteral("Test Pass  "));
    EXPECT_EQ(pass->serialTexts[0], QStringLiteral("01"));
    EXPECT_EQ(pass->serialTexts[3], QStringLiteral("99"));

    // Both ends of the channel maps.
    auto maps = decode(0x14, {{64, 0x01}, {81, 0x80}, {96, 0x01}, {113, 0x80}});
    EXPECT_TRUE(maps->open[0]);
    EXPECT_TRUE(maps->open[143]);
    EXPECT_TRUE(maps->shorted[0]);
    EXPECT_TRUE(maps->shorted[143]);
    EXPECT_EQ(maps->open.count(), 2u);

    EXPECT_FALSE(decodeTestResult(frameText({}, 514)));
    EXPECT_FALSE(decodeTestResult(frameText({}, 600, "55aa")));
}

TEST(DeviceFrames, DataReplyNeedsAllItsDigits)
{
    QString reply;
    for (int i = 0; i < 256; ++i)
        reply += QStringLiteral("%1").arg(i, 2, 16, QLatin1Char('0'));  // lower case
    auto bytes = parseDataReply(reply);
    ASSERT_TRUE(bytes);
    EXPECT_EQ((*bytes)[171], 171);
    EXPECT_TRUE(parseDataReply(reply + QStringLiteral("\r\n")));
    EXPECT_TRUE(parseDataReply(reply + QStringLiteral(" \r\n")));
    EXPECT_FALSE(parseDataReply(reply.left(511)));
    // A late status frame in front of the data, or another reply behind it:
    // the reply is not the one asked for.
    EXPECT_FALSE(parseDataReply(frameText({}, 512) + reply));
    EXPECT_FALSE(parseDataReply(reply + frameText({}, 520)));
    QString noisy = reply;
    noisy[100] = QLatin1Char('G');
    EXPECT_FALSE(parseDataReply(noisy));
    EXPECT_FALSE(parseDataReply(QString()));
}

TEST(DeviceFrames, SerialNumberBoxes)
{
    EXPECT_EQ(readSerialBox(QStringLiteral("1A"), false).value, 0x1A);
    EXPECT_FALSE(readSerialBox(QStringLiteral("1A"), true).decimalOk);
    EXPECT_FALSE(readSerialBox(QStringLiteral("A1"), true).decimalOk);
    EXPECT_EQ(readSerialBox(QStringLiteral("99"), true).value, 0x99);
    EXPECT_EQ(readSerialBox(QStringLiteral("ab"), false).value, 0xAB);
    const SerialBox g5 = readSerialBox(QStringLiteral("G5"), true);
    EXPECT_TRUE(g5.decimalOk);
    EXPECT_EQ(g5.value, 0x05);
    const SerialBox empty = readSerialBox(QString(), true);
    EXPECT_EQ(empty.text, QStringLiteral("00"));
    EXPECT_EQ(empty.value, 0);
    EXPECT_EQ(readSerialBox(QStringLiteral("123"), false).text, QStringLiteral("00"));
    EXPECT_EQ(readSerialBox(QStringLiteral("7"), true).value, 0x07);
}
