#pragma once
// The device operations of the main window: every exchange with the SPD
// programmer / module tester, and the handlers of the main window's three
// device timers (test-result poller, status parse, packet pacing). The main
// window owns one instance, lends it its port, timers and active document
// (DeviceHost) and forwards its public device procedures to it; the
// document's device panels call it directly.
//
// One conversation at a time: while an operation talks to the programmer,
// a device command started from a menu, a toolbar, a button or a label is
// not run, unless what holds the line is a status request the user did not
// start (one owed to a window): the command then runs once that request is
// over. Who is answered by which status request is the StatusRound's to
// say. The timers' steps run as they fall due.
//
// Everything the programmer sends is read into one Conversation, which
// knows the reply each message sent owes, in order: an operation, the
// status parse and the test-result poller each take the reply of their own
// request from it, and nothing else reads the port.
//
// Each operation works on the document that was active when it started (or
// that the calling button bound for its whole road), also when the user
// activates another window during its waits.

#include "device/StatusRound.h"
#include "rules/device/Conversation.h"
#include "rules/device/Frames.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

class frmDocument;

namespace device {

class DeviceHost;
class DevicePanels;

class DeviceOps : public QObject {
    Q_OBJECT
public:
    explicit DeviceOps(DeviceHost& host, QObject* parent = nullptr);
    ~DeviceOps() override;

    // Timer handlers of the main window.
    void Timer1_Timer();  // test-result poller, every 2000 ms
    void Timer2_Timer();  // status parse, 2000 ms after a status request
    void Timer3_Timer();  // packet pacing tick, 180 ms

    // Device operations.
    // The status request for `on`, or else for the operation's document
    // (the menu and the toolbars name the active window: within another
    // operation's wait that need not be the operation's).
    void STATUSIC(frmDocument* on = nullptr);
    // Kept on purpose, and nothing calls it: the status request with no parse.
    void TEST_STATUS();
    void Snumsetup();
    void SETUPIC();
    void ProgramIC();
    void ReadModule();
    void ReadIC();
    void EraseIC();
    void BlankIC();
    // Kept on purpose; does nothing, and nothing calls it.
    void dis_prog();
    void Read_Command();
    void VERSION_Command();
    void auto_test();
    void LEARN_Command();
    void Copy_Command();
    void Verify_Command();
    void VerifyIc();

    // The option commands: one letter each.
    void Auto_Command();
    void DISAuto_Command();
    void en_averify_Command();
    void dis_averify_Command();
    void auto_hex_Command();
    void auto_dec_Command();
    void EN_KEY_Command();
    void EN_KEY1_Command();
    void DIS_KEY_Command();
    void EEPROM_256_Command();
    void EEPROM_512_Command();
    void EEPROM_DEFAULT_Command();
    void SNUM_P_Command();
    void SNUM_N_Command();
    void program_Command();

    // ---- For the document's buttons ----
    // True while an operation talks to the programmer.
    bool talking() const { return talking_ > 0; }
    // A guarded button may start: the device idle flag says idle, nothing
    // talks, and no other button's road is running.
    bool canStartButton() const;
    // A guarded button: takes the device idle flag, runs its calls bound to
    // its document, gives the flag back. Nothing when it may not start.
    void runButton(frmDocument& doc, const std::function<void()>& calls);
    // Drops a status parse still pending: its frame is no longer read, and
    // its windows are owed a request.
    void dropStatusParse() { dropParse(); }
    // A new window's load asks for the programmer's status: it joins the
    // request under way, or has one sent now (line free) or once the line
    // is free (another conversation holds it).
    void statusForLoad(frmDocument& doc);
    // A click of the user's on a device command that may not start now.
    // When a status request the user did not start holds the line, the
    // click is run again once that request is over (the first such click;
    // later ones are lost to it, as to any command of the user's) and true
    // is returned; otherwise false, and the click is not run.
    bool deferClick(DevicePanels& from, std::function<void()> click);
    // Who is answered by which status request, and the window asked for
    // last.
    StatusRound& statusRound() { return round_; }
    // The line is free: a click held back runs, else a status request owed
    // to a window goes out (nothing while an exit waits). Runs from the
    // event loop once a conversation has ended, and when an exit that
    // waited is given up.
    void lineFreed();
    // Runs calls with every operation bound to doc (no guard taken).
    void runBound(frmDocument& doc, const std::function<void()>& calls);
    // "TEST" took the guard for a module test started from doc.
    void testStarted(frmDocument& doc);
    // doc's test time-out fell due: ends the module test only when that
    // window's test holds the guard.
    void testTimedOut(frmDocument& doc);
    bool testRunning() const { return holder_ == Holder::Test; }
    // The conversation with the programmer: every reply owed, in order.
    const Conversation& conversation() const { return conv_; }
    // Test results still to come or still to be reported.
    int resultsOwed() const { return static_cast<int>(tests_.size()); }
    // The programmer answered the last status request with a status frame.
    bool programmerAnswered();
    // Nothing is owed or on its way, and the line is in step.
    bool lineClear();

