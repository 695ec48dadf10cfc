// Loads arbitrary text as a packet. A packet that loads must save, load again and save the
// same text; a record applied to it must give the empty text or a packet that loads.

#include "dataset/DSToJSON.h"
#include "dataset/DataSet.h"
#include "dataset/DataSetError.h"
#include "fuzz/Require.h"
#include "text/Utf8.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace bramolt::dataset;
    const std::u16string text =
        bramolt::text::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    TDataSet dataSet;
    try {
        dataSet.LoadFromXML(text);
    } catch (const EDataSetError&) {
        return 0;
    }
    const std::u16string saved = dataSet.SaveToXML();
    TDataSet again;
    again.LoadFromXML(saved); // throws, and fails the run, if the saved packet is no packet
    bramolt::fuzz::Require(again.SaveToXML() == saved && again.Active() == dataSet.Active(),
                           "a saved packet loads and saves differently");
    if (!again.Active() || again.Fields().empty())
        return 0;

    const std::u16string key = again.Fields().front()->FieldName();
    for (const char16_t* oper : {u"C", u"M", u"D", u""}) {
        const std::u16string result =
            DSToJSON(saved, u"{\"x\":1,'a':[{\"b\":'t'}],c:null}", key, std::int32_t{1}, oper);
        if (!result.empty()) {
            TDataSet check;
            check.LoadFromXML(result);
        }
    }
    return 0;
}
