#include "rules/device/PinNameTables.h"

namespace pins {

namespace {

constexpr const char* kSignals[144] = {
    "D0", "D1", "D2", "D3", "D4", "D5", "D6", "D7",
    "D8", "D9", "D10", "D11", "D12", "D13", "D14", "D15",
    "D16", "D17", "D18", "D19", "D20", "D21", "D22", "D23",
    "D24", "D25", "D26", "D27", "D28", "D29", "D30", "D31",
    "D32", "D33", "D34", "D35", "D36", "D37", "D38", "D39",
    "D40", "D41", "D42", "D43", "D44", "D45", "D46", "D47",
    "D48", "D49", "D50", "D51", "D52", "D53", "D54", "D55",
    "D56", "D57", "D58", "D59", "D60", "D61", "D62", "D63",
    "CB0", "CB1", "CB2", "CB3", "CB4", "CB5", "CB6", "CB7",
    "A0", "A1", "A2", "A3", "A4", "A5", "A6", "A7",
    "A8", "A9", "A10", "A11", "A12", "A13", "BA0", "BA1",
    "DM0", "DM1", "DM2", "DM3", "DM4", "DM5", "DM6", "DM7",
    "DQS0", "DQS1", "DQS2", "DQS3", "DQS4", "DQS5", "DQS6", "DQS7",
    "DQS8", "DM8", "RAS", "CAS", "CS0", "CS1", "VPP", "CS3",
    "WE", "/DQS0", "/DQS1", "/DQS2", "/DQS3", "/DQS4", "/DQS5", "/DQS6",
    "/DQS7", "/DQS8", "PAR", "ACT", "BG0", "BG1", "ALR", "A14",
    "A15", "VCA", "BA2", "CKE0", "CKE1", "CK0", "/CK0", "CK1",
    "/CK1", "CK2", "/CK2", "VREF", "RST", "ODT0", "ODT1", "VTT",
};

// Module pin of each channel; 0 where the channel has no contact.
constexpr short kDdr4Pins[144] = {
    5, 150, 12, 157, 3, 148, 10, 155,
    15, 161, 23, 168, 14, 159, 21, 166,
    27, 172, 34, 179, 25, 170, 32, 177,
    38, 183, 45, 190, 36, 181, 43, 188,
    97, 242, 104, 249, 95, 240, 102, 247,
    108, 253, 115, 260, 106, 251, 113, 258,
    119, 264, 126, 271, 117, 262, 124, 269,
    130, 275, 137, 282, 128, 273, 135, 280,
    49, 194, 56, 201, 47, 192, 54, 199,
    79, 72, 216, 71, 214, 213, 69, 211,
    68, 66, 225, 210, 65, 232, 81, 224,
    7, 10, 29, 40, 99, 110, 121, 132,
    153, 164, 175, 186, 245, 256, 267, 278,
    197, 51, 82, 86, 84, 89, 0, 0,
    228, 152, 163, 174, 185, 244, 255, 266,
    277, 196, 222, 62, 63, 207, 208, 0,
    0, 146, 0, 60, 203, 74, 75, 135,
    136, 0, 0, 0, 58, 87, 91, 240,
};

// Module pin of each channel; 0 where the channel has no contact.
constexpr short kDdr4SoPins[144] = {
    8, 7, 20, 21, 4, 3, 16, 17,
    28, 29, 41, 42, 24, 25, 38, 37,
    50, 49, 62, 63, 46, 45, 58, 59,
    70, 71, 83, 84, 66, 67, 79, 80,
    174, 173, 187, 186, 170, 169, 183, 182,
    195, 194, 207, 208, 191, 190, 203, 204,
    216, 215, 228, 229, 211, 212, 224, 225,
    237, 236, 249, 250, 232, 233, 245, 246,
    92, 91, 101, 105, 88, 87, 100, 104,
    144, 133, 132, 131, 128, 126, 127, 122,
    125, 121, 146, 120, 119, 158, 150, 145,
    12, 33, 54, 75, 178, 199, 220, 241,
    13, 34, 53, 76, 179, 200, 221, 242,
    97, 96, 152, 156, 149, 157, 0, 0,
    151, 11, 32, 53, 74, 177, 198, 219,
    240, 95, 143, 114, 115, 113, 116, 0,
    0, 146, 0, 109, 110, 137, 139, 138,
    140, 0, 0, 0, 108, 155, 161, 258,
};

// Module pin of each channel; 0 where the channel has no contact.
constexpr short kDdr3Pins[144] = {
    3, 4, 9, 10, 122, 123, 128, 129,
    12, 13, 18, 19, 131, 132, 137, 138,
    21, 22, 27, 28, 140, 141, 146, 147,
    30, 31, 36, 37, 149, 150, 155, 156,
    81, 82, 87, 88, 200, 201, 206, 207,
    90, 91, 96, 97, 209, 210, 215, 216,
    99, 100, 105, 106, 218, 219, 224, 225,
    108, 109, 114, 115, 227, 228, 233, 234,
    39, 40, 45, 46, 158, 159, 164, 165,
    188, 181, 61, 180, 59, 58, 178, 56,
    177, 175, 70, 55, 174, 196, 71, 190,
    125, 134, 143, 152, 203, 212, 221, 230,
    6, 15, 27, 36, 83, 92, 104, 113,
    43, 164, 192, 74, 193, 76, 0, 0,
    73, 7, 16, 25, 34, 85, 94, 103,
    112, 42, 0, 0, 0, 0, 0, 172,
    171, 0, 52, 50, 169, 184, 185, 63,
    64, 0, 0, 1, 168, 195, 77, 0,
};

// Module pin of each channel; 0 where the channel has no contact.
constexpr short kDdr3SoPins[144] = {
    5, 7, 15, 17, 4, 6, 16, 18,
    21, 23, 33, 35, 22, 24, 34, 36,
    39, 41, 51, 53, 40, 42, 50, 52,
    57, 59, 67, 69, 56, 58, 68, 70,
    129, 131, 141, 143, 130, 132, 140, 142,
    147, 149, 157, 159, 146, 148, 158, 160,
    163, 165, 175, 177, 164, 166, 174, 176,
    181, 183, 191, 193, 180, 182, 192, 194,
    0, 0, 0, 0, 0, 0, 0, 0,
    98, 97, 96, 95, 92, 91, 90, 86,
    89, 85, 107, 84, 83, 119, 109, 108,
    11, 28, 46, 63, 136, 153, 170, 187,
    12, 29, 47, 64, 137, 154, 171, 188,
    0, 0, 110, 115, 114, 121, 0, 0,
    113, 10, 27, 45, 62, 135, 152, 169,
    186, 0, 0, 0, 0, 0, 0, 80,
    78, 0, 79, 73, 74, 101, 103, 102,
    104, 0, 0, 1, 30, 116, 120, 203,
};

// Module pin of each channel; 0 where the channel has no contact.
constexpr short kDdr2Pins[144] = {
    3, 4, 9, 10, 122, 123, 128, 129,
    12, 13, 18, 19, 131, 132, 137, 138,
    21, 22, 27, 28, 140, 141, 146, 147,
    30, 31, 36, 37, 149, 150, 155, 156,
    81, 82, 87, 88, 200, 201, 206, 207,
    90, 91, 96, 97, 209, 210, 215, 216,
    99, 100, 105, 106, 218, 219, 224, 225,
    108, 109, 114, 115, 227, 228, 233, 234,
    39, 40, 45, 46, 158, 159, 164, 165,
    188, 181, 61, 180, 59, 58, 178, 56,
    177, 175, 70, 55, 174, 196, 71, 190,
    125, 134, 146, 155, 202, 211, 223, 232,
    7, 16, 28, 37, 84, 93, 105, 114,
    46, 164, 192, 74, 193, 76, 0, 0,
    73, 6, 15, 27, 36, 83, 92, 104,
    113, 45, 0, 0, 0, 0, 0, 212,
    224, 0, 54, 52, 171, 185, 186, 137,
    138, 220, 221, 1, 18, 195, 77, 0,
};

// Module pin of each channel; 0 where the channel has no contact.
constexpr short kDdr2SoPins[144] = {
    5, 7, 17, 19, 4, 6, 14, 16,
    23, 25, 35, 37, 20, 22, 36, 38,
    43, 45, 55, 57, 44, 46, 56, 58,
    61, 63, 73, 75, 62, 64, 74, 76,
    123, 125, 135, 137, 124, 126, 134, 136,
    141, 143, 151, 153, 140, 142, 152, 154,
    157, 159, 173, 175, 158, 160, 174, 176,
    179, 181, 189, 191, 180, 182, 192, 194,
    0, 0, 0, 0, 0, 0, 0, 0,
    102, 101, 100, 99, 98, 97, 94, 92,
    93, 91, 105, 90, 89, 116, 107, 106,
    10, 26, 52, 67, 130, 147, 170, 181,
    13, 31, 51, 70, 131, 148, 169, 188,
    0, 0, 108, 113, 110, 115, 0, 0,
    109, 11, 29, 49, 68, 129, 146, 167,
    186, 0, 0, 0, 0, 0, 0, 86,
    0, 0, 85, 79, 80, 30, 32, 164,
    166, 0, 0, 1, 0, 114, 119, 0,
};

QString tables[6][201];

void load(PinTable t, const short (&pinsOf)[144])
{
    QString* e = tables[static_cast<int>(t)];
    for (int c = 0; c < kChannels; ++c)
        e[c] = pinsOf[c] ? QStringLiteral("PIN %1").arg(pinsOf[c]) : QString();
}

} // namespace

void load_ddr4_pin() { load(PinTable::Ddr4, kDdr4Pins); }
void load_ddr4so_pin() { load(PinTable::Ddr4So, kDdr4SoPins); }
void load_ddr3_pin() { load(PinTable::Ddr3, kDdr3Pins); }
void load_ddr3so_pin() { load(PinTable::Ddr3So, kDdr3SoPins); }
void load_ddr2_pin() { load(PinTable::Ddr2, kDdr2Pins); }
void load_ddr2so_pin() { load(PinTable::Ddr2So, kDdr2SoPins); }

const QString& pinName(PinTable t, int entry)
{
    static const QString empty;
    const int ti = static_cast<int>(t);
    if (ti < 0 || ti > 5 || entry < 0 || entry > 200)
        return empty;
    return tables[ti][entry];
}

QString signalName(int channel)
{
    if (channel == kChannels)
        return QStringLiteral("VPP");
    if (channel < 0 || channel > kChannels)
        return QString();
    return QString::fromLatin1(kSignals[channel]);
}

QString frameCaption(PinTable t)
{
    switch (t) {
    case PinTable::Ddr4: return QStringLiteral("DDR4 I/O Pin");
    case PinTable::Ddr4So: return QStringLiteral("DDR4-SODIMM I/O Pin");
    case PinTable::Ddr3: return QStringLiteral("DDR3 I/O Pin");
    case PinTable::Ddr3So: return QStringLiteral("DDR3-SODIMM I/O Pin");
    case PinTable::Ddr2: return QStringLiteral("DDR2 I/O Pin");
    case PinTable::Ddr2So: return QStringLiteral("DDR2-SODIMM I/O Pin");
    }
    return QString();
}

void clearTables()
{
    for (auto& t : tables)
        for (auto& e : t)
            e.clear();
}

} // namespace pins
