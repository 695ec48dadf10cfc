#include "json/JSONWriter.h"

#include <cassert>
#include <cstdint>
#include <vector>

#include "json/JSONStringEscape.h"

namespace bramolt::json {

namespace {

// Printing runs the same walk twice: once to count the exact length of the text, once
// to write it into a buffer of that length. A large text is thus allocated and touched
// once, with no growth copies and no capacity checks while writing.
class TLengthCounter {
  public:
    explicit TLengthCounter(const TStringEscaper<TFastUnits>& escaper) : FEscaper(escaper) {}
    void Put(char16_t) { ++FLength; }
    void PutAscii(std::string_view text) { FLength += text.size(); }
    void PutString(std::u16string_view text) { FLength += FEscaper.Length(text); }
    std::size_t Length() const { return FLength; }

  private:
    const TStringEscaper<TFastUnits>& FEscaper;
    std::size_t FLength = 0;
};

class TTextWriter {
  public:
    TTextWriter(const TStringEscaper<TFastUnits>& escaper, char16_t* out) : FEscaper(escaper), FOut(out) {}
    void Put(char16_t c) { *FOut++ = c; }
    void PutAscii(std::string_view text)
    {
        for (char c : text)
            *FOut++ = static_cast<char16_t>(c);
    }
    void PutString(std::u16string_view text) { FOut = FEscaper.Write(text, FOut); }
    const char16_t* End() const { return FOut; }

  private:
    const TStringEscaper<TFastUnits>& FEscaper;
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
            FSink.PutAscii(static_cast<const TJSONNumber&>(value).Value());
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
    const TStringEscaper<TFastUnits> escaper(options);
    TLengthCounter counter(escaper);
    TTreeWalker<TLengthCounter>(counter, stack).Walk(node);
    const std::size_t length = counter.Length();
    std::u16string text(length + TStringEscaper<TFastUnits>::kOverrun, u'\0');
    TTextWriter writer(escaper, text.data());
    TTreeWalker<TTextWriter>(writer, stack).Walk(node);
    assert(writer.End() == text.data() + length);
    text.resize(length);
    return text;
}

} // namespace bramolt::json
