#include "rules/spd/ByteNameTables.h"

#include <gtest/gtest.h>

using bytenames::name;
using bytenames::Table;

TEST(ByteNames, TablesSetTheirEntriesAndNoMore)
{
    for (Table t : {Table::Sdram, Table::Ddr, Table::Ddr2, Table::Ddr3, Table::Rambus}) {
        for (int i = 0; i < 256; ++i)
            EXPECT_FALSE(name(t, i).isEmpty()) << static_cast<int>(t) << " " << i;
        for (int i = 256; i < 512; ++i)
            EXPECT_TRUE(name(t, i).isEmpty());
        EXPECT_EQ(name(t, 255), QStringLiteral("Open for customer use")) << static_cast<int>(t);
    }
    for (int i = 0; i < 512; ++i)
        EXPECT_FALSE(name(Table::Ddr4, i).isEmpty()) << i;
    EXPECT_TRUE(name(Table::Ddr4, 512).isEmpty());
    EXPECT_TRUE(name(Table::Ddr4, -1).isEmpty());
}

TEST(ByteNames, ExactTextsWithTheirBlanksAndApostrophes)
{
    EXPECT_EQ(name(Table::Sdram, 0), QStringLiteral("Number of Bytes Used(SDRAM)"));
    EXPECT_EQ(name(Table::Ddr, 47), QStringLiteral(" DIMM Height"));
    EXPECT_TRUE(name(Table::Ddr3, 8).endsWith(QLatin1Char(' ')));
    EXPECT_TRUE(name(Table::Ddr4, 8).endsWith(QLatin1Char(' ')));
    EXPECT_TRUE(name(Table::Ddr3, 117).contains(QChar(0x2019)));
    EXPECT_TRUE(name(Table::Ddr4, 320).contains(QChar(0x2019)));
    EXPECT_TRUE(name(Table::Sdram, 73).contains(QLatin1Char('\'')));
    EXPECT_TRUE(name(Table::Ddr, 64).contains(QLatin1Char('\'')));
    for (int i = 329; i <= 348; ++i)
        EXPECT_EQ(name(Table::Ddr4, i), QStringLiteral("Module Part Number"));
    EXPECT_EQ(name(Table::Ddr4, 349), QStringLiteral("Module Revision Code"));
    for (int i = 353; i <= 511; ++i)
        EXPECT_EQ(name(Table::Ddr4, i), QStringLiteral("Module Manufacturer\u2019s Specific Data"));
}

TEST(ByteNames, Ddr2DiffersFromDdrInItsOwnEntriesOnly)
{
    int differing = 0;
    for (int i = 0; i < 512; ++i)
        differing += name(Table::Ddr, i) != name(Table::Ddr2, i);
    EXPECT_EQ(differing, 25);
    EXPECT_TRUE(name(Table::Ddr, 23).contains(QStringLiteral("CLX-0.5")));
    EXPECT_TRUE(name(Table::Ddr2, 23).contains(QStringLiteral("CLX-1")));
    EXPECT_TRUE(name(Table::Ddr2, 25).contains(QStringLiteral("CLX-2")));
}
