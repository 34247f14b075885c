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

// The name of the file that `path` leads to (which need not exist), as the
// system follows links: every link's relative target is taken from the
// folder the link really is in, so ".." in it goes up from there, not from
// the name it was reached by. Always an absolute name; a folder that does not
// exist leaves the name as given.
QString followLinks(const QString& path);

// Writes `data` over the existing regular file at `path` itself (not a new
// file in its place): for a file that may be written where no new file can
// take its place. Every write, the truncation and the sync are checked;
// false (errno tells why) on a failure, and `*incomplete` then says whether
// the file may already hold part of the new data.
bool writeInPlace(const QString& path, const QByteArray& data, bool* incomplete = nullptr);

// Puts `data` in place of the file at `path` (of the file a link there leads
// to: the link stays), with the rights `mode` (negative: those a new file
// gets, 0666 less the umask), whole or not at all. `prepare`, when given,
// gets the new file's descriptor before its data (to give it an owner, say).
//
// The new file is written beside the old one, every write and its sync
// checked, and then renamed over it. It gets a name of its own, generated and
// made only when no file has it, so that the call never removes or writes
// into a file it did not make; it takes that name away again on every
// failure. Where the file system allows, the new file has no name until it
// is complete, so that a crash leaves no copy but in the moment between
// naming it and the rename. Where a sticky folder (like /tmp) refuses the
// rename over another user's file that may be written, the file is written
// in place instead (`*incomplete` as for writeInPlace).
//
// False (errno tells why) when the new data did not reach the disk in the
// file's place; the old file is then as it was, but for a failed sync of
// the folder (the rename is done, and may not outlast a crash) and a failed
// write in place.
bool replaceFile(const QString& path, const QByteArray& data, int mode,
                 const std::function<void(int fd)>& prepare = {}, bool* incomplete = nullptr);

// For tests: called at each step of a replacement, so that a test can end
// the process there or make the step fail by returning an errno value (0
// goes on). The steps: "sync" just before the new data is synced (also in
// place), "written" once it is on the disk in a file without a name,
// "named" just before the rename, "folder" just before the folder is synced.
void setReplaceStepHook(int (*hook)(const char* step));

} // namespace platform
