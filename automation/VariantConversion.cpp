#include "automation/VariantConversion.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include <oleauto.h>
#include <windows.h>

#include "automation/ComOwners.h"
#include "text/CaseFolding.h"
#include "text/HexDigits.h"
#include "text/IntegerText.h"
#include "text/Trim.h"
#include "text/Utf8.h"
#include "text/WideView.h"
#include "json/JSONNumberText.h"

namespace bramolt {

namespace {

// A BSTR copy of UTF-16 text, for the system's text parsers.
TBstr BstrOf(std::u16string_view text)
{
    return TBstr(text::AsWide(text));
}

// The system's own VARIANT conversion, in the user's locale. The source is only read,
// though the declaration takes it as non-const.
bool SystemConvert(const VARIANT& from, VARTYPE to, TVariantOwner& result)
{
    return SUCCEEDED(
        VariantChangeTypeEx(result.Pointer(), const_cast<VARIANT*>(&from), LOCALE_USER_DEFAULT, 0, to));
}

std::string Ascii(std::u16string_view text)
{
    return std::string(text.begin(), text.end());
}

[[noreturn]] void ThrowCannotConvert(VARTYPE from, std::u16string_view to)
{
    throw EVariantConversionError("Could not convert variant of type (" + Ascii(VariantTypeName(from)) +
                                  ") into type (" + Ascii(to) + ")");
}

[[noreturn]] void ThrowOverflow(VARTYPE from, std::u16string_view to)
{
    throw EVariantConversionError("Overflow while converting variant of type (" +
                                  Ascii(VariantTypeName(from)) + ") into type (" + Ascii(to) + ")");
}

// Follows VT_BYREF (also through a chain of VARIANT references) and calls `convert` with
// the plain value.
template <typename Convert> auto WithValue(const VARIANT& value, Convert convert)
{
    if ((V_VT(&value) & VT_BYREF) == 0)
        return convert(value);
    if (V_VT(&value) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&value) != nullptr)
        return WithValue(*V_VARIANTREF(&value), convert);
    TVariantOwner plain;
    const HRESULT result = VariantCopyInd(plain.Pointer(), const_cast<VARIANT*>(&value));
    if (FAILED(result))
        ThrowCannotConvert(V_VT(&value) & ~VT_BYREF, u"Variant");
    return convert(plain.Get());
}

std::optional<bool> TrueFalseWord(std::u16string_view text)
{
    if (text::EqualsIgnoringAsciiCase(text, u"True"))
        return true;
    if (text::EqualsIgnoringAsciiCase(text, u"False"))
        return false;
    return std::nullopt;
}

std::u16string UserLocaleText(LCTYPE item, std::u16string_view fallback)
{
    std::array<wchar_t, 16> buffer{};
    const int length =
        GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, buffer.data(), static_cast<int>(buffer.size()));
    if (length <= 1)
        return std::u16string(fallback);
    return std::u16string(buffer.begin(), buffer.begin() + length - 1);
}

// A number text in the user's regional format: first as the system reads numbers, then with
// the user's own decimal and thousands separators, which catches forms the system refuses.
std::optional<double> DoubleFromRegionalText(std::u16string_view text)
{
    double number = 0;
    const TBstr bstr = BstrOf(text);
    if (SUCCEEDED(VarR8FromStr(bstr.Get(), LOCALE_USER_DEFAULT, 0, &number)))
        return number;

    const std::u16string decimal = UserLocaleText(LOCALE_SDECIMAL, u".");
    const std::u16string thousands = UserLocaleText(LOCALE_STHOUSAND, u",");
    std::string plain;
    for (std::u16string_view rest = text::Trim(text, text::IsSpaceOrControl); !rest.empty();) {
        if (!decimal.empty() && rest.starts_with(decimal)) {
            plain += '.';
            rest.remove_prefix(decimal.size());
        } else if (!thousands.empty() && rest.starts_with(thousands)) {
            rest.remove_prefix(thousands.size());
        } else if (rest.front() < 0x80) {
            plain += static_cast<char>(rest.front());
            rest.remove_prefix(1);
        } else {
            return std::nullopt;
        }
    }
    if (!plain.empty() && plain.front() == '+')
        plain.erase(0, 1);
    const auto [next, error] = std::from_chars(plain.data(), plain.data() + plain.size(), number);
    if (plain.empty() || error != std::errc() || next != plain.data() + plain.size())
        return std::nullopt;
    return number;
}

