#include "fileout/Base64.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace bramolt::fileout {

namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::size_t kGroupsPerLine = 19;
constexpr std::size_t kBytesPerLine = kGroupsPerLine * 3;
constexpr std::string_view kLineBreak = "\r\n";

// The two characters of every 12-bit value side by side: one lookup per half group.
constexpr std::array<char, 2 * 4096> MakePairTable()
{
    std::array<char, 2 * 4096> table{};
    for (std::size_t value = 0; value < 4096; ++value) {
        table[2 * value] = kAlphabet[value >> 6];
        table[2 * value + 1] = kAlphabet[value & 0x3F];
    }
    return table;
}
constexpr auto kPairTable = MakePairTable();

inline char* EncodeGroup(const std::uint8_t* in, char* out)
{
    const std::uint32_t bits = (std::uint32_t{in[0]} << 16) | (std::uint32_t{in[1]} << 8) | in[2];
    std::memcpy(out, &kPairTable[2 * (bits >> 12)], 2);
    std::memcpy(out + 2, &kPairTable[2 * (bits & 0xFFF)], 2);
    return out + 4;
}

// Decoding tables, one per position in a group: the character's 6 bits already shifted into
// place in a 24-bit word, or kInvalid for a byte outside the alphabet. OR-ing four entries
// gives the 3 bytes of a clean group, and any invalid byte shows as a bit above bit 23.
constexpr std::uint32_t kInvalid = 0x01000000;

constexpr std::array<std::uint32_t, 256> MakeDecodeTable(unsigned shift)
{
    std::array<std::uint32_t, 256> table{};
    for (auto& entry : table)
        entry = kInvalid;
    for (std::size_t i = 0; i < kAlphabet.size(); ++i)
        table[static_cast<std::uint8_t>(kAlphabet[i])] = static_cast<std::uint32_t>(i) << shift;
    return table;
}
constexpr auto kDecode0 = MakeDecodeTable(18);
constexpr auto kDecode1 = MakeDecodeTable(12);
constexpr auto kDecode2 = MakeDecodeTable(6);
constexpr auto kDecode3 = MakeDecodeTable(0);

inline char* Put3(std::uint32_t bits, char* out)
{
    out[0] = static_cast<char>(bits >> 16);
    out[1] = static_cast<char>(bits >> 8);
    out[2] = static_cast<char>(bits);
    return out + 3;
}

} // namespace

std::size_t EncodedBase64LinesSize(std::size_t byteCount) noexcept
{
    return (byteCount + 2) / 3 * 4 + byteCount / kBytesPerLine * kLineBreak.size();
}

std::string EncodeBase64Lines(std::string_view bytes)
{
    std::string result(EncodedBase64LinesSize(bytes.size()), '\0');
    const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data());
    char* out = result.data();

    for (std::size_t line = bytes.size() / kBytesPerLine; line > 0; --line) {
        for (std::size_t group = 0; group < kGroupsPerLine; ++group, in += 3)
            out = EncodeGroup(in, out);
        std::memcpy(out, kLineBreak.data(), kLineBreak.size());
        out += kLineBreak.size();
    }
    const std::size_t rest = bytes.size() % kBytesPerLine;
    for (std::size_t group = rest / 3; group > 0; --group, in += 3)
        out = EncodeGroup(in, out);

    switch (rest % 3) {
    case 1:
        out[0] = kAlphabet[in[0] >> 2];
        out[1] = kAlphabet[(in[0] & 0x03) << 4];
        out[2] = out[3] = '=';
        break;
    case 2:
        out[0] = kAlphabet[in[0] >> 2];
        out[1] = kAlphabet[((in[0] & 0x03) << 4) | (in[1] >> 4)];
        out[2] = kAlphabet[(in[1] & 0x0F) << 2];
        out[3] = '=';
        break;
    default:
        break;
    }
    return result;
}

std::string DecodeBase64Lenient(std::string_view text)
{
    // Every 4 input bytes give at most 3 output bytes; 3 more leave room for a partial group.
    std::string result(text.size() / 4 * 3 + 3, '\0');
    const auto* in = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::uint8_t* const end = in + text.size();
    char* out = result.data();

    std::uint32_t bits = 0; // alphabet characters of the group in progress, 6 bits each
    unsigned pending = 0;   // how many of them
    while (in != end) {
        if (pending == 0) {
            // Fast path: runs of clean 4-character groups, as in unbroken lines.
            while (end - in >= 4) {
                const std::uint32_t group =
                    kDecode0[in[0]] | kDecode1[in[1]] | kDecode2[in[2]] | kDecode3[in[3]];
                if (group & kInvalid)
                    break;
                out = Put3(group, out);
                in += 4;
            }
            if (in == end)
                break;
        }
        // Slow path, one byte at a time, until the current group is complete again.
        const std::uint32_t value = kDecode3[*in++];
        if (value & kInvalid)
            continue;
        bits = (bits << 6) | value;
        if (++pending == 4) {
            out = Put3(bits, out);
            bits = 0;
            pending = 0;
        }
    }

    if (pending == 2) {
        *out++ = static_cast<char>(bits >> 4);
    } else if (pending == 3) {
        *out++ = static_cast<char>(bits >> 10);
        *out++ = static_cast<char>(bits >> 2);
    }
    result.resize(static_cast<std::size_t>(out - result.data()));
    return result;
}

} // namespace bramolt::fileout
