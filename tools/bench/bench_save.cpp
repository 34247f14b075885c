#include "platform/FileWrite.h"
#include "rules/spd/SpdFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A folder that holds `others` files besides the image (a reseller's folder
// of dumps); the folder is made where TMPDIR says.
bool fillFolder(const QTemporaryDir& dir, int others)
{
    for (int i = 0; i < others; ++i) {
        const int fd = ::open(QFile::encodeName(dir.filePath(QStringLiteral("dump-%1.bin").arg(i))).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        ::close(fd);
    }
    return true;
}

// `saves` saves of one 512-byte image; with `newRun`, the first of them is
// the first save into the folder of a run, which looks through the folder
// for what crashes left.
void saves(benchmark::State& state, int saves, bool newRun)
{
    QTemporaryDir dir;
    if (!fillFolder(dir, static_cast<int>(state.range(0)))) {
        state.SkipWithError("the folder's files cannot be made");
        return;
    }
    const QString path = dir.filePath(QStringLiteral("module.bin"));
    velmora::SpdImage img{};
    QString error;
    for (auto _ : state) {
        if (newRun)
            platform::forgetFoldersLookedThrough();
        for (int n = 0; n < saves; ++n) {
            img[0] = static_cast<std::uint8_t>(n);
            if (!spdfile::write(path, img, &error)) {
                state.SkipWithError(qPrintable(error));
                return;
            }
        }
    }
}

// 30 saves of a run, after its first into that folder.
void BM_ThirtySavesBesideFiles(benchmark::State& state) { saves(state, 30, false); }
BENCHMARK(BM_ThirtySavesBesideFiles)->Arg(0)->Arg(1000)->Arg(20000)->Arg(100000)->UseRealTime()->Unit(benchmark::kMillisecond);

// The first save into the folder of a run.
void BM_FirstSaveOfARunBesideFiles(benchmark::State& state) { saves(state, 1, true); }
BENCHMARK(BM_FirstSaveOfARunBesideFiles)->Arg(0)->Arg(1000)->Arg(20000)->Arg(100000)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
