#include "rules/device/Conversation.h"

#include "rules/device/Protocol.h"

#include <algorithm>

namespace device {

namespace {

bool inFlightState(Conversation::State s) { return s == Conversation::State::Waiting || s == Conversation::State::Arriving; }

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

int minLength(Owes owes)
{
    switch (owes) {
    case Owes::StatusFrame:
        return kStatusFrameMin;
    case Owes::TestResult:
        return kResultFrameMin;
    case Owes::DataReply:
        return kDataReplyChars;
    case Owes::Nothing:
        break;
    }
    return 0;
}

std::int64_t answerLimit(Owes owes) { return owes == Owes::TestResult ? kTestAnswerLimitMs : kAnswerLimitMs; }

// ---------------------------------------------------------------- entries

Conversation::Entry* Conversation::find(Ticket t)
{
    for (Entry& e : entries_)
        if (t && e.ticket == t)
            return &e;
    return nullptr;
}

const Conversation::Entry* Conversation::find(Ticket t) const
{
    for (const Entry& e : entries_)
        if (t && e.ticket == t)
            return &e;
    return nullptr;
}

Conversation::Entry* Conversation::inFlight()
{
    for (Entry& e : entries_)
        if (inFlightState(e.state))
            return &e;
    return nullptr;
}

void Conversation::prune()
{
    if (const Entry* l = find(late_); !l || l->released)
        late_ = 0;
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [](const Entry& e) { return e.released && !inFlightState(e.state); }),
                   entries_.end());
}

void Conversation::failEntry(Entry& e)
{
    e.state = State::Failed;
    e.text.clear();
}

void Conversation::fallOutOfStep(std::int64_t at, std::int64_t quietNeeded)
{
    // A failed reply or digits nobody owes: the programmer is no longer
    // known to be there.
    statusAnswered_ = false;
    // A reply that failed may still come as late again as its limit: the
    // quiet it needs is that limit, counted from now.
    quietNeeded_ = outOfStep_ ? std::max(quietNeeded_, quietNeeded) : quietNeeded;
    outOfStep_ = true;
    quietBanked_ = 0;
    quietFrom_ = at;
}

std::int64_t Conversation::quiet(std::int64_t now) const
{
    return quietBanked_ + (open_ ? std::max<std::int64_t>(0, now - quietFrom_) : 0);
}

// ---------------------------------------------------------------- receiving

void Conversation::startReception(Ticket t, Owes shape, std::int64_t now)
{
    rx_ = Reception{};
    rx_.active = true;
    rx_.ticket = t;
    rx_.shape = shape;
    // What nobody owes is taken only as a frame, and a frame of either kind
    // may have ended once it is as long as a status frame.
    rx_.need = t ? minLength(shape) : kStatusFrameMin;
    rx_.lastDigitAt = now;
    if (Entry* e = find(t))
        e->state = State::Arriving;
}

void Conversation::failReception(std::int64_t at)
{
    if (Entry* e = find(rx_.ticket))
        failEntry(*e);
    rx_ = Reception{};
    fallOutOfStep(at);
}

void Conversation::finishReception(std::int64_t now)
{
    // A whole frame that begins after a pause inside the text: the text
    // before it was a frame cut short, and the two cannot be told apart.
    for (int p : rx_.resumes)
        if (rx_.text.mid(p, 4) == QLatin1String(kHeader) && rx_.text.size() - p >= rx_.need) {
            failReception(now);
            return;
        }
    const Reception done = rx_;
    rx_ = Reception{};
    if (Entry* e = find(done.ticket)) {
        e->state = State::Complete;
        e->text = done.text;
        // Only the programmer this program drives is evidence that it is
        // there.
        if (e->ticket == lastStatus_)
            statusAnswered_ = fromExpectedDevice(done.text);
        return;
    }
    // Nobody owes it. Only a whole test-result frame is taken: the late
    // result of a test that timed out, or a frame of the programmer's own.
    if (done.text.size() < kResultFrameMin) {
        fallOutOfStep(done.lastDigitAt);
        return;
    }
    if (Entry* l = find(late_); l && outOfStep_) {
        l->state = State::Complete;
        l->text = done.text;
        late_ = 0;
        // Everything the programmer owed has come.
        outOfStep_ = false;
        return;
    }
    // Out of step since it began (a reception keeps the line as it found it).
    if (outOfStep_) {
        fallOutOfStep(done.lastDigitAt);
        return;
    }
    unasked_.push_back(done.text);
    // The newest are kept: a report shown late is worth less than a new one.
    while (unasked_.size() > kUnaskedKept)
        unasked_.pop_front();
}

