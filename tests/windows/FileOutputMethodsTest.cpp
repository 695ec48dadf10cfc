// EncodeBase64, DecodeBase64 and GenerateQR in-process, each case once late-bound through
// IDispatch::Invoke and once through the vtable: the files they write, the boolean of the
// Base64 methods, and the failed calls of GenerateQR with their error objects.

#include "InProcessServer.h"

#include "TestFolder.h"
#include "automation/BramoltCOM.h"
#include "qr/QRCodeGenerator.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

namespace bramolt::test {
namespace {

using Names = std::set<std::string>;

using TFileMethod = HRESULT (STDMETHODCALLTYPE IBramoltCOM::*)(BSTR, BSTR, VARIANT_BOOL*);
struct TMethod {
    const wchar_t* Name;
    TFileMethod Slot;
};
const TMethod kEncode{L"EncodeBase64", &IBramoltCOM::EncodeBase64};
const TMethod kDecode{L"DecodeBase64", &IBramoltCOM::DecodeBase64};
const TMethod kGenerateQR{L"GenerateQR", &IBramoltCOM::GenerateQR};

// What a call leaves in Res when it does not write it.
constexpr VARIANT_BOOL kUntouched = 0x5A5A;

struct TOutcome {
    HRESULT Code; // the method's own code, also when it reached a late-bound caller as an exception
    VARIANT_BOOL Res;
    std::wstring Description;
};

enum class TBinding { bLate, bEarly };

class FileOutputMethodsTest : public TInProcessServer<::testing::TestWithParam<TBinding>> {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(HResultIs(S_OK, CreateObject(IID_IBramoltCOM, FObject.ReceiveVoid())));
        ASSERT_TRUE(HResultIs(S_OK, FObject->QueryInterface(IID_IDispatch, FDispatch.ReceiveVoid())));
    }

    TOutcome Call(const TMethod& method, std::wstring_view text, std::wstring_view path)
    {
        const TBstr inputText(text);
        const TBstr outputPath(path);
        return GetParam() == TBinding::bLate ? CallLate(method, inputText.Get(), outputPath.Get())
                                             : CallEarly(method, inputText.Get(), outputPath.Get());
    }

    std::wstring PathOf(const std::string& name) const { return (FFolder / name).wstring(); }

    TComPtr<IBramoltCOM> FObject;
    TComPtr<IDispatch> FDispatch;
    TTestFolder FFolder;

  private:
    TOutcome CallLate(const TMethod& method, BSTR text, BSTR path)
    {
        const TLateBoundAnswer answer = InvokeByName(*FDispatch.Get(), method.Name, {Bstr(text), Bstr(path)});
        if (answer.Code == DISP_E_EXCEPTION) {
            EXPECT_EQ(answer.ErrorSource, L"Bramolt.BramoltCOM");
            return {answer.ErrorCode, kUntouched, answer.ErrorDescription};
        }
        if (FAILED(answer.Code))
            return {answer.Code, kUntouched, {}};
        EXPECT_EQ(V_VT(&answer.Value.Get()), VT_BOOL);
        return {answer.Code, V_BOOL(&answer.Value.Get()), {}};
    }

