#include "state/Globals.h"
#include "app/frmLogin.h"
#include "app/frmMain.h"
#include "document/frmDocument.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "platform/Ui.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// Answers every box and logs in with the master password.
class BenchSeam : public ui::QtSeam {
public:
    ui::Answer message(QWidget*, const ui::Message&) override { return ui::Answer::Ok; }
    int exec(QDialog* d) override
    {
        if (auto* l = qobject_cast<frmLogin*>(d)) {
            l->txtPassword()->setText(QStringLiteral("KT527"));
            l->cmdOK_Click();
        }
        return d->result();
    }
};

struct Env {
    QTemporaryDir dir;
    BenchSeam seam;
    Env()
    {
        settings::useFile(dir.filePath(QStringLiteral("s.ini")));
        settings::write(QStringLiteral("History"), QStringLiteral("PASS1"), QStringLiteral("KT527"));
        for (int n = 1; n <= 4; ++n)
            qputenv(qPrintable(QStringLiteral("VELMORA_COM%1").arg(n)), "/nonexistent");
        ui::setSeam(&seam);
        // The device waits are not part of what is measured here.
        vclock::clock().setSpeed(1e6);
    }
    ~Env()
    {
        ui::setSeam(nullptr);
        settings::useFile(QString());
        vclock::clock().setSpeed(1);
    }
};

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// Program start up to the main window shown (no splash, login answered at once).
void BM_StartToMainWindow(benchmark::State& state)
{
    Env env;
    for (auto _ : state) {
        velmora::resetProgramState();
        auto* w = new frmMain;
        w->MDIForm_Load();
        w->setWindowTitle(QStringLiteral("VELMORA...."));
        w->show();
        QApplication::processEvents();
        state.PauseTiming();
        delete w;
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToMainWindow)->Unit(benchmark::kMillisecond);

// Open of a 512-byte DDR4 image into a new window.
void BM_OpenDdr4File(benchmark::State& state)
{
    Env env;
    velmora::resetProgramState();
    frmMain w;
    w.MDIForm_Load();
    w.show();
    const QString path = QStringLiteral(VELMORA_CORPUS "/memtest86plus_DDR4-M393A1G40EB1-CPB.bin");
    for (auto _ : state) {
        frmDocument* d = w.openImage(path);
        QApplication::processEvents();
        state.PauseTiming();
        if (d)
            d->parentWidget()->close();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenDdr4File)->Unit(benchmark::kMillisecond);

// Ten open DDR4 documents: the resident memory of the program.
void BM_TenDdr4Documents(benchmark::State& state)
{
    Env env;
    velmora::resetProgramState();
    frmMain w;
    w.MDIForm_Load();
    w.show();
    const QString corpus = QStringLiteral(VELMORA_CORPUS "/memtest86plus_DDR4-M393A1G40EB1-CPB.bin");
    QTemporaryDir copies;
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i) {
            const QString p = copies.filePath(QStringLiteral("m%1.bin").arg(i));
            QFile::copy(corpus, p);
            w.openImage(p);
        }
        QApplication::processEvents();
        state.counters["rss_MB"] = static_cast<double>(residentKb()) / 1024.0;
        state.PauseTiming();
        w.mnuFileCloseAll_Click();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TenDdr4Documents)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
