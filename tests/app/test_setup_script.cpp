// The set-up script's build steps: a start configures only a new build
// folder, one configured with other options or one that cmake cannot use,
// and a start with nothing to build prints nothing of the build. A stand-in
// for cmake logs each call.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/Wait.h"

#include <csignal>
#include <unistd.h>

namespace {

class SetupScriptTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        QFile fake(tmp.filePath(QStringLiteral("bin/cmake")));
        ASSERT_TRUE(QDir().mkpath(tmp.filePath(QStringLiteral("bin"))));
        ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
        // It configures as cmake does: the cache (naming the source
        // folder), the rules and build.ninja; it fails on a cache made for
        // another source folder. Its build fails to configure again while a
        // file "stale" is in the build folder.
        fake.write("#!/bin/sh\n"
                   "echo \"$*\" >> \"$CMAKE_LOG\"\n"
                   "if [ \"$1\" = --build ] && [ -e \"$2/stale\" ]; then\n"
                   "  echo \"ninja: error: rebuilding 'build.ninja': subcommand failed\"; exit 1\n"
                   "fi\n"
                   "if [ \"$1\" = --build ]; then printf '%b' \"$BUILD_SAYS\"; exit \"${BUILD_STATUS:-0}\"; fi\n"
                   "while [ $# -gt 0 ]; do\n"
                   "  if [ \"$1\" = -B ]; then\n"
                   "    grep -q '=/elsewhere' \"$2/CMakeCache.txt\" 2>/dev/null && exit 1\n"
                   "    mkdir -p \"$2/CMakeFiles\" && : > \"$2/build.ninja\" && : > \"$2/CMakeFiles/rules.ninja\"\n"
                   "    rm -f \"$2/stale\"\n"
                   "    echo \"CMAKE_HOME_DIRECTORY:INTERNAL=$(pwd -P)\" > \"$2/CMakeCache.txt\"\n"
                   "  fi\n"
                   "  shift\n"
                   "done\n");
        fake.close();
        fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Runs `commands` in bash with setup.sh sourced and cmake stood in for;
    // returns what they printed and their status.
    std::pair<QString, int> run(const QString& commands, const QString& buildSays = {}, int buildStatus = 0)
    {
        QProcess bash;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"), tmp.filePath(QStringLiteral("bin")) + QLatin1Char(':') + env.value("PATH"));
        env.insert(QStringLiteral("CMAKE_LOG"), tmp.filePath(QStringLiteral("log")));
        env.insert(QStringLiteral("BUILD_SAYS"), buildSays);
        env.insert(QStringLiteral("BUILD_STATUS"), QString::number(buildStatus));
        bash.setProcessEnvironment(env);
        bash.setWorkingDirectory(tmp.path());
        bash.setProcessChannelMode(QProcess::MergedChannels);
        bash.start(QStringLiteral("bash"),
                   {QStringLiteral("-c"), QStringLiteral("source '" VELMORA_SOURCE_DIR "/setup.sh'; ") + commands});
        if (!bash.waitForFinished(30000))
            return {QStringLiteral("(no end)"), -1};
        return {QString::fromLocal8Bit(bash.readAll()), bash.exitStatus() == QProcess::NormalExit ? bash.exitCode() : -1};
    }
    // The calls of cmake since the last look.
    QStringList calls()
    {
        QFile log(tmp.filePath(QStringLiteral("log")));
        const QStringList lines =
            log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()).split('\n', Qt::SkipEmptyParts)
                                          : QStringList();
        QFile::remove(log.fileName());
        return lines;
    }

    QTemporaryDir tmp;
};

} // namespace

TEST_F(SetupScriptTest, ABuildFolderIsConfiguredWhenNewOrAskedForOtherOptions)
{
    ASSERT_EQ(run(QStringLiteral("configure b -DX=1")).second, 0);
    EXPECT_EQ(calls(), QStringList{QStringLiteral("-S . -B b -G Ninja -DX=1")});

    // The same again: the build itself takes any change of the build files.
    ASSERT_EQ(run(QStringLiteral("configure b -DX=1")).second, 0);
    EXPECT_TRUE(calls().isEmpty());

    ASSERT_EQ(run(QStringLiteral("configure b -DX=2")).second, 0);
    EXPECT_EQ(calls(), QStringList{QStringLiteral("-S . -B b -G Ninja -DX=2")});
    ASSERT_EQ(run(QStringLiteral("configure b -DX=1")).second, 0);
    EXPECT_EQ(calls().size(), 1);

    // A folder configured by hand, whose options the script does not know.
    ASSERT_TRUE(QFile::remove(tmp.filePath(QStringLiteral("b/.setup-options"))));
    ASSERT_EQ(run(QStringLiteral("configure b -DX=1")).second, 0);
    EXPECT_EQ(calls().size(), 1);

    // A configure that fails is tried again next time.
    const auto failed = run(QStringLiteral("cmake() { echo \"$*\" >> \"$CMAKE_LOG\"; return 1; }; configure c -DX=1"));
    EXPECT_NE(failed.second, 0);
    calls();
    QDir().mkpath(tmp.filePath(QStringLiteral("c")));
    QFile(tmp.filePath(QStringLiteral("c/build.ninja"))).open(QIODevice::WriteOnly);
    ASSERT_EQ(run(QStringLiteral("configure c -DX=1")).second, 0);
    EXPECT_EQ(calls().size(), 1);
}

