// Pictures of the manufacturer dialog for a person to look at: run with
//   velmora_tests --gtest_also_run_disabled_tests --gtest_filter='*RenderMft*'
// under QT_QPA_PLATFORM=offscreen; the PNGs go to $VELMORA_RENDER_DIR
// (default /tmp). The dialog is put into a window area of its own so that its
// caption is drawn too.

#include "editors/frmmft.h"
#include "app/SpdFile.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>

namespace {

class MftRenderTest : public ProgramStateTest {};

void render(const QString& corpusFile, int passwordMode, const char* png)
{
    const auto r = spdfile::read(testData(QStringLiteral("corpus/") + corpusFile));
    std::copy(r.bytes.begin(), r.bytes.end(), velmora::gs().sharedSpd.begin());
    velmora::gs().currentMemoryType = velmora::gs().sharedSpd[2];
    velmora::gs().passwordMode = static_cast<std::int16_t>(passwordMode);

    QMdiArea area;
    auto* dlg = new frmmft;
    dlg->Form_Load();
    QMdiSubWindow* sub = area.addSubWindow(dlg);
    sub->adjustSize();
    area.resize(sub->width() + 20, sub->height() + 20);
    area.show();
    sub->move(10, 10);
    QApplication::processEvents();
    const QString dir = qEnvironmentVariable("VELMORA_RENDER_DIR", QStringLiteral("/tmp"));
    area.grab().save(QDir(dir).filePath(QString::fromLatin1(png)));
}

} // namespace

TEST_F(MftRenderTest, DISABLED_RenderMft)
{
    vclock::clock().setFixedNow(QDateTime(QDate(2024, 5, 17), QTime(9, 0)));
    render(QStringLiteral("memtest86plus_DDR2-GoldenEmpire-2.bin"), -1, "velmora-mft-ddr2.png");
    render(QStringLiteral("memtest86plus_DDR4-M393A1G40EB1-CPB.bin"), -1, "velmora-mft-ddr4.png");
    render(QStringLiteral("memtest86plus_DDR3-M378B5173DB0-CK0.bin"), 0, "velmora-mft-ddr3-restricted.png");
}
