// The engine's operations and the record of changes they leave in the packet.

#include "dataset/DataSet.h"
#include "dataset/DataSetError.h"

#include "ExpectThrow.h"
#include "PacketText.h"

#include <gtest/gtest.h>

#include <functional>

namespace bramolt::dataset {
namespace {

using test::Narrow;
using test::Orders;

std::string Rows(TDataSet& dataSet)
{
    const std::string packet = Narrow(dataSet.SaveToXML());
    const std::size_t params = packet.rfind("</FIELDS>", packet.find("</METADATA>")) + 9;
    return packet.substr(params, packet.find("</DATAPACKET>") - params);
}

struct TSequence {
    const char* FWhat;
    const char* FRows;   // loaded
    const char* FParams; // loaded
    std::function<void(TDataSet&)> FSteps;
    const char* FSaved; // PARAMS and ROWDATA afterwards
};

class ChangeLogTest : public testing::TestWithParam<TSequence> {};

TEST_P(ChangeLogTest, Records)
{
    const TSequence& s = GetParam();
    TDataSet dataSet;
    dataSet.LoadFromXML(Orders(s.FRows, s.FParams));
    s.FSteps(dataSet);
    EXPECT_EQ(Rows(dataSet), s.FSaved) << s.FWhat;
    // What was saved loads again and shows the same records.
    TDataSet again;
    again.LoadFromXML(dataSet.SaveToXML());
    EXPECT_EQ(again.RecordCount(), dataSet.RecordCount()) << s.FWhat;
    EXPECT_EQ(again.SaveToXML(), dataSet.SaveToXML()) << s.FWhat;
}

void SetName(TDataSet& d, const char16_t* name)
{
    d.Edit();
    d.FieldByName(u"NAME").SetAsString(name);
    d.Post();
}

void AppendId(TDataSet& d, std::int32_t id)
{
    d.Append();
    d.FieldByName(u"ID").SetAsInteger(id);
    d.Post();
}

const char* kThree = R"(<ROW ID="1"/><ROW ID="2"/><ROW ID="3"/>)";

INSTANTIATE_TEST_SUITE_P(
    Operations, ChangeLogTest,
    testing::Values(
        TSequence{
            "four inserts", "", "<PARAMS/>",
            [](TDataSet& d) {
                for (std::int32_t id = 1; id <= 4; ++id)
                    AppendId(d, id);
            },
            R"(<PARAMS CHANGE_LOG="1 0 4 2 0 4 3 0 4 4 0 4"/></METADATA><ROWDATA><ROW RowState="4" ID="1"/>)"
            R"(<ROW RowState="4" ID="2"/><ROW RowState="4" ID="3"/><ROW RowState="4" ID="4"/></ROWDATA>)"},
        TSequence{"an edit keeps the original and appends the version", kThree, "<PARAMS/>",
                  [](TDataSet& d) { SetName(d, u"a"); },
                  R"(<PARAMS CHANGE_LOG="4 1 8"/></METADATA><ROWDATA><ROW RowState="1" ID="1"/><ROW ID="2"/>)"
                  R"(<ROW ID="3"/><ROW RowState="8" ID="1" NAME="a"/></ROWDATA>)"},
        TSequence{"a second edit changes the version in place", kThree, "<PARAMS/>",
                  [](TDataSet& d) {
                      SetName(d, u"a");
                      SetName(d, u"b");
                      EXPECT_EQ(d.RecNo(), 1) << "the version stands in its original's place";
                  },
                  R"(<PARAMS CHANGE_LOG="4 1 8"/></METADATA><ROWDATA><ROW RowState="1" ID="1"/><ROW ID="2"/>)"
                  R"(<ROW ID="3"/><ROW RowState="8" ID="1" NAME="b"/></ROWDATA>)"},
        TSequence{"a deleted row stays in place", kThree, "<PARAMS/>",
                  [](TDataSet& d) {
                      d.MoveTo(2);
                      d.Delete();
                      EXPECT_EQ(d.RecordCount(), 2);
                      EXPECT_EQ(d.FieldByName(u"ID").Value(), TInputValue(std::int32_t{3}))
                          << "the next is current";
                  },
                  R"(<PARAMS CHANGE_LOG="2 0 2"/></METADATA><ROWDATA><ROW ID="1"/><ROW RowState="2" ID="2"/>)"
                  R"(<ROW ID="3"/></ROWDATA>)"},
        TSequence{
            "deleting a version deletes its original and drops the version", kThree, "<PARAMS/>",
            [](TDataSet& d) {
                AppendId(d, 4);
                d.MoveTo(1);
                SetName(d, u"a");
                d.Delete();
            },
            R"(<PARAMS CHANGE_LOG="4 0 4 1 0 2"/></METADATA><ROWDATA><ROW RowState="2" ID="1"/><ROW ID="2"/>)"
            R"(<ROW ID="3"/><ROW RowState="4" ID="4"/></ROWDATA>)"},
        TSequence{"deleting an insert renumbers the rows behind it", "", "<PARAMS/>",
                  [](TDataSet& d) {
                      for (std::int32_t id = 1; id <= 3; ++id)
                          AppendId(d, id);
                      d.MoveTo(1);
                      SetName(d, u"x");
                      d.Delete();
                  },
                  R"(<PARAMS CHANGE_LOG="1 0 4 2 0 4"/></METADATA><ROWDATA><ROW RowState="4" ID="2"/>)"
                  R"(<ROW RowState="4" ID="3"/></ROWDATA>)"},
        TSequence{"cancel leaves nothing", kThree, "<PARAMS/>",
                  [](TDataSet& d) {
                      d.Edit();
                      d.FieldByName(u"NAME").SetAsString(u"x");
                      d.Cancel();
                      d.Append();
                      d.Cancel();
                      d.Delete(); // deletes ID 1, the current record again
                  },
                  R"(<PARAMS CHANGE_LOG="1 0 2"/></METADATA><ROWDATA><ROW RowState="2" ID="1"/><ROW ID="2"/>)"
                  R"(<ROW ID="3"/></ROWDATA>)"},
        // Row numbers of later changes must still find rows that an edit replaced or dropped.
        TSequence{"a cancelled edit of an insert leaves it deletable in its place", "", "<PARAMS/>",
                  [](TDataSet& d) {
                      AppendId(d, 1);
                      AppendId(d, 2);
                      d.MoveTo(1);
                      d.Edit();
                      d.FieldByName(u"NAME").SetAsString(u"x");
                      d.Cancel();
                      d.Delete();
                  },
                  R"(<PARAMS CHANGE_LOG="1 0 4"/></METADATA><ROWDATA><ROW RowState="4" ID="2"/></ROWDATA>)"},
        TSequence{"a cancelled second edit leaves the version that deleting drops", kThree, "<PARAMS/>",
                  [](TDataSet& d) {
                      SetName(d, u"a");
                      d.Edit();
                      d.FieldByName(u"NAME").SetAsString(u"b");
                      d.Cancel();
                      d.Delete();
                  },
                  R"(<PARAMS CHANGE_LOG="1 0 2"/></METADATA><ROWDATA><ROW RowState="2" ID="1"/><ROW ID="2"/>)"
                  R"(<ROW ID="3"/></ROWDATA>)"},
        TSequence{"an edit that changes nothing leaves no version behind", kThree, "<PARAMS/>",
                  [](TDataSet& d) {
                      d.Edit();
                      d.FieldByName(u"ID").SetAsInteger(1);
                      d.Post();
                      AppendId(d, 4);
                  },
                  R"(<PARAMS CHANGE_LOG="4 0 4"/></METADATA><ROWDATA><ROW ID="1"/><ROW ID="2"/><ROW ID="3"/>)"
                  R"(<ROW RowState="4" ID="4"/></ROWDATA>)"},
        TSequence{"a changed detail row keeps its image right before its version; the master records 64",
                  kThree, "<PARAMS/>",
                  [](TDataSet& d) {
                      TDataSet& items = d.FieldByName(u"ITEMS").NestedDataSet();
                      items.Append();
                      items.FieldByName(u"N").SetAsInteger(1);
                      items.Post();
                      d.Post();
                      items.Edit();
                      items.FieldByName(u"N").SetAsInteger(2);
                      items.Post();
                      d.Post();
                  },
                  R"(<PARAMS CHANGE_LOG="1 0 64"/></METADATA><ROWDATA><ROW RowState="64" ID="1"><ITEMS>)"
                  R"(<ROWITEMS RowState="4" N="2"/></ITEMS></ROW><ROW ID="2"/><ROW ID="3"/></ROWDATA>)"},
        TSequence{
            "an unchanged detail row edited: image and version",
            R"(<ROW ID="1"><ITEMS><ROWITEMS N="1"/>)"
            R"(<ROWITEMS N="5"/></ITEMS></ROW>)",
            "<PARAMS/>",
            [](TDataSet& d) {
                TDataSet& items = d.FieldByName(u"ITEMS").NestedDataSet();
                items.MoveTo(2);
                items.Edit(); // the master enters edit state first; the second detail stays current
                items.FieldByName(u"N").SetAsInteger(6);
                items.Post();
                d.Post();
                EXPECT_EQ(items.RecordCount(), 2);
            },
            R"(<PARAMS CHANGE_LOG="1 0 64"/></METADATA><ROWDATA><ROW RowState="64" ID="1"><ITEMS>)"
            R"(<ROWITEMS N="1"/><ROWITEMS RowState="1" N="5"/><ROWITEMS RowState="8" N="6"/></ITEMS></ROW>)"
            R"(</ROWDATA>)"},
        TSequence{
            "a packet's own record of changes: a row modified twice shows its newest version",
            R"(<ROW RowState="1" ID="1"/><ROW ID="2"/><ROW RowState="8" ID="1" NAME="a"/>)"
            R"(<ROW RowState="8" ID="1" NAME="b"/><ROW RowState="2" ID="9"/>)",
            R"(<PARAMS CHANGE_LOG="3 1 8 4 3 8 5 0 2" X="kept"><PARAM Name="p"/></PARAMS>)",
            [](TDataSet& d) {
                EXPECT_EQ(d.RecordCount(), 2);
                EXPECT_EQ(d.FieldByName(u"NAME").AsString(), u"b");
                d.MoveTo(2);
                SetName(d, u"two");
            },
            R"(<PARAMS CHANGE_LOG="3 1 8 4 3 8 5 0 2 6 2 8" X="kept"><PARAM Name="p"/></PARAMS></METADATA>)"
            R"(<ROWDATA><ROW RowState="1" ID="1"/><ROW RowState="1" ID="2"/><ROW RowState="8" ID="1" )"
            R"(NAME="a"/><ROW RowState="8" ID="1" NAME="b"/><ROW RowState="2" ID="9"/>)"
            R"(<ROW RowState="8" ID="2" NAME="two"/></ROWDATA>)"}),
    [](const testing::TestParamInfo<TSequence>& info) { return test::NameOf(info.param.FWhat); });

template <typename F> std::string Refusal(F operation)
{
    return bramolt::test::ThrownMessage<EDataSetError>(operation).value_or("accepted");
}

TEST(DataSet, RefusesWhatItMust)
{
    TDataSet d;
    d.LoadFromXML(Orders(R"(<ROW ID="1" NAME="a"/>)"));
    EXPECT_EQ(Refusal([&] { d.FieldByName(u"NAME").SetAsString(u"x"); }),
              "Dataset not in edit or insert mode");
    EXPECT_EQ(Refusal([&] { d.Post(); }), "Dataset not in edit or insert mode");
    EXPECT_EQ(Refusal([&] { d.FieldByName(u"Nope"); }), "Field 'Nope' not found");
    d.Append();
    EXPECT_EQ(Refusal([&] { d.Post(); }), "Field 'ID' must have a value");
    EXPECT_EQ(Refusal([&] { d.FieldByName(u"name").SetAsString(u"123456789012345678901"); }),
              "Value of field 'NAME' is longer than 20 characters");
    d.Cancel();
    d.Delete();
    EXPECT_EQ(Refusal([&] { d.Delete(); }), "Cannot perform this operation on an empty dataset");
    d.Edit(); // on an empty dataset, inserts
    d.FieldByName(u"ID").SetAsInteger(5);
    d.Post();
    EXPECT_EQ(d.RecordCount(), 1);

    TDataSet closed;
    closed.LoadFromXML(u"");
    EXPECT_FALSE(closed.Active());
    EXPECT_EQ(Refusal([&] { closed.Append(); }), "Cannot perform this operation on a closed dataset");
    EXPECT_EQ(closed.SaveToXML(), u"");
}

TEST(DataSet, LocateComparesValuesOfTheFieldsType)
{
    TDataSet d;
    d.LoadFromXML(test::Widen(test::PacketOf(
        R"(<FIELD attrname="K" fieldtype="i4"/><FIELD attrname="S" fieldtype="string"/><FIELD attrname="R" )"
        R"(fieldtype="r8"/><FIELD attrname="D" fieldtype="dateTime"/>)",
        R"(<ROW K="1" S="a" R="1,5" D="19950202"/><ROW K="2" S="A"/><ROW K="3" S="b"/>)")));
    const struct {
        const char16_t* FFields;
        TInputValue FKey;
        int FRecNo; // 0: no match
    } cases[] = {
        {u"S", std::u16string(u"A"), 2},
        {u"s", std::u16string(u"B"), 0},
        {u"R", 1.5, 1},
        {u"K", std::int64_t{3}, 3},
        {u"K", std::u16string(u"2"), 2},
        {u"K", std::u16string(u"x"), 0},
        {u"D", TDateTimeValue{34732}, 1},
        {u"R", TNullValue{}, 2},
        {u"K; S", TInputValue::TArray{std::int32_t{3}, std::u16string(u"b")}, 3},
        {u"K;S", TInputValue::TArray{std::int32_t{3}, std::u16string(u"a")}, 0},
    };
    for (const auto& c : cases) {
        d.MoveTo(1);
        const bool found = d.Locate(c.FFields, c.FKey);
        EXPECT_EQ(found ? d.RecNo() : 0, c.FRecNo) << Narrow(c.FFields);
        if (!found) {
            EXPECT_EQ(d.RecNo(), 1) << "the current record stays";
        }
    }
    EXPECT_EQ(Refusal([&] { d.Locate(u"K;S", std::int32_t{1}); }),
              "Locate needs one value for each of its 2 fields");
}

} // namespace
} // namespace bramolt::dataset
