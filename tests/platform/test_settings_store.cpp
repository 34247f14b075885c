// The settings file holds the password in plain text: only its user may read
// it, whether the store makes the file or finds it. A write stores the whole
// file or leaves it as it was: on a full disk, through a link, cut short by
// a crash, and in a file edited by hand; two instances of the program lose
// nothing of each other's writes.

#include "platform/FileWrite.h"
#include "platform/SettingsStore.h"
#include "support/CrashAt.h"
#include "support/FailingCalls.h"
#include "support/OrdinaryUser.h"
#include "support/TestFiles.h"
#include "support/TinyFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <cstring>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int modeOf(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return static_cast<int>(st.st_mode & 07777);
}

class SettingsFileTest : public ::testing::Test {
protected:
    void TearDown() override { settings::useFile(QString()); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(SettingsFileTest, ANewFileIsPrivateFromItsFirstWrite)
{
    // A folder that does not exist yet, as on a first start.
    const QString path = dir.filePath(QStringLiteral("new/VELMORA.....conf"));
    settings::useFile(path);
    settings::write(QStringLiteral("History"), QStringLiteral("PASS2"), QStringLiteral("secret"));
    EXPECT_EQ(modeOf(path), 0600);
    settings::write(QStringLiteral("History"), QStringLiteral("1"), QStringLiteral("/tmp/a.spd"));
    EXPECT_EQ(modeOf(path), 0600);

    // The user's own store, where the program keeps it.
    settings::useFile(QString());
    const QString own = settings::fileName();
    ASSERT_FALSE(own.isEmpty());
    settings::write(QStringLiteral("History"), QStringLiteral("PASS2"), QStringLiteral("secret"));
    EXPECT_EQ(modeOf(own), 0600) << own.toStdString();
}

TEST_F(SettingsFileTest, AnExistingFileReadableByOthersBecomesPrivateAndKeepsItsValues)
{
    const QString path = dir.filePath(QStringLiteral("old.conf"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[History]\nPASS1=KT527\nPASS2=old\n");
    }
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0644), 0);
    // Made private as soon as the store opens it, before anything is written.
    settings::useFile(path);
    EXPECT_EQ(modeOf(path), 0600);
    EXPECT_EQ(settings::read(QStringLiteral("History"), QStringLiteral("PASS2")), QStringLiteral("old"));
    settings::write(QStringLiteral("History"), QStringLiteral("PASS2"), QStringLiteral("new"));
    EXPECT_EQ(modeOf(path), 0600);

    // Removed behind the program's back, the file comes back private.
    ASSERT_TRUE(QFile::remove(path));
    settings::write(QStringLiteral("History"), QStringLiteral("PASS2"), QStringLiteral("newer"));
    EXPECT_EQ(modeOf(path), 0600);
    QSettings check(path, QSettings::IniFormat);
    EXPECT_EQ(check.value(QStringLiteral("History/PASS2")).toString(), QStringLiteral("newer"));
}

// A file that cannot be written (here its folder is a file) fails the write;
// the values of the failed write are forgotten, so that the next write that
// succeeds does not store them after all.
TEST_F(SettingsFileTest, AWriteThatCannotReachTheFileFailsAndIsForgotten)
{
    const QString folder = dir.filePath(QStringLiteral("cfg"));
    const QString path = folder + QStringLiteral("/VELMORA.....conf");
    {
        QFile f(folder);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    settings::useFile(path);
    EXPECT_FALSE(settings::write(QStringLiteral("History"), QStringLiteral("PASS2"), QStringLiteral("lost")));
    EXPECT_FALSE(settings::write(QStringLiteral("History"),
                                 {{QStringLiteral("PASS1"), QStringLiteral("KT527")},
                                  {QStringLiteral("PASS2"), QStringLiteral("lost")}}));
    EXPECT_EQ(settings::read(QStringLiteral("History"), QStringLiteral("PASS2")), std::nullopt);

    ASSERT_TRUE(QFile::remove(folder));
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_TRUE(settings::write(QStringLiteral("History"), QStringLiteral("1"), QStringLiteral("/tmp/a.spd")));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("[History]\n1=/tmp/a.spd\n"));
}

namespace {

const QString kHistory = QStringLiteral("History");

} // namespace

// Dotfile managers keep the file as a link. A write goes to the file the link
// leads to and keeps the link; on a full disk it fails, the file stays whole
// and the store still reads what it held.
TEST_F(SettingsFileTest, ThroughALinkAWriteReachesTheTargetOrLeavesItAsItWas)
{
    TinyFileSystem fs(dir.filePath(QStringLiteral("tiny")));
    if (!fs.mounted())
        GTEST_SKIP() << "a small file system cannot be mounted here (needs root): " << std::strerror(errno);
    const QString folder = dir.filePath(QStringLiteral("tiny"));
    const QString target = folder + QStringLiteral("/real.conf");
    const QString link = folder + QStringLiteral("/VELMORA.....conf");
    putFile(target, "[History]\nPASS1=KT527\n");
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0644), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("real.conf"), link));
    settings::useFile(link);
    ASSERT_TRUE(settings::write(kHistory, QStringLiteral("PASS2"), QStringLiteral("secret")));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(modeOf(target), 0600);
    const QByteArray before = contents(target);
    EXPECT_EQ(before, QByteArray("[History]\nPASS1=KT527\nPASS2=secret\n"));

    ASSERT_TRUE(fs.fill());
    EXPECT_FALSE(settings::write(kHistory, {{QStringLiteral("PASS2"), QStringLiteral("other")},
                                            {QStringLiteral("1"), QString(3000, QLatin1Char('x'))}}));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(contents(target), before);
    EXPECT_EQ(settings::read(kHistory, QStringLiteral("PASS2")), QStringLiteral("secret"));
    EXPECT_EQ(settings::read(kHistory, QStringLiteral("1")), std::nullopt);
    EXPECT_EQ(filesIn(folder), (QStringList{QStringLiteral("VELMORA.....conf"), QStringLiteral("filler"),
                                            QStringLiteral("real.conf"), QStringLiteral("real.conf.lock")}));
}

