#include "platform/Signals.h"

#include <QFile>

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The path as the handler needs it: bytes of its own, set before the
// handlers are, and never changed afterwards.
char removeOnSignal[4096];

// The new file of a replacement. It is written into the entry of `files`
// the handler does not look at, and only then named in `writing`: 0 for
// none, 2k + 1 while entry k is being named, 2k + 2 once entry k names a
// file of ours.
struct Written {
    char name[PATH_MAX];
    dev_t dev;
    ino_t ino;
};
Written files[2];
std::atomic<int> writing{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler reads it");
int current = 0;
bool held = false;
sigset_t before;

constexpr int kEnding[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};

sigset_t ending()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int sig : kEnding)
        sigaddset(&set, sig);
    return set;
}

// The signal that ends the program: the first one the handler took.
std::atomic<int> endingBy{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler sets it");

void (*handlerHook)() = nullptr;

void removeAndEnd(int sig)
{
    // Only async-signal-safe calls here. The handler stays installed while it
    // runs, and its thread holds back the ending signals meanwhile; one that
    // another thread takes runs the handler there too. So every run removes
    // the files itself, and only then does the program end, by the first
    // signal: its default back, it is raised again and taken as soon as this
    // run returns.
    int first = 0;
    endingBy.compare_exchange_strong(first, sig);
    first = endingBy.load();
    if (handlerHook)
        handlerHook();
    if (removeOnSignal[0] != '\0')
        ::unlink(removeOnSignal);
    // A name being made in another thread is waited for: only then is it
    // known whether it is ours.
    int w = writing.load();
    while (w % 2 == 1)
        w = writing.load();
    if (w > 0) {
        const Written& file = files[(w - 2) / 2];
        struct stat st {};
        if (::fstatat(AT_FDCWD, file.name, &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev == file.dev &&
            st.st_ino == file.ino)
            ::unlink(file.name);
    }
    struct sigaction end {};
    end.sa_handler = SIG_DFL;
    sigemptyset(&end.sa_mask);
    ::sigaction(first, &end, nullptr);
    ::raise(first);
}

} // namespace

void ignoreBrokenPipes()
{
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, nullptr);
}

void removeWhenSignalled(const QString& path)
{
    const QByteArray p = QFile::encodeName(path);
    if (static_cast<std::size_t>(p.size()) < sizeof removeOnSignal)
        std::memcpy(removeOnSignal, p.constData(), static_cast<std::size_t>(p.size()) + 1);
    // Each of them is held back while the handler runs for another, and the
    // handler stays installed: a second signal does not end the program
    // before the files are gone.
    struct sigaction handle {};
    handle.sa_handler = removeAndEnd;
    handle.sa_mask = ending();
    for (const int sig : kEnding) {
        struct sigaction was {};
        if (::sigaction(sig, nullptr, &was) == 0 && was.sa_handler != SIG_IGN)
            ::sigaction(sig, &handle, nullptr);
    }
}

void namingFile(const QByteArray& name)
{
    if (static_cast<std::size_t>(name.size()) >= sizeof files[0].name)
        return;
    const sigset_t set = ending();
    held = ::pthread_sigmask(SIG_BLOCK, &set, &before) == 0;
    // The entry the handler may be reading is left alone.
    current = writing.load() == 2 ? 1 : 0;
    std::memcpy(files[current].name, name.constData(), static_cast<std::size_t>(name.size()) + 1);
    writing.store(2 * current + 1);
}

void namedFile(bool made, dev_t dev, ino_t ino)
{
    if (writing.load() % 2 == 0)
        return;
    if (made) {
        files[current].dev = dev;
        files[current].ino = ino;
    }
    writing.store(made ? 2 * current + 2 : 0);
    if (held)
        ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    held = false;
}

void fileUnnamed() { writing.store(0); }

void setSignalHandlerHook(void (*hook)()) { handlerHook = hook; }

} // namespace platform
