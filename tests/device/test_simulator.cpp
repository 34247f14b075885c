// The programmer simulator as a user meets it: the module in its socket when
// none is given, its stand-alone result frames against the program's closed
// port, and `./setup.sh start --simulator` (tools/simulator/with-simulator.sh,
// which it runs once everything is built): port 1 on a link of the run's own,
// the commands it prints to press the test key, to unplug the simulator and
// to plug it in again, pasted as they are, and its end with the program's;
// in a terminal, the script, the simulator and the program as one job.

#include "device/DeviceFixture.h"
#include "support/Wait.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using velmora::gs;

namespace {

const QString kStateCanNotRead = QStringLiteral("      *****   The state can not read !   *****      ");

// CRC-16 with polynomial 0x1021 and initial value 0, bit by bit.
std::uint16_t crc16(const sim::Bytes512& b, int from, int n)
{
    std::uint16_t crc = 0;
    for (int i = from; i < from + n; ++i) {
        crc ^= static_cast<std::uint16_t>(b[static_cast<std::size_t>(i)] << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

// The state letter of a process ('T' stopped), or 0 once it has ended.
char stateOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    const char state = close >= 0 && close + 2 < line.size() ? line.at(close + 2) : 0;
    return state == 'Z' || state == 'X' ? 0 : state;
}

} // namespace

// ---------------------------------------------------------------- the default module

TEST_F(DeviceTest, TheDefaultModuleLoadsAsADdr4Module)
{
    // A newcomer's first "<= Load Module", on a simulator given no module.
    frmDocument* doc = openDocument();
    ui.messages.clear();
    P(doc).Command9->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Computer reads the DRAM-Module successfully !   ***** "));
    EXPECT_EQ(doc->Get_Value(2), 12);
    EXPECT_EQ(doc->L(QStringLiteral("Label120"))->text(), QStringLiteral("DDR4 SDRAM"));
    EXPECT_EQ(doc->L(QStringLiteral("Label116"))->text(), QStringLiteral("Unbuffer-DIMM"));
    EXPECT_EQ(doc->L(QStringLiteral("Label117"))->text(), QStringLiteral("4 GB    "));
    EXPECT_EQ(doc->L(QStringLiteral("Label119"))->text(), QStringLiteral("2133 MHz"));
    // The part number fills its 20 characters with blanks.
    EXPECT_EQ(doc->L(QStringLiteral("Label144"))->text(), QStringLiteral("SIM-DDR4-2133-4G    "));
    EXPECT_EQ(doc->L(QStringLiteral("Label148"))->text(), QStringLiteral("(SAMSUNG)"));

    // Its CRCs are right, as a real module's are (least significant byte
    // first).
    const sim::Bytes512 m = sim->module();
    EXPECT_EQ(m[126] | m[127] << 8, crc16(m, 0, 126));
    EXPECT_EQ(m[254] | m[255] << 8, crc16(m, 128, 126));
}

// ---------------------------------------------------------------- stand-alone result frames

class StandaloneResultTest : public DeviceTest {
protected:
    // Half a second of real time either side of the program's waits.
    double speed() const override { return 2; }
};

TEST_F(StandaloneResultTest, AFrameSentWhileThePortIsClosedIsLost)
{
    frmDocument* doc = openDocument();
    // "Read" keeps the port closed for 5 s: a frame sent after 2.5 s is
    // lost whole.
    sim->updateKnobs([](sim::Knobs& k) { k.standaloneResultMs = 2500; });
    sim->clearLog();
    P(doc).Command5->click();
    EXPECT_EQ(sim->count(frameMsg('r')), 1);
    ASSERT_TRUE(sim->waitUntilSent(5000));
    run(5000);  // two ticks of the test-result poller
    EXPECT_EQ(P(doc).List1->count(), 0);

    // "Verify" keeps it closed for 2 s only: the same frame after 3 s is
    // shown.
    sim->updateKnobs([](sim::Knobs& k) { k.standaloneResultMs = 3000; });
    P(doc).Command7->click();
    testwait::until([&] { return P(doc).List1->count() > 0; }, 10000);
    ASSERT_EQ(P(doc).List1->count(), 1);
    EXPECT_TRUE(P(doc).List1->item(0)->text().contains(QStringLiteral("Test Pass")));
}

// ---------------------------------------------------------------- the link

TEST(SimulatorLink, ASimulatorStartedAgainKeepsTheLinkWhenTheOldOneEnds)
{
    // Started again before the first one was stopped: the link is the new
    // one's, and the first one's end leaves it.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("port"));
    sim::ProgrammerSim first(4);
    sim::ProgrammerSim second(4);
    first.setLinkPath(link);
    second.setLinkPath(link);
    ASSERT_TRUE(first.start());
    ASSERT_TRUE(second.start());
    first.stop();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), second.devicePath());
    second.stop();
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

// ---------------------------------------------------------------- ./setup.sh start --simulator

class SimulatorBesideTest : public ProgramStateTest {
protected:
    // Real speed: the program talks to the simulator that the printed
    // command starts again without a time scale, and the quiet pause that
    // ends a status frame must hold on a busy machine.
    static constexpr double kSpeed = 1;

