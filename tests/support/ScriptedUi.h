#pragma once
// A seam for tests: records every box, input box, file dialog and modal
// window the program shows, and answers each from a script (or with a
// default when the script is empty).

#include "platform/Ui.h"

#include <QDialog>
#include <QString>
#include <deque>
#include <functional>
#include <vector>

class ScriptedUi : public ui::Seam {
public:
    ScriptedUi() { ui::setSeam(this); }
    ~ScriptedUi() override { ui::setSeam(nullptr); }

    // What was shown, in order.
    std::vector<ui::Message> messages;
    std::vector<ui::InputRequest> inputs;
    std::vector<ui::FileRequest> files;
    std::vector<QString> dialogs;  // object names of modal windows run

    // Answers, taken in order; when empty the default is used.
    std::deque<ui::Answer> answers;
    std::deque<QString> inputAnswers;
    std::deque<QString> fileAnswers;
    // Run on a modal window instead of its own event loop; returns the result
    // code. Without a handler the window is rejected.
    std::deque<std::function<int(QDialog*)>> dialogHandlers;
    bool printerAnswer = false;
    // Called as each box comes up.
    std::function<void(const ui::Message&)> onMessage;
    // Called once its answer has been taken, while the box is still open:
    // a real box runs the event loop under it, and with it what was queued
    // (a report's end, a window's close, an exit's retry).
    std::function<void(const ui::Message&)> whileOpen;

    ui::Answer message(QWidget*, const ui::Message& m) override
    {
        messages.push_back(m);
        if (onMessage)
            onMessage(m);
        ui::Answer a = ui::Answer::Ok;
        if (!answers.empty()) {
            a = answers.front();
            answers.pop_front();
        } else if (m.buttons == ui::Buttons::YesNo || m.buttons == ui::Buttons::YesNoCancel) {
            a = ui::Answer::Yes;
        }
        // A box asked meanwhile may set another.
        if (const auto open = whileOpen)
            open(m);
        return a;
    }

    QString input(QWidget*, const ui::InputRequest& r) override
    {
        inputs.push_back(r);
        if (inputAnswers.empty())
            return QString();
        const QString a = inputAnswers.front();
        inputAnswers.pop_front();
        return a;
    }

    QString file(QWidget*, const ui::FileRequest& r) override
    {
        files.push_back(r);
        if (fileAnswers.empty())
            return QString();
        const QString a = fileAnswers.front();
        fileAnswers.pop_front();
        return a;
    }

    int exec(QDialog* d) override
    {
        dialogs.push_back(d->objectName());
        if (dialogHandlers.empty()) {
            d->reject();
            return QDialog::Rejected;
        }
        auto h = dialogHandlers.front();
        dialogHandlers.pop_front();
        return h(d);
    }

    bool choosePrinter(QWidget*, QPrinter*) override { return printerAnswer; }

    QString lastText() const { return messages.empty() ? QString() : messages.back().text; }
};
