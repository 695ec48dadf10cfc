#include "json/JSONParser.h"

#include "text/HexDigits.h"
#include "text/Utf8.h"
#include "json/JSONPendingStack.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace bramolt::json {

namespace {

// Bytes that a string copies as they are: ASCII other than the quotation mark and the
// reverse solidus. Control characters stand for themselves inside strings.
constexpr std::array<bool, 256> kPlainStringByte = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 0x80; ++c)
        table[c] = c != '"' && c != '\\';
    return table;
}();

// Takes a whole unit: a UTF-16 unit cut to a byte could pass for an ASCII one.
bool IsDigit(unsigned c)
{
    return c >= '0' && c <= '9';
}

// Whether one of the 16-bit (or 8-bit) lanes of `v` equals `unit`: the classic test for a
// zero lane, exact as to whether there is one.
bool HasUnit16(std::uint64_t v, std::uint64_t unit)
{
    const std::uint64_t x = v ^ (unit * 0x0001000100010001u);
    return ((x - 0x0001000100010001u) & ~x & 0x8000800080008000u) != 0;
}
bool HasByte(std::uint64_t v, std::uint64_t byte)
{
    const std::uint64_t x = v ^ (byte * 0x0101010101010101u);
    return ((x - 0x0101010101010101u) & ~x & 0x8080808080808080u) != 0;
}

// TUnit is unsigned char for UTF-8 bytes or char16_t for UTF-16 text. UTF-16 is parsed
// as it is rather than encoded to UTF-8 first: a string's units are then copied unchanged,
// which is exactly what the round trip through (W)UTF-8 would give, lone surrogates too.
template <typename TUnit> class TJSONParser {
  public:
    TJSONParser(const TUnit* begin, const TUnit* end) : FPos(begin), FEnd(end) {}

    TJSONRoot Run();

  private:
    // An object or array not yet closed. Its children wait in FMembers / FElements and
    // move in when it closes, so every container gets its list allocated once, exactly.
    struct TOpenContainer {
        TJSONValue* Node;
        std::size_t FirstChild; // where its children start in FMembers or FElements
    };

    void SkipWhitespace()
    {
        while (FPos != FEnd && (*FPos == ' ' || *FPos == '\n' || *FPos == '\r' || *FPos == '\t'))
            ++FPos;
    }
    bool Literal(std::string_view word);
    bool ParseString(std::u16string_view& out, std::u16string& scratch);
    int ParseEscape(); // the unit, or -1
    bool ParseNumber();
    bool ParseScalar();
    bool ParseMemberKey();
    TJSONValue& Place(const TJSONNewNode& value);
    void Open(bool isObject);
    void Close();

    // Units a string copies as they are. A UTF-16 unit above ASCII is one of them; UTF-8
    // bytes above ASCII must be decoded.
    static bool IsPlainStringUnit(TUnit c)
    {
        if constexpr (sizeof(TUnit) == 1)
            return kPlainStringByte[c];
        else
            return c >= 0x80 || kPlainStringByte[c];
    }

    // The end of the run of plain units from `p`. Strings are mostly long plain runs, so
    // eight bytes are tested at a time while none of them ends the run.
    const TUnit* PlainRunEnd(const TUnit* p) const
    {
        if constexpr (sizeof(TUnit) == 2) {
            while (FEnd - p >= 4) {
                std::uint64_t v;
                std::memcpy(&v, p, sizeof v);
                if (HasUnit16(v, '"') || HasUnit16(v, '\\'))
                    break;
                p += 4;
            }
        } else {
            while (FEnd - p >= 8) {
                std::uint64_t v;
                std::memcpy(&v, p, sizeof v);
                if ((v & 0x8080808080808080u) != 0 || HasByte(v, '"') || HasByte(v, '\\'))
                    break;
                p += 8;
            }
        }
        while (p != FEnd && IsPlainStringUnit(*p))
            ++p;
        return p;
    }

    const TUnit* FPos;
    const TUnit* const FEnd;
    // Everything parsed lives in the tree: on failure it goes with it at once.
    std::unique_ptr<TJSONTree> FTree = std::make_unique<TJSONTree>();
    TJSONValue* FRoot = nullptr;
    std::vector<TOpenContainer> FOpen; // innermost last
    TJSONPendingStack<TJSONPair> FMembers;
    TJSONPendingStack<TJSONValue> FElements;
    // A member is made with its value, so its key waits: viewed in the text where it stands,
    // or decoded into its own area, apart from the values' one.
    std::u16string_view FKey;
    std::u16string FKeyScratch;
    std::u16string FScratch; // string decoding area, reused
};

template <typename TUnit> bool TJSONParser<TUnit>::Literal(std::string_view word)
{
    if (static_cast<std::size_t>(FEnd - FPos) < word.size())
        return false;
    for (char c : word)
        if (*FPos++ != static_cast<TUnit>(c))
            return false;
    return true;
}

