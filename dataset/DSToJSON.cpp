#include "dataset/DSToJSON.h"

#include "dataset/JsonTokenReader.h"

#include <exception>

namespace bramolt::dataset {

namespace {

const std::u16string& NameOf(const TJsonTokenReader& reader)
{
    return std::get<std::u16string>(reader.Value());
}

// Starts on the StartArray token of a detail array; each object is one detail record. Only
// this one level is walked as records: an array inside a detail record gives its field the
// empty value, and its EndArray ends the detail walk.
void WalkDetails(TDataSet& details, TJsonTokenReader& reader, const TDateTextReader& readDateText)
{
    while (reader.TokenType() != TJsonToken::EndArray) {
        if (reader.TokenType() == TJsonToken::StartObject)
            details.Append();
        if (reader.TokenType() == TJsonToken::PropertyName) {
            const std::u16string name = NameOf(reader);
            if (!reader.Read())
                return;
            WriteJsonValue(details.FieldByName(name), reader.Value(), readDateText);
        }
        if (reader.TokenType() == TJsonToken::EndObject)
            details.Post();
        if (!reader.Read())
            return;
    }
}

// Every property, at any depth, is written to the one prepared record; containers and values
// that follow no property name are passed over. Malformed text ends the walk; a property
// that cannot be written throws, so that a record is never posted with part of its values.
void Walk(TDataSet& dataSet, std::u16string_view json, const TDateTextReader& readDateText)
{
    TJsonTokenReader reader(json);
    try {
        while (reader.Read()) {
            if (reader.TokenType() != TJsonToken::PropertyName)
                continue;
            const std::u16string name = NameOf(reader);
            if (!reader.Read())
                return;
            TField& field = dataSet.FieldByName(name);
            if (reader.TokenType() == TJsonToken::StartArray)
                WalkDetails(field.NestedDataSet(), reader, readDateText);
            else
                WriteJsonValue(field, reader.Value(), readDateText);
        }
    } catch (const EJsonReaderError&) {
        // The writes made so far stay; the record is posted all the same.
    }
}

} // namespace

std::u16string ApplyJSONRecord(TDataSet& dataSet, std::u16string_view json, std::u16string_view keyField,
                               const TInputValue& keyValue, std::u16string_view typeOper,
                               const TDateTextReader& readDateText) noexcept
{
    try {
        if (typeOper == u"C") {
            dataSet.Append();
            dataSet.FieldByName(keyField).SetValue(keyValue);
        } else if (typeOper == u"M") {
            // Only the record found is ever edited: without a match, nothing is.
            if (!dataSet.Locate(keyField, keyValue))
                return {};
            dataSet.Edit();
        } else if (typeOper == u"D") {
            if (!dataSet.Locate(keyField, keyValue))
                return {};
            dataSet.Delete();
            return dataSet.SaveToXML();
        }
        Walk(dataSet, json, readDateText);
        dataSet.Post();
        return dataSet.SaveToXML();
    } catch (const std::exception&) {
        return {};
    }
}

std::u16string DSToJSON(std::u16string_view xml, std::u16string_view json, std::u16string_view keyField,
                        const TInputValue& keyValue, std::u16string_view typeOper,
                        const TDateTextReader& readDateText)
{
    TDataSet dataSet;
    dataSet.LoadFromXML(xml);
    return ApplyJSONRecord(dataSet, json, keyField, keyValue, typeOper, readDateText);
}

} // namespace bramolt::dataset
