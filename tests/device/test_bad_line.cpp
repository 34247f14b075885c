// The programmer on a bad line, over the pseudo-terminal and through the
// real windows: frames cut, noisy inside, of every length allowed, slow
// module tests, late replies, line noise, a line that goes away and comes
// back, and frames the programmer sends on its own. No verdict is made up or
// lost, and no byte is stored that another reply brought.

#include "device/DeviceFixture.h"
#include "support/Wait.h"

#include "document/PinMap.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>

using velmora::gs;

namespace {

const QString kLinkFailure = QStringLiteral("*****    RS-232 Link Failure    *****");
const QString kTesterReadOk = QStringLiteral("*****   Computer reads the Tester's SPD successfully !   ***** ");
const QString kTesterReadFails = QStringLiteral("*****   Computer reads the Tester's SPD failure !   ***** ");
const QString kModuleReadOk = QStringLiteral("*****   Computer reads the DRAM-Module successfully !   ***** ");
const QString kModuleReadFails = QStringLiteral("*****   Computer reads the DRAM-Module failure !   ***** ");

sim::Bytes512 filled(std::uint8_t type, std::uint8_t seed)
{
    sim::Bytes512 b{};
    for (int i = 0; i < 512; ++i)
        b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(seed + 7 * i);
    b[0] = 0x92;
    b[2] = type;
    return b;
}

bool holds(frmDocument* doc, const sim::Bytes512& b, int n = 256)
{
    for (int i = 0; i < n; ++i)
        if (doc->Get_Value(i) != b[static_cast<std::size_t>(i)])
            return false;
    return true;
}

bool anyText(const ScriptedUi& ui, const QString& text)
{
    return std::any_of(ui.messages.begin(), ui.messages.end(), [&](const ui::Message& m) { return m.text == text; });
}

} // namespace

class BadLineTest : public DeviceTest {
protected:
    // The test's log and counters show no verdict at all.
    void expectNoVerdict(frmDocument* doc)
    {
        EXPECT_EQ(P(doc).List1->count(), 0);
        EXPECT_EQ(P(doc).PASS_LABEL->text(), QStringLiteral("0"));
        EXPECT_EQ(P(doc).FAIL_LABEL->text(), QStringLiteral("0"));
        EXPECT_EQ(gs().testPassCount + gs().testFailCount, 0);
    }
    // Port 1 on a link to the programmer, as a USB adapter has a name of its
    // own: a programmer plugged in again is reached through it.
    void portOnALink()
    {
        ASSERT_TRUE(linkDir.isValid());
        main->MSComm1()->setPortOpen(false);
        sim.reset();
        plugIn();
        qputenv("VELMORA_COM1", linkDir.filePath(QStringLiteral("programmer")).toLocal8Bit());
        main->MSComm1()->setPortOpen(true);
    }
    // A programmer (one that answers nothing, when silent) plugged in on the
    // link.
    void plugIn(bool silent = false)
    {
        sim = std::make_unique<sim::ProgrammerSim>(speed());
        sim->setLinkPath(linkDir.filePath(QStringLiteral("programmer")));
        sim->updateKnobs([silent](sim::Knobs& k) { k.silent = silent; });
        QString why;
        ASSERT_TRUE(sim->start(&why)) << why.toStdString();
    }
    QTemporaryDir linkDir;

    // Processes events until the program has read from the line n times
    // (each read takes everything that has come).
    bool readFromTheLine(int n = 1)
    {
        int reads = 0;
        QObject scope;
        QObject::connect(main->MSComm1(), &platform::CommPort::received, &scope, [&] { ++reads; });
        return testwait::until([&] { return reads >= n; });
    }
    // The start of a frame that trickles in, "55AA" every second and never
    // whole: while it comes a reply is on its way and the line is taken.
    // Returns once the program has read the first of it.
    bool startTrickle()
    {
        sim->updateKnobs([](sim::Knobs& k) {
            k.lineNoise = "55AA";
            k.lineNoiseEveryMs = 1000;
        });
        return readFromTheLine();
    }
    void stopTrickle()
    {
        sim->updateKnobs([](sim::Knobs& k) { k.lineNoise.clear(); });
    }
    // Everything owed has come or will not come, and the line is in step.
    void waitForQuietLine()
    {
        testwait::until(
            [&] {
                return !main->deviceOps().talking() && !main->deviceOps().testRunning() &&
                       main->deviceOps().resultsOwed() == 0 && main->deviceOps().lineClear();
            },
            40000);
    }
};