    void SetUp() override
    {
        ProgramStateTest::SetUp();
        vclock::clock().setSpeed(kSpeed);
        ASSERT_TRUE(tmp.isValid());
        gs().passwordMode = -1;
    }

    void TearDown() override
    {
        if (main) {
            for (QMdiSubWindow* s : main->mdiArea()->subWindowList())
                if (auto* d = qobject_cast<frmDocument*>(s->widget()))
                    d->Set_form_chang(0);
            main->mdiArea()->closeAllSubWindows();
            main.reset();
        }
        // The stand-in program ends when its input does; the simulator it
        // started ends with it.
        for (QProcess* p : {&again, &setup}) {
            if (p->state() == QProcess::NotRunning)
                continue;
            p->closeWriteChannel();
            p->terminate();
            if (!p->waitForFinished(5000))
                p->kill();
            p->waitForFinished(5000);
        }
        qunsetenv("VELMORA_COM1");
        vclock::clock().setSpeed(1);
        ProgramStateTest::TearDown();
    }

    // A process that ends when this test's process does, whatever ends it;
    // in a process group of its own when it stands for a job of a terminal.
    static void tieToTest(QProcess& p, bool ownGroup = false)
    {
        p.setChildProcessModifier([ownGroup] {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (ownGroup)
                ::setpgid(0, 0);
        });
    }

    // A command line as the user pastes it into a shell.
    static int paste(const QString& line)
    {
        QProcess sh;
        sh.start(QStringLiteral("bash"), {QStringLiteral("-c"), line});
        if (!sh.waitForFinished(10000))
            return -1;
        return sh.exitStatus() == QProcess::NormalExit ? sh.exitCode() : -1;
    }

    void waitForParse()
    {
        testwait::until([this] { return !main->Timer2()->isActive(); }, 10000);
        ASSERT_FALSE(main->Timer2()->isActive());
    }

    static device::DevicePanels& P(frmDocument* doc) { return *device::devicePanels(doc); }

    // The stand-in for the program: notes the port it was given and its own
    // process in the file named by $0, then runs until its input ends; it
    // collects no child.
    static constexpr const char* kStandIn =
        "printf '%s\\n%s\\n' \"$VELMORA_COM1\" $$ > \"$0\"; exec cat > /dev/null";

