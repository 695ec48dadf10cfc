// SendMail in-process: the failures that need no mail server, each leaving the call with
// its message and Res untouched. Deliveries to a real server are tested from VBScript
// (tests/scripts/mail.sh).

#include "InProcessServer.h"

#include <string>

namespace bramolt::test {
namespace {

using MailMethodsTest = TInProcessServer<>;

TEST_F(MailMethodsTest, FailuresLeaveTheCallWithTheirMessage)
{
    TComPtr<IBramoltCOM> object;
    ASSERT_TRUE(HResultIs(S_OK, CreateObject(IID_IBramoltCOM, object.ReceiveVoid())));

    const struct {
        const char* Name;
        const wchar_t* Server;
        int Port;
        VARIANT_BOOL Tls;
        std::string Description; // its beginning
    } rows[] = {
        {"no server", L"", 25, VARIANT_FALSE, "A Host is required"},
        {"port 0", L"127.0.0.1", 0, VARIANT_FALSE, "A Port is required"},
        {"low 16 bits of the port 0", L"127.0.0.1", 0x10000, VARIANT_FALSE, "A Port is required"},
        {"nothing listening", L"127.0.0.1", 1, VARIANT_FALSE, "Socket Error # 10061\r\n"},
        // The test program has no OpenSSL libraries beside it.
        {"TLS without the libraries", L"127.0.0.1", 1, VARIANT_TRUE, "Could not load SSL library."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        const TBstr to(L"a@example.org"), subject(L"s"), body(L"<p>b</p>"), user(L"u@example.org");
        const TBstr server(row.Server);
        BSTR res = reinterpret_cast<BSTR>(0x1);
        EXPECT_TRUE(HResultIs(E_UNEXPECTED,
                              object->SendMail(to.Get(), nullptr, nullptr, subject.Get(), body.Get(), nullptr,
                                               user.Get(), nullptr, server.Get(), row.Port, row.Tls, &res)));
        EXPECT_EQ(res, nullptr);
        TComPtr<IErrorInfo> info;
        ASSERT_TRUE(HResultIs(S_OK, ::GetErrorInfo(0, info.Receive())));
        TBstr description;
        info->GetDescription(description.Receive());
        EXPECT_EQ(Narrow(description.View()).substr(0, row.Description.size()), row.Description);
    }
}

} // namespace
} // namespace bramolt::test