// ---------------------------------------------------------------- cut frames

enum class AfterCut { NewWindowWithNoise, Reconnection, ModuleReadAfterTimeOut };

class CutResultTest : public BadLineTest, public ::testing::WithParamInterface<AfterCut> {};

TEST_P(CutResultTest, ACutResultFrameGivesNoVerdict)
{
    // A short failure whose result frame stops after 60 characters.
    sim->updateKnobs([](sim::Knobs& k) {
        k.resultFlags = sim::ShortFailFlag;
        k.resultCutAfter = 60;
        if (GetParam() == AfterCut::NewWindowWithNoise)
            k.noise = "\r\n";
    });
    sim->setModule(filled(11, 3));
    frmDocument* doc = openDocument();
    ASSERT_EQ(gs().deviceLink, -1);
    ui.messages.clear();
    P(doc).TEST_COMMAND->click();
    frmDocument* other = nullptr;
    switch (GetParam()) {
    case AfterCut::NewWindowWithNoise:
        // File > New 4.5 s after "TEST", while the frame has stopped.
        run(3500);
        other = main->NewDocumentWindow();
        waitForParse();
        break;
    case AfterCut::Reconnection:
        run(2500);
        main->mnuConnection_Click();
        waitForParse();
        break;
    case AfterCut::ModuleReadAfterTimeOut:
        testwait::until([&] { return !main->deviceOps().testRunning(); }, 15000);
        P(doc).Command9->click();
        EXPECT_EQ(ui.lastText(), kModuleReadOk);
        EXPECT_TRUE(holds(doc, filled(11, 3)));
        break;
    }
    waitForQuietLine();
    run(2500);  // a poller tick or two more
    expectNoVerdict(doc);
    EXPECT_FALSE(P(doc).S_FRAME->isVisible());
    if (other)
        expectNoVerdict(other);
    // The status asked for meanwhile came whole, after the line was quiet.
    if (GetParam() != AfterCut::ModuleReadAfterTimeOut) {
        EXPECT_FALSE(anyText(ui, kLinkFailure));
        EXPECT_EQ(gs().deviceLink, -1);
    }
}

std::string afterCutName(const ::testing::TestParamInfo<AfterCut>& i)
{
    switch (i.param) {
    case AfterCut::NewWindowWithNoise: return "NewWindowWithNoise";
    case AfterCut::Reconnection: return "Reconnection";
    case AfterCut::ModuleReadAfterTimeOut: return "ModuleReadAfterTimeOut";
    }
    return "?";
}

INSTANTIATE_TEST_SUITE_P(Then, CutResultTest,
                         ::testing::Values(AfterCut::NewWindowWithNoise, AfterCut::Reconnection,
                                           AfterCut::ModuleReadAfterTimeOut),
                         afterCutName);

// ---------------------------------------------------------------- slow tests

class SlowResultTest : public BadLineTest, public ::testing::WithParamInterface<int> {};

TEST_P(SlowResultTest, AModuleTestAnsweredWithinItsTimeOutIsShown)
{
    sim->updateKnobs([](sim::Knobs& k) {
        k.resultFlags = sim::ShortFailFlag;
        k.resultDelayMs = GetParam();
    });
    frmDocument* doc = openDocument();
    P(doc).TEST_COMMAND->click();
    testwait::until([&] { return P(doc).List1->count() > 0; }, 20000);
    ASSERT_EQ(P(doc).List1->count(), 1);
    EXPECT_TRUE(P(doc).List1->item(0)->text().endsWith(QStringLiteral("Test Fail    <SHORT FAIL> ")));
    EXPECT_EQ(P(doc).FAIL_LABEL->text(), QStringLiteral("1"));
    EXPECT_EQ(P(doc).STS_LAB1->text(), QStringLiteral("SHORT FAIL"));
    waitForVerdict();
    EXPECT_TRUE(P(doc).TEST_COMMAND->isEnabled());
    EXPECT_EQ(P(doc).TEST_COMMAND->text(), QStringLiteral("TEST"));
}

INSTANTIATE_TEST_SUITE_P(After, SlowResultTest, ::testing::Values(7500, 8500, 9500),
                         [](const ::testing::TestParamInfo<int>& i) { return std::to_string(i.param) + "ms"; });

// ---------------------------------------------------------------- lengths

