#include "json/JSONParser.h"

#include "text/HexDigits.h"
#include "text/Utf8.h"

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

    std::unique_ptr<TJSONValue> Run();

  private:
    // An object or array not yet closed. Its children wait in FMembers / FElements and
    // move in when it closes, so every container gets its list allocated once, exactly.
    struct TOpenContainer {
        std::unique_ptr<TJSONValue> Node;
        std::u16string Key;     // the member key it is the value of, inside an object
        std::size_t FirstChild; // where its children start in FMembers or FElements
    };

    void SkipWhitespace()
    {
        while (FPos != FEnd && (*FPos == ' ' || *FPos == '\n' || *FPos == '\r' || *FPos == '\t'))
            ++FPos;
    }
    bool Literal(std::string_view word);
    bool ParseString(std::u16string& out);
    int ParseEscape(); // the unit, or -1
    std::unique_ptr<TJSONValue> ParseNumber();
    std::unique_ptr<TJSONValue> ParseScalar();
    bool ParseMemberKey();
    void Attach(std::unique_ptr<TJSONValue> value, std::unique_ptr<TJSONValue>& root);
    void Open(bool isObject);
    void Close(std::unique_ptr<TJSONValue>& root);

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
    std::vector<TOpenContainer> FOpen; // innermost last
    std::vector<std::unique_ptr<TJSONPair>> FMembers;
    std::vector<std::unique_ptr<TJSONValue>> FElements;
    std::u16string FKey;     // key of the member whose value comes next
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

// Decodes into FScratch, which keeps its capacity from string to string, and copies the
// result into `out` with one exact allocation; a string that is one plain run skips
// FScratch. Every input byte yields at most one unit (a four-byte sequence two), so
// reserving the length of a run up front is enough.
template <typename TUnit> bool TJSONParser<TUnit>::ParseString(std::u16string& out)
{
    ++FPos; // opening quotation mark
    std::size_t used = 0;
    for (;;) {
        const TUnit* run = PlainRunEnd(FPos);
        const std::size_t count = static_cast<std::size_t>(run - FPos);
        if (used == 0 && run != FEnd && *run == '"') {
            // The common case, a string without escapes or (in UTF-8) multi-byte sequences:
            // copied once, straight from the input.
            if constexpr (sizeof(TUnit) == 2) {
                out = std::u16string(FPos, count); // `out` is always empty here: constructing is cheaper
            } else {
                out.resize(count);
                for (std::size_t i = 0; i < count; ++i)
                    out[i] = FPos[i];
            }
            FPos = run + 1;
            return true;
        }
        if (FScratch.size() < used + count + 2)
            FScratch.resize(std::max(2 * FScratch.size(), used + count + 2));
        char16_t* d = FScratch.data() + used;
        for (std::size_t i = 0; i < count; ++i)
            d[i] = FPos[i];
        used += count;
        FPos = run;
        if (FPos == FEnd)
            return false;
        if (*FPos == '"') {
            ++FPos;
            out.assign(FScratch.data(), used);
            return true;
        }
        if (*FPos == '\\') {
            ++FPos;
            const int unit = ParseEscape();
            if (unit < 0)
                return false;
            FScratch[used++] = static_cast<char16_t>(unit);
        } else if constexpr (sizeof(TUnit) == 1) {
            const int n = text::DecodeUtf8Sequence(FPos, FEnd, FScratch.data() + used,
                                                   text::TLoneSurrogates::KeepAsWtf8);
            if (n == 0)
                return false;
            used += static_cast<std::size_t>(n);
        }
    }
}

template <typename TUnit> std::unique_ptr<TJSONValue> TJSONParser<TUnit>::ParseNumber()
{
    const TUnit* start = FPos;
    if (*FPos == '-')
        ++FPos;
    if (FPos == FEnd)
        return nullptr;
    if (*FPos == '0') {
        ++FPos; // a leading 0 stands alone; a digit after it fails where the value must end
    } else if (IsDigit(*FPos)) {
        while (FPos != FEnd && IsDigit(*FPos))
            ++FPos;
    } else {
        return nullptr;
    }
    if (FPos != FEnd && *FPos == '.') {
        ++FPos;
        if (FPos == FEnd || !IsDigit(*FPos))
            return nullptr;
        while (FPos != FEnd && IsDigit(*FPos))
            ++FPos;
    }
    if (FPos != FEnd && (*FPos == 'e' || *FPos == 'E')) {
        ++FPos;
        if (FPos != FEnd && (*FPos == '+' || *FPos == '-'))
            ++FPos;
        if (FPos == FEnd || !IsDigit(*FPos))
            return nullptr;
        while (FPos != FEnd && IsDigit(*FPos))
            ++FPos;
    }
    return std::make_unique<TJSONNumber>(std::u16string(start, FPos));
}

