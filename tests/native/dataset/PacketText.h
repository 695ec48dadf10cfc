#pragma once

// Builds packet texts for tests from their FIELDS and ROWDATA contents.

#include "TestName.h"

#include <string>
#include <string_view>

namespace bramolt::dataset::test {

using bramolt::test::NameOf;

inline std::u16string Widen(std::string_view ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

inline std::string Narrow(std::u16string_view text)
{
    std::string ascii;
    for (const char16_t c : text)
        ascii += c < 0x80 ? static_cast<char>(c) : '?';
    return ascii;
}

inline std::string PacketOf(std::string_view fields, std::string_view rows,
                            std::string_view params = "<PARAMS/>")
{
    return "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" +
           std::string(fields) + "</FIELDS>" + std::string(params) + "</METADATA><ROWDATA>" +
           std::string(rows) + "</ROWDATA></DATAPACKET>";
}

// ID i4 required, NAME string 20, PRICE r8, ITEMS nested (N i4, TXT string.uni 20).
inline constexpr std::string_view kOrderFields =
    R"(<FIELD attrname="ID" fieldtype="i4" required="true"/>)"
    R"(<FIELD attrname="NAME" fieldtype="string" WIDTH="20"/>)"
    R"(<FIELD attrname="PRICE" fieldtype="r8"/>)"
    R"(<FIELD attrname="ITEMS" fieldtype="nested"><FIELDS>)"
    R"(<FIELD attrname="N" fieldtype="i4"/><FIELD attrname="TXT" fieldtype="string.uni" WIDTH="40"/>)"
    R"(</FIELDS><PARAMS/></FIELD>)";

inline std::u16string Orders(std::string_view rows, std::string_view params = "<PARAMS/>")
{
    return Widen(PacketOf(kOrderFields, rows, params));
}

} // namespace bramolt::dataset::test
