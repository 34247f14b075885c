#include "rules/spd/SpdFile.h"

#include "rules/spd/SpdRules.h"
#include "platform/FileWrite.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace spdfile {

namespace {

constexpr int kLines = 32;
// Characters of a line that the fields can reach; the rest is skipped.
constexpr int kLineKeep = 64;
// The UTF-8 byte-order mark.
const QByteArray kBom = QByteArrayLiteral("\xEF\xBB\xBF");

QString systemError(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

// Why a file of `kind` is not read or replaced (errno for one the system
// could not look at).
QString refusal(platform::FileKind kind)
{
    switch (kind) {
    case platform::FileKind::Missing: return QStringLiteral("The file does not exist.");
    case platform::FileKind::Folder: return QStringLiteral("The path is a folder.");
    case platform::FileKind::Other: return QStringLiteral("The path is not a regular file.");
    case platform::FileKind::Regular:
    case platform::FileKind::Unknown: break;
    }
    return systemError(errno);
}

// Closes a descriptor when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Reads up to `limit` bytes; false (with errno) on a read error.
bool readUpTo(int fd, qsizetype limit, QByteArray& out)
{
    out.resize(limit);
    qsizetype got = 0;
    while (got < limit) {
        const ssize_t n = ::read(fd, out.data() + got, static_cast<std::size_t>(limit - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += n;
    }
    out.truncate(got);
    return true;
}

// The line starting at `pos` of `data`: its first kLineKeep characters, and
// where the next line starts. False when no line starts there.
bool nextLine(const QByteArray& data, qsizetype& pos, QByteArray& line, bool& ended)
{
    line.clear();
    ended = false;
    if (pos >= data.size())
        return false;
    qsizetype i = pos;
    while (i < data.size() && data[i] != '\n' && data[i] != '\r')
        ++i;
    line = data.mid(pos, std::min<qsizetype>(i - pos, kLineKeep));
    if (i < data.size()) {
        ended = true;
        if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n')
            ++i;
        ++i;
    }
    pos = i;
    return true;
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
    platform::FileKind kind = platform::FileKind::Missing;
    Fd fd(path.isEmpty() ? -1 : platform::openRegular(QFile::encodeName(path), kind));
    if (fd.get() < 0) {
        r.error = refusal(kind);
        return r;
    }
    const bool text = formatFor(path) == Format::Text;
    QByteArray data;
    // One byte past the limit tells whether the file goes on; a text image
    // may start with a byte-order mark on top.
    if (!readUpTo(fd.get(), text ? kTextLimit + 1 + kBom.size() : 512, data)) {
        r.error = systemError(errno);
        return r;
    }
    if (text) {
        // Editors on other systems put a UTF-8 byte-order mark before the
        // first line; it is no part of the line.
        if (data.startsWith(kBom))
            data.remove(0, kBom.size());
        data.truncate(kTextLimit + 1);
    }
    if (!text) {
        // Every entry is stored; a short file gives 0 for the rest.
        r.bytes.assign(data.begin(), data.end());
        r.bytes.resize(512, 0);
    } else {
        // A file that goes on past the limit must have ended all of its first
        // 32 lines within it; otherwise lines it holds would go unread. Only
        // the last line of a shorter file may go without a line end.
        const bool more = data.size() > kTextLimit;
        data.truncate(kTextLimit);
        QByteArray line;
        bool ended = false;
        qsizetype pos = 0;
        int endedLines = 0;
        for (int n = 0; n < kLines && nextLine(data, pos, line, ended); ++n) {
            parseLine(line, r.bytes);
            if (ended)
                ++endedLines;
        }
        if (more && endedLines < kLines) {
            r.error = QStringLiteral("The file is not an SPD text image: its first %1 lines do not end within %2 bytes.")
                          .arg(kLines)
                          .arg(kTextLimit);
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

bool write(const QString& path, const velmora::SpdImage& img, QString* error, QString* diskError)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (diskError)
        diskError->clear();
    if (path.isEmpty())
        return fail(QStringLiteral("No file name was given."));
    const QByteArray data = formatFor(path) == Format::Text ? encodeText(img) : encodeBinary(img);

    const QString target = platform::followLinks(path);
    const QByteArray name = QFile::encodeName(target);
    const platform::FileKind kind = platform::kindOf(name);
    if (kind != platform::FileKind::Missing && kind != platform::FileKind::Regular)
        return fail(refusal(kind));

    // A written file that may be incomplete says so.
    bool incomplete = false;
    auto failed = [&]() {
        return fail(systemError(errno) +
                    (incomplete ? QStringLiteral(" (the file was written in place and may be incomplete)") : QString()));
    };

    // A folder that takes no new file: the existing file is written itself.
    const QByteArray folder = platform::folderOf(name);
    if (kind == platform::FileKind::Regular && ::faccessat(AT_FDCWD, folder.constData(), W_OK | X_OK, AT_EACCESS) != 0
        && (errno == EACCES || errno == EPERM || errno == EROFS))
        return platform::writeInPlace(target, data, &incomplete) || failed();

    // The new file takes the old one's place whole, keeping its owner (where
    // allowed) and rights; every byte reaches the disk first, so a full disk
    // shows at the write, the sync or the close and leaves the old file.
    switch (platform::replaceFile(target, data, -1, &incomplete)) {
    case platform::Replaced::No: return failed();
    case platform::Replaced::Yes: return true;
    case platform::Replaced::Unsynced:
        if (diskError)
            *diskError = systemError(errno);
        return true;
    }
    return true;
}

} // namespace spdfile
