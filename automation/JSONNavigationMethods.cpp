// The JSON methods that walk and read a tree: by path, by position, through a pair, and by
// asking a node's kind and size. None of them changes a tree. Every failure is reported
// through the method's failure value; only JSONGetPairKey and JSONGetPairValue let a handle
// argument that is no integer fail the call. A node that is not there is an ordinary
// answer: the failure value.
#include <variant>

#include "automation/BramoltCOM.h"
#include "automation/JSONMethodSupport.h"
#include "automation/MethodAnswer.h"
#include "json/JSONNumberText.h"
#include "json/JSONPath.h"

namespace bramolt {

namespace {

// The node a path designates from the iJSON argument; no node when there is none. A pair
// is no starting point: it is not a value, so no path leads anywhere from it.
json::TJSONNodeRef NodeAtPath(const json::TJSONHandleTable& handles, VARIANT* iJSON, BSTR path)
{
    const json::TJSONNodeRef start = NodeFromArgument(handles, iJSON);
    if (start.Node == nullptr || start.Node->IsPair())
        return {};
    return json::FindJSONPath(start, TextFromBstr(path));
}

// Element `index` of the array, or member `index` of the object, that the iJSON argument
// designates; no node when there is none.
template <typename Container>
json::TJSONNodeRef ItemOf(const json::TJSONHandleTable& handles, VARIANT* iJSON, LONG index)
{
    const json::TJSONNodeRef ref = NodeFromArgument(handles, iJSON);
    json::TJSONAncestor* node = ref.Node;
    const bool rightKind =
        node != nullptr && (std::is_same_v<Container, json::TJSONArray> ? node->IsArray() : node->IsObject());
    if (!rightKind)
        return {};
    auto& container = static_cast<Container&>(*node);
    if (index < 0 || static_cast<std::size_t>(index) >= container.Count())
        return {};
    json::TJSONAncestor* item;
    if constexpr (std::is_same_v<Container, json::TJSONArray>)
        item = &container.Element(static_cast<std::size_t>(index));
    else
        item = &container.Pair(static_cast<std::size_t>(index));
    return {item, ref.Tree, &container};
}

// A handle issued for the node, or nothing when there is no node.
std::optional<THandle> HandleOf(json::TJSONHandleTable& handles, const json::TJSONNodeRef& ref)
{
    if (ref.Node == nullptr)
        return std::nullopt;
    return THandle{handles.Issue(ref)};
}

std::int32_t CountOf(const json::TJSONAncestor* node)
{
    if (node != nullptr && node->IsArray())
        return static_cast<std::int32_t>(static_cast<const json::TJSONArray*>(node)->Count());
    if (node != nullptr && node->IsObject())
        return static_cast<std::int32_t>(static_cast<const json::TJSONObject*>(node)->Count());
    return -1;
}

// The pair of JSONGetPairKey and JSONGetPairValue; no node when the handle designates none.
json::TJSONNodeRef PairOf(const json::TJSONHandleTable& handles, std::int64_t handle)
{
    const json::TJSONNodeRef ref = NodeFromHandle(handles, handle);
    if (ref.Node == nullptr || !ref.Node->IsPair())
        return {};
    return ref;
}

// What JSONGetNodeValue answers for a node: an object or an array has no value (VT_EMPTY).
using TNodeValue = std::variant<TEmptyAnswer, TNullAnswer, bool, double, std::u16string_view>;

TNodeValue ValueOf(const json::TJSONValue& node)
{
    if (node.IsNumber()) {
        // Number texts always use ".", whatever the regional settings say.
        const auto number = json::ReadJSONNumber(static_cast<const json::TJSONNumber&>(node).Value());
        if (!number)
            throw std::range_error("the number is outside the range of a double");
        return *number;
    }
    if (node.IsString())
        return std::u16string_view(static_cast<const json::TJSONString&>(node).Value());
    if (node.IsBool())
        return static_cast<const json::TJSONBool&>(node).Value();
    if (node.IsNull())
        return TNullAnswer{};
    return TEmptyAnswer{};
}

// JSONIsObject and JSONIsArray: handle 0 is no node of any kind, not a failure.
HRESULT AnswerKindTest(const TAutomationClass& answering, const json::TJSONHandleTable& handles,
                       VARIANT* iJSON, VARIANT* oJSON, bool (json::TJSONAncestor::*isKind)() const)
{
    return Answer(answering, oJSON, ZeroOnFailure, [&] {
        const json::TJSONAncestor* node = NodeFromArgument(handles, iJSON).Node;
        return node != nullptr && (node->*isKind)();
    });
}

} // namespace

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetElement(VARIANT* iJSON, BSTR key, VARIANT* oJSON)
{
    return Answer(FClass, oJSON, ZeroOnFailure,
                  [&] { return HandleOf(FJSONHandles, NodeAtPath(FJSONHandles, iJSON, key)); });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetNodeValue(VARIANT* iJSON, BSTR key, VARIANT* oJSON)
{
    return Answer(FClass, oJSON, ZeroOnFailure, [&]() -> std::optional<TNodeValue> {
        const json::TJSONAncestor* node = NodeAtPath(FJSONHandles, iJSON, key).Node;
        if (node == nullptr)
            return std::nullopt;
        return ValueOf(static_cast<const json::TJSONValue&>(*node));
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetArrayElement(VARIANT* iJSON, LONG index, VARIANT* oJSON)
{
    return Answer(FClass, oJSON, ZeroOnFailure, [&] {
        return HandleOf(FJSONHandles, ItemOf<json::TJSONArray>(FJSONHandles, iJSON, index));
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONArrayCount(VARIANT* iJSON, LONG* count)
{
    return Answer(
        FClass, count, [] { return LONG{-2}; },
        [&] {
            const json::TJSONAncestor* node = NodeFromArgument(FJSONHandles, iJSON).Node;
            return LONG{node != nullptr && node->IsArray() ? CountOf(node) : -1};
        });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONCount(VARIANT* iJSON, VARIANT* oJSON)
{
    return Answer(FClass, oJSON, ZeroOnFailure,
                  [&] { return CountOf(NodeFromArgument(FJSONHandles, iJSON).Node); });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONIsObject(VARIANT* iJSON, VARIANT* oJSON)
{
    return AnswerKindTest(FClass, FJSONHandles, iJSON, oJSON, &json::TJSONAncestor::IsObject);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONIsArray(VARIANT* iJSON, VARIANT* oJSON)
{
    return AnswerKindTest(FClass, FJSONHandles, iJSON, oJSON, &json::TJSONAncestor::IsArray);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetPair(VARIANT* iJSON, LONG index, VARIANT* oJSON)
{
    return Answer(FClass, oJSON, ZeroOnFailure, [&] {
        return HandleOf(FJSONHandles, ItemOf<json::TJSONObject>(FJSONHandles, iJSON, index));
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetPairKey(VARIANT* iJSON, VARIANT* key)
{
    return Answer(
        FClass, key, EmptyTextOnFailure, [&] { return HandleArgument(iJSON); },
        [&](std::int64_t handle) -> std::optional<std::u16string_view> {
            const json::TJSONAncestor* pair = PairOf(FJSONHandles, handle).Node;
            if (pair == nullptr)
                return std::nullopt;
            return static_cast<const json::TJSONPair*>(pair)->Key();
        });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetPairValue(VARIANT* iJSON, VARIANT* oJSON)
{
    return Answer(
        FClass, oJSON, EmptyTextOnFailure, [&] { return HandleArgument(iJSON); },
        [&](std::int64_t handle) {
            const json::TJSONNodeRef pair = PairOf(FJSONHandles, handle);
            if (pair.Node == nullptr)
                return HandleOf(FJSONHandles, {});
            // The value lives in the same object as its pair.
            return HandleOf(FJSONHandles,
                            {&static_cast<json::TJSONPair*>(pair.Node)->JsonValue(), pair.Tree, pair.Holder});
        });
}

} // namespace bramolt
