#pragma once
// SPD images for the XMP view tests: real modules from the corpus, and XMP
// blocks written byte by byte from the block layouts.

#include "state/Globals.h"
#include "support/TestEnv.h"

#include <QFile>
#include <algorithm>
#include <initializer_list>
#include <utility>

namespace xmptest {

using velmora::SpdImage;

inline SpdImage corpus(const char* name)
{
    SpdImage img{};
    QFile f(testData(QStringLiteral("corpus/") + QLatin1String(name)));
    if (!f.open(QIODevice::ReadOnly))
        return img;
    const QByteArray bytes = f.readAll();
    for (int i = 0; i < bytes.size() && i < 512; ++i)
        img[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bytes[i]);
    return img;
}

inline void poke(SpdImage& img, std::initializer_list<std::pair<int, int>> bytes)
{
    for (auto [i, v] : bytes)
        img[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v);
}

// DDR4-2400 RDIMM (Samsung), no XMP block.
inline SpdImage ddr4Plain() { return corpus("memtest86plus_DDR4-M393A1G40EB1-CRC.bin"); }

// The same module with an XMP 2.0 block: profile 1 DDR4-3200 (tCK 5 MTB)
// at 1.35 V, CL 16 18 20 22; profile 2 at tCK 682 ps (6 MTB, fine -68) at
// 1.2 V, CL 10 to 24, with fine corrections on most fields.
inline SpdImage ddr4TwoProfiles()
{
    SpdImage img = ddr4Plain();
    // The module keeps its own data above byte 383; the block starts clean.
    std::fill(img.begin() + 384, img.end(), std::uint8_t{0});
    poke(img, {{384, 0x0C}, {385, 0x4A}, {386, 0x03}, {387, 0x20}});
    // Profile 1 (393..439): tAA 80, tRCD/tRP 90, tRAS 0x0BE, tRC 0x118,
    // tRFC1/2/4 2800/2080/1280, tFAW 240, tRRD_S 43 -75 ps, tRRD_L 52 -100 ps.
    poke(img, {{393, 0xA3}, {396, 0x05}, {397, 0x00}, {398, 0xAA}, {399, 0x00}, {401, 0x50}, {402, 0x5A},
               {403, 0x5A}, {404, 0x10}, {405, 0xBE}, {406, 0x18}, {407, 0xF0}, {408, 0x0A}, {409, 0x20},
               {410, 0x08}, {411, 0x00}, {412, 0x05}, {413, 0x00}, {414, 0xF0}, {415, 0x2B}, {416, 0x34},
               {425, 0x9C}, {426, 0xB5}});
    // Profile 2 (440..486): tAA 111 -125 ps, tRCD 110, tRP 110 -5 ps,
    // tRAS 0x100, tRC 0x16E, tRFC1/2/4 4400/2800/2080, tFAW 168,
    // tRRD_S 27 -75 ps, tRRD_L 40 -100 ps.
    poke(img, {{440, 0x94}, {443, 0x06}, {478, 0xBC}, {444, 0xF8}, {445, 0xFF}, {446, 0x03}, {448, 0x6F},
               {477, 0x83}, {449, 0x6E}, {450, 0x6E}, {475, 0xFB}, {451, 0x11}, {452, 0x00}, {453, 0x6E},
               {454, 0x30}, {455, 0x11}, {456, 0xF0}, {457, 0x0A}, {458, 0x20}, {459, 0x08}, {460, 0x00},
               {461, 0xA8}, {462, 0x1B}, {463, 0x28}, {472, 0x9C}, {473, 0xB5}});
    return img;
}

// DDR3-1600 UDIMM (Samsung), no XMP block.
inline SpdImage ddr3Plain() { return corpus("memtest86plus_DDR3-M378B5173DB0-CK0.bin"); }

// The same module with an XMP 1.3 block: profile 1 at timebase 1/14
// (T 714), 15 clocks of it, 1.50 V; profile 2 at 1/12 (T 833), 10 clocks,
// 1.65 V, with a refresh count of 32768.
inline SpdImage ddr3TwoProfiles()
{
    SpdImage img = ddr3Plain();
    poke(img, {{176, 0x0C}, {177, 0x4A}, {178, 0x03}, {179, 0x13},
               {180, 1}, {181, 14}, {182, 1}, {183, 12}, {184, 0}});
    // Profile 1, bytes 185 to 219.
    poke(img, {{185, 0x2A}, {186, 15}, {187, 135}, {188, 0xE0}, {189, 0x00},
               {190, 98}, {191, 135}, {192, 135}, {193, 210},
               {194, 0x21}, {195, 0x7A}, {196, 0x01},  // tRAS 0x17A, tRC 0x201
               {197, 0x00}, {198, 0x01},               // tREFI 256
               {199, 0xC1}, {200, 0x08},               // tRFC 2241
               {201, 105}, {202, 84}, {203, 0x01}, {204, 0xC0}, {205, 105},
               {208, 16}});
    // Profile 2, bytes 220 to 254.
    poke(img, {{220, 0x2D}, {221, 10}, {222, 160}, {223, 0x00}, {224, 0x7F},
               {225, 0}, {226, 160}, {227, 165}, {228, 180},
               {229, 0x21}, {230, 0x80}, {231, 0x2B},  // tRAS 0x180, tRC 0x22B
               {232, 0x3F}, {233, 0x00},               // tREFI 63
               {234, 0x00}, {235, 0x80},               // tRFC 32768
               {236, 90}, {237, 90}, {238, 0x01}, {239, 0x20}, {240, 90},
               {243, 0}});
    return img;
}

} // namespace xmptest
