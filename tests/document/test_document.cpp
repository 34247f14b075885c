#include "rules/device/PinNameTables.h"
#include "document/HexGrid.h"
#include "document/PinMap.h"
#include "document/frmDocument.h"
#include "support/ScriptedUi.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <memory>

using look::VbColor;

namespace {

class DocumentTest : public ProgramStateTest {
protected:
    void SetUp() override
    {
        ProgramStateTest::SetUp();
        velmora::gs().passwordMode = -1;
        doc = std::make_unique<frmDocument>();
        doc->Form_Load();
        doc->setWindowTitle(QStringLiteral("SPD_File 1"));
        doc->show();
    }
    void TearDown() override
    {
        doc->Set_form_chang(0);
        doc.reset();
        ProgramStateTest::TearDown();
    }

    // Stores an image the way the file readers do.
    void load(const velmora::SpdImage& img)
    {
        for (int i = 0; i < 512; ++i) {
            doc->Value_Chang(i, img[static_cast<std::size_t>(i)]);
            doc->table_chang(i);
        }
    }
    void type(const QString& text)
    {
        for (QChar c : text)
            QTest::keyClick(doc->Text1(), c.toLatin1());
    }
    void enter() { QTest::keyClick(doc->Text1(), Qt::Key_Return); }
    QString cell(int i) const { return doc->grid()->cell(i).caption; }
    VbColor back(int i) const { return doc->grid()->cell(i).back; }
    QString label(const char* n) const { return doc->L(QString::fromLatin1(n))->text(); }

    ScriptedUi ui;
    std::unique_ptr<frmDocument> doc;
};

velmora::SpdImage imageOfType(int byte2)
{
    velmora::SpdImage img{};
    img[2] = static_cast<std::uint8_t>(byte2);
    return img;
}

} // namespace

TEST_F(DocumentTest, NewWindowShowsAnEmptyImage)
{
    for (int i = 0; i < 512; ++i) {
        ASSERT_EQ(cell(i), QStringLiteral("00"));
        ASSERT_EQ(doc->Get_Value(i), 0);
    }
    EXPECT_EQ(doc->grid()->cellToolTip(0), QStringLiteral("Byte 0"));
    EXPECT_EQ(doc->grid()->cellToolTip(511), QStringLiteral("Byte 511"));
    EXPECT_EQ(label("Label1"), QStringLiteral("Byte0"));
    EXPECT_EQ(label("Label3"), QStringLiteral("Value"));
    EXPECT_EQ(label("Label4"), QStringLiteral("00"));
    EXPECT_EQ(label("Label2"), bytenames::name(bytenames::Table::Ddr, 0));
    EXPECT_EQ(label("Label153"), QStringLiteral("    "));
    EXPECT_EQ(doc->grid()->header(31).back, look::kRed);
    EXPECT_EQ(doc->checksumMode(), 2);
    EXPECT_EQ(doc->Get_Type(), 0);
    EXPECT_EQ(doc->Chk_Form_Chang(), 0);
    EXPECT_EQ(doc->PIN_FRAME()->title(), QStringLiteral("DDR2 I/O Pin"));
    // The load leaves the pin map's tool tips on the DDR4 table.
    EXPECT_EQ(doc->pinMap()->toolTipOf(0), QStringLiteral("PIN 5"));
    EXPECT_TRUE(doc->pinMap()->toolTipOf(144).isEmpty());
    EXPECT_FALSE(doc->pinMap()->isChannelVisible(111));
    EXPECT_EQ(velmora::gs().fillStart, 255);
    EXPECT_EQ(label("Label98"), QStringLiteral("10"));
    EXPECT_TRUE(doc->Text1()->isVisible());
}

