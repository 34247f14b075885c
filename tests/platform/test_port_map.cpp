// Port numbers to device paths without a VELMORA_COMn value: the settings
// file's ComN path, else the first tty device of the port that exists, in a
// device folder of the test's own.

#include "platform/PortMap.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class PortMapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(devices.isValid() && config.isValid());
        for (int i = 1; i <= 4; ++i)
            qunsetenv(qPrintable(QStringLiteral("VELMORA_COM%1").arg(i)));
        settings::useFile(QDir(config.path()).filePath(QStringLiteral("settings.conf")));
        platform::useDeviceFolder(devices.path());
    }
    void TearDown() override
    {
        platform::useDeviceFolder(QString());
        settings::useFile(QString());
        qunsetenv("VELMORA_COM3");
    }
    // The device folder holds exactly these names.
    void holdOnly(const QStringList& names)
    {
        QDir dir(devices.path());
        for (const QString& old : dir.entryList(QDir::Files))
            dir.remove(old);
        for (const QString& name : names) {
            QFile f(dir.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << name.toStdString();
        }
    }
    QString device(const char* name) const { return QDir(devices.path()).filePath(QString::fromLatin1(name)); }

    QTemporaryDir devices;
    QTemporaryDir config;
};

} // namespace

TEST_F(PortMapTest, PortTwoIsTheFirstOfItsUsbAcmAndSerialDevicesThatExists)
{
    const std::pair<QStringList, const char*> cases[] = {
        {{"ttyUSB1", "ttyACM1", "ttyS1"}, "ttyUSB1"},
        {{"ttyACM1", "ttyS1"}, "ttyACM1"},
        {{"ttyS1"}, "ttyS1"},
        {{"ttyUSB1", "ttyS1"}, "ttyUSB1"},
        // Only the devices numbered one below the port count.
        {{"ttyUSB0", "ttyACM2", "ttyUSB2", "ttyS1"}, "ttyS1"},
        {{"ttyUSB0", "ttyACM0"}, "ttyS1"},  // none: the serial device's name
    };
    for (const auto& [present, want] : cases) {
        holdOnly(present);
        EXPECT_EQ(platform::devicePathFor(2), device(want)) << present.join(QLatin1Char(' ')).toStdString();
    }
}

TEST_F(PortMapTest, AStoredPathServesItsOwnPortAndGivesWayToTheEnvironment)
{
    holdOnly({"ttyUSB2", "ttyUSB1"});
    settings::write(QStringLiteral("Settings"), QStringLiteral("Com3"), QStringLiteral(" /dev/serial/by-id/usb-X "));
    EXPECT_EQ(platform::devicePathFor(3), QStringLiteral("/dev/serial/by-id/usb-X"));
    EXPECT_EQ(platform::devicePathFor(2), device("ttyUSB1"));
    settings::write(QStringLiteral("Settings"), QStringLiteral("Com3"), QStringLiteral("  "));
    EXPECT_EQ(platform::devicePathFor(3), device("ttyUSB2"));

    settings::write(QStringLiteral("Settings"), QStringLiteral("Com3"), QStringLiteral("/dev/serial/by-id/usb-X"));
    qputenv("VELMORA_COM3", "/tmp/pty-of-the-run");
    EXPECT_EQ(platform::devicePathFor(3), QStringLiteral("/tmp/pty-of-the-run"));
    // A value pasted with its trailing blank or line end names the same path.
    for (const char* value : {"/tmp/pty-of-the-run ", "/tmp/pty-of-the-run\n", "/tmp/pty-of-the-run\r\n",
                              " /tmp/pty-of-the-run\t"}) {
        qputenv("VELMORA_COM3", value);
        EXPECT_EQ(platform::devicePathFor(3), QStringLiteral("/tmp/pty-of-the-run")) << value;
    }
    // Only blanks: no value.
    qputenv("VELMORA_COM3", " \n");
    EXPECT_EQ(platform::devicePathFor(3), QStringLiteral("/dev/serial/by-id/usb-X"));
}