    TOutcome CallEarly(const TMethod& method, BSTR text, BSTR path)
    {
        VARIANT_BOOL res = kUntouched;
        const HRESULT hr = (FObject.Get()->*method.Slot)(text, path, &res);
        TOutcome outcome{hr, res, {}};
        if (FAILED(hr)) {
            TComPtr<IErrorInfo> info;
            if (::GetErrorInfo(0, info.Receive()) == S_OK) {
                TBstr source, description;
                info->GetSource(source.Receive());
                info->GetDescription(description.Receive());
                EXPECT_EQ(source.View(), L"Bramolt.BramoltCOM");
                outcome.Description = description.View();
            }
        }
        return outcome;
    }
};

INSTANTIATE_TEST_SUITE_P(Bindings, FileOutputMethodsTest,
                         ::testing::Values(TBinding::bLate, TBinding::bEarly),
                         [](const auto& info) { return info.param == TBinding::bLate ? "Late" : "Early"; });

std::string Repeat(std::string_view part, int count)
{
    std::string result;
    for (int i = 0; i < count; ++i)
        result += part;
    return result;
}

std::wstring Wide(std::string_view ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

// ---------------------------------------------------------------------------------------------
// Base64

TEST_P(FileOutputMethodsTest, Base64FilesHoldExactlyTheConvertedBytes)
{
    const struct {
        const char* Why;
        const TMethod& Method;
        std::wstring Text;
        std::string File;
    } rows[] = {
        {"nothing to encode", kEncode, L"", ""},
        {"57 bytes end their only line with CR LF", kEncode, Wide(Repeat("aaa", 19)),
         Repeat("YWFh", 19) + "\r\n"},
        {"58 bytes: a padded group after the line", kEncode, Wide(Repeat("aaa", 19) + "a"),
         Repeat("YWFh", 19) + "\r\nYQ=="},
        {"56 bytes: one line without a break", kEncode, Wide(Repeat("aaa", 18) + "aa"),
         Repeat("YWFh", 18) + "YWE="},
        {"UTF-8 of non-ASCII text, a surrogate pair included", kEncode, L"\u00D1and\u00FA \u20AC \U0001F600",
         "w5FhbmTDuiDigqwg8J+YgA=="},
        {"an embedded NUL is text", kEncode, std::wstring(L"a\0b", 3), "YQBi"},
        {"CR LF breaks", kDecode, L"SGVs\r\nbG8=", "Hello"},
        {"LF breaks and no padding", kDecode, L"SG\nVs\nbG8", "Hello"},
        {"blanks", kDecode, L"  SGVs bG8=\t", "Hello"},
        {"\"=\" in the middle does not end the data", kDecode, L"SGVs=bG8=", "Hello"},
        {"non-ASCII characters are skipped", kDecode, L"SGVs\u00E9bG8\u4E2D=", "Hello"},
        {"no alphabet character gives an empty file", kDecode, L"== -_\r\n", ""},
        {"any bytes are written", kDecode, L"AP/+DQo=", std::string("\0\xFF\xFE\r\n", 5)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Why);
        const TOutcome outcome = Call(row.Method, row.Text, PathOf("out.txt"));
        EXPECT_TRUE(HResultIs(S_OK, outcome.Code));
        EXPECT_EQ(outcome.Res, VARIANT_TRUE);
        EXPECT_EQ(ReadBytes(FFolder / "out.txt"), row.File);
    }
    EXPECT_EQ(FFolder.Names(), Names{"out.txt"});
}

// The Base64 methods answer false for every failure and never fail the call.
TEST_P(FileOutputMethodsTest, Base64FailuresAnswerFalseAndWriteNothing)
{
    const struct {
        const char* Why;
        std::wstring Path;
    } rows[] = {
        {"missing folder", PathOf("missing") + L"\\out.txt"},
        {"empty path", L""},
        {"forbidden character", PathOf("a|b.txt")},
        {"colon naming a stream", PathOf("out.txt") + L":stream"},
        {"a file name of 260 characters", PathOf(std::string(260, 'x'))},
        {"a path beyond the system's 32,767 characters", PathOf(std::string(32767, 'x'))},
        {"a folder at the target", FFolder.Path().wstring()},
    };
    for (const TMethod& method : {kEncode, kDecode})
        for (const auto& row : rows) {
            SCOPED_TRACE(Narrow(method.Name) + ": " + row.Why);
            const TOutcome outcome = Call(method, L"SGVsbG8=", row.Path);
            EXPECT_TRUE(HResultIs(S_OK, outcome.Code));
            EXPECT_EQ(outcome.Res, VARIANT_FALSE);
        }
    EXPECT_TRUE(FFolder.Names().empty());
}

// ---------------------------------------------------------------------------------------------
// GenerateQR

struct TBmp {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::string Bytes;

    template <typename T> T At(std::size_t offset) const
    {
        T value{};
        std::memcpy(&value, Bytes.data() + offset, sizeof value);
        return value;
    }
    // 32 bits per pixel, rows bottom-up: black is 00 00 00 in blue, green, red.
    bool IsBlack(int x, int y) const
    {
        const std::size_t pixel = 54 + (static_cast<std::size_t>(Height - 1 - y) * Width + x) * 4;
        return Bytes.compare(pixel, 3, std::string(3, '\0')) == 0;
    }
};

::testing::AssertionResult ReadBmp(const std::filesystem::path& path, TBmp& bmp)
{
    bmp.Bytes = ReadBytes(path);
    if (bmp.Bytes.size() < 54 || bmp.Bytes.compare(0, 2, "BM") != 0)
        return ::testing::AssertionFailure() << "no BMP file: " << bmp.Bytes.size() << " bytes";
    bmp.Width = bmp.At<std::int32_t>(18);
    bmp.Height = bmp.At<std::int32_t>(22);
    const auto size = 54 + static_cast<std::size_t>(bmp.Width) * bmp.Height * 4;
    if (bmp.At<std::uint32_t>(2) != bmp.Bytes.size() || bmp.At<std::uint32_t>(10) != 54 ||
        bmp.At<std::uint16_t>(28) != 32 || bmp.At<std::uint32_t>(30) != 0 || bmp.Bytes.size() != size)
        return ::testing::AssertionFailure()
               << "not an uncompressed 32-bit BMP file of " << bmp.Width << " x " << bmp.Height
               << " pixels in " << bmp.Bytes.size() << " bytes";
    return ::testing::AssertionSuccess();
}

TEST_P(FileOutputMethodsTest, GenerateQRDrawsOnePixelPerModule)
{
    const struct {
        std::wstring Text;
        int Side;
    } rows[] = {
        {L"A", 29},                     // version 1
        {L"\u00D1and\u00FA", 29},       // non-ASCII, still version 1
        {Wide(Repeat("a", 2953)), 185}, // the longest byte-mode text: version 40
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(Narrow(row.Text.substr(0, 20)));
        const TOutcome outcome = Call(kGenerateQR, row.Text, PathOf("qr.bmp"));
        ASSERT_TRUE(HResultIs(S_OK, outcome.Code)) << Narrow(outcome.Description);
        EXPECT_EQ(outcome.Res, VARIANT_TRUE);
        TBmp bmp;
        ASSERT_TRUE(ReadBmp(FFolder / "qr.bmp", bmp));
        ASSERT_EQ(bmp.Width, row.Side);
        ASSERT_EQ(bmp.Height, row.Side);
        EXPECT_TRUE(bmp.IsBlack(4, 4)) << "corner of the top-left finder pattern";
        qr::TQRCodeGenerator symbol;
        symbol.SetData(std::u16string(row.Text.begin(), row.Text.end()));
        int differences = 0;
        for (int y = 0; y < row.Side; ++y)
            for (int x = 0; x < row.Side; ++x)
                differences += bmp.IsBlack(x, y) != symbol.IsBlack(y, x);
        EXPECT_EQ(differences, 0);
    }
    EXPECT_EQ(FFolder.Names(), Names{"qr.bmp"});
}

TEST_P(FileOutputMethodsTest, GenerateQROfNothingWritesAnEmptyFile)
{
    WriteBytes(FFolder / "qr.bmp", "previous content");
    const TOutcome outcome = Call(kGenerateQR, L"", PathOf("qr.bmp"));
    EXPECT_TRUE(HResultIs(S_OK, outcome.Code));
    EXPECT_EQ(outcome.Res, VARIANT_TRUE);
    EXPECT_TRUE(std::filesystem::is_regular_file(FFolder / "qr.bmp"));
    EXPECT_EQ(std::filesystem::file_size(FFolder / "qr.bmp"), 0u);
}

TEST_P(FileOutputMethodsTest, GenerateQRReplacesAnExistingFile)
{
    WriteBytes(FFolder / "qr.bmp", std::string(200000, 'o'));
    ASSERT_TRUE(HResultIs(S_OK, Call(kGenerateQR, L"A", PathOf("qr.bmp")).Code));
    TBmp bmp;
    EXPECT_TRUE(ReadBmp(FFolder / "qr.bmp", bmp)) << "nothing of the longer old file remains";
    EXPECT_EQ(FFolder.Names(), Names{"qr.bmp"});
}

// GenerateQR's errors fail the call with their message and leave Res alone; nothing is
// written, and a file already at the target keeps its content.
TEST_P(FileOutputMethodsTest, GenerateQRFailuresFailTheCallWithTheirMessage)
{
    WriteBytes(FFolder / "kept.bmp", "previous content");
    // Relative paths are shown made absolute against the current directory.
    const TCurrentDirectory inside(FFolder.Path());
    const std::wstring tooLong = Wide(Repeat("a", 2954));
    const struct {
        const char* Why;
        std::wstring Text;
        std::wstring Path;
        std::wstring Message; // its start, when it ends with the system's text
        bool SystemText;
    } rows[] = {
        {"too long", tooLong, L"kept.bmp", L"Text too long for a QR code (2954 bytes; at most 2953)", false},
        {"too long, new file", tooLong, L"new.bmp", L"Text too long for a QR code (2954 bytes; at most 2953)",
         false},
        {"missing folder", L"A", L"missing\\qr.bmp",
         L"Cannot create file \"" + PathOf("missing") + L"\\qr.bmp\". ", true},
        // Windows file names may hold one, UTF-8 cannot: the message must not pass through it.
        {"missing folder, an unpaired surrogate in the name", L"A", L"missing\\\xD800.bmp",
         L"Cannot create file \"" + PathOf("missing") + L"\\\xD800.bmp\". ", true},
        {"forbidden character", L"A", PathOf("q?r.bmp"),
         L"Cannot create file \"" + PathOf("q?r.bmp") + L"\". ", true},
        {"a folder at the target", L"A", FFolder.Path().wstring(),
         L"Cannot create file \"" + FFolder.Path().wstring() + L"\". ", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Why);
        const TOutcome outcome = Call(kGenerateQR, row.Text, row.Path);
        EXPECT_TRUE(HResultIs(E_UNEXPECTED, outcome.Code));
        EXPECT_EQ(outcome.Res, kUntouched);
        if (row.SystemText) {
            EXPECT_TRUE(outcome.Description.starts_with(row.Message)) << Narrow(outcome.Description);
            EXPECT_GT(outcome.Description.size(), row.Message.size()) << "the system's text follows";
        } else {
            EXPECT_EQ(outcome.Description, row.Message);
        }
    }
    EXPECT_EQ(FFolder.Names(), Names{"kept.bmp"});
    EXPECT_EQ(ReadBytes(FFolder / "kept.bmp"), "previous content");
}

// A target that another program holds open without sharing cannot be replaced: each method
// fails its own way, and the file keeps its content with no temporary file left beside it.
TEST_P(FileOutputMethodsTest, AFileInUseKeepsItsContent)
{
    const std::wstring target = PathOf("in-use.bin");
    WriteBytes(FFolder / "in-use.bin", "previous content");
    HANDLE lock = ::CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const TOutcome encoded = Call(kEncode, L"x", target);
    const TOutcome decoded = Call(kDecode, L"eA==", target);
    const TOutcome drawn = Call(kGenerateQR, L"A", target);
    ::CloseHandle(lock);

    for (const TOutcome& outcome : {encoded, decoded}) {
        EXPECT_TRUE(HResultIs(S_OK, outcome.Code));
        EXPECT_EQ(outcome.Res, VARIANT_FALSE);
    }
    EXPECT_TRUE(HResultIs(E_UNEXPECTED, drawn.Code));
    EXPECT_TRUE(drawn.Description.starts_with(L"Cannot create file \"" + target + L"\". "))
        << Narrow(drawn.Description);
    EXPECT_EQ(ReadBytes(FFolder / "in-use.bin"), "previous content");
    EXPECT_EQ(FFolder.Names(), Names{"in-use.bin"});
}

// The system's own description of an error code.
std::wstring SystemText(DWORD code)
{
    wchar_t text[512] = {};
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                    0, text, static_cast<DWORD>(std::size(text)), nullptr);
    while (length > 0 && (text[length - 1] == L'\n' || text[length - 1] == L'\r' || text[length - 1] == L' '))
        --length;
    return std::wstring(text, length);
}

// A file marked read-only is kept, although moving a file over it would replace it under
// Wine: refused before anything is written, with the system's access-denied text.
TEST_P(FileOutputMethodsTest, AReadOnlyFileIsKept)
{
    const std::wstring target = PathOf("read-only.bin");
    WriteBytes(FFolder / "read-only.bin", "previous content");
    ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
    const TOutcome encoded = Call(kEncode, L"x", target);
    const TOutcome decoded = Call(kDecode, L"eA==", target);
    const TOutcome drawn = Call(kGenerateQR, L"A", target);
    ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);

