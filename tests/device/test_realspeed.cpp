// A few roads at real speed (slow: about 15, 5 and 3 seconds), and the
// blank check, whose reply must come within a bound that a busy machine
// keeps only at real speed.

#include "device/DeviceFixture.h"

#include <QElapsedTimer>
#include <QListWidget>

using velmora::gs;

namespace {

class DeviceRealSpeed : public DeviceTest {
protected:
    double speed() const override { return 1; }
};

} // namespace

TEST_F(DeviceRealSpeed, Ddr4WriteTakesItsPrescribedWaitsAndNoMore)
{
    frmDocument* doc = openDocument();
    load(doc, image(12));
    sim->clearLog();
    QElapsedTimer t;
    t.start();
    P(doc).Command1->click();
    const double seconds = static_cast<double>(t.elapsed()) / 1000.0;
    // 1 s settings, 2 x 1 s status, 32 x 180 ms packets, 2 x 3 s read-back.
    // No wait is cut short, and none is added (a wait for the line to clear
    // would add seconds); how close it stays to its waits on a quiet
    // machine is the benchmark's to measure.
    const double prescribed = 1 + 2 + 32 * 0.18 + 2 * 3;
    EXPECT_GE(seconds, prescribed - 0.05);
    EXPECT_LE(seconds, prescribed + 4.0);
    EXPECT_EQ(sim->buffer(), doc->image());
    EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   SPD file transfer success !   *****      "));
    RecordProperty("seconds", QString::number(seconds, 'f', 2).toStdString());
}

TEST_F(DeviceRealSpeed, StandAloneVerifyTakesItsTwoSeconds)
{
    frmDocument* doc = openDocument();
    sim->setBuffer(sim->module());
    sim->clearLog();
    QElapsedTimer t;
    t.start();
    P(doc).Command7->click();
    EXPECT_NEAR(t.elapsed(), 2000, 300);
    EXPECT_EQ(sent(), std::vector<QByteArray>{frameMsg('v')});
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DeviceRealSpeed, OptionCommand)
{
    openDocument();
    sim->clearLog();
    QElapsedTimer t;
    t.start();
    main->EEPROM_512_Command();
    EXPECT_NEAR(t.elapsed(), 2000, 300);
    EXPECT_EQ(sent(), std::vector<QByteArray>{shortMsg('B')});
    EXPECT_EQ(sim->settings()[10], 2);
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   EEPROM容量設定為512 BYTE !   *****      "));
}

// The blank check's reply must begin within 2.35 s of the program's time
// after its request: at real speed a busy machine's simulator keeps that (at
// four times real speed it sometimes did not).
TEST_F(DeviceRealSpeed, BlankCheckWaitsForAReplyThatCanHaveArrived)
{
    // Every whole-second wait starts at the end of a second: on its own the
    // blank check's would be over long before 512 characters can cross the
    // line (and the window's load waits only for its parse).
    vclock::clock().setFixedNow(QDateTime(QDate(2024, 3, 5), QTime(10, 0, 0, 990)));
    openDocument();
    sim::Bytes512 buf;
    buf.fill(0xFF);
    sim->setBuffer(buf);
    ui.messages.clear();
    main->BlankIC();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   PC Load Data is OK !   *****      "));
    buf[400] = 0x00;
    sim->setBuffer(buf);
    main->BlankIC();
    EXPECT_EQ(ui.messages[1].text, QStringLiteral("The IC is not Blank"));
}
