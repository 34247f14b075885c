// A write into a pipe whose reader has gone is a failure the writer sees,
// not the end of the program.

#include "platform/Signals.h"

#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
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
