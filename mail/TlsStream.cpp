#include "mail/TlsStream.h"

#include "mail/MailError.h"
#include "mail/TrustedRoots.h"

#include <algorithm>
#include <climits>

namespace bramolt::mail {

namespace {

// RFC 6066: the server name is a DNS host name; address literals are not sent.
bool IsAddressLiteral(const std::string& name)
{
    return name.find(':') != std::string::npos ||
           std::all_of(name.begin(), name.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

[[noreturn]] void NegotiationFailed()
{
    throw EMailError("SSL negotiation failed.");
}

} // namespace

TTlsStream::TTlsStream(const TOpenSsl& api, TSocket& socket, const std::string& serverName, bool verify,
                       TDeadline deadline)
    : FApi(api), FSocket(socket), FContext(nullptr, TContextFree{&api}), FSsl(nullptr, TSslFree{&api})
{
    FApi.ERR_clear_error();
    FContext.reset(FApi.SSL_CTX_new(FApi.TLS_client_method()));
    if (!FContext)
        NegotiationFailed();
    FApi.SSL_CTX_ctrl(FContext.get(), ossl::kCtrlSetMinProtoVersion, ossl::kTls1Version, nullptr);
    if (verify) {
        AddTrustedRoots(FApi, FContext.get());
        FApi.SSL_CTX_set_verify(FContext.get(), ossl::kVerifyPeer, nullptr);
    } else {
        // Old servers still speak TLS 1.0 and 1.1, which the library's default security
        // level refuses; an unverified peer gains nothing from the stricter level. A machine
        // that asks for verification wants that level too.
        FApi.SSL_CTX_set_security_level(FContext.get(), 0);
        FApi.SSL_CTX_set_verify(FContext.get(), ossl::kVerifyNone, nullptr);
    }

    FSsl.reset(FApi.SSL_new(FContext.get()));
    if (!FSsl || FApi.SSL_set_fd(FSsl.get(), static_cast<int>(FSocket.Handle())) != 1)
        NegotiationFailed();
    if (!serverName.empty() && !IsAddressLiteral(serverName))
        FApi.SSL_ctrl(FSsl.get(), ossl::kCtrlSetTlsExtHostName, ossl::kNameTypeHostName,
                      const_cast<char*>(serverName.c_str()));
    // The library takes an address literal as an address to find among the certificate's.
    if (verify && FApi.SSL_set1_host(FSsl.get(), serverName.c_str()) != 1)
        throw EMailError("SSL negotiation failed. \"" + serverName + "\" is not a host name to verify.");
    // The socket never blocks, so a server that sends its handshake a byte at a time cannot
    // stretch it beyond the deadline: each wait gets only what is left of it.
    const TPipeSignalGuard quiet;
    for (;;) {
        FApi.ERR_clear_error();
        const int result = FApi.SSL_connect(FSsl.get());
        if (result == 1)
            return;
        const int wanted = WaitingFor(result);
        if (wanted == 0 || !Await(wanted, deadline))
            HandshakeFailed(verify);
    }
}

int TTlsStream::WaitingFor(int result) const
{
    const int error = FApi.SSL_get_error(FSsl.get(), result);
    return error == ossl::kErrorWantRead || error == ossl::kErrorWantWrite ? error : 0;
}

bool TTlsStream::Await(int wanted, TDeadline deadline)
{
    return wanted == ossl::kErrorWantWrite ? FSocket.WaitWritable(deadline) : FSocket.WaitReadable(deadline);
}

void TTlsStream::HandshakeFailed(bool verify)
{
    FBroken = true;
    const long result = verify ? FApi.SSL_get_verify_result(FSsl.get()) : ossl::kX509VerifyOk;
    if (result == ossl::kX509VerifyOk)
        NegotiationFailed();
    throw EMailError(std::string("SSL negotiation failed. The server's certificate was refused: ") +
                     FApi.X509_verify_cert_error_string(result) + ".");
}

TTlsStream::~TTlsStream()
{
    if (FSsl && !FBroken) {
        const TPipeSignalGuard quiet;
        FApi.SSL_shutdown(FSsl.get());
    }
    FApi.ERR_clear_error();
}

void TTlsStream::Fail(int result, const char* what)
{
    FBroken = true;
    if (FApi.SSL_get_error(FSsl.get(), result) == ossl::kErrorSyscall)
        TSocket::ThrowLastError();
    throw EMailError(std::string("TLS error while ") + what + ".");
}

void TTlsStream::Write(std::string_view bytes, TDeadline deadline)
{
    const TPipeSignalGuard quiet;
    while (!bytes.empty()) {
        FApi.ERR_clear_error();
        // A write that has to wait is repeated with the same bytes, as the library requires.
        const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
        const int written = FApi.SSL_write(FSsl.get(), bytes.data(), chunk);
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
            continue;
        }
        const int wanted = WaitingFor(written);
        if (wanted == 0)
            Fail(written, "sending");
        if (!Await(wanted, deadline)) {
            // Part of a record may have left: nothing more can be sent, not even the alert.
            FBroken = true;
            throw EMailError("Write timed out.");
        }
    }
}

std::size_t TTlsStream::Read(char* buffer, std::size_t size, TDeadline deadline)
{
    const TPipeSignalGuard quiet;
    for (;;) {
        FApi.ERR_clear_error();
        const int read =
            FApi.SSL_read(FSsl.get(), buffer, static_cast<int>(std::min<std::size_t>(size, INT_MAX)));
        if (read > 0)
            return static_cast<std::size_t>(read);
        if (FApi.SSL_get_error(FSsl.get(), read) == ossl::kErrorZeroReturn)
            return 0;
        // Waiting covers handshake messages too, such as a session ticket that brings no data.
        const int wanted = WaitingFor(read);
        if (wanted == 0)
            Fail(read, "receiving");
        if (!Await(wanted, deadline))
            throw EMailError("Read timed out.");
    }
}

} // namespace bramolt::mail
