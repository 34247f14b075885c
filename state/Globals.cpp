#include "state/Globals.h"

namespace velmora {

namespace {
ProgramState& instance()
{
    static ProgramState s;
    return s;
}
} // namespace

ProgramState& gs() { return instance(); }

void resetProgramState() { instance() = ProgramState{}; }

} // namespace velmora
