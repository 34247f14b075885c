#pragma once
// Ends this process by SIGKILL when a file replacement reaches `step`
// ("written": the data is on the disk in a file without a name; "named":
// just before the rename), as a crash there would: for a death test's child.

#include "platform/FileWrite.h"

#include <csignal>
#include <cstring>

inline void killAtReplaceStep(const char* step)
{
    static const char* at = nullptr;
    at = step;
    platform::setReplaceStepHook([](const char* reached) {
        if (std::strcmp(reached, at) == 0)
            ::raise(SIGKILL);
        return 0;
    });
}
