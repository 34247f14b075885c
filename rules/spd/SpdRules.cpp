#include "rules/spd/SpdRules.h"

#include "platform/Clock.h"

namespace spd {

int cal_spd_sum(const SpdImage& img, int n)
{
    int s = 0;
    for (int i = 0; i <= n && i < 512; ++i)
        s = (s + img[i]) % 256;
    return s;
}

std::uint16_t crc16(const std::uint8_t* data, std::size_t len)
{
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < len; ++i) {
        crc ^= static_cast<std::uint16_t>(data[i] << 8);
        for (int b = 0; b < 8; ++b)
            crc = (crc & 0x8000) ? static_cast<std::uint16_t>((crc << 1) ^ 0x1021)
                                 : static_cast<std::uint16_t>(crc << 1);
    }
    return crc;
}

std::uint16_t cal_crc126(const SpdImage& img, int n)
{
    if (n < 0)
        return 0;
    return crc16(img.data(), static_cast<std::size_t>(std::min(n, 511) + 1));
}

std::uint16_t cal_crc254(const SpdImage& img) { return crc16(img.data() + 128, 126); }

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

std::uint8_t hex_to_byte(QStringView text)
{
    if (text.isEmpty())
        return 0;
    if (text.size() == 1) {
        const int d = hexDigit(text.front());
        return static_cast<std::uint8_t>(d < 0 ? 0 : d);
    }
    const int lo = hexDigit(text.back());
    if (lo < 0)
        return 0;
    int hi = hexDigit(text.front());
    if (hi < 0)
        hi = 0;
    return static_cast<std::uint8_t>(hi * 16 + lo);
}

std::uint8_t bcd(int v)
{
    v %= 100;
    if (v < 0)
        v += 100;
    return static_cast<std::uint8_t>((v / 10) * 16 + v % 10);
}

DatePositions datePositions(int byte2)
{
    if (byte2 <= 8)
        return {93, 94};
    if (byte2 <= 11)
        return {120, 121};
    return {323, 324};
}

DateCode dateCodeOf(const QDate& d) { return {d.year() - 2000, vclock::sundayWeekOfYear(d)}; }

std::uint8_t yearByte(const DateCode& c) { return bcd(c.year); }

} // namespace spd