// Rounds half to even, as the system's integer conversions of reals do.
std::int64_t RoundedInt64(double number, VARTYPE from)
{
    const double rounded = std::nearbyint(number);
    if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0))
        ThrowOverflow(from, u"Int64");
    return static_cast<std::int64_t>(rounded);
}

std::int64_t RoundedCurrency(std::int64_t scaled)
{
    std::int64_t whole = scaled / 10000;
    const std::int64_t rest = scaled % 10000;
    const std::int64_t twice = rest * 2;
    if (twice > 10000 || (twice == 10000 && whole % 2 != 0))
        ++whole;
    else if (twice < -10000 || (twice == -10000 && whole % 2 != 0))
        --whole;
    return whole;
}

std::u16string SystemText(const VARIANT& value)
{
    TVariantOwner text;
    if (!SystemConvert(value, VT_BSTR, text))
        ThrowCannotConvert(V_VT(&value), u"UnicodeString");
    return std::u16string(TextFromBstr(V_BSTR(&text.Get())));
}

template <typename Number> std::u16string DecimalText(Number number)
{
    std::array<char, 24> digits{};
    const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), number);
    return text::FromUtf8(std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data())));
}

std::u16string RegionalNumberText(const VARIANT& value, double number)
{
    if (!std::isfinite(number))
        return SystemText(value);
    std::u16string formatted = text::FromUtf8(bramolt::json::FormatJSONNumber(number));
    const auto point = formatted.find(u'.');
    if (point != std::u16string::npos)
        formatted.replace(point, 1, UserLocaleText(LOCALE_SDECIMAL, u"."));
    return formatted;
}

// The value of an integer VARIANT (VT_I1 to VT_UI8, VT_INT, VT_UINT), or none for any other
// type. Unsigned values are kept apart so that a VT_UI8 above 2^63 keeps its value.
struct TIntegerValue {
    bool IsUnsigned;
    std::int64_t Signed;
    std::uint64_t Unsigned;
};

std::optional<TIntegerValue> IntegerOf(const VARIANT& v)
{
    const auto signedValue = [](std::int64_t n) { return TIntegerValue{false, n, 0}; };
    const auto unsignedValue = [](std::uint64_t n) { return TIntegerValue{true, 0, n}; };
    switch (V_VT(&v)) {
    case VT_I1:
        return signedValue(V_I1(&v));
    case VT_I2:
        return signedValue(V_I2(&v));
    case VT_I4:
        return signedValue(V_I4(&v));
    case VT_INT:
        return signedValue(V_INT(&v));
    case VT_I8:
        return signedValue(V_I8(&v));
    case VT_UI1:
        return unsignedValue(V_UI1(&v));
    case VT_UI2:
        return unsignedValue(V_UI2(&v));
    case VT_UI4:
        return unsignedValue(V_UI4(&v));
    case VT_UINT:
        return unsignedValue(V_UINT(&v));
    case VT_UI8:
        return unsignedValue(V_UI8(&v));
    default:
        return std::nullopt;
    }
}

// The elements of a one-dimensional SAFEARRAY, each converted as a value of its own.
dataset::TInputValue DataSetArrayFromVariant(const VARIANT& value)
{
    SAFEARRAY* array = V_ARRAY(&value);
    VARTYPE elementType = VT_EMPTY;
    if (array == nullptr || ::SafeArrayGetDim(array) != 1 ||
        FAILED(::SafeArrayGetVartype(array, &elementType)))
        ThrowCannotConvert(V_VT(&value), u"Array");
    LONG low = 0, high = -1;
    ::SafeArrayGetLBound(array, 1, &low);
    ::SafeArrayGetUBound(array, 1, &high);
    dataset::TInputValue::TArray elements;
    for (LONG index = low; index <= high; ++index) {
        TVariantOwner element;
        HRESULT result = S_OK;
        if (elementType == VT_VARIANT) {
            result = ::SafeArrayGetElement(array, &index, element.Pointer());
        } else {
            // The element is copied into the VARIANT's own storage, which then owns it.
            result = ::SafeArrayGetElement(array, &index, &V_I8(element.Pointer()));
            if (SUCCEEDED(result))
                V_VT(element.Pointer()) = elementType;
        }
        if (FAILED(result))
            ThrowCannotConvert(V_VT(&value), u"Array");
        elements.push_back(DataSetValueFromVariant(element.Get()));
    }
    return elements;
}

} // namespace

