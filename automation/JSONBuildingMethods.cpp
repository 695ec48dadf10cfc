// The JSON methods that build trees: empty objects and arrays, attached to a parent or
// standing alone as new roots, and members holding text, numbers and booleans. A new node
// is made before the parent is looked at; when any step fails it is discarded, never
// attached, and the method reports its failure value (or nothing, for those without one).
// A parent of the wrong kind is such a failure: no tree is changed.
#include "automation/BramoltCOM.h"
#include "automation/JSONMethodSupport.h"
#include "automation/MethodAnswer.h"
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

// A new empty object: a new root when the parent handle is 0, else handed to `attach`,
// which puts it into the parent and returns where it now lives. The object exists before
// the parent is looked at, and is discarded when anything after fails.
template <typename Attach>
std::uint32_t NewObject(json::TJSONHandleTable& handles, VARIANT* iJSON, Attach attach)
{
    auto object = std::make_unique<json::TJSONObject>();
    json::TJSONAncestor* parent = NodeFromArgument(handles, iJSON);
    if (parent == nullptr)
        return handles.AdoptRoot(std::move(object));
    return handles.Issue(*attach(*parent, std::move(object)));
}

// The member of JSONAddNodeAsNumber and JSONAddNodeAsBool, whose key is a VARIANT: an empty
// key, like a parent of 0, adds nothing.
void AddNamedMember(json::TJSONAncestor* parent, const VARIANT& key, std::unique_ptr<json::TJSONValue> value)
{
    std::u16string name = TextFromVariant(key);
    if (parent != nullptr && !name.empty())
        RequireObject(*parent).AddPair(std::move(name), std::move(value));
}

} // namespace

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddElement(VARIANT* iJSON, BSTR key, VARIANT* oJSON)
{
    return Answer(oJSON, ZeroOnFailure, [&] {
        return THandle{NewObject(FJSONHandles, iJSON, [&](json::TJSONAncestor& parent, auto object) {
            return &RequireObject(parent)
                        .AddPair(std::u16string(TextFromBstr(key)), std::move(object))
                        .JsonValue();
        })};
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddArrayElement(VARIANT* iJSON, VARIANT* oJSON)
{
    return Answer(oJSON, ZeroOnFailure, [&] {
        return THandle{NewObject(FJSONHandles, iJSON, [](json::TJSONAncestor& parent, auto object) {
            return &RequireArray(parent).AddElement(std::move(object));
        })};
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddArray(VARIANT* iJSON, BSTR key, VARIANT* oJSON)
{
    return Answer(oJSON, ZeroOnFailure, [&] {
        auto array = std::make_unique<json::TJSONArray>();
        json::TJSONAncestor* parent = NodeFromArgument(FJSONHandles, iJSON);
        if (parent == nullptr)
            throw EWrongParent();
        json::TJSONPair& pair =
            RequireObject(*parent).AddPair(std::u16string(TextFromBstr(key)), std::move(array));
        return THandle{FJSONHandles.Issue(pair.JsonValue())};
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddArrayElementNested(VARIANT* iJSON, BSTR value, VARIANT* oJSON)
{
    // Answers nothing (VT_EMPTY) when the element is added.
    return Answer(oJSON, ZeroOnFailure, [&] {
        // The text is stored as a string, never parsed: JSON in it prints escaped.
        if (json::TJSONAncestor* parent = NodeFromArgument(FJSONHandles, iJSON))
            RequireArray(*parent).AddElement(
                std::make_unique<json::TJSONString>(std::u16string(TextFromBstr(value))));
    });
}

// The methods without a value report no failure.

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddNode(VARIANT* iJSON, BSTR key, VARIANT value)
{
    return Answer(IgnoreFailure, [&] {
        json::TJSONAncestor* parent = NodeFromArgument(FJSONHandles, iJSON);
        auto text = std::make_unique<json::TJSONString>(TextFromVariant(value));
        if (parent != nullptr)
            RequireObject(*parent).AddPair(std::u16string(TextFromBstr(key)), std::move(text));
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddNodeAsNumber(VARIANT* iJSON, VARIANT key, VARIANT* value)
{
    return Answer(IgnoreFailure, [&] {
        json::TJSONAncestor* parent = NodeFromArgument(FJSONHandles, iJSON);
        if (value == nullptr)
            return;
        // JSON has no text for NaN or the infinities: such a value throws and adds nothing.
        auto node = std::make_unique<json::TJSONNumber>(json::FormatJSONNumber(DoubleFromVariant(*value)));
        AddNamedMember(parent, key, std::move(node));
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddNodeAsBool(VARIANT* iJSON, VARIANT key, VARIANT* value)
{
    return Answer(IgnoreFailure, [&] {
        json::TJSONAncestor* parent = NodeFromArgument(FJSONHandles, iJSON);
        if (value == nullptr)
            return;
        AddNamedMember(parent, key, std::make_unique<json::TJSONBool>(BooleanFromVariant(*value)));
    });
}

} // namespace bramolt