TEST_F(DocumentTest, ValueChangStoresAndRedrawsOnly)
{
    doc->Value_Chang(5, 10);
    EXPECT_EQ(cell(5), QStringLiteral("0A"));
    doc->Value_Chang(5, 255);
    EXPECT_EQ(cell(5), QStringLiteral("FF"));
    EXPECT_EQ(doc->Chk_Form_Chang(), 0);
    EXPECT_EQ(doc->checksumMode(), 2);
    EXPECT_THROW(doc->Value_Chang(512, 1), std::out_of_range);
    EXPECT_THROW(doc->Value_Chang(-1, 1), std::out_of_range);
    EXPECT_THROW((void)doc->Get_Value(512), std::out_of_range);
    for (int i = 0; i < 512; ++i)
        doc->Value_Chang(i, (i * 7) & 0xFF);
    for (int i = 0; i < 512; ++i)
        ASSERT_EQ(doc->Get_Value(i), (i * 7) & 0xFF);
}

TEST_F(DocumentTest, ModifiedMarkFollowsTheFlag)
{
    doc->Set_form_chang(-1);
    doc->Set_form_chang(-1);
    EXPECT_EQ(doc->windowTitle(), QStringLiteral("SPD_File 1*"));
    doc->Set_form_chang(0);
    EXPECT_EQ(doc->windowTitle(), QStringLiteral("SPD_File 1"));
    doc->Set_form_chang(0);
    EXPECT_EQ(doc->windowTitle(), QStringLiteral("SPD_File 1"));
    // A file whose name ends in "*": the mark is the document's own.
    doc->setWindowTitle(QStringLiteral("/tmp/a*"));
    doc->Set_form_chang(0);
    EXPECT_EQ(doc->windowTitle(), QStringLiteral("/tmp/a*"));
    doc->Set_form_chang(-1);
    EXPECT_EQ(doc->windowTitle(), QStringLiteral("/tmp/a**"));
    doc->Set_form_chang(0);
    EXPECT_EQ(doc->windowTitle(), QStringLiteral("/tmp/a*"));
}

TEST_F(DocumentTest, XmpSpdLoadCopiesTheImageAndByte2)
{
    doc->Value_Chang(2, 9);
    doc->Value_Chang(300, 0x5A);
    doc->xmp_spd_load();
    EXPECT_EQ(velmora::gs().currentMemoryType, 9);
    EXPECT_EQ(velmora::gs().sharedSpd[300], 0x5A);
}

TEST_F(DocumentTest, DispatchChoosesFamilyPanelAndDefaults)
{
    auto& g = velmora::gs();
    load(imageOfType(8));
    EXPECT_EQ(label("Label153"), QStringLiteral("DDR-2"));
    EXPECT_FALSE(doc->Frame2()->isHidden());
    EXPECT_TRUE(doc->Frame10()->isHidden());
    EXPECT_EQ(doc->checksumMode(), 2);  // "None" stays
    doc->setChecksumMode(1);
    doc->table_chang(0);
    EXPECT_EQ(doc->checksumMode(), 0);  // a DDR2 image chooses "Checksum"

    auto img = imageOfType(9);
    load(img);
    EXPECT_EQ(label("Label153"), QStringLiteral("    "));
    EXPECT_EQ(g.currentMemoryType, 8);  // 9 changes no program-wide value
    EXPECT_TRUE(doc->Frame2()->isHidden());
    EXPECT_EQ(doc->checksumMode(), 1);
    EXPECT_EQ(doc->PIN_FRAME()->title(), QStringLiteral("DDR3 I/O Pin"));

    img = imageOfType(11);
    img[3] = 0x0B;  // SO-DIMM flag by mask 7, module table by mask 15
    img[7] = 0x02;
    load(img);
    EXPECT_EQ(g.currentMemoryType, 11);
    EXPECT_EQ(g.soDimmFlag, 1);
    EXPECT_EQ(g.deviceWidthCode, 16);
    EXPECT_EQ(doc->PIN_FRAME()->title(), QStringLiteral("DDR3 I/O Pin"));
    EXPECT_EQ(doc->pinMap()->toolTipOf(0), QStringLiteral("PIN 3"));

    img = imageOfType(12);
    img[3] = 0x03;
    img[12] = 0x01;
    load(img);
    EXPECT_EQ(g.deviceWidthCode, 8);
    EXPECT_EQ(doc->PIN_FRAME()->title(), QStringLiteral("DDR4-SODIMM I/O Pin"));
    EXPECT_EQ(doc->pinMap()->toolTipOf(0), QStringLiteral("PIN 8"));

    load(imageOfType(4));
    g.deviceWidthCode = 32;
    doc->table_chang(0);
    EXPECT_EQ(label("Label153"), QStringLiteral("SDRAM"));
    EXPECT_EQ(g.currentMemoryType, 4);
    EXPECT_EQ(g.deviceWidthCode, 32);  // SDRAM leaves the width alone

    doc->table_chang(512);  // outside the image: ignored
    doc->table_chang(-3);
}

