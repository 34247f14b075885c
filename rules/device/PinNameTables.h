#pragma once
// The tester's 144 channels: the signal name of each channel on the pin map,
// and six wiring tables that give the module pin a channel reaches on each
// kind of module ("PIN " and the number, or the empty text).

#include <QString>

namespace pins {

enum class PinTable { Ddr4 = 0, Ddr4So, Ddr3, Ddr3So, Ddr2, Ddr2So };

inline constexpr int kChannels = 144;

// The six loaders; each writes entries 0..143 of its table with the same
// texts every time. The tables are empty until the first load.
void load_ddr4_pin();
void load_ddr4so_pin();
void load_ddr3_pin();
void load_ddr3so_pin();
void load_ddr2_pin();
void load_ddr2so_pin();

// Entry 0..200 of a table; the empty text for entries that are never set.
const QString& pinName(PinTable t, int entry);

// Signal name of channel 0..144 (channel 144 is the hidden "VPP" label).
QString signalName(int channel);

// Caption of the pin frame for a table, e.g. "DDR3-SODIMM I/O Pin".
QString frameCaption(PinTable t);

// Empties the tables again (tests).
void clearTables();

} // namespace pins
