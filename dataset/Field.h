#pragma once

// A field of a dataset: reads and writes the value of its dataset's current record.
// Writes need the record in insert or edit state and convert to the field's type
// (FieldValue.h); a nested-dataset field gives the detail rows of the current record.

#include "dataset/FieldDef.h"
#include "dataset/FieldValue.h"
#include "dataset/InputValue.h"
#include "dataset/XmlTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace bramolt::dataset {

class TDataSet;

class TField {
  public:
    TField(TDataSet& dataSet, const TFieldDef& def);
    ~TField();
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    const TFieldDef& Def() const noexcept { return FDef; }
    const std::u16string& FieldName() const noexcept { return FDef.FFieldName; }
    TFieldType DataType() const noexcept { return FDef.FDataType; }

    void SetAsString(std::u16string_view text);
    void SetAsInteger(std::int32_t number);
    void SetAsLargeInt(std::int64_t number);
    void SetAsBoolean(bool value);
    void SetAsExtended(long double number);
    void SetAsDateTime(double days);
    // Null clears the field.
    void SetValue(const TInputValue& value);
    void Clear();

    bool IsNull() const;
    TInputValue Value() const;
    // The value as text, "" for null. Numbers use ".", date-times their packet form.
    std::u16string AsString() const;

    // The detail rows of the current record; only for ftDataSet.
    TDataSet& NestedDataSet();
    // The same, or null for a field of any other type.
    TDataSet* FindNestedDataSet() const noexcept { return FNested.get(); }

  private:
    void Write(const TFieldValue& value);
    // The field's position in its dataset, and its attribute in the current row.
    std::size_t Index() const;
    pugi::xml_attribute Attribute() const;

    TDataSet& FDataSet;
    const TFieldDef& FDef;
    std::unique_ptr<TDataSet> FNested;
};

} // namespace bramolt::dataset
