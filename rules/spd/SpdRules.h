#pragma once
// The integrity and date rules of an SPD image, free of any window: the
// byte-63 checksum, the JEDEC CRC-16, hexadecimal text to a byte, and the
// manufacturing date code.

#include "state/SpdImage.h"

#include <QDate>
#include <QStringView>
#include <cstdint>

namespace spd {

using velmora::SpdImage;

// Sum of entries 0..n, reduced modulo 256 after each addition (n <= 511).
int cal_spd_sum(const SpdImage& img, int n);

// CRC-16 of the SPD layouts: polynomial 0x1021, initial value 0, most
// significant bit first, no reflection, no final XOR.
std::uint16_t crc16(const std::uint8_t* data, std::size_t len);
// CRC over entries 0..n (n is 116 or 125).
std::uint16_t cal_crc126(const SpdImage& img, int n);
// CRC over entries 128..253 (DDR4's second CRC).
std::uint16_t cal_crc254(const SpdImage& img);
// Last byte covered by the first CRC: 116 when bit 7 of byte 0 is set.
inline int crcLastIndex(const SpdImage& img) { return (img[0] & 0x80) ? 116 : 125; }

// Hexadecimal text to a byte: one character gives its digit; a longer text
// takes the first character as the high digit and the last as the low digit.
// A first character that is not a hexadecimal digit counts as 0; a last
// character that is not one makes the result 0; the empty text gives 0.
std::uint8_t hex_to_byte(QStringView text);
// The value of one hexadecimal digit, or -1.
int hexDigit(QChar c);

// BCD of 0..99: tens digit in the high half.
std::uint8_t bcd(int v);

// Positions of the year and week bytes of the date code by SPD byte 2.
struct DatePositions {
    int year;
    int week;
};
DatePositions datePositions(int byte2);

// The date code of a day: (year - 2000, Sunday-based week of the year).
struct DateCode {
    int year;  // year - 2000
    int week;  // 1..54
};
DateCode dateCodeOf(const QDate& d);
// The year byte stamped for a date code: BCD of the year within its century,
// so every year stamps a byte 0x00..0x99.
std::uint8_t yearByte(const DateCode& c);

} // namespace spd
