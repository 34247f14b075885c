#include "platform/Ui.h"
#include "support/ScriptedUi.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
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

namespace {
QLabel* textLabel(QMessageBox& box, const QString& text)
{
    for (QLabel* l : box.findChildren<QLabel*>())
        if (l->text() == text)
            return l;
    return nullptr;
}
QString withoutTrailingBlanks(QString s)
{
    while (s.endsWith(QLatin1Char(' ')))
        s.chop(1);
    return s;
}
} // namespace

// The boxes of the real seam are as wide as their texts: a framed text keeps
// its closing asterisks on its line, a text with line breaks keeps them, and
// a line wider than the screen still wraps inside it.
TEST(UiSeam, RealBoxesAreAsWideAsTheirText)
{
    const QString framed[] = {
        QStringLiteral("      *****   SPD file transfer success !   *****      "),
        QStringLiteral(" *****  Password input inconsistent, Please Re-enter Your Password !  *****"),
        QStringLiteral("** Hardware and software versions error ,Please contact Corvane  **"),
        QStringLiteral("      *****   權限不足無法存檔,請洽管理人員 !   *****      "),
    };
    for (const QString& text : framed) {
        const auto box = ui::messageBox(nullptr, {text, QStringLiteral("Error"), ui::Icon::Critical, ui::Buttons::Ok});
        box->show();
        QApplication::processEvents();
        QLabel* l = textLabel(*box, text);
        ASSERT_NE(l, nullptr);
        EXPECT_GE(l->contentsRect().width(), QFontMetrics(l->font()).horizontalAdvance(withoutTrailingBlanks(text)))
            << text.toStdString();
    }

    const QString broken = QStringLiteral("*****   File can not be opened !   *****\n\n/home/user/spd/DDR4 module.spd");
    {
        const auto box = ui::messageBox(nullptr, {broken, QStringLiteral("Error"), ui::Icon::Critical, ui::Buttons::Ok});
        box->show();
        QApplication::processEvents();
        QLabel* l = textLabel(*box, broken);
        ASSERT_NE(l, nullptr);
        const QFontMetrics fm(l->font());
        EXPECT_GE(l->contentsRect().width(), fm.horizontalAdvance(QStringLiteral("*****   File can not be opened !   *****")));
        EXPECT_GE(l->contentsRect().height(), 3 * fm.height());
    }

    QString wide = QStringLiteral("*****  ");
    for (int i = 0; i < 40; ++i)
        wide += QStringLiteral("word%1 ").arg(i);
    wide += QStringLiteral(" *****");
    {
        const auto box = ui::messageBox(nullptr, {wide, QString(), ui::Icon::None, ui::Buttons::Ok});
        box->show();
        QApplication::processEvents();
        EXPECT_LE(box->frameGeometry().width(), box->screen()->availableGeometry().width());
    }
}

// A box is as wide as its title bar needs for its whole title, beside the
// window's icon and buttons: the XMP wizard's question, whose title is wider
// than its text, read "XMP Pr... Setting".
TEST(UiSeam, RealBoxesAreAsWideAsTheirTitle)
{
    const QString title = QStringLiteral("XMP Profile Setting");
    const auto box = ui::messageBox(
        nullptr, {QStringLiteral("*** XMP Profile-1 Setting ***"), title, ui::Icon::None, ui::Buttons::YesNo});
    box->show();
    QApplication::processEvents();
    QFont bold = QApplication::font("QMdiSubWindowTitleBar");
    bold.setBold(true);
    const int titleText = QFontMetrics(bold).horizontalAdvance(title);
    EXPECT_GE(box->width(), ui::titleBarWidth(title));
    // Room for at least an icon and two buttons of a title bar besides.
    EXPECT_GE(box->width(), titleText + 3 * 24);
    EXPECT_GE(ui::titleBarWidth(title), titleText + 3 * 24);
    // A title does not make a box wider than the screen.
    const QString endless = QString(title + QLatin1Char(' ')).repeated(40);
    const auto wide = ui::messageBox(nullptr, {QStringLiteral("*** a ***"), endless, ui::Icon::None, ui::Buttons::Ok});
    wide->show();
    QApplication::processEvents();
    EXPECT_LE(wide->width(), wide->screen()->availableGeometry().width());
}
