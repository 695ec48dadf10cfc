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

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONCreate(BSTR, VARIANT* oJSON)
{
    return NotAvailable("JSONCreate", oJSON);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetElement(VARIANT*, BSTR, VARIANT* oJSON)
{
    return NotAvailable("JSONGetElement", oJSON);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetNodeValue(VARIANT*, BSTR, VARIANT* oJSON)
{
    return NotAvailable("JSONGetNodeValue", oJSON);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetArrayElement(VARIANT*, LONG, VARIANT* oJSON)
{
    return NotAvailable("JSONGetArrayElement", oJSON);
}

// An integer value is not cleared on entry: it holds what the method writes.
HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONArrayCount(VARIANT*, LONG*)
{
    return NotAvailable("JSONArrayCount");
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONFree(VARIANT*)
{
    return NotAvailable("JSONFree");
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddElement(VARIANT*, BSTR, VARIANT* oJSON)
{
    return NotAvailable("JSONAddElement", oJSON);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddNode(VARIANT*, BSTR, VARIANT)
{
    return NotAvailable("JSONAddNode");
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONFormat(VARIANT*, BSTR* oStrJSON)
{
    return NotAvailable("JSONFormat", oStrJSON);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddArray(VARIANT*, BSTR, VARIANT* oJSON)
{
    return NotAvailable("JSONAddArray", oJSON);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddArrayElement(VARIANT*, VARIANT* oJSON)
{
    return NotAvailable("JSONAddArrayElement", oJSON);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddNodeAsNumber(VARIANT*, VARIANT, VARIANT*)
{
    return NotAvailable("JSONAddNodeAsNumber");
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddNodeAsBool(VARIANT*, VARIANT, VARIANT*)
{
    return NotAvailable("JSONAddNodeAsBool");
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetPairKey(VARIANT*, VARIANT* key)
{
    return NotAvailable("JSONGetPairKey", key);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONIsObject(VARIANT*, VARIANT* oJSON)
{
    return NotAvailable("JSONIsObject", oJSON);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONIsArray(VARIANT*, VARIANT* oJSON)
{
    return NotAvailable("JSONIsArray", oJSON);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONCount(VARIANT*, VARIANT* oJSON)
{
    return NotAvailable("JSONCount", oJSON);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetPair(VARIANT*, LONG, VARIANT* oJSON)
{
    return NotAvailable("JSONGetPair", oJSON);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetPairValue(VARIANT*, VARIANT* oJSON)
{
    return NotAvailable("JSONGetPairValue", oJSON);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddArrayElementNested(VARIANT*, BSTR, VARIANT* oJSON)
{
    return NotAvailable("JSONAddArrayElementNested", oJSON);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::DSToJSON(BSTR*, BSTR*, BSTR*, VARIANT, BSTR*, BSTR* oXML)
{
    return NotAvailable("DSToJSON", oXML);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::SendMail(BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, int,
                                                VARIANT_BOOL, BSTR* Res)
{
    return NotAvailable("SendMail", Res);
}

// A VARIANT_BOOL value is not cleared on entry: it holds what the method writes.
HRESULT STDMETHODCALLTYPE TBramoltCOM::EncodeBase64(BSTR, BSTR, VARIANT_BOOL*)
{
    return NotAvailable("EncodeBase64");
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::DecodeBase64(BSTR, BSTR, VARIANT_BOOL*)
{
    return NotAvailable("DecodeBase64");
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::GenerateQR(BSTR, BSTR, VARIANT_BOOL*)
{
    return NotAvailable("GenerateQR");
}

} // namespace bramolt
