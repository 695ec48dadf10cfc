#pragma once

// The first step of every automation method: clear the [out, retval] value so
// that a method that fails leaves a defined value behind. [out] parameters
// arrive uninitialised by COM's rules, so clearing means initialising, never
// freeing what the slot held.

#include "automation/ComFailure.h"

#include <oleauto.h>

namespace bramolt {

inline void ClearValue(VARIANT* value)
{
    if (!value)
        throw ComError(E_POINTER, "the value parameter is missing");
    ::VariantInit(value);
}

inline void ClearValue(BSTR* value)
{
    if (!value)
        throw ComError(E_POINTER, "the value parameter is missing");
    *value = nullptr;
}

} // namespace bramolt
