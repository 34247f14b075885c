#pragma once
// Writing to a file descriptor with every byte accounted for: a write that
// takes only part of the data is carried on, an interrupted one retried,
// and a write that takes nothing fails (errno tells why; EIO when the system
// gave no reason). The folder sync that makes a new name stay. And the
// replacement of a small file whole or not at all.

#include <QByteArray>
#include <QString>
#include <functional>

namespace platform {

bool writeAll(int fd, const QByteArray& data);

// Puts a folder's entries on the disk, so that a file renamed into it stays
// there after a crash. A folder that cannot be opened, or whose file system
// keeps no such order, is left; false when the sync itself failed.
bool syncFolder(const QString& folder);

// Follows links to the name of the file they lead to (which need not exist).
QString followLinks(const QString& path);

// Puts `data` in place of the file at `path` (of the file a link there leads
// to: the link stays), with the rights `mode` (negative: those a new file
// gets, 0666 less the umask), whole or not at all. `prepare`, when given,
// gets the new file's descriptor before its data (to give it an owner, say).
// The new file is written beside the old one, every write and its sync
// checked, and then renamed over it. Where the file system allows, it has no name until
// it is complete; otherwise, and for the moment before the rename, it is
// called ".NAME.tmp", which the next replacement removes should a crash
// have left it. False (errno tells why) when the new file did not take the
// old one's place on the disk; the old file is then as it was.
bool replaceFile(const QString& path, const QByteArray& data, int mode,
                 const std::function<void(int fd)>& prepare = {});

// For tests: called with "written" once the new data is on the disk in a
// file without a name, and with "named" just before the rename, so that a
// test can end the process there.
void setReplaceStepHook(void (*hook)(const char* step));

} // namespace platform
