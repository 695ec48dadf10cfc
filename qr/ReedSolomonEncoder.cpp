#include "qr/ReedSolomonEncoder.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <vector>

namespace bramolt::qr {

namespace {

// Every generator from degree 0 to MaxECBytes, each the previous one times (x + alpha^(k - 1)).
// Built once, on first use (thread-safe static initialisation), and never changed afterwards.
const std::vector<TGenericGFPoly>& Generators()
{
    static const std::vector<TGenericGFPoly> generators = [] {
        const TGenericGF& field = TGenericGF::QRCodeField256();
        std::vector<TGenericGFPoly> built;
        built.reserve(TReedSolomonEncoder::MaxECBytes + 1);
        built.emplace_back(field, std::vector<int>{1});
        for (int k = 1; k <= TReedSolomonEncoder::MaxECBytes; ++k) {
            const TGenericGFPoly factor(field, {1, field.Exp(k - 1 + field.GetGeneratorBase())});
            built.push_back(*built.back().Multiply(factor));
        }
        return built;
    }();
    return generators;
}

} // namespace

TReedSolomonEncoder::TReedSolomonEncoder() : FField(TGenericGF::QRCodeField256()) {}

const TGenericGFPoly& TReedSolomonEncoder::BuildGenerator(int degree) const
{
    if (degree < 0 || degree > MaxECBytes)
        throw std::out_of_range("A Reed-Solomon generator over GF(256) has a degree of 0 to 254");
    return Generators()[static_cast<std::size_t>(degree)];
}

void TReedSolomonEncoder::Encode(std::span<std::uint8_t> toEncode, int ecBytes) const
{
    const int dataBytes = static_cast<int>(toEncode.size()) - ecBytes;
    if (ecBytes <= 0 || dataBytes <= 0)
        return;
    if (toEncode.size() > 255)
        throw std::length_error("A Reed-Solomon block over GF(256) holds at most 255 codewords");

    // Polynomial division by shifting: ec holds the running remainder, highest degree first. The
    // generator is monic, so each step's factor is the leading coefficient itself.
    const std::vector<int>& generator = BuildGenerator(ecBytes).GetCoefficients();
    std::array<int, MaxECBytes + 1> generatorLog{};
    for (int j = 1; j <= ecBytes; ++j)
        generatorLog[static_cast<std::size_t>(j)] = generator[static_cast<std::size_t>(j)] == 0
                                                        ? -1
                                                        : FField.Log(generator[static_cast<std::size_t>(j)]);

    const std::span<std::uint8_t> ec = toEncode.subspan(static_cast<std::size_t>(dataBytes));
    std::fill(ec.begin(), ec.end(), std::uint8_t{0});
    for (int i = 0; i < dataBytes; ++i) {
        const int factor = toEncode[static_cast<std::size_t>(i)] ^ ec[0];
        std::copy(ec.begin() + 1, ec.end(), ec.begin());
        ec.back() = 0;
        if (factor == 0)
            continue;
        const int factorLog = FField.Log(factor);
        for (int j = 0; j < ecBytes; ++j) {
            const int coefficientLog = generatorLog[static_cast<std::size_t>(j) + 1];
            if (coefficientLog >= 0)
                ec[static_cast<std::size_t>(j)] ^=
                    static_cast<std::uint8_t>(FField.Exp(coefficientLog + factorLog));
        }
    }
}

} // namespace bramolt::qr
