#pragma once
// The serial control of the main window: a port number 1..4, PortOpen,
// Output (one whole message per call) and Input (everything received since
// the last read). 9600 baud, no parity, 8 data bits, 1 stop bit, no
// handshaking. Opening clears what was waiting; closing first lets every
// byte handed to Output go out. A line that fails (the adapter pulled out,
// the device hung up) is closed; the next opening tries it afresh.

#include <QByteArray>
#include <QObject>
#include <memory>
#include <stdexcept>

class QSerialPort;

namespace platform {

// A failure of the port: it cannot be opened, or a message was handed to a
// closed port.
class CommError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CommPort : public QObject {
    Q_OBJECT
public:
    explicit CommPort(QObject* parent = nullptr);
    ~CommPort() override;

    int commPort() const { return port_; }
    // Takes effect at the next opening.
    void setCommPort(int n);

    bool portOpen() const;
    // Opens (throws CommError when the port cannot be opened) or closes.
    void setPortOpen(bool open);

    // Hands one message to the line; throws CommError when the port is closed.
    void output(const QByteArray& message);
    // Everything received since the last read; empties the receive queue.
    QByteArray input();

    // The device path the port number stands for now.
    QString devicePath() const;

signals:
    // Characters came and wait to be read.
    void received();
    // The port is about to close: what waits can still be read.
    void aboutToClose();
    // The port has opened.
    void opened();
    // The line failed: it was dropped, or the port could not be opened. The
    // device on it, if any, may not be the one that was there.
    void lineFailed();

private:
    // Closes a line that failed, without waiting for what was handed over.
    void dropLine();

    int port_ = 1;
    bool dropping_ = false;
    int openings_ = 0;
    std::unique_ptr<QSerialPort> serial_;
};

} // namespace platform
