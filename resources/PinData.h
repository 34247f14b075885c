#pragma once
// The ball assignments of the DRAM packages and the pin assignments of the
// module edge connectors that the pin-map pictures show.

#include <QString>
#include <QStringList>
#include <vector>

namespace pictures {

// A fine-pitch ball grid: rows of letters (I, O, Q, S skipped) and the six
// populated columns 1, 2, 3, 7, 8, 9; an empty name is a position without a
// ball.
struct ChipPackage {
    QString generation;   // "DDR3 SDRAM"
    QString widths;       // "x4 / x8"
    int declaredBalls = 0;
    QStringList rowLetters;
    std::vector<QStringList> rows;  // six names each, columns 1 2 3 7 8 9
    QString note;
    int ballCount() const;
};

// A module's edge connector: names of pins 1..pins (index 0 is pin 1).
// DIMMs number the front side first (1..pins/2) and the back side after it;
// SO-DIMMs put the odd pins on the front and the even pins on the back. The
// key notch lies after front pin keyAfter (DIMM) or after pin keyAfter and
// keyAfter + 1 (SO-DIMM, keyAfter even).
struct ModuleConnector {
    QString title;        // "DDR3 SDRAM DIMM"
    int pins = 0;
    bool soDimm = false;
    int keyAfter = 0;
    QString volts;        // "1.5 V"
    double widthMm = 0;
    double heightMm = 0;
    QStringList names;
    // Front-side pins left and right of the key, in the order they sit.
    int frontPinsBeforeKey() const;
    // Text naming the pins either side of the key on both faces.
    QString keyText() const;
};

inline constexpr int kMapCount = 7;

// Index as in the viewers' lists: 0 DDR, 1 DDR2 x4/x8, 2 DDR2 x16,
// 3 DDR3 x4/x8, 4 DDR3 x16, 5 DDR4 x4/x8, 6 DDR4 x16.
const ChipPackage& chipPackage(int index);
// 0 DDR DIMM 184, 1 DDR SO-DIMM 200, 2 DDR2 DIMM 240, 3 DDR2 SO-DIMM 200,
// 4 DDR3 DIMM 240, 5 DDR3 SO-DIMM 204, 6 DDR4 DIMM 288.
const ModuleConnector& moduleConnector(int index);

} // namespace pictures
