#pragma once

// Helpers shared by the Windows unit tests: HRESULT checks that print codes
// in hex, a COM apartment per test, and a recording object count.

#include "automation/ObjectCount.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdio>
#include <string>

namespace bramolt::test {

inline std::string Hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

inline ::testing::AssertionResult HResultIs(HRESULT expected, HRESULT actual)
{
    if (expected == actual)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected HRESULT " << Hex(expected) << ", got " << Hex(actual);
}

inline std::string Narrow(std::wstring_view text)
{
    std::string result;
    for (wchar_t c : text)
        result += c < 0x80 ? static_cast<char>(c) : '?';
    return result;
}

// Initialises COM (single-threaded apartment) for the lifetime of a test.
class TApartment {
  public:
    TApartment() { FInitialized = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    ~TApartment()
    {
        if (FInitialized)
            ::CoUninitialize();
    }
    TApartment(const TApartment&) = delete;
    TApartment& operator=(const TApartment&) = delete;

  private:
    bool FInitialized = false;
};

// Counts what objects report, so tests can check creation and destruction.
class TRecordingObjectCount final : public IObjectCount {
  public:
    void ObjectCreated() noexcept override { ++Created; }
    void ObjectDestroyed() noexcept override { ++Destroyed; }
    int Live() const { return Created - Destroyed; }

    int Created = 0;
    int Destroyed = 0;
};

} // namespace bramolt::test
