// Encoding speed of the QR encoder against two established encoders, on the same byte-mode
// texts at level L with automatic version and mask, plus the facade end to end.
//   build/<dir>/bench/qr/qr_bench
#include "qr/Encoder.h"
#include "qr/QRCodeGenerator.h"

#include <benchmark/benchmark.h>
#include <qrcodegen.hpp>
#include <qrencode.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace bramolt::qr;

// Lower-case text keeps every encoder in byte mode; these lengths fill versions 1, 10, 25 and 40
// at level L exactly.
constexpr int VersionOfRange[] = {1, 10, 25, 40};
constexpr int BytesOfRange[] = {17, 271, 1273, 2953};

std::string SampleText(int length)
{
    static const std::string pattern = "the quick brown fox jumps over the lazy dog; ";
    std::string text;
    while (static_cast<int>(text.size()) < length)
        text += pattern;
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::u16string Widen(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

void SetCounters(benchmark::State& state)
{
    state.counters["version"] = VersionOfRange[state.range(0)];
    state.counters["bytes"] = BytesOfRange[state.range(0)];
}

void BM_Bramolt(benchmark::State& state)
{
    const std::u16string text = Widen(SampleText(BytesOfRange[state.range(0)]));
    for (auto _ : state) {
        TQRCode qrCode;
        TEncoder().EncodeText(text, TQRCodeEncoding::qrAuto, TErrorCorrectionLevel(), qrCode);
        if (qrCode.Version() != VersionOfRange[state.range(0)])
            throw std::logic_error("unexpected version");
        benchmark::DoNotOptimize(qrCode.Matrix());
    }
    SetCounters(state);
}

void BM_Libqrencode(benchmark::State& state)
{
    const std::string text = SampleText(BytesOfRange[state.range(0)]);
    for (auto _ : state) {
        std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
            QRcode_encodeData(static_cast<int>(text.size()),
                              reinterpret_cast<const unsigned char*>(text.data()), 0, QR_ECLEVEL_L),
            &QRcode_free);
        if (!code || code->version != VersionOfRange[state.range(0)])
            throw std::logic_error("unexpected version");
        benchmark::DoNotOptimize(code->data);
    }
    SetCounters(state);
}

void BM_Qrcodegen(benchmark::State& state)
{
    const std::string text = SampleText(BytesOfRange[state.range(0)]);
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    for (auto _ : state) {
        // No error-correction boost, so that every encoder stays at level L.
        const auto code = qrcodegen::QrCode::encodeSegments({qrcodegen::QrSegment::makeBytes(bytes)},
                                                            qrcodegen::QrCode::Ecc::LOW, 1, 40, -1, false);
        if (code.getVersion() != VersionOfRange[state.range(0)])
            throw std::logic_error("unexpected version");
        benchmark::DoNotOptimize(code.getModule(0, 0));
    }
    SetCounters(state);
}

// What the image writer does: a new facade, Data set, every module read.
void BM_FacadeEndToEnd(benchmark::State& state)
{
    const std::u16string text = Widen(SampleText(BytesOfRange[state.range(0)]));
    for (auto _ : state) {
        TQRCodeGenerator generator;
        generator.SetData(text);
        int dark = 0;
        for (int row = 0; row < generator.Rows(); ++row)
            for (int column = 0; column < generator.Columns(); ++column)
                dark += generator.IsBlack(row, column) ? 1 : 0;
        benchmark::DoNotOptimize(dark);
    }
    SetCounters(state);
}

} // namespace

BENCHMARK(BM_Bramolt)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Libqrencode)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Qrcodegen)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FacadeEndToEnd)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
