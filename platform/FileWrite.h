#pragma once
// Writing to a file descriptor with every byte accounted for: a write that
// takes only part of the data is carried on, an interrupted one retried,
// and a write that takes nothing fails (errno tells why; EIO when the system
// gave no reason). And the folder sync that makes a new name stay.

#include <QByteArray>
#include <QString>

namespace platform {

bool writeAll(int fd, const QByteArray& data);

// Puts a folder's entries on the disk, so that a file renamed into it stays
// there after a crash. Best effort: a folder that cannot be opened is left.
void syncFolder(const QString& folder);

} // namespace platform
