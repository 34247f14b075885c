#include "platform/Ui.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

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

Answer QtSeam::message(QWidget* parent, const Message& m)
{
    QMessageBox box(parent ? parent : QApplication::activeWindow());
    box.setText(m.text);
    box.setWindowTitle(m.title);
    switch (m.icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (m.buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    const int r = box.exec();
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
