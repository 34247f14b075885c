#include "app/SpdFile.h"

#include "document/HexGrid.h"
#include "rules/spd/SpdRules.h"
#include "document/frmDocument.h"
#include "platform/Look.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace spdfile {

namespace {

constexpr int kLines = 32;
// Characters of a line that the fields can reach; the rest is skipped.
constexpr int kLineKeep = 64;

// Reads one line of at most kLineKeep characters, skipping the rest of a
// longer line; false at the end of the file.
bool readLine(QFile& f, QByteArray& line)
{
    line.clear();
    char c = 0;
    bool any = false;
    while (f.getChar(&c)) {
        any = true;
        if (c == '\n')
            return true;
        if (c == '\r') {
            char next = 0;
            if (f.getChar(&next) && next != '\n')
                f.ungetChar(next);
            return true;
        }
        if (line.size() < kLineKeep)
            line.append(c);
    }
    return any;
}

void parseLine(const QByteArray& line, std::vector<std::uint8_t>& out)
{
    for (int k = 0; k < 16 && out.size() < 512; ++k) {
        const qsizetype from = 3 * k;  // characters 1 + 3k .. 3 + 3k, counted from 1
        QString field = from < line.size() ? QString::fromLatin1(line.mid(from, 3)) : QString();
        // Blanks at both ends go; tabs count as blanks here too.
        field = field.trimmed();
        out.push_back(spd::hex_to_byte(field));
    }
}

} // namespace

Format formatFor(const QString& path) { return path.right(3).toUpper() == QStringLiteral("SPD") ? Format::Text : Format::Binary; }

ReadResult read(const QString& path)
{
    ReadResult r;
    const QFileInfo info(path);
    if (!info.exists()) {
        r.error = QStringLiteral("The file does not exist.");
        return r;
    }
    if (info.isDir()) {
        r.error = QStringLiteral("The path is a folder.");
        return r;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        r.error = f.errorString();
        return r;
    }
    if (formatFor(path) == Format::Binary) {
        const QByteArray data = f.read(512);
        if (data.isEmpty() && f.error() != QFile::NoError) {
            r.error = f.errorString();
            return r;
        }
        // Every entry is stored; a short file gives 0 for the rest.
        r.bytes.assign(data.begin(), data.end());
        r.bytes.resize(512, 0);
    } else {
        QByteArray line;
        for (int n = 0; n < kLines && readLine(f, line); ++n)
            parseLine(line, r.bytes);
        if (f.error() != QFile::NoError) {
            r.error = f.errorString();
            r.bytes.clear();
            return r;
        }
    }
    r.ok = true;
    return r;
}

QByteArray encodeText(const velmora::SpdImage& img)
{
    QByteArray out;
    out.reserve(kLines * 51);
    static const char digits[] = "0123456789ABCDEF";
    for (int r = 0; r < kLines; ++r) {
        out.append(' ');
        for (int k = 0; k < 16; ++k) {
            const std::uint8_t v = img[static_cast<std::size_t>(16 * r + k)];
            out.append(digits[v >> 4]);
            out.append(digits[v & 15]);
            out.append(' ');
        }
        out.append("\r\n");
    }
    return out;
}

QByteArray encodeBinary(const velmora::SpdImage& img)
{
    return QByteArray(reinterpret_cast<const char*>(img.data()), static_cast<qsizetype>(img.size()));
}

bool write(const QString& path, const velmora::SpdImage& img, QString* error)
{
    QSaveFile f(path);
    const QByteArray data = formatFor(path) == Format::Text ? encodeText(img) : encodeBinary(img);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit()) {
        if (error)
            *error = f.errorString();
        f.cancelWriting();
        return false;
    }
    return true;
}

void fillDocument(frmDocument& doc, const std::vector<std::uint8_t>& bytes)
{
    const int n = static_cast<int>(std::min<std::size_t>(bytes.size(), 512));
    for (int i = 0; i < n; ++i) {
        doc.Value_Chang(i, bytes[static_cast<std::size_t>(i)]);
        doc.table_chang(i);
    }

    doc.setChecksumMode(0);
    const QString type = doc.grid()->cell(2).caption;
    struct Row {
        const char* caption;
        int mode;
        int code;
        bool ddr4;
    };
    static const Row rows[] = {
        {"04", 0, 0, false}, {"07", 0, 1, false}, {"08", 0, 2, false},
        {"09", 1, 4, false}, {"0B", 1, 4, false}, {"0C", 1, 5, true},
    };
    for (const Row& row : rows) {
        if (type == QLatin1String(row.caption)) {
            doc.setChecksumMode(row.mode);
            doc.Type_Chang(row.code);
            doc.grid()->setHeaderBack(31, row.ddr4 ? look::kButtonFace : look::kRed);
            doc.grid()->setHeaderBack(47, row.ddr4 ? look::kRed : look::kButtonFace);
            break;
        }
    }
}

} // namespace spdfile
