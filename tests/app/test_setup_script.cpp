// The set-up script's build steps, run by real cmake and Ninja on a small
// project of the test's own: every start configures its build folder, shows
// cmake's output only when the configure fails, repairs what is gone of the
// folder and prints nothing when there is nothing to build; an interrupt at
// any step ends the script by its signal. And a start without a display,
// which leaves no X server and no X authority behind.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/Wait.h"

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// The started process in a process group of its own, as a job of a
// terminal, with the signals and no core file as a terminal's shell gives
// them (whatever this test's own parent ignores).
void asJob(QProcess& p)
{
    p.setChildProcessModifier([] {
        ::setpgid(0, 0);
        for (const int s : {SIGINT, SIGQUIT, SIGTERM, SIGHUP})
            ::signal(s, SIG_DFL);
        const rlimit none{0, 0};
        ::setrlimit(RLIMIT_CORE, &none);
    });
}

// How a process ended: its exit status, or minus the signal that ended it.
int endOf(const QProcess& p)
{
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -p.exitCode();
}

class SetupScriptTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        project = tmp.filePath(QStringLiteral("project"));
        ASSERT_TRUE(QDir().mkpath(project));
        // Each configure that reads it logs a line in "configures". $HOLD
        // holds the configure, $HOLD_BUILD the build's one step: the first
        // of them to find no file of the name given makes one and waits
        // until a file "go" appears (at the test's end), and then fails;
        // later ones go on. (A build step that outlives Ninja, which a QUIT
        // ends without ending its steps, so writes nothing at the end.)
        // FAIL=ON fails the configure, a file "fail-build" the build.
        write(QStringLiteral("CMakeLists.txt"),
              "cmake_minimum_required(VERSION 3.16)\n"
              "project(tiny NONE)\n"
              "file(APPEND \"${CMAKE_SOURCE_DIR}/configures\" \"${X}\\n\")\n"
              "message(STATUS \"Could NOT find XKB (missing: XKB_LIBRARY)\")\n"
              "if(FAIL)\n"
              "  message(FATAL_ERROR \"The configure fails here.\")\n"
              "endif()\n"
              "if(DEFINED ENV{HOLD})\n"
              "  execute_process(COMMAND sh \"${CMAKE_SOURCE_DIR}/hold\" \"$ENV{HOLD}\")\n"
              "endif()\n"
              "file(GLOB inputs CONFIGURE_DEPENDS \"${CMAKE_SOURCE_DIR}/*.in\")\n"
              "configure_file(x.in x.txt)\n"
              "add_custom_command(OUTPUT built COMMAND sh \"${CMAKE_SOURCE_DIR}/step\"\n"
              "                   DEPENDS ${inputs} \"${CMAKE_BINARY_DIR}/x.txt\")\n"
              "add_custom_target(product ALL DEPENDS built)\n");
        write(QStringLiteral("x.in"), "@X@\n");
        write(QStringLiteral("hold"), "d=$(dirname \"$0\"); [ ! -e \"$d/$1\" ] || exit 0; : > \"$d/$1\"\n"
                                      "n=0; while [ ! -e \"$d/go\" ] && [ -d \"$d\" ] && [ $n -lt 1200 ]; do\n"
                                      "  sleep 0.05; n=$((n + 1)); done; exit 1\n");
        write(QStringLiteral("step"), "d=$(dirname \"$0\")\n"
                                      "[ -z \"$HOLD_BUILD\" ] || sh \"$d/hold\" \"$HOLD_BUILD\" || exit 1\n"
                                      "[ ! -e \"$d/fail-build\" ] || { echo 'The build fails here.'; exit 1; }\n"
                                      ": > built\n");
    }
    void TearDown() override
    {
        // A held step that outlived its script goes on.
        write(QStringLiteral("go"), "");
        if (const auto group = static_cast<pid_t>(job.processId()); group > 0) {
            ::kill(-group, SIGKILL);
            job.waitForFinished(10000);
        }
    }

    void write(const QString& name, const QByteArray& text)
    {
        QFile f(QDir(project).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(text), text.size());
    }
    QString path(const QString& name) const { return QDir(project).filePath(name); }
    QByteArray read(const QString& name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Starts `commands` in bash in the project's folder, as a job of its
    // own, with setup.sh sourced and its interrupts set as a start sets
    // them; `hold` names the environment variable that holds a step.
    void begin(const QString& commands, const QString& hold = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("HOLD"));
        env.remove(QStringLiteral("HOLD_BUILD"));
        if (!hold.isEmpty())
            env.insert(hold, QStringLiteral("held"));
        QFile::remove(path(QStringLiteral("held")));
        job.setProcessEnvironment(env);
        job.setWorkingDirectory(project);
        job.setProcessChannelMode(QProcess::MergedChannels);
        asJob(job);
        job.start(QStringLiteral("bash"),
                  {QStringLiteral("-c"),
                   QStringLiteral("source '" VELMORA_SOURCE_DIR "/setup.sh'; interruptible; ") + commands});
    }
    // What the commands printed, and how they ended.
    std::pair<std::string, int> end()
    {
        if (job.state() != QProcess::NotRunning && !job.waitForFinished(60000))
            return {"(no end)", 255};
        return {job.readAll().toStdString(), endOf(job)};
    }
    std::pair<std::string, int> run(const QString& commands)
    {
        begin(commands);
        return end();
    }
    qsizetype configures() const { return read(QStringLiteral("configures")).count('\n'); }

    QTemporaryDir tmp;
    QString project;
    QProcess job;
};

