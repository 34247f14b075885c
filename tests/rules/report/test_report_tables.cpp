#include "rules/report/ReportTables.h"

#include <algorithm>
#include <gtest/gtest.h>

using report::LineTable;

TEST(ReportTables, RowsAsWrittenWithTheirLayout)
{
    report::loadAllTables();
    const report::LineTables& t = report::lineTables();
    const QString rule = QStringLiteral("     ") + QString(139, QLatin1Char('-'));
    struct Row {
        const LineTable& table;
        int index;
        const char* text;  // UTF-8
        int length;        // with trailing blanks; 0: none
    };
    const Row rows[] = {
        {t.sdr, 256, "     BYTE               SDRAM   DESCRIPTION", 136},
        {t.sdr, 0, "        0          Number of Bytes Utilized by Module Manufacturer", 138},
        {t.sdr, 41, "       41          Device Minimum Active/Auo-Refresh Time,tRC", 137},
        {t.sdr, 36, "      36-40       Reserved", 137},
        {t.sdr, 99, "      99-125      Manufacturer's Specific Data", 137},
        {t.sdr, 126, "      126         Intel specification for frequency", 136},
        {t.ddr, 256, "     BYTE                DDR   DESCRIPTION", 136},
        {t.ddr, 13, "       13          SDRAM Device Width(Primary DDR SDRAM", 137},
        {t.ddr, 99, "      99-127      Manufacturer's Specific Data", 137},
        {t.ddr2, 256, "     BYTE                DDR2   DESCRIPTION", 136},
        {t.ddr2, 2, "        2          Fundmental Memory Type", 138},
        {t.ddr2, 47, "      47-61       Reserved", 137},
        {t.ddr3, 256, "     BYTE               DDR3    DESCRIPTION", 136},
        {t.ddr3, 27, "       27          Minimum Internal Read to Precharge Command Delay Time (tWTRmin)", 137},
        {t.ddr3, 32, "      32-59       TBD, General Section", 137},
        {t.ddr3, 64, "      64-116      Reserved", 136},
        {t.ddr3, 117, "      117          Module ID: Module Manufacturer\u2019s JEDEC ID Code ,Least Significant Byte", 135},
        {t.ddr3, 122, "     122-125     Module ID: Module Serial Number", 134},
        {t.ddr3, 176, "     176-255       Open for customer use", 136},
        {t.ddr4, 512, "     BYTE               DDR4    DESCRIPTION", 136},
        {t.ddr4, 8, "        8          SDRAM Thermal and Refrsh Option ", 0},
        {t.ddr4, 40, "      40          Minimum CAS to CAS Delay Time (tCCD_Lmin), same bank groupB", 0},
        {t.ddr4, 41, "    41-59        Reserved", 0},
        {t.ddr4, 78, "    78-116       Reserved", 0},
        {t.ddr4, 256, "  256-319       Reserved", 0},
        {t.ddr4, 321, "    321          Module Manufacturer\u2019s ID Code, Most Significant Bytee", 0},
        {t.ddr4, 353, "  353 -381      Module Manufacturer\u2019s Specific Data", 0},
    };
    for (const Row& r : rows) {
        QString want = QString::fromUtf8(r.text);
        if (r.length)
            want += QString(r.length - static_cast<int>(want.size()), QLatin1Char(' '));
        EXPECT_EQ(r.table[static_cast<std::size_t>(r.index)], want) << r.text;
    }

    // How many entries each filler writes; the rule; entries left empty.
    const std::pair<const LineTable*, int> counts[] = {{&t.sdr, 53}, {&t.ddr, 55}, {&t.ddr2, 60}, {&t.ddr3, 53},
                                                       {&t.ddr4, 105}};
    for (const auto& [table, n] : counts) {
        EXPECT_EQ(std::count_if(table->begin(), table->end(), [](const QString& s) { return !s.isEmpty(); }), n);
        EXPECT_EQ((*table)[table == &t.ddr4 ? 513 : 257], rule);
    }
    for (int i : {37, 43, 100, 128})
        EXPECT_TRUE(t.sdr[static_cast<std::size_t>(i)].isEmpty()) << i;
    for (int i : {42, 79, 156, 257, 355, 383, 511})
        EXPECT_TRUE(t.ddr4[static_cast<std::size_t>(i)].isEmpty()) << i;
}