    for (const TOutcome& outcome : {encoded, decoded}) {
        EXPECT_TRUE(HResultIs(S_OK, outcome.Code));
        EXPECT_EQ(outcome.Res, VARIANT_FALSE);
    }
    EXPECT_TRUE(HResultIs(E_UNEXPECTED, drawn.Code));
    EXPECT_EQ(drawn.Description,
              L"Cannot create file \"" + target + L"\". " + SystemText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadBytes(FFolder / "read-only.bin"), "previous content");
    EXPECT_EQ(FFolder.Names(), Names{"read-only.bin"});
}

// Paths past the 260 characters of the ordinary form are written, whether given in full, in
// the extended-length form or relative to the current directory; "\\?\" paths are taken
// as they are.
TEST_P(FileOutputMethodsTest, LongAndExtendedLengthPaths)
{
    std::wstring deep = FFolder.Path().wstring();
    for (wchar_t letter : std::wstring(L"abcdef")) {
        deep += L"\\" + std::wstring(100, letter);
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr)) << ::GetLastError();
    }
    ASSERT_GT(deep.size(), 600u);
    const std::wstring shallow = deep.substr(0, deep.size() - 5 * 101);
    const struct {
        const char* Why;
        std::wstring Given;
        std::wstring Written;
    } rows[] = {
        {"a full path of more than 600 characters", deep + L"\\full.out", deep + L"\\full.out"},
        {"the same in the extended-length form", L"\\\\?\\" + deep + L"\\extended.out",
         deep + L"\\extended.out"},
        {"relative to a current directory of less than 260 characters",
         std::wstring(100, L'b') + L"\\" + std::wstring(100, L'c') + L"\\" + std::wstring(100, L'd') + L"\\" +
             std::wstring(100, L'e') + L"\\" + std::wstring(100, L'f') + L"\\relative.out",
         deep + L"\\relative.out"},
    };
    const TCurrentDirectory inside(FFolder.Path() / std::string(100, 'a'));
    ASSERT_EQ(shallow, std::filesystem::current_path().wstring());
    for (const TMethod& method : {kEncode, kGenerateQR}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(Narrow(method.Name) + ": " + row.Why);
            const TOutcome outcome = Call(method, L"QUJD", row.Given);
            EXPECT_TRUE(HResultIs(S_OK, outcome.Code)) << Narrow(outcome.Description);
            EXPECT_EQ(outcome.Res, VARIANT_TRUE);
            const HANDLE file = ::CreateFileW((L"\\\\?\\" + row.Written).c_str(), GENERIC_READ,
                                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            EXPECT_NE(file, INVALID_HANDLE_VALUE) << "nothing at the target";
            if (file != INVALID_HANDLE_VALUE) {
                EXPECT_GT(::GetFileSize(file, nullptr), 0u);
                ::CloseHandle(file);
                ::DeleteFileW((L"\\\\?\\" + row.Written).c_str());
            }
        }
    }

    // A "\\?\UNC\" path keeps its form in the message when the share cannot be reached.
    const std::wstring unc = L"\\\\?\\UNC\\no-such-server\\share\\qr.bmp";
    const TOutcome drawn = Call(kGenerateQR, L"A", unc);
    EXPECT_TRUE(HResultIs(E_UNEXPECTED, drawn.Code));
    EXPECT_TRUE(drawn.Description.starts_with(L"Cannot create file \"" + unc + L"\". "))
        << Narrow(drawn.Description);
}

