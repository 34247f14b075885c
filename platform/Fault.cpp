#include "platform/Fault.h"

#include <cstdio>

namespace platform {

void reportFault(const QString& running, const std::exception& e)
{
    std::fprintf(stderr, "velmora: %s failed: %s\n", running.toLocal8Bit().constData(), e.what());
    std::fflush(stderr);
}

} // namespace platform
