// Requests that wait: for a quiet line (what the window shows meanwhile,
// that nothing goes out when the line does not clear, that a command
// without a reply waits only for a reply on its way), the module test's
// time-out counted from its request, late module-test results, and how long
// a read waits for a reply that comes slowly.

#include "device/DeviceFixture.h"
#include "support/Wait.h"

#include <QFile>
#include <QListWidget>
#include <chrono>

using velmora::gs;

namespace {

const QString kCopyFails = QStringLiteral("*****   SPD 拷貝失敗 !   *****");
const QString kLoadOk = QStringLiteral("      *****   PC Load Data is OK !   *****      ");

// Looks at the program and the programmer every 2 ms while it lives.
class Poll {
public:
    explicit Poll(const std::function<void()>& look)
    {
        poll_.setInterval(2);
        QObject::connect(&poll_, &QTimer::timeout, look);
        poll_.start();
    }

private:
    QTimer poll_;
};

// Notes the program time at which the programmer first received a message.
class Arrival : Poll {
public:
    Arrival(const sim::ProgrammerSim& s, const QByteArray& message)
        : Poll([this, &s, message] {
            if (at_ < 0 && s.count(message) > 0)
                at_ = vclock::clock().programMs();
        })
    {
    }
    // -1 while it has not come.
    std::int64_t at() const { return at_; }

private:
    std::int64_t at_ = -1;
};

} // namespace

class LineWaitTest : public DeviceTest {
protected:
    // Notes whether doc's busy panel is ever hidden once a message beginning
    // with `letter` has reached the programmer and before the operation's
    // first box.
    std::unique_ptr<Poll> watchBusyPanel(frmDocument* doc, char letter, bool& hidden)
    {
        return std::make_unique<Poll>([this, doc, letter, &hidden] {
            const std::vector<sim::Received> got = sim->received();
            const bool sent = std::any_of(got.begin(), got.end(),
                                          [letter](const sim::Received& r) { return r.bytes.startsWith(letter); });
            if (sent && ui.messages.empty() && !P(doc).Frame15->isVisible())
                hidden = true;
        });
    }
    // Digits nobody owes: the line is out of step for the next 6 s.
    void putLineOutOfStep()
    {
        sim->sendRaw("0A");
        ASSERT_TRUE(testwait::until([&] { return !main->deviceOps().lineClear(); }, 2000));
    }
    std::int64_t now() const { return vclock::clock().programMs(); }
};

// ---------------------------------------------------------------- the module test's time-out

TEST_F(LineWaitTest, TheTestTimeOutCountsFromTheRequestNotFromTheClick)
{
    frmDocument* doc = openDocument();
    // A status frame 7.5 s late: "TEST", clicked when the status request's
    // waits are over, waits 12 to 13 s for a quiet line.
    sim->updateKnobs([](sim::Knobs& k) {
        k.statusDelayMs = 7500;
        k.resultFlags = sim::OpenFailFlag;
    });
    ui.messages.clear();
    main->mnuConnection_Click();
    const Arrival p(*sim, frameMsg('p'));
    const std::int64_t click = now();
    bool busyAtTen = false;
    QTimer::singleShot(vclock::clock().scaled(10500), [&] {
        busyAtTen = !P(doc).TEST_COMMAND->isEnabled() && P(doc).TEST_COMMAND->text() == QStringLiteral("Testing...") &&
                    !main->deviceOps().canStartButton();
    });
    // The status parse that the test drops is asked for again after it, of
    // a programmer that answers in time by then.
    once([&] { return p.at() >= 0; }, [&] { sim->updateKnobs([](sim::Knobs& k) { k.statusDelayMs = -1; }); });
    P(doc).TEST_COMMAND->click();
    waitForVerdict();
    ASSERT_GE(p.at(), 0);
    EXPECT_GT(p.at() - click, 10500);
    EXPECT_TRUE(busyAtTen);
    // The test needs no earlier answer: it shows no box.
    waitForRounds(3);
    EXPECT_TRUE(ui.messages.empty()) << ui.lastText().toStdString();
    ASSERT_EQ(P(doc).List1->count(), 1);
    EXPECT_TRUE(P(doc).List1->item(0)->text().endsWith(QStringLiteral("Test Fail    <OPEN FAIL> ")));
    EXPECT_TRUE(P(doc).TEST_COMMAND->isEnabled());
    EXPECT_EQ(P(doc).TEST_COMMAND->text(), QStringLiteral("TEST"));
}

