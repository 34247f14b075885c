#include "rules/report/ReportPrinters.h"
#include "ReportTestKit.h"

#include <functional>
#include <gtest/gtest.h>

using namespace reporttest;

namespace {

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override { report::loadAllTables(); }
    const report::LineTables& tables() const { return report::lineTables(); }
};

int firstByteOf(const PrintedText& v) { return v.text.left(2).toInt(nullptr, 16); }

// Every value from texts[first] to texts[end - 1] stands beside the row of
// the byte keyOf names, in the row's colour.
void expectValuesBesideTheirRows(const RecordingPrinter& rec, std::size_t first, std::size_t end,
                                 const std::function<int(const PrintedText&)>& keyOf)
{
    for (std::size_t i = first; i < end; ++i) {
        const PrintedText& v = rec.texts[i];
        const PrintedText* row = besideOf(rec.texts, v);
        ASSERT_NE(row, nullptr) << "value " << v.text.toStdString() << " at y " << v.y;
        EXPECT_EQ(labelOf(row->text), keyOf(v)) << v.text.toStdString() << " beside " << row->text.toStdString();
        EXPECT_EQ(row->colour, v.colour) << v.text.toStdString();
    }
}

} // namespace

TEST_F(ReportTest, Ddr3ReportRowByRow)
{
    RecordingPrinter rec;
    report::DDR3_PRINTER(rec, tables().ddr3, source(selfNamingImage(), QStringLiteral("C:\\spd\\module 1.spd*")));
    const auto& t = rec.texts;
    const auto& row = tables().ddr3;
    ASSERT_EQ(t.size(), 117u);  // 6 header lines, 58 description-pass lines, 53 values

    expectText(t[0], QStringLiteral("www.example.test"), 9500, 200, kRed);
    EXPECT_TRUE(t[0].italic);
    EXPECT_EQ(t[0].fontSize, 8);
    expectText(t[1], QStringLiteral("     Filename: module 1.spd*"), 0, 900, kBlue);
    EXPECT_TRUE(t[1].bold);
    expectText(t[2], QStringLiteral("  "), 0, 1140, kBlue);
    expectText(t[3], QStringLiteral("HEX"), 10300, 1500, kBlue);
    expectText(t[4], row[256], 0, 1500, kBlue);
    expectText(t[5], row[257], 0, 1740, kBlue);
    for (std::size_t i = 1; i < t.size(); ++i)
        EXPECT_TRUE(t[i].fontSize == 12 && !t[i].italic && t[i].bold == (i == 1)) << i;

    // Descriptions from the line below the rule.
    expectText(t[6], row[0], 0, 1980, kBlue);
    expectText(t[7], row[1], 0, 2220, kRed);
    expectText(t[37], row[31], 0, 9420, kRed);
    expectText(t[38], row[32], 0, 9660, kBlue);
    expectText(t[43], row[64], 0, 10860, kRed);
    expectText(t[49], row[122], 0, 12300, kRed);
    expectText(t[51], row[127], 0, 12780, kRed);
    expectText(t[52], QString(), 0, 13020, kRed);
    expectText(t[54], row[257], 0, 13500, kBlue);
    expectText(t[55], row[128], 0, 13740, kBlue);
    expectText(t[59], row[176], 0, 14700, kBlue);
    expectText(t[62], QString(), 0, 15420, kBlue);
    expectText(t[63], row[257], 0, 15660, kBlue);

    // Values from y 2020.
    expectText(t[64], QStringLiteral("00"), 10500, 2020, kBlue);
    expectText(t[96], QStringLiteral("20"), 10500, 9700, kBlue);   // row "32-59": byte 32 only
    expectText(t[101], QStringLiteral("40"), 10500, 10900, kRed);  // row "64-116": byte 64 only
    expectText(t[107], QStringLiteral("7A7B7C7D"), 9830, 12340, kRed);
    expectText(t[109], QStringLiteral("7F"), 10500, 12820, kRed);
    expectText(t[110], QStringLiteral("808182838485868788898A8B8C8D8E8F9091"), 6670, 13770, kBlue);
    expectText(t[111], QStringLiteral("9293"), 10270, 14010, kRed);
    expectText(t[113], QStringLiteral("969798999A9B9C9D9E9FA0A1A2A3A4A5A6A7A8A9AAABACADAEAF"), 4870, 14490, kRed);
    expectText(t[114], QStringLiteral("B0B1B2B3B4B5B6B7B8B9BABBBCBDBEBF"), 7120, 14730, kBlue);
    expectText(t[115], QStringLiteral("C0C1C2C3C4C5C6C7C8C9CACBCCCDCECFD0D1D2D3D4D5D6D7D8D9DADBDCDDDEDF"), 3500, 14970,
               kBlue);
    expectText(t[116], QStringLiteral("E0E1E2E3E4E5E6E7E8E9EAEBECEDEEEFF0F1F2F3F4F5F6F7F8F9FAFBFCFDFEFF"), 3500, 15210,
               kBlue);

    // Up to byte 176 each value stands beside its own row; bytes 192 to 255
    // stand beside empty lines.
    expectValuesBesideTheirRows(rec, 64, 115, firstByteOf);
    EXPECT_EQ(besideOf(t, t[115])->text, QString());
    EXPECT_EQ(besideOf(t, t[116])->text, QString());
    EXPECT_EQ(rec.pagesStarted, 1);
}

