#include "state/Globals.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "platform/CommPort.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedUi.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

using velmora::gs;

namespace {

// A pseudo-terminal whose far end stands in for a serial device.
class Pty {
public:
    Pty()
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0)
            path_ = QString::fromLatin1(ptsname(master_));
    }
    ~Pty()
    {
        if (master_ >= 0)
            ::close(master_);
    }
    QString path() const { return path_; }

private:
    int master_ = -1;
    QString path_;
};

class PortOptionsTest : public ProgramStateTest {
protected:
    void SetUp() override
    {
        ProgramStateTest::SetUp();
        settings::useFile(QDir(dir.path()).filePath(QStringLiteral("settings.conf")));
        for (int i = 1; i <= 4; ++i)
            qunsetenv(qPrintable(QStringLiteral("VELMORA_COM%1").arg(i)));
        main = std::make_unique<frmMain>();
        gs().passwordMode = -1;
    }
    void TearDown() override
    {
        main.reset();
        for (int i = 1; i <= 4; ++i)
            qunsetenv(qPrintable(QStringLiteral("VELMORA_COM%1").arg(i)));
        settings::useFile(QString());
        ProgramStateTest::TearDown();
    }
    static void pointPort(int n, const QString& path)
    {
        qputenv(qPrintable(QStringLiteral("VELMORA_COM%1").arg(n)), path.toUtf8());
    }
    static std::optional<QString> stored() { return settings::read(QStringLiteral("Settings"), QStringLiteral("CommPort")); }

    // Runs the "Communication" command; the dialog is answered by choose.
    void runDialog(const std::function<void(frmOptions*)>& choose)
    {
        ui.dialogHandlers.push_back([&](QDialog* d) {
            auto* dlg = qobject_cast<frmOptions*>(d);
            EXPECT_NE(dlg, nullptr);
            if (dlg)
                choose(dlg);
            return d->result();
        });
        main->mnuViewOptions_Click();
    }

    QTemporaryDir dir;
    ScriptedUi ui;
    std::unique_ptr<frmMain> main;
};

} // namespace

TEST_F(PortOptionsTest, OpensWithThePortInUseAndShowsPortZeroAsPortOne)
{
    gs().comPort = 3;
    runDialog([](frmOptions* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Communication"));
        EXPECT_TRUE(d->optCom(3)->isChecked());
        EXPECT_EQ(d->optCom(3)->text(), QStringLiteral("Com3"));
        EXPECT_EQ(d->optCom(3)->objectName(), QStringLiteral("optCom(3)"));
        d->cmdCancel()->click();
    });
    EXPECT_EQ(ui.dialogs, std::vector<QString>{QStringLiteral("frmOptions")});

    gs().comPort = 0;
    runDialog([](frmOptions* d) {
        EXPECT_TRUE(d->optCom(1)->isChecked());
        d->reject();
    });
    EXPECT_EQ(gs().comPort, 1);
}

TEST_F(PortOptionsTest, OkClosesTheOldPortStoresTheChoiceAndOpensTheNewOne)
{
    Pty one;
    Pty two;
    ASSERT_FALSE(one.path().isEmpty());
    ASSERT_FALSE(two.path().isEmpty());
    pointPort(1, one.path());
    pointPort(2, two.path());
    main->MSComm1()->setCommPort(1);
    main->MSComm1()->setPortOpen(true);
    ASSERT_TRUE(main->MSComm1()->portOpen());

    runDialog([](frmOptions* d) {
        d->optCom(2)->setChecked(true);
        d->cmdOK()->click();
    });

    EXPECT_EQ(gs().comPort, 2);
    EXPECT_EQ(main->MSComm1()->commPort(), 2);
    EXPECT_EQ(main->MSComm1()->devicePath(), two.path());
    EXPECT_TRUE(main->MSComm1()->portOpen());
    EXPECT_EQ(stored(), QStringLiteral("2"));
    EXPECT_EQ(settings::storedSize(*stored()), 2);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PortOptionsTest, APortThatCannotOpenIsReportedAndTheChoiceStays)
{
    pointPort(4, QStringLiteral("/nonexistent/velmora-tty"));
    settings::write(QStringLiteral("Settings"), QStringLiteral("CommPort"), QStringLiteral("1"));

    runDialog([](frmOptions* d) {
        d->optCom(4)->setChecked(true);
        d->cmdOK()->click();
    });

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].icon, ui::Icon::Critical);
    EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("Com4")));
    EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("/nonexistent/velmora-tty")));
    EXPECT_EQ(gs().comPort, 4);
    EXPECT_EQ(main->MSComm1()->commPort(), 4);
    EXPECT_FALSE(main->MSComm1()->portOpen());
    EXPECT_EQ(stored(), QStringLiteral("4"));
}

