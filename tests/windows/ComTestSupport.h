#pragma once

// Helpers shared by the Windows unit tests: HRESULT checks that print codes
// in hex, a COM apartment per test, recording counts of objects and running calls, and late-bound
// calls as scripts make them.

#include "LateBoundArguments.h"

#include "automation/ObjectCount.h"
#include "automation/RunningCalls.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

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

// Counts the calls that wait for a worker thread. The worker reads it while the test's
// thread writes it.
class TRecordingRunningCalls final : public IRunningCalls {
  public:
    void CallStarted() noexcept override { ++Started; }
    void CallEnded() noexcept override { ++Ended; }
    int Running() const { return Started - Ended; }

    std::atomic<int> Started = 0;
    std::atomic<int> Ended = 0;
};

// The exception a late-bound call fills in; its texts belong to the caller and go with it.
class TExceptionInfo {
  public:
    TExceptionInfo() = default;
    ~TExceptionInfo()
    {
        ::SysFreeString(FValue.bstrSource);
        ::SysFreeString(FValue.bstrDescription);
        ::SysFreeString(FValue.bstrHelpFile);
    }
    TExceptionInfo(const TExceptionInfo&) = delete;
    TExceptionInfo& operator=(const TExceptionInfo&) = delete;

    EXCEPINFO* Pointer() noexcept { return &FValue; }
    HRESULT Code() const noexcept { return FValue.scode; }
    std::wstring Source() const { return Text(FValue.bstrSource); }
    std::wstring Description() const { return Text(FValue.bstrDescription); }

  private:
    static std::wstring Text(BSTR text)
    {
        return text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
    }

    EXCEPINFO FValue{};
};

// What a late-bound call answered. For DISP_E_EXCEPTION, the exception's code, source and
// description; otherwise ErrorCode is S_OK and the texts are empty.
struct TLateBoundAnswer {
    HRESULT Code = E_FAIL;
    TArg Value;
    HRESULT ErrorCode = S_OK;
    std::wstring ErrorSource;
    std::wstring ErrorDescription;
};

// Calls `name` through IDispatch as a script does, with `args` in their written order (Invoke
// takes them last to first). Without `wantValue`, as a script statement: no place for a value.
// A name that GetIDsOfNames refuses answers its HRESULT.
inline TLateBoundAnswer InvokeByName(IDispatch& dispatch, const wchar_t* name, std::vector<TArg> args,
                                     WORD flags = DISPATCH_METHOD, bool wantValue = true)
{
    TLateBoundAnswer answer;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0;
    answer.Code = dispatch.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(answer.Code))
        return answer;
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        reversed.push_back(it->Get());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    TExceptionInfo exception;
    answer.Code = dispatch.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                  wantValue ? &answer.Value.Get() : nullptr, exception.Pointer(), nullptr);
    if (answer.Code == DISP_E_EXCEPTION) {
        answer.ErrorCode = exception.Code();
        answer.ErrorSource = exception.Source();
        answer.ErrorDescription = exception.Description();
    }
    return answer;
}

} // namespace bramolt::test
