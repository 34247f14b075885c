// Closing a document window, or the whole program, while work runs on the
// window: at every wait of its load and of the device operations. The window
// is never destroyed under the work; it closes once the work has ended, and
// the work itself runs to its normal end.

#include "support/Wait.h"
#include "device/DeviceFixture.h"
#include "rules/spd/SpdFile.h"
#include "app/SpdFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <map>

using velmora::gs;

namespace {

enum class CloseBy { CloseBox, CloseMenu, CloseAll, Exit };

const char* closeName(CloseBy c)
{
    switch (c) {
    case CloseBy::CloseBox: return "CloseBox";
    case CloseBy::CloseMenu: return "Close";
    case CloseBy::CloseAll: return "CloseAll";
    case CloseBy::Exit: return "Exit";
    }
    return "?";
}

enum class Work { Load, Write, Verify, Setup, LoadTester, LoadModule, Clear, Read, Test, Option };

const char* workName(Work w)
{
    switch (w) {
    case Work::Load: return "Load";
    case Work::Write: return "Write";
    case Work::Verify: return "Verify";
    case Work::Setup: return "Setup";
    case Work::LoadTester: return "LoadTester";
    case Work::LoadModule: return "LoadModule";
    case Work::Clear: return "Clear";
    case Work::Read: return "StandAloneRead";
    case Work::Test: return "ModuleTest";
    case Work::Option: return "OptionCommand";
    }
    return "?";
}

struct LifetimeCase {
    Work work;
    int atMs;  // program time after the work started
    CloseBy by;
};

std::string caseName(const ::testing::TestParamInfo<LifetimeCase>& i)
{
    return std::string(workName(i.param.work)) + "At" + std::to_string(i.param.atMs) + "By" + closeName(i.param.by);
}

class CloseDuringWorkTest : public DeviceTest, public ::testing::WithParamInterface<LifetimeCase> {
protected:
    void closeNow(frmDocument* doc, CloseBy by)
    {
        switch (by) {
        case CloseBy::CloseBox:
            if (auto* sub = qobject_cast<QMdiSubWindow*>(doc->parentWidget()))
                sub->close();
            break;
        case CloseBy::CloseMenu:
            // Close acts on the active window (a window still loading is
            // not active yet).
            activate(doc);
            main->mnuFileClose_Click();
            break;
        case CloseBy::CloseAll: main->mnuFileCloseAll_Click(); break;
        case CloseBy::Exit: main->close(); break;
        }
    }
};

} // namespace

TEST_P(CloseDuringWorkTest, TheWindowClosesWhenItsWorkHasEnded)
{
    const LifetimeCase c = GetParam();
    QPointer<frmDocument> doc;
    bool closedInTime = false;
    const bool reads = c.work == Work::LoadTester || c.work == Work::LoadModule;
    const velmora::SpdImage img = image(12);

    if (c.work == Work::Load) {
        // The close comes while the new window's load waits for the status.
        QTimer::singleShot(vclock::clock().scaled(c.atMs), [&] {
            const auto docs = main->documents();
            ASSERT_EQ(docs.size(), 1);
            doc = docs.front();
            ASSERT_TRUE(doc->isHeld());
            closeNow(doc, c.by);
            closedInTime = true;
        });
        frmDocument* opened = main->NewDocumentWindow();
        EXPECT_TRUE(closedInTime);
        EXPECT_EQ(opened, doc.data());
        // The load ran to its end on a window that was still there.
        ASSERT_FALSE(doc.isNull());
        EXPECT_EQ(opened->windowTitle(), QStringLiteral("SPD_File 1"));
    } else {
        doc = openDocument();
        load(doc, img);
        if (c.work == Work::Verify)
            sim->setBuffer(img);
        QTimer::singleShot(vclock::clock().scaled(c.atMs), [&] {
            ASSERT_FALSE(doc.isNull());
            ASSERT_TRUE(doc->isHeld());
            closeNow(doc, c.by);
            closedInTime = true;
        });
        // A read leaves an image that no file holds: the close asks, and is
        // told not to save it.
        if (reads)
            ui.answers = {ui::Answer::Ok, ui::Answer::No};
        switch (c.work) {
        case Work::Write: P(doc).Command1->click(); break;
        case Work::Verify: P(doc).Command3->click(); break;
        case Work::Setup:
            P(doc).Command12_Click();
            P(doc).Command15->click();
            break;
        case Work::LoadTester: P(doc).Command2->click(); break;
        case Work::LoadModule: P(doc).Command9->click(); break;
        case Work::Clear: P(doc).Command4->click(); break;
        case Work::Read: P(doc).Command5->click(); break;
        case Work::Test: P(doc).TEST_COMMAND->click(); break;
        case Work::Option: main->EEPROM_512_Command(); break;
        case Work::Load: break;
        }
        EXPECT_TRUE(closedInTime);
        // The operation ended as it would have without the close.
        ASSERT_FALSE(doc.isNull());
        if (c.work == Work::Write) {
            EXPECT_EQ(sim->buffer(), img);
            EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   SPD file transfer success !   *****      "));
        } else if (c.work == Work::Verify) {
            EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   PC and Tester's SPD verify success !    *****    "));
        } else if (c.work == Work::LoadTester) {
            EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Computer reads the Tester's SPD successfully !   ***** "));
            EXPECT_EQ(doc->image(), velmora::SpdImage{});
        } else if (c.work == Work::LoadModule) {
            EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Computer reads the DRAM-Module successfully !   ***** "));
        } else if (c.work == Work::Clear) {
            EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Tester's SPD clear success !   *****      "));
        }
    }

    // Then the window goes, and an exit goes on with it.
    testwait::until([&] { return doc.isNull(); }, 3000);
    EXPECT_TRUE(doc.isNull());
    EXPECT_TRUE(main->documents().isEmpty());
    if (reads) {
        EXPECT_EQ(ui.lastText(), QStringLiteral(" SPD File has been modified , Save the file (Y/N) ?  "));
    }
    if (c.by == CloseBy::Exit) {
        testwait::until([&] { return !main->isVisible(); }, 3000);
        EXPECT_FALSE(main->isVisible());
    }
    // Nothing is left holding the device guard.
    EXPECT_EQ(gs().deviceIdle, -1);
    EXPECT_TRUE(main->deviceOps().canStartButton());
}

