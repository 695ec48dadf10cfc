#include "dataset/Field.h"

#include "dataset/DataSet.h"
#include "dataset/DataSetError.h"
#include "text/Utf8.h"

#include <pugixml.hpp>

namespace bramolt::dataset {

TField::TField(TDataSet& dataSet, const TFieldDef& def) : FDataSet(dataSet), FDef(def)
{
    if (def.FKind == TValueKind::vkDataSet)
        FNested.reset(new TDataSet(dataSet, def));
}

TField::~TField() = default;

void TField::SetAsString(std::u16string_view text)
{
    FDataSet.CheckEditable();
    Write(FieldValueOfText(FDef, text));
}

void TField::SetAsInteger(std::int32_t number)
{
    FDataSet.CheckEditable();
    Write(FieldValueOfInteger(FDef, number));
}

void TField::SetAsLargeInt(std::int64_t number)
{
    FDataSet.CheckEditable();
    Write(FieldValueOfInteger(FDef, number));
}

void TField::SetAsBoolean(bool value)
{
    FDataSet.CheckEditable();
    Write(FieldValueOfBoolean(FDef, value));
}

void TField::SetAsExtended(long double number)
{
    FDataSet.CheckEditable();
    Write(FieldValueOfFloat(FDef, number));
}

void TField::SetAsDateTime(double days)
{
    FDataSet.CheckEditable();
    Write(FieldValueOfDateTime(FDef, days));
}

void TField::SetValue(const TInputValue& value)
{
    FDataSet.CheckEditable();
    Write(FieldValueOfVariant(FDef, value));
}

void TField::Clear()
{
    FDataSet.CheckEditable();
    Write(std::monostate{});
}

void TField::Write(const TFieldValue& value)
{
    if (FDef.FReadOnly)
        throw EDataSetError("Field '" + text::ToUtf8(FDef.FFieldName) + "' cannot be modified");
    if (FDef.FKind == TValueKind::vkDataSet)
        throw EDataSetError("Field '" + text::ToUtf8(FDef.FFieldName) + "' holds a dataset");
    pugi::xml_node row = FDataSet.CurrentRow();
    const std::size_t index = Index();
    pugi::xml_attribute attribute = FDataSet.FieldAttribute(index);
    if (std::holds_alternative<std::monostate>(value)) {
        row.remove_attribute(attribute);
        FDataSet.FieldAttributeChanged(index, {});
        return;
    }
    if (!attribute) {
        // Keep the attributes of a row in field order: before the one of the next field.
        const char* name = FDef.FAttrName.c_str();
        const pugi::xml_attribute before = FDataSet.NextFieldAttribute(index);
        attribute = before ? row.insert_attribute_before(name, before) : row.append_attribute(name);
        FDataSet.FieldAttributeChanged(index, attribute);
    }
    attribute.set_value(WritePacketValue(FDef, value).c_str());
}

std::size_t TField::Index() const
{
    return FDataSet.FieldIndexOfAttribute(FDef.FAttrName);
}

pugi::xml_attribute TField::Attribute() const
{
    return FDataSet.FieldAttribute(Index());
}

bool TField::IsNull() const
{
    return FDef.FKind != TValueKind::vkDataSet && !Attribute();
}

TInputValue TField::Value() const
{
    if (IsNull())
        return TNullValue{};
    if (FDef.FKind == TValueKind::vkDataSet)
        return TUnassigned{};
    return VariantOfFieldValue(FDef, ReadPacketValue(FDef, Attribute().value()));
}

std::u16string TField::AsString() const
{
    if (IsNull() || FDef.FKind == TValueKind::vkDataSet)
        return {};
    const TFieldValue value = ReadPacketValue(FDef, Attribute().value());
    if (FDef.FKind == TValueKind::vkText)
        return text::FromUtf8(std::get<std::string>(value));
    if (FDef.FKind == TValueKind::vkBytes)
        return std::get<std::u16string>(VariantOfFieldValue(FDef, value).Storage());
    return text::FromUtf8(WritePacketValue(FDef, value));
}

TDataSet& TField::NestedDataSet()
{
    if (!FNested)
        throw EDataSetError("Field '" + text::ToUtf8(FDef.FFieldName) + "' is not a dataset field");
    return *FNested;
}

} // namespace bramolt::dataset
