#pragma once
// The manufacturer block of an SPD image as the manufacturer dialog shows
// and writes it, free of any window: the DDR2 block (bytes 64-127) and the
// DDR3/DDR4 block (DDR3 117-175, DDR4 320-383), the BCD date bytes, the text
// fields, the manufacturer-name keys and the date stamp.
//
// Only DDR2 (byte 2 = 8), DDR3 (11) and DDR4 (12) images have a block that
// the dialog may write; every other type is shown from the DDR2 positions
// and never written.

#include "state/SpdImage.h"

#include <QDate>
#include <QString>
#include <array>
#include <optional>

namespace mft {

using velmora::SpdImage;

// ---- Which block ----

struct Range {
    int first;
    int last;
};
// The bytes written back for a memory type byte: 8 gives 64..127, 11 gives
// 117..175, 12 gives 320..383; nothing for any other value.
std::optional<Range> blockRange(int memoryType);
// The document's memory type code that goes with the block: 2 (DDR2),
// 4 (DDR3), 5 (DDR4); -1 for a type without a block.
int typeCodeOf(int memoryType);
// The DDR3/DDR4 layout serves 11 and 12; every other type uses the DDR2 one.
inline bool usesDdr34Layout(int memoryType) { return memoryType == 11 || memoryType == 12; }
// The dialog's caption for a memory type byte.
QString captionFor(int memoryType);

// ---- Codecs ----

// A BCD date byte as a list index: tens from the high half, units from the
// low half (a low half above 9 still counts: 0x1A gives 20). A value above
// max (99 for a year, 53 for a week) gives 0.
int bcdIndex(int byte, int max);
inline int bcdYear(int byte) { return bcdIndex(byte, 99); }
inline int bcdWeek(int byte) { return bcdIndex(byte, 53); }
// An index 0..99 as a BCD byte: 24 gives 0x24.
std::uint8_t bcdByte(int index);

// The text a field shows: the characters of its bytes 32..127 in order; other
// bytes are left out.
QString loadText(const SpdImage& img, int first, int width);
// Stores a text into a field: its first `width` characters, one byte each
// (a character without a one-byte code is stored as '?'), the rest of the
// field 0.
void storeText(SpdImage& img, int first, int width, const QString& text);
// As storeText, except that a text equal to what the field shows now leaves
// the field as it is, byte for byte (bytes the text cannot show survive).
void writeText(SpdImage& img, int first, int width, const QString& text);

// ---- DDR2 block, bytes 64..127 ----

struct Ddr2Fields {
    std::array<int, 8> id{};      // 64..71, byte 64 first
    int location = 0;             // 72
    QString partNumber;           // 73..90
    int rev1 = 0;                 // 91
    int rev2 = 0;                 // 92
    int year = 0;                 // 93, index 0..99
    int week = 0;                 // 94, index 0..53
    std::array<int, 4> serial{};  // 95..98
    QString specificData;         // 99..127
};

inline constexpr int kDdr2PartFirst = 73;
inline constexpr int kDdr2PartWidth = 18;
inline constexpr int kDdr2DataFirst = 99;
inline constexpr int kDdr2DataWidth = 29;

Ddr2Fields loadDdr2(const SpdImage& img);
// Writes every byte of 64..127 from the fields (text fields as writeText).
void writeDdr2(SpdImage& img, const Ddr2Fields& f);
// The byte-range captions of the DDR2 rows, top to bottom: identifier,
// location, part number, revision, date, serial number, specific data.
const std::array<QString, 7>& ddr2Captions();

// ---- DDR3/DDR4 block ----

struct Ddr34Map {
    int idCount, idCode, location, year, week, serial;
    int partFirst, partWidth;
    int rev1, rev2;  // rev2 -1: none (DDR4)
    int dramCount, dramCode;
    int dataFirst, dataWidth;
    // Byte-range captions by caption index 0..7: module identifier,
    // location, date, serial number, part number, revision, specific data,
    // DRAM identifier.
    std::array<const char*, 8> captions;
};
// The positions of a DDR3 image for 11, of a DDR4 image otherwise.
const Ddr34Map& ddr34Map(int memoryType);

struct Ddr34Fields {
    int idCount = 0;
    int idCode = 0;
    int location = 0;
    int year = 0;
    int week = 0;
    std::array<int, 4> serial{};
    QString partNumber;
    int rev1 = 0;
    int rev2 = 0;  // DDR3 only
    int dramCount = 0;
    int dramCode = 0;
    QString specificData;
};

Ddr34Fields loadDdr34(const SpdImage& img, const Ddr34Map& m);
// Writes the field bytes (DDR3 117..125 and 128..175, DDR4 320..351 and
// 353..381); the CRC bytes of DDR3, DDR4's stepping byte 352 and bytes 382
// and 383 keep what they hold.
void writeDdr34(SpdImage& img, const Ddr34Map& m, const Ddr34Fields& f);

// Sets the whole block of the memory type to 0; nothing for a type without
// a block.
void clearBlock(SpdImage& img, int memoryType);

// ---- Manufacturer-name keys ----

// DDR2: every identifier byte other than 0 as two hexadecimal digits, in
// order; 0 bytes are skipped wherever they stand (7F 7F 9E 0.. gives
// "7F7F9E").
QString idBytesKey(const std::array<int, 8>& id);
// DDR3/DDR4: "7F" (count & 127) times, then the code with its parity bit;
// nothing for a count of 7 or more.
std::optional<QString> countCodeKey(int count, int code);
// The name the dialog shows for a key: the JEDEC lookup's name, or the empty
// text when nothing matches.
QString nameOf(const QString& key);
// The name for a count and code; empty for a count of 7 or more.
QString countCodeName(int count, int code);

// ---- Date stamp ----

struct Stamp {
    int year;  // year list index, 0..99
    int week;  // week list index, 1..53
};
// Year and week of one day; the 54th week of some years (31 December of a
// leap year that begins on a Saturday) stamps the last item, 53.
Stamp dateStamp(const QDate& today);
// "2024/5/17  20 weeks": the day in the short date format of the locale, two
// blanks, the Sunday-based week of the year and " weeks".
QString todayText(const QDate& today);

} // namespace mft
