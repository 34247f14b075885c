#include "platform/CommPort.h"

#include "platform/PortMap.h"

#include <QSerialPort>
#include <QTimer>

namespace platform {

CommPort::CommPort(QObject* parent)
    : QObject(parent)
{
}

CommPort::~CommPort()
{
    if (portOpen())
        setPortOpen(false);
}

void CommPort::setCommPort(int n) { port_ = n; }

QString CommPort::devicePath() const { return devicePathFor(port_); }

bool CommPort::portOpen() const { return serial_ && serial_->isOpen(); }

void CommPort::setPortOpen(bool open)
{
    if (!open) {
        if (serial_ && serial_->isOpen()) {
            emit aboutToClose();
            // Whatever was handed over goes out before the port closes.
            while (serial_->bytesToWrite() > 0 && serial_->waitForBytesWritten(2000)) {
            }
            serial_->flush();
            serial_->close();
        }
        return;
    }
    if (portOpen())
        return;
    // The port of an earlier opening may still be inside one of its own
    // signals: it goes once the event loop is back.
    if (serial_)
        serial_.release()->deleteLater();
    serial_ = std::make_unique<QSerialPort>();
    serial_->setPortName(devicePath());
    serial_->setBaudRate(QSerialPort::Baud9600);
    serial_->setDataBits(QSerialPort::Data8);
    serial_->setParity(QSerialPort::NoParity);
    serial_->setStopBits(QSerialPort::OneStop);
    serial_->setFlowControl(QSerialPort::NoFlowControl);
    serial_->setReadBufferSize(0);
    if (!serial_->open(QIODevice::ReadWrite)) {
        const QString why = serial_->errorString();
        serial_.reset();
        emit lineFailed();
        throw CommError(QStringLiteral("Port %1 (%2) cannot be opened: %3").arg(port_).arg(devicePath(), why).toStdString());
    }
    serial_->clear(QSerialPort::AllDirections);
    connect(serial_.get(), &QSerialPort::readyRead, this, &CommPort::received);
    // A line that fails while it is read (the device gone, a hang-up) keeps
    // failing: it is closed once the port's own signal has returned.
    const int opening = ++openings_;
    connect(serial_.get(), &QSerialPort::errorOccurred, this, [this, opening](QSerialPort::SerialPortError e) {
        if (e == QSerialPort::ResourceError || e == QSerialPort::ReadError || e == QSerialPort::WriteError)
            QTimer::singleShot(0, this, [this, opening] {
                if (openings_ == opening)
                    dropLine();
            });
    });
    emit opened();
}

void CommPort::dropLine()
{
    if (dropping_ || !portOpen())
        return;
    dropping_ = true;
    emit aboutToClose();
    serial_->clear(QSerialPort::Output);
    serial_->close();
    dropping_ = false;
    emit lineFailed();
}

void CommPort::output(const QByteArray& message)
{
    if (!portOpen())
        throw CommError("The port is closed");
    serial_->clearError();
    // A line that cannot take the message (the adapter pulled out, the
    // device gone) fails the message at once, and is closed.
    auto fail = [this] {
        const QString why = serial_->errorString();
        serial_->clearError();
        dropLine();
        throw CommError(why.toStdString());
    };
    qint64 done = 0;
    while (done < message.size()) {
        const qint64 n = serial_->write(message.constData() + done, message.size() - done);
        if (n < 0)
            fail();
        done += n;
    }
    serial_->flush();
    if (serial_->error() != QSerialPort::NoError)
        fail();
}

QByteArray CommPort::input()
{
    if (!portOpen())
        return QByteArray();
    serial_->waitForReadyRead(0);
    return serial_->readAll();
}

} // namespace platform