TEST_F(LineWaitTest, WithoutAResultTheTestEndsTenSecondsAfterItsRequest)
{
    frmDocument* doc = openDocument();
    // The result never comes; "p" waits about 6 s for the line first.
    sim->updateKnobs([](sim::Knobs& k) { k.resultCutAfter = 0; });
    putLineOutOfStep();
    const Arrival p(*sim, frameMsg('p'));
    P(doc).TEST_COMMAND->click();
    std::int64_t back = -1;
    testwait::until(
        [&] {
            if (P(doc).TEST_COMMAND->isEnabled())
                back = now();
            return back >= 0;
        },
        30000);
    ASSERT_GE(p.at(), 0);
    ASSERT_GE(back, 0);
    // Counted from the click it would end about 4 s after "p".
    EXPECT_GT(back - p.at(), 8000);
    EXPECT_LT(back - p.at(), 12500);
    EXPECT_EQ(P(doc).TEST_COMMAND->text(), QStringLiteral("TEST"));
    EXPECT_TRUE(main->deviceOps().canStartButton());
}

TEST_F(LineWaitTest, TheTestTimeOutNeverFallsEarly)
{
    frmDocument* doc = openDocument();
    sim->updateKnobs([](sim::Knobs& k) { k.resultCutAfter = 0; });
    double fell = -1;
    QObject::connect(doc->Timer2(), &QTimer::timeout, doc, [&] {
        if (fell < 0)
            fell = sim->nowMs();
    });
    sim->clearLog();
    // A coarse timer may fall up to 5 % early, by where the moment it is due
    // lies in the monotonic clock's second: one of 2.5 s (10 s at this speed)
    // started 100 to 250 ms into a second falls 100 to 125 ms early. A
    // precise timer presses "TEST" 100 ms into a second, and on a clear line
    // "p" goes out at the click.
    const auto phase = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
                   .count() %
               1000;
    };
    double clicked = -1;
    QTimer::singleShot(static_cast<int>((1100 - phase()) % 1000), Qt::PreciseTimer, doc, [&] {
        clicked = sim->nowMs();
        P(doc).TEST_COMMAND->click();
    });
    testwait::until([&] { return fell >= 0; }, 20000);
    ASSERT_GE(fell, 0);
    EXPECT_EQ(sim->count(frameMsg('p')), 1);
    // In the program's time, counted from before the request went out.
    EXPECT_GE((fell - clicked) * speed(), 10000);
}

TEST_F(LineWaitTest, ATestThatCannotGoOutFailsWithItsBoxAndGivesTheGuardBack)
{
    frmDocument* doc = openDocument();
    // Digits on the line every second: it never clears.
    sim->updateKnobs([](sim::Knobs& k) {
        k.lineNoise = "0A";
        k.lineNoiseEveryMs = 1000;
    });
    putLineOutOfStep();
    sim->clearLog();
    bool busyAtTwelve = false;
    QTimer::singleShot(vclock::clock().scaled(12000), [&] {
        busyAtTwelve = P(doc).TEST_COMMAND->text() == QStringLiteral("Testing...") && !main->deviceOps().canStartButton();
    });
    ui.messages.clear();
    P(doc).TEST_COMMAND->click();
    EXPECT_TRUE(busyAtTwelve);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kCopyFails);
    // Nothing went out to the programmer.
    EXPECT_EQ(sim->count(frameMsg('p')), 0);
    EXPECT_TRUE(P(doc).TEST_COMMAND->isEnabled());
    EXPECT_EQ(P(doc).TEST_COMMAND->text(), QStringLiteral("TEST"));
    EXPECT_TRUE(main->deviceOps().canStartButton());
    EXPECT_FALSE(P(doc).Frame15->isVisible());
}

