#include "TimeCalls.h"

// The other system headers rely on windows.h's definitions.
#include <windows.h>

#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Milliseconds(LONGLONG ticks)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

LONGLONG Now()
{
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

// Late-bound calls of one object, as a script makes them; arguments in written order.
class TLateBound {
  public:
    explicit TLateBound(IDispatch* object) : FObject(object) {}
    ~TLateBound()
    {
        if (FObject)
            FObject->Release();
    }
    TLateBound(const TLateBound&) = delete;
    TLateBound& operator=(const TLateBound&) = delete;

    explicit operator bool() const { return FObject != nullptr; }

    // The call's value (the caller clears it), or VT_ERROR with the failure code.
    VARIANT Call(const wchar_t* name, std::vector<VARIANT> arguments = {})
    {
        VARIANT value;
        ::VariantInit(&value);
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = 0;
        HRESULT hr = FObject->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (SUCCEEDED(hr)) {
            std::reverse(arguments.begin(), arguments.end());
            DISPPARAMS parameters{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
            hr = FObject->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, &value, nullptr,
                                 nullptr);
        }
        if (FAILED(hr)) {
            V_VT(&value) = VT_ERROR;
            V_ERROR(&value) = hr;
        }
        return value;
    }

  private:
    IDispatch* FObject;
};

VARIANT Text(const wchar_t* text)
{
    VARIANT value;
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = ::SysAllocString(text);
    return value;
}

} // namespace

int TimeCalls(const wchar_t* progID, std::wstring_view kind, int count)
{
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    const LONGLONG creating = Now();
    CLSID classID;
    IDispatch* created = nullptr;
    if (SUCCEEDED(::CLSIDFromProgID(progID, &classID)))
        ::CoCreateInstance(classID, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(&created));
    const double createMs = Milliseconds(Now() - creating);
    int failures = 0;
    std::vector<double> times;
    {
        TLateBound object(created);
        if (!object) {
            std::fwprintf(stderr, L"bramolt_driver: cannot create %ls\n", progID);
            ::CoUninitialize();
            return 1;
        }
        VARIANT tree;
        ::VariantInit(&tree);
        if (kind == L"json") {
            VARIANT document = Text(L"{\"a\":{\"b\":[1,2,3]}}");
            tree = object.Call(L"JSONCreate", {document});
            ::VariantClear(&document);
        }
        for (int index = 0; index < count; ++index) {
            std::vector<VARIANT> arguments;
            if (kind == L"json")
                arguments = {tree, Text(L"a.b[1]")};
            const LONGLONG started = Now();
            VARIANT value = object.Call(kind == L"json" ? L"JSONGetNodeValue" : L"Version", arguments);
            times.push_back(Milliseconds(Now() - started));
            failures += V_VT(&value) == VT_ERROR || V_VT(&value) == VT_EMPTY;
            ::VariantClear(&value);
            if (kind == L"json")
                ::VariantClear(&arguments[1]);
        }
        if (kind == L"json") {
            VARIANT freed = object.Call(L"JSONFree", {tree});
            ::VariantClear(&freed);
        }
    }
    ::CoUninitialize();
    if (times.empty())
        return 1;
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    double all = 0;
    for (double time : times)
        all += time;
    std::wprintf(L"create %.1f ms, median %.2f ms, slowest %.1f ms, all %.1f ms\n", createMs,
                 sorted[sorted.size() / 2], sorted.back(), all);
    if (failures > 0)
        std::fwprintf(stderr, L"bramolt_driver: %d of %d calls failed\n", failures, count);
    return failures > 0 ? 1 : 0;
}
