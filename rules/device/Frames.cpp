#include "rules/device/Frames.h"

#include "rules/spd/SpdRules.h"

#include <algorithm>

namespace device {

int hexValue(QChar c) { return spd::hexDigit(c); }

std::optional<int> frameByte(QStringView text, int k)
{
    const qsizetype at = 2 * static_cast<qsizetype>(k);
    if (k < 0 || at + 1 >= text.size())
        return std::nullopt;
    return digitOrZero(text[at]) * 16 + digitOrZero(text[at + 1]);
}

bool hasFrameHeader(QStringView text) { return text.startsWith(QLatin1String("55AA")); }

QString deviceIdOf(const QString& text) { return text.mid(10, 4); }

std::optional<StatusFrame> parseStatusFrame(const Candidate& c)
{
    if (!c.complete || !hasFrameHeader(c.text) || c.text.size() < 32)
        return std::nullopt;
    StatusFrame f;
    for (int k = 0; k < 16; ++k)
        f.block[static_cast<std::size_t>(k)] = static_cast<std::int16_t>(*frameByte(c.text, k));
    for (int i = 0; i < 4; ++i)
        f.serialTexts[static_cast<std::size_t>(i)] = c.text.mid(24 + 2 * i, 2);
    return f;
}

int currentMilliamps(int high, int low)
{
    // The reading in sixty-fourths: 256 * high + low; the current is
    // (64000 - that) / 32 mA.
    const int n = 64000 - (256 * (high & 0xFF) + (low & 0xFF));
    if (n <= 0)
        return 0;
    int q = n / 32;
    const int r = n % 32;
    if (r > 16 || (r == 16 && (q & 1)))
        ++q;
    return q;
}

QString TestResult::banner() const
{
    if (flags & PowerFail)
        return QStringLiteral("POWER FAIL");
    if (flags & SpdFail)
        return QStringLiteral("SPD FAIL");
    if (flags & ShortFail)
        return QStringLiteral("SHORT FAIL");
    if (flags & OpenFail)
        return QStringLiteral("OPEN FAIL");
    return QStringLiteral("PASS");
}

QString TestResult::logText(bool withSerial) const
{
    QString s;
    if (failed()) {
        s = QStringLiteral("Test Fail   ");
    } else {
        s = QStringLiteral("Test Pass  ");
        if (withSerial)
            s += QStringLiteral("S/N:") + writtenSerial;
    }
    if (flags & PowerFail)
        s += QStringLiteral(" <POWER FAIL> ");
    if (flags & SpdFail)
        s += QStringLiteral(" <SPD FAIL> ");
    if (flags & OpenFail)
        s += QStringLiteral(" <OPEN FAIL> ");
    if (flags & ShortFail)
        s += QStringLiteral(" <SHORT FAIL> ");
    return s;
}

std::optional<TestResult> decodeTestResult(const QString& frame)
{
    if (frame.size() <= kResultThreshold || !hasFrameHeader(frame))
        return std::nullopt;
    TestResult r;
    for (int i = 0; i < 4; ++i)
        r.serialTexts[static_cast<std::size_t>(i)] = frame.mid(24 + 2 * i, 2);
    r.writtenSerial = frame.mid(256, 8);
    r.flags = *frameByte(frame, 48);
    r.currentMa = currentMilliamps(*frameByte(frame, 49), *frameByte(frame, 50));
    for (int k = 0; k < 18; ++k) {
        const int o = *frameByte(frame, 64 + k);
        const int s = *frameByte(frame, 96 + k);
        for (int b = 0; b < 8; ++b) {
            r.open[static_cast<std::size_t>(8 * k + b)] = (o >> b) & 1;
            r.shorted[static_cast<std::size_t>(8 * k + b)] = (s >> b) & 1;
        }
    }
    return r;
}

std::optional<std::array<std::uint8_t, 256>> parseDataReply(QStringView reply)
{
    // Line ends or blanks after the data are allowed; any further digit
    // means another message shared the reply, and it cannot be told which
    // 512 characters belong to the request.
    qsizetype end = reply.size();
    while (end > 0 && hexValue(reply[end - 1]) < 0 && reply[end - 1].unicode() <= 0x20)
        --end;
    if (end != 512)
        return std::nullopt;
    std::array<std::uint8_t, 256> out{};
    for (int j = 0; j < 256; ++j) {
        const int hi = hexValue(reply[2 * j]);
        const int lo = hexValue(reply[2 * j + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out[static_cast<std::size_t>(j)] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return out;
}

SerialBox readSerialBox(const QString& text, bool decimal)
{
    SerialBox b;
    b.text = text;
    if (text.isEmpty() || text.size() > 2)
        b.text = QStringLiteral("00");
    const QString digits = b.text.size() == 1 ? QStringLiteral("0") + b.text : b.text;
    const int hi = digitOrZero(digits[0]);
    const int lo = digitOrZero(digits[1]);
    b.decimalOk = !(decimal && (hi > 9 || lo > 9));
    b.value = static_cast<std::uint8_t>(hi * 16 + lo);
    return b;
}

} // namespace device
