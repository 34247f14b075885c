#include "support/ScriptedUi.h"
#include "support/TestEnv.h"
#include "wizard/Frmwarez1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using velmora::gs;
using Record = std::array<std::int16_t, 16>;

namespace {

class WizardDialogTest : public ProgramStateTest {
protected:
    // Runs the wizard modally as the main window does (answers and flag
    // zeroed first); drive clicks its buttons. Returns the result code.
    int run(const std::function<void(Frmwarez1&)>& drive)
    {
        gs().wizardAnswers.fill(0);
        gs().wizardFinished = 0;
        Frmwarez1 dlg;
        ui.dialogHandlers.push_back([&](QDialog* d) {
            drive(*qobject_cast<Frmwarez1*>(d));
            return d->result();
        });
        return ui::seam().exec(&dlg);
    }
    static void next(Frmwarez1& d, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            d.Command3()->click();
    }
    // The one page frame on show.
    static QString pageShown(Frmwarez1& d)
    {
        QString shown;
        for (QGroupBox* f : d.findChildren<QGroupBox*>())
            if (!f->isHidden())
                shown += f->objectName();
        return shown;
    }
    static std::array<bool, 3> buttons(Frmwarez1& d)
    {
        return {d.Command2()->isEnabled(), d.Command3()->isEnabled(), d.Command4()->isEnabled()};
    }

    ScriptedUi ui;
};

} // namespace

TEST_F(WizardDialogTest, DefaultRunOfEachTypeFillsTheWholeRecord)
{
    // Type, speed, ECC, row, column, ranks, CL, tRP, tRCD, tRAS, width,
    // size, -, density, banks, refresh.
    const Record expected[5] = {
        {1, 3, 1, 12, 10, 1, 2, 3, 3, 7, 1, 1, 0, 32, 4, 156},
        {2, 7, 1, 13, 10, 1, 3, 3, 3, 7, 1, 2, 0, 64, 4, 78},
        {3, 11, 1, 14, 10, 1, 3, 5, 5, 15, 1, 4, 0, 1, 8, 78},
        {4, 15, 1, 14, 10, 1, 5, 9, 9, 24, 1, 4, 0, 64, 8, 78},
        {5, 18, 1, 0, 0, 1, 15, 15, 15, 35, 1, 1, 0, 0, 4, 78},
    };
    for (int t = 1; t <= 5; ++t) {
        gs().wizardTexts = {QStringLiteral("old"), QStringLiteral("old"), QString()};
        const int rc = run([&](Frmwarez1& d) {
            d.optRamType(t - 1)->click();
            next(d, 4);
            d.Command4()->click();
        });
        EXPECT_EQ(rc, QDialog::Accepted);
        EXPECT_EQ(gs().wizardAnswers, expected[t - 1]) << "type " << t;
        EXPECT_EQ(gs().wizardTexts[0], QString());
        EXPECT_EQ(gs().wizardTexts[1], QString());
        EXPECT_EQ(gs().wizardFinished, -1);
    }
}

TEST_F(WizardDialogTest, PagesAndButtonsFollowTheStepCounter)
{
    run([&](Frmwarez1& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("SPD Wizard"));
        EXPECT_EQ(pageShown(d), QStringLiteral("Frame1"));
        EXPECT_TRUE(d.optRamType(0)->isChecked());
        EXPECT_EQ(buttons(d), (std::array<bool, 3>{false, true, false}));
        EXPECT_TRUE(d.Command1()->isEnabled());
        // Esc is answered by no button.
        int closed = 0;
        QObject::connect(&d, &QDialog::finished, [&] { ++closed; });
        QTest::keyClick(&d, Qt::Key_Escape);
        EXPECT_EQ(closed, 0);

        const char* pages[] = {"FraSDRFreq", "fraDramIC", "fraDramTime", "fraInfo"};
        for (int s = 1; s <= 4; ++s) {
            next(d);
            EXPECT_EQ(d.step(), s);
            EXPECT_EQ(pageShown(d), QString::fromLatin1(pages[s - 1]));
            EXPECT_EQ(d.speedFrame(1)->geometry(), d.Frame1()->geometry());
        }
        EXPECT_EQ(buttons(d), (std::array<bool, 3>{true, false, true}));
        for (int s = 3; s >= 0; --s)
            d.Command2()->click();
        EXPECT_EQ(pageShown(d), QStringLiteral("Frame1"));
        EXPECT_EQ(buttons(d), (std::array<bool, 3>{false, true, false}));
        d.Command1()->click();
    });
    EXPECT_EQ(gs().wizardFinished, 0);
}

