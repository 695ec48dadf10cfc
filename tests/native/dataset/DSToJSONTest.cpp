#include "dataset/DSToJSON.h"
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
                  const TVariant& key, std::string_view oper)
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
    const TVariant key =
        std::string_view(c.FOper) == "C" ? TVariant(std::int32_t{9}) : TVariant(std::int32_t{1});
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
    const TVariant key = TVariant::TArray{std::int32_t{1}, std::u16string(u"b")};
    const std::string body = Body(Apply(rows, R"({"price":7})", "ID;NAME", key, "M"));
    EXPECT_NE(body.find(R"(CHANGE_LOG="3 2 8")"), std::string::npos) << body;
    EXPECT_EQ(Apply(rows, R"({"price":7})", "ID;NAME",
                    TVariant::TArray{std::int32_t{1}, std::u16string(u"B")}, "M"),
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
    EXPECT_EQ(Apply(kTwoRows, "{}", "ID", TNull{}, "C"), "") << "required key left empty";
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

} // namespace
} // namespace bramolt::dataset
