#include "automation/ComFailure.h"

#include "automation/ComOwners.h"
#include "fileout/FileCreateError.h"
#include "text/WideView.h"

#include <oleauto.h>

namespace bramolt {

HRESULT ReportFailure(const TAutomationClass& failing, HRESULT code, std::wstring_view description) noexcept
{
    TComPtr<ICreateErrorInfo> creator;
    if (FAILED(::CreateErrorInfo(creator.Receive())))
        return code;
    creator->SetGUID(IID_IBramoltCOM);
    creator->SetSource(const_cast<LPOLESTR>(failing.ProgID));
    if (!description.empty()) {
        // SetDescription takes a null-terminated text; the view may not be one.
        const std::wstring terminated(description);
        creator->SetDescription(const_cast<LPOLESTR>(terminated.c_str()));
    }
    TComPtr<IErrorInfo> info;
    if (SUCCEEDED(creator->QueryInterface(IID_IErrorInfo, info.ReceiveVoid())))
        ::SetErrorInfo(0, info.Get());
    return code;
}

HRESULT ReportException(const TAutomationClass& failing, const std::exception* error) noexcept
{
    if (error == nullptr)
        return ReportFailure(failing, E_UNEXPECTED, {});
    const auto* comError = dynamic_cast<const EComError*>(error);
    const HRESULT code = comError != nullptr && comError->Code() < 0 ? comError->Code() : E_UNEXPECTED;
    // Converting the message may itself run out of memory; then the caller
    // still gets the failure code, without a description.
    try {
        // what() holds UTF-8, which cannot carry an unpaired surrogate, and
        // Windows file names may hold one: such a message is taken as UTF-16.
        if (const auto* fileError = dynamic_cast<const fileout::EFileCreateError*>(error))
            return ReportFailure(failing, code, text::AsWide(fileError->Message()));
        return ReportFailure(failing, code, text::WideFromUtf8(error->what()));
    } catch (const std::exception&) {
        return ReportFailure(failing, code, {});
    }
}

} // namespace bramolt
