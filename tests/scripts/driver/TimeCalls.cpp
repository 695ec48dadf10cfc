#include "TimeCalls.h"

// The other system headers rely on windows.h's definitions.
#include <windows.h>

#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
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
            hr = FObject->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, &value,
                                 nullptr, nullptr);
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

// A new object of `progID`, or none.
IDispatch* CreateObject(const wchar_t* progID)
{
    CLSID classID;
    IDispatch* created = nullptr;
    if (SUCCEEDED(::CLSIDFromProgID(progID, &classID)))
        ::CoCreateInstance(classID, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                           reinterpret_cast<void**>(&created));
    if (!created)
        std::fwprintf(stderr, L"bramolt_driver: cannot create %ls\n", progID);
    return created;
}

// The UTF-8 file `path` as a BSTR variant; VT_EMPTY when it cannot be read.
VARIANT FileText(const wchar_t* path)
{
    VARIANT value;
    ::VariantInit(&value);
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!file.good() && !file.eof())
        return value;
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    V_BSTR(&value) = ::SysAllocStringLen(nullptr, static_cast<UINT>(length));
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), V_BSTR(&value), length);
    V_VT(&value) = VT_BSTR;
    return value;
}

} // namespace

int TimeCalls(const wchar_t* progID, std::wstring_view kind, int count)
{
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    const LONGLONG creating = Now();
    IDispatch* created = CreateObject(progID);
    const double createMs = Milliseconds(Now() - creating);
    int failures = 0;
    std::vector<double> times;
    {
        TLateBound object(created);
        if (!object) {
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

int TimeLargePacket(const wchar_t* progID, const wchar_t* packetPath, const wchar_t* readyPath)
{
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    int status = 1;
    {
        VARIANT packet = FileText(packetPath);
        TLateBound object(CreateObject(progID));
        if (object && V_VT(&packet) == VT_BSTR) {
            std::ofstream(readyPath).close();
            VARIANT record = Text(L"{\"ID\":999999999,\"NAME\":\"nuevo\"}"), key = Text(L"ID"),
                    operation = Text(L"C");
            VARIANT keyValue;
            V_VT(&keyValue) = VT_I4;
            V_I4(&keyValue) = 999999999;
            const LONGLONG started = Now();
            VARIANT answer = object.Call(L"DSToJSON", {packet, record, key, keyValue, operation});
            const double ms = Milliseconds(Now() - started);
            if (V_VT(&answer) == VT_BSTR) {
                std::wprintf(L"DSToJSON of %u characters: %.0f ms, answer of %u characters\n",
                             ::SysStringLen(V_BSTR(&packet)), ms, ::SysStringLen(V_BSTR(&answer)));
                status = 0;
            }
            for (VARIANT* owned : {&answer, &record, &key, &operation})
                ::VariantClear(owned);
        }
        ::VariantClear(&packet);
    }
    ::CoUninitialize();
    return status;
}
