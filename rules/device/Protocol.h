#pragma once
// The messages the program sends the programmer / module tester. Every
// message is one command letter, an optional payload of upper-case
// hexadecimal digit pairs, and a terminator: the frame terminator 0x10 0x7F,
// or the short terminator 0x7F alone (the version command "T", the blank
// check's "L" and the setting commands).

#include <QByteArray>
#include <array>
#include <cstdint>

namespace device {

inline constexpr char kDle = 0x10;
inline constexpr char kEnd = 0x7F;

// Letter + 0x10 0x7F (3 bytes).
QByteArray frameMessage(char letter);
// Letter + 0x7F (2 bytes).
QByteArray shortMessage(char letter);

// "H" "0", the sixteen words as 32 hexadecimal digits, 0x10 0x7F (36 bytes).
QByteArray settingsMessage(const std::array<std::int16_t, 16>& block);

// The block character of block k (0..15) of an SPD data packet: the character
// of code 48 + k, so "0".."9" and then ":" ";" "<" "=" ">" "?".
char blockCharacter(int k);

// One SPD data packet (36 bytes): "w" (lower half) or "W" (upper half), the
// block character, the sixteen bytes as 32 hexadecimal digits, 0x10 0x7F.
QByteArray dataPacket(bool upperHalf, int block, const std::uint8_t* sixteen);

// Two upper-case hexadecimal digits of a byte value.
void appendHex2(QByteArray& out, int value);

} // namespace device