// The load waits two whole seconds; the write road waits in the serial set-up
// (1 s), the status request (2 s), 32 packets (about 6 s) and two read-back
// halves (3 s each); the verify in two halves; SETUP in one pacing wait and
// a status request.
INSTANTIATE_TEST_SUITE_P(
    Waits, CloseDuringWorkTest,
    ::testing::Values(LifetimeCase{Work::Load, 500, CloseBy::CloseBox}, LifetimeCase{Work::Load, 1500, CloseBy::CloseAll},
                      LifetimeCase{Work::Load, 1000, CloseBy::Exit}, LifetimeCase{Work::Load, 1200, CloseBy::CloseBox},
                      LifetimeCase{Work::Write, 500, CloseBy::CloseBox}, LifetimeCase{Work::Write, 2000, CloseBy::CloseMenu},
                      LifetimeCase{Work::Write, 5000, CloseBy::CloseAll}, LifetimeCase{Work::Write, 7000, CloseBy::Exit},
                      LifetimeCase{Work::Write, 10500, CloseBy::CloseBox}, LifetimeCase{Work::Write, 13000, CloseBy::Exit},
                      LifetimeCase{Work::Verify, 1000, CloseBy::CloseBox}, LifetimeCase{Work::Verify, 4000, CloseBy::Exit},
                      LifetimeCase{Work::Verify, 2000, CloseBy::CloseAll}, LifetimeCase{Work::Setup, 100, CloseBy::CloseMenu},
                      LifetimeCase{Work::Setup, 1000, CloseBy::Exit}, LifetimeCase{Work::LoadTester, 1500, CloseBy::CloseBox},
                      LifetimeCase{Work::LoadTester, 4500, CloseBy::Exit}, LifetimeCase{Work::LoadModule, 2000, CloseBy::CloseAll},
                      LifetimeCase{Work::Clear, 1000, CloseBy::CloseMenu}, LifetimeCase{Work::Read, 3000, CloseBy::CloseBox},
                      LifetimeCase{Work::Test, 500, CloseBy::Exit}, LifetimeCase{Work::Option, 1500, CloseBy::CloseAll}),
    caseName);

TEST_F(DeviceTest, AModifiedWindowClosedDuringAWriteAsksOnceTheWriteIsDone)
{
    QPointer<frmDocument> doc = openDocument();
    frmDocument* other = openDocument();
    load(doc, image(11));
    doc->Set_form_chang(-1);
    activate(doc);
    ui.messages.clear();
    // "No" to the save question: the window closes without saving.
    ui.answers = {ui::Answer::Ok, ui::Answer::No};
    QTimer::singleShot(vclock::clock().scaled(3000), [&] { main->close(); });
    P(doc).Command1->click();
    testwait::until([&] { return doc.isNull(); }, 3000);
    ASSERT_TRUE(doc.isNull());
    // The write's own box came first, then the question, once.
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("      *****   SPD file transfer success !   *****      "));
    EXPECT_EQ(ui.messages[1].text, QStringLiteral(" SPD File has been modified , Save the file (Y/N) ?  "));
    // The exit went on and closed the other window too.
    testwait::until([&] { return !main->isVisible(); }, 3000);
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(main->documents().isEmpty());
    (void)other;
}

TEST_F(DeviceTest, CancelAfterADeferredCloseKeepsTheProgramRunning)
{
    QPointer<frmDocument> doc = openDocument();
    load(doc, image(11));
    doc->Set_form_chang(-1);
    sim->setBuffer(image(11));
    ui.answers = {ui::Answer::Ok, ui::Answer::Cancel};
    QTimer::singleShot(vclock::clock().scaled(1000), [&] { main->close(); });
    P(doc).Command3->click();
    run(500);
    // The user kept the window: the program did not end, and it does not end
    // later when that window is closed on its own.
    ASSERT_FALSE(doc.isNull());
    EXPECT_TRUE(main->isVisible());
    doc->Set_form_chang(0);
    main->mnuFileClose_Click();
    run(200);
    EXPECT_TRUE(main->isVisible());
}

TEST_F(DeviceTest, CancelToAnExitWithinAnotherWindowsLoadKeepsEveryWindow)
{
    QPointer<frmDocument> kept = openDocument();
    kept->Set_form_chang(-1);
    const int& asked = answerSaveQuestions({ui::Answer::Cancel});
    // Exit in each of the load's two waits, with the modified window in
    // front: the load's window, in front once it stands, is not closed
    // before the question that the user refuses.
    for (int atMs : {300, 1500}) {
        SCOPED_TRACE(atMs);
        const int before = asked;
        QTimer::singleShot(vclock::clock().scaled(atMs), [&] {
            activate(kept);
            main->close();
        });
        QPointer<frmDocument> loading = main->NewDocumentWindow();
        testwait::until([&] { return asked > before; });
        EXPECT_EQ(asked, before + 1);
        EXPECT_TRUE(loading);
        EXPECT_TRUE(kept);
        EXPECT_TRUE(main->isVisible());
        waitForParse();
    }
    EXPECT_EQ(main->documents().size(), 3);
}

// ---------------------------------------------------------------- windows opened within a load

namespace {
QPoint placeOf(const frmDocument* d) { return d->parentWidget()->pos(); }

// The programmer's settings of these tests: the power, open and short tests
// on, the serial number in hexadecimal.
const sim::Settings16 kTesterSettings{0x55, 0xAA, 0, 0, 0, 0x90, 0x98, 0, 0x07, 0x08, 0, 0, 0x00, 0x00, 0x12, 0x34};

// doc shows those settings, as the status parse sets them on a window
// opened alone.
void expectTesterSettings(frmDocument* doc)
{
    SCOPED_TRACE(doc->windowTitle().toStdString());
    const auto& p = *device::devicePanels(doc);
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(p.F_LED[static_cast<std::size_t>(n)]->fillColor(), n <= 3 ? device::kLampLit : device::kLampDark)
            << "lamp " << n;
    EXPECT_EQ(p.F_LAB14->text(), QStringLiteral("S/N Encode(HEX)"));
    EXPECT_EQ(p.STEXT[4]->text(), QStringLiteral("34"));
    EXPECT_FALSE(p.TEST_FRAME->isHidden());
}
} // namespace

