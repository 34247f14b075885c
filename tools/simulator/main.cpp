// velmora-sim: a simulated SPD programmer / module tester on a
// pseudo-terminal. Prints the terminal's device path on its first line and
// how to press its test key on the second, then one line for every message
// the program sends, until it is stopped. A line "test" typed on its
// standard input, or the signal SIGUSR1, presses its test key. `--help`
// lists the options.
//
// Point port 1 of the program at it with VELMORA_COM1=<path>.

#include "ProgrammerSim.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <mutex>
#include <string>
#include <sys/prctl.h>
#include <thread>
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

// Text with the escapes \r, \n, \t and \\ as the bytes they stand for.
QByteArray unescape(const char* text)
{
    QByteArray out;
    for (const char* p = text; *p; ++p) {
        if (*p != '\\' || !p[1]) {
            out += *p;
            continue;
        }
        ++p;
        out += *p == 'r' ? '\r' : *p == 'n' ? '\n' : *p == 't' ? '\t' : *p;
    }
    return out;
}

// "TEXT@N": the text and the number after the last "@".
bool textAt(const char* arg, QByteArray& text, int& n)
{
    const char* at = std::strrchr(arg, '@');
    if (!at || at == arg)
        return false;
    text = unescape(std::string(arg, at).c_str());
    char* end = nullptr;
    n = static_cast<int>(std::strtol(at + 1, &end, 10));
    return end != at + 1 && *end == 0;
}

const char kHelp[] =
    "usage: velmora-sim [OPTION]...\n"
    "A simulated SPD programmer / module tester on a pseudo-terminal. It prints the\n"
    "terminal's device path, how to press its test key, then every message it\n"
    "receives. Its test key starts a module test whose result frame comes unasked:\n"
    "press it with a line \"test\" on its standard input, or from anywhere with\n"
    "  kill -USR1 PID          (PID: the simulator's process, which it prints)\n"
    "The second way works also when its standard input is not a terminal, as when\n"
    "`./setup.sh start --simulator` started it. Times are milliseconds of the\n"
    "program's clock (VELMORA_TIME_SCALE).\n"
    "\n"
    "The module and the programmer\n"
    "  --module FILE            the module in the socket, from a .spd text image or a\n"
    "                           raw image of 256 or 512 bytes (default: a 4 GB\n"
    "                           DDR4-2133 unbuffered DIMM, made by the program's SPD\n"
    "                           wizard, part number SIM-DDR4-2133-4G)\n"
    "  --no-module              no module in the socket: module reads answer nothing,\n"
    "                           tests fail with a power failure\n"
    "  --wrong-id XXXX          another device ID in the status frame (not 9098)\n"
    "  --link PATH              also reach the terminal through the symbolic link PATH,\n"
    "                           removed when the simulator ends; started again with the\n"
    "                           same link it is the programmer plugged in again.\n"
    "                           `./setup.sh start --simulator` points port 1 at a link\n"
    "                           of its own and prints the command that starts the\n"
    "                           simulator again on it\n"
    "  --exit-with-parent       end when the process that started it ends\n"
    "\n"
    "The module test (\"p\") and the stand-alone commands\n"
    "  --result-flags N         result byte 48: 1 power, 2 SPD, 4 open, 16 short fail\n"
    "  --current HIGH,LOW       current reading bytes 49 and 50 (default 0xC3,0)\n"
    "  --open C,C,...           open channels (0-143)\n"
    "  --short C,C,...          shorted channels (0-143)\n"
    "  --written-serial XXXXXXXX  the serial number the result reports as written\n"
    "  --result-delay MS        from \"p\" to its result frame (default 4000)\n"
    "  --result-length N        characters of the result frame (default 520)\n"
    "  --standalone-result MS   \"r\", \"c\", \"v\" and \"n\" end with a result frame MS\n"
    "                           after the command (default: they answer nothing).\n"
    "                           The program keeps its port closed for up to 5000 ms\n"
    "                           after \"r\", \"c\" and \"n\" (2000 ms after \"v\"): a frame\n"
    "                           that begins sooner is lost, wholly or in part. Give\n"
    "                           MS of 6000 or more\n"
    "\n"
    "The status frame (\"q\")\n"
    "  --status-length N        characters of the status frame (default 512)\n"
    "  --status-delay MS        from \"q\" to the status frame\n"
    "\n"
    "A bad line\n"
    "  --silent                 answer nothing at all\n"
    "  --reply-delay MS[-MAX]   every reply that late, or a delay drawn from MS..MAX\n"
    "                           for each; replies still come in the order asked\n"
    "  --noise TEXT             TEXT in front of every reply (\\r, \\n allowed; digits\n"
    "                           such as 0A are noise a reply cannot be told from)\n"
    "  --noise-inside TEXT@N    TEXT inside every reply, after its N-th character\n"
    "  --line-noise TEXT@MS     TEXT on the line every MS, whether asked or not\n"
    "  --split N,GAP            replies in pieces of N characters, GAP apart\n"
    "  --cut-status N           the status frame stops after N characters\n"
    "  --cut-result N           result frames stop after N characters\n"
    "  --cut-data N             data replies stop after N characters\n"
    "  --help                   this text\n";