template <typename TUnit> int TJSONParser<TUnit>::ParseEscape()
{
    // FPos is just after the reverse solidus.
    if (FPos == FEnd)
        return -1;
    switch (*FPos++) {
    case '"':
        return u'"';
    case '\\':
        return u'\\';
    case '/':
        return u'/';
    case 'b':
        return u'\b';
    case 'f':
        return u'\f';
    case 'n':
        return u'\n';
    case 'r':
        return u'\r';
    case 't':
        return u'\t';
    case 'u': {
        if (FEnd - FPos < 4)
            return -1;
        int value = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = text::HexDigitValue(*FPos++);
            if (digit < 0)
                return -1;
            value = value << 4 | digit;
        }
        return value; // one UTF-16 unit, a lone surrogate included
    }
    default:
        return -1;
    }
}

// Decodes into `scratch`, which keeps its capacity from string to string; `out` views the
// text until the next string is decoded there. A UTF-16 string that is one plain run is viewed
// where it stands. Every input byte yields at most one unit (a four-byte sequence two), so
// reserving the length of a run up front is enough.
template <typename TUnit>
bool TJSONParser<TUnit>::ParseString(std::u16string_view& out, std::u16string& scratch)
{
    ++FPos; // opening quotation mark
    std::size_t used = 0;
    for (;;) {
        const TUnit* run = PlainRunEnd(FPos);
        const std::size_t count = static_cast<std::size_t>(run - FPos);
        if constexpr (sizeof(TUnit) == 2) {
            if (used == 0 && run != FEnd && *run == '"') {
                // The common case, a string without escapes: no copy here at all.
                out = std::u16string_view(FPos, count);
                FPos = run + 1;
                return true;
            }
        }
        if (scratch.size() < used + count + 2)
            scratch.resize(std::max(2 * scratch.size(), used + count + 2));
        char16_t* d = scratch.data() + used;
        for (std::size_t i = 0; i < count; ++i)
            d[i] = FPos[i];
        used += count;
        FPos = run;
        if (FPos == FEnd)
            return false;
        if (*FPos == '"') {
            ++FPos;
            out = std::u16string_view(scratch.data(), used);
            return true;
        }
        if (*FPos == '\\') {
            ++FPos;
            const int unit = ParseEscape();
            if (unit < 0)
                return false;
            scratch[used++] = static_cast<char16_t>(unit);
        } else if constexpr (sizeof(TUnit) == 1) {
            const int n = text::DecodeUtf8Sequence(FPos, FEnd, scratch.data() + used,
                                                   text::TLoneSurrogates::KeepAsWtf8);
            if (n == 0)
                return false;
            used += static_cast<std::size_t>(n);
        }
    }
}

template <typename TUnit> bool TJSONParser<TUnit>::ParseNumber()
{
    const TUnit* start = FPos;
    if (*FPos == '-')
        ++FPos;
    if (FPos == FEnd)
        return false;
    if (*FPos == '0') {
        ++FPos; // a leading 0 stands alone; a digit after it fails where the value must end
    } else if (IsDigit(*FPos)) {
        while (FPos != FEnd && IsDigit(*FPos))
            ++FPos;
    } else {
        return false;
    }
    if (FPos != FEnd && *FPos == '.') {
        ++FPos;
        if (FPos == FEnd || !IsDigit(*FPos))
            return false;
        while (FPos != FEnd && IsDigit(*FPos))
            ++FPos;
    }
    if (FPos != FEnd && (*FPos == 'e' || *FPos == 'E')) {
        ++FPos;
        if (FPos != FEnd && (*FPos == '+' || *FPos == '-'))
            ++FPos;
        if (FPos == FEnd || !IsDigit(*FPos))
            return false;
        while (FPos != FEnd && IsDigit(*FPos))
            ++FPos;
    }
    const auto length = static_cast<std::size_t>(FPos - start);
    if constexpr (sizeof(TUnit) == 2)
        Place(TJSONNewNode::Number(std::u16string_view(start, length)));
    else
        Place(TJSONNewNode::Number(std::string_view(reinterpret_cast<const char*>(start), length)));
    return true;
}

template <typename TUnit> bool TJSONParser<TUnit>::ParseScalar()
{
    switch (*FPos) {
    case '"': {
        std::u16string_view text;
        if (!ParseString(text, FScratch))
            return false;
        Place(TJSONNewNode::String(text));
        return true;
    }
    case 't':
    case 'f': {
        const bool value = *FPos == 't';
        if (!Literal(value ? "true" : "false"))
            return false;
        Place(TJSONNewNode::Literal(value));
        return true;
    }
    case 'n':
        if (!Literal("null"))
            return false;
        Place(TJSONNewNode::Null());
        return true;
    default:
        return (*FPos == '-' || IsDigit(*FPos)) && ParseNumber();
    }
}

