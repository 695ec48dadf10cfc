#include "automation/ComOwners.h"

#include "automation/ComError.h"
#include "text/WideView.h"

#include <climits>

namespace bramolt {

TBstr::TBstr(std::wstring_view text)
{
    if (text.size() > UINT_MAX / sizeof(wchar_t) - 2)
        throw EComError(E_OUTOFMEMORY, "text too long for a BSTR");
    FValue = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!FValue)
        throw EComError(E_OUTOFMEMORY, "out of memory for a BSTR");
}

std::u16string_view TextFromBstr(BSTR text) noexcept
{
    if (text == nullptr)
        return {};
    return text::AsUtf16(std::wstring_view(text, ::SysStringLen(text)));
}

} // namespace bramolt
