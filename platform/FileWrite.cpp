#include "platform/FileWrite.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

void (*stepHook)(const char*) = nullptr;

void step(const char* name)
{
    if (stepHook)
        stepHook(name);
}

// Closes a descriptor; false (with errno) when the close reports an error,
// which can be the first report of a failed write.
bool closeChecked(int fd) { return ::close(fd) == 0 || errno == EINTR; }

// The new file's owner and rights, and every byte of it, on the disk.
bool fill(int fd, const QByteArray& data, int mode, const std::function<void(int)>& prepare)
{
    if (prepare)
        prepare(fd);
    return (mode < 0 || ::fchmod(fd, static_cast<mode_t>(mode)) == 0) && writeAll(fd, data) && ::fsync(fd) == 0;
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
    const bool synced = ::fsync(dir) == 0 || errno == EINVAL || errno == EROFS;
    const int e = errno;
    ::close(dir);
    errno = e;
    return synced;
}

QString followLinks(const QString& path)
{
    QString target = path;
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(target);
        if (!info.isSymLink())
            return info.absoluteFilePath();
        target = info.symLinkTarget();
    }
    return target;
}

void setReplaceStepHook(void (*hook)(const char* step)) { stepHook = hook; }

bool replaceFile(const QString& path, const QByteArray& data, int mode, const std::function<void(int)>& prepare)
{
    const mode_t created = mode < 0 ? 0666 : static_cast<mode_t>(mode & 0777);
    const QFileInfo target(followLinks(path));
    const QString folder = target.absolutePath();
    const QByteArray name = QFile::encodeName(target.absoluteFilePath());
    const QByteArray temp =
        QFile::encodeName(folder + QStringLiteral("/.") + target.fileName() + QStringLiteral(".tmp"));

    // Takes the temporary name away again and keeps the error.
    auto drop = [&temp](int e) {
        ::unlink(temp.constData());
        errno = e;
        return false;
    };

    // What a crash left under the temporary name goes first: it holds an
    // old copy, and the room it takes may be what the new file needs.
    ::unlink(temp.constData());

    // A file without a name until it is complete: a crash or a full disk
    // leaves nothing behind.
    bool named = false;
    int fd = ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, created);
    if (fd >= 0) {
        if (!fill(fd, data, mode, prepare)) {
            const int e = errno;
            ::close(fd);
            errno = e;
            return false;
        }
        step("written");
        ::unlink(temp.constData());
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        named = ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, temp.constData(), AT_SYMLINK_FOLLOW) == 0;
        if (!closeChecked(fd))
            return drop(errno);
    }
    if (!named) {
        // A file system without such files (or no /proc to name one by):
        // the file has its name from the start.
        ::unlink(temp.constData());
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, created);
        if (fd < 0)
            return false;
        if (!fill(fd, data, mode, prepare)) {
            const int e = errno;
            ::close(fd);
            return drop(e);
        }
        if (!closeChecked(fd))
            return drop(errno);
    }
    step("named");
    if (::rename(temp.constData(), name.constData()) != 0)
        return drop(errno);
    // The new name itself reaches the disk with the folder.
    return syncFolder(folder);
}

} // namespace platform
