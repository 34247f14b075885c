#include "state/Globals.h"
#include "app/PinViewers.h"
#include "app/frmMain.h"
#include "support/ScriptedUi.h"
#include "support/TestEnv.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using velmora::gs;

namespace {

class PinViewerTest : public ProgramStateTest {
protected:
    void SetUp() override
    {
        ProgramStateTest::SetUp();
        main = std::make_unique<frmMain>();
    }
    void TearDown() override
    {
        main.reset();
        ProgramStateTest::TearDown();
    }
    template <class V>
    QList<V*> loaded() const
    {
        QList<V*> out;
        for (V* v : main->findChildren<V*>(QString(), Qt::FindDirectChildrenOnly))
            if (!v->isUnloaded())
                out << v;
        return out;
    }
    FrmICMAP* openChip(int type, int width)
    {
        gs().currentMemoryType = type;
        gs().deviceWidthCode = width;
        main->MNU_ICMAP_Click();
        const auto v = loaded<FrmICMAP>();
        return v.size() == 1 ? v.front() : nullptr;
    }
    FrmMDMAP* openModule(int type, int so)
    {
        gs().currentMemoryType = type;
        gs().soDimmFlag = so;
        main->MNU_MDMAP_Click();
        const auto v = loaded<FrmMDMAP>();
        return v.size() == 1 ? v.front() : nullptr;
    }
    static void unload(QWidget* w)
    {
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    ScriptedUi ui;
    std::unique_ptr<frmMain> main;
};

const char* const kChipPictures[7] = {"D1X8_IMG", "D2X8_IMG", "D2X16_IMG", "D3X8_IMG",
                                      "D3X16_IMG", "D4X8_IMG", "D4X16_IMG"};
const char* const kModulePictures[7] = {"DDR_DIMM_IMG",  "DDR_SODIMM_IMG",  "DDR2_DIMM_IMG", "DDR2_SODIMM_IMG",
                                        "DDR3_DIMM_IMG", "DDR3_SODIMM_IMG", "DDR4_DIMM_IMG"};

} // namespace

TEST_F(PinViewerTest, ChipViewerPicksThePictureByTypeAndWidth)
{
    struct Case {
        int type;
        int width;
        int index;  // -1: design state
        const char* caption;
    };
    const Case cases[] = {
        {7, 4, 0, "DDR1 (x4,x8,x16)"}, {7, 16, 0, "DDR1 (x4,x8,x16)"}, {7, 32, 0, "DDR1 (x4,x8,x16)"},
        {8, 4, 1, "DDR2 (x4,x8)"},     {8, 8, 1, "DDR2 (x4,x8)"},      {8, 16, 2, "DDR2 (X16)"},
        {8, 32, -1, "DDR4 (x4,x8)"},   {11, 8, 3, "DDR3 (x4,x8)"},     {11, 16, 4, "DDR3 (x16)"},
        {12, 4, 5, "DDR4 (x4,x8)"},    {12, 16, 6, "DDR4 (x16)"},      {12, 32, -1, "DDR4 (x4,x8)"},
        {4, 8, -1, "DDR4 (x4,x8)"},    {0, 16, -1, "DDR4 (x4,x8)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " width " << c.width);
        FrmICMAP* v = openChip(c.type, c.width);
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->windowTitle(), QStringLiteral("IC Pin"));
        EXPECT_EQ(v->shownPicture(), c.index < 0 ? 5 : c.index);
        const QWidget* shown = v->findChild<QWidget*>(QString::fromLatin1(kChipPictures[c.index < 0 ? 5 : c.index]));
        ASSERT_NE(shown, nullptr);
        EXPECT_FALSE(shown->isHidden());
        EXPECT_EQ(v->IC_COMBO()->currentIndex(), c.index);
        EXPECT_EQ(v->ICNAME_LABEL()->text(), QString::fromLatin1(c.caption));
        if (c.index < 0) {
            EXPECT_EQ(v->IC_COMBO()->currentText(), QStringLiteral("DDR4 (x4,x8)"));
        }
        unload(v);
    }
}

TEST_F(PinViewerTest, ChipListItemsAndCaptionsOnChoosing)
{
    FrmICMAP* v = openChip(0, 0);
    ASSERT_NE(v, nullptr);
    const QStringList items{QStringLiteral("DDR ( x4 , x8 , x16 )"), QStringLiteral("DDR2 ( x4 , x8 )"),
                            QStringLiteral("DDR2 ( x16 )"),          QStringLiteral("DDR3 ( x4 , x8 )"),
                            QStringLiteral("DDR3 ( x16 )"),          QStringLiteral("DDR4 (x4,x8)DDR4"),
                            QStringLiteral("DDR4 (x16)")};
    const QStringList captions{QStringLiteral("DDR1 (x4,x8,x16)"), QStringLiteral("DDR2 (x4,x8)"),
                               QStringLiteral("DDR2 (x16)"),       QStringLiteral("DDR3 (x4,x8)"),
                               QStringLiteral("DDR3 (x16)"),       QStringLiteral("DDR4 (x4,x8)"),
                               QStringLiteral("DDR4 (x16)")};
    ASSERT_EQ(v->IC_COMBO()->count(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(v->IC_COMBO()->itemText(i), items[i]);
        EXPECT_EQ(v->IC_COMBO()->itemData(i).toInt(), i);
        v->IC_COMBO()->setCurrentIndex(i);
        emit v->IC_COMBO()->activated(i);
        EXPECT_EQ(v->shownPicture(), i);
        EXPECT_EQ(v->ICNAME_LABEL()->text(), captions[i]);
    }
}

TEST_F(PinViewerTest, ModuleViewerPicksThePictureByTypeAndSoDimmFlag)
{
    struct Case {
        int type;
        int so;
        int index;
    };
    const Case cases[] = {{7, 0, 0},  {7, 1, 1},  {8, 0, 2},  {8, 1, 3},  {11, 0, 4}, {11, 1, 5},
                          {12, 0, 6}, {12, 1, -1}, {4, 0, -1}, {0, 1, -1}};
    const QStringList captions{QStringLiteral("DDR-DIMM184"),   QStringLiteral("DDR-SODIMM200"),
                               QStringLiteral("DDR2-DIMM240"),  QStringLiteral("DDR2-SODIMM200"),
                               QStringLiteral("DDR3-DIMM240"),  QStringLiteral("DDR3-SODIMM204"),
                               QStringLiteral("DDR4-DIMM288")};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " so " << c.so);
        FrmMDMAP* v = openModule(c.type, c.so);
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->windowTitle(), QStringLiteral("Module Pin"));
        const int shown = c.index < 0 ? 6 : c.index;
        EXPECT_EQ(v->shownPicture(), shown);
        EXPECT_FALSE(v->findChild<QWidget*>(QString::fromLatin1(kModulePictures[shown]))->isHidden());
        EXPECT_EQ(v->DIMM_COMBO()->currentIndex(), c.index);
        EXPECT_EQ(v->MODULE_LABEL()->text(), captions[shown]);
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(v->DIMM_COMBO()->itemText(i), captions[i]);
        unload(v);
    }
}

