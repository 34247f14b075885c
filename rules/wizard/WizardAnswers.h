#pragma once
// What the SPD wizard's pages offer and what they record, free of any
// widget: the captions of the type and speed options, the items of the
// module parameter and timing lists with their defaults, the organisation
// tables (address bits, density code, banks and refresh code of a device
// size and width), and the rules that turn the choices standing on a page
// into elements of the wizard answers.
//
// Memory types are coded as the answers hold them: 1 SDRAM, 2 DDR, 3 DDR2,
// 4 DDR3, 5 DDR4. List and option positions count from 0.

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

namespace wizard {

using AnswerRecord = std::array<std::int16_t, 16>;

// Elements of the answer record.
namespace element {
inline constexpr int Type = 0;
inline constexpr int Speed = 1;
inline constexpr int Ecc = 2;       // 1 without, 2 with
inline constexpr int RowBits = 3;
inline constexpr int ColumnBits = 4;
inline constexpr int Ranks = 5;
inline constexpr int Cas = 6;       // tCL list position; DDR4 clocks
inline constexpr int Trp = 7;       // clocks
inline constexpr int Trcd = 8;      // clocks
inline constexpr int Tras = 9;      // clocks
inline constexpr int Width = 10;    // width list position
inline constexpr int Size = 11;     // size list position
inline constexpr int Density = 13;
inline constexpr int Banks = 14;
inline constexpr int Refresh = 15;  // 78 or 156
} // namespace element

inline constexpr int kSdram = 1;
inline constexpr int kDdr = 2;
inline constexpr int kDdr2 = 3;
inline constexpr int kDdr3 = 4;
inline constexpr int kDdr4 = 5;

// ---- Module type and speed pages ----

// The captions of the five type options, option 0 first (type = option + 1).
QStringList typeCaptions();
// The four speed captions of a memory type; empty outside 1 to 5.
QStringList speedCaptions(int type);
// The speed code of an option (0 to 3) of a type's speed page: 1 to 20, four
// per type. 0 when either is out of range.
int speedCode(int type, int option);
// The option the speed page selects on entry: 2, or 1 for DDR4.
int defaultSpeedOption(int type);

// ---- Module parameter page ----

QStringList sizeItems(int type);
// Default size position; -1 for a type without items.
int defaultSizePosition(int type);
QStringList widthItems();
inline constexpr int kDefaultWidthPosition = 1;  // "x 8"
QStringList rankItems();
inline constexpr int kDefaultRankPosition = 0;   // "1 RANK"

// One cell of an organisation table.
struct Organisation {
    int rowBits;
    int columnBits;
    int density;
    int banks;    // 4 unless the cell says 8
    int refresh;  // 78 unless the cell says 156
    bool operator==(const Organisation&) const = default;
};

// The organisation of a device size and width: table A for SDRAM and DDR,
// B for DDR2, C for DDR3; a pair a table does not list takes the default
// cell 13 / 10 / 64 (4 banks, refresh 78). Nothing for DDR4 or a type
// outside 1 to 4.
std::optional<Organisation> organisationOf(int type, int sizePosition, int widthPosition);

// Leaving the module parameter page: elements 14 and 15 := 4 and 78, then
// 10 and 11 (the positions), then 3, 4, 13 and the cell's banks and refresh
// (not for DDR4, which leaves 3, 4 and 13 alone), then 5 (ranks 1 or 2) and
// 2 (ECC 1 or 2). Reads the type from element 0. A position below 0 counts
// as the list's first item.
void recordModuleParameters(AnswerRecord& a, int sizePosition, int widthPosition, int rankPosition, bool ecc);

// ---- Module timing page ----

struct TimingLists {
    QStringList tcl;
    QStringList trcd;
    QStringList trp;
    QStringList tras;
};
// The items of the four timing lists of a type; all empty outside 1 to 5.
TimingLists timingLists(int type);

// Positions in the four timing lists.
struct TimingPositions {
    int tcl;
    int trcd;
    int trp;
    int tras;
    bool operator==(const TimingPositions&) const = default;
};
// The positions the timing page selects on entry for a type and speed code.
// Every SDRAM grade, 166 MHz included, takes the SDRAM defaults. A speed
// code that does not belong to the type selects the first item of each
// list, so a position always exists in its list.
TimingPositions defaultTimingPositions(int type, int speedCode);

// Leaving the timing page: elements 6 to 9 := position + the clock count of
// the list's first item (tCL: position itself except DDR4; element 7 from
// the tRP list, element 8 from the tRCD list). Reads the type from element
// 0. A position below 0 counts as the list's first item.
void recordTimings(AnswerRecord& a, const TimingPositions& p);

// ---- Manufacturer page ----

// The text without the blanks (spaces) before and after it; tabs and other
// white space stay.
QString trimBlanks(const QString& text);

} // namespace wizard
