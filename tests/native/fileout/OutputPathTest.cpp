#include "fileout/OutputPath.h"

#include <gtest/gtest.h>

#include "TestFolder.h"
#include "fileout/FileCreateError.h"

namespace bramolt::fileout {
namespace {

using enum TPathFault;

std::string Printable(std::u16string_view path)
{
    std::string out;
    for (char16_t c : path)
        out += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '#';
    return out.size() > 40 ? out.substr(0, 40) + "..." : out;
}

TEST(CheckOutputPath, RulesTable)
{
    const std::u16string longest(kMaxPathLength, u'a');
    const struct {
        std::u16string Path;
        TPathFault Expected;
        const char* Why;
    } rows[] = {
        {u"C:\\out\\file.b64", pfNone, "absolute with drive"},
        {u"c:/out/file.b64", pfNone, "forward slashes, lower-case drive"},
        {u"C:file.b64", pfNone, "drive-relative: the colon follows the drive letter"},
        {u"file.b64", pfNone, "relative"},
        {u"..\\up\\file.b64", pfNone, "relative with parent"},
        {u"/tmp/file.b64", pfNone, "rooted without drive"},
        {u"\\\\server\\share\\file.b64", pfNone, "UNC"},
        {u" leading and trailing blanks ", pfNone, "blanks around a name are not blank"},
        {u"\u00E9t\u00E9 \u65E5\u672C.txt", pfNone, "non-ASCII names"},
        {longest, pfNone, "32,767 characters, the longest allowed"},
        {std::u16string(300, u'a'), pfNone, "longer than the ordinary form's 260 characters"},
        {u"\\\\?\\C:\\x\\file.b64", pfNone, "extended-length prefix"},
        {u"\\\\?\\UNC\\server\\share\\f", pfNone, "extended-length UNC"},
        {u"\\\\?\\C:\\" + std::u16string(400, u'a'), pfNone, "extended-length paths have no 260 limit"},
        {u"\\\\?\\C:\\" + longest, pfTooLong, "nor do they pass 32,767"},

        {u"", pfEmpty, "empty"},
        {u"   ", pfBlank, "only spaces"},
        {u" \t\r\n", pfBlank, "only whitespace"},
        {longest + u"a", pfTooLong, "32,768 characters"},
        {u"a<b", pfForbiddenCharacter, "<"},
        {u"a>b", pfForbiddenCharacter, ">"},
        {u"a\"b", pfForbiddenCharacter, "double quote"},
        {u"a|b", pfForbiddenCharacter, "|"},
        {u"a*b", pfForbiddenCharacter, "*"},
        {u"a?b", pfForbiddenCharacter, "? outside the prefix"},
        {u"\\\\?\\C:\\a?b", pfForbiddenCharacter, "? after the prefix"},
        {u"\\?\\C:\\a", pfForbiddenCharacter, "an incomplete prefix is no prefix"},
        {u"?\\\\?\\C:\\a", pfForbiddenCharacter, "prefix not at the start"},
        {std::u16string(u"a\0b", 3), pfForbiddenCharacter, "NUL inside"},
        {u"a\x01"
         u"b",
         pfForbiddenCharacter, "control character 1"},
        {u"a\x1F"
         u"b",
         pfForbiddenCharacter, "control character 31"},
        {u"C:\\dir\\a\tb", pfForbiddenCharacter, "tab inside a name"},
        {u"file.b64:stream", pfMisplacedColon, "a stream name"},
        {u"C:\\a:b", pfMisplacedColon, "second colon"},
        {u":file", pfMisplacedColon, "colon first"},
        {u"1:\\file", pfMisplacedColon, "a digit is no drive letter"},
        {u"CC:\\file", pfMisplacedColon, "two letters are no drive"},
        {u"\\\\?\\C:\\a:b", pfMisplacedColon, "second colon after the prefix"},
        {u"\\\\server\\share:x", pfMisplacedColon, "colon in UNC"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CheckOutputPath(row.Path), row.Expected)
            << row.Why << " [" << Printable(row.Path) << "]: got \""
            << DescribePathFault(CheckOutputPath(row.Path)) << "\"";
}

TEST(ResolveOutputPath, RefusalsCarryTheGivenPathAndTheSystemsText)
{
    for (const std::u16string& path :
         {std::u16string(u""), std::u16string(u"a|b"), std::u16string(kMaxPathLength + 1, u'x')}) {
        try {
            ResolveOutputPath(path);
            ADD_FAILURE() << "accepted " << Printable(path);
        } catch (const EFileCreateError& error) {
            EXPECT_EQ(error.FullPath(), path);
            EXPECT_FALSE(error.Cause().empty());
            EXPECT_EQ(error.Message(), u"Cannot create file \"" + path + u"\". " + error.Cause());
        }
    }
}

TEST(ResolveOutputPath, RelativePathsAreTakenAgainstTheCurrentDirectory)
{
    test::TTestFolder folder;
    test::TCurrentDirectory inside(folder.Path());
    const TOutputPath resolved = ResolveOutputPath(u"out.b64");
    EXPECT_EQ(std::filesystem::path(resolved.Full), std::filesystem::current_path() / "out.b64");
    EXPECT_TRUE(std::filesystem::path(resolved.Full).is_absolute());
}

// The limit holds for the full path too: a relative path within it can pass it. Below it, a
// full path longer than the ordinary form's 260 characters resolves.
TEST(ResolveOutputPath, TheLimitAlsoHoldsForTheAbsolutePath)
{
    test::TTestFolder folder;
    test::TCurrentDirectory inside(folder.Path());
    const std::size_t base = std::filesystem::current_path().u16string().size() + 1;
    const std::u16string beyond(kMaxPathLength + 1 - base, u'f');
    EXPECT_EQ(CheckOutputPath(beyond), pfNone);
    EXPECT_THROW(ResolveOutputPath(beyond), EFileCreateError);

    const std::u16string within(300, u'f');
    EXPECT_EQ(std::filesystem::path(ResolveOutputPath(within).Full),
              std::filesystem::current_path() / within);
}

} // namespace
} // namespace bramolt::fileout