    // The simulator branch of `./setup.sh start --simulator OPTION...`, with
    // a stand-in for the program (a shell command that follows kStandIn's
    // first step) and `env` over the test's environment. Returns what the
    // script printed before the program started, and the port given; the
    // program's process goes to programPid.
    std::pair<QString, QString> startBeside(const QStringList& options, const QString& program = kStandIn,
                                            const QProcessEnvironment& extra = {})
    {
        const QString portFile = tmp.filePath(QStringLiteral("port-given"));
        QFile::remove(portFile);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), tmp.path());
        env.insert(QStringLiteral("VELMORA_TIME_SCALE"), QString::number(kSpeed));
        env.remove(QStringLiteral("VELMORA_COM1"));
        env.insert(extra);
        setup.setProcessEnvironment(env);
        setup.setProcessChannelMode(QProcess::SeparateChannels);
        tieToTest(setup, asJob);
        setup.start(QStringLiteral(VELMORA_SOURCE_DIR "/tools/simulator/with-simulator.sh"),
                    QStringList{QStringLiteral(VELMORA_BINARY_DIR "/tools/simulator/velmora-sim")} + options +
                        QStringList{QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"), program,
                                    portFile});
        if (!setup.waitForStarted(10000))
            return {};
        // What it prints comes before the program starts.
        QString printed;
        testwait::until(
            [&] {
                printed += QString::fromLocal8Bit(setup.readAllStandardOutput());
                return QFileInfo(portFile).size() > 0 || setup.state() == QProcess::NotRunning;
            },
            20000);
        QFile given(portFile);
        if (!given.open(QIODevice::ReadOnly))
            return {printed + QString::fromLocal8Bit(setup.readAllStandardError()), QString()};
        const QStringList lines = QString::fromLocal8Bit(given.readAll()).split(QLatin1Char('\n'));
        programPid = lines.value(1).toLongLong();
        setup.waitForReadyRead(100);
        printed += QString::fromLocal8Bit(setup.readAllStandardOutput());
        return {printed, lines.value(0)};
    }
    // Every `kill` the script runs logged in `file` (bash takes the exported
    // function before its builtin).
    static QProcessEnvironment killsLoggedIn(const QString& file)
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("BASH_FUNC_kill%%"),
                   QStringLiteral("() { printf '%s\\n' \"$*\" >> '%1'; builtin kill \"$@\"; }").arg(file));
        return env;
    }
    // What the script logged of its `kill`s.
    static QString logged(const QString& file)
    {
        QFile log(file);
        return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()) : QString();
    }
    // The simulator's process, as the command that unplugs it names it.
    static qint64 simulatorPid(const QString& printed)
    {
        const auto m = QRegularExpression(QStringLiteral("\\n  unplug it:\\s+kill (\\d+)\\n")).match(printed);
        return m.hasMatch() ? m.captured(1).toLongLong() : -1;
    }
    // Gone for good: neither running nor left defunct for its parent to
    // collect.
    static bool gone(qint64 pid)
    {
        return testwait::until([pid] { return !QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)); }, 5000);
    }

    QTemporaryDir tmp;
    qint64 programPid = -1;
    // The script runs as a job of its own, which a signal reaches as a whole.
    bool asJob = false;
    QProcess setup;
    QProcess again;
    ScriptedUi ui;
    std::unique_ptr<frmMain> main;
};

