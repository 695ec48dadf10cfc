#pragma once
// What the JSON methods share: turning the iJSON argument into a live node of the
// process's handle table.
#include <cstdint>
#include <stdexcept>

#include <oaidl.h>

#include "json/JSONHandleTable.h"

namespace bramolt {

// A handle that designates no live node: never issued, already freed, from an earlier
// server process, or a value no handle can have. Methods report it through their failure
// value.
class EStaleJSONHandle : public std::runtime_error {
  public:
    explicit EStaleJSONHandle(std::int64_t handle);
};

// The integer of the iJSON argument, not yet checked against the handles. Throws
// EVariantConversionError when the argument is no integer. A missing argument (an
// early-bound caller passing no VARIANT) counts as VT_EMPTY.
std::int64_t HandleArgument(const VARIANT* argument);

// The handle an integer designates. Handles are issued from 1 to 2^32 - 1 and 0 means no
// node; any other value (negative, 2^32 or above) designates nothing, whatever its low 32
// bits are, and throws EStaleJSONHandle.
std::uint32_t HandleInRange(std::int64_t handle);

// The node of a handle with its tree and holder; no node for a handle of 0. Throws
// EStaleJSONHandle when the handle designates nothing.
json::TJSONNodeRef NodeFromHandle(const json::TJSONHandleTable& handles, std::int64_t handle);

// Both steps: the node of the iJSON argument.
json::TJSONNodeRef NodeFromArgument(const json::TJSONHandleTable& handles, const VARIANT* argument);

} // namespace bramolt
