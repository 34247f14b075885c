#include "rules/wizard/WizardAnswers.h"

#include <algorithm>

namespace wizard {

namespace {

bool validType(int type) { return type >= kSdram && type <= kDdr4; }

// "fromT" .. "toT", every whole clock count.
QStringList clockItems(int from, int to)
{
    QStringList items;
    for (int n = from; n <= to; ++n)
        items << QStringLiteral("%1T").arg(n);
    return items;
}

// The clock count of the first item of each timing list; elements 6 to 9
// are the chosen position plus these. The tCL lists of SDRAM to DDR3 mix
// half clocks and sets of latencies, so element 6 keeps their position.
struct TimingOffsets {
    int tcl;
    int trp;
    int trcd;
    int tras;
};
std::optional<TimingOffsets> timingOffsets(int type)
{
    switch (type) {
    case kSdram: return TimingOffsets{0, 2, 2, 4};
    case kDdr: return TimingOffsets{0, 2, 2, 5};
    case kDdr2: return TimingOffsets{0, 3, 3, 7};
    case kDdr3: return TimingOffsets{0, 4, 4, 12};
    case kDdr4: return TimingOffsets{7, 7, 7, 20};
    default: return std::nullopt;
    }
}

// Organisation cells: rows by size position, columns x4, x8, x16.
struct Cell {
    bool listed;
    Organisation org;
};
constexpr Cell none{false, {}};
constexpr Cell cell(int row, int col, int density, int banks = 4, int refresh = 78)
{
    return Cell{true, Organisation{row, col, density, banks, refresh}};
}
constexpr Organisation kDefaultCell{13, 10, 64, 4, 78};

// SDRAM and DDR.
constexpr Cell tableA[6][3] = {
    {none, cell(11, 9, 16, 4, 156), cell(12, 9, 16, 4, 156)},
    {cell(11, 10, 32, 4, 156), cell(12, 10, 32, 4, 156), cell(13, 9, 32)},
    {cell(12, 11, 64, 4, 156), cell(13, 10, 64), cell(13, 10, 64)},
    {cell(13, 11, 128), cell(13, 11, 128), cell(14, 10, 128)},
    {cell(13, 12, 1), cell(14, 11, 1), none},
    {none, none, none},
};

// DDR2.
constexpr Cell tableB[7][3] = {
    {none, cell(11, 9, 16, 4, 156), cell(12, 9, 16, 4, 156)},
    {cell(11, 10, 32, 4, 156), cell(12, 10, 32, 4, 156), cell(13, 9, 32)},
    {cell(12, 11, 64, 4, 156), cell(13, 10, 64), cell(13, 10, 64)},
    {cell(13, 11, 128), cell(14, 10, 128), cell(14, 10, 128)},
    {cell(13, 12, 1), cell(14, 10, 1, 8), none},
    {none, none, none},
    {none, none, none},
};

// DDR3.
constexpr Cell tableC[8][3] = {
    {none, none, none},
    {none, none, none},
    {none, cell(13, 10, 16, 4), cell(12, 10, 16, 8)},
    {cell(12, 11, 32, 8), cell(13, 10, 32, 8), cell(13, 10, 32, 8)},
    {cell(13, 11, 64, 8), cell(14, 10, 64, 8), cell(14, 10, 64, 8)},
    {cell(14, 11, 128, 8), cell(15, 10, 128, 8), none},
    {none, cell(16, 10, 256, 8), none},
    {none, none, none},
};

template <std::size_t Rows>
Organisation lookUp(const Cell (&table)[Rows][3], int size, int width)
{
    if (size < 0 || size >= static_cast<int>(Rows) || width < 0 || width > 2)
        return kDefaultCell;
    const Cell& c = table[size][width];
    return c.listed ? c.org : kDefaultCell;
}

} // namespace

QStringList typeCaptions()
{
    return {QStringLiteral("SDRAM"), QStringLiteral("DDR SDRAM"), QStringLiteral("DDR2 SDRAM"),
            QStringLiteral("DDR3 SDRAM"), QStringLiteral("DDR4 SDRAM")};
}

QStringList speedCaptions(int type)
{
    switch (type) {
    case kSdram:
        return {QStringLiteral("66 MHz(PC-66)"), QStringLiteral("100 MHz(PC-100)"), QStringLiteral("133 MHz(PC-133)"),
                QStringLiteral("166 MHz(PC-166)")};
    case kDdr:
        return {QStringLiteral("200 MHz(PC-1600)"), QStringLiteral("266 MHz(PC-2100)"),
                QStringLiteral("333 MHz(PC-2700)"), QStringLiteral("400 MHz(PC-3200)")};
    case kDdr2:
        return {QStringLiteral("400 MHz(PC2-3200)"), QStringLiteral("533 MHz(PC2-4200)"),
                QStringLiteral("667 MHz(PC2-5200) "), QStringLiteral("800 MHz(PC2-6400)")};
    case kDdr3:
        return {QStringLiteral("800 MHz(PC3-6400)"), QStringLiteral("1066 MHz(PC3-8500)"),
                QStringLiteral("1333 MHz(PC3-10600)"), QStringLiteral("1600 MHz(PC3-12000)")};
    case kDdr4:
        return {QStringLiteral("DDR4-1866 MHz"), QStringLiteral("DDR4-2133 MHz"), QStringLiteral("DDR4-2400 MHz"),
                QStringLiteral("DDR4-2666 MHz")};
    default: return {};
    }
}

int speedCode(int type, int option)
{
    if (!validType(type) || option < 0 || option > 3)
        return 0;
    return (type - 1) * 4 + option + 1;
}

int defaultSpeedOption(int type) { return type == kDdr4 ? 1 : 2; }

QStringList sizeItems(int type)
{
    const QStringList sdram{QStringLiteral("8 Mb"),  QStringLiteral("16 Mb"),  QStringLiteral("32 Mb"),
                            QStringLiteral("64 Mb"), QStringLiteral("128 Mb"), QStringLiteral("256 Mb")};
    switch (type) {
    case kSdram:
    case kDdr: return sdram;
    case kDdr2: return sdram + QStringList{QStringLiteral("512 Mb")};
    case kDdr3:
        return {QStringLiteral("8 Mb"),   QStringLiteral("16 Mb"),  QStringLiteral("32 Mb"),
                QStringLiteral(" 64 Mb"), QStringLiteral("128 Mb"), QStringLiteral("256 Mb"),
                QStringLiteral("512 Mb"), QStringLiteral("1 Gb ")};
    case kDdr4:
        return {QStringLiteral("256 Mb"), QStringLiteral("512 Mb"), QStringLiteral("1 Gb  "), QStringLiteral("2 GB  "),
                QStringLiteral("4 GB  ")};
    default: return {};
    }
}

int defaultSizePosition(int type)
{
    switch (type) {
    case kSdram: return 1;
    case kDdr: return 2;
    case kDdr2:
    case kDdr3: return 4;
    case kDdr4: return 1;
    default: return -1;
    }
}

QStringList widthItems() { return {QStringLiteral("x 4"), QStringLiteral("x 8"), QStringLiteral("x 16")}; }

QStringList rankItems() { return {QStringLiteral("1 RANK"), QStringLiteral("2 RANK")}; }

std::optional<Organisation> organisationOf(int type, int sizePosition, int widthPosition)
{
    switch (type) {
    case kSdram:
    case kDdr: return lookUp(tableA, sizePosition, widthPosition);
    // DDR2 pairs without a cell of their own take the same default cell as
    // the other tables, never what an earlier pass left.
    case kDdr2: return lookUp(tableB, sizePosition, widthPosition);
    case kDdr3: return lookUp(tableC, sizePosition, widthPosition);
    default: return std::nullopt;
    }
}

void recordModuleParameters(AnswerRecord& a, int sizePosition, int widthPosition, int rankPosition, bool ecc)
{
    sizePosition = std::max(sizePosition, 0);
    widthPosition = std::max(widthPosition, 0);
    a[element::Banks] = 4;
    a[element::Refresh] = 78;
    a[element::Width] = static_cast<std::int16_t>(widthPosition);
    a[element::Size] = static_cast<std::int16_t>(sizePosition);
    if (const auto org = organisationOf(a[element::Type], sizePosition, widthPosition)) {
        a[element::RowBits] = static_cast<std::int16_t>(org->rowBits);
        a[element::ColumnBits] = static_cast<std::int16_t>(org->columnBits);
        a[element::Density] = static_cast<std::int16_t>(org->density);
        a[element::Banks] = static_cast<std::int16_t>(org->banks);
        a[element::Refresh] = static_cast<std::int16_t>(org->refresh);
    }
    a[element::Ranks] = rankPosition <= 0 ? 1 : 2;
    a[element::Ecc] = ecc ? 2 : 1;
}

TimingLists timingLists(int type)
{
    switch (type) {
    case kSdram:
        return {{QStringLiteral("1T"), QStringLiteral("2T"), QStringLiteral("3T"), QStringLiteral("2T 3T")},
                clockItems(2, 4), clockItems(2, 4), clockItems(4, 7)};
    case kDdr:
        return {{QStringLiteral("1T"), QStringLiteral("1.5T"), QStringLiteral("2T"), QStringLiteral("2.5T"),
                 QStringLiteral("3T"), QStringLiteral("3.5T"), QStringLiteral("2T 2.5T 3T"), QStringLiteral("2T 2.5T"),
                 QStringLiteral("2.5T 3T")},
                clockItems(2, 5), clockItems(2, 5), clockItems(5, 12)};
    case kDdr2:
        return {clockItems(2, 6) + QStringList{QStringLiteral("3T 4T 5T"), QStringLiteral("4T 5T")},
                clockItems(3, 6), clockItems(3, 6), clockItems(7, 18)};
    case kDdr3:
        return {clockItems(4, 12) + QStringList{QStringLiteral("5T 6T"), QStringLiteral("5T 6T 7T"),
                                                QStringLiteral("6T 7T"), QStringLiteral("6T 7T 8T"),
                                                QStringLiteral("5T 6T 7T 8T"), QStringLiteral("7T 8T 9T"),
                                                QStringLiteral("8T 9T 10T"), QStringLiteral("9T 10T 11T"),
                                                QStringLiteral("7T 8T 9T 10T")},
                clockItems(4, 15), clockItems(4, 15), clockItems(12, 32)};
    case kDdr4: return {clockItems(7, 20), clockItems(7, 20), clockItems(7, 20), clockItems(20, 63)};
    default: return {};
    }
}

TimingPositions defaultTimingPositions(int type, int speedCode)
{
    TimingPositions p{0, 0, 0, 0};
    if (speedCode >= 1 && speedCode <= 4)  // every SDRAM grade
        p = {2, 1, 1, 3};
    else if (speedCode >= 5 && speedCode <= 7)
        p = {3, 1, 1, 2};
    else if (speedCode == 8)
        p = {4, 2, 2, 3};
    else if (speedCode == 9 || speedCode == 10)
        p = {2, 1, 1, 5};
    else if (speedCode == 11 || speedCode == 12)
        p = {3, 2, 2, 8};
    else if (speedCode == 13 || speedCode == 14)
        p = {3, 3, 3, 9};
    else if (speedCode == 15 || speedCode == 16)
        p = {5, 5, 5, 12};
    else if (speedCode == 17 || speedCode == 18)
        p = {8, 8, 8, 15};
    else if (speedCode == 19 || speedCode == 20)
        p = {10, 10, 10, 18};

    // A speed code of another type could name a position the lists lack.
    const TimingLists lists = timingLists(type);
    auto fit = [](int pos, const QStringList& items) { return pos < items.size() ? pos : 0; };
    return {fit(p.tcl, lists.tcl), fit(p.trcd, lists.trcd), fit(p.trp, lists.trp), fit(p.tras, lists.tras)};
}

void recordTimings(AnswerRecord& a, const TimingPositions& p)
{
    const auto off = timingOffsets(a[element::Type]);
    if (!off)
        return;
    auto at = [](int pos, int offset) { return static_cast<std::int16_t>(std::max(pos, 0) + offset); };
    a[element::Cas] = at(p.tcl, off->tcl);
    a[element::Trp] = at(p.trp, off->trp);
    a[element::Trcd] = at(p.trcd, off->trcd);
    a[element::Tras] = at(p.tras, off->tras);
}

QString trimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

} // namespace wizard
