#include "fileout/Base64.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace bramolt::fileout {
namespace {

// A deliberately naive encoder, bit by bit, without lines: the reference for the fast one.
std::string ReferenceEncode(std::string_view bytes)
{
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bits;
    for (unsigned char byte : bytes)
        for (int bit = 7; bit >= 0; --bit)
            bits += ((byte >> bit) & 1) ? '1' : '0';
    while (bits.size() % 6 != 0)
        bits += '0';
    std::string out;
    for (std::size_t i = 0; i < bits.size(); i += 6)
        out += kAlphabet[std::stoi(bits.substr(i, 6), nullptr, 2)];
    while (out.size() % 4 != 0)
        out += '=';
    return out;
}

std::string WithoutLineBreaks(std::string text)
{
    std::erase(text, '\r');
    std::erase(text, '\n');
    return text;
}

std::string RandomBytes(std::mt19937& random, std::size_t length)
{
    std::string bytes(length, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random() & 0xFF);
    return bytes;
}

TEST(Base64Encode, Rfc4648TestVectorsCoverEveryPaddingLength)
{
    const struct {
        std::string_view Input, Expected;
    } rows[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(EncodeBase64Lines(row.Input), row.Expected) << "input " << row.Input;
}

TEST(Base64Encode, HighBytesUseTheWholeAlphabet)
{
    EXPECT_EQ(EncodeBase64Lines(std::string("\xFB\xFF\xBF\x00", 4)), "+/+/AA==");
    EXPECT_EQ(EncodeBase64Lines("\xC3\xA9"), "w6k="); // e with acute accent, UTF-8
}

TEST(Base64Encode, BreaksLinesAfterEveryNineteenCompleteGroups)
{
    const struct {
        std::size_t Length;
        std::size_t LineBreaks;
        bool EndsWithLineBreak;
        const char* Why;
    } rows[] = {
        {56, 0, false, "one line of 76 characters ending in a padded group"},
        {57, 1, true, "a line completed by the last group ends with CR LF"},
        {58, 1, false, "the short last line 'xx==' gets no line break"},
        {59, 1, false, "the short last line 'xxx=' gets no line break"},
        {60, 1, false, "a short last line of one complete group"},
        {113, 1, false, "a padded final group never completes the second line"},
        {114, 2, true, "two complete lines"},
        {115, 2, false, "two lines and a padded group"},
        {570, 10, true, "ten complete lines"},
    };
    std::mt19937 random(57);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Why);
        const std::string input = RandomBytes(random, row.Length);
        const std::string encoded = EncodeBase64Lines(input);
        EXPECT_EQ(WithoutLineBreaks(encoded), ReferenceEncode(input));
        EXPECT_EQ(encoded.size(), EncodedBase64LinesSize(row.Length));

        std::size_t breaks = 0;
        for (std::size_t start = 0; start < encoded.size();) {
            const std::size_t end = encoded.find("\r\n", start);
            if (end == std::string::npos) {
                EXPECT_LE(encoded.size() - start, 76u) << "short last line";
                break;
            }
            EXPECT_EQ(end - start, 76u) << "every complete line has 76 characters";
            ++breaks;
            start = end + 2;
        }
        EXPECT_EQ(breaks, row.LineBreaks);
        EXPECT_EQ(encoded.ends_with("\r\n"), row.EndsWithLineBreak);
    }
}

TEST(Base64Encode, SizesOfTheEdgeCasesAreExact)
{
    EXPECT_EQ(EncodedBase64LinesSize(0), 0u);
    EXPECT_EQ(EncodedBase64LinesSize(56), 76u);
    EXPECT_EQ(EncodedBase64LinesSize(57), 78u);
    EXPECT_EQ(EncodedBase64LinesSize(58), 82u);
}

TEST(Base64Decode, LenientDecodingTable)
{
    const struct {
        std::string_view Input, Expected, Why;
    } rows[] = {
        {"Zm9vYmFy", "foobar", "plain groups"},
        {"Zm9vYmE=", "fooba", "padded"},
        {"Zm9vYmE", "fooba", "3 trailing characters give 2 bytes, pad or not"},
        {"Zm9vYg", "foob", "2 trailing characters give 1 byte"},
        {"Zm9vY", "foo", "1 trailing character gives nothing"},
        {"Zh", "f", "leftover low bits are dropped"},
        {"Zm9v\r\nYmFy", "foobar", "CR LF between groups"},
        {"Zm9vY\r\nmFy\r\n", "foobar", "CR LF inside a group"},
        {"Zm9v\nYmFy\n", "foobar", "LF only"},
        {" Zm 9v\tYm Fy ", "foobar", "blanks and tabs anywhere"},
        {"Zm9v=YmFy", "foobar", "'=' in the middle does not end the data"},
        {"Zg==Zm8=",
         "f\x06"
         "f",
         "two padded groups decode as one stream"},
        {"Zm9v-_YmFy", "foobar", "URL-safe characters are not in the alphabet"},
        {"Zm9v\xC3\xA9YmFy", "foobar", "bytes of a non-ASCII character are skipped"},
        {"Z\x80m\xFF"
         "9vYmFy",
         "foobar", "stray high bytes are skipped"},
        {"", "", "empty"},
        {"==\r\n -_", "", "no alphabet character at all"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DecodeBase64Lenient(row.Input), row.Expected) << row.Why;
}

TEST(Base64Decode, SkipsExactlyTheBytesOutsideTheAlphabet)
{
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte)
        everyByte += static_cast<char>(byte);
    // Byte order puts the alphabet as "+/0..9A..Za..z": 64 characters, 48 bytes.
    const std::string alphabetOnly = "+/0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const std::string decoded = DecodeBase64Lenient(everyByte);
    EXPECT_EQ(decoded.size(), 48u);
    EXPECT_EQ(decoded, DecodeBase64Lenient(alphabetOnly));
}

TEST(Base64RoundTrip, DecodingTheEncodedFormGivesTheBytesBack)
{
    std::mt19937 random(2024);
    for (std::size_t length = 0; length < 400; ++length) {
        const std::string input = RandomBytes(random, length);
        ASSERT_EQ(DecodeBase64Lenient(EncodeBase64Lines(input)), input) << "length " << length;
    }
    const std::string large = RandomBytes(random, 1 << 20);
    EXPECT_EQ(DecodeBase64Lenient(EncodeBase64Lines(large)), large);
}

// Noise at random places moves the decoder between its group fast path and its byte path.
TEST(Base64RoundTrip, NoiseAnywhereDoesNotChangeTheBytes)
{
    std::mt19937 random(7);
    const std::string noise = " \t\r\n=-_.\x80\xC3\xFF";
    for (int trial = 0; trial < 200; ++trial) {
        const std::string input = RandomBytes(random, random() % 300);
        const std::string encoded = EncodeBase64Lines(input);
        std::string noisy;
        for (char c : encoded) {
            while (random() % 5 == 0)
                noisy += noise[random() % noise.size()];
            noisy += c;
        }
        ASSERT_EQ(DecodeBase64Lenient(noisy), input) << "trial " << trial;
    }
}

} // namespace
} // namespace bramolt::fileout
