// A document closed while a dialog works on it (the manufacturer dialog,
// the XMP wizard, the print dialog): the dialog's result still goes into the
// window that was asked about, and the window closes afterwards, asking
// about its changes as any close does.

#include "support/Wait.h"
#include "app/SpdFile.h"
#include "support/IsolatedMain.h"
#include "support/ScriptedUi.h"

#include <QCoreApplication>
#include <QDialog>
#include <QPointer>
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