// A process killed at any moment of a write leaves the old file, and the
// next write leaves nothing else beside it: on file systems with and without
// files that have no name while they are written. A failed sync of the new
// file leaves the old one and no copy; a failed sync of the folder after the
// rename is a write done, and said.
TEST_F(SettingsFileTest, AWriteCutShortByACrashOrAFailedSyncLeavesTheOldFile)
{
    const QString path = dir.filePath(QStringLiteral("VELMORA.....conf"));
    putFile(path, "[History]\nPASS2=old\n");
    settings::useFile(path);
    const QStringList alone{QStringLiteral("VELMORA.....conf"), QStringLiteral("VELMORA.....conf.lock")};
    int round = 0;
    for (const bool unnamed : {true, false}) {
        for (const char* step : {"sync", "written", "named"}) {
            if (!unnamed && std::strcmp(step, "written") == 0)
                continue;
            SCOPED_TRACE(std::string(step) + (unnamed ? " unnamed" : " named from the start"));
            const QByteArray before = contents(path);
            EXPECT_EXIT(
                {
                    killAtReplaceStep(step, unnamed);
                    settings::write(kHistory, QStringLiteral("PASS2"), QStringLiteral("new"));
                    std::_Exit(0);
                },
                testing::KilledBySignal(SIGKILL), "");
            EXPECT_EQ(contents(path), before);
            EXPECT_TRUE(settings::write(kHistory, QStringLiteral("1"), QString::number(++round)));
            EXPECT_EQ(filesIn(dir.path()), alone);
        }
    }
    EXPECT_EQ(contents(path), QByteArray("[History]\nPASS2=old\n1=") + QByteArray::number(round) + '\n');

    failing::failSync(failing::Sync::Files);
    for (const bool unnamed : {true, false}) {
        platform::setReplaceStepHook(unnamed ? nullptr : +[](const char* step) {
            return std::strcmp(step, "tmpfile") == 0 ? EOPNOTSUPP : 0;
        });
        EXPECT_FALSE(settings::write(kHistory, QStringLiteral("PASS2"), QStringLiteral("unsynced")));
        EXPECT_EQ(contents(path), QByteArray("[History]\nPASS2=old\n1=") + QByteArray::number(round) + '\n');
        EXPECT_EQ(filesIn(dir.path()), alone);
    }
    platform::setReplaceStepHook(nullptr);
    failing::failSync(failing::Sync::Folders);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(settings::write(kHistory, QStringLiteral("PASS2"), QStringLiteral("renamed")));
    const std::string said = testing::internal::GetCapturedStderr();
    failing::failSync(failing::Sync::Never);
    EXPECT_NE(said.find(" is written, but the disk reported an error: "), std::string::npos) << said;
    EXPECT_EQ(settings::read(kHistory, QStringLiteral("PASS2")), QStringLiteral("renamed"));
    EXPECT_TRUE(contents(path).contains("PASS2=renamed\n"));
}

