// The main window's device procedures and device menus: each forwards to the
// device operations.

#include "app/frmMain.h"
#include "device/DeviceOps.h"

void frmMain::mnuConnection_Click() { STATUSIC(); }
void frmMain::mnu_io_setup_Click() {}
void frmMain::mnu_spd_setup_Click() {}

// ---- Device procedures ----
void frmMain::STATUSIC() { ops_->STATUSIC(); }
void frmMain::TEST_STATUS() { ops_->TEST_STATUS(); }
void frmMain::Snumsetup() { ops_->Snumsetup(); }
void frmMain::SETUPIC() { ops_->SETUPIC(); }
void frmMain::ProgramIC() { ops_->ProgramIC(); }
void frmMain::ReadModule() { ops_->ReadModule(); }
void frmMain::ReadIC() { ops_->ReadIC(); }
void frmMain::EraseIC() { ops_->EraseIC(); }
void frmMain::BlankIC() { ops_->BlankIC(); }
void frmMain::dis_prog() { ops_->dis_prog(); }
void frmMain::Read_Command() { ops_->Read_Command(); }
void frmMain::VERSION_Command() { ops_->VERSION_Command(); }
void frmMain::auto_test() { ops_->auto_test(); }
void frmMain::LEARN_Command() { ops_->LEARN_Command(); }
void frmMain::Copy_Command() { ops_->Copy_Command(); }
void frmMain::Verify_Command() { ops_->Verify_Command(); }
void frmMain::VerifyIc() { ops_->VerifyIc(); }

