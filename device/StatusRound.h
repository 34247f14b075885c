#pragma once
// The programmer's status as one round: which windows the status request
// under way answers, which are owed a request once the line is free, and
// which window was asked for last. Every decision on who is answered by
// what is made here; the device operations carry it out (they send the
// request, run the parse timer and arrange the windows the parse hands
// them).
//
// A round goes Idle -> Sending (the request "q" and its two seconds of
// waits) -> ParsePending (the status timer runs) -> Idle (the parse took
// its askers). A window that asks meanwhile joins the round; one that asks
// while another conversation holds the line, and one whose round was
// dropped, is owed a request. A new request takes every owed window in,
// so that each window is answered by exactly one request.

#include "rules/device/Conversation.h"

#include <QPointer>
#include <vector>

class frmDocument;

namespace device {

class StatusRound {
public:
    enum class Phase { Idle, Sending, ParsePending };

    // A window that waits for the status; with transferPanel the answer
    // shows its SPD transfer panel instead of its test panel.
    struct Asker {
        QPointer<frmDocument> doc;
        bool transferPanel = false;
    };

    // What a window that asks for the status is to do.
    enum class Answer {
        Send,  // the line is free: a request goes out for it now (begin())
        Join,  // it takes the answer of the round under way
        Owe,   // another conversation holds the line: it is owed a request
    };

    explicit StatusRound(Conversation& conversation);

    Phase phase() const { return phase_; }
    // The round under way was sent for windows that were owed a request,
    // not by a command of the user's.
    bool background() const { return phase_ != Phase::Idle && background_; }

    // doc asks for the status; lineTaken: a conversation with the
    // programmer holds the line. A round whose request is being sent, or
    // whose parse is pending while the line is taken, takes doc in;
    // otherwise doc is owed a request when the line is taken, and one goes
    // out for it now when it is free. A window without a document asks for
    // nobody: it is told to send, or nothing.
    Answer ask(frmDocument* doc, bool transferPanel, bool lineTaken);

    // A request goes out for doc (none: for nobody). A round still pending
    // gives way to it, and it answers that round's windows and every
    // window owed a request as well.
    void begin(frmDocument* doc, bool transferPanel, bool background = false);
    // The request went out and waited: its parse is pending on ticket t.
    void armed(Conversation::Ticket t);
    // The round ends without a parse (its request could not go out, or
    // its parse gives way to a command that reads the line). With askAgain
    // its windows are owed a request; otherwise they have had their answer
    // (the failure box) and are forgotten.
    void drop(bool askAgain);
    // The parse: the round's windows, in the order they asked, and its
    // ticket, which the caller releases.
    std::vector<Asker> takeParse(Conversation::Ticket& ticket);

    // A window is owed a request and still open: the last one that asked,
    // on whose behalf the request goes out.
    frmDocument* owedOnBehalf() const;

    // The window asked for last (made, or brought forward by a second Open
    // of its file) is in front when the loads end.
    void askedFor(frmDocument* doc);
    // The window asked for last that is still open, or nullptr.
    frmDocument* front() const;

    // doc is still open: a window whose close is asked for and not yet
    // decided (it waits for the work that holds it, or its save question is
    // open) counts as closed for an owed request and for the front.
    static bool open(const frmDocument* doc);

private:
    static void add(std::vector<Asker>& to, frmDocument* doc, bool transferPanel);

    Conversation& conv_;
    Phase phase_ = Phase::Idle;
    bool background_ = false;
    Conversation::Ticket ticket_ = 0;
    std::vector<Asker> askers_;
    std::vector<Asker> owed_;
    std::vector<QPointer<frmDocument>> asked_;
};

} // namespace device