std::int64_t Int64FromVariant(const VARIANT& value)
{
    return WithValue(value, [](const VARIANT& v) -> std::int64_t {
        if (const auto integer = IntegerOf(v))
            return integer->IsUnsigned ? static_cast<std::int64_t>(integer->Unsigned) : integer->Signed;
        const VARTYPE type = V_VT(&v);
        switch (type) {
        case VT_EMPTY:
            return 0;
        case VT_R4:
            return RoundedInt64(V_R4(&v), type);
        case VT_R8:
            return RoundedInt64(V_R8(&v), type);
        case VT_DATE:
            return RoundedInt64(V_DATE(&v), type);
        case VT_CY:
            return RoundedCurrency(V_CY(&v).int64);
        case VT_BOOL:
            return V_BOOL(&v) != VARIANT_FALSE ? -1 : 0;
        case VT_BSTR: {
            const std::u16string_view text = TextFromBstr(V_BSTR(&v));
            if (const auto integer = text::IntegerFromText(text))
                return *integer;
            if (const auto number = DoubleFromRegionalText(text))
                return RoundedInt64(*number, type);
            if (const auto word = TrueFalseWord(text))
                return *word ? 1 : 0;
            ThrowCannotConvert(type, u"Int64");
        }
        case VT_NULL:
            ThrowCannotConvert(type, u"Int64");
        default: {
            TVariantOwner converted;
            if (SystemConvert(v, VT_I4, converted))
                return V_I4(converted.Pointer());
            if (SystemConvert(v, VT_R8, converted))
                return RoundedInt64(V_R8(converted.Pointer()), type);
            ThrowCannotConvert(type, u"Int64");
        }
        }
    });
}

std::u16string TextFromVariant(const VARIANT& value)
{
    return WithValue(value, [](const VARIANT& v) -> std::u16string {
        if (const auto integer = IntegerOf(v))
            return integer->IsUnsigned ? DecimalText(integer->Unsigned) : DecimalText(integer->Signed);
        switch (V_VT(&v)) {
        case VT_EMPTY:
            return {};
        case VT_NULL:
            ThrowCannotConvert(VT_NULL, u"UnicodeString");
        case VT_R4:
            return RegionalNumberText(v, V_R4(&v));
        case VT_R8:
            return RegionalNumberText(v, V_R8(&v));
        case VT_BOOL:
            return V_BOOL(&v) != VARIANT_FALSE ? u"True" : u"False";
        case VT_BSTR:
            return std::u16string(TextFromBstr(V_BSTR(&v)));
        default:
            return SystemText(v);
        }
    });
}

double DoubleFromVariant(const VARIANT& value)
{
    return WithValue(value, [](const VARIANT& v) -> double {
        if (const auto integer = IntegerOf(v))
            return integer->IsUnsigned ? static_cast<double>(integer->Unsigned)
                                       : static_cast<double>(integer->Signed);
        const VARTYPE type = V_VT(&v);
        switch (type) {
        case VT_EMPTY:
            return 0;
        case VT_NULL:
            ThrowCannotConvert(type, u"Double");
        case VT_R4:
            return V_R4(&v);
        case VT_R8:
            return V_R8(&v);
        case VT_CY:
            return static_cast<double>(V_CY(&v).int64) / 10000.0;
        case VT_DATE:
            return V_DATE(&v);
        case VT_BOOL:
            return V_BOOL(&v) != VARIANT_FALSE ? -1.0 : 0.0;
        case VT_BSTR:
            if (const auto number = DoubleFromRegionalText(TextFromBstr(V_BSTR(&v))))
                return *number;
            ThrowCannotConvert(type, u"Double");
        default: {
            TVariantOwner converted;
            if (!SystemConvert(v, VT_R8, converted))
                ThrowCannotConvert(type, u"Double");
            return V_R8(converted.Pointer());
        }
        }
    });
}

bool BooleanFromVariant(const VARIANT& value)
{
    return WithValue(value, [](const VARIANT& v) -> bool {
        const VARTYPE type = V_VT(&v);
        switch (type) {
        case VT_EMPTY:
            return false;
        case VT_NULL:
            ThrowCannotConvert(type, u"Boolean");
        case VT_BOOL:
            return V_BOOL(&v) != VARIANT_FALSE;
        case VT_BSTR: {
            const std::u16string_view text = TextFromBstr(V_BSTR(&v));
            VARIANT_BOOL flag = VARIANT_FALSE;
            const TBstr bstr = BstrOf(text);
            if (SUCCEEDED(VarBoolFromStr(bstr.Get(), LOCALE_USER_DEFAULT, 0, &flag)))
                return flag != VARIANT_FALSE;
            if (const auto word = TrueFalseWord(text))
                return *word;
            if (const auto number = DoubleFromRegionalText(text))
                return *number != 0;
            ThrowCannotConvert(type, u"Boolean");
        }
        default: {
            TVariantOwner converted;
            if (!SystemConvert(v, VT_BOOL, converted))
                ThrowCannotConvert(type, u"Boolean");
            return V_BOOL(converted.Pointer()) != VARIANT_FALSE;
        }
        }
    });
}