TEST_F(SimulatorBesideTest, ThePrintedCommandsPressTheKeyUnplugAndPlugInAgain)
{
    const auto [printed, port] = startBeside({QStringLiteral("--result-delay"), QStringLiteral("1000")});
    ASSERT_FALSE(port.isEmpty()) << printed.toStdString();

    // Port 1 is a link of this run's own, not the terminal behind it.
    EXPECT_TRUE(printed.startsWith(QStringLiteral("Simulated programmer on port 1, through ") + port + QLatin1Char('\n')))
        << printed.toStdString();
    EXPECT_TRUE(QFileInfo(port).isSymLink());
    EXPECT_TRUE(port.startsWith(tmp.path() + QLatin1Char('/')));
    auto after = [&](const QString& label) {
        const auto m = QRegularExpression(QLatin1String("\\n  ") + QRegularExpression::escape(label) +
                                          QLatin1String(":\\s+(.*)\\n"))
                           .match(printed);
        return m.hasMatch() ? m.captured(1) : QString();
    };
    const QString keyCommand = after(QStringLiteral("press its test key"));
    const QString unplugCommand = after(QStringLiteral("unplug it"));
    const QStringList lines = printed.trimmed().split(QLatin1Char('\n'));
    const QString againCommand = lines.last().trimmed();
    ASSERT_FALSE(keyCommand.isEmpty()) << printed.toStdString();
    ASSERT_FALSE(unplugCommand.isEmpty()) << printed.toStdString();
    ASSERT_TRUE(printed.contains(QStringLiteral("\n  plug it in again")) && lines.last().startsWith(QStringLiteral("    ")))
        << printed.toStdString();

    // The program on port 1 finds the programmer.
    qputenv("VELMORA_COM1", port.toLocal8Bit());
    main = std::make_unique<frmMain>();
    main->MSComm1()->setCommPort(1);
    main->MSComm1()->setPortOpen(true);
    main->show();
    frmDocument* doc = main->NewDocumentWindow();
    waitForParse();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(gs().deviceLink, -1);

    // Its test key, pressed as printed, although its input is no terminal:
    // the result comes unasked and is shown.
    EXPECT_EQ(paste(keyCommand), 0);
    testwait::until([&] { return P(doc).List1->count() > 0; }, 20000);
    ASSERT_EQ(P(doc).List1->count(), 1);
    EXPECT_TRUE(P(doc).List1->item(0)->text().contains(QStringLiteral("Test Pass")));

    // Unplugged as printed: the program closes its port, and asking again
    // says that the state cannot be read.
    EXPECT_EQ(paste(unplugCommand), 0);
    EXPECT_TRUE(gone(simulatorPid(printed)));
    testwait::until([&] { return !main->MSComm1()->portOpen() && !QFileInfo::exists(port); }, 10000);
    EXPECT_FALSE(main->MSComm1()->portOpen());
    ui.messages.clear();
    main->mnuConnection_Click();
    EXPECT_EQ(ui.lastText(), kStateCanNotRead);

    // Plugged in again with the printed command, pasted into a shell of its
    // own (no time scale, no port in its environment): "Reconnection"
    // recovers at once.
    QProcessEnvironment shell = QProcessEnvironment::systemEnvironment();
    shell.remove(QStringLiteral("VELMORA_TIME_SCALE"));
    shell.remove(QStringLiteral("VELMORA_COM1"));
    shell.remove(QStringLiteral("TMPDIR"));
    again.setProcessEnvironment(shell);
    tieToTest(again);
    again.start(QStringLiteral("bash"), {QStringLiteral("-c"), againCommand});
    ASSERT_TRUE(again.waitForStarted(10000));
    testwait::until([&] { return QFileInfo::exists(port) || again.state() == QProcess::NotRunning; }, 20000);
    ASSERT_TRUE(QFileInfo::exists(port)) << againCommand.toStdString() << "\n"
                                         << again.readAllStandardError().toStdString();
    ui.messages.clear();
    main->mnuConnection_Click();
    waitForParse();
    EXPECT_TRUE(ui.messages.empty()) << ui.lastText().toStdString();
    EXPECT_EQ(gs().deviceLink, -1);

    // The simulator started again reads its test key from the terminal it
    // was started in.
    again.write("test\n");
    testwait::until([&] { return P(doc).List1->count() > 1; }, 20000);
    EXPECT_EQ(P(doc).List1->count(), 2);
}

