// Whose reply is it: a late, a silent and a busy programmer over the
// pseudo-terminal. A byte in a document came from the reply that was asked
// for, and every verdict the device gives reaches the window whose test it
// answers.

#include "app/SpdFile.h"
#include "device/DeviceFixture.h"
#include "support/Wait.h"

#include "document/PinMap.h"

#include <QListWidget>
#include <QRadioButton>

using velmora::gs;

namespace {

// Twice real speed. The late replies below come a second or more of
// program time (half a second of real time) away from each wait they race:
// the status parse gives up 4 s after the request and its frame comes at
// 5 s; a read gives up after its 3 s and its reply comes at 4.5 s; and each
// comes well within the 6 s in which the programmer begins a reply.
class LateDeviceTest : public DeviceTest {
protected:
    double speed() const override { return 2; }

    static sim::Bytes512 filled(std::uint8_t type, std::uint8_t seed)
    {
        sim::Bytes512 b{};
        for (int i = 0; i < 512; ++i)
            b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(seed + 7 * i);
        b[2] = type;
        return b;
    }

    // "<= Load Tester" on doc while a close of the window waits for it: the
    // read ends as it would have, its question is answered "No", and the
    // window goes.
    void readThenClosed(QPointer<frmDocument>& doc)
    {
        ui.answers = {ui::Answer::Ok, ui::Answer::No};
        P(doc).Command2->click();
        ASSERT_FALSE(ui.messages.empty());
        EXPECT_EQ(ui.messages.front().text, QStringLiteral("*****   Computer reads the Tester's SPD successfully !   ***** "));
        testwait::until([&] { return doc.isNull(); });
        EXPECT_TRUE(doc.isNull());
        EXPECT_TRUE(main->deviceOps().canStartButton());
    }
};

QStringList captionsOf(frmDocument* doc, const QStringList& names)
{
    QStringList out;
    for (const QString& n : names)
        out << (doc->L(n) ? doc->L(n)->text() : QStringLiteral("<none>"));
    return out;
}

} // namespace

TEST_F(LateDeviceTest, LateRepliesAreNeverStoredForAnotherRequest)
{
    // Every reply comes late: the status frame after its parse gave up, each
    // data reply after its read's wait.
    sim->updateKnobs([](sim::Knobs& k) {
        k.statusDelayMs = 5000;
        k.replyDelayMs = 4500;
    });
    sim->setModule(filled(12, 1));
    sim->setBuffer(filled(11, 2));
    frmDocument* doc = openDocument();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****    RS-232 Link Failure    *****"));
    const velmora::SpdImage before = doc->image();

    // The reads, one right after the other: each fails in its own words,
    // and nothing of the late frame or of the other read's reply is stored.
    P(doc).Command9->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Computer reads the DRAM-Module failure !   ***** "));
    EXPECT_EQ(ui.messages.back().icon, ui::Icon::Critical);
    P(doc).Command2->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Computer reads the Tester's SPD failure !   ***** "));
    P(doc).Command9->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Computer reads the DRAM-Module failure !   ***** "));
    EXPECT_EQ(doc->image(), before);

    // The programmer answers promptly again: the next read stores its own
    // reply.
    sim->updateKnobs([](sim::Knobs& k) {
        k.statusDelayMs = -1;
        k.replyDelayMs = 20;
    });
    P(doc).Command2->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Computer reads the Tester's SPD successfully !   ***** "));
    EXPECT_EQ(doc->Get_Value(2), 11);
    EXPECT_EQ(doc->Get_Value(100), static_cast<std::uint8_t>(2 + 7 * 100));
}

