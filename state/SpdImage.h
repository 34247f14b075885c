#pragma once
// The SPD image: the 512 bytes of a module's EEPROM, as the windows and the
// rules hold it.

#include <array>
#include <cstdint>

namespace velmora {

using SpdImage = std::array<std::uint8_t, 512>;

} // namespace velmora