TEST_F(SimulatorBesideTest, TheSimulatorAndTheRunsFolderEndWithTheProgram)
{
    const auto [printed, port] = startBeside({});
    ASSERT_FALSE(port.isEmpty()) << printed.toStdString();
    const qint64 pid = simulatorPid(printed);
    ASSERT_GT(pid, 0) << printed.toStdString();
    const QString folder = QFileInfo(port).absolutePath();
    ASSERT_TRUE(QFileInfo(folder).isDir());
    // The program ends (its stand-in, when its input does).
    setup.closeWriteChannel();
    ASSERT_TRUE(setup.waitForFinished(20000));
    EXPECT_EQ(setup.exitCode(), 0);
    EXPECT_TRUE(gone(pid));
    EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST_F(SimulatorBesideTest, ASignalToTheScriptGoesToTheProgramAndTheScriptEndsByIt)
{
    // As `kill PID`, `timeout` or a launcher ends the script: the program gets
    // the signal; the script ends by that signal (so that a calling shell
    // tells it from an exit), or with the program's status when the program
    // ended by itself on the signal.
    const QString ownStatus =
        QStringLiteral("trap 'exit 5' INT QUIT TERM HUP; printf '%s\\n%s\\n' \"$VELMORA_COM1\" $$ > \"$0\"; "
                       "while :; do sleep 0.1; done");
    // A wrapper that runs the program as its child and hands no signal on,
    // as xvfb-run does without a display: the program goes too.
    const QString wrapper =
        QStringLiteral("sleep 300 & printf '%s\n%s\n' \"$VELMORA_COM1\" $! > \"$0\"; wait");
    const std::pair<int, int> cases[] = {{SIGTERM, 0}, {SIGINT, 0}, {SIGQUIT, 0}, {SIGHUP, SIGTERM}};
    for (const auto& [sig, second] : cases) {
        QStringList programs{QString::fromLatin1(kStandIn), ownStatus};
        if (sig == SIGTERM)
            programs << wrapper;
        for (const QString& program : programs) {
            // A program that ends by itself on a signal may be cut short by
            // the second one.
            if (second && program == ownStatus)
                continue;
            SCOPED_TRACE(testing::Message() << "signal " << sig << ", program " << program.toStdString());
            const auto [printed, port] = startBeside({}, program);
            ASSERT_FALSE(port.isEmpty()) << printed.toStdString();
            const qint64 sim = simulatorPid(printed);
            ASSERT_GT(sim, 0) << printed.toStdString();
            ASSERT_GT(programPid, 0);
            ::kill(static_cast<pid_t>(setup.processId()), sig);
            if (second)
                ::kill(static_cast<pid_t>(setup.processId()), second);
            ASSERT_TRUE(setup.waitForFinished(20000));
            if (program == ownStatus) {
                EXPECT_EQ(setup.exitStatus(), QProcess::NormalExit);
                EXPECT_EQ(setup.exitCode(), 5);
            } else {
                EXPECT_EQ(setup.exitStatus(), QProcess::CrashExit);
                // The signal that ended it; of two at once, either (bash may
                // run only one of their traps).
                EXPECT_TRUE(setup.exitCode() == sig || setup.exitCode() == second) << setup.exitCode();
            }
            EXPECT_TRUE(gone(programPid));
            EXPECT_TRUE(gone(sim));
            EXPECT_FALSE(QFileInfo::exists(QFileInfo(port).absolutePath()));
        }
    }
}

TEST_F(SimulatorBesideTest, ASignalToTheWholeJobEndsTheScriptByItEveryTime)
{
    // As Ctrl+C or the terminal's closing: script, simulator and program get
    // the signal at once (here the program sends it to its job), and the
    // program dies of it while the script waits for it. Whichever of the two
    // bash sees first, the script ends by that signal, never with a status
    // of its own.
    asJob = true;
    for (const int sig : {SIGINT, SIGTERM}) {
        const QString program = QStringLiteral("printf '%s\\n%s\\n' \"$VELMORA_COM1\" $$ > \"$0\"; "
                                               "sleep 0.2; kill -s %1 0; sleep 5")
                                    .arg(sig == SIGINT ? QStringLiteral("INT") : QStringLiteral("TERM"));
        for (int round = 0; round < 12; ++round) {
            SCOPED_TRACE(testing::Message() << "signal " << sig << ", round " << round);
            const auto [printed, port] = startBeside({}, program);
            ASSERT_FALSE(port.isEmpty()) << printed.toStdString();
            ASSERT_TRUE(setup.waitForFinished(20000));
            EXPECT_EQ(setup.exitStatus(), QProcess::CrashExit);
            EXPECT_EQ(setup.exitCode(), sig);
            EXPECT_TRUE(gone(programPid));
            EXPECT_FALSE(QFileInfo::exists(QFileInfo(port).absolutePath()));
        }
    }
}

TEST_F(SimulatorBesideTest, ASecondSignalToTheWholeJobStillEndsTheScriptByIt)
{
    // As a terminal's closing: the kernel's HUP, and a moment later the HUP
    // that the shell on it sends its jobs as it exits. The second one comes
    // while the script waits for the program to end on the first, and ends
    // whatever the script runs then; the script still ends by the signal.
    asJob = true;
    const QString program =
        QStringLiteral("trap 'trap \"\" HUP; sleep 0.3; kill -s HUP 0; trap - HUP; kill -s HUP $$' HUP; "
                       "printf '%s\\n%s\\n' \"$VELMORA_COM1\" $$ > \"$0\"; sleep 0.2; kill -s HUP 0; "
                       "while :; do sleep 0.05; done");
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const auto [printed, port] = startBeside({}, program);
        ASSERT_FALSE(port.isEmpty()) << printed.toStdString();
        ASSERT_TRUE(setup.waitForFinished(20000));
        EXPECT_EQ(setup.exitStatus(), QProcess::CrashExit) << setup.exitCode();
        EXPECT_EQ(setup.exitCode(), SIGHUP);
        EXPECT_TRUE(gone(programPid));
        EXPECT_FALSE(QFileInfo::exists(QFileInfo(port).absolutePath()));
    }
}

