#pragma once

// The boundary between the server's C++ code and COM. Inside, failures travel
// as exceptions whose what() is UTF-8; the one catch-all of every automation
// method (MethodAnswer.h) turns those it raises into a failure HRESULT plus the
// thread's error object, so no exception ever crosses into COM:
//   - EComError with a negative code  -> that code, with its message;
//   - a file that cannot be created  -> E_UNEXPECTED, with its UTF-16 message;
//   - any other std::exception       -> E_UNEXPECTED, with what();
//   - anything else                  -> E_UNEXPECTED, no description.
// The error object names IBramoltCOM as its interface and the ProgID of the
// failing object's class as its source, which late-bound callers see as the
// error's source.

#include <windows.h>

#include "automation/BramoltIdentity.h"
#include "automation/ComError.h"

#include <exception>
#include <string_view>

namespace bramolt {

// Sets the thread's error object for a failed call of an IBramoltCOM method
// of an object of class `failing` and returns `code`. An empty description
// leaves the description unset.
HRESULT ReportFailure(const TAutomationClass& failing, HRESULT code, std::wstring_view description) noexcept;

// Maps a caught exception to its HRESULT and error object; nullptr stands for
// one that is no std::exception.
HRESULT ReportException(const TAutomationClass& failing, const std::exception* error) noexcept;

} // namespace bramolt
