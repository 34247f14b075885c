// The main window's SPD wizard command: the wizard dialog, then a new
// document that the image builders fill from the wizard's answers.

#include "app/frmMain.h"

#include "document/frmDocument.h"
#include "platform/Ui.h"
#include "rules/wizard/ImageBuilders.h"
#include "state/Globals.h"
#include "wizard/Frmwarez1.h"

#include <QPointer>
#include <QScopeGuard>
#include <QTimer>

using velmora::gs;

void frmMain::mnuFileWarez_Click()
{
    // Restricted mode bars the wizard, from the menu and the toolbars alike.
    if (gs().passwordMode != -1)
        return;
    // An exit asked for while the wizard runs waits for it.
    ++wizardRuns_;
    const auto done = qScopeGuard([this] {
        --wizardRuns_;
        QTimer::singleShot(0, this, &frmMain::retryPendingExit);
    });
    auto& g = gs();
    g.wizardFinished = 0;
    g.wizardAnswers.fill(0);

    QPointer<Frmwarez1> dialog = new Frmwarez1(this);
    ui::seam().exec(dialog);
    delete dialog.data();
    if (g.wizardFinished != -1)
        return;

    // What this "Finish" chose goes into the window made for it: the new
    // window's status request lets window events run, so neither the active
    // window nor the program-wide answers are read after it.
    const auto answers = g.wizardAnswers;
    const auto texts = g.wizardTexts;
    QPointer<frmDocument> doc = NewDocumentWindow();
    if (!doc)
        return;  // closed again while its status request waited
    warez_set(*doc, answers, texts);
    doc->Set_form_chang(-1);
}

void frmMain::warez_set(frmDocument& doc, const std::array<std::int16_t, 16>& answers,
                        const std::array<QString, 3>& texts)
{
    const wizard::BuiltImage built = wizard::buildImage(answers, texts);

    for (int i = 0; i <= built.greenLast; ++i)
        doc.Set_Value_color_diff(i);
    switch (built.typeCode) {
    case 4: doc.DDR3_LANG(); break;
    case 5: doc.DDR4_LANG(); break;
    default: doc.DDR2_LANG(); break;
    }
    // The DDR3 and DDR4 builders read an empty identifier as two blanks and
    // leave that text behind.
    if (built.typeCode != 2 && gs().wizardTexts[0].isEmpty())
        gs().wizardTexts[0] = QStringLiteral("  ");

    writeBuiltImage(doc, built);
    // SDRAM and DDR images too take the DDR2 code until a cell click names
    // their own; the switch computes the CRC bytes when CRC is selected.
    doc.Type_Chang(built.typeCode);
}

void frmMain::writeBuiltImage(frmDocument& doc, const wizard::BuiltImage& built)
{
    for (int i = 0; i <= built.lastByte; ++i)
        if (!(built.checksum63 && i == 63))
            doc.Value_Chang(i, built.image[static_cast<std::size_t>(i)]);
    if (built.checksum63)
        doc.cal_chksum63();
    for (int i = 0; i <= built.lastByte; ++i)
        doc.table_chang(i);
    if (built.selectCrc)
        doc.setChecksumMode(1);
}