// Two instances of the program write the one file at once, each its own
// value, round after round: every write is done, and each instance finds its
// value in the file after its write. The file system locks only a
// descriptor opened for writing, as NFS does.
TEST_F(SettingsFileTest, TwoInstancesWritingAtOnceLoseNothingOfEachOther)
{
    const QString path = dir.filePath(QStringLiteral("VELMORA.....conf"));
    putFile(path, "[History]\nPASS1=KT527\n");
    constexpr int kRounds = 100;
    const char* const names[] = {"a", "b"};
    pid_t instances[2] = {};
    for (int k = 0; k < 2; ++k) {
        instances[k] = ::fork();
        ASSERT_GE(instances[k], 0);
        if (instances[k] == 0) {
            failing::setLocks(failing::Locks::NeedWriting);
            settings::useFile(path);
            int faults = 0;
            for (int i = 0; i < kRounds; ++i) {
                const QByteArray line = '\n' + QByteArray(names[k]) + '=' + QByteArray::number(i) + '\n';
                if (!settings::write(kHistory, QString::fromLatin1(names[k]), QString::number(i)) ||
                    !contents(path).contains(line))
                    ++faults;
            }
            std::_Exit(std::min(faults, 100));
        }
    }
    for (pid_t instance : instances) {
        int status = 0;
        ASSERT_EQ(::waitpid(instance, &status, 0), instance);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "faults: " << WEXITSTATUS(status);
    }
    const QSettings file(path, QSettings::IniFormat);
    EXPECT_EQ(file.value(QStringLiteral("History/a")).toInt(), kRounds - 1);
    EXPECT_EQ(file.value(QStringLiteral("History/b")).toInt(), kRounds - 1);
    EXPECT_EQ(file.value(QStringLiteral("History/PASS1")).toString(), QStringLiteral("KT527"));
    EXPECT_EQ(filesIn(dir.path()),
              (QStringList{QStringLiteral("VELMORA.....conf"), QStringLiteral("VELMORA.....conf.lock")}));
}