    // The whole-second wait: ends once the clock has reached the target
    // second (start second + n), between n - 1 and n seconds after it began,
    // measured on the monotonic clock, so it can neither hang nor overrun.
    static void wholeSecondWait(int n);

signals:
    // The last conversation with the programmer has ended.
    void conversationEnded();

private:
    enum class Holder { None, Button, Test };
    class Talk;
    class Bind;

    frmDocument* target() const;
    frmDocument& needDocument() const;
    DevicePanels* panels() const;

    void pollerOn();
    void pollerOff();
    void statusTimerOn();
    // A status parse still pending gives way to a command that reads the
    // line; its windows are owed a request.
    void dropParse();
    void pacingOff();
    void openPort();
    void closePort();
    void send(const QByteArray& message);
    // Sends a message and notes the reply it owes. A message that owes a
    // reply waits until the line is clear (no reply owed or on its way, the
    // line in step); one behind which the port closes waits until no reply
    // is on its way. Throws when the line does not clear.
    Conversation::Ticket request(const QByteArray& message, bool closesLine = false);
    // Waits, with the busy panel up, until clear() holds; throws when it
    // does not within kLineWaitMs.
    void awaitLine(const std::function<bool()>& clear);
    // The longest a request waits for the line: a module test's result, a
    // reply cut at its last moment, and the quiet after it.
    static constexpr std::int64_t kLineWaitMs = kTestAnswerLimitMs + 2 * kAnswerLimitMs + 1000;
    // Reads what came on the line into the conversation.
    void pump();
    static std::int64_t now();
    void pacingWait();
    // Asks for one half of an image ("l", "L", "k", "K") and takes its data
    // reply; throws when no usable reply came.
    std::array<std::uint8_t, 256> readHalf(char letter);
    // The data reply of t, asked for at sentAt, once the operation's wait is
    // over: a reply not yet come is waited for as long as it takes on the
    // line. Throws unless the whole reply came.
    QString takeReply(Conversation::Ticket t, std::int64_t sentAt);
    // Milliseconds one character takes at 9600 baud, 8N1, rounded up.
    static constexpr int kLineMsPerChar = 2;

    void hideBusy();
    // The status request. With armParse it is a round of its own (begun
    // for the operation's document, in the background when it was owed),
    // whose parse answers the round's windows.
    void statusRequest(bool armParse, bool background = false);
    // doc asks for the status (STATUSIC, a load).
    void askStatus(frmDocument* doc, bool transferPanel);
    // A status request of its own for doc, bound to it.
    void sendStatus(frmDocument* doc, bool background);
    void readInto(bool module);
    void standalone(char letter, int scene, int seconds, const QString& failText, const QString& failTitle);
    void setting(char letter, const QString& success, const QString& failure, bool withStatus);
    void failBox(const QString& text, const QString& title);

    // Writes the report on the window whose test it answers (else the
    // active one) and returns that window.
    QPointer<frmDocument> showReport(const TestResult& r, frmDocument* owner, bool endsTest);
    // A module test's result is owed: it goes to the window whose test it
    // answers.
    void owedTest(Conversation::Ticket t);
    void applyStatusFrame(frmDocument* doc, const StatusFrame& f);
    void releaseTest();

    DeviceHost& main_;
    int talking_ = 0;
    QPointer<frmDocument> bound_;
    bool bindingActive_ = false;
    Holder holder_ = Holder::None;
    QPointer<frmDocument> testOwner_;
    QMetaObject::Connection testClosed_;
    QMetaObject::Connection testDestroyed_;
    bool inReport_ = false;

    Conversation conv_;
    bool pumping_ = false;
    StatusRound round_{conv_};
    // A click held back while a status request the user did not start
    // held the line.
    struct HeldClick {
        QPointer<DevicePanels> from;
        QPointer<frmDocument> doc;
        std::function<void()> click;
    };
    HeldClick heldClick_;
    // The module tests whose results are owed, oldest first, with the
    // window each answers.
    struct OwedTest {
        Conversation::Ticket ticket;
        QPointer<frmDocument> owner;
    };
    std::deque<OwedTest> tests_;
    // The test whose report ends the running test.
    Conversation::Ticket runningTest_ = 0;
};

} // namespace device