TEST_F(DeviceTest, WindowsOpenedWhileALoadWaitsAreEachNumberedPlacedAndAnswered)
{
    // Room for four windows a cascade step apart.
    main->resize(frmDocument::contentSize() + QSize(300, 400));
    QApplication::processEvents();
    sim->setSettings(kTesterSettings);
    sim->clearLog();
    // File > New twice more while the first window's load waits for the
    // programmer's status.
    QPointer<frmDocument> second;
    QPointer<frmDocument> third;
    once([&] { return statusSending(); }, [&] {
        second = main->NewDocumentWindow();
        once([&] { return statusSending(); }, [&] { third = main->NewDocumentWindow(); });
    });
    QPointer<frmDocument> first = main->NewDocumentWindow();
    testwait::until([&] { return second && third; }, 10000);
    ASSERT_TRUE(first && second && third);
    waitForParse();
    EXPECT_EQ(first->windowTitle(), QStringLiteral("SPD_File 1"));
    EXPECT_EQ(second->windowTitle(), QStringLiteral("SPD_File 2"));
    EXPECT_EQ(third->windowTitle(), QStringLiteral("SPD_File 3"));
    EXPECT_EQ(placeOf(first), QPoint(0, 0));
    EXPECT_GT(placeOf(second).x(), 0);
    EXPECT_EQ(placeOf(second).x(), placeOf(second).y());
    EXPECT_EQ(placeOf(third), 2 * placeOf(second));
    // Each window shows the programmer's answer to the one request, and the
    // one asked for last is in front.
    EXPECT_EQ(statusRequests(), 1);
    for (frmDocument* d : {first.data(), second.data(), third.data()})
        expectTesterSettings(d);
    EXPECT_EQ(main->ActiveForm(), third.data());
    EXPECT_TRUE(ui.messages.empty());
    // The next window goes to the next free place.
    frmDocument* fourth = openDocument();
    EXPECT_EQ(placeOf(fourth), 3 * placeOf(second));
}

TEST_F(DeviceTest, CascadeWithinALoadLeavesEveryWindowAPlaceOfItsOwn)
{
    main->resize(frmDocument::contentSize() + QSize(300, 400));
    QApplication::processEvents();
    QPointer<frmDocument> first = openDocument();
    QPointer<frmDocument> third;
    QTimer::singleShot(vclock::clock().scaled(300), [&] {
        third = main->NewDocumentWindow();
        main->mnuWindowCascade_Click();
    });
    QPointer<frmDocument> second = main->NewDocumentWindow();
    testwait::until([&] { return !third.isNull(); }, 10000);
    waitForParse();
    frmDocument* fourth = openDocument();
    ASSERT_TRUE(first && second && third);
    const QList<QPoint> places{placeOf(first), placeOf(second), placeOf(third), placeOf(fourth)};
    for (int i = 0; i < places.size(); ++i)
        for (int j = i + 1; j < places.size(); ++j)
            EXPECT_NE(places[i], places[j]) << "windows " << i + 1 << " and " << j + 1;
}

// All through "Write =>" (its set-up, status request and parse, 32 packets
// and read-back), every 900 ms another window opens, the written file is
// opened again, the windows are cascaded or the newest other window closes.
TEST_F(DeviceTest, WindowsOpenedClosedAndCascadedAllThroughAWriteLeaveItsWindowAlone)
{
    main->resize(frmDocument::contentSize() + QSize(300, 400));
    QApplication::processEvents();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("module.spd"));
    ASSERT_TRUE(spdfile::write(path, image(12), nullptr));
    QPointer<frmDocument> doc = main->openImage(path);
    ASSERT_TRUE(doc);
    waitForParse();
    // The image as opened, its CRC made right.
    const velmora::SpdImage img = doc->image();
    const QString title = doc->windowTitle();
    ui.messages.clear();

    std::vector<QPointer<frmDocument>> others;
    QStringList titles;
    int step = 0;
    bool openedAgainElsewhere = false;
    QTimer tick;
    tick.setInterval(vclock::clock().scaled(900));
    QObject::connect(&tick, &QTimer::timeout, [&] {
        switch (step++ % 4) {
        case 0:
            others.emplace_back(main->NewDocumentWindow());
            titles << others.back()->windowTitle();
            break;
        case 1: openedAgainElsewhere = openedAgainElsewhere || main->openImage(path) != doc.data(); break;
        case 2: main->mnuWindowCascade_Click(); break;
        case 3:
            for (auto it = others.rbegin(); it != others.rend(); ++it)
                if (*it) {
                    qobject_cast<QMdiSubWindow*>((*it)->parentWidget())->close();
                    break;
                }
            break;
        }
    });
    tick.start();
    P(doc).Command1->click();
    tick.stop();
    ASSERT_GE(step, 8);

    ASSERT_TRUE(doc);
    EXPECT_FALSE(openedAgainElsewhere);
    EXPECT_EQ(ui.messages.front().text, QStringLiteral("      *****   SPD file transfer success !   *****      "));
    EXPECT_EQ(sim->buffer(), img);
    EXPECT_EQ(doc->image(), img);
    EXPECT_EQ(doc->windowTitle(), title);
    EXPECT_EQ(spdfile::fileOf(*doc), path);
    titles.removeDuplicates();
    EXPECT_EQ(titles.size(), static_cast<qsizetype>(others.size()));
    EXPECT_FALSE(titles.contains(title));
    // The windows still open stand apart, once every one owed a request
    // has had its answer.
    testwait::until([&] { return round().phase() == device::StatusRound::Phase::Idle && !round().owedOnBehalf(); });
    ASSERT_EQ(round().phase(), device::StatusRound::Phase::Idle);
    ASSERT_EQ(round().owedOnBehalf(), nullptr);
    const QList<frmDocument*> open = main->documents();
    for (int i = 0; i < open.size(); ++i)
        for (int j = i + 1; j < open.size(); ++j)
            EXPECT_NE(placeOf(open[i]), placeOf(open[j])) << i << " " << j;
    for (frmDocument* d : open)
        EXPECT_FALSE((d == doc ? P(d).Frame4 : P(d).TEST_FRAME)->isHidden()) << d->windowTitle().toStdString();
}