TEST_F(SimulatorBesideTest, AStoppedProgramIsContinuedBehindTheSignal)
{
    // The signal handed on to a stopped program is followed by CONT, so that
    // it ends by that signal, not by the KILL 3 s later.
    const QString kills = tmp.filePath(QStringLiteral("kills"));
    const auto [printed, port] = startBeside({}, kStandIn, killsLoggedIn(kills));
    ASSERT_FALSE(port.isEmpty()) << printed.toStdString();
    ASSERT_EQ(::kill(static_cast<pid_t>(programPid), SIGSTOP), 0);
    ASSERT_TRUE(testwait::until([&] { return stateOf(programPid) == 'T'; }));
    ::kill(static_cast<pid_t>(setup.processId()), SIGTERM);
    ASSERT_TRUE(setup.waitForFinished(20000));
    EXPECT_EQ(setup.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(setup.exitCode(), SIGTERM);
    EXPECT_TRUE(gone(programPid));
    EXPECT_TRUE(logged(kills).contains(QStringLiteral("-s CONT %1").arg(programPid))) << logged(kills).toStdString();
    EXPECT_FALSE(logged(kills).contains(QStringLiteral("KILL"))) << logged(kills).toStdString();
}

TEST_F(SimulatorBesideTest, AProgramThatIgnoresTheSignalIsKilledAfterThreeSeconds)
{
    const QString kills = tmp.filePath(QStringLiteral("kills"));
    const QString deaf = QStringLiteral("trap '' TERM; printf '%s\\n%s\\n' \"$VELMORA_COM1\" $$ > \"$0\"; "
                                        "while :; do sleep 0.1; done");
    const auto [printed, port] = startBeside({}, deaf, killsLoggedIn(kills));
    ASSERT_FALSE(port.isEmpty()) << printed.toStdString();
    QElapsedTimer since;
    since.start();
    ::kill(static_cast<pid_t>(setup.processId()), SIGTERM);
    ASSERT_TRUE(setup.waitForFinished(20000));
    // The script counts real time: never sooner.
    EXPECT_GE(since.elapsed(), 2900);
    EXPECT_EQ(setup.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(setup.exitCode(), SIGTERM);
    EXPECT_TRUE(gone(programPid));
    EXPECT_TRUE(logged(kills).contains(QStringLiteral("-s KILL %1").arg(programPid))) << logged(kills).toStdString();
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(port).absolutePath()));
}

