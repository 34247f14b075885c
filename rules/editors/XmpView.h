#pragma once
// The captions of the XMP view, free of any window: for a DDR3 or DDR4 image
// they yield the text of every value label of the JEDEC column and of the two
// XMP profile columns, the revision, which profile area and columns are
// shown, and the font and colour switches of single labels. The window
// (editors/Frmxmp) applies them.
//
// The XMP header and the profiles are read through the block layout and the
// readers of rules/editors/XmpBlock, which the XMP wizard writes with; the
// JEDEC columns read the JEDEC bytes of the image.
//
// All arithmetic is exact: DDR4 times in whole picoseconds, DDR3 times as
// fractions of the profile's timebase, rounded once, a half to the even
// neighbour. No byte value stops a decode. A row of a decoded column that
// has no value shows kNoValue, never a placeholder that could be read as
// one: the speed and the clock counts of a column whose clock period is zero
// or negative (or whose DDR3 timebase is missing, then also its times), and
// a time whose clock count comes out negative.

#include "state/SpdImage.h"

#include <QString>
#include <array>
#include <cstdint>
#include <span>

namespace xmpview {

using velmora::SpdImage;

// Every value label array of the view (the control array names).
enum class Row : std::uint8_t {
    SPEED, VOLT, CL_SUPPORT, TAA, TRCD, TRP, TRAS, TRC,
    // DDR3 only
    TWR, TRFC, TRTP, TRRD, TWTR, TCWL, TREFI, CMD,
    // both panels
    TFAW,
    // DDR4 only
    TRFC1, TRFC2, TRFC4, TRRDS, TRRDL,
    Count
};
inline constexpr int kRowCount = static_cast<int>(Row::Count);

// The control array name of a row ("CL_SUPPORT").
const QString& arrayName(Row r);

// One row of a panel, top to bottom: its value array, the label array of its
// title and the title's caption.
struct PanelRow {
    Row row;
    const char* titleArray;
    const char* title;
};
std::span<const PanelRow> ddr3Rows();  // 17 rows
std::span<const PanelRow> ddr4Rows();  // 14 rows

// Element index of a value label: the panel and the column.
enum class Column : std::uint8_t { Jedec, Profile1, Profile2 };
int ddr3Index(Column c);  // 0, 1, 2
int ddr4Index(Column c);  // 3, 5, 4 (profile 1 is index 5)

// Colours (&HBBGGRR).
inline constexpr std::uint32_t kValueColor = 0x0000FF;
inline constexpr std::uint32_t kGreyC0 = 0xC0C0C0;
inline constexpr std::uint32_t kGreyE0 = 0xE0E0E0;
// Point sizes of the value labels.
inline constexpr double kValuePoints = 9.75;
inline constexpr double kSmallPoints = 7.0;
// A latency list longer than this many characters is drawn at kSmallPoints.
inline constexpr int kLongListChars = 14;
// The caption of a row that has no value.
inline constexpr const char* kNoValue = "-----";

struct Cell {
    QString text;
    bool decoded = false;      // false: the initial caption
    bool small = false;        // drawn at 7 pt instead of 9.75 pt
    std::uint32_t color = kValueColor;
};

// The captions of one column, every row (rows of the other panel keep their
// initial captions).
struct ColumnCaptions {
    std::array<Cell, kRowCount> cells;
    Cell& operator[](Row r) { return cells[static_cast<std::size_t>(r)]; }
    const Cell& operator[](Row r) const { return cells[static_cast<std::size_t>(r)]; }
};

// The caption of a value label before anything is decoded ("XX ms", ...).
QString initialCaption(Row r, Column c);
// The initial captions of a column, with the grey colours of the rows that
// the DDR3 JEDEC column never decodes.
ColumnCaptions initialColumn(Column c, bool ddr3);

// What the header of an XMP block says.
struct Header {
    bool idPresent = false;          // the XMP ID bytes 0x0C 0x4A
    std::array<bool, 2> enabled{};   // enable bits 0 and 1
    QString revision;                // "2.0"
};
Header ddr3Header(const SpdImage& img);
Header ddr4Header(const SpdImage& img);

// The decoded columns. profile is 1 or 2.
ColumnCaptions ddr3Jedec(const SpdImage& img);
ColumnCaptions ddr3Profile(const SpdImage& img, int profile);
ColumnCaptions ddr4Jedec(const SpdImage& img);
ColumnCaptions ddr4Profile(const SpdImage& img, int profile);

// ---- Value rules (exposed for tests) ----

// Tenths as a plain decimal text without trailing zeros ("13.8", "350").
QString tenthsText(std::int64_t tenths);
// Picoseconds as nanoseconds rounded to a tenth ("13.8").
QString nsText(std::int64_t ps);
// Clock count of a DDR4 time: whole quotient, plus one when the remainder is
// above 5 ps (tck > 0).
std::int64_t ddr4Clocks(std::int64_t ps, std::int64_t tck);
// Data rate of a DDR4 clock period: whole part of 2 000 000 / tck (tck > 0).
std::int64_t ddr4Rate(std::int64_t tck);
// Speed-grade snapping.
std::int64_t snapDdr4Jedec(std::int64_t rate);
std::int64_t snapDdr4Profile(std::int64_t rate);
std::int64_t snapDdr3(std::int64_t rate);
// Latency lists: "7 8 9 " from the mask bytes.
QString ddr4CasList(int b0, int b1, int b2);
QString ddr3CasList(int low, int high);
// Density tag of a DDR4 refresh count: field 1, 2 or 4 (tRFC1, tRFC2, tRFC4).
QString densityTag(int field, int count);

} // namespace xmpview
