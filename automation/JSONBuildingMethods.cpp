// The JSON methods that build trees: empty objects and arrays, attached to a parent or
// standing alone as new roots, and members holding text, numbers and booleans. A new node
// is made before the parent is looked at; when any step fails it is discarded, never
// attached, and the method reports its failure value (or nothing, for those without one).
// A parent of the wrong kind is such a failure: no tree is changed.
#include <cmath>

#include "automation/BramoltCOM.h"
#include "automation/JSONMethodSupport.h"
#include "automation/MethodValues.h"
#include "automation/VariantConversion.h"
#include "json/JSONNumberText.h"

namespace bramolt {

namespace {

class EWrongParent : public std::runtime_error {
public:
    EWrongParent() : std::runtime_error("the parent node cannot hold this kind of child") {}
};

json::TJSONObject& RequireObject(json::TJSONAncestor& parent)
{
    if (!parent.IsObject())
        throw EWrongParent();
    return static_cast<json::TJSONObject&>(parent);
}

json::TJSONArray& RequireArray(json::TJSONAncestor& parent)
{
    if (!parent.IsArray())
        throw EWrongParent();
    return static_cast<json::TJSONArray&>(parent);
}

void FailWithZero(VARIANT* value) { SetInt32Value(value, 0); }

// Runs a method without a value: every failure is swallowed, as these methods report none.
template <typename Body>
void Silently(Body&& body)
{
    try {
        body();
    } catch (...) {
    }
}

}  // namespace

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddElement(VARIANT* iJSON, BSTR key, VARIANT* oJSON)
{
    return InvokeGuarded([&] {
        ClearValue(oJSON);
        WithFailureValue(
            oJSON,
            [&] {
                auto object = std::make_unique<json::TJSONObject>();
                json::TJSONAncestor* parent = NodeFromArgument(FJSONHandles, iJSON);
                if (parent == nullptr) {
                    SetHandleValue(oJSON, FJSONHandles.AdoptRoot(std::move(object)));
                    return;
                }
                json::TJSONPair& pair =
                    RequireObject(*parent).AddPair(std::u16string(TextFromBstr(key)), std::move(object));
                SetHandleValue(oJSON, FJSONHandles.Issue(pair.JsonValue()));
            },
            FailWithZero);
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddArray(VARIANT* iJSON, BSTR key, VARIANT* oJSON)
{
    return InvokeGuarded([&] {
        ClearValue(oJSON);
        WithFailureValue(
            oJSON,
            [&] {
                auto array = std::make_unique<json::TJSONArray>();
                json::TJSONAncestor* parent = NodeFromArgument(FJSONHandles, iJSON);
                if (parent == nullptr)
                    throw EWrongParent();
                json::TJSONPair& pair =
                    RequireObject(*parent).AddPair(std::u16string(TextFromBstr(key)), std::move(array));
                SetHandleValue(oJSON, FJSONHandles.Issue(pair.JsonValue()));
            },
            FailWithZero);
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddArrayElement(VARIANT* iJSON, VARIANT* oJSON)
{
    return InvokeGuarded([&] {
        ClearValue(oJSON);
        WithFailureValue(
            oJSON,
            [&] {
                auto object = std::make_unique<json::TJSONObject>();
                json::TJSONAncestor* parent = NodeFromArgument(FJSONHandles, iJSON);
                if (parent == nullptr) {
                    SetHandleValue(oJSON, FJSONHandles.AdoptRoot(std::move(object)));
                    return;
                }
                json::TJSONValue& element = RequireArray(*parent).AddElement(std::move(object));
                SetHandleValue(oJSON, FJSONHandles.Issue(element));
            },
            FailWithZero);
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddArrayElementNested(VARIANT* iJSON, BSTR value, VARIANT* oJSON)
{
    return InvokeGuarded([&] {
        ClearValue(oJSON);
        WithFailureValue(
            oJSON,
            [&] {
                // The text is stored as a string, never parsed: JSON in it prints escaped.
                if (json::TJSONAncestor* parent = NodeFromArgument(FJSONHandles, iJSON))
                    RequireArray(*parent).AddElement(
                        std::make_unique<json::TJSONString>(std::u16string(TextFromBstr(value))));
            },
            FailWithZero);
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddNode(VARIANT* iJSON, BSTR key, VARIANT value)
{
    return InvokeGuarded([&] {
        Silently([&] {
            json::TJSONAncestor* parent = NodeFromArgument(FJSONHandles, iJSON);
            auto text = std::make_unique<json::TJSONString>(TextFromVariant(value));
            if (parent != nullptr)
                RequireObject(*parent).AddPair(std::u16string(TextFromBstr(key)), std::move(text));
        });
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddNodeAsNumber(VARIANT* iJSON, VARIANT key, VARIANT* value)
{
    return InvokeGuarded([&] {
        Silently([&] {
            json::TJSONAncestor* parent = NodeFromArgument(FJSONHandles, iJSON);
            if (value == nullptr)
                return;
            const double number = DoubleFromVariant(*value);
            // JSON has no text for NaN or the infinities; such a member would make the
            // whole tree unprintable as JSON, so nothing is added.
            if (!std::isfinite(number))
                return;
            auto node = std::make_unique<json::TJSONNumber>(json::FormatJSONNumber(number));
            std::u16string name = TextFromVariant(key);
            if (parent != nullptr && !name.empty())
                RequireObject(*parent).AddPair(std::move(name), std::move(node));
        });
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddNodeAsBool(VARIANT* iJSON, VARIANT key, VARIANT* value)
{
    return InvokeGuarded([&] {
        Silently([&] {
            json::TJSONAncestor* parent = NodeFromArgument(FJSONHandles, iJSON);
            if (value == nullptr)
                return;
            auto node = std::make_unique<json::TJSONBool>(BooleanFromVariant(*value));
            std::u16string name = TextFromVariant(key);
            if (parent != nullptr && !name.empty())
                RequireObject(*parent).AddPair(std::move(name), std::move(node));
        });
    });
}

}  // namespace bramolt