TEST_F(LateDeviceTest, ALateStatusFrameIsNeverTakenForSpdData)
{
    // The device answers the status request after the parse gave up.
    sim->updateKnobs([](sim::Knobs& k) { k.statusDelayMs = 5000; });
    frmDocument* doc = openDocument();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****    RS-232 Link Failure    *****"));
    sim::Bytes512 buf{};
    buf[0] = 0x92;
    buf[2] = 11;
    buf[200] = 0x42;
    sim->setBuffer(buf);

    // Its frame arrived before the read was asked for: it is dropped.
    ASSERT_TRUE(sim->waitUntilSent(4000));
    P(doc).Command2->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Computer reads the Tester's SPD successfully !   ***** "));
    EXPECT_EQ(doc->Get_Value(0), 0x92);
    EXPECT_EQ(doc->Get_Value(2), 11);
    EXPECT_EQ(doc->Get_Value(200), 0x42);

    // Its frame is still to come when the module read starts: the read
    // waits for it, then asks, and stores the module's own bytes.
    sim->updateKnobs([](sim::Knobs& k) { k.statusDelayMs = 2500; });
    main->STATUSIC();  // the module read drops its parse at once
    sim::Bytes512 module{};
    module[2] = 11;
    module[7] = 0x5A;
    sim->setModule(module);
    sim->clearLog();
    P(doc).Command9->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Computer reads the DRAM-Module successfully !   ***** "));
    EXPECT_EQ(doc->Get_Value(0), 0);
    EXPECT_EQ(doc->Get_Value(7), 0x5A);
    const auto log = sim->received();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0].bytes, frameMsg('k'));
}

class LateStatusThenTest : public LateDeviceTest, public ::testing::WithParamInterface<int> {};

TEST_P(LateStatusThenTest, TheVerdictOfATestAfterALateStatusFrameIsShown)
{
    sim->updateKnobs([](sim::Knobs& k) {
        k.statusDelayMs = 5000;
        k.resultFlags = sim::ShortFailFlag;
        k.shortChannels = {3};
    });
    frmDocument* doc = openDocument();
    ASSERT_EQ(ui.lastText(), QStringLiteral("*****    RS-232 Link Failure    *****"));
    // "TEST" while the late frame is still to come, as it comes, or after.
    run(GetParam());
    P(doc).TEST_COMMAND->click();
    waitForVerdict();
    ASSERT_EQ(P(doc).List1->count(), 1);
    EXPECT_TRUE(P(doc).List1->item(0)->text().endsWith(QStringLiteral("Test Fail    <SHORT FAIL> ")));
    EXPECT_EQ(P(doc).FAIL_LABEL->text(), QStringLiteral("1"));
    EXPECT_EQ(P(doc).STS_LAB1->text(), QStringLiteral("SHORT FAIL"));
    EXPECT_EQ(doc->pinMap()->fillColor(3), look::kRed);
}

INSTANTIATE_TEST_SUITE_P(After, LateStatusThenTest, ::testing::Values(0, 1200, 2500),
                         [](const ::testing::TestParamInfo<int>& i) { return std::to_string(i.param) + "ms"; });

TEST_F(LateDeviceTest, ANewWindowWhileTheResultIsOnItsWayTakesNothingFromIt)
{
    frmDocument* a = openDocument();
    sim->updateKnobs([](sim::Knobs& k) { k.resultFlags = sim::ShortFailFlag; });
    QPointer<frmDocument> b;
    QTimer::singleShot(vclock::clock().scaled(1500), [&] { b = main->NewDocumentWindow(); });
    P(a).TEST_COMMAND->click();
    testwait::until([&] { return !b.isNull() && !main->Timer2()->isActive(); }, 20000);
    waitForVerdict();
    // The verdict went to the window whose test it answers; the new window
    // got its own status frame.
    ASSERT_EQ(P(a).List1->count(), 1);
    EXPECT_EQ(P(a).FAIL_LABEL->text(), QStringLiteral("1"));
    ASSERT_FALSE(b.isNull());
    EXPECT_EQ(P(b).List1->count(), 0);
    EXPECT_TRUE(P(b).TEST_FRAME->isVisible());
    for (const auto& m : ui.messages)
        EXPECT_NE(m.text, QStringLiteral("*****    RS-232 Link Failure    *****"));
}

