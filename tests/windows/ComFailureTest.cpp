// The failure mapping at the COM boundary: which HRESULT and which error
// object each kind of escaping exception becomes.

#include "ComTestSupport.h"

#include "automation/BramoltIdentity.h"
#include "automation/ComFailure.h"
#include "automation/ComOwners.h"
#include "automation/MethodAnswer.h"
#include "text/WideView.h"

#include <functional>
#include <new>
#include <optional>

namespace bramolt::test {
namespace {

struct TErrorObject {
    GUID Guid{};
    std::wstring Source;
    std::optional<std::wstring> Description; // nullopt: left unset
};

TErrorObject TakeErrorObject()
{
    TComPtr<IErrorInfo> info;
    EXPECT_TRUE(HResultIs(S_OK, ::GetErrorInfo(0, info.Receive())));
    TErrorObject result;
    if (!info)
        return result;
    info->GetGUID(&result.Guid);
    TBstr source;
    info->GetSource(source.Receive());
    result.Source = source.View();
    TBstr description;
    info->GetDescription(description.Receive());
    if (description.Get())
        result.Description = std::wstring(description.View());
    return result;
}

TEST(ComFailureTest, EscapingExceptionsBecomeCodeAndErrorObject)
{
    const struct {
        const char* Case;
        std::function<void()> Body;
        HRESULT Expected;
        std::optional<std::wstring> Description;
    } rows[] = {
        {"a failed COM call keeps its code", [] { throw EComError(E_ACCESSDENIED, "denied"); },
         E_ACCESSDENIED, L"denied"},
        {"a success code is no failure code", [] { throw EComError(S_FALSE, "odd"); }, E_UNEXPECTED, L"odd"},
        {"a positive code is no failure code", [] { throw EComError(0x00040005, "odd"); }, E_UNEXPECTED,
         L"odd"},
        {"any other exception is unexpected", [] { throw std::runtime_error("broken"); }, E_UNEXPECTED,
         L"broken"},
        {"messages are UTF-8", [] { throw std::runtime_error("a\xC3\xB1o \xE2\x82\xAC"); }, E_UNEXPECTED,
         L"a\u00F1o \u20AC"},
        {"an empty message leaves the description unset", [] { throw std::runtime_error(""); }, E_UNEXPECTED,
         std::nullopt},
        {"out of memory is an exception like others", [] { throw std::bad_alloc(); }, E_UNEXPECTED,
         L"std::bad_alloc"},
        {"a non-standard exception has no description", [] { throw 42; }, E_UNEXPECTED, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Case);
        ::SetErrorInfo(0, nullptr);
        EXPECT_TRUE(HResultIs(row.Expected, Answer(kBramoltCOM, RaiseError, row.Body)));
        const TErrorObject error = TakeErrorObject();
        EXPECT_TRUE(IsEqualGUID(error.Guid, IID_IBramoltCOM));
        EXPECT_EQ(error.Source, L"Bramolt.BramoltCOM");
        EXPECT_EQ(error.Description, row.Description);
    }
}

TEST(ComFailureTest, TheErrorSourceIsTheProgIDOfTheFailingClass)
{
    const struct {
        const char* Why;
        const TAutomationClass& Class;
        const wchar_t* Source;
    } rows[] = {
        {"existing callers keep their source", kBramoltCOM, L"Bramolt.BramoltCOM"},
        {"the Long-handle class names itself", kBramoltCOMLong, L"Bramolt.BramoltCOMLong"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Why);
        ::SetErrorInfo(0, nullptr);
        EXPECT_TRUE(
            HResultIs(E_UNEXPECTED, Answer(row.Class, RaiseError, [] { throw std::runtime_error("x"); })));
        const TErrorObject error = TakeErrorObject();
        EXPECT_EQ(error.Source, row.Source);
        EXPECT_TRUE(IsEqualGUID(error.Guid, IID_IBramoltCOM)) << "both classes implement the one interface";
    }
}

TEST(ComFailureTest, SuccessSetsNoErrorObject)
{
    ::SetErrorInfo(0, nullptr);
    bool ran = false;
    EXPECT_TRUE(HResultIs(S_OK, Answer(kBramoltCOM, RaiseError, [&] { ran = true; })));
    EXPECT_TRUE(ran);
    TComPtr<IErrorInfo> info;
    EXPECT_TRUE(HResultIs(S_FALSE, ::GetErrorInfo(0, info.Receive())));
}

TEST(ComFailureTest, ThrowIfFailedPassesSuccessCodes)
{
    EXPECT_NO_THROW(ThrowIfFailed(S_OK, "x"));
    EXPECT_NO_THROW(ThrowIfFailed(S_FALSE, "x"));
    try {
        ThrowIfFailed(TYPE_E_CANTLOADLIBRARY, "cannot load");
        FAIL() << "no exception";
    } catch (const EComError& error) {
        EXPECT_TRUE(HResultIs(TYPE_E_CANTLOADLIBRARY, error.Code()));
        EXPECT_STREQ(error.what(), "cannot load");
    }
}

TEST(ComOwnersTest, BstrKeepsEmbeddedNullsAndTreatsNullAsEmpty)
{
    const TBstr empty;
    EXPECT_TRUE(empty.View().empty());
    const std::wstring_view text(L"a\0b", 3);
    TBstr owner(text);
    EXPECT_EQ(owner.View(), text);
    TBstr moved(std::move(owner));
    EXPECT_EQ(owner.Get(), nullptr);
    EXPECT_EQ(moved.View(), text);
}

TEST(WideFromUtf8Test, ConvertsAndReplacesInvalidSequences)
{
    EXPECT_EQ(text::WideFromUtf8(""), L"");
    EXPECT_EQ(text::WideFromUtf8("\xF0\x9F\x98\x80"), L"\U0001F600");
    EXPECT_EQ(text::WideFromUtf8("a\xFF"), L"a\uFFFD");
}

} // namespace
} // namespace bramolt::test
