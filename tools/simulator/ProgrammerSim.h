#pragma once
// A simulated SPD programmer / module tester on a pseudo-terminal. The
// program opens the terminal's device path exactly as it opens a USB serial
// adapter. The simulator keeps a 512-byte tester buffer, a module in its
// socket (512 SPD bytes) and its 16-byte settings block, answers every
// message the program sends, logs each message it received with the time it
// came, and has knobs for the faults a real line shows.
//
// It runs on a thread of its own, so it answers while the program waits,
// sits in a modal box or is busy. Its times follow the program's time scale
// (VELMORA_TIME_SCALE): a 2000 ms delay lasts 2000 / scale ms.

#include <QByteArray>
#include <QString>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace sim {

using Bytes512 = std::array<std::uint8_t, 512>;
using Settings16 = std::array<std::uint8_t, 16>;

// Bits of the result flags (byte 48 of the result frame).
inline constexpr int PowerFailFlag = 0x01;
inline constexpr int SpdFailFlag = 0x02;
inline constexpr int OpenFailFlag = 0x04;
inline constexpr int ShortFailFlag = 0x10;

struct Knobs {
    // ---- the line ----
    bool silent = false;            // answers nothing at all
    int lineRate = 960;             // characters a second at 9600 baud (0: no pacing)
    int replyDelayMs = 20;          // from the end of a request to the first reply character
    int replyDelayMaxMs = -1;       // > replyDelayMs: each reply's delay is drawn from
                                    // replyDelayMs..replyDelayMaxMs; replies still go out
                                    // in the order they were asked for
    int splitChunk = 0;             // > 0: replies go out in pieces of this many characters ...
    int splitGapMs = 0;             // ... this far apart
    QByteArray noise;               // sent in front of every reply (line ends, or digits)
    QByteArray noiseInside;         // put inside every reply ...
    int noiseInsideAt = -1;         // ... after this many of its characters (-1: off)
    int nonHexAt = -1;              // >= 0: that character of every data reply becomes 'G'
    int dataReplyLength = -1;       // >= 0: data replies are cut to this many characters
    QByteArray lineNoise;           // sent on its own every lineNoiseEveryMs (empty: off)
    int lineNoiseEveryMs = 1000;

    // ---- the status frame ----
    QByteArray deviceId = "9098";   // characters 11..14
    int statusLength = 512;         // characters of the whole status frame (any length)
    int statusDelayMs = -1;         // "q": from the request to the frame (-1: replyDelayMs);
                                    // a late device answers after the program gave up
    int statusCutAfter = -1;        // >= 0: the status frame stops after this many characters
                                    // and its rest is never sent

    // ---- the socket ----
    bool moduleInSocket = true;     // no module: module reads answer nothing, tests fail power

    // ---- the module test ("p"), and the stand-alone commands ----
    int resultDelayMs = 4000;       // "p": from the request to the result frame (the port is
                                    // closed for the first second of it)
    int resultCutAfter = -1;        // >= 0: result frames stop after this many characters
    // >= 0: the stand-alone commands "r", "c", "v" and "n" end with a result
    // frame this long after the command (the program closes the port for 5 s,
    // 2 s for "v", after sending them); -1: they answer nothing.
    int standaloneResultMs = -1;
    // The stand-alone commands' result frames wait for releaseResults(): the
    // command ends when the test says.
    bool holdStandaloneResults = false;
    int resultFlags = 0;            // byte 48: bit 0 power, 1 SPD, 2 open, 4 short
    int currentHigh = 0xC3;         // bytes 49, 50: the current reading (0xC3, 0x00: 440 mA)
    int currentLow = 0x00;
    std::set<int> openChannels;     // 0..143
    std::set<int> shortChannels;    // 0..143
    QByteArray writtenSerial;       // 8 characters written on the module, as the frame
                                    // reports them apart from the settings block's serial
                                    // number; empty: that serial number
    int resultLength = 520;         // characters of the whole result frame
};

struct Received {
    double ms = 0;                  // real milliseconds since the simulator started
    QByteArray bytes;               // the whole message, terminator included
};

class ProgrammerSim {
public:
    // speed: the time scale; 0 takes VELMORA_TIME_SCALE (1 when unset).
    explicit ProgrammerSim(double speed = 0);
    ~ProgrammerSim();
    ProgrammerSim(const ProgrammerSim&) = delete;
    ProgrammerSim& operator=(const ProgrammerSim&) = delete;

