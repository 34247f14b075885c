#include "device/DeviceOps.h"

#include "device/DeviceHost.h"
#include "device/DocumentPanels.h"
#include "state/Globals.h"
#include "rules/device/Protocol.h"
#include "document/HexGrid.h"
#include "document/PinMap.h"
#include "document/frmDocument.h"
#include "platform/Clock.h"
#include "platform/CommPort.h"
#include "platform/Fault.h"
#include "platform/Ui.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QTimer>
#include <memory>
#include <stdexcept>
#include <utility>

using velmora::gs;

namespace device {

namespace {

// A step that cannot go on: no document, or a reply that cannot be used.
class DeviceFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

const QString kError = QStringLiteral("Error");
const QString kErrorZh = QStringLiteral("錯誤訊息");
const QString kSettingTitle = QStringLiteral("SPD設定");
const QString kSetupFails = QStringLiteral("      *****  設定失敗 !   *****      ");

void plainBox(const QString& text) { ui::msgBox(text); }

void setTimerOn(QTimer* t)
{
    if (t && !t->isActive())
        t->start();
}

// The ticket of a reply asked for: released when its asker is done with it,
// however the asker's work ends, unless it is handed on to another holder.
class Asked {
public:
    Asked(Conversation& c, Conversation::Ticket t)
        : c_(c)
        , t_(t)
    {
    }
    ~Asked() { c_.release(t_); }
    Asked(const Asked&) = delete;
    Asked& operator=(const Asked&) = delete;
    Conversation::Ticket handOn() { return std::exchange(t_, 0); }

private:
    Conversation& c_;
    Conversation::Ticket t_;
};

} // namespace

// One conversation on the wire at a time: a command that finds another one
// talking does not run.
class DeviceOps::Talk {
public:
    explicit Talk(DeviceOps& o)
        : o_(o)
        , ok_(o.talking_ == 0)
    {
        if (ok_)
            ++o_.talking_;
    }
    ~Talk()
    {
        if (ok_ && --o_.talking_ == 0)
            emit o_.conversationEnded();
    }
    Talk(const Talk&) = delete;
    Talk& operator=(const Talk&) = delete;
    explicit operator bool() const { return ok_; }

private:
    DeviceOps& o_;
    bool ok_;
};

// Binds every step of an operation to one document: the one a button bound,
// or else the one active when the operation started.
class DeviceOps::Bind {
public:
    Bind(DeviceOps& o, frmDocument* doc = nullptr, bool force = false)
        : o_(o)
        , outer_(o.bindingActive_)
        , previous_(o.bound_)
    {
        if (!outer_ || force) {
            o_.bound_ = doc ? doc : o_.main_.ActiveForm();
            o_.bindingActive_ = true;
            restore_ = true;
            hold_ = std::make_unique<frmDocument::Hold>(o_.bound_.data());
        }
    }
    ~Bind()
    {
        if (restore_) {
            o_.bound_ = previous_;
            o_.bindingActive_ = outer_;
        }
    }
    Bind(const Bind&) = delete;
    Bind& operator=(const Bind&) = delete;

private:
    DeviceOps& o_;
    bool outer_;
    QPointer<frmDocument> previous_;
    bool restore_ = false;
    // The window the operation runs on stays open until it has ended.
    std::unique_ptr<frmDocument::Hold> hold_;
};

DeviceOps::DeviceOps(DeviceHost& host, QObject* parent)
    : QObject(parent)
    , main_(host)
{
    // Whatever comes is read into the conversation as it comes; what waits
    // when the port closes is read first.
    if (platform::CommPort* port = host.MSComm1()) {
        connect(port, &platform::CommPort::received, this, [this] { pump(); });
        connect(port, &platform::CommPort::aboutToClose, this, [this] {
            pump();
            conv_.lineClosed(now());
        });
        connect(port, &platform::CommPort::opened, this, [this] { conv_.lineOpened(now()); });
        connect(port, &platform::CommPort::lineFailed, this, [this] { conv_.lineFailed(now()); });
        if (!port->portOpen())
            conv_.lineClosed(now());
    }
    // A click held back, or a status owed to a window, goes on from the
    // event loop once the conversation that held the line is over.
    connect(this, &DeviceOps::conversationEnded, this, &DeviceOps::lineFreed, Qt::QueuedConnection);
}

DeviceOps::~DeviceOps() = default;

// ---------------------------------------------------------------- building steps

frmDocument* DeviceOps::target() const { return bindingActive_ ? bound_.data() : main_.ActiveForm(); }

frmDocument& DeviceOps::needDocument() const
{
    frmDocument* d = target();
    if (!d)
        throw DeviceFailure("no document window");
    return *d;
}

DevicePanels* DeviceOps::panels() const { return devicePanels(target()); }

void DeviceOps::pollerOn() { setTimerOn(main_.Timer1()); }
void DeviceOps::pollerOff() { main_.Timer1()->stop(); }
void DeviceOps::statusTimerOn() { setTimerOn(main_.Timer2()); }
void DeviceOps::dropParse()
{
    main_.Timer2()->stop();
    if (round_.phase() == StatusRound::Phase::ParsePending)
        round_.drop(true);
}
void DeviceOps::pacingOff() { main_.Timer3()->stop(); }

void DeviceOps::openPort()
{
    platform::CommPort* port = main_.MSComm1();
    if (!port->portOpen())
        port->setPortOpen(true);
}

void DeviceOps::closePort() { main_.MSComm1()->setPortOpen(false); }
void DeviceOps::send(const QByteArray& message) { main_.MSComm1()->output(message); }

std::int64_t DeviceOps::now() { return vclock::clock().programMs(); }

void DeviceOps::pump()
{
    // Reading the port can signal that characters came: that signal's pump
    // finds them read already.
    if (pumping_)
        return;
    const QScopedValueRollback<bool> pumping(pumping_, true);
    platform::CommPort* port = main_.MSComm1();
    if (port && port->portOpen())
        conv_.arrived(port->input(), now());
    else
        conv_.advance(now());
}

Conversation::Ticket DeviceOps::request(const QByteArray& message, bool closesLine)
{
    const Owes owes = owedBy(message);
    pump();
    if (owes != Owes::Nothing) {
        // One reply in flight, and none while the line is out of step: the
        // new reply could not be told from one still coming.
        awaitLine([this] { return conv_.clearToSend(now()); });
    } else if (closesLine) {
        // The port closes behind this message: a reply on its way would be
        // cut.
        awaitLine([this] { return !conv_.lineBusy(now()); });
    }
    send(message);
    return conv_.sent(owes, now());
}

void DeviceOps::awaitLine(const std::function<bool()>& clear)
{
    if (clear())
        return;
    // The wait shows on the window the operation works for.
    const QPointer<frmDocument> doc = target();
    if (doc)
        doc->bringIntoView();
    DevicePanels* p = devicePanels(doc.data());
    const bool shown = p && p->Frame15->isHidden();
    if (shown)
        p->showBusy(Scene::ComputerProgrammerBoth);
    const bool ok = vclock::waitUntil(
        [&] {
            pump();
            return clear();
        },
        static_cast<int>(kLineWaitMs));
    if (shown)
        if (DevicePanels* q = devicePanels(doc.data()))
            q->hideBusy();
    if (!ok)
        throw DeviceFailure("the line does not clear");
}

bool DeviceOps::lineClear()
{
    pump();
    return conv_.clearToSend(now());
}

bool DeviceOps::programmerAnswered()
{
    pump();
    return conv_.statusAnswered();
}

void DeviceOps::wholeSecondWait(int n)
{
    // The target second is start second + n; it comes when the current
    // second has run out and n - 1 more have passed.
    const int msec = vclock::clock().now().time().msec();
    vclock::waitMs((n - 1) * 1000 + (1000 - msec));
}

void DeviceOps::pacingWait()
{
    auto& g = gs();
    g.packetPacing = 0;
    QTimer* pacing = main_.Timer3();
    pacing->setTimerType(Qt::PreciseTimer);
    pacing->start();
    QEventLoop loop;
    const auto tick = connect(pacing, &QTimer::timeout, &loop, &QEventLoop::quit);
    // A tick that never comes (the pacing timer stopped by someone else)
    // ends the wait after two intervals.
    QTimer lost;
    lost.setSingleShot(true);
    connect(&lost, &QTimer::timeout, &loop, &QEventLoop::quit);
    lost.start(2 * pacing->interval());
    while (g.packetPacing != -1 && lost.isActive())
        loop.exec();
    disconnect(tick);
    g.packetPacing = -1;
}

std::array<std::uint8_t, 256> DeviceOps::readHalf(char letter)
{
    openPort();
    const Conversation::Ticket t = request(frameMessage(letter));
    const std::int64_t sentAt = now();
    wholeSecondWait(3);
    const auto half = parseDataReply(takeReply(t, sentAt));
    if (!half)
        throw DeviceFailure("no usable reply");
    return *half;
}

QString DeviceOps::takeReply(Conversation::Ticket t, std::int64_t sentAt)
{
    // The asker gives the reply up however it ends: a reply still to come is
    // received when it comes, and thrown away.
    const Asked asked(conv_, t);
    // A whole-second wait can end at once, long before 512 characters can
    // have crossed the line: the reply is waited for until it could have
    // crossed twice over since its request and the line has been quiet
    // behind it, and a reply still on its way for as long again.
    constexpr std::int64_t kCrossing = 2 * kLineMsPerChar * kDataReplyChars + kEndQuietMs;
    std::int64_t until = sentAt + kCrossing;
    bool extended = false;
    vclock::waitUntil(
        [&] {
            pump();
            const Conversation::State st = conv_.state(t);
            if (st != Conversation::State::Waiting && st != Conversation::State::Arriving)
                return true;
            if (now() < until)
                return false;
            if (st == Conversation::State::Arriving && !extended) {
                extended = true;
                until = now() + kCrossing;
                return false;
            }
            return true;
        },
        static_cast<int>(3 * kCrossing));
    if (conv_.state(t) != Conversation::State::Complete)
        throw DeviceFailure("no reply");
    return conv_.text(t);
}

void DeviceOps::hideBusy()
{
    if (DevicePanels* p = panels())
        p->hideBusy();
}

void DeviceOps::failBox(const QString& text, const QString& title)
{
    ui::msgBox(text, ui::Buttons::Ok, ui::Icon::Critical, title);
}

void DeviceOps::guarded(const char* name, const std::function<void()>& body, const std::function<void()>& failed)
{
    try {
        body();
        return;
    } catch (const DeviceFailure&) {
        // A step that could not go on: the operation's own failure.
    } catch (const platform::CommError&) {
        // The port could not be opened, or the line failed.
    } catch (const std::exception& e) {
        // Anything else is a fault of the program's: traced, and the user
        // sees the operation fail as ever.
        platform::reportFault(QString::fromLatin1(name), e);
    }
    failed();
}

void DeviceOps::operation(const Operation& op, const std::function<void()>& body)
{
    Talk talk(*this);
    if (!talk)
        return;
    Bind bind(*this);
    const auto opened = [&] {
        if (op.pollerOff)
            pollerOff();
        if (op.needsDocument)
            needDocument();
        if (op.dropsParse)
            dropParse();
        if (op.busy)
            if (DevicePanels* p = panels()) {
                p->showBusy(*op.busy);
                if (op.picture)
                    op.picture(*p)->show();
            }
        openPort();
        body();
    };
    const auto failed = [&] {
        hideBusy(op);
        if (op.plainFailure)
            plainBox(op.failText);
        else
            failBox(op.failText, op.failTitle);
        if (op.afterBox)
            op.afterBox();
        if (op.pollerOff)
            pollerOn();
    };
    guarded(op.name, opened, failed);
}

void DeviceOps::hideBusy(const Operation& op)
{
    if (DevicePanels* p = panels()) {
        p->hideBusy();
        if (op.picture)
            op.picture(*p)->hide();
    }
}

void DeviceOps::openPortForTick(const char* tick)
{
    // A port that cannot be opened is left closed: the tick goes on.
    guarded(tick, [this] { openPort(); }, [] {});
}

// ---------------------------------------------------------------- timers

void DeviceOps::Timer3_Timer()
{
    gs().packetPacing = -1;
    main_.Timer3()->stop();
}

void DeviceOps::Timer2_Timer()
{
    auto& g = gs();
    // One parse per request: the timer goes off. The parse arranges the
    // windows of its own request, and no other (none for a request made
    // with no window open).
    main_.Timer2()->stop();
    Conversation::Ticket t = 0;
    const std::vector<StatusRound::Asker> askers = round_.takeParse(t);
    // The windows the parse arranges stay open while its boxes show.
    std::vector<std::unique_ptr<frmDocument::Hold>> holds;
    for (const StatusRound::Asker& a : askers)
        holds.push_back(std::make_unique<frmDocument::Hold>(a.doc.data()));
    g.deviceLink = 0;
    openPortForTick("Timer2_Timer");
    // The frame of this parse's own request, if it came whole and clean.
    pump();
    Candidate c;
    c.complete = conv_.state(t) == Conversation::State::Complete;
    c.text = conv_.text(t);
    conv_.release(t);
    const std::optional<StatusFrame> frame = parseStatusFrame(c);
    const bool complete = frame.has_value();
    const bool answered = complete && fromExpectedDevice(c.text);
    if (frame)
        g.deviceLink = -1;

    // Each window shows its panel and entry boxes only when the programmer
    // answered; otherwise none of them.
    for (const StatusRound::Asker& a : askers) {
        frmDocument* doc = a.doc.data();
        if (doc && doc->isClosedForGood())
            continue;
        if (frame)
            applyStatusFrame(doc, *frame);
        if (doc) {
            const bool boxes = answered && g.passwordMode == -1;
            doc->Text1()->setVisible(boxes);
            doc->Text2()->setVisible(boxes);
        }
        if (DevicePanels* p = devicePanels(doc))
            p->showPanel(!answered ? DevicePanels::NoPanel
                                   : (a.transferPanel ? DevicePanels::TransferPanel : DevicePanels::TestPanel));
    }
    if (!answered) {
        if (complete && g.passwordMode == -1)
            failBox(QStringLiteral("** Hardware and software versions error ,Please contact Corvane  **"), kError);
        else
            failBox(QStringLiteral("*****    RS-232 Link Failure    *****"), kError);
    }
    // The busy panel of an operation that is still talking (the image write
    // of "Write =>") stays up until that operation has ended.
    if (talking_ == 0)
        if (DevicePanels* now = devicePanels(main_.ActiveForm()))
            now->hideBusy();
    pollerOn();
}

void DeviceOps::applyStatusFrame(frmDocument* doc, const StatusFrame& f)
{
    if (DevicePanels* p = devicePanels(doc)) {
        const int sn = f.block[9];
        const int eep = f.block[10];
        const int tests = f.block[8];
        auto lamp = [p](int n, bool lit) { p->F_LED[static_cast<std::size_t>(n)]->setFillColor(lit ? kLampLit : kLampDark); };

        lamp(12, sn & 0x01);
        p->ASNUM_CHK->setChecked(sn & 0x01);
        lamp(15, true);
        p->DIR_OPT[(sn & 0x02) ? 1 : 0]->setChecked(true);
        p->F_LAB15->setText((sn & 0x02) ? QStringLiteral("S/N Directions(High to Low)")
                                        : QStringLiteral("S/N Directions(Low to High)"));
        lamp(13, sn & 0x04);
        p->AVR_CHK->setChecked(sn & 0x04);
        lamp(14, true);
        p->HEX_OPT[(sn & 0x08) ? 1 : 0]->setChecked(true);
        p->F_LAB14->setText((sn & 0x08) ? QStringLiteral("S/N Encode(HEX)") : QStringLiteral("S/N Encode(DEC)"));
        lamp(11, sn & 0x40);
        p->KEY_CHK->setChecked(sn & 0x40);

        const int size = eep & 3;
        lamp(16, true);
        p->EEP_OPT[static_cast<std::size_t>(size == 3 ? 2 : size)]->setChecked(true);
        p->F_LAB16->setText(size == 0   ? QStringLiteral("EEPROM (BY SPD)")
                            : size == 1 ? QStringLiteral("EEPROM (256 Byte)")
                                        : QStringLiteral("EEPROM (512 Byte)"));

        static const int masks[7] = {0, 0x01, 0x02, 0x04, 0x08, 0x20, 0x80};
        for (int n = 1; n <= 6; ++n) {
            const bool on = tests & masks[n];
            lamp(n, on);
            p->F_CHK[static_cast<std::size_t>(n)]->setChecked(on);
        }
        for (int i = 0; i < 4; ++i)
            p->STEXT[static_cast<std::size_t>(i + 1)]->setText(f.serialTexts[static_cast<std::size_t>(i)]);
        if (!p->ASNUM_CHK->isChecked()) {
            p->F_LAB20->hide();
        } else {
            p->F_LAB20->setText(QStringLiteral("S/N:") + f.serialTexts[0] + f.serialTexts[1] + f.serialTexts[2] +
                                f.serialTexts[3]);
            p->F_LAB20->show();
        }
    }
    gs().settingsBlock = f.block;
}

void DeviceOps::Timer1_Timer()
{
    // A tick that falls due while a report shows is held back.
    if (inReport_)
        return;
    openPortForTick("Timer1_Timer");
    pump();
    // The results owed come in the order the tests were asked for; each
    // goes to the window whose test it answers, also when it comes late.
    QPointer<frmDocument> reported;
    while (!tests_.empty()) {
        const OwedTest test = tests_.front();
        const Conversation::State st = conv_.state(test.ticket);
        if (st == Conversation::State::Waiting || st == Conversation::State::Arriving ||
            (st == Conversation::State::Failed && conv_.mayComeLate(test.ticket)))
            break;
        tests_.pop_front();
        const QString text = conv_.text(test.ticket);
        conv_.release(test.ticket);
        const bool endsTest = test.ticket == runningTest_;
        if (endsTest)
            runningTest_ = 0;
        if (st != Conversation::State::Complete)
            continue;  // no result came: the test's time-out ends it
        if (const std::optional<TestResult> r = decodeTestResult(text))
            reported = showReport(*r, test.owner.data(), endsTest);
        break;  // one report per tick: a report has its display wait
    }
    // A frame the programmer sent on its own (a test started from its keys,
    // the end of a stand-alone command) is shown on the active window.
    if (!reported)
        if (const std::optional<QString> f = conv_.takeUnasked())
            if (const std::optional<TestResult> r = decodeTestResult(*f))
                reported = showReport(*r, nullptr, false);
    // The banner shows only while its report waits.
    for (frmDocument* d : {main_.ActiveForm(), reported.data()})
        if (DevicePanels* p = devicePanels(d))
            p->S_FRAME->hide();
}

QPointer<frmDocument> DeviceOps::showReport(const TestResult& r, frmDocument* owner, bool endsTest)
{
    auto& g = gs();
    // The poller holds its ticks back until the report has been shown.
    const QScopedValueRollback<bool> reporting(inReport_, true);
    // The report belongs to the window whose test it answers; when that
    // window has closed, to the active one.
    QPointer<frmDocument> doc = owner ? owner : main_.ActiveForm();
    auto p = [&doc]() { return devicePanels(doc.data()); };
    // The window stays open through the display wait.
    const frmDocument::Hold hold(doc.data());

    if (doc && endsTest)
        doc->Timer2()->stop();
    bool withSerial = false;
    if (DevicePanels* q = p()) {
        for (int i = 0; i < 4; ++i)
            q->STEXT[static_cast<std::size_t>(i + 1)]->setText(r.serialTexts[static_cast<std::size_t>(i)]);
        if (!q->ASNUM_CHK->isChecked()) {
            q->F_LAB20->hide();
        } else {
            q->F_LAB20->setText(QStringLiteral("S/N:") + q->STEXT[1]->text() + q->STEXT[2]->text() +
                                q->STEXT[3]->text() + q->STEXT[4]->text());
            q->F_LAB20->show();
        }
        q->S_FRAME->show();
        q->S_FRAME->raise();
        q->Label56->setText(QString::number(r.currentMa) + QStringLiteral(" mA"));
        q->AMP_LAB->setText(QString::number(r.currentMa));
        q->STS_LAB1->setText(r.banner());
        withSerial = q->ASNUM_CHK->isChecked() && q->F_CHK[4]->isChecked();
    }
    if (r.failed()) {
        if (g.testFailCount < 32767)
            ++g.testFailCount;
    } else if (g.testPassCount < 32767) {
        ++g.testPassCount;
    }
    const QString log = r.logText(withSerial);
    if (DevicePanels* q = p()) {
        if (r.failed()) {
            q->FAIL_LABEL->setText(QString::number(g.testFailCount));
            DevicePanels::setBackColor(q->S_FRAME, look::kRed);
            DevicePanels::setBackColor(q->TEST_COMMAND, kTestFailBack);
        } else {
            q->PASS_LABEL->setText(QString::number(g.testPassCount));
            DevicePanels::setBackColor(q->S_FRAME, kBannerGreen);
            DevicePanels::setBackColor(q->TEST_COMMAND, look::kGreen);
        }
        const struct {
            int bit;
            int lamp;
        } lamps[4] = {{PowerFail, 0}, {SpdFail, 3}, {OpenFail, 1}, {ShortFail, 2}};
        for (const auto& l : lamps)
            q->FAIL_LED[static_cast<std::size_t>(l.lamp)]->setFillColor((r.flags & l.bit) ? look::kRed : look::kGreen);
    }

    wholeSecondWait(2);

    // A late result of an earlier test leaves the button of a test still
    // running on that window as it is.
    const bool laterTestRuns = !endsTest && holder_ == Holder::Test && testOwner_ && testOwner_.data() == doc.data();
    if (DevicePanels* q = p(); q && !laterTestRuns)
        q->TEST_COMMAND->setText(QStringLiteral("TEST"));
    if (doc) {
        PinMap* map = doc->pinMap();
        for (int c = 0; c < kChannels; ++c)
            map->setFillColor(c, r.open[static_cast<std::size_t>(c)] ? 0x000000 : kBannerGreen);
        for (int c = 0; c < kChannels; ++c)
            if (r.shorted[static_cast<std::size_t>(c)])
                map->setFillColor(c, look::kRed);
    }
    // The report ends the module test it answers; it never frees the guard
    // that another button's operation or a later test holds.
    if (holder_ == Holder::Test && endsTest)
        releaseTest();
    if (DevicePanels* q = p()) {
        if (g.passwordMode == -1 && !laterTestRuns)
            q->TEST_COMMAND->setEnabled(true);
        q->List1->addItem(vclock::clock().now().time().toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("  ") +
                          log);
        q->List1->setCurrentRow(q->List1->count() - 1);
    }
    return doc;
}

// ---------------------------------------------------------------- guard

bool DeviceOps::canStartButton() const
{
    // A module test that is still waiting for its report keeps the guard.
    return talking_ == 0 && holder_ == Holder::None;
}

void DeviceOps::setHolder(Holder h)
{
    holder_ = h;
    // The program-wide idle flag says what the holder says.
    gs().deviceIdle = h == Holder::None ? -1 : 0;
}

void DeviceOps::runBound(frmDocument& doc, const std::function<void()>& calls)
{
    Bind bind(*this, &doc, true);
    try {
        calls();
    } catch (const std::exception& e) {
        // Every operation catches and reports its own failures: what comes
        // out of one is a fault, traced; the window stays.
        platform::reportFault(QStringLiteral("a device button's operations"), e);
    }
}

int DeviceOps::imageByte(const frmDocument& doc, const velmora::SpdImage* written, int i)
{
    return written ? written->at(static_cast<std::size_t>(i)) : doc.Get_Value(i);
}

void DeviceOps::runButton(frmDocument& doc, const std::function<void()>& calls)
{
    if (!canStartButton())
        return;
    // The button holds the device until its calls have returned, however
    // they end.
    setHolder(Holder::Button);
    const auto release = qScopeGuard([this] { setHolder(Holder::None); });
    runBound(doc, calls);
}

void DeviceOps::testStarted(frmDocument& doc)
{
    setHolder(Holder::Test);
    testOwner_ = &doc;
    // The guard comes back when the test's window closes.
    disconnect(testClosed_);
    disconnect(testDestroyed_);
    frmDocument* raw = &doc;
    auto gone = [this, raw] {
        if (holder_ == Holder::Test && (testOwner_.isNull() || testOwner_.data() == raw))
            releaseTest();
    };
    testClosed_ = connect(&doc, &frmDocument::documentClosed, this, gone);
    testDestroyed_ = connect(&doc, &QObject::destroyed, this, gone);
}

void DeviceOps::testTimedOut(frmDocument& doc)
{
    if (holder_ == Holder::Test && testOwner_.data() == &doc)
        releaseTest();
}

void DeviceOps::owedTest(Conversation::Ticket t)
{
    if (!t)
        return;
    const bool ofTheTest = holder_ == Holder::Test && testOwner_;
    tests_.push_back({t, ofTheTest ? testOwner_ : QPointer<frmDocument>(target())});
    if (ofTheTest)
        runningTest_ = t;
}

void DeviceOps::releaseTest()
{
    runningTest_ = 0;
    disconnect(testClosed_);
    disconnect(testDestroyed_);
    setHolder(Holder::None);
    testOwner_ = nullptr;
}

// ---------------------------------------------------------------- settings and status

void DeviceOps::statusRequest(bool armParse, bool transferPanel, bool background)
{
    if (armParse) {
        // A parse still pending gives way to this request's, which answers
        // its windows, and those owed a request, too.
        main_.Timer2()->stop();
        round_.begin(target(), transferPanel, background);
    }
    const auto body = [this, armParse] {
        pollerOff();
        openPort();
        // Without a parse nobody reads this frame: it is consumed when it
        // comes.
        Asked asked(conv_, request(frameMessage('q')));
        wholeSecondWait(1);
        openPort();
        wholeSecondWait(1);
        if (armParse) {
            round_.armed(asked.handOn());
            statusTimerOn();
        } else {
            pollerOn();
        }
    };
    const auto failed = [this, armParse] {
        // The windows that waited for this request have their answer in the
        // box; one that asks while it shows is owed a request of its own.
        if (armParse)
            round_.drop(false);
        failBox(QStringLiteral("      *****   The state can not read !   *****      "), kError);
        pollerOn();
    };
    guarded(armParse ? "STATUSIC" : "TEST_STATUS", body, failed);
}

void DeviceOps::askStatus(frmDocument* doc, bool transferPanel)
{
    if (round_.ask(doc, transferPanel, talking_ > 0) == StatusRound::Answer::Send)
        sendStatus(doc, transferPanel, false);
}

void DeviceOps::sendStatus(frmDocument* doc, bool transferPanel, bool background)
{
    // The request keeps its own opening and closing (statusRequest).
    auto body = [this, transferPanel, background] {
        Talk talk(*this);
        if (!talk)
            return;
        Bind bind(*this);
        statusRequest(true, transferPanel, background);
    };
    // The request is doc's: a wait for the line shows there.
    if (doc)
        runBound(*doc, body);
    else
        body();
}

void DeviceOps::statusForLoad(frmDocument& doc) { askStatus(&doc, false); }

void DeviceOps::STATUSIC(bool transferPanel, frmDocument* on) { askStatus(on ? on : target(), transferPanel); }

bool DeviceOps::deferClick(DevicePanels& from, std::function<void()> click)
{
    if (round_.phase() != StatusRound::Phase::Sending || !round_.background())
        return false;
    // A click held for a window that has closed holds nothing; one for a
    // window whose close is undecided keeps its place.
    if (!heldClick_.from || main_.workable(heldClick_.doc.data()) == DeviceHost::Workable::Never)
        heldClick_ = {&from, &from.doc(), std::move(click)};
    return true;
}

void DeviceOps::lineFreed()
{
    if (talking_ > 0)
        return;
    // The user's command goes first; an owed request waits for its end. A
    // click held for a window that has closed is dropped. While an exit is
    // under way, or the close of the click's window is undecided, nothing
    // goes out: the click waits, and runs once the exit or the close is
    // given up (the window kept frees the line again), or goes with its
    // window.
    if (heldClick_.click) {
        switch (heldClick_.from ? main_.workable(heldClick_.doc.data()) : DeviceHost::Workable::Never) {
        case DeviceHost::Workable::Now: std::exchange(heldClick_, {}).click(); return;
        case DeviceHost::Workable::Later: return;
        case DeviceHost::Workable::Never: heldClick_ = {}; break;
        }
    }
    if (main_.workable(nullptr) != DeviceHost::Workable::Now)
        return;
    if (frmDocument* doc = round_.owedOnBehalf())
        sendStatus(doc, false, true);
}

void DeviceOps::TEST_STATUS()
{
    // Bound to the operation's document like every operation; the request
    // keeps its own opening and closing (statusRequest).
    Talk talk(*this);
    if (!talk)
        return;
    Bind bind(*this);
    statusRequest(false);
}

void DeviceOps::Snumsetup() { serialSetup(nullptr); }
void DeviceOps::Snumsetup(const velmora::SpdImage& written) { serialSetup(&written); }

void DeviceOps::serialSetup(const velmora::SpdImage* written)
{
    Operation op{"Snumsetup", kSetupFails, kErrorZh};
    op.needsDocument = true;
    operation(op, [this, written] {
        // The image being written decides where its serial number lies.
        frmDocument& doc = needDocument();
        const int type = imageByte(doc, written, 2);
        const int first = type == 11 ? 122 : type == 12 ? 325 : 95;
        for (int i = 0; i < 4; ++i)
            gs().settingsBlock[static_cast<std::size_t>(12 + i)] =
                static_cast<std::int16_t>(imageByte(doc, written, first + i));
        request(settingsMessage(gs().settingsBlock), true);
        wholeSecondWait(1);
        closePort();
        pollerOn();
        pacingOff();
    });
}

void DeviceOps::SETUPIC()
{
    operation({"SETUPIC", kSetupFails, kErrorZh}, [this] {
        request(settingsMessage(gs().settingsBlock), true);
        pacingWait();
        closePort();
        pollerOn();
        pacingOff();
    });
}

// ---------------------------------------------------------------- image write and read-back

void DeviceOps::ProgramIC() { programImage(nullptr); }
void DeviceOps::ProgramIC(const velmora::SpdImage& written) { programImage(&written); }

void DeviceOps::programImage(const velmora::SpdImage* written)
{
    Operation op{"ProgramIC", QStringLiteral("      *****   SPD file transfer fails !   *****      "), kError};
    // The image write leaves the poller as it is, also when it fails: the
    // status parse of "Write =>" switches it on during the packets.
    op.pollerOff = false;
    op.needsDocument = true;
    op.busy = Scene::ComputerToProgrammer;
    operation(op, [this, written] {
        // The image as it is now (or as "Write =>" was clicked): an edit
        // made during the packets' waits never reaches the programmer
        // half-way.
        const velmora::SpdImage image = written ? *written : needDocument().image();
        for (int half = 0; half < 2; ++half) {
            openPort();
            for (int k = 0; k < 16; ++k) {
                std::uint8_t bytes[16];
                for (int i = 0; i < 16; ++i)
                    bytes[i] = image[static_cast<std::size_t>(256 * half + 16 * k + i)];
                send(dataPacket(half == 1, k, bytes));
                pacingWait();
            }
        }
        closePort();
        hideBusy();
        pacingOff();
    });
}

void DeviceOps::VerifyIc() { readBack(nullptr); }
void DeviceOps::VerifyIc(const velmora::SpdImage& written) { readBack(&written); }

void DeviceOps::readBack(const velmora::SpdImage* written)
{
    const QString fail = QStringLiteral("      *****   PC and Tester's SPD verify fail !    *****      ");
    Operation op{"VerifyIc", fail, kError};
    op.needsDocument = true;
    op.dropsParse = true;
    op.busy = Scene::ComputerProgrammerBoth;
    operation(op, [this, written, &fail] {
        // The image being verified (or written) decides whether its upper
        // half is read.
        const bool upper = imageByte(needDocument(), written, 2) == 12;
        // Nothing is marked unless every reply holds its 512 digits; a bad
        // first half ends the read-back before the second is asked for.
        const std::array<std::uint8_t, 256> low = readHalf('l');
        std::optional<std::array<std::uint8_t, 256>> high;
        if (upper)
            high = readHalf('L');

        frmDocument& doc = needDocument();
        int mismatches = 0;
        auto compare = [&](int base, const std::array<std::uint8_t, 256>& got) {
            for (int k = 0; k < 256; ++k) {
                const bool differs = got[static_cast<std::size_t>(k)] != imageByte(doc, written, base + k);
                mismatches += differs ? 1 : 0;
                doc.grid()->setCellBack(base + k, differs ? look::kLightBlue : look::kButtonFace);
            }
        };
        compare(0, low);
        if (high)
            compare(256, *high);
        hideBusy();
        if (mismatches == 0 && !written)
            plainBox(QStringLiteral("      *****   PC and Tester's SPD verify success !    *****    "));
        else if (mismatches == 0)
            plainBox(QStringLiteral("      *****   SPD file transfer success !   *****      "));
        else if (written)
            plainBox(QStringLiteral("      *****   SPD file transfer fails !   *****      "));
        else
            failBox(fail, kError);
        hideBusy();
        pollerOn();
    });
}

// ---------------------------------------------------------------- reads

void DeviceOps::ReadModule() { readInto(true); }

void DeviceOps::ReadIC() { readInto(false); }

void DeviceOps::readInto(bool module)
{
    Operation op{module ? "ReadModule" : "ReadIC",
                 module ? QStringLiteral("*****   Computer reads the DRAM-Module failure !   ***** ")
                        : QStringLiteral("*****   Computer reads the Tester's SPD failure !   ***** "),
                 kError};
    op.needsDocument = true;
    op.dropsParse = true;
    op.busy = module ? Scene::ModuleToComputer : Scene::ProgrammerToComputer;
    operation(op, [this, module] {
        const std::array<std::uint8_t, 256> low = readHalf(module ? 'k' : 'l');
        const int type = low[2];
        // The second half is asked for and waited for in every case; its
        // reply is used only for a 512-byte image.
        openPort();
        Asked second(conv_, request(frameMessage(module ? 'K' : 'L')));
        const std::int64_t secondAt = now();
        wholeSecondWait(3);
        frmDocument& doc = needDocument();
        DevicePanels* p = devicePanels(&doc);
        const int choice = p ? p->eepromChoice() : 0;
        const bool useUpper = choice == 2 || (choice == 0 && type == 12);
        std::optional<std::array<std::uint8_t, 256>> high;
        if (useUpper && !(high = parseDataReply(takeReply(second.handOn(), secondAt))))
            throw DeviceFailure("no usable reply");
        storeRead(doc, low, high);
        plainBox(module ? QStringLiteral("*****   Computer reads the DRAM-Module successfully !   ***** ")
                        : QStringLiteral("*****   Computer reads the Tester's SPD successfully !   ***** "));
        hideBusy();
        pollerOn();
    });
}

void DeviceOps::storeRead(frmDocument& doc, const std::array<std::uint8_t, 256>& low,
                          const std::optional<std::array<std::uint8_t, 256>>& high)
{
    const int type = low[2];
    // Both replies are good: now the document takes them.
    for (int j = 0; j < 256; ++j) {
        doc.Value_Chang(j, low[static_cast<std::size_t>(j)]);
        doc.table_chang(j);
    }
    HexGrid* grid = doc.grid();
    for (int i = 0; i < 512; ++i) {
        grid->setCellEnabled(i, true);
        grid->setCellFore(i, look::kButtonText);
        grid->setCellBack(i, look::kButtonFace);
    }
    grid->setLine4Bottom(8280);
    for (int k = 32; k < 48; ++k) {
        grid->setHeaderEnabled(k, true);
        grid->setHeaderFore(k, look::kButtonText);
    }
    if (high) {
        for (int j = 0; j < 256; ++j) {
            doc.Value_Chang(256 + j, (*high)[static_cast<std::size_t>(j)]);
            doc.table_chang(256 + j);
        }
    } else {
        for (int i = 256; i < 512; ++i) {
            doc.Value_Chang(i, 0);
            doc.table_chang(i);
        }
        for (int i = 256; i < 512; ++i) {
            grid->setCellEnabled(i, false);
            grid->setCellFore(i, look::kLightGrey);
        }
        grid->setLine4Bottom(4500);
        for (int k = 32; k < 48; ++k) {
            grid->setHeaderEnabled(k, false);
            grid->setHeaderFore(k, look::kLightGrey);
        }
    }
    // The summary is that of the image read, as when it is opened from a
    // file: the fields spread over several bytes (DDR4's fine offsets after
    // their coarse timings) are decoded once every byte is in, and the CRC
    // choice is captioned for the new image, not the old one.
    if (QRadioButton* crc = doc.Optcrc(1))
        crc->setText(QStringLiteral("CRC (0-125)"));
    doc.decodeAll();
    doc.setChecksumMode(2);
    switch (type) {
    case 4:
    case 7:
    case 8:
    case 9:
    case 11:
        doc.setChecksumMode(type == 4 || type == 7 || type == 8 ? 0 : 1);
        grid->setHeaderBack(31, look::kRed);
        grid->setHeaderBack(47, look::kButtonFace);
        break;
    case 12:
        doc.setChecksumMode(1);
        doc.Optcrc(1)->setText(QStringLiteral("CRC"));
        grid->setHeaderBack(31, look::kButtonFace);
        grid->setHeaderBack(47, look::kRed);
        break;
    default:
        break;
    }
    // The selected byte's value box shows the byte now in the image.
    doc.showSelectedByte();
    // The window holds an image that no file holds: closing it asks.
    doc.Set_form_chang(-1);
}

// ---------------------------------------------------------------- clear and blank check

void DeviceOps::EraseIC()
{
    Operation op{"EraseIC", QStringLiteral("*****  Tester's SPD clear failure !   *****      "), kError};
    // The clear works for a document window; without one nothing is sent.
    op.needsDocument = true;
    op.busy = Scene::ComputerToProgrammer;
    op.picture = [](DevicePanels& p) -> QWidget* { return p.Label134; };
    operation(op, [this, &op] {
        request(frameMessage('e'), true);
        closePort();
        wholeSecondWait(2);
        openPort();
        // The programmer does not answer the clear: that it is there is
        // known only from its answer to the last status request.
        if (!programmerAnswered())
            throw DeviceFailure("no programmer");
        plainBox(QStringLiteral("*****   Tester's SPD clear success !   *****      "));
        hideBusy(op);
        pollerOn();
    });
}

void DeviceOps::BlankIC()
{
    // Its failure is a plain box. It shows the busy panel with the pictures
    // the last operation left, and switches the poller on before its
    // success box.
    Operation op{"BlankIC", QStringLiteral("Load Data Fail"), QString()};
    op.plainFailure = true;
    op.needsDocument = true;
    operation(op, [this] {
        if (DevicePanels* p = panels()) {
            p->Frame15->show();
            p->Frame15->raise();
        }
        const Conversation::Ticket t = request(shortMessage('L'));
        const std::int64_t sentAt = now();
        wholeSecondWait(1);
        // Only a whole reply is looked at; a short one fails at its first
        // missing byte.
        const QString reply = takeReply(t, sentAt);
        for (int i = 0; i < 256; ++i) {
            if (2 * i + 1 >= reply.size())
                throw DeviceFailure("short reply");
            const int byte = digitOrZero(reply[2 * i]) * 16 + digitOrZero(reply[2 * i + 1]);
            if (byte != 255) {
                plainBox(QStringLiteral("The IC is not Blank"));
                break;
            }
        }
        pollerOn();
        plainBox(QStringLiteral("      *****   PC Load Data is OK !   *****      "));
        hideBusy();
    });
}

void DeviceOps::dis_prog() {}

// ---------------------------------------------------------------- stand-alone commands

void DeviceOps::standalone(const char* name, char letter, std::optional<Scene> scene, int seconds,
                           const QString& failText, const QString& failTitle)
{
    const bool test = letter == 'p';
    const bool version = letter == 'T';
    // The module test of a "TEST" button: its time-out counts from the
    // moment "p" goes out, never while "p" waits for the line.
    const QPointer<QTimer> timeout = test && holder_ == Holder::Test && testOwner_ ? testOwner_->Timer2() : nullptr;
    bool testSent = false;
    Operation op{name, failText, failTitle};
    op.needsDocument = true;
    op.dropsParse = test;
    op.busy = scene;
    // A button's test that never went out has no result to end it: it ends
    // after the failure box, as its time-out would end it.
    op.afterBox = [this, test, &timeout, &testSent] {
        if (test && !testSent && timeout && holder_ == Holder::Test)
            if (DevicePanels* p = devicePanels(testOwner_.data()))
                p->Timer2_Timer();
    };
    operation(op, [&] {
        if (timeout)
            timeout->stop();
        if (test) {
            owedTest(request(frameMessage(letter)));
            testSent = true;
            if (timeout && holder_ == Holder::Test)
                timeout->start();
        } else {
            request(version ? shortMessage('T') : frameMessage(letter), true);
        }
        closePort();
        wholeSecondWait(seconds);
        hideBusy();
        openPort();
        // The programmer answers none of these messages: that it is there
        // is known only from its answer to the last status request.
        if (!test && !programmerAnswered())
            throw DeviceFailure("no programmer");
        pollerOn();
    });
}

void DeviceOps::Read_Command()
{
    standalone("Read_Command", 'r', Scene::ModuleToProgrammer, 5, QStringLiteral("*****   SPD 讀取失敗 !   *****"),
               kErrorZh);
}

void DeviceOps::Copy_Command()
{
    standalone("Copy_Command", 'c', Scene::ProgrammerToModule, 5, QStringLiteral("*****   SPD 拷貝失敗 !   *****"),
               kErrorZh);
}

void DeviceOps::Verify_Command()
{
    standalone("Verify_Command", 'v', Scene::ProgrammerModuleBoth, 2, QStringLiteral("*****   SPD 比對失敗 !   *****"),
               QStringLiteral("ERROR"));
}

void DeviceOps::LEARN_Command()
{
    standalone("LEARN_Command", 'n', Scene::ComputerToProgrammer, 5,
               QStringLiteral("*****   測試機開路學習失敗 !   *****"), kErrorZh);
}

void DeviceOps::auto_test()
{
    standalone("auto_test", 'p', Scene::ProgrammerToModule, 1, QStringLiteral("*****   SPD 拷貝失敗 !   *****"), kErrorZh);
}

void DeviceOps::VERSION_Command()
{
    // No busy panel.
    standalone("VERSION_Command", 'T', std::nullopt, 5, QStringLiteral("*****   SPD 讀取失敗 !   *****"), kErrorZh);
}

// ---------------------------------------------------------------- option commands

void DeviceOps::setting(const char* name, char letter, const QString& success, const QString& failure,
                        bool withStatus)
{
    Operation op{name, failure, kErrorZh};
    op.needsDocument = true;
    op.dropsParse = withStatus;
    op.busy = Scene::ProgrammerAndHand;
    op.picture = [](DevicePanels& p) -> QWidget* { return p.Image[17]; };
    operation(op, [&] {
        request(shortMessage(letter), true);
        closePort();
        wholeSecondWait(1);
        openPort();
        wholeSecondWait(1);
        // The programmer does not answer the letter: that it is there is
        // known only from its answer to the last status request.
        if (!programmerAnswered())
            throw DeviceFailure("no programmer");
        // The two commands that ask for the status leave the poller to its
        // parse.
        if (withStatus)
            statusRequest(true, false);
        ui::msgBox(success, ui::Buttons::Ok, ui::Icon::None, kSettingTitle);
        hideBusy(op);
        if (!withStatus)
            pollerOn();
    });
}

void DeviceOps::Auto_Command()
{
    setting("Auto_Command", 'a', QStringLiteral("*****   SPD 自動序號功能已關閉  !   *****      "),
            QStringLiteral("      *****   SPD燒錄機,自動燒錄功能失敗 !   *****      "), true);
}

void DeviceOps::DISAuto_Command()
{
    setting("DISAuto_Command", 'A', QStringLiteral("*****   SPD 自動序號功能已啟動 !   *****      "),
            QStringLiteral("      *****   SPD燒錄機,自動燒錄功能失敗 !   *****      "), true);
}

void DeviceOps::en_averify_Command()
{
    setting("en_averify_Command", 'f',
            QStringLiteral("*****   自動序號比對關閉 !   *****      "),
            QStringLiteral("*****   設定失敗 !   *****"), false);
}

void DeviceOps::dis_averify_Command()
{
    setting("dis_averify_Command", 'F',
            QStringLiteral("*****   自動序號比對啟動 !   *****      "),
            QStringLiteral("*****   設定失敗 !   *****"), false);
}

void DeviceOps::auto_hex_Command()
{
    setting("auto_hex_Command", 'h',
            QStringLiteral("*****   自動序號編碼方式在十進制 !   *****      "),
            QStringLiteral("*****   設定失敗 !   *****"), false);
}

void DeviceOps::auto_dec_Command()
{
    setting("auto_dec_Command", 'H',
            QStringLiteral("*****   自動序號編碼方式在十六進制 !   *****      "),
            QStringLiteral("*****   設定失敗 !   *****"), false);
}

void DeviceOps::EN_KEY_Command()
{
    setting("EN_KEY_Command", 'y', QStringLiteral("*****   SPD主機按鍵上鎖在品管模式 (COPY,SETUP 鍵上鎖) !   *****      "),
            QStringLiteral("*****   按鍵上鎖失敗 !   *****"), false);
}

void DeviceOps::EN_KEY1_Command()
{
    setting("EN_KEY1_Command", 'z', QStringLiteral("*****   SPD主機按鍵上鎖在生產線模式 (SETUP 鍵上鎖)!   *****      "),
            QStringLiteral("*****   按鍵解鎖失敗 !   *****"), false);
}

void DeviceOps::DIS_KEY_Command()
{
    setting("DIS_KEY_Command", 'Y', QStringLiteral("*****   SPD主機按鍵上鎖在工程模式(全部按鍵解鎖) !   *****      "),
            QStringLiteral("*****   按鍵解鎖失敗 !   *****"), false);
}

void DeviceOps::EEPROM_256_Command()
{
    setting("EEPROM_256_Command", 'b',
            QStringLiteral("*****   EEPROM容量設定為256 BYTE !   *****      "),
            QStringLiteral("*****  EEPROM容量選擇失敗 !   *****"), false);
}

void DeviceOps::EEPROM_512_Command()
{
    setting("EEPROM_512_Command", 'B',
            QStringLiteral("*****   EEPROM容量設定為512 BYTE !   *****      "),
            QStringLiteral("*****  EEPROM容量選擇失敗 !   *****"), false);
}

void DeviceOps::EEPROM_DEFAULT_Command()
{
    setting("EEPROM_DEFAULT_Command", 'D',
            QStringLiteral("*****   EEPROM容量由SPD內容決定 !   *****      "),
            QStringLiteral("***** EEPROM容量選擇失敗 !   *****"), false);
}

void DeviceOps::SNUM_P_Command()
{
    setting("SNUM_P_Command", 'n',
            QStringLiteral("*****   自動序號由低至右高 !   *****      "),
            QStringLiteral("*****  自動序號選擇失敗 !   *****"), false);
}

void DeviceOps::SNUM_N_Command()
{
    setting("SNUM_N_Command", 'N',
            QStringLiteral("*****   自動序號由高至左低 !   *****      "),
            QStringLiteral("*****   自動序號選擇失敗 !   *****"), false);
}

void DeviceOps::program_Command()
{
    Operation op{"program_Command", QStringLiteral("*****   SPD 多重拷貝失敗 !   *****"), kErrorZh};
    op.needsDocument = true;
    op.busy = Scene::ProgrammerToModule;
    op.picture = [](DevicePanels& p) -> QWidget* { return p.Label99; };
    operation(op, [this, &op] {
        owedTest(request(frameMessage('p')));
        closePort();
        wholeSecondWait(1);
        pollerOn();
        wholeSecondWait(5);
        hideBusy(op);
    });
}

} // namespace device
