#include "rules/device/Conversation.h"

#include "rules/device/Frames.h"
#include "rules/device/Protocol.h"

#include <algorithm>

namespace device {

namespace {

bool isFrame(Owes o) { return o == Owes::StatusFrame || o == Owes::TestResult; }
bool active(Conversation::State s) { return s == Conversation::State::Waiting || s == Conversation::State::Arriving; }

constexpr char kHeader[] = "55AA";

} // namespace

Owes owedBy(const QByteArray& message)
{
    if (message.isEmpty())
        return Owes::Nothing;
    switch (message[0]) {
    case 'q':
        return message == frameMessage('q') ? Owes::StatusFrame : Owes::Nothing;
    case 'p':
        return message == frameMessage('p') ? Owes::TestResult : Owes::Nothing;
    case 'k':
    case 'K':
    case 'l':
        return message == frameMessage(message[0]) ? Owes::DataReply : Owes::Nothing;
    case 'L':
        // The buffer's upper half, and the blank check with the short
        // terminator.
        return message == frameMessage('L') || message == shortMessage('L') ? Owes::DataReply : Owes::Nothing;
    default:
        return Owes::Nothing;
    }
}

int replyLength(Owes owes)
{
    switch (owes) {
    case Owes::StatusFrame:
        return kStatusFrameChars;
    case Owes::TestResult:
        return kResultFrameChars;
    case Owes::DataReply:
        return kDataReplyChars;
    case Owes::Nothing:
        break;
    }
    return 0;
}

Conversation::Entry* Conversation::head()
{
    for (Entry& e : entries_)
        if (active(e.state))
            return &e;
    return nullptr;
}

Conversation::Entry* Conversation::find(Ticket t)
{
    for (Entry& e : entries_)
        if (e.ticket == t)
            return &e;
    return nullptr;
}

const Conversation::Entry* Conversation::find(Ticket t) const
{
    for (const Entry& e : entries_)
        if (e.ticket == t)
            return &e;
    return nullptr;
}

void Conversation::ended(Entry& e, State how, std::int64_t at)
{
    e.state = how;
    // The reply behind it is due from now on.
    if (Entry* next = head())
        next->headSince = std::max(next->headSince, at);
}

void Conversation::goOutOfStep(std::int64_t now)
{
    for (Entry& e : entries_)
        if (active(e.state))
            e.state = State::Failed;
    outOfStep_ = true;
    outOfStepSince_ = now;
}

void Conversation::prune()
{
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [](const Entry& e) { return e.released && !active(e.state); }),
                   entries_.end());
}

void Conversation::advance(std::int64_t now)
{
    if (outOfStep_) {
        // Back in step once nothing has come for as long as the programmer
        // may take to begin or go on with a reply: everything it owed has
        // come or will not come.
        const std::int64_t quietFrom = std::max(outOfStepSince_, anyArrival_ ? lastArrival_ : outOfStepSince_);
        if (now - quietFrom < kAnswerLimitMs)
            return;
        outOfStep_ = false;
    }
    // A reply that has not begun, or stopped, within the answer limit does
    // not come.
    while (Entry* h = head()) {
        const std::int64_t quietFrom = std::max(h->headSince, anyArrival_ ? lastArrival_ : h->headSince);
        if (now - quietFrom < kAnswerLimitMs)
            break;
        ended(*h, State::Failed, quietFrom + kAnswerLimitMs);
    }
    prune();
}

bool Conversation::clearToSend(std::int64_t now)
{
    advance(now);
    if (outOfStep_)
        return false;
    // A reply not yet begun could be late or could never come: a new reply
    // that came first would pass for it. A reply on its way whose asker gave
    // up has no one who would notice that it was cut.
    return std::none_of(entries_.begin(), entries_.end(), [](const Entry& e) {
        return e.state == State::Waiting || (e.state == State::Arriving && e.released);
    });
}

Conversation::Ticket Conversation::sent(Owes owes, std::int64_t now)
{
    advance(now);
    if (owes == Owes::Nothing)
        return 0;
    Entry e;
    e.ticket = next_++;
    e.owes = owes;
    e.headSince = now;
    if (outOfStep_)
        e.state = State::Failed;
    entries_.push_back(e);
    return e.ticket;
}

void Conversation::arrived(const QByteArray& latin1, std::int64_t now)
{
    arrived(QString::fromLatin1(latin1), now);
}

void Conversation::arrived(QStringView chars, std::int64_t now)
{
    if (chars.isEmpty()) {
        advance(now);
        return;
    }
    // What came is attributed first: it came by now, and the time rules
    // are applied to the quiet that follows it.
    const bool resumed = anyArrival_ && now - lastArrival_ >= kResumeGapMs;
    lastArrival_ = now;
    anyArrival_ = true;
    if (outOfStep_) {
        advance(now);
        return;
    }
    // A frame that stopped, and a new header after the pause: the first was
    // cut short, and the new one cannot be told to be the rest of it or the
    // next reply.
    if (Entry* h = head(); h && h->state == State::Arriving && isFrame(h->owes) && resumed &&
                           chars.startsWith(QLatin1String(kHeader))) {
        goOutOfStep(now);
        return;
    }
    for (const QChar c : chars) {
        Entry* h = head();
        if (!h)
            continue;  // nothing is owed: line noise, or what nobody asked for
        if (h->state == State::Waiting) {
            // Line noise in front of a reply.
            if (hexValue(c) < 0)
                continue;
            h->state = State::Arriving;
        }
        if (isFrame(h->owes) && h->text.size() < 4 && c != QLatin1Char(kHeader[h->text.size()])) {
            goOutOfStep(now);
            return;
        }
        h->text += c;
        if (h->text.size() >= replyLength(h->owes))
            ended(*h, State::Complete, now);
    }
    advance(now);
}

void Conversation::lineClosed(std::int64_t now)
{
    advance(now);
    // A reply on its way loses what comes while the line is closed, and its
    // rest would pass for the start of the next one. A frame not yet begun
    // may well come after the line opens again (the module test closes it
    // while the device tests): its header tells whether it came whole. A
    // data reply has no header to tell.
    for (const Entry& e : entries_)
        if (e.state == State::Arriving || (e.state == State::Waiting && e.owes == Owes::DataReply)) {
            goOutOfStep(now);
            return;
        }
}

Conversation::State Conversation::state(Ticket t) const
{
    const Entry* e = find(t);
    return e && !e->released ? e->state : State::Failed;
}

QString Conversation::text(Ticket t) const
{
    const Entry* e = find(t);
    return e && !e->released ? e->text : QString();
}

void Conversation::release(Ticket t)
{
    if (Entry* e = find(t))
        e->released = true;
    prune();
}

int Conversation::owed() const
{
    return static_cast<int>(std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return active(e.state); }));
}

} // namespace device
