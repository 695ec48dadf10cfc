#include "text/IntegerText.h"

#include "text/HexDigits.h"
#include "text/Trim.h"

namespace bramolt::text {

namespace {

std::optional<std::uint64_t> HexMagnitude(std::u16string_view digits)
{
    if (digits.empty() || digits.size() > 16)
        return std::nullopt;
    std::uint64_t magnitude = 0;
    for (const char16_t c : digits) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude << 4 | static_cast<unsigned>(digit);
    }
    return magnitude;
}

// Up to 2^63, the magnitude of the smallest negative value.
std::optional<std::uint64_t> DecimalMagnitude(std::u16string_view digits)
{
    if (digits.empty())
        return std::nullopt;
    constexpr std::uint64_t limit = std::uint64_t{1} << 63;
    std::uint64_t magnitude = 0;
    for (const char16_t c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const unsigned digit = c - u'0';
        if (magnitude > (limit - digit) / 10)
            return std::nullopt;
        magnitude = magnitude * 10 + digit;
    }
    return magnitude;
}

} // namespace

std::optional<std::int64_t> IntegerFromText(std::u16string_view text)
{
    text = TrimStart(text, IsSpaceOrControl);
    bool negative = false;
    if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    // Two's complement negation in unsigned arithmetic, where it cannot overflow.
    const auto signedValue = [negative](std::uint64_t magnitude) {
        return static_cast<std::int64_t>(negative ? 0 - magnitude : magnitude);
    };

    if (text.starts_with(u'$') || text.starts_with(u"0x") || text.starts_with(u"0X")) {
        const auto magnitude = HexMagnitude(text.substr(text.front() == u'$' ? 1 : 2));
        if (!magnitude)
            return std::nullopt;
        return signedValue(*magnitude);
    }
    const auto magnitude = DecimalMagnitude(text);
    if (!magnitude || (!negative && *magnitude == std::uint64_t{1} << 63))
        return std::nullopt;
    return signedValue(*magnitude);
}

} // namespace bramolt::text
