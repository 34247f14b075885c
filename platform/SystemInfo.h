#pragma once
// Finding and starting a system-information program. A program named in the
// settings store ("Settings", value "SystemInfo") comes first; otherwise the
// first of a few well-known Debian system-information programs found on
// PATH.

#include <QString>
#include <QStringList>

namespace platform::sysinfo {

inline constexpr const char* kSettingName = "SystemInfo";

// The programs looked for on PATH, in the order they are tried.
QStringList knownPrograms();
// The full path of the first known program on PATH; empty when none is.
QString programOnPath();
// Starts the program in a process of its own; false when it cannot start.
bool start(const QString& program);

} // namespace platform::sysinfo
