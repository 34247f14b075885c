#pragma once
// The report line tables of the five byte reports (SDRAM, DDR, DDR2, DDR3,
// DDR4): 514 texts each, every description line of a report stored at the
// index of the first SPD byte it describes, with the column header and the
// dashed rule at 256 and 257 (DDR4: 512 and 513). Entries no filler writes
// stay empty. The print command refills all five before every print.

#include <QString>
#include <array>

namespace report {

using LineTable = std::array<QString, 514>;

struct LineTables {
    LineTable sdr;
    LineTable ddr;
    LineTable ddr2;
    LineTable ddr3;
    LineTable ddr4;
};

// The program's tables; empty until the first fill.
LineTables& lineTables();

// Each writes its whole table.
void load_sdr_print();
void load_ddr_print();
void load_ddr2_print();
void load_ddr3_print();
void load_ddr4_print();
// All five, in the order SDRAM, DDR, DDR2, DDR3, DDR4.
void loadAllTables();

// Where the column header and the rule stand in a table.
inline constexpr int kHeader = 256;
inline constexpr int kRule = 257;
inline constexpr int kDdr4Header = 512;
inline constexpr int kDdr4Rule = 513;

} // namespace report
