#pragma once
// Ends this process by SIGKILL when a file replacement reaches `step`
// ("sync": the new data is about to be synced; "written": it is on the disk
// in a file without a name; "named": just before the rename), as a crash
// there would: for a death test's child. Without `unnamed`, the file system
// has no files without a name: the new file has its name from the start.

#include "platform/FileWrite.h"

#include <cerrno>
#include <csignal>
#include <cstring>

inline void endAtReplaceStep(const char* step, int signal, bool unnamed = true)
{
    static const char* at = nullptr;
    static int sig = 0;
    static bool withoutNames = false;
    at = step;
    sig = signal;
    withoutNames = !unnamed;
    platform::setReplaceStepHook([](const char* reached) {
        if (withoutNames && std::strcmp(reached, "tmpfile") == 0)
            return EOPNOTSUPP;
        if (std::strcmp(reached, at) == 0)
            ::raise(sig);
        return 0;
    });
}

inline void killAtReplaceStep(const char* step, bool unnamed = true) { endAtReplaceStep(step, SIGKILL, unnamed); }
