#include "resources/PinData.h"
#include "resources/PictureKit.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>
#include <map>

using namespace pictures;

namespace {

// How often each name matching the pattern occurs.
std::map<QString, int> count(const QStringList& names, const QString& pattern)
{
    const QRegularExpression re(QStringLiteral("^(%1)$").arg(pattern));
    std::map<QString, int> out;
    for (const QString& n : names)
        if (re.match(n).hasMatch())
            ++out[n];
    return out;
}

QStringList balls(const ChipPackage& p)
{
    QStringList out;
    for (const QStringList& r : p.rows)
        out << r;
    return out;
}

} // namespace

TEST(ChipPackages, EveryGridHasSixColumnsAndTheDeclaredBallCount)
{
    const int expected[kMapCount] = {60, 60, 84, 78, 96, 78, 96};
    for (int i = 0; i < kMapCount; ++i) {
        const ChipPackage& p = chipPackage(i);
        SCOPED_TRACE((p.generation + QLatin1Char(' ') + p.widths).toStdString());
        EXPECT_EQ(p.declaredBalls, expected[i]);
        EXPECT_EQ(p.ballCount(), p.declaredBalls);
        EXPECT_EQ(p.rowLetters.size(), static_cast<qsizetype>(p.rows.size()));
        for (const QStringList& r : p.rows)
            EXPECT_EQ(r.size(), 6);
        EXPECT_FALSE(p.rowLetters.contains(QStringLiteral("I")));
        EXPECT_FALSE(p.rowLetters.contains(QStringLiteral("O")));
    }
}

TEST(ChipPackages, DataBitsAndAddressesAppearOnceEach)
{
    for (int i = 0; i < kMapCount; ++i) {
        const ChipPackage& p = chipPackage(i);
        SCOPED_TRACE((p.generation + QLatin1Char(' ') + p.widths).toStdString());
        const QStringList names = balls(p);
        const auto dq = count(names, QStringLiteral("DQ[LU]?\\d+"));
        const bool x16 = p.widths == QLatin1String("x16") || p.widths.contains(QLatin1String("x16"));
        EXPECT_EQ(dq.size(), x16 ? 16u : 8u);
        for (const auto& [n, c] : dq)
            EXPECT_EQ(c, 1) << n.toStdString();
        const auto addr = count(names, QStringLiteral("A\\d+(/.*)?"));
        for (const auto& [n, c] : addr)
            EXPECT_EQ(c, 1) << n.toStdString();
        EXPECT_TRUE(names.contains(QStringLiteral("A0")));
        EXPECT_TRUE(names.contains(QStringLiteral("A10/AP")));
    }
}

TEST(ModuleConnectors, PinCountsKeysAndTitles)
{
    const int pins[kMapCount] = {184, 200, 240, 200, 240, 204, 288};
    const bool so[kMapCount] = {false, true, false, true, false, true, false};
    for (int i = 0; i < kMapCount; ++i) {
        const ModuleConnector& m = moduleConnector(i);
        SCOPED_TRACE(m.title.toStdString());
        EXPECT_EQ(m.pins, pins[i]);
        EXPECT_EQ(m.names.size(), m.pins);
        EXPECT_EQ(m.soDimm, so[i]);
        EXPECT_EQ(m.title.contains(QLatin1String("SO-DIMM")), so[i]);
        EXPECT_GT(m.keyAfter, 0);
        EXPECT_LT(m.frontPinsBeforeKey(), m.pins / 2);
        if (m.soDimm) {
            EXPECT_EQ(m.keyAfter % 2, 0);
        }
    }
    EXPECT_EQ(moduleConnector(4).keyText(), QStringLiteral("Key between pins 48/49 (front) and 168/169 (back)"));
    EXPECT_EQ(moduleConnector(5).keyText(), QStringLiteral("Key between pins 71/73 (front) and 72/74 (back)"));
}

TEST(ModuleConnectors, SixtyFourDataBitsEightCheckBitsAndTheSpdBus)
{
    for (int i = 0; i < kMapCount; ++i) {
        const ModuleConnector& m = moduleConnector(i);
        SCOPED_TRACE(m.title.toStdString());
        const auto dq = count(m.names, QStringLiteral("DQ\\d+"));
        EXPECT_EQ(dq.size(), 64u);
        for (const auto& [n, c] : dq)
            EXPECT_EQ(c, 1) << n.toStdString();
        EXPECT_EQ(dq.count(QStringLiteral("DQ63")), 1u);
        for (const char* spd : {"SCL", "SDA", "SA0", "SA1", "VDDSPD"})
            EXPECT_EQ(m.names.count(QString::fromLatin1(spd)), 1) << spd;
        // One strobe per byte lane (true/complement pairs count once).
        QSet<QString> strobes;
        for (const QString& n : m.names)
            if (n.startsWith(QLatin1String("DQS")))
                strobes.insert(n.section(QRegularExpression(QStringLiteral("[#_]")), 0, 0));
        EXPECT_GE(strobes.size(), 8);
        for (const QString& n : m.names)
            EXPECT_FALSE(n.isEmpty());
    }
}

TEST(PinClasses, NamesFallIntoTheirClasses)
{
    using kit::Signal;
    const std::pair<const char*, Signal> cases[] = {
        {"VSSQ", Signal::Ground},     {"VDDQ", Signal::Power},       {"VREFCA", Signal::Power},
        {"DQ17", Signal::Data},       {"CB3", Signal::Data},         {"DQS2#", Signal::Strobe},
        {"DM0_n/DBI0_n", Signal::Strobe}, {"A12/BC#", Signal::Address}, {"BG1", Signal::Address},
        {"CKE0", Signal::Command},    {"CK0_t", Signal::Clock},      {"CAS_n/A15", Signal::Command},
        {"SA2", Signal::Spd},         {"NC", Signal::Unused},        {"NU/TDQS#", Signal::Unused},
        {"S0#", Signal::Command},
    };
    for (const auto& [name, cls] : cases)
        EXPECT_EQ(kit::classify(QString::fromLatin1(name)), cls) << name;
}
