// The module test, the tester set-up panel, the stand-alone and the option
// commands against the simulated programmer.

#include "support/Wait.h"
#include "device/DeviceFixture.h"
#include "document/PinMap.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>

using velmora::gs;

namespace {

class ModuleTest : public DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        doc = openDocument();
    }

    // Presses "TEST" and waits until the test has ended (report or time-out)
    // and its result has been reported or will not come.
    void runTest(frmDocument* on = nullptr)
    {
        frmDocument* d = on ? on : doc;
        P(d).TEST_COMMAND->click();
        testwait::until(
            [&] {
                return gs().deviceIdle == -1 && !main->deviceOps().testRunning() && main->deviceOps().resultsOwed() == 0;
            },
            20000);
        run(100);
    }

    frmDocument* doc = nullptr;
};

} // namespace

TEST_F(ModuleTest, PassReportEndsTheTest)
{
    sim->updateKnobs([](sim::Knobs& k) { k.currentHigh = 0xF0; k.currentLow = 0x10; });
    auto& p = P(doc);
    p.ASNUM_CHK->setChecked(true);
    p.F_CHK[4]->setChecked(true);
    sim->setSettings({0x55, 0xAA, 0, 0, 0, 0x90, 0x98, 0, 7, 9, 0, 0, 0x00, 0x00, 0x12, 0x34});
    QString captionWhileTesting;
    bool enabledWhileTesting = true;
    bool bannerDuringWait = false;
    QTimer::singleShot(vclock::clock().scaled(500), [&] {
        captionWhileTesting = p.TEST_COMMAND->text();
        enabledWhileTesting = p.TEST_COMMAND->isEnabled();
    });
    // The banner shows during the report's display wait only.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] { bannerDuringWait |= p.S_FRAME->isVisible(); });
    poll.start(5);
    sim->clearLog();
    runTest();
    poll.stop();

    EXPECT_EQ(sent(), std::vector<QByteArray>{frameMsg('p')});
    EXPECT_EQ(captionWhileTesting, QStringLiteral("Testing..."));
    EXPECT_FALSE(enabledWhileTesting);
    EXPECT_TRUE(bannerDuringWait);
    EXPECT_FALSE(p.S_FRAME->isVisible());
    EXPECT_EQ(p.STS_LAB1->text(), QStringLiteral("PASS"));
    EXPECT_EQ(device::DevicePanels::backColor(p.S_FRAME), device::kBannerGreen);
    EXPECT_EQ(p.Label56->text(), QStringLiteral("80 mA"));
    EXPECT_EQ(p.AMP_LAB->text(), QStringLiteral("80"));
    EXPECT_EQ(p.PASS_LABEL->text(), QStringLiteral("1"));
    EXPECT_EQ(p.STEXT[3]->text(), QStringLiteral("12"));
    EXPECT_EQ(p.F_LAB20->text(), QStringLiteral("S/N:00001234"));
    ASSERT_EQ(p.List1->count(), 1);
    EXPECT_EQ(p.List1->item(0)->text(), QStringLiteral("10:00:00  Test Pass  S/N:00001234"));
    EXPECT_EQ(p.List1->currentRow(), 0);
    for (device::Lamp* l : p.FAIL_LED)
        EXPECT_EQ(l->fillColor(), look::kGreen);
    EXPECT_EQ(p.TEST_COMMAND->text(), QStringLiteral("TEST"));
    EXPECT_TRUE(p.TEST_COMMAND->isEnabled());
    EXPECT_FALSE(doc->Timer2()->isActive());
    EXPECT_EQ(gs().deviceIdle, -1);
}

struct FailCase {
    const char* name;
    int flags;
    std::set<int> open, shorted;
    const char* banner;
    const char* log;
    std::array<bool, 4> lampsRed;  // power, open, short, SPD
};

class FailReportTest : public ModuleTest, public ::testing::WithParamInterface<FailCase> {};