template <typename TUnit> std::unique_ptr<TJSONValue> TJSONParser<TUnit>::ParseScalar()
{
    switch (*FPos) {
    case '"': {
        std::u16string text;
        if (!ParseString(text))
            return nullptr;
        return std::make_unique<TJSONString>(std::move(text));
    }
    case 't':
        return Literal("true") ? std::make_unique<TJSONTrue>() : nullptr;
    case 'f':
        return Literal("false") ? std::make_unique<TJSONFalse>() : nullptr;
    case 'n':
        return Literal("null") ? std::make_unique<TJSONNull>() : nullptr;
    default:
        return *FPos == '-' || IsDigit(*FPos) ? ParseNumber() : nullptr;
    }
}

template <typename TUnit> bool TJSONParser<TUnit>::ParseMemberKey()
{
    if (FPos == FEnd || *FPos != '"' || !ParseString(FKey))
        return false;
    SkipWhitespace();
    if (FPos == FEnd || *FPos != ':')
        return false;
    ++FPos;
    SkipWhitespace();
    return true;
}

template <typename TUnit>
void TJSONParser<TUnit>::Attach(std::unique_ptr<TJSONValue> value, std::unique_ptr<TJSONValue>& root)
{
    if (FOpen.empty())
        root = std::move(value);
    else if (FOpen.back().Node->IsArray())
        FElements.push_back(std::move(value));
    else
        FMembers.push_back(std::make_unique<TJSONPair>(std::move(FKey), std::move(value)));
}

template <typename TUnit> void TJSONParser<TUnit>::Open(bool isObject)
{
    TOpenContainer frame;
    if (isObject)
        frame.Node = std::make_unique<TJSONObject>();
    else
        frame.Node = std::make_unique<TJSONArray>();
    if (!FOpen.empty() && FOpen.back().Node->IsObject())
        frame.Key = std::move(FKey);
    frame.FirstChild = isObject ? FMembers.size() : FElements.size();
    FOpen.push_back(std::move(frame));
}

template <typename TUnit> void TJSONParser<TUnit>::Close(std::unique_ptr<TJSONValue>& root)
{
    TOpenContainer frame = std::move(FOpen.back());
    FOpen.pop_back();
    if (frame.Node->IsObject()) {
        auto& object = static_cast<TJSONObject&>(*frame.Node);
        object.Reserve(FMembers.size() - frame.FirstChild);
        for (std::size_t i = frame.FirstChild; i < FMembers.size(); ++i)
            object.AddPair(std::move(FMembers[i]));
        FMembers.erase(FMembers.begin() + static_cast<std::ptrdiff_t>(frame.FirstChild), FMembers.end());
    } else {
        auto& array = static_cast<TJSONArray&>(*frame.Node);
        array.Reserve(FElements.size() - frame.FirstChild);
        for (std::size_t i = frame.FirstChild; i < FElements.size(); ++i)
            array.AddElement(std::move(FElements[i]));
        FElements.erase(FElements.begin() + static_cast<std::ptrdiff_t>(frame.FirstChild), FElements.end());
    }
    FKey = std::move(frame.Key);
    Attach(std::move(frame.Node), root);
}

// The parser keeps its own stack of open containers instead of recursing, so nesting
// costs heap, not call stack. On every failure the parser's lists and `root` go out of
// scope and free all that was built.
template <typename TUnit> std::unique_ptr<TJSONValue> TJSONParser<TUnit>::Run()
{
    std::unique_ptr<TJSONValue> root;
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
            Close(root);
        } else {
            std::unique_ptr<TJSONValue> scalar = ParseScalar();
            if (scalar == nullptr)
                return nullptr;
            Attach(std::move(scalar), root);
        }
        // A value ended: close containers until one asks for its next element or member.
        for (;;) {
            if (FOpen.empty()) {
                if (root->IsObject() || root->IsArray())
                    SkipWhitespace();
                return FPos == FEnd ? std::move(root) : nullptr;
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
            Close(root);
        }
    }
}

} // namespace

std::unique_ptr<TJSONValue> ParseJSONValueUtf8(std::string_view bytes)
{
    const auto begin = reinterpret_cast<const unsigned char*>(bytes.data());
    return TJSONParser<unsigned char>(begin, begin + bytes.size()).Run();
}

std::unique_ptr<TJSONValue> ParseJSONValue(std::u16string_view text)
{
    return TJSONParser<char16_t>(text.data(), text.data() + text.size()).Run();
}

} // namespace bramolt::json
