// The main window's "Manufacturer Information" command: the active document's
// image goes into the shared SPD buffer, the manufacturer dialog edits it, and
// a confirmed Setup or Clear comes back into the document as the type's
// manufacturer block.

#include "app/frmMain.h"

#include "state/Globals.h"
#include "document/frmDocument.h"
#include "editors/frmmft.h"
#include "platform/Fault.h"
#include "platform/Look.h"
#include "platform/Ui.h"
#include "rules/editors/MftRules.h"

#include <QPointer>
#include <exception>

using velmora::gs;

void frmMain::mnu_mft_setup_Click()
{
    // No active document ends the command silently. Nothing here throws on
    // purpose: an exception is a fault, which ends the command and is traced.
    try {
        QPointer<frmDocument> doc = ActiveForm();
        if (!doc)
            return;
        // The window stays open while the dialog works on its copy.
        const frmDocument::Hold hold(doc);
        doc->xmp_spd_load();
        // The block follows this document's type byte, whatever other
        // windows decode while the dialog is open.
        const int type = gs().currentMemoryType;
        gs().mftSetup = 0;
        {
            frmmft dlg(this);
            dlg.Form_Load();
            ui::seam().exec(&dlg);
        }
        // Only full rights write back, whichever road (menu or toolbar) led
        // here.
        if (gs().mftSetup != -1 || gs().passwordMode != -1 || !doc)
            return;
        const auto range = mft::blockRange(type);
        if (!range)
            return;
        const velmora::SpdImage before = doc->image();
        copyBack(*doc, range->first, range->last, look::kGreen);
        doc->Type_Chang(mft::typeCodeOf(type));
        // A write-back that changed the image must not be lost on close.
        if (doc->image() != before)
            doc->Set_form_chang(-1);
    } catch (const std::exception& e) {
        platform::reportFault(QStringLiteral("Manufacturer Information"), e);
    }
}
