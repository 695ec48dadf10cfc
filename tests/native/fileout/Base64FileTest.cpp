#include "fileout/Base64File.h"

#include <gtest/gtest.h>

#include "TestFolder.h"
#include "fileout/FileCreateError.h"

namespace bramolt::fileout {
namespace {

using test::ReadBytes;
using test::TTestFolder;

std::string Repeat(std::string_view part, int count)
{
    std::string out;
    while (count-- > 0)
        out += part;
    return out;
}

TEST(EncodeBase64ToFile, EncodesTheUtf8BytesOfTheText)
{
    const struct {
        std::u16string Text;
        std::string Expected;
        const char* Why;
    } rows[] = {
        {u"", "", "an empty text gives an empty file"},
        {u"h\u00E9llo", "aMOpbGxv", "e with acute accent is two bytes, no byte-order mark"},
        {std::u16string(57, u'a'), Repeat("YWFh", 19) + "\r\n", "57 bytes end with CR LF"},
        {u"\xD800", "77+9", "a lone surrogate is written as U+FFFD"},
    };
    TTestFolder folder;
    for (const auto& row : rows) {
        const auto target = folder / "out.b64";
        EncodeBase64ToFile(row.Text, target.u16string());
        EXPECT_EQ(ReadBytes(target), row.Expected) << row.Why;
    }
}

TEST(DecodeBase64ToFile, WritesTheDecodedBytesWhateverTheyAre)
{
    const struct {
        std::u16string Text;
        std::string Expected;
        const char* Why;
    } rows[] = {
        {u"AP8A\r\n/w==", std::string("\0\xFF\0\xFF", 4), "binary bytes, broken line"},
        {u"Zm9v\u00E9Ym\xD800"
         u"Fy",
         "foobar", "non-ASCII characters and lone surrogates are skipped"},
        {u"Zm9vYmE", "fooba", "missing padding"},
        {u"== -- __", "", "no alphabet character gives an empty file"},
    };
    TTestFolder folder;
    for (const auto& row : rows) {
        const auto target = folder / "out.bin";
        DecodeBase64ToFile(row.Text, target.u16string());
        ASSERT_TRUE(std::filesystem::exists(target)) << row.Why;
        EXPECT_EQ(ReadBytes(target), row.Expected) << row.Why;
    }
}

TEST(Base64Files, FailuresThrowAndCreateNothing)
{
    TTestFolder folder;
    const std::u16string missing = (folder / "missing" / "out").u16string();
    EXPECT_THROW(EncodeBase64ToFile(u"text", missing), EFileCreateError);
    EXPECT_THROW(DecodeBase64ToFile(u"dGV4dA==", missing), EFileCreateError);
    EXPECT_THROW(EncodeBase64ToFile(u"text", u""), EFileCreateError);
    EXPECT_TRUE(folder.Names().empty());
}

} // namespace
} // namespace bramolt::fileout
