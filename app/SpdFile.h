#pragma once
// SPD image files. A path whose last three characters are "SPD" in any
// letter case is a text image: 32 lines, each a blank and 16 fields of two
// upper-case hexadecimal digits and a blank, ending in CR LF. Any other path
// is a binary image: the bytes at offsets 0..511. Only the path decides.

#include "state/Globals.h"

#include <QByteArray>
#include <QString>
#include <vector>

class frmDocument;

namespace spdfile {

enum class Format { Text, Binary };

Format formatFor(const QString& path);

struct ReadResult {
    bool ok = false;
    QString error;                    // why the file could not be read
    std::vector<std::uint8_t> bytes;  // entries 0..n-1 as read (n <= 512)
};

// Reads a file by the format its path names. A text image is read line by
// line (CR LF, LF or CR ends a line); field k of a line is its characters
// 1 + 3k .. 3 + 3k without blanks at either end; lines after the 32nd are not
// read. A binary image gives 512 entries: its first 512 bytes, 0 where the
// file is shorter. Never reads more of a file
// than those 32 lines or 512 bytes need.
ReadResult read(const QString& path);

QByteArray encodeText(const velmora::SpdImage& img);
QByteArray encodeBinary(const velmora::SpdImage& img);

// Writes the whole file or nothing (the old file stays when writing fails).
bool write(const QString& path, const velmora::SpdImage& img, QString* error);

// Puts what was read into a new document as a file is opened: every entry
// through Value_Chang and table_chang in ascending order, then the type from
// the caption of cell 2 with its checksum mode, type switch and red row
// header. Entries not read stay 0.
void fillDocument(frmDocument& doc, const std::vector<std::uint8_t>& bytes);

} // namespace spdfile
