#pragma once
// Conversions of the VARIANT arguments that scripts send: to a JSON handle, to text, to a
// double and to a boolean. Every method converts through these, so that the same VARIANT
// means the same thing to all of them. Texts and numbers follow the user's regional
// settings where a script would expect them to (a VBScript "1,5" on a Spanish machine).
#include <cstdint>
#include <stdexcept>
#include <string>

#include <oaidl.h>

#include "dataset/InputValue.h"

namespace bramolt {

// A VARIANT that cannot be converted (VT_NULL, a text that is no number, ...). The message
// names the source and target types: "Could not convert variant of type (Null) into type (Int64)".
class EVariantConversionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The handle's 64-bit integer: by-reference values are followed, reals are rounded half
// to even, texts are read as integers ("$"/"0x" hex), then as regional numbers, then as
// "True"/"False". Throws EVariantConversionError.
std::int64_t Int64FromVariant(const VARIANT& value);

// Text of a VARIANT: VT_EMPTY is "", booleans "True"/"False", reals with 15 significant
// digits and the user's decimal separator, dates and currency as the system prints them.
std::u16string TextFromVariant(const VARIANT& value);

// Number of a VARIANT: texts are read in the user's regional format; VT_BOOL true is -1.
double DoubleFromVariant(const VARIANT& value);

// Boolean of a VARIANT: numbers are true when not 0; texts "True"/"False" or a number.
bool BooleanFromVariant(const VARIANT& value);

// A value for the dataset engine (a key value of DSToJSON): empty, null, text, integers of 32
// or 64 bits, reals, currency and decimals (as doubles), dates, booleans, and arrays of one
// dimension holding these (a VBScript Array(...)). Throws EVariantConversionError for any
// other type.
dataset::TInputValue DataSetValueFromVariant(const VARIANT& value);

// The short name of a VARIANT type as conversion messages show it ("OleStr", "Int64").
std::u16string VariantTypeName(VARTYPE type);

} // namespace bramolt
