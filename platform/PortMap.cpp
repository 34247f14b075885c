#include "platform/PortMap.h"

#include "platform/SettingsStore.h"

#include <QFileInfo>

namespace platform {

QString devicePathFor(int port)
{
    if (port < 1 || port > 4)
        port = 1;
    if (const auto configured = settings::read(QString::fromLatin1(settings::kSettingsKey),
                                               QStringLiteral("Com%1").arg(port));
        configured && !configured->trimmed().isEmpty())
        return configured->trimmed();
    const int n = port - 1;
    for (const char* base : {"/dev/ttyUSB", "/dev/ttyACM", "/dev/ttyS"}) {
        const QString path = QString::fromLatin1(base) + QString::number(n);
        if (QFileInfo::exists(path))
            return path;
    }
    return QStringLiteral("/dev/ttyS") + QString::number(n);
}

} // namespace platform
