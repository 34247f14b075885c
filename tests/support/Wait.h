#pragma once
// The tests' wait for work that the event loop must do: a deferred close or
// delete, a queued signal, a timer of the program. Its budget is real time,
// never less than a floor that holds on a busy machine, however fast the
// program's clock runs: at a time scale of 1000, 3000 ms of program time are
// 3 ms of real time, too little for an event loop that shares the machine.
// A condition that comes true ends the wait at once, so the floor costs
// nothing unless the test fails.

#include "platform/Clock.h"

#include <algorithm>
#include <functional>

namespace testwait {

inline constexpr int kRealFloorMs = 20000;

// Processes events until done() is true or the budget has passed (the
// program time programMs as the compressed clock runs it, but at least
// kRealFloorMs of real time); events are processed at least once. Returns
// done().
inline bool until(const std::function<bool()>& done, int programMs = 0)
{
    // The program's waits run on its compressed clock: the floor in real
    // time is that many times more of its time.
    const double floorInProgramMs = kRealFloorMs * vclock::clock().speed();
    return vclock::waitUntil(done, static_cast<int>(std::max<double>(programMs, floorInProgramMs)));
}

} // namespace testwait
