#include "rules/wizard/ImageBuilders.h"

#include "rules/spd/SpdRules.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

namespace wizard {

namespace {

// ---- Small helpers ----

std::uint8_t clampByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

void put(SpdImage& img, int i, int v) { img[static_cast<std::size_t>(i)] = clampByte(v); }

// The characters of a text as code points, so that a character outside the
// basic plane counts once.
std::vector<char32_t> codePoints(const QString& s)
{
    const QList<uint> u = s.toUcs4();
    return std::vector<char32_t>(u.begin(), u.end());
}

int hexValue(char32_t c)
{
    if (c >= U'0' && c <= U'9')
        return static_cast<int>(c - U'0');
    if (c >= U'A' && c <= U'F')
        return static_cast<int>(c - U'A') + 10;
    if (c >= U'a' && c <= U'f')
        return static_cast<int>(c - U'a') + 10;
    return -1;
}

// One byte of hexadecimal text: a character that is no digit, and a missing
// low digit, count 0.
std::uint8_t pairByte(const std::vector<char32_t>& s, std::size_t hiAt)
{
    const int hi = hiAt < s.size() ? std::max(hexValue(s[hiAt]), 0) : 0;
    const int lo = hiAt + 1 < s.size() ? std::max(hexValue(s[hiAt + 1]), 0) : 0;
    return static_cast<std::uint8_t>(hi * 16 + lo);
}

// The part number from byte `first`, at most `room` characters; the bytes
// after its end are left as they are (00).
void putPartNumber(SpdImage& img, int first, int room, const QString& text)
{
    const std::vector<char32_t> s = codePoints(text);
    const int m = std::min(static_cast<int>(s.size()), room);
    for (int k = 0; k < m; ++k)
        img[static_cast<std::size_t>(first + k)] = partNumberByte(s[static_cast<std::size_t>(k)]);
}

struct ByteValue {
    int index;
    int value;
};

template <std::size_t N>
void putAll(SpdImage& img, const std::array<ByteValue, N>& bytes)
{
    for (const ByteValue& b : bytes)
        put(img, b.index, b.value);
}

// ---- SDRAM, DDR and DDR2 ----

// The fixed bytes of a speed grade, and its clock period in quarter
// nanoseconds (every period of these grades is a whole number of them).
struct SdrGrade {
    int tck4;
    std::array<ByteValue, 12> fixed;
};
struct DdrGrade {
    int tck4;
    std::array<ByteValue, 18> fixed;
};
struct Ddr2Grade {
    int tck4;
    std::array<ByteValue, 23> fixed;
};

const SdrGrade kSdram[4] = {
    {60, {{{9, 0xF0}, {10, 0x70}, {23, 0xA0}, {24, 0x60}, {25, 0x00}, {26, 0x00}, {28, 0x14}, {32, 0x20}, {33, 0x10}, {34, 0x20}, {35, 0x10}, {41, 0x46}}}},
    {40, {{{9, 0xA0}, {10, 0x60}, {23, 0xA0}, {24, 0x60}, {25, 0x00}, {26, 0x00}, {28, 0x14}, {32, 0x20}, {33, 0x10}, {34, 0x20}, {35, 0x10}, {41, 0x46}}}},
    {30, {{{9, 0x75}, {10, 0x54}, {23, 0xA0}, {24, 0x60}, {25, 0x00}, {26, 0x00}, {28, 0x0F}, {32, 0x15}, {33, 0x08}, {34, 0x15}, {35, 0x08}, {41, 0x42}}}},
    {24, {{{9, 0x60}, {10, 0x3C}, {23, 0xA0}, {24, 0x60}, {25, 0x00}, {26, 0x00}, {28, 0x0F}, {32, 0x15}, {33, 0x08}, {34, 0x15}, {35, 0x08}, {41, 0x42}}}},
};

const DdrGrade kDdr[4] = {
    {40, {{{9, 0xA0}, {10, 0x80}, {15, 0x01}, {23, 0xA0}, {24, 0x75}, {25, 0x00}, {26, 0x00}, {28, 0x3C}, {32, 0xA0},
           {33, 0xA0}, {34, 0x50}, {35, 0x50}, {41, 0x41}, {42, 0x78}, {43, 0x34}, {44, 0x32}, {45, 0x75}, {47, 0x01}}}},
    {30, {{{9, 0x75}, {10, 0x75}, {15, 0x01}, {23, 0xA0}, {24, 0x75}, {25, 0x00}, {26, 0x00}, {28, 0x3C}, {32, 0xA0},
           {33, 0xA0}, {34, 0x50}, {35, 0x50}, {41, 0x41}, {42, 0x78}, {43, 0x34}, {44, 0x32}, {45, 0x75}, {47, 0x01}}}},
    {24, {{{9, 0x60}, {10, 0x70}, {15, 0x01}, {23, 0x75}, {24, 0x70}, {25, 0x00}, {26, 0x00}, {28, 0x30}, {32, 0x80},
           {33, 0x80}, {34, 0x45}, {35, 0x45}, {41, 0x3C}, {42, 0x78}, {43, 0x30}, {44, 0x2D}, {45, 0x55}, {47, 0x01}}}},
    {20, {{{9, 0x50}, {10, 0x70}, {15, 0x01}, {23, 0x60}, {24, 0x70}, {25, 0x75}, {26, 0x75}, {28, 0x28}, {32, 0x60},
           {33, 0x60}, {34, 0x40}, {35, 0x40}, {41, 0x37}, {42, 0x46}, {43, 0x30}, {44, 0x28}, {45, 0x50}, {47, 0x01}}}},
};

const Ddr2Grade kDdr2[4] = {
    {20, {{{9, 0x50}, {10, 0x60}, {22, 0x01}, {23, 0x50}, {24, 0x60}, {25, 0x00}, {26, 0x00}, {28, 0x28},
           {32, 0x35}, {33, 0x47}, {34, 0x15}, {35, 0x27}, {36, 0x3C}, {37, 0x28}, {38, 0x1E}, {39, 0x00},
           {40, 0x00}, {41, 0x37}, {42, 0x69}, {43, 0x80}, {44, 0x23}, {45, 0x2D}, {46, 0x2D}}}},
    {15, {{{9, 0x3D}, {10, 0x50}, {22, 0x01}, {23, 0x50}, {24, 0x50}, {25, 0x00}, {26, 0x00}, {28, 0x1E},
           {32, 0x25}, {33, 0x2D}, {34, 0x10}, {35, 0x22}, {36, 0x3C}, {37, 0x1E}, {38, 0x1E}, {39, 0x00},
           {40, 0x00}, {41, 0x3C}, {42, 0x69}, {43, 0x80}, {44, 0x1E}, {45, 0x28}, {46, 0x00}}}},
    {12, {{{9, 0x30}, {10, 0x45}, {22, 0x03}, {23, 0x3D}, {24, 0x45}, {25, 0x50}, {26, 0x45}, {28, 0x18},
           {32, 0x20}, {33, 0x27}, {34, 0x05}, {35, 0x17}, {36, 0x3C}, {37, 0x1E}, {38, 0x1E}, {39, 0x00},
           {40, 0x00}, {41, 0x3C}, {42, 0x69}, {43, 0x80}, {44, 0x18}, {45, 0x24}, {46, 0x00}}}},
    {10, {{{9, 0x25}, {10, 0x40}, {22, 0x03}, {23, 0x3D}, {24, 0x40}, {25, 0x00}, {26, 0x00}, {28, 0x14},
           {32, 0x20}, {33, 0x27}, {34, 0x05}, {35, 0x17}, {36, 0x3C}, {37, 0x1E}, {38, 0x1E}, {39, 0x00},
           {40, 0x30}, {41, 0x39}, {42, 0x69}, {43, 0x80}, {44, 0x14}, {45, 0x1E}, {46, 0x00}}}},
};

// Whole nanoseconds of a clock count (tRAS, and the SDRAM tRP and tRCD).
int wholeNs(int clocks, int tck4) { return clocks * tck4 / 4; }

// The clock-dependent bytes of speed codes 1 to 12: the grade's fixed bytes,
// then tRP (27), tRCD (29) and tRAS (30) from elements 7, 8 and 9.
void speedTemplate(SpdImage& img, const AnswerRecord& a)
{
    const int code = a[1];
    const int trp = a[7];
    const int trcd = a[8];
    const int tras = a[9];
    if (code >= 1 && code <= 4) {
        const SdrGrade& g = kSdram[code - 1];
        putAll(img, g.fixed);
        // Two and three clocks have rows of their own, every other count
        // takes the four-clock row.
        auto rowOf = [](int c) { return c == 2 || c == 3 ? c : 4; };
        put(img, 27, wholeNs(rowOf(trp), g.tck4));
        put(img, 29, wholeNs(rowOf(trcd), g.tck4));
        put(img, 30, wholeNs(tras, g.tck4));
    } else if (code >= 5 && code <= 8) {
        const DdrGrade& g = kDdr[code - 5];
        putAll(img, g.fixed);
        // Quarter nanoseconds; a time beyond the byte holds FF.
        put(img, 27, trp * g.tck4);
        put(img, 29, trcd * g.tck4);
        put(img, 30, wholeNs(tras, g.tck4));
    } else if (code >= 9 && code <= 12) {
        const Ddr2Grade& g = kDdr2[code - 9];
        putAll(img, g.fixed);
        // Quarter nanoseconds for two to six clocks; any other count takes
        // the grade's fallback.
        auto quarters = [&g](int c, int fallbackClocks) { return (c >= 2 && c <= 6 ? c : fallbackClocks) * g.tck4; };
        put(img, 27, quarters(trp, code == 9 ? 3 : 4));
        put(img, 29, quarters(trcd, 4));
        put(img, 30, wholeNs(tras, g.tck4));
    }
}

int casBitsDdr2Family(int type, int position)
{
    static const int sdram[3] = {0x01, 0x02, 0x04};
    static const int ddr[9] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x1C, 0x0C, 0x18};
    static const int ddr2[7] = {0x04, 0x08, 0x10, 0x20, 0x40, 0x38, 0x30};
    switch (type) {
    case 1: return position >= 0 && position <= 2 ? sdram[position] : 0x06;
    case 2: return position >= 0 && position <= 8 ? ddr[position] : -1;
    case 3: return position >= 0 && position <= 6 ? ddr2[position] : -1;
    default: return -1;
    }
}

// ---- DDR3 ----

struct Ddr3Grade {
    int tck;  // medium time base units
    int b12, b16, b19, b23, b28, b29;
    int trpPreset, trcdPreset, b21Preset, b22Preset;
};

const Ddr3Grade kDdr3[4] = {
    {20, 0x14, 0x78, 0x50, 0xA4, 0x01, 0x40, 0x78, 0x78, 0x11, 0x2C},
    {15, 0x0F, 0x69, 0x3C, 0x95, 0x01, 0x2C, 0x69, 0x69, 0x11, 0x2C},
    {12, 0x0C, 0x60, 0x30, 0x80, 0x00, 0xF0, 0x60, 0x60, 0x11, 0x20},
    {10, 0x0A, 0x50, 0x28, 0x5A, 0x01, 0xC8, 0x64, 0x5A, 0x10, 0xF0},
};

// Byte 4 by device width and size position: the density code; -1 for a
// pair without one.
int ddr3DensityCode(int width, int size)
{
    switch (width) {
    case 0: return size >= 3 && size <= 5 ? size - 3 : -1;
    case 1: return size >= 2 && size <= 6 ? size - 2 : -1;
    case 2: return size >= 1 && size <= 4 ? size - 1 : -1;
    default: return -1;
    }
}

// CAS latencies of a tCL list position, bit CL - 4 for each.
int ddr3CasBits(int position)
{
    static const int bits[18] = {0x0001, 0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040, 0x0080, 0x0100,
                                 0x0006, 0x000E, 0x000C, 0x001C, 0x001E, 0x0038, 0x0070, 0x00E0, 0x0078};
    return position >= 0 && position <= 17 ? bits[position] : -1;
}

// ---- DDR4 ----

struct Ddr4Organisation {
    int width, size;
    int b4, b5;
    int density;  // Gbit
    int page;     // bytes
};

const Ddr4Organisation kDdr4Organisations[12] = {
    {1, 0, 0x83, 0x11, 2, 1024},  {1, 1, 0x84, 0x19, 4, 1024}, {1, 2, 0x85, 0x21, 8, 1024},
    {1, 3, 0x86, 0x29, 16, 1024}, {0, 1, 0x83, 0x19, 2, 512},  {0, 2, 0x84, 0x21, 4, 512},
    {0, 3, 0x85, 0x29, 8, 512},   {0, 4, 0x86, 0x31, 16, 512}, {2, 0, 0x44, 0x11, 4, 2048},
    {2, 1, 0x45, 0x19, 8, 2048},  {2, 2, 0x46, 0x21, 16, 2048}, {2, 3, 0x47, 0x31, 32, 2048},
};

struct Ddr4Activate {
    int speed, page;
    int b37, b38, b119, b39, b118;
};

const Ddr4Activate kDdr4Activate[12] = {
    {17, 512, 0x88, 0x22, 0xCE, 0x2B, 0xB4},  {17, 1024, 0xB8, 0x22, 0xCE, 0x2B, 0xB4},
    {17, 2048, 0xF0, 0x2B, 0xB4, 0x34, 0x9C}, {18, 512, 0x78, 0x1E, 0xCE, 0x2B, 0xB4},
    {18, 1024, 0xA8, 0x1E, 0xCE, 0x2B, 0xB4}, {18, 2048, 0xF0, 0x2B, 0xB4, 0x34, 0x9C},
    {19, 512, 0x68, 0x1B, 0xB4, 0x28, 0x9C},  {19, 1024, 0xA8, 0x1B, 0xB4, 0x28, 0x9C},
    {19, 2048, 0xF0, 0x2B, 0xB4, 0x34, 0x9C}, {20, 512, 0x68, 0x17, 0xB4, 0x25, 0x9C},
    {20, 1024, 0xA8, 0x17, 0xB4, 0x25, 0x9C}, {20, 2048, 0xF0, 0x2B, 0xB4, 0x2D, 0x9C},
};
const Ddr4Activate kDdr4ActivateDefault = {0, 0, 0x68, 0x17, 0xB4, 0x2D, 0x9C};

struct Ddr4Grade {
    double k;  // ten times the clock period in ns, two decimals
    int b18, b125, b29, b120, b40, b117, b20;
};

const Ddr4Grade kDdr4[4] = {
    {10.71, 0x09, 0xCA, 0x77, 0xE7, 0x2B, 0xEC, 0xF8},
    {9.38, 0x08, 0xC1, 0x72, 0x88, 0x2B, 0xEC, 0xF8},
    {8.33, 0x07, 0xD6, 0x64, 0x00, 0x28, 0x00, 0xF0},
    {7.5, 0x06, 0x00, 0x5A, 0x00, 0x28, 0x00, 0xF0},
};

// Clocks to medium time base units, rounded to the nearest (a half to the
// even neighbour), in the order multiply, divide, subtract.
int ddr4Mtb(int clocks, double k, double minus)
{
    return static_cast<int>(std::nearbyint(static_cast<double>(clocks) * k / 1.25 - minus));
}

} // namespace