TEST_F(LineWaitTest, ATestThatWentOutRunsToItsTimeOutWhenThePortCannotBeOpenedAgain)
{
    frmDocument* doc = openDocument();
    // The adapter is gone behind the open port: "p" goes out, the port's
    // reopening a second later fails. It is back 3 s after "p", and the
    // result comes 12 s after it, late.
    sim->updateKnobs([](sim::Knobs& k) {
        k.resultDelayMs = 12000;
        k.resultFlags = sim::ShortFailFlag;
    });
    ASSERT_TRUE(QFile::remove(sim->linkPath()));
    QTimer::singleShot(vclock::clock().scaled(3000),
                       [&] { ASSERT_TRUE(QFile::link(sim->devicePath(), sim->linkPath())); });
    bool runningAtEight = false;
    QTimer::singleShot(vclock::clock().scaled(8000), [&] {
        runningAtEight = P(doc).TEST_COMMAND->text() == QStringLiteral("Testing...") &&
                         !P(doc).TEST_COMMAND->isEnabled() && !main->deviceOps().canStartButton();
    });
    ui.messages.clear();
    const std::int64_t click = now();
    P(doc).TEST_COMMAND->click();
    ASSERT_EQ(sim->count(frameMsg('p')), 1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kCopyFails);
    std::int64_t back = -1;
    testwait::until(
        [&] {
            if (back < 0 && P(doc).TEST_COMMAND->isEnabled())
                back = now();
            return back >= 0 && P(doc).List1->count() > 0;
        },
        30000);
    EXPECT_TRUE(runningAtEight);
    EXPECT_GT(back - click, 9500);
    run(3000);
    ASSERT_EQ(P(doc).List1->count(), 1);
    EXPECT_TRUE(P(doc).List1->item(0)->text().endsWith(QStringLiteral("Test Fail    <SHORT FAIL> ")));
    EXPECT_EQ(P(doc).FAIL_LABEL->text(), QStringLiteral("1"));
    EXPECT_TRUE(main->deviceOps().canStartButton());
}

class ClosedWhileTestWaitsTest : public LineWaitTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ClosedWhileTestWaitsTest, TheTestingWindowClosedWhilePWaitsForTheLineClosesWhenTheWaitEnds)
{
    // The line clears after about 6 s, or never (digits every second).
    const bool clears = GetParam();
    QPointer<frmDocument> doc = openDocument();
    if (!clears)
        sim->updateKnobs([](sim::Knobs& k) {
            k.lineNoise = "0A";
            k.lineNoiseEveryMs = 1000;
        });
    putLineOutOfStep();
    bool heldWhenClosed = false;
    QTimer::singleShot(vclock::clock().scaled(2000), [&] {
        heldWhenClosed = doc && doc->isHeld();
        main->mnuFileClose_Click();
    });
    ui.messages.clear();
    P(doc).TEST_COMMAND->click();
    EXPECT_TRUE(heldWhenClosed);
    testwait::until([&] { return doc.isNull(); }, 5000);
    EXPECT_TRUE(doc.isNull());
    EXPECT_TRUE(main->documents().isEmpty());
    if (clears) {
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(sim->count(frameMsg('p')), 1);
    } else {
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, kCopyFails);
        EXPECT_EQ(sim->count(frameMsg('p')), 0);
    }
    // The guard is free once the window has gone, result or none.
    testwait::until([&] { return main->deviceOps().canStartButton(); }, 25000);
    EXPECT_TRUE(main->deviceOps().canStartButton());
}

INSTANTIATE_TEST_SUITE_P(Line, ClosedWhileTestWaitsTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& i) {
                             return std::string(i.param ? "Clears" : "NeverClears");
                         });

class LateResultTest : public LineWaitTest, public ::testing::WithParamInterface<int> {};

TEST_P(LateResultTest, AResultLaterThanTheTimeOutIsShownOnItsWindow)
{
    frmDocument* doc = openDocument();
    sim->updateKnobs([](sim::Knobs& k) {
        k.resultDelayMs = GetParam();
        k.resultFlags = sim::PowerFailFlag;
    });
    P(doc).TEST_COMMAND->click();
    testwait::until([&] { return P(doc).List1->count() > 0; }, 20000);
    ASSERT_EQ(P(doc).List1->count(), 1);
    EXPECT_TRUE(P(doc).List1->item(0)->text().endsWith(QStringLiteral("Test Fail    <POWER FAIL> ")));
    EXPECT_EQ(P(doc).FAIL_LABEL->text(), QStringLiteral("1"));
}

TEST_F(LineWaitTest, ALateTestResultIsNoAnswerToTheStatusRequest)
{
    frmDocument* doc = openDocument();
    // "Reconnection" gets no answer; the test's result begins 10.5 s after
    // "p", when the line is out of step from the test's own time-out.
    sim->updateKnobs([](sim::Knobs& k) {
        k.statusCutAfter = 0;
        k.resultDelayMs = 10500;
        k.resultFlags = sim::OpenFailFlag;
    });
    main->mnuConnection_Click();
    waitForParse();
    P(doc).TEST_COMMAND->click();
    waitForVerdict();
    ASSERT_EQ(P(doc).List1->count(), 1);
    EXPECT_TRUE(P(doc).List1->item(0)->text().endsWith(QStringLiteral("Test Fail    <OPEN FAIL> ")));
    // So nothing says that the programmer is there.
    P(doc).Command4->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****  Tester's SPD clear failure !   *****      "));
}