TEST_F(DeviceTest, EditsMadeDuringAWriteStayInTheWindowAndTheClickedImageIsSent)
{
    frmDocument* doc = openDocument();
    const velmora::SpdImage img = image(11);
    load(doc, img);
    const auto packets = [this] {
        int n = 0;
        for (const sim::Received& r : sim->received())
            n += r.bytes.startsWith('w') || r.bytes.startsWith('W');
        return n;
    };
    ui.messages.clear();
    sim->clearLog();
    // An edit in each of the write's waits: its serial set-up, its status
    // request and its packets (the last one reaches a later packet, and
    // makes the window a DDR4 image).
    once([&] { return !sim->received().empty(); }, [&] { doc->Value_Chang(122, 0xA1); });
    once([&] { return statusSending(); }, [&] { doc->Value_Chang(200, 0xA2); });
    once([&] { return packets() >= 20; }, [&] {
        doc->Value_Chang(500, 0xA3);
        doc->Value_Chang(2, 12);
        doc->table_chang(2);
    });
    P(doc).Command1->click();
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.front().text, QStringLiteral("      *****   SPD file transfer success !   *****      "));
    EXPECT_EQ(packets(), 32);
    EXPECT_EQ(sim->buffer(), img);
    // The DDR3 image sent is read back in its lower half only.
    EXPECT_EQ(sim->count(frameMsg('L')), 0);
    EXPECT_EQ(doc->Get_Value(2), 12);
    EXPECT_EQ(doc->Get_Value(122), 0xA1);
    EXPECT_EQ(doc->Get_Value(200), 0xA2);
    EXPECT_EQ(doc->Get_Value(500), 0xA3);
}

TEST_F(DeviceTest, AWindowOpenedDuringAVerifyStaysInFront)
{
    frmDocument* verified = openDocument();
    load(verified, image(11));
    sim->setBuffer(image(11));
    QPointer<frmDocument> opened;
    QTimer::singleShot(vclock::clock().scaled(1500), [&] { opened = main->NewDocumentWindow(); });
    P(verified).Command3->click();
    ASSERT_TRUE(opened);
    EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   PC and Tester's SPD verify success !    *****    "));
    EXPECT_EQ(main->ActiveForm(), opened.data());
    // In front at its end, the verified window's entry box takes the focus.
    waitForRounds(2);
    activate(verified);
    P(verified).Command3->click();
    EXPECT_TRUE(verified->Text1()->hasFocus());
}

TEST_F(DeviceTest, AWindowOpenedDuringAnotherConversationIsAnsweredAfterIt)
{
    QPointer<frmDocument> doc = openDocument();
    sim->setSettings(kTesterSettings);
    sim->setBuffer(image(11));
    const auto statusRequests = [this] {
        const auto all = sent();
        return std::count(all.begin(), all.end(), frameMsg('q'));
    };
    const auto before = statusRequests();
    // A window opened while "Read" takes the programmer's buffer.
    QPointer<frmDocument> other;
    QTimer::singleShot(vclock::clock().scaled(1000), [&] { other = main->NewDocumentWindow(); });
    P(doc).Command2->click();
    ASSERT_TRUE(other);
    testwait::until([&] { return statusRequests() > before; }, 10000);
    waitForParse();
    EXPECT_EQ(statusRequests(), before + 1);
    expectTesterSettings(other);
}

TEST_F(DeviceTest, WindowsClosedAndOpenedAtTheStatusWaitsAreLeftAlone)
{
    main->resize(frmDocument::contentSize() + QSize(300, 400));
    QApplication::processEvents();
    sim->setSettings(kTesterSettings);
    // Within the first window's load a second one opens and is closed again
    // before the answer comes.
    QTimer::singleShot(vclock::clock().scaled(300), [&] {
        frmDocument* passing = main->NewDocumentWindow();
        qobject_cast<QMdiSubWindow*>(passing->parentWidget())->close();
    });
    QPointer<frmDocument> first = main->NewDocumentWindow();
    waitForParse();
    ASSERT_TRUE(first);
    EXPECT_EQ(main->documents().size(), 1);
    expectTesterSettings(first);

    // The programmer falls silent: at the failure box of the next window a
    // third one opens and the windows are cascaded. The third window asks
    // on its own and gets its own box.
    sim->updateKnobs([](sim::Knobs& k) { k.silent = true; });
    QPointer<frmDocument> third;
    ui.onMessage = [&](const ui::Message&) {
        if (third)
            return;
        third = main->NewDocumentWindow();
        main->mnuWindowCascade_Click();
    };
    QPointer<frmDocument> second = main->NewDocumentWindow();
    waitForParse();
    testwait::until([&] { return ui.messages.size() >= 2 && !main->Timer2()->isActive(); }, 10000);
    ASSERT_TRUE(first && second && third);
    ASSERT_EQ(ui.messages.size(), 2u);
    for (const ui::Message& m : ui.messages)
        EXPECT_EQ(m.text, QStringLiteral("*****    RS-232 Link Failure    *****"));
    EXPECT_EQ(second->windowTitle(), QStringLiteral("SPD_File 3"));
    EXPECT_EQ(third->windowTitle(), QStringLiteral("SPD_File 4"));
    EXPECT_NE(placeOf(first), placeOf(second));
    EXPECT_NE(placeOf(first), placeOf(third));
    EXPECT_NE(placeOf(second), placeOf(third));
    // The answered window keeps its panel; the others show none.
    EXPECT_FALSE(P(first).TEST_FRAME->isHidden());
    EXPECT_TRUE(P(second).TEST_FRAME->isHidden());
    EXPECT_TRUE(P(third).TEST_FRAME->isHidden());
}

