#include "platform/PortMap.h"

#include "platform/SettingsStore.h"

#include <QFileInfo>

namespace platform {

namespace {

QString& deviceFolder()
{
    static QString folder = QStringLiteral("/dev");
    return folder;
}

} // namespace

void useDeviceFolder(const QString& folder)
{
    deviceFolder() = folder.isEmpty() ? QStringLiteral("/dev") : folder;
}

QString devicePathFor(int port)
{
    if (port < 1 || port > 4)
        port = 1;
    // An environment value VELMORA_COM1..4 wins for this run (the simulator
    // start uses it).
    const QString env = qEnvironmentVariable(qPrintable(QStringLiteral("VELMORA_COM%1").arg(port)));
    if (!env.trimmed().isEmpty())
        return env.trimmed();
    if (const auto configured = settings::read(QString::fromLatin1(settings::kSettingsKey),
                                               QStringLiteral("Com%1").arg(port));
        configured && !configured->trimmed().isEmpty())
        return configured->trimmed();
    const int n = port - 1;
    for (const char* base : {"/ttyUSB", "/ttyACM", "/ttyS"}) {
        const QString path = deviceFolder() + QString::fromLatin1(base) + QString::number(n);
        if (QFileInfo::exists(path))
            return path;
    }
    return deviceFolder() + QStringLiteral("/ttyS") + QString::number(n);
}

} // namespace platform