dataset::TInputValue DataSetValueFromVariant(const VARIANT& value)
{
    return WithValue(value, [](const VARIANT& plain) -> dataset::TInputValue {
        const VARTYPE type = V_VT(&plain);
        if (type & VT_ARRAY)
            return DataSetArrayFromVariant(plain);
        switch (type) {
        case VT_EMPTY:
            return dataset::TUnassigned{};
        case VT_NULL:
            return dataset::TNullValue{};
        case VT_BSTR:
            return std::u16string(TextFromBstr(V_BSTR(&plain)));
        case VT_I1:
            return std::int32_t{V_I1(&plain)};
        case VT_UI1:
            return std::int32_t{V_UI1(&plain)};
        case VT_I2:
            return std::int32_t{V_I2(&plain)};
        case VT_UI2:
            return std::int32_t{V_UI2(&plain)};
        case VT_I4:
            return std::int32_t{V_I4(&plain)};
        case VT_INT:
            return std::int32_t{V_INT(&plain)};
        case VT_UI4:
            return std::int64_t{V_UI4(&plain)};
        case VT_UINT:
            return std::int64_t{V_UINT(&plain)};
        case VT_I8:
            return std::int64_t{V_I8(&plain)};
        case VT_UI8:
            if (V_UI8(&plain) > static_cast<ULONGLONG>(INT64_MAX))
                return static_cast<double>(V_UI8(&plain));
            return static_cast<std::int64_t>(V_UI8(&plain));
        case VT_R4:
            return double{V_R4(&plain)};
        case VT_R8:
            return V_R8(&plain);
        case VT_CY:
        case VT_DECIMAL: {
            TVariantOwner number;
            if (!SystemConvert(plain, VT_R8, number))
                ThrowCannotConvert(type, u"Double");
            return V_R8(number.Pointer());
        }
        case VT_DATE:
            return dataset::TDateTimeValue{V_DATE(&plain)};
        case VT_BOOL:
            return V_BOOL(&plain) != VARIANT_FALSE;
        default:
            ThrowCannotConvert(type, u"Variant");
        }
    });
}

std::u16string VariantTypeName(VARTYPE type)
{
    std::u16string prefix;
    if (type & VT_ARRAY)
        prefix = u"Array ";
    switch (type & VT_TYPEMASK) {
    case VT_EMPTY:
        return prefix + u"Empty";
    case VT_NULL:
        return prefix + u"Null";
    case VT_I2:
        return prefix + u"Smallint";
    case VT_I4:
        return prefix + u"Integer";
    case VT_R4:
        return prefix + u"Single";
    case VT_R8:
        return prefix + u"Double";
    case VT_CY:
        return prefix + u"Currency";
    case VT_DATE:
        return prefix + u"Date";
    case VT_BSTR:
        return prefix + u"OleStr";
    case VT_DISPATCH:
        return prefix + u"Dispatch";
    case VT_ERROR:
        return prefix + u"Error";
    case VT_BOOL:
        return prefix + u"Boolean";
    case VT_VARIANT:
        return prefix + u"Variant";
    case VT_UNKNOWN:
        return prefix + u"Unknown";
    case VT_DECIMAL:
        return prefix + u"Decimal";
    case VT_I1:
        return prefix + u"ShortInt";
    case VT_UI1:
        return prefix + u"Byte";
    case VT_UI2:
        return prefix + u"Word";
    case VT_UI4:
        return prefix + u"LongWord";
    case VT_I8:
        return prefix + u"Int64";
    case VT_UI8:
        return prefix + u"UInt64";
    case VT_INT:
        return prefix + u"Integer";
    case VT_UINT:
        return prefix + u"LongWord";
    case VT_RECORD:
        return prefix + u"Record";
    default: {
        std::u16string hex = u"$0000";
        const unsigned code = type & VT_TYPEMASK;
        for (int i = 0; i < 4; ++i)
            hex[4 - i] = text::UpperHexDigit(code >> (4 * i));
        return prefix + hex;
    }
    }
}

} // namespace bramolt
