// Packets and records a careless or hostile caller sends: nesting at and beyond the depth
// limit, and the shapes of change log and row that once took quadratic time.

#include "dataset/DSToJSON.h"
#include "dataset/DataSet.h"
#include "dataset/DataSetError.h"
#include "dataset/PacketDocument.h"

#include "PacketText.h"

#include <gtest/gtest.h>

namespace bramolt::dataset {
namespace {

using test::Narrow;
using test::PacketOf;
using test::Widen;

std::string Repeat(std::string_view part, int times)
{
    std::string text;
    text.reserve(part.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i)
        text += part;
    return text;
}

// Datasets nested `levels` deep (the top level is 1): each level has the field ID and,
// but the last, the nested field D.
std::string NestedFields(int levels)
{
    return Repeat(R"(<FIELD attrname="ID" fieldtype="i4"/><FIELD attrname="D" fieldtype="nested"><FIELDS>)",
                  levels - 1) +
           R"(<FIELD attrname="ID" fieldtype="i4"/>)" + Repeat("</FIELDS><PARAMS/></FIELD>", levels - 1);
}

// One record with ID 1 at each of `levels` levels.
std::string NestedRows(int levels)
{
    return R"(<ROW ID="1"><D>)" + Repeat(R"(<ROWD ID="1"><D>)", levels - 2) + R"(<ROWD ID="1"/>)" +
           Repeat("</D></ROWD>", levels - 2) + "</D></ROW>";
}

// A row holding an element the engine does not know, nested `levels` deep inside it.
std::string UnknownInRow(int levels)
{
    return R"(<ROW ID="1">)" + Repeat("<X>", levels) + Repeat("</X>", levels) + "</ROW>";
}

constexpr std::string_view kIdField = R"(<FIELD attrname="ID" fieldtype="i4"/>)";

// The ROW element sits 3 levels deep, so an element inside it may nest this much.
constexpr int kUnknownLevelsAllowed = kMaxElementDepth - 3;

struct TDepthCase {
    const char* FWhat;
    std::string FPacket;
    bool FLoads;
};

class DepthTest : public testing::TestWithParam<TDepthCase> {};

TEST_P(DepthTest, LoadsOrIsRefusedAndEveryOperationSurvives)
{
    const TDepthCase& c = GetParam();
    const std::u16string packet = Widen(c.FPacket);
    if (!c.FLoads) {
        try {
            TDataSet dataSet;
            dataSet.LoadFromXML(packet);
            FAIL() << c.FWhat << ": loaded";
        } catch (const EDataSetError& error) {
            const std::string message = error.what();
            EXPECT_EQ(message.rfind("Invalid XML data packet: ", 0), 0u) << message;
            EXPECT_NE(message.find(std::to_string(kMaxElementDepth) + " levels"), std::string::npos)
                << message;
        }
        for (const char16_t* oper : {u"C", u"M", u"D"})
            EXPECT_THROW(DSToJSON(packet, u"{\"id\":2}", u"ID", std::int32_t{1}, oper), EDataSetError)
                << c.FWhat;
        return;
    }
    // Create, change, change nothing (the new version is removed again) and delete.
    const struct {
        const char16_t* FOper;
        const char16_t* FJson;
        std::int32_t FKey;
        const char* FChangeLog;
    } operations[] = {
        {u"C", u"{}", 2, R"(CHANGE_LOG="2 0 4")"},
        {u"M", u"{\"id\":3}", 1, R"(CHANGE_LOG="2 1 8")"},
        {u"M", u"{\"id\":1}", 1, "<PARAMS/>"},
        {u"D", u"", 1, R"(CHANGE_LOG="1 0 2")"},
    };
    for (const auto& operation : operations) {
        const std::u16string result =
            DSToJSON(packet, operation.FJson, u"ID", operation.FKey, operation.FOper);
        EXPECT_NE(Narrow(result).find(operation.FChangeLog), std::string::npos)
            << c.FWhat << ", " << Narrow(operation.FOper) << ": " << Narrow(result).substr(0, 400);
        TDataSet again;
        again.LoadFromXML(result);
        EXPECT_EQ(again.SaveToXML(), result) << c.FWhat;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Nesting, DepthTest,
    testing::Values(
        TDepthCase{"fields and rows at the deepest level allowed",
                   PacketOf(NestedFields(kMaxDataSetLevels), NestedRows(kMaxDataSetLevels)), true},
        TDepthCase{"fields one level deeper than allowed", PacketOf(NestedFields(kMaxDataSetLevels + 1), ""),
                   false},
        TDepthCase{"rows one level deeper than their fields, past the limit",
                   PacketOf(NestedFields(kMaxDataSetLevels), NestedRows(kMaxDataSetLevels + 2)), false},
        TDepthCase{"an unknown element in a row at the limit",
                   PacketOf(kIdField, UnknownInRow(kUnknownLevelsAllowed)), true},
        TDepthCase{"an unknown element in a row one level past the limit",
                   PacketOf(kIdField, UnknownInRow(kUnknownLevelsAllowed + 1)), false},
        TDepthCase{"fields nested 100,000 levels", PacketOf(NestedFields(100'000), ""), false},
        TDepthCase{"rows nested 100,000 levels", PacketOf(NestedFields(3), NestedRows(100'000)), false},
        TDepthCase{"an unknown element in a row nested 100,000 levels",
                   PacketOf(kIdField, UnknownInRow(100'000)), false},
        TDepthCase{"an unknown element in PARAMS nested 100,000 levels",
                   PacketOf(kIdField, "",
                            "<PARAMS>" + Repeat("<X>", 100'000) + Repeat("</X>", 100'000) + "</PARAMS>"),
                   false}),
    [](const testing::TestParamInfo<TDepthCase>& info) { return test::NameOf(info.param.FWhat); });

TEST(HostileJSON, ArraysNested100000LevelsAreWalkedWithoutRecursion)
{
    const std::u16string json = Widen(Repeat("[", 100'000) + R"({"id":7})" + Repeat("]", 100'000));
    const std::string result =
        Narrow(DSToJSON(Widen(PacketOf(kIdField, "")), json, u"ID", std::int32_t{1}, u"C"));
    EXPECT_NE(result.find(R"(<ROW RowState="4" ID="7"/>)"), std::string::npos) << result;
}

// ---------------------------------------------------------------- change logs of crafted packets

struct TChainCase {
    const char* FWhat;
    const char* FRows;
    const char* FChangeLog;
    const char* FRecords; // the IDs of the records, in order
};

class VersionChainTest : public testing::TestWithParam<TChainCase> {};

TEST_P(VersionChainTest, ShowsTheNewestVersionOfEveryRow)
{
    const TChainCase& c = GetParam();
    TDataSet dataSet;
    dataSet.LoadFromXML(
        Widen(PacketOf(kIdField, c.FRows, std::string("<PARAMS CHANGE_LOG=\"") + c.FChangeLog + "\"/>")));
    std::string ids;
    for (int record = 1; record <= dataSet.RecordCount(); ++record) {
        dataSet.MoveTo(record);
        ids += (ids.empty() ? "" : " ") + Narrow(dataSet.FieldByName(u"ID").AsString());
    }
    EXPECT_EQ(ids, c.FRecords) << c.FWhat;
}

INSTANTIATE_TEST_SUITE_P(
    ChangeLogs, VersionChainTest,
    testing::Values(
        TChainCase{
            "a chain of versions shows its last one in its first row's place",
            R"(<ROW RowState="1" ID="1"/><ROW ID="5"/><ROW RowState="9" ID="2"/><ROW RowState="8" ID="3"/>)",
            "3 1 8 4 3 8", "3 5"},
        TChainCase{"rows leading into one chain all show its last version",
                   R"(<ROW RowState="1" ID="1"/><ROW RowState="1" ID="2"/><ROW RowState="9" ID="3"/>)"
                   R"(<ROW RowState="8" ID="4"/>)",
                   "3 1 8 3 2 8 4 3 8", "4 4"},
        TChainCase{"a chain in a circle ends before it closes", R"(<ROW ID="1"/><ROW ID="2"/><ROW ID="3"/>)",
                   "1 2 8 2 1 8 1 3 8", "2"},
        TChainCase{"a row that is its own version is no record", R"(<ROW ID="1"/><ROW ID="2"/>)", "1 1 8",
                   "2"}),
    [](const testing::TestParamInfo<TChainCase>& info) { return test::NameOf(info.param.FWhat); });

TEST(HostileRows, AnMThatChangesNothingRecordsNothingWhateverTheAttributeOrder)
{
    const std::string fields = R"(<FIELD attrname="A" fieldtype="i4"/><FIELD attrname="B" fieldtype="i4"/>)"
                               R"(<FIELD attrname="C" fieldtype="string" WIDTH="5"/>)";
    const std::u16string packet = Widen(PacketOf(fields, R"(<ROW C="x" B="2" A="1" Z="kept"/>)"));
    // Cleared and written again, B comes back in field order, before C.
    const std::string same =
        Narrow(DSToJSON(packet, u"{\"b\":null,\"b\":2,\"c\":\"x\"}", u"A", std::int32_t{1}, u"M"));
    EXPECT_NE(same.find(R"(<PARAMS/>)"), std::string::npos) << same;
    EXPECT_NE(same.find(R"(<ROW C="x" B="2" A="1" Z="kept"/></ROWDATA>)"), std::string::npos) << same;
    const std::string changed = Narrow(DSToJSON(packet, u"{\"b\":3}", u"A", std::int32_t{1}, u"M"));
    EXPECT_NE(changed.find(R"(CHANGE_LOG="2 1 8")"), std::string::npos) << changed;
}

TEST(HostileRows, AFieldNamedTwiceInARowReadsTheFirstUntilItIsCleared)
{
    const std::string fields =
        R"(<FIELD attrname="ID" fieldtype="i4"/><FIELD attrname="N" fieldtype="string" WIDTH="5"/>)";
    TDataSet dataSet;
    dataSet.LoadFromXML(Widen(PacketOf(fields, R"(<ROW ID="1" N="a" N="b"/>)")));
    dataSet.Edit();
    TField& field = dataSet.FieldByName(u"N");
    EXPECT_EQ(Narrow(field.AsString()), "a");
    field.Clear();
    EXPECT_EQ(Narrow(field.AsString()), "b");
    field.Clear();
    EXPECT_TRUE(field.IsNull());
    field.SetAsString(u"c");
    dataSet.Post();
    EXPECT_NE(Narrow(dataSet.SaveToXML()).find(R"(<ROW RowState="8" ID="1" N="c"/>)"), std::string::npos)
        << Narrow(dataSet.SaveToXML());
}

} // namespace
} // namespace bramolt::dataset
