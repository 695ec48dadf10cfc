#include "mail/MailError.h"
#include "mail/Socket.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <memory>

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

namespace bramolt::mail {

namespace {

[[noreturn]] void ThrowSocketError(int number, const char* text)
{
    throw EMailError("Socket Error # " + std::to_string(number) + "\r\n" + text);
}

int Remaining(TDeadline deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() <= 0
               ? 0
               : static_cast<int>(std::min<std::chrono::milliseconds::rep>(left.count(), 1 << 30));
}

// Waits for `events` on the socket; false when the deadline passed first.
bool Wait(int fd, short events, TDeadline deadline)
{
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, Remaining(deadline));
        if (ready > 0)
            return true;
        if (ready == 0)
            return false;
        if (errno != EINTR)
            TSocket::ThrowLastError();
    }
}

struct TAddressInfoFree {
    void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};

void SetNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0)
        TSocket::ThrowLastError();
}

bool WouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK;
}

} // namespace

void TSocket::ThrowLastError()
{
    const int number = errno;
    ThrowSocketError(number, std::strerror(number));
}

TSocket TSocket::Connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds limit)
{
    const TDeadline deadline = std::chrono::steady_clock::now() + limit;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    const int resolved = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (resolved != 0) {
        if (resolved == EAI_SYSTEM)
            ThrowLastError();
        ThrowSocketError(resolved, ::gai_strerror(resolved));
    }
    const std::unique_ptr<addrinfo, TAddressInfoFree> addresses(found);

    // Each address gets an equal share of what is left of the limit, so that one that never
    // answers (an IPv6 route that goes nowhere) leaves time for the others.
    std::size_t left = 0;
    for (const addrinfo* address = addresses.get(); address; address = address->ai_next)
        ++left;
    int lastError = ECONNREFUSED;
    bool timedOut = false;
    for (const addrinfo* address = addresses.get(); address; address = address->ai_next, --left) {
        const TDeadline attemptDeadline = ShareOf(deadline, left);
        const int fd =
            ::socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC, address->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        TSocket socket(fd);
        SetNonBlocking(fd);
        if (::connect(fd, address->ai_addr, address->ai_addrlen) != 0) {
            if (errno != EINPROGRESS) {
                lastError = errno;
                continue;
            }
            if (!Wait(fd, POLLOUT, attemptDeadline)) {
                timedOut = true;
                continue;
            }
            int error = 0;
            socklen_t size = sizeof error;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
                error = errno;
            if (error != 0) {
                lastError = error;
                continue;
            }
        }
        return socket;
    }
    if (timedOut)
        throw EMailError("Connect timed out.");
    ThrowSocketError(lastError, std::strerror(lastError));
}

TSocket::TSocket(TSocket&& other) noexcept : FHandle(other.FHandle)
{
    other.FHandle = -1;
}

TSocket& TSocket::operator=(TSocket&& other) noexcept
{
    if (this != &other) {
        Close();
        FHandle = other.FHandle;
        other.FHandle = -1;
    }
    return *this;
}

TSocket::~TSocket()
{
    Close();
}

void TSocket::Close() noexcept
{
    if (FHandle >= 0)
        ::close(static_cast<int>(FHandle));
    FHandle = -1;
}

void TSocket::SendAll(std::string_view bytes, TDeadline deadline)
{
    while (!bytes.empty()) {
        const ssize_t sent = ::send(static_cast<int>(FHandle), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent >= 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        } else if (WouldBlock(errno)) {
            if (!WaitWritable(deadline))
                throw EMailError("Write timed out.");
        } else if (errno != EINTR) {
            ThrowLastError();
        }
    }
}

bool TSocket::WaitReadable(TDeadline deadline)
{
    return Wait(static_cast<int>(FHandle), POLLIN, deadline);
}

bool TSocket::WaitWritable(TDeadline deadline)
{
    return Wait(static_cast<int>(FHandle), POLLOUT, deadline);
}

std::size_t TSocket::Receive(char* buffer, std::size_t size, TDeadline deadline)
{
    for (;;) {
        if (!WaitReadable(deadline))
            throw EMailError("Read timed out.");
        const ssize_t received = ::recv(static_cast<int>(FHandle), buffer, size, 0);
        if (received >= 0)
            return static_cast<std::size_t>(received);
        if (errno != EINTR && !WouldBlock(errno))
            ThrowLastError();
    }
}

std::string LocalHostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return "localhost";
    return name;
}

// SIGPIPE is blocked for this thread while the guard lives; one raised meanwhile is taken
// off the pending set before the old mask returns, unless it was pending before.
TPipeSignalGuard::TPipeSignalGuard()
{
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    FWasPending = sigismember(&pending, SIGPIPE) == 1;
    sigset_t old;
    pthread_sigmask(SIG_BLOCK, &pipe, &old);
    FWasBlocked = sigismember(&old, SIGPIPE) == 1;
}

TPipeSignalGuard::~TPipeSignalGuard()
{
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    if (!FWasPending) {
        sigset_t pending;
        sigpending(&pending);
        if (sigismember(&pending, SIGPIPE) == 1) {
            const timespec none{0, 0};
            while (sigtimedwait(&pipe, nullptr, &none) < 0 && errno == EINTR) {
            }
        }
    }
    if (!FWasBlocked)
        pthread_sigmask(SIG_UNBLOCK, &pipe, nullptr);
}

} // namespace bramolt::mail
