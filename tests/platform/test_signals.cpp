// A write into a pipe whose reader has gone is a failure the writer sees,
// not the end of the program. A signal that ends the program takes its
// socket and the new file of a write it cuts short with it.

#include "platform/FileWrite.h"
#include "platform/Signals.h"
#include "support/CrashAt.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

TEST(BrokenPipe, AWriteWithoutAReaderFailsWithEpipeAndTheProgramGoesOn)
{
    // In a child of its own, so that the signal's default comes back first
    // and the test process keeps its own settings.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGPIPE, SIG_DFL);
        platform::ignoreBrokenPipes();
        int fds[2];
        if (::pipe(fds) != 0)
            ::_exit(2);
        ::close(fds[0]);
        const char byte = 'x';
        const ssize_t n = ::write(fds[1], &byte, 1);
        ::_exit(n == -1 && errno == EPIPE ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_FALSE(WIFSIGNALED(status)) << "ended by signal " << WTERMSIG(status);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// nohup's HUP stays ignored; TERM still ends the program by itself and takes
// the socket with it.
TEST(EndingSignal, AnIgnoredSignalStaysIgnoredAndTermStillEnds)
{
    QTemporaryDir dir;
    const QString socket = dir.filePath(QStringLiteral("socket"));
    putFile(socket, "");
    EXPECT_EXIT(
        {
            ::signal(SIGHUP, SIG_IGN);
            platform::removeWhenSignalled(socket);
            ::raise(SIGHUP);
            ::raise(SIGTERM);
            std::_Exit(0);
        },
        testing::KilledBySignal(SIGTERM), "");
    EXPECT_FALSE(QFileInfo::exists(socket));
}

// A signal that ends the program in the middle of a write leaves the old
// file and no copy of the new one, on file systems with and without files
// that have no name while they are written; the program still ends by it.
// A second signal that another thread takes while the handler removes the
// copy (a closing terminal sends HUP twice) does not end the program before
// it is gone, and the first one still ends it. A file someone else put at
// the new file's name meanwhile stays.
TEST(EndingSignal, AWriteItCutsShortLeavesNoCopy)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("image.bin"));
    putFile(path, "old");
    const rlimit noCore{0, 0};
    for (const int sig : {SIGINT, SIGQUIT, SIGTERM, SIGHUP}) {
        for (const bool unnamed : {true, false}) {
            for (const char* step : {"sync", "named"}) {
                SCOPED_TRACE(std::to_string(sig) + " " + step + (unnamed ? " unnamed" : ""));
                EXPECT_EXIT(
                    {
                        ::setrlimit(RLIMIT_CORE, &noCore);
                        platform::removeWhenSignalled(QString());
                        endAtReplaceStep(step, sig, unnamed);
                        platform::replaceFile(path, "new");
                        std::_Exit(0);
                    },
                    testing::KilledBySignal(sig), "");
                EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("image.bin")});
                EXPECT_EQ(contents(path), QByteArray("old"));
            }
        }
    }

    static int second = 0;
    for (const int sig : {SIGHUP, SIGTERM}) {
        SCOPED_TRACE("then " + std::to_string(sig));
        second = sig;
        EXPECT_EXIT(
            {
                std::thread([] {
                    for (;;)
                        ::pause();
                }).detach();
                platform::removeWhenSignalled(QString());
                platform::setSignalHandlerHook([] {
                    static std::atomic<int> runs{0};
                    if (runs.fetch_add(1) > 0)
                        return;
                    // The other thread takes the second signal; this one
                    // waits (at most 10 s) until its handler runs.
                    ::kill(::getpid(), second);
                    const timespec ms{0, 1000000};
                    for (int i = 0; i < 10000 && runs.load() < 2; ++i)
                        ::nanosleep(&ms, nullptr);
                });
                endAtReplaceStep("named", SIGHUP);
                platform::replaceFile(path, "new");
                std::_Exit(0);
            },
            testing::KilledBySignal(SIGHUP), "");
        EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("image.bin")});
        EXPECT_EQ(contents(path), QByteArray("old"));
    }

    static QString folder;
    folder = dir.path();
    EXPECT_EXIT(
        {
            platform::removeWhenSignalled(QString());
            platform::setReplaceStepHook([](const char* step) {
                if (std::strcmp(step, "named") == 0) {
                    const QString own =
                        folder + QLatin1Char('/') + filesIn(folder).filter(QStringLiteral(".velmora-")).value(0);
                    QFile::rename(own, folder + QStringLiteral("/moved"));
                    putFile(own, "theirs");
                    ::raise(SIGTERM);
                }
                return 0;
            });
            platform::replaceFile(path, "new");
            std::_Exit(0);
        },
        testing::KilledBySignal(SIGTERM), "");
    const QStringList left = filesIn(dir.path()).filter(QStringLiteral(".velmora-"));
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(contents(dir.filePath(left[0])), QByteArray("theirs"));
}