TEST_F(ReportTest, Ddr4ReportRunsToTwoPages)
{
    RecordingPrinter rec;
    report::DDR4_PRINTER(rec, tables().ddr4, source(selfNamingImage()));
    const auto& t = rec.texts;
    const auto& row = tables().ddr4;
    EXPECT_EQ(rec.pagesStarted, 2);

    // Page 1: header, 55 descriptions, two empty lines, "PAGE 1", 55 values.
    std::size_t page1 = 0;
    while (page1 < t.size() && t[page1].page == 1)
        ++page1;
    ASSERT_EQ(page1, 119u);
    expectText(t[0], QStringLiteral("www.example.test"), 8500, 200, kRed);
    EXPECT_EQ(t[0].fontSize, 11);
    expectText(t[1], QStringLiteral("     Filename: m.spd"), 0, 900, kBlue);
    expectText(t[4], row[512], 0, 1500, kBlue);
    expectText(t[5], row[513], 0, 1740, kBlue);
    expectText(t[6], row[0], 0, 1980, kBlue);
    expectText(t[47], row[41], 0, 11820, kRed);
    expectText(t[48], row[60], 0, 12060, kBlue);
    expectText(t[60], row[127], 0, 14940, kBlue);
    expectText(t[63], QStringLiteral("PAGE 1"), 5000, 15660, kBlue);
    expectText(t[64], QStringLiteral("00"), 10500, 2020, kBlue);
    expectText(t[105], QStringLiteral("29"), 10500, 11860, kRed);  // "41-59": byte 41 only
    expectText(t[106], QStringLiteral("404142434445464748494A4B4C4D"), 7575, 12100, kBlue);  // 64 to 77
    expectText(t[107], QStringLiteral("4E"), 10500, 12340, kRed);  // "78-116": byte 78 only
    expectText(t[118], QStringLiteral("7F"), 10500, 14980, kBlue);

    // Page 2: web address, 45 descriptions, "PAGE 2", 45 values; the body
    // upright at 12 points as on page 1.
    ASSERT_EQ(t.size(), page1 + 92);
    const std::size_t p2 = page1;
    const std::size_t v2 = p2 + 47;
    expectText(t[p2], QStringLiteral("www.example.test"), 8500, 200, kRed, 2);
    EXPECT_TRUE(t[p2].italic);
    expectText(t[p2 + 1], row[128], 0, 500, kBlue, 2);
    expectText(t[p2 + 28], row[155], 0, 500 + 27 * 240, kRed, 2);
    expectText(t[p2 + 45], row[384], 0, 500 + 44 * 240, kBlue, 2);
    expectText(t[p2 + 46], QStringLiteral("PAGE 2"), 5000, 15660, kBlue, 2);
    expectText(t[v2], QStringLiteral("80"), 10500, 500, kBlue, 2);
    expectText(t[v2 + 30], QStringLiteral("00"), 10500, 500 + 30 * 240, kBlue, 2);  // "256-319": byte 256
    expectText(t[v2 + 36], QStringLiteral("45464748"), 9750, 500 + 36 * 240, kBlue, 2);
    expectText(t[v2 + 37], QStringLiteral("494A4B4C4D4E4F505152535455565758595A5B5C"), 6125, 500 + 37 * 240, kRed, 2);
    expectText(t[v2 + 42], QStringLiteral("61"), 10500, 500 + 42 * 240, kBlue, 2);  // "353 -381": byte 353
    expectText(t[v2 + 44], QStringLiteral("80"), 10500, 500 + 44 * 240, kBlue, 2);  // "384 -511": byte 384
    for (std::size_t i = p2 + 1; i < t.size(); ++i)
        EXPECT_TRUE(t[i].fontSize == 12 && !t[i].italic) << i;

    // Every value beside its own row: "60-77" starts with byte 64; on page 2
    // bytes from 256 on hold their number less 256, and byte 384 (0x80) is
    // the last line.
    auto key = [&](const PrintedText& v) {
        const int b = firstByteOf(v);
        if (v.page == 1)
            return b == 64 ? 60 : b;
        if (&v == &t.back())
            return 384;
        return b < 0x80 ? b + 256 : b;
    };
    expectValuesBesideTheirRows(rec, 64, page1, key);
    expectValuesBesideTheirRows(rec, v2, t.size(), key);

    // Bytes the report does not show change nothing.
    velmora::SpdImage img = selfNamingImage();
    for (int i : {42, 59, 60, 63, 79, 116, 156, 253, 257, 319, 354, 381, 383, 385, 511})
        img[static_cast<std::size_t>(i)] ^= 0x5A;
    RecordingPrinter other;
    report::DDR4_PRINTER(other, tables().ddr4, source(img));
    ASSERT_EQ(other.texts.size(), t.size());
    for (std::size_t i = 0; i < t.size(); ++i)
        EXPECT_TRUE(same(other.texts[i], t[i])) << i;
}

