// The main window's device procedures and device menus: each forwards to the
// device operations.

#include "app/frmMain.h"
#include "device/DeviceOps.h"
#include "device/DocumentPanels.h"

#include <QGroupBox>

void frmMain::mnuConnection_Click() { STATUSIC(); }

void frmMain::mnu_io_setup_Click()
{
    if (device::DevicePanels* p = device::devicePanels(ActiveForm()))
        p->showPanel(device::DevicePanels::SetupPanel);
}

void frmMain::mnu_spd_setup_Click()
{
    if (device::DevicePanels* p = device::devicePanels(ActiveForm()))
        p->showPanel(device::DevicePanels::TransferPanel);
}

// ---- Device procedures ----
// "Reconnection" and the toolbars' CONNECT: the active window asks, also
// within another window's wait.
void frmMain::STATUSIC() { ops_->STATUSIC(false, ActiveForm()); }
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

// ---- Option commands ----
void frmMain::Auto_Command() { ops_->Auto_Command(); }
void frmMain::DISAuto_Command() { ops_->DISAuto_Command(); }
void frmMain::en_averify_Command() { ops_->en_averify_Command(); }
void frmMain::dis_averify_Command() { ops_->dis_averify_Command(); }
void frmMain::auto_hex_Command() { ops_->auto_hex_Command(); }
void frmMain::auto_dec_Command() { ops_->auto_dec_Command(); }
void frmMain::EN_KEY_Command() { ops_->EN_KEY_Command(); }
void frmMain::EN_KEY1_Command() { ops_->EN_KEY1_Command(); }
void frmMain::DIS_KEY_Command() { ops_->DIS_KEY_Command(); }
void frmMain::EEPROM_256_Command() { ops_->EEPROM_256_Command(); }
void frmMain::EEPROM_512_Command() { ops_->EEPROM_512_Command(); }
void frmMain::EEPROM_DEFAULT_Command() { ops_->EEPROM_DEFAULT_Command(); }
void frmMain::SNUM_P_Command() { ops_->SNUM_P_Command(); }
void frmMain::SNUM_N_Command() { ops_->SNUM_N_Command(); }
void frmMain::program_Command() { ops_->program_Command(); }
