#include "automation/ComFailure.h"

#include "automation/BramoltIdentity.h"
#include "automation/ComOwners.h"

#include <oleauto.h>

#include <climits>

namespace bramolt {

ComError::ComError(HRESULT code, const std::string& utf8Message)
    : std::runtime_error(utf8Message), FCode(code)
{
}

void ThrowIfFailed(HRESULT hr, const std::string& utf8Message)
{
    if (FAILED(hr))
        throw ComError(hr, utf8Message);
}

HRESULT ReportFailure(HRESULT code, std::wstring_view description) noexcept
{
    TComPtr<ICreateErrorInfo> creator;
    if (FAILED(::CreateErrorInfo(creator.Receive())))
        return code;
    creator->SetGUID(IID_IBramoltCOM);
    creator->SetSource(const_cast<LPOLESTR>(kProgID));
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

HRESULT ReportCurrentException() noexcept
{
    try {
        throw;
    } catch (const ComError& error) {
        const HRESULT code = error.Code() < 0 ? error.Code() : E_UNEXPECTED;
        return ReportFailure(code, Utf8ToWide(error.what()));
    } catch (const std::exception& error) {
        // Converting the message may itself run out of memory; then the
        // caller still gets the failure code, without a description.
        try {
            return ReportFailure(E_UNEXPECTED, Utf8ToWide(error.what()));
        } catch (...) {
            return ReportFailure(E_UNEXPECTED, {});
        }
    } catch (...) {
        return ReportFailure(E_UNEXPECTED, {});
    }
}

std::wstring Utf8ToWide(std::string_view text)
{
    if (text.empty())
        return {};
    if (text.size() > static_cast<size_t>(INT_MAX))
        throw std::length_error("text too long to convert");
    const int sourceLength = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), sourceLength, nullptr, 0);
    std::wstring result(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), sourceLength, result.data(), length);
    return result;
}

} // namespace bramolt
