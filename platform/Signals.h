#pragma once
// Signals the program handles itself.

namespace platform {

// A write to a pipe or socket whose reader has gone fails with EPIPE, which
// the writer reports, instead of ending the program with SIGPIPE and taking
// the open documents with it. Called once at start, before any thread is
// made.
void ignoreBrokenPipes();

} // namespace platform
