#include "rules/device/Protocol.h"

namespace device {

void appendHex2(QByteArray& out, int value)
{
    static const char digits[] = "0123456789ABCDEF";
    const int v = value & 0xFF;
    out.append(digits[v >> 4]);
    out.append(digits[v & 15]);
}

QByteArray frameMessage(char letter)
{
    QByteArray m;
    m.append(letter);
    m.append(kDle);
    m.append(kEnd);
    return m;
}

QByteArray shortMessage(char letter)
{
    QByteArray m;
    m.append(letter);
    m.append(kEnd);
    return m;
}

QByteArray settingsMessage(const std::array<std::int16_t, 16>& block)
{
    QByteArray m;
    m.reserve(36);
    m.append('H');
    m.append('0');
    for (std::int16_t w : block)
        appendHex2(m, w);
    m.append(kDle);
    m.append(kEnd);
    return m;
}

char blockCharacter(int k) { return static_cast<char>(48 + (k & 15)); }

QByteArray dataPacket(bool upperHalf, int block, const std::uint8_t* sixteen)
{
    QByteArray m;
    m.reserve(36);
    m.append(upperHalf ? 'W' : 'w');
    m.append(blockCharacter(block));
    for (int i = 0; i < 16; ++i)
        appendHex2(m, sixteen[i]);
    m.append(kDle);
    m.append(kEnd);
    return m;
}

} // namespace device
