#pragma once
// A small tmpfs of its own for one test, to fill up as a full disk; needs
// the right to mount.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

class TinyFileSystem {
public:
    explicit TinyFileSystem(const QString& where)
        : where_(QFile::encodeName(where))
    {
        QDir().mkpath(where);
        mounted_ = ::mount("tmpfs", where_.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0755") == 0;
    }
    ~TinyFileSystem()
    {
        if (mounted_)
            ::umount2(where_.constData(), MNT_DETACH);
    }
    TinyFileSystem(const TinyFileSystem&) = delete;
    TinyFileSystem& operator=(const TinyFileSystem&) = delete;
    bool mounted() const { return mounted_; }

    // Fills what is left with one file until the file system refuses more.
    bool fill() const
    {
        const QByteArray path = where_ + "/filler";
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        const QByteArray block(4096, 'f');
        int err = 0;
        for (;;) {
            if (::write(fd, block.constData(), static_cast<std::size_t>(block.size())) < 0) {
                err = errno;
                break;
            }
        }
        // Single bytes fill the tail of the last page.
        while (err == ENOSPC && ::write(fd, "f", 1) == 1) {
        }
        ::close(fd);
        return err == ENOSPC;
    }

private:
    QByteArray where_;
    bool mounted_ = false;
};