TEST_P(FailReportTest, LampsBannerLogAndPinMap)
{
    const FailCase c = GetParam();
    sim->updateKnobs([&](sim::Knobs& k) {
        k.resultFlags = c.flags;
        k.openChannels = c.open;
        k.shortChannels = c.shorted;
    });
    runTest();
    auto& p = P(doc);
    EXPECT_EQ(p.STS_LAB1->text(), QString::fromLatin1(c.banner));
    EXPECT_EQ(device::DevicePanels::backColor(p.S_FRAME), look::kRed);
    EXPECT_EQ(device::DevicePanels::backColor(p.TEST_COMMAND), device::kTestFailBack);
    EXPECT_EQ(p.FAIL_LABEL->text(), QStringLiteral("1"));
    EXPECT_EQ(p.PASS_LABEL->text(), QStringLiteral("0"));
    EXPECT_EQ(p.List1->item(0)->text(), QStringLiteral("10:00:00  ") + QString::fromLatin1(c.log));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(p.FAIL_LED[static_cast<std::size_t>(i)]->fillColor(), c.lampsRed[static_cast<std::size_t>(i)] ? look::kRed : look::kGreen) << i;
    PinMap* map = doc->pinMap();
    for (int ch = 0; ch < 144; ++ch) {
        const look::VbColor want = c.shorted.count(ch) ? look::kRed : c.open.count(ch) ? 0x000000 : device::kBannerGreen;
        ASSERT_EQ(map->fillColor(ch), want) << ch;
    }
    EXPECT_TRUE(p.TEST_COMMAND->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Results, FailReportTest,
    ::testing::Values(FailCase{"power", 0x01, {}, {}, "POWER FAIL", "Test Fail    <POWER FAIL> ", {true, false, false, false}},
                      FailCase{"spd", 0x02, {}, {}, "SPD FAIL", "Test Fail    <SPD FAIL> ", {false, false, false, true}},
                      FailCase{"open", 0x04, {0, 143}, {}, "OPEN FAIL", "Test Fail    <OPEN FAIL> ", {false, true, false, false}},
                      FailCase{"short", 0x10, {}, {0, 143}, "SHORT FAIL", "Test Fail    <SHORT FAIL> ", {false, false, true, false}},
                      FailCase{"openAndShort", 0x14, {0, 77}, {0, 143}, "SHORT FAIL",
                               "Test Fail    <OPEN FAIL>  <SHORT FAIL> ", {false, true, true, false}}),
    [](const ::testing::TestParamInfo<FailCase>& i) { return std::string(i.param.name); });

TEST_F(ModuleTest, FramesInPiecesAndStaleText)
{
    // The result frame arrives over two poller ticks.
    sim->updateKnobs([](sim::Knobs& k) {
        k.splitChunk = 300;
        k.splitGapMs = 3000;
    });
    runTest();
    EXPECT_EQ(P(doc).PASS_LABEL->text(), QStringLiteral("1"));
    EXPECT_EQ(main->deviceOps().conversation().owed(), 0);

    // Text waiting in the port when "TEST" is pressed is thrown away.
    sim->updateKnobs([](sim::Knobs& k) { k.splitChunk = 0; });
    main->Timer1()->stop();
    sim->sendRaw("garbage from before");
    ASSERT_TRUE(sim->waitUntilSent(2000));
    run(100);
    runTest();
    EXPECT_EQ(P(doc).PASS_LABEL->text(), QStringLiteral("2"));

    // Text that came while nothing was owed is not glued to the reply of a
    // new test, even when that reply comes in pieces.
    sim->updateKnobs([](sim::Knobs& k) {
        k.splitChunk = 300;
        k.splitGapMs = 3000;
    });
    sim->sendRaw("xyz");
    ASSERT_TRUE(sim->waitUntilSent(2000));
    runTest();
    EXPECT_EQ(P(doc).PASS_LABEL->text(), QStringLiteral("3"));
}

TEST_F(ModuleTest, ACutFrameAndTheFrameAfterItGiveNoVerdict)
{
    // The device cut its frame short and, after a pause, sent another: the
    // second cannot be told to be this test's result, so no verdict is
    // shown and the test ends through its time-out.
    // Each goes out in one piece, so that no pause a busy machine makes while
    // the program reads it can end a frame early.
    sim->updateKnobs([](sim::Knobs& k) {
        k.silent = true;
        k.splitChunk = 1024;
    });
    const QByteArray pass = sim->resultFrame(0);
    const QByteArray shorted = sim->resultFrame(sim::ShortFailFlag);
    P(doc).TEST_COMMAND->click();
    // The pause is the program's: the second frame goes once the line has
    // been quiet for 1.5 s since the program last read from it, and nothing
    // of the cut frame is left to read.
    std::int64_t lastRead = -1;
    QObject reads;
    QObject::connect(main->MSComm1(), &platform::CommPort::received, &reads,
                     [&] { lastRead = vclock::clock().programMs(); });
    sim->sendRaw(pass.left(260));
    ASSERT_TRUE(sim->waitUntilSent(5000));
    ASSERT_TRUE(testwait::until([&] {
        main->deviceOps().lineClear();  // reads what has come
        return lastRead >= 0 && vclock::clock().programMs() - lastRead >= 1500;
    }));
    sim->sendRaw(shorted);
    waitForVerdict();
    EXPECT_EQ(P(doc).List1->count(), 0);
    EXPECT_EQ(P(doc).FAIL_LABEL->text(), QStringLiteral("0"));
    EXPECT_EQ(P(doc).PASS_LABEL->text(), QStringLiteral("0"));
}

TEST_F(ModuleTest, NoFrameEndsThroughTheTimeOut)
{
    sim->updateKnobs([](sim::Knobs& k) { k.silent = true; });
    P(doc).TEST_COMMAND->click();
    run(5000);
    EXPECT_EQ(gs().deviceIdle, 0);
    EXPECT_FALSE(P(doc).TEST_COMMAND->isEnabled());
    // A guarded button does nothing meanwhile.
    sim->clearLog();
    P(doc).Command4->click();
    EXPECT_TRUE(sim->received().empty());
    run(6000);
    EXPECT_EQ(gs().deviceIdle, -1);
    EXPECT_TRUE(P(doc).TEST_COMMAND->isEnabled());
    EXPECT_EQ(P(doc).TEST_COMMAND->text(), QStringLiteral("TEST"));
    EXPECT_EQ(P(doc).PASS_LABEL->text(), QStringLiteral("0"));
}

TEST_F(ModuleTest, TheReportGoesToTheWindowThatStartedTheTest)
{
    frmDocument* other = openDocument();
    activate(doc);
    QTimer::singleShot(vclock::clock().scaled(1500), [&] { activate(other); });
    sim->updateKnobs([](sim::Knobs& k) { k.resultFlags = 0x01; });
    runTest();
    EXPECT_EQ(main->ActiveForm(), other);
    EXPECT_EQ(P(doc).STS_LAB1->text(), QStringLiteral("POWER FAIL"));
    EXPECT_EQ(P(doc).List1->count(), 1);
    EXPECT_FALSE(P(doc).S_FRAME->isVisible());
    EXPECT_EQ(P(other).List1->count(), 0);
    EXPECT_EQ(P(other).FAIL_LED[0]->fillColor(), device::kLampDark);
}

TEST_F(ModuleTest, CountersStopAt32767AndResetClearsThePanel)
{
    gs().testPassCount = 32767;
    runTest();
    EXPECT_EQ(P(doc).PASS_LABEL->text(), QStringLiteral("32767"));
    P(doc).Command18->click();
    EXPECT_EQ(gs().testPassCount, 0);
    EXPECT_EQ(P(doc).PASS_LABEL->text(), QStringLiteral("0"));
    EXPECT_EQ(P(doc).List1->count(), 0);
    EXPECT_EQ(P(doc).AMP_LAB->text(), QStringLiteral("0"));
    for (device::Lamp* l : P(doc).FAIL_LED)
        EXPECT_EQ(l->fillColor(), device::kLampDark);
}

// ---------------------------------------------------------------- tester set-up panel

TEST_F(ModuleTest, SetupPanelRoundTripThroughTheProgrammer)
{
    auto& p = P(doc);
    main->mnu_io_setup_Click();
    EXPECT_TRUE(p.Frame5->isVisible());
    p.HEX_OPT[1]->setChecked(true);
    p.EEP_OPT[1]->setChecked(true);
    p.DIR_OPT[1]->setChecked(true);
    p.KEY_CHK->setChecked(true);
    p.F_CHK[3]->setChecked(false);
    p.F_CHK[5]->setChecked(true);
    p.STEXT[1]->setText(QStringLiteral("1a"));
    QTest::keyClick(p.STEXT[1], Qt::Key_Return);
    EXPECT_EQ(gs().settingsBlock[12], 0x1A);
    EXPECT_TRUE(p.STEXT[2]->text().isEmpty());
    EXPECT_TRUE(p.STEXT[2]->hasFocus());
    p.STEXT[2]->setText(QStringLiteral("2B"));
    p.STEXT[3]->setText(QStringLiteral("3C"));
    p.STEXT[4]->setText(QStringLiteral("4D"));
    sim->clearLog();
    p.Command15->click();
    waitForParse();

    const auto log = sent();
    ASSERT_EQ(log.size(), 2u);
    // Words 0..7 and 11 go back as the last frame brought them.
    EXPECT_EQ(log[0], QByteArray("H055AA010000909800") + QByteArray("23") + QByteArray("4A") + QByteArray("01") +
                          QByteArray("00") + QByteArray("1A2B3C4D") + QByteArray("\x10\x7F"));
    EXPECT_EQ(log[1], frameMsg('q'));
    // The programmer took them and its status brought them back.
    EXPECT_EQ(sim->settings()[9], 0x4A);
    EXPECT_EQ(sim->settings()[15], 0x4D);
    EXPECT_FALSE(p.Frame5->isVisible());
    EXPECT_TRUE(p.TEST_FRAME->isVisible());
    EXPECT_EQ(p.F_LED[3]->fillColor(), device::kLampDark);
    EXPECT_EQ(p.F_LED[5]->fillColor(), device::kLampLit);
    EXPECT_EQ(p.F_LED[11]->fillColor(), device::kLampLit);
    EXPECT_EQ(p.F_LAB16->text(), QStringLiteral("EEPROM (256 Byte)"));
    EXPECT_EQ(p.STEXT[4]->text(), QStringLiteral("4D"));
    EXPECT_TRUE(p.Command15->isEnabled());
}

TEST_F(ModuleTest, SetupRefusesANonDecimalSerialNumber)
{
    auto& p = P(doc);
    p.HEX_OPT[0]->setChecked(true);
    p.STEXT[4]->setText(QStringLiteral("12"));
    p.STEXT[3]->setText(QStringLiteral("3C"));
    gs().settingsBlock[14] = 0x77;
    sim->clearLog();
    ui.messages.clear();
    p.Command15->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("      *****  請輸入 '十進制' 序號   *****      "));
    EXPECT_EQ(ui.messages.back().icon, ui::Icon::None);
    EXPECT_EQ(gs().settingsBlock[15], 0x12);
    EXPECT_EQ(gs().settingsBlock[14], 0x77);
    EXPECT_EQ(p.STEXT[3]->text(), QStringLiteral("3C"));
    run(200);
    EXPECT_TRUE(sim->received().empty());

    // Enter in decimal mode turns the same text into "00", silently.
    QTest::keyClick(p.STEXT[3], Qt::Key_Return);
    EXPECT_EQ(p.STEXT[3]->text(), QStringLiteral("00"));
    EXPECT_EQ(gs().settingsBlock[14], 0);
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(ModuleTest, LoadDefaultSetsEveryOptionWordWhateverTheBoxesShowed)
{
    auto& p = P(doc);
    p.AVR_CHK->setChecked(true);
    p.ASNUM_CHK->setChecked(true);
    p.F_CHK[6]->setChecked(true);
    gs().settingsBlock[9] = 0xB7;  // free bits 4, 5 and 7 set
    p.Command10->click();
    EXPECT_EQ(gs().settingsBlock[8], 7);
    EXPECT_EQ(gs().settingsBlock[9], 8);
    EXPECT_EQ(gs().settingsBlock[10], 0);
    EXPECT_FALSE(p.AVR_CHK->isChecked());
    EXPECT_TRUE(p.HEX_OPT[1]->isChecked());
    EXPECT_TRUE(p.F_CHK[1]->isChecked());
    EXPECT_FALSE(p.F_CHK[6]->isChecked());
    EXPECT_EQ(p.STEXT[2]->text(), QStringLiteral("00"));
    sim->clearLog();
    p.Command15->click();
    EXPECT_EQ(sent()[0].mid(2 + 16, 6), QByteArray("070800"));
    EXPECT_EQ(sent()[0].mid(2 + 24, 8), QByteArray("00000000"));
    // Checking soft protect warns each time it becomes checked.
    ui.messages.clear();
    p.F_CHK[6]->setChecked(true);
    p.F_CHK[6]->setChecked(false);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Software blown protection has started,It may result in a write once IC"));
    EXPECT_EQ(ui.messages[0].icon, ui::Icon::Warning);
}

// ---------------------------------------------------------------- stand-alone and option commands

TEST_F(ModuleTest, StandAloneCommandsSendTheirLetterAndReadNothing)
{
    sim->clearLog();
    P(doc).Command7->click();  // "Verify": 2 s with the port closed
    P(doc).Command5->click();  // "Read"
    P(doc).Command6->click();  // "Copy"
    P(doc).Command17->click(); // "Learn"
    P(doc).Label60_Click();    // the version command
    EXPECT_EQ(sent(), (std::vector<QByteArray>{frameMsg('v'), frameMsg('r'), frameMsg('c'), frameMsg('n'),
                                               shortMsg('T')}));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(main->Timer1()->isActive());
    // The device answers none of them: no report turns up.
    run(5000);
    EXPECT_EQ(P(doc).List1->count(), 0);
    EXPECT_EQ(P(doc).PASS_LABEL->text(), QStringLiteral("0"));
}

TEST_F(ModuleTest, OptionCommandsSendOneLetterAndReport)
{
    struct Option {
        void (frmMain::*command)();
        char letter;
        const char* success;
    };
    const Option options[] = {
        {&frmMain::en_averify_Command, 'f', "*****   自動序號比對關閉 !   *****      "},
        {&frmMain::dis_averify_Command, 'F', "*****   自動序號比對啟動 !   *****      "},
        {&frmMain::auto_hex_Command, 'h', "*****   自動序號編碼方式在十進制 !   *****      "},
        {&frmMain::auto_dec_Command, 'H', "*****   自動序號編碼方式在十六進制 !   *****      "},
        {&frmMain::EN_KEY_Command, 'y', "*****   SPD主機按鍵上鎖在品管模式 (COPY,SETUP 鍵上鎖) !   *****      "},
        {&frmMain::EN_KEY1_Command, 'z', "*****   SPD主機按鍵上鎖在生產線模式 (SETUP 鍵上鎖)!   *****      "},
        {&frmMain::DIS_KEY_Command, 'Y', "*****   SPD主機按鍵上鎖在工程模式(全部按鍵解鎖) !   *****      "},
        {&frmMain::EEPROM_256_Command, 'b', "*****   EEPROM容量設定為256 BYTE !   *****      "},
        {&frmMain::EEPROM_512_Command, 'B', "*****   EEPROM容量設定為512 BYTE !   *****      "},
        {&frmMain::EEPROM_DEFAULT_Command, 'D', "*****   EEPROM容量由SPD內容決定 !   *****      "},
        {&frmMain::SNUM_P_Command, 'n', "*****   自動序號由低至右高 !   *****      "},
        {&frmMain::SNUM_N_Command, 'N', "*****   自動序號由高至左低 !   *****      "},
    };
    for (const Option& o : options) {
        sim->clearLog();
        ui.messages.clear();
        (main.get()->*o.command)();
        EXPECT_EQ(sent(), std::vector<QByteArray>{shortMsg(o.letter)}) << o.letter;
        ASSERT_EQ(ui.messages.size(), 1u) << o.letter;
        EXPECT_EQ(ui.messages[0].text, QString::fromUtf8(o.success));
        EXPECT_EQ(ui.messages[0].title, QStringLiteral("SPD設定"));
        EXPECT_EQ(ui.messages[0].icon, ui::Icon::None);
        EXPECT_FALSE(P(doc).Image[17]->isVisible());
        EXPECT_TRUE(main->Timer1()->isActive());
    }
    EXPECT_EQ(sim->settings()[9] & 0x42, 0x02);  // keys unlocked, high to low
    EXPECT_EQ(sim->settings()[10], 0);

    // Automatic serial numbering: the letter, then a status request; the
    // parse shows the programmer's new setting.
    sim->clearLog();
    main->DISAuto_Command();
    EXPECT_EQ(sent(), (std::vector<QByteArray>{shortMsg('A'), frameMsg('q')}));
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   SPD 自動序號功能已啟動 !   *****      "));
    EXPECT_FALSE(main->Timer1()->isActive());
    waitForParse();
    EXPECT_TRUE(P(doc).ASNUM_CHK->isChecked());
    EXPECT_TRUE(main->Timer1()->isActive());

    // The multi-copy run: "p" with the frame terminator, no message.
    sim->clearLog();
    ui.messages.clear();
    bool x8 = false;
    QTimer::singleShot(vclock::clock().scaled(3000), [&] { x8 = P(doc).Label99->isVisible(); });
    main->program_Command();
    EXPECT_TRUE(x8);
    EXPECT_EQ(sent(), std::vector<QByteArray>{frameMsg('p')});
    EXPECT_FALSE(P(doc).Label99->isVisible());

    // No port: the busy panel goes, the failure is reported, the poller runs.
    main->MSComm1()->setPortOpen(false);
    qputenv("VELMORA_COM1", "/nonexistent/tty");
    ui.messages.clear();
    main->EEPROM_DEFAULT_Command();
    main->Verify_Command();
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("***** EEPROM容量選擇失敗 !   *****"));
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("錯誤訊息"));
    EXPECT_EQ(ui.messages[1].title, QStringLiteral("ERROR"));
    EXPECT_FALSE(P(doc).Frame15->isVisible());
    EXPECT_TRUE(main->Timer1()->isActive());
}

