// The main window's "XMP Wizards" command: the XMP wizard on a copy of the
// active document, and the copy-back of the XMP block into that document.

#include "app/frmMain.h"

#include "state/Globals.h"
#include "document/frmDocument.h"
#include "editors/frmxmp_wiz.h"
#include "platform/Look.h"
#include "platform/Ui.h"
#include "rules/editors/XmpBlock.h"

#include <QPointer>

using velmora::gs;

void frmMain::mnu_xmp_wiz_Click()
{
    gs().xmpChanged = 0;
    // The wizard changes a document, which restricted mode does not allow,
    // whether the command comes from the menu or a toolbar.
    if (gs().passwordMode != -1)
        return;

    // The active document's own memory type decides, not the type of the
    // document decoded last.
    QPointer<frmDocument> doc = xmpDocument();
    if (!doc)
        return;
    const int type = doc->Get_Value(2);
    // The window stays open while the wizard works on its copy.
    const frmDocument::Hold hold(doc);
    doc->xmp_spd_load();
    {
        frmxmp_wiz wizard(this);
        ui::seam().exec(&wizard);
    }
    if (gs().xmpChanged != -1 || !doc)
        return;

    const int first = type == 11 ? xmp::ddr3::kFirst : xmp::ddr4::kFirst;
    const int last = type == 11 ? xmp::ddr3::kLast : xmp::ddr4::kLast;
    const velmora::SpdImage before = doc->image();
    copyBack(*doc, first, last, look::kLavender);
    // Nothing is decoded again and no checksum or CRC is recomputed (the CRCs
    // end below the block); a block that changed makes the document modified.
    if (doc->image() != before)
        doc->Set_form_chang(-1);
}