// ---- Shared pieces ----

std::uint8_t continuationCode(int count)
{
    const unsigned c = static_cast<unsigned>(count) & 0x7Fu;
    return static_cast<std::uint8_t>(c | (std::popcount(c) % 2 == 0 ? 0x80u : 0u));
}

JedecId jedecIdOf(const QString& text)
{
    std::vector<char32_t> s = codePoints(text);
    if (s.empty())
        s = {U' ', U' '};
    const std::size_t n = s.size() + (s.size() & 1);
    JedecId out;
    for (std::size_t p = 0; p + 1 < n / 2; ++p) {
        if (s[2 * p] == U'7' && (s[2 * p + 1] == U'F' || s[2 * p + 1] == U'f'))
            ++out.continuation;
        else
            break;
    }
    out.continuation = std::min(out.continuation, 127);
    out.id = pairByte(s, n - 2);
    return out;
}

std::uint8_t partNumberByte(char32_t c) { return c <= 0xFF ? static_cast<std::uint8_t>(c) : std::uint8_t{'?'}; }

// ---- SDRAM, DDR and DDR2 ----

BuiltImage ddr2_set(const AnswerRecord& a, const Texts& t)
{
    BuiltImage out;
    out.lastByte = 255;
    out.greenLast = 63;
    out.typeCode = 2;
    out.checksum63 = true;
    SpdImage& img = out.image;

    const int type = a[0];
    const bool known = type >= 1 && type <= 3;
    const bool ecc = a[2] == 2;
    const bool oneRank = a[5] == 1;

    put(img, 0, 0x80);
    put(img, 1, 0x08);
    if (known)
        put(img, 2, std::array{0x04, 0x07, 0x08}[type - 1]);
    put(img, 3, a[3]);
    put(img, 4, a[4]);
    if (known)
        put(img, 5, type == 3 ? (oneRank ? 0x60 : 0x61) : (oneRank ? 0x01 : 0x02));
    put(img, 6, ecc ? 0x48 : 0x40);
    put(img, 7, 0x00);
    put(img, 11, ecc ? 0x02 : 0x00);
    if (known)
        put(img, 8, std::array{0x01, 0x04, 0x05}[type - 1]);

    speedTemplate(img, a);

    put(img, 12, a[15] == 156 ? 0x80 : 0x82);
    put(img, 13, a[10] == 0 ? 0x04 : a[10] == 1 ? 0x08 : 0x10);
    put(img, 14, !ecc ? 0x00 : a[10] == 2 ? 0x10 : 0x08);
    put(img, 16, 0x0C);
    put(img, 17, a[14]);
    if (const int cas = casBitsDdr2Family(type, a[6]); cas >= 0)
        put(img, 18, cas);
    put(img, 19, 0x00);
    if (known)
        put(img, 20, type == 3 ? 0x02 : 0x01);
    put(img, 21, 0x00);
    put(img, 31, a[13]);
    if (known)
        put(img, 62, type == 1 ? 0x20 : 0x12);

    // Byte 63 sums bytes 0 to 62; the identifier and the part number lie
    // beyond it.
    img[63] = static_cast<std::uint8_t>(spd::cal_spd_sum(img, 62));

    // Identifier, bytes 64 to 67: up to four digit pairs.
    std::vector<char32_t> id = codePoints(t[0]);
    if (id.size() > 8)
        id.resize(8);
    if (id.empty())
        id = {U' ', U' '};
    const std::size_t pairs = (id.size() + 1) / 2;
    for (std::size_t p = 0; p < pairs; ++p)
        img[64 + p] = pairByte(id, 2 * p);

    putPartNumber(img, 73, 18, t[1]);
    return out;
}