TEST_F(BadLineTest, ResultFramesOfEveryLengthAllowedAreTakenAndLeaveTheLineFree)
{
    frmDocument* doc = openDocument();
    int fails = 0;
    for (int length : {515, 517, 519}) {
        sim->updateKnobs([length](sim::Knobs& k) {
            k.resultLength = length;
            k.resultFlags = sim::OpenFailFlag;
        });
        P(doc).TEST_COMMAND->click();
        waitForVerdict();
        EXPECT_EQ(P(doc).FAIL_LABEL->text(), QString::number(++fails)) << length;
        // Nothing is owed or on its way: the next request may go out at once.
        EXPECT_TRUE(main->deviceOps().lineClear()) << length;
    }
}

// The status parse looks at its frame 4 s after the request, 3 s of the
// program's time after the frame could have ended: at twice real speed that
// is 1.5 s of real time for the simulator to send it (at four times, a
// loaded machine's simulator sometimes took longer).
class HalfSpeedBadLineTest : public BadLineTest {
protected:
    double speed() const override { return 2; }
};

TEST_F(HalfSpeedBadLineTest, StatusFramesOfEveryLengthAllowedAreTakenAndLeaveTheLineFree)
{
    openDocument();
    for (int length : {501, 505, 511}) {
        sim->updateKnobs([length](sim::Knobs& k) { k.statusLength = length; });
        ui.messages.clear();
        main->mnuConnection_Click();
        waitForParse();
        EXPECT_EQ(gs().deviceLink, -1) << length;
        EXPECT_TRUE(ui.messages.empty()) << length;
        // Nothing is owed or on its way: the next request may go out at once.
        EXPECT_TRUE(main->deviceOps().lineClear()) << length;
    }
}

// ---------------------------------------------------------------- "55AA" inside

TEST_F(BadLineTest, A55AAInsideAFrameAfterAPauseIsPartOfIt)
{
    // The open map of channels 0, 2, 4, 6, 9, 11, 13, 15 is 55 AA; the frame
    // comes in pieces of 64 characters 150 ms apart.
    frmDocument* doc = openDocument();
    sim->updateKnobs([](sim::Knobs& k) {
        k.openChannels = {0, 2, 4, 6, 9, 11, 13, 15};
        k.resultFlags = sim::OpenFailFlag;
        k.splitChunk = 64;
        k.splitGapMs = 150;
    });
    P(doc).TEST_COMMAND->click();
    waitForVerdict();
    ASSERT_EQ(P(doc).List1->count(), 1);
    EXPECT_EQ(P(doc).STS_LAB1->text(), QStringLiteral("OPEN FAIL"));
    for (int c = 0; c < 16; ++c)
        EXPECT_EQ(doc->pinMap()->fillColor(c), (c == 0 || c == 2 || c == 4 || c == 6 || c == 9 || c == 11 || c == 13 ||
                                                c == 15)
                                                   ? 0x000000
                                                   : device::kBannerGreen)
            << c;

    // A status frame whose serial number is 55 AA, its second piece after a
    // pause.
    sim::Settings16 s = sim->settings();
    s[12] = 0x55;
    s[13] = 0xAA;
    sim->setSettings(s);
    sim->updateKnobs([](sim::Knobs& k) {
        k.splitChunk = 24;
        k.splitGapMs = 150;
    });
    ui.messages.clear();
    main->mnuConnection_Click();
    waitForParse();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(gs().deviceLink, -1);
    EXPECT_EQ(gs().settingsBlock[12], 0x55);
    EXPECT_EQ(gs().settingsBlock[13], 0xAA);
}

// ---------------------------------------------------------------- noise

TEST_F(BadLineTest, NoiseInsideAStatusFrameShiftsNothing)
{
    // The status frame comes 1.5 s late with a line end after its 100th
    // character, its last two characters a while behind the rest;
    // "<= Load Tester" right after.
    sim->updateKnobs([](sim::Knobs& k) {
        k.statusDelayMs = 1500;
        k.noiseInside = "\r\n";
        k.noiseInsideAt = 100;
        k.splitChunk = 512;
        k.splitGapMs = 1500;
    });
    const sim::Bytes512 buffer = filled(11, 4);
    sim->setBuffer(buffer);
    // Only the status frame is noisy: the noise goes when the next request
    // reaches the programmer, before its reply is made.
    sim->setLogSink([s = sim.get()](const sim::Received& r) {
        if (r.bytes != frameMsg('q'))
            s->updateKnobs([](sim::Knobs& k) { k.noiseInsideAt = -1; });
    });
    frmDocument* doc = openDocument(false);
    P(doc).Command2->click();
    EXPECT_EQ(ui.lastText(), kTesterReadOk);
    EXPECT_TRUE(holds(doc, buffer));
    // The damaged frame is no answer of the programmer's.
    EXPECT_FALSE(main->deviceOps().programmerAnswered());
}