TEST_F(ModuleTest, ALateLongStatusFrameIsNoTestResult)
{
    // The device answers the status request late, with a frame long enough
    // to pass for a test result.
    sim->updateKnobs([](sim::Knobs& k) {
        k.statusLength = 600;
        k.statusDelayMs = 5000;
    });
    ui.messages.clear();
    main->STATUSIC();
    testwait::until([&] { return !main->Timer2()->isActive(); }, 6000);
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****    RS-232 Link Failure    *****"));
    ASSERT_TRUE(sim->waitUntilSent(3000));
    run(4500);
    EXPECT_EQ(P(doc).List1->count(), 0);
    EXPECT_EQ(P(doc).PASS_LABEL->text(), QStringLiteral("0"));
    EXPECT_EQ(main->deviceOps().conversation().owed(), 0);
    // A real test afterwards is reported.
    sim->updateKnobs([](sim::Knobs& k) { k.resultFlags = sim::ShortFailFlag; });
    runTest();
    EXPECT_EQ(P(doc).FAIL_LABEL->text(), QStringLiteral("1"));
    EXPECT_EQ(P(doc).List1->count(), 1);
}

TEST_F(ModuleTest, ATestRightAfterAStatusRequestIsReported)
{
    // The status frame has come but its parse is still pending when "TEST"
    // drops it: the test's own frame is reported all the same.
    main->STATUSIC();
    ASSERT_TRUE(main->Timer2()->isActive());
    runTest();
    EXPECT_EQ(P(doc).PASS_LABEL->text(), QStringLiteral("1"));
    // The window is asked again after the test; the reply to that request
    // may still be on its way at the verdict. Once it is in, nothing is
    // owed.
    EXPECT_TRUE(testwait::until([&] { return main->deviceOps().lineClear(); }));
    EXPECT_EQ(main->deviceOps().conversation().owed(), 0);
}
