#include "dataset/FieldType.h"

#include <array>
#include <cstdint>
#include <limits>

namespace bramolt::dataset {

namespace {

struct TPacketType {
    std::string_view FFieldType;
    std::string_view FSubtype; // empty: any subtype not listed separately
    TFieldType FType;
};

constexpr std::array kPacketTypes{
    TPacketType{"string", "FixedChar", TFieldType::ftFixedChar},
    TPacketType{"string", "Guid", TFieldType::ftGuid},
    TPacketType{"string", "", TFieldType::ftString},
    TPacketType{"string.uni", "", TFieldType::ftWideString},
    TPacketType{"bin.hex", "Text", TFieldType::ftMemo},
    TPacketType{"bin.hex", "WideText", TFieldType::ftWideMemo},
    TPacketType{"bin.hex", "Graphics", TFieldType::ftGraphic},
    TPacketType{"bin.hex", "", TFieldType::ftBlob},
    TPacketType{"i1", "", TFieldType::ftShortint},
    TPacketType{"i2", "", TFieldType::ftSmallint},
    TPacketType{"i4", "Autoinc", TFieldType::ftAutoInc},
    TPacketType{"i4", "", TFieldType::ftInteger},
    TPacketType{"i8", "", TFieldType::ftLargeint},
    TPacketType{"ui1", "", TFieldType::ftByte},
    TPacketType{"ui2", "", TFieldType::ftWord},
    TPacketType{"ui4", "", TFieldType::ftLongWord},
    TPacketType{"r4", "", TFieldType::ftSingle},
    TPacketType{"r8", "Money", TFieldType::ftCurrency},
    TPacketType{"r8", "", TFieldType::ftFloat},
    TPacketType{"r10", "", TFieldType::ftExtended},
    TPacketType{"fixed", "", TFieldType::ftBCD},
    TPacketType{"fixedFMT", "", TFieldType::ftFMTBcd},
    TPacketType{"boolean", "", TFieldType::ftBoolean},
    TPacketType{"date", "", TFieldType::ftDate},
    TPacketType{"time", "", TFieldType::ftTime},
    TPacketType{"dateTime", "", TFieldType::ftDateTime},
    TPacketType{"SQLdateTime", "", TFieldType::ftTimeStamp},
    TPacketType{"nested", "", TFieldType::ftDataSet},
};

} // namespace

TFieldType FieldTypeOfPacket(std::string_view fieldtype, std::string_view subtype) noexcept
{
    for (const auto& entry : kPacketTypes) {
        if (entry.FFieldType == fieldtype && (entry.FSubtype.empty() || entry.FSubtype == subtype))
            return entry.FType;
    }
    return TFieldType::ftUnknown;
}

TValueKind ValueKindOf(TFieldType type) noexcept
{
    using enum TFieldType;
    switch (type) {
    case ftBlob:
    case ftGraphic:
        return TValueKind::vkBytes;
    case ftShortint:
    case ftSmallint:
    case ftInteger:
    case ftAutoInc:
    case ftLargeint:
    case ftByte:
    case ftWord:
    case ftLongWord:
        return TValueKind::vkInteger;
    case ftSingle:
    case ftFloat:
    case ftCurrency:
    case ftExtended:
        return TValueKind::vkFloat;
    case ftBCD:
    case ftFMTBcd:
        return TValueKind::vkDecimal;
    case ftBoolean:
        return TValueKind::vkBoolean;
    case ftDate:
        return TValueKind::vkDate;
    case ftTime:
        return TValueKind::vkTime;
    case ftDateTime:
    case ftTimeStamp:
        return TValueKind::vkDateTime;
    case ftDataSet:
        return TValueKind::vkDataSet;
    default:
        return TValueKind::vkText;
    }
}

TIntegerRange IntegerRangeOf(TFieldType type) noexcept
{
    using enum TFieldType;
    switch (type) {
    case ftShortint:
        return {INT8_MIN, INT8_MAX};
    case ftSmallint:
        return {INT16_MIN, INT16_MAX};
    case ftByte:
        return {0, UINT8_MAX};
    case ftWord:
        return {0, UINT16_MAX};
    case ftLongWord:
        return {0, UINT32_MAX};
    case ftLargeint:
        return {std::numeric_limits<long long>::min(), std::numeric_limits<long long>::max()};
    default:
        return {INT32_MIN, INT32_MAX};
    }
}

std::string_view FieldTypeName(TFieldType type) noexcept
{
    static constexpr std::array<std::string_view, 29> kNames{
        "ftUnknown",  "ftString",   "ftFixedChar", "ftGuid",      "ftWideString", "ftMemo",
        "ftWideMemo", "ftBlob",     "ftGraphic",   "ftShortint",  "ftSmallint",   "ftInteger",
        "ftAutoInc",  "ftLargeint", "ftByte",      "ftWord",      "ftLongWord",   "ftSingle",
        "ftFloat",    "ftCurrency", "ftExtended",  "ftBCD",       "ftFMTBcd",     "ftBoolean",
        "ftDate",     "ftTime",     "ftDateTime",  "ftTimeStamp", "ftDataSet"};
    return kNames[static_cast<std::size_t>(type)];
}

} // namespace bramolt::dataset
