#pragma once

// The automation classes of the server, as COM and callers know them. The GUIDs
// come from the header widl generates from Bramolt.idl, so the code and the
// type library cannot disagree.

#include "Bramolt_h.h"

namespace bramolt {

// How a class answers with a JSON handle. Handles never exceed 2^31 - 1, so
// both widths carry every handle unchanged.
enum class THandleWidth {
    hwInt64, // VT_I8
    hwInt32, // VT_I4, for hosts without a 64-bit integer
};

// Both classes implement IBramoltCOM over the process's one table of JSON
// handles: their objects designate the same nodes with the same numbers and
// can be mixed freely. They differ only in how they answer handles, and in
// the name their errors carry.
struct TAutomationClass {
    const CLSID& ClassID;  // the coclass's GUID in the type library
    const wchar_t* ProgID; // the registered ProgID, and the source of every error object
    THandleWidth HandleWidth;
};

inline constexpr TAutomationClass kBramoltCOM{CLSID_BramoltCOM, L"Bramolt.BramoltCOM", THandleWidth::hwInt64};
inline constexpr TAutomationClass kBramoltCOMLong{CLSID_BramoltCOMLong, L"Bramolt.BramoltCOMLong",
                                                  THandleWidth::hwInt32};
// Every class the server serves and registers.
inline constexpr const TAutomationClass* kAutomationClasses[] = {&kBramoltCOM, &kBramoltCOMLong};

} // namespace bramolt
