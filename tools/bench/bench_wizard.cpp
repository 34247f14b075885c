#include "state/Globals.h"
#include "app/frmLogin.h"
#include "app/frmMain.h"
#include "document/frmDocument.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "platform/Ui.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// Logs in with the master password and answers the SPD wizard with the
// answers given, as "Finish" leaves them; every box is answered at once.
class WizardSeam : public ui::QtSeam {
public:
    std::array<std::int16_t, 16> answers{};
    ui::Answer message(QWidget*, const ui::Message&) override { return ui::Answer::Ok; }
    int exec(QDialog* d) override
    {
        if (auto* l = qobject_cast<frmLogin*>(d)) {
            l->txtPassword()->setText(QStringLiteral("KT527"));
            l->cmdOK_Click();
            return d->result();
        }
        auto& g = velmora::gs();
        g.wizardAnswers = answers;
        g.wizardTexts = {QStringLiteral("7F7F9E"), QStringLiteral("ABC-123"), QString()};
        g.wizardFinished = -1;
        return QDialog::Accepted;
    }
};

// "Finish" to the built document shown: new window, marks, byte names,
// image, decode, type switch with the CRC, modified mark, painted.
void finishToDocument(benchmark::State& state, const std::array<std::int16_t, 16>& answers)
{
    QTemporaryDir dir;
    WizardSeam seam;
    seam.answers = answers;
    settings::useFile(dir.filePath(QStringLiteral("s.ini")));
    settings::write(QStringLiteral("History"), QStringLiteral("PASS1"), QStringLiteral("KT527"));
    for (int n = 1; n <= 4; ++n)
        qputenv(qPrintable(QStringLiteral("VELMORA_COM%1").arg(n)), "/nonexistent");
    ui::setSeam(&seam);
    // The programmer's status request is not part of what is measured.
    vclock::clock().setSpeed(1e6);

    velmora::resetProgramState();
    auto* w = new frmMain;
    w->MDIForm_Load();
    w->show();
    QApplication::processEvents();
    for (auto _ : state) {
        w->mnuFileWarez_Click();
        QApplication::processEvents();
        state.PauseTiming();
        for (frmDocument* d : w->documents())
            d->Set_form_chang(0);
        w->mnuFileCloseAll_Click();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    delete w;
    ui::setSeam(nullptr);
    settings::useFile(QString());
    vclock::clock().setSpeed(1);
}

void BM_WizardFinishSdram(benchmark::State& state)
{
    finishToDocument(state, {1, 3, 1, 12, 10, 1, 2, 3, 3, 7, 1, 1, 0, 32, 4, 156});
}
void BM_WizardFinishDdr3(benchmark::State& state)
{
    finishToDocument(state, {4, 15, 1, 14, 10, 1, 5, 9, 9, 24, 1, 4, 0, 64, 8, 78});
}
void BM_WizardFinishDdr4(benchmark::State& state)
{
    finishToDocument(state, {5, 18, 1, 0, 0, 1, 15, 15, 15, 35, 1, 1, 0, 0, 4, 78});
}
BENCHMARK(BM_WizardFinishSdram)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WizardFinishDdr3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WizardFinishDdr4)->Unit(benchmark::kMillisecond);

} // namespace
