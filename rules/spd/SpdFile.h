#pragma once
// SPD image files. A path whose last three characters are "SPD" in any
// letter case is a text image: 32 lines, each a blank and 16 fields of two
// upper-case hexadecimal digits and a blank, ending in CR LF. Any other path
// is a binary image: the bytes at offsets 0..511. Only the path decides.

#include "state/SpdImage.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace spdfile {

enum class Format { Text, Binary };

Format formatFor(const QString& path);

struct ReadResult {
    bool ok = false;
    QString error;                    // why the file could not be read
    std::vector<std::uint8_t> bytes;  // entries 0..n-1 as read (n <= 512)
};

// Reads a file by the format its path names. Only a regular file is read
// (links are followed); a FIFO, a device or a folder is refused before
// anything is read from it. A text image is read line by line (CR LF, LF or
// CR ends a line), after a UTF-8 byte-order mark at its start, if any; field k of a line is its characters 1 + 3k .. 3 + 3k
// without blanks at either end; lines after the 32nd are not read. Its first
// 32 lines must end within kTextLimit bytes (a written line is 51); a file
// that goes on without doing so is refused, not read in part. A binary image
// gives 512 entries: its first 512 bytes, 0 where the file is shorter.
constexpr int kTextLimit = 32 * 128;
ReadResult read(const QString& path);

QByteArray encodeText(const velmora::SpdImage& img);
QByteArray encodeBinary(const velmora::SpdImage& img);

// Writes the whole file: true only when every byte is in the file's place.
// The image goes into a new file beside the old one, which then takes the
// old one's place, so a failure leaves the old file whole
// (platform::replaceFile). When the folder cannot take a new file, an
// existing file is written in place instead. A link is followed; a FIFO, a
// device or a folder is never replaced. On failure *error says why. When the
// file is in its place but the disk reported an error as its folder was
// synced (its new name may not outlast a crash of the system), the write is
// done and *diskError says what the disk reported; it is empty otherwise.
bool write(const QString& path, const velmora::SpdImage& img, QString* error, QString* diskError = nullptr);

} // namespace spdfile
