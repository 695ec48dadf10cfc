#include "json/JSONWriter.h"

#include <array>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <vector>

#include "text/HexDigits.h"

namespace bramolt::json {

namespace {

// How an ASCII character is written: 0 itself, 'u' as \u00XX (below U+0020 only),
// any other value as a reverse solidus and that character.
constexpr std::array<char, 128> kAsciiEscape = [] {
    std::array<char, 128> table{};
    for (int c = 0; c < 0x20; ++c)
        table[c] = 'u';
    table['\b'] = 'b';
    table['\t'] = 't';
    table['\n'] = 'n';
    table['\f'] = 'f';
    table['\r'] = 'r';
    table['"'] = '"';
    table['/'] = '/';
    table['\\'] = '\\';
    return table;
}();

// The escape of every character under one set of options, looked up by EscapeIndex:
// 0 the character itself, 'u' a \uXXXX escape, any other value a reverse solidus and
// that character. Built once per print, so the loops below test no options.
class TEscapeTable {
  public:
    explicit TEscapeTable(TJSONOutputOptions options)
    {
        for (std::size_t c = 0; c < 0x80; ++c)
            FEscape[c] = kAsciiEscape[c] == 'u' && !options.EncodeBelow32 ? 0 : kAsciiEscape[c];
        FEscape[0x80] = options.EncodeAbove127 ? 'u' : 0;
        for (std::size_t i = 0; i < FEscape.size(); ++i)
            FLength[i] = FEscape[i] == 0 ? 1 : FEscape[i] == 'u' ? 6 : 2;
    }
    char Escape(char16_t c) const { return FEscape[Index(c)]; }
    std::uint8_t Length(char16_t c) const { return FLength[Index(c)]; }

  private:
    static std::size_t Index(char16_t c) { return c < 0x80 ? c : 0x80; }
    std::array<char, 0x81> FEscape;
    std::array<std::uint8_t, 0x81> FLength;
};

// Printing runs the same walk twice: once to count the exact length of the text, once
// to write it into a buffer of that length. A large text is thus allocated and touched
// once, with no growth copies and no capacity checks while writing.
class TLengthCounter {
  public:
    explicit TLengthCounter(const TEscapeTable& escapes) : FEscapes(escapes) {}
    void Put(char16_t) { ++FLength; }
    void PutAscii(std::string_view text) { FLength += text.size(); }
    void PutRaw(std::u16string_view text) { FLength += text.size(); }
    void PutString(std::u16string_view text)
    {
        std::size_t length = 2;
        for (char16_t c : text)
            length += FEscapes.Length(c);
        FLength += length;
    }
    std::size_t Length() const { return FLength; }

  private:
    const TEscapeTable& FEscapes;
    std::size_t FLength = 0;
};

class TTextWriter {
  public:
    TTextWriter(const TEscapeTable& escapes, char16_t* out) : FEscapes(escapes), FOut(out) {}
    void Put(char16_t c) { *FOut++ = c; }
    void PutAscii(std::string_view text)
    {
        for (char c : text)
            *FOut++ = static_cast<char16_t>(c);
    }
    void PutRaw(std::u16string_view text)
    {
        std::memcpy(FOut, text.data(), text.size() * sizeof(char16_t));
        FOut += text.size();
    }
    void PutString(std::u16string_view text)
    {
        char16_t* d = FOut;
        *d++ = u'"';
        for (char16_t c : text) {
            const char escape = FEscapes.Escape(c);
            if (escape == 0) {
                *d++ = c;
            } else if (escape != 'u') {
                *d++ = u'\\';
                *d++ = static_cast<char16_t>(escape);
            } else {
                *d++ = u'\\';
                *d++ = u'u';
                *d++ = text::UpperHexDigit(c >> 12);
                *d++ = text::UpperHexDigit(c >> 8);
                *d++ = text::UpperHexDigit(c >> 4);
                *d++ = text::UpperHexDigit(c);
            }
        }
        *d++ = u'"';
        FOut = d;
    }
    const char16_t* End() const { return FOut; }

  private:
    const TEscapeTable& FEscapes;
    char16_t* FOut;
};

// Walks the tree without recursion: `stack` holds one frame per open container, so any
// depth a tree can be built to prints.
template <typename TSink> class TTreeWalker {
  public:
    TTreeWalker(TSink& sink, std::vector<std::pair<const TJSONValue*, std::size_t>>& stack)
        : FSink(sink), FStack(stack)
    {
    }

    void Walk(const TJSONAncestor& node)
    {
        if (node.IsPair())
            WritePair(static_cast<const TJSONPair&>(node));
        else
            Open(static_cast<const TJSONValue&>(node));
        while (!FStack.empty()) {
            auto& [container, next] = FStack.back();
            const std::size_t index = next++;
            if (container->IsObject()) {
                const auto& object = static_cast<const TJSONObject&>(*container);
                if (index == object.Count()) {
                    FStack.pop_back();
                    FSink.Put(u'}');
                    continue;
                }
                if (index != 0)
                    FSink.Put(u',');
                WritePair(object.Pair(index)); // may push a frame: the references above die here
            } else {
                const auto& array = static_cast<const TJSONArray&>(*container);
                if (index == array.Count()) {
                    FStack.pop_back();
                    FSink.Put(u']');
                    continue;
                }
                if (index != 0)
                    FSink.Put(u',');
                Open(array.Element(index));
            }
        }
    }

  private:
    void WritePair(const TJSONPair& pair)
    {
        FSink.PutString(pair.Key());
        FSink.Put(u':');
        Open(pair.JsonValue());
    }

    // Writes a scalar whole, or the opening of a container with a frame for its children.
    void Open(const TJSONValue& value)
    {
        switch (value.Kind()) {
        case TJSONKind::jkObject:
        case TJSONKind::jkArray:
            FSink.Put(value.IsObject() ? u'{' : u'[');
            FStack.emplace_back(&value, 0);
            break;
        case TJSONKind::jkString:
            FSink.PutString(static_cast<const TJSONString&>(value).Value());
            break;
        case TJSONKind::jkNumber:
            FSink.PutRaw(static_cast<const TJSONNumber&>(value).Value());
            break;
        case TJSONKind::jkBool:
            FSink.PutAscii(static_cast<const TJSONBool&>(value).Value() ? "true" : "false");
            break;
        case TJSONKind::jkNull:
            FSink.PutAscii("null");
            break;
        case TJSONKind::jkPair:
            break; // a pair is never a value
        }
    }

    TSink& FSink;
    std::vector<std::pair<const TJSONValue*, std::size_t>>& FStack;
};

} // namespace

std::u16string ToJSON(const TJSONAncestor& node, TJSONOutputOptions options)
{
    std::vector<std::pair<const TJSONValue*, std::size_t>> stack;
    const TEscapeTable escapes(options);
    TLengthCounter counter(escapes);
    TTreeWalker<TLengthCounter>(counter, stack).Walk(node);
    std::u16string text(counter.Length(), u'\0');
    TTextWriter writer(escapes, text.data());
    TTreeWalker<TTextWriter>(writer, stack).Walk(node);
    assert(writer.End() == text.data() + text.size());
    return text;
}

} // namespace bramolt::json
