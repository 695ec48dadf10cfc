#include "dataset/DSToJSON.h"
#include "dataset/DataSet.h"
#include "dataset/DataSetError.h"

#include "PacketText.h"

#include <gtest/gtest.h>

namespace bramolt::dataset {
namespace {

using test::Narrow;
using test::Orders;
using test::PacketOf;
using test::Widen;

const std::string kTwoRows = R"(<ROW ID="1" NAME="one" PRICE="1.5"/><ROW ID="2" NAME="two"/>)";

std::string Apply(std::string_view rows, std::string_view json, std::string_view keyField,
                  const TInputValue& key, std::string_view oper)
{
    return Narrow(DSToJSON(Orders(rows), Widen(json), Widen(keyField), key, Widen(oper)));
}

// The ROWDATA and PARAMS of a result: the parts that the operations change.
std::string Body(const std::string& packet)
{
    if (packet.empty())
        return "(empty)";
    const std::size_t params = packet.rfind("</FIELDS>", packet.find("</METADATA>")) + 9;
    const std::size_t end = packet.find("</DATAPACKET>");
    return packet.substr(params, end - params);
}

struct TWalkCase {
    const char* FWhat;
    const char* FJson;
    const char* FOper;
    const char* FExpected; // PARAMS and ROWDATA after "C" of key 9 (or the given code on row 1)
};

class WalkTest : public testing::TestWithParam<TWalkCase> {};

TEST_P(WalkTest, WritesTheRecord)
{
    const TWalkCase& c = GetParam();
    const TInputValue key =
        std::string_view(c.FOper) == "C" ? TInputValue(std::int32_t{9}) : TInputValue(std::int32_t{1});
    EXPECT_EQ(Body(Apply(kTwoRows, c.FJson, "ID", key, c.FOper)), c.FExpected) << c.FWhat;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WalkTest,
    testing::Values(
        TWalkCase{"properties written, key first", R"({"name":"nine","price":2})", "C",
                  R"(<PARAMS CHANGE_LOG="3 0 4"/></METADATA><ROWDATA><ROW ID="1" NAME="one" PRICE="1.5"/>)"
                  R"(<ROW ID="2" NAME="two"/><ROW RowState="4" ID="9" NAME="nine" PRICE="2"/></ROWDATA>)"},
        TWalkCase{"empty JSON: only the key", "", "C",
                  R"(<PARAMS CHANGE_LOG="3 0 4"/></METADATA><ROWDATA><ROW ID="1" NAME="one" PRICE="1.5"/>)"
                  R"(<ROW ID="2" NAME="two"/><ROW RowState="4" ID="9"/></ROWDATA>)"},
        TWalkCase{"unknown property fails the call", R"({"name":"n","nope":1,"price":3})", "C", "(empty)"},
        TWalkCase{"JSON key replaces the key value; last repeated value wins",
                  R"({"id":7,"NAME":"a","Name":"b"})", "C",
                  R"(<PARAMS CHANGE_LOG="3 0 4"/></METADATA><ROWDATA><ROW ID="1" NAME="one" PRICE="1.5"/>)"
                  R"(<ROW ID="2" NAME="two"/><ROW RowState="4" ID="7" NAME="b"/></ROWDATA>)"},
        TWalkCase{"digits for an integer field fail the call", R"({"name":"x","id":"5"})", "C", "(empty)"},
        TWalkCase{"3.0 for an integer field fails the call", R"({"id":3.0,"name":"x"})", "C", "(empty)"},
        TWalkCase{"a number for a text field fails the call", R"({"price":1,"name":5})", "C", "(empty)"},
        TWalkCase{"true for a float field fails the call", R"({"price":true})", "C", "(empty)"},
        TWalkCase{"2147483648 wraps to the low 32 bits", R"({"id":2147483648})", "C",
                  R"(<PARAMS CHANGE_LOG="3 0 4"/></METADATA><ROWDATA><ROW ID="1" NAME="one" PRICE="1.5"/>)"
                  R"(<ROW ID="2" NAME="two"/><ROW RowState="4" ID="-2147483648"/></ROWDATA>)"},
        TWalkCase{"null leaves the fields null", R"({"name":null,"price":null})", "C",
                  R"(<PARAMS CHANGE_LOG="3 0 4"/></METADATA><ROWDATA><ROW ID="1" NAME="one" PRICE="1.5"/>)"
                  R"(<ROW ID="2" NAME="two"/><ROW RowState="4" ID="9"/></ROWDATA>)"},
        TWalkCase{"properties of nested objects and top-level arrays reach the record",
                  R"([{"name":"a"},{"price":{"price":4}}])", "C",
                  R"(<PARAMS CHANGE_LOG="3 0 4"/></METADATA><ROWDATA><ROW ID="1" NAME="one" PRICE="1.5"/>)"
                  R"(<ROW ID="2" NAME="two"/><ROW RowState="4" ID="9" NAME="a" PRICE="4"/></ROWDATA>)"},
        TWalkCase{"malformed JSON keeps the properties before it", R"({"name":"a", price:2, ])", "C",
                  R"(<PARAMS CHANGE_LOG="3 0 4"/></METADATA><ROWDATA><ROW ID="1" NAME="one" PRICE="1.5"/>)"
                  R"(<ROW ID="2" NAME="two"/><ROW RowState="4" ID="9" NAME="a" PRICE="2"/></ROWDATA>)"},
        TWalkCase{
            "detail array of two objects, in order", R"({"items":[{"n":1,"txt":"a"},{"n":2}],"name":"z"})",
            "C",
            R"(<PARAMS CHANGE_LOG="3 0 4"/></METADATA><ROWDATA><ROW ID="1" NAME="one" PRICE="1.5"/>)"
            R"(<ROW ID="2" NAME="two"/><ROW RowState="4" ID="9" NAME="z"><ITEMS>)"
            R"(<ROWITEMS RowState="4" N="1" TXT="a"/><ROWITEMS RowState="4" N="2"/></ITEMS></ROW></ROWDATA>)"},
        TWalkCase{"JSON breaking off inside a detail array keeps the completed details",
                  R"({"items":[{"n":1},{"n":2)", "C",
                  R"(<PARAMS CHANGE_LOG="3 0 4"/></METADATA><ROWDATA><ROW ID="1" NAME="one" PRICE="1.5"/>)"
                  R"(<ROW ID="2" NAME="two"/><ROW RowState="4" ID="9"><ITEMS>)"
                  R"(<ROWITEMS RowState="4" N="1"/></ITEMS></ROW></ROWDATA>)"},
        TWalkCase{"an object inside a detail record posts it early, so what follows fails the call",
                  R"({"items":[{"n":1,"txt":{"n":7}}],"name":"after"})", "C", "(empty)"},
        TWalkCase{"an array property for a field that holds no dataset fails the call",
                  R"({"name":[1],"price":1})", "C", "(empty)"},
        TWalkCase{"M writes a new version of the record found", R"({"name":"uno"})", "M",
                  R"(<PARAMS CHANGE_LOG="3 1 8"/></METADATA><ROWDATA><ROW RowState="1" ID="1" NAME="one" )"
                  R"(PRICE="1.5"/><ROW ID="2" NAME="two"/><ROW RowState="8" ID="1" NAME="uno" PRICE="1.5"/>)"
                  R"(</ROWDATA>)"},
        TWalkCase{
            "M that changes nothing records nothing", R"({"name":"one"})", "M",
            R"(<PARAMS/></METADATA><ROWDATA><ROW ID="1" NAME="one" PRICE="1.5"/><ROW ID="2" NAME="two"/>)"
            R"(</ROWDATA>)"},
        TWalkCase{"M with details only records the detail change on the master", R"({"items":[{"n":3}]})",
                  "M",
                  R"(<PARAMS CHANGE_LOG="1 0 64"/></METADATA><ROWDATA><ROW RowState="64" ID="1" NAME="one" )"
                  R"(PRICE="1.5"><ITEMS><ROWITEMS RowState="4" N="3"/></ITEMS></ROW><ROW ID="2" NAME="two"/>)"
                  R"(</ROWDATA>)"},
        TWalkCase{"no code: the first write fails, so does the post", R"({"name":"x"})", "X", "(empty)"},
        TWalkCase{"lower-case code is no code", R"({"name":"x"})", "c", "(empty)"},
        TWalkCase{"code with a blank is no code", R"({"name":"x"})", "C ", "(empty)"},
        TWalkCase{"no code, detail array first: the first record takes details and later properties",
                  R"({"items":[{"n":1}],"name":"first"})", "",
                  R"(<PARAMS CHANGE_LOG="3 1 8"/></METADATA><ROWDATA><ROW RowState="1" ID="1" NAME="one" )"
                  R"(PRICE="1.5"/><ROW ID="2" NAME="two"/><ROW RowState="8" ID="1" NAME="first" PRICE="1.5">)"
                  R"(<ITEMS><ROWITEMS RowState="4" N="1"/></ITEMS></ROW></ROWDATA>)"}),
    [](const testing::TestParamInfo<TWalkCase>& info) { return test::NameOf(info.param.FWhat); });

TEST(DSToJSON, MEditsOnlyTheRecordFoundAndNothingWithoutAMatch)
{
    EXPECT_EQ(Apply(kTwoRows, R"({"name":"x"})", "ID", std::int32_t{3}, "M"), "");
    EXPECT_EQ(Apply("", R"({"name":"x"})", "ID", std::int32_t{1}, "M"), "");
    const std::string second = Body(Apply(kTwoRows, R"({"name":"dos"})", "ID", std::int32_t{2}, "M"));
    EXPECT_NE(second.find(R"(CHANGE_LOG="3 2 8")"), std::string::npos) << second;
    EXPECT_NE(second.find(R"(<ROW RowState="8" ID="2" NAME="dos"/>)"), std::string::npos) << second;
}

TEST(DSToJSON, MLocatesByTwoFields)
{
    const std::string rows = R"(<ROW ID="1" NAME="a"/><ROW ID="1" NAME="b"/>)";
    const TInputValue key = TInputValue::TArray{std::int32_t{1}, std::u16string(u"b")};
    const std::string body = Body(Apply(rows, R"({"price":7})", "ID;NAME", key, "M"));
    EXPECT_NE(body.find(R"(CHANGE_LOG="3 2 8")"), std::string::npos) << body;
    EXPECT_EQ(Apply(rows, R"({"price":7})", "ID;NAME",
                    TInputValue::TArray{std::int32_t{1}, std::u16string(u"B")}, "M"),
              "")
        << "the match is case-sensitive";
}

TEST(DSToJSON, DDeletesTheRecordFoundWithoutReadingTheJSON)
{
    const std::string body = Body(Apply(kTwoRows, "{not json", "ID", std::int32_t{2}, "D"));
    EXPECT_EQ(body, R"(<PARAMS CHANGE_LOG="2 0 2"/></METADATA><ROWDATA><ROW ID="1" NAME="one" PRICE="1.5"/>)"
                    R"(<ROW RowState="2" ID="2" NAME="two"/></ROWDATA>)");
    EXPECT_EQ(Apply(kTwoRows, "", "ID", std::int32_t{5}, "D"), "");
    // Deleting an inserted record leaves no trace of it.
    const std::string inserted = R"(<ROW ID="1"/><ROW RowState="4" ID="2"/>)";
    EXPECT_EQ(Body(Narrow(DSToJSON(Orders(inserted, R"(<PARAMS CHANGE_LOG="2 0 4"/>)"), u"", u"ID",
                                   std::int32_t{2}, u"D"))),
              R"(<PARAMS/></METADATA><ROWDATA><ROW ID="1"/></ROWDATA>)");
}

TEST(DSToJSON, QuietFailuresGiveTheEmptyText)
{
    EXPECT_EQ(Apply(kTwoRows, "{}", "NOPE", std::int32_t{1}, "C"), "") << "key field unknown";
    EXPECT_EQ(Apply(kTwoRows, "{}", "ID", TNullValue{}, "C"), "") << "required key left empty";
    EXPECT_EQ(DSToJSON(u"", u"{}", u"ID", std::int32_t{1}, u"C"), u"") << "no packet";
}

TEST(DSToJSON, LoadErrorsAreRaised)
{
    EXPECT_THROW(DSToJSON(u"<DATAPACKET", u"{}", u"ID", std::int32_t{1}, u"C"), EDataSetError);
}

TEST(DSToJSON, ReturnedPacketLoadsAgain)
{
    const std::u16string first = DSToJSON(
        Orders(kTwoRows), u"{\"name\":\"caf\\u00e9\",\"items\":[{\"n\":1}]}", u"ID", std::int32_t{3}, u"C");
    ASSERT_FALSE(first.empty());
    EXPECT_NE(Narrow(first).find("NAME=\"caf&#233;\""), std::string::npos) << Narrow(first);
    const std::u16string second = DSToJSON(first, u"{\"price\":2.25}", u"ID", std::int32_t{3}, u"M");
    EXPECT_NE(Narrow(second).find(R"(<ROW RowState="4" ID="3" NAME="caf&#233;" PRICE="2.25"><ITEMS>)"),
              std::string::npos)
        << "an inserted record is changed in place: " << Narrow(second);
    EXPECT_NE(Narrow(second).find(R"(CHANGE_LOG="3 0 4")"), std::string::npos);
}

// ---------------------------------------------------------------- a property that cannot be written

// ID i4 required, NAME string 5, QTY i2, DAY date, ITEMS nested (N i2).
constexpr std::string_view kStrictFields =
    R"(<FIELD attrname="ID" fieldtype="i4" required="true"/><FIELD attrname="NAME" fieldtype="string" WIDTH="5"/>)"
    R"(<FIELD attrname="QTY" fieldtype="i2"/><FIELD attrname="DAY" fieldtype="date"/>)"
    R"(<FIELD attrname="ITEMS" fieldtype="nested"><FIELDS><FIELD attrname="N" fieldtype="i2"/></FIELDS>)"
    R"(<PARAMS/></FIELD>)";

struct TFailingProperty {
    const char* FWhy;
    const char* FProperty;
};

// Properties that can be written, around which the failing one is put.
constexpr const char* kGoodProperties[] = {R"("name":"ab")", R"("qty":3)", R"("day":"2024-05-01")"};

std::string JsonWith(const char* bad, std::size_t at)
{
    std::string json = "{";
    for (std::size_t i = 0, good = 0; i <= std::size(kGoodProperties); ++i) {
        json += i == 0 ? "" : ",";
        json += i == at ? bad : kGoodProperties[good++];
    }
    return json + "}";
}

class FailingPropertyTest : public testing::TestWithParam<TFailingProperty> {};

TEST_P(FailingPropertyTest, NothingIsPostedAndTheAnswerIsEmpty)
{
    const TFailingProperty& c = GetParam();
    const std::u16string packet = Widen(PacketOf(kStrictFields, R"(<ROW ID="1" NAME="one" QTY="1"/>)"));
    // Without the failing property every record is written: the failure alone empties the answer.
    for (const char* oper : {"C", "M"}) {
        const std::string good = R"({"name":"ab","qty":3,"day":"2024-05-01"})";
        EXPECT_NE(Narrow(DSToJSON(packet, Widen(good), u"ID", std::int32_t{1}, Widen(oper))), "") << oper;
    }
    for (const std::size_t at : {std::size_t{0}, std::size_t{1}, std::size_t{3}}) {
        for (const char* oper : {"C", "M"}) {
            const std::string json = JsonWith(c.FProperty, at);
            EXPECT_EQ(Narrow(DSToJSON(packet, Widen(json), u"ID", std::int32_t{1}, Widen(oper))), "")
                << c.FWhy << ": " << oper << " " << json;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Properties, FailingPropertyTest,
    testing::Values(TFailingProperty{"no such field", R"("nope":1)"},
                    TFailingProperty{"text for an integer field", R"("qty":"5")"},
                    TFailingProperty{"a fraction for an integer field", R"("qty":1.5)"},
                    TFailingProperty{"out of the field s range", R"("qty":40000)"},
                    TFailingProperty{"wider than the field", R"("name":"toolong")"},
                    TFailingProperty{"a date that does not exist", R"("day":"2024-02-30")"},
                    TFailingProperty{"a date text that is none", R"("day":"soon")"},
                    TFailingProperty{"an array for a field that holds no dataset", R"("name":["a"])"},
                    TFailingProperty{"null for a required field", R"("id":null)"},
                    TFailingProperty{"a detail property with no field", R"("items":[{"n":1},{"nope":1}])"},
                    TFailingProperty{"a detail value out of range", R"("items":[{"n":70000}])"}),
    [](const testing::TestParamInfo<TFailingProperty>& info) { return test::NameOf(info.param.FWhy); });

// ---------------------------------------------------------------- null

struct TNullCase {
    const char* FField; // fieldtype and attributes
    const char* FValue; // a value the field holds in the packet
};

class NullTest : public testing::TestWithParam<TNullCase> {};

TEST_P(NullTest, ClearsTheFieldInNewChangedAndDetailRecords)
{
    const TNullCase& c = GetParam();
    const std::string field = std::string(R"(<FIELD attrname="F" )") + c.FField + "/>";
    const std::string fields = R"(<FIELD attrname="K" fieldtype="i4"/>)" + field +
                               R"(<FIELD attrname="DT" fieldtype="nested"><FIELDS>)" + field +
                               R"(</FIELDS><PARAMS/></FIELD>)";
    const std::u16string packet =
        Widen(PacketOf(fields, std::string(R"(<ROW K="1" F=")") + c.FValue + R"("/>)"));
    const struct {
        const char* FWhat;
        const char16_t* FOper;
        const char16_t* FJson;
        std::int32_t FKey;
    } records[] = {
        {"new record", u"C", u"{\"f\":null}", 2},
        {"changed record", u"M", u"{\"f\":null}", 1},
        {"detail record", u"M", u"{\"dt\":[{\"f\":null}]}", 1},
    };
    for (const auto& record : records) {
        const std::u16string result = DSToJSON(packet, record.FJson, u"K", record.FKey, record.FOper);
        ASSERT_NE(result, u"") << c.FField << ", " << record.FWhat;
        TDataSet dataSet;
        dataSet.LoadFromXML(result);
        ASSERT_TRUE(dataSet.Locate(u"K", record.FKey)) << record.FWhat;
        const bool detail = record.FJson[2] == u'd';
        TDataSet& owner = detail ? dataSet.FieldByName(u"DT").NestedDataSet() : dataSet;
        ASSERT_EQ(owner.RecordCount(), record.FOper[0] == u'C' ? 2 : 1) << c.FField << ", " << record.FWhat;
        EXPECT_TRUE(owner.FieldByName(u"F").IsNull())
            << c.FField << ", " << record.FWhat << ": " << Narrow(result);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, NullTest,
    testing::Values(TNullCase{R"(fieldtype="string" WIDTH="5")", "abc"},
                    TNullCase{R"(fieldtype="string" SUBTYPE="FixedChar" WIDTH="5")", "abc"},
                    TNullCase{R"(fieldtype="string" SUBTYPE="Guid" WIDTH="38")", "{0}"},
                    TNullCase{R"(fieldtype="string.uni" WIDTH="10")", "abc"},
                    TNullCase{R"(fieldtype="bin.hex" SUBTYPE="Text")", "abc"},
                    TNullCase{R"(fieldtype="bin.hex" SUBTYPE="WideText")", "abc"},
                    TNullCase{R"(fieldtype="bin.hex" SUBTYPE="Binary")", "aGkh"},
                    TNullCase{R"(fieldtype="i1")", "5"}, TNullCase{R"(fieldtype="i2")", "5"},
                    TNullCase{R"(fieldtype="i4")", "5"},
                    TNullCase{R"(fieldtype="i4" SUBTYPE="Autoinc")", "5"},
                    TNullCase{R"(fieldtype="i8")", "5"}, TNullCase{R"(fieldtype="ui1")", "5"},
                    TNullCase{R"(fieldtype="ui2")", "5"}, TNullCase{R"(fieldtype="ui4")", "5"},
                    TNullCase{R"(fieldtype="r4")", "1.5"}, TNullCase{R"(fieldtype="r8")", "1.5"},
                    TNullCase{R"(fieldtype="r8" SUBTYPE="Money")", "1.5"},
                    TNullCase{R"(fieldtype="r10")", "1.5"},
                    TNullCase{R"(fieldtype="fixed" WIDTH="6" DECIMALS="2")", "1.50"},
                    TNullCase{R"(fieldtype="fixedFMT" WIDTH="6" DECIMALS="2")", "1.50"},
                    TNullCase{R"(fieldtype="boolean")", "TRUE"}, TNullCase{R"(fieldtype="date")", "20240501"},
                    TNullCase{R"(fieldtype="time")", "10:30:00000"},
                    TNullCase{R"(fieldtype="dateTime")", "20240501T10:30:00000"},
                    TNullCase{R"(fieldtype="SQLdateTime")", "20240501T10:30:00000"}),
    [](const testing::TestParamInfo<TNullCase>& info) { return test::NameOf(info.param.FField); });

} // namespace
} // namespace bramolt::dataset
