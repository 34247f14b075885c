// The programmer link end to end: the program's serial port on a
// pseudo-terminal, the simulated programmer on the other side.

#include "device/DeviceFixture.h"
#include "rules/device/Frames.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <stdexcept>

using look::VbColor;
using velmora::gs;

namespace {

QByteArray hexOf(const velmora::SpdImage& img, int from, int n)
{
    return sim::ProgrammerSim::hex(img.data() + from, n);
}

} // namespace

// ---------------------------------------------------------------- serial layer

TEST(DeviceSerialPort, MessagesGoOutWholeAndTheQueueStartsEmpty)
{
    sim::ProgrammerSim device(10);
    ASSERT_TRUE(device.start());
    platform::CommPort port;
    qputenv("VELMORA_COM3", device.devicePath().toLocal8Bit());
    port.setCommPort(3);
    port.setPortOpen(true);
    // Handed over right before the port closes, still received whole.
    port.output(QByteArray("H0") + QByteArray(32, '0') + QByteArray("\x10\x7F"));
    port.setPortOpen(false);
    ASSERT_TRUE(device.waitForMessages(1, 2000));
    EXPECT_EQ(device.received()[0].bytes.size(), 36);

    // What the device sends while the port is closed is never received.
    device.sendRaw("stale while closed");
    ASSERT_TRUE(device.waitUntilSent(2000));
    port.setPortOpen(true);
    EXPECT_TRUE(port.input().isEmpty());
    EXPECT_THROW(platform::CommPort().output("x"), platform::CommError);
    port.setPortOpen(false);
    qunsetenv("VELMORA_COM3");
}

// ---------------------------------------------------------------- "Write =>"

TEST_F(DeviceTest, WriteRoadOfADdr4Image)
{
    frmDocument* doc = openDocument();
    const velmora::SpdImage img = image(12);
    load(doc, img);
    doc->grid()->setCellBack(7, look::kYellow);  // an earlier mark goes
    sim->clearLog();
    ui.messages.clear();

    // Each packet waits for its pacing tick: at every tick the programmer has
    // no more packets than there have been ticks (fewer when the machine
    // holds it back). At the first tick, after the first packet, the busy
    // panel shows the transfer.
    std::vector<std::int64_t> ticks;
    std::vector<int> packetsAtTick;
    bool busyShown = false;
    QObject pacing;
    QObject::connect(main->Timer3(), &QTimer::timeout, &pacing, [&] {
        ticks.push_back(vclock::clock().programMs());
        const auto got = sim->received();
        packetsAtTick.push_back(static_cast<int>(std::count_if(got.begin(), got.end(), [](const sim::Received& r) {
            return r.bytes.startsWith('w') || r.bytes.startsWith('W');
        })));
        auto& p = P(doc);
        if (ticks.size() == 1)
            busyShown = p.Frame15->isVisible() && p.Image[11]->isVisible() && p.Image[12]->isVisible() &&
                        p.Image[14]->isVisible() && !p.Image[13]->isVisible() && !p.Image[15]->isVisible();
    });
    P(doc).Command1->click();
    EXPECT_TRUE(busyShown);
    // One pacing tick of 180 ms (on the program's clock) after each packet.
    ASSERT_EQ(ticks.size(), 32u);
    for (std::size_t n = 0; n < ticks.size(); ++n)
        EXPECT_LE(packetsAtTick[n], static_cast<int>(n) + 1) << n;
    EXPECT_GE(ticks[31] - ticks[0], 31 * 180 - 60);

    const auto log = sim->received();
    ASSERT_EQ(log.size(), 1u + 1u + 32u + 2u);
    // The settings block with the module serial number from bytes 325..328.
    EXPECT_EQ(log[0].bytes.left(2), QByteArray("H0"));
    EXPECT_EQ(log[0].bytes.mid(2 + 24, 8), hexOf(img, 325, 4));
    EXPECT_EQ(log[0].bytes.right(2), QByteArray("\x10\x7F"));
    EXPECT_EQ(log[1].bytes, frameMsg('q'));
    for (int n = 0; n < 32; ++n) {
        const QByteArray& m = log[static_cast<std::size_t>(2 + n)].bytes;
        EXPECT_EQ(m[0], n < 16 ? 'w' : 'W');
        EXPECT_EQ(m[1], char('0' + n % 16));
        EXPECT_EQ(m.mid(2, 32), hexOf(img, 16 * n, 16));
    }
    EXPECT_EQ(log[34].bytes, frameMsg('l'));
    EXPECT_EQ(log[35].bytes, frameMsg('L'));

    EXPECT_EQ(sim->buffer(), img);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("      *****   SPD file transfer success !   *****      "));
    EXPECT_EQ(ui.messages[0].icon, ui::Icon::None);
    for (int i = 0; i < 512; ++i)
        ASSERT_EQ(doc->grid()->cell(i).back, look::kButtonFace) << i;
    EXPECT_EQ(doc->byteCursor(), 0);
    EXPECT_EQ(gs().deviceIdle, -1);
    // The status parse during the write showed the SPD transfer panel.
    EXPECT_TRUE(P(doc).Frame4->isVisible());
    EXPECT_FALSE(P(doc).TEST_FRAME->isVisible());
    EXPECT_FALSE(P(doc).Frame15->isVisible());
    EXPECT_TRUE(main->Timer1()->isActive());
}

