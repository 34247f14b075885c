#include "platform/Ui.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

TEST(UiSeam, FilterListsBecomeQtFilters)
{
    const QStringList f = ui::qtFilters(
        QStringLiteral("Corvane SPD Files (*.spd)|*.spd|Bin Files (*.bin)|*.bin|All Files (*.*)|*.*"));
    ASSERT_EQ(f.size(), 3);
    EXPECT_EQ(f[0], QStringLiteral("Corvane SPD Files (*.spd)"));
    EXPECT_EQ(f[2], QStringLiteral("All Files (*.*)"));
    EXPECT_EQ(ui::qtFilters(QStringLiteral("Text|*.txt"))[0], QStringLiteral("Text (*.txt)"));
}

TEST(UiSeam, BoxesWithoutATitleCarryTheProgramTitle)
{
    ScriptedUi ui;
    ui::msgBox(QStringLiteral("a"));
    ui::msgBox(QStringLiteral("b"), ui::Buttons::Ok, ui::Icon::Critical, QStringLiteral(""));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Velmora"));
    EXPECT_TRUE(ui.messages[1].title.isEmpty());
}