TEST_F(BadLineTest, LineNoiseBehindAWholeStatusFrameLeavesItsParseAlone)
{
    frmDocument* doc = openDocument();
    main->mnu_io_setup_Click();
    ui.messages.clear();
    main->mnuConnection_Click();
    // The parse waits until the frame has come whole and digits nobody owes
    // have come behind it, which make the programmer unknown again.
    main->Timer2()->stop();
    ASSERT_TRUE(testwait::until([&] { return main->deviceOps().programmerAnswered(); }));
    sim->sendRaw("0A");
    ASSERT_TRUE(testwait::until([&] { return !main->deviceOps().programmerAnswered(); }));
    main->Timer2()->start();
    waitForParse();
    // The frame is of the expected device: the panels are arranged as ever.
    EXPECT_TRUE(ui.messages.empty()) << ui.lastText().toStdString();
    EXPECT_EQ(gs().deviceLink, -1);
    EXPECT_TRUE(P(doc).TEST_FRAME->isVisible());
    EXPECT_FALSE(P(doc).Frame5->isVisible());
    EXPECT_TRUE(doc->Text1()->isVisible());
}

TEST_F(BadLineTest, DigitsInFrontOfADataReplyFailTheRead)
{
    frmDocument* doc = openDocument();
    sim->setBuffer(filled(11, 6));
    sim->setModule(filled(12, 7));
    // Each reply goes out in one piece: a pause that a busy machine makes
    // while the program reads it would end it after 512 digits.
    sim->updateKnobs([](sim::Knobs& k) {
        k.noise = "0A";
        k.splitChunk = 1024;
    });
    const velmora::SpdImage before = doc->image();
    for (int i = 0; i < 3; ++i) {
        P(doc).Command2->click();
        EXPECT_EQ(ui.lastText(), kTesterReadFails) << i;
        P(doc).Command9->click();
        EXPECT_EQ(ui.lastText(), kModuleReadFails) << i;
    }
    EXPECT_EQ(doc->image(), before);
    // Clean again: the next read is right.
    sim->updateKnobs([](sim::Knobs& k) { k.noise.clear(); });
    P(doc).Command2->click();
    EXPECT_EQ(ui.lastText(), kTesterReadOk);
    EXPECT_TRUE(holds(doc, filled(11, 6)));
}

TEST_F(BadLineTest, LineEndsOnAQuietLineDoNotKeepItBusy)
{
    // No module in the socket, and a line end on the line every second.
    sim->updateKnobs([](sim::Knobs& k) {
        k.moduleInSocket = false;
        k.lineNoise = "\r\n";
        k.lineNoiseEveryMs = 1000;
    });
    sim->setBuffer(filled(8, 2));
    frmDocument* doc = openDocument();
    P(doc).Command9->click();
    EXPECT_EQ(ui.lastText(), kModuleReadFails);
    // The first read waits out the module read's silence (line ends that
    // counted would keep the line from ever clearing, and fail it); after
    // it the line is clear at once, line ends or not.
    EXPECT_FALSE(main->deviceOps().lineClear());
    for (int i = 0; i < 2; ++i) {
        P(doc).Command2->click();
        EXPECT_EQ(ui.lastText(), kTesterReadOk) << i;
        EXPECT_TRUE(holds(doc, filled(8, 2))) << i;
        run(1500);
        EXPECT_TRUE(main->deviceOps().lineClear()) << i;
    }
}

// ---------------------------------------------------------------- late replies