// Where no lock can be had, the writes go on and that is said once: on a
// file system without locks, and where something else has the lock file's
// name. A link there is not followed, also not by root in a folder of
// another user's, whose link could lead anywhere. A write without the lock
// leaves alone the new file of another write, which may be under way.
TEST_F(SettingsFileTest, WhereNoLockCanBeHadTheWritesGoOnAndThatIsSaidOnce)
{
    const QString path = dir.filePath(QStringLiteral("VELMORA.....conf"));
    const QByteArray lock = QFile::encodeName(path + QStringLiteral(".lock"));
    QTemporaryDir outside;
    const QString roots = outside.filePath(QStringLiteral("roots"));
    putFile(roots, "root's own");
    ASSERT_EQ(::chmod(QFile::encodeName(roots).constData(), 0600), 0);
    const QString nowhere = outside.filePath(QStringLiteral("made"));
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(dir.path()).constData(), OrdinaryUser::kNobody, OrdinaryUser::kNobody), 0);
    }
    EXPECT_EXIT(
        {
            killAtReplaceStep("named");
            settings::useFile(path);
            settings::write(kHistory, QStringLiteral("PASS2"), QStringLiteral("other"));
            std::_Exit(0);
        },
        testing::KilledBySignal(SIGKILL), "");
    const QStringList others = filesIn(dir.path()).filter(QStringLiteral(".velmora-"));
    ASSERT_EQ(others.size(), 1);

    const std::function<void()> lockNames[] = {
        [] { failing::setLocks(failing::Locks::None); },
        [&] { ASSERT_EQ(::symlink(QFile::encodeName(roots).constData(), lock.constData()), 0); },
        [&] { ASSERT_EQ(::symlink(QFile::encodeName(nowhere).constData(), lock.constData()), 0); },
        [&] { ASSERT_EQ(::mkdir(lock.constData(), 0700), 0); },
        [&] { ASSERT_EQ(::mkfifo(lock.constData(), 0600), 0); },
    };
    int round = 0;
    for (const auto& lockName : lockNames) {
        SCOPED_TRACE(round);
        if (::unlink(lock.constData()) != 0)
            ::rmdir(lock.constData());
        lockName();
        settings::useFile(path);
        testing::internal::CaptureStderr();
        EXPECT_TRUE(settings::write(kHistory, QStringLiteral("PASS2"), QString::number(++round)));
        EXPECT_TRUE(settings::write(kHistory, QStringLiteral("1"), QStringLiteral("/tmp/a.spd")));
        const QString said = QString::fromStdString(testing::internal::GetCapturedStderr());
        failing::setLocks(failing::Locks::System);
        EXPECT_EQ(said.count(QStringLiteral("is written without a lock")), 1) << said.toStdString();
        EXPECT_EQ(contents(path), "[History]\nPASS2=" + QByteArray::number(round) + "\n1=/tmp/a.spd\n");
    }
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(roots).constData(), &st), 0);
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(contents(roots), QByteArray("root's own"));
    EXPECT_FALSE(QFileInfo::exists(nowhere));
    EXPECT_EQ(filesIn(dir.path()).filter(QStringLiteral(".velmora-")), others);

    // With the lock, what a write cut short left goes.
    ASSERT_EQ(::unlink(lock.constData()), 0);
    EXPECT_TRUE(settings::write(kHistory, QStringLiteral("PASS2"), QStringLiteral("locked")));
    EXPECT_EQ(filesIn(dir.path()),
              (QStringList{QStringLiteral("VELMORA.....conf"), QStringLiteral("VELMORA.....conf.lock")}));
}

// Dotfile folders are often reached through links: a relative link with ".."
// in a folder reached through a linked folder goes up from the folder it
// really is in, as the system follows it, for the read and the write; so
// does a ".." in the name given.
TEST_F(SettingsFileTest, ALinkIsFollowedAsTheSystemFollowsIt)
{
    for (const char* folder : {"phys/sub", "phys/deep", "lnk"})
        ASSERT_TRUE(QDir().mkpath(dir.filePath(QString::fromLatin1(folder))));
    const QString name = QStringLiteral("VELMORA.....conf");
    ASSERT_EQ(::symlink("../phys/sub", QFile::encodeName(dir.filePath(QStringLiteral("lnk/lf"))).constData()), 0);
    ASSERT_EQ(::symlink("../deep/t.conf", QFile::encodeName(dir.filePath(QStringLiteral("phys/sub/") + name)).constData()),
              0);
    const QString target = dir.filePath(QStringLiteral("phys/deep/t.conf"));
    putFile(target, "[History]\nPASS1=KT527\nPASS2=old\n");
    settings::useFile(dir.filePath(QStringLiteral("lnk/lf/") + name));
    EXPECT_EQ(settings::read(kHistory, QStringLiteral("PASS2")), QStringLiteral("old"));
    EXPECT_TRUE(settings::write(kHistory, QStringLiteral("PASS2"), QStringLiteral("new")));
    EXPECT_EQ(contents(target), QByteArray("[History]\nPASS1=KT527\nPASS2=new\n"));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("phys/sub/") + name)).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("lnk/deep"))));

    // A name with ".." after a linked folder goes up from the folder the
    // link leads to.
    settings::useFile(dir.filePath(QStringLiteral("lnk/lf/../e.conf")));
    EXPECT_TRUE(settings::write(kHistory, QStringLiteral("PASS2"), QStringLiteral("up")));
    EXPECT_EQ(contents(dir.filePath(QStringLiteral("phys/e.conf"))), QByteArray("[History]\nPASS2=up\n"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("lnk/e.conf"))));
}