TEST_F(WizardDialogTest, GoingBackResetsSpeedAndListsButKeepsTypeEccAndTimings)
{
    run([&](Frmwarez1& d) {
        // A DDR4 visit leaves no DDR4 code behind once SDRAM is chosen.
        d.optRamType(4)->click();
        next(d);
        d.Command2()->click();
        EXPECT_TRUE(d.optRamType(4)->isChecked());
        d.optRamType(0)->click();
        next(d);
        EXPECT_EQ(pageShown(d), QStringLiteral("FraSDRFreq"));
        EXPECT_TRUE(d.speedOption(1, 2)->isChecked());
        d.speedOption(1, 0)->click();
        next(d);
        d.Command2()->click();
        EXPECT_TRUE(d.speedOption(1, 2)->isChecked());
        next(d);
        EXPECT_EQ(gs().wizardAnswers[1], 3);

        // Parameter lists: defaults again after a trip back; ECC stays.
        d.Check1()->setChecked(true);
        d.CboSize()->setCurrentIndex(4);
        d.CboSide()->setCurrentIndex(1);
        next(d);
        d.Command2()->click();
        d.Command2()->click();
        next(d);
        EXPECT_EQ(d.CboSize()->currentIndex(), 1);
        EXPECT_EQ(d.CboSide()->currentIndex(), 0);
        EXPECT_EQ(d.CboDataWidth()->count(), 3);
        EXPECT_TRUE(d.Check1()->isChecked());
        d.CboSide()->setCurrentIndex(1);
        next(d);
        EXPECT_EQ(gs().wizardAnswers[2], 2);
        EXPECT_EQ(gs().wizardAnswers[5], 2);

        // Timing choices stand across the manufacturer page; only tRP moves element 7.
        d.cbotrp()->setCurrentIndex(2);
        next(d);
        EXPECT_EQ(gs().wizardAnswers[7], 4);
        EXPECT_EQ(gs().wizardAnswers[8], 3);
        d.Text1()->setText(QStringLiteral("7F"));
        d.Command2()->click();
        EXPECT_EQ(d.cbotrp()->currentIndex(), 2);
        d.cbotras()->setCurrentIndex(0);
        next(d);
        EXPECT_EQ(d.Text1()->text(), QString());
        EXPECT_EQ(gs().wizardAnswers[9], 4);
        d.Text1()->setText(QStringLiteral("  7F7F9E  "));
        d.Text2()->setText(QStringLiteral(" ABC  "));
        d.Command4()->click();
    });
    EXPECT_EQ(gs().wizardTexts[0], QStringLiteral("7F7F9E"));
    EXPECT_EQ(gs().wizardTexts[1], QStringLiteral("ABC"));
}

TEST_F(WizardDialogTest, TypeChangeRefillsTheTimingLists)
{
    run([&](Frmwarez1& d) {
        d.optRamType(1)->click();
        next(d, 3);
        EXPECT_EQ(d.cbotcl()->count(), 9);
        for (int i = 0; i < 3; ++i)
            d.Command2()->click();
        d.optRamType(3)->click();
        next(d, 3);
        EXPECT_EQ(d.cbotcl()->count(), 18);
        EXPECT_EQ(d.cbotras()->count(), 21);
        EXPECT_EQ(d.cbotcl()->currentText(), QStringLiteral("9T"));
        d.Command1()->click();
    });
}

