#pragma once

// Field data types, and how each one is written in a data packet's FIELD element
// (fieldtype, with SUBTYPE telling apart the types that share one).

#include <string_view>

namespace bramolt::dataset {

enum class TFieldType {
    ftUnknown,
    ftString,     // string
    ftFixedChar,  // string, SUBTYPE FixedChar
    ftGuid,       // string, SUBTYPE Guid
    ftWideString, // string.uni (WIDTH in bytes, two per character)
    ftMemo,       // bin.hex, SUBTYPE Text
    ftWideMemo,   // bin.hex, SUBTYPE WideText
    ftBlob,       // bin.hex, SUBTYPE Binary (and bin.hex of any other subtype)
    ftGraphic,    // bin.hex, SUBTYPE Graphics
    ftShortint,   // i1
    ftSmallint,   // i2
    ftInteger,    // i4
    ftAutoInc,    // i4, SUBTYPE Autoinc
    ftLargeint,   // i8
    ftByte,       // ui1
    ftWord,       // ui2
    ftLongWord,   // ui4
    ftSingle,     // r4
    ftFloat,      // r8
    ftCurrency,   // r8, SUBTYPE Money
    ftExtended,   // r10
    ftBCD,        // fixed (WIDTH digits, DECIMALS after the point)
    ftFMTBcd,     // fixedFMT
    ftBoolean,    // boolean
    ftDate,       // date
    ftTime,       // time
    ftDateTime,   // dateTime
    ftTimeStamp,  // SQLdateTime
    ftDataSet,    // nested, with FIELDS and PARAMS of its own
};

// The type of a FIELD element's fieldtype and SUBTYPE; ftUnknown when the packet format has
// no such type.
TFieldType FieldTypeOfPacket(std::string_view fieldtype, std::string_view subtype) noexcept;

// How values of a type are held in a ROW attribute.
enum class TValueKind {
    vkText,     // the text itself
    vkBytes,    // Base64
    vkInteger,  // decimal digits, range of the type
    vkFloat,    // decimal number with "."
    vkDecimal,  // decimal number with exactly DECIMALS digits after "."
    vkBoolean,  // TRUE / FALSE
    vkDate,     // yyyymmdd
    vkTime,     // hh:nn:ss and three millisecond digits
    vkDateTime, // yyyymmddThh:nn:ss and three millisecond digits
    vkDataSet,  // no attribute: a child element holding the detail rows
};

TValueKind ValueKindOf(TFieldType type) noexcept;

// The range of an integer type (vkInteger).
struct TIntegerRange {
    long long FMin;
    long long FMax;
};
TIntegerRange IntegerRangeOf(TFieldType type) noexcept;

// "ftString", "ftInteger", ...: the type's name for messages and tests.
std::string_view FieldTypeName(TFieldType type) noexcept;

} // namespace bramolt::dataset
