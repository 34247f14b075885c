#pragma once
// A main window whose port 1 is a simulated programmer on a pseudo-terminal,
// with time compressed for the program and the simulator alike.

#include "support/Wait.h"
#include "ProgrammerSim.h"
#include "state/Globals.h"
#include "app/frmMain.h"
#include "device/DeviceOps.h"
#include "device/DocumentPanels.h"
#include "document/HexGrid.h"
#include "document/frmDocument.h"
#include "platform/Clock.h"
#include "platform/CommPort.h"
#include "support/ScriptedUi.h"
#include "support/TestEnv.h"

#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>

class DeviceTest : public ProgramStateTest {
protected:
    // Four times real speed unless a test says otherwise: the closest
    // margins of the conversation (the module test's port is closed for a
    // second, its result comes 4 s after the request) stay over half a
    // second of real time, which a busy machine keeps.
    virtual double speed() const { return 4; }

    void SetUp() override
    {
        ProgramStateTest::SetUp();
        vclock::clock().setSpeed(speed());
        sim = std::make_unique<sim::ProgrammerSim>(speed());
        // Port 1 reaches the programmer through a link of this test's own.
        // The serial port's lock is named after the path it opens: a
        // terminal number that a test running beside this one freed by
        // unplugging its programmer, while its program still held the port,
        // would find that program's lock.
        ASSERT_TRUE(portDir.isValid());
        sim->setLinkPath(portDir.filePath(QStringLiteral("port")));
        QString why;
        ASSERT_TRUE(sim->start(&why)) << why.toStdString();
        qputenv("VELMORA_COM1", sim->linkPath().toLocal8Bit());
        velmora::gs().passwordMode = -1;
        main = std::make_unique<frmMain>();
        main->MSComm1()->setCommPort(1);
        main->MSComm1()->setPortOpen(true);
        main->show();
    }

    void TearDown() override
    {
        for (QMdiSubWindow* s : main->mdiArea()->subWindowList()) {
            if (auto* d = qobject_cast<frmDocument*>(s->widget()))
                d->Set_form_chang(0);
        }
        main->mdiArea()->closeAllSubWindows();
        main.reset();
        sim.reset();
        qunsetenv("VELMORA_COM1");
        vclock::clock().setSpeed(1);
        ProgramStateTest::TearDown();
    }

    // A new document window as the main window opens one: its load asks for
    // the programmer's status. Waits until that status has been parsed.
    frmDocument* openDocument(bool settle = true)
    {
        frmDocument* doc = main->NewDocumentWindow();
        if (settle)
            waitForParse();
        return doc;
    }

    void activate(frmDocument* doc)
    {
        main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(doc->parentWidget()));
    }

    // Stores an image the way the file readers do.
    static void load(frmDocument* doc, const velmora::SpdImage& img)
    {
        for (int i = 0; i < 512; ++i) {
            doc->Value_Chang(i, img[static_cast<std::size_t>(i)]);
            doc->table_chang(i);
        }
    }

    // An image of the given memory type byte with every byte telling its
    // place, and a serial number at the type's place.
    static velmora::SpdImage image(int type)
    {
        velmora::SpdImage img{};
        for (int i = 0; i < 512; ++i)
            img[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((i * 13 + 5) & 0xFF);
        img[2] = static_cast<std::uint8_t>(type);
        if (type != 12)
            for (int i = 256; i < 512; ++i)
                img[static_cast<std::size_t>(i)] = 0;
        return img;
    }

    void waitForParse()
    {
        testwait::until([this] { return !main->Timer2()->isActive(); }, 10000);
        ASSERT_FALSE(main->Timer2()->isActive());
    }

    // Waits until the module test has ended and its result has been
    // reported or will not come.
    void waitForVerdict()
    {
        testwait::until([&] { return !main->deviceOps().testRunning() && main->deviceOps().resultsOwed() == 0; },
                        30000);
        run(100);
    }

    // Runs act once from the event loop, also inside the program's own
    // waits, as soon as cond holds (looked at every millisecond of real
    // time).
    void once(std::function<bool()> cond, std::function<void()> act)
    {
        auto* t = new QTimer(main.get());
        t->setInterval(1);
        QObject::connect(t, &QTimer::timeout, t, [t, cond = std::move(cond), act = std::move(act)] {
            if (!cond())
                return;
            t->stop();
            t->deleteLater();
            act();
        });
        t->start();
    }

    // A read of the module's buffer on `reader`, with a new window opened
    // while the read talks: that window is owed a status request behind it.
    // Returns the new window once the read is over.
    QPointer<frmDocument> readWithAWindowOwed(frmDocument* reader)
    {
        sim->setBuffer(image(11));
        auto owed = std::make_shared<QPointer<frmDocument>>();
        once([this] { return sim->count(frameMsg('l')) > 0; }, [this, owed] { *owed = main->NewDocumentWindow(); });
        P(reader).Command2->click();
        return *owed;
    }

    // The save questions from now on are answered in turn from `answers`,
    // the last one again for every later question; their titles are noted
    // in `askedTitles`, and their number returned. Each box runs the event loop
    // under it as a real one does, until `openWhile` no longer holds (at
    // once without it) and what was queued by then has run: a question can
    // be asked meanwhile.
    const int& answerSaveQuestions(std::vector<ui::Answer> answers, std::function<bool()> openWhile = {})
    {
        saveQuestions = 0;
        askedTitles.clear();
        ui.onMessage = [this, answers = std::move(answers)](const ui::Message& m) {
            if (m.buttons != ui::Buttons::YesNoCancel)
                return;
            askedTitles.push_back(m.title);
            ui.answers.push_front(answers[std::min<std::size_t>(saveQuestions++, answers.size() - 1)]);
        };
        ui.whileOpen = [openWhile = std::move(openWhile)](const ui::Message& m) {
            if (m.buttons != ui::Buttons::YesNoCancel)
                return;
            if (openWhile)
                testwait::until([&] { return !openWhile(); });
            // Twice round the loop: what was queued, and the zero timers it
            // started.
            for (int i = 0; i < 2; ++i) {
                QCoreApplication::sendPostedEvents();
                QCoreApplication::processEvents();
            }
        };
        return saveQuestions;
    }
    int saveQuestions = 0;
    std::vector<QString> askedTitles;

    device::StatusRound& round() const { return main->deviceOps().statusRound(); }
    bool statusSending() const { return round().phase() == device::StatusRound::Phase::Sending; }
    int statusRequests() const { return sim->count(frameMsg('q')); }
    // Waits until n status requests have come and the last one's round has
    // ended.
    void waitForRounds(int n)
    {
        testwait::until([&] { return statusRequests() >= n && round().phase() == device::StatusRound::Phase::Idle; });
        ASSERT_GE(statusRequests(), n);
        ASSERT_EQ(round().phase(), device::StatusRound::Phase::Idle);
    }

    // Processes events for a while (program time, ms).
    static void run(int ms) { vclock::waitMs(ms); }

    static device::DevicePanels& P(frmDocument* doc) { return *device::devicePanels(doc); }

    std::vector<QByteArray> sent() const
    {
        std::vector<QByteArray> out;
        for (const auto& r : sim->received())
            out.push_back(r.bytes);
        return out;
    }

    static QByteArray frameMsg(char c) { return QByteArray(1, c) + QByteArray("\x10\x7F", 2); }
    static QByteArray shortMsg(char c) { return QByteArray(1, c) + QByteArray("\x7F", 1); }

    ScriptedUi ui;
    QTemporaryDir portDir;
    std::unique_ptr<sim::ProgrammerSim> sim;
    std::unique_ptr<frmMain> main;
};