TEST_F(DeviceTest, WriteMarksOnlyTheByteTheProgrammerGotWrong)
{
    frmDocument* doc = openDocument();
    load(doc, image(12));
    sim->corruptBufferByte(300, 0x5A);
    ui.messages.clear();
    P(doc).Command1->click();
    for (int i = 0; i < 512; ++i)
        ASSERT_EQ(doc->grid()->cell(i).back, i == 300 ? look::kLightBlue : look::kButtonFace) << i;
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("      *****   SPD file transfer fails !   *****      "));
    EXPECT_EQ(ui.messages[0].icon, ui::Icon::None);

    // "<=  Verify  =>" alone reports in the verify's own words.
    ui.messages.clear();
    P(doc).Command3->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   PC and Tester's SPD verify fail !    *****      "));
    EXPECT_EQ(ui.messages.back().title, QStringLiteral("Error"));
    sim->pokeBuffer(300, static_cast<std::uint8_t>(doc->Get_Value(300)));
    P(doc).Command3->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   PC and Tester's SPD verify success !    *****    "));
}

TEST_F(DeviceTest, TheImageItselfChoosesSerialBytesAndVerifiedHalves)
{
    frmDocument* ddr4 = openDocument();
    load(ddr4, image(12));
    frmDocument* ddr3 = openDocument();
    const velmora::SpdImage img3 = image(11);
    load(ddr3, img3);
    load(ddr4, image(12));  // the DDR4 image was decoded last
    activate(ddr3);
    sim->clearLog();
    P(ddr3).Command1->click();
    const auto log = sent();
    EXPECT_EQ(log[0].mid(2 + 24, 8), hexOf(img3, 122, 4));
    // All 32 packets go out, the upper half as zeros; only "l" is read back.
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const QByteArray& m) { return m[0] == 'W'; }), 16);
    EXPECT_EQ(sim->count(frameMsg('L')), 0);
    EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   SPD file transfer success !   *****      "));
}

TEST_F(DeviceTest, TheImageWriteOnItsOwnLeavesThePollerOn)
{
    frmDocument* doc = openDocument();
    load(doc, image(11));
    ASSERT_TRUE(main->Timer1()->isActive());
    main->ProgramIC();
    EXPECT_EQ(sim->buffer(), doc->image());
    EXPECT_TRUE(main->Timer1()->isActive());
}