TEST_F(ReportTest, OnePageReportsPlaceTheirManufacturerBlock)
{
    struct Case {
        void (*printer)(platform::Printer&, const report::LineTable&, const report::ReportSource&);
        const report::LineTable& table;
        int fileY, hexY, valuesY;  // header and the first value
        int blockY, idX, dataX;
        const char* data;  // the maker's data, from byte 99
        std::size_t firstValue;
    };
    const Case cases[] = {
        {report::SDR_PRINTER, tables().sdr, 800, 1340, 1810, 12850, 8920, 4660,
         "636465666768696A6B6C6D6E6F707172737475767778797A7B7C7D", 63},
        {report::DDR_PRINTER, tables().ddr, 800, 1340, 1800, 13350, 8920, 4220,
         "636465666768696A6B6C6D6E6F707172737475767778797A7B7C7D7E7F", 63},
        {report::DDR2_PRINTER, tables().ddr2, 600, 1140, 1620, 13880, 8900, 4220,
         "636465666768696A6B6C6D6E6F707172737475767778797A7B7C7D7E7F", 66},
    };
    // A part number with control codes, a soft hyphen and a no-break space
    // among the letters: each prints as one blank in its place.
    velmora::SpdImage img = selfNamingImage();
    const std::uint8_t part[18] = {'M', 0x00, 'T', 0x07, 0x7F, 0x9B, 'X', 0xAD, 'Y', 0xA0, 'Z', 0, 0, 0, 0, 0, 0, 0xE9};
    for (int k = 0; k < 18; ++k)
        img[static_cast<std::size_t>(73 + k)] = part[k];
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileY);
        RecordingPrinter rec;
        c.printer(rec, c.table, source(img));
        const auto& t = rec.texts;
        expectText(t[1], QStringLiteral("     Filename: m.spd"), 0, c.fileY, kBlue);
        expectText(t[3], QStringLiteral("HEX"), 10300, c.hexY, kBlue);
        expectText(t[6], c.table[0], 0, c.hexY + 480, kBlue);
        expectText(t[c.firstValue], QStringLiteral("00"), 10500, c.valuesY, kBlue);
        const std::size_t block = t.size() - (c.printer == report::SDR_PRINTER ? 10 : 8);
        expectText(t[block], QStringLiteral("4041424344454647"), c.idX, c.blockY, kRed);
        expectText(t[block + 2], QStringLiteral("M T   X Y Z") + QString(6, QLatin1Char(' ')) + QChar(0xE9), 8550,
                   c.blockY + 480, kRed);
        expectText(t[block + 3], QStringLiteral("5B5C"), 10270, c.blockY + 720, kBlue);
        expectText(t[block + 6], QStringLiteral("5F606162"), 9830, c.blockY + 1440, kRed);
        expectText(t[block + 7], QString::fromLatin1(c.data), c.dataX, c.blockY + 1680, kBlue);
        expectValuesBesideTheirRows(rec, c.firstValue, t.size(),
                                    [](const PrintedText& v) { return v.x == 8550 ? 73 : firstByteOf(v); });
        EXPECT_EQ(rec.pagesStarted, 1);
    }

    // A part number of 0 bytes prints nothing but keeps its line.
    for (int k = 73; k <= 90; ++k)
        img[static_cast<std::size_t>(k)] = 0;
    RecordingPrinter rec;
    report::DDR2_PRINTER(rec, tables().ddr2, source(img));
    expectText(rec.texts[118], QString(), 8550, 14360, kRed);
    expectText(rec.texts[119], QStringLiteral("5B5C"), 10270, 14600, kBlue);
}