TEST_F(DeviceTest, AFileOpenedAgainWithinItsLoadHasOneWindow)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("module.spd"));
    ASSERT_TRUE(spdfile::write(path, image(11), nullptr));
    frmDocument* again = nullptr;
    QTimer::singleShot(vclock::clock().scaled(300), [&] { again = main->openImage(path); });
    frmDocument* doc = main->openImage(path);
    ASSERT_TRUE(doc);
    EXPECT_EQ(again, doc);
    EXPECT_EQ(main->documents().size(), 1);
    EXPECT_EQ(main->ActiveForm(), doc);
    waitForParse();
}

TEST_F(DeviceTest, TheWindowAskedForLastThatIsStillOpenEndsInFront)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("module.spd"));
    ASSERT_TRUE(spdfile::write(path, image(11), nullptr));
    QPointer<frmDocument> file = main->openImage(path);
    waitForParse();
    // Within the next window's load the file is opened again, and a window
    // is made and closed.
    once([&] { return statusSending(); }, [&] {
        EXPECT_EQ(main->openImage(path), file.data());
        frmDocument* passing = main->NewDocumentWindow();
        qobject_cast<QMdiSubWindow*>(passing->parentWidget())->close();
    });
    QPointer<frmDocument> loaded = main->NewDocumentWindow();
    waitForRounds(2);
    ASSERT_TRUE(file && loaded);
    EXPECT_EQ(main->documents().size(), 2);
    EXPECT_EQ(main->ActiveForm(), file.data());
}

TEST_F(DeviceTest, AClosedMiddleWindowsPlaceGoesToTheNextWindowWhenTheAreaIsFull)
{
    main->resize(frmDocument::contentSize() + QSize(300, 400));
    QApplication::processEvents();
    frmDocument* first = openDocument();
    QPointer<frmDocument> second = openDocument();
    const int step = placeOf(second).x();
    ASSERT_GT(step, 0);
    // Room for exactly three places.
    const QSize want = first->parentWidget()->size() + QSize(2 * step + step / 2, 2 * step + step / 2);
    main->resize(main->size() + want - main->mdiArea()->viewport()->size());
    QApplication::processEvents();
    ASSERT_EQ(main->mdiArea()->viewport()->size(), want);
    frmDocument* third = openDocument();
    ASSERT_EQ(placeOf(third), QPoint(2 * step, 2 * step));
    qobject_cast<QMdiSubWindow*>(second->parentWidget())->close();
    testwait::until([&] { return second.isNull(); });
    frmDocument* fourth = openDocument();
    EXPECT_EQ(placeOf(fourth), QPoint(step, step));
}

TEST_F(DeviceTest, AWindowOpenedWhileTheParseOfAWriteIsPendingShowsItsTestPanel)
{
    frmDocument* writer = openDocument();
    load(writer, image(11));
    QPointer<frmDocument> opened;
    once([&] { return round().phase() == device::StatusRound::Phase::ParsePending && main->deviceOps().talking(); },
         [&] { opened = main->NewDocumentWindow(); });
    P(writer).Command1->click();
    waitForParse();
    ASSERT_TRUE(opened);
    EXPECT_FALSE(P(writer).Frame4->isHidden());
    EXPECT_TRUE(P(writer).TEST_FRAME->isHidden());
    EXPECT_FALSE(P(opened).TEST_FRAME->isHidden());
    EXPECT_TRUE(P(opened).Frame4->isHidden());
}

TEST_F(DeviceTest, AWindowWhoseRequestCouldNotGoOutIsLeftToItself)
{
    // Port 1 cannot be opened: the window's request fails at once.
    main->MSComm1()->setPortOpen(false);
    qputenv("VELMORA_COM1", "/nonexistent/tty");
    frmDocument* unanswered = main->NewDocumentWindow();
    EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   The state can not read !   *****      "));
    const bool panel = P(unanswered).TEST_FRAME->isHidden();
    const bool boxes = unanswered->Text1()->isHidden();
    // The next window's parse, of a silent programmer, is that window's own.
    qputenv("VELMORA_COM1", sim->linkPath().toLocal8Bit());
    sim->updateKnobs([](sim::Knobs& k) { k.silent = true; });
    ui.messages.clear();
    frmDocument* next = openDocument();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****    RS-232 Link Failure    *****"));
    EXPECT_TRUE(P(next).TEST_FRAME->isHidden());
    EXPECT_EQ(P(unanswered).TEST_FRAME->isHidden(), panel);
    EXPECT_EQ(unanswered->Text1()->isHidden(), boxes);
}

TEST_F(DeviceTest, WindowsWithinALoadOfASilentProgrammerShareOneFailureBox)
{
    sim->updateKnobs([](sim::Knobs& k) { k.silent = true; });
    QPointer<frmDocument> joined;
    once([&] { return statusSending(); }, [&] { joined = main->NewDocumentWindow(); });
    QPointer<frmDocument> first = main->NewDocumentWindow();
    waitForRounds(1);
    ASSERT_TRUE(first && joined);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****    RS-232 Link Failure    *****"));
    EXPECT_TRUE(P(first).TEST_FRAME->isHidden());
    EXPECT_TRUE(P(joined).TEST_FRAME->isHidden());
}

// ---------------------------------------------------------------- status owed to a window

TEST_F(DeviceTest, AWindowWhoseParseAReadDroppedIsAnsweredAfterTheRead)
{
    sim->setSettings(kTesterSettings);
    sim->setBuffer(image(11));
    // The read starts while the new window's parse is pending.
    frmDocument* reader = main->NewDocumentWindow();
    ASSERT_TRUE(main->Timer2()->isActive());
    P(reader).Command2->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Computer reads the Tester's SPD successfully !   ***** "));
    waitForRounds(2);
    expectTesterSettings(reader);
    // A later window's failed parse is its own.
    sim->updateKnobs([](sim::Knobs& k) { k.silent = true; });
    ui.messages.clear();
    frmDocument* later = openDocument();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****    RS-232 Link Failure    *****"));
    EXPECT_TRUE(P(later).TEST_FRAME->isHidden());
    expectTesterSettings(reader);
    EXPECT_TRUE(reader->Text1()->isVisible());
}

