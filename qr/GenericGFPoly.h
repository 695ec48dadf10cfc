#pragma once

#include "qr/GenericGF.h"

#include <optional>
#include <vector>

namespace bramolt::qr {

struct TGenericGFPolyDivision;

// A polynomial over a TGenericGF, a value: operations return new polynomials. Operations that
// have no answer (another field, a negative degree, division by zero) return nothing.
class TGenericGFPoly {
  public:
    // The coefficients, from the highest degree down to the constant term; leading zeros are dropped,
    // all zeros give the zero polynomial (the single coefficient 0). The field must outlive the
    // polynomial.
    TGenericGFPoly(const TGenericGF& field, std::vector<int> coefficients);

    static TGenericGFPoly Zero(const TGenericGF& field) { return TGenericGFPoly(field, {0}); }
    // coefficient * x^degree; nothing for a negative degree.
    static std::optional<TGenericGFPoly> BuildMonomial(const TGenericGF& field, int degree, int coefficient);

    const TGenericGF& Field() const { return *FField; }
    const std::vector<int>& GetCoefficients() const { return FCoefficients; }
    int GetDegree() const { return static_cast<int>(FCoefficients.size()) - 1; }
    // The coefficient of x^degree.
    int GetCoefficient(int degree) const
    {
        return FCoefficients[FCoefficients.size() - 1 - static_cast<std::size_t>(degree)];
    }
    bool IsZero() const { return FCoefficients[0] == 0; }

    std::optional<TGenericGFPoly> AddOrSubtract(const TGenericGFPoly& other) const;
    std::optional<TGenericGFPoly> Multiply(const TGenericGFPoly& other) const;
    std::optional<TGenericGFPoly> MultiplyByMonomial(int degree, int coefficient) const;
    // The long division by other; nothing for another field or a zero divisor.
    std::optional<TGenericGFPolyDivision> Divide(const TGenericGFPoly& other) const;

  private:
    const TGenericGF* FField;
    std::vector<int> FCoefficients;
};

struct TGenericGFPolyDivision {
    TGenericGFPoly Quotient;
    TGenericGFPoly Remainder;
};

} // namespace bramolt::qr
