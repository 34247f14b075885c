#include "rules/report/ReportTables.h"

namespace report {

namespace {

struct Row {
    int key;
    const char* label;  // a byte range; nullptr: the key itself
    const char* text;   // UTF-8
};

QString blanks(int n) { return QString(n, QLatin1Char(' ')); }

QString columnHeader(int blanksAfterByte, const char* word, int blanksAfterWord)
{
    return (blanks(5) + QStringLiteral("BYTE") + blanks(blanksAfterByte) + QString::fromLatin1(word) +
            blanks(blanksAfterWord) + QStringLiteral("DESCRIPTION"))
        .leftJustified(136);
}

QString dashedRule() { return blanks(5) + QString(139, QLatin1Char('-')); }

// A one-byte row of the one-page reports: the number right-aligned in nine
// characters, ten blanks, the description from the 20th character.
QString singleRow(const Row& r)
{
    return QString::number(r.key).rightJustified(9) + blanks(10) + QString::fromUtf8(r.text);
}

// Six blanks, the label in twelve characters, the description from the
// 19th character.
QString labelRow(const QString& label, const Row& r)
{
    return blanks(6) + label.leftJustified(12) + QString::fromUtf8(r.text);
}

void clear(LineTable& t)
{
    for (QString& s : t)
        s.clear();
}

// ---------------------------------------------------------------- SDRAM

const Row kSdrRows[] = {
    {0, nullptr, "Number of Bytes Utilized by Module Manufacturer"},
    {1, nullptr, "Total Number of Bytes in SPD Device"},
    {2, nullptr, "Memory Type"},
    {3, nullptr, "Number of Row Addresses"},
    {4, nullptr, "Number of Column Addresses"},
    {5, nullptr, "Number of Physical Ranks on DIMM"},
    {6, nullptr, "Module Data Width"},
    {7, nullptr, "Module Data Width(Continuation)"},
    {8, nullptr, "Module Voltage Interface Levels"},
    {9, nullptr, "SDRAM Cycle time. tCK(CAS Latency=3)"},
    {10, nullptr, "SDRAM Access from Clock,tAC(CAS Latency=3)"},
    {11, nullptr, "Module Configuration Type"},
    {12, nullptr, "Refresh Rate/Type"},
    {13, nullptr, "SDRAM Device Width(Primary SDRAM)"},
    {14, nullptr, "Error Checking SDRAM Data Width"},
    {15, nullptr, "Minimum Clock Delay, Back-to-Back Random Column Access"},
    {16, nullptr, "Burst Lengths Supported"},
    {17, nullptr, "Number of Banks on SDRAM Device"},
    {18, nullptr, "CAS Latencies Supported"},
    {19, nullptr, "CS Latency"},
    {20, nullptr, "WE Latency"},
    {21, nullptr, "SDRAM Module Attributes"},
    {22, nullptr, "SDRAM Device Attributes: General"},
    {23, nullptr, "SDRAM Cycle Time,tCK CAS Latency=2"},
    {24, nullptr, "SDRAM Access From CK,tAC CAS Latency=2"},
    {25, nullptr, "SDRAM Cycle Time,tCK CAS Latency=1"},
    {26, nullptr, "SDRAM Access From CK,tAC CAS Latency=1"},
    {27, nullptr, "Minimum Row Precharge Time (tRP)"},
    {28, nullptr, "Minimum Row Active to Row Active Delay,(tRRD)"},
    {29, nullptr, "Minimum RAS to CAS Delay,(tRCD)"},
    {30, nullptr, "Minimum RAS# Pulse Width,(tRAS)"},
    {31, nullptr, "Module Rank Density"},
    {32, nullptr, "Command Address Setup Time,tAS"},
    {33, nullptr, "Command Address Hold Time,tAH"},
    {34, nullptr, "Data Signal Input Setup,tDS"},
    {35, nullptr, "Data Signal Input Hold,tDH"},
    {36, "36-40", "Reserved"},
    {41, nullptr, "Device Minimum Active/Auo-Refresh Time,tRC"},
    {42, "42-61", "Reserved"},
    {62, nullptr, "SPD Revision"},
    {63, nullptr, "Checksum for Byte 0-62"},
    {64, "64-71", "Manufacturer's Jedec ID Code"},
    {72, nullptr, "Manufacturer's Location"},
    {73, "73-90", "Module Part Number(ASCII)"},
    {91, "91-92", "Module Revision Code"},
    {93, nullptr, "Module Manufacturing Year(HEX)"},
    {94, nullptr, "Module Manufacturing Week(HEX)"},
    {95, "95-98", "Module Serial Number"},
    {99, "99-125", "Manufacturer's Specific Data"},
    {126, nullptr, "Intel standard for frequency"},
    {127, nullptr, "Intel Standard details for 100MHz Support"},
};

// ---------------------------------------------------------------- DDR

const Row kDdrRows[] = {
    {0, nullptr, "Number of Bytes Utilized by Module Manufacturer"},
    {1, nullptr, "Total Number of Bytes in SPD Device"},
    {2, nullptr, "Memory Type"},
    {3, nullptr, "Number of Row Addresses"},
    {4, nullptr, "Number of Column Addresses"},
    {5, nullptr, "Number of Physical Ranks on DIMM"},
    {6, nullptr, "Module Data Width"},
    {7, nullptr, "Module Data Width(Continuation)"},
    {8, nullptr, "Module Voltage Interface Levels"},
    {9, nullptr, "SDRAM Cycle time. tCK(CAS Latency=3)"},
    {10, nullptr, "SDRAM Access from Clock,tAC(CAS Latency=3)"},
    {11, nullptr, "Module Configuration Type"},
    {12, nullptr, "Refresh Rate/Type"},
    {13, nullptr, "SDRAM Device Width(Primary DDR SDRAM"},
    {14, nullptr, "Error Checking DDR SDRAM Data Width"},
    {15, nullptr, "Minimum Clock Delay, Back-to-Back Random Column Access"},
    {16, nullptr, "Burst Lengths Supported"},
    {17, nullptr, "Number of Banks on DDR SDRAM Device"},
    {18, nullptr, "CAS Latencies Supported"},
    {19, nullptr, "CS Latency"},
    {20, nullptr, "WE Latency"},
    {21, nullptr, "SDRAM Module Attributes"},
    {22, nullptr, "SDRAM Device Attributes: General"},
    {23, nullptr, "SDRAM Cycle Time,tCK CAS Latency=2.5"},
    {24, nullptr, "SDRAM Access From CK,tAC CAS Latency=2.5"},
    {25, nullptr, "SDRAM Cycle Time,tCK CAS Latency=2"},
    {26, nullptr, "SDRAM Access From CK,tAC CAS Latency=2"},
    {27, nullptr, "Minimum Row Precharge Time (tRP)"},
    {28, nullptr, "Minimum Row Active to Row Active Delay,(tRRD)"},
    {29, nullptr, "Minimum RAS to CAS Delay,(tRCD)"},
    {30, nullptr, "Minimum RAS# Pulse Width,(tRAS)"},
    {31, nullptr, "Module Rank Density"},
    {32, nullptr, "Address and Command Input Setup Time,tIS"},
    {33, nullptr, "Address and Command Input Hold Time,tIH"},
    {34, nullptr, "Data/Data Mask Input Setup Time,tDS"},
    {35, nullptr, "Data/Data Mask Input Hold Time,tDH"},
    {36, "36-40", "Reserved"},
    {41, nullptr, "Minimum Active Auto Refresh Time,tRC"},
    {42, nullptr, "Minimum Auto Refresh to Active/Auto Refresh Command Period,tRFC"},
    {43, nullptr, "SDRAM Device Maximum Cycle Time,tCKMAX"},
    {44, nullptr, "SDRAM Device Maximum DQS-DQ Skew Time,tDQSQ"},
    {45, nullptr, "SDRAM Device Maximum Read Data Hold Skew Factor,tQHS"},
    {46, "46-61", "Reserved"},
    {62, nullptr, "SPD Revision"},
    {63, nullptr, "Checksum for Byte 0-62"},
    {64, "64-71", "Manufacturer's Jedec ID Code"},
    {72, nullptr, "Manufacturer's Location"},
    {73, "73-90", "Module Part Number(ASCII)"},
    {91, "91-92", "Module Revision Code"},
    {93, nullptr, "Module Manufacturing Year(HEX)"},
    {94, nullptr, "Module Manufacturing Week(HEX)"},
    {95, "95-98", "Module Serial Number"},
    {99, "99-127", "Manufacturer's Specific Data"},
};

// ---------------------------------------------------------------- DDR2

const Row kDdr2Rows[] = {
    {0, nullptr, "Number of Bytes Utilized by Module Manufacturer"},
    {1, nullptr, "Total Number of Bytes in SPD Device"},
    {2, nullptr, "Fundmental Memory Type"},
    {3, nullptr, "Number of Row Addresses"},
    {4, nullptr, "Number of Column Addresses"},
    {5, nullptr, "Number of Physical Ranks on DIMM"},
    {6, nullptr, "Module Data Width"},
    {7, nullptr, "Reserved"},
    {8, nullptr, "Module Voltage Interface Levels"},
    {9, nullptr, "DDR2 Cycle time. tCK(CL=MAX Value)"},
    {10, nullptr, "DDR2 Access from Clock,tAC(CL=MAX Value)"},
    {11, nullptr, "Module Configuration Type"},
    {12, nullptr, "Refresh Rate/Type"},
    {13, nullptr, "DDR2 SDRAM Device Width(Primary DDR2 Device)"},
    {14, nullptr, "Error Checking DDR2 Data Width"},
    {15, nullptr, "Reserved"},
    {16, nullptr, "Burst Lengths Supported"},
    {17, nullptr, "Number of Banks on DDR2 Device"},
    {18, nullptr, "CAS Latencies Supported"},
    {19, nullptr, "Module Thickness"},
    {20, nullptr, "DDR2 DIMM type"},
    {21, nullptr, "DDR2 Module Attributes"},
    {22, nullptr, "DDR2 Device Attributes: Weak Driver(01) or 50 ohm ODT(03)"},
    {23, nullptr, "DDR2 Cycle Time,tCK MAX CL-1"},
    {24, nullptr, "DDR2 Access From CK,tAC MAX CL-1"},
    {25, nullptr, "DDR2 Cycle Time,tCK MAX CL-2"},
    {26, nullptr, "DDR2 Access From CK,tAC MAX CL-2"},
    {27, nullptr, "Minimum Row Precharge Time (tRP)"},
    {28, nullptr, "Minimum Row Active to Row Active Delay,(tRRD)"},
    {29, nullptr, "Minimum RAS to CAS Delay,(tRCD)"},
    {30, nullptr, "Minimum RAS# Pulse Width,(tRAS)"},
    {31, nullptr, "Module Rank Density"},
    {32, nullptr, "Address and Command Input Setup Time,tIS"},
    {33, nullptr, "Address and Command Input Hold Time,tIH"},
    {34, nullptr, "Data/Data Mask Input Setup Time,tDS"},
    {35, nullptr, "Data/Data Mask Input Hold Time,tDH"},
    {36, nullptr, "Write Recovery Time,tWR"},
    {37, nullptr, "Write to Read Command Delay,tWTR"},
    {38, nullptr, "Read to Precharge Command Delay,tRTP"},
    {39, nullptr, "Memory Analysis Probe Characteristics"},
    {40, nullptr, "Extension for Byte 41 and 42"},
    {41, nullptr, "Minimum Active Auto Refresh Time,tRC"},
    {42, nullptr, "Minimum Auto Refresh to Active/Auto Refresh Command Period,tRFC"},
    {43, nullptr, "DDR2 Device Maximum Cycle Time,tCKMAX"},
    {44, nullptr, "DDR2 Device Maximum DQS-DQ Skew Time,tDQSQ"},
    {45, nullptr, "DDR2 Device Maximum Read Data Hold Skew Factor,tQHS"},
    {46, nullptr, "PLL Relock Time"},
    {47, "47-61", "Reserved"},
    {62, nullptr, "SPD Revision"},
    {63, nullptr, "Checksum for Byte 0-62"},
    {64, "64-71", "Manufacturer's Jedec ID Code"},
    {72, nullptr, "Manufacturer's Location"},
    {73, "73-90", "Module Part Number(ASCII)"},
    {91, "91-92", "Module Revision Code"},
    {93, nullptr, "Module Manufacturing Year(HEX)"},
    {94, nullptr, "Module Manufacturing Week(HEX)"},
    {95, "95-98", "Module Serial Number"},
    {99, "99-127", "Manufacturer's Specific Data"},
};

// ---------------------------------------------------------------- DDR3

struct Ddr3Row {
    Row row;
    int before;  // blanks before a range label
    int after;   // blanks after it
};

const Ddr3Row kDdr3Rows[] = {
    {{0, nullptr, "Number of Serial PD Bytes Written / SPD Device Size / CRC Coverage"}, 0, 0},
    {{1, nullptr, "SPD Revision"}, 0, 0},
    {{2, nullptr, "Key Byte / DRAM Device Type"}, 0, 0},
    {{3, nullptr, "Key Byte / Module Type"}, 0, 0},
    {{4, nullptr, "SDRAM Density and Banks"}, 0, 0},
    {{5, nullptr, "SDRAM Addressing"}, 0, 0},
    {{6, nullptr, "Reserved"}, 0, 0},
    {{7, nullptr, "Module Organization"}, 0, 0},
    {{8, nullptr, "Module Memory Bus Width"}, 0, 0},
    {{9, nullptr, "Fine Timebase Dividend and Divisor"}, 0, 0},
    {{10, nullptr, "Medium Timebase Dividend"}, 0, 0},
    {{11, nullptr, "Medium Timebase Divisor"}, 0, 0},
    {{12, nullptr, "SDRAM Minimum Cycle Time (tCKmin)"}, 0, 0},
    {{13, nullptr, "Reserved"}, 0, 0},
    {{14, nullptr, "CAS Latencies Supported, Least Significant Byte"}, 0, 0},
    {{15, nullptr, "CAS Latencies Supported, Most Significant Byte"}, 0, 0},
    {{16, nullptr, "Minimum CAS Latency Time (tAAmin)"}, 0, 0},
    {{17, nullptr, "Minimum Write Recovery Time (tWRmin)"}, 0, 0},
    {{18, nullptr, "Minimum RAS# to CAS# Delay Time (tRCDmin)"}, 0, 0},
    {{19, nullptr, "Minimum Row Active to Row Active Delay Time (tRRDmin)"}, 0, 0},
    {{20, nullptr, "Minimum Row Precharge Time (tRPmin)"}, 0, 0},
    {{21, nullptr, "Upper Nibbles for tRAS and tRC"}, 0, 0},
    {{22, nullptr, "Minimum Active to Precharge Time (tRASmin), Least Significant Byte"}, 0, 0},
    {{23, nullptr, "Minimum Active to Active/Refresh Time (tRCmin), Least Significant Byte"}, 0, 0},
    {{24, nullptr, "Minimum Refresh Recovery Time (tRFCmin), Least Significant Byte"}, 0, 0},
    {{25, nullptr, "Minimum Refresh Recovery Time (tRFCmin), Most Significant Byte"}, 0, 0},
    {{26, nullptr, "Minimum Internal Write to Read Command Delay Time (tWTRmin)"}, 0, 0},
    {{27, nullptr, "Minimum Internal Read to Precharge Command Delay Time (tWTRmin)"}, 0, 0},
    {{28, nullptr, "Upper Nibble for tFAW"}, 0, 0},
    {{29, nullptr, "Minimum Four Activate Window Delay Time (tFAWmin)"}, 0, 0},
    {{30, nullptr, "SDRAM Output Drivers supported"}, 0, 0},
    {{31, nullptr, "SDRAM Refresh Options"}, 0, 0},
    {{32, "32-59", "TBD, General Section"}, 6, 7},
    {{60, nullptr, "Module Nominal Height"}, 0, 0},
    {{61, nullptr, "Module Maximum Thickness"}, 0, 0},
    {{62, nullptr, "Reference Raw Card Used"}, 0, 0},
    {{63, nullptr, "Address Mapping from Edge Connector to DRAM"}, 0, 0},
    {{64, "64-116", "Reserved"}, 6, 6},
    {{117, nullptr, "Module ID: Module Manufacturer\u2019s JEDEC ID Code ,Least Significant Byte"}, 0, 0},
    {{118, nullptr, "Module ID: Module Manufacturer\u2019s JEDEC ID Code ,Most Significant Byte"}, 0, 0},
    {{119, nullptr, "Module ID: Module Manufacturing Location"}, 0, 0},
    {{120, nullptr, "Module ID: Module Manufacturing Date"}, 0, 0},
    {{121, nullptr, "Module ID: Module Manufacturing Date"}, 0, 0},
    {{122, "122-125", "Module ID: Module Serial Number"}, 5, 5},
    {{126, nullptr, "Cyclical Redundancy Code"}, 0, 0},
    {{127, nullptr, "Cyclical Redundancy Code"}, 0, 0},
    {{128, "128-145", "Module Part Number"}, 5, 7},
    {{146, "146-147", "Module Revision Code"}, 5, 7},
    {{148, "148-149", "DRAM Manufacturer\u2019s JEDEC ID Code"}, 5, 7},
    {{150, "150-175", "Manufacturer\u2019s Specific Data"}, 5, 7},
    {{176, "176-255", "Open for customer use"}, 5, 7},
};

int ddr3Length(int key)
{
    if (key <= 9)
        return 138;
    if (key <= 63)
        return 137;
    if (key == 117 || key == 118 || key == 148 || key == 150)
        return 135;
    if (key == 122)
        return 134;
    return 136;
}

// ---------------------------------------------------------------- DDR4

const Row kDdr4Rows[] = {
    {0, nullptr, "Number of Serial PD Bytes Written / SPD Device Size / CRC Coverage"},
    {1, nullptr, "SPD Revision"},
    {2, nullptr, "Key Byte / DRAM Device Type"},
    {3, nullptr, "Key Byte / Module Type"},
    {4, nullptr, "SDRAM Density and Banks"},
    {5, nullptr, "SDRAM Addressing"},
    {6, nullptr, "SDRAM Package Type"},
    {7, nullptr, "SDRAM Optional Features"},
    {8, nullptr, "SDRAM Thermal and Refrsh Option "},
    {9, nullptr, "Other SDRAM Optional Feature"},
    {10, nullptr, "Reserved"},
    {11, nullptr, "Module Nominal Voltage, VDD"},
    {12, nullptr, "Module Organization"},
    {13, nullptr, "Module Memory Bus Width"},
    {14, nullptr, "Module Thermal Sensor"},
    {15, nullptr, "Extended Module Type"},
    {16, nullptr, "Reserved"},
    {17, nullptr, "Timebases"},
    {18, nullptr, "SDRAM Minimum Cycle Time (tCKAVGmin)"},
    {19, nullptr, "SDRAM Maximum Cycle Time (tCKAVGmax)"},
    {20, nullptr, "CAS Latencies Supported, First Byte"},
    {21, nullptr, "CAS Latencies Supported, Second Byte"},
    {22, nullptr, "CAS Latencies Supported, Third Byte"},
    {23, nullptr, "CAS Latencies Supported, Fourth Byte"},
    {24, nullptr, "Minimum CAS Latency Time (tAAmin)"},
    {25, nullptr, "Minimum RAS to CAS Delay Time (tRCDmin)"},
    {26, nullptr, "Minimum Row Precharge Delay Time (tRPmin)"},
    {27, nullptr, "Upper Nibbles for tRASmin and tRCmin"},
    {28, nullptr, "Minimum Active to Precharge Delay Time (tRASmin), Least Significant Byte"},
    {29, nullptr, "Minimum Active to Active/Refresh Delay Time (tRCmin), Least Significant Byte"},
    {30, nullptr, "Minimum Refresh Recovery Delay Time (tRFC1min), LSB"},
    {31, nullptr, "Minimum Refresh Recovery Delay Time (tRFC1min), MSB"},
    {32, nullptr, "Minimum Refresh Recovery Delay Time (tRFC2min), LSB"},
    {33, nullptr, "Minimum Refresh Recovery Delay Time (tRFC2min), MSB"},
    {34, nullptr, "Minimum Refresh Recovery Delay Time (tRFC4min), LSB"},
    {35, nullptr, "Minimum Refresh Recovery Delay Time (tRFC4min), MSB"},
    {36, nullptr, "Minimum Four Activate Window Time (tFAWmin), Most Significant Nibble"},
    {37, nullptr, "Minimum Four Activate Window Time (tFAWmin), Least Significant Byte"},
    {38, nullptr, "Minimum Activate to Activate Delay Time (tRRD_Smin), different bank group"},
    {39, nullptr, "Minimum Activate to Activate Delay Time (tRRD_Lmin), same bank group"},
    {40, nullptr, "Minimum CAS to CAS Delay Time (tCCD_Lmin), same bank groupB"},
    {41, "41-59", "Reserved"},
    {60, "60-77", "Connector to SDRAM Bit Mapping"},
    {78, "78-116", "Reserved"},
    {117, nullptr, "Fine Offset for Minimum CAS to CAS Delay Time (tCCD_Lmin), same bank group"},
    {118, nullptr, "Fine Offset for Minimum Activate to Activate Delay Time (tRRD_Lmin), same bank group"},
    {119, nullptr, "Fine Offset for Minimum Activate to Activate Delay Time (tRRD_Smin), different bank group"},
    {120, nullptr, "Fine Offset for Minimum Activate to Activate/Refresh Delay Time (tRCmin)"},
    {121, nullptr, "Fine Offset for Minimum Row Precharge Delay Time (tRPmin)"},
    {122, nullptr, "Fine Offset for Minimum RAS to CAS Delay Time (tRCDmin)"},
    {123, nullptr, "Fine Offset for Minimum CAS Latency Time (tAAmin)"},
    {124, nullptr, "Fine Offset for SDRAM Maximum Cycle Time (tCKAVGmax)"},
    {125, nullptr, "Fine Offset for SDRAM Minimum Cycle Time (tCKAVGmin)"},
    {126, nullptr, "CRC for Base Configuration Section, Least Significant Byte"},
    {127, nullptr, "CRC for Base Configuration Section, Most Significant Byte"},
    {128, nullptr, "Raw Card Extension, Module Nominal Height"},
    {129, nullptr, "Module Maximum Thickness"},
    {130, nullptr, "Reference Raw Card Used"},
    {131, nullptr, "DIMM Module Attributes"},
    {132, nullptr, "RDIMM Thermal Heat Spreader Solution"},
    {133, nullptr, "Register Manufacturer ID Code, Least Significant Byte"},
    {134, nullptr, "Register Manufacturer ID Code, Most Significant Byte"},
    {135, nullptr, "Register Revision Number"},
    {136, nullptr, "Address Mapping from Register to DRAM"},
    {137, nullptr, "Register Output Drive Strength for Control and Command/Address"},
    {138, nullptr, "Register Output Drive Strength for CK"},
    {139, nullptr, "Data Buffer Revision Number"},
    {140, nullptr, "DRAM VrefDQ for Package Rank 0"},
    {141, nullptr, "DRAM VrefDQ for Package Rank 1"},
    {142, nullptr, "DRAM VrefDQ for Package Rank 2"},
    {143, nullptr, "DRAM VrefDQ for Package Rank 3"},
    {144, nullptr, "Data Buffer VrefDQ for DRAM Interface"},
    {145, nullptr, "Data Buffer MDQ Drive Strength and RTT for data rate < 1866"},
    {146, nullptr, "Data Buffer MDQ Drive Strength and RTT for 1866 < data rate < 2400"},
    {147, nullptr, "Data Buffer MDQ Drive Strength and RTT for 2400 < data rate < 3200"},
    {148, nullptr, "DRAM Drive Strength (for data rates < 1866, 1866 < data rate < 2400..."},
    {149, nullptr, "DRAM ODT (RTT_WR, RTT_NOM) for data rate < 1866"},
    {150, nullptr, "DRAM ODT (RTT_WR, RTT_NOM) for 1866 < data rate < 2400"},
    {151, nullptr, "DRAM ODT (RTT_WR, RTT_NOM) for 2400 < data rate < 3200"},
    {152, nullptr, "DRAM ODT (RTT_PARK) for data rate < 1866"},
    {153, nullptr, "DRAM ODT (RTT_PARK) for 1866 < data rate < 2400"},
    {154, nullptr, "DRAM ODT (RTT_PARK) for 2400 < data rate < 3200"},
    {155, nullptr, "Reserved"},
    {254, nullptr, "CRC for Module Specific Section, Least Significant Byte"},
    {255, nullptr, "CRC for Module Specific Section, Most Significant Byte"},
    {256, "256-319", "Reserved"},
    {320, nullptr, "Module Manufacturer\u2019s ID Code, Least Significant Byte"},
    {321, nullptr, "Module Manufacturer\u2019s ID Code, Most Significant Bytee"},
    {322, nullptr, "Module Manufacturing Location"},
    {323, nullptr, "Module Manufacturing Date"},
    {324, nullptr, "Module Manufacturing Date"},
    {325, "325-328", "Module Serial Number"},
    {326, nullptr, "Module Serial Number"},
    {327, nullptr, "Module Serial Number"},
    {328, nullptr, "Module Serial Number"},
    {329, "329-348", "Module Part Number"},
    {349, nullptr, "Module Revision Code"},
    {350, nullptr, "DRAM Manufacturer\u2019s ID Code, Least Significant Byte"},
    {351, nullptr, "DRAM Manufacturer\u2019s ID Code, Most Significant Byte"},
    {352, nullptr, "DRAM Stepping"},
    {353, "353 -381", "Module Manufacturer\u2019s Specific Data"},
    {382, "382 -383", "Reserved"},
    {384, "384 -511", "Reserved"},
};

// Leading blanks and blanks after the label: the description starts at the
// 20th character after a one-digit number, the 19th after two digits, the
// 18th after three digits or a range below 256, the 17th after a range from
// 256 on.
QString ddr4Row(const Row& r)
{
    const QString label = r.label ? QString::fromLatin1(r.label) : QString::number(r.key);
    int lead = 0;
    int start = 0;
    if (!r.label) {
        lead = label.size() == 1 ? 8 : label.size() == 2 ? 6 : 4;
        start = lead + static_cast<int>(label.size()) + 10 + 1;
    } else {
        lead = r.key < 256 ? 4 : 2;
        start = r.key < 256 ? 18 : 17;
    }
    const int after = start - 1 - lead - static_cast<int>(label.size());
    return blanks(lead) + label + blanks(after) + QString::fromUtf8(r.text);
}

} // namespace

LineTables& lineTables()
{
    static LineTables tables;
    return tables;
}

void load_sdr_print()
{
    LineTable& t = lineTables().sdr;
    clear(t);
    t[kHeader] = columnHeader(15, "SDRAM", 3);
    t[kRule] = dashedRule();
    for (const Row& r : kSdrRows) {
        if (!r.label && r.key <= 99)
            t[r.key] = singleRow(r).leftJustified(r.key <= 9 ? 138 : 137);
        else
            t[r.key] = labelRow(r.label ? QString::fromLatin1(r.label) : QString::number(r.key), r)
                           .leftJustified(r.key <= 99 ? 137 : 136);
    }
}

void load_ddr_print()
{
    LineTable& t = lineTables().ddr;
    clear(t);
    t[kHeader] = columnHeader(16, "DDR", 3);
    t[kRule] = dashedRule();
    for (const Row& r : kDdrRows) {
        if (!r.label)
            t[r.key] = singleRow(r).leftJustified(r.key <= 9 ? 138 : 137);
        else
            t[r.key] = labelRow(QString::fromLatin1(r.label), r).leftJustified(137);
    }
}

void load_ddr2_print()
{
    LineTable& t = lineTables().ddr2;
    clear(t);
    t[kHeader] = columnHeader(16, "DDR2", 3);
    t[kRule] = dashedRule();
    for (const Row& r : kDdr2Rows) {
        if (!r.label)
            t[r.key] = singleRow(r).leftJustified(r.key <= 9 ? 138 : 137);
        else
            t[r.key] = labelRow(QString::fromLatin1(r.label), r).leftJustified(137);
    }
}

void load_ddr3_print()
{
    LineTable& t = lineTables().ddr3;
    clear(t);
    t[kHeader] = columnHeader(15, "DDR3", 4);
    t[kRule] = dashedRule();
    for (const Ddr3Row& d : kDdr3Rows) {
        const Row& r = d.row;
        QString text;
        if (!r.label)
            text = singleRow(r);
        else
            text = blanks(d.before) + QString::fromLatin1(r.label) + blanks(d.after) + QString::fromUtf8(r.text);
        t[r.key] = text.leftJustified(ddr3Length(r.key));
    }
}

void load_ddr4_print()
{
    LineTable& t = lineTables().ddr4;
    clear(t);
    t[kDdr4Header] = columnHeader(15, "DDR4", 4);
    t[kDdr4Rule] = dashedRule();
    for (const Row& r : kDdr4Rows)
        t[r.key] = ddr4Row(r);
}

void loadAllTables()
{
    load_sdr_print();
    load_ddr_print();
    load_ddr2_print();
    load_ddr3_print();
    load_ddr4_print();
}

} // namespace report