// A start of the folder b with the option X=1.
const QString kStart = QStringLiteral("configure b -DX=1 && build b");
const std::pair<std::string, int> kQuiet{"", 0};

bool has(const std::string& said, const char* part)
{
    return said.find(part) != std::string::npos;
}

} // namespace

TEST_F(SetupScriptTest, EveryStartConfiguresQuietlyAndRepairsTheBuildFolder)
{
    // A new folder is configured and built; cmake's own news stays hidden.
    auto first = run(kStart);
    EXPECT_EQ(first.second, 0) << first.first;
    EXPECT_FALSE(has(first.first, "XKB")) << first.first;
    EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("b/built"))));
    EXPECT_EQ(run(kStart), kQuiet);

    // Other options than the folder's cache take effect.
    ASSERT_EQ(run(QStringLiteral("configure b -DX=2 && build b")).second, 0);
    EXPECT_EQ(read(QStringLiteral("b/x.txt")), "2\n");
    ASSERT_EQ(run(kStart).second, 0);
    EXPECT_EQ(read(QStringLiteral("b/x.txt")), "1\n");

    // A part of the folder deleted by hand: the next start repairs it
    // without a word of cmake's, and the one after has nothing to build.
    for (const QString& part : {QStringLiteral("CMakeCache.txt"), QStringLiteral("CMakeFiles"),
                               QStringLiteral("build.ninja"), QStringLiteral("CMakeFiles/rules.ninja"),
                               QStringLiteral("CMakeFiles/VerifyGlobs.cmake")}) {
        SCOPED_TRACE(part.toStdString());
        const QString gone = path(QStringLiteral("b/") + part);
        ASSERT_TRUE(QFileInfo(gone).isDir() ? QDir(gone).removeRecursively() : QFile::remove(gone));
        const auto repaired = run(kStart);
        EXPECT_EQ(repaired.second, 0) << repaired.first;
        EXPECT_FALSE(has(repaired.first, "XKB")) << repaired.first;
        EXPECT_EQ(run(kStart), kQuiet);
    }

    // A moved clone: its cache names the old source folder, which cmake
    // refuses; the start configures it again on a clean cache.
    const QString moved = tmp.filePath(QStringLiteral("moved"));
    ASSERT_TRUE(QDir().rename(project, moved));
    project = moved;
    const auto again = run(kStart);
    EXPECT_EQ(again.second, 0) << again.first;
    EXPECT_TRUE(has(again.first, "Configuring b again from a clean cache.\n")) << again.first;
    EXPECT_FALSE(has(again.first, "XKB")) << again.first;
    EXPECT_EQ(run(kStart), kQuiet);

    // A configure that fails shows what cmake said, and a build that fails
    // what it said; the next start is whole again.
    const auto failed = run(QStringLiteral("configure b -DFAIL=ON"));
    EXPECT_NE(failed.second, 0);
    EXPECT_TRUE(has(failed.first, "The configure fails here.")) << failed.first;
    EXPECT_TRUE(has(failed.first, "XKB")) << failed.first;
    write(QStringLiteral("fail-build"), "");
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("b/built"))));
    const auto broken = run(QStringLiteral("configure b -DFAIL=OFF && build b"));
    EXPECT_NE(broken.second, 0);
    EXPECT_TRUE(has(broken.first, "The build fails here.")) << broken.first;
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("fail-build"))));
    EXPECT_EQ(run(kStart).second, 0);
    EXPECT_EQ(run(kStart), kQuiet);
}

