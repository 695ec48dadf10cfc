// Methods of IBramoltCOM whose services are not part of this build yet. Each
// one clears its value like every method does and then fails with E_NOTIMPL
// and a description naming itself, so that no caller mistakes it for a
// method that worked. A method moves out of this file when its service lands.

#include "automation/BramoltCOM.h"
#include "automation/MethodAnswer.h"

#include <string>

namespace bramolt {

namespace {

[[noreturn]] void ThrowNotAvailable(const char* method)
{
    throw ComError(E_NOTIMPL, std::string(method) + " is not available in this build yet");
}

} // namespace

HRESULT STDMETHODCALLTYPE TBramoltCOM::DSToJSON(BSTR*, BSTR*, BSTR*, VARIANT, BSTR*, BSTR* oXML)
{
    return Answer(oXML, RaiseError, [] { ThrowNotAvailable("DSToJSON"); });
}

} // namespace bramolt