// Root writing a user's settings (sudo keeping the user's home) leaves them
// the user's, who can still read and write them, and so the lock file root
// makes; a lock file that was there keeps its owner. A file its owner made
// read-only is not written, also not by root.
TEST_F(SettingsFileTest, TheFileAndItsLockStayTheirOwnersAndOneMadeReadOnlyIsNotWritten)
{
    const QString path = dir.filePath(QStringLiteral("VELMORA.....conf"));
    const QByteArray p = QFile::encodeName(path);
    putFile(path, "[History]\nPASS1=KT527\n");
    ASSERT_EQ(::chmod(p.constData(), 0600), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
        ASSERT_EQ(::chown(QFile::encodeName(dir.path()).constData(), OrdinaryUser::kNobody, OrdinaryUser::kNobody), 0);
        ASSERT_EQ(::chown(p.constData(), OrdinaryUser::kNobody, OrdinaryUser::kNobody), 0);
        settings::useFile(path);
        ASSERT_TRUE(settings::write(kHistory, QStringLiteral("PASS2"), QStringLiteral("by root")));
        struct stat st {};
        ASSERT_EQ(::stat(p.constData(), &st), 0);
        EXPECT_EQ(st.st_uid, OrdinaryUser::kNobody);
        EXPECT_EQ(st.st_gid, OrdinaryUser::kNobody);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        const QByteArray lock = p + ".lock";
        ASSERT_EQ(::stat(lock.constData(), &st), 0);
        EXPECT_EQ(st.st_uid, OrdinaryUser::kNobody);
        ASSERT_EQ(::unlink(lock.constData()), 0);
        putFile(QFile::decodeName(lock), "");
        ASSERT_TRUE(settings::write(kHistory, QStringLiteral("PASS2"), QStringLiteral("by root again")));
        ASSERT_EQ(::stat(lock.constData(), &st), 0);
        EXPECT_EQ(st.st_uid, 0u);
        ASSERT_EQ(::unlink(lock.constData()), 0);

        ASSERT_EQ(::chmod(p.constData(), 0400), 0);
        const QByteArray before = contents(path);
        EXPECT_FALSE(settings::write(kHistory, QStringLiteral("PASS2"), QStringLiteral("lost")));
        EXPECT_EQ(contents(path), before);
        EXPECT_EQ(modeOf(path), 0400);
        ASSERT_EQ(::chmod(p.constData(), 0600), 0);
    }
    OrdinaryUser user;
    if (user.failed())
        GTEST_SKIP() << "cannot take an ordinary user's rights";
    settings::useFile(path);
    EXPECT_TRUE(settings::write(kHistory, QStringLiteral("PASS2"), QStringLiteral("by the user")));
    ASSERT_EQ(::chmod(p.constData(), 0444), 0);
    const QByteArray before = contents(path);
    EXPECT_FALSE(settings::write(kHistory, QStringLiteral("PASS2"), QStringLiteral("lost")));
    EXPECT_EQ(contents(path), before);
    EXPECT_EQ(modeOf(path) & 0222, 0);
}

