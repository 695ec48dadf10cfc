// Reads arbitrary UTF-16 text as an integer and checks the answer against std::from_chars,
// which reads the same digits by a route of its own: the two must agree on whether the text
// is an integer and on its value.

#include "fuzz/Require.h"
#include "text/IntegerText.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace {

using bramolt::fuzz::Require;

// The same grammar by other means: ASCII digits handed to std::from_chars.
std::optional<std::int64_t> Expected(std::u16string_view text)
{
    while (!text.empty() && text.front() <= u' ')
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with(u'$')) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.starts_with(u"0x") || text.starts_with(u"0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    std::string digits;
    for (const char16_t c : text) {
        if (c >= 0x80)
            return std::nullopt;
        digits += static_cast<char>(c);
    }
    // from_chars takes no sign of its own after a base prefix, and a '-' here would be a second sign.
    if (digits.empty() || digits.front() == '-' || digits.front() == '+')
        return std::nullopt;
    const char* const end = digits.data() + digits.size();
    if (base == 16) {
        std::uint64_t bits = 0;
        const auto [next, error] = std::from_chars(digits.data(), end, bits, 16);
        if (error != std::errc() || next != end || digits.size() > 16)
            return std::nullopt;
        return static_cast<std::int64_t>(negative ? 0 - bits : bits);
    }
    if (negative)
        digits.insert(digits.begin(), '-');
    std::int64_t value = 0;
    const auto [next, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || next != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::u16string text(size / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    const auto value = bramolt::text::IntegerFromText(text);
    const auto expected = Expected(text);
    Require(value.has_value() == expected.has_value(), "the two readers disagree on what is an integer");
    Require(!value || *value == *expected, "the two readers disagree on the value");
    return 0;
}
