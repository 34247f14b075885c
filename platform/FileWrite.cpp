#include "platform/FileWrite.h"

#include "platform/Signals.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

int (*stepHook)(const char*) = nullptr;

// A step of a replacement; false (with errno) when a test's hook fails it.
bool step(const char* name)
{
    const int e = stepHook ? stepHook(name) : 0;
    if (e != 0)
        errno = e;
    return e == 0;
}

bool syncFile(int fd) { return step("sync") && ::fsync(fd) == 0; }

// Closes a descriptor; false (with errno) when the close reports an error,
// which can be the first report of a failed write.
bool closeChecked(int fd) { return ::close(fd) == 0 || errno == EINTR; }

// Closes a descriptor of a failed step, keeping the step's error.
bool closeFailed(int fd)
{
    const int e = errno;
    ::close(fd);
    errno = e;
    return false;
}

// What a replacement of an existing file keeps of it.
struct Keep {
    bool exists = false;
    struct stat st {};
};

// The new file's owner and rights (negative: those it was made with), and
// every byte of it, on the disk. The file stays its owner's when another
// user (root) writes it.
bool fill(int fd, const QByteArray& data, int mode, const Keep& keep)
{
    if (keep.exists && (keep.st.st_uid != ::geteuid() || keep.st.st_gid != ::getegid()))
        (void)!::fchown(fd, keep.st.st_uid, keep.st.st_gid);
    return (mode < 0 || ::fchmod(fd, static_cast<mode_t>(mode)) == 0) && writeAll(fd, data) && syncFile(fd);
}

// The new files' names for the file `base`: ".velmora-", 16 hexadecimal
// digits of the name's FNV-1a hash, "-", 10 random letters and digits,
// ".tmp".
const QByteArray kPrefix = QByteArrayLiteral(".velmora-");
const QByteArray kSuffix = QByteArrayLiteral(".tmp");
constexpr int kHashDigits = 16;
constexpr int kRandom = 10;
const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";

QByteArray namesFor(const QByteArray& base)
{
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : base) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return kPrefix + QByteArray::number(static_cast<qulonglong>(h), 16).rightJustified(kHashDigits, '0') + '-';
}

// One of those names: made by a replacement of the file whose names begin
// with `start`, or of any file when `start` is empty.
bool isOwnName(const char* entry, const QByteArray& start)
{
    const auto length = static_cast<std::size_t>(kPrefix.size() + kHashDigits + 1 + kRandom + kSuffix.size());
    if (std::strncmp(entry, kPrefix.constData(), static_cast<std::size_t>(kPrefix.size())) != 0 ||
        std::strlen(entry) != length ||
        std::strncmp(entry, start.constData(), static_cast<std::size_t>(start.size())) != 0)
        return false;
    // No zero byte comes before the end: each character is looked up.
    const char* hash = entry + kPrefix.size();
    for (int i = 0; i < kHashDigits; ++i)
        if (!std::strchr("0123456789abcdef", hash[i]))
            return false;
    const char* random = hash + kHashDigits + 1;
    if (hash[kHashDigits] != '-')
        return false;
    for (int i = 0; i < kRandom; ++i)
        if (!std::strchr(kLetters, random[i]))
            return false;
    return std::strcmp(random + kRandom, kSuffix.constData()) == 0;
}

// `base` in the real folder `folder`.
QByteArray inFolder(const QByteArray& folder, const QByteArray& base)
{
    return (folder == "/" ? QByteArray() : folder) + '/' + base;
}

QByteArray baseOf(const QByteArray& name) { return name.mid(name.lastIndexOf('/') + 1); }

// A name of its own for the new file of `target`, of one length whatever the
// file's name is, so that a file with the longest name the system allows can
// be replaced too.
QByteArray ownName(const QByteArray& target)
{
    QByteArray name = namesFor(baseOf(target));
    for (int i = 0; i < kRandom; ++i)
        name += kLetters[QRandomGenerator::system()->bounded(36)];
    return inFolder(folderOf(target), name + kSuffix);
}

constexpr int kNameTries = 8;