// ---- DDR3 ----

BuiltImage ddr3_set(const AnswerRecord& a, const Texts& t)
{
    BuiltImage out;
    out.lastByte = 255;
    out.greenLast = 127;
    out.typeCode = 4;
    out.selectCrc = true;
    SpdImage& img = out.image;

    static constexpr std::array<ByteValue, 19> header = {{{0, 0x92}, {1, 0x00}, {2, 0x0B}, {3, 0x02}, {6, 0x00},
                                                          {9, 0x52}, {10, 0x01}, {11, 0x08}, {13, 0x00}, {17, 0x78},
                                                          {24, 0xD0}, {25, 0x02}, {26, 0x3C}, {27, 0x3C}, {30, 0x03},
                                                          {31, 0x0D}, {60, 0x10}, {61, 0x11}, {62, 0x00}}};
    putAll(img, header);

    // Density: only with 4 or 8 banks and a listed width and size; the bank
    // field stays 0 (eight banks) either way.
    if (a[14] == 4 || a[14] == 8)
        if (const int d = ddr3DensityCode(a[10], a[11]); d >= 0)
            put(img, 4, d);
    const int rows = a[3] >= 12 && a[3] <= 16 ? a[3] - 12 : 0;
    const int cols = a[4] >= 9 && a[4] <= 12 ? a[4] - 9 : 0;
    put(img, 5, (rows << 3) | cols);
    const int width = a[10] == 1 ? 1 : a[10] == 2 ? 2 : 0;
    put(img, 7, ((a[5] == 1 ? 0 : 1) << 3) | width);
    put(img, 8, a[2] == 1 ? 0x03 : 0x0B);

    if (a[1] >= 13 && a[1] <= 16) {
        const Ddr3Grade& g = kDdr3[a[1] - 13];
        put(img, 12, g.b12);
        put(img, 16, g.b16);
        put(img, 19, g.b19);
        put(img, 23, g.b23);
        put(img, 28, g.b28);
        put(img, 29, g.b29);
        // Every count the timing page offers is clocks x tCK; other counts
        // keep the grade's preset. A time beyond its byte holds FF.
        put(img, 20, a[7] >= 4 && a[7] <= 15 ? a[7] * g.tck : g.trpPreset);
        put(img, 18, a[8] >= 4 && a[8] <= 15 ? a[8] * g.tck : g.trcdPreset);
        if (a[9] >= 12 && a[9] <= 32) {
            const int v = a[9] * g.tck;
            put(img, 22, v & 0xFF);
            put(img, 21, 0x10 | (v >> 8));  // tRC's upper nibble stays 1
        } else {
            put(img, 21, g.b21Preset);
            put(img, 22, g.b22Preset);
        }
    }

    if (const int cas = ddr3CasBits(a[6]); cas >= 0) {
        put(img, 15, cas >> 8);
        put(img, 14, cas & 0xFF);
    }

    // The identifier names both the module maker and the DRAM maker.
    const JedecId id = jedecIdOf(t[0]);
    put(img, 117, continuationCode(id.continuation));
    put(img, 148, continuationCode(id.continuation));
    put(img, 118, id.id);
    put(img, 149, id.id);

    putPartNumber(img, 128, 18, t[1]);
    return out;
}

