#include "app/SpdFile.h"
#include "support/Wait.h"
#include "app/frmMain.h"
#include "document/HexGrid.h"
#include "document/frmDocument.h"
#include "editors/frmxmp_wiz.h"
#include "platform/SettingsStore.h"
#include "support/IsolatedMain.h"
#include "support/ScriptedUi.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <functional>
#include <memory>

using velmora::gs;

namespace {

const QString kRefusal = QStringLiteral(" ***** DDR3/DDR4 Can Only use This Feature ***** ");

class XmpCommandTest : public IsolatedMainTest {
protected:
    void SetUp() override
    {
        IsolatedMainTest::SetUp();
        main = std::make_unique<frmMain>();
        velmora::gs().passwordMode = -1;
    }

    // A document holding the image; its status request has run out.
    frmDocument* open(const velmora::SpdImage& img)
    {
        frmDocument* doc = main->NewDocumentWindow();
        spdfile::fillDocument(*doc, std::vector<std::uint8_t>(img.begin(), img.end()));
        settle();
        return doc;
    }
    frmDocument* openCorpus(const char* name)
    {
        frmDocument* doc = main->openImage(testData(QStringLiteral("corpus/") + QString::fromLatin1(name)));
        settle();
        return doc;
    }
    void settle()
    {
        testwait::until([this] { return !main->Timer2()->isActive(); }, 10000);
        ui.messages.clear();
    }

    // The wizard, driven by a script of clicks.
    void wizard(std::function<void(frmxmp_wiz&)> script)
    {
        ui.dialogHandlers.push_back([script](QDialog* d) {
            auto* w = qobject_cast<frmxmp_wiz*>(d);
            EXPECT_NE(w, nullptr);
            if (w)
                script(*w);
            return d->result();
        });
    }

    static velmora::SpdImage imageOf(const frmDocument* doc) { return doc->image(); }
    static bool lavender(const frmDocument* doc, int i) { return doc->grid()->cell(i).back == look::kLavender; }

    ScriptedUi ui;
};

} // namespace

TEST_F(XmpCommandTest, Ddr4SetupIsWrittenBackThroughTheMenu)
{
    frmDocument* doc = openCorpus("memtest86plus_DDR4-M393A1G40EB1-CRC.bin");
    const velmora::SpdImage file = imageOf(doc);
    ASSERT_EQ(file[18], 7); // a DDR4-2400 module
    wizard([](frmxmp_wiz& w) {
        EXPECT_EQ(w.SPEED()->currentText(), QStringLiteral("DDR4-2400"));
        w.SPEED()->setCurrentIndex(5); // DDR4-3200: 18-18-18-39-62 at 1.35 V
        w.Command3()->click();
    });
    ui.answers = {ui::Answer::Yes};
    main->action(QStringLiteral("mnu_xmp_wiz"))->trigger();

    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_EQ(ui.lastText(), QStringLiteral("*** XMP Profile-1 Setting ***"));
    const velmora::SpdImage img = imageOf(doc);
    const int want[][2] = {
        {384, 0x0C}, {385, 0x4A}, {386, 0x05}, {387, 0x20}, {388, 0}, {392, 0}, {393, 0xA3}, {394, 0}, {395, 0},
        {396, 0x05}, {397, file[20]}, {398, file[21]}, {399, file[22] & 3}, {400, 0}, {401, 0x59}, {402, 0x59},
        {403, 0x59}, {404, 0x10}, {405, 0xC1}, {406, 0x34}, {407, file[30]}, {408, file[31]}, {411, file[34]},
        {412, file[35]}, {413, file[36]}, {414, file[37] + 56}, {415, file[38] + 10}, {416, file[39] + 10},
        {425, file[118]}, {426, file[119]}, {427, 0}, {428, 0}, {429, 0}, {430, 0}, {431, 0}};
    for (const auto& w : want)
        EXPECT_EQ(img[static_cast<std::size_t>(w[0])], w[1]) << "byte " << w[0];
    for (int i = 0; i < 512; ++i) {
        if (i < 384 || i > 439) {
            EXPECT_EQ(img[static_cast<std::size_t>(i)], file[static_cast<std::size_t>(i)]) << "byte " << i;
        }
        EXPECT_EQ(lavender(doc, i), i >= 384 && i <= 486) << "cell " << i;
    }
    EXPECT_EQ(doc->Chk_Form_Chang(), -1);
    EXPECT_TRUE(doc->windowTitle().endsWith(QLatin1Char('*')));
}

