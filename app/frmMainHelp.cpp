// The main window's side windows: port options, about box, help, web link,
// error mail and the pin-map viewers.

#include "app/frmMain.h"

void frmMain::mnuViewOptions_Click() {}
void frmMain::MNU_ICMAP_Click() {}
void frmMain::MNU_MDMAP_Click() {}
void frmMain::mnuHelpAbout_Click() {}
void frmMain::mnuHelpContents_Click() {}
void frmMain::mnuHelpSearchForHelpOn_Click() {}
void frmMain::mnuViewWebBrowser_Click() {}
