#include "json/JSONValue.h"

#include "text/Utf8.h"
#include "json/JSONError.h"

#include <limits>
#include <new>

namespace bramolt::json {

namespace {

std::size_t AlignToHead(std::size_t bytes)
{
    return (bytes + alignof(TJSONAncestor) - 1) & ~(alignof(TJSONAncestor) - 1);
}

} // namespace

void* TJSONAncestor::InitText(std::size_t length)
{
    if (length > std::numeric_limits<std::uint32_t>::max())
        throw EJSONError("JSON text too long");
    const bool isLong = length > kMaxSize;
    SetFlag(isLong);
    if (isLong) {
        const auto longLength = static_cast<std::uint32_t>(length);
        std::memcpy(reinterpret_cast<char*>(this) + sizeof FHead, &longLength, sizeof longLength);
    } else {
        SetSize(static_cast<std::uint32_t>(length));
    }
    return reinterpret_cast<char*>(this) + TextOffset(isLong);
}

std::u16string TJSONString::Text() const
{
    if (Kind() == TJSONKind::jkString)
        return std::u16string(Value());
    return text::FromUtf8(static_cast<const TJSONNumber*>(this)->Value()); // ASCII is UTF-8
}

std::size_t TJSONPair::ValueOffset(std::size_t keyLength)
{
    return AlignToHead(TextBytes(keyLength, sizeof(char16_t)));
}

TJSONNewNode TJSONNewNode::String(std::u16string_view text)
{
    TJSONNewNode node(TJSONKind::jkString);
    node.FWide = true;
    node.FUnits = text.data();
    node.FLength = text.size();
    return node;
}

TJSONNewNode TJSONNewNode::Number(std::string_view text)
{
    TJSONNewNode node(TJSONKind::jkNumber);
    node.FUnits = text.data();
    node.FLength = text.size();
    return node;
}

TJSONNewNode TJSONNewNode::Number(std::u16string_view text)
{
    TJSONNewNode node(TJSONKind::jkNumber);
    node.FWide = true;
    node.FUnits = text.data();
    node.FLength = text.size();
    return node;
}

std::size_t JSONNodeBytes(TJSONKind kind, std::size_t textLength)
{
    switch (kind) {
    case TJSONKind::jkObject:
        return sizeof(TJSONObject);
    case TJSONKind::jkArray:
        return sizeof(TJSONArray);
    case TJSONKind::jkString:
        return TJSONAncestor::TextBytes(textLength, sizeof(char16_t));
    case TJSONKind::jkNumber:
        return TJSONAncestor::TextBytes(textLength, 1);
    case TJSONKind::jkBool:
        return sizeof(TJSONBool);
    case TJSONKind::jkNull:
    case TJSONKind::jkPair:
        break;
    }
    return sizeof(TJSONNull);
}

std::size_t TJSONNewNode::Bytes() const
{
    return JSONNodeBytes(FKind, FLength);
}

TJSONValue& TJSONNewNode::MakeAt(void* place) const
{
    switch (FKind) {
    case TJSONKind::jkObject:
        return *new (place) TJSONObject();
    case TJSONKind::jkArray:
        return *new (place) TJSONArray();
    case TJSONKind::jkString: {
        auto& string = *new (place) TJSONString(TJSONKind::jkString);
        void* out = string.InitText(FLength);
        if (FLength != 0)
            std::memcpy(out, FUnits, FLength * sizeof(char16_t));
        return string;
    }
    case TJSONKind::jkNumber: {
        auto& number = *new (place) TJSONNumber();
        auto* out = static_cast<char*>(number.InitText(FLength));
        if (FWide) {
            // Number texts are ASCII: UTF-16 ones are narrowed unit by unit.
            const auto* in = static_cast<const char16_t*>(FUnits);
            for (std::size_t i = 0; i < FLength; ++i)
                out[i] = static_cast<char>(in[i]);
        } else if (FLength != 0) {
            std::memcpy(out, FUnits, FLength);
        }
        return number;
    }
    case TJSONKind::jkBool:
        if (!FLiteral)
            return *new (place) TJSONBool(FFlag);
        if (FFlag)
            return *new (place) TJSONTrue();
        return *new (place) TJSONFalse();
    case TJSONKind::jkNull:
    case TJSONKind::jkPair:
        break;
    }
    return *new (place) TJSONNull();
}

} // namespace bramolt::json
