#pragma once
// The conversation with the programmer as one model: what the line brings is
// taken as a reply only when it is whole and clean, and only by the request
// that asked for it.
//
// - One reply in flight. A request that owes a reply (a status frame, a test
//   result, a data reply) goes out only when no earlier reply is owed or on
//   its way, and only when the line is in step. The line falls out of step
//   when a reply fails (it did not begin within its answer limit, stopped
//   half-way, was damaged) or when hexadecimal digits come that nobody
//   owes; it comes back into step once no hexadecimal digit has come, while
//   the port was open, for the answer limit of the reply that failed (or
//   kAnswerLimitMs), counted from the failure or the last digit, whichever
//   is later. So a reply up to twice its limit late is never taken for a
//   later request's.
// - A reply is what the programmer sends after its request from the first
//   hexadecimal digit on. A frame (status frame or test result) begins
//   "55AA", holds only hexadecimal digits and has ended once it is as long
//   as the frame must be (a status frame more than 500 characters, a test
//   result 515 or more) and the line has then been quiet for kEndQuietMs. A
//   data reply is exactly 512 digits; blanks and a line end may follow.
//   Digits that come before that end quiet has passed belong to the reply
//   and spoil it. Anything else (a character that is no digit inside, too
//   few or too many digits, a new frame that begins after a pause inside
//   one) fails the reply.
// - A reply that came whole and clean belongs to its asker until the asker
//   takes it or gives it up: nothing that comes later changes it. What
//   comes after it is a new reception.
// - A module test's result may take until the test's time-out to begin, and
//   when it begins later than that, while the line is still out of step from
//   its failure, it is taken all the same, as the late result of that test.
// - A whole, clean test-result frame that comes while nothing is owed and
//   the line is in step is the programmer's own (a module test started from
//   its keys, the end of a stand-alone command): it is kept for the
//   test-result poller, the newest kUnaskedKept of them. Everything else
//   that nobody owes is dropped.
//
// Line noise in front of a reply (anything that is no hexadecimal digit) is
// skipped, and so are blanks and line ends after one.
//
// Plain C++ over text: no port and no timer; the caller hands in the time in
// milliseconds of the program's clock and tells when the port opens and
// closes.

#include "rules/device/Frames.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace device {

enum class Owes { Nothing, StatusFrame, TestResult, DataReply };

// The reply a message owes, by its letter and terminator: "q" a status
// frame, "p" a test result, "k", "K", "l" and "L" (with either terminator) a
// data reply, every other message nothing.
Owes owedBy(const QByteArray& message);

// A status frame is longer than 500 characters, a test result 515 or more,
// a data reply 512 digits exactly. No frame is longer than the serial
// control's receive buffer.
inline constexpr int kStatusFrameMin = kStatusThreshold + 1;
inline constexpr int kResultFrameMin = kResultThreshold + 1;
inline constexpr int kDataReplyChars = 512;
inline constexpr int kFrameMaxChars = 1024;
// The programmer begins a status or data reply within this time, and
// pauses no longer inside any reply.
inline constexpr std::int64_t kAnswerLimitMs = 6000;
// A module test's result begins within the test's time-out.
inline constexpr std::int64_t kTestAnswerLimitMs = 10000;
// A reply as long as it must be has ended once the line is this quiet.
inline constexpr std::int64_t kEndQuietMs = 300;
// A "55AA" that comes after a pause this long inside a frame may be a new
// frame behind one that was cut.
inline constexpr std::int64_t kResumeGapMs = 100;
// Frames of the programmer's own that wait for the test-result poller,
// which shows one every 2 s. The programmer sends one when its test key is
// pressed or a stand-alone command ends, seconds apart, so a few hold any
// burst it makes; one that sends faster (at 9600 baud the shortest frame
// with its end quiet takes 0.84 s) would build a backlog shown minutes
// late. With four, the newest frame waits behind at most three reports
// (about 8 s); an older one that has to give way is never shown nor
// counted.
inline constexpr std::size_t kUnaskedKept = 4;

// The shortest reply of a kind, and the time its first digit may take.
int minLength(Owes owes);
std::int64_t answerLimit(Owes owes);

