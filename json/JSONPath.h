#pragma once

// Paths that walk a JSON tree from a starting value:
//   name            a member, at the very start of the path
//   .name           a member, after any step
//   [index]         an array element: optional sign and decimal digits, or hexadecimal
//                   digits after "$" or "0x" (a 32-bit integer)
//   ['name'] ["n"]  a member by quoted name; inside, a backslash before the quote
//                   character stands for it, any other character for itself
// Characters up to U+0020 are skipped before each step and trimmed from both ends of a
// bare name. Example: a.b[0], [0].name, ['a.b'].c, a[1][2].

#include "json/JSONTree.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bramolt::json {

struct TJSONPathStep {
    enum TStepKind : std::uint8_t { skName, skIndex };
    TStepKind Kind;
    std::u16string Name; // skName
    std::int32_t Index;  // skIndex; may be negative, which designates no element

    bool operator==(const TJSONPathStep&) const = default;
};

// The steps of `path`, or no result when its syntax is wrong. The empty path, or one of
// skipped characters only, has no steps.
std::optional<std::vector<TJSONPathStep>> ParseJSONPath(std::u16string_view path);

// The node the steps lead to from `start`, with the container that lists it; its Node is
// nullptr when there is none. A name step needs an object and takes the value of its
// first member with exactly that key; an index step needs an array and an index from 0 to
// Count() - 1. `start` must be a value: a pair designates nothing.
TJSONNodeRef EvaluateJSONPath(const TJSONNodeRef& start, const std::vector<TJSONPathStep>& steps);

// ParseJSONPath and EvaluateJSONPath together; no node for bad syntax or no node.
TJSONNodeRef FindJSONPath(const TJSONNodeRef& start, std::u16string_view path);

} // namespace bramolt::json
