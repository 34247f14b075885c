#pragma once
// The device operations of the main window: every exchange with the SPD
// programmer / module tester, and the handlers of the main window's three
// device timers (test-result poller, status parse, packet pacing). frmMain
// owns one instance and forwards its public device procedures to it.

#include <QObject>

class frmMain;

namespace device {

class DeviceOps : public QObject {
    Q_OBJECT
public:
    explicit DeviceOps(frmMain& main);
    ~DeviceOps() override;

    // Timer handlers of the main window.
    void Timer1_Timer();  // test-result poller, every 2000 ms
    void Timer2_Timer();  // status parse, 2000 ms after a status request
    void Timer3_Timer();  // packet pacing tick, 180 ms

    // Device operations.
    void STATUSIC();
    void TEST_STATUS();
    void Snumsetup();
    void SETUPIC();
    void ProgramIC();
    void ReadModule();
    void ReadIC();
    void EraseIC();
    void BlankIC();
    void dis_prog();
    void Read_Command();
    void VERSION_Command();
    void auto_test();
    void LEARN_Command();
    void Copy_Command();
    void Verify_Command();
    void VerifyIc();

private:
    frmMain& main_;
};

} // namespace device
