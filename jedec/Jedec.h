#pragma once
// JEP106 manufacturer names by JEDEC key: "7F" repeated (bank - 1) times,
// then the identifier byte with its parity bit as two upper-case
// hexadecimal digits.

#include <QString>
#include <optional>

namespace jedec {

// The manufacturer's name in parentheses, e.g. "(AMD)", for an exact,
// case-sensitive key; nothing when the key is not in the table.
std::optional<QString> nameFor(const QString& key);

} // namespace jedec
