// JSONCreate, JSONFormat and JSONFree: JSON text into a tree held by the server, any node
// of it back to text, and a tree released.
#include "automation/BramoltCOM.h"
#include "automation/JSONMethodSupport.h"
#include "automation/MethodValues.h"
#include "automation/VariantConversion.h"
#include "json/JSONParser.h"
#include "json/JSONWriter.h"

namespace bramolt {

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONCreate(BSTR strJSON, VARIANT* oJSON)
{
    return AnswerOrZero(oJSON, [&] {
        // Text that is not JSON is an ordinary answer (handle 0), not a failure.
        auto root = json::ParseJSONValue(TextFromBstr(strJSON));
        SetHandleValue(oJSON, root ? FJSONHandles.AdoptRoot(std::move(root)) : 0);
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONFormat(VARIANT* iJSON, BSTR* oStrJSON)
{
    return InvokeGuarded([&] {
        ClearValue(oStrJSON);
        std::u16string text;
        try {
            const json::TJSONAncestor* node = NodeFromArgument(FJSONHandles, iJSON);
            if (node == nullptr)
                throw std::invalid_argument("JSON handle 0 designates no node");
            text = json::ToJSON(*node, {.EncodeBelow32 = true, .EncodeAbove127 = true});
        } catch (...) {
            const auto message = CurrentExceptionMessage();
            text = message ? u"Exception: (" + *message + u")" : u"Error desconocido";
        }
        *oStrJSON = NewBstr(text);
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONFree(VARIANT* iJSON)
{
    return InvokeGuarded([&] {
        try {
            if (iJSON != nullptr)
                FJSONHandles.Free(HandleFromVariant(*iJSON));
        } catch (...) {
            // Freeing reports nothing, a handle that cannot be converted included.
        }
    });
}

} // namespace bramolt
