// EncodeBase64, DecodeBase64 and GenerateQR: a text written as a file. The Base64 methods
// answer with a boolean and never fail the call; GenerateQR lets every error fail it, with
// the error's message (a text too long for a QR code, a file that cannot be created).
#include "automation/BramoltCOM.h"
#include "automation/ComFailure.h"
#include "automation/JSONMethodSupport.h"
#include "fileout/Base64File.h"
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

}  // namespace

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
    return InvokeGuarded([&] {
        if (Res == nullptr)
            throw ComError(E_POINTER, "the value parameter is missing");
        fileout::GenerateQRImageFile(TextFromBstr(InputText), TextFromBstr(OutputPath));
        *Res = VARIANT_TRUE;
    });
}

}  // namespace bramolt
