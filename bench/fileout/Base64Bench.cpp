// Throughput of the Base64 codec on buffers of 1 MB and 64 MB (bytes/s are input bytes).
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "fileout/Base64.h"

namespace {

using namespace bramolt::fileout;

std::string RandomBytes(std::size_t size)
{
    std::mt19937_64 random(size);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}

void BM_EncodeBase64Lines(benchmark::State& state)
{
    const std::string input = RandomBytes(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeBase64Lines(input));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

// The encoder's own output: lines of 76 characters with CR LF, the common input.
void BM_DecodeBase64Lenient(benchmark::State& state)
{
    const std::string input = EncodeBase64Lines(RandomBytes(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeBase64Lenient(input));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

// Line breaks of LF only every 60 characters: groups no longer align with the lines.
void BM_DecodeBase64LenientUnaligned(benchmark::State& state)
{
    std::string input;
    const std::string encoded = EncodeBase64Lines(RandomBytes(static_cast<std::size_t>(state.range(0))));
    for (char c : encoded) {
        if (c == '\r' || c == '\n')
            continue;
        input += c;
        if (input.size() % 61 == 60)
            input += '\n';
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeBase64Lenient(input));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

// Baseline: a fresh buffer of the encoder's output size, written once. On machines where the
// first touch of fresh memory is slow, this floor dominates the 64 MB runs above.
void BM_FreshOutputBuffer(benchmark::State& state)
{
    const std::size_t size = EncodedBase64LinesSize(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(std::string(size, '\0'));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

constexpr std::int64_t kOneMegabyte = 1 << 20;
constexpr std::int64_t kSixtyFourMegabytes = 64 << 20;

BENCHMARK(BM_EncodeBase64Lines)->Arg(kOneMegabyte)->Arg(kSixtyFourMegabytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeBase64Lenient)->Arg(kOneMegabyte)->Arg(kSixtyFourMegabytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreshOutputBuffer)->Arg(kOneMegabyte)->Arg(kSixtyFourMegabytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeBase64LenientUnaligned)->Arg(kOneMegabyte)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