TEST_F(DocumentTest, TypeSwitchToA256ByteTypeClearsAndGreysTheUpperHalf)
{
    for (int i = 256; i < 512; ++i)
        doc->Value_Chang(i, 0x33);
    doc->Type_Chang(2);
    EXPECT_EQ(doc->Get_Type(), 2);
    EXPECT_EQ(doc->byteName(23), bytenames::name(bytenames::Table::Ddr2, 23));
    for (int i = 256; i < 512; ++i) {
        ASSERT_EQ(doc->Get_Value(i), 0);
        ASSERT_EQ(cell(i), QStringLiteral("00"));
        ASSERT_FALSE(doc->grid()->cell(i).enabled);
        ASSERT_EQ(doc->grid()->cell(i).fore, look::kLightGrey);
    }
    EXPECT_FALSE(doc->grid()->header(40).enabled);
    EXPECT_EQ(doc->grid()->line4Bottom(), 4500);
    EXPECT_EQ(doc->Chk_Form_Chang(), 0);
}

TEST_F(DocumentTest, SwitchingToDdr4ReenablesTheUpperHalf)
{
    doc->Type_Chang(0);
    doc->Value_Chang(2, 12);
    doc->Type_Chang(5);
    EXPECT_EQ(doc->Get_Type(), 5);
    EXPECT_EQ(doc->byteName(400), bytenames::name(bytenames::Table::Ddr4, 400));
    for (int i = 256; i < 512; ++i)
        ASSERT_TRUE(doc->grid()->cell(i).enabled) << i;
    EXPECT_TRUE(doc->grid()->header(47).enabled);
    EXPECT_EQ(doc->grid()->line4Bottom(), 8280);
    EXPECT_EQ(label("Label115"), QStringLiteral("CRC (0-125)/(128-253)"));
    // And a byte typed up there is stored.
    doc->spd_l_value_Click(300);
    type(QStringLiteral("5A"));
    enter();
    EXPECT_EQ(doc->Get_Value(300), 0x5A);
}

TEST_F(DocumentTest, TypeSwitchInCrcModeRewritesTheCrcBytes)
{
    auto img = imageOfType(12);
    img[0] = 0x92;
    img[5] = 0x11;
    img[120] = 0x44;
    img[200] = 0x77;
    img[126] = img[127] = img[254] = img[255] = 0xEE;
    load(img);
    doc->setChecksumMode(1);
    doc->Type_Chang(5);
    // CRC-16 of bytes 0 to 116 (byte 0 bit 7) is FCB6, of 128 to 253 51F8.
    EXPECT_EQ(doc->Get_Value(126), 0xB6);
    EXPECT_EQ(doc->Get_Value(127), 0xFC);
    EXPECT_EQ(doc->Get_Value(254), 0xF8);
    EXPECT_EQ(doc->Get_Value(255), 0x51);
    EXPECT_EQ(cell(127), QStringLiteral("FC"));
    EXPECT_EQ(doc->Chk_Form_Chang(), 0);
    EXPECT_NE(back(126), look::kYellow);

    // A DDR3 image gets only the first CRC.
    img = imageOfType(11);
    img[254] = 0xAB;
    load(img);
    doc->Type_Chang(4);
    EXPECT_EQ(doc->Get_Value(126), 0x6B);  // bytes 0 to 125: 416B
    EXPECT_EQ(doc->Get_Value(127), 0x41);
    EXPECT_EQ(doc->Get_Value(254), 0xAB);
}

