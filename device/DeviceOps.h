#pragma once
// The device operations of the main window: every exchange with the SPD
// programmer / module tester, and the handlers of the main window's three
// device timers (test-result poller, status parse, packet pacing). The main
// window owns one instance, lends it its port, timers and active document
// (DeviceHost) and forwards its public device procedures to it; the
// document's device panels call it directly.
//
// One conversation at a time: while an operation talks to the programmer,
// a device command started from a button or a label is not run, unless
// what holds the line is a status request the user did not start (one
// owed to a window): the command then runs once that request is over. A
// status request asked for meanwhile (a load, "Reconnection") joins the
// one under way or is owed one. Who is answered by which status request is
// the StatusRound's to say. The timers' steps run as they fall due.
//
// The waits, and what may run inside them. Every wait processes window
// events. The guards: Talk (talking(): one conversation), Bind (the
// operation's document, held open by frmDocument::Hold), the holder (a
// button's road or a module test holds the device: canStartButton() is
// false, the idle flag 0), inReport_ (a test report shows), pumping_ (the
// port is being read).
//
//   wait                     where                      guards held
//   -----------------------  -------------------------  --------------------
//   wholeSecondWait(n)       status request (1+1),      Talk, Bind; the
//                            settings (1), clear (2),   holder when a button
//                            blank check (1), reads     or TEST started it
//                            (3 a half), stand-alone
//                            and option commands
//   pacingWait()             SETUPIC (1), ProgramIC     Talk, Bind, holder
//                            (32 packets)
//   awaitLine()              request() until the line   Talk, Bind, holder
//                            clears (at most            (busy panel shown)
//                            kLineWaitMs)
//   takeReply()              reads, blank check         Talk, Bind, holder
//   an operation's box       success and failure        Talk, Bind, holder
//   the parse's box          Timer2_Timer               the askers held open
//                                                       (no Talk)
//   the report's 2 s         showReport (poller)        inReport_, the
//                                                       report's window held
//
// What may run inside any of them:
//   - menus: all. "Reconnection" and the toolbars' CONNECT join the status
//     round under way or are owed a request; "SPD Function Setup" and "IO
//     Tester Setup" switch the active window's panels; New, Open and the
//     wizard load a window, whose status request joins or is owed; Close
//     and Close All close a held window once its work has ended; Exit
//     waits until no operation talks, and neither an owed request nor a
//     click held back goes out while it waits (they go on if it is given
//     up). A window whose close is undecided (pending, or at its save
//     question) is owed no request; a click held for it waits for the
//     decision and runs if the window is kept (DeviceHost::workable).
//   - other windows' (and this window's) buttons: the guarded buttons,
//     TEST, SETUP and the caption-less label do not run (canStartButton(),
//     talking()); behind an owed status request they run once it is over
//     (deferClick). The panel switches, "Status" and "Reset" run.
//   - timers: the poller (Timer1; off during the operations that switch it
//     off, skips its tick while a report shows); the status parse (Timer2;
//     falls due in other operations' waits, as in the write's packets; a
//     read, verify, test or Auto command drops it first); the packet
//     pacing (Timer3, inside pacingWait only); each window's re-decode and
//     test time-out (the time-out ends only its own window's test).
//   - closes: a window held by an operation closes when the operation has
//     ended; closing the window of a running test gives the device back.
//   - the port's signals: whatever comes is read into the conversation
//     (pump(), not re-entered).
//
// Everything the programmer sends is read into one Conversation, which
// knows the reply each message sent owes, in order: an operation, the
// status parse and the test-result poller each take the reply of their own
// request from it, and nothing else reads the port.
//
// Each operation works on the document that was active when it started (or
// that the calling button bound for its whole road), also when the user
// activates another window during its waits.

