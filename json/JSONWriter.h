#pragma once

// Compact JSON text of a node: no whitespace anywhere, numbers as their kept text,
// strings escaped as the output options ask.

#include "json/JSONValue.h"

#include <string>

namespace bramolt::json {

struct TJSONOutputOptions {
    // Characters below U+0020 without a short escape (\b \t \n \f \r) become \u00XX.
    bool EncodeBelow32 = false;
    // Characters from U+0080 up become \uXXXX, each unit of a surrogate pair on its own.
    bool EncodeAbove127 = false;
};

// Prints `node` and everything below it; a pair prints as its key, ":" and its value.
// Works without recursion, so any depth a tree can be built to prints.
// The solidus is always written \/; hexadecimal digits are upper case.
std::u16string ToJSON(const TJSONAncestor& node, TJSONOutputOptions options);

} // namespace bramolt::json
