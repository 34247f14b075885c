#include "platform/Instance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

QString sanitize(const QString& s)
{
    QString out;
    for (QChar c : s)
        out += (c.isLetterOrNumber() ? c : QLatin1Char('_'));
    return out;
}

// A folder that only this user can write: a real folder (not a link), owned
// by the user, with no rights for group or others.
bool isPrivateFolder(const QString& dir)
{
    struct stat st {};
    if (dir.isEmpty() || !QDir::isAbsolutePath(dir) || ::lstat(QFile::encodeName(dir).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

// Makes `dir` as a private folder of the user's, or takes one the user made
// before (tightening its rights); false when the name is held by something
// else, such as another user's folder or a link.
bool ownPrivateFolder(const QString& dir)
{
    const QByteArray d = QFile::encodeName(dir);
    if (::mkdir(d.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(d.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    if ((st.st_mode & 0777) != 0700 && ::chmod(d.constData(), 0700) != 0)
        return false;
    return isPrivateFolder(dir);
}

// The peer of a connected local socket runs as this user.
bool peerIsThisUser(const QLocalSocket& s)
{
    ucred cred{};
    socklen_t len = sizeof cred;
    const auto fd = static_cast<int>(s.socketDescriptor());
    return fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.uid == ::geteuid();
}

// Connects to a running copy of this user; false when there is none.
bool connectToOwn(QLocalSocket& s, const QString& path)
{
    if (path.isEmpty())
        return false;
    s.connectToServer(path);
    if (!s.waitForConnected(500))
        return false;
    if (!peerIsThisUser(s)) {
        s.abort();
        return false;
    }
    return true;
}

} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent)
    : QObject(parent)
{
    const QString display = qEnvironmentVariable("DISPLAY", qEnvironmentVariable("WAYLAND_DISPLAY"));
    const QString name = sanitize(key + QLatin1Char('-') + display);
    const QString own = QStringLiteral("velmora-%1").arg(::geteuid());

    // The session's runtime folder when it is private; otherwise a private
    // folder in the temporary folder, or, when that name is taken by someone
    // else, one in the user's cache folder.
    const auto fits = [&name](const QString& dir) {
        return QFile::encodeName(dir + QLatin1Char('/') + name).size() < static_cast<qsizetype>(sizeof(sockaddr_un::sun_path));
    };
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!isPrivateFolder(dir) || !fits(dir)) {
        dir = QDir::tempPath() + QLatin1Char('/') + own;
        if (!fits(dir) || !ownPrivateFolder(dir)) {
            const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
            dir = cache + QStringLiteral("/velmora");
            if (cache.isEmpty() || !fits(dir) || !QDir().mkpath(cache) || !ownPrivateFolder(dir))
                dir.clear();
        }
    }
    if (!dir.isEmpty())
        path_ = dir + QLatin1Char('/') + name;
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::otherRunning() const
{
    QLocalSocket probe;
    const bool up = connectToOwn(probe, path_);
    probe.abort();
    return up;
}

void SingleInstance::raiseOther() const
{
    QLocalSocket s;
    if (!connectToOwn(s, path_))
        return;
    s.write("raise\n");
    s.waitForBytesWritten(500);
    s.disconnectFromServer();
}

bool SingleInstance::listen()
{
    if (path_.isEmpty())
        return false;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path_)) {
        // A copy that ended without closing its socket leaves it behind.
        QLocalServer::removeServer(path_);
        if (!server_->listen(path_))
            return false;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* c = server_->nextPendingConnection()) {
            connect(c, &QLocalSocket::disconnected, c, &QObject::deleteLater);
            if (!peerIsThisUser(*c)) {
                c->abort();
                continue;
            }
            connect(c, &QLocalSocket::readyRead, this, [this, c] {
                if (c->readAll().contains("raise"))
                    emit raiseRequested();
            });
        }
    });
    return true;
}

} // namespace platform