TEST_F(DeviceTest, AStatusRequestWaitsWhileATestResultIsOnItsWay)
{
    frmDocument* doc = openDocument();
    // The test's result is sent by the test itself, in two pieces.
    sim->updateKnobs([](sim::Knobs& k) { k.silent = true; });
    const QByteArray result = sim->resultFrame(sim::OpenFailFlag);
    sim::Settings16 settings = sim->settings();
    settings[9] = 0x08;  // no automatic serial number
    settings[10] = 1;    // EEPROM 256 bytes
    sim->setSettings(settings);
    // The test result begins to come; meanwhile a status request is asked
    // for. It waits, with the busy panel up, until the result has come.
    P(doc).TEST_COMMAND->click();
    sim->sendRaw(result.left(100));
    ASSERT_TRUE(sim->waitUntilSent(5000));
    testwait::until([&] { return main->deviceOps().conversation().owed() == 1 && !main->deviceOps().talking(); }, 5000);
    sim->clearLog();
    bool busyShown = false;
    QTimer::singleShot(vclock::clock().scaled(1500), [&] {
        busyShown = P(doc).Frame15->isVisible();
        EXPECT_EQ(sim->count(frameMsg('q')), 0);
        sim->updateKnobs([](sim::Knobs& k) { k.silent = false; });
        sim->sendRaw(result.mid(100));
    });
    main->STATUSIC();
    EXPECT_TRUE(busyShown);
    EXPECT_EQ(sim->count(frameMsg('q')), 1);
    testwait::until([&] { return !main->Timer2()->isActive(); }, 10000);
    waitForVerdict();
    EXPECT_EQ(P(doc).STS_LAB1->text(), QStringLiteral("OPEN FAIL"));
    EXPECT_EQ(P(doc).FAIL_LABEL->text(), QStringLiteral("1"));
    EXPECT_EQ(gs().settingsBlock[10], 1);
    EXPECT_TRUE(P(doc).EEP_OPT[1]->isChecked());
    EXPECT_EQ(gs().deviceLink, -1);
}

TEST_F(DeviceTest, WithASilentProgrammerNothingReportsSuccess)
{
    sim->updateKnobs([](sim::Knobs& k) { k.silent = true; });
    frmDocument* doc = openDocument();
    ASSERT_EQ(ui.lastText(), QStringLiteral("*****    RS-232 Link Failure    *****"));
    ui.messages.clear();
    testing::internal::CaptureStderr();
    P(doc).Command4->click();  // "Clear (00)"
    P(doc).Command5->click();  // "Read"
    main->EEPROM_256_Command();
    main->BlankIC();
    // A programmer that does not answer is no fault of the program's: nothing
    // is traced.
    const std::string trace = testing::internal::GetCapturedStderr();
    EXPECT_EQ(trace.find(" failed: "), std::string::npos) << trace;
    // The blank check's failure is a plain box.
    ASSERT_EQ(ui.messages.size(), 4u);
    EXPECT_EQ(ui.messages.back().text, QStringLiteral("Load Data Fail"));
    EXPECT_EQ(ui.messages.back().icon, ui::Icon::None);
    ui.messages.pop_back();
    std::vector<QString> texts;
    for (const auto& m : ui.messages) {
        texts.push_back(m.text);
        EXPECT_EQ(m.icon, ui::Icon::Critical) << m.text.toStdString();
    }
    EXPECT_EQ(texts, (std::vector<QString>{QStringLiteral("*****  Tester's SPD clear failure !   *****      "),
                                           QStringLiteral("*****   SPD 讀取失敗 !   *****"),
                                           QStringLiteral("*****  EEPROM容量選擇失敗 !   *****")}));
    // Once the programmer answers a status request, the clear reports its
    // success again.
    sim->updateKnobs([](sim::Knobs& k) { k.silent = false; });
    main->STATUSIC();
    waitForParse();
    P(doc).Command4->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Tester's SPD clear success !   *****      "));
}

