// SendMail: one message submitted over SMTP. The method only converts its arguments; every
// failure of the delivery fails the call with the delivery's message. The exchange, which
// may wait minutes for a slow server, runs on a worker thread, so other clients are served
// meanwhile.
#include "automation/BramoltCOM.h"
#include "automation/MethodAnswer.h"
#include "mail/DeliverMail.h"

#include <string>

namespace bramolt {

HRESULT STDMETHODCALLTYPE TBramoltCOM::SendMail(BSTR Destino, BSTR CC, BSTR CCO, BSTR Asunto, BSTR Mensaje,
                                                BSTR Adjuntos, BSTR UserName, BSTR UserPass, BSTR Server,
                                                int Port, VARIANT_BOOL TSL, BSTR* Res)
{
    return Answer(FClass, Res, RaiseError, [&] {
        OnWorkerThread([&] {
            mail::DeliverMail(TextFromBstr(Destino), TextFromBstr(CC), TextFromBstr(CCO),
                              TextFromBstr(Asunto), TextFromBstr(Mensaje), TextFromBstr(Adjuntos),
                              TextFromBstr(UserName), TextFromBstr(UserPass), TextFromBstr(Server), Port,
                              TSL != VARIANT_FALSE);
        });
        // A message the server accepted; every failure has thrown.
        return std::u16string_view(u"OK");
    });
}

} // namespace bramolt