// A file edited by hand keeps every line the program does not change, also
// lines the program would never write; only the values set change.
TEST_F(SettingsFileTest, LinesOfAHandEditedFileThatAWriteDoesNotChangeStayAsTheyWere)
{
    const QString path = dir.filePath(QStringLiteral("VELMORA.....conf"));
    putFile(path, "; my settings\r\n[Settings]\r\nCommPort=3\r\nOdd=a, @b\r\n\r\n[]\nx = 1\n"
                  "[History]\nPASS1=KT527\n PASS2 = old\n\n[Mine]\nkey=\"v\"");
    settings::useFile(path);
    EXPECT_EQ(settings::read(kHistory, QStringLiteral("PASS2")), QStringLiteral("old"));
    EXPECT_TRUE(settings::write(kHistory, QStringLiteral("PASS2"), QStringLiteral("new")));
    EXPECT_TRUE(settings::write(QStringLiteral("Settings"), QStringLiteral("CommPort"), QStringLiteral("2")));
    EXPECT_TRUE(settings::write(kHistory, QStringLiteral("1"), QStringLiteral("/tmp/a.spd")));
    EXPECT_TRUE(settings::write(QStringLiteral("Other"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_TRUE(settings::remove(QStringLiteral("Mine"), QStringLiteral("key")));
    EXPECT_EQ(contents(path), QByteArray("; my settings\r\n[Settings]\r\nCommPort=2\r\nOdd=a, @b\r\n\r\n[]\nx = 1\n"
                                         "[History]\nPASS1=KT527\nPASS2=new\n1=/tmp/a.spd\n\n[Mine]\n"
                                         "\n[Other]\nk=v\n"));
}

// A hand-edited line that opens a quote and never closes it takes in every
// line after it: a value written goes where the reader still finds it, and a
// write with no such place is refused and said.
TEST_F(SettingsFileTest, ALineThatOpensAQuoteTakesInNoValueWritten)
{
    const QString path = dir.filePath(QStringLiteral("VELMORA.....conf"));
    putFile(path, "[History]\nPASS1=KT527\nNote=\"open\n");
    settings::useFile(path);
    ASSERT_TRUE(settings::write(kHistory, {{QStringLiteral("PASS2"), QStringLiteral("secret")},
                                           {QStringLiteral("1"), QStringLiteral("/tmp/a.spd")}}));
    const QSettings file(path, QSettings::IniFormat);
    EXPECT_EQ(file.value(QStringLiteral("History/PASS2")).toString(), QStringLiteral("secret"));
    EXPECT_EQ(file.value(QStringLiteral("History/1")).toString(), QStringLiteral("/tmp/a.spd"));
    EXPECT_TRUE(contents(path).endsWith("\nNote=\"open\n"));

    putFile(path, "Note=\"open\n");
    settings::useFile(path);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(settings::write(kHistory, QStringLiteral("PASS2"), QStringLiteral("secret")));
    EXPECT_NE(testing::internal::GetCapturedStderr().find(" is not written: "), std::string::npos);
    EXPECT_EQ(contents(path), QByteArray("Note=\"open\n"));
}

// What the store writes, QSettings (which reads the file at the next start)
// reads back as it was written, whatever the text holds.
TEST_F(SettingsFileTest, TextsReadBackAsTheyWereWritten)
{
    const QString path = dir.filePath(QStringLiteral("VELMORA.....conf"));
    settings::useFile(path);
    const QStringList texts{QStringLiteral("a, b"),        QStringLiteral(" lead"),     QStringLiteral("trail "),
                            QStringLiteral("@at"),         QStringLiteral("@@two"),     QStringLiteral("q\"uote"),
                            QStringLiteral("back\\slash"), QStringLiteral("semi;colon"), QStringLiteral("eq=al"),
                            QStringLiteral("t\tn\nr\r"),   QStringLiteral("\x01" "1f"), QStringLiteral("ü€中\U0001F600"),
                            QStringLiteral("#[x]"),        QString()};
    for (int i = 0; i < texts.size(); ++i)
        ASSERT_TRUE(settings::write(kHistory, QString::number(i), texts[i]));
    const QSettings file(path, QSettings::IniFormat);
    settings::useFile(path);
    for (int i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(file.value(kHistory + QStringLiteral("/%1").arg(i)).toString(), texts[i]) << i;
        EXPECT_EQ(settings::read(kHistory, QString::number(i)), texts[i]) << i;
    }
}

// A FIFO or a folder in the file's place is refused at once (opening a FIFO
// would wait for a writer) and said on the standard error.
TEST_F(SettingsFileTest, ASettingsFileThatIsNoRegularFileIsRefusedAtOnce)
{
    const QString fifo = dir.filePath(QStringLiteral("fifo.conf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = dir.filePath(QStringLiteral("folder.conf"));
    ASSERT_TRUE(QDir().mkdir(folder));
    for (const QString& path : {fifo, folder}) {
        testing::internal::CaptureStderr();
        settings::useFile(path);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(path.toStdString() + " is not used: it is not a regular file"), std::string::npos) << said;
        EXPECT_EQ(settings::read(kHistory, QStringLiteral("PASS2")), std::nullopt);
        EXPECT_FALSE(settings::write(kHistory, QStringLiteral("PASS2"), QStringLiteral("x")));
    }
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}