TEST_F(XmpCommandTest, Ddr3ClearOfTheOnlyProfileTakesTheHeaderThroughTheToolbar)
{
    frmDocument* doc = openCorpus("memtest86plus_DDR3-9905403-440.A00LF.bin");
    const velmora::SpdImage file = imageOf(doc);
    ASSERT_EQ(file[178], 0x01);
    wizard([](frmxmp_wiz& w) { w.Command2()->click(); }); // Clear, "Profile 1"
    ui.answers = {ui::Answer::Yes};
    main->Toolbar1()->findChild<QAction*>(QStringLiteral("Toolbar1.XMP"))->trigger();

    EXPECT_EQ(ui.lastText(), QStringLiteral("*** Clear XMP Profile-1 Setting ***"));
    const velmora::SpdImage img = imageOf(doc);
    for (int i = 0; i < 512; ++i) {
        const bool cleared = (i >= 176 && i <= 181) || (i >= 185 && i <= 219);
        if (cleared)
            EXPECT_EQ(img[static_cast<std::size_t>(i)], 0) << "byte " << i;
        else
            EXPECT_EQ(img[static_cast<std::size_t>(i)], file[static_cast<std::size_t>(i)]) << "byte " << i;
        EXPECT_EQ(lavender(doc, i), i >= 176 && i <= 254) << "cell " << i;
    }
    EXPECT_EQ(doc->Chk_Form_Chang(), -1);
}

TEST_F(XmpCommandTest, AnsweredNoOrClosedLeavesTheDocumentAlone)
{
    velmora::SpdImage both{};
    both[2] = 12;
    both[18] = 5;
    for (int i = 384; i <= 486; ++i)
        both[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    both[384] = 0x0C;
    both[385] = 0x4A;
    both[386] = 0x0F;
    both[24] = both[25] = both[26] = 0x6E; // 22 clocks at 625 ps
    both[28] = 0xF0;
    both[29] = 0x8A;
    frmDocument* doc = open(both);
    const velmora::SpdImage file = imageOf(doc);

    // Setup, No, Close: nothing reaches the document.
    wizard([](frmxmp_wiz& w) {
        w.Command3()->click();
        w.Command1()->click();
    });
    ui.answers = {ui::Answer::No};
    main->mnu_xmp_wiz_Click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*** XMP Profile-1 Setting ***"));
    EXPECT_EQ(imageOf(doc), file);
    EXPECT_FALSE(lavender(doc, 400));
    EXPECT_EQ(doc->Chk_Form_Chang(), 0);

    // Clear profile 2, No, then Setup profile 1, Yes: profile 2 stays.
    wizard([](frmxmp_wiz& w) {
        w.PFNUM()->setCurrentIndex(2);
        w.Command2()->click();
        w.PFNUM()->setCurrentIndex(1);
        w.Command3()->click();
    });
    ui.answers = {ui::Answer::No, ui::Answer::Yes};
    main->mnu_xmp_wiz_Click();
    const velmora::SpdImage img = imageOf(doc);
    EXPECT_EQ(img[386], 0x0F);
    for (int i = 440; i <= 486; ++i)
        EXPECT_EQ(img[static_cast<std::size_t>(i)], file[static_cast<std::size_t>(i)]) << "byte " << i;
    EXPECT_EQ(img[396], 0x05); // profile 1 set up at DDR4-3200, loaded from byte 18
    EXPECT_TRUE(lavender(doc, 486));
}

TEST_F(XmpCommandTest, AnUnchangedBlockIsColouredButNotMarkedModified)
{
    velmora::SpdImage img{};
    img[2] = 11;
    img[11] = 0; // the loader reads it as 1; the document keeps its 0
    frmDocument* doc = open(img);
    const velmora::SpdImage file = imageOf(doc);
    wizard([](frmxmp_wiz& w) {
        w.APFNUM()->setCurrentIndex(0);
        w.Command2()->click(); // Clear all on an empty block
    });
    main->mnu_xmp_wiz_Click();
    EXPECT_EQ(gs().xmpChanged, -1);
    EXPECT_EQ(imageOf(doc), file);
    EXPECT_EQ(doc->Get_Value(11), 0);
    EXPECT_TRUE(lavender(doc, 176));
    EXPECT_TRUE(lavender(doc, 254));
    EXPECT_FALSE(lavender(doc, 255));
    EXPECT_EQ(doc->Chk_Form_Chang(), 0);
}

TEST_F(XmpCommandTest, TheActiveDocumentsOwnTypeDecides)
{
    // No document.
    main->mnu_xmp_wiz_Click();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kRefusal);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral(""));
    EXPECT_EQ(ui.messages[0].icon, ui::Icon::Critical);

    // A DDR2 document in front of a DDR3 one decoded last.
    velmora::SpdImage ddr2{};
    ddr2[2] = 8;
    velmora::SpdImage ddr3{};
    ddr3[2] = 11;
    frmDocument* d2 = open(ddr2);
    open(ddr3);
    main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(d2->parentWidget()));
    gs().currentMemoryType = 11;
    main->mnu_xmp_wiz_Click();
    EXPECT_EQ(ui.lastText(), kRefusal);
    EXPECT_TRUE(ui.dialogs.empty());

    // A DDR3 document in front while the type last decoded was DDR2.
    main->mdiArea()->activateNextSubWindow();
    ASSERT_EQ(main->ActiveForm()->Get_Value(2), 11);
    gs().currentMemoryType = 8;
    ui.messages.clear();
    main->mnu_xmp_wiz_Click();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.dialogs, std::vector<QString>{QStringLiteral("frmxmp_wiz")});
}