INSTANTIATE_TEST_SUITE_P(After, LateResultTest, ::testing::Values(11000, 14000),
                         [](const ::testing::TestParamInfo<int>& i) { return std::to_string(i.param) + "ms"; });

// ---------------------------------------------------------------- the busy panel around a wait

TEST_F(LineWaitTest, TheWaitsBusyPanelGoesWithTheWaitAndLeavesTheOperationsOwn)
{
    frmDocument* doc = openDocument();

    // "Reconnection" has no busy panel of its own: the wait's goes once the
    // request is out, before the status parse.
    putLineOutOfStep();
    bool busyWhileWaiting = false;
    QTimer::singleShot(vclock::clock().scaled(2000), [&] { busyWhileWaiting = P(doc).Frame15->isVisible(); });
    main->mnuConnection_Click();
    EXPECT_TRUE(busyWhileWaiting);
    EXPECT_TRUE(main->Timer2()->isActive());
    EXPECT_FALSE(P(doc).Frame15->isVisible());
    waitForParse();

    // "<= Load Module" shows its own from its start; the wait leaves it up
    // until the read has ended.
    putLineOutOfStep();
    ui.messages.clear();
    sim->clearLog();
    bool hidden = false;
    const auto watch = watchBusyPanel(doc, 'k', hidden);
    P(doc).Command9->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Computer reads the DRAM-Module successfully !   ***** "));
    EXPECT_FALSE(hidden);
    EXPECT_FALSE(P(doc).Frame15->isVisible());
}

TEST_F(LineWaitTest, TheBusyPanelStaysUpForTheWholeWrite)
{
    frmDocument* doc = openDocument();
    load(doc, image(12));
    ui.messages.clear();
    sim->clearLog();
    // From the first packet on, until the write's box.
    bool hidden = false;
    const auto watch = watchBusyPanel(doc, 'w', hidden);
    P(doc).Command1->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   SPD file transfer success !   *****      "));
    EXPECT_FALSE(hidden);
    EXPECT_FALSE(P(doc).Frame15->isVisible());
}

// ---------------------------------------------------------------- commands without a reply

TEST_F(LineWaitTest, ACommandWithoutAReplyWaitsOnlyForAReplyOnItsWay)
{
    frmDocument* doc = openDocument();
    putLineOutOfStep();
    const Arrival e(*sim, frameMsg('e'));
    const std::int64_t click = now();
    P(doc).Command4->click();
    ASSERT_GE(e.at(), 0);
    EXPECT_LT(e.at() - click, 1000);
}

// ---------------------------------------------------------------- a reply that comes slowly

// Slower than real time: the margins of a read's wait are a few hundred
// milliseconds of the program's time.
class SlowReplyTest : public LineWaitTest {
protected:
    double speed() const override { return 0.3; }
    void SetUp() override
    {
        LineWaitTest::SetUp();
        doc = openDocument();
        sim::Bytes512 blank;
        blank.fill(0xFF);
        sim->setBuffer(blank);
        ui.messages.clear();
    }
    frmDocument* doc = nullptr;
};

TEST_F(SlowReplyTest, AReplyBegunWithinTheCrossingTimeIsWaitedFor)
{
    // The blank check's whole-second wait may end at once; its reply
    // begins 2.2 s after the request, within the time 512 characters take
    // to cross twice and the line to be quiet behind them.
    sim->updateKnobs([](sim::Knobs& k) { k.replyDelayMs = 2200; });
    main->BlankIC();
    EXPECT_EQ(ui.lastText(), kLoadOk);
}

TEST_F(SlowReplyTest, AReplyStillComingIsWaitedForAsLongAgain)
{
    // It begins 1.5 s after the request and comes in four pieces 0.7 s
    // apart: whole about 4 s after the request.
    sim->updateKnobs([](sim::Knobs& k) {
        k.replyDelayMs = 1500;
        k.splitChunk = 128;
        k.splitGapMs = 700;
    });
    main->BlankIC();
    EXPECT_EQ(ui.lastText(), kLoadOk);
}
