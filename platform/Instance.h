#pragma once
// One running copy per user and display: the first copy listens on a local
// socket; a later copy finds it there, asks it to come to the front and ends.
// The socket lives in a folder that only this user can write (the session's
// runtime folder, or a private folder of the user's own), and either side
// talks only to a peer of the same user.

#include <QObject>
#include <QString>

class QLocalServer;

namespace platform {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when another copy of this user is already running.
    bool otherRunning() const;
    // Asks the running copy to come to the front.
    void raiseOther() const;
    // Starts listening as the running copy; false when that failed.
    bool listen();
    // The socket's path; empty when the user has no private folder to hold
    // it (then there is no guard: every copy runs).
    QString socketPath() const { return path_; }

signals:
    // Another copy asked this one to come to the front.
    void raiseRequested();

private:
    QString path_;
    QLocalServer* server_ = nullptr;
};

} // namespace platform
