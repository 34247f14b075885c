#pragma once
// Signals the program handles itself.

#include <QByteArray>
#include <QString>
#include <sys/types.h>

namespace platform {

// A write to a pipe or socket whose reader has gone fails with EPIPE, which
// the writer reports, instead of ending the program with SIGPIPE and taking
// the open documents with it. Called once at start, before any thread is
// made.
void ignoreBrokenPipes();

// When INT, QUIT, TERM or HUP ends the program, the file at `path` (the
// single-instance socket; none when empty) is removed first, and so is the
// new file a replacement is writing at that moment (below); the program
// still ends by that signal, as it would without it. A second such signal
// that comes meanwhile (a closing terminal sends HUP twice), also to another
// thread, does not end the program before the files are gone, and the first
// one still ends it. A signal that was ignored when the program started
// (nohup's HUP) stays ignored. Called once, before the file is made and
// before any file is written, so that no signal finds it made and not yet
// looked after.
void removeWhenSignalled(const QString& path);

// The new file of a replacement under way, which those signals remove too,
// so that a write they cut short leaves no copy behind. One thread writes at
// a time, and calls them in this order: `namingFile` just before the call
// that makes the name (from then until `namedFile` the signals wait in this
// thread, and a handler running in another thread waits for `namedFile`);
// `namedFile` once that call has ended, with `made` when it made the name
// for the file `dev`/`ino` (the handler then removes the name as long as it
// still names that file, never a file someone else put there); and
// `fileUnnamed` once the name is gone (renamed or removed). A name longer
// than the system allows is not looked after.
void namingFile(const QByteArray& name);
void namedFile(bool made, dev_t dev, ino_t ino);
void fileUnnamed();

// For tests: called in the signal handler, in each run of it, before it
// removes the files; only async-signal-safe calls may be made there.
void setSignalHandlerHook(void (*hook)());

} // namespace platform
