// The conversation with the programmer over scripted arrivals, and a
// reference programmer that answers random requests in order.

#include "rules/device/Conversation.h"
#include "rules/device/Protocol.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <random>

using namespace device;
using State = Conversation::State;

namespace {

// A frame of `length` characters: the header, then the digit `fill`.
QString frame(int length, char fill = '0')
{
    QString t(length, QLatin1Char(fill));
    t.replace(0, 4, QStringLiteral("55AA"));
    return t;
}
QString data(char digit) { return QString(512, QLatin1Char(digit)); }

} // namespace

TEST(ConversationRules, WhatEachMessageOwes)
{
    EXPECT_EQ(owedBy(frameMessage('q')), Owes::StatusFrame);
    EXPECT_EQ(owedBy(frameMessage('p')), Owes::TestResult);
    for (char c : {'k', 'K', 'l', 'L'})
        EXPECT_EQ(owedBy(frameMessage(c)), Owes::DataReply) << c;
    EXPECT_EQ(owedBy(shortMessage('L')), Owes::DataReply);  // the blank check
    std::uint8_t sixteen[16] = {};
    for (const QByteArray& m : {frameMessage('e'), frameMessage('r'), frameMessage('c'), frameMessage('v'),
                                frameMessage('n'), shortMessage('T'), shortMessage('a'), shortMessage('H'),
                                settingsMessage({}), dataPacket(false, 0, sixteen), dataPacket(true, 15, sixteen)})
        EXPECT_EQ(owedBy(m), Owes::Nothing) << m.toStdString();
}

TEST(ConversationRules, RepliesInOneReadGoEachToTheirOwnRequest)
{
    Conversation c;
    const auto q = c.sent(Owes::StatusFrame, 0);
    const auto p = c.sent(Owes::TestResult, 0);
    const auto l = c.sent(Owes::DataReply, 0);
    // Noise in front, between and behind; all three in one read.
    const QString status = frame(512, '1');
    const QString result = frame(520, '2');
    c.arrived(QStringLiteral("%$#") + status + result + QStringLiteral("\r\n") + data('3') + QStringLiteral(" \r\n"), 100);
    EXPECT_EQ(c.state(q), State::Complete);
    EXPECT_EQ(c.text(q), status);
    EXPECT_EQ(c.text(p), result);
    EXPECT_EQ(c.text(l), data('3'));
    EXPECT_EQ(c.owed(), 0);
    // Characters nobody asked for are dropped, hexadecimal or not.
    c.arrived(QStringLiteral("5A5A garbage"), 200);
    const auto k = c.sent(Owes::DataReply, 300);
    c.arrived(data('4'), 400);
    EXPECT_EQ(c.text(k), data('4'));
}

TEST(ConversationRules, ARepliesSplitAtEveryPositionComeTogether)
{
    const QString status = frame(512, '7');
    const QString both = status + data('8');
    for (int at = 1; at < both.size(); ++at) {
        Conversation c;
        const auto q = c.sent(Owes::StatusFrame, 0);
        const auto k = c.sent(Owes::DataReply, 0);
        c.arrived(both.left(at), 10);
        // Even a pause makes no difference to a piece without a new header.
        c.arrived(both.mid(at), 2000);
        ASSERT_EQ(c.text(q), status) << at;
        ASSERT_EQ(c.state(k), State::Complete) << at;
        ASSERT_EQ(c.text(k), data('8')) << at;
    }
    // The header itself split 3 + 1.
    Conversation c;
    const auto p = c.sent(Owes::TestResult, 0);
    c.arrived(QStringLiteral("55A"), 10);
    EXPECT_EQ(c.state(p), State::Arriving);
    c.arrived(frame(520).mid(3), 20);
    EXPECT_EQ(c.state(p), State::Complete);
}

TEST(ConversationRules, ALateReplyIsConsumedByItsGivenUpRequest)
{
    Conversation c;
    const auto q = c.sent(Owes::StatusFrame, 0);
    // The parse gave up; the frame is still to come, so a new request
    // cannot go out: its reply could not be told from the late frame.
    c.release(q);
    EXPECT_FALSE(c.clearToSend(4000));
    c.arrived(frame(512), 4500);
    EXPECT_TRUE(c.clearToSend(4500));
    const auto k = c.sent(Owes::DataReply, 4600);
    c.arrived(data('A'), 4700);
    EXPECT_EQ(c.text(k), data('A'));
    EXPECT_EQ(c.state(q), State::Failed);  // released: nothing to hand over

    // A late reply that has begun when its asker gives up is consumed whole.
    const auto l = c.sent(Owes::DataReply, 5000);
    c.arrived(data('B').left(100), 8000);
    c.release(l);
    EXPECT_FALSE(c.clearToSend(8050));
    c.arrived(data('B').mid(100), 8100);
    EXPECT_TRUE(c.clearToSend(8100));
    const auto l2 = c.sent(Owes::DataReply, 8200);
    c.arrived(data('C'), 8300);
    EXPECT_EQ(c.text(l2), data('C'));
}

