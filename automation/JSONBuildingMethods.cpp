// The JSON methods that build trees: empty objects and arrays, attached to a parent or
// standing alone as new roots, and members holding text, numbers and booleans. New nodes
// are made in the tree of their parent once every argument has been converted; when any
// step fails nothing is attached, and the method reports its failure value (or nothing,
// for those without one). A parent of the wrong kind is such a failure: no tree is changed.
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

// A new empty object: a new root (with a tree of its own) when the parent handle is 0,
// else made in the parent's tree by `attach`, which adds it to the parent and returns it.
template <typename Attach>
std::uint32_t NewObject(json::TJSONHandleTable& handles, VARIANT* iJSON, Attach attach)
{
    json::TJSONAncestor* parent = NodeFromArgument(handles, iJSON);
    if (parent == nullptr)
        return handles.AdoptRoot(json::TJSONRoot::Make<json::TJSONObject>());
    return handles.Issue(attach(*parent));
}

// The member of JSONAddNodeAsNumber and JSONAddNodeAsBool, whose key is a VARIANT: an empty
// key, like a parent of 0, adds nothing. `make` makes the value in the parent's tree.
template <typename Make> void AddNamedMember(json::TJSONAncestor* parent, const VARIANT& key, Make make)
{
    const std::u16string name = TextFromVariant(key);
    if (parent != nullptr && !name.empty()) {
        json::TJSONObject& object = RequireObject(*parent);
        object.AddPair(name, make(object.Tree()));
    }
}

} // namespace

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddElement(VARIANT* iJSON, BSTR key, VARIANT* oJSON)
{
    return Answer(oJSON, ZeroOnFailure, [&] {
        return THandle{NewObject(
            FJSONHandles, iJSON, [&](json::TJSONAncestor & parent) -> auto& {
                json::TJSONObject& object = RequireObject(parent);
                return object.AddPair(TextFromBstr(key), object.Tree().New<json::TJSONObject>()).JsonValue();
            })};
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddArrayElement(VARIANT* iJSON, VARIANT* oJSON)
{
    return Answer(oJSON, ZeroOnFailure, [&] {
        return THandle{NewObject(
            FJSONHandles, iJSON, [](json::TJSONAncestor & parent) -> auto& {
                json::TJSONArray& array = RequireArray(parent);
                return array.AddElement(array.Tree().New<json::TJSONObject>());
            })};
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddArray(VARIANT* iJSON, BSTR key, VARIANT* oJSON)
{
    return Answer(oJSON, ZeroOnFailure, [&] {
        json::TJSONAncestor* parent = NodeFromArgument(FJSONHandles, iJSON);
        if (parent == nullptr)
            throw EWrongParent();
        json::TJSONObject& object = RequireObject(*parent);
        json::TJSONPair& pair = object.AddPair(TextFromBstr(key), object.Tree().New<json::TJSONArray>());
        return THandle{FJSONHandles.Issue(pair.JsonValue())};
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddArrayElementNested(VARIANT* iJSON, BSTR value, VARIANT* oJSON)
{
    // Answers nothing (VT_EMPTY) when the element is added.
    return Answer(oJSON, ZeroOnFailure, [&] {
        // The text is stored as a string, never parsed: JSON in it prints escaped.
        if (json::TJSONAncestor* parent = NodeFromArgument(FJSONHandles, iJSON)) {
            json::TJSONArray& array = RequireArray(*parent);
            array.AddElement(array.Tree().NewString(TextFromBstr(value)));
        }
    });
}

// The methods without a value report no failure.

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddNode(VARIANT* iJSON, BSTR key, VARIANT value)
{
    return Answer(IgnoreFailure, [&] {
        json::TJSONAncestor* parent = NodeFromArgument(FJSONHandles, iJSON);
        const std::u16string text = TextFromVariant(value);
        if (parent != nullptr) {
            json::TJSONObject& object = RequireObject(*parent);
            object.AddPair(TextFromBstr(key), object.Tree().NewString(text));
        }
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddNodeAsNumber(VARIANT* iJSON, VARIANT key, VARIANT* value)
{
    return Answer(IgnoreFailure, [&] {
        json::TJSONAncestor* parent = NodeFromArgument(FJSONHandles, iJSON);
        if (value == nullptr)
            return;
        // JSON has no text for NaN or the infinities: such a value throws and adds nothing.
        const std::u16string number = json::FormatJSONNumber(DoubleFromVariant(*value));
        AddNamedMember(
            parent, key, [&](json::TJSONTree & tree) -> auto& { return tree.NewNumber(number); });
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddNodeAsBool(VARIANT* iJSON, VARIANT key, VARIANT* value)
{
    return Answer(IgnoreFailure, [&] {
        json::TJSONAncestor* parent = NodeFromArgument(FJSONHandles, iJSON);
        if (value == nullptr)
            return;
        const bool flag = BooleanFromVariant(*value);
        AddNamedMember(
            parent, key, [&](json::TJSONTree & tree) -> auto& { return tree.NewBool(flag); });
    });
}

} // namespace bramolt
