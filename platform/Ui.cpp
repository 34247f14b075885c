#include "platform/Ui.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <climits>

namespace ui {

namespace {
QtSeam& realSeam()
{
    static QtSeam s;
    return s;
}
Seam* current = nullptr;
} // namespace

QString programTitle() { return QStringLiteral("Velmora"); }

Seam& seam() { return current ? *current : realSeam(); }
void setSeam(Seam* s) { current = s; }

Answer msgBox(const QString& text, Buttons buttons, Icon icon, const QString& title, QWidget* parent)
{
    Message m;
    m.text = text;
    m.title = title.isNull() ? programTitle() : title;
    m.icon = icon;
    m.buttons = buttons;
    return seam().message(parent, m);
}

QString inputBox(const QString& prompt, const QString& title, QWidget* parent)
{
    return seam().input(parent, InputRequest{prompt, title, QString()});
}

QStringList qtFilters(const QString& filter)
{
    QStringList out;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        // A description that already names its pattern is used as it is.
        if (parts[i].contains(QLatin1Char('(') + pattern + QLatin1Char(')')))
            out << parts[i];
        else
            out << QStringLiteral("%1 (%2)").arg(parts[i], pattern);
    }
    return out;
}

int titleBarWidth(const QString& title)
{
    if (title.isEmpty())
        return 0;
    QFont f = QApplication::font("QMdiSubWindowTitleBar");
    f.setBold(true);
    const int bar = std::max(QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight),
                             QFontMetrics(f).height() + 8);
    // The icon and three buttons, each about as wide as the bar is high,
    // and a margin at each end of the bar.
    return QFontMetrics(f).horizontalAdvance(title) + 4 * bar + 2 * 8;
}

namespace {
// Qt's message box wraps every text wider than half the screen (at most
// 500 px) at a blank, so that the closing asterisks of a framed text stood
// on a line of their own. This box is as wide as its text: each line stays
// whole, a text's own line breaks stay, and only a line wider than the
// screen is left to Qt's wrapping. It is also as wide as its title, which
// the window manager would otherwise cut short ("XMP Pr... Setting").
class TextWideBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* e) override
    {
        QMessageBox::showEvent(e);
        fit();
    }
    void changeEvent(QEvent* e) override
    {
        QMessageBox::changeEvent(e);
        if (isVisible())
            fit();
    }
    bool event(QEvent* e) override
    {
        // Qt's box sizes itself again on every layout request; this one
        // keeps the size of its text.
        if (e->type() == QEvent::LayoutRequest) {
            const bool done = QDialog::event(e);
            if (isVisible())
                fit();
            return done;
        }
        return QMessageBox::event(e);
    }

private:
    void fit()
    {
        QLabel* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        if (!label || !layout())
            return;
        if (label->wordWrap()) {
            label->setWordWrap(false);
            layout()->invalidate();
        }
        layout()->activate();
        const QSize need = layout()->totalMinimumSize();
        const QRect room = screen() ? screen()->availableGeometry() : QRect();
        if (room.isValid() && need.width() > room.width()) {
            label->setWordWrap(true);
        } else {
            const int title = std::min(titleBarWidth(windowTitle()), room.isValid() ? room.width() : INT_MAX);
            const QSize fixed(std::max({need.width(), width(), title}), need.height());
            if (fixed != size() || minimumSize() != fixed || maximumSize() != fixed)
                setFixedSize(fixed);
        }
        QCoreApplication::removePostedEvents(this, QEvent::LayoutRequest);
    }
};
} // namespace

std::unique_ptr<QMessageBox> messageBox(QWidget* parent, const Message& m)
{
    auto box = std::make_unique<TextWideBox>(parent ? parent : QApplication::activeWindow());
    box->setText(m.text);
    box->setWindowTitle(m.title);
    switch (m.icon) {
    case Icon::None: box->setIcon(QMessageBox::NoIcon); break;
    case Icon::Critical: box->setIcon(QMessageBox::Critical); break;
    case Icon::Warning: box->setIcon(QMessageBox::Warning); break;
    case Icon::Information: box->setIcon(QMessageBox::Information); break;
    case Icon::Question: box->setIcon(QMessageBox::Question); break;
    }
    switch (m.buttons) {
    case Buttons::Ok: box->setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box->setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Buttons::YesNoCancel:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    return box;
}

Answer QtSeam::message(QWidget* parent, const Message& m)
{
    std::unique_ptr<QMessageBox> box = messageBox(parent, m);
    // A box whose owner goes while it shows goes with it.
    const QPointer<QMessageBox> alive(box.get());
    const int r = box->exec();
    if (!alive)
        (void)box.release();
    switch (r) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default: break;
    }
    // A box closed by its close button answers what Escape would.
    if (m.buttons == Buttons::YesNo && r != QMessageBox::Yes)
        return Answer::No;
    return r == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

QString QtSeam::input(QWidget* parent, const InputRequest& r)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent ? parent : QApplication::activeWindow(), r.title,
                                               r.prompt, QLineEdit::Normal, r.defaultText, &ok);
    return ok ? text : QString();
}

QString QtSeam::file(QWidget* parent, const FileRequest& r)
{
    const QStringList filters = qtFilters(r.filter);
    QString selected;
    if (r.filterIndex >= 1 && r.filterIndex <= filters.size())
        selected = filters[r.filterIndex - 1];
    QWidget* owner = parent ? parent : QApplication::activeWindow();
    // No default extension is added and the name is taken as typed.
    const auto options = QFileDialog::Options();
    if (r.save)
        return QFileDialog::getSaveFileName(owner, r.title, r.folder, filters.join(QStringLiteral(";;")),
                                            &selected, options);
    return QFileDialog::getOpenFileName(owner, r.title, r.folder, filters.join(QStringLiteral(";;")),
                                        &selected, options);
}

int QtSeam::exec(QDialog* dialog) { return dialog->exec(); }

bool QtSeam::choosePrinter(QWidget* parent, QPrinter* printer)
{
    QPrintDialog dlg(printer, parent ? parent : QApplication::activeWindow());
    dlg.setWindowTitle(QStringLiteral("Print"));
    // The reports are printed whole: no page range, selection or current page.
    dlg.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dlg.setOption(QAbstractPrintDialog::PrintSelection, false);
    dlg.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dlg.exec() == QDialog::Accepted;
}

} // namespace ui
