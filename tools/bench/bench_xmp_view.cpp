#include "app/SpdFile.h"
#include "app/frmMain.h"
#include "document/frmDocument.h"
#include "editors/Frmxmp.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "platform/Ui.h"
#include "state/Globals.h"

#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

class QuietSeam : public ui::QtSeam {
public:
    ui::Answer message(QWidget*, const ui::Message&) override { return ui::Answer::Ok; }
    int exec(QDialog* d) override { return d->result(); }
};

// A DDR4 image with an XMP block of two enabled profiles.
std::vector<std::uint8_t> ddr4TwoProfiles()
{
    const auto r = spdfile::read(QStringLiteral(VELMORA_CORPUS "/memtest86plus_DDR4-M393A1G40EB1-CRC.bin"));
    std::vector<std::uint8_t> img = r.ok ? r.bytes : std::vector<std::uint8_t>(512, 0);
    img.resize(512);
    img[2] = 12;
    const std::pair<int, int> block[] = {
        {384, 0x0C}, {385, 0x4A}, {386, 0x03}, {387, 0x20},
        {393, 0xA3}, {396, 0x05}, {398, 0xAA}, {401, 0x50}, {402, 0x5A}, {403, 0x5A}, {404, 0x10},
        {405, 0xBE}, {406, 0x18}, {407, 0xF0}, {408, 0x0A}, {409, 0x20}, {410, 0x08}, {412, 0x05},
        {414, 0xF0}, {415, 0x2B}, {416, 0x34}, {425, 0x9C}, {426, 0xB5},
        {440, 0x94}, {443, 0x06}, {478, 0xBC}, {444, 0xF8}, {445, 0xFF}, {446, 0x03}, {448, 0x6F},
        {477, 0x83}, {449, 0x6E}, {450, 0x6E}, {475, 0xFB}, {451, 0x11}, {453, 0x6E}, {454, 0x30},
        {455, 0x11}, {456, 0xF0}, {457, 0x0A}, {458, 0x20}, {459, 0x08}, {461, 0xA8}, {462, 0x1B},
        {463, 0x28}, {472, 0x9C}, {473, 0xB5},
    };
    for (auto [i, v] : block)
        img[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v);
    return img;
}

struct Env {
    QTemporaryDir dir;
    QuietSeam seam;
    std::unique_ptr<frmMain> main;
    Env()
    {
        settings::useFile(dir.filePath(QStringLiteral("s.ini")));
        for (int n = 1; n <= 4; ++n)
            qputenv(qPrintable(QStringLiteral("VELMORA_COM%1").arg(n)), "/nonexistent");
        ui::setSeam(&seam);
        vclock::clock().setSpeed(1e6);
        velmora::resetProgramState();
        main = std::make_unique<frmMain>();
        main->show();
        frmDocument* doc = main->NewDocumentWindow();
        spdfile::fillDocument(*doc, ddr4TwoProfiles());
        QApplication::processEvents();
    }
    ~Env()
    {
        for (frmDocument* d : main->documents())
            d->Set_form_chang(0);
        main.reset();
        ui::setSeam(nullptr);
        settings::useFile(QString());
        vclock::clock().setSpeed(1);
    }
    Frmxmp* openView() const
    {
        for (Frmxmp* v : main->findChildren<Frmxmp*>(QString(), Qt::FindDirectChildrenOnly))
            if (!v->isUnloaded())
                return v;
        return nullptr;
    }
};

// "XMP View" with no view open: copy of the document, a new window, the
// decode of the JEDEC column and both profiles, shown and painted.
void BM_OpenXmpViewDdr4TwoProfiles(benchmark::State& state)
{
    Env env;
    for (auto _ : state) {
        env.main->mnu_xmp_view_Click();
        QApplication::processEvents();
        state.PauseTiming();
        if (Frmxmp* v = env.openView())
            v->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenXmpViewDdr4TwoProfiles)->Unit(benchmark::kMillisecond);

// "XMP View" again while the view is open: the view decodes anew.
void BM_ReloadXmpViewDdr4TwoProfiles(benchmark::State& state)
{
    Env env;
    env.main->mnu_xmp_view_Click();
    for (auto _ : state) {
        env.main->mnu_xmp_view_Click();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ReloadXmpViewDdr4TwoProfiles)->Unit(benchmark::kMillisecond);

} // namespace
