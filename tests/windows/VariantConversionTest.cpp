// The VARIANT conversions every method shares, against the system's own VARIANT machinery
// (run under Wine in CI). Regional cases run twice: in the default "C" locale (point) and, as
// a second CTest entry, with LC_ALL=es_ES.UTF-8 (comma); see CMakeLists.txt.
#include "automation/VariantConversion.h"

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include <gtest/gtest.h>
#include <oleauto.h>
#include <windows.h>

namespace {

using namespace bramolt;

// A VARIANT for one test row; frees what it holds.
struct TTestVariant {
    VARIANT value;
    TTestVariant() { VariantInit(&value); }
    ~TTestVariant() { VariantClear(&value); }
    TTestVariant(const TTestVariant& other)
    {
        VariantInit(&value);
        VariantCopy(&value, const_cast<VARIANT*>(&other.value));
    }
    TTestVariant& operator=(const TTestVariant&) = delete;
};

TTestVariant Make(VARTYPE type, const std::function<void(VARIANT&)>& fill = {})
{
    TTestVariant v;
    V_VT(&v.value) = type;
    if (fill)
        fill(v.value);
    return v;
}

TTestVariant Text(const wchar_t* text)
{
    return Make(VT_BSTR, [text](VARIANT& v) { V_BSTR(&v) = SysAllocString(text); });
}
TTestVariant I4(LONG n)
{
    return Make(VT_I4, [n](VARIANT& v) { V_I4(&v) = n; });
}
TTestVariant R8(double d)
{
    return Make(VT_R8, [d](VARIANT& v) { V_R8(&v) = d; });
}
TTestVariant Bool(bool b)
{
    return Make(VT_BOOL, [b](VARIANT& v) { V_BOOL(&v) = b ? VARIANT_TRUE : VARIANT_FALSE; });
}
TTestVariant Currency(LONGLONG scaled)
{
    return Make(VT_CY, [scaled](VARIANT& v) { V_CY(&v).int64 = scaled; });
}

bool CommaLocale()
{
    wchar_t decimal[8] = {};
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, decimal, 8);
    return std::wstring(decimal) == L",";
}

std::string Utf8(const std::u16string& text)
{
    return std::string(text.begin(), text.end());
}

struct THandleRow {
    const char* why;
    TTestVariant input;
    std::int64_t expected;
};

TEST(Int64FromVariant, ConvertsEveryScalarType)
{
    const THandleRow rows[] = {
        {"empty is no node", Make(VT_EMPTY), 0},
        {"I2 sign-extends", Make(VT_I2, [](VARIANT& v) { V_I2(&v) = -5; }), -5},
        {"I1 sign-extends", Make(VT_I1, [](VARIANT& v) { V_I1(&v) = -1; }), -1},
        {"UI4 zero-extends", Make(VT_UI4, [](VARIANT& v) { V_UI4(&v) = 0xFFFFFFFFu; }), 4294967295LL},
        {"I8 as is", Make(VT_I8, [](VARIANT& v) { V_I8(&v) = 1LL << 40; }), 1LL << 40},
        {"UI8 keeps its bits", Make(VT_UI8, [](VARIANT& v) { V_UI8(&v) = ~0ULL; }), -1},
        {"half rounds to even (down)", R8(2.5), 2},
        {"half rounds to even (up)", R8(3.5), 4},
        {"negative half to even", R8(-2.5), -2},
        {"single rounds", Make(VT_R4, [](VARIANT& v) { V_R4(&v) = 6.5f; }), 6},
        {"date rounds", Make(VT_DATE, [](VARIANT& v) { V_DATE(&v) = 7.6; }), 8},
        {"currency 2.5 to even", Currency(25000), 2},
        {"currency 3.5 to even", Currency(35000), 4},
        {"currency -1.5 to even", Currency(-15000), -2},
        {"currency below half", Currency(14999), 1},
        {"true is all bits", Bool(true), -1},
        {"false", Bool(false), 0},
        {"decimal text with blanks", Text(L"  42"), 42},
        {"negative text", Text(L"-7"), -7},
        {"dollar hex", Text(L"$FF"), 255},
        {"0x hex", Text(L"0x10"), 16},
        {"64-bit hex keeps its bits", Text(L"$FFFFFFFFFFFFFFFF"), -1},
        {"true word is 1", Text(L"tRUe"), 1},
        {"false word is 0", Text(L"FALSE"), 0},
        {"by-reference variant is followed",
         [] {
             static VARIANT inner;
             VariantInit(&inner);
             V_VT(&inner) = VT_I4;
             V_I4(&inner) = 77;
             return Make(VT_BYREF | VT_VARIANT, [](VARIANT& v) { V_VARIANTREF(&v) = &inner; });
         }(),
         77},
        {"by-reference integer is followed",
         [] {
             static LONG inner = 99;
             return Make(VT_BYREF | VT_I4, [](VARIANT& v) { V_I4REF(&v) = &inner; });
         }(),
         99},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Int64FromVariant(row.input.value), row.expected) << row.why;
}

