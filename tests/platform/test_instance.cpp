#include "platform/Instance.h"
#include "platform/Keys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct stat statOf(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        st.st_mode = 0;
    return st;
}

QString key() { return QStringLiteral("velmora-test-%1").arg(QCoreApplication::applicationPid()); }

constexpr uid_t kNobody = 65534;

// Points the runtime, temporary and home folders into a folder of the
// test's own, and puts the environment back afterwards.
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(base.isValid());
        runtime = base.filePath(QStringLiteral("runtime"));
        tmp = base.filePath(QStringLiteral("tmp"));
        home = base.filePath(QStringLiteral("home"));
        for (const QString& d : {runtime, tmp, home}) {
            ASSERT_TRUE(QDir().mkpath(d));
            ::chmod(QFile::encodeName(d).constData(), 0700);
        }
        for (const char* name : kVars)
            saved.push_back(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        qputenv("TMPDIR", QFile::encodeName(tmp));
        // The user's cache folder, whether it is found by HOME or by
        // XDG_CACHE_HOME.
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(home + QStringLiteral("/.cache")));
    }
    void TearDown() override
    {
        for (std::size_t i = 0; i < saved.size(); ++i) {
            if (saved[i])
                qputenv(kVars[i], *saved[i]);
            else
                qunsetenv(kVars[i]);
        }
    }

    static constexpr const char* kVars[] = {"XDG_RUNTIME_DIR", "TMPDIR", "HOME", "XDG_CACHE_HOME"};
    std::vector<std::optional<QByteArray>> saved;
    QTemporaryDir base;
    QString runtime, tmp, home;
};

} // namespace

TEST_F(SingleInstanceTest, SecondCopyFindsTheFirstAndRaisesIt)
{
    platform::SingleInstance first(key());
    EXPECT_FALSE(first.otherRunning());
    ASSERT_TRUE(first.listen());
    QSignalSpy raised(&first, &platform::SingleInstance::raiseRequested);

    platform::SingleInstance second(key());
    EXPECT_TRUE(second.otherRunning());
    second.raiseOther();
    EXPECT_TRUE(raised.wait(2000) || raised.count() > 0);
}

TEST_F(SingleInstanceTest, SocketLivesInTheUsersOwnFolderForTheUserAlone)
{
    platform::SingleInstance first(key());
    ASSERT_TRUE(first.listen());
    const QString sock = first.socketPath();
    EXPECT_EQ(QFileInfo(sock).absolutePath(), runtime);
    const struct stat st = statOf(sock);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_EQ(st.st_mode & 077, 0u);

    // Without a runtime folder: a private folder of the user's own in the
    // temporary folder.
    qunsetenv("XDG_RUNTIME_DIR");
    platform::SingleInstance other(key());
    ASSERT_TRUE(other.listen());
    const QString own = QFileInfo(other.socketPath()).absolutePath();
    EXPECT_EQ(QFileInfo(own).absolutePath(), tmp);
    const struct stat folder = statOf(own);
    EXPECT_TRUE(S_ISDIR(folder.st_mode));
    EXPECT_EQ(folder.st_uid, ::geteuid());
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    platform::SingleInstance next(key());
    EXPECT_TRUE(next.otherRunning());
}

TEST_F(SingleInstanceTest, FoldersOthersCanWriteOrOwnAreNotTrusted)
{
    // A runtime folder that everyone may write is passed over.
    ::chmod(QFile::encodeName(runtime).constData(), 0777);
    // The private folder's name in the temporary folder is already taken by a
    // link to a folder of someone else's choosing.
    const QString decoy = base.filePath(QStringLiteral("decoy"));
    ASSERT_TRUE(QDir().mkpath(decoy));
    ::chmod(QFile::encodeName(decoy).constData(), 0700);
    const QString privateName = QStringLiteral("velmora-%1").arg(::geteuid());
    ASSERT_TRUE(QFile::link(decoy, tmp + QLatin1Char('/') + privateName));

    platform::SingleInstance first(key());
    ASSERT_TRUE(first.listen());
    QString where = QFileInfo(first.socketPath()).absolutePath();
    EXPECT_NE(where, runtime);
    EXPECT_FALSE(where.startsWith(tmp));
    EXPECT_FALSE(where.startsWith(decoy));
    EXPECT_TRUE(where.startsWith(home + QLatin1Char('/'))) << qPrintable(where);
    EXPECT_EQ(statOf(where).st_mode & 0777, 0700u);
    EXPECT_TRUE(QDir(decoy).isEmpty());

    if (::geteuid() != 0)
        GTEST_SKIP() << "folders of another user can only be made by root";
    // The private folder made beforehand by another user, and a runtime
    // folder of another user's.
    ASSERT_TRUE(QFile::remove(tmp + QLatin1Char('/') + privateName));
    const QString foreign = tmp + QLatin1Char('/') + privateName;
    ASSERT_TRUE(QDir().mkdir(foreign));
    ::chmod(QFile::encodeName(foreign).constData(), 0700);
    ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), kNobody, kNobody), 0);
    ::chmod(QFile::encodeName(runtime).constData(), 0700);
    ASSERT_EQ(::chown(QFile::encodeName(runtime).constData(), kNobody, kNobody), 0);
    platform::SingleInstance second(key());
    ASSERT_TRUE(second.listen());
    where = QFileInfo(second.socketPath()).absolutePath();
    EXPECT_TRUE(where.startsWith(home + QLatin1Char('/'))) << qPrintable(where);
    EXPECT_TRUE(QDir(foreign).isEmpty());
    EXPECT_TRUE(QDir(runtime).isEmpty());
}

TEST_F(SingleInstanceTest, ACopyOfAnotherUserIsNotTakenForOurs)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a listener of another user can only be made by root";
    platform::SingleInstance mine(key());
    const QByteArray path = QFile::encodeName(mine.socketPath());
    ASSERT_LT(path.size(), static_cast<qsizetype>(sizeof(sockaddr_un::sun_path)));

    // A child binds the socket's name, becomes another user and listens there
    // (the peer's credentials are those it had when it started to listen).
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::memcpy(addr.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
        if (s < 0 || ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::setgid(kNobody) != 0
            || ::setuid(kNobody) != 0 || ::listen(s, 4) != 0)
            ::_exit(1);
        (void)!::write(ready[1], "r", 1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char c = 0;
    const bool listening = ::read(ready[0], &c, 1) == 1;
    ::close(ready[0]);

    if (listening) {
        EXPECT_FALSE(mine.otherRunning());
        EXPECT_TRUE(mine.listen());  // the foreign socket's place is taken over
        platform::SingleInstance second(key());
        EXPECT_TRUE(second.otherRunning());
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ASSERT_TRUE(listening) << "the child could not listen as another user";
}

TEST(SendKeys, HomeShiftEndSelectsTheWholeEntry)
{
    QLineEdit e;
    e.setText(QStringLiteral("wrong"));
    e.setCursorPosition(2);
    platform::sendKeys(&e, QStringLiteral("{Home}+{End}"));
    EXPECT_EQ(e.selectedText(), QStringLiteral("wrong"));
}
