#include "editors/frmmft.h"
#include "support/ScriptedUi.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <memory>
#include <tuple>

using velmora::gs;

namespace {

class MftDialogTest : public ProgramStateTest {
protected:
    void SetUp() override
    {
        ProgramStateTest::SetUp();
        vclock::clock().setFixedNow(QDateTime(QDate(2024, 5, 17), QTime(9, 0)));
        gs().passwordMode = -1;
    }

    // Opens the dialog on an image whose byte 2 is type, as the main window
    // leaves the shared buffer.
    frmmft& open(int type, const std::function<void(velmora::SpdImage&)>& fill = nullptr)
    {
        gs().sharedSpd = {};
        gs().sharedSpd[2] = static_cast<std::uint8_t>(type);
        if (fill)
            fill(gs().sharedSpd);
        gs().currentMemoryType = type;
        dlg = std::make_unique<frmmft>();
        dlg->Form_Load();
        return *dlg;
    }
    QString lab(const char* name) const { return dlg->label(QString::fromLatin1(name))->text(); }
    int pick(const char* name) const { return dlg->list(QString::fromLatin1(name))->currentIndex(); }
    void choose(const char* name, int i) { dlg->list(QString::fromLatin1(name))->setCurrentIndex(i); }

    ScriptedUi ui;
    std::unique_ptr<frmmft> dlg;
};

} // namespace

TEST_F(MftDialogTest, LayoutsCaptionsAndNamesByType)
{
    open(11, [](velmora::SpdImage& b) {
        b[117] = 0x80;
        b[118] = 0xCE;
        b[148] = 0x83;
        b[149] = 0x0B;
    });
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("DDR3 製造資訊"));
    EXPECT_TRUE(dlg->Frame2()->isHidden());
    EXPECT_EQ(lab("Lab1(4)"), QStringLiteral("(128-145)"));
    EXPECT_EQ(lab("Lab1(7)"), QStringLiteral("(148-149)"));
    EXPECT_EQ(lab("Label2"), QStringLiteral("(SAMSUNG)"));
    EXPECT_EQ(lab("Label11"), QStringLiteral("(NANYA TECHNOLOGY)"));
    // Each name follows its own pair of lists at once; a count of 7 or more
    // names nobody.
    choose("JID1", 0x02);
    choose("JID2", 0x01);
    EXPECT_EQ(lab("Label2"), QStringLiteral("(CAMINTONN CORPORATION)"));
    choose("JID3", 0x87);
    EXPECT_EQ(lab("Label11"), QString());

    open(12);
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("DDR4 製造資訊"));
    EXPECT_EQ(lab("Lab1(5)"), QStringLiteral("(349)"));
    EXPECT_TRUE(dlg->list(QStringLiteral("REV2"))->isHidden());
    EXPECT_FALSE(dlg->Command3()->isHidden());

    open(8, [](velmora::SpdImage& b) {
        b[64] = 0x7F;
        b[65] = 0x7F;
        b[66] = 0x9E;
    });
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("DDR2 製造資訊"));
    EXPECT_TRUE(dlg->Frame1()->isHidden());
    EXPECT_EQ(lab("Label15"), QStringLiteral("(CORSAIR)"));
    choose("D2ID(2)", 0);
    EXPECT_EQ(lab("Label15"), QString());  // 7F7F
    choose("D2ID(7)", 0x9E);               // zeros between are skipped
    EXPECT_EQ(lab("Label15"), QStringLiteral("(CORSAIR)"));

    // Types without a block are shown in the DDR2 layout with Close only.
    open(7);
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("DDR 製造資訊"));
    EXPECT_FALSE(dlg->Frame2()->isHidden());
    EXPECT_TRUE(dlg->Command2()->isHidden());
    EXPECT_TRUE(dlg->Command3()->isHidden());
    open(4);
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Manufacturer Information"));
}

TEST_F(MftDialogTest, DateStampAndTodayLabel)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::Taiwan));
    open(12);
    QLocale::setDefault(before);
    EXPECT_EQ(lab("Label5"), QStringLiteral("2024/5/17  20 weeks"));
    QCheckBox* box = dlg->check(QStringLiteral("Check1"));
    box->click();
    EXPECT_EQ(pick("YEAR"), 24);
    EXPECT_EQ(pick("WEEK"), 20);
    choose("WEEK", 3);
    box->click();  // clearing changes nothing
    EXPECT_EQ(pick("WEEK"), 3);

    // The year comes from the same day as the week, not from the start of
    // the program.
    gs().currentYear = 2024;
    vclock::clock().setFixedNow(QDateTime(QDate(2025, 1, 2), QTime(9, 0)));
    open(8);
    dlg->check(QStringLiteral("Check2"))->click();
    EXPECT_EQ(pick("MYEAR"), 25);
    EXPECT_EQ(pick("MWEEK"), 1);
}

TEST_F(MftDialogTest, WeekListsOfferWeeks0To53)
{
    // The week byte of each layout holding week 53 in BCD.
    const std::tuple<int, int, const char*> layouts[] = {{8, 94, "MWEEK"}, {11, 121, "WEEK"}, {12, 324, "WEEK"}};
    for (auto [type, at, name] : layouts) {
        SCOPED_TRACE(type);
        open(type, [at = at](velmora::SpdImage& b) { b[static_cast<std::size_t>(at)] = 0x53; });
        QComboBox* weeks = dlg->list(QString::fromLatin1(name));
        ASSERT_EQ(weeks->count(), 54);
        EXPECT_EQ(weeks->itemText(0), QStringLiteral("0"));
        EXPECT_EQ(weeks->itemText(53), QStringLiteral("53"));
        EXPECT_EQ(weeks->currentIndex(), 53);
        ui.answers = {ui::Answer::Yes};
        dlg->Command2_Click();
        EXPECT_EQ(gs().sharedSpd[static_cast<std::size_t>(at)], 0x53);
    }
}

TEST_F(MftDialogTest, SetupAndClearChangeTheBufferOnlyOnYes)
{
    open(11, [](velmora::SpdImage& b) {
        b[126] = 0x34;
        b[150] = 0x01;  // binary maker's data
        b[151] = 'K';
    });
    const velmora::SpdImage loaded = gs().sharedSpd;
    choose("SNUM(0)", 0x42);
    dlg->text(QStringLiteral("Text1"))->setText(QStringLiteral("PN"));

    ui.answers = {ui::Answer::No, ui::Answer::No};
    dlg->Command2_Click();
    dlg->Command3_Click();
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("*** Module Manufacturer's Information Setup ***"));
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Setup"));
    EXPECT_EQ(ui.messages[0].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(ui.messages[1].text, QStringLiteral("*** Clear Manufacturer Information ***"));
    EXPECT_EQ(ui.messages[1].title, QStringLiteral("Clear"));
    EXPECT_EQ(gs().sharedSpd, loaded);
    EXPECT_EQ(gs().mftSetup, 0);

    ui.answers = {ui::Answer::Yes};
    dlg->Command2_Click();
    EXPECT_EQ(gs().mftSetup, -1);
    velmora::SpdImage want = loaded;
    want[122] = 0x42;
    want[128] = 'P';
    want[129] = 'N';
    EXPECT_EQ(gs().sharedSpd, want);
}
