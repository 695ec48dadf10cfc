#include "json/JSONPath.h"

#include <limits>

#include "text/HexDigits.h"
#include "text/Trim.h"

namespace bramolt::json {

namespace {

int DigitValue(char16_t c, int base)
{
    const int v = text::HexDigitValue(c);
    return v < base ? v : -1;
}

// A 32-bit integer: optional sign and decimal digits, or hexadecimal digits after "$" or
// "0x" (up to eight; values from 80000000 up are the negative numbers of the same bits).
std::optional<std::int32_t> ReadIndex(std::u16string_view s)
{
    int base = 10;
    bool negative = false;
    if (s.starts_with(u"$")) {
        base = 16;
        s.remove_prefix(1);
    } else if (s.starts_with(u"0x") || s.starts_with(u"0X")) {
        base = 16;
        s.remove_prefix(2);
    } else if (!s.empty() && (s[0] == u'+' || s[0] == u'-')) {
        negative = s[0] == u'-';
        s.remove_prefix(1);
    }
    if (s.empty())
        return std::nullopt;
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
    std::uint64_t value = 0;
    for (char16_t c : s) {
        const int d = DigitValue(c, base);
        if (d < 0)
            return std::nullopt;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
        if (value > limit)
            return std::nullopt;
    }
    if (base == 16)
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(value)
                                              : static_cast<std::int64_t>(value));
}

class TJSONPathParser {
  public:
    explicit TJSONPathParser(std::u16string_view path) : FPath(path) {}

    std::optional<std::vector<TJSONPathStep>> Run();

  private:
    void Skip()
    {
        while (FPos < FPath.size() && text::IsSpaceOrControl(FPath[FPos]))
            ++FPos;
    }
    bool BareName();
    bool Bracket();

    std::u16string_view FPath;
    std::size_t FPos = 0;
    std::vector<TJSONPathStep> FSteps;
};

// A bare name runs to the next "." or "[" or to the end.
bool TJSONPathParser::BareName()
{
    const std::size_t end = std::min(FPath.find_first_of(u".[", FPos), FPath.size());
    const std::u16string_view name = text::Trim(FPath.substr(FPos, end - FPos), text::IsSpaceOrControl);
    FPos = end;
    if (name.empty())
        return false;
    FSteps.push_back({TJSONPathStep::skName, std::u16string(name), 0});
    return true;
}

// FPos is just after "[".
bool TJSONPathParser::Bracket()
{
    Skip();
    if (FPos < FPath.size() && (FPath[FPos] == u'\'' || FPath[FPos] == u'"')) {
        const char16_t quote = FPath[FPos++];
        std::u16string name;
        for (;;) {
            if (FPos >= FPath.size())
                return false; // no closing quote
            const char16_t c = FPath[FPos++];
            if (c == quote)
                break;
            if (c == u'\\' && FPos < FPath.size() && FPath[FPos] == quote) {
                name.push_back(quote);
                ++FPos;
            } else {
                name.push_back(c);
            }
        }
        Skip();
        if (FPos >= FPath.size() || FPath[FPos] != u']')
            return false;
        ++FPos;
        FSteps.push_back({TJSONPathStep::skName, std::move(name), 0});
        return true;
    }
    const std::size_t close = FPath.find(u']', FPos);
    if (close == std::u16string_view::npos)
        return false;
    const auto index = ReadIndex(text::Trim(FPath.substr(FPos, close - FPos), text::IsSpaceOrControl));
    FPos = close + 1;
    if (!index)
        return false;
    FSteps.push_back({TJSONPathStep::skIndex, {}, *index});
    return true;
}

std::optional<std::vector<TJSONPathStep>> TJSONPathParser::Run()
{
    Skip();
    if (FPos < FPath.size()) {
        if (FPath[FPos] == u'.')
            return std::nullopt;
        if (FPath[FPos] != u'[' && !BareName())
            return std::nullopt;
    }
    for (;;) {
        Skip();
        if (FPos >= FPath.size())
            return std::move(FSteps);
        const char16_t c = FPath[FPos++];
        if (c == u'.') {
            if (!BareName())
                return std::nullopt; // empty name: a..b, a.[0], a trailing "."
        } else if (c == u'[') {
            if (!Bracket())
                return std::nullopt;
        } else {
            return std::nullopt; // after a bracket only ".", "[" or the end may follow
        }
    }
}

} // namespace

std::optional<std::vector<TJSONPathStep>> ParseJSONPath(std::u16string_view path)
{
    return TJSONPathParser(path).Run();
}

TJSONNodeRef EvaluateJSONPath(const TJSONNodeRef& start, const std::vector<TJSONPathStep>& steps)
{
    if (start.Node == nullptr || !start.Node->IsValue())
        return {};
    TJSONNodeRef at = start;
    for (const TJSONPathStep& step : steps) {
        auto& holder = static_cast<TJSONValue&>(*at.Node);
        TJSONValue* next = nullptr;
        if (step.Kind == TJSONPathStep::skName) {
            if (holder.IsObject())
                next = at.Tree->Find(static_cast<TJSONObject&>(holder), step.Name);
        } else if (holder.IsArray()) {
            const auto& array = static_cast<const TJSONArray&>(holder);
            if (step.Index >= 0 && static_cast<std::size_t>(step.Index) < array.Count())
                next = &array.Element(static_cast<std::size_t>(step.Index));
        }
        if (next == nullptr)
            return {};
        at = {next, at.Tree, &holder};
    }
    return at;
}

TJSONNodeRef FindJSONPath(const TJSONNodeRef& start, std::u16string_view path)
{
    const auto steps = ParseJSONPath(path);
    return steps ? EvaluateJSONPath(start, *steps) : TJSONNodeRef{};
}

} // namespace bramolt::json
