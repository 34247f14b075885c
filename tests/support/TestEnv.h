#pragma once
// Common set-up for window tests: fresh program state, a fixed date, and the
// paths of the project's test data.

#include "state/Globals.h"
#include "platform/Clock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <gtest/gtest.h>

inline QString testData(const QString& name)
{
    return QStringLiteral(VELMORA_TEST_DATA) + QLatin1Char('/') + name;
}

class ProgramStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        velmora::resetProgramState();
        vclock::clock().setFixedNow(QDateTime(QDate(2024, 3, 5), QTime(10, 0, 0)));
    }
    void TearDown() override
    {
        vclock::clock().clearFixedNow();
        velmora::resetProgramState();
    }
};