class Conversation {
public:
    using Ticket = std::uint64_t;  // 0: no ticket

    enum class State {
        Waiting,   // nothing of the reply has come yet
        Arriving,  // a part of it came
        Complete,  // it came whole and clean
        Failed,    // it did not come, or not whole and clean
    };

    // Whether a request that owes a reply may go out now: nothing is owed or
    // on its way, and the line is in step.
    bool clearToSend(std::int64_t now);
    // Whether a reply is owed or on its way, which closing the port would
    // cut.
    bool lineBusy(std::int64_t now);

    // A message that owes `owes` went out. Returns the reply's ticket (0
    // when it owes nothing). A request sent while the line was not clear
    // fails at once.
    Ticket sent(Owes owes, std::int64_t now);

    // Characters that came from the line.
    void arrived(QStringView chars, std::int64_t now);
    void arrived(const QByteArray& latin1, std::int64_t now);

    // The port opened or closed. While it is closed the programmer's
    // characters are lost: a reply on its way is cut, and the time does not
    // count as quiet.
    void lineOpened(std::int64_t now);
    void lineClosed(std::int64_t now);

    // Lets time pass: replies end, fail or time out; a quiet line comes back
    // into step.
    void advance(std::int64_t now);

    State state(Ticket t) const;     // an unknown or released ticket: Failed
    QString text(Ticket t) const;    // the reply, once it came whole
    // The asker is done with the reply (took it or gave up). A reply still
    // to come is received when it comes, and thrown away.
    void release(Ticket t);
    // A test result that failed for want of an answer and may still come,
    // late, while the line is out of step.
    bool mayComeLate(Ticket t) const;

    // The oldest whole test-result frame that came while nothing was owed,
    // of the newest kUnaskedKept.
    std::optional<QString> takeUnasked();
    // The programmer is known to be there: the last status request was
    // answered with a whole, clean frame of the expected device ID, and
    // since that answer no reply has failed, the line has not fallen out of
    // step and has not failed.
    bool statusAnswered() const { return statusAnswered_; }
    // The line failed (the port was dropped, or could not be opened): the
    // programmer on it may be another one, or none.
    void lineFailed(std::int64_t now);

    // A reply owed (0, or 1 while one is in flight).
    int owed() const;

private:
    struct Entry {
        Ticket ticket = 0;
        Owes owes = Owes::Nothing;
        State state = State::Waiting;
        std::int64_t sentAt = 0;
        QString text;
        bool released = false;
    };
    // What is coming from the line: the reply in flight, or text nobody owes.
    struct Reception {
        bool active = false;
        Ticket ticket = 0;          // 0: nobody owes it
        Owes shape = Owes::Nothing; // the form it must have
        int need = 0;               // the characters it must have at least
        QString text;
        bool ended = false;         // a character that is no digit after its full length
        std::int64_t lastDigitAt = 0;
        std::vector<int> resumes;   // where a digit came after a pause
    };

    Entry* find(Ticket t);
    const Entry* find(Ticket t) const;
    Entry* inFlight();
    void digit(QChar c, std::int64_t now);
    void other(std::int64_t now);
    void startReception(Ticket t, Owes shape, std::int64_t now);
    void finishReception(std::int64_t now);
    void failReception(std::int64_t at);
    void failEntry(Entry& e);
    void fallOutOfStep(std::int64_t at, std::int64_t quietNeeded = kAnswerLimitMs);
    std::int64_t quiet(std::int64_t now) const;
    void prune();

    std::deque<Entry> entries_;
    Reception rx_;
    Ticket next_ = 1;
    // The test result that may still come late.
    Ticket late_ = 0;
    Ticket lastStatus_ = 0;
    bool statusAnswered_ = false;
    std::deque<QString> unasked_;

    bool open_ = true;
    bool outOfStep_ = false;
    std::int64_t quietNeeded_ = kAnswerLimitMs;
    // Quiet: the time the port was open since the line fell out of step or
    // the last digit came.
    std::int64_t quietBanked_ = 0;
    std::int64_t quietFrom_ = 0;
    std::int64_t lastDigitAt_ = -1;
};

} // namespace device
