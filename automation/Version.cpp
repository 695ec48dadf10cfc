#include "automation/BramoltCOM.h"
#include "automation/MethodValues.h"

namespace bramolt {

namespace {
// Version of the automation interface's behaviour, reported to clients.
constexpr std::wstring_view kServerVersion = L"1.0.002";
} // namespace

HRESULT STDMETHODCALLTYPE TBramoltCOM::Version(BSTR* Version)
{
    return InvokeGuarded([&] {
        ClearValue(Version);
        *Version = TBstr(kServerVersion).Detach();
    });
}

} // namespace bramolt
