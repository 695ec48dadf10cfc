#include "automation/BramoltCOM.h"
#include "automation/MethodAnswer.h"

namespace bramolt {

namespace {
// Version of the automation interface's behaviour, reported to clients.
constexpr std::u16string_view kServerVersion = u"1.0.002";
} // namespace

HRESULT STDMETHODCALLTYPE TBramoltCOM::Version(BSTR* Version)
{
    return Answer(FClass, Version, RaiseError, [] { return kServerVersion; });
}

} // namespace bramolt
