// Pictures of every page of the SPD wizard for a person to look at: run with
//   velmora_tests --gtest_also_run_disabled_tests --gtest_filter='*RenderPages*'
// (under xvfb-run or QT_QPA_PLATFORM=offscreen); the PNGs go to
// $VELMORA_RENDER_DIR (default /tmp).

#include "resources/WizardPicture.h"
#include "support/TestEnv.h"
#include "wizard/Frmwarez1.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

using velmora::gs;

class WizardRender : public ProgramStateTest {};

TEST_F(WizardRender, DISABLED_RenderPages)
{
    const QString dir = qEnvironmentVariable("VELMORA_RENDER_DIR", QStringLiteral("/tmp"));
    auto save = [&](QWidget* w, const QString& name) {
        w->grab().save(QDir(dir).filePath(QStringLiteral("wizard-%1.png").arg(name)));
    };
    // A list's items as its drop-down shows them.
    auto saveList = [&](QComboBox* c, const QString& name) {
        c->showPopup();
        save(c->view()->window(), name);
        c->hidePopup();
    };
    pictures::wizardPicture(QSize(360, 384)).save(QDir(dir).filePath(QStringLiteral("wizard-picture.png")));
    const char* types[] = {"sdram", "ddr", "ddr2", "ddr3", "ddr4"};
    for (int t = 1; t <= 5; ++t) {
        const QString tn = QString::fromLatin1(types[t - 1]);
        Frmwarez1 d;
        d.show();
        d.optRamType(t - 1)->setChecked(true);
        if (t == 1)
            save(&d, QStringLiteral("0-type"));
        d.Command3()->click();
        save(&d, QStringLiteral("1-speed-%1").arg(tn));
        d.Command3()->click();
        d.Check1()->setChecked(t == 3);
        save(&d, QStringLiteral("2-parameters-%1").arg(tn));
        saveList(d.CboSize(), QStringLiteral("2-size-list-%1").arg(tn));
        if (t == 1) {
            saveList(d.CboDataWidth(), QStringLiteral("2-width-list"));
            saveList(d.CboSide(), QStringLiteral("2-rank-list"));
        }
        d.Command3()->click();
        save(&d, QStringLiteral("3-timing-%1").arg(tn));
        saveList(d.cbotcl(), QStringLiteral("3-tcl-list-%1").arg(tn));
        if (t == 5)
            saveList(d.cbotras(), QStringLiteral("3-tras-list-ddr4"));
        d.Command3()->click();
        if (t == 1) {
            d.Text1()->setText(QStringLiteral("7F7F9E"));
            d.Text2()->setText(QStringLiteral("VM-DDR4-2133-8G-ABCDEFGH"));
            save(&d, QStringLiteral("4-manufacturer"));
        }
        d.Command1()->click();
    }
}
