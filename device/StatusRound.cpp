#include "device/StatusRound.h"

#include "document/frmDocument.h"

#include <algorithm>
#include <utility>

namespace device {

StatusRound::StatusRound(Conversation& conversation)
    : conv_(conversation)
{
}

bool StatusRound::open(const frmDocument* doc)
{
    return doc && !doc->isClosedForGood() && !doc->closeUndecided();
}

void StatusRound::add(std::vector<Asker>& to, frmDocument* doc, bool transferPanel)
{
    // Windows gone meanwhile are nobody's to answer.
    std::erase_if(to, [](const Asker& a) { return a.doc.isNull(); });
    if (!doc)
        return;
    for (Asker& a : to)
        if (a.doc == doc) {
            a.transferPanel = a.transferPanel || transferPanel;
            return;
        }
    to.push_back({doc, transferPanel});
}

StatusRound::Answer StatusRound::ask(frmDocument* doc, bool transferPanel, bool lineTaken)
{
    // The request of this round is on the line, or its parse will come
    // while another conversation runs: it answers doc too.
    if (doc && (phase_ == Phase::Sending || (phase_ == Phase::ParsePending && lineTaken))) {
        add(askers_, doc, transferPanel);
        return Answer::Join;
    }
    if (!lineTaken)
        return Answer::Send;
    add(owed_, doc, transferPanel);
    return Answer::Owe;
}

void StatusRound::begin(frmDocument* doc, bool transferPanel, bool background)
{
    drop(true);
    askers_ = std::exchange(owed_, {});
    add(askers_, doc, transferPanel);
    phase_ = Phase::Sending;
    background_ = background;
}

void StatusRound::armed(Conversation::Ticket t)
{
    conv_.release(ticket_);
    ticket_ = t;
    phase_ = Phase::ParsePending;
}

void StatusRound::drop(bool askAgain)
{
    conv_.release(ticket_);
    ticket_ = 0;
    if (askAgain)
        for (const Asker& a : askers_)
            add(owed_, a.doc.data(), a.transferPanel);
    askers_.clear();
    phase_ = Phase::Idle;
    background_ = false;
}

std::vector<StatusRound::Asker> StatusRound::takeParse(Conversation::Ticket& ticket)
{
    ticket = std::exchange(ticket_, 0);
    phase_ = Phase::Idle;
    background_ = false;
    return std::exchange(askers_, {});
}

frmDocument* StatusRound::owedOnBehalf() const
{
    for (auto it = owed_.rbegin(); it != owed_.rend(); ++it)
        if (open(it->doc.data()))
            return it->doc.data();
    return nullptr;
}

void StatusRound::askedFor(frmDocument* doc)
{
    // A window whose close is pending stays on the list: the user may keep
    // it yet.
    std::erase_if(asked_, [doc](const QPointer<frmDocument>& d) { return !d || d->isClosedForGood() || d == doc; });
    asked_.emplace_back(doc);
}

frmDocument* StatusRound::front() const
{
    for (auto it = asked_.rbegin(); it != asked_.rend(); ++it)
        if (open(it->data()))
            return it->data();
    return nullptr;
}

} // namespace device