TEST_F(BadLineTest, RepliesLaterThanTheirLimitAreNeverData)
{
    const sim::Bytes512 module = filled(12, 1);
    const sim::Bytes512 buffer = filled(11, 2);
    sim->setModule(module);
    sim->setBuffer(buffer);
    frmDocument* doc = openDocument();
    const velmora::SpdImage before = doc->image();
    sim->updateKnobs([](sim::Knobs& k) {
        k.replyDelayMs = 6000;
        k.replyDelayMaxMs = 6600;
    });
    for (int i = 0; i < 2; ++i) {
        P(doc).Command2->click();
        EXPECT_EQ(ui.lastText(), kTesterReadFails) << i;
        P(doc).Command9->click();
        EXPECT_EQ(ui.lastText(), kModuleReadFails) << i;
    }
    ui.messages.clear();
    main->BlankIC();
    EXPECT_EQ(ui.lastText(), QStringLiteral("Load Data Fail"));
    EXPECT_EQ(doc->image(), before);

    // A status frame 6.2 s late: the reads after it store their own bytes.
    sim->updateKnobs([](sim::Knobs& k) {
        k.replyDelayMs = 20;
        k.replyDelayMaxMs = -1;
        k.statusDelayMs = 6200;
    });
    waitForQuietLine();
    main->mnuConnection_Click();
    waitForParse();
    P(doc).Command9->click();
    EXPECT_EQ(ui.lastText(), kModuleReadOk);
    EXPECT_TRUE(holds(doc, module, 512));
    P(doc).Command2->click();
    EXPECT_EQ(ui.lastText(), kTesterReadOk);
    EXPECT_TRUE(holds(doc, buffer));
}

// ---------------------------------------------------------------- no reply of their own

TEST_F(BadLineTest, CommandsWithoutAReplyKnowTheProgrammerFromItsLastStatusFrame)
{
    // A read within the window's first two seconds drops the status parse;
    // the programmer answered all the same.
    frmDocument* doc = openDocument(false);
    P(doc).Command9->click();
    ASSERT_EQ(ui.lastText(), kModuleReadOk);
    P(doc).Command4->click();  // "Clear (00)"
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Tester's SPD clear success !   *****      "));
    EXPECT_EQ(sim->buffer(), sim::Bytes512{});
    ui.messages.clear();
    P(doc).Command6->click();  // "Copy": no box when it works
    main->EEPROM_512_Command();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("*****   EEPROM容量設定為512 BYTE !   *****      "));

    // A clear right after a module test, which also drops the parse.
    frmDocument* other = openDocument(false);
    P(other).TEST_COMMAND->click();
    waitForVerdict();
    ui.messages.clear();
    P(other).Command4->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Tester's SPD clear success !   *****      "));
}

// ---------------------------------------------------------------- a line that goes away

TEST_F(BadLineTest, ALineThatGoesAwayAndComesBackIsUsedAgain)
{
    portOnALink();
    frmDocument* doc = openDocument();
    ASSERT_EQ(gs().deviceLink, -1);
    load(doc, image(12));

    // Unplugged during "Write =>".
    QTimer::singleShot(vclock::clock().scaled(4000), [&] { sim.reset(); });
    ui.messages.clear();
    P(doc).Command1->click();
    EXPECT_FALSE(ui.messages.empty());
    EXPECT_NE(ui.lastText(), QStringLiteral("      *****   SPD file transfer success !   *****      "));
    testwait::until([&] { return !main->MSComm1()->portOpen(); }, 5000);
    EXPECT_FALSE(main->MSComm1()->portOpen());

    // Without the programmer every request fails, and says so.
    ui.messages.clear();
    main->mnuConnection_Click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   The state can not read !   *****      "));

    // Plugged in again: "Reconnection" finds it, and it works as before.
    plugIn();
    ui.messages.clear();
    main->mnuConnection_Click();
    waitForParse();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(gs().deviceLink, -1);
    sim->setBuffer(filled(11, 8));
    P(doc).Command2->click();
    EXPECT_EQ(ui.lastText(), kTesterReadOk);
    EXPECT_TRUE(holds(doc, filled(11, 8)));

    // Unplugged while nothing talks: the line's failure closes the port, and
    // the test-result poller opens it again once the programmer is back.
    sim.reset();
    testwait::until([&] { return !main->MSComm1()->portOpen(); }, 5000);
    EXPECT_FALSE(main->MSComm1()->portOpen());
    plugIn();
    testwait::until([&] { return main->MSComm1()->portOpen(); }, 5000);
    EXPECT_TRUE(main->MSComm1()->portOpen());
    ui.messages.clear();
    main->mnuConnection_Click();
    waitForParse();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(gs().deviceLink, -1);
}

// ---------------------------------------------------------------- the programmer's own frames

