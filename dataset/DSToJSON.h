#pragma once

// Applying one JSON record to a dataset held as an XML data packet.
//
// The operation code (compared exactly: "c" and "C " are no codes) prepares the record:
//   "C"  appends a record and writes the key value to the key field;
//   "M"  locates the record whose key fields (names separated by ";") hold the key value(s)
//        and edits it; when none matches, nothing is changed and the result is empty;
//   "D"  locates the same way and deletes the record found, which the packet records; the
//        packet is returned at once and the JSON text is not read (no match: empty result);
//   any other code prepares nothing.
// Then every property of the JSON text is written to the field of the same name (letter case
// ignored), an array property filling the field's nested dataset with one detail record per
// object; the record is posted and the packet returned. Malformed JSON text ends the walk,
// and what was written before it is posted. A property that cannot be written (no such
// field, a value of the wrong kind or out of the field's range, a text too wide, a date
// that is none) and every other failure give the empty text, nothing posted. JSON null
// clears its field. Only a packet that cannot be loaded is reported, as EDataSetError.

#include "dataset/DataSet.h"
#include "dataset/InputValue.h"
#include "dataset/JsonValueWrite.h"

#include <string>
#include <string_view>

namespace bramolt::dataset {

// After the packet is loaded into `dataSet`. Never throws.
std::u16string ApplyJSONRecord(TDataSet& dataSet, std::u16string_view json, std::u16string_view keyField,
                               const TInputValue& keyValue, std::u16string_view typeOper,
                               const TDateTextReader& readDateText) noexcept;

// Loads `xml` (throws EDataSetError when it is no packet) and applies the record.
std::u16string DSToJSON(std::u16string_view xml, std::u16string_view json, std::u16string_view keyField,
                        const TInputValue& keyValue, std::u16string_view typeOper,
                        const TDateTextReader& readDateText = ReadDateTextPortably);

} // namespace bramolt::dataset