TEST_F(WizardDialogTest, SdramAt166MHzAndDdr2WithoutATableRowRecordSoundValues)
{
    run([&](Frmwarez1& d) {
        next(d);
        d.speedOption(1, 3)->click();
        next(d, 3);
        d.Command4()->click();
    });
    EXPECT_EQ(gs().wizardAnswers[1], 4);
    EXPECT_EQ((std::array<int, 4>{gs().wizardAnswers[6], gs().wizardAnswers[7], gs().wizardAnswers[8],
                                  gs().wizardAnswers[9]}),
              (std::array<int, 4>{2, 3, 3, 7}));

    // DDR2 "128 Mb" x 16 after a pass with "128 Mb" x 8 in the same run.
    run([&](Frmwarez1& d) {
        d.optRamType(2)->click();
        next(d, 3);
        EXPECT_EQ(gs().wizardAnswers[3], 14);
        d.Command2()->click();
        d.CboDataWidth()->setCurrentIndex(2);
        next(d, 2);
        d.Command4()->click();
    });
    const auto& a = gs().wizardAnswers;
    EXPECT_EQ((std::array<int, 5>{a[3], a[4], a[13], a[14], a[15]}), (std::array<int, 5>{13, 10, 64, 4, 78}));
    for (int v : a)
        EXPECT_GE(v, 0);
}

TEST_F(WizardDialogTest, CancelAndTheCloseBoxLeaveTheFlagDown)
{
    gs().wizardTexts = {QStringLiteral("7F"), QStringLiteral("X"), QString()};
    const int rc = run([&](Frmwarez1& d) {
        next(d, 3);
        d.Text1()->setText(QStringLiteral("9E"));
        d.Command1()->click();
    });
    EXPECT_EQ(rc, QDialog::Rejected);
    EXPECT_EQ(gs().wizardFinished, 0);
    // Recorded up to the timing page; timings and texts untouched.
    EXPECT_EQ(gs().wizardAnswers, (Record{1, 3, 1, 12, 10, 1, 0, 0, 0, 0, 1, 1, 0, 32, 4, 156}));
    EXPECT_EQ(gs().wizardTexts[0], QStringLiteral("7F"));

    run([&](Frmwarez1& d) {
        d.show();
        next(d, 4);
        d.close();
    });
    EXPECT_EQ(gs().wizardFinished, 0);
}

// The keyboard alone: Space on the focused button walks to the last page,
// where the identifier box has the focus; Enter and Esc in the boxes press
// nothing; only "Finish" itself records the texts.
TEST_F(WizardDialogTest, KeyboardReachesTheManufacturerPageAndEnterPressesNothing)
{
    int closed = 0;
    run([&](Frmwarez1& d) {
        QObject::connect(&d, &QDialog::finished, [&] { ++closed; });
        d.show();
        d.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        for (int s = 1; s <= 4; ++s) {
            ASSERT_EQ(d.focusWidget(), d.Command3()) << s;
            QTest::keyClick(d.focusWidget(), Qt::Key_Space);
            ASSERT_EQ(d.step(), s);
        }
        EXPECT_EQ(d.focusWidget(), d.Text1());

        QTest::keyClicks(d.focusWidget(), QStringLiteral(" 7F7F9E "));
        QTest::keyClick(d.focusWidget(), Qt::Key_Return);
        QTest::keyClick(d.focusWidget(), Qt::Key_Enter);
        QTest::keyClick(d.focusWidget(), Qt::Key_Escape);
        d.Text2()->setFocus();
        QTest::keyClicks(d.Text2(), QStringLiteral("M393A"));
        QTest::keyClick(d.Text2(), Qt::Key_Return);
        QTest::keyClick(d.Text2(), Qt::Key_Escape);
        EXPECT_EQ(closed, 0);
        EXPECT_EQ(d.step(), 4);
        EXPECT_EQ(gs().wizardFinished, 0);
        EXPECT_TRUE(gs().wizardTexts[0].isEmpty());

        // The focused button answers Space, not Enter.
        d.Command4()->setFocus();
        QTest::keyClick(d.Command4(), Qt::Key_Return);
        EXPECT_EQ(closed, 0);
        QTest::keyClick(d.Command4(), Qt::Key_Space);
        EXPECT_EQ(closed, 1);
    });
    EXPECT_EQ(gs().wizardFinished, -1);
    EXPECT_EQ(gs().wizardTexts[0], QStringLiteral("7F7F9E"));
    EXPECT_EQ(gs().wizardTexts[1], QStringLiteral("M393A"));
}