TEST_F(DeviceTest, WriteWithNoPortShowsEachStepsFailure)
{
    frmDocument* doc = openDocument();
    load(doc, image(12));
    main->MSComm1()->setPortOpen(false);
    qputenv("VELMORA_COM1", "/nonexistent/tty");
    ui.messages.clear();
    P(doc).Command1->click();
    std::vector<QString> texts;
    for (const auto& m : ui.messages)
        texts.push_back(m.text);
    EXPECT_EQ(texts, (std::vector<QString>{QStringLiteral("      *****  設定失敗 !   *****      "),
                                           QStringLiteral("      *****   The state can not read !   *****      "),
                                           QStringLiteral("      *****   SPD file transfer fails !   *****      "),
                                           QStringLiteral("      *****   PC and Tester's SPD verify fail !    *****      ")}));
    EXPECT_EQ(gs().deviceIdle, -1);
    EXPECT_FALSE(main->Timer2()->isActive());
    EXPECT_TRUE(main->Timer1()->isActive());
    EXPECT_FALSE(P(doc).Frame15->isVisible());
}

// ---------------------------------------------------------------- reads

struct ModuleCase {
    int choice;       // EEP_OPT
    int type;         // byte 2 of the module
    bool upperRead;   // bytes 256..511 from the second reply
    int crcOption;    // Optcrc chosen
    int markedRow;    // value_x header marked red
};

std::string moduleCaseName(const ::testing::TestParamInfo<ModuleCase>& i)
{
    const char* choice = i.param.choice == 0 ? "BySpd" : i.param.choice == 1 ? "Bytes256" : "Bytes512";
    return std::string(choice) + "Type" + std::to_string(i.param.type);
}

class ModuleReadTest : public DeviceTest, public ::testing::WithParamInterface<ModuleCase> {};

