#include "qr/GenericGFPoly.h"

#include <algorithm>

namespace bramolt::qr {

TGenericGFPoly::TGenericGFPoly(const TGenericGF& field, std::vector<int> coefficients)
    : FField(&field), FCoefficients(std::move(coefficients))
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

std::optional<TGenericGFPoly> TGenericGFPoly::BuildMonomial(const TGenericGF& field, int degree,
                                                            int coefficient)
{
    if (degree < 0)
        return std::nullopt;
    if (coefficient == 0)
        return Zero(field);
    std::vector<int> coefficients(static_cast<std::size_t>(degree) + 1, 0);
    coefficients[0] = coefficient;
    return TGenericGFPoly(field, std::move(coefficients));
}

std::optional<TGenericGFPoly> TGenericGFPoly::AddOrSubtract(const TGenericGFPoly& other) const
{
    if (other.FField != FField)
        return std::nullopt;
    if (IsZero())
        return other;
    if (other.IsZero())
        return *this;
    const bool thisLonger = FCoefficients.size() >= other.FCoefficients.size();
    std::vector<int> sum = thisLonger ? FCoefficients : other.FCoefficients;
    const std::vector<int>& shorter = thisLonger ? other.FCoefficients : FCoefficients;
    const std::size_t offset = sum.size() - shorter.size();
    for (std::size_t i = 0; i < shorter.size(); ++i)
        sum[offset + i] = TGenericGF::AddOrSubtract(sum[offset + i], shorter[i]);
    return TGenericGFPoly(*FField, std::move(sum));
}

std::optional<TGenericGFPoly> TGenericGFPoly::Multiply(const TGenericGFPoly& other) const
{
    if (other.FField != FField)
        return std::nullopt;
    if (IsZero() || other.IsZero())
        return Zero(*FField);
    std::vector<int> product(FCoefficients.size() + other.FCoefficients.size() - 1, 0);
    for (std::size_t i = 0; i < FCoefficients.size(); ++i)
        for (std::size_t j = 0; j < other.FCoefficients.size(); ++j)
            product[i + j] ^= FField->Multiply(FCoefficients[i], other.FCoefficients[j]);
    return TGenericGFPoly(*FField, std::move(product));
}

std::optional<TGenericGFPoly> TGenericGFPoly::MultiplyByMonomial(int degree, int coefficient) const
{
    if (degree < 0)
        return std::nullopt;
    if (coefficient == 0)
        return Zero(*FField);
    std::vector<int> product(FCoefficients.size() + static_cast<std::size_t>(degree), 0);
    for (std::size_t i = 0; i < FCoefficients.size(); ++i)
        product[i] = FField->Multiply(FCoefficients[i], coefficient);
    return TGenericGFPoly(*FField, std::move(product));
}

std::optional<TGenericGFPolyDivision> TGenericGFPoly::Divide(const TGenericGFPoly& other) const
{
    if (other.FField != FField || other.IsZero())
        return std::nullopt;
    TGenericGFPolyDivision result{Zero(*FField), *this};
    const int scale = FField->Inverse(other.GetCoefficient(other.GetDegree()));
    while (result.Remainder.GetDegree() >= other.GetDegree() && !result.Remainder.IsZero()) {
        const int degreeDifference = result.Remainder.GetDegree() - other.GetDegree();
        const int factor =
            FField->Multiply(result.Remainder.GetCoefficient(result.Remainder.GetDegree()), scale);
        // Neither can fail: both operands are over this field and the degree is not negative.
        result.Remainder =
            *result.Remainder.AddOrSubtract(*other.MultiplyByMonomial(degreeDifference, factor));
        result.Quotient = *result.Quotient.AddOrSubtract(*BuildMonomial(*FField, degreeDifference, factor));
    }
    return result;
}

} // namespace bramolt::qr
