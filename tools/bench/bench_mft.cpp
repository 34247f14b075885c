#include "state/Globals.h"
#include "app/frmMain.h"
#include "document/frmDocument.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "platform/Ui.h"

#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// Shows the manufacturer dialog, lets it paint once, and closes it.
class ShowAndClose : public ui::QtSeam {
public:
    ui::Answer message(QWidget*, const ui::Message&) override { return ui::Answer::Ok; }
    int exec(QDialog* d) override
    {
        d->show();
        QApplication::processEvents();
        d->reject();
        return d->result();
    }
};

// "Manufacturer Information" on a DDR4 document: the buffer copy, the dialog
// built, loaded (lists, bytes, names) and shown, closed without a change.
void BM_OpenMftDialogDdr4(benchmark::State& state)
{
    QTemporaryDir dir;
    settings::useFile(dir.filePath(QStringLiteral("s.ini")));
    for (int n = 1; n <= 4; ++n)
        qputenv(qPrintable(QStringLiteral("VELMORA_COM%1").arg(n)), "/nonexistent");
    vclock::clock().setSpeed(1e6);
    ShowAndClose seam;
    ui::setSeam(&seam);
    velmora::resetProgramState();
    velmora::gs().passwordMode = -1;
    {
        frmMain main;
        main.show();
        frmDocument* doc = main.openImage(QStringLiteral(VELMORA_CORPUS "/memtest86plus_DDR4-M393A1G40EB1-CPB.bin"));
        if (!doc) {
            state.SkipWithError("DDR4 image not found");
        } else {
            QApplication::processEvents();
            for (auto _ : state)
                main.mnu_mft_setup_Click();
            doc->Set_form_chang(0);
        }
    }
    ui::setSeam(nullptr);
    settings::useFile(QString());
    vclock::clock().setSpeed(1);
}
BENCHMARK(BM_OpenMftDialogDdr4)->Unit(benchmark::kMillisecond);

} // namespace
