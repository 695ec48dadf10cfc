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

// The node a path designates from the iJSON argument, or nullptr. A pair is no starting
// point: it is not a value, so no path leads anywhere from it.
json::TJSONValue* NodeAtPath(const json::TJSONHandleTable& handles, VARIANT* iJSON, BSTR path)
{
    json::TJSONAncestor* start = NodeFromArgument(handles, iJSON);
    if (start == nullptr || start->IsPair())
        return nullptr;
    return json::FindJSONPath(*start, TextFromBstr(path));
}

// Element `index` of the array, or member `index` of the object, that the iJSON argument
// designates, or nullptr.
template <typename Container>
json::TJSONAncestor* ItemOf(const json::TJSONHandleTable& handles, VARIANT* iJSON, LONG index)
{
    json::TJSONAncestor* node = NodeFromArgument(handles, iJSON);
    const bool rightKind =
        node != nullptr && (std::is_same_v<Container, json::TJSONArray> ? node->IsArray() : node->IsObject());
    if (!rightKind)
        return nullptr;
    const auto& container = static_cast<const Container&>(*node);
    if (index < 0 || static_cast<std::size_t>(index) >= container.Count())
        return nullptr;
    if constexpr (std::is_same_v<Container, json::TJSONArray>)
        return &container.Element(static_cast<std::size_t>(index));
    else
        return &container.Pair(static_cast<std::size_t>(index));
}

// A handle issued for `node`, or nothing when there is no node.
std::optional<THandle> HandleOf(json::TJSONHandleTable& handles, json::TJSONAncestor* node)
{
    if (node == nullptr)
        return std::nullopt;
    return THandle{handles.Issue(*node)};
}

std::int32_t CountOf(const json::TJSONAncestor* node)
{
    if (node != nullptr && node->IsArray())
        return static_cast<std::int32_t>(static_cast<const json::TJSONArray*>(node)->Count());
    if (node != nullptr && node->IsObject())
        return static_cast<std::int32_t>(static_cast<const json::TJSONObject*>(node)->Count());
    return -1;
}

// The pair of JSONGetPairKey and JSONGetPairValue, or nullptr.
json::TJSONPair* PairOf(const json::TJSONHandleTable& handles, std::int64_t handle)
{
    json::TJSONAncestor* node = NodeFromHandle(handles, handle);
    if (node == nullptr || !node->IsPair())
        return nullptr;
    return static_cast<json::TJSONPair*>(node);
}

// What JSONGetNodeValue answers for a node: an object or an array has no value (VT_EMPTY).
using TNodeValue = std::variant<TEmpty, TNull, bool, double, std::u16string_view>;

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
        return TNull{};
    return TEmpty{};
}

// JSONIsObject and JSONIsArray: handle 0 is no node of any kind, not a failure.
HRESULT AnswerKindTest(const json::TJSONHandleTable& handles, VARIANT* iJSON, VARIANT* oJSON,
                       bool (json::TJSONAncestor::*isKind)() const)
{
    return Answer(oJSON, ZeroOnFailure, [&] {
        const json::TJSONAncestor* node = NodeFromArgument(handles, iJSON);
        return node != nullptr && (node->*isKind)();
    });
}

} // namespace

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetElement(VARIANT* iJSON, BSTR key, VARIANT* oJSON)
{
    return Answer(oJSON, ZeroOnFailure,
                  [&] { return HandleOf(FJSONHandles, NodeAtPath(FJSONHandles, iJSON, key)); });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetNodeValue(VARIANT* iJSON, BSTR key, VARIANT* oJSON)
{
    return Answer(oJSON, ZeroOnFailure, [&]() -> std::optional<TNodeValue> {
        const json::TJSONValue* node = NodeAtPath(FJSONHandles, iJSON, key);
        if (node == nullptr)
            return std::nullopt;
        return ValueOf(*node);
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetArrayElement(VARIANT* iJSON, LONG index, VARIANT* oJSON)
{
    return Answer(oJSON, ZeroOnFailure, [&] {
        return HandleOf(FJSONHandles, ItemOf<json::TJSONArray>(FJSONHandles, iJSON, index));
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONArrayCount(VARIANT* iJSON, LONG* count)
{
    return Answer(
        count, [] { return LONG{-2}; },
        [&] {
            const json::TJSONAncestor* node = NodeFromArgument(FJSONHandles, iJSON);
            return LONG{node != nullptr && node->IsArray() ? CountOf(node) : -1};
        });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONCount(VARIANT* iJSON, VARIANT* oJSON)
{
    return Answer(oJSON, ZeroOnFailure, [&] { return CountOf(NodeFromArgument(FJSONHandles, iJSON)); });
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
    return Answer(oJSON, ZeroOnFailure, [&] {
        return HandleOf(FJSONHandles, ItemOf<json::TJSONObject>(FJSONHandles, iJSON, index));
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetPairKey(VARIANT* iJSON, VARIANT* key)
{
    return Answer(
        key, EmptyTextOnFailure, [&] { return HandleArgument(iJSON); },
        [&](std::int64_t handle) -> std::optional<std::u16string_view> {
            const json::TJSONPair* pair = PairOf(FJSONHandles, handle);
            if (pair == nullptr)
                return std::nullopt;
            return pair->Key();
        });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONGetPairValue(VARIANT* iJSON, VARIANT* oJSON)
{
    return Answer(
        oJSON, EmptyTextOnFailure, [&] { return HandleArgument(iJSON); },
        [&](std::int64_t handle) {
            json::TJSONPair* pair = PairOf(FJSONHandles, handle);
            return HandleOf(FJSONHandles, pair != nullptr ? &pair->JsonValue() : nullptr);
        });
}

} // namespace bramolt
