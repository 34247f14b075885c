#include "editors/frmxmp_wiz.h"
#include "support/ScriptedUi.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>

using velmora::gs;

namespace {

class XmpWizardTest : public ProgramStateTest {
protected:
    // A DDR4 buffer whose JEDEC timings are a DDR4-2400 module.
    void ddr4Module()
    {
        auto& b = gs().sharedSpd;
        b[2] = 12;
        b[18] = 0x07;
        b[125] = 0xD6;
        b[20] = 0xF8; // CL 10-16
        b[21] = 0x03;
        b[24] = 0x6E; // 13750 ps
        b[25] = 0x6E;
        b[26] = 0x6E;
        b[27] = 0x11;
        b[28] = 0x00; // tRAS 256 MTB = 32000 ps
        b[29] = 0x9E; // tRC 414 MTB = 51750 ps
        gs().currentMemoryType = 12;
    }
    void ddr3Module()
    {
        auto& b = gs().sharedSpd;
        b[2] = 11;
        b[10] = 1;
        b[11] = 8;
        b[12] = 10;   // 1.25 ns
        b[14] = 0xFC; // CL 6-11
        b[16] = 0x69; // 105: 10.5 clocks
        b[18] = 0x64;
        b[20] = 0x64;
        b[21] = 0x11;
        b[22] = 0x18; // tRAS 280: 28 clocks
        b[23] = 0x86; // tRC 390: 39 clocks
        gs().currentMemoryType = 11;
    }
    ScriptedUi ui;
};

} // namespace

TEST_F(XmpWizardTest, DISABLED_RenderPanels)
{
    ddr4Module();
    {
        frmxmp_wiz w;
        w.show();
        w.grab().save(QStringLiteral("/tmp/xmpwiz_ddr4.png"));
        w.SPEED()->showPopup();
    }
    gs().sharedSpd = {};
    ddr3Module();
    frmxmp_wiz w;
    w.show();
    w.grab().save(QStringLiteral("/tmp/xmpwiz_ddr3.png"));
}
