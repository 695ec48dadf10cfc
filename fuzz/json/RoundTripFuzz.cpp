// Parses arbitrary bytes; whatever parses must print, re-parse and print the same text
// again, under every combination of output options, and free without trouble.

#include "fuzz/Require.h"
#include "json/JSONParser.h"
#include "json/JSONWriter.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace bramolt::json;
    using bramolt::fuzz::Require;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto root = ParseJSONValueUtf8(bytes);
    if (root == nullptr)
        return 0;
    for (const TJSONOutputOptions options : {TJSONOutputOptions{true, true}, TJSONOutputOptions{false, false},
                                             TJSONOutputOptions{true, false}}) {
        const std::u16string first = ToJSON(*root, options);
        const auto again = ParseJSONValue(first);
        Require(again != nullptr, "the printed text is no JSON");
        Require(ToJSON(*again, options) == first, "the printed text prints differently");
    }
    return 0;
}