// The file this call made under `name`.
struct Own {
    QByteArray name;
    dev_t dev = 0;
    ino_t ino = 0;
    bool know(int fd)
    {
        struct stat st {};
        if (::fstat(fd, &st) != 0)
            return false;
        dev = st.st_dev;
        ino = st.st_ino;
        return true;
    }
    // Takes the name away again, as long as it still names that file; keeps
    // the error of the step that failed.
    bool drop() const
    {
        const int e = errno;
        struct stat st {};
        if (::lstat(name.constData(), &st) == 0 && st.st_dev == dev && st.st_ino == ino)
            ::unlink(name.constData());
        fileUnnamed();
        errno = e;
        return false;
    }
};

// Gives the file without a name `fd` a name of its own beside `target`;
// false when no name could be made, errno telling why.
bool linkOwn(int fd, const QByteArray& target, Own& own)
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    for (int i = 0; i < kNameTries; ++i) {
        own.name = ownName(target);
        namingFile(own.name);
        const bool made =
            ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, own.name.constData(), AT_SYMLINK_FOLLOW) == 0;
        const int e = errno;
        namedFile(made, own.dev, own.ino);
        errno = e;
        if (made)
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// Makes a new file under a name of its own beside `target`.
int createOwn(const QByteArray& target, mode_t mode, Own& own)
{
    for (int i = 0; i < kNameTries; ++i) {
        own.name = ownName(target);
        namingFile(own.name);
        const int fd = ::open(own.name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC,
                              mode);
        const int e = errno;
        const bool made = fd >= 0 && own.know(fd);
        namedFile(made, own.dev, own.ino);
        if (fd >= 0 && !made) {
            // Its name cannot be looked after: it goes at once.
            ::unlink(own.name.constData());
            ::close(fd);
            return -1;
        }
        errno = e;
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// `name` made absolute against the working folder, as the system takes it:
// nothing in it is cleaned away.
QByteArray absolute(const QByteArray& name)
{
    if (name.startsWith('/'))
        return name;
    char* cwd = ::getcwd(nullptr, 0);
    if (!cwd)
        return name;
    QByteArray out(cwd);
    std::free(cwd);
    if (!out.endsWith('/'))
        out += '/';
    return out + name;
}

// A sticky folder refused the rename over a file that may itself be written.
bool writableInStickyFolder(const QByteArray& folder, const QByteArray& name)
{
    struct stat dir {};
    struct stat file {};
    return ::stat(folder.constData(), &dir) == 0 && (dir.st_mode & S_ISVTX) != 0 &&
           ::stat(name.constData(), &file) == 0 && S_ISREG(file.st_mode) &&
           ::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) == 0;
}

// The new file, complete and on the disk, under a name of its own beside
// `name`; false (errno telling why) when it could not be made so.
bool makeNewFile(const QByteArray& name, const QByteArray& data, int mode, const Keep& keep, Own& own)
{
    const QByteArray folder = folderOf(name);
    const mode_t created = mode < 0 ? 0666 : static_cast<mode_t>(mode & 0777);
    // A file without a name until it is complete: a crash or a full disk
    // leaves nothing behind.
    int fd = step("tmpfile") ? ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, created) : -1;
    if (fd >= 0) {
        if (!fill(fd, data, mode, keep) || !step("written") || !own.know(fd))
            return closeFailed(fd);
        if (linkOwn(fd, name, own))
            return closeChecked(fd) || own.drop();
        ::close(fd);
    }
    // A file system without such files (or no /proc to name one by): the
    // file has its name from the start.
    fd = createOwn(name, created, own);
    if (fd < 0)
        return false;
    if (!fill(fd, data, mode, keep)) {
        closeFailed(fd);
        return own.drop();
    }
    return closeChecked(fd) || own.drop();
}

