#pragma once

// The exception of a failed COM call inside the server: it carries the call's HRESULT, which
// ReportException (ComFailure.h) answers as the method's own failure code.

#include <windows.h>

#include <stdexcept>
#include <string>

namespace bramolt {

class EComError : public std::runtime_error {
  public:
    EComError(HRESULT code, const std::string& utf8Message) : std::runtime_error(utf8Message), FCode(code) {}
    HRESULT Code() const noexcept { return FCode; }

  private:
    HRESULT FCode;
};

// Throws EComError(hr, message) when `hr` is a failure code.
inline void ThrowIfFailed(HRESULT hr, const std::string& utf8Message)
{
    if (FAILED(hr))
        throw EComError(hr, utf8Message);
}

} // namespace bramolt
