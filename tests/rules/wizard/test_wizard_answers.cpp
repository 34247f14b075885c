#include "rules/wizard/WizardAnswers.h"

#include <QStringList>
#include <gtest/gtest.h>

using wizard::AnswerRecord;
using wizard::Organisation;
using wizard::organisationOf;

namespace {

constexpr Organisation kDefaultCell{13, 10, 64, 4, 78};

// A record as an earlier pass through the parameter page could have left it.
AnswerRecord leftOver(int type)
{
    AnswerRecord a{};
    a.fill(99);
    a[0] = static_cast<std::int16_t>(type);
    return a;
}

} // namespace

TEST(WizardOrganisation, SdramAndDdrTableAWithItsDefaultCell)
{
    for (int type : {1, 2}) {
        EXPECT_EQ(organisationOf(type, 0, 1), (Organisation{11, 9, 16, 4, 156}));
        EXPECT_EQ(organisationOf(type, 1, 1), (Organisation{12, 10, 32, 4, 156}));
        EXPECT_EQ(organisationOf(type, 1, 2), (Organisation{13, 9, 32, 4, 78}));
        EXPECT_EQ(organisationOf(type, 2, 0), (Organisation{12, 11, 64, 4, 156}));
        EXPECT_EQ(organisationOf(type, 3, 1), (Organisation{13, 11, 128, 4, 78}));
        EXPECT_EQ(organisationOf(type, 3, 2), (Organisation{14, 10, 128, 4, 78}));
        EXPECT_EQ(organisationOf(type, 4, 0), (Organisation{13, 12, 1, 4, 78}));
        EXPECT_EQ(organisationOf(type, 4, 1), (Organisation{14, 11, 1, 4, 78}));
        // Pairs the table does not list.
        EXPECT_EQ(organisationOf(type, 0, 0), kDefaultCell);
        EXPECT_EQ(organisationOf(type, 4, 2), kDefaultCell);
        for (int w = 0; w < 3; ++w)
            EXPECT_EQ(organisationOf(type, 5, w), kDefaultCell) << w;
    }
}

TEST(WizardOrganisation, Ddr2TableBDiffersFromAAndItsMissingPairsTakeTheDefaultCell)
{
    EXPECT_EQ(organisationOf(3, 0, 2), (Organisation{12, 9, 16, 4, 156}));
    EXPECT_EQ(organisationOf(3, 3, 1), (Organisation{14, 10, 128, 4, 78}));
    EXPECT_EQ(organisationOf(3, 4, 1), (Organisation{14, 10, 1, 8, 78}));
    EXPECT_EQ(organisationOf(3, 4, 0), (Organisation{13, 12, 1, 4, 78}));

    // Not left open: every missing pair gives the default cell, and the
    // record step overwrites what an earlier pass wrote.
    const std::pair<int, int> missing[] = {{0, 0}, {5, 0}, {6, 0}, {5, 1}, {6, 1}, {4, 2}, {5, 2}, {6, 2}};
    for (const auto& [size, width] : missing) {
        EXPECT_EQ(organisationOf(3, size, width), kDefaultCell) << size << "," << width;
        AnswerRecord a = leftOver(3);
        wizard::recordModuleParameters(a, size, width, 0, false);
        EXPECT_EQ(a[3], 13);
        EXPECT_EQ(a[4], 10);
        EXPECT_EQ(a[13], 64);
        EXPECT_EQ(a[14], 4);
        EXPECT_EQ(a[15], 78);
    }
}

TEST(WizardOrganisation, Ddr3TableCSetsBanksButNeverTheRefreshCode)
{
    EXPECT_EQ(organisationOf(4, 2, 1), (Organisation{13, 10, 16, 4, 78}));
    EXPECT_EQ(organisationOf(4, 2, 2), (Organisation{12, 10, 16, 8, 78}));
    EXPECT_EQ(organisationOf(4, 3, 0), (Organisation{12, 11, 32, 8, 78}));
    EXPECT_EQ(organisationOf(4, 5, 1), (Organisation{15, 10, 128, 8, 78}));
    EXPECT_EQ(organisationOf(4, 6, 1), (Organisation{16, 10, 256, 8, 78}));
    EXPECT_EQ(organisationOf(4, 0, 1), kDefaultCell);
    EXPECT_EQ(organisationOf(4, 5, 2), kDefaultCell);
    EXPECT_EQ(organisationOf(4, 7, 1), kDefaultCell);
    for (int size = 0; size < 8; ++size)
        for (int width = 0; width < 3; ++width)
            EXPECT_EQ(organisationOf(4, size, width)->refresh, 78);
}

