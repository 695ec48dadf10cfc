#pragma once

// The values that reach the engine from outside: a key value, or a value written through
// TField::SetValue. Unassigned and null differ: writing null clears a field, writing
// unassigned gives the field its empty value.

#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace bramolt::dataset {

struct TUnassigned {
    bool operator==(const TUnassigned&) const = default;
};
struct TNullValue {
    bool operator==(const TNullValue&) const = default;
};
// A date-time: days since 1899-12-30 00:00, the fraction giving the time of day (for a
// negative value the fraction still counts forward from midnight: -1.25 is 1899-12-29 06:00).
struct TDateTimeValue {
    double FDays = 0;
    bool operator==(const TDateTimeValue&) const = default;
};

class TInputValue {
  public:
    using TArray = std::vector<TInputValue>;
    using TStorage = std::variant<TUnassigned, TNullValue, std::u16string, std::int32_t, std::int64_t, double,
                                  bool, TDateTimeValue, TArray>;

    TInputValue() = default;
    template <typename T>
    requires(!std::is_same_v<std::remove_cvref_t<T>, TInputValue> && std::is_constructible_v<TStorage, T&&>)
        TInputValue(T&& value)
        : FValue(std::forward<T>(value))
    {
    }
    TInputValue(const char16_t* text) : FValue(std::u16string(text)) {}

    const TStorage& Storage() const noexcept { return FValue; }
    template <typename T> const T* Get() const noexcept { return std::get_if<T>(&FValue); }
    template <typename T> bool Is() const noexcept { return std::holds_alternative<T>(FValue); }

    bool operator==(const TInputValue&) const = default;

  private:
    TStorage FValue;
};

} // namespace bramolt::dataset