void Conversation::digit(QChar c, std::int64_t now)
{
    const std::int64_t previousDigit = lastDigitAt_;
    lastDigitAt_ = now;
    if (!rx_.active) {
        // A new reception: a reply that came whole before it (and whose end
        // quiet has passed) stays its asker's, whatever this turns out to be.
        if (Entry* f = inFlight()) {
            startReception(f->ticket, f->owes, now);
        } else if (previousDigit >= 0 && now - previousDigit < kEndQuietMs) {
            // The rest of something that could not be taken.
            fallOutOfStep(now);
            return;
        } else {
            // Nobody owes it: it is taken only if it is a whole frame.
            startReception(0, Owes::TestResult, now);
        }
    } else if (outOfStep_) {
        // The quiet counts from the last digit.
        fallOutOfStep(now);
    }

    const bool frame = rx_.shape != Owes::DataReply;
    const qsizetype n = rx_.text.size();
    if (rx_.ended || (frame && n >= kFrameMaxChars) || (!frame && n >= kDataReplyChars) ||
        (frame && n < 4 && c != QLatin1Char(kHeader[n]))) {
        // More digits after its end, too many, or no frame header.
        failReception(now);
        return;
    }
    if (frame && n > 0 && now - rx_.lastDigitAt >= kResumeGapMs)
        rx_.resumes.push_back(static_cast<int>(n));
    rx_.text += c;
    rx_.lastDigitAt = now;
}

void Conversation::other(std::int64_t now)
{
    if (!rx_.active)
        return;  // line noise
    if (rx_.text.size() < rx_.need) {
        // A character that is no digit inside the reply.
        failReception(now);
        return;
    }
    // Blanks or a line end after it.
    rx_.ended = true;
}

void Conversation::arrived(const QByteArray& latin1, std::int64_t now) { arrived(QString::fromLatin1(latin1), now); }

void Conversation::arrived(QStringView chars, std::int64_t now)
{
    // The time up to now is applied first: a reply whose limit has passed,
    // or that has ended, takes nothing of what comes now.
    advance(now);
    for (const QChar c : chars) {
        if (hexValue(c) >= 0)
            digit(c, now);
        else
            other(now);
    }
    advance(now);
}

void Conversation::lineOpened(std::int64_t now)
{
    advance(now);
    if (open_)
        return;
    open_ = true;
    quietFrom_ = now;
}

void Conversation::lineClosed(std::int64_t now)
{
    advance(now);
    // What comes while the port is closed is lost: a reply on its way is cut.
    if (rx_.active)
        failReception(now);
    if (open_) {
        quietBanked_ += std::max<std::int64_t>(0, now - quietFrom_);
        open_ = false;
    }
}

void Conversation::advance(std::int64_t now)
{
    if (rx_.active) {
        if (rx_.text.size() >= rx_.need && now - rx_.lastDigitAt >= kEndQuietMs)
            finishReception(now);
        else if (now - rx_.lastDigitAt >= kAnswerLimitMs)
            failReception(rx_.lastDigitAt + kAnswerLimitMs);  // it stopped half-way
    }
    // A reply that did not begin within its limit does not come; a test
    // result may still come late.
    if (Entry* f = inFlight(); f && f->state == State::Waiting && now - f->sentAt >= answerLimit(f->owes)) {
        const std::int64_t at = f->sentAt + answerLimit(f->owes);
        failEntry(*f);
        if (f->owes == Owes::TestResult)
            late_ = f->ticket;
        fallOutOfStep(at, answerLimit(f->owes));
    }
    if (outOfStep_ && !rx_.active && quiet(now) >= quietNeeded_) {
        outOfStep_ = false;
        late_ = 0;
    }
    prune();
}

bool Conversation::clearToSend(std::int64_t now)
{
    advance(now);
    return !inFlight() && !rx_.active && !outOfStep_;
}

bool Conversation::lineBusy(std::int64_t now)
{
    advance(now);
    return inFlight() || rx_.active;
}

Conversation::Ticket Conversation::sent(Owes owes, std::int64_t now)
{
    advance(now);
    if (owes == Owes::Nothing)
        return 0;
    const bool clear = !inFlight() && !rx_.active && !outOfStep_;
    if (!clear) {
        // Two replies that cannot be told apart: neither is taken.
        if (Entry* f = inFlight())
            failEntry(*f);
        if (rx_.active)
            failReception(now);
        fallOutOfStep(now);
    }
    Entry e;
    e.ticket = next_++;
    e.owes = owes;
    e.sentAt = now;
    e.state = clear ? State::Waiting : State::Failed;
    entries_.push_back(e);
    if (owes == Owes::StatusFrame) {
        lastStatus_ = e.ticket;
        statusAnswered_ = false;
    }
    return e.ticket;
}

Conversation::State Conversation::state(Ticket t) const
{
    const Entry* e = find(t);
    return e && !e->released ? e->state : State::Failed;
}

QString Conversation::text(Ticket t) const
{
    const Entry* e = find(t);
    return e && !e->released && e->state == State::Complete ? e->text : QString();
}

void Conversation::release(Ticket t)
{
    if (Entry* e = find(t))
        e->released = true;
    prune();
}

void Conversation::lineFailed(std::int64_t now)
{
    advance(now);
    statusAnswered_ = false;
}

bool Conversation::mayComeLate(Ticket t) const { return t && t == late_ && outOfStep_; }

std::optional<QString> Conversation::takeUnasked()
{
    if (unasked_.empty())
        return std::nullopt;
    QString f = unasked_.front();
    unasked_.pop_front();
    return f;
}

int Conversation::owed() const
{
    return static_cast<int>(std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return inFlightState(e.state); }));
}

} // namespace device
