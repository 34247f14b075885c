#include "app/SpdFile.h"
#include "document/HexGrid.h"
#include "rules/spd/SpdRules.h"
#include "document/frmDocument.h"
#include "support/ScriptedUi.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    return path;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

velmora::SpdImage imageFrom(const std::vector<std::uint8_t>& bytes)
{
    velmora::SpdImage img{};
    for (std::size_t i = 0; i < bytes.size() && i < 512; ++i)
        img[i] = bytes[i];
    return img;
}

} // namespace

TEST(SpdFileFormat, ChosenByTheLastThreeCharactersOfThePath)
{
    using spdfile::Format;
    EXPECT_EQ(spdfile::formatFor(QStringLiteral("/a/b.spd")), Format::Text);
    EXPECT_EQ(spdfile::formatFor(QStringLiteral("/a/b.Spd")), Format::Text);
    EXPECT_EQ(spdfile::formatFor(QStringLiteral("/a/bSPD")), Format::Text);
    EXPECT_EQ(spdfile::formatFor(QStringLiteral("/a/b.spd.bak")), Format::Binary);
    EXPECT_EQ(spdfile::formatFor(QStringLiteral("/a/b.bin")), Format::Binary);
    EXPECT_EQ(spdfile::formatFor(QStringLiteral("/a/module")), Format::Binary);
}

TEST(SpdFileFormat, TextImageIsThirtyTwoFixedLines)
{
    velmora::SpdImage img{};
    for (int i = 0; i < 512; ++i)
        img[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 3);
    const QByteArray text = spdfile::encodeText(img);
    ASSERT_EQ(text.size(), 1632);
    const QList<QByteArray> lines = text.split('\n');
    ASSERT_EQ(lines.size(), 33);  // the last line also ends in CR LF
    EXPECT_EQ(lines[0], QByteArray(" 00 03 06 09 0C 0F 12 15 18 1B 1E 21 24 27 2A 2D \r"));
    for (int r = 0; r < 32; ++r)
        EXPECT_EQ(lines[r].size(), 50);
    EXPECT_TRUE(lines[32].isEmpty());
}

TEST(SpdFileFormat, RoundTripsBinaryThroughText)
{
    QTemporaryDir dir;
    const QString corpus = testData(QStringLiteral("corpus/memtest86plus_DDR4-M393A1G40EB1-CPB.bin"));
    const auto original = spdfile::read(corpus);
    ASSERT_TRUE(original.ok);
    const velmora::SpdImage img = imageFrom(original.bytes);

    QString error;
    const QString spd = dir.filePath(QStringLiteral("m.spd"));
    ASSERT_TRUE(spdfile::write(spd, img, &error)) << qPrintable(error);
    const auto text = spdfile::read(spd);
    ASSERT_TRUE(text.ok);
    EXPECT_EQ(imageFrom(text.bytes), img);

    const QString bin = dir.filePath(QStringLiteral("m.bin"));
    ASSERT_TRUE(spdfile::write(bin, imageFrom(text.bytes), &error));
    EXPECT_EQ(readAll(bin), readAll(corpus));
}

TEST(SpdFileFormat, BinaryReadsUpTo512Bytes)
{
    QTemporaryDir dir;
    for (int size : {0, 1, 255, 256, 257, 511, 512, 513, 10 * 1024 * 1024}) {
        QByteArray data(size, '\0');
        for (int i = 0; i < size && i < 600; ++i)
            data[i] = static_cast<char>(i + 1);
        const auto r = spdfile::read(writeFile(dir, QStringLiteral("f%1.bin").arg(size), data));
        ASSERT_TRUE(r.ok) << size;
        ASSERT_EQ(r.bytes.size(), 512u) << size;
        for (int i = 0; i < 512; ++i)
            ASSERT_EQ(r.bytes[static_cast<std::size_t>(i)], i < size ? static_cast<std::uint8_t>(i + 1) : 0) << size << " " << i;
    }
}

TEST(SpdFileFormat, TextReaderTakesFieldsAtTheirPlaces)
{
    QTemporaryDir dir;
    // Lower-case digits, a missing leading blank, trailing text, LF, CR and
    // tabs inside fields.
    const QByteArray content = " 0a ff 1B\n"
                               "01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 extra text\r"
                               " \t7 8\t 9 \r\n";
    const auto r = spdfile::read(writeFile(dir, QStringLiteral("a.spd"), content));
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.bytes.size(), 48u);
    EXPECT_EQ(r.bytes[0], 0x0A);
    EXPECT_EQ(r.bytes[1], 0xFF);
    EXPECT_EQ(r.bytes[2], 0x1B);
    EXPECT_EQ(r.bytes[3], 0);  // short line: empty field
    // Without its leading blank a line reads the same.
    EXPECT_EQ(r.bytes[16], 0x01);
    EXPECT_EQ(r.bytes[17], 0x02);
    EXPECT_EQ(r.bytes[31], 0x10);
    EXPECT_EQ(r.bytes[32], 0x07);
    EXPECT_EQ(r.bytes[33], 0x08);
    EXPECT_EQ(r.bytes[34], 0x09);
}