    // Makes the pseudo-terminal pair and starts answering; false (with the
    // reason) when no terminal could be made.
    bool start(QString* error = nullptr);
    void stop();
    // The device path the program opens, e.g. /dev/pts/7.
    QString devicePath() const { return path_; }
    double speed() const { return speed_; }

    // ---- state ----
    Bytes512 buffer() const;
    void setBuffer(const Bytes512& b);
    void pokeBuffer(int index, std::uint8_t value);
    Bytes512 module() const;
    void setModule(const Bytes512& m);
    Settings16 settings() const;
    void setSettings(const Settings16& s);
    Knobs knobs() const;
    void setKnobs(const Knobs& k);
    void updateKnobs(const std::function<void(Knobs&)>& change);
    // Applied to every packet written into the buffer afterwards: the
    // buffer byte at `index` gets `value` instead of what was sent (-1: off).
    void corruptBufferByte(int index, int value);

    // ---- what came ----
    std::vector<Received> received() const;
    // Real milliseconds since the simulator started, the clock of
    // Received::ms.
    double nowMs() const;
    // The messages whose bytes equal `bytes`.
    int count(const QByteArray& bytes) const;
    void clearLog();
    // Blocks the calling thread (no event processing) until n messages came.
    bool waitForMessages(std::size_t n, int timeoutMs) const;
    // Called on the simulator's thread for every message (the standalone
    // program prints them).
    void setLogSink(std::function<void(const Received&)> sink);

    // ---- sending on its own ----
    // Sends raw text after a delay (scaled), as the device would.
    void sendRaw(const QByteArray& text, int delayMs = 0);
    // The programmer's own test key: a module test, whose result frame comes
    // after resultDelayMs, unasked.
    void pressTestKey();
    // The stand-alone commands held back (holdStandaloneResults) end now, each
    // with its result frame.
    void releaseResults();
    // The device path is also reached through this link (a symbolic link
    // made at start and removed at stop), as a USB adapter's name is: a
    // simulator started again on the same link is the programmer plugged
    // in again. Set before start.
    void setLinkPath(const QString& path) { link_ = path; }
    QString linkPath() const { return link_; }
    // Blocks the calling thread until everything queued has been written to
    // the line.
    bool waitUntilSent(int timeoutMs) const;

    // Reads a module image from a file: a ".spd" text image (32 lines of 16
    // two-digit fields) or a raw image of 256 or 512 bytes. False, with the
    // reason, when the file cannot be used.
    static bool loadImage(const QString& path, Bytes512& out, QString* error);

    // ---- frames as the device builds them ----
    QByteArray statusFrame() const;
    QByteArray resultFrame(int flags) const;
    static QByteArray hex(const std::uint8_t* bytes, int n);

private:
    // A piece of a transmission (a reply, a frame of its own, noise). A
    // transmission goes out once it is ready and the line is free: one that
    // is ready earlier goes before one queued earlier but ready later.
    struct Out {
        double due = 0;     // real ms since start
        QByteArray bytes;
        int send = 0;       // the transmission it belongs to
        double ready = 0;   // when that transmission is ready
        double offset = 0;  // from the transmission's start to this piece
        double span = 0;    // from the transmission's start to its end
    };
    void run();
    void handle(const QByteArray& message);
    enum class Kind { Data, Status, Result };
    void reply(const QByteArray& text, int delayMs, Kind kind);
    // The reply as a bad line sends it: noise in front and inside, cut.
    QByteArray garbledLocked(const QByteArray& text, Kind kind) const;
    void queueLocked(const QByteArray& text, double startMs);
    void sendResultLater(int flags, int delayMs);
    int scaled(int ms) const;
    QByteArray statusFrameLocked() const;
    QByteArray resultFrameLocked(int flags) const;
    void advanceSerialLocked();

    double speed_ = 1;
    int master_ = -1;
    int slave_ = -1;
    QString path_;
    QString link_;
    double nextNoiseMs_ = 0;
    int sends_ = 0;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<int> writing_{0};

    mutable std::mutex m_;
    mutable std::condition_variable cv_;
    Bytes512 buffer_{};
    Bytes512 module_{};
    Settings16 settings_{};
    Knobs knobs_;
    int corruptIndex_ = -1;
    int corruptValue_ = 0;
    std::vector<Received> log_;
    std::deque<Out> out_;
    std::function<void(const Received&)> sink_;
    QByteArray incoming_;
    std::int64_t startNs_ = 0;
    std::uint32_t random_ = 12345;
    std::vector<int> held_;  // result flags of stand-alone commands not yet ended
};

} // namespace sim
