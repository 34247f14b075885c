#pragma once
// Signals the program handles itself.

#include <QString>

namespace platform {

// A write to a pipe or socket whose reader has gone fails with EPIPE, which
// the writer reports, instead of ending the program with SIGPIPE and taking
// the open documents with it. Called once at start, before any thread is
// made.
void ignoreBrokenPipes();

// When INT, QUIT, TERM or HUP ends the program, the file at `path` (the
// single-instance socket) is removed first; the program still ends by that
// signal, as it would without it. A signal that was ignored when the program
// started (nohup's HUP) stays ignored. Called once, before the file is made,
// so that no signal finds it made and not yet looked after.
void removeWhenSignalled(const QString& path);

} // namespace platform
