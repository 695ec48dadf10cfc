#pragma once

// RAII owners for the COM resources the server handles: BSTRs, VARIANTs and
// interface pointers. Every such resource in the Windows layer lives in one of
// these, so no path (normal return or exception) frees anything by hand.

// The other system headers rely on windows.h's definitions.
#include <windows.h>

#include <oleauto.h>

#include <string_view>
#include <utility>

namespace bramolt {

// Sole owner of a BSTR; null is the empty text, as automation treats it.
class TBstr {
  public:
    TBstr() noexcept = default;
    // Copies `text`; throws EComError(E_OUTOFMEMORY) when the allocation fails.
    explicit TBstr(std::wstring_view text);
    ~TBstr() { ::SysFreeString(FValue); }

    TBstr(TBstr&& other) noexcept : FValue(std::exchange(other.FValue, nullptr)) {}
    TBstr& operator=(TBstr&& other) noexcept
    {
        Reset(std::exchange(other.FValue, nullptr));
        return *this;
    }
    TBstr(const TBstr&) = delete;
    TBstr& operator=(const TBstr&) = delete;

    BSTR Get() const noexcept { return FValue; }
    std::wstring_view View() const noexcept
    {
        return FValue ? std::wstring_view(FValue, ::SysStringLen(FValue)) : std::wstring_view();
    }
    // Hands the string to a caller that frees it (an [out] parameter).
    BSTR Detach() noexcept { return std::exchange(FValue, nullptr); }
    // Frees the current string and returns the slot for an [out] BSTR argument.
    BSTR* Receive() noexcept
    {
        Reset(nullptr);
        return &FValue;
    }

  private:
    void Reset(BSTR value) noexcept
    {
        if (value != FValue)
            ::SysFreeString(FValue);
        FValue = value;
    }

    BSTR FValue = nullptr;
};

// A BSTR argument as text; a null BSTR is the empty text.
std::u16string_view TextFromBstr(BSTR text) noexcept;

// Sole owner of a VARIANT's contents.
class TVariantOwner {
  public:
    TVariantOwner() noexcept { ::VariantInit(&FValue); }
    ~TVariantOwner() { ::VariantClear(&FValue); }
    TVariantOwner(const TVariantOwner&) = delete;
    TVariantOwner& operator=(const TVariantOwner&) = delete;

    const VARIANT& Get() const noexcept { return FValue; }
    VARIANT* Pointer() noexcept { return &FValue; }
    // Clears the current contents and returns the slot for an [out] VARIANT.
    VARIANT* Receive() noexcept
    {
        ::VariantClear(&FValue);
        return &FValue;
    }

  private:
    VARIANT FValue;
};

// Holds one reference to a COM interface.
template <typename T> class TComPtr {
  public:
    TComPtr() noexcept = default;
    // Takes an additional reference to `pointer`.
    explicit TComPtr(T* pointer) noexcept : FPointer(pointer)
    {
        if (FPointer)
            FPointer->AddRef();
    }
    ~TComPtr() { Reset(); }

    TComPtr(const TComPtr& other) noexcept : TComPtr(other.FPointer) {}
    TComPtr(TComPtr&& other) noexcept : FPointer(std::exchange(other.FPointer, nullptr)) {}
    TComPtr& operator=(TComPtr other) noexcept
    {
        std::swap(FPointer, other.FPointer);
        return *this;
    }

    // Adopts a reference the caller already owns (a creation function's result).
    static TComPtr Adopt(T* pointer) noexcept
    {
        TComPtr result;
        result.FPointer = pointer;
        return result;
    }

    T* Get() const noexcept { return FPointer; }
    T* operator->() const noexcept { return FPointer; }
    explicit operator bool() const noexcept { return FPointer != nullptr; }

    // Releases the current reference and returns the slot for an [out] pointer.
    T** Receive() noexcept
    {
        Reset();
        return &FPointer;
    }
    // For QueryInterface-style [out] void** arguments.
    void** ReceiveVoid() noexcept { return reinterpret_cast<void**>(Receive()); }
    T* Detach() noexcept { return std::exchange(FPointer, nullptr); }
    void Reset() noexcept
    {
        if (T* old = std::exchange(FPointer, nullptr))
            old->Release();
    }

  private:
    T* FPointer = nullptr;
};

} // namespace bramolt
