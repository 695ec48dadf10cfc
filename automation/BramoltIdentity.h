#pragma once

// Names and GUIDs that identify the automation class to COM. The GUIDs come
// from the header widl generates from Bramolt.idl, so the code and the type
// library cannot disagree.

#include "Bramolt_h.h"

namespace bramolt {

// Source of every error object and the class's registered ProgID.
inline constexpr const wchar_t* kProgID = L"Bramolt.BramoltCOM";

} // namespace bramolt
