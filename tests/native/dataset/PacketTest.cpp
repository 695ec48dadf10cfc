// Loading and saving packets: every field type, the ASCII form, round trips, and the
// packets that cannot be loaded.

#include "dataset/DataSet.h"
#include "dataset/DataSetError.h"

#include "ExpectThrow.h"
#include "PacketText.h"

#include <gtest/gtest.h>

#include <random>

namespace bramolt::dataset {
namespace {

using test::Narrow;
using test::PacketOf;
using test::Widen;

constexpr std::string_view kEveryType =
    R"(<FIELD attrname="S" fieldtype="string" WIDTH="10"/>)"
    R"(<FIELD attrname="FC" fieldtype="string" SUBTYPE="FixedChar" WIDTH="3"/>)"
    R"(<FIELD attrname="G" fieldtype="string" SUBTYPE="Guid" WIDTH="38"/>)"
    R"(<FIELD attrname="WS" fieldtype="string.uni" WIDTH="20"/>)"
    R"(<FIELD attrname="M" fieldtype="bin.hex" SUBTYPE="Text"/>)"
    R"(<FIELD attrname="WM" fieldtype="bin.hex" SUBTYPE="WideText"/>)"
    R"(<FIELD attrname="B" fieldtype="bin.hex" SUBTYPE="Binary"/>)"
    R"(<FIELD attrname="GR" fieldtype="bin.hex" SUBTYPE="Graphics"/>)"
    R"(<FIELD attrname="I1" fieldtype="i1"/><FIELD attrname="I2" fieldtype="i2"/>)"
    R"(<FIELD attrname="I4" fieldtype="i4"/><FIELD attrname="AI" fieldtype="i4" SUBTYPE="Autoinc"/>)"
    R"(<FIELD attrname="I8" fieldtype="i8"/><FIELD attrname="U1" fieldtype="ui1"/>)"
    R"(<FIELD attrname="U2" fieldtype="ui2"/><FIELD attrname="U4" fieldtype="ui4"/>)"
    R"(<FIELD attrname="R4" fieldtype="r4"/><FIELD attrname="R8" fieldtype="r8"/>)"
    R"(<FIELD attrname="CY" fieldtype="r8" SUBTYPE="Money"/><FIELD attrname="R10" fieldtype="r10"/>)"
    R"(<FIELD attrname="BCD" fieldtype="fixed" WIDTH="8" DECIMALS="2"/>)"
    R"(<FIELD attrname="FMT" fieldtype="fixedFMT" WIDTH="30" DECIMALS="10"/>)"
    R"(<FIELD attrname="BO" fieldtype="boolean"/><FIELD attrname="D" fieldtype="date"/>)"
    R"(<FIELD attrname="T" fieldtype="time"/><FIELD attrname="DT" fieldtype="dateTime"/>)"
    R"(<FIELD attrname="TS" fieldtype="SQLdateTime"/>)"
    R"(<FIELD attrname="N" fieldtype="nested"><FIELDS><FIELD attrname="X" fieldtype="i4"/></FIELDS>)"
    R"(<PARAMS/></FIELD>)";

constexpr std::string_view kLimits =
    R"(<ROW S="&lt;&amp;&quot;>'&#09;&#10;&#13;" FC="" G="{00000000-0000-0000-0000-000000000000}" )"
    R"(WS="&#233;&#8364;&#128512;" M="a&#10;b" WM="&#1078;" B="AAH/" GR="" I1="-128" I2="32767" )"
    R"(I4="-2147483648" AI="2147483647" I8="-9223372036854775808" U1="255" U2="65535" U4="4294967295" )"
    R"(R4="3.4028235e+38" R8="-1.7976931348623157e+308" CY="922337203685477.5807" R10="5e-324" )"
    R"(BCD="-999999.99" FMT="12345678901234567890.0123456789" BO="TRUE" D="00010101" T="23:59:59999" )"
    R"(DT="99991231T23:59:59999" TS="18991230T00:00:00000"><N><ROWN X="1"/><ROWN/></N></ROW>)"
    R"(<ROW><N/></ROW>)";

TEST(Packet, EveryTypeAtItsLimitsSavesAsLoadedAndLoadsAgain)
{
    const std::string packet = PacketOf(kEveryType, kLimits);
    TDataSet first;
    first.LoadFromXML(Widen(packet));
    const std::u16string saved = first.SaveToXML();
    EXPECT_EQ(Narrow(saved), packet);
    TDataSet second;
    second.LoadFromXML(saved);
    EXPECT_EQ(second.SaveToXML(), saved);
    ASSERT_EQ(second.RecordCount(), 2);

    const struct {
        const char16_t* FField;
        TInputValue FValue;
    } values[] = {
        {u"S", std::u16string(u"<&\">'\t\n\r")},
        {u"WS", std::u16string(u"\u00e9\u20ac\U0001F600")},
        {u"B", std::u16string(u"\x00\x01\xff", 3)},
        {u"I8", std::int64_t{INT64_MIN}},
        {u"U4", std::int64_t{4294967295}},
        {u"I4", std::int32_t{INT32_MIN}},
        {u"R8", -1.7976931348623157e+308},
        {u"BO", true},
        {u"D", TDateTimeValue{-693593}},
        {u"TS", TDateTimeValue{0}},
    };
    for (const auto& v : values)
        EXPECT_EQ(second.FieldByName(v.FField).Value(), v.FValue) << Narrow(v.FField);
    EXPECT_EQ(second.FieldByName(u"dt").AsString(), u"99991231T23:59:59999");
    EXPECT_EQ(second.FieldByName(u"N").NestedDataSet().RecordCount(), 2);
    second.MoveTo(2);
    EXPECT_TRUE(second.FieldByName(u"S").IsNull());
    EXPECT_EQ(second.FieldByName(u"N").NestedDataSet().RecordCount(), 0);
}

TEST(Packet, LoadingAcceptsTheVariantsThatPacketsShow)
{
    const std::string packet =
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- made elsewhere -->\n<DATAPACKET "
        "Version=\"2.0\">\n  <METADATA>\n    <FIELDS>\n      <FIELD attrname=\"R\" fieldtype=\"r8\"/>\n      "
        "<FIELD attrname=\"DT\" fieldtype=\"dateTime\"/>\n      <FIELD attrname=\"B\" "
        "fieldtype=\"boolean\"/>\n"
        "    </FIELDS>\n    <PARAMS LCID=\"3082\"><PARAM Name=\"x\" Value=\"1\"/></PARAMS>\n  </METADATA>\n"
        "  <ROWDATA>\n    <ROW R=\"1,5\" DT=\"19950202\" B=\"true\"/>\n  </ROWDATA>\n</DATAPACKET>\n";
    TDataSet dataSet;
    dataSet.LoadFromXML(Widen(packet.substr(3)));
    EXPECT_EQ(dataSet.FieldByName(u"R").Value(), TInputValue(1.5));
    EXPECT_EQ(dataSet.FieldByName(u"DT").Value(), TInputValue(TDateTimeValue{34732}));
    EXPECT_EQ(dataSet.FieldByName(u"B").Value(), TInputValue(true));
    EXPECT_EQ(
        Narrow(dataSet.SaveToXML()),
        "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
        "<FIELD attrname=\"R\" fieldtype=\"r8\"/><FIELD attrname=\"DT\" fieldtype=\"dateTime\"/>"
        "<FIELD attrname=\"B\" fieldtype=\"boolean\"/></FIELDS><PARAMS LCID=\"3082\"><PARAM Name=\"x\" "
        "Value=\"1\"/></PARAMS></METADATA><ROWDATA><ROW R=\"1,5\" DT=\"19950202\" B=\"true\"/></ROWDATA>"
        "</DATAPACKET>");
}

TEST(Packet, NamesKeepTheirCharactersWhereValuesTakeReferences)
{
    // A name cannot hold a character reference: non-ASCII names stay as they are.
    const std::u16string packet =
        u"<DATAPACKET Version=\"2.0\"><METADATA><FIELDS><FIELD attrname=\"A\u00f1o\" fieldtype=\"string\"/>"
        u"</FIELDS><PARAMS/></METADATA><ROWDATA><ROW A\u00f1o=\"\u00f1\"/></ROWDATA></DATAPACKET>";
    TDataSet dataSet;
    dataSet.LoadFromXML(packet);
    dataSet.Edit();
    dataSet.FieldByName(u"A\u00d1O").SetAsString(u"\u20ac>\"");
    dataSet.Post();
    const std::u16string saved = dataSet.SaveToXML();
    EXPECT_NE(saved.find(u"<ROW RowState=\"1\" A\u00f1o=\"&#241;\"/>"), std::u16string::npos)
        << Narrow(saved);
    EXPECT_NE(saved.find(u"<ROW RowState=\"8\" A\u00f1o=\"&#8364;>&quot;\"/>"), std::u16string::npos)
        << Narrow(saved);
    TDataSet again;
    again.LoadFromXML(saved);
    EXPECT_EQ(again.FieldByName(u"A\u00f1o").AsString(), u"\u20ac>\"");
}

TEST(Packet, EntitiesOfADocumentTypeAreNeverRead)
{
    const std::string packet =
        R"(<!DOCTYPE DATAPACKET [<!ENTITY x SYSTEM "file:///etc/passwd"><!ENTITY y "inner">]>)"
        R"(<DATAPACKET><METADATA><FIELDS><FIELD attrname="S" fieldtype="string"/></FIELDS></METADATA>)"
        R"(<ROWDATA><ROW S="&x;&y;"/></ROWDATA></DATAPACKET>)";
    TDataSet dataSet;
    dataSet.LoadFromXML(Widen(packet));
    EXPECT_EQ(dataSet.FieldByName(u"S").AsString(), u"&x;&y;");
    EXPECT_EQ(Narrow(dataSet.SaveToXML()).find("root:"), std::string::npos);
}

struct TBadPacket {
    std::string FText;
    const char* FMessage;
};

TEST(Packet, MalformedPacketsAreRefusedWithTheirReason)
{
    const std::string i4 = R"(<FIELD attrname="I" fieldtype="i4"/>)";
    const TBadPacket cases[] = {
        {"not xml", "Invalid XML data packet: No document element found at byte 6"},
        {"<DATAPACKET><METADATA>", "Invalid XML data packet: Start-end tags mismatch at byte 21"},
        {"<PACKET/>", "Invalid XML data packet: the root element is 'PACKET', not DATAPACKET"},
        {"<DATAPACKET><ROWDATA/></DATAPACKET>", "Invalid XML data packet: METADATA with FIELDS is missing"},
        {PacketOf(R"(<FIELD fieldtype="i4"/>)", ""), "Invalid XML data packet: a FIELD has no attrname"},
        {PacketOf(R"(<FIELD attrname="X" fieldtype="i16"/>)", ""),
         "Invalid XML data packet: field 'X' has the unknown type 'i16'"},
        {PacketOf(i4 + i4, ""), "Invalid XML data packet: field 'I' is defined twice"},
        {PacketOf(R"(<FIELD attrname="A B" fieldtype="i4"/>)", ""),
         "Invalid XML data packet: the field name 'A B' cannot name an XML attribute"},
        {PacketOf(R"(<FIELD attrname="S" fieldtype="string" WIDTH="x"/>)", ""),
         "Invalid XML data packet: WIDTH of field 'S' is 'x'"},
        {PacketOf(i4, R"(<ROW I="1"/><ROW I="1.5"/>)"),
         "Invalid XML data packet: '1.5' is not a valid value for field 'I' of type ftInteger (row 2)"},
        {PacketOf(R"(<FIELD attrname="U" fieldtype="ui1"/>)", R"(<ROW U="256"/>)"),
         "Invalid XML data packet: 256 is not a valid value for field 'U'. The allowed range is 0 to 255 "
         "(row 1)"},
        {PacketOf(R"(<FIELD attrname="D" fieldtype="date"/>)", R"(<ROW D="20230229"/>)"),
         "Invalid XML data packet: '20230229' is not a valid value for field 'D' of type ftDate (row 1)"},
        {PacketOf(R"(<FIELD attrname="B" fieldtype="bin.hex" SUBTYPE="Binary"/>)", R"(<ROW B="#"/>)"),
         "Invalid XML data packet: '#' is not a valid value for field 'B' of type ftBlob (row 1)"},
        {PacketOf(i4, R"(<ROW RowState="x"/>)"), "Invalid XML data packet: row 1 has RowState 'x'"},
        {PacketOf(i4, R"(<ROW/>)", R"(<PARAMS CHANGE_LOG="1 0"/>)"),
         "Invalid XML data packet: CHANGE_LOG does not hold triples of numbers"},
        {PacketOf(i4, R"(<ROW/>)", R"(<PARAMS CHANGE_LOG="2 0 4"/>)"),
         "Invalid XML data packet: CHANGE_LOG names row 2 of 1"},
        {PacketOf(i4, R"(<ROW/>)", R"(<PARAMS CHANGE_LOG="1 0 a"/>)"),
         "Invalid XML data packet: CHANGE_LOG holds '1 0 a'"},
        {PacketOf(R"(<FIELD attrname="N" fieldtype="nested"><FIELDS>)" + i4 + "</FIELDS></FIELD>",
                  R"(<ROW><N><ROWN I="x"/></N></ROW>)"),
         "Invalid XML data packet: 'x' is not a valid value for field 'I' of type ftInteger (row 1)"},
    };
    for (const TBadPacket& c : cases) {
        TDataSet dataSet;
        EXPECT_EQ(bramolt::test::ThrownMessage<EDataSetError>([&] { dataSet.LoadFromXML(Widen(c.FText)); }),
                  c.FMessage)
            << c.FText;
        EXPECT_FALSE(dataSet.Active());
    }
}

// Records written through the fields, saved and loaded again, read back the same, whatever
// the values: texts of any characters, numbers of any size, any moment.
TEST(Packet, RoundTripKeepsRandomRecords)
{
    std::mt19937_64 random(20261210);
    auto pick = [&](std::int64_t low, std::int64_t high) {
        return std::uniform_int_distribution<std::int64_t>(low, high)(random);
    };
    auto randomText = [&](std::size_t maxLength) {
        static constexpr char16_t kUnits[] = {u'a', u'&', u'<',   u'>',   u'"', u'\'', u'\t', u'\n', u'\r',
                                              u' ', 0xE9, 0x20AC, 0xFFFD, 0x7F, 0x85,  u';',  u'=',  u'Z'};
        std::u16string text;
        for (auto n = pick(0, static_cast<std::int64_t>(maxLength)); n > 0; --n) {
            if (pick(0, 9) == 0 && n > 1) {
                text += u"\U0001F600";
                --n;
            } else {
                text += kUnits[pick(0, std::size(kUnits) - 1)];
            }
        }
        return text;
    };
    auto randomValue = [&](const TField& field) -> TInputValue {
        if (pick(0, 7) == 0)
            return TNullValue{};
        switch (field.DataType()) {
        case TFieldType::ftBlob:
        case TFieldType::ftGraphic: {
            std::u16string bytes;
            for (auto n = pick(0, 20); n > 0; --n)
                bytes += static_cast<char16_t>(pick(0, 0x7F)); // written as UTF-8, read as bytes
            return bytes;
        }
        case TFieldType::ftShortint:
            return static_cast<std::int32_t>(pick(-128, 127));
        case TFieldType::ftSmallint:
            return static_cast<std::int32_t>(pick(-32768, 32767));
        case TFieldType::ftByte:
            return static_cast<std::int32_t>(pick(0, 255));
        case TFieldType::ftWord:
            return static_cast<std::int32_t>(pick(0, 65535));
        case TFieldType::ftLongWord:
            return pick(0, 4294967295);
        case TFieldType::ftInteger:
        case TFieldType::ftAutoInc:
            return static_cast<std::int32_t>(pick(INT32_MIN, INT32_MAX));
        case TFieldType::ftLargeint:
            return pick(INT64_MIN, INT64_MAX);
        case TFieldType::ftSingle:
            return static_cast<double>(
                static_cast<float>(std::ldexp(pick(-1'000'000, 1'000'000), pick(-120, 100))));
        case TFieldType::ftFloat:
        case TFieldType::ftCurrency:
        case TFieldType::ftExtended:
            return std::ldexp(static_cast<double>(pick(-(1LL << 52), 1LL << 52)),
                              static_cast<int>(pick(-1000, 960)));
        case TFieldType::ftBCD:
            return static_cast<double>(pick(-99999999, 99999999)) / 100;
        case TFieldType::ftFMTBcd:
            return std::u16string(
                Widen(std::to_string(pick(-999999, 999999)) + "." + std::to_string(pick(0, 9))));
        case TFieldType::ftBoolean:
            return pick(0, 1) == 1;
        case TFieldType::ftDate:
        case TFieldType::ftTime:
        case TFieldType::ftDateTime:
        case TFieldType::ftTimeStamp:
            return TDateTimeValue{static_cast<double>(pick(-693593, 2958465)) +
                                  pick(0, 86399999) / 86400000.0};
        case TFieldType::ftDataSet:
            return TUnassigned{};
        default:
            return randomText(field.DataType() == TFieldType::ftWideString ? 10
                              : field.Def().MaxTextLength() > 0            ? field.Def().MaxTextLength()
                                                                           : 40);
        }
    };

    TDataSet written;
    written.LoadFromXML(Widen(PacketOf(kEveryType, "")));
    for (int record = 0; record < 60; ++record) {
        written.Append();
        for (const auto& field : written.Fields()) {
            if (field->DataType() == TFieldType::ftDataSet) {
                TDataSet& details = field->NestedDataSet();
                for (auto n = pick(0, 3); n > 0; --n) {
                    details.Append();
                    details.FieldByName(u"X").SetValue(static_cast<std::int32_t>(pick(INT32_MIN, INT32_MAX)));
                    details.Post();
                }
            } else {
                field->SetValue(randomValue(*field));
            }
        }
        written.Post();
    }
    const std::u16string saved = written.SaveToXML();
    for (const char16_t unit : saved)
        ASSERT_LT(unit, 0x80) << "a saved packet is ASCII";
    TDataSet loaded;
    loaded.LoadFromXML(saved);
    ASSERT_EQ(loaded.RecordCount(), written.RecordCount());
    for (int record = 1; record <= written.RecordCount(); ++record) {
        written.MoveTo(record);
        loaded.MoveTo(record);
        for (std::size_t f = 0; f < written.Fields().size(); ++f) {
            TField& a = *written.Fields()[f];
            TField& b = *loaded.Fields()[f];
            if (a.DataType() == TFieldType::ftDataSet) {
                TDataSet& da = a.NestedDataSet();
                TDataSet& db = b.NestedDataSet();
                ASSERT_EQ(da.RecordCount(), db.RecordCount());
                for (int d = 1; d <= da.RecordCount(); ++d) {
                    da.MoveTo(d);
                    db.MoveTo(d);
                    EXPECT_EQ(da.FieldByName(u"X").Value(), db.FieldByName(u"X").Value());
                }
            } else {
                EXPECT_EQ(a.Value(), b.Value()) << "record " << record << " field " << Narrow(a.FieldName());
            }
        }
    }
    EXPECT_EQ(loaded.SaveToXML(), saved);
}

} // namespace
} // namespace bramolt::dataset
