#pragma once
// What the device operations need of the main window: its serial port, its
// three device timers (test-result poller, status parse, packet pacing), its
// active document window, and whether a window may still be worked on. The
// main window fills it in.

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
    // May work still be done on doc (nullptr: on any window)? Now; Later
    // (an exit is under way, or doc's close is asked for and not decided:
    // the user may keep it yet); Never (doc is gone or closed for good).
    enum class Workable { Now, Later, Never };
    virtual Workable workable(const frmDocument* doc) const = 0;

protected:
    ~DeviceHost() = default;
};

} // namespace device
