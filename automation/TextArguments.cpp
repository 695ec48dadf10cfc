#include "automation/TextArguments.h"

#include "text/WideView.h"

#include <memory>

namespace bramolt {

namespace {

// Positions (from 0, in declaration order) of the BSTR* parameters of the method `member`.
std::vector<bool> TextReferenceParameters(ITypeInfo& info, DISPID member)
{
    TYPEATTR* attributes = nullptr;
    if (FAILED(info.GetTypeAttr(&attributes)))
        return {};
    const auto releaseAttributes = [&info](TYPEATTR* a) { info.ReleaseTypeAttr(a); };
    const std::unique_ptr<TYPEATTR, decltype(releaseAttributes)> heldAttributes(attributes,
                                                                                releaseAttributes);
    const auto releaseFunction = [&info](FUNCDESC* f) { info.ReleaseFuncDesc(f); };
    for (UINT index = 0; index < attributes->cFuncs; ++index) {
        FUNCDESC* function = nullptr;
        if (FAILED(info.GetFuncDesc(index, &function)))
            continue;
        const std::unique_ptr<FUNCDESC, decltype(releaseFunction)> held(function, releaseFunction);
        if (function->memid != member || function->invkind != INVOKE_FUNC)
            continue;
        std::vector<bool> textReferences(static_cast<std::size_t>(function->cParams), false);
        for (SHORT parameter = 0; parameter < function->cParams; ++parameter) {
            const TYPEDESC& type = function->lprgelemdescParam[parameter].tdesc;
            textReferences[static_cast<std::size_t>(parameter)] =
                type.vt == VT_PTR && type.lptdesc != nullptr && type.lptdesc->vt == VT_BSTR;
        }
        return textReferences;
    }
    return {};
}

} // namespace

TTextArguments::TTextArguments(ITypeInfo& info, DISPID member, DISPPARAMS* params) : FOriginal(params)
{
    if (params == nullptr || params->cArgs == 0 || params->rgvarg == nullptr)
        return;
    const std::vector<bool> textReferences = TextReferenceParameters(info, member);
    FArguments.assign(params->rgvarg, params->rgvarg + params->cArgs);
    for (UINT at = 0; at < params->cArgs; ++at) {
        // Named arguments come first, each with its parameter's position; the positional
        // ones follow in reverse order, the last parameter first.
        const UINT parameter = at < params->cNamedArgs ? static_cast<UINT>(params->rgdispidNamedArgs[at])
                                                       : params->cArgs - 1 - at;
        if (parameter >= textReferences.size() || !textReferences[parameter])
            continue;
        VARIANTARG& argument = FArguments[at];
        if (V_VT(&argument) != (VT_BYREF | VT_VARIANT) || V_VARIANTREF(&argument) == nullptr)
            continue;
        const VARIANT& held = *V_VARIANTREF(&argument);
        if (V_VT(&held) == VT_BSTR)
            FTexts.emplace_back(text::AsWide(TextFromBstr(V_BSTR(&held))));
        else if (V_VT(&held) == VT_EMPTY)
            FTexts.emplace_back();
        else
            continue;
        V_VT(&argument) = VT_BSTR;
        V_BSTR(&argument) = FTexts.back().Get();
        FChanged = true;
    }
    FParams = *params;
    FParams.rgvarg = FArguments.data();
}

} // namespace bramolt
