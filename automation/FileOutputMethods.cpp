// EncodeBase64, DecodeBase64 and GenerateQR: a text written as a file. The Base64 methods
// answer with a boolean and never fail the call; GenerateQR lets every error fail it, with
// the error's message (a text too long for a QR code, a file that cannot be created).
#include "automation/BramoltCOM.h"
#include "automation/ComFailure.h"
#include "automation/JSONMethodSupport.h"
#include "fileout/Base64File.h"
#include "fileout/FileCreateError.h"
#include "fileout/QRImageFile.h"

namespace bramolt {

namespace {

using TFileWriter = void (*)(std::u16string_view, std::u16string_view);

// A boolean value is not cleared on entry; it is false until the file is written.
HRESULT WriteReportingSuccess(TFileWriter write, BSTR inputText, BSTR outputPath, VARIANT_BOOL* Res)
{
    return InvokeGuarded([&] {
        if (Res == nullptr)
            throw ComError(E_POINTER, "the value parameter is missing");
        *Res = VARIANT_FALSE;
        try {
            write(TextFromBstr(inputText), TextFromBstr(outputPath));
            *Res = VARIANT_TRUE;
        } catch (...) {
            // Reported through Res alone.
        }
    });
}

// The message of a file that cannot be created, taken from its UTF-16 parts: what() holds it
// in UTF-8, which cannot carry an unpaired surrogate, and Windows file names may hold one.
HRESULT ReportFileCreateError(const fileout::TFileCreateError& error) noexcept
{
    try {
        const std::u16string message = error.Message();
        return ReportFailure(E_UNEXPECTED, std::wstring_view(reinterpret_cast<const wchar_t*>(message.data()),
                                                             message.size()));
    } catch (...) {
        return ReportCurrentException();
    }
}

} // namespace

HRESULT STDMETHODCALLTYPE TBramoltCOM::EncodeBase64(BSTR InputText, BSTR OutputPath, VARIANT_BOOL* Res)
{
    return WriteReportingSuccess(fileout::EncodeBase64ToFile, InputText, OutputPath, Res);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::DecodeBase64(BSTR InputText, BSTR OutputPath, VARIANT_BOOL* Res)
{
    return WriteReportingSuccess(fileout::DecodeBase64ToFile, InputText, OutputPath, Res);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::GenerateQR(BSTR InputText, BSTR OutputPath, VARIANT_BOOL* Res)
{
    try {
        if (Res == nullptr)
            throw ComError(E_POINTER, "the value parameter is missing");
        fileout::GenerateQRImageFile(TextFromBstr(InputText), TextFromBstr(OutputPath));
        *Res = VARIANT_TRUE;
        return S_OK;
    } catch (const fileout::TFileCreateError& error) {
        return ReportFileCreateError(error);
    } catch (...) {
        return ReportCurrentException();
    }
}

} // namespace bramolt
