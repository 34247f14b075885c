#include "platform/Signals.h"

#include <QFile>

#include <csignal>
#include <cstring>
#include <unistd.h>

namespace platform {

namespace {

// The path as the handler needs it: bytes of its own, set before the
// handlers are, and never changed afterwards.
char removeOnSignal[4096];

void removeAndEnd(int sig)
{
    // Only async-signal-safe calls here. The handler was reset as it was
    // called, so the signal raised again ends the program as it would have.
    ::unlink(removeOnSignal);
    ::raise(sig);
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
    if (p.isEmpty() || static_cast<std::size_t>(p.size()) >= sizeof removeOnSignal)
        return;
    std::memcpy(removeOnSignal, p.constData(), static_cast<std::size_t>(p.size()) + 1);
    // Each of them is held back while the handler runs for another.
    constexpr int kEnding[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};
    struct sigaction handle {};
    handle.sa_handler = removeAndEnd;
    handle.sa_flags = SA_RESETHAND;
    sigemptyset(&handle.sa_mask);
    for (const int sig : kEnding)
        sigaddset(&handle.sa_mask, sig);
    for (const int sig : kEnding) {
        struct sigaction was {};
        if (::sigaction(sig, nullptr, &was) == 0 && was.sa_handler != SIG_IGN)
            ::sigaction(sig, &handle, nullptr);
    }
}

} // namespace platform
