#include "editors/Frmxmp.h"
#include "editors/XmpImages.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QLabel>

using velmora::gs;

namespace {

class XmpViewWindowTest : public ProgramStateTest {};

} // namespace

// Renders both panels to PNG files in the temporary folder, for looking at.
TEST_F(XmpViewWindowTest, DISABLED_RenderPanels)
{
    const std::pair<int, velmora::SpdImage> cases[] = {{12, xmptest::ddr4TwoProfiles()},
                                                      {11, xmptest::ddr3TwoProfiles()}};
    for (const auto& [type, img] : cases) {
        gs().sharedSpd = img;
        gs().currentMemoryType = type;
        Frmxmp v;
        v.Form_Load();
        v.show();
        QApplication::processEvents();
        v.grab().save(QStringLiteral("/tmp/xmpview_%1.png").arg(type == 12 ? "ddr4" : "ddr3"));
        for (int i = 0; i < 6; ++i)
            if (QLabel* l = v.value(QStringLiteral("CL_SUPPORT"), i); l && l->isVisibleTo(&v))
                l->grab().scaled(l->size() * 4).save(QStringLiteral("/tmp/xmpview_cl%1.png").arg(i));
    }
}