template <typename TUnit> bool TJSONParser<TUnit>::ParseMemberKey()
{
    if (FPos == FEnd || *FPos != '"' || !ParseString(FKey, FKeyScratch))
        return false;
    SkipWhitespace();
    if (FPos == FEnd || *FPos != ':')
        return false;
    ++FPos;
    SkipWhitespace();
    return true;
}

// Makes a value where it belongs: as the root, as the next element of the open array, or
// with the waiting key as the next member of the open object.
template <typename TUnit> TJSONValue& TJSONParser<TUnit>::Place(const TJSONNewNode& value)
{
    if (FOpen.empty()) {
        FRoot = &FTree->NewElement(value);
        FTree->SetRoot(*FRoot);
        return *FRoot;
    }
    if (FOpen.back().Node->IsArray()) {
        TJSONValue& element = FTree->NewElement(value);
        FElements.push_back(&element);
        return element;
    }
    TJSONPair& pair = FTree->NewMember(FKey, value);
    FMembers.push_back(&pair);
    return pair.JsonValue();
}

template <typename TUnit> void TJSONParser<TUnit>::Open(bool isObject)
{
    TJSONValue& node = Place(isObject ? TJSONNewNode::Object() : TJSONNewNode::Array());
    FOpen.push_back({&node, isObject ? FMembers.size() : FElements.size()});
}

template <typename TUnit> void TJSONParser<TUnit>::Close()
{
    const TOpenContainer frame = FOpen.back();
    FOpen.pop_back();
    if (frame.Node->IsObject()) {
        auto& object = static_cast<TJSONObject&>(*frame.Node);
        FMembers.CopyOut(frame.FirstChild,
                         FTree->SetMemberCount(object, FMembers.size() - frame.FirstChild).data());
        FMembers.shrink(frame.FirstChild);
    } else {
        auto& array = static_cast<TJSONArray&>(*frame.Node);
        FElements.CopyOut(frame.FirstChild,
                          FTree->SetElementCount(array, FElements.size() - frame.FirstChild).data());
        FElements.shrink(frame.FirstChild);
    }
}

// The parser keeps its own stack of open containers instead of recursing, so nesting
// costs heap, not call stack. On every failure the tree goes out of scope and takes all
// that was built with it.
template <typename TUnit> TJSONRoot TJSONParser<TUnit>::Run()
{
    // A leading byte order mark: EF BB BF in UTF-8, the one unit FEFF in UTF-16.
    if constexpr (sizeof(TUnit) == 1) {
        if (FEnd - FPos >= 3 && FPos[0] == 0xEF && FPos[1] == 0xBB && FPos[2] == 0xBF)
            FPos += 3;
    } else {
        if (FPos != FEnd && *FPos == 0xFEFF)
            ++FPos;
    }
    SkipWhitespace();
    for (;;) {
        // A value starts at FPos.
        if (FPos == FEnd)
            return nullptr;
        if (*FPos == '{' || *FPos == '[') {
            if (FOpen.size() == JSONMaxDepth)
                return nullptr;
            const bool isObject = *FPos++ == '{';
            Open(isObject);
            SkipWhitespace();
            if (FPos == FEnd)
                return nullptr;
            if (*FPos != (isObject ? '}' : ']')) {
                if (isObject && !ParseMemberKey())
                    return nullptr;
                continue;
            }
            ++FPos;
            Close();
        } else {
            if (!ParseScalar())
                return nullptr;
        }
        // A value ended: close containers until one asks for its next element or member.
        for (;;) {
            if (FOpen.empty()) {
                if (FRoot->IsObject() || FRoot->IsArray())
                    SkipWhitespace();
                if (FPos != FEnd)
                    return nullptr;
                return TJSONRoot(std::move(FTree));
            }
            SkipWhitespace();
            if (FPos == FEnd)
                return nullptr;
            const TUnit c = *FPos++;
            const bool inObject = FOpen.back().Node->IsObject();
            if (c == ',') {
                SkipWhitespace();
                if (inObject && !ParseMemberKey())
                    return nullptr;
                break;
            }
            if (c != (inObject ? '}' : ']'))
                return nullptr;
            Close();
        }
    }
}

} // namespace

TJSONRoot ParseJSONValueUtf8(std::string_view bytes)
{
    const auto begin = reinterpret_cast<const unsigned char*>(bytes.data());
    return TJSONParser<unsigned char>(begin, begin + bytes.size()).Run();
}

TJSONRoot ParseJSONValue(std::u16string_view text)
{
    return TJSONParser<char16_t>(text.data(), text.data() + text.size()).Run();
}

} // namespace bramolt::json
