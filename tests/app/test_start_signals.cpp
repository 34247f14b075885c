// The program's single-instance socket goes with the program when a signal
// ends it; one left behind by a KILL does not keep the next start out.

#include "support/Wait.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

class ProgramSocketTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        runtime = tmp.filePath(QStringLiteral("run"));
        ASSERT_TRUE(QDir().mkpath(runtime));
        ASSERT_TRUE(QDir().mkpath(tmp.filePath(QStringLiteral("home"))));
        ::chmod(QFile::encodeName(runtime).constData(), 0700);
    }
    void TearDown() override
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(10000);
        }
    }

    // The program itself, on a display of the test's own name, with the
    // user's runtime folder and home in the test's folder. Returns the
    // socket's path once it listens there.
    QString start()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.insert(QStringLiteral("HOME"), tmp.filePath(QStringLiteral("home")));
        env.remove(QStringLiteral("XDG_CONFIG_HOME"));
        env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":t%1").arg(QCoreApplication::applicationPid()));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        // A QUIT leaves no core file behind.
        program.setChildProcessModifier([] {
            const rlimit none{0, 0};
            ::setrlimit(RLIMIT_CORE, &none);
        });
        program.start(QStringLiteral(VELMORA_BINARY_DIR "/velmora"), {});
        if (!program.waitForStarted(10000))
            return {};
        const QString path = runtime + QStringLiteral("/velmora__t%1").arg(QCoreApplication::applicationPid());
        testwait::until([&] { return listening(path) || program.state() == QProcess::NotRunning; });
        return listening(path) ? path : QString();
    }
    static bool listening(const QString& path)
    {
        QLocalSocket s;
        s.connectToServer(path);
        return s.waitForConnected(200);
    }
    bool ends()
    {
        return testwait::until([&] { return program.state() == QProcess::NotRunning; });
    }

    QTemporaryDir tmp;
    QString runtime;
    QProcess program;
};

} // namespace

TEST_F(ProgramSocketTest, ASignalEndsTheProgramByItselfAndTakesTheSocket)
{
    for (const int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(sig);
        const QString socket = start();
        ASSERT_FALSE(socket.isEmpty()) << program.readAllStandardError().toStdString();
        ASSERT_EQ(::kill(static_cast<pid_t>(program.processId()), sig), 0);
        ASSERT_TRUE(ends());
        // Still ended by the signal, so that a calling shell sees it.
        EXPECT_EQ(program.exitStatus(), QProcess::CrashExit);
        EXPECT_FALSE(QFileInfo::exists(socket));
    }
}

TEST_F(ProgramSocketTest, ASocketLeftByAKillDoesNotKeepTheNextStartOut)
{
    const QString socket = start();
    ASSERT_FALSE(socket.isEmpty()) << program.readAllStandardError().toStdString();
    program.kill();
    ASSERT_TRUE(ends());
    ASSERT_TRUE(QFileInfo::exists(socket));
    ASSERT_FALSE(listening(socket));

    // The next start listens there again and stays.
    EXPECT_EQ(start(), socket);
    EXPECT_EQ(program.state(), QProcess::Running);
}