TEST_F(SimulatorBesideTest, AnUnpluggedSimulatorIsNotSignalledAgain)
{
    // Once the simulator is unplugged and collected its PID may go to any
    // other process, so nothing of the script names it again.
    const QString kills = tmp.filePath(QStringLiteral("kills"));
    const auto [printed, port] = startBeside({}, kStandIn, killsLoggedIn(kills));
    ASSERT_FALSE(port.isEmpty()) << printed.toStdString();
    const qint64 sim = simulatorPid(printed);
    ASSERT_GT(sim, 0) << printed.toStdString();
    EXPECT_EQ(paste(QStringLiteral("kill %1").arg(sim)), 0);
    ASSERT_TRUE(gone(sim));

    setup.closeWriteChannel();
    ASSERT_TRUE(setup.waitForFinished(20000));
    EXPECT_EQ(setup.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(port).absolutePath()));
    EXPECT_FALSE(logged(kills).contains(QRegularExpression(QStringLiteral("\\b%1\\b").arg(sim))))
        << logged(kills).toStdString();
}

TEST_F(SimulatorBesideTest, ARelativeTmpdirGivesAbsolutePaths)
{
    // The printed commands are pasted in other folders.
    ASSERT_TRUE(QDir(tmp.path()).mkdir(QStringLiteral("rel")));
    setup.setWorkingDirectory(tmp.path());
    QProcessEnvironment extra;
    extra.insert(QStringLiteral("TMPDIR"), QStringLiteral("rel"));
    const auto [printed, port] = startBeside({}, kStandIn, extra);
    ASSERT_FALSE(port.isEmpty()) << printed.toStdString();
    const QString folder = QFileInfo(port).absolutePath();
    EXPECT_TRUE(port.startsWith(tmp.filePath(QStringLiteral("rel/velmora-sim.")))) << port.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("through ") + port + QLatin1Char('\n'))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("logged in ") + folder + QStringLiteral("/log\n")))
        << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral(" --link ") + port + QLatin1Char('\n'))) << printed.toStdString();
}

TEST_F(SimulatorBesideTest, AStoppedSimulatorEndsOnItsTermAtTheCleanUp)
{
    // A frozen programmer: the clean-up at the program's end continues it,
    // so that it ends on its TERM and removes its link, not by the KILL that
    // would come 3 s later. Every `kill` the script runs is logged.
    const QString kills = tmp.filePath(QStringLiteral("kills"));
    const auto [printed, port] = startBeside({}, kStandIn, killsLoggedIn(kills));
    ASSERT_FALSE(port.isEmpty()) << printed.toStdString();
    const qint64 sim = simulatorPid(printed);
    ASSERT_GT(sim, 0) << printed.toStdString();
    ASSERT_EQ(::kill(static_cast<pid_t>(sim), SIGSTOP), 0);
    setup.closeWriteChannel();
    ASSERT_TRUE(setup.waitForFinished(20000));
    EXPECT_EQ(setup.exitCode(), 0);
    EXPECT_TRUE(gone(sim));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(port).absolutePath()));
    EXPECT_TRUE(logged(kills).contains(QStringLiteral("-s TERM %1").arg(sim))) << logged(kills).toStdString();
    EXPECT_FALSE(logged(kills).contains(QStringLiteral("KILL"))) << logged(kills).toStdString();
}

// ---------------------------------------------------------------- on a terminal