TEST_F(SetupScriptTest, ABuildFolderThatCannotBeUsedIsConfiguredAgainOnce)
{
    // A part of the build deleted by hand, or a cache of another source
    // folder (a moved clone), which cmake refuses: the next start configures
    // (on a clean cache where cmake refused), the one after stays quiet.
    const QString parts[] = {QStringLiteral("CMakeCache.txt"), QStringLiteral("CMakeFiles"),
                             QStringLiteral("build.ninja"), QStringLiteral("CMakeFiles/rules.ninja"),
                             QStringLiteral("moved")};
    ASSERT_EQ(run(QStringLiteral("configure b -DX=1")).second, 0);
    calls();
    for (const QString& part : parts) {
        SCOPED_TRACE(part.toStdString());
        if (part == QStringLiteral("moved")) {
            QFile cache(tmp.filePath(QStringLiteral("b/CMakeCache.txt")));
            ASSERT_TRUE(cache.open(QIODevice::WriteOnly));
            cache.write("CMAKE_HOME_DIRECTORY:INTERNAL=/elsewhere\n");
        } else {
            const QString path = tmp.filePath(QStringLiteral("b/") + part);
            ASSERT_TRUE(QFileInfo(path).isDir() ? QDir(path).removeRecursively() : QFile::remove(path));
        }
        ASSERT_EQ(run(QStringLiteral("configure b -DX=1")).second, 0);
        EXPECT_EQ(calls().size(), part == QStringLiteral("moved") ? 2 : 1);
        ASSERT_EQ(run(QStringLiteral("configure b -DX=1")).second, 0);
        EXPECT_TRUE(calls().isEmpty());
    }

    // A part that the build's own check reads: the build configures again
    // and runs once more.
    QFile(tmp.filePath(QStringLiteral("b/stale"))).open(QIODevice::WriteOnly);
    const auto built = run(QStringLiteral("build b -DX=1"));
    EXPECT_EQ(built.second, 0) << built.first.toStdString();
    QStringList c = calls();
    c.replaceInStrings(QRegularExpression(QStringLiteral(" -j \\d+$")), QString());
    EXPECT_EQ(c, (QStringList{QStringLiteral("--build b"), QStringLiteral("-S . -B b -G Ninja -DX=1"),
                              QStringLiteral("--build b")}));
}

TEST_F(SetupScriptTest, ABuildWithNothingToDoPrintsNothingAndAFailedOneAllItSaid)
{
    const auto idle = run(QStringLiteral("build b"),
                          QStringLiteral("[0/2] Re-checking globbed directories...\\nninja: no work to do.\\n"));
    EXPECT_EQ(idle.second, 0);
    EXPECT_EQ(idle.first, QString()) << idle.first.toStdString();

    const QString said = QStringLiteral("[1/2] Building CXX object a.o\nFAILED: a.o\na.cpp:1: error: no\n");
    const auto failed = run(QStringLiteral("build b"), QString(said).replace('\n', QStringLiteral("\\n")), 1);
    EXPECT_NE(failed.second, 0);
    EXPECT_EQ(failed.first, said);
}

TEST(StartWithoutDisplay, TheXServerEndsWhenAHangUpEndsXvfbRun)
{
    // As a start without a display runs the program, in a job of its own
    // that a hang-up reaches as a whole (a terminal that closes).
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
        GTEST_SKIP() << "no xvfb-run";
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString display = tmp.filePath(QStringLiteral("display"));
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PATH"), QStringLiteral(VELMORA_SOURCE_DIR "/tools/xvfb:") + env.value("PATH"));
    run.setProcessEnvironment(env);
    run.setChildProcessModifier([] { ::setpgid(0, 0); });
    run.start(QStringLiteral("xvfb-run"), {QStringLiteral("-a"), QStringLiteral("sh"), QStringLiteral("-c"),
                                           QStringLiteral("echo \"$DISPLAY\" > \"$0\"; exec sleep 100"), display});
    ASSERT_TRUE(testwait::until([&] { return QFileInfo(display).size() > 0; }, 20000));
    QFile shown(display);
    ASSERT_TRUE(shown.open(QIODevice::ReadOnly));
    // The server's process, as its lock file names it.
    QFile lock(QStringLiteral("/tmp/.X%1-lock").arg(QString::fromLatin1(shown.readAll().trimmed().mid(1))));
    ASSERT_TRUE(lock.open(QIODevice::ReadOnly));
    const qint64 server = lock.readAll().trimmed().toLongLong();
    ASSERT_GT(server, 0);
    ::kill(-static_cast<pid_t>(run.processId()), SIGHUP);
    ASSERT_TRUE(run.waitForFinished(10000));
    // Gone, or a zombie nobody collects.
    const auto running = [server] {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(server));
        if (!stat.open(QIODevice::ReadOnly))
            return false;
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        return close >= 0 && close + 2 < line.size() && line.at(close + 2) != 'Z';
    };
    EXPECT_TRUE(testwait::until([&] { return !running(); }, 5000));
    if (running())
        ::kill(static_cast<pid_t>(server), SIGTERM);
}
