#pragma once
// Collects the links the desktop was asked to open (installed with
// QDesktopServices::setUrlHandler, which calls the slot by name).

#include <QList>
#include <QObject>
#include <QUrl>

class LinkCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> links;
public slots:
    void open(const QUrl& url) { links << url; }
};
