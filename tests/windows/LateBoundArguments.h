#pragma once

// The VARIANT arguments of late-bound calls in the tests, made as scripts make them.

// The other system headers rely on windows.h's definitions.
#include <windows.h>

#include <oleauto.h>

#include <string_view>

namespace bramolt::test {

// One argument of a call; copyable so that tables can hold it.
class TArg {
  public:
    TArg() { ::VariantInit(&FValue); }
    // VariantCopy only reads its source, though it is declared non-const.
    TArg(const TArg& other) : TArg() { ::VariantCopy(&FValue, const_cast<VARIANT*>(&other.FValue)); }
    TArg& operator=(const TArg& other)
    {
        if (this != &other)
            ::VariantCopy(&FValue, const_cast<VARIANT*>(&other.FValue));
        return *this;
    }
    ~TArg() { ::VariantClear(&FValue); }
    VARIANT& Get() { return FValue; }
    const VARIANT& Get() const { return FValue; }

  private:
    VARIANT FValue;
};

inline TArg Empty()
{
    return {};
}

inline TArg Null()
{
    TArg a;
    V_VT(&a.Get()) = VT_NULL;
    return a;
}

inline TArg I4(LONG n)
{
    TArg a;
    V_VT(&a.Get()) = VT_I4;
    V_I4(&a.Get()) = n;
    return a;
}

inline TArg I8(LONGLONG n)
{
    TArg a;
    V_VT(&a.Get()) = VT_I8;
    V_I8(&a.Get()) = n;
    return a;
}

inline TArg R8(double d)
{
    TArg a;
    V_VT(&a.Get()) = VT_R8;
    V_R8(&a.Get()) = d;
    return a;
}

inline TArg Bool(bool b)
{
    TArg a;
    V_VT(&a.Get()) = VT_BOOL;
    V_BOOL(&a.Get()) = b ? VARIANT_TRUE : VARIANT_FALSE;
    return a;
}

inline TArg Text(std::wstring_view text)
{
    TArg a;
    V_VT(&a.Get()) = VT_BSTR;
    V_BSTR(&a.Get()) = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return a;
}

// A BSTR as it stands, a null BSTR included (the empty text to automation, but not the same
// argument).
inline TArg Bstr(BSTR text)
{
    TArg a;
    V_VT(&a.Get()) = VT_BSTR;
    V_BSTR(&a.Get()) = text ? ::SysAllocStringLen(text, ::SysStringLen(text)) : nullptr;
    return a;
}

// What VBScript sends for a variable: a reference to the variable's VARIANT. The
// referenced VARIANT must outlive the call.
inline TArg RefTo(VARIANT& variable)
{
    TArg a;
    V_VT(&a.Get()) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&a.Get()) = &variable;
    return a;
}

} // namespace bramolt::test