#include "device/DocumentPanels.h"
#include "device/StatusRound.h"
#include "rules/device/Conversation.h"
#include "rules/device/Frames.h"
#include "state/SpdImage.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <utility>
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
    // operation's wait that need not be the operation's); with
    // transferPanel ("Write =>") its answer shows the SPD transfer panel.
    void STATUSIC(bool transferPanel = false, frmDocument* on = nullptr);
    // The status request with no parse: its frame is read and dropped. No
    // menu or button calls it.
    void TEST_STATUS();
    // The serial set-up, the image write and the read-back work on the
    // operation's document as it is; "Write =>" gives them the image as it
    // was at its click instead, which an edit during their waits leaves
    // alone, and its read-back reports a transfer.
    void Snumsetup();
    void Snumsetup(const velmora::SpdImage& written);
    void SETUPIC();
    void ProgramIC();
    void ProgramIC(const velmora::SpdImage& written);
    void ReadModule();
    void ReadIC();
    void EraseIC();
    void BlankIC();
    // Does nothing; no menu or button calls it.
    void dis_prog();
    void Read_Command();
    void VERSION_Command();
    void auto_test();
    void LEARN_Command();
    void Copy_Command();
    void Verify_Command();
    void VerifyIc();
    void VerifyIc(const velmora::SpdImage& written);

    // The option commands: one letter each. No menu or button sends them.
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
    // A guarded button may start: nothing talks, and neither another
    // button's road nor a module test holds the device.
    bool canStartButton() const;
    // A guarded button: holds the device (the idle flag says busy), runs
    // its calls bound to its document, gives the device back however they
    // end. Nothing when it may not start.
    void runButton(frmDocument& doc, const std::function<void()>& calls);
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
    // to a window goes out. Nothing runs while an exit waits, or while the
    // close of the click's window is undecided: they wait, and go on if the
    // exit or the close is given up. Runs from the event loop once a
    // conversation has ended, when an exit is given up, and when a window
    // is kept at its save question or has closed.
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
    // Opens the port for a timer's tick when it is closed; one that cannot
    // be opened stays closed and the tick goes on.
    void openPortForTick(const char* tick);
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
    void statusRequest(bool armParse, bool transferPanel = false, bool background = false);
    // doc asks for the status (STATUSIC, a load).
    void askStatus(frmDocument* doc, bool transferPanel);
    // A status request of its own for doc, bound to it.
    void sendStatus(frmDocument* doc, bool transferPanel, bool background);
    void readInto(bool module);
    // Byte i of the image written, when one is given, else of doc.
    static int imageByte(const frmDocument& doc, const velmora::SpdImage* written, int i);
    void serialSetup(const velmora::SpdImage* written);
    void programImage(const velmora::SpdImage* written);
    void readBack(const velmora::SpdImage* written);
    // The document takes the image a read brought.
    static void storeRead(frmDocument& doc, const std::array<std::uint8_t, 256>& low,
                          const std::optional<std::array<std::uint8_t, 256>>& high);
    void standalone(const char* name, char letter, std::optional<Scene> scene, int seconds, const QString& failText,
                    const QString& failTitle);
    void setting(const char* name, char letter, const QString& success, const QString& failure, bool withStatus);
    void failBox(const QString& text, const QString& title);

    // How an operation opens and closes. It talks alone (it does not run
    // while another one talks), bound to its document. It opens: the
    // poller off, its document looked for, a pending status parse dropped,
    // its busy panel shown, the port opened (each as it says). When it
    // fails: its busy panel hidden, its box, the poller on again. Its body
    // ends its success road itself, which differs from one operation to the
    // next.
    struct Operation {
        Operation(const char* what, QString text, QString title)
            : name(what)
            , failText(std::move(text))
            , failTitle(std::move(title))
        {
        }
        const char* name;            // what ran, for the trace of a fault
        QString failText;
        QString failTitle;           // the box has the error icon and this title ...
        bool plainFailure = false;   // ... or none: a plain box
        bool pollerOff = true;       // false: the poller is left as it is
        bool needsDocument = false;  // without a document window it fails at once
        bool dropsParse = false;     // a pending status parse gives way to it
        std::optional<Scene> busy;   // the busy panel's scene, shown as it starts
        QWidget* (*picture)(DevicePanels&) = nullptr;  // shown and hidden with the busy panel
        std::function<void()> afterBox;                 // a step after the failure box
    };
    void operation(const Operation& op, const std::function<void()>& body);
    // Hides the busy panel and the operation's own picture.
    void hideBusy(const Operation& op);
    // Runs body. A failure it expects (a step that could not go on, the
    // port's error) ends it through failed; so does any other fault, which
    // is traced on standard error with what ran.
    static void guarded(const char* name, const std::function<void()>& body, const std::function<void()>& failed);

    // Writes the report on the window whose test it answers (else the
    // active one) and returns that window.
    QPointer<frmDocument> showReport(const TestResult& r, frmDocument* owner, bool endsTest);
    // A module test's result is owed: it goes to the window whose test it
    // answers.
    void owedTest(Conversation::Ticket t);
    void applyStatusFrame(frmDocument* doc, const StatusFrame& f);
    void releaseTest();
    // Who holds the device; the program-wide idle flag follows it.
    void setHolder(Holder h);

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