TEST_F(DeviceTest, ReconnectionWithinAnotherWindowsRequestTakesItsAnswer)
{
    frmDocument* earlier = openDocument();
    sim->setSettings(kTesterSettings);
    sim->clearLog();
    once([&] { return statusSending(); }, [&] {
        activate(earlier);
        main->mnuConnection_Click();
    });
    frmDocument* loading = main->NewDocumentWindow();
    waitForRounds(1);
    EXPECT_EQ(statusRequests(), 1);
    expectTesterSettings(earlier);
    expectTesterSettings(loading);
    EXPECT_TRUE(ui.messages.empty()) << ui.lastText().toStdString();
}

TEST_F(DeviceTest, ATransferPanelAskedForWithinAWindowsLoadRequestShowsOnIt)
{
    // The status request of "Write =>" for the window whose load's request
    // is on the line joins that request.
    once([&] { return statusSending(); },
         [&] { main->deviceOps().STATUSIC(true, main->documents().front()); });
    frmDocument* doc = main->NewDocumentWindow();
    waitForRounds(1);
    EXPECT_EQ(statusRequests(), 1);
    EXPECT_FALSE(P(doc).Frame4->isHidden());
    EXPECT_TRUE(P(doc).TEST_FRAME->isHidden());
}

TEST_F(DeviceTest, AnExitSendsNoRequestOwedToAWindowItCloses)
{
    frmDocument* reader = openDocument();
    sim->setBuffer(image(11));
    sim->clearLog();
    // Within the read a window opens (the line is taken: it is owed a
    // request) and the program is told to end.
    once([&] { return sim->count(frameMsg('l')) > 0; }, [&] {
        main->NewDocumentWindow();
        main->close();
    });
    // The read's image is not saved.
    ui.onMessage = [&](const ui::Message& m) {
        if (m.buttons == ui::Buttons::YesNoCancel)
            ui.answers.push_front(ui::Answer::No);
    };
    P(reader).Command2->click();
    testwait::until([&] { return !main->isVisible(); });
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(statusRequests(), 0);
}

TEST_F(DeviceTest, AClickWhileAnOwedRequestHoldsTheLineRunsAfterIt)
{
    frmDocument* reader = openDocument();
    sim->setSettings(kTesterSettings);
    QPointer<frmDocument> owed = readWithAWindowOwed(reader);
    ASSERT_TRUE(owed);
    // The verify is clicked while the request owed to the new window is on
    // the line.
    sim->clearLog();
    once([&] { return statusSending() && round().background(); }, [&] { P(reader).Command3->click(); });
    testwait::until([&] { return sim->count(frameMsg('l')) > 0; });
    EXPECT_EQ(sent().front(), frameMsg('q'));
    testwait::until([&] { return !ui.messages.empty() && ui.lastText().contains(QStringLiteral("verify")); });
    EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   PC and Tester's SPD verify success !    *****    "));
    // The verify took the parse's place: the new window is asked again.
    waitForRounds(2);
    expectTesterSettings(owed);
}

TEST_F(DeviceTest, AClickHeldForAWindowClosedMeanwhileDoesNotRun)
{
    frmDocument* reader = openDocument();
    QPointer<frmDocument> owed = readWithAWindowOwed(reader);
    ASSERT_TRUE(owed);
    // While its request is on the line: Verify on the new window, then
    // close it.
    sim->clearLog();
    ui.messages.clear();
    once([&] { return statusSending() && round().background(); }, [&] {
        P(owed).Command3->click();
        qobject_cast<QMdiSubWindow*>(owed->parentWidget())->close();
    });
    testwait::until([&] { return owed.isNull() && !main->deviceOps().talking() && !main->Timer2()->isActive(); });
    ASSERT_TRUE(owed.isNull());
    // Neither the verify nor another request went out for it.
    EXPECT_EQ(sim->count(frameMsg('l')), 0);
    EXPECT_EQ(statusRequests(), 1);
    EXPECT_TRUE(ui.messages.empty()) << ui.lastText().toStdString();
    EXPECT_EQ(round().owedOnBehalf(), nullptr);
}

TEST_F(DeviceTest, AClickHeldWhileAnExitWaitsRunsWhenTheExitIsRefused)
{
    frmDocument* reader = openDocument();
    QPointer<frmDocument> owed = readWithAWindowOwed(reader);
    ASSERT_TRUE(owed);
    // The read left its window modified: Cancel when the exit asks.
    const int& asked = answerSaveQuestions({ui::Answer::Cancel});
    ui.messages.clear();
    once([&] { return statusSending() && round().background(); }, [&] {
        P(reader).Command3->click();
        activate(reader);
        main->close();
    });
    testwait::until([&] { return !ui.messages.empty() && ui.lastText().contains(QStringLiteral("verify")); });
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(owed);
    EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   PC and Tester's SPD verify success !    *****    "));
}

TEST_F(DeviceTest, AClickHeldForAWindowWhoseCloseIsCancelledRunsOnce)
{
    frmDocument* reader = openDocument();
    QPointer<frmDocument> owed = readWithAWindowOwed(reader);
    ASSERT_TRUE(owed);
    const int& asked = answerSaveQuestions({ui::Answer::Cancel});
    sim->clearLog();
    ui.messages.clear();
    // While its request is on the line: an edit, "<=  Verify  =>", and a
    // close that waits for the request; Cancel at its question. A later
    // click on another window does not take the held one's place.
    once([&] { return statusSending() && round().background(); }, [&] {
        owed->Set_form_chang(-1);
        P(owed).Command3->click();
        qobject_cast<QMdiSubWindow*>(owed->parentWidget())->close();
        P(reader).Command2->click();
    });
    testwait::until([&] { return sim->count(frameMsg('l')) > 0 && !main->deviceOps().talking(); });
    run(100);
    EXPECT_EQ(asked, 1);
    ASSERT_TRUE(owed);
    EXPECT_EQ(sim->count(frameMsg('l')), 1);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_TRUE(ui.lastText().contains(QStringLiteral("verify"))) << ui.lastText().toStdString();
}

