#include "app/SpdFile.h"
#include "app/frmLogin.h"
#include "app/frmMain.h"
#include "wizard/Frmwarez1.h"
#include "document/HexGrid.h"
#include "document/frmDocument.h"
#include "platform/SettingsStore.h"
#include "rules/spd/ByteNameTables.h"
#include "support/IsolatedMain.h"
#include "support/ScriptedUi.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <memory>

namespace {

using Answers = std::array<std::int16_t, 16>;

class WizardCommandTest : public IsolatedMainTest {
protected:

    // Starts the main window, logged in (full rights) or not.
    void start(bool fullRights)
    {
        if (fullRights) {
            settings::write(QStringLiteral("History"), QStringLiteral("PASS1"), QStringLiteral("KT527"));
            settings::write(QStringLiteral("History"), QStringLiteral("PASS2"), QStringLiteral("pw"));
            ui.dialogHandlers.push_back([](QDialog* d) {
                auto* l = qobject_cast<frmLogin*>(d);
                l->txtPassword()->setText(QStringLiteral("PW"));
                l->cmdOK_Click();
                return d->result();
            });
        }
        main = std::make_unique<frmMain>();
        main->MDIForm_Load();
        main->show();
    }

    // The next wizard dialog answered as "Finish" would leave it.
    void answerWith(const Answers& a, const QString& id = QString(), const QString& part = QString())
    {
        ui.dialogHandlers.push_back([a, id, part](QDialog* d) {
            EXPECT_EQ(d->objectName(), QStringLiteral("Frmwarez1"));
            auto& g = velmora::gs();
            EXPECT_EQ(g.wizardFinished, 0);
            EXPECT_EQ(g.wizardAnswers, Answers{});  // zeroed before the dialog
            g.wizardAnswers = a;
            g.wizardTexts = {id, part, QString()};
            g.wizardFinished = -1;
            return static_cast<int>(QDialog::Accepted);
        });
    }
    void finishWith(const Answers& a, const QString& id = QString(), const QString& part = QString())
    {
        answerWith(a, id, part);
        main->mnuFileWarez_Click();
    }

    static bool green(frmDocument* d, int i) { return d->grid()->cell(i).back == look::kGreen; }
    static QString label(frmDocument* d, const char* name) { return d->L(QString::fromLatin1(name))->text(); }

    ScriptedUi ui;
};

const Answers kSdram = {1, 3, 1, 12, 10, 1, 2, 3, 3, 7, 1, 1, 0, 32, 4, 156};
const Answers kDdr3 = {4, 15, 1, 14, 10, 1, 5, 9, 9, 24, 1, 4, 0, 64, 8, 78};
const Answers kDdr4 = {5, 18, 1, 0, 0, 1, 15, 15, 15, 35, 1, 1, 0, 0, 4, 78};

} // namespace

TEST_F(WizardCommandTest, SdramFromTheMenuKeepsTheDdr2CodeAndNoCrc)
{
    start(true);
    answerWith(kSdram);
    main->action(QStringLiteral("mnuFileWarez"))->trigger();

    ASSERT_EQ(main->documents().size(), 1);
    frmDocument* doc = main->ActiveForm();
    EXPECT_EQ(doc->windowTitle(), QStringLiteral("SPD_File 1*"));
    EXPECT_EQ(doc->Chk_Form_Chang(), -1);
    EXPECT_TRUE(green(doc, 0) && green(doc, 63));
    EXPECT_FALSE(green(doc, 64));
    EXPECT_EQ(doc->Get_Value(63), 0x75);
    EXPECT_EQ(doc->Get_Type(), 2);
    EXPECT_EQ(doc->checksumMode(), 2);  // "None"
    EXPECT_EQ(label(doc, "Label153"), QStringLiteral("SDRAM"));
    EXPECT_EQ(label(doc, "Label2"), bytenames::name(bytenames::Table::Ddr2, 0));
    EXPECT_EQ(velmora::gs().currentMemoryType, 4);

    // A cell click names the image's own type.
    doc->spd_l_value_Click(5);
    EXPECT_EQ(doc->Get_Type(), 0);
}