// ---- DDR4 ----

BuiltImage ddr4_set(const AnswerRecord& a, const Texts& t)
{
    BuiltImage out;
    out.lastByte = 511;
    out.greenLast = 255;
    out.typeCode = 5;
    out.selectCrc = true;
    SpdImage& img = out.image;

    static constexpr std::array<ByteValue, 6> fixed = {{{0, 0x23}, {1, 0x10}, {2, 0x0C}, {3, 0x02}, {7, 0x08}, {11, 0x03}}};
    putAll(img, fixed);
    // Connector to SDRAM bit mapping.
    static constexpr int mapping[18] = {0x16, 0x36, 0x16, 0x36, 0x16, 0x36, 0x16, 0x36, 0x00,
                                        0x00, 0x2B, 0x0C, 0x2B, 0x0C, 0x2B, 0x0C, 0x2B, 0x0C};
    for (int i = 0; i < 18; ++i)
        put(img, 60 + i, mapping[i]);

    // Organisation: density and banks, addressing; density and page size
    // choose the refresh and activate times.
    int density = 0;
    int page = 0;
    for (const Ddr4Organisation& o : kDdr4Organisations) {
        if (o.width == a[10] && o.size == a[11]) {
            put(img, 4, o.b4);
            put(img, 5, o.b5);
            density = o.density;
            page = o.page;
            break;
        }
    }

    // tRFC1, tRFC2 and tRFC4, each least significant byte first.
    static constexpr std::array<int, 6> refresh2 = {0x00, 0x05, 0x70, 0x03, 0xD0, 0x02};
    static constexpr std::array<int, 6> refresh4 = {0x20, 0x08, 0x00, 0x05, 0x70, 0x03};
    static constexpr std::array<int, 6> refreshOther = {0xF0, 0x0A, 0x20, 0x08, 0x00, 0x05};
    const std::array<int, 6>& refresh = density == 2 ? refresh2 : density == 4 ? refresh4 : refreshOther;
    for (int i = 0; i < 6; ++i)
        put(img, 30 + i, refresh[static_cast<std::size_t>(i)]);

    const Ddr4Activate* act = &kDdr4ActivateDefault;
    for (const Ddr4Activate& r : kDdr4Activate)
        if (r.speed == a[1] && r.page == page)
            act = &r;
    put(img, 36, 0x00);
    put(img, 37, act->b37);
    put(img, 38, act->b38);
    put(img, 119, act->b119);
    put(img, 39, act->b39);
    put(img, 118, act->b118);

    put(img, 12, std::clamp<int>(a[10], 0, 255) + (a[5] != 1 ? 0x08 : 0x00));
    put(img, 13, a[2] == 1 ? 0x03 : 0x0B);

    if (a[1] >= 17 && a[1] <= 20) {
        const Ddr4Grade& g = kDdr4[a[1] - 17];
        put(img, 18, g.b18);
        put(img, 125, g.b125);
        put(img, 24, ddr4Mtb(a[6], g.k, 1.0));
        put(img, 25, ddr4Mtb(a[8], g.k, 1.0));
        put(img, 26, ddr4Mtb(a[7], g.k, 1.0));
        // tRAS one unit short, as bytes 24 to 26, carried across the upper
        // nibble in byte 27 (tRC's upper nibble is 1).
        const int tras = std::clamp(ddr4Mtb(a[9], g.k, 0.0) - 1, 0, 0xFFF);
        put(img, 28, tras & 0xFF);
        put(img, 27, 0x10 | (tras >> 8));
        put(img, 29, g.b29);
        put(img, 120, g.b120);
        put(img, 40, g.b40);
        put(img, 117, g.b117);
        put(img, 20, g.b20);
        put(img, 21, 0x3F);
    }

    put(img, 19, 0x0C);
    put(img, 128, 0x11);
    put(img, 129, 0x11);
    put(img, 130, 0x01);
    put(img, 131, 0x01);

    const JedecId id = jedecIdOf(t[0]);
    put(img, 350, continuationCode(id.continuation));
    put(img, 351, id.id);

    putPartNumber(img, 329, 20, t[1]);
    return out;
}

BuiltImage buildImage(const AnswerRecord& a, const Texts& t)
{
    if (a[0] <= 3)
        return ddr2_set(a, t);
    if (a[0] == 4)
        return ddr3_set(a, t);
    return ddr4_set(a, t);
}

} // namespace wizard