TEST_F(DeviceTest, AClickAfterOneHeldForAWindowSinceClosedRuns)
{
    frmDocument* reader = openDocument();
    sim->setBuffer(image(11));
    // Two windows open within the read: one request goes out for both,
    // bound to the second; the first is free to close at once.
    QPointer<frmDocument> first;
    QPointer<frmDocument> second;
    once([&] { return sim->count(frameMsg('l')) > 0; }, [&] {
        first = main->NewDocumentWindow();
        second = main->NewDocumentWindow();
    });
    P(reader).Command2->click();
    ASSERT_TRUE(first && second);
    sim->clearLog();
    ui.messages.clear();
    once([&] { return statusSending() && round().background(); }, [&] {
        P(first).Command3->click();
        qobject_cast<QMdiSubWindow*>(first->parentWidget())->close();
        P(second).Command3->click();
    });
    testwait::until([&] { return !ui.messages.empty(); });
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(sim->count(frameMsg('l')), 1);
    EXPECT_TRUE(ui.lastText().contains(QStringLiteral("verify"))) << ui.lastText().toStdString();
}

TEST_F(DeviceTest, AHeldWriteSetsUpTheSerialNumberOfTheImageAtItsClick)
{
    frmDocument* reader = openDocument();
    QPointer<frmDocument> owed = readWithAWindowOwed(reader);
    ASSERT_TRUE(owed);
    // A DDR3 image: its serial number is bytes 122-125.
    load(owed, image(11));
    for (int i = 0; i < 4; ++i)
        owed->Value_Chang(122 + i, 0x11 * (i + 1));
    ui.messages.clear();
    // "Write =>" is held behind the owed request; the serial number is
    // edited before the write runs.
    once([&] { return statusSending() && round().background(); }, [&] {
        P(owed).Command1->click();
        for (int i = 0; i < 4; ++i)
            owed->Value_Chang(122 + i, 0xE0 + i);
    });
    testwait::until([&] { return !ui.messages.empty(); });
    EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   SPD file transfer success !   *****      "));
    const sim::Settings16 set = sim->settings();
    EXPECT_EQ(std::vector<int>(set.begin() + 12, set.end()), (std::vector<int>{0x11, 0x22, 0x33, 0x44}));
}

TEST_F(DeviceTest, ACancelWhileAReportHoldsAWindowEndsTheExitAtOnce)
{
    // The report's window in front, the modified one in front, and the
    // report's window closed by its own X before the Exit: that close is the
    // user's, not the exit's, and outlasts the Cancel.
    enum { ReportInFront, ModifiedInFront, ReportClosedFirst };
    for (const int c : {ReportInFront, ModifiedInFront, ReportClosedFirst}) {
        SCOPED_TRACE(c);
        QPointer<frmDocument> reporter = openDocument();
        QPointer<frmDocument> modified = openDocument();
        const int& asked = answerSaveQuestions({ui::Answer::Cancel});
        // Exit while the report shows (its window is held, nothing talks).
        once([&] { return !P(reporter).S_FRAME->isHidden() && reporter->isHeld(); }, [&] {
            modified->Set_form_chang(-1);
            if (c == ReportClosedFirst)
                reporter->closeWindow();
            activate(c == ModifiedInFront ? modified.data() : reporter.data());
            main->close();
        });
        activate(reporter);
        P(reporter).TEST_COMMAND->click();
        // The timer above holds this iteration's names until it has run.
        ASSERT_TRUE(testwait::until([&] { return asked > 0; }));
        testwait::until([&] { return !reporter || !reporter->isHeld(); });
        run(200);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(!reporter || reporter->isClosedForGood(), c == ReportClosedFirst);
        EXPECT_TRUE(modified);
        EXPECT_TRUE(main->isVisible());
        ui.onMessage = nullptr;
        modified->Set_form_chang(0);
        main->mnuFileCloseAll_Click();
        testwait::until([&] { return main->documents().isEmpty() && !reporter; });
    }
}

TEST_F(DeviceTest, AnExitWaitingForAReportsModifiedWindowAsksItOnceAtTheReportsEnd)
{
    // The question comes when the report ends, and the exit's retry that
    // the report's end queued runs under it: No ends the program, Cancel
    // ends the exit.
    for (const ui::Answer answer : {ui::Answer::Cancel, ui::Answer::No}) {
        SCOPED_TRACE(answer == ui::Answer::No ? "No" : "Cancel");
        QPointer<frmDocument> reporter = openDocument();
        const int& asked = answerSaveQuestions({answer});
        once([&] { return !P(reporter).S_FRAME->isHidden() && reporter->isHeld(); }, [&] {
            reporter->Set_form_chang(-1);
            main->close();
        });
        P(reporter).TEST_COMMAND->click();
        testwait::until([&] { return asked > 0 && !main->deviceOps().talking(); });
        if (answer == ui::Answer::No)
            testwait::until([&] { return !main->isVisible(); });
        run(200);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(main->isVisible(), answer == ui::Answer::Cancel);
        EXPECT_EQ(reporter && !reporter->isClosedForGood(), answer == ui::Answer::Cancel);
        if (reporter)
            reporter->Set_form_chang(0);
    }
}

TEST_F(DeviceTest, ACancelWhenAWindowAnExitWaitedForAsksEndsItAndTakesBackItsCloses)
{
    // Modified windows, the first two held by work at the Exit: their closes
    // wait. The first one's work ends, and it asks: Cancel. The second one
    // stays when its work ends, and no other window is asked.
    // - Alone: the exit has asked nothing yet.
    // - Under the exit's own question: a third window asks, and the first
    //   one's work ends while that question is open; the third is answered
    //   No, and the fourth is not asked.
    for (const bool underTheExitsQuestion : {false, true}) {
        SCOPED_TRACE(underTheExitsQuestion);
        std::vector<QPointer<frmDocument>> w;
        for (int k = 0; k < (underTheExitsQuestion ? 4 : 2); ++k) {
            w.emplace_back(openDocument());
            w.back()->Set_form_chang(-1);
        }
        activate(w[0]);
        std::map<int, std::unique_ptr<frmDocument::Hold>> work;
        for (int k : {0, 1})
            work[k] = std::make_unique<frmDocument::Hold>(w[k]);
        std::vector<QString> titles{w[0]->windowTitle()};
        if (underTheExitsQuestion) {
            titles.insert(titles.begin(), w[2]->windowTitle());
            answerSaveQuestions({ui::Answer::No, ui::Answer::Cancel}, [&] { return work.count(0) > 0; });
            once([&] { return askedTitles.size() == 1; }, [&] { work.erase(0); });
        } else {
            answerSaveQuestions({ui::Answer::Cancel});
        }
        main->close();
        work.erase(0);
        testwait::until([&] { return askedTitles.size() == titles.size(); });
        work.clear();
        run(200);
        EXPECT_EQ(askedTitles, titles);
        for (int k = 0; k < static_cast<int>(w.size()); ++k)
            EXPECT_EQ(w[k] && !w[k]->isClosedForGood(), k != 2) << k;
        EXPECT_TRUE(main->isVisible());
        for (const QPointer<frmDocument>& d : w)
            if (d)
                d->Set_form_chang(0);
        main->mnuFileCloseAll_Click();
        testwait::until([&] { return main->documents().isEmpty(); });
    }
}

