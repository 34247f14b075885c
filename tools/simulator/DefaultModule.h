#pragma once
// The module in the simulator's socket unless another is put there: a DDR4
// unbuffered DIMM as the program's SPD wizard builds it with its own
// defaults (DDR4-2133, 15-15-15, 4 Gb x8 devices, one rank, no ECC, 4 GB),
// with a manufacturer and part number, and both CRCs filled in as a real
// module carries them.

#include "ProgrammerSim.h"

namespace sim {

// The DRAM manufacturer (JEP106 identifier, as typed in the wizard) and the
// part number of the default module.
inline constexpr const char* kDefaultModuleMaker = "CE";
inline constexpr const char* kDefaultModulePart = "SIM-DDR4-2133-4G";

Bytes512 defaultModule();

} // namespace sim
