#pragma once
// A fault that a handler caught so that the user keeps the window: it is
// written to standard error with what was running, so that it leaves a
// trace instead of vanishing.

#include <QString>

#include <exception>

namespace platform {

// Writes "velmora: <running> failed: <what>" and a line end to standard
// error.
void reportFault(const QString& running, const std::exception& e);

} // namespace platform