TEST(SpdFileFormat, TextReaderStopsAfter32LinesAndSurvivesGarbage)
{
    QTemporaryDir dir;
    QByteArray forty;
    for (int i = 0; i < 40; ++i)
        forty += " 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF 00 \r\n";
    auto r = spdfile::read(writeFile(dir, QStringLiteral("forty.spd"), forty));
    ASSERT_EQ(r.bytes.size(), 512u);
    EXPECT_EQ(r.bytes[511], 0x00);
    EXPECT_EQ(r.bytes[496], 0x11);

    QByteArray ten;
    for (int i = 0; i < 10; ++i)
        ten += " 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 \r\n";
    r = spdfile::read(writeFile(dir, QStringLiteral("ten.SPD"), ten));
    EXPECT_EQ(r.bytes.size(), 160u);

    QByteArray garbage(10 * 1024 * 1024, '\0');
    for (qsizetype i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 7919) % 251);
    r = spdfile::read(writeFile(dir, QStringLiteral("garbage.spd"), garbage));
    ASSERT_TRUE(r.ok);
    EXPECT_LE(r.bytes.size(), 512u);

    r = spdfile::read(writeFile(dir, QStringLiteral("empty.spd"), QByteArray()));
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.bytes.empty());

    r = spdfile::read(writeFile(dir, QStringLiteral("nohex.spd"), QByteArray(" zz GG ?? \r\n")));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.bytes[0], 0);
    EXPECT_EQ(r.bytes[1], 0);
}

TEST(SpdFileFormat, UnreadableFilesAreReportedNotRead)
{
    QTemporaryDir dir;
    EXPECT_FALSE(spdfile::read(dir.filePath(QStringLiteral("missing.spd"))).ok);
    EXPECT_FALSE(spdfile::read(dir.path()).ok);
    const QString locked = writeFile(dir, QStringLiteral("locked.bin"), QByteArray(512, '\1'));
    QFile::setPermissions(locked, QFileDevice::Permissions());
    if (QFile(locked).open(QIODevice::ReadOnly))
        GTEST_SKIP() << "running with rights that read any file";
    EXPECT_FALSE(spdfile::read(locked).ok);
}

TEST(SpdFileFormat, FailedWriteKeepsTheOldFile)
{
    QTemporaryDir dir;
    velmora::SpdImage img{};
    QString error;
    EXPECT_FALSE(spdfile::write(dir.filePath(QStringLiteral("no/such/folder/x.spd")), img, &error));
    EXPECT_FALSE(error.isEmpty());
}

class FillDocumentTest : public ProgramStateTest {
protected:
    void SetUp() override
    {
        ProgramStateTest::SetUp();
        velmora::gs().passwordMode = -1;
        doc.Form_Load();
    }
    void TearDown() override
    {
        doc.Set_form_chang(0);
        ProgramStateTest::TearDown();
    }
    ScriptedUi ui;
    frmDocument doc;
};

TEST_F(FillDocumentTest, Ddr4GetsItsTypeAndBothCrcs)
{
    auto r = spdfile::read(testData(QStringLiteral("corpus/memtest86plus_DDR4-M393A1G40EB1-CPB.bin")));
    const auto good126 = r.bytes[126];
    const auto good254 = r.bytes[254];
    r.bytes[126] ^= 0xFF;
    r.bytes[254] ^= 0xFF;
    spdfile::fillDocument(doc, r.bytes);
    EXPECT_EQ(doc.Get_Type(), 5);
    EXPECT_EQ(doc.checksumMode(), 1);
    EXPECT_EQ(doc.Get_Value(126), good126);
    EXPECT_EQ(doc.Get_Value(254), good254);
    EXPECT_EQ(doc.Chk_Form_Chang(), 0);
    EXPECT_EQ(doc.grid()->header(47).back, look::kRed);
    EXPECT_EQ(doc.grid()->header(31).back, look::kButtonFace);
}

TEST_F(FillDocumentTest, Ddr3AndDdr2AndUnknownTypes)
{
    std::vector<std::uint8_t> bytes(512, 0x5A);
    bytes[2] = 0x0B;
    bytes[0] = 0x12;
    spdfile::fillDocument(doc, bytes);
    EXPECT_EQ(doc.Get_Type(), 4);
    EXPECT_EQ(doc.checksumMode(), 1);
    EXPECT_EQ(doc.Get_Value(300), 0);  // the 256-byte layout clears the upper half
    EXPECT_EQ(doc.Get_Value(126), spd::cal_crc126(doc.image(), 125) & 0xFF);

    frmDocument ddr2;
    ddr2.Form_Load();
    bytes.assign(256, 0x11);
    bytes[2] = 0x08;
    spdfile::fillDocument(ddr2, bytes);
    EXPECT_EQ(ddr2.Get_Type(), 2);
    EXPECT_EQ(ddr2.checksumMode(), 0);
    EXPECT_EQ(ddr2.Get_Value(63), 0x11);  // the stored checksum stays as the file has it

    frmDocument odd;
    odd.Form_Load();
    bytes.assign(512, 0);
    bytes[2] = 0x0A;
    spdfile::fillDocument(odd, bytes);
    EXPECT_EQ(odd.Get_Type(), 0);
    EXPECT_EQ(odd.checksumMode(), 0);
}
