#pragma once

// What a FIELD element of a packet's metadata defines.

#include "dataset/FieldType.h"

#include <cstddef>
#include <string>
#include <vector>

namespace bramolt::dataset {

struct TFieldDef {
    std::string FAttrName;     // the name of the field's ROW attribute (or, nested, its child element)
    std::u16string FFieldName; // the name callers use: the fieldname attribute, else attrname
    TFieldType FDataType = TFieldType::ftUnknown;
    TValueKind FKind = TValueKind::vkText;
    int FWidth = 0;    // WIDTH as written; 0 when absent
    int FDecimals = 0; // DECIMALS
    bool FRequired = false;
    bool FReadOnly = false;
    std::vector<TFieldDef> FFields; // of a nested dataset
    std::string FRowElement;        // of a nested dataset: the name of its row elements

    // The longest text the field holds, in UTF-16 units; 0 for no limit.
    std::size_t MaxTextLength() const noexcept
    {
        if (FKind != TValueKind::vkText || FDataType == TFieldType::ftMemo ||
            FDataType == TFieldType::ftWideMemo)
            return 0;
        return static_cast<std::size_t>(FDataType == TFieldType::ftWideString ? FWidth / 2 : FWidth);
    }
};

} // namespace bramolt::dataset