// Removes the new files that replacements left in the real folder `folder`
// and that are older than `olderThan` (all of them for zero): those of the
// file whose names begin with `start`, or of any file when `start` is empty.
// The number removed.
int removeOwnFiles(const QByteArray& folder, const QByteArray& start, std::chrono::seconds olderThan)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return 0;
    const time_t before = ::time(nullptr) - static_cast<time_t>(olderThan.count());
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isOwnName(entry->d_name, start))
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            (olderThan.count() > 0 && st.st_mtim.tv_sec > before))
            continue;
        if (::unlinkat(::dirfd(dir), entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

// The folders this run has looked through for old new files already, by
// device and inode: a save lists its folder only the first time, so that its
// cost does not grow with the folder.
std::set<std::pair<dev_t, ino_t>> lookedThrough;

// What crashes left in the real folder `folder`, older than any replacement
// takes, goes: once a run.
void removeOldFilesOnce(const QByteArray& folder)
{
    struct stat st {};
    if (::stat(folder.constData(), &st) == 0 && lookedThrough.insert({st.st_dev, st.st_ino}).second)
        removeOwnFiles(folder, QByteArray(), kLeftoverAge);
}

// An existing file may be written only where its owner may write it; root,
// who passes every access check, too.
bool ownerMayWrite(const struct stat& st)
{
    if ((st.st_mode & S_IWUSR) != 0)
        return true;
    errno = EACCES;
    return false;
}

// What is at a name: links followed, or the name itself.
FileKind kindAt(const QByteArray& name, struct stat* found, bool follow)
{
    struct stat st {};
    const bool seen = (follow ? ::stat(name.constData(), &st) : ::lstat(name.constData(), &st)) == 0;
    if (found)
        *found = st;
    if (!seen)
        return errno == ENOENT || errno == ENOTDIR ? FileKind::Missing : FileKind::Unknown;
    return S_ISREG(st.st_mode) ? FileKind::Regular : S_ISDIR(st.st_mode) ? FileKind::Folder : FileKind::Other;
}

// The descriptor of an open (-1 when it failed) when it is a regular file:
// should its name have been given to something else since its kind was
// known, it is refused here.
int regularOnly(int fd, FileKind& kind, struct stat* found)
{
    if (fd < 0) {
        kind = FileKind::Unknown;
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        kind = FileKind::Other;
        ::close(fd);
        return -1;
    }
    kind = FileKind::Regular;
    if (found)
        *found = st;
    return fd;
}

} // namespace

bool writeAll(int fd, const QByteArray& data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, static_cast<std::size_t>(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

bool syncFolder(const QString& folder)
{
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return true;
    const bool synced = step("folder") && (::fsync(dir) == 0 || errno == EINVAL || errno == EROFS);
    const int e = errno;
    ::close(dir);
    errno = e;
    return synced;
}

QByteArray folderOf(const QByteArray& name)
{
    const qsizetype slash = name.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : name.left(slash);
}

QString followLinks(const QString& path)
{
    if (path.isEmpty())
        return path;
    QByteArray name = absolute(QFile::encodeName(path));
    for (int hops = 0; hops < 40; ++hops) {
        const QByteArray base = baseOf(name);
        if (base.isEmpty() || base == "." || base == "..")
            break;
        char* resolved = ::realpath(folderOf(name).constData(), nullptr);
        if (!resolved)
            break;
        const QByteArray folder(resolved);
        std::free(resolved);
        const QByteArray full = inFolder(folder, base);
        struct stat st {};
        if (::lstat(full.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return QFile::decodeName(full);
        QByteArray target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(full.constData(), target.data(), static_cast<std::size_t>(target.size()));
        if (n <= 0 || n >= target.size())
            return QFile::decodeName(full);
        target.truncate(n);
        name = target.startsWith('/') ? target : inFolder(folder, target);
    }
    // A folder, a name in a folder that is not there, or a loop of links:
    // the system says what it makes of it when the name is opened.
    return QFile::decodeName(name);
}

FileKind kindOf(const QByteArray& name, struct stat* found) { return kindAt(name, found, true); }

int openRegular(const QByteArray& name, FileKind& kind, struct stat* found)
{
    kind = kindOf(name);
    if (kind != FileKind::Regular)
        return -1;
    // Should the name have been given to a FIFO meanwhile, the open does not
    // wait and the check after it refuses it.
    return regularOnly(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC), kind, found);
}

int openOrMakeRegular(const QByteArray& name, mode_t mode, FileKind& kind, bool& made, struct stat* found)
{
    made = false;
    for (int i = 0; i < kNameTries; ++i) {
        kind = kindAt(name, nullptr, false);
        if (kind != FileKind::Regular && kind != FileKind::Missing)
            return -1;
        const bool make = kind == FileKind::Missing;
        const int fd = ::open(name.constData(),
                              O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (make ? O_CREAT | O_EXCL : 0),
                              mode);
        // Made or removed by someone else meanwhile: looked at again.
        if (fd < 0 && errno == (make ? EEXIST : ENOENT))
            continue;
        // A link put there meanwhile.
        if (fd < 0 && errno == ELOOP) {
            kind = FileKind::Other;
            return -1;
        }
        made = make && fd >= 0;
        return regularOnly(fd, kind, found);
    }
    kind = FileKind::Unknown;
    return -1;
}

void setReplaceStepHook(int (*hook)(const char* step)) { stepHook = hook; }

bool writeInPlace(const QString& path, const QByteArray& data, bool* incomplete)
{
    if (incomplete)
        *incomplete = false;
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return closeFailed(fd);
    if (!S_ISREG(st.st_mode)) {
        errno = EINVAL;
        return closeFailed(fd);
    }
    if (!ownerMayWrite(st))
        return closeFailed(fd);
    if (incomplete)
        *incomplete = true;
    // The new bytes go over the old ones before the rest is cut off, so data
    // of the same size needs no new room on the disk.
    if (!writeAll(fd, data) || ::ftruncate(fd, static_cast<off_t>(data.size())) != 0 || !syncFile(fd))
        return closeFailed(fd);
    if (!closeChecked(fd))
        return false;
    if (incomplete)
        *incomplete = false;
    return true;
}

Replaced replaceFile(const QString& path, const QByteArray& data, int mode, bool* incomplete)
{
    if (incomplete)
        *incomplete = false;
    const QByteArray name = QFile::encodeName(followLinks(path));
    const QByteArray folder = folderOf(name);
    // Links that go round in a loop end here: the link itself is not replaced.
    struct stat st {};
    if (::lstat(name.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        errno = ELOOP;
        return Replaced::No;
    }
    Keep keep;
    switch (kindOf(name, &keep.st)) {
    case FileKind::Missing: break;
    case FileKind::Regular: keep.exists = true; break;
    case FileKind::Folder: errno = EISDIR; return Replaced::No;
    case FileKind::Other: errno = EINVAL; return Replaced::No;
    case FileKind::Unknown: return Replaced::No;
    }
    if (keep.exists && (!ownerMayWrite(keep.st) || ::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) != 0))
        return Replaced::No;
    const int rights = mode >= 0 ? mode & 07777 : keep.exists ? static_cast<int>(keep.st.st_mode & 07777) : -1;
    removeOldFilesOnce(folder);

    Own own;
    if (!makeNewFile(name, data, rights, keep, own))
        return Replaced::No;
    if (!step("named")) {
        own.drop();
        return Replaced::No;
    }
    if (::rename(own.name.constData(), name.constData()) != 0) {
        if ((errno == EPERM || errno == EACCES) && writableInStickyFolder(folder, name)) {
            own.drop();
            return writeInPlace(QFile::decodeName(name), data, incomplete) ? Replaced::Yes : Replaced::No;
        }
        own.drop();
        return Replaced::No;
    }
    fileUnnamed();
    // The new name itself reaches the disk with the folder.
    return syncFolder(QFile::decodeName(folder)) ? Replaced::Yes : Replaced::Unsynced;
}

int removeLeftovers(const QString& path, std::chrono::seconds olderThan)
{
    const QByteArray name = QFile::encodeName(followLinks(path));
    return removeOwnFiles(folderOf(name), namesFor(baseOf(name)), olderThan);
}

void forgetFoldersLookedThrough() { lookedThrough.clear(); }

} // namespace platform