TEST_F(WizardCommandTest, Ddr3AndDdr4GetTheirCrcsFromTheTypeSwitch)
{
    start(true);
    finishWith(kDdr3);
    frmDocument* ddr3 = main->ActiveForm();
    ASSERT_NE(ddr3, nullptr);
    EXPECT_TRUE(green(ddr3, 117) && green(ddr3, 127));
    EXPECT_FALSE(green(ddr3, 128));
    EXPECT_EQ(ddr3->Get_Value(126), 0xD6);
    EXPECT_EQ(ddr3->Get_Value(127), 0xA0);
    EXPECT_EQ(ddr3->checksumMode(), 1);
    EXPECT_EQ(ddr3->Get_Type(), 4);
    EXPECT_EQ(label(ddr3, "Label153"), QStringLiteral("DDR-3"));
    EXPECT_EQ(label(ddr3, "Label115"), QStringLiteral("CRC (0-125)"));
    // The summary shows the CRC the cells hold, not the 00 00 of the build.
    EXPECT_EQ(label(ddr3, "Label131"), QStringLiteral("D6A0"));
    EXPECT_EQ(velmora::gs().wizardTexts[0], QStringLiteral("  "));

    // The toolbar key runs the same command.
    answerWith(kDdr4);
    main->action(QStringLiteral("Toolbar1.WIZARD"))->trigger();
    ASSERT_EQ(main->documents().size(), 2);
    frmDocument* ddr4 = main->ActiveForm();
    EXPECT_EQ(ddr4->windowTitle(), QStringLiteral("SPD_File 2*"));
    EXPECT_TRUE(green(ddr4, 255));
    EXPECT_FALSE(green(ddr4, 256) || green(ddr4, 329));
    EXPECT_TRUE(ddr4->grid()->cell(300).enabled);
    EXPECT_EQ(ddr4->Get_Value(126), 0xD9);
    EXPECT_EQ(ddr4->Get_Value(127), 0xA4);
    EXPECT_EQ(ddr4->Get_Value(254), 0xDE);
    EXPECT_EQ(ddr4->Get_Value(255), 0x27);
    EXPECT_EQ(ddr4->Get_Type(), 5);
    EXPECT_EQ(label(ddr4, "Label153"), QStringLiteral("DDR-4"));
    EXPECT_EQ(label(ddr4, "Label115"), QStringLiteral("CRC (0-125)/(128-253)"));
    EXPECT_EQ(label(ddr4, "Label131"), QStringLiteral("D9A4 / DE27"));
}

TEST_F(WizardCommandTest, CancelLeavesNoWindow)
{
    start(true);
    ui.dialogHandlers.push_back([](QDialog*) {
        velmora::gs().wizardAnswers = kDdr3;  // pages left, then "Cancel"
        return static_cast<int>(QDialog::Rejected);
    });
    main->mnuFileWarez_Click();
    EXPECT_TRUE(main->documents().isEmpty());
    EXPECT_EQ(main->lDocumentCount, 0);
}

TEST_F(WizardCommandTest, RestrictedModeBarsTheWizardFromMenuAndToolbars)
{
    start(false);
    ASSERT_EQ(velmora::gs().passwordMode, 0);
    const std::size_t shown = ui.dialogs.size();
    main->mnuFileCloseAll_Click();  // shows the first toolbar in any mode
    EXPECT_FALSE(main->action(QStringLiteral("tbToolbar.WIZARD"))->isEnabled());
    main->action(QStringLiteral("tbToolbar.WIZARD"))->trigger();
    main->mnuFileWarez_Click();
    EXPECT_EQ(ui.dialogs.size(), shown);
    EXPECT_TRUE(main->documents().isEmpty());
}

TEST_F(WizardCommandTest, ImageGoesIntoTheWindowMadeForIt)
{
    start(true);
    frmDocument* other = main->NewDocumentWindow();
    QMdiSubWindow* otherSub = main->mdiArea()->currentSubWindow();
    // The user keeps the other window in front while the new one is made.
    const auto keep = QObject::connect(main->mdiArea(), &QMdiArea::subWindowActivated, main.get(),
                                       [this, otherSub](QMdiSubWindow* s) {
                                           if (s && s != otherSub)
                                               main->mdiArea()->setActiveSubWindow(otherSub);
                                       });
    finishWith(kDdr4);
    QObject::disconnect(keep);
    ASSERT_EQ(main->documents().size(), 2);
    EXPECT_EQ(main->ActiveForm(), other);
    EXPECT_EQ(other->Get_Value(2), 0);
    EXPECT_EQ(other->Chk_Form_Chang(), 0);
    frmDocument* built = main->documents().constLast();
    EXPECT_EQ(built->Get_Value(2), 0x0C);
    EXPECT_EQ(built->windowTitle(), QStringLiteral("SPD_File 2*"));
}