TEST(ConversationRules, AReplyThatNeverComesFailsAfterTheAnswerLimit)
{
    Conversation c;
    const auto k = c.sent(Owes::DataReply, 1000);
    c.advance(1000 + kAnswerLimitMs - 1);
    EXPECT_EQ(c.state(k), State::Waiting);
    EXPECT_FALSE(c.clearToSend(1000 + kAnswerLimitMs - 1));
    EXPECT_TRUE(c.clearToSend(1000 + kAnswerLimitMs));
    EXPECT_EQ(c.state(k), State::Failed);
    // The limit of the reply behind it runs from the moment it became due.
    Conversation d;
    const auto a = d.sent(Owes::DataReply, 0);
    const auto b = d.sent(Owes::DataReply, 0);
    d.arrived(data('1'), 5000);
    d.advance(5000 + kAnswerLimitMs - 1);
    EXPECT_EQ(d.state(a), State::Complete);
    EXPECT_EQ(d.state(b), State::Waiting);
    d.advance(5000 + kAnswerLimitMs);
    EXPECT_EQ(d.state(b), State::Failed);
    // A reply that stops half-way is cut once the line stays quiet.
    const auto e = d.sent(Owes::DataReply, 20000);
    d.arrived(data('2').left(400), 20100);
    d.advance(20100 + kAnswerLimitMs);
    EXPECT_EQ(d.state(e), State::Failed);
    EXPECT_TRUE(d.clearToSend(20100 + kAnswerLimitMs));
}

TEST(ConversationRules, WhatCannotBeToldApartPutsTheLineOutOfStep)
{
    // A frame owed, and hexadecimal text that is no frame.
    Conversation c;
    const auto q = c.sent(Owes::StatusFrame, 0);
    c.arrived(QStringLiteral("\r\n") + data('0').left(40), 50);
    EXPECT_TRUE(c.outOfStep());
    EXPECT_EQ(c.state(q), State::Failed);
    // Nothing is attributed, and nothing goes out, until the line has been
    // quiet for the answer limit.
    const auto early = c.sent(Owes::DataReply, 100);
    EXPECT_EQ(c.state(early), State::Failed);
    c.arrived(data('0'), 1000);
    EXPECT_FALSE(c.clearToSend(1000 + kAnswerLimitMs - 1));
    EXPECT_TRUE(c.clearToSend(1000 + kAnswerLimitMs));
    const auto k = c.sent(Owes::DataReply, 8000);
    c.arrived(data('5'), 8100);
    EXPECT_EQ(c.text(k), data('5'));

    // A header in lower case is no header.
    Conversation lower;
    const auto q2 = lower.sent(Owes::StatusFrame, 0);
    lower.arrived(QStringLiteral("55aa") + frame(512).mid(4), 10);
    EXPECT_EQ(lower.state(q2), State::Failed);

    // A frame cut short, and after a pause a new one: neither is taken.
    Conversation cut;
    const auto p = cut.sent(Owes::TestResult, 0);
    const auto q3 = cut.sent(Owes::StatusFrame, 0);
    cut.arrived(frame(520).left(260), 100);
    cut.arrived(frame(520), 100 + kResumeGapMs);
    EXPECT_EQ(cut.state(p), State::Failed);
    EXPECT_EQ(cut.state(q3), State::Failed);
    EXPECT_TRUE(cut.outOfStep());
}

TEST(ConversationRules, AClosedLineLosesWhatWasOnItsWay)
{
    // A frame not yet begun may come after the line opens again.
    Conversation c;
    const auto p = c.sent(Owes::TestResult, 0);
    c.lineClosed(10);
    EXPECT_FALSE(c.outOfStep());
    c.arrived(frame(520), 2500);
    EXPECT_EQ(c.state(p), State::Complete);
    // A frame half-way, or a data reply still owed, cannot be told from
    // what comes after.
    const auto q = c.sent(Owes::StatusFrame, 3000);
    c.arrived(frame(512).left(100), 3010);
    c.lineClosed(3020);
    EXPECT_EQ(c.state(q), State::Failed);
    Conversation d;
    const auto l = d.sent(Owes::DataReply, 0);
    d.lineClosed(10);
    EXPECT_EQ(d.state(l), State::Failed);
    EXPECT_TRUE(d.outOfStep());
}

// ---------------------------------------------------------------- property

namespace {

// A programmer that answers in order: each reply begins some time after its
// request (and after the reply before it), comes in pieces with pauses
// between them, or is not sent at all; line noise between replies.
struct ReferenceRun {
    struct Request {
        Owes owes;
        std::int64_t sentAt;
        QString reply;
        bool dropped;
        std::int64_t completeAt = -1;  // when its last character left
        Conversation::Ticket ticket = 0;
        std::int64_t waitUntil = 0;    // the asker's wait
        bool done = false;
    };
    struct Piece {
        std::int64_t at;
        QString text;
    };

