// The main window's "XMP View" command: the active document is copied into
// the shared SPD buffer and the one XMP view shows it.

#include "app/frmMain.h"
#include "document/frmDocument.h"
#include "editors/Frmxmp.h"
#include "platform/Fault.h"

#include <exception>

void frmMain::mnu_xmp_view_Click()
{
    try {
        // The document asked about decides, by its own memory type byte; with
        // no document the command is refused the same way.
        frmDocument* doc = xmpDocument();
        if (!doc)
            return;
        doc->xmp_spd_load();

        // One view at a time: an open view shows the document now chosen.
        Frmxmp* view = nullptr;
        for (Frmxmp* v : findChildren<Frmxmp*>(QString(), Qt::FindDirectChildrenOnly))
            if (!v->isUnloaded())
                view = v;
        const bool opening = !view;
        if (opening)
            view = new Frmxmp(this);
        view->Form_Load();
        if (view->isUnloaded())
            return;
        // A view that opens stands over the main window and on the screen;
        // one already open stays where the user left it.
        if (opening)
            view->placeOver(this);
        if (view->isMinimized())
            view->showNormal();
        view->show();
        view->raise();
        view->activateWindow();
    } catch (const std::exception& e) {
        // Nothing here throws on purpose: a fault, traced; the window stays.
        platform::reportFault(QStringLiteral("XMP View"), e);
    }
}
