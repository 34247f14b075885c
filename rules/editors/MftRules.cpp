#include "rules/editors/MftRules.h"

#include "platform/Clock.h"
#include "platform/Look.h"
#include "rules/jedec/Jedec.h"
#include "rules/spd/SpdRules.h"

#include <QLocale>
#include <algorithm>

namespace mft {

namespace {

std::uint8_t byteOf(int v) { return static_cast<std::uint8_t>(v & 0xFF); }
std::size_t at(int i) { return static_cast<std::size_t>(i); }

const Ddr34Map kDdr3{117, 118, 119, 120, 121, 122, 128, 18, 146, 147, 148, 149, 150, 26,
                     {"(117-118)", "(119)", "(120-121)", "(122-125)", "(128-145)", "(146-147)", "(150-175)",
                      "(148-149)"}};
const Ddr34Map kDdr4{320, 321, 322, 323, 324, 325, 329, 20, 349, -1, 350, 351, 353, 29,
                     {"(320-321)", "(322)", "(323-324)", "(325-328)", "(329-348)", "(349)", "(353-381)",
                      "(350-351)"}};

} // namespace

std::optional<Range> blockRange(int memoryType)
{
    switch (memoryType) {
    case 8: return Range{64, 127};
    case 11: return Range{117, 175};
    case 12: return Range{320, 383};
    default: return std::nullopt;
    }
}

int typeCodeOf(int memoryType)
{
    switch (memoryType) {
    case 8: return 2;
    case 11: return 4;
    case 12: return 5;
    default: return -1;
    }
}

QString captionFor(int memoryType)
{
    switch (memoryType) {
    case 8: return QStringLiteral("DDR2 製造資訊");
    case 11: return QStringLiteral("DDR3 製造資訊");
    case 12: return QStringLiteral("DDR4 製造資訊");
    case 7: return QStringLiteral("DDR 製造資訊");
    default: return QStringLiteral("Manufacturer Information");
    }
}

// ---------------------------------------------------------------- codecs

int bcdIndex(int byte, int max)
{
    const int b = byte & 0xFF;
    const int v = (b >> 4) * 10 + (b & 15);
    return v > max ? 0 : v;
}

std::uint8_t bcdByte(int index) { return spd::bcd(std::clamp(index, 0, 99)); }

QString loadText(const SpdImage& img, int first, int width)
{
    QString t;
    for (int i = first; i < first + width; ++i) {
        const int b = img[at(i)];
        if (b >= 32 && b <= 127)
            t += QChar(b);
    }
    return t;
}

void storeText(SpdImage& img, int first, int width, const QString& text)
{
    const QList<uint> chars = text.toUcs4();
    const int n = std::min<int>(static_cast<int>(chars.size()), width);
    for (int i = 0; i < n; ++i) {
        const uint c = chars[i];
        img[at(first + i)] = c <= 0xFF ? static_cast<std::uint8_t>(c) : std::uint8_t('?');
    }
    for (int i = n; i < width; ++i)
        img[at(first + i)] = 0;
}

void writeText(SpdImage& img, int first, int width, const QString& text)
{
    if (text == loadText(img, first, width))
        return;
    storeText(img, first, width, text);
}

// ---------------------------------------------------------------- DDR2

Ddr2Fields loadDdr2(const SpdImage& img)
{
    Ddr2Fields f;
    for (int i = 0; i < 8; ++i)
        f.id[at(i)] = img[at(64 + i)];
    f.location = img[72];
    f.partNumber = loadText(img, kDdr2PartFirst, kDdr2PartWidth);
    f.rev1 = img[91];
    f.rev2 = img[92];
    f.year = bcdYear(img[93]);
    f.week = bcdWeek(img[94]);
    for (int i = 0; i < 4; ++i)
        f.serial[at(i)] = img[at(95 + i)];
    f.specificData = loadText(img, kDdr2DataFirst, kDdr2DataWidth);
    return f;
}

void writeDdr2(SpdImage& img, const Ddr2Fields& f)
{
    for (int i = 0; i < 8; ++i)
        img[at(64 + i)] = byteOf(f.id[at(i)]);
    img[72] = byteOf(f.location);
    writeText(img, kDdr2PartFirst, kDdr2PartWidth, f.partNumber);
    img[91] = byteOf(f.rev1);
    img[92] = byteOf(f.rev2);
    img[93] = bcdByte(f.year);
    img[94] = bcdByte(f.week);
    for (int i = 0; i < 4; ++i)
        img[at(95 + i)] = byteOf(f.serial[at(i)]);
    writeText(img, kDdr2DataFirst, kDdr2DataWidth, f.specificData);
}

const std::array<QString, 7>& ddr2Captions()
{
    static const std::array<QString, 7> c{QStringLiteral("(64-71)"),  QStringLiteral("(72)"),
                                          QStringLiteral("(73-90)"),  QStringLiteral("(91-92)"),
                                          QStringLiteral("(93-94)"),  QStringLiteral("(95-98)"),
                                          QStringLiteral("(99-127)")};
    return c;
}

// ---------------------------------------------------------------- DDR3/DDR4

const Ddr34Map& ddr34Map(int memoryType) { return memoryType == 11 ? kDdr3 : kDdr4; }

Ddr34Fields loadDdr34(const SpdImage& img, const Ddr34Map& m)
{
    Ddr34Fields f;
    f.idCount = img[at(m.idCount)];
    f.idCode = img[at(m.idCode)];
    f.location = img[at(m.location)];
    f.year = bcdYear(img[at(m.year)]);
    f.week = bcdWeek(img[at(m.week)]);
    for (int i = 0; i < 4; ++i)
        f.serial[at(i)] = img[at(m.serial + i)];
    f.partNumber = loadText(img, m.partFirst, m.partWidth);
    f.rev1 = img[at(m.rev1)];
    if (m.rev2 >= 0)
        f.rev2 = img[at(m.rev2)];
    f.dramCount = img[at(m.dramCount)];
    f.dramCode = img[at(m.dramCode)];
    f.specificData = loadText(img, m.dataFirst, m.dataWidth);
    return f;
}

void writeDdr34(SpdImage& img, const Ddr34Map& m, const Ddr34Fields& f)
{
    img[at(m.idCount)] = byteOf(f.idCount);
    img[at(m.idCode)] = byteOf(f.idCode);
    img[at(m.location)] = byteOf(f.location);
    img[at(m.year)] = bcdByte(f.year);
    img[at(m.week)] = bcdByte(f.week);
    for (int i = 0; i < 4; ++i)
        img[at(m.serial + i)] = byteOf(f.serial[at(i)]);
    writeText(img, m.partFirst, m.partWidth, f.partNumber);
    img[at(m.rev1)] = byteOf(f.rev1);
    if (m.rev2 >= 0)
        img[at(m.rev2)] = byteOf(f.rev2);
    img[at(m.dramCount)] = byteOf(f.dramCount);
    img[at(m.dramCode)] = byteOf(f.dramCode);
    writeText(img, m.dataFirst, m.dataWidth, f.specificData);
}

void clearBlock(SpdImage& img, int memoryType)
{
    if (const auto r = blockRange(memoryType))
        for (int i = r->first; i <= r->last; ++i)
            img[at(i)] = 0;
}

// ---------------------------------------------------------------- names

QString idBytesKey(const std::array<int, 8>& id)
{
    QString key;
    for (int b : id)
        if ((b & 0xFF) != 0)
            key += look::hex2(b);
    return key;
}

std::optional<QString> countCodeKey(int count, int code)
{
    const int k = count & 127;
    if (k >= 7)
        return std::nullopt;
    return QStringLiteral("7F").repeated(k) + look::hex2(code);
}

QString nameOf(const QString& key) { return jedec::dialogLookup(key); }

QString countCodeName(int count, int code)
{
    const auto key = countCodeKey(count, code);
    return key ? nameOf(*key) : QString();
}

// ---------------------------------------------------------------- date stamp

Stamp dateStamp(const QDate& today)
{
    return Stamp{today.year() % 100, std::min(vclock::sundayWeekOfYear(today), 53)};
}

QString todayText(const QDate& today)
{
    return QLocale().toString(today, QLocale::ShortFormat) + QStringLiteral("  ") +
           QString::number(vclock::sundayWeekOfYear(today)) + QStringLiteral(" weeks");
}

} // namespace mft
