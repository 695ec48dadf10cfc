// The conversions of a JSON token's value, the choice of write by field type, and the
// conversions each kind of field makes of what is written to it.

#include "dataset/DSToJSON.h"
#include "dataset/DataSetError.h"
#include "dataset/DateTime.h"
#include "dataset/FieldValue.h"
#include "dataset/JsonValueWrite.h"

#include "PacketText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <iomanip>
#include <optional>
#include <sstream>

namespace bramolt::dataset {
namespace {

template <typename F> std::string Outcome(F convert)
{
    try {
        std::ostringstream out;
        out << std::setprecision(17) << convert();
        return out.str();
    } catch (const EDataSetError&) {
        return "fails";
    }
}

struct TCell {
    const char* FValue;
    TJsonTokenValue FJson;
    const char* FText;
    const char* FInteger;
    const char* FBoolean;
    const char* FExtended;
    const char* FVariant;
};

std::string VariantKind(const TInputValue& v)
{
    static constexpr const char* kNames[] = {"unassigned", "null", "text", "int32", "int64",
                                             "double",     "bool", "date", "array"};
    return kNames[v.Storage().index()];
}

TEST(ValueConversion, EveryCellOfTheTable)
{
    const TCell cells[] = {
        {"text", std::u16string(u"12"), "12", "fails", "fails", "fails", "text"},
        {"int32", std::int32_t{-7}, "fails", "-7", "fails", "-7", "int32"},
        {"int64", std::int64_t{0x1'0000'0005}, "fails", "5", "fails", "4294967301", "int64"},
        {"int64 with bit 31", std::int64_t{2147483648}, "fails", "-2147483648", "fails", "2147483648",
         "int64"},
        {"double", 3.0, "fails", "fails", "fails", "3", "double"},
        {"boolean", true, "fails", "fails", "1", "fails", "bool"},
        {"empty", std::monostate{}, "", "0", "0", "0", "unassigned"},
    };
    for (const TCell& c : cells) {
        SCOPED_TRACE(c.FValue);
        EXPECT_EQ(Outcome([&] { return test::Narrow(JsonValueAsText(c.FJson)); }), c.FText);
        EXPECT_EQ(Outcome([&] { return JsonValueAsInteger(c.FJson); }), c.FInteger);
        EXPECT_EQ(Outcome([&] { return JsonValueAsBoolean(c.FJson); }), c.FBoolean);
        EXPECT_EQ(Outcome([&] { return static_cast<double>(JsonValueAsExtended(c.FJson)); }), c.FExtended);
        EXPECT_EQ(VariantKind(JsonValueAsVariant(c.FJson)), c.FVariant);
    }
}

TEST(ValueConversion, DateTimeOfVariant)
{
    const struct {
        TInputValue FValue;
        const char* FDays;
    } cases[] = {
        {TUnassigned{}, "0"},
        {std::int32_t{2}, "2"},
        {1.25, "1.25"},
        {true, "-1"},
        {false, "0"},
        {std::u16string(u"1899-12-31 06:00"), "1.25"},
        {std::u16string(u"2.5"), "2.5"},
        {std::u16string(u"yesterday"), "fails"},
        {TInputValue::TArray{}, "fails"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Outcome([&] { return DateTimeOfVariant(c.FValue, ReadDateTextPortably); }), c.FDays);
}

// What a JSON value becomes in a field of each type: the attribute written, or "fails" when
// the walk stops there. Types outside the text, integer, boolean, float and date-time groups
// take the variant write, so the field converts: a numeric text reaches an i8 field, 3.0
// reaches ui1, and a boolean reaches string FixedChar.
struct TWriteCase {
    const char* FField; // fieldtype and attributes
    const char* FJson;
    const char* FWritten;
};

class FieldWriteTest : public testing::TestWithParam<TWriteCase> {};

TEST_P(FieldWriteTest, Writes)
{
    const TWriteCase& c = GetParam();
    const std::string fields =
        std::string(R"(<FIELD attrname="K" fieldtype="i4"/><FIELD attrname="F" )") + c.FField + "/>";
    const std::u16string packet = test::Widen(test::PacketOf(fields, ""));
    const std::string result = test::Narrow(
        DSToJSON(packet, test::Widen(std::string("{\"f\":") + c.FJson + "}"), u"K", std::int32_t{1}, u"C"));
    std::string written = "fails"; // a value that cannot be written fails the whole call
    if (!result.empty()) {
        const std::size_t row = result.find("<ROW RowState=\"4\" K=\"1\"");
        ASSERT_NE(row, std::string::npos) << result;
        const std::size_t f = result.find(" F=\"", row);
        written = f == std::string::npos ? "null" : result.substr(f + 4, result.find('"', f + 4) - f - 4);
    }
    EXPECT_EQ(written, c.FWritten) << c.FField << " <- " << c.FJson;
}

INSTANTIATE_TEST_SUITE_P(
    ByType, FieldWriteTest,
    testing::Values(
        TWriteCase{R"(fieldtype="string" WIDTH="5")", R"("abcde")", "abcde"},
        TWriteCase{R"(fieldtype="string" WIDTH="5")", R"("abcdef")", "fails"},
        TWriteCase{R"(fieldtype="string.uni" WIDTH="10")", R"("\u00e9t\u00e9")", "&#233;t&#233;"},
        TWriteCase{R"(fieldtype="string" SUBTYPE="FixedChar" WIDTH="5")", "true", "True"},
        TWriteCase{R"(fieldtype="string" SUBTYPE="Guid" WIDTH="38")", "12", "12"},
        TWriteCase{R"(fieldtype="bin.hex" SUBTYPE="Text")", R"("line1\nline2")", "line1&#10;line2"},
        TWriteCase{R"(fieldtype="bin.hex" SUBTYPE="WideText")", R"("\u20ac")", "&#8364;"},
        TWriteCase{R"(fieldtype="bin.hex" SUBTYPE="Binary")", R"("hi!")", "aGkh"},
        TWriteCase{R"(fieldtype="i1")", "-128", "-128"}, TWriteCase{R"(fieldtype="i1")", "128", "fails"},
        TWriteCase{R"(fieldtype="i2")", "-32769", "fails"},
        TWriteCase{R"(fieldtype="ui2")", "65535", "65535"},
        // ui4 takes its whole range, beyond 32 bits signed, and refuses what lies outside it.
        TWriteCase{R"(fieldtype="ui4")", "4294967295", "4294967295"},
        TWriteCase{R"(fieldtype="ui4")", "3000000000", "3000000000"},
        TWriteCase{R"(fieldtype="ui4")", "4294967296", "fails"},
        TWriteCase{R"(fieldtype="ui4")", "0x100000000", "fails"},
        TWriteCase{R"(fieldtype="ui4")", "2147483647", "2147483647"},
        TWriteCase{R"(fieldtype="ui4")", "-1", "fails"}, TWriteCase{R"(fieldtype="i4")", "\"5\"", "fails"},
        TWriteCase{R"(fieldtype="i4" SUBTYPE="Autoinc")", "\"5\"", "5"},
        TWriteCase{R"(fieldtype="i8")", "9223372036854775807", "9223372036854775807"},
        TWriteCase{R"(fieldtype="i8")", "\"-12\"", "-12"}, TWriteCase{R"(fieldtype="i8")", "1.5", "fails"},
        TWriteCase{R"(fieldtype="ui1")", "3.0", "3"}, TWriteCase{R"(fieldtype="ui1")", "256", "fails"},
        TWriteCase{R"(fieldtype="r8")", "0.1", "0.1"}, TWriteCase{R"(fieldtype="r8")", "NaN", "fails"},
        TWriteCase{R"(fieldtype="r8" SUBTYPE="Money")", "12", "12"},
        TWriteCase{R"(fieldtype="r4")", "0.1", "0.1"}, TWriteCase{R"(fieldtype="r4")", "1e39", "fails"},
        TWriteCase{R"(fieldtype="r10")", "\"2.5\"", "2.5"},
        TWriteCase{R"(fieldtype="fixed" WIDTH="6" DECIMALS="2")", "1234.565", "1234.57"},
        TWriteCase{R"(fieldtype="fixed" WIDTH="6" DECIMALS="2")", "-0.001", "0.00"},
        TWriteCase{R"(fieldtype="fixed" WIDTH="6" DECIMALS="2")", "12345", "fails"},
        TWriteCase{R"(fieldtype="fixedFMT" WIDTH="20" DECIMALS="4")", "\"-7.5\"", "-7.5000"},
        TWriteCase{R"(fieldtype="boolean")", "false", "FALSE"},
        TWriteCase{R"(fieldtype="boolean")", "1", "fails"},
        TWriteCase{R"(fieldtype="date")", "\"1995-02-02\"", "19950202"},
        TWriteCase{R"(fieldtype="date")", "null", "null"},
        TWriteCase{R"(fieldtype="time")", "0.5", "12:00:00000"},
        TWriteCase{R"(fieldtype="dateTime")", "\"1995-02-02T01:05:03.5\"", "19950202T01:05:03500"},
        TWriteCase{R"(fieldtype="dateTime")", "-1.25", "18991229T06:00:00000"},
        TWriteCase{R"(fieldtype="dateTime")", "true", "18991229T00:00:00000"},
        TWriteCase{R"(fieldtype="SQLdateTime")", "\"2001-01-01 10:00\"", "20010101T10:00:00000"},
        TWriteCase{R"(fieldtype="SQLdateTime")", "true", "fails"},
        TWriteCase{R"(fieldtype="i4" readonly="true")", "1", "fails"}),
    [](const testing::TestParamInfo<TWriteCase>& info) {
        return test::NameOf(std::string(info.param.FField) + " " + info.param.FJson + " " +
                            std::to_string(info.index));
    });

// The same moment written in two zones is the same local time, whatever the local zone.
TEST(ZonedDate, TheSameMomentInTwoZonesReadsAlike)
{
    const struct {
        const char16_t* FFirst;
        const char16_t* FSecond;
    } moments[] = {
        {u"2024-05-01T23:30:00Z", u"2024-05-02T01:30:00+02:00"},
        {u"2024-01-15T12:00:00.250-05:00", u"2024-01-15T17:00:00.25Z"},
        {u"1950-06-01T00:00:00+0100", u"1950-05-31T23:00:00Z"},
    };
    for (const auto& moment : moments) {
        const auto first = ReadIsoDateTime(moment.FFirst);
        ASSERT_TRUE(first.has_value()) << test::Narrow(moment.FFirst);
        EXPECT_EQ(MillisecondsOfDays(*first), MillisecondsOfDays(*ReadIsoDateTime(moment.FSecond)))
            << test::Narrow(moment.FFirst);
    }
}

#ifndef _WIN32
// ISO 8601 date-times as JSON serializers write them: the fraction to the nearest millisecond,
// and a zone converted to the local time of the process, here Central European time (set
// through TZ, which the Windows build does not read).
class ZonedDateTest : public testing::Test {
  protected:
    void SetUp() override
    {
        if (const char* zone = std::getenv("TZ"))
            FSavedZone = zone;
        ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        ::tzset();
    }
    void TearDown() override
    {
        if (FSavedZone)
            ::setenv("TZ", FSavedZone->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

  private:
    std::optional<std::string> FSavedZone;
};

TEST_F(ZonedDateTest, ConvertsToLocalTime)
{
    const struct {
        const char* FWhy;
        const char16_t* FText;
        const char* FLocal; // packet form, or "none"
    } cases[] = {
        {"universal time in summer is two hours behind", u"2024-05-01T10:30:00Z", "20240501T12:30:00000"},
        {"the local offset itself changes nothing", u"2024-05-01T10:30:00+02:00", "20240501T10:30:00000"},
        {"a negative offset crosses midnight, in winter time", u"2024-01-15T23:30:00-01:00",
         "20240116T01:30:00000"},
        {"an offset without a colon", u"2024-05-01T10:30:00+0530", "20240501T07:00:00000"},
        {"an offset of hours alone", u"2024-05-01T10:30:00+02", "20240501T10:30:00000"},
        {"minutes without seconds", u"2024-05-01T10:30Z", "20240501T12:30:00000"},
        {"microseconds are rounded to milliseconds", u"2024-05-01T10:30:00.123456Z", "20240501T12:30:00123"},
        {"rounding may carry into the next second", u"2024-05-01T10:30:00.9996Z", "20240501T12:30:01000"},
        {"the hour the clocks skip in spring", u"2024-03-31T01:30:00Z", "20240331T03:30:00000"},
        {"no zone: taken as local time", u"2024-05-01T10:30:00.5", "20240501T10:30:00500"},
        {"a time of day alone has no zone", u"10:30Z", "none"},
        {"an offset of 24 hours", u"2024-05-01T10:30:00+24:00", "none"},
        {"text after the zone", u"2024-05-01T10:30:00Zjunk", "none"},
        {"a point without digits", u"2024-05-01T10:30:00.Z", "none"},
        {"local time beyond the last day", u"9999-12-31T23:30:00Z", "none"},
    };
    for (const auto& c : cases) {
        const auto days = ReadIsoDateTime(c.FText);
        const auto milliseconds = days ? MillisecondsOfDays(*days) : std::nullopt;
        EXPECT_EQ(milliseconds ? WritePacketDateTime(*milliseconds) : "none", c.FLocal) << c.FWhy;
    }
}

TEST_F(ZonedDateTest, ReachesDateTimeFields)
{
    const std::string fields =
        R"(<FIELD attrname="K" fieldtype="i4"/><FIELD attrname="F" fieldtype="dateTime"/>)";
    const std::string result =
        test::Narrow(DSToJSON(test::Widen(test::PacketOf(fields, "")),
                              u"{\"f\":\"2024-05-01T10:30:00.250Z\"}", u"K", std::int32_t{1}, u"C"));
    EXPECT_NE(result.find(R"(<ROW RowState="4" K="1" F="20240501T12:30:00250"/>)"), std::string::npos)
        << result;
}
#endif

} // namespace
} // namespace bramolt::dataset