namespace {

// A terminal window: ARGV runs as the session leader on a pseudo-terminal of
// its own. Closing it hangs the terminal up.
class Terminal {
public:
    explicit Terminal(std::vector<std::string> argv)
    {
        std::vector<char*> args;
        for (std::string& a : argv)
            args.push_back(a.data());
        args.push_back(nullptr);
        pid_ = ::forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        if (master_ >= 0)
            ::fcntl(master_, F_SETFL, O_NONBLOCK);
    }
    ~Terminal()
    {
        hangUp();
        if (pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    pid_t pid() const { return pid_; }
    void type(const QByteArray& keys) { ASSERT_EQ(::write(master_, keys.constData(), keys.size()), keys.size()); }
    // What it has shown so far.
    const QByteArray& screen()
    {
        char buffer[4096];
        ssize_t n = 0;
        while (master_ >= 0 && (n = ::read(master_, buffer, sizeof buffer)) > 0)
            shown_.append(buffer, n);
        return shown_;
    }
    void hangUp()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    pid_t pid_ = -1;
    QByteArray shown_;
};

} // namespace

// `./setup.sh start --simulator` in a terminal: the script, the simulator and
// the program are one job. Ctrl+\ ends all three; Ctrl+Z stops all three
// and `fg` goes on with them; closing the terminal ends all three. The run's
// folder goes each time.
TEST(SimulatorOnATerminal, TheScriptTheSimulatorAndTheProgramAreOneJob)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString given = tmp.filePath(QStringLiteral("given"));
    // The program's stand-in notes its own process and the script's.
    const QString command = QStringLiteral("ulimit -c 0; TMPDIR='%1' '" VELMORA_SOURCE_DIR
                                           "/tools/simulator/with-simulator.sh' '" VELMORA_BINARY_DIR
                                           "/tools/simulator/velmora-sim' -- "
                                           "sh -c 'printf \"%s %s\\n\" $$ $PPID > \"$0\"; exec cat' '%2'\n")
                                .arg(tmp.path(), given);
    for (const char* how : {"Ctrl+\\", "Ctrl+Z, fg, Ctrl+C", "closing the terminal"}) {
        SCOPED_TRACE(how);
        QFile::remove(given);
        Terminal t({"/bin/bash", "--norc", "--noprofile", "--noediting", "-i"});
        ASSERT_GT(t.pid(), 0);
        t.type(command.toLocal8Bit());
        ASSERT_TRUE(testwait::until([&] { return QFileInfo(given).size() > 0; })) << t.screen().toStdString();
        testwait::until([&] { return t.screen().contains("unplug it:"); });
        const auto printed = QRegularExpression(QStringLiteral("unplug it:\\s+kill (\\d+)"))
                                 .match(QString::fromLocal8Bit(t.screen()));
        ASSERT_TRUE(printed.hasMatch()) << t.screen().toStdString();
        const qint64 sim = printed.captured(1).toLongLong();
        QFile f(given);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> pids = f.readAll().trimmed().split(' ');
        ASSERT_EQ(pids.size(), 2);
        const qint64 all[] = {pids[0].toLongLong(), pids[1].toLongLong(), sim};
        const QStringList runs = QDir(tmp.path()).entryList({QStringLiteral("velmora-sim.*")}, QDir::Dirs);
        ASSERT_EQ(runs.size(), 1);
        auto allAre = [&](auto is) {
            return testwait::until([&] {
                t.screen();
                return std::all_of(std::begin(all), std::end(all), [&](qint64 p) { return is(stateOf(p)); });
            });
        };
        const auto ended = [](char s) { return s == 0; };
        if (std::strcmp(how, "Ctrl+\\") == 0) {
            t.type("\x1c");
        } else if (std::strcmp(how, "closing the terminal") == 0) {
            t.hangUp();
        } else {
            t.type("\x1a");
            EXPECT_TRUE(allAre([](char s) { return s == 'T'; })) << t.screen().toStdString();
            t.type("fg\n");
            EXPECT_TRUE(allAre([](char s) { return s != 'T' && s != 0; })) << t.screen().toStdString();
            t.type("\x03");
        }
        EXPECT_TRUE(allAre(ended)) << t.screen().toStdString();
        EXPECT_TRUE(testwait::until([&] { return !QFileInfo::exists(tmp.filePath(runs[0])); }));
    }
}

// A simulator started by hand takes its link away when its terminal closes,
// so that the link never leads to a terminal number that another may get.
TEST(SimulatorOnATerminal, AHandStartedSimulatorRemovesItsLinkWhenItsTerminalCloses)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString link = tmp.filePath(QStringLiteral("port"));
    Terminal t({VELMORA_BINARY_DIR "/tools/simulator/velmora-sim", "--link", link.toStdString()});
    ASSERT_TRUE(testwait::until([&] { return QFileInfo(link).isSymLink(); })) << t.screen().toStdString();
    t.hangUp();
    int status = -1;
    bool ended = false;
    EXPECT_TRUE(testwait::until([&] { return ended = ended || ::waitpid(t.pid(), &status, WNOHANG) == t.pid(); }));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}
