// JSONCreate, JSONFormat and JSONFree: JSON text into a tree held by the server, any node
// of it back to text, and a tree released.
#include "automation/BramoltCOM.h"
#include "automation/JSONMethodSupport.h"
#include "automation/MethodAnswer.h"
#include "text/Utf8.h"
#include "json/JSONParser.h"
#include "json/JSONWriter.h"

namespace bramolt {

namespace {

// JSONFormat answers its failures as text.
std::u16string FormatFailureText(const std::exception* error)
{
    return error != nullptr ? u"Exception: (" + text::FromUtf8(error->what()) + u")" : u"Error desconocido";
}

} // namespace

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONCreate(BSTR strJSON, VARIANT* oJSON)
{
    return Answer(FClass, oJSON, ZeroOnFailure, [&] {
        // Text that is not JSON is an ordinary answer (handle 0), not a failure.
        auto root = json::ParseJSONValue(TextFromBstr(strJSON));
        return THandle{root ? FJSONHandles.AdoptRoot(std::move(root)) : 0};
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONFormat(VARIANT* iJSON, BSTR* oStrJSON)
{
    return Answer(FClass, oStrJSON, FormatFailureText, [&] {
        const json::TJSONAncestor* node = NodeFromArgument(FJSONHandles, iJSON).Node;
        if (node == nullptr)
            throw std::invalid_argument("JSON handle 0 designates no node");
        return json::ToJSON(*node, {.EncodeBelow32 = true, .EncodeAbove127 = true});
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONFree(VARIANT* iJSON)
{
    // Freeing reports nothing, a handle that cannot be converted included.
    return Answer(FClass, IgnoreFailure, [&] { FJSONHandles.Free(HandleInRange(HandleArgument(iJSON))); });
}

} // namespace bramolt
