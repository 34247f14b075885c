#pragma once
// The constant manufacturer name table behind the JEDEC lookup.

#include <array>

namespace jedec {

struct Row {
    const char* key;   // "7F" x (bank - 1), then the identifier byte (odd parity)
    const char* name;  // in parentheses, printable ASCII, at most 43 characters
};

inline constexpr int kRowCount = 880;

extern const std::array<Row, kRowCount> kTable;

} // namespace jedec