// Another window's decode while the wizard is open (the re-decode of a DDR3
// window opened just before) changes the program's memory type: Setup and
// Clear still act on the DDR4 block of the window the wizard was opened on.
TEST_F(XmpCommandTest, SetupAndClearKeepTheTypeTheWizardWasOpenedOn)
{
    frmDocument* ddr3 = openCorpus("memtest86plus_DDR3-M378B5173DB0-CK0.bin");
    frmDocument* ddr4 = openCorpus("memtest86plus_DDR4-M393A1G40EB1-CRC.bin");
    ASSERT_EQ(main->ActiveForm(), ddr4);
    const velmora::SpdImage ddr3Before = imageOf(ddr3);
    wizard([ddr3](frmxmp_wiz& w) {
        ddr3->Timer1_Timer();
        EXPECT_EQ(gs().currentMemoryType, 11);
        w.Command3()->click();
    });
    ui.answers = {ui::Answer::Yes};
    main->mnu_xmp_wiz_Click();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("*** XMP Profile-1 Setting ***"));
    EXPECT_EQ(imageOf(ddr4)[384], 0x0C);
    EXPECT_EQ(imageOf(ddr4)[386], 0x05);
    EXPECT_EQ(imageOf(ddr4)[396], 0x07);  // profile 1's tCK: the module's own 2400 grade
    EXPECT_EQ(imageOf(ddr3), ddr3Before);

    // Clear "Profile 1" of the block just set up: the header goes with it.
    ui.messages.clear();
    wizard([ddr3](frmxmp_wiz& w) {
        ddr3->Timer1_Timer();
        w.Command2()->click();
    });
    ui.answers = {ui::Answer::Yes};
    main->mnu_xmp_wiz_Click();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("*** Clear XMP Profile-1 Setting ***"));
    for (const int i : {384, 385, 386, 387, 396})
        EXPECT_EQ(imageOf(ddr4)[static_cast<std::size_t>(i)], 0) << "byte " << i;
    EXPECT_EQ(imageOf(ddr3), ddr3Before);
}

TEST_F(XmpCommandTest, RestrictedModeBarsTheWizardFromTheToolbars)
{
    main->MDIForm_Load(); // no password set: restricted
    ASSERT_EQ(gs().passwordMode, 0);
    EXPECT_FALSE(main->tbToolbar()->findChild<QAction*>(QStringLiteral("tbToolbar.XMP"))->isEnabled());
    EXPECT_FALSE(main->Toolbar1()->findChild<QAction*>(QStringLiteral("Toolbar1.XMP"))->isEnabled());
    ui.dialogs.clear();

    velmora::SpdImage img{};
    img[2] = 12;
    frmDocument* doc = open(img);
    main->mnu_xmp_wiz_Click();
    EXPECT_TRUE(ui.dialogs.empty());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(lavender(doc, 384));
}
