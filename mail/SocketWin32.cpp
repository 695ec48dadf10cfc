#include "mail/MailError.h"
#include "mail/Socket.h"
#include "text/SystemMessage.h"
#include "text/Utf8.h"
#include "text/WideView.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <algorithm>
#include <memory>

namespace bramolt::mail {

namespace {

constexpr std::intptr_t kNoSocket = static_cast<std::intptr_t>(INVALID_SOCKET);

[[noreturn]] void ThrowSocketError(int number)
{
    throw EMailError("Socket Error # " + std::to_string(number) + "\r\n" +
                     text::ToUtf8(text::SystemMessage(static_cast<std::uint32_t>(number))));
}

// Winsock is started for each socket and for each host name query, and stopped with them:
// the system counts the starts, and no state of ours outlives a call.
class TWinsock {
  public:
    TWinsock()
    {
        WSADATA data;
        const int result = ::WSAStartup(MAKEWORD(2, 2), &data);
        if (result != 0)
            ThrowSocketError(result);
    }
    ~TWinsock()
    {
        if (FOwned)
            ::WSACleanup();
    }
    TWinsock(const TWinsock&) = delete;
    TWinsock& operator=(const TWinsock&) = delete;
    // Hands the start over to a socket, whose close stops Winsock.
    void Release() { FOwned = false; }

  private:
    bool FOwned = true;
};

timeval Remaining(TDeadline deadline)
{
    const auto left = std::max<std::chrono::microseconds::rep>(
        0, std::chrono::duration_cast<std::chrono::microseconds>(deadline - std::chrono::steady_clock::now())
               .count());
    timeval value{};
    value.tv_sec = static_cast<long>(std::min<std::chrono::microseconds::rep>(left / 1000000, 1 << 30));
    value.tv_usec = static_cast<long>(left % 1000000);
    return value;
}

enum class TWaitFor {
    wfReadable, // data, or the peer's close
    wfWritable, // room to send; for a connection attempt, its end: writable when made, failed otherwise
};

// Waits on the socket; false when the deadline passed first.
bool Wait(SOCKET handle, TWaitFor what, TDeadline deadline)
{
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(handle, &ready);
    FD_SET(handle, &failed);
    timeval wait = Remaining(deadline);
    const bool reading = what == TWaitFor::wfReadable;
    const int count = ::select(0, reading ? &ready : nullptr, reading ? nullptr : &ready,
                               reading ? nullptr : &failed, &wait);
    if (count == SOCKET_ERROR)
        TSocket::ThrowLastError();
    return count > 0;
}

struct TAddressInfoFree {
    void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};

void SetNonBlocking(SOCKET handle)
{
    u_long nonBlocking = 1;
    if (::ioctlsocket(handle, FIONBIO, &nonBlocking) != 0)
        TSocket::ThrowLastError();
}

} // namespace

void TSocket::ThrowLastError()
{
    ThrowSocketError(::WSAGetLastError());
}

TSocket TSocket::Connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds limit)
{
    const TDeadline deadline = std::chrono::steady_clock::now() + limit;
    TWinsock winsock;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    const int resolved = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (resolved != 0)
        ThrowSocketError(resolved);
    const std::unique_ptr<addrinfo, TAddressInfoFree> addresses(found);

    // Each address gets an equal share of what is left of the limit, so that one that never
    // answers (an IPv6 route that goes nowhere) leaves time for the others.
    std::size_t left = 0;
    for (const addrinfo* address = addresses.get(); address; address = address->ai_next)
        ++left;
    int lastError = WSAECONNREFUSED;
    bool timedOut = false;
    for (const addrinfo* address = addresses.get(); address; address = address->ai_next, --left) {
        const TDeadline attemptDeadline = ShareOf(deadline, left);
        TWinsock socketStart;
        const SOCKET handle = ::socket(address->ai_family, address->ai_socktype, address->ai_protocol);
        if (handle == INVALID_SOCKET) {
            lastError = ::WSAGetLastError();
            continue;
        }
        TSocket socket(static_cast<std::intptr_t>(handle));
        socketStart.Release();
        SetNonBlocking(handle);
        if (::connect(handle, address->ai_addr, static_cast<int>(address->ai_addrlen)) != 0) {
            if (::WSAGetLastError() != WSAEWOULDBLOCK) {
                lastError = ::WSAGetLastError();
                continue;
            }
            if (!Wait(handle, TWaitFor::wfWritable, attemptDeadline)) {
                timedOut = true;
                continue;
            }
            int error = 0;
            int size = sizeof error;
            if (::getsockopt(handle, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0)
                error = ::WSAGetLastError();
            if (error != 0) {
                lastError = error;
                continue;
            }
        }
        return socket;
    }
    if (timedOut)
        throw EMailError("Connect timed out.");
    ThrowSocketError(lastError);
}

TSocket::TSocket(TSocket&& other) noexcept : FHandle(other.FHandle)
{
    other.FHandle = kNoSocket;
}

TSocket& TSocket::operator=(TSocket&& other) noexcept
{
    if (this != &other) {
        Close();
        FHandle = other.FHandle;
        other.FHandle = kNoSocket;
    }
    return *this;
}

TSocket::~TSocket()
{
    Close();
}

void TSocket::Close() noexcept
{
    if (FHandle != kNoSocket) {
        ::closesocket(static_cast<SOCKET>(FHandle));
        ::WSACleanup();
    }
    FHandle = kNoSocket;
}

void TSocket::SendAll(std::string_view bytes, TDeadline deadline)
{
    while (!bytes.empty()) {
        const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 30));
        const int sent = ::send(static_cast<SOCKET>(FHandle), bytes.data(), chunk, 0);
        if (sent != SOCKET_ERROR) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        } else if (::WSAGetLastError() != WSAEWOULDBLOCK) {
            ThrowLastError();
        } else if (!WaitWritable(deadline)) {
            throw EMailError("Write timed out.");
        }
    }
}

bool TSocket::WaitReadable(TDeadline deadline)
{
    return Wait(static_cast<SOCKET>(FHandle), TWaitFor::wfReadable, deadline);
}

bool TSocket::WaitWritable(TDeadline deadline)
{
    return Wait(static_cast<SOCKET>(FHandle), TWaitFor::wfWritable, deadline);
}

std::size_t TSocket::Receive(char* buffer, std::size_t size, TDeadline deadline)
{
    for (;;) {
        if (!WaitReadable(deadline))
            throw EMailError("Read timed out.");
        const int received = ::recv(static_cast<SOCKET>(FHandle), buffer,
                                    static_cast<int>(std::min<std::size_t>(size, 1 << 30)), 0);
        if (received != SOCKET_ERROR)
            return static_cast<std::size_t>(received);
        if (::WSAGetLastError() != WSAEWOULDBLOCK)
            ThrowLastError();
    }
}

std::string LocalHostName()
{
    TWinsock winsock;
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return "localhost";
    return name;
}

TPipeSignalGuard::TPipeSignalGuard() = default;
TPipeSignalGuard::~TPipeSignalGuard() = default;

} // namespace bramolt::mail
