#pragma once
// Writing to a file descriptor with every byte accounted for: a write that
// takes only part of the data is carried on, an interrupted one retried,
// and a write that takes nothing fails (errno tells why; EIO when the system
// gave no reason).

#include <QByteArray>

namespace platform {

bool writeAll(int fd, const QByteArray& data);

} // namespace platform
