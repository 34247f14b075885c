#include "state/Globals.h"
#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "app/frmMainHelp.h"
#include "platform/SettingsStore.h"
#include "platform/Ui.h"
#include "support/LinkCatcher.h"
#include "support/ScriptedUi.h"
#include "support/TestEnv.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using velmora::gs;

namespace {

class HelpTest : public ProgramStateTest {
protected:
    void SetUp() override
    {
        ProgramStateTest::SetUp();
        settings::useFile(QDir(dir.path()).filePath(QStringLiteral("settings.conf")));
        savedPath = qgetenv("PATH");
        // Only the test's own folder is searched for programs.
        qputenv("PATH", bin().toUtf8());
        QDir().mkpath(bin());
        main = std::make_unique<frmMain>();
        main->setWindowTitle(QStringLiteral("VELMORA...."));
    }
    void TearDown() override
    {
        main.reset();
        qputenv("PATH", savedPath);
        settings::useFile(QString());
        ProgramStateTest::TearDown();
    }
    QString bin() const { return QDir(dir.path()).filePath(QStringLiteral("bin")); }
    QString marker() const { return QDir(dir.path()).filePath(QStringLiteral("started")); }

    // A program that leaves a marker file when it runs.
    QString program(const QString& name)
    {
        const QString path = QDir(bin()).filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\necho %1 > '%2'\n").arg(name, marker()).toUtf8());
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    QString startedProgram(int waitMs = 5000) const
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < waitMs) {
            QFile f(marker());
            if (f.open(QIODevice::ReadOnly)) {
                const QString s = QString::fromUtf8(f.readAll()).trimmed();
                if (!s.isEmpty())
                    return s;
            }
            QTest::qWait(20);
        }
        return QString();
    }
    void sysInfo()
    {
        frmAbout about(main.get());
        about.Form_Load();
        about.cmdSysInfo()->click();
    }

    QTemporaryDir dir;
    QByteArray savedPath;
    ScriptedUi ui;
    std::unique_ptr<frmMain> main;
};

const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");

} // namespace

TEST_F(HelpTest, AboutBoxCaptionsAndItsWayOut)
{
    ui.dialogHandlers.push_back([](QDialog* d) {
        auto* about = qobject_cast<frmAbout*>(d);
        EXPECT_NE(about, nullptr);
        if (!about)
            return 0;
        EXPECT_EQ(about->windowTitle(), QStringLiteral("About VELMORA...."));
        EXPECT_EQ(about->lblTitle()->text(), QStringLiteral("VELMORA...."));
        EXPECT_EQ(about->lblVersion()->text(), QStringLiteral("Ver:  1.1.0"));
        EXPECT_EQ(about->cmdSysInfo()->text(), QStringLiteral("System Info."));
        EXPECT_TRUE(about->cmdOK()->isDefault());
        about->cmdOK()->click();
        return about->result();
    });
    main->mnuHelpAbout_Click();
    EXPECT_EQ(ui.dialogs, std::vector<QString>{QStringLiteral("frmAbout")});
}

TEST_F(HelpTest, WithoutAnySystemInformationProgramTheBoxSaysSo)
{
    sysInfo();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kUnavailable);
    EXPECT_EQ(ui.messages[0].icon, ui::Icon::None);
    EXPECT_EQ(ui.messages[0].title, ui::programTitle());
}

TEST_F(HelpTest, AKnownProgramOnPathIsStarted)
{
    program(QStringLiteral("gnome-system-monitor"));
    program(QStringLiteral("hardinfo"));
    sysInfo();
    EXPECT_EQ(startedProgram(), QStringLiteral("hardinfo"));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(HelpTest, TheConfiguredProgramComesFirstAndItsFailureIsReported)
{
    const QString mine = program(QStringLiteral("my-sysinfo"));
    program(QStringLiteral("hardinfo"));
    settings::write(QStringLiteral("Settings"), QStringLiteral("SystemInfo"), mine);
    sysInfo();
    EXPECT_EQ(startedProgram(), QStringLiteral("my-sysinfo"));
    EXPECT_TRUE(ui.messages.empty());

    QFile::remove(marker());
    settings::write(QStringLiteral("Settings"), QStringLiteral("SystemInfo"), QStringLiteral("/nonexistent/sysinfo"));
    sysInfo();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kUnavailable);
    EXPECT_TRUE(startedProgram(300).isEmpty());
}

