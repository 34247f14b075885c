#pragma once
// One running copy per user and display: the first copy listens on a local
// socket; a later copy finds it there, asks it to come to the front and ends.

#include <QObject>
#include <QString>

class QLocalServer;

namespace platform {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when another copy is already running.
    bool otherRunning() const;
    // Asks the running copy to come to the front.
    void raiseOther() const;
    // Starts listening as the running copy; false when that failed.
    bool listen();

signals:
    // Another copy asked this one to come to the front.
    void raiseRequested();

private:
    QString name_;
    QLocalServer* server_ = nullptr;
};

} // namespace platform
