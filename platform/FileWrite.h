#pragma once
// Writing to a file descriptor with every byte accounted for: a write that
// takes only part of the data is carried on, an interrupted one retried,
// and a write that takes nothing fails (errno tells why; EIO when the system
// gave no reason). The folder sync that makes a new name stay. The opening
// of a file to read that is sure to be a regular one. And the replacement of
// a small file whole or not at all.

#include <QByteArray>
#include <QString>
#include <chrono>
#include <sys/stat.h>

namespace platform {

bool writeAll(int fd, const QByteArray& data);

// Puts a folder's entries on the disk, so that a file renamed into it stays
// there after a crash. A folder that cannot be opened, or whose file system
// keeps no such order, is left; false when the sync itself failed.
bool syncFolder(const QString& folder);

// The folder part of a file's name: "." for a name without a slash, "/" for
// one in the root folder.
QByteArray folderOf(const QByteArray& name);

// The name of the file that `path` leads to (which need not exist), as the
// system follows links: every link's relative target is taken from the
// folder the link really is in, so ".." in it goes up from there, not from
// the name it was reached by. Always an absolute name; a folder that does not
// exist leaves the name as given.
QString followLinks(const QString& path);

// What is at a name, links followed. Unknown when the system could not say
// (errno tells why); a name in a folder that is not there is missing.
enum class FileKind { Missing, Regular, Folder, Other, Unknown };
FileKind kindOf(const QByteArray& name, struct stat* st = nullptr);

// Opens the file at `name` for reading when it is a regular file, without
// waiting (a FIFO would wait for a writer) and without acting on a device:
// its kind is known before it is opened, and a name given to something else
// meanwhile is refused after. -1 otherwise; `kind` says what was found
// (Unknown, errno telling why, when the open failed). `st` gets its status.
int openRegular(const QByteArray& name, FileKind& kind, struct stat* st = nullptr);

// Opens the regular file at `name` itself for reading and writing by the same
// rules, following no link: a link there, also one that leads nowhere, is
// Other. Where nothing has that name, the call makes the file with the
// rights `mode` (less the umask), and `made` says so: only then is the file
// surely this call's, say for a caller that sets its owner.
int openOrMakeRegular(const QByteArray& name, mode_t mode, FileKind& kind, bool& made, struct stat* st = nullptr);

// Writes `data` over the existing regular file at `path` itself (not a new
// file in its place): for a file that may be written where no new file can
// take its place. A file without write permission for its owner is refused
// (EACCES), also when root writes it. Every write, the truncation and the
// sync are checked; false (errno tells why) on a failure, and `*incomplete`
// then says whether the file may already hold part of the new data.
bool writeInPlace(const QString& path, const QByteArray& data, bool* incomplete = nullptr);

// What a replacement did.
enum class Replaced {
    No,        // the new data is not in the file's place (errno tells why)
    Yes,       // it is, and on the disk
    Unsynced,  // it is, but the folder's sync failed (errno tells why): the
               // new name may not outlast a crash of the system
};

// Puts `data` in place of the file at `path` (of the file a link there leads
// to: the link stays), whole or not at all. An existing file must be a
// regular one (EISDIR for a folder, EINVAL for anything else) that this user
// may write and that has write permission for its owner: a file its owner
// made read-only is refused (EACCES), though its folder would let a new file
// take its place, also when root, who passes every access check, writes it.
// It keeps its owner where the system allows (root saving a user's file), and
// its rights unless `mode` gives others. A new file gets the rights `mode`,
// or when negative those a new file gets (0666 less the umask).
//
// The new file is written beside the old one, every write and its sync
// checked, and then renamed over it. It gets a name of its own, generated and
// made only when no file has it, so that the call never removes or writes
// into a file it did not make; it takes that name away again on every
// failure, and so does a signal that ends the program (platform/Signals.h).
// The name is ".velmora-", a hash of the file's own name in 16 hexadecimal
// digits, "-", 10 random letters and digits, and ".tmp": of one length
// whatever the file is called, and telling which file it was made for.
// Where the file system allows, the new file has no name until it is
// complete and on the disk, so that a crash leaves no copy but in the moment
// between naming it and the rename. The first replacement in a folder in a
// run of the program first removes what crashes left there (names of that
// pattern, for any file) and is older than kLeftoverAge; later ones in the
// same folder do not look through it again, so that a save beside many files
// costs what it costs beside few. Where a sticky folder (like /tmp) refuses
// the rename over another user's file that may be written, the file is
// written in place instead (`*incomplete` as for writeInPlace).
Replaced replaceFile(const QString& path, const QByteArray& data, int mode = -1, bool* incomplete = nullptr);

// Longer than any replacement takes from making its new file to the rename.
inline constexpr std::chrono::seconds kLeftoverAge{3600};

// Removes the new files that replacements of the file at `path` (of the file
// a link there leads to) left behind, those older than `olderThan` (all of
// them for zero): names of the pattern above with the hash of that file's
// name, that are regular files. For a caller that knows no replacement of
// that file is under way (it holds a lock all writers of it take). The
// number removed.
int removeLeftovers(const QString& path, std::chrono::seconds olderThan);

// For tests: replacements look through every folder again, as in a new run.
void forgetFoldersLookedThrough();

// For tests: called at each step of a replacement, so that a test can end
// the process there or make the step fail by returning an errno value (0
// goes on). The steps: "tmpfile" just before a file without a name is made
// (failing it is a file system without such files), "sync" just before the
// new data is synced (also in place), "written" once it is on the disk in a
// file without a name, "named" just before the rename, "folder" just before
// the folder is synced.
void setReplaceStepHook(int (*hook)(const char* step));

} // namespace platform
