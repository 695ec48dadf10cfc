// Methods of IBramoltCOM whose services are not part of this build yet. Each
// one clears its value like every method does and then fails with E_NOTIMPL
// and a description naming itself, so that no caller mistakes it for a
// method that worked. A method moves out of this file when its service lands.

#include "automation/BramoltCOM.h"
#include "automation/MethodValues.h"

#include <string>

namespace bramolt {

namespace {

// Clears the given values, then fails the call as not available.
template <typename... Values> HRESULT NotAvailable(const char* method, Values*... values)
{
    return InvokeGuarded([&] {
        (ClearValue(values), ...);
        throw ComError(E_NOTIMPL, std::string(method) + " is not available in this build yet");
    });
}

} // namespace

HRESULT STDMETHODCALLTYPE TBramoltCOM::DSToJSON(BSTR*, BSTR*, BSTR*, VARIANT, BSTR*, BSTR* oXML)
{
    return NotAvailable("DSToJSON", oXML);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::SendMail(BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, int,
                                                VARIANT_BOOL, BSTR* Res)
{
    return NotAvailable("SendMail", Res);
}

} // namespace bramolt
