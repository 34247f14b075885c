#include "platform/Instance.h"
#include "platform/Keys.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

TEST(SingleInstance, SecondCopyFindsTheFirstAndRaisesIt)
{
    const QString key = QStringLiteral("velmora-test-%1").arg(QCoreApplication::applicationPid());
    platform::SingleInstance first(key);
    EXPECT_FALSE(first.otherRunning());
    ASSERT_TRUE(first.listen());
    QSignalSpy raised(&first, &platform::SingleInstance::raiseRequested);

    platform::SingleInstance second(key);
    EXPECT_TRUE(second.otherRunning());
    second.raiseOther();
    EXPECT_TRUE(raised.wait(2000) || raised.count() > 0);
}

TEST(SendKeys, HomeShiftEndSelectsTheWholeEntry)
{
    QLineEdit e;
    e.setText(QStringLiteral("wrong"));
    e.setCursorPosition(2);
    platform::sendKeys(&e, QStringLiteral("{Home}+{End}"));
    EXPECT_EQ(e.selectedText(), QStringLiteral("wrong"));
}
