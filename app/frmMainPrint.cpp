// The "Print" command: the active document's SPD image as the byte report
// of its memory type, on the printer (or PDF file) chosen in the print
// dialog.

#include "app/frmMain.h"
#include "app/frmMainHelp.h"
#include "document/frmDocument.h"
#include "platform/Printer.h"
#include "platform/Ui.h"
#include "rules/report/ReportPrinters.h"
#include "rules/report/ReportTables.h"

#include <QPointer>
#include <QPrinter>

namespace {

void reportPrintFailure(QWidget* owner, const QString& destination)
{
    QString text = QStringLiteral("*****   The report can not be printed !   *****");
    if (!destination.isEmpty())
        text += QStringLiteral("\n\n") + destination;
    ui::msgBox(text, ui::Buttons::Ok, ui::Icon::Critical, QStringLiteral("Error"), owner);
}

} // namespace

void frmMain::mnuFilePrint_Click()
{
    // Only an SPD document prints; without one nothing happens.
    QPointer<frmDocument> doc = ActiveForm();
    if (!doc)
        return;

    // The window stays open while the print dialog asks.
    const frmDocument::Hold hold(doc);
    QPrinter printer(QPrinter::HighResolution);
    // The job and the PDF file are titled with the document's name, without
    // the modified mark.
    printer.setDocName(report::fileNameOf(doc->unmarkedCaption()));
    const bool chosen = ui::seam().choosePrinter(this, &printer);
    report::loadAllTables();
    if (!chosen || !doc)
        return;

    report::ReportSource source;
    source.caption = doc->windowTitle();
    source.image = doc->image();
    source.webAddress = QString::fromLatin1(help::kWebAddress);

    platform::QtPrinter out(printer);
    if (!out.begin()) {
        reportPrintFailure(this, out.destination());
        return;
    }
    report::printReport(out, report::lineTables(), source);
    if (!out.endDoc())
        reportPrintFailure(this, out.destination());
}
