// Lenient decoding of any bytes, then encoding and decoding again, must give the same bytes;
// the decoded length follows from the number of alphabet characters alone.
#include <cstdint>
#include <string>
#include <string_view>

#include "fileout/Base64.h"
#include "fuzz/Require.h"

namespace {

using bramolt::fuzz::Require;

bool InAlphabet(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace bramolt::fileout;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    std::size_t characters = 0;
    for (unsigned char c : input)
        characters += InAlphabet(c);
    const std::size_t tail = characters % 4;
    const std::string decoded = DecodeBase64Lenient(input);
    Require(decoded.size() == characters / 4 * 3 + (tail == 0 ? 0 : tail - 1), "decoded length");

    const std::string encoded = EncodeBase64Lines(decoded);
    Require(encoded.size() == EncodedBase64LinesSize(decoded.size()), "encoded length");
    Require(DecodeBase64Lenient(encoded) == decoded, "decode(encode(decode(x))) == decode(x)");
    // The raw input read as bytes must survive a round trip as well.
    Require(DecodeBase64Lenient(EncodeBase64Lines(input)) == input, "decode(encode(x)) == x");
    return 0;
}
