// The JSON methods that walk and read a tree: by path, by position, through a pair, and by
// asking a node's kind and size. None of them changes a tree. Every failure is reported
// through the method's failure value; only JSONGetPairKey and JSONGetPairValue let a handle
// argument that is no integer fail the call.
#include "automation/BramoltCOM.h"
#include "automation/JSONMethodSupport.h"
#include "automation/MethodValues.h"
#include "automation/VariantConversion.h"
#include "json/JSONNumberText.h"
#include "json/JSONPath.h"

namespace bramolt {

namespace {

void FailWithEmptyText(VARIANT* value)
{
    SetTextValue(value, {});
}

class ENoSuchNode : public std::runtime_error {
  public:
    ENoSuchNode() : std::runtime_error("no such JSON node") {}
};

template <typename Node> Node& Require(Node* node)
{
    if (node == nullptr)
        throw ENoSuchNode();
    return *node;
}

// The node a path designates from the iJSON argument. A pair is no starting point: it is
// not a value, so no path leads anywhere from it.
json::TJSONValue& NodeAtPath(const json::TJSONHandleTable& handles, VARIANT* iJSON, BSTR path)
{
    json::TJSONAncestor& start = Require(NodeFromArgument(handles, iJSON));
    if (start.IsPair())
        throw ENoSuchNode();
    return Require(json::FindJSONPath(start, TextFromBstr(path)));
}

// Element `index` of the array, or member `index` of the object, that the iJSON argument
// designates.
template <typename Container>
json::TJSONAncestor& ItemOf(const json::TJSONHandleTable& handles, VARIANT* iJSON, LONG index)
{
    json::TJSONAncestor& node = Require(NodeFromArgument(handles, iJSON));
    const bool rightKind = std::is_same_v<Container, json::TJSONArray> ? node.IsArray() : node.IsObject();
    if (!rightKind)
        throw ENoSuchNode();
    const auto& container = static_cast<const Container&>(node);
    if (index < 0 || static_cast<std::size_t>(index) >= container.Count())
        throw ENoSuchNode();
    if constexpr (std::is_same_v<Container, json::TJSONArray>)
        return container.Element(static_cast<std::size_t>(index));
    else
        return container.Pair(static_cast<std::size_t>(index));
}

std::int32_t CountOf(const json::TJSONAncestor* node)
{
    if (node != nullptr && node->IsArray())
        return static_cast<std::int32_t>(static_cast<const json::TJSONArray*>(node)->Count());
    if (node != nullptr && node->IsObject())
        return static_cast<std::int32_t>(static_cast<const json::TJSONObject*>(node)->Count());
    return -1;
}

// The pair of JSONGetPairKey and JSONGetPairValue. The handle is converted by the caller,
// outside the failure value, since its conversion error leaves these two methods.
json::TJSONPair& PairOf(const json::TJSONHandleTable& handles, std::uint32_t handle)
{
    json::TJSONAncestor& node = Require(NodeFromHandle(handles, handle));
    if (!node.IsPair())
        throw ENoSuchNode();
    return static_cast<json::TJSONPair&>(node);
}

// JSONIsObject and JSONIsArray: handle 0 is no node of any kind, not a failure.
HRESULT AnswerKindTest(const json::TJSONHandleTable& handles, VARIANT* iJSON, VARIANT* oJSON,
                       bool (json::TJSONAncestor::*isKind)() const)
{
    return AnswerOrZero(oJSON, [&] {
        const json::TJSONAncestor* node = NodeFromArgument(handles, iJSON);
        SetBoolValue(oJSON, node != nullptr && (node->*isKind)());
    });
}

} // namespace

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetElement(VARIANT* iJSON, BSTR key, VARIANT* oJSON)
{
    return AnswerOrZero(
        oJSON, [&] { SetHandleValue(oJSON, FJSONHandles.Issue(NodeAtPath(FJSONHandles, iJSON, key))); });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetNodeValue(VARIANT* iJSON, BSTR key, VARIANT* oJSON)
{
    return AnswerOrZero(oJSON, [&] {
        const json::TJSONValue& node = NodeAtPath(FJSONHandles, iJSON, key);
        if (node.IsNumber()) {
            // Number texts always use ".", whatever the regional settings say.
            const auto number = json::ReadJSONNumber(static_cast<const json::TJSONNumber&>(node).Value());
            if (!number)
                throw std::range_error("the number is outside the range of a double");
            SetDoubleValue(oJSON, *number);
        } else if (node.IsString()) {
            SetTextValue(oJSON, static_cast<const json::TJSONString&>(node).Value());
        } else if (node.IsBool()) {
            SetBoolValue(oJSON, static_cast<const json::TJSONBool&>(node).Value());
        } else if (node.IsNull()) {
            V_VT(oJSON) = VT_NULL;
        }
        // An object or an array has no value: VT_EMPTY.
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetArrayElement(VARIANT* iJSON, LONG index, VARIANT* oJSON)
{
    return AnswerOrZero(oJSON, [&] {
        SetHandleValue(oJSON, FJSONHandles.Issue(ItemOf<json::TJSONArray>(FJSONHandles, iJSON, index)));
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONArrayCount(VARIANT* iJSON, LONG* count)
{
    return InvokeGuarded([&] {
        if (count == nullptr)
            throw ComError(E_POINTER, "the value parameter is missing");
        try {
            const json::TJSONAncestor* node = NodeFromArgument(FJSONHandles, iJSON);
            *count = node != nullptr && node->IsArray() ? CountOf(node) : -1;
        } catch (...) {
            *count = -2;
        }
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONCount(VARIANT* iJSON, VARIANT* oJSON)
{
    return AnswerOrZero(oJSON, [&] { SetInt32Value(oJSON, CountOf(NodeFromArgument(FJSONHandles, iJSON))); });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONIsObject(VARIANT* iJSON, VARIANT* oJSON)
{
    return AnswerKindTest(FJSONHandles, iJSON, oJSON, &json::TJSONAncestor::IsObject);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONIsArray(VARIANT* iJSON, VARIANT* oJSON)
{
    return AnswerKindTest(FJSONHandles, iJSON, oJSON, &json::TJSONAncestor::IsArray);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetPair(VARIANT* iJSON, LONG index, VARIANT* oJSON)
{
    return AnswerOrZero(oJSON, [&] {
        SetHandleValue(oJSON, FJSONHandles.Issue(ItemOf<json::TJSONObject>(FJSONHandles, iJSON, index)));
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetPairKey(VARIANT* iJSON, VARIANT* key)
{
    return InvokeGuarded([&] {
        ClearValue(key);
        const std::uint32_t handle = iJSON != nullptr ? HandleFromVariant(*iJSON) : 0;
        WithFailureValue(
            key, [&] { SetTextValue(key, PairOf(FJSONHandles, handle).Key()); }, FailWithEmptyText);
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetPairValue(VARIANT* iJSON, VARIANT* oJSON)
{
    return InvokeGuarded([&] {
        ClearValue(oJSON);
        const std::uint32_t handle = iJSON != nullptr ? HandleFromVariant(*iJSON) : 0;
        WithFailureValue(
            oJSON,
            [&] { SetHandleValue(oJSON, FJSONHandles.Issue(PairOf(FJSONHandles, handle).JsonValue())); },
            FailWithEmptyText);
    });
}

} // namespace bramolt