TEST(WizardParameters, RecordStepWritesItsNineElementsOnly)
{
    AnswerRecord a = leftOver(1);
    wizard::recordModuleParameters(a, 1, 1, 0, false);  // SDRAM "16 Mb", "x 8", "1 RANK"
    EXPECT_EQ(a, (AnswerRecord{1, 99, 1, 12, 10, 1, 99, 99, 99, 99, 1, 1, 99, 32, 4, 156}));

    a = leftOver(1);
    wizard::recordModuleParameters(a, 2, 2, 1, true);  // "32 Mb", "x 16", "2 RANK", ECC
    EXPECT_EQ(a, (AnswerRecord{1, 99, 2, 13, 10, 2, 99, 99, 99, 99, 2, 2, 99, 64, 4, 78}));

    // DDR4 has no organisation table: 3, 4 and 13 are not written.
    a = leftOver(5);
    wizard::recordModuleParameters(a, 4, 2, 1, true);
    EXPECT_EQ(a, (AnswerRecord{5, 99, 2, 99, 99, 2, 99, 99, 99, 99, 2, 4, 99, 99, 4, 78}));
}

TEST(WizardTimings, ListsAndDefaultsByTypeAndSpeed)
{
    const int sizes[5][4] = {{4, 3, 3, 4}, {9, 4, 4, 8}, {7, 4, 4, 12}, {18, 12, 12, 21}, {14, 14, 14, 44}};
    for (int t = 1; t <= 5; ++t) {
        const auto l = wizard::timingLists(t);
        EXPECT_EQ(l.tcl.size(), sizes[t - 1][0]) << t;
        EXPECT_EQ(l.trcd.size(), sizes[t - 1][1]) << t;
        EXPECT_EQ(l.trp.size(), sizes[t - 1][2]) << t;
        EXPECT_EQ(l.tras.size(), sizes[t - 1][3]) << t;
    }
    EXPECT_EQ(wizard::timingLists(3).tcl.last(), QStringLiteral("4T 5T"));
    EXPECT_EQ(wizard::timingLists(4).tcl.at(10), QStringLiteral("5T 6T 7T"));
    EXPECT_EQ(wizard::timingLists(5).tras.last(), QStringLiteral("63T"));

    // The items each grade preselects, read back from the lists.
    auto items = [](int type, int code) {
        const auto l = wizard::timingLists(type);
        const auto p = wizard::defaultTimingPositions(type, code);
        return QStringList{l.tcl.at(p.tcl), l.trcd.at(p.trcd), l.trp.at(p.trp), l.tras.at(p.tras)};
    };
    const QStringList sdram{"3T", "3T", "3T", "7T"};
    for (int code = 1; code <= 4; ++code)  // 166 MHz like the other grades
        EXPECT_EQ(items(1, code), sdram) << code;
    EXPECT_EQ(items(2, 7), (QStringList{"2.5T", "3T", "3T", "7T"}));
    EXPECT_EQ(items(2, 8), (QStringList{"3T", "4T", "4T", "8T"}));
    EXPECT_EQ(items(3, 10), (QStringList{"4T", "4T", "4T", "12T"}));
    EXPECT_EQ(items(3, 11), (QStringList{"5T", "5T", "5T", "15T"}));
    EXPECT_EQ(items(4, 14), (QStringList{"7T", "7T", "7T", "21T"}));
    EXPECT_EQ(items(4, 16), (QStringList{"9T", "9T", "9T", "24T"}));
    EXPECT_EQ(items(5, 18), (QStringList{"15T", "15T", "15T", "35T"}));
    EXPECT_EQ(items(5, 20), (QStringList{"17T", "17T", "17T", "38T"}));
    // A code of another type never names a position the lists lack.
    EXPECT_EQ(items(1, 20), (QStringList{"1T", "2T", "2T", "4T"}));
}