int usage()
{
    std::fputs(kHelp, stderr);
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
        auto text = [&](QByteArray& out, bool escapes = false) {
            const char* v = next();
            if (v)
                out = escapes ? unescape(v) : QByteArray(v);
            return v != nullptr;
        };
        auto number = [&](int& out) {
            const char* v = next();
            if (!v)
                return false;
            char* end = nullptr;
            out = static_cast<int>(std::strtol(v, &end, 0));
            return end != v && *end == 0;
        };
        bool ok = true;
        if (a == "--help" || a == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (a == "--no-module") {
            k.moduleInSocket = false;
        } else if (a == "--silent") {
            k.silent = true;
        } else if (a == "--module") {
            const char* v = next();
            sim::Bytes512 m{};
            QString why;
            if (!v || !sim::ProgrammerSim::loadImage(QString::fromLocal8Bit(v), m, &why)) {
                std::fprintf(stderr, "velmora-sim: --module %s: %s\n", v ? v : "", why.toLocal8Bit().constData());
                return 2;
            }
            device.setModule(m);
        } else if (a == "--link") {
            const char* v = next();
            ok = v != nullptr;
            if (ok)
                device.setLinkPath(QString::fromLocal8Bit(v));
        } else if (a == "--wrong-id") {
            ok = text(k.deviceId);
        } else if (a == "--result-flags") {
            ok = number(k.resultFlags);
        } else if (a == "--current") {
            const char* v = next();
            ok = v != nullptr;
            if (ok) {
                char* end = nullptr;
                k.currentHigh = static_cast<int>(std::strtol(v, &end, 0));
                k.currentLow = (end && *end) ? static_cast<int>(std::strtol(end + 1, nullptr, 0)) : 0;
            }
        } else if (a == "--open" || a == "--short") {
            const char* v = next();
            ok = v != nullptr;
            if (ok)
                (a == "--open" ? k.openChannels : k.shortChannels) = channelList(v);
        } else if (a == "--result-delay") {
            ok = number(k.resultDelayMs);
        } else if (a == "--result-length") {
            ok = number(k.resultLength);
        } else if (a == "--standalone-result") {
            ok = number(k.standaloneResultMs);
        } else if (a == "--status-length") {
            ok = number(k.statusLength);
        } else if (a == "--status-delay") {
            ok = number(k.statusDelayMs);
        } else if (a == "--reply-delay") {
            const char* v = next();
            ok = v != nullptr;
            if (ok) {
                char* end = nullptr;
                k.replyDelayMs = static_cast<int>(std::strtol(v, &end, 10));
                if (end && *end == '-')
                    k.replyDelayMaxMs = static_cast<int>(std::strtol(end + 1, nullptr, 10));
            }
        } else if (a == "--noise") {
            ok = text(k.noise, true);
        } else if (a == "--noise-inside") {
            const char* v = next();
            ok = v && textAt(v, k.noiseInside, k.noiseInsideAt);
        } else if (a == "--line-noise") {
            const char* v = next();
            ok = v && textAt(v, k.lineNoise, k.lineNoiseEveryMs);
        } else if (a == "--split") {
            const char* v = next();
            ok = v && std::sscanf(v, "%d,%d", &k.splitChunk, &k.splitGapMs) == 2;
        } else if (a == "--cut-status") {
            ok = number(k.statusCutAfter);
        } else if (a == "--cut-result") {
            ok = number(k.resultCutAfter);
        } else if (a == "--cut-data") {
            ok = number(k.dataReplyLength);
        } else if (a == "--written-serial") {
            ok = text(k.writtenSerial);
        } else if (a == "--exit-with-parent") {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "velmora-sim: bad option %s\n", a.c_str());
            return usage();
        }
    }
    device.setKnobs(k);

    // Stop on SIGINT, SIGQUIT, SIGTERM and SIGHUP (its terminal closed), so
    // that the link goes with the simulator; press the test key on SIGUSR1.
    // They are waited for on this thread (blocked before any other thread
    // starts, so that every thread leaves them to this one). A signal its
    // starter made it ignore (nohup, a shell's background job) stays
    // ignored.
    sigset_t handled;
    sigemptyset(&handled);
    for (const int sig : {SIGINT, SIGQUIT, SIGTERM, SIGHUP}) {
        struct sigaction was {};
        if (sigaction(sig, nullptr, &was) == 0 && was.sa_handler != SIG_IGN)
            sigaddset(&handled, sig);
    }
    sigaddset(&handled, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &handled, nullptr);

    QString error;
    if (!device.start(&error)) {
        std::fprintf(stderr, "velmora-sim: no pseudo-terminal: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    // Every line goes out whole: the log lines come from the simulator's
    // thread, the test key's from the others.
    static std::mutex out;
    {
        std::lock_guard<std::mutex> l(out);
        std::printf("%s\n", device.devicePath().toLocal8Bit().constData());
        if (isatty(STDIN_FILENO))
            std::printf("test key: type test and Enter here, or run: kill -USR1 %d\n", static_cast<int>(getpid()));
        else
            std::printf("test key: kill -USR1 %d\n", static_cast<int>(getpid()));
        std::fflush(stdout);
    }
    device.setLogSink([](const sim::Received& r) {
        std::lock_guard<std::mutex> l(out);
        std::printf("%10.3f s  %s\n", r.ms / 1000.0, printable(r.bytes).c_str());
        std::fflush(stdout);
    });
    auto pressTestKey = [&device] {
        device.pressTestKey();
        std::lock_guard<std::mutex> l(out);
        std::printf("           test key pressed\n");
        std::fflush(stdout);
    };

    // The test key, from standard input.
    std::thread keys([pressTestKey] {
        std::string line;
        while (std::getline(std::cin, line))
            if (line == "test")
                pressTestKey();
    });
    keys.detach();

    int sig = 0;
    while (sigwait(&handled, &sig) == 0 && sig == SIGUSR1)
        pressTestKey();
    device.stop();
    return 0;
}