// Device names keep the answers they always had: no file is written and GenerateQR names the
// device.
TEST_P(FileOutputMethodsTest, DeviceNames)
{
    const TCurrentDirectory inside(FFolder.Path());
    for (const std::wstring device : {L"NUL", L"CON", L"COM1"}) {
        SCOPED_TRACE(Narrow(device));
        EXPECT_EQ(Call(kEncode, L"x", device).Res, VARIANT_FALSE);
        const TOutcome drawn = Call(kGenerateQR, L"A", device);
        EXPECT_TRUE(HResultIs(E_UNEXPECTED, drawn.Code));
        EXPECT_TRUE(drawn.Description.starts_with(L"Cannot create file \"\\\\.\\" + device + L"\". "))
            << Narrow(drawn.Description);
    }
    EXPECT_TRUE(FFolder.Names().empty());
}

TEST_P(FileOutputMethodsTest, NonAsciiFileNames)
{
    const std::wstring name = L"\u00D1and\u00FA \u6570\u636E";
    const std::wstring folder = FFolder.Path().wstring() + L"\\";
    for (const TMethod& method : {kEncode, kDecode, kGenerateQR}) {
        SCOPED_TRACE(Narrow(method.Name));
        const std::wstring path = folder + name + L"." + method.Name;
        const TOutcome outcome = Call(method, L"QUJD", path);
        EXPECT_TRUE(HResultIs(S_OK, outcome.Code)) << Narrow(outcome.Description);
        EXPECT_EQ(outcome.Res, VARIANT_TRUE);
        EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::path(path)));
    }
}

using FileOutputMethods = TInProcessServer<>;

TEST_F(FileOutputMethods, AMissingValueParameterIsRefused)
{
    TComPtr<IBramoltCOM> object;
    ASSERT_TRUE(HResultIs(S_OK, CreateObject(IID_IBramoltCOM, object.ReceiveVoid())));
    for (const TMethod& method : {kEncode, kDecode, kGenerateQR})
        EXPECT_TRUE(HResultIs(E_POINTER, (object.Get()->*method.Slot)(nullptr, nullptr, nullptr)))
            << Narrow(method.Name);
}

} // namespace
} // namespace bramolt::test
