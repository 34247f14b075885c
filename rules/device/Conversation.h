#pragma once
// The conversation with the programmer as one model. Every message that goes
// out is noted with the reply it owes (none, a status frame, a test-result
// frame, a 512-digit data reply), in the order sent. The programmer answers
// in that order, so every character that comes belongs to the oldest reply
// still owed; a reply whose asker has given up is still recognised and
// consumed when it comes, and never handed to a later request. When the
// characters cannot be told apart (a frame that does not begin "55AA", a
// frame cut short by a new one, a line that was closed while a reply was on
// its way) the line is out of step: every reply owed then fails, and nothing
// is attributed until the line has been quiet long enough for everything the
// programmer still owed to have come.
//
// The programmer this models sends each reply whole and without a pause of
// kAnswerLimitMs or more, begins it within kAnswerLimitMs of the request (or
// of the end of the reply before it), puts nothing between replies but line
// noise (blanks, line ends, characters that are no hexadecimal digits), and
// sends a status frame of kStatusFrameChars, a test-result frame of
// kResultFrameChars and a data reply of kDataReplyChars characters. A reply
// that does not begin within that time is taken as never coming.
//
// Plain C++ over text: no port and no timer; the caller hands in the time in
// milliseconds of the program's clock.

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <deque>

namespace device {

enum class Owes { Nothing, StatusFrame, TestResult, DataReply };

// The reply a message owes, by its letter and terminator: "q" a status
// frame, "p" a test result, "k", "K", "l" and "L" (with either terminator) a
// data reply, every other message nothing.
Owes owedBy(const QByteArray& message);

inline constexpr int kStatusFrameChars = 512;
inline constexpr int kResultFrameChars = 520;
inline constexpr int kDataReplyChars = 512;
// The programmer begins a reply within this time, and pauses no longer
// inside one.
inline constexpr std::int64_t kAnswerLimitMs = 6000;
// A frame that stops and starts again this long after with a new "55AA" was
// cut short.
inline constexpr std::int64_t kResumeGapMs = 100;

int replyLength(Owes owes);

class Conversation {
public:
    using Ticket = std::uint64_t;  // 0: no ticket

    enum class State {
        Waiting,   // nothing of the reply has come yet
        Arriving,  // a part of it came
        Complete,  // all of it came
        Failed,    // it did not come, or cannot be told from another reply
    };

    // Whether a request that owes a reply may go out now: the line is in
    // step, every reply owed before it has begun to come, and none that is
    // still coming has been given up. Otherwise the new reply could not be
    // told from an earlier one that is late, never comes, or was cut short.
    bool clearToSend(std::int64_t now);

    // A message that owes `owes` went out. Returns the reply's ticket (0 when
    // it owes nothing). While the line is out of step the ticket fails at
    // once.
    Ticket sent(Owes owes, std::int64_t now);

    // Characters that came from the line.
    void arrived(QStringView chars, std::int64_t now);
    void arrived(const QByteArray& latin1, std::int64_t now);

    // The line was closed: what the programmer sends until it opens again is
    // lost. A reply on its way, or a data reply still to come, can then no
    // longer be told from the next one: the line is out of step.
    void lineClosed(std::int64_t now);

    // Lets time pass: replies that did not come within the answer limit
    // fail; a quiet line comes back into step.
    void advance(std::int64_t now);

    State state(Ticket t) const;     // an unknown or released ticket: Failed
    QString text(Ticket t) const;    // what came of the reply so far
    // The asker is done with the reply (took it or gave up). A reply still
    // to come is consumed when it comes, and thrown away.
    void release(Ticket t);

    bool outOfStep() const { return outOfStep_; }
    // Replies the programmer still owes (released ones included).
    int owed() const;

private:
    struct Entry {
        Ticket ticket = 0;
        Owes owes = Owes::Nothing;
        State state = State::Waiting;
        std::int64_t headSince = 0;  // when every reply before it had ended
        QString text;
        bool released = false;
    };

    Entry* head();
    Entry* find(Ticket t);
    const Entry* find(Ticket t) const;
    void ended(Entry& e, State how, std::int64_t at);
    void goOutOfStep(std::int64_t now);
    void prune();

    std::deque<Entry> entries_;
    Ticket next_ = 1;
    std::int64_t lastArrival_ = 0;
    bool anyArrival_ = false;
    bool outOfStep_ = false;
    std::int64_t outOfStepSince_ = 0;
};

} // namespace device
