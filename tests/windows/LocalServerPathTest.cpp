// The LocalServer32 value: a command line COM runs, so blanks must never
// reach it unquoted.

#include "ComTestSupport.h"

#include "app/LocalServerPath.h"

namespace bramolt::test {
namespace {

TEST(LocalServerPathTest, ChoosesAPathWithoutUnquotedBlanks)
{
    const struct {
        std::wstring_view Long;
        std::wstring_view Short;
        std::wstring_view Expected;
        const char* Reason;
    } rows[] = {
        {L"C:\\Bramolt\\Bramolt.exe", L"C:\\Bramolt\\Bramolt.exe", L"C:\\Bramolt\\Bramolt.exe",
         "no blank: long path"},
        {L"C:\\LongFolderName\\Bramolt.exe", L"C:\\LONGFO~1\\Bramolt.exe", L"C:\\LongFolderName\\Bramolt.exe",
         "no blank: the long path even when a short one exists"},
        {L"C:\\Program Files\\Bramolt\\Bramolt.exe", L"C:\\PROGRA~1\\Bramolt\\Bramolt.exe",
         L"C:\\PROGRA~1\\Bramolt\\Bramolt.exe", "blank: the short form"},
        {L"C:\\Program Files\\Bramolt\\Bramolt.exe", L"C:\\Program Files\\Bramolt\\Bramolt.exe",
         L"\"C:\\Program Files\\Bramolt\\Bramolt.exe\"", "short names disabled: quoted long path"},
        {L"D:\\My Tools\\Bramolt.exe", L"D:\\MYTOOL~1\\A B.exe", L"\"D:\\My Tools\\Bramolt.exe\"",
         "a short form with any blank is refused"},
        {L"C:\\Program Files\\Bramolt.exe", L"", L"\"C:\\Program Files\\Bramolt.exe\"",
         "short form unavailable: quoted long path"},
        {L"C:\\Bramolt.exe", L"", L"C:\\Bramolt.exe", "short form unavailable, no blank"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(LocalServer32Value(row.Long, row.Short), row.Expected) << row.Reason;
}

} // namespace
} // namespace bramolt::test
