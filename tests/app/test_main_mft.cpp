#include "app/SpdFile.h"
#include "app/frmMain.h"
#include "document/HexGrid.h"
#include "document/frmDocument.h"
#include "editors/frmmft.h"
#include "platform/SettingsStore.h"
#include "support/IsolatedMain.h"
#include "support/ScriptedUi.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>

using velmora::gs;

namespace {

// CRC-16 of the SPD layouts, written out bit by bit.
std::uint16_t crcOf(const velmora::SpdImage& img, int first, int last)
{
    std::uint16_t crc = 0;
    for (int i = first; i <= last; ++i) {
        crc ^= static_cast<std::uint16_t>(img[static_cast<std::size_t>(i)] << 8);
        for (int k = 0; k < 8; ++k)
            crc = (crc & 0x8000) ? static_cast<std::uint16_t>((crc << 1) ^ 0x1021) : static_cast<std::uint16_t>(crc << 1);
    }
    return crc;
}

class MainMftTest : public IsolatedMainTest {
protected:
    void SetUp() override
    {
        IsolatedMainTest::SetUp();
        main = std::make_unique<frmMain>();
        velmora::gs().passwordMode = -1;
    }

    // Opens a corpus image, with byte 0 replaced when byte0 >= 0.
    frmDocument* openCorpus(const char* name, int byte0 = -1)
    {
        auto r = spdfile::read(testData(QStringLiteral("corpus/") + QString::fromLatin1(name)));
        EXPECT_TRUE(r.ok);
        velmora::SpdImage img{};
        std::copy(r.bytes.begin(), r.bytes.end(), img.begin());
        if (byte0 >= 0)
            img[0] = static_cast<std::uint8_t>(byte0);
        const QString path = dir.filePath(QString::fromLatin1(name));
        QString e;
        EXPECT_TRUE(spdfile::write(path, img, &e));
        return main->openImage(path);
    }

    // Runs the command; the dialog is driven by act.
    void run(const std::function<void(frmmft&)>& act, const char* road = "mnu_mft_setup")
    {
        ui.dialogHandlers.push_back([act](QDialog* d) {
            auto* m = qobject_cast<frmmft*>(d);
            EXPECT_NE(m, nullptr);
            if (m)
                act(*m);
            return d->result();
        });
        main->findChild<QAction*>(QString::fromLatin1(road))->trigger();
    }

    int greenCells(const frmDocument* d) const
    {
        int n = 0;
        for (int i = 0; i < 512; ++i)
            n += d->grid()->cell(i).back == look::kGreen;
        return n;
    }

    ScriptedUi ui;
};

} // namespace

TEST_F(MainMftTest, ConfirmedSetupWritesTheBlockBackGreenWithItsCrcAndMark)
{
    // Bit 7 of byte 0 clear: the CRC covers bytes 0..125, the serial number
    // included.
    frmDocument* d = openCorpus("memtest86plus_DDR3-M378B5173DB0-CK0.bin", 0x12);
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->checksumMode(), 1);
    const velmora::SpdImage before = d->image();
    ASSERT_EQ(before[126] | before[127] << 8, crcOf(before, 0, 125));
    ASSERT_EQ(before[122], 0x15);

    run([](frmmft& m) {
        EXPECT_EQ(m.windowTitle(), QStringLiteral("DDR3 製造資訊"));
        m.list(QStringLiteral("SNUM(0)"))->setCurrentIndex(0x00);
        m.Command2_Click();
    });
    ASSERT_EQ(ui.dialogs, std::vector<QString>{QStringLiteral("frmmft")});
    EXPECT_EQ(gs().mftSetup, -1);

    velmora::SpdImage want = before;
    want[122] = 0x00;
    const std::uint16_t crc = crcOf(want, 0, 125);
    want[126] = static_cast<std::uint8_t>(crc & 0xFF);
    want[127] = static_cast<std::uint8_t>(crc >> 8);
    EXPECT_NE(want[126] | want[127] << 8, before[126] | before[127] << 8);
    EXPECT_EQ(d->image(), want);
    for (int i = 117; i <= 175; ++i)
        EXPECT_EQ(d->grid()->cell(i).back, look::kGreen) << i;
    EXPECT_EQ(greenCells(d), 175 - 117 + 1);
    EXPECT_EQ(d->Get_Type(), 4);
    EXPECT_EQ(d->Chk_Form_Chang(), -1);
    EXPECT_TRUE(d->windowTitle().endsWith(QLatin1Char('*')));
}

TEST_F(MainMftTest, ClearAnsweredNoThenCloseLeavesTheDocument)
{
    frmDocument* d = openCorpus("memtest86plus_DDR4-M393A1G40EB1-CPB.bin");
    ASSERT_NE(d, nullptr);
    const velmora::SpdImage before = d->image();
    ui.answers = {ui::Answer::No};
    run([](frmmft& m) {
        m.Command3_Click();
        m.Command1_Click();
    });
    EXPECT_EQ(gs().mftSetup, 0);
    EXPECT_EQ(d->image(), before);
    EXPECT_EQ(greenCells(d), 0);
    EXPECT_EQ(d->Chk_Form_Chang(), 0);

    // Setup confirmed without an edit: the block comes back green, the
    // image as it was (binary maker's data included) and unmarked.
    run([](frmmft& m) { m.Command2_Click(); }, "Toolbar1.MI");
    EXPECT_EQ(gs().mftSetup, -1);
    EXPECT_EQ(d->image(), before);
    EXPECT_EQ(greenCells(d), 383 - 320 + 1);
    EXPECT_EQ(d->Chk_Form_Chang(), 0);

    // Clear confirmed: the whole block 0.
    run([](frmmft& m) { m.Command3_Click(); });
    for (int i = 320; i <= 383; ++i)
        EXPECT_EQ(d->Get_Value(i), 0) << i;
    EXPECT_EQ(d->Get_Value(319), before[319]);
    EXPECT_EQ(d->Get_Value(384), before[384]);
    EXPECT_EQ(d->Chk_Form_Chang(), -1);
}

TEST_F(MainMftTest, NothingComesBackWithoutRightsOrBlock)
{
    // Restricted mode through the toolbar: only Close, and even a raised
    // flag brings nothing back.
    gs().passwordMode = 0;
    frmDocument* d = openCorpus("memtest86plus_DDR2-GoldenEmpire-2.bin");
    ASSERT_NE(d, nullptr);
    const velmora::SpdImage before = d->image();
    run(
        [](frmmft& m) {
            EXPECT_TRUE(m.Command2()->isHidden());
            EXPECT_TRUE(m.Command3()->isHidden());
            m.Command3_Click();
            gs().mftSetup = -1;
        },
        "tbToolbar.MI");
    EXPECT_EQ(ui.dialogs.size(), 1u);
    EXPECT_EQ(d->image(), before);
    EXPECT_EQ(greenCells(d), 0);

    // No document: nothing opens.
    main->mnuFileCloseAll_Click();
    ui.dialogs.clear();
    main->findChild<QAction*>(QStringLiteral("tbToolbar.MI"))->trigger();
    EXPECT_TRUE(ui.dialogs.empty());
}
