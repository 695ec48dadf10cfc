// The JSON methods that build trees: empty objects and arrays, attached to a parent or
// standing alone as new roots, and members holding text, numbers and booleans. New nodes
// are made in their place in the parent once every argument has been converted; when any
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
// else made by `attach` in the parent's tree, which adds it to the parent and returns it.
template <typename Attach>
std::uint32_t NewObject(json::TJSONHandleTable& handles, VARIANT* iJSON, Attach attach)
{
    const json::TJSONNodeRef parent = NodeFromArgument(handles, iJSON);
    if (parent.Node == nullptr)
        return handles.AdoptRoot(json::TJSONRoot::Make(json::TJSONNewNode::Object()));
    auto& holder = static_cast<json::TJSONValue&>(*parent.Node);
    return handles.Issue({&attach(*parent.Tree, holder), parent.Tree, &holder});
}

// The member of JSONAddNodeAsNumber and JSONAddNodeAsBool, whose key is a VARIANT: an empty
// key, like a parent of 0, adds nothing.
void AddNamedMember(const json::TJSONNodeRef& parent, const VARIANT& key, const json::TJSONNewNode& value)
{
    const std::u16string name = TextFromVariant(key);
    if (parent.Node != nullptr && !name.empty())
        parent.Tree->AddMember(RequireObject(*parent.Node), name, value);
}

} // namespace

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddElement(VARIANT* iJSON, BSTR key, VARIANT* oJSON)
{
    return Answer(FClass, oJSON, ZeroOnFailure, [&] {
        return THandle{NewObject(
            FJSONHandles, iJSON, [&](json::TJSONTree & tree, json::TJSONValue & parent) -> auto& {
                return tree.AddMember(RequireObject(parent), TextFromBstr(key), json::TJSONNewNode::Object())
                    .JsonValue();
            })};
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddArrayElement(VARIANT* iJSON, VARIANT* oJSON)
{
    return Answer(FClass, oJSON, ZeroOnFailure, [&] {
        return THandle{NewObject(
            FJSONHandles, iJSON, [](json::TJSONTree & tree, json::TJSONValue & parent) -> auto& {
                return tree.AddElement(RequireArray(parent), json::TJSONNewNode::Object());
            })};
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddArray(VARIANT* iJSON, BSTR key, VARIANT* oJSON)
{
    return Answer(FClass, oJSON, ZeroOnFailure, [&] {
        const json::TJSONNodeRef parent = NodeFromArgument(FJSONHandles, iJSON);
        if (parent.Node == nullptr)
            throw EWrongParent();
        json::TJSONObject& object = RequireObject(*parent.Node);
        json::TJSONPair& pair =
            parent.Tree->AddMember(object, TextFromBstr(key), json::TJSONNewNode::Array());
        return THandle{FJSONHandles.Issue({&pair.JsonValue(), parent.Tree, &object})};
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddArrayElementNested(VARIANT* iJSON, BSTR value, VARIANT* oJSON)
{
    // Answers nothing (VT_EMPTY) when the element is added.
    return Answer(FClass, oJSON, ZeroOnFailure, [&] {
        // The text is stored as a string, never parsed: JSON in it prints escaped.
        const json::TJSONNodeRef parent = NodeFromArgument(FJSONHandles, iJSON);
        if (parent.Node != nullptr)
            parent.Tree->AddElement(RequireArray(*parent.Node),
                                    json::TJSONNewNode::String(TextFromBstr(value)));
    });
}

// The methods without a value report no failure.

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddNode(VARIANT* iJSON, BSTR key, VARIANT value)
{
    return Answer(FClass, IgnoreFailure, [&] {
        const json::TJSONNodeRef parent = NodeFromArgument(FJSONHandles, iJSON);
        const std::u16string text = TextFromVariant(value);
        if (parent.Node != nullptr)
            parent.Tree->AddMember(RequireObject(*parent.Node), TextFromBstr(key),
                                   json::TJSONNewNode::String(text));
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddNodeAsNumber(VARIANT* iJSON, VARIANT key, VARIANT* value)
{
    return Answer(FClass, IgnoreFailure, [&] {
        const json::TJSONNodeRef parent = NodeFromArgument(FJSONHandles, iJSON);
        if (value == nullptr)
            return;
        // JSON has no text for NaN or the infinities: such a value throws and adds nothing.
        const std::string number = json::FormatJSONNumber(DoubleFromVariant(*value));
        AddNamedMember(parent, key, json::TJSONNewNode::Number(number));
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONAddNodeAsBool(VARIANT* iJSON, VARIANT key, VARIANT* value)
{
    return Answer(FClass, IgnoreFailure, [&] {
        const json::TJSONNodeRef parent = NodeFromArgument(FJSONHandles, iJSON);
        if (value == nullptr)
            return;
        AddNamedMember(parent, key, json::TJSONNewNode::Bool(BooleanFromVariant(*value)));
    });
}

} // namespace bramolt
