#include "platform/SystemInfo.h"

#include <QProcess>
#include <QStandardPaths>

namespace platform::sysinfo {

QStringList knownPrograms()
{
    // Hardware reports first, then the desktops' own information centres and
    // system monitors.
    return {QStringLiteral("hardinfo2"),           QStringLiteral("hardinfo"),
            QStringLiteral("kinfocenter"),         QStringLiteral("gnome-system-monitor"),
            QStringLiteral("mate-system-monitor"), QStringLiteral("xfce4-taskmanager")};
}

QString programOnPath()
{
    for (const QString& name : knownPrograms()) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

bool start(const QString& program)
{
    if (program.trimmed().isEmpty())
        return false;
    return QProcess::startDetached(program.trimmed(), QStringList());
}

} // namespace platform::sysinfo