TEST_F(BadLineTest, FramesTheProgrammerSendsOnItsOwnAreShown)
{
    // "Read" ends with a result frame of the programmer's, well after the
    // command's wait of 5 s with the port closed (a frame that began
    // before the port opened again would be lost).
    sim->updateKnobs([](sim::Knobs& k) { k.standaloneResultMs = 8000; });
    frmDocument* doc = openDocument();
    P(doc).Command5->click();
    testwait::until([&] { return P(doc).List1->count() > 0; }, 20000);
    ASSERT_EQ(P(doc).List1->count(), 1);
    EXPECT_TRUE(P(doc).List1->item(0)->text().contains(QStringLiteral("Test Pass")));
    EXPECT_EQ(P(doc).PASS_LABEL->text(), QStringLiteral("1"));

    // A module test started from the programmer's own key, shown on the
    // window that is active then.
    frmDocument* other = openDocument();
    sim->updateKnobs([](sim::Knobs& k) {
        k.resultFlags = sim::ShortFailFlag;
        k.shortChannels = {7};
    });
    sim->pressTestKey();
    testwait::until([&] { return P(other).List1->count() > 0; }, 20000);
    ASSERT_EQ(P(other).List1->count(), 1);
    EXPECT_TRUE(P(other).List1->item(0)->text().endsWith(QStringLiteral("Test Fail    <SHORT FAIL> ")));
    EXPECT_EQ(P(other).FAIL_LABEL->text(), QStringLiteral("1"));
    EXPECT_EQ(other->pinMap()->fillColor(7), look::kRed);
    EXPECT_EQ(P(doc).List1->count(), 1);
    EXPECT_EQ(gs().testPassCount, 1);
    EXPECT_EQ(gs().testFailCount, 1);
}

// ---------------------------------------------------------------- visible waits

TEST_F(BadLineTest, AWaitForTheLineShowsTheWindowAndItsBusyPanel)
{
    // The programmer answers nothing, and a frame trickling in keeps the
    // line taken until the window has been looked at: the first events the
    // load lets in are those of its wait for the line.
    sim->updateKnobs([](sim::Knobs& k) { k.silent = true; });
    frmDocument* first = openDocument();
    ASSERT_EQ(ui.lastText(), kLinkFailure);
    ASSERT_TRUE(startTrickle());

    bool shownEarly = false;
    bool busyEarly = false;
    QTimer::singleShot(0, [&] {
        for (frmDocument* d : main->documents())
            if (d != first) {
                shownEarly = d->isVisible();
                busyEarly = P(d).Frame15->isVisible();
            }
        stopTrickle();
    });
    frmDocument* second = main->NewDocumentWindow();
    EXPECT_TRUE(shownEarly);
    EXPECT_TRUE(busyEarly);
    waitForParse();
    EXPECT_FALSE(P(second).Frame15->isVisible());

    // "Write =>" shows its busy panel from its first wait on, that of its
    // settings block for the line.
    ASSERT_TRUE(startTrickle());
    bool busyOnWrite = false;
    QTimer::singleShot(0, [&] {
        busyOnWrite = P(second).Frame15->isVisible();
        stopTrickle();
    });
    P(second).Command1->click();
    EXPECT_TRUE(busyOnWrite);
}

// ---------------------------------------------------------------- closed during a wait for the line

TEST_F(BadLineTest, AWindowClosedWhileItWaitsForTheLineClosesWhenItsWorkHasEnded)
{
    // A frame trickling in keeps the line taken: the next window's load
    // waits for it, and the window is closed during that wait.
    sim->updateKnobs([](sim::Knobs& k) { k.silent = true; });
    frmDocument* first = openDocument();
    ASSERT_TRUE(startTrickle());
    QPointer<frmDocument> loading;
    QTimer::singleShot(0, [&] {
        stopTrickle();
        for (frmDocument* d : main->documents())
            if (d != first)
                loading = d;
        ASSERT_FALSE(loading.isNull());
        ASSERT_TRUE(loading->isHeld());
        main->mnuFileCloseAll_Click();
    });
    QPointer<frmDocument> opened = main->NewDocumentWindow();
    EXPECT_EQ(opened.data(), loading.data());
    testwait::until([&] { return main->documents().isEmpty() && loading.isNull(); }, 5000);
    EXPECT_TRUE(main->documents().isEmpty());
    EXPECT_TRUE(loading.isNull());

    // The version command waits for a test result on its way; the testing
    // window is closed meanwhile.
    sim->updateKnobs([](sim::Knobs& k) { k.silent = false; });
    waitForQuietLine();
    QPointer<frmDocument> doc = openDocument();
    P(doc).TEST_COMMAND->click();
    bool waited = false;
    QTimer::singleShot(0, [&] {
        waited = sim->count(shortMsg('T')) == 0;
        main->mnuFileClose_Click();
    });
    sim->clearLog();
    P(doc).Label60_Click();
    EXPECT_TRUE(waited);
    EXPECT_EQ(sim->count(shortMsg('T')), 1);
    testwait::until([&] { return doc.isNull(); }, 5000);
    EXPECT_TRUE(doc.isNull());
    EXPECT_TRUE(main->deviceOps().canStartButton());
}

