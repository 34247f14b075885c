#include "ProgrammerSim.h"

#include "DefaultModule.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {

std::int64_t steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double envSpeed()
{
    const char* s = std::getenv("VELMORA_TIME_SCALE");
    if (!s)
        return 1;
    char* end = nullptr;
    const double v = std::strtod(s, &end);
    return (end != s && v > 0 && std::isfinite(v)) ? v : 1;
}

int hexVal(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Sixteen bytes from 32 hexadecimal characters; false when any is missing.
bool unhex(const QByteArray& text, int from, int n, std::uint8_t* out)
{
    if (text.size() < from + 2 * n)
        return false;
    for (int i = 0; i < n; ++i) {
        const int hi = hexVal(text[from + 2 * i]);
        const int lo = hexVal(text[from + 2 * i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        out[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return true;
}

// Filler after the fields a frame carries: the text a device sends in the
// positions nobody reads.
void padTo(QByteArray& f, int length)
{
    while (f.size() < length)
        f.append('0');
    f.truncate(length);
}

} // namespace

ProgrammerSim::ProgrammerSim(double speed)
    : speed_(speed > 0 ? speed : envSpeed())
{
    // Power-on state: the frame header, the device ID, the power, open and
    // short tests on, serial numbers in hexadecimal, EEPROM size by SPD.
    settings_ = {0x55, 0xAA, 0x01, 0x00, 0x00, 0x90, 0x98, 0x00, 0x07, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01};
    module_ = defaultModule();
    startNs_ = steadyNs();
}

ProgrammerSim::~ProgrammerSim() { stop(); }

double ProgrammerSim::nowMs() const { return static_cast<double>(steadyNs() - startNs_) / 1e6; }
int ProgrammerSim::scaled(int ms) const { return ms <= 0 ? 0 : std::max(1, static_cast<int>(std::lround(ms / speed_))); }

bool ProgrammerSim::start(QString* error)
{
    if (running_)
        return true;
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    termios t{};
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    tcsetattr(slave, TCSANOW, &t);
    // The master side is ours: raw too, and never blocking.
    tcgetattr(master, &t);
    cfmakeraw(&t);
    tcsetattr(master, TCSANOW, &t);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    master_ = master;
    slave_ = slave;  // kept open: the line stays up while the program closes its side
    path_ = QString::fromLocal8Bit(name);
    if (!link_.isEmpty()) {
        // A new link replaces an old one in one step.
        const QByteArray target = path_.toLocal8Bit();
        const QByteArray tmp = (link_ + QStringLiteral(".new")).toLocal8Bit();
        ::unlink(tmp.constData());
        if (::symlink(target.constData(), tmp.constData()) != 0 || ::rename(tmp.constData(), link_.toLocal8Bit().constData()) != 0) {
            if (error)
                *error = QStringLiteral("link %1: %2").arg(link_, QString::fromLocal8Bit(std::strerror(errno)));
            ::close(master);
            ::close(slave);
            master_ = slave_ = -1;
            return false;
        }
    }
    running_ = true;
    thread_ = std::thread([this] { run(); });
    return true;
}

void ProgrammerSim::stop()
{
    if (!running_.exchange(false))
        return;
    if (thread_.joinable())
        thread_.join();
    // The programmer is gone: the link goes with it, and the program's side
    // of the line sees a hang-up. A link that another simulator has taken
    // over since is that one's, and stays.
    if (!link_.isEmpty()) {
        const QByteArray link = link_.toLocal8Bit();
        char target[256] = {};
        const ssize_t n = ::readlink(link.constData(), target, sizeof target - 1);
        if (n > 0 && QByteArray(target, static_cast<int>(n)) == path_.toLocal8Bit())
            ::unlink(link.constData());
    }
    ::close(master_);
    ::close(slave_);
    master_ = slave_ = -1;
}

void ProgrammerSim::run()
{
    char chunk[512];
    while (running_) {
        int timeout = 5;
        {
            std::lock_guard<std::mutex> l(m_);
            if (!out_.empty())
                timeout = std::clamp(static_cast<int>(out_.front().due - nowMs()), 0, 5);
        }
        pollfd p{master_, POLLIN, 0};
        const int r = ::poll(&p, 1, timeout);
        if (r > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(master_, chunk, sizeof chunk);
            if (n > 0) {
                incoming_.append(chunk, static_cast<int>(n));
                qsizetype end;
                while ((end = incoming_.indexOf(char(0x7F))) >= 0) {
                    const QByteArray message = incoming_.left(end + 1);
                    incoming_.remove(0, end + 1);
                    handle(message);
                }
            }
        }
        // Noise the line makes on its own.
        {
            std::lock_guard<std::mutex> l(m_);
            if (!knobs_.lineNoise.isEmpty() && nowMs() >= nextNoiseMs_) {
                queueLocked(knobs_.lineNoise, nowMs());
                nextNoiseMs_ = nowMs() + scaled(std::max(1, knobs_.lineNoiseEveryMs));
            }
        }
        // What has fallen due goes out.
        while (true) {
            QByteArray bytes;
            {
                std::lock_guard<std::mutex> l(m_);
                if (out_.empty() || out_.front().due > nowMs())
                    break;
                bytes = out_.front().bytes;
                out_.pop_front();
                ++writing_;
            }
            qsizetype done = 0;
            while (done < bytes.size() && running_) {
                const ssize_t w = ::write(master_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
                if (w > 0) {
                    done += w;
                } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
                    break;
                } else {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
            }
            --writing_;
        }
    }
}

void ProgrammerSim::handle(const QByteArray& message)
{
    Received rec{nowMs(), message};
    std::function<void(const Received&)> sink;
    {
        std::lock_guard<std::mutex> l(m_);
        log_.push_back(rec);
        sink = sink_;
    }
    cv_.notify_all();
    if (sink)
        sink(rec);

    const bool frame = message.size() >= 2 && message[message.size() - 2] == char(0x10);
    const char letter = message.isEmpty() ? 0 : message[0];
    const QByteArray body = message.mid(1, message.size() - (frame ? 3 : 2));
    const Knobs k = knobs();

    auto setBit = [this](int word, int mask, bool on) {
        std::lock_guard<std::mutex> l(m_);
        auto& w = settings_[static_cast<std::size_t>(word)];
        w = static_cast<std::uint8_t>(on ? (w | mask) : (w & ~mask));
    };

    if (frame) {
        switch (letter) {
        case 'q':
            reply(statusFrame(), k.statusDelayMs, Kind::Status);
            break;
        case 'H': {
            std::uint8_t words[16];
            if (body.size() == 33 && body[0] == '0' && unhex(body, 1, 16, words)) {
                std::lock_guard<std::mutex> l(m_);
                for (int w = 8; w < 16; ++w)
                    settings_[static_cast<std::size_t>(w)] = words[w];
            }
            break;
        }
        case 'w':
        case 'W': {
            std::uint8_t bytes[16];
            const int block = body.isEmpty() ? -1 : body[0] - '0';
            if (body.size() == 33 && block >= 0 && block < 16 && unhex(body, 1, 16, bytes)) {
                std::lock_guard<std::mutex> l(m_);
                const int base = (letter == 'W' ? 256 : 0) + 16 * block;
                for (int i = 0; i < 16; ++i)
                    buffer_[static_cast<std::size_t>(base + i)] = bytes[i];
                if (corruptIndex_ >= base && corruptIndex_ < base + 16)
                    buffer_[static_cast<std::size_t>(corruptIndex_)] = static_cast<std::uint8_t>(corruptValue_);
            }
            break;
        }
        case 'k':
        case 'K':
            if (k.moduleInSocket) {
                const Bytes512 m = module();
                reply(hex(m.data() + (letter == 'K' ? 256 : 0), 256), -1, Kind::Data);
            }
            break;
        case 'l':
        case 'L': {
            const Bytes512 b = buffer();
            reply(hex(b.data() + (letter == 'L' ? 256 : 0), 256), -1, Kind::Data);
            break;
        }
        case 'e': {
            std::lock_guard<std::mutex> l(m_);
            buffer_.fill(0);
            break;
        }
        // The stand-alone commands do their work on the device; when it is
        // done the device may report it with a result frame of its own.
        case 'r':
        case 'c':
        case 'v':
        case 'n': {
            bool ok = k.moduleInSocket || letter == 'n';
            {
                std::lock_guard<std::mutex> l(m_);
                if (letter == 'r' && k.moduleInSocket)
                    buffer_ = module_;
                else if (letter == 'c' && k.moduleInSocket)
                    module_ = buffer_;
                else if (letter == 'v' && k.moduleInSocket)
                    ok = module_ == buffer_;
            }
            const int flags = ok ? k.resultFlags : (k.moduleInSocket ? SpdFailFlag : PowerFailFlag);
            if (k.holdStandaloneResults) {
                std::lock_guard<std::mutex> l(m_);
                held_.push_back(flags);
            } else if (k.standaloneResultMs >= 0) {
                sendResultLater(flags, k.standaloneResultMs);
            }
            break;
        }
        case 'p':
            sendResultLater(k.moduleInSocket ? k.resultFlags : PowerFailFlag, k.resultDelayMs);
            break;
        default:
            break;
        }
        return;
    }

    // The short terminator: the version command, the blank check and the
    // setting commands.
    switch (letter) {
    case 'L': {
        const Bytes512 b = buffer();
        reply(hex(b.data() + 256, 256), -1, Kind::Data);
        break;
    }
    case 'a': setBit(9, 0x01, false); break;  // automatic serial number off
    case 'A': setBit(9, 0x01, true); break;
    case 'f': setBit(9, 0x04, true); break;   // serial-number verify off
    case 'F': setBit(9, 0x04, false); break;
    case 'h': setBit(9, 0x08, false); break;  // decimal
    case 'H': setBit(9, 0x08, true); break;   // hexadecimal
    case 'y':
    case 'z': setBit(9, 0x40, true); break;   // keys locked
    case 'Y': setBit(9, 0x40, false); break;
    case 'n': setBit(9, 0x02, false); break;  // low to high
    case 'N': setBit(9, 0x02, true); break;   // high to low
    case 'b':
    case 'B':
    case 'D': {
        std::lock_guard<std::mutex> l(m_);
        settings_[10] = letter == 'b' ? 1 : letter == 'B' ? 2 : 0;
        break;
    }
    default:
        break;  // "T" and anything unknown: nothing to answer
    }
}

QByteArray ProgrammerSim::garbledLocked(const QByteArray& text, Kind kind) const
{
    QByteArray t = text;
    if (kind == Kind::Data) {
        if (knobs_.nonHexAt >= 0 && knobs_.nonHexAt < t.size())
            t[knobs_.nonHexAt] = 'G';
    }
    if (knobs_.noiseInsideAt >= 0 && knobs_.noiseInsideAt <= t.size())
        t.insert(knobs_.noiseInsideAt, knobs_.noiseInside);
    const int cut = kind == Kind::Data     ? knobs_.dataReplyLength
                    : kind == Kind::Status ? knobs_.statusCutAfter
                                           : knobs_.resultCutAfter;
    if (cut >= 0)
        t.truncate(cut);
    return knobs_.noise + t;
}

void ProgrammerSim::reply(const QByteArray& text, int delayMs, Kind kind)
{
    std::lock_guard<std::mutex> l(m_);
    if (knobs_.silent)
        return;
    // The line's reply delay, when the reply has none of its own.
    if (delayMs < 0) {
        delayMs = knobs_.replyDelayMs;
        if (knobs_.replyDelayMaxMs > knobs_.replyDelayMs) {
            random_ = random_ * 1103515245u + 12345u;
            delayMs += static_cast<int>((random_ >> 8) % static_cast<std::uint32_t>(knobs_.replyDelayMaxMs - knobs_.replyDelayMs + 1));
        }
    }
    queueLocked(garbledLocked(text, kind), nowMs() + scaled(delayMs));
}

void ProgrammerSim::queueLocked(const QByteArray& text, double startMs)
{
    // Characters leave at the line's pace, in small pieces, or in the
    // pieces a test asked for.
    std::vector<Out> pieces;
    const int send = ++sends_;
    double t = 0;
    double span = 0;
    const int piece = knobs_.splitChunk > 0 ? knobs_.splitChunk : 16;
    for (qsizetype at = 0; at < text.size(); at += piece) {
        const QByteArray part = text.mid(at, piece);
        pieces.push_back(Out{0, part, send, startMs, t, 0});
        const double takes =
            knobs_.lineRate > 0 ? 1000.0 * static_cast<double>(part.size()) / knobs_.lineRate / speed_ : 0;
        span = t + takes;
        t += knobs_.splitChunk > 0 ? scaled(knobs_.splitGapMs) : takes;
    }
    for (Out& o : pieces)
        o.span = span;
    // The transmission goes in front of the first one that has not begun
    // and is ready later; a transmission that has begun is never cut.
    std::size_t at = out_.size();
    for (std::size_t i = 0; i < out_.size(); ++i) {
        const bool begins = i == 0 ? out_[i].offset == 0 : out_[i].send != out_[i - 1].send;
        if (begins && out_[i].ready > startMs) {
            at = i;
            break;
        }
    }
    out_.insert(out_.begin() + static_cast<std::ptrdiff_t>(at), pieces.begin(), pieces.end());
    // From there on every transmission starts when it is ready and the line
    // is free.
    double free = 0;
    if (at > 0) {
        const Out& before = out_[at - 1];
        free = before.due - before.offset + before.span;
    }
    double start = 0;
    for (std::size_t i = at; i < out_.size(); ++i) {
        if (i == at || out_[i].send != out_[i - 1].send) {
            if (i > at)
                free = start + out_[i - 1].span;
            start = std::max(out_[i].ready, free);
        }
        out_[i].due = start + out_[i].offset;
    }
}

void ProgrammerSim::sendRaw(const QByteArray& text, int delayMs)
{
    std::lock_guard<std::mutex> l(m_);
    queueLocked(text, nowMs() + scaled(delayMs));
}

bool ProgrammerSim::waitUntilSent(int timeoutMs) const
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < until) {
        {
            std::lock_guard<std::mutex> l(m_);
            if (out_.empty() && writing_ == 0)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

void ProgrammerSim::sendResultLater(int flags, int delayMs)
{
    std::lock_guard<std::mutex> l(m_);
    if (knobs_.silent)
        return;
    const QByteArray f = resultFrameLocked(flags);
    if (flags == 0)
        advanceSerialLocked();
    queueLocked(garbledLocked(f, Kind::Result), nowMs() + scaled(delayMs));
}

void ProgrammerSim::releaseResults()
{
    std::vector<int> held;
    {
        std::lock_guard<std::mutex> l(m_);
        held.swap(held_);
    }
    for (const int flags : held)
        sendResultLater(flags, 0);
}

void ProgrammerSim::pressTestKey()
{
    const Knobs k = knobs();
    sendResultLater(k.moduleInSocket ? k.resultFlags : PowerFailFlag, k.resultDelayMs);
}

bool ProgrammerSim::loadImage(const QString& path, Bytes512& out, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return fail(f.errorString());
    const QByteArray all = f.read(64 * 1024);
    out.fill(0);
    if (!path.right(3).compare(QStringLiteral("SPD"), Qt::CaseInsensitive)) {
        // 32 lines; entry k of line r in the three characters from 3k on
        // (a blank and two digits).
        QList<QByteArray> lines = all.split('\n');
        if (lines.size() < 32)
            return fail(QStringLiteral("a text image has 32 lines"));
        for (int r = 0; r < 32; ++r) {
            const QByteArray line = lines[r];
            for (int k = 0; k < 16; ++k) {
                const QByteArray field = line.mid(3 * k, 3).trimmed();
                bool ok = false;
                const int v = field.toInt(&ok, 16);
                if (!ok || v < 0 || v > 255)
                    return fail(QStringLiteral("line %1, field %2 is no byte").arg(r + 1).arg(k + 1));
                out[static_cast<std::size_t>(16 * r + k)] = static_cast<std::uint8_t>(v);
            }
        }
        return true;
    }
    if (all.size() != 256 && all.size() != 512)
        return fail(QStringLiteral("a raw image has 256 or 512 bytes, this file %1").arg(all.size()));
    std::copy(all.begin(), all.end(), out.begin());
    return true;
}

// With automatic serial numbers on, each passed module takes the next
// number: BCD or binary by the encoding bit, up or down by the direction bit.
void ProgrammerSim::advanceSerialLocked()
{
    if (!(settings_[9] & 0x01))
        return;
    const bool hexMode = settings_[9] & 0x08;
    const bool down = settings_[9] & 0x02;
    for (int w = 15; w >= 12; --w) {
        auto& b = settings_[static_cast<std::size_t>(w)];
        if (!down) {
            if (hexMode ? b != 0xFF : b != 0x99) {
                b = static_cast<std::uint8_t>(hexMode || (b & 0x0F) != 9 ? b + 1 : b + 7);
                return;
            }
            b = 0;
        } else {
            if (b != 0) {
                b = static_cast<std::uint8_t>(hexMode || (b & 0x0F) != 0 ? b - 1 : b - 7);
                return;
            }
            b = hexMode ? 0xFF : 0x99;
        }
    }
}

QByteArray ProgrammerSim::hex(const std::uint8_t* bytes, int n)
{
    static const char digits[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(2 * n);
    for (int i = 0; i < n; ++i) {
        out.append(digits[bytes[i] >> 4]);
        out.append(digits[bytes[i] & 15]);
    }
    return out;
}

QByteArray ProgrammerSim::statusFrame() const
{
    std::lock_guard<std::mutex> l(m_);
    return statusFrameLocked();
}

QByteArray ProgrammerSim::statusFrameLocked() const
{
    QByteArray f = hex(settings_.data(), 16);
    const QByteArray id = (knobs_.deviceId + "0000").left(4);
    f.replace(10, 4, id);
    padTo(f, knobs_.statusLength);
    return f;
}

QByteArray ProgrammerSim::resultFrame(int flags) const
{
    std::lock_guard<std::mutex> l(m_);
    return resultFrameLocked(flags);
}

QByteArray ProgrammerSim::resultFrameLocked(int flags) const
{
    std::array<std::uint8_t, 132> bytes{};
    std::copy(settings_.begin(), settings_.end(), bytes.begin());
    bytes[48] = static_cast<std::uint8_t>(flags);
    bytes[49] = static_cast<std::uint8_t>(knobs_.currentHigh);
    bytes[50] = static_cast<std::uint8_t>(knobs_.currentLow);
    for (int c : knobs_.openChannels)
        if (c >= 0 && c < 144)
            bytes[static_cast<std::size_t>(64 + c / 8)] |= static_cast<std::uint8_t>(1 << (c % 8));
    for (int c : knobs_.shortChannels)
        if (c >= 0 && c < 144)
            bytes[static_cast<std::size_t>(96 + c / 8)] |= static_cast<std::uint8_t>(1 << (c % 8));
    QByteArray f = hex(bytes.data(), 128);
    if (knobs_.writtenSerial.isEmpty())
        f += hex(settings_.data() + 12, 4);
    else
        f += (knobs_.writtenSerial + "00000000").left(8);
    const QByteArray id = (knobs_.deviceId + "0000").left(4);
    f.replace(10, 4, id);
    padTo(f, knobs_.resultLength);
    return f;
}

Bytes512 ProgrammerSim::buffer() const
{
    std::lock_guard<std::mutex> l(m_);
    return buffer_;
}
void ProgrammerSim::setBuffer(const Bytes512& b)
{
    std::lock_guard<std::mutex> l(m_);
    buffer_ = b;
}
void ProgrammerSim::pokeBuffer(int index, std::uint8_t value)
{
    std::lock_guard<std::mutex> l(m_);
    if (index >= 0 && index < 512)
        buffer_[static_cast<std::size_t>(index)] = value;
}
Bytes512 ProgrammerSim::module() const
{
    std::lock_guard<std::mutex> l(m_);
    return module_;
}
void ProgrammerSim::setModule(const Bytes512& m)
{
    std::lock_guard<std::mutex> l(m_);
    module_ = m;
}
Settings16 ProgrammerSim::settings() const
{
    std::lock_guard<std::mutex> l(m_);
    return settings_;
}
void ProgrammerSim::setSettings(const Settings16& s)
{
    std::lock_guard<std::mutex> l(m_);
    settings_ = s;
}
Knobs ProgrammerSim::knobs() const
{
    std::lock_guard<std::mutex> l(m_);
    return knobs_;
}
void ProgrammerSim::setKnobs(const Knobs& k)
{
    std::lock_guard<std::mutex> l(m_);
    knobs_ = k;
}
void ProgrammerSim::updateKnobs(const std::function<void(Knobs&)>& change)
{
    std::lock_guard<std::mutex> l(m_);
    change(knobs_);
}
void ProgrammerSim::corruptBufferByte(int index, int value)
{
    std::lock_guard<std::mutex> l(m_);
    corruptIndex_ = index;
    corruptValue_ = value;
}

std::vector<Received> ProgrammerSim::received() const
{
    std::lock_guard<std::mutex> l(m_);
    return log_;
}

int ProgrammerSim::count(const QByteArray& bytes) const
{
    std::lock_guard<std::mutex> l(m_);
    return static_cast<int>(std::count_if(log_.begin(), log_.end(), [&](const Received& r) { return r.bytes == bytes; }));
}

void ProgrammerSim::clearLog()
{
    std::lock_guard<std::mutex> l(m_);
    log_.clear();
}

bool ProgrammerSim::waitForMessages(std::size_t n, int timeoutMs) const
{
    std::unique_lock<std::mutex> l(m_);
    return cv_.wait_for(l, std::chrono::milliseconds(timeoutMs), [&] { return log_.size() >= n; });
}

void ProgrammerSim::setLogSink(std::function<void(const Received&)> sink)
{
    std::lock_guard<std::mutex> l(m_);
    sink_ = std::move(sink);
}

} // namespace sim
