#pragma once
// What the device operations need of the main window: its serial port, its
// three device timers (test-result poller, status parse, packet pacing) and
// its active document window, and whether the program is ending. The main
// window fills it in.

class frmDocument;
class QTimer;

namespace platform {
class CommPort;
}

namespace device {

class DeviceHost {
public:
    virtual platform::CommPort* MSComm1() const = 0;
    virtual QTimer* Timer1() const = 0;  // the test-result poller
    virtual QTimer* Timer2() const = 0;  // the status parse
    virtual QTimer* Timer3() const = 0;  // the packet pacing
    // The active document window, or nullptr.
    virtual frmDocument* ActiveForm() const = 0;
    // An exit waits for the conversation under way: nothing new is sent.
    virtual bool exiting() const = 0;

protected:
    ~DeviceHost() = default;
};

} // namespace device