TEST_F(DocumentTest, ByteEntryStoresAdvancesAndKeepsTheChecksum)
{
    load(imageOfType(8));
    doc->setChecksumMode(0);
    doc->spd_l_value_Click(12);
    EXPECT_EQ(label("Label1"), QStringLiteral("Byte12"));
    EXPECT_EQ(back(12), look::kRed);
    enter();  // empty box stores 00
    EXPECT_EQ(doc->Get_Value(12), 0);
    EXPECT_EQ(label("Label1"), QStringLiteral("Byte 13"));
    type(QStringLiteral("7"));
    enter();
    EXPECT_EQ(doc->Get_Value(13), 0x07);
    type(QStringLiteral("ab"));
    enter();
    EXPECT_EQ(doc->Get_Value(14), 0xAB);
    EXPECT_EQ(back(14), look::kYellow);
    EXPECT_EQ(back(15), look::kRed);
    EXPECT_EQ(doc->checksumMode(), 0);
    EXPECT_EQ(doc->Get_Value(63), 0xBA);  // 08 + 07 + AB
    EXPECT_EQ(back(63), look::kYellow);
    EXPECT_EQ(doc->Chk_Form_Chang(), -1);
    EXPECT_TRUE(doc->windowTitle().endsWith(QLatin1Char('*')));

    // A value typed into byte 63 gives way to the checksum in the same key.
    doc->spd_l_value_Click(63);
    type(QStringLiteral("99"));
    enter();
    EXPECT_EQ(doc->Get_Value(63), 0xBA);
}

TEST_F(DocumentTest, EntryBoxTakesHexDigitsOnly)
{
    doc->spd_l_value_Click(20);
    type(QStringLiteral("G"));
    type(QStringLiteral("z"));
    EXPECT_TRUE(doc->Text1()->text().isEmpty());
    type(QStringLiteral("1f"));
    EXPECT_EQ(doc->Text1()->text(), QStringLiteral("1f"));
    type(QStringLiteral("3"));  // at most two characters
    EXPECT_EQ(doc->Text1()->text(), QStringLiteral("1f"));
    enter();
    EXPECT_EQ(doc->Get_Value(20), 0x1F);
}

TEST_F(DocumentTest, AnyKeyRecomputesAndMarksModified)
{
    auto img = imageOfType(11);
    img[126] = 1;
    load(img);
    doc->setChecksumMode(1);
    doc->spd_l_value_Click(10);
    EXPECT_EQ(doc->Get_Value(126), 0x6B);  // the click's type switch: 416B
    EXPECT_EQ(doc->Chk_Form_Chang(), 0);
    doc->Value_Chang(50, 0x42);  // a byte changed behind the grid's back
    QTest::keyClick(doc->Text1(), Qt::Key_Left);
    EXPECT_EQ(doc->Get_Value(126), 0xE9);  // 7BE9
    EXPECT_EQ(doc->Get_Value(127), 0x7B);
    EXPECT_EQ(back(126), look::kYellow);
    EXPECT_EQ(doc->Chk_Form_Chang(), -1);
    EXPECT_EQ(doc->byteCursor(), 10);
}

