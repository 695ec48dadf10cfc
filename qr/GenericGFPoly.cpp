#include "qr/GenericGFPoly.h"

#include <algorithm>

namespace bramolt::qr {

TGenericGFPoly::TGenericGFPoly(const TGenericGF& AField, std::vector<int> ACoefficients)
    : FField(&AField), FCoefficients(std::move(ACoefficients))
{
    if (FCoefficients.empty()) {
        FCoefficients.push_back(0);
        return;
    }
    const auto firstNonZero =
        std::find_if(FCoefficients.begin(), FCoefficients.end(), [](int c) { return c != 0; });
    if (firstNonZero == FCoefficients.end())
        FCoefficients.assign(1, 0);
    else
        FCoefficients.erase(FCoefficients.begin(), firstNonZero);
}

std::optional<TGenericGFPoly> TGenericGFPoly::BuildMonomial(const TGenericGF& AField, int Degree,
                                                            int Coefficient)
{
    if (Degree < 0)
        return std::nullopt;
    if (Coefficient == 0)
        return Zero(AField);
    std::vector<int> coefficients(static_cast<std::size_t>(Degree) + 1, 0);
    coefficients[0] = Coefficient;
    return TGenericGFPoly(AField, std::move(coefficients));
}

std::optional<TGenericGFPoly> TGenericGFPoly::AddOrSubtract(const TGenericGFPoly& Other) const
{
    if (Other.FField != FField)
        return std::nullopt;
    if (IsZero())
        return Other;
    if (Other.IsZero())
        return *this;
    const bool thisLonger = FCoefficients.size() >= Other.FCoefficients.size();
    std::vector<int> sum = thisLonger ? FCoefficients : Other.FCoefficients;
    const std::vector<int>& shorter = thisLonger ? Other.FCoefficients : FCoefficients;
    const std::size_t offset = sum.size() - shorter.size();
    for (std::size_t i = 0; i < shorter.size(); ++i)
        sum[offset + i] = TGenericGF::AddOrSubtract(sum[offset + i], shorter[i]);
    return TGenericGFPoly(*FField, std::move(sum));
}

std::optional<TGenericGFPoly> TGenericGFPoly::Multiply(const TGenericGFPoly& Other) const
{
    if (Other.FField != FField)
        return std::nullopt;
    if (IsZero() || Other.IsZero())
        return Zero(*FField);
    std::vector<int> product(FCoefficients.size() + Other.FCoefficients.size() - 1, 0);
    for (std::size_t i = 0; i < FCoefficients.size(); ++i)
        for (std::size_t j = 0; j < Other.FCoefficients.size(); ++j)
            product[i + j] ^= FField->Multiply(FCoefficients[i], Other.FCoefficients[j]);
    return TGenericGFPoly(*FField, std::move(product));
}

std::optional<TGenericGFPoly> TGenericGFPoly::MultiplyByMonomial(int Degree, int Coefficient) const
{
    if (Degree < 0)
        return std::nullopt;
    if (Coefficient == 0)
        return Zero(*FField);
    std::vector<int> product(FCoefficients.size() + static_cast<std::size_t>(Degree), 0);
    for (std::size_t i = 0; i < FCoefficients.size(); ++i)
        product[i] = FField->Multiply(FCoefficients[i], Coefficient);
    return TGenericGFPoly(*FField, std::move(product));
}

std::optional<TGenericGFPolyDivision> TGenericGFPoly::Divide(const TGenericGFPoly& Other) const
{
    if (Other.FField != FField || Other.IsZero())
        return std::nullopt;
    TGenericGFPolyDivision result{Zero(*FField), *this};
    const int scale = FField->Inverse(Other.GetCoefficient(Other.GetDegree()));
    while (result.Remainder.GetDegree() >= Other.GetDegree() && !result.Remainder.IsZero()) {
        const int degreeDifference = result.Remainder.GetDegree() - Other.GetDegree();
        const int factor =
            FField->Multiply(result.Remainder.GetCoefficient(result.Remainder.GetDegree()), scale);
        // Neither can fail: both operands are over this field and the degree is not negative.
        result.Remainder =
            *result.Remainder.AddOrSubtract(*Other.MultiplyByMonomial(degreeDifference, factor));
        result.Quotient = *result.Quotient.AddOrSubtract(*BuildMonomial(*FField, degreeDifference, factor));
    }
    return result;
}

} // namespace bramolt::qr