TEST_F(PinViewerTest, OpeningAgainKeepsTheUsersChoiceUntilTheViewerIsClosed)
{
    FrmMDMAP* v = openModule(11, 0);
    ASSERT_NE(v, nullptr);
    v->DIMM_COMBO()->setCurrentIndex(1);
    emit v->DIMM_COMBO()->activated(1);
    EXPECT_EQ(v->shownPicture(), 1);

    FrmMDMAP* again = openModule(8, 1);
    EXPECT_EQ(again, v);
    EXPECT_EQ(v->shownPicture(), 1);
    EXPECT_EQ(v->MODULE_LABEL()->text(), QStringLiteral("DDR-SODIMM200"));

    unload(v);
    FrmMDMAP* fresh = openModule(8, 1);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->shownPicture(), 3);

    // The chip viewer is a window of its own beside it.
    FrmICMAP* chip = openChip(12, 16);
    ASSERT_NE(chip, nullptr);
    EXPECT_EQ(chip->shownPicture(), 6);
    EXPECT_TRUE(chip->isWindow());
    EXPECT_FALSE(chip->isModal());
    EXPECT_EQ(loaded<FrmMDMAP>().size(), 1);
}

TEST_F(PinViewerTest, TextTypedIntoTheListChangesNothing)
{
    FrmICMAP* v = openChip(11, 16);
    ASSERT_NE(v, nullptr);
    QLineEdit* edit = v->IC_COMBO()->lineEdit();
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("DDR2 ( x16 )"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(v->shownPicture(), 4);
    EXPECT_EQ(v->ICNAME_LABEL()->text(), QStringLiteral("DDR3 (x16)"));
    EXPECT_EQ(v->IC_COMBO()->count(), 7);
}
