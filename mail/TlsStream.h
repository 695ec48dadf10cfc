#pragma once

#include "mail/OpenSsl.h"
#include "mail/Socket.h"

#include <memory>
#include <string>
#include <string_view>

namespace bramolt::mail {

// TLS client over a connected socket, through the run-time loaded OpenSSL, the server's name
// sent (SNI) unless it is an address literal. Without `verify`: TLS 1.0 up to the highest
// version both sides support, whatever certificate the server shows. With `verify`: the
// library's default security level, and a certificate that chains to a trusted root
// (TrustedRoots.h) and names `serverName` (RFC 6125; an address literal must be among its
// addresses).
class TTlsStream {
  public:
    // Performs the handshake, all of it by `deadline`; throws EMailError "SSL negotiation
    // failed." when it fails or runs out of time, followed by the reason when the
    // certificate was refused.
    TTlsStream(const TOpenSsl& api, TSocket& socket, const std::string& serverName, bool verify,
               TDeadline deadline);
    // Sends the closing alert when the connection still works and has room for it (it never
    // waits), then frees the session.
    ~TTlsStream();
    TTlsStream(const TTlsStream&) = delete;
    TTlsStream& operator=(const TTlsStream&) = delete;

    // All of `bytes` by `deadline`, or "Write timed out.".
    void Write(std::string_view bytes, TDeadline deadline);
    // Decrypted bytes, at least one, by `deadline` ("Read timed out."); 0 when the server
    // closed the TLS session.
    std::size_t Read(char* buffer, std::size_t size, TDeadline deadline);

  private:
    struct TContextFree {
        const TOpenSsl* Api;
        void operator()(TSslContext* context) const { Api->SSL_CTX_free(context); }
    };
    struct TSslFree {
        const TOpenSsl* Api;
        void operator()(TSsl* ssl) const { Api->SSL_free(ssl); }
    };

    [[noreturn]] void Fail(int result, const char* what);
    // The library's error for the call that returned `result` when the call only has to wait
    // for the socket (readable or writable), else 0.
    int WaitingFor(int result) const;
    // Waits for what WaitingFor found; false when the deadline passed first.
    bool Await(int wanted, TDeadline deadline);
    [[noreturn]] void HandshakeFailed(bool verify);

    const TOpenSsl& FApi;
    TSocket& FSocket;
    std::unique_ptr<TSslContext, TContextFree> FContext;
    std::unique_ptr<TSsl, TSslFree> FSsl;
    bool FBroken = false;
};

} // namespace bramolt::mail
