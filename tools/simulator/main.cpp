// velmora-sim: a simulated SPD programmer / module tester on a
// pseudo-terminal. Prints the terminal's device path on its first line, then
// one line for every message the program sends, until it is stopped.
//
//   velmora-sim [--no-module] [--wrong-id XXXX] [--silent]
//               [--result-flags N] [--current HIGH,LOW] [--open C,C,...]
//               [--short C,C,...] [--result-delay MS] [--reply-delay MS[-MAX]]
//               [--exit-with-parent]
//
// Point port 1 of the program at it with VELMORA_COM1=<path>.

#include "ProgrammerSim.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

std::set<int> channelList(const char* text)
{
    std::set<int> out;
    for (const char* p = text; *p;) {
        char* end = nullptr;
        const long v = std::strtol(p, &end, 0);
        if (end == p)
            break;
        out.insert(static_cast<int>(v));
        p = *end ? end + 1 : end;
    }
    return out;
}

std::string printable(const QByteArray& bytes)
{
    std::string s;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) {
            s += c;
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "<%02X>", u);
            s += buf;
        }
    }
    return s;
}

int usage()
{
    std::fprintf(stderr,
                 "usage: velmora-sim [--no-module] [--wrong-id XXXX] [--silent] [--result-flags N]\n"
                 "                   [--current HIGH,LOW] [--open C,...] [--short C,...]\n"
                 "                   [--result-delay MS] [--status-length N] [--status-delay MS]\n"
                 "                   [--reply-delay MS[-MAX]]\n"
                 "                   [--written-serial XXXXXXXX] [--exit-with-parent]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    sim::ProgrammerSim device;
    sim::Knobs k;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (a == "--no-module") {
            k.moduleInSocket = false;
        } else if (a == "--silent") {
            k.silent = true;
        } else if (a == "--wrong-id") {
            const char* v = next();
            if (!v)
                return usage();
            k.deviceId = QByteArray(v);
        } else if (a == "--result-flags") {
            const char* v = next();
            if (!v)
                return usage();
            k.resultFlags = static_cast<int>(std::strtol(v, nullptr, 0));
        } else if (a == "--current") {
            const char* v = next();
            if (!v)
                return usage();
            char* end = nullptr;
            k.currentHigh = static_cast<int>(std::strtol(v, &end, 0));
            k.currentLow = (end && *end) ? static_cast<int>(std::strtol(end + 1, nullptr, 0)) : 0;
        } else if (a == "--open") {
            const char* v = next();
            if (!v)
                return usage();
            k.openChannels = channelList(v);
        } else if (a == "--short") {
            const char* v = next();
            if (!v)
                return usage();
            k.shortChannels = channelList(v);
        } else if (a == "--result-delay") {
            const char* v = next();
            if (!v)
                return usage();
            k.resultDelayMs = std::atoi(v);
        } else if (a == "--status-length") {
            const char* v = next();
            if (!v)
                return usage();
            k.statusLength = std::atoi(v);
        } else if (a == "--status-delay") {
            const char* v = next();
            if (!v)
                return usage();
            k.statusDelayMs = std::atoi(v);
        } else if (a == "--reply-delay") {
            const char* v = next();
            if (!v)
                return usage();
            char* end = nullptr;
            k.replyDelayMs = static_cast<int>(std::strtol(v, &end, 10));
            if (end && *end == '-')
                k.replyDelayMaxMs = static_cast<int>(std::strtol(end + 1, nullptr, 10));
        } else if (a == "--written-serial") {
            const char* v = next();
            if (!v)
                return usage();
            k.writtenSerial = QByteArray(v);
        } else if (a == "--exit-with-parent") {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
        } else {
            return usage();
        }
    }
    device.setKnobs(k);

    // Stop on SIGINT / SIGTERM, waiting for them on this thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QString error;
    if (!device.start(&error)) {
        std::fprintf(stderr, "velmora-sim: no pseudo-terminal: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    std::printf("%s\n", device.devicePath().toLocal8Bit().constData());
    std::fflush(stdout);
    device.setLogSink([](const sim::Received& r) {
        std::printf("%10.3f s  %s\n", r.ms / 1000.0, printable(r.bytes).c_str());
        std::fflush(stdout);
    });

    int sig = 0;
    sigwait(&stopSignals, &sig);
    device.stop();
    return 0;
}