// ---------------------------------------------------------------- the programmer's own frames behind a reply

// The programmer's own frame sent while a whole reply waits for its reader:
// it goes out once the reply is whole and the line has been quiet behind it.
class OwnFrameTest : public BadLineTest {
protected:
    double speed() const override { return 1; }

    void SetUp() override
    {
        BadLineTest::SetUp();
        // The key's result comes at once, a short failure on channel 9.
        sim->updateKnobs([](sim::Knobs& k) {
            k.resultDelayMs = 0;
            k.resultFlags = sim::ShortFailFlag;
            k.shortChannels = {9};
        });
    }
    // Once the reply to the n-th `message` is whole, and before its reader
    // takes it, `act` makes the programmer send its frame.
    void behindReplyTo(const QByteArray& message, int n, std::function<void()> act)
    {
        once([this, message, n] { return sim->count(message) >= n && main->deviceOps().lineClear(); },
             std::move(act));
    }
    void pressKeyBehind(const QByteArray& message, int n = 1)
    {
        behindReplyTo(message, n, [this] { sim->pressTestKey(); });
    }
    // The key's verdict, and nothing else, in the window's log.
    void expectKeyVerdict(frmDocument* doc, int lines = 1)
    {
        testwait::until([&] { return P(doc).List1->count() >= lines; }, 10000);
        ASSERT_EQ(P(doc).List1->count(), lines);
        EXPECT_TRUE(P(doc).List1->item(lines - 1)->text().endsWith(QStringLiteral("Test Fail    <SHORT FAIL> ")));
        EXPECT_EQ(doc->pinMap()->fillColor(9), look::kRed);
    }
};

class KeyAfterStatusTest : public OwnFrameTest, public ::testing::WithParamInterface<bool> {};

TEST_P(KeyAfterStatusTest, TheKeyBehindAWholeStatusFrameCostsNeitherTheLinkNorTheVerdict)
{
    frmDocument* doc = nullptr;
    const bool newWindow = GetParam();
    if (!newWindow)
        doc = openDocument();
    ui.messages.clear();
    // The key once the status frame is whole, before the parse looks at it
    // 2 s after the request.
    pressKeyBehind(frameMsg('q'), statusRequests() + 1);
    if (newWindow)
        doc = main->NewDocumentWindow();
    else
        main->mnuConnection_Click();
    waitForParse();
    EXPECT_FALSE(anyText(ui, kLinkFailure));
    EXPECT_EQ(gs().deviceLink, -1);
    EXPECT_TRUE(P(doc).TEST_FRAME->isVisible());
    expectKeyVerdict(doc);
}

INSTANTIATE_TEST_SUITE_P(Then, KeyAfterStatusTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& i) {
                             return std::string(i.param ? "NewWindow" : "Reconnection");
                         });

TEST_F(OwnFrameTest, TheKeyBehindATestResultThePollerHasNotTakenGivesBothVerdicts)
{
    frmDocument* doc = openDocument();
    // "TEST" passes; its result comes 4 s after the request.
    sim->updateKnobs([](sim::Knobs& k) {
        k.resultDelayMs = 4000;
        k.resultFlags = 0;
    });
    P(doc).TEST_COMMAND->click();
    // The moment its result is whole, and before the poller has taken it,
    // the key is pressed.
    testwait::until([&] { return main->deviceOps().lineClear(); }, 15000);
    sim->updateKnobs([](sim::Knobs& k) {
        k.resultDelayMs = 0;
        k.resultFlags = sim::ShortFailFlag;
    });
    sim->pressTestKey();
    expectKeyVerdict(doc, 2);
    EXPECT_TRUE(P(doc).List1->item(0)->text().contains(QStringLiteral("Test Pass")));
    EXPECT_EQ(P(doc).PASS_LABEL->text(), QStringLiteral("1"));
    EXPECT_EQ(P(doc).FAIL_LABEL->text(), QStringLiteral("1"));
}