TEST(Int64FromVariant, RegionalNumberTextIsRounded)
{
    const auto text = CommaLocale() ? Text(L"2,5") : Text(L"2.5");
    EXPECT_EQ(Int64FromVariant(text.value), 2);
}

struct TErrorRow {
    const char* why;
    TTestVariant input;
    const char* message;
};

TEST(Int64FromVariant, RefusesWithTheConversionMessage)
{
    const TErrorRow rows[] = {
        {"null", Make(VT_NULL), "Could not convert variant of type (Null) into type (Int64)"},
        {"text that is no number", Text(L"abc"),
         "Could not convert variant of type (OleStr) into type (Int64)"},
        {"empty text", Text(L""), "Could not convert variant of type (OleStr) into type (Int64)"},
        {"null dispatch", Make(VT_DISPATCH, [](VARIANT& v) { V_DISPATCH(&v) = nullptr; }),
         "Could not convert variant of type (Dispatch) into type (Int64)"},
        {"error value", Make(VT_ERROR, [](VARIANT& v) { V_ERROR(&v) = DISP_E_PARAMNOTFOUND; }),
         "Could not convert variant of type (Error) into type (Int64)"},
        {"double beyond 64 bits", R8(1e30),
         "Overflow while converting variant of type (Double) into type (Int64)"},
        {"NaN", R8(std::numeric_limits<double>::quiet_NaN()),
         "Overflow while converting variant of type (Double) into type (Int64)"},
        {"text beyond 64 bits", Text(L"99999999999999999999"),
         "Overflow while converting variant of type (OleStr) into type (Int64)"},
    };
    for (const auto& row : rows) {
        try {
            Int64FromVariant(row.input.value);
            ADD_FAILURE() << row.why << ": converted";
        } catch (const EVariantConversionError& error) {
            EXPECT_STREQ(error.what(), row.message) << row.why;
        }
    }
}

TEST(TextFromVariant, ConvertsScalars)
{
    const std::u16string point = CommaLocale() ? u"," : u".";
    struct TRow {
        const char* why;
        TTestVariant input;
        std::u16string expected;
    } const rows[] = {
        {"empty", Make(VT_EMPTY), u""},
        {"negative integer", I4(-3), u"-3"},
        {"UI8 max", Make(VT_UI8, [](VARIANT& v) { V_UI8(&v) = ~0ULL; }), u"18446744073709551615"},
        {"I8 min", Make(VT_I8, [](VARIANT& v) { V_I8(&v) = std::numeric_limits<LONG64>::min(); }),
         u"-9223372036854775808"},
        {"real with regional separator", R8(1.5), u"1" + point + u"5"},
        {"large real in scientific form", R8(1e20), u"1E20"},
        {"small real", R8(-2.5e-7), u"-2" + point + u"5E-7"},
        {"true", Bool(true), u"True"},
        {"false", Bool(false), u"False"},
        {"text as is", Text(L"Ana"), u"Ana"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Utf8(TextFromVariant(row.input.value)), Utf8(row.expected)) << row.why;
    EXPECT_THROW(TextFromVariant(Make(VT_NULL).value), EVariantConversionError);
}

TEST(DoubleFromVariant, ConvertsScalarsAndRegionalText)
{
    const bool comma = CommaLocale();
    struct TRow {
        const char* why;
        TTestVariant input;
        double expected;
    } const rows[] = {
        {"empty", Make(VT_EMPTY), 0},
        {"integer", I4(3), 3},
        {"true is -1", Bool(true), -1},
        {"currency is scaled", Currency(15000), 1.5},
        {"date serial", Make(VT_DATE, [](VARIANT& v) { V_DATE(&v) = 2.25; }), 2.25},
        {"regional text", comma ? Text(L"1,5") : Text(L"1.5"), 1.5},
        {"exponent text", Text(L"1E3"), 1000},
    };
    for (const auto& row : rows)
        EXPECT_DOUBLE_EQ(DoubleFromVariant(row.input.value), row.expected) << row.why;
    EXPECT_THROW(DoubleFromVariant(Text(L"abc").value), EVariantConversionError);
    EXPECT_THROW(DoubleFromVariant(Make(VT_NULL).value), EVariantConversionError);
}

TEST(BooleanFromVariant, ConvertsScalarsAndWords)
{
    struct TRow {
        const char* why;
        TTestVariant input;
        bool expected;
    } const rows[] = {
        {"empty", Make(VT_EMPTY), false},
        {"zero", I4(0), false},
        {"nonzero", I4(2), true},
        {"small real", R8(0.1), true},
        {"bool", Bool(true), true},
        {"True word", Text(L"True"), true},
        {"upper case word", Text(L"FALSE"), false},
        {"numeric text", Text(L"0"), false},
        {"nonzero numeric text", Text(L"-1"), true},
    };
    for (const auto& row : rows)
        EXPECT_EQ(BooleanFromVariant(row.input.value), row.expected) << row.why;
    EXPECT_THROW(BooleanFromVariant(Text(L"yes").value), EVariantConversionError);
    EXPECT_THROW(BooleanFromVariant(Make(VT_NULL).value), EVariantConversionError);
}

} // namespace
