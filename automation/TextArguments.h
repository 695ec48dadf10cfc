#pragma once

// Scripts pass a variable by reference: VBScript sends it as VT_BYREF|VT_VARIANT. The
// type-information Invoke accepts that for a VARIANT* parameter but refuses it for a BSTR*
// one (DISP_E_TYPEMISMATCH, "Type mismatch" in the script, on Windows as well), so a script
// could pass such a parameter only a literal or a parenthesised variable. TTextArguments
// gives Invoke the arguments with every by-reference VARIANT aimed at a BSTR* parameter
// replaced by a by-value copy of its text, when it holds text or nothing; anything else is
// left for Invoke to refuse as before. The BSTR* parameters of the interface are [in] only,
// so no value has to travel back.

#include "automation/ComOwners.h"

#include <oaidl.h>

#include <vector>

namespace bramolt {

class TTextArguments {
  public:
    // `params` may be null; it must outlive this object, which refers to its arrays.
    TTextArguments(ITypeInfo& info, DISPID member, DISPPARAMS* params);
    TTextArguments(const TTextArguments&) = delete;
    TTextArguments& operator=(const TTextArguments&) = delete;

    // The arguments to invoke with: `params` itself when nothing had to change.
    DISPPARAMS* Params() noexcept { return FChanged ? &FParams : FOriginal; }

  private:
    DISPPARAMS* FOriginal;
    DISPPARAMS FParams{};
    std::vector<VARIANTARG> FArguments; // shallow copies, and the replaced ones
    std::vector<TBstr> FTexts;          // owners of the replacements' texts
    bool FChanged = false;
};

} // namespace bramolt