TEST_P(ModuleReadTest, EepromSizeChoiceDecidesTheUpperHalf)
{
    const ModuleCase c = GetParam();
    frmDocument* doc = openDocument();
    sim::Bytes512 module{};
    for (int i = 0; i < 512; ++i)
        module[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 3 + 1);
    module[2] = static_cast<std::uint8_t>(c.type);
    sim->setModule(module);
    P(doc).EEP_OPT[static_cast<std::size_t>(c.choice)]->setChecked(true);
    // The window held a DDR4 image before.
    doc->Optcrc(1)->setText(QStringLiteral("CRC"));
    sim->clearLog();
    ui.messages.clear();
    P(doc).Command9->click();

    EXPECT_EQ(sent(), (std::vector<QByteArray>{frameMsg('k'), frameMsg('K')}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("*****   Computer reads the DRAM-Module successfully !   ***** "));
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(doc->Get_Value(i), module[static_cast<std::size_t>(i)]);
    for (int i = 256; i < 512; ++i) {
        ASSERT_EQ(doc->Get_Value(i), c.upperRead ? module[static_cast<std::size_t>(i)] : 0) << i;
        ASSERT_EQ(doc->grid()->cell(i).enabled, c.upperRead);
    }
    EXPECT_EQ(doc->grid()->line4Bottom(), c.upperRead ? 8280 : 4500);
    EXPECT_EQ(doc->checksumMode(), c.crcOption);
    // The CRC choice is captioned for the image read.
    EXPECT_EQ(doc->Optcrc(1)->text(), c.type == 12 ? QStringLiteral("CRC") : QStringLiteral("CRC (0-125)"));
    EXPECT_EQ(doc->grid()->header(c.markedRow).back, look::kRed);
    // The image read is no file's: closing the window asks about it.
    EXPECT_EQ(doc->Chk_Form_Chang(), -1);
    EXPECT_TRUE(main->Timer1()->isActive());
    EXPECT_FALSE(P(doc).Frame15->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Choices, ModuleReadTest,
                         ::testing::Values(ModuleCase{0, 12, true, 1, 47}, ModuleCase{0, 11, false, 1, 31},
                                           ModuleCase{0, 8, false, 0, 31}, ModuleCase{1, 12, false, 1, 47},
                                           ModuleCase{2, 11, true, 1, 31}),
                         moduleCaseName);

TEST_F(DeviceTest, ReadsThatGetNoGoodReplyLeaveTheDocumentAlone)
{
    frmDocument* doc = openDocument();
    const velmora::SpdImage before = image(11);
    load(doc, before);
    auto expectUntouched = [&](const char* what) {
        EXPECT_EQ(doc->image(), before) << what;
        EXPECT_EQ(ui.messages.back().icon, ui::Icon::Critical) << what;
        EXPECT_EQ(ui.messages.back().title, QStringLiteral("Error")) << what;
        EXPECT_TRUE(main->Timer1()->isActive()) << what;
        EXPECT_FALSE(P(doc).Frame15->isVisible()) << what;
    };
    sim->updateKnobs([](sim::Knobs& k) { k.moduleInSocket = false; });
    P(doc).Command9->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Computer reads the DRAM-Module failure !   ***** "));
    expectUntouched("no module");
    sim->updateKnobs([](sim::Knobs& k) {
        k.moduleInSocket = true;
        k.nonHexAt = 40;
    });
    P(doc).Command9->click();
    expectUntouched("noise in the reply");
    sim->updateKnobs([](sim::Knobs& k) {
        k.nonHexAt = -1;
        k.dataReplyLength = 400;
    });
    P(doc).Command2->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Computer reads the Tester's SPD failure !   ***** "));
    expectUntouched("short reply");
    // A good first half and a short second half that "512 Byte" needs.
    sim->updateKnobs([](sim::Knobs& k) { k.dataReplyLength = -1; });
    sim->setBuffer(sim::Bytes512{});
    P(doc).EEP_OPT[2]->setChecked(true);
    sim->updateKnobs([](sim::Knobs& k) { k.silent = true; });
    P(doc).Command2->click();
    expectUntouched("silent programmer");

    // Text waiting from before the request is not taken for the reply.
    sim->updateKnobs([](sim::Knobs& k) { k.silent = false; });
    sim::Bytes512 buf{};
    buf[2] = 12;
    buf[300] = 0x42;
    sim->setBuffer(buf);
    main->Timer1()->stop();
    sim->sendRaw("5A5A");
    ASSERT_TRUE(sim->waitUntilSent(2000));
    run(100);
    P(doc).Command2->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Computer reads the Tester's SPD successfully !   ***** "));
    EXPECT_EQ(doc->Get_Value(2), 12);
    EXPECT_EQ(doc->Get_Value(300), 0x42);
}

TEST_F(DeviceTest, ClearEmptiesTheProgrammersBuffer)
{
    frmDocument* doc = openDocument();
    sim::Bytes512 buf;
    buf.fill(0x77);
    sim->setBuffer(buf);
    bool labelShown = false;
    QTimer::singleShot(vclock::clock().scaled(500), [&] { labelShown = P(doc).Label134->isVisible(); });
    sim->clearLog();
    P(doc).Command4->click();
    EXPECT_TRUE(labelShown);
    EXPECT_EQ(sent(), std::vector<QByteArray>{frameMsg('e')});
    EXPECT_EQ(sim->buffer(), sim::Bytes512{});
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Tester's SPD clear success !   *****      "));
    EXPECT_FALSE(P(doc).Label134->isVisible());
    EXPECT_FALSE(P(doc).Frame15->isVisible());
}

// ---------------------------------------------------------------- status parse

struct StatusCase {
    const char* name;
    std::function<void(sim::Knobs&)> knobs;
    int passwordMode;
    const char* message;  // nullptr: none
};

class StatusParseTest : public DeviceTest, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(StatusParseTest, Outcome)
{
    const StatusCase c = GetParam();
    gs().passwordMode = static_cast<std::int16_t>(c.passwordMode);
    sim->updateKnobs(c.knobs);
    frmDocument* doc = openDocument();
    if (c.message) {
        ASSERT_FALSE(ui.messages.empty());
        EXPECT_EQ(ui.lastText(), QString::fromUtf8(c.message));
        EXPECT_EQ(ui.messages.back().title, QStringLiteral("Error"));
        EXPECT_FALSE(P(doc).TEST_FRAME->isVisible());
        EXPECT_FALSE(P(doc).Frame4->isVisible());
        EXPECT_FALSE(doc->Text1()->isVisible());
    } else {
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_TRUE(P(doc).TEST_FRAME->isVisible());
        EXPECT_FALSE(P(doc).Frame4->isVisible());
        EXPECT_EQ(doc->Text1()->isVisible(), c.passwordMode == -1);
    }
    EXPECT_TRUE(main->Timer1()->isActive());
}

INSTANTIATE_TEST_SUITE_P(
    Frames, StatusParseTest,
    ::testing::Values(
        StatusCase{"good", [](sim::Knobs&) {}, -1, nullptr},
        StatusCase{"goodRestricted", [](sim::Knobs&) {}, 0, nullptr},
        StatusCase{"splitButWhole", [](sim::Knobs& k) { k.splitChunk = 100; k.splitGapMs = 100; }, -1, nullptr},
        StatusCase{"wrongId", [](sim::Knobs& k) { k.deviceId = "9099"; }, -1,
                   "** Hardware and software versions error ,Please contact Corvane  **"},
        StatusCase{"wrongIdRestricted", [](sim::Knobs& k) { k.deviceId = "9099"; }, 0,
                   "*****    RS-232 Link Failure    *****"},
        StatusCase{"silence", [](sim::Knobs& k) { k.silent = true; }, -1, "*****    RS-232 Link Failure    *****"},
        StatusCase{"shortFrame", [](sim::Knobs& k) { k.statusLength = 500; }, -1,
                   "*****    RS-232 Link Failure    *****"},
        StatusCase{"noiseInFront", [](sim::Knobs& k) { k.noise = "%$#"; }, -1, nullptr},
        StatusCase{"noiseInFrontOfAShortFrame", [](sim::Knobs& k) { k.noise = "%$#"; k.statusLength = 500; }, -1,
                   "*****    RS-232 Link Failure    *****"},
        StatusCase{"tooSlow", [](sim::Knobs& k) { k.replyDelayMs = 6000; }, -1,
                   "*****    RS-232 Link Failure    *****"}),
    [](const ::testing::TestParamInfo<StatusCase>& i) { return std::string(i.param.name); });

TEST_F(DeviceTest, StatusFrameLoadsTheSettingsAndTheLamps)
{
    sim->setSettings({0x55, 0xAA, 1, 2, 3, 0x90, 0x98, 4, 0xA7, 0x4F, 3, 5, 0x12, 0x34, 0x56, 0x78});
    frmDocument* doc = openDocument();
    auto& p = P(doc);
    EXPECT_EQ(gs().settingsBlock, (std::array<std::int16_t, 16>{0x55, 0xAA, 1, 2, 3, 0x90, 0x98, 4, 0xA7, 0x4F, 3, 5,
                                                                0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(gs().deviceLink, -1);
    // Test enables 0xA7: power, open, short, verify, soft protect; no copy.
    const bool lit[7] = {false, true, true, true, false, true, true};
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(p.F_LED[static_cast<std::size_t>(n)]->fillColor(), lit[n] ? device::kLampLit : device::kLampDark) << n;
        EXPECT_EQ(p.F_CHK[static_cast<std::size_t>(n)]->isChecked(), lit[n]) << n;
    }
    // Soft protect came on: the warning showed during the parse.
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Warning"));
    EXPECT_TRUE(p.ASNUM_CHK->isChecked());
    EXPECT_TRUE(p.DIR_OPT[1]->isChecked());
    EXPECT_TRUE(p.AVR_CHK->isChecked());
    EXPECT_TRUE(p.HEX_OPT[1]->isChecked());
    EXPECT_TRUE(p.KEY_CHK->isChecked());
    EXPECT_TRUE(p.EEP_OPT[2]->isChecked());
    EXPECT_EQ(p.F_LAB14->text(), QStringLiteral("S/N Encode(HEX)"));
    EXPECT_EQ(p.F_LAB15->text(), QStringLiteral("S/N Directions(High to Low)"));
    EXPECT_EQ(p.F_LAB16->text(), QStringLiteral("EEPROM (512 Byte)"));
    EXPECT_EQ(p.STEXT[1]->text(), QStringLiteral("12"));
    EXPECT_EQ(p.F_LAB20->text(), QStringLiteral("S/N:12345678"));
    EXPECT_FALSE(p.F_LAB20->isHidden());
}

// ---------------------------------------------------------------- one conversation at a time

TEST_F(DeviceTest, NothingElseTalksWhileAWriteRuns)
{
    frmDocument* doc = openDocument();
    frmDocument* other = openDocument();
    load(doc, image(12));
    activate(doc);
    sim->clearLog();
    // Half-way through the packets: the menu's status request, the version
    // label, a second "Write =>", another window's buttons, a new window,
    // and the document's test time-out.
    QTimer::singleShot(vclock::clock().scaled(4000), [&] {
        main->mnuConnection_Click();
        P(doc).Label60_Click();
        P(doc).Command1->click();
        P(other).Command4->click();
        P(other).TEST_COMMAND->click();
        main->Auto_Command();
        P(doc).Command15->click();  // "SETUP"
        openDocument(false);
        doc->Timer2()->start(1);
    });
    P(doc).Command1->click();
    const auto log = sent();
    ASSERT_EQ(log.size(), 36u);
    EXPECT_EQ(sim->count(frameMsg('q')), 1);
    EXPECT_EQ(sim->count(frameMsg('e')), 0);
    EXPECT_EQ(log.back(), frameMsg('L'));
    EXPECT_EQ(sim->buffer(), doc->image());
    EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   SPD file transfer success !   *****      "));
    EXPECT_EQ(gs().deviceIdle, -1);
}

TEST_F(DeviceTest, TheTestTimeOutLeavesAWriteItsGuard)
{
    frmDocument* doc = openDocument();
    load(doc, image(11));
    int idleDuringWrite = 99;
    doc->Timer2()->start(vclock::clock().scaled(3000));  // falls due in the middle of the write
    QTimer::singleShot(vclock::clock().scaled(5000), [&] {
        idleDuringWrite = gs().deviceIdle;
        P(doc).Command4->click();  // another guarded button finds the guard taken
    });
    P(doc).Command1->click();
    EXPECT_EQ(idleDuringWrite, 0);
    EXPECT_EQ(sim->count(frameMsg('e')), 0);
    EXPECT_EQ(gs().deviceIdle, -1);
    EXPECT_TRUE(P(doc).TEST_COMMAND->isEnabled());
}

TEST_F(DeviceTest, AnOperationStaysWithTheWindowItStartedOn)
{
    frmDocument* a = openDocument();
    frmDocument* b = openDocument();
    const velmora::SpdImage imgA = image(12);
    load(a, imgA);
    load(b, image(11));
    activate(a);
    QTimer::singleShot(vclock::clock().scaled(3500), [&] { activate(b); });
    P(a).Command1->click();
    EXPECT_EQ(sim->buffer(), imgA);
    EXPECT_EQ(b->image(), image(11));
    EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   SPD file transfer success !   *****      "));
    EXPECT_FALSE(P(a).Frame15->isVisible());

}

TEST_F(DeviceTest, WithoutADocumentNothingBreaks)
{
    ui.messages.clear();
    main->ProgramIC();
    main->VerifyIc();
    main->ReadModule();
    main->Snumsetup();
    std::vector<QString> texts;
    for (const auto& m : ui.messages)
        texts.push_back(m.text);
    EXPECT_EQ(texts, (std::vector<QString>{QStringLiteral("      *****   SPD file transfer fails !   *****      "),
                                           QStringLiteral("      *****   PC and Tester's SPD verify fail !    *****      "),
                                           QStringLiteral("*****   Computer reads the DRAM-Module failure !   ***** "),
                                           QStringLiteral("      *****  設定失敗 !   *****      ")}));
    // Nothing was asked of the programmer for them.
    EXPECT_TRUE(sim->received().empty());
    // The commands that work on the programmer's own buffer and settings
    // report their failure too, and send nothing.
    ui.messages.clear();
    main->EraseIC();
    main->BlankIC();
    main->Read_Command();
    main->Copy_Command();
    main->Verify_Command();
    main->LEARN_Command();
    main->EEPROM_512_Command();
    main->Auto_Command();
    main->program_Command();
    texts.clear();
    for (const auto& m : ui.messages)
        texts.push_back(m.text);
    EXPECT_EQ(texts, (std::vector<QString>{QStringLiteral("*****  Tester's SPD clear failure !   *****      "),
                                           QStringLiteral("Load Data Fail"),
                                           QStringLiteral("*****   SPD 讀取失敗 !   *****"),
                                           QStringLiteral("*****   SPD 拷貝失敗 !   *****"),
                                           QStringLiteral("*****   SPD 比對失敗 !   *****"),
                                           QStringLiteral("*****   測試機開路學習失敗 !   *****"),
                                           QStringLiteral("*****  EEPROM容量選擇失敗 !   *****"),
                                           QStringLiteral("      *****   SPD燒錄機,自動燒錄功能失敗 !   *****      "),
                                           QStringLiteral("*****   SPD 多重拷貝失敗 !   *****")}));
    EXPECT_TRUE(sim->received().empty());
    // The status request needs no document.
    main->STATUSIC();
    waitForParse();
    EXPECT_EQ(gs().deviceLink, -1);
    main->mnu_io_setup_Click();
    EXPECT_TRUE(main->Timer1()->isActive());
}

TEST_F(DeviceTest, AFaultInsideAnOperationIsTracedAndTheReadFailsAsEver)
{
    frmDocument* doc = openDocument();
    sim->setBuffer(image(11));
    // The read's success box breaks as a fault of the program's would.
    ui.onMessage = [](const ui::Message& m) {
        if (m.text.contains(QStringLiteral("successfully")))
            throw std::logic_error("the box could not be shown");
    };
    testing::internal::CaptureStderr();
    P(doc).Command2->click();
    const std::string trace = testing::internal::GetCapturedStderr();
    EXPECT_NE(trace.find("velmora: ReadIC failed: the box could not be shown"), std::string::npos) << trace;
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Computer reads the Tester's SPD failure !   ***** "));
    // The window stays, and the device is free again.
    EXPECT_TRUE(main->documents().contains(doc));
    EXPECT_FALSE(P(doc).Frame15->isVisible());
    EXPECT_TRUE(main->Timer1()->isActive());
    EXPECT_TRUE(main->deviceOps().canStartButton());
    EXPECT_EQ(gs().deviceIdle, -1);
}

TEST_F(DeviceTest, AFaultOutOfAButtonsOperationsIsTracedAndTheWindowStays)
{
    frmDocument* doc = openDocument();
    sim->updateKnobs([](sim::Knobs& k) { k.silent = true; });
    // The verify's failure box, shown once its operation has given up,
    // breaks: the fault leaves the operation and reaches the button.
    ui.onMessage = [](const ui::Message& m) {
        if (m.text.contains(QStringLiteral("verify fail")))
            throw std::logic_error("the box could not be shown");
    };
    testing::internal::CaptureStderr();
    P(doc).Command3->click();
    const std::string trace = testing::internal::GetCapturedStderr();
    EXPECT_NE(trace.find("velmora: a device button's operations failed: the box could not be shown"),
              std::string::npos)
        << trace;
    EXPECT_TRUE(main->documents().contains(doc));
    EXPECT_TRUE(main->deviceOps().canStartButton());
    EXPECT_EQ(gs().deviceIdle, -1);
}

// ---------------------------------------------------------------- whose reply is it

TEST_F(DeviceTest, VerifyRightAfterAStatusRequestKeepsItsReply)
{
    frmDocument* doc = openDocument();
    load(doc, image(11));
    sim->setBuffer(image(11));
    main->STATUSIC();
    ASSERT_TRUE(main->Timer2()->isActive());
    ui.messages.clear();
    P(doc).Command3->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   PC and Tester's SPD verify success !    *****    "));
    // The pending parse was held off, as the reads do.
    EXPECT_FALSE(main->Timer2()->isActive());
    ASSERT_EQ(ui.messages.size(), 1u);
    // Its window is asked again once the verify is over.
    waitForRounds(3);
}

TEST_F(DeviceTest, ReadBackStopsAtTheFirstBadHalf)
{
    frmDocument* doc = openDocument();
    load(doc, image(12));
    sim->setBuffer(image(12));
    sim->updateKnobs([](sim::Knobs& k) { k.dataReplyLength = 300; });
    sim->clearLog();
    P(doc).Command3->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   PC and Tester's SPD verify fail !    *****      "));
    EXPECT_EQ(sent(), std::vector<QByteArray>{frameMsg('l')});
    for (int i = 0; i < 512; ++i)
        ASSERT_NE(doc->grid()->cell(i).back, look::kLightBlue) << i;
}

TEST_F(DeviceTest, AWriteToALineThatWentAwayFailsAtOnce)
{
    frmDocument* doc = openDocument();
    load(doc, image(12));
    // The device goes away after the first packets; the pacing ticks are
    // counted from then until the failure is shown.
    bool gone = false;
    int ticksAfterGone = 0;
    int ticksBeforeFailure = -1;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!gone && sim->received().size() >= 5) {
            sim->stop();
            gone = true;
        }
    });
    QObject pacing;
    QObject::connect(main->Timer3(), &QTimer::timeout, &pacing, [&] { ticksAfterGone += gone ? 1 : 0; });
    ui.onMessage = [&](const ui::Message&) {
        if (ticksBeforeFailure < 0)
            ticksBeforeFailure = ticksAfterGone;
    };
    watch.start(2);
    P(doc).Command1->click();
    watch.stop();
    ASSERT_TRUE(gone);
    ASSERT_GE(ticksBeforeFailure, 0);
    EXPECT_EQ(ui.messages.front().text, QStringLiteral("      *****   SPD file transfer fails !   *****      "));
    EXPECT_EQ(ui.messages.front().icon, ui::Icon::Critical);
    // The next packet fails, not one of the 29 or so still to go.
    EXPECT_LE(ticksBeforeFailure, 1);
    EXPECT_EQ(gs().deviceIdle, -1);
}

TEST_F(DeviceTest, ReadsShowTheSelectedByteOfTheNewImage)
{
    frmDocument* doc = openDocument();
    load(doc, image(11));
    doc->spd_l_value_Click(5);
    sim::Bytes512 buf{};
    buf[2] = 11;
    buf[5] = 0xA7;
    sim->setBuffer(buf);
    P(doc).Command2->click();
    EXPECT_EQ(doc->L(QStringLiteral("Label4"))->text(), QStringLiteral("A7"));
    EXPECT_EQ(doc->L(QStringLiteral("Label1"))->text(), QStringLiteral("Byte5"));
}