TEST_F(DeviceTest, AModuleReadShowsTheSummaryOfTheImageRead)
{
    // A real DDR4 module: its fine timing offsets (bytes 117-125) come after
    // the coarse timings they correct.
    const QString file = testData(QStringLiteral("corpus/memtest86plus_DDR4-M393A1G40EB1-CRC.bin"));
    const spdfile::ReadResult r = spdfile::read(file);
    ASSERT_TRUE(r.ok);
    sim::Bytes512 module{};
    std::copy(r.bytes.begin(), r.bytes.begin() + 512, module.begin());
    sim->setModule(module);
    frmDocument* opened = main->openImage(file);
    waitForParse();
    frmDocument* doc = openDocument();
    P(doc).Command9->click();
    ASSERT_EQ(ui.lastText(), QStringLiteral("*****   Computer reads the DRAM-Module successfully !   ***** "));
    // The speed, tAA, tRCD, tRP and tRAS, as the file shows them.
    const QStringList timings = {QStringLiteral("Label119"), QStringLiteral("Label128"), QStringLiteral("Label129"),
                                 QStringLiteral("Label127"), QStringLiteral("Label130")};
    EXPECT_EQ(captionsOf(doc, timings), captionsOf(opened, timings));
    EXPECT_EQ(doc->L(QStringLiteral("Label128"))->text(), QStringLiteral("13.75 ns (17T)"));
    EXPECT_EQ(doc->L(QStringLiteral("Label130"))->text(), QStringLiteral("32 ns (39T)"));
    // The window holds an image no file holds: it is marked modified.
    EXPECT_EQ(doc->Chk_Form_Chang(), -1);
    EXPECT_TRUE(doc->windowTitle().endsWith(QLatin1Char('*')));
}

TEST_F(LateDeviceTest, AWindowClosedWhileAReadWaitsForTheLineClosesWhenTheReadEnds)
{
    sim->updateKnobs([](sim::Knobs& k) { k.statusDelayMs = 5000; });
    QPointer<frmDocument> doc = openDocument();
    ui.messages.clear();
    // The read waits for the late status frame before it asks; the window
    // is closed during that wait.
    QTimer::singleShot(vclock::clock().scaled(300), [&] { main->mnuFileClose_Click(); });
    readThenClosed(doc);
}

TEST_F(LateDeviceTest, AWindowClosedWhileAReadWaitsForTheRestOfItsReplyClosesWhenTheReadEnds)
{
    QPointer<frmDocument> doc = openDocument();
    sim->setBuffer(filled(11, 5));
    // A slow line: the reply begins before the read's 3 s are over and is
    // still on its way then, so the read waits for its rest; the window is
    // closed during that wait.
    sim->updateKnobs([](sim::Knobs& k) {
        k.replyDelayMs = 2300;
        k.lineRate = 300;
    });
    ui.messages.clear();
    QTimer::singleShot(vclock::clock().scaled(3100), [&] { main->mnuFileClose_Click(); });
    readThenClosed(doc);
}

TEST_F(LateDeviceTest, CancelToTheQuestionAfterAReadKeepsTheWindowAndItsImage)
{
    QPointer<frmDocument> doc = openDocument();
    const sim::Bytes512 buffer = filled(11, 9);
    sim->setBuffer(buffer);
    P(doc).Command2->click();
    ASSERT_EQ(ui.lastText(), QStringLiteral("*****   Computer reads the Tester's SPD successfully !   ***** "));
    // The close asks about the image read; "Cancel" keeps everything.
    ui.messages.clear();
    ui.answers = {ui::Answer::Cancel};
    main->mnuFileClose_Click();
    testwait::until([&] { return !ui.messages.empty(); }, 3000);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral(" SPD File has been modified , Save the file (Y/N) ?  "));
    run(200);
    ASSERT_FALSE(doc.isNull());
    EXPECT_EQ(doc->Chk_Form_Chang(), -1);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(doc->Get_Value(i), buffer[static_cast<std::size_t>(i)]) << i;
    EXPECT_TRUE(ui.files.empty());  // nothing was saved
}
