#include "platform/FileWrite.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
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

// The new file's owner and rights, and every byte of it, on the disk.
bool fill(int fd, const QByteArray& data, int mode, const std::function<void(int)>& prepare)
{
    if (prepare)
        prepare(fd);
    return (mode < 0 || ::fchmod(fd, static_cast<mode_t>(mode)) == 0) && writeAll(fd, data) && syncFile(fd);
}

// A name of its own for the new file, of one length whatever the file's
// name is, so that a file with the longest name the system allows can be
// replaced too.
QByteArray ownName(const QByteArray& folder)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = folder + "/.velmora-";
    for (int i = 0; i < 10; ++i)
        name += kLetters[QRandomGenerator::system()->bounded(36)];
    return name + ".tmp";
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
        errno = e;
        return false;
    }
};

// Gives the file without a name `fd` a name of its own in `folder`; false
// when no name could be made, errno telling why.
bool linkOwn(int fd, const QByteArray& folder, Own& own)
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    for (int i = 0; i < kNameTries; ++i) {
        own.name = ownName(folder);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, own.name.constData(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// Makes a new file under a name of its own in `folder`.
int createOwn(const QByteArray& folder, mode_t mode, Own& own)
{
    for (int i = 0; i < kNameTries; ++i) {
        own.name = ownName(folder);
        const int fd = ::open(own.name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC,
                              mode);
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

// `base` in the real folder `folder`.
QByteArray inFolder(const QByteArray& folder, const QByteArray& base)
{
    return (folder == "/" ? QByteArray() : folder) + '/' + base;
}

// The folder part of an absolute name.
QByteArray folderOf(const QByteArray& name)
{
    const qsizetype slash = name.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : name.left(slash);
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

QString followLinks(const QString& path)
{
    if (path.isEmpty())
        return path;
    QByteArray name = absolute(QFile::encodeName(path));
    for (int hops = 0; hops < 40; ++hops) {
        const qsizetype slash = name.lastIndexOf('/');
        const QByteArray base = name.mid(slash + 1);
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

bool replaceFile(const QString& path, const QByteArray& data, int mode, const std::function<void(int)>& prepare,
                 bool* incomplete)
{
    if (incomplete)
        *incomplete = false;
    const QByteArray name = QFile::encodeName(followLinks(path));
    const QByteArray folder = folderOf(name);
    // Links that go round in a loop end here: the link itself is not replaced.
    struct stat st {};
    if (::lstat(name.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        errno = ELOOP;
        return false;
    }
    const mode_t created = mode < 0 ? 0666 : static_cast<mode_t>(mode & 0777);
    Own own;

    // A file without a name until it is complete: a crash or a full disk
    // leaves nothing behind.
    bool named = false;
    int fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, created);
    if (fd >= 0) {
        if (!fill(fd, data, mode, prepare) || !step("written") || !own.know(fd))
            return closeFailed(fd);
        named = linkOwn(fd, folder, own);
        if (!named)
            ::close(fd);
        else if (!closeChecked(fd))
            return own.drop();
    }
    if (!named) {
        // A file system without such files (or no /proc to name one by):
        // the file has its name from the start.
        fd = createOwn(folder, created, own);
        if (fd < 0)
            return false;
        if (!own.know(fd)) {
            closeFailed(fd);
            return own.drop();
        }
        if (!fill(fd, data, mode, prepare)) {
            closeFailed(fd);
            return own.drop();
        }
        if (!closeChecked(fd))
            return own.drop();
    }
    if (!step("named"))
        return own.drop();
    if (::rename(own.name.constData(), name.constData()) != 0) {
        if ((errno == EPERM || errno == EACCES) && writableInStickyFolder(folder, name)) {
            own.drop();
            return writeInPlace(QFile::decodeName(name), data, incomplete);
        }
        return own.drop();
    }
    // The new name itself reaches the disk with the folder.
    return syncFolder(QFile::decodeName(folder));
}

} // namespace platform
