// spd-dump on the real SPD dumps of the corpus against the reviewed
// output kept under data/golden. Set VELMORA_UPDATE_GOLDEN=1 to rewrite the
// files after a deliberate change, then review the difference.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

QString dataDir(const char* sub) { return QStringLiteral(VELMORA_TEST_DATA "/") + QLatin1String(sub); }

QByteArray dump(const QString& file)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VELMORA_BINARY_DIR "/tools/spd-dump/spd-dump"), {file});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

} // namespace

TEST(GoldenCorpus, DumpOutputMatchesTheReviewedFiles)
{
    const QFileInfoList images = QDir(dataDir("corpus")).entryInfoList({QStringLiteral("*.bin")}, QDir::Files, QDir::Name);
    ASSERT_EQ(images.size(), 10);
    const bool update = qEnvironmentVariableIntValue("VELMORA_UPDATE_GOLDEN") == 1;
    for (const QFileInfo& image : images) {
        const QByteArray got = dump(image.absoluteFilePath());
        ASSERT_FALSE(got.isEmpty()) << "spd-dump failed on " << qPrintable(image.fileName());
        QFile golden(dataDir("golden") + QLatin1Char('/') + image.completeBaseName() + QStringLiteral(".txt"));
        if (update) {
            ASSERT_TRUE(golden.open(QIODevice::WriteOnly));
            golden.write(got);
            continue;
        }
        ASSERT_TRUE(golden.open(QIODevice::ReadOnly)) << qPrintable(golden.fileName());
        const QList<QByteArray> want = golden.readAll().split('\n');
        const QList<QByteArray> have = got.split('\n');
        EXPECT_EQ(have.size(), want.size()) << qPrintable(image.fileName());
        for (qsizetype i = 0; i < std::min(have.size(), want.size()); ++i)
            EXPECT_EQ(have[i], want[i]) << qPrintable(image.fileName()) << " line " << i + 1;
    }
}
