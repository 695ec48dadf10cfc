// DSToJSON: one JSON record applied to a dataset held as an XML data packet. Only a packet
// that cannot be loaded fails the call, with the engine's message; every other failure
// answers the empty text. Loading, applying and saving a large packet take seconds: they
// run on a worker thread, so other clients are served meanwhile.
#include "automation/BramoltCOM.h"
#include "automation/MethodAnswer.h"
#include "automation/VariantConversion.h"
#include "dataset/DSToJSON.h"
#include "dataset/DateTime.h"
#include "text/WideView.h"

#include <memory>
#include <optional>
#include <string>

namespace bramolt {

namespace {

std::u16string_view TextOf(BSTR* text) noexcept
{
    return text ? TextFromBstr(*text) : std::u16string_view();
}

// A date-time text as a script writes it: first as the system reads dates for the user's
// locale; a text that is no date there is tried as an ISO 8601 date-time, then as a number
// of days in the user's number format.
std::optional<double> ReadDateTextOfUser(std::u16string_view text)
{
    // The parsers only read the text, though MinGW declares it non-const.
    std::wstring terminated(text::AsWide(text));
    DATE date = 0;
    const HRESULT parsed = ::VarDateFromStr(terminated.data(), LOCALE_USER_DEFAULT, 0, &date);
    if (SUCCEEDED(parsed))
        return date;
    if (parsed != DISP_E_TYPEMISMATCH)
        return std::nullopt;
    if (const auto days = dataset::ReadIsoDateTime(text))
        return days;
    double days = 0;
    if (SUCCEEDED(::VarR8FromStr(terminated.data(), LOCALE_USER_DEFAULT, 0, &days)))
        return days;
    return std::nullopt;
}

} // namespace

HRESULT STDMETHODCALLTYPE TBramoltCOM::DSToJSON(BSTR* iXML, BSTR* iJSON, BSTR* iKeyField, VARIANT iKeyValue,
                                                BSTR* iTypeOper, BSTR* oXML)
{
    return Answer(
        FClass, oXML, EmptyTextOnFailure,
        [&] {
            return OnWorkerThread([&] {
                auto dataSet = std::make_unique<dataset::TDataSet>();
                dataSet->LoadFromXML(TextOf(iXML));
                return dataSet;
            });
        },
        [&](std::unique_ptr<dataset::TDataSet> dataSet) {
            // A key VARIANT may hold an object of the caller's, which only this thread may call.
            const dataset::TInputValue keyValue = DataSetValueFromVariant(iKeyValue);
            return OnWorkerThread([&] {
                std::u16string packet =
                    dataset::ApplyJSONRecord(*dataSet, TextOf(iJSON), TextOf(iKeyField), keyValue,
                                             TextOf(iTypeOper), ReadDateTextOfUser);
                // Freeing a large packet takes long too.
                dataSet.reset();
                return packet;
            });
        });
}

} // namespace bramolt