TEST_F(OwnFrameTest, TheKeyBehindAWholeDataReplyCostsNeitherTheReadNorTheVerdict)
{
    frmDocument* doc = openDocument();
    sim->setBuffer(filled(11, 5));
    // The key once the data reply is whole, while the read waits out its 3 s.
    pressKeyBehind(frameMsg('l'));
    P(doc).Command2->click();
    EXPECT_EQ(ui.lastText(), kTesterReadOk);
    EXPECT_TRUE(holds(doc, filled(11, 5)));
    expectKeyVerdict(doc);
}

TEST_F(OwnFrameTest, ACommandsResultFrameBehindTheNextReadCostsNeitherTheReadNorTheVerdict)
{
    // "Read" ends with the programmer's result frame while "<= Load Tester",
    // clicked at once after it, waits for its reply's reader.
    sim->updateKnobs([](sim::Knobs& k) {
        k.holdStandaloneResults = true;
        k.resultFlags = 0;
    });
    frmDocument* doc = openDocument();
    // "Read" reads the module into the tester's buffer.
    sim->setModule(filled(11, 6));
    ui.messages.clear();
    P(doc).Command5->click();
    EXPECT_TRUE(ui.messages.empty());
    behindReplyTo(frameMsg('l'), 1, [this] { sim->releaseResults(); });
    P(doc).Command2->click();
    EXPECT_EQ(ui.lastText(), kTesterReadOk);
    EXPECT_TRUE(holds(doc, filled(11, 6)));
    testwait::until([&] { return P(doc).List1->count() > 0; }, 10000);
    ASSERT_EQ(P(doc).List1->count(), 1);
    EXPECT_TRUE(P(doc).List1->item(0)->text().contains(QStringLiteral("Test Pass")));
}

// ---------------------------------------------------------------- commands without a reply on old evidence

TEST_F(BadLineTest, ASilentProgrammerBackOnTheLineIsNotTakenForTheOneThatAnswered)
{
    portOnALink();
    frmDocument* doc = openDocument();
    ASSERT_EQ(gs().deviceLink, -1);

    // Unplugged, and a programmer that answers nothing plugged in: the
    // poller opens the port on it.
    sim.reset();
    testwait::until([&] { return !main->MSComm1()->portOpen(); }, 5000);
    ASSERT_FALSE(main->MSComm1()->portOpen());
    plugIn(true);
    testwait::until([&] { return main->MSComm1()->portOpen(); }, 5000);
    ASSERT_TRUE(main->MSComm1()->portOpen());
    ui.messages.clear();
    P(doc).Command4->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****  Tester's SPD clear failure !   *****      "));
    P(doc).Command6->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   SPD 拷貝失敗 !   *****"));
    main->EEPROM_512_Command();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****  EEPROM容量選擇失敗 !   *****"));
    // The messages did go out: the programmer simply cannot be known.
    EXPECT_EQ(sim->count(frameMsg('e')), 1);
}

TEST_F(BadLineTest, AfterAnotherProgrammersStatusTheClearDoesNotClaimSuccess)
{
    frmDocument* doc = openDocument();
    // Another programmer, whose frame carries "9098" elsewhere: in its
    // serial number, characters 25-28.
    sim->updateKnobs([](sim::Knobs& k) { k.deviceId = "9099"; });
    sim::Settings16 s = sim->settings();
    s[12] = 0x90;
    s[13] = 0x98;
    sim->setSettings(s);
    main->mnuConnection_Click();
    waitForParse();
    EXPECT_EQ(ui.lastText(), QStringLiteral("** Hardware and software versions error ,Please contact Corvane  **"));
    P(doc).Command4->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****  Tester's SPD clear failure !   *****      "));
}

TEST_F(BadLineTest, UnderLineNoiseTheClearDoesNotClaimSuccess)
{
    frmDocument* doc = openDocument();
    // Line ends alone are no line error.
    sim->updateKnobs([](sim::Knobs& k) {
        k.lineNoise = "\r\n";
        k.lineNoiseEveryMs = 700;
    });
    ASSERT_TRUE(readFromTheLine(2));
    P(doc).Command4->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Tester's SPD clear success !   *****      "));
    // Digits are: the answer the programmer gave is no evidence any more.
    sim->updateKnobs([](sim::Knobs& k) { k.lineNoise = "0A"; });
    ASSERT_TRUE(testwait::until([&] { return !main->deviceOps().programmerAnswered(); }));
    P(doc).Command4->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****  Tester's SPD clear failure !   *****      "));
}
