// Cost of a QR image file of the largest symbol (version 40: 185 x 185 pixels with margin).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "fileout/AtomicFileWriter.h"
#include "fileout/BmpWriter.h"

namespace {

using namespace bramolt::fileout;

TMonochromeImage RandomImage(int side)
{
    std::mt19937 random(static_cast<unsigned>(side));
    TMonochromeImage image(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            image.SetBlack(x, y, random() & 1);
    return image;
}

void BM_EncodeBmp32(benchmark::State& state)
{
    const TMonochromeImage image = RandomImage(185);
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeBmp32(image));
}

// Encoding plus the all-or-nothing file write (temporary file, flush to disk, rename).
void BM_WriteBmpFile(benchmark::State& state)
{
    const TMonochromeImage image = RandomImage(185);
    const auto path = std::filesystem::temp_directory_path() / "bramolt-bench-qr.bmp";
    for (auto _ : state)
        WriteWholeFile(path.u16string(), EncodeBmp32(image));
    std::filesystem::remove(path);
}

BENCHMARK(BM_EncodeBmp32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteBmpFile)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