TEST_F(DeviceTest, AnExitAsksFromTheActiveWindowOnThenFromTheFirst)
{
    std::vector<QPointer<frmDocument>> w;
    for (int k = 0; k < 4; ++k) {
        w.emplace_back(openDocument());
        w.back()->Set_form_chang(-1);
    }
    activate(w[1]);
    std::vector<QString> asked;
    ui.onMessage = [&](const ui::Message& m) {
        if (m.buttons == ui::Buttons::YesNoCancel)
            asked.push_back(m.title);
    };
    const QString titles[] = {w[1]->windowTitle(), w[2]->windowTitle(), w[3]->windowTitle()};
    ui.answers = {ui::Answer::No, ui::Answer::No, ui::Answer::Cancel};
    main->close();
    run(100);
    EXPECT_EQ(asked, (std::vector<QString>{titles[0], titles[1], titles[2]}));
    EXPECT_TRUE(w[0] && w[3]);
    EXPECT_TRUE(w[1].isNull() && w[2].isNull());
    EXPECT_TRUE(main->isVisible());
}

TEST_F(DeviceTest, OnlyTheFirstClickBehindAnOwedRequestRuns)
{
    frmDocument* reader = openDocument();
    QPointer<frmDocument> owed = readWithAWindowOwed(reader);
    ASSERT_TRUE(owed);
    const int upperReads = sim->count(frameMsg('L'));
    ui.messages.clear();
    // "<=  Verify  =>", then "<= Load Tester", while the request owed to the
    // new window is on the line.
    once([&] { return statusSending() && round().background(); }, [&] {
        P(reader).Command3->click();
        P(reader).Command2->click();
    });
    testwait::until([&] { return !ui.messages.empty(); });
    EXPECT_EQ(ui.lastText(), QStringLiteral("      *****   PC and Tester's SPD verify success !    *****    "));
    // The verify dropped the new window's parse: it is asked once more.
    waitForRounds(3);
    EXPECT_EQ(ui.messages.size(), 1u);
    // A read would have asked for the upper half; the verify of a DDR3 image
    // does not.
    EXPECT_EQ(sim->count(frameMsg('L')), upperReads);
}

TEST_F(DeviceTest, AClickDuringTheUsersOwnStatusRequestDoesNotRunAfterIt)
{
    frmDocument* doc = openDocument();
    once([&] { return statusSending(); }, [&] { P(doc).Command3->click(); });
    main->mnuConnection_Click();
    waitForRounds(2);
    EXPECT_EQ(sim->count(frameMsg('l')), 0);
    EXPECT_TRUE(ui.messages.empty()) << ui.lastText().toStdString();
}

// ---------------------------------------------------------------- the module test's guard

TEST_F(DeviceTest, ClosingTheWindowOfARunningTestGivesTheGuardBack)
{
    QPointer<frmDocument> a = openDocument();
    frmDocument* b = openDocument();
    sim->updateKnobs([](sim::Knobs& k) { k.silent = true; });
    activate(a);
    P(a).TEST_COMMAND->click();
    ASSERT_TRUE(main->deviceOps().testRunning());
    EXPECT_FALSE(main->deviceOps().canStartButton());
    activate(a);
    main->mnuFileClose_Click();
    run(100);
    ASSERT_TRUE(a.isNull());
    EXPECT_FALSE(main->deviceOps().testRunning());
    EXPECT_TRUE(main->deviceOps().canStartButton());
    // And the other window's buttons work again.
    sim->updateKnobs([](sim::Knobs& k) { k.silent = false; });
    sim->setBuffer(image(11));
    sim->clearLog();
    P(b).Command2->click();
    EXPECT_EQ(ui.lastText(), QStringLiteral("*****   Computer reads the Tester's SPD successfully !   ***** "));
    EXPECT_EQ(b->Get_Value(2), 11);
}

TEST_F(DeviceTest, AWindowOpenedDuringATestNeitherRunsOverItNorTakesItsReport)
{
    frmDocument* a = openDocument();
    sim->updateKnobs([](sim::Knobs& k) {
        k.resultDelayMs = 3000;
        k.resultFlags = sim::OpenFailFlag;
    });
    P(a).TEST_COMMAND->click();
    ASSERT_TRUE(main->deviceOps().testRunning());
    // Its status request waits for the result to begin, then asks.
    frmDocument* b = openDocument();
    // The new window's buttons wait for the test.
    sim->clearLog();
    P(b).Command2->click();
    P(b).TEST_COMMAND->click();
    EXPECT_TRUE(sim->received().empty());
    // The report goes to the window whose test it is, also when it comes
    // after the test's time-out (the new window's status request held the
    // poller off).
    testwait::until([&] { return P(a).List1->count() > 0; }, 20000);
    run(100);
    EXPECT_EQ(P(a).FAIL_LABEL->text(), QStringLiteral("1"));
    EXPECT_EQ(P(a).List1->count(), 1);
    EXPECT_EQ(P(b).List1->count(), 0);
    EXPECT_EQ(P(b).FAIL_LABEL->text(), QStringLiteral("0"));
}
