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

TEST_F(MftDialogTest, Ddr3AndDdr4LayoutsByType)
{
    open(11, [](velmora::SpdImage& b) {
        b[117] = 0x80;
        b[118] = 0xCE;
        b[147] = 0x5A;
        b[148] = 0x83;
        b[149] = 0x0B;
    });
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("DDR3 製造資訊"));
    EXPECT_FALSE(dlg->Frame1()->isHidden());
    EXPECT_TRUE(dlg->Frame2()->isHidden());
    const char* ddr3[] = {"(117-118)", "(119)", "(120-121)", "(122-125)", "(128-145)", "(146-147)", "(150-175)", "(148-149)"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(dlg->label(QStringLiteral("Lab1(%1)").arg(i))->text(), QString::fromLatin1(ddr3[i]));
    EXPECT_FALSE(dlg->list(QStringLiteral("REV2"))->isHidden());
    EXPECT_EQ(pick("REV2"), 0x5A);
    EXPECT_EQ(dlg->list(QStringLiteral("JID1"))->count(), 256);
    EXPECT_EQ(dlg->list(QStringLiteral("JID1"))->itemText(0xAB), QStringLiteral("AB"));
    EXPECT_EQ(dlg->list(QStringLiteral("YEAR"))->itemText(7), QStringLiteral("07"));
    EXPECT_EQ(dlg->list(QStringLiteral("WEEK"))->count(), 54);
    EXPECT_EQ(dlg->list(QStringLiteral("WEEK"))->itemText(53), QStringLiteral("53"));
    EXPECT_EQ(lab("Label2"), QStringLiteral("(SAMSUNG)"));
    EXPECT_EQ(lab("Label11"), QStringLiteral("(NANYA TECHNOLOGY)"));

    // Each name follows its own pair of lists at once; a count of 7 or more
    // names nobody.
    choose("JID1", 0x02);
    EXPECT_EQ(lab("Label2"), QStringLiteral("(PYCON)"));  // 7F7FCE
    choose("JID2", 0x01);
    EXPECT_EQ(lab("Label2"), QStringLiteral("(CAMINTONN CORPORATION)"));
    choose("JID3", 0x87);
    EXPECT_EQ(lab("Label11"), QString());
    EXPECT_EQ(lab("Label2"), QStringLiteral("(CAMINTONN CORPORATION)"));

    open(12);
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("DDR4 製造資訊"));
    const char* ddr4[] = {"(320-321)", "(322)", "(323-324)", "(325-328)", "(329-348)", "(349)", "(353-381)", "(350-351)"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(dlg->label(QStringLiteral("Lab1(%1)").arg(i))->text(), QString::fromLatin1(ddr4[i]));
    EXPECT_TRUE(dlg->list(QStringLiteral("REV2"))->isHidden());
    EXPECT_FALSE(dlg->Command2()->isHidden());
    EXPECT_FALSE(dlg->Command3()->isHidden());
}

TEST_F(MftDialogTest, Ddr2LayoutServesEveryOtherType)
{
    open(8, [](velmora::SpdImage& b) {
        b[64] = 0x7F;
        b[65] = 0x7F;
        b[66] = 0x9E;
        b[93] = 0xA5;
        b[94] = 0x54;
    });
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("DDR2 製造資訊"));
    EXPECT_TRUE(dlg->Frame1()->isHidden());
    EXPECT_FALSE(dlg->Frame2()->isHidden());
    EXPECT_EQ(lab("Lab1(9)"), QStringLiteral("(64-71)"));
    EXPECT_EQ(lab("Lab1(15)"), QStringLiteral("(99-127)"));
    EXPECT_EQ(lab("Label15"), QStringLiteral("(CORSAIR)"));
    EXPECT_EQ(pick("MYEAR"), 0);
    EXPECT_EQ(pick("MWEEK"), 0);
    choose("D2ID(2)", 0);
    EXPECT_EQ(lab("Label15"), QString());  // 7F7F
    choose("D2ID(7)", 0x9E);               // zeros between are skipped
    EXPECT_EQ(lab("Label15"), QStringLiteral("(CORSAIR)"));

    // Types without a block are shown, but offer nothing to write.
    open(7);
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("DDR 製造資訊"));
    EXPECT_FALSE(dlg->Frame2()->isHidden());
    EXPECT_TRUE(dlg->Command2()->isHidden());
    EXPECT_TRUE(dlg->Command3()->isHidden());
    EXPECT_FALSE(dlg->Command1()->isHidden());
    open(4);
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Manufacturer Information"));
    EXPECT_TRUE(dlg->Command2()->isHidden());
}

TEST_F(MftDialogTest, DateStampAndTodayLabel)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::Taiwan));
    open(12, [](velmora::SpdImage& b) {
        b[323] = 0x17;
        b[324] = 0x10;
    });
    QLocale::setDefault(before);
    EXPECT_EQ(lab("Label5"), QStringLiteral("2024/5/17  20 weeks"));
    QCheckBox* box = dlg->check(QStringLiteral("Check1"));
    box->click();
    EXPECT_EQ(pick("YEAR"), 24);
    EXPECT_EQ(pick("WEEK"), 20);
    choose("WEEK", 3);
    box->click();  // clearing changes nothing
    EXPECT_EQ(pick("WEEK"), 3);
    box->click();
    EXPECT_EQ(pick("WEEK"), 20);

    // The year comes from the same day as the week, not from the start of
    // the program.
    gs().currentYear = 2024;
    vclock::clock().setFixedNow(QDateTime(QDate(2025, 1, 2), QTime(9, 0)));
    open(8);
    dlg->check(QStringLiteral("Check2"))->click();
    EXPECT_EQ(pick("MYEAR"), 25);
    EXPECT_EQ(pick("MWEEK"), 1);
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
    EXPECT_EQ(ui.messages[0].icon, ui::Icon::None);
    EXPECT_EQ(ui.messages[1].text, QStringLiteral("*** Clear Manufacturer Information ***"));
    EXPECT_EQ(ui.messages[1].title, QStringLiteral("Clear"));
    EXPECT_EQ(gs().sharedSpd, loaded);
    EXPECT_EQ(gs().mftSetup, 0);

    ui.answers = {ui::Answer::Yes};
    dlg->Command2_Click();
    EXPECT_EQ(gs().mftSetup, -1);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    velmora::SpdImage want = loaded;
    want[122] = 0x42;
    want[128] = 'P';
    want[129] = 'N';
    EXPECT_EQ(gs().sharedSpd, want);

    open(11, [](velmora::SpdImage& b) { b.fill(0x11); b[2] = 11; });
    gs().mftSetup = 0;
    ui.answers = {ui::Answer::Yes};
    dlg->Command3_Click();
    EXPECT_EQ(gs().mftSetup, -1);
    EXPECT_EQ(gs().sharedSpd[116], 0x11);
    EXPECT_EQ(gs().sharedSpd[117], 0);
    EXPECT_EQ(gs().sharedSpd[126], 0);
    EXPECT_EQ(gs().sharedSpd[175], 0);
    EXPECT_EQ(gs().sharedSpd[176], 0x11);
}

TEST_F(MftDialogTest, RestrictedModeOffersOnlyClose)
{
    gs().passwordMode = 0;
    open(12);
    EXPECT_TRUE(dlg->Command2()->isHidden());
    EXPECT_TRUE(dlg->Command3()->isHidden());
    const velmora::SpdImage loaded = gs().sharedSpd;
    dlg->Command3_Click();
    dlg->Command2_Click();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(gs().sharedSpd, loaded);
    EXPECT_EQ(gs().mftSetup, 0);
    dlg->Command1_Click();
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
}