    explicit ReferenceRun(unsigned seed)
        : rng(seed)
    {
    }

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

    QString replyFor(Owes o)
    {
        static const char digits[] = "0123456789ABCDEF";
        QString t;
        const int n = replyLength(o);
        for (int i = 0; i < n; ++i)
            t += QLatin1Char(digits[pick(0, 15)]);
        if (o != Owes::DataReply) {
            t.replace(0, 4, QStringLiteral("55AA"));
            // A frame that pauses right in front of a "55AA" inside it is
            // taken for a cut one (the model fails rather than guess); the
            // reference frames carry none.
            while (t.indexOf(QLatin1String("55AA"), 1) > 0)
                t.replace(t.indexOf(QLatin1String("55AA"), 1), 1, QLatin1Char('0'));
        }
        return t;
    }

    // Schedules the reply of r on the line, behind everything before it.
    void schedule(Request& r)
    {
        if (r.dropped)
            return;
        const bool late = pick(0, 9) == 0;
        std::int64_t t = std::max(r.sentAt, lineFree) + (late ? pick(1000, kAnswerLimitMs - 500) : pick(5, 80));
        QString noise = pick(0, 3) == 0 ? QStringLiteral(" \r\n") : QString();
        if (!noise.isEmpty()) {
            pieces.push_back({t, noise});
            t += 2;
        }
        qsizetype at = 0;
        while (true) {
            const int n = pick(0, 2) == 0 ? pick(1, 600) : static_cast<int>(r.reply.size());
            pieces.push_back({t, r.reply.mid(at, n)});
            at += n;
            if (at >= r.reply.size())
                break;
            // About a character a millisecond, and now and then a pause.
            t += n + (pick(0, 4) == 0 ? pick(0, 3000) : 0);
        }
        r.completeAt = t;
        lineFree = t;
    }

    std::mt19937 rng;
    std::vector<Request> requests;
    std::vector<Piece> pieces;  // in time order
    std::int64_t lineFree = 0;
};

} // namespace

TEST(ConversationRules, AReferenceProgrammerAnsweringInOrderIsNeverMisread)
{
    // The askers look every kStep ms, as the program's waits do.
    constexpr std::int64_t kStep = 25;
    QElapsedTimer budget;
    budget.start();
    int seeds = 0;
    int attributed = 0;
    for (unsigned seed = 1; seed <= 4000 && budget.elapsed() < 20000; ++seed, ++seeds) {
        ReferenceRun run(seed);
        Conversation c;
        std::size_t nextPiece = 0;
        std::int64_t nextRequestAt = 0;
        int left = 12;
        // A request goes out only when the line is clear, as the program's
        // do; every reply that came whole within its asker's wait must then
        // be attributed to it, and no reply to another request.
        for (std::int64_t now = 0; now < 300000 && (left > 0 || nextPiece < run.pieces.size()); now += kStep) {
            while (nextPiece < run.pieces.size() && run.pieces[nextPiece].at <= now)
                c.arrived(run.pieces[nextPiece++].text, now);
            c.advance(now);
            // The askers whose waits are over look at their replies.
            for (auto& r : run.requests) {
                if (r.done || now < r.waitUntil)
                    continue;
                r.done = true;
                const State st = c.state(r.ticket);
                if (st == State::Complete) {
                    ASSERT_EQ(c.text(r.ticket), r.reply) << "seed " << seed << ": a reply taken by another request";
                    ++attributed;
                } else {
                    ASSERT_FALSE(!r.dropped && r.completeAt >= 0 && r.completeAt < r.waitUntil - 2 * kStep)
                        << "seed " << seed << ": a reply that came within its wait was not attributed";
                }
                c.release(r.ticket);
            }
            if (left > 0 && now >= nextRequestAt && c.clearToSend(now)) {
                static const Owes kinds[] = {Owes::StatusFrame, Owes::TestResult, Owes::DataReply};
                ReferenceRun::Request r{kinds[run.pick(0, 2)], now, QString(), run.pick(0, 9) == 0};
                r.reply = run.replyFor(r.owes);
                r.ticket = c.sent(r.owes, now);
                r.waitUntil = now + run.pick(500, 9000);
                run.schedule(r);
                std::stable_sort(run.pieces.begin() + static_cast<std::ptrdiff_t>(nextPiece), run.pieces.end(),
                          [](const auto& a, const auto& b) { return a.at < b.at; });
                run.requests.push_back(r);
                --left;
                nextRequestAt = now + run.pick(0, 4000);
            }
        }
    }
    // Bounded in time; on a quiet machine it gets through every seed.
    EXPECT_GE(seeds, 200);
    EXPECT_GT(attributed, seeds);
}