// A choice that cannot be stored (the settings file's folder is a file, or
// the file is read-only, also for root) is said, naming the file, and holds
// for this run.
TEST_F(PortOptionsTest, AChoiceThatCannotBeStoredIsSaidAndHoldsForThisRun)
{
    Pty two;
    pointPort(2, two.path());
    const QString folder = dir.filePath(QStringLiteral("cfg"));
    QFile file(folder);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QString path = folder + QStringLiteral("/settings.conf");
    settings::useFile(path);

    runDialog([](frmOptions* d) {
        d->optCom(2)->setChecked(true);
        d->cmdOK()->click();
    });

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("*****   The port can not be stored !   *****\n\n") + path);
    EXPECT_EQ(ui.messages[0].icon, ui::Icon::Critical);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Error"));
    EXPECT_EQ(gs().comPort, 2);
    EXPECT_EQ(main->MSComm1()->commPort(), 2);
    EXPECT_TRUE(main->MSComm1()->portOpen());

    ASSERT_TRUE(file.remove());
    ASSERT_TRUE(QDir().mkdir(folder));
    QFile readOnly(path);
    ASSERT_TRUE(readOnly.open(QIODevice::WriteOnly));
    readOnly.write("[Settings]\nCommPort=1\n");
    readOnly.close();
    ASSERT_TRUE(readOnly.setPermissions(QFileDevice::ReadOwner));
    settings::useFile(path);
    ui.messages.clear();
    Pty three;
    pointPort(3, three.path());
    runDialog([](frmOptions* d) {
        d->optCom(3)->setChecked(true);
        d->cmdOK()->click();
    });
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("*****   The port can not be stored !   *****\n\n") + path);
    EXPECT_EQ(gs().comPort, 3);
    ASSERT_TRUE(readOnly.open(QIODevice::ReadOnly));
    EXPECT_EQ(readOnly.readAll(), QByteArray("[Settings]\nCommPort=1\n"));
}

TEST_F(PortOptionsTest, CancelAndTheCloseBoxChangeNothing)
{
    Pty one;
    pointPort(1, one.path());
    settings::write(QStringLiteral("Settings"), QStringLiteral("CommPort"), QStringLiteral("1"));
    main->MSComm1()->setCommPort(1);
    main->MSComm1()->setPortOpen(true);
    gs().comPort = 1;

    runDialog([](frmOptions* d) {
        d->optCom(3)->setChecked(true);
        d->cmdCancel()->click();
    });
    runDialog([](frmOptions* d) {
        d->optCom(2)->setChecked(true);
        d->close();
    });

    EXPECT_EQ(gs().comPort, 1);
    EXPECT_EQ(main->MSComm1()->commPort(), 1);
    EXPECT_TRUE(main->MSComm1()->portOpen());
    EXPECT_EQ(stored(), QStringLiteral("1"));
}

TEST_F(PortOptionsTest, RestrictedModeCannotChooseAPort)
{
    gs().passwordMode = 0;
    main->mnuViewOptions_Click();
    EXPECT_TRUE(ui.dialogs.empty());
}
