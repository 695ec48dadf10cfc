#pragma once

// A TCP connection to a mail server over the platform's sockets (BSD sockets, or Winsock on
// Windows). One implementation per platform: SocketPosix.cpp and SocketWin32.cpp.
//
// The socket never blocks: every wait is one for readiness, and ends at its caller's deadline.
// A TLS library that reads and writes the socket itself gets "would block" where it would
// wait, and the caller waits with its own deadline (TlsStream.cpp).
//
// Failures are EMailError with these messages:
//   - "Connect timed out."        no connection within the connect limit;
//   - "Read timed out."           no data within a receive's deadline;
//   - "Write timed out."          bytes that could not all be sent within a send's deadline;
//   - "Socket Error # <n>\r\n<text>" any other failure (name not resolved, connection
//                                 refused or lost), with the system's number and text.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace bramolt::mail {

using TDeadline = std::chrono::steady_clock::time_point;

// The deadline of the next of `attempts` (at least 1) that share what is left until `deadline`
// equally.
inline TDeadline ShareOf(TDeadline deadline, std::size_t attempts,
                         TDeadline now = std::chrono::steady_clock::now())
{
    if (deadline <= now)
        return deadline;
    return now + (deadline - now) / static_cast<long long>(attempts == 0 ? 1 : attempts);
}

class TSocket {
  public:
    // Resolves `host` and tries its addresses (IPv6 and IPv4) in the resolver's order until
    // one connects, all within the one time limit; "Connect timed out." when none answered
    // and one of them ran out of time.
    static TSocket Connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds limit);

    TSocket(TSocket&& other) noexcept;
    TSocket& operator=(TSocket&& other) noexcept;
    TSocket(const TSocket&) = delete;
    TSocket& operator=(const TSocket&) = delete;
    ~TSocket();

    void SendAll(std::string_view bytes, TDeadline deadline);
    // Receives what has arrived, at least one byte; 0 when the peer closed the connection.
    std::size_t Receive(char* buffer, std::size_t size, TDeadline deadline);
    // Wait until data (or the peer's close) can be read, or until bytes can be sent; false
    // when the deadline passed first.
    [[nodiscard]] bool WaitReadable(TDeadline deadline);
    [[nodiscard]] bool WaitWritable(TDeadline deadline);

    // The platform's socket handle, for the TLS library.
    std::intptr_t Handle() const { return FHandle; }

    // Throws the socket error of the last failed socket call of this thread.
    [[noreturn]] static void ThrowLastError();

  private:
    explicit TSocket(std::intptr_t handle) : FHandle(handle) {}
    void Close() noexcept;

    std::intptr_t FHandle;
};

// The name of this computer, as the greeting to a server gives it; "localhost" when the
// system has none.
std::string LocalHostName();

// Keeps a write to a connection that the peer has closed from raising a signal that ends
// the process, while code that is not ours writes to the socket (a TLS library). Does
// nothing where writes raise no signal.
class TPipeSignalGuard {
  public:
    TPipeSignalGuard();
    ~TPipeSignalGuard();
    TPipeSignalGuard(const TPipeSignalGuard&) = delete;
    TPipeSignalGuard& operator=(const TPipeSignalGuard&) = delete;

  private:
    bool FWasPending = false;
    bool FWasBlocked = false;
};

} // namespace bramolt::mail
