// EncodeBase64, DecodeBase64 and GenerateQR: a text written as a file. The Base64 methods
// answer with a boolean and never fail the call; GenerateQR lets every error fail it, with
// the error's message (a text too long for a QR code, a file that cannot be created).
#include "automation/BramoltCOM.h"
#include "automation/MethodAnswer.h"
#include "automation/QRImageFile.h"
#include "fileout/Base64File.h"

namespace bramolt {

HRESULT STDMETHODCALLTYPE TBramoltCOM::EncodeBase64(BSTR InputText, BSTR OutputPath, VARIANT_BOOL* Res)
{
    return Answer(FClass, Res, FalseOnFailure, [&] {
        fileout::EncodeBase64ToFile(TextFromBstr(InputText), TextFromBstr(OutputPath));
        return true;
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::DecodeBase64(BSTR InputText, BSTR OutputPath, VARIANT_BOOL* Res)
{
    return Answer(FClass, Res, FalseOnFailure, [&] {
        fileout::DecodeBase64ToFile(TextFromBstr(InputText), TextFromBstr(OutputPath));
        return true;
    });
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::GenerateQR(BSTR InputText, BSTR OutputPath, VARIANT_BOOL* Res)
{
    return Answer(FClass, Res, RaiseError, [&] {
        GenerateQRImageFile(TextFromBstr(InputText), TextFromBstr(OutputPath));
        return true;
    });
}

} // namespace bramolt
