#pragma once
// The five byte reports (SDRAM, DDR, DDR2, DDR3, DDR4) over the printer
// interface. Each prints a header block (the maker's web address, the file
// name, "HEX" beside the column header, the dashed rule) and then each page
// in two passes: first the description lines from the report line table,
// then, from the top of the column again, one value per line in the same
// order, so that each value stands beside its description and has its
// colour (red and blue in turn, the first blue).

#include "state/SpdImage.h"
#include "platform/Printer.h"
#include "rules/report/ReportTables.h"

#include <QString>

namespace report {

// What a report reads of the document it prints.
struct ReportSource {
    QString caption;        // the document window's caption
    velmora::SpdImage image{};
    QString webAddress;     // printed at the top of every page
};

inline constexpr platform::PrintColour kRed = 0x0000FF;
inline constexpr platform::PrintColour kBlue = 0xFF0000;

enum class ReportKind { Sdram, Ddr, Ddr2, Ddr3, Ddr4 };

// The report for a memory type byte (SPD byte 2): 4 SDRAM, 8 DDR2, 11 DDR3,
// 12 DDR4, every other value DDR.
ReportKind reportFor(int memoryTypeByte);

// The file name of the header: the caption after its last "/" or "\".
QString fileNameOf(const QString& caption);

// Two upper-case hexadecimal digits.
QString hexByte(int value);
// The two-digit texts of bytes first..last joined; empty when last < first.
QString hexField(const velmora::SpdImage& image, int first, int last);
// The module part number of the SDRAM, DDR and DDR2 reports (bytes 73 to
// 90): empty when all 18 bytes are 0, else one character per byte, control
// codes as blanks.
QString partNumberText(const velmora::SpdImage& image);

// Switches red to blue and blue to red; other colours stay.
void switchColour(platform::Printer& p);

// The line procedures of the DDR4 report: each switches the colour, then
// prints one line at the cursor.
void print_line(platform::Printer& p, const LineTable& table, int I);
void print_byte(platform::Printer& p, const velmora::SpdImage& image, int I);
void Print_ddr4_str(platform::Printer& p, const velmora::SpdImage& image, int I, int J);

// The reports; each prints into a started job and ends nothing.
void SDR_PRINTER(platform::Printer& p, const LineTable& table, const ReportSource& doc);
void DDR_PRINTER(platform::Printer& p, const LineTable& table, const ReportSource& doc);
void DDR2_PRINTER(platform::Printer& p, const LineTable& table, const ReportSource& doc);
void DDR3_PRINTER(platform::Printer& p, const LineTable& table, const ReportSource& doc);
// Two pages: it starts the second page itself.
void DDR4_PRINTER(platform::Printer& p, const LineTable& table, const ReportSource& doc);

// The report that byte 2 of the document chooses, from its table.
void printReport(platform::Printer& p, const LineTables& tables, const ReportSource& doc);

} // namespace report