TEST_F(SetupScriptTest, AnInterruptEndsTheScriptByItsSignalAtEveryStep)
{
    // As Ctrl+C, Ctrl+\ or a closing terminal: the signal reaches the whole
    // job while cmake configures or Ninja builds. The script ends by it, at
    // once, without a configure on a clean cache and without going on; the
    // next start finishes what was left. (The start interrupted has other
    // options than the folder's: every version of the script configures it.)
    ASSERT_EQ(run(kStart).second, 0);
    for (const int sig : {SIGINT, SIGQUIT, SIGTERM, SIGHUP}) {
        for (const QString& hold : {QStringLiteral("HOLD"), QStringLiteral("HOLD_BUILD")}) {
            SCOPED_TRACE(testing::Message() << "signal " << sig << " held by " << hold.toStdString());
            ASSERT_TRUE(QFile::remove(path(QStringLiteral("b/built"))));
            const qsizetype before = configures();
            begin(QStringLiteral("configure b -DX=3 && build b; echo went on"), hold);
            const pid_t group = static_cast<pid_t>(job.processId());
            ASSERT_GT(group, 0);
            testwait::until([&] {
                return QFileInfo::exists(path(QStringLiteral("held"))) || job.state() == QProcess::NotRunning;
            });
            ASSERT_TRUE(QFileInfo::exists(path(QStringLiteral("held")))) << end().first;
            ASSERT_EQ(::kill(-group, sig), 0);
            const auto [said, status] = end();
            EXPECT_EQ(status, -sig) << said;
            EXPECT_FALSE(has(said, "clean cache")) << said;
            EXPECT_FALSE(has(said, "went on")) << said;
            EXPECT_EQ(configures(), before + 1);

            const auto next = run(kStart);
            EXPECT_EQ(next.second, 0) << next.first;
            EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("b/built"))));
            EXPECT_EQ(run(kStart), kQuiet);
        }
    }
}

TEST(StartWithoutDisplay, TheXServerAndItsAuthorityGoWithTheProgram)
{
    // As `./setup.sh start` runs the program without a display, alone or
    // with the simulator, in a job of its own: the program ends by itself,
    // a Ctrl+C reaches the job, a terminal that closes sends its two HUPs,
    // or a TERM goes to the script alone. No X server stays, and nothing of
    // the run in the temporary folder, which the program sees as the user
    // set it.
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
        GTEST_SKIP() << "no xvfb-run";
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString userTmp = tmp.filePath(QStringLiteral("tmp"));
    ASSERT_TRUE(QDir().mkpath(userTmp));
    const QString shown = tmp.filePath(QStringLiteral("shown"));
    struct Case {
        int sig;
        int times;
        bool job;
        bool simulator;
    };
    for (const Case c : {Case{0, 0, false, false}, Case{SIGINT, 1, true, false}, Case{SIGHUP, 2, true, false},
                         Case{SIGTERM, 1, false, false}, Case{SIGHUP, 2, true, true}}) {
        SCOPED_TRACE(testing::Message() << "signal " << c.sig << " x" << c.times << (c.job ? " to the job" : "")
                                        << (c.simulator ? " with the simulator" : ""));
        QFile::remove(shown);
        QProcess start;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("TMPDIR"), userTmp);
        start.setProcessEnvironment(env);
        asJob(start);
        QStringList args{QStringLiteral("--xvfb")};
        if (c.simulator)
            args << QStringLiteral(VELMORA_BINARY_DIR "/tools/simulator/velmora-sim");
        // The program's stand-in notes its display and temporary folder, and
        // ends when its input does.
        args << QStringLiteral("--") << QStringLiteral("sh") << QStringLiteral("-c")
             << QStringLiteral("echo \"$DISPLAY $TMPDIR\" > \"$0\"; exec cat > /dev/null") << shown;
        start.start(QStringLiteral(VELMORA_SOURCE_DIR "/tools/simulator/with-simulator.sh"), args);
        const pid_t pid = static_cast<pid_t>(start.processId());
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(testwait::until(
            [&] { return QFileInfo(shown).size() > 0 || start.state() == QProcess::NotRunning; }));
        QFile file(shown);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << start.readAllStandardError().toStdString();
        const QList<QByteArray> seen = file.readAll().trimmed().split(' ');
        ASSERT_EQ(seen.size(), 2);
        EXPECT_EQ(seen[1], QFile::encodeName(userTmp));
        // The server's process, as its lock file names it.
        QFile lock(QStringLiteral("/tmp/.X%1-lock").arg(QString::fromLatin1(seen[0].mid(1))));
        ASSERT_TRUE(lock.open(QIODevice::ReadOnly));
        const qint64 server = lock.readAll().trimmed().toLongLong();
        ASSERT_GT(server, 0);

        if (c.sig == 0)
            start.closeWriteChannel();
        for (int i = 0; i < c.times; ++i)
            ::kill(c.job ? -pid : pid, c.sig);
        ASSERT_TRUE(start.waitForFinished(20000));
        EXPECT_EQ(endOf(start), -c.sig);
        EXPECT_EQ(QDir(userTmp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join(' ').toStdString(),
                  "");
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
}
