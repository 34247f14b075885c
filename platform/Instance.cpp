#include "platform/Instance.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace platform {

namespace {
QString sanitize(const QString& s)
{
    QString out;
    for (QChar c : s)
        out += (c.isLetterOrNumber() ? c : QLatin1Char('_'));
    return out;
}
} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent)
    : QObject(parent)
{
    const QString display = qEnvironmentVariable("DISPLAY", qEnvironmentVariable("WAYLAND_DISPLAY"));
    name_ = sanitize(key + QLatin1Char('-') + qEnvironmentVariable("USER") + QLatin1Char('-') + display);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::otherRunning() const
{
    QLocalSocket probe;
    probe.connectToServer(name_);
    const bool up = probe.waitForConnected(500);
    probe.abort();
    return up;
}

void SingleInstance::raiseOther() const
{
    QLocalSocket s;
    s.connectToServer(name_);
    if (!s.waitForConnected(500))
        return;
    s.write("raise\n");
    s.waitForBytesWritten(500);
    s.disconnectFromServer();
}

bool SingleInstance::listen()
{
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        // A copy that ended without closing its socket leaves it behind.
        QLocalServer::removeServer(name_);
        if (!server_->listen(name_))
            return false;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* c = server_->nextPendingConnection()) {
            connect(c, &QLocalSocket::readyRead, this, [this, c] {
                if (c->readAll().contains("raise"))
                    emit raiseRequested();
            });
            connect(c, &QLocalSocket::disconnected, c, &QObject::deleteLater);
        }
    });
    return true;
}

} // namespace platform
