// A 50 MB attachment sent to an SMTP sink on the loopback interface: throughput of
// attachment bytes, and the peak memory of a send above the process's size before it. The
// sink runs in this process, answers every command at once and discards the message, so
// the figures are those of the client.
#include <benchmark/benchmark.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "mail/DeliverMail.h"
#include "text/Utf8.h"

namespace {

constexpr std::size_t kAttachmentSize = 50 * 1024 * 1024;

// VmRSS or VmHWM of this process, in bytes.
long StatusKilobytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1)) * 1024;
    return 0;
}

// Lets the next VmHWM reading start from the current size.
void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

class TSink {
  public:
    TSink()
    {
        FListener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(FListener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(FListener, 1);
        socklen_t size = sizeof address;
        ::getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &size);
        FPort = ntohs(address.sin_port);
    }
    ~TSink() { ::close(FListener); }
    int Port() const { return FPort; }

    // Serves one connection.
    void ServeOne()
    {
        const int fd = ::accept(FListener, nullptr, nullptr);
        std::string buffer(256 * 1024, '\0');
        std::string line;
        auto send = [&](const char* reply) { (void)!::write(fd, reply, std::strlen(reply)); };
        send("220 sink\r\n");
        bool inData = false;
        std::string tail;
        for (;;) {
            const ssize_t got = ::read(fd, buffer.data(), buffer.size());
            if (got <= 0)
                break;
            std::string_view bytes(buffer.data(), static_cast<std::size_t>(got));
            while (!bytes.empty()) {
                if (inData) {
                    // Only the end of the message matters: "\r\n.\r\n", perhaps cut by a read.
                    const std::string window = tail + std::string(bytes);
                    const std::size_t end = window.find("\r\n.\r\n");
                    if (end == std::string::npos) {
                        tail = window.substr(window.size() >= 4 ? window.size() - 4 : 0);
                        bytes = {};
                        continue;
                    }
                    bytes.remove_prefix(end + 5 - tail.size());
                    tail.clear();
                    inData = false;
                    send("250 queued\r\n");
                    continue;
                }
                const std::size_t end = bytes.find('\n');
                line += bytes.substr(0, end == std::string_view::npos ? bytes.size() : end + 1);
                bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
                if (end == std::string_view::npos)
                    continue;
                if (line.rfind("DATA", 0) == 0) {
                    inData = true;
                    send("354 go on\r\n");
                } else if (line.rfind("QUIT", 0) == 0) {
                    send("221 bye\r\n");
                } else {
                    send("250 ok\r\n");
                }
                line.clear();
            }
        }
        ::close(fd);
    }

  private:
    int FListener = -1;
    int FPort = 0;
};

void BM_SendFiftyMegabyteAttachment(benchmark::State& state)
{
    const auto folder = std::filesystem::temp_directory_path() / "bramolt-mail-bench";
    std::filesystem::create_directories(folder);
    const auto file = folder / "attachment.bin";
    {
        std::mt19937_64 random(7);
        std::string bytes(kAttachmentSize, '\0');
        for (std::size_t i = 0; i + 8 <= bytes.size(); i += 8) {
            const auto value = random();
            std::memcpy(&bytes[i], &value, 8);
        }
        std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    TSink sink;
    long peakAbove = 0;
    for (auto _ : state) {
        std::thread server([&] { sink.ServeOne(); });
        const long idle = StatusKilobytes("VmRSS");
        ResetPeak();
        bramolt::mail::DeliverMail(u"to@example.org", u"", u"", u"bench", u"<p>bench</p>",
                                   bramolt::text::FromUtf8(file.string()), u"", u"", u"127.0.0.1",
                                   sink.Port(), false);
        peakAbove = std::max(peakAbove, StatusKilobytes("VmHWM") - idle);
        server.join();
    }
    std::filesystem::remove_all(folder);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kAttachmentSize));
    state.counters["peak_MB_above_idle"] = static_cast<double>(peakAbove) / (1024.0 * 1024.0);
}
BENCHMARK(BM_SendFiftyMegabyteAttachment)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
