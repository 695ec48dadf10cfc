// Escapes arbitrary UTF-16 text (the first byte picks the output options, the rest are
// units) with the block-at-a-time escaper and with the word-at-a-time one: both must give
// the same text of the length they counted, and with both options on (pure ASCII output)
// parsing it must give back the units.

#include "fuzz/Require.h"
#include "json/JSONParser.h"
#include "json/JSONStringEscape.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace bramolt::json;
using bramolt::fuzz::Require;

template <typename TUnits> std::u16string Escape(std::u16string_view text, TJSONOutputOptions options)
{
    const TStringEscaper<TUnits> escaper(options);
    const std::size_t length = escaper.Length(text);
    std::vector<char16_t> buffer(length + TStringEscaper<TUnits>::kOverrun);
    Require(escaper.Write(text, buffer.data()) == buffer.data() + length, "the count and the text disagree");
    return std::u16string(buffer.data(), length);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const TJSONOutputOptions options{(data[0] & 1) != 0, (data[0] & 2) != 0};
    std::u16string text((size - 1) / 2, u'\0');
    std::memcpy(text.data(), data + 1, text.size() * sizeof(char16_t));

    const std::u16string escaped = Escape<TFastUnits>(text, options);
    Require(Escape<TWordUnits>(text, options) == escaped, "the two block sizes disagree");
    if (options.EncodeBelow32 && options.EncodeAbove127) {
        const auto root = ParseJSONValue(escaped);
        Require(root != nullptr && root->Kind() == TJSONKind::jkString &&
                    static_cast<const TJSONString&>(*root).Value() == text,
                "the escaped text does not read back as the units");
    }
    return 0;
}
