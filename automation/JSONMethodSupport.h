#pragma once
// What the JSON methods share: turning the iJSON argument into a live node of the
// process's handle table.
#include <cstdint>
#include <stdexcept>

#include <oaidl.h>

#include "json/JSONHandleTable.h"

namespace bramolt {

// A handle that designates no live node: never issued, already freed, or from an earlier
// server process. Methods report it through their failure value.
class EStaleJSONHandle : public std::runtime_error {
  public:
    explicit EStaleJSONHandle(std::uint32_t handle);
};

// The handle of the iJSON argument. Throws EVariantConversionError when the argument is no
// integer. A missing argument (an early-bound caller passing no VARIANT) counts as VT_EMPTY.
std::uint32_t HandleArgument(const VARIANT* argument);

// The node of a handle: nullptr for a handle of 0. Throws EStaleJSONHandle when the handle
// designates nothing.
json::TJSONAncestor* NodeFromHandle(const json::TJSONHandleTable& handles, std::uint32_t handle);

// Both steps: the node of the iJSON argument.
json::TJSONAncestor* NodeFromArgument(const json::TJSONHandleTable& handles, const VARIANT* argument);

} // namespace bramolt
