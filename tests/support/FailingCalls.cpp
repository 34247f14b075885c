#include "support/FailingCalls.h"

#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace {

std::atomic<failing::Sync> failingSync{failing::Sync::Never};
std::atomic<failing::Locks> locks{failing::Locks::System};

template <typename F>
F real(const char* name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

} // namespace

namespace failing {

void failSync(Sync which) { failingSync = which; }
void setLocks(Locks l) { locks = l; }

} // namespace failing

extern "C" int fsync(int fd)
{
    static const auto system = real<int (*)(int)>("fsync");
    struct stat st {};
    const failing::Sync s = failingSync;
    if (s != failing::Sync::Never && ::fstat(fd, &st) == 0 &&
        (s == failing::Sync::Files ? S_ISREG(st.st_mode) : S_ISDIR(st.st_mode))) {
        errno = EIO;
        return -1;
    }
    return system(fd);
}

extern "C" int flock(int fd, int operation)
{
    static const auto system = real<int (*)(int, int)>("flock");
    switch (locks.load()) {
    case failing::Locks::System: break;
    case failing::Locks::NeedWriting:
        if ((operation & LOCK_EX) != 0 && (::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY) {
            errno = EBADF;
            return -1;
        }
        break;
    case failing::Locks::None: errno = ENOLCK; return -1;
    }
    return system(fd, operation);
}