TEST_F(WizardCommandTest, BuiltImagesDecodeToWhatWasChosen)
{
    start(true);
    auto reopen = [this](frmDocument* doc, const char* name) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QString e;
        EXPECT_TRUE(spdfile::write(path, doc->image(), &e));
        return main->openImage(path);
    };

    // DDR3-1600, x8 "256 Mb" (15 rows, 8 banks), "5T 6T 7T 8T".
    finishWith({4, 16, 1, 15, 10, 1, 13, 9, 9, 24, 1, 5, 0, 128, 8, 78}, QStringLiteral("7F7F9E"), QStringLiteral("ABC"));
    frmDocument* ddr3 = reopen(main->ActiveForm(), "ddr3.bin");
    ASSERT_NE(ddr3, nullptr);
    EXPECT_EQ(label(ddr3, "Label120"), QStringLiteral("DDR3 SDRAM"));
    EXPECT_EQ(label(ddr3, "Label119"), QStringLiteral("1600 MHz(1.25ns)"));
    EXPECT_EQ(label(ddr3, "Label121"), QStringLiteral("256 Mb"));
    EXPECT_EQ(label(ddr3, "Label125"), QStringLiteral("8 bit"));
    EXPECT_EQ(label(ddr3, "Label126"), QStringLiteral("5 6 7 8 "));
    EXPECT_EQ(label(ddr3, "Label146"), QStringLiteral("029E"));
    EXPECT_TRUE(label(ddr3, "Label144").startsWith(QStringLiteral("ABC")));

    // DDR4-2666, x16 "1 Gb  ", two ranks, CL 19.
    finishWith({5, 20, 1, 0, 0, 2, 19, 17, 17, 38, 2, 2, 0, 0, 4, 78});
    frmDocument* ddr4 = reopen(main->ActiveForm(), "ddr4.bin");
    ASSERT_NE(ddr4, nullptr);
    EXPECT_EQ(label(ddr4, "Label119"), QStringLiteral("2666 MHz"));
    EXPECT_EQ(label(ddr4, "Label121"), QStringLiteral("1 Gb  "));
    EXPECT_EQ(label(ddr4, "Label125"), QStringLiteral("16 bit"));
    EXPECT_EQ(label(ddr4, "Label118"), QStringLiteral("2 Ranks"));
    EXPECT_EQ(label(ddr4, "Label126"), QStringLiteral("11 12 13 14 15 16 17 18 19 20 "));
    EXPECT_TRUE(label(ddr4, "Label128").endsWith(QStringLiteral("(19T)")));
}

// The real dialog, left at its defaults page after page, into the command:
// the check bytes come out as the default images give them.
TEST_F(WizardCommandTest, TheDialogsDefaultsBuildTheDefaultImages)
{
    start(true);
    const struct {
        int type;
        std::vector<std::pair<int, int>> bytes;
    } cases[] = {{0, {{63, 0x75}}}, {1, {{63, 0x71}}}, {2, {{63, 0xA8}}}, {3, {{126, 0xD6}, {127, 0xA0}}},
                 {4, {{126, 0xD9}, {127, 0xA4}, {254, 0xDE}, {255, 0x27}}}};
    for (const auto& c : cases) {
        ui.dialogHandlers.push_back([t = c.type](QDialog* d) {
            auto* w = qobject_cast<Frmwarez1*>(d);
            w->optRamType(t)->click();
            for (int i = 0; i < 4; ++i)
                w->Command3()->click();
            w->Command4()->click();
            return d->result();
        });
        main->mnuFileWarez_Click();
        frmDocument* doc = main->ActiveForm();
        ASSERT_NE(doc, nullptr);
        for (auto [i, v] : c.bytes)
            EXPECT_EQ(doc->Get_Value(i), v) << "type option " << c.type << " byte " << i;
    }
    EXPECT_EQ(main->documents().size(), 5);
}