TEST_F(ReportTest, ByteTwoChoosesTheReportAndPrintsAgainTheSame)
{
    const std::pair<int, const report::LineTable*> cases[] = {
        {4, &tables().sdr}, {8, &tables().ddr2}, {11, &tables().ddr3}, {12, &tables().ddr4}, {7, &tables().ddr},
        {0, &tables().ddr}, {1, &tables().ddr}, {9, &tables().ddr},    {10, &tables().ddr}, {13, &tables().ddr},
        {255, &tables().ddr},
    };
    for (const auto& [byte2, table] : cases) {
        velmora::SpdImage img = selfNamingImage();
        img[2] = static_cast<std::uint8_t>(byte2);
        RecordingPrinter a;
        RecordingPrinter b;
        report::printReport(a, tables(), source(img));
        report::printReport(b, tables(), source(img));
        ASSERT_GT(a.texts.size(), 5u);
        EXPECT_EQ(a.texts[4].text, (*table)[byte2 == 12 ? 512 : 256]) << "byte 2 = " << byte2;
        ASSERT_EQ(a.texts.size(), b.texts.size());
        for (std::size_t i = 0; i < a.texts.size(); ++i)
            EXPECT_TRUE(same(a.texts[i], b.texts[i])) << byte2 << " line " << i;
    }
}

TEST(ReportTexts, ValuesAndFileNames)
{
    EXPECT_EQ(report::hexByte(0), QStringLiteral("00"));
    EXPECT_EQ(report::hexByte(10), QStringLiteral("0A"));
    EXPECT_EQ(report::hexByte(15), QStringLiteral("0F"));
    EXPECT_EQ(report::hexByte(16), QStringLiteral("10"));
    EXPECT_EQ(report::hexByte(255), QStringLiteral("FF"));
    EXPECT_EQ(report::fileNameOf(QStringLiteral("SPD_File 3")), QStringLiteral("SPD_File 3"));
    EXPECT_EQ(report::fileNameOf(QStringLiteral("C:\\SPD\\ddr3.spd")), QStringLiteral("ddr3.spd"));
    EXPECT_EQ(report::fileNameOf(QStringLiteral("/home/ann/spd/ddr4 a.bin*")), QStringLiteral("ddr4 a.bin*"));
    EXPECT_EQ(report::fileNameOf(QStringLiteral("/home/a\\b/c.spd")), QStringLiteral("c.spd"));
    EXPECT_EQ(report::fileNameOf(QStringLiteral("/home/a/b\\c.spd")), QStringLiteral("c.spd"));
    EXPECT_EQ(report::fileNameOf(QString()), QString());
}
