#pragma once

// Generated benchmark documents: compact UTF-8 JSON written the way our printer writes
// it (solidus escaped, upper-case \u escapes), so that printing reproduces the input.

#include <cstddef>
#include <string>

namespace bramolt::json::bench {

// An API response: nested objects, short strings, a few numbers and booleans.
std::string MakeApiDocument(std::size_t targetBytes);
// One array of numbers in varied notations.
std::string MakeNumberDocument(std::size_t targetBytes);
// Long strings with raw non-ASCII text (accented Latin, Cyrillic, CJK, emoji).
std::string MakeTextDocument(std::size_t targetBytes);
// {"rows":[10000 rows, each {"id":..,"name":..,"cells":[{"k":..,"v":..},...]}]}
std::string MakeLookupDocument(std::size_t cellsPerRow);

} // namespace bramolt::json::bench
