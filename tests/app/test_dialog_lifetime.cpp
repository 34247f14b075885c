// A document closed while a dialog works on it (the manufacturer dialog,
// the XMP wizard, the print dialog): the dialog's result still goes into the
// window that was asked about, and the window closes afterwards, asking
// about its changes as any close does. An exit asked for under the SPD
// wizard waits for the window it builds, and asks about it.

#include "support/Wait.h"
#include "app/SpdFile.h"
#include "support/IsolatedMain.h"
#include "support/ScriptedUi.h"
#include "wizard/Frmwarez1.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

using velmora::gs;

namespace {

class DialogLifetimeTest : public IsolatedMainTest {
protected:
    void SetUp() override
    {
        IsolatedMainTest::SetUp();
        main = std::make_unique<frmMain>();
        gs().passwordMode = -1;
    }

    frmDocument* openCorpus(const char* name)
    {
        frmDocument* d = main->openImage(testData(QStringLiteral("corpus/") + QString::fromLatin1(name)));
        testwait::until([this] { return !main->Timer2()->isActive(); }, 10000);
        ui.messages.clear();
        return d;
    }

    // The next modal dialog: the user confirms a change of byte `at` to
    // `value` (raising `flag`), while the document is closed behind it.
    void confirmWhileClosing(int at, int value, std::int16_t& flag)
    {
        ui.dialogHandlers.push_back([this, at, value, &flag](QDialog*) {
            gs().sharedSpd[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(value);
            flag = -1;
            main->mnuFileCloseAll_Click();
            return static_cast<int>(QDialog::Accepted);
        });
    }

    // The window closes once the command is over; "No" to the save question.
    void expectClosedAfterwards(QPointer<frmDocument>& doc)
    {
        ui.answers = {ui::Answer::No};
        testwait::until([&] { return doc.isNull(); }, 3000);
        EXPECT_TRUE(doc.isNull());
        ASSERT_FALSE(ui.messages.empty());
        EXPECT_EQ(ui.lastText(), QStringLiteral(" SPD File has been modified , Save the file (Y/N) ?  "));
    }

    ScriptedUi ui;
};

} // namespace

TEST_F(DialogLifetimeTest, ManufacturerDialog)
{
    QPointer<frmDocument> doc = openCorpus("memtest86plus_DDR4-M393A1G40EB1-CPB.bin");
    ASSERT_FALSE(doc.isNull());
    confirmWhileClosing(322, 0x5A, gs().mftSetup);
    main->mnu_mft_setup_Click();
    ASSERT_FALSE(doc.isNull());
    EXPECT_EQ(doc->Get_Value(322), 0x5A);
    expectClosedAfterwards(doc);
}

TEST_F(DialogLifetimeTest, XmpWizard)
{
    QPointer<frmDocument> doc = openCorpus("memtest86plus_DDR4-M393A1G40EB1-CRC.bin");
    ASSERT_FALSE(doc.isNull());
    confirmWhileClosing(400, 0x77, gs().xmpChanged);
    main->mnu_xmp_wiz_Click();
    ASSERT_FALSE(doc.isNull());
    EXPECT_EQ(doc->Get_Value(400), 0x77);
    expectClosedAfterwards(doc);
}

TEST_F(DialogLifetimeTest, PrintDialog)
{
    // The print dialog is answered with Cancel after the close was asked for.
    class ClosingUi : public ScriptedUi {
    public:
        frmMain* main = nullptr;
        bool choosePrinter(QWidget*, QPrinter*) override
        {
            main->mnuFileCloseAll_Click();
            return false;
        }
    };
    QPointer<frmDocument> doc = openCorpus("memtest86plus_DDR3-M378B5173DB0-CK0.bin");
    ASSERT_FALSE(doc.isNull());
    {
        ClosingUi closing;
        closing.main = main.get();
        main->mnuFilePrint_Click();
        EXPECT_FALSE(doc.isNull());
        testwait::until([&] { return doc.isNull(); }, 3000);
    }
    EXPECT_TRUE(doc.isNull());
    EXPECT_TRUE(main->documents().isEmpty());
}

TEST_F(DialogLifetimeTest, ExitUnderTheSpdWizard)
{
    // "No" to every save question, whenever the new window's link report
    // comes.
    class NoToSaving : public ScriptedUi {
    public:
        ui::Answer message(QWidget* w, const ui::Message& m) override
        {
            const ui::Answer a = ScriptedUi::message(w, m);
            return m.buttons == ui::Buttons::YesNoCancel ? ui::Answer::No : a;
        }
    } scripted;

    // An unmodified window is open beside the wizard; the user asks to end
    // the program while the wizard is open, then presses "Finish".
    QPointer<frmDocument> other = openCorpus("memtest86plus_DDR3-M378B5173DB0-CK0.bin");
    ASSERT_FALSE(other.isNull());
    main->show();
    bool stillOpen = false;
    scripted.dialogHandlers.push_back([&](QDialog* d) {
        auto* w = qobject_cast<Frmwarez1*>(d);
        main->close();
        stillOpen = main->isVisible() && !other.isNull();
        for (int s = 1; s <= 4; ++s)
            w->Command3()->click();
        w->Text2()->setText(QStringLiteral("PART"));
        w->Command4()->click();
        return d->result();
    });
    main->mnuFileWarez_Click();
    EXPECT_TRUE(stillOpen);

    // The wizard's window stands, modified; then the exit goes on and asks
    // about it ("No": it closes unsaved), and the program ends.
    testwait::until([&] { return !main->isVisible(); });
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(main->documents().isEmpty());
    EXPECT_TRUE(other.isNull());
    // Besides the new window's link report, the one question, about it.
    std::vector<ui::Message> questions;
    for (const ui::Message& m : scripted.messages)
        if (m.buttons == ui::Buttons::YesNoCancel)
            questions.push_back(m);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].text, QStringLiteral(" SPD File has been modified , Save the file (Y/N) ?  "));
    EXPECT_EQ(questions[0].title, QStringLiteral("SPD_File 2*"));
}

