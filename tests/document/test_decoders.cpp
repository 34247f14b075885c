// The decoders on a document window: the panels they caption and what the
// adapter does beyond captions (the name label, the label move, the CRC
// option, the document's manufacturer lookup).

#include "rules/decode/SummaryRules.h"
#include "document/frmDocument.h"
#include "support/TestEnv.h"

#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <memory>

using decode::Field;

namespace {

class DecoderWindowTest : public ProgramStateTest {
protected:
    void SetUp() override
    {
        ProgramStateTest::SetUp();
        velmora::gs().passwordMode = -1;
        doc = std::make_unique<frmDocument>();
        doc->Form_Load();
        doc->show();
    }
    void TearDown() override
    {
        doc->Set_form_chang(0);
        doc.reset();
        ProgramStateTest::TearDown();
    }
    // Stores and decodes every byte in ascending order, as the loaders do,
    // then re-decodes bytes 0 to 255 as the window's timer does (byte 0 came
    // before byte 2 chose the decoder).
    void load(int byte2, std::initializer_list<std::pair<int, int>> bytes = {}, int fill = 0)
    {
        velmora::SpdImage img;
        img.fill(static_cast<std::uint8_t>(fill));
        img[2] = static_cast<std::uint8_t>(byte2);
        for (auto [i, v] : bytes)
            img[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v);
        for (int i = 0; i < 512; ++i) {
            doc->Value_Chang(i, img[static_cast<std::size_t>(i)]);
            doc->table_chang(i);
        }
        doc->Timer1_Timer();
    }
    void set(int i, int v)
    {
        doc->Value_Chang(i, v);
        doc->table_chang(i);
    }
    QLabel* label(Field f) const { return doc->L(decode::nameOf(f)); }
    QString text(Field f) const { return label(f)->text(); }

    std::unique_ptr<frmDocument> doc;
};

} // namespace

TEST_F(DecoderWindowTest, PanelsHoldEveryValueLabel)
{
    for (int i = 0; i < decode::kFieldCount; ++i) {
        const auto f = static_cast<Field>(i);
        QGroupBox* frame = f < Field::Label120 ? doc->Frame2() : doc->Frame10();
        QLabel* l = frame->findChild<QLabel*>(decode::nameOf(f));
        ASSERT_TRUE(l) << qPrintable(decode::nameOf(f));
        EXPECT_EQ(l->palette().color(QPalette::WindowText), QColor(Qt::red)) << qPrintable(decode::nameOf(f));
        EXPECT_TRUE(frame->rect().contains(l->geometry().topLeft()));
    }
    EXPECT_EQ(label(Field::Label126)->x(), look::tw(1920));
    EXPECT_EQ(text(Field::Label115), "CRC (0-125)");
}

TEST_F(DecoderWindowTest, SdramPanelShowsTheMakerOrHidesTheNameLabel)
{
    load(8, {{64, 0xCE}});
    EXPECT_TRUE(label(Field::Label59)->isVisibleTo(doc->Frame2()));
    EXPECT_EQ(text(Field::Label59), "(SAMSUNG)");
    EXPECT_EQ(velmora::gs().jedecName, "(SAMSUNG)");
    set(64, 0x00);
    EXPECT_FALSE(label(Field::Label59)->isVisibleTo(doc->Frame2()));
    EXPECT_EQ(text(Field::Label59), " ");
    EXPECT_EQ(text(Field::Label6), "0000000000000000");
}

TEST_F(DecoderWindowTest, UnknownDramMakerShowsNoNameAfterAKnownOne)
{
    load(12, {{350, 0x80}, {351, 0xCE}});
    EXPECT_EQ(text(Field::Label148), "(SAMSUNG)");
    set(351, 0x03);  // even parity: no row
    EXPECT_EQ(text(Field::Label146), "8003");
    EXPECT_EQ(text(Field::Label148), "");
    // The document's lookup keeps its last name.
    EXPECT_EQ(velmora::gs().jedecName, "(SAMSUNG)");
    EXPECT_EQ(text(Field::Label59), "(SAMSUNG)");

    load(11, {{148, 0x80}, {149, 0xAD}});
    EXPECT_EQ(text(Field::Label148), "(SK HYNIX)");
    set(148, 0x07);
    EXPECT_EQ(text(Field::Label148), "");
}

TEST_F(DecoderWindowTest, CasListKeepsToTheValueColumn)
{
    load(11, {{14, 0x7F}});  // seven latencies
    EXPECT_EQ(label(Field::Label126)->x(), look::tw(1920));
    set(15, 0x01);  // eight: a long list wraps in place rather than moving left
    EXPECT_EQ(text(Field::Label126), "4 5 6 7 8 9 10 12 ");
    EXPECT_EQ(label(Field::Label126)->x(), look::tw(1920));
    load(12, {{20, 0x01}});
    EXPECT_EQ(text(Field::Label126), "7 ");
    EXPECT_EQ(label(Field::Label126)->x(), look::tw(1920));
}

TEST_F(DecoderWindowTest, DecodersCaptionTheCrcOption)
{
    load(11, {{0, 0x92}});
    EXPECT_EQ(doc->Optcrc(1)->text(), "CRC (0-116)");
    EXPECT_EQ(text(Field::Label115), "CRC (0-116)");
    set(0, 0x12);
    EXPECT_EQ(doc->Optcrc(1)->text(), "CRC (0-125)");
    load(12);
    EXPECT_EQ(doc->Optcrc(1)->text(), "CRC");
    EXPECT_EQ(text(Field::Label115), "CRC (0-125/128-253)");
    load(8);
    EXPECT_EQ(doc->Optcrc(1)->text(), "CRC");  // the SDRAM/DDR/DDR2 decoder leaves it
}

TEST_F(DecoderWindowTest, ExtremeImagesOfEveryTypeDecode)
{
    for (int type : {0, 4, 6, 7, 8, 9, 11, 12, 13, 0xFF}) {
        for (int fill : {0x00, 0xFF}) {
            load(type, {}, fill);
            const bool sdram = type <= 8;
            ASSERT_EQ(doc->Frame2()->isHidden(), !sdram) << type;
            if (sdram) {
                EXPECT_FALSE(label(Field::Label59)->isVisibleTo(doc->Frame2())) << type;
                EXPECT_FALSE(text(Field::Label158).isEmpty());
            } else {
                EXPECT_EQ(text(Field::Label148), "") << type << ' ' << fill;
                EXPECT_FALSE(text(Field::Label117).isEmpty());
            }
        }
    }
}
