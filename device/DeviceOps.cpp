#include "device/DeviceOps.h"

#include "app/frmMain.h"

namespace device {

DeviceOps::DeviceOps(frmMain& main)
    : QObject(&main)
    , main_(main)
{
}

DeviceOps::~DeviceOps() = default;

void DeviceOps::Timer1_Timer() {}
void DeviceOps::Timer2_Timer() {}
void DeviceOps::Timer3_Timer() {}
void DeviceOps::STATUSIC() {}
void DeviceOps::TEST_STATUS() {}
void DeviceOps::Snumsetup() {}
void DeviceOps::SETUPIC() {}
void DeviceOps::ProgramIC() {}
void DeviceOps::ReadModule() {}
void DeviceOps::ReadIC() {}
void DeviceOps::EraseIC() {}
void DeviceOps::BlankIC() {}
void DeviceOps::dis_prog() {}
void DeviceOps::Read_Command() {}
void DeviceOps::VERSION_Command() {}
void DeviceOps::auto_test() {}
void DeviceOps::LEARN_Command() {}
void DeviceOps::Copy_Command() {}
void DeviceOps::Verify_Command() {}
void DeviceOps::VerifyIc() {}

} // namespace device
