#pragma once
// The six byte-name tables: the name the user reads for every SPD byte of
// each memory type. Constant data, complete before any window exists.

#include <QString>

namespace bytenames {

// Indexed by the memory type code of a document.
enum class Table { Sdram = 0, Ddr = 1, Ddr2 = 2, Rambus = 3, Ddr3 = 4, Ddr4 = 5 };

// Entry index (0..511) of a table; the empty text outside the entries a
// table sets (256..511 of all but DDR4) and outside 0..511.
const QString& name(Table t, int index);

} // namespace bytenames
