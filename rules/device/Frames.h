#pragma once
// The programmer's replies, free of any window: taking a "55AA" frame out of
// the serial input, the status frame with the settings block, the
// test-result frame, and the plain data replies of the reads and the
// read-back. Nothing here reads past the characters that arrived.

#include <QString>
#include <QStringView>
#include <array>
#include <bitset>
#include <cstdint>
#include <optional>

namespace device {

using SettingsBlock = std::array<std::int16_t, 16>;

// Value of one hexadecimal character, or -1.
int hexValue(QChar c);
// Value of one character as the frames read it: a non-hexadecimal
// character counts as the digit 0.
inline int digitOrZero(QChar c)
{
    const int v = hexValue(c);
    return v < 0 ? 0 : v;
}
// Byte k of a frame (characters 2k+1 and 2k+2, counted from 1); nothing when
// the text is too short to hold it.
std::optional<int> frameByte(QStringView text, int k);

// Frames begin with exactly "55AA" (upper case).
bool hasFrameHeader(QStringView text);

// A frame as a reader takes it: the text, and whether enough of it came
// (more than 500 characters for a status frame, more than 514 for a test
// result).
struct Candidate {
    QString text;
    bool complete = false;
};

inline constexpr int kStatusThreshold = 500;
inline constexpr int kResultThreshold = 514;
inline constexpr char kDeviceId[] = "9098";

// A complete status frame: the settings block (bytes 0..15) and the four
// serial-number texts (characters 25..32 as they stand). Its device ID is
// read from the text (fromExpectedDevice).
struct StatusFrame {
    SettingsBlock block{};
    std::array<QString, 4> serialTexts;
};
// Nothing unless the candidate is complete and begins "55AA".
std::optional<StatusFrame> parseStatusFrame(const Candidate& c);
// Characters 11..14 of any text (fewer when it is shorter).
QString deviceIdOf(const QString& text);
// Whether a frame comes from the programmer this program drives: its
// characters 11..14 are the device ID kDeviceId.
inline bool fromExpectedDevice(const QString& text) { return deviceIdOf(text) == QLatin1String(kDeviceId); }

// Result flags of a test-result frame (byte 48).
enum ResultFlag : int { PowerFail = 0x01, SpdFail = 0x02, OpenFail = 0x04, ShortFail = 0x10 };

inline constexpr int kChannels = 144;

struct TestResult {
    std::array<QString, 4> serialTexts;  // characters 25..32, two each
    QString writtenSerial;               // characters 257..264
    int flags = 0;                       // byte 48
    int currentMa = 0;                   // 0..2000
    std::bitset<kChannels> open;         // bytes 64..81
    std::bitset<kChannels> shorted;      // bytes 96..113

    bool failed() const { return flags != 0; }
    // "POWER FAIL", "SPD FAIL", "SHORT FAIL", "OPEN FAIL" or "PASS", in that
    // precedence.
    QString banner() const;
    // "Test Pass  " [+ "S/N:" + serial] or "Test Fail   " + the reasons in
    // the order power, SPD, open, short.
    QString logText(bool withSerial) const;
};
// Nothing unless the text is a complete test-result frame (more than 514
// characters, beginning "55AA").
std::optional<TestResult> decodeTestResult(const QString& frame);

// The current in mA from the two reading bytes: (1000 - (4 * high + low/64))
// * 2, halves to the even neighbour, never below 0.
int currentMilliamps(int high, int low);

// A plain data reply: 256 bytes as 512 hexadecimal characters, nothing in
// front and no further digit after them (line ends and blanks may follow).
// Nothing for any other reply.
std::optional<std::array<std::uint8_t, 256>> parseDataReply(QStringView reply);

// A serial-number box of the tester set-up panel read as one byte: empty or
// over-long text reads as "00"; one character reads as its low digit; each
// digit is a hexadecimal character or counts 0. In decimal mode a digit
// above 9 fails the check.
struct SerialBox {
    QString text;         // the text the box should show ("00" when it was empty or too long)
    bool decimalOk = true;
    std::uint8_t value = 0;
};
SerialBox readSerialBox(const QString& text, bool decimal);

} // namespace device