TEST_F(DocumentTest, KeysThatTypeNothingAreNoByteEntry)
{
    auto img = imageOfType(11);
    load(img);
    doc->setChecksumMode(1);
    doc->spd_l_value_Click(10);
    ASSERT_EQ(doc->Get_Value(126), 0x6B);
    doc->Value_Chang(50, 0x42);  // a recompute would now give 7BE9
    const VbColor crcBack = back(126);

    // Modifier keys alone, menu shortcuts held with Ctrl or Alt, and Ctrl+A
    // that the box itself takes.
    QTest::keyClick(doc->Text1(), Qt::Key_Shift);
    QTest::keyClick(doc->Text1(), Qt::Key_Control);
    QTest::keyClick(doc->Text1(), Qt::Key_Alt);
    QTest::keyClick(doc->Text1(), Qt::Key_Meta);
    QTest::keyClick(doc->Text1(), Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(doc->Text1(), Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(doc->Text1(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(doc->Text1(), Qt::Key_F4, Qt::AltModifier);
    QTest::keyClick(doc->Text1(), Qt::Key_F, Qt::AltModifier);
    EXPECT_EQ(doc->Chk_Form_Chang(), 0);
    EXPECT_EQ(doc->windowTitle(), QStringLiteral("SPD_File 1"));
    EXPECT_EQ(doc->Get_Value(126), 0x6B);
    EXPECT_EQ(doc->Get_Value(127), 0x41);
    EXPECT_EQ(back(126), crcBack);

    // Typing (Shift included), Backspace and Delete stay byte entry.
    const std::pair<int, Qt::KeyboardModifiers> entries[] = {
        {Qt::Key_5, Qt::NoModifier}, {Qt::Key_B, Qt::ShiftModifier},
        {Qt::Key_Backspace, Qt::NoModifier}, {Qt::Key_Delete, Qt::NoModifier}};
    for (const auto& [key, mods] : entries) {
        doc->Set_form_chang(0);
        doc->Value_Chang(126, 0x6B);
        QTest::keyClick(doc->Text1(), static_cast<Qt::Key>(key), mods);
        EXPECT_EQ(doc->Chk_Form_Chang(), -1) << key;
        EXPECT_EQ(doc->Get_Value(126), 0xE9) << key;
    }
}

// A digit or letter held with Alt, Ctrl or both puts nothing into the entry
// or the fill box, whatever the box held; paste and undo with Ctrl put
// nothing back either. Enter then stores what was typed without them.
TEST_F(DocumentTest, KeysHeldWithAltOrCtrlTypeNothingIntoTheBoxes)
{
    load(imageOfType(11));
    const Qt::Key keys[] = {Qt::Key_5, Qt::Key_0, Qt::Key_9, Qt::Key_A, Qt::Key_B, Qt::Key_F};
    const Qt::KeyboardModifiers held[] = {Qt::AltModifier, Qt::ControlModifier,
                                          Qt::ControlModifier | Qt::AltModifier, Qt::AltModifier | Qt::ShiftModifier};
    auto tryAll = [&](QLineEdit* box) {
        for (Qt::Key k : keys)
            for (Qt::KeyboardModifiers m : held)
                QTest::keyClick(box, k, m);
    };
    QGuiApplication::clipboard()->setText(QStringLiteral("EE"));

    doc->spd_l_value_Click(20);
    QLineEdit* t1 = doc->Text1();
    tryAll(t1);
    EXPECT_EQ(t1->text(), QString());
    QTest::keyClick(t1, Qt::Key_3);
    tryAll(t1);
    QTest::keyClick(t1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(t1->text(), QStringLiteral("3"));
    QTest::keyClick(t1, Qt::Key_Backspace);
    QTest::keyClick(t1, Qt::Key_Z, Qt::ControlModifier);  // no undo brings the "3" back
    EXPECT_EQ(t1->text(), QString());
    QTest::keyClick(t1, Qt::Key_3);
    enter();
    EXPECT_EQ(doc->Get_Value(20), 0x03);
    EXPECT_EQ(doc->byteCursor(), 21);
    // With the box empty, Alt+5 and Enter store 00, not 05.
    QTest::keyClick(t1, Qt::Key_5, Qt::AltModifier);
    enter();
    EXPECT_EQ(doc->Get_Value(21), 0x00);
    // Select all and copy still work with Ctrl.
    QTest::keyClick(t1, Qt::Key_C);
    QTest::keyClick(t1, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(t1->selectedText(), QStringLiteral("c"));

    // The fill box: row "1F0", keys held with Alt or Ctrl, then "4" and
    // Enter: bytes 496 to 511 become 04.
    doc->value_x_Click(47);
    QLineEdit* t2 = doc->Text2();
    tryAll(t2);
    QTest::keyClick(t2, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(t2->text(), QString());
    QTest::keyClick(t2, Qt::Key_4);
    tryAll(t2);
    EXPECT_EQ(t2->text(), QStringLiteral("4"));
    QTest::keyClick(t2, Qt::Key_Return);
    EXPECT_EQ(doc->Get_Value(495), 0x00);
    EXPECT_EQ(doc->Get_Value(496), 0x04);
    EXPECT_EQ(doc->Get_Value(511), 0x04);
}

TEST_F(DocumentTest, EnterWrapsByMemoryType)
{
    load(imageOfType(11));
    doc->spd_l_value_Click(255);
    enter();
    EXPECT_EQ(doc->byteCursor(), 0);

    load(imageOfType(12));
    doc->spd_l_value_Click(255);
    enter();
    EXPECT_EQ(doc->byteCursor(), 256);
    doc->spd_l_value_Click(511);
    enter();
    EXPECT_EQ(doc->byteCursor(), 0);

    load(imageOfType(0));
    doc->spd_l_value_Click(255);
    enter();
    EXPECT_EQ(doc->byteCursor(), 256);
}

TEST_F(DocumentTest, SelectionGivesBackTheColourACellHad)
{
    doc->spd_l_value_Click(3);
    enter();  // 3 yellow, 4 selected
    doc->spd_l_value_Click(100);
    EXPECT_EQ(back(3), look::kYellow);
    EXPECT_EQ(back(4), look::kButtonFace);
    EXPECT_EQ(back(100), look::kRed);
}

TEST_F(DocumentTest, RowFillWritesFromTheRowToTheEnd)
{
    doc->value_x_Click(47);  // row "1F0"
    EXPECT_EQ(velmora::gs().fillStart, 496);
    EXPECT_EQ(doc->grid()->header(47).back, look::kRed);
    EXPECT_EQ(doc->grid()->header(31).back, look::kButtonFace);
    QTest::keyClicks(doc->Text2(), QStringLiteral("FF"));
    QTest::keyClick(doc->Text2(), Qt::Key_Return);
    for (int i = 0; i < 496; ++i)
        ASSERT_EQ(doc->Get_Value(i), 0);
    for (int i = 496; i < 512; ++i)
        ASSERT_EQ(doc->Get_Value(i), 0xFF);
    EXPECT_EQ(cell(511), QStringLiteral("FF"));
    EXPECT_EQ(doc->Chk_Form_Chang(), -1);  // the fill is not lost on close
    EXPECT_EQ(doc->Text2()->text(), QStringLiteral("FF"));
}

TEST_F(DocumentTest, FillStartsAt255AfterALoadAndIgnoresColumnHeaders)
{
    doc->value_x_Click(5);  // a column header
    EXPECT_EQ(velmora::gs().fillStart, 255);
    doc->Text2()->setText(QString());
    doc->Text2_KeyDown(Qt::Key_Return);  // empty box fills with 00
    doc->value_x_Click(20);
    doc->Text2()->setText(QStringLiteral("1"));
    doc->Text2_KeyDown(Qt::Key_Return);
    EXPECT_EQ(doc->Get_Value(63), 0);
    EXPECT_EQ(doc->Get_Value(64), 1);
    EXPECT_EQ(doc->Get_Value(511), 1);

    // Another window's load puts the fill start back to 255 for all.
    frmDocument other;
    other.Form_Load();
    EXPECT_EQ(velmora::gs().fillStart, 255);
    other.Set_form_chang(0);
}

TEST_F(DocumentTest, DateCodeStampAndRestore)
{
    auto img = imageOfType(8);
    img[93] = 0x11;
    img[94] = 0x22;
    load(img);
    QTest::mouseClick(doc->Check2(), Qt::LeftButton);
    EXPECT_EQ(doc->Get_Value(93), 0x24);
    EXPECT_EQ(doc->Get_Value(94), 0x10);
    EXPECT_EQ(doc->grid()->cell(93).fore, look::kRed);
    EXPECT_EQ(doc->Chk_Form_Chang(), -1);

    doc->Value_Chang(93, 0x55);  // edited after the stamp
    QTest::mouseClick(doc->Check2(), Qt::LeftButton);
    EXPECT_EQ(doc->Get_Value(93), 0x11);
    EXPECT_EQ(doc->Get_Value(94), 0x22);
    EXPECT_EQ(doc->grid()->cell(93).fore, look::kButtonText);
}

namespace {
// The pixels of a cell as the grid draws it that stand out clearly from
// the cell's colour: its caption's glyphs, when they can be read.
int readablePixels(HexGrid* grid, int i)
{
    const QImage shot = grid->grab().toImage();
    const QColor back = look::toQColor(grid->cell(i).back);
    const QRect r = grid->cellRect(i);
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += look::contrast(shot.pixelColor(x, y), back) >= 3.0;
    return n;
}
} // namespace

// The selected cell is red; a caption drawn in red (a stamped date, every
// cell of a read-only document) is still drawn so that it can be read on
// it, and keeps its own colour for when the selection moves on.
TEST_F(DocumentTest, TheSelectedCellCanBeReadInEveryMode)
{
    load(imageOfType(8));
    QTest::mouseClick(doc->Check2(), Qt::LeftButton);
    doc->spd_l_value_Click(93);
    EXPECT_EQ(doc->grid()->cell(93).back, look::kRed);
    EXPECT_EQ(doc->grid()->cell(93).fore, look::kRed);
    EXPECT_GT(readablePixels(doc->grid(), 93), 10);
    doc->spd_l_value_Click(94);
    EXPECT_EQ(doc->grid()->cell(93).fore, look::kRed);

    velmora::gs().passwordMode = 0;
    frmDocument restricted;
    restricted.Form_Load();
    restricted.show();
    restricted.spd_l_value_Click(5);
    EXPECT_EQ(restricted.grid()->cell(5).fore, look::kRed);
    EXPECT_GT(readablePixels(restricted.grid(), 5), 10);
    // The cells round it keep their red captions on the usual background.
    EXPECT_GT(readablePixels(restricted.grid(), 6), 10);
    restricted.Set_form_chang(0);
}

TEST_F(DocumentTest, DateCodeRestoreUsesTheStampedPlaces)
{
    auto img = imageOfType(11);
    img[120] = 0x01;
    img[121] = 0x02;
    img[323] = 0x0A;
    load(img);
    QTest::mouseClick(doc->Check2(), Qt::LeftButton);
    EXPECT_EQ(doc->Get_Value(120), 0x24);
    doc->Value_Chang(2, 12);
    QTest::mouseClick(doc->Check2(), Qt::LeftButton);
    EXPECT_EQ(doc->Get_Value(120), 0x01);
    EXPECT_EQ(doc->Get_Value(121), 0x02);
    EXPECT_EQ(doc->Get_Value(323), 0x0A);
}

TEST_F(DocumentTest, DateCodeOnDdr4AndAtYearEnd)
{
    vclock::clock().setFixedNow(QDateTime(QDate(2028, 12, 31), QTime(12, 0)));
    load(imageOfType(12));
    QTest::mouseClick(doc->Check2(), Qt::LeftButton);
    EXPECT_EQ(doc->Get_Value(323), 0x28);
    EXPECT_EQ(doc->Get_Value(324), 0x54);
    EXPECT_EQ(label("Label98"), QStringLiteral("54"));
}

TEST_F(DocumentTest, ChoosingChecksumRecomputesByte63)
{
    doc->Value_Chang(0, 0x80);
    doc->Value_Chang(1, 0x08);
    QTest::mouseClick(doc->Optcrc(0), Qt::LeftButton);
    EXPECT_EQ(doc->checksumMode(), 0);
    EXPECT_EQ(doc->Get_Value(63), 0x88);
    // Focus alone does not rewrite it.
    doc->Value_Chang(63, 0x01);
    doc->Optcrc(0)->setFocus();
    EXPECT_EQ(doc->Get_Value(63), 0x01);
}

TEST_F(DocumentTest, ClosingAsksOnlyWhenModified)
{
    doc->close();
    EXPECT_TRUE(ui.messages.empty());

    auto second = std::make_unique<frmDocument>();
    second->Form_Load();
    second->setWindowTitle(QStringLiteral("SPD_File 2"));
    second->show();
    second->Set_form_chang(-1);

    ui.answers.push_back(ui::Answer::Cancel);
    EXPECT_FALSE(second->close());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral(" SPD File has been modified , Save the file (Y/N) ?  "));
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("SPD_File 2*"));
    EXPECT_EQ(ui.messages[0].buttons, ui::Buttons::YesNoCancel);
    EXPECT_EQ(ui.messages[0].icon, ui::Icon::None);

    // Yes without a successful save keeps the window and its changes.
    ui.answers.push_back(ui::Answer::Yes);
    EXPECT_FALSE(second->close());
    EXPECT_EQ(second->Chk_Form_Chang(), -1);

    ui.answers.push_back(ui::Answer::No);
    EXPECT_TRUE(second->close());
    second->Set_form_chang(0);
}

TEST(DocumentRestricted, LoadLooksReadOnly)
{
    velmora::resetProgramState();
    ScriptedUi ui;
    velmora::gs().passwordMode = 0;
    frmDocument doc;
    doc.Form_Load();
    doc.show();
    EXPECT_EQ(doc.grid()->cell(0).fore, look::kRed);
    EXPECT_EQ(doc.grid()->cell(511).fore, look::kRed);
    EXPECT_TRUE(doc.Text1()->isHidden());
    EXPECT_FALSE(doc.Text1()->isEnabled());
    EXPECT_TRUE(doc.Text2()->isHidden());
    EXPECT_FALSE(doc.Frame9()->isEnabled());
    EXPECT_FALSE(doc.Frame13()->isEnabled());
    EXPECT_FALSE(doc.Optcrc(0)->isEnabled());
    EXPECT_FALSE(doc.Check2()->isEnabled());
    // A click still selects but shows no entry box.
    doc.spd_l_value_Click(7);
    EXPECT_EQ(doc.byteCursor(), 7);
    EXPECT_TRUE(doc.Text1()->isHidden());
    velmora::resetProgramState();
}

TEST_F(DocumentTest, RedecodeTimerRunsOnceOverTheLowerHalf)
{
    EXPECT_TRUE(doc->Timer1()->isActive());
    doc->Value_Chang(2, 11);
    doc->Timer1_Timer();
    EXPECT_FALSE(doc->Timer1()->isActive());
    EXPECT_EQ(label("Label153"), QStringLiteral("DDR-3"));
}

TEST_F(DocumentTest, ByteListingForDdr)
{
    doc->Type_Chang(1);
    doc->Value_Chang(0, 0x80);
    doc->Value_Chang(36, 0x01);
    const QString t = doc->byteListing();
    const QStringList lines = t.split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines[0], QString());
    EXPECT_EQ(lines[1], QStringLiteral("  Count   Value Byte list"));
    EXPECT_EQ(lines[3], QStringLiteral("  Byte 0   80   ") + doc->byteName(0));
    EXPECT_TRUE(t.contains(QStringLiteral("  Byte 36 - 40  ") + doc->byteName(36) +
                           QStringLiteral("\r\n                01 00 00 00 00 \r\n")));
    EXPECT_TRUE(t.contains(QStringLiteral("  Byte 240 - 255 ") + doc->byteName(128)));
    EXPECT_FALSE(t.contains(QStringLiteral("Byte 256")));
    doc->Type_Chang(5);
    EXPECT_FALSE(doc->byteListing().contains(QStringLiteral("  Byte 0 ")));
}

TEST_F(DocumentTest, KeyInDataAsksForBytes0To62)
{
    velmora::gs().keyInRadix = 1;
    ui.inputAnswers = {QStringLiteral("1F"), QStringLiteral("zz"), QStringLiteral("0"), QString()};
    ui.answers = {ui::Answer::Ok /* Input Error */, ui::Answer::Yes /* exit */};
    doc->key_in_data();
    EXPECT_EQ(doc->Get_Value(0), 0x1F);
    EXPECT_EQ(doc->Get_Value(1), 0);
    ASSERT_GE(ui.inputs.size(), 3u);
    EXPECT_EQ(ui.inputs[0].title, QStringLiteral("Input byte0 Value"));
    EXPECT_EQ(ui.inputs[0].prompt, QStringLiteral("Please input value ,the rang is 0 - FF , Hex Mode"));
    EXPECT_EQ(ui.inputs[2].title, QStringLiteral("Input byte1 Value"));
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Input Error"));
    EXPECT_EQ(ui.messages[1].text, QStringLiteral("Do you want to exit"));
    EXPECT_EQ(doc->Get_Value(63), 0x1F);
    EXPECT_EQ(doc->Chk_Form_Chang(), -1);
}