TEST(WizardTimings, RecordAddsTheFirstItemsClocksInTheOrderClTrpTrcdTras)
{
    auto record = [](int type, wizard::TimingPositions p) {
        AnswerRecord a{};
        a[0] = static_cast<std::int16_t>(type);
        wizard::recordTimings(a, p);
        return std::array<int, 4>{a[6], a[7], a[8], a[9]};
    };
    // tCL position, tRCD, tRP, tRAS positions in; CL, tRP, tRCD, tRAS out.
    EXPECT_EQ(record(1, {2, 0, 2, 3}), (std::array<int, 4>{2, 4, 2, 7}));
    EXPECT_EQ(record(2, {4, 2, 2, 3}), (std::array<int, 4>{4, 4, 4, 8}));
    EXPECT_EQ(record(3, {6, 3, 0, 11}), (std::array<int, 4>{6, 3, 6, 18}));
    EXPECT_EQ(record(4, {10, 11, 0, 20}), (std::array<int, 4>{10, 4, 15, 32}));
    EXPECT_EQ(record(5, {13, 0, 13, 43}), (std::array<int, 4>{20, 20, 7, 63}));
    // A list without a selection counts as its first item, never -1.
    EXPECT_EQ(record(1, {-1, -1, -1, -1}), (std::array<int, 4>{0, 2, 2, 4}));
}

TEST(WizardCaptions, BlanksAndSpeedCodesAsThePagesShowThem)
{
    EXPECT_EQ(wizard::speedCaptions(3).at(2), QStringLiteral("667 MHz(PC2-5200) "));
    EXPECT_EQ(wizard::sizeItems(4).at(3), QStringLiteral(" 64 Mb"));
    EXPECT_EQ(wizard::sizeItems(4).at(7), QStringLiteral("1 Gb "));
    EXPECT_EQ(wizard::sizeItems(5), (QStringList{"256 Mb", "512 Mb", "1 Gb  ", "2 GB  ", "4 GB  "}));
    EXPECT_EQ(wizard::sizeItems(3).size(), 7);
    EXPECT_EQ(wizard::speedCode(1, 0), 1);
    EXPECT_EQ(wizard::speedCode(4, 3), 16);
    EXPECT_EQ(wizard::speedCode(5, 0), 17);
    EXPECT_EQ(wizard::speedCode(5, 3), 20);

    EXPECT_EQ(wizard::trimBlanks(QStringLiteral("  7F7F9E ")), QStringLiteral("7F7F9E"));
    EXPECT_EQ(wizard::trimBlanks(QStringLiteral(" A B ")), QStringLiteral("A B"));
    EXPECT_EQ(wizard::trimBlanks(QStringLiteral("\tAB\t")), QStringLiteral("\tAB\t"));
    EXPECT_EQ(wizard::trimBlanks(QStringLiteral("   ")), QString());
}

TEST(WizardTimings, EveryDefaultPositionLiesInsideItsList)
{
    // The timing page's defaults, tCL, tRCD, tRP, tRAS positions, by speed
    // code 1 to 20 (166 MHz takes the other SDRAM grades' positions).
    const wizard::TimingPositions own[20] = {
        {2, 1, 1, 3},    {2, 1, 1, 3},    {2, 1, 1, 3},    {2, 1, 1, 3},    {3, 1, 1, 2},
        {3, 1, 1, 2},    {3, 1, 1, 2},    {4, 2, 2, 3},    {2, 1, 1, 5},    {2, 1, 1, 5},
        {3, 2, 2, 8},    {3, 2, 2, 8},    {3, 3, 3, 9},    {3, 3, 3, 9},    {5, 5, 5, 12},
        {5, 5, 5, 12},   {8, 8, 8, 15},   {8, 8, 8, 15},   {10, 10, 10, 18}, {10, 10, 10, 18}};
    for (int code = 1; code <= 20; ++code)
        EXPECT_EQ(wizard::defaultTimingPositions((code - 1) / 4 + 1, code), own[code - 1]) << code;

    // Whatever the pairing of type and code, no position outside the list.
    const int sizes[5][4] = {{4, 3, 3, 4}, {9, 4, 4, 8}, {7, 4, 4, 12}, {18, 12, 12, 21}, {14, 14, 14, 44}};
    for (int type = 1; type <= 5; ++type) {
        const int* n = sizes[type - 1];
        for (int code = 0; code <= 21; ++code) {
            const auto p = wizard::defaultTimingPositions(type, code);
            EXPECT_TRUE(p.tcl >= 0 && p.tcl < n[0] && p.trcd >= 0 && p.trcd < n[1] && p.trp >= 0 && p.trp < n[2] &&
                        p.tras >= 0 && p.tras < n[3])
                << "type " << type << " code " << code << ": " << p.tcl << " " << p.trcd << " " << p.trp << " "
                << p.tras;
        }
    }
}