TEST_F(HelpTest, AConfiguredValueTooLongForItsBufferCountsAsMissing)
{
    program(QStringLiteral("kinfocenter"));
    settings::write(QStringLiteral("Settings"), QStringLiteral("SystemInfo"), QString(1024, QLatin1Char('x')));
    frmAbout about;
    QString value;
    EXPECT_EQ(about.GetKeyValue(QStringLiteral("Settings"), QStringLiteral("SystemInfo"), value), 0);
    EXPECT_TRUE(value.isEmpty());
    sysInfo();
    EXPECT_EQ(startedProgram(), QStringLiteral("kinfocenter"));

    settings::write(QStringLiteral("Settings"), QStringLiteral("SystemInfo"), QString(1023, QLatin1Char('x')));
    EXPECT_EQ(about.GetKeyValue(QStringLiteral("Settings"), QStringLiteral("SystemInfo"), value), -1);
    EXPECT_EQ(value.size(), 1023);
}

TEST(MailLink, PartsFollowTheAddressUnescapedInTheirOrder)
{
    const QString a = QStringLiteral("support@velmora.example");
    EXPECT_EQ(help::mailLink(a, {}, {}, {}, {}, {}), QStringLiteral("mailto:support@velmora.example"));
    EXPECT_EQ(help::mailLink(a, QStringLiteral("SPD Error Mail"), {}, {}, {}, {}),
              QStringLiteral("mailto:support@velmora.example?Subject=SPD Error Mail"));
    EXPECT_EQ(help::mailLink(a, {}, QStringLiteral("a b&c"), {}, {}, {}),
              QStringLiteral("mailto:support@velmora.example?Body=a b&c"));
    EXPECT_EQ(help::mailLink(a, QStringLiteral("S"), QStringLiteral("B"), QStringLiteral("c@x"), QStringLiteral("d@y"),
                             QStringLiteral("/tmp/a b.spd")),
              QStringLiteral("mailto:support@velmora.example?Subject=S&Body=B&CC=c@x&BCC=d@y&Attach=\"/tmp/a b.spd\""));
    EXPECT_EQ(help::mailLink(a, {}, {}, {}, {}, QStringLiteral("f")),
              QStringLiteral("mailto:support@velmora.example?Attach=\"f\""));
}

TEST_F(HelpTest, ErrorMailAndWebLinkGoToTheDesktopHandler)
{
    LinkCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    main->mnuHelpContents_Click();
    main->mnuViewWebBrowser_Click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(catcher.links.size(), 2);
    EXPECT_EQ(catcher.links[0], QUrl(QStringLiteral("mailto:support@velmora.example?Subject=SPD Error Mail")));
    EXPECT_EQ(catcher.links[0].query(QUrl::FullyDecoded), QStringLiteral("Subject=SPD Error Mail"));
    EXPECT_EQ(catcher.links[1], QUrl(QString::fromLatin1(help::kWebAddress)));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(HelpTest, AMissingHandlerIsReported)
{
    // The offscreen platform has no way to open links.
    main->mnuHelpContents_Click();
    main->mnuViewWebBrowser_Click();
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].icon, ui::Icon::Critical);
    EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("mailto:support@velmora.example?Subject=SPD Error Mail")));
    EXPECT_TRUE(ui.messages[1].text.contains(QString::fromLatin1(help::kWebAddress)));
}

TEST_F(HelpTest, HelpSearchSaysThereIsNoHelp)
{
    main->mnuHelpSearchForHelpOn_Click();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              QStringLiteral("Unable to display Help Contents. There is no Help associated with this project."));
    EXPECT_EQ(ui.messages[0].icon, ui::Icon::Information);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("VELMORA...."));
}

