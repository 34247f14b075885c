#pragma once
// The system's fsync and flock as this test binary calls them, with
// switches that make them fail as a disk or a file system would; off, they
// are the system's own. A forked child inherits the switches.

namespace failing {

// fsync of a regular file, or of a folder, fails with EIO.
enum class Sync { Never, Files, Folders };
void failSync(Sync which);

// flock as NFS does it (an exclusive lock needs a descriptor opened for
// writing: EBADF otherwise), or as a file system without locks (ENOLCK).
enum class Locks { System, NeedWriting, None };
void setLocks(Locks locks);

} // namespace failing
