// The settings file holds the password in plain text: only its user may read
// it, whether the store makes the file or finds it.

#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
    const QString own = settings::store().fileName();
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