TEST_F(DialogLifetimeTest, ExitUnderTheSpdWizardGoesOnAfterCancel)
{
    main->show();
    ui.dialogHandlers.push_back([&](QDialog* d) {
        main->close();
        EXPECT_TRUE(main->isVisible());
        qobject_cast<Frmwarez1*>(d)->Command1()->click();
        return d->result();
    });
    main->mnuFileWarez_Click();
    testwait::until([&] { return !main->isVisible(); });
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DialogLifetimeTest, CancelToTheQuestionAfterTheWizardKeepsItsWindow)
{
    // "Cancel" when the exit that waited for the wizard asks about its window.
    class CancelSaving : public ScriptedUi {
    public:
        ui::Answer message(QWidget* w, const ui::Message& m) override
        {
            const ui::Answer a = ScriptedUi::message(w, m);
            if (m.buttons == ui::Buttons::YesNoCancel)
                ++asked;
            return m.buttons == ui::Buttons::YesNoCancel ? ui::Answer::Cancel : a;
        }
        int asked = 0;
    } scripted;
    main->show();
    scripted.dialogHandlers.push_back([&](QDialog* d) {
        auto* w = qobject_cast<Frmwarez1*>(d);
        main->close();
        for (int s = 1; s <= 4; ++s)
            w->Command3()->click();
        w->Text2()->setText(QStringLiteral("PART"));
        w->Command4()->click();
        return d->result();
    });
    main->mnuFileWarez_Click();
    testwait::until([&] { return scripted.asked > 0; });
    testwait::until([&] { return !main->Timer2()->isActive(); }, 10000);
    // The program goes on, with the wizard's window and its image.
    EXPECT_EQ(scripted.asked, 1);
    EXPECT_TRUE(main->isVisible());
    ASSERT_EQ(main->documents().size(), 1);
    frmDocument* built = main->documents().first();
    EXPECT_EQ(built->Chk_Form_Chang(), -1);
    EXPECT_NE(built->Get_Value(2), 0);
}
