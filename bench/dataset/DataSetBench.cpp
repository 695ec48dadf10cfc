// DSToJSON on a packet of 10,000 and 100,000 records of 12 fields of mixed types (about
// 2 MB per 10,000), beside pugixml alone parsing and saving the same text in the same run:
//   pugixml_parse_save  the packet's UTF-8 bytes parsed and saved to memory by pugixml
//   dstojson_modify_last  "M" on the last record, three fields written
//   dstojson_create_with_100_details  "C" of a record with a detail array of 100 objects
// Our figures include everything the method does with the UTF-16 text it receives:
// conversion, parsing and checking every value, the change, saving and conversion back.
//
// Two crafted shapes that once took quadratic time, each at a size and four times that size
// (the second time should stay within five times the first):
//   hostile_version_chain  a CHANGE_LOG in which half the rows form one chain of versions
//                          and the other half name the chain's first row as their newer
//                          version; 40,000 and 160,000 rows, "C" of one record
//   hostile_wide_row  one row of 12,000 and 48,000 attributes changed back to its values
//                     ("M" clearing and writing its key again), compared with its original
//   hostile_many_properties  a record of 12,000 and 48,000 fields, each written by its own
//                            property of the JSON text ("M"), into a row that holds them all

#include "dataset/DSToJSON.h"
#include "text/Utf8.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <map>
#include <string>

namespace {

using namespace bramolt;

const std::string& PacketUtf8(int records)
{
    static std::map<int, std::string> packets;
    std::string& packet = packets[records];
    if (!packet.empty())
        return packet;
    packet =
        R"(<?xml version="1.0" standalone="yes"?>  <DATAPACKET Version="2.0"><METADATA><FIELDS>)"
        R"(<FIELD attrname="ID" fieldtype="i4" required="true"/>)"
        R"(<FIELD attrname="CODE" fieldtype="string" WIDTH="12"/>)"
        R"(<FIELD attrname="NAME" fieldtype="string.uni" WIDTH="120"/>)"
        R"(<FIELD attrname="PRICE" fieldtype="r8"/><FIELD attrname="QTY" fieldtype="i2"/>)"
        R"(<FIELD attrname="TOTAL" fieldtype="fixed" WIDTH="12" DECIMALS="2"/>)"
        R"(<FIELD attrname="ACTIVE" fieldtype="boolean"/><FIELD attrname="CREATED" fieldtype="dateTime"/>)"
        R"(<FIELD attrname="DAY" fieldtype="date"/><FIELD attrname="BIG" fieldtype="i8"/>)"
        R"(<FIELD attrname="NOTE" fieldtype="bin.hex" SUBTYPE="Text"/>)"
        R"(<FIELD attrname="ITEMS" fieldtype="nested"><FIELDS><FIELD attrname="LINE" fieldtype="i4"/>)"
        R"(<FIELD attrname="DESCR" fieldtype="string" WIDTH="30"/></FIELDS><PARAMS/></FIELD>)"
        R"(</FIELDS><PARAMS/></METADATA><ROWDATA>)";
    for (int i = 1; i <= records; ++i) {
        const std::string n = std::to_string(i);
        packet += R"(<ROW ID=")" + n + R"(" CODE="C-)" + n + R"(" NAME="Art&#237;culo n&#250;mero )" + n +
                  R"(" PRICE=")" + std::to_string(i % 1000) + ".25" + R"(" QTY=")" + std::to_string(i % 300) +
                  R"(" TOTAL=")" + std::to_string(i * 3) + ".75" + R"(" ACTIVE=")" +
                  (i % 2 ? "TRUE" : "FALSE") + R"(" CREATED="20240115T10:30:00000" DAY="20240116" BIG=")" +
                  std::to_string(i * 1000003LL) + R"(" NOTE="note for record )" + n +
                  R"("><ITEMS><ROWITEMS LINE="1" DESCR="first"/></ITEMS></ROW>)";
    }
    packet += "</ROWDATA></DATAPACKET>";
    return packet;
}

const std::u16string& Packet(int records)
{
    static std::map<int, std::u16string> packets;
    std::u16string& packet = packets[records];
    if (packet.empty())
        packet = text::FromUtf8(PacketUtf8(records));
    return packet;
}

struct TStringWriter final : pugi::xml_writer {
    std::string FText;
    void write(const void* data, std::size_t size) override
    {
        FText.append(static_cast<const char*>(data), size);
    }
};

void pugixml_parse_save(benchmark::State& state)
{
    const std::string& text = PacketUtf8(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        pugi::xml_document document;
        document.load_buffer(text.data(), text.size());
        TStringWriter writer;
        document.save(writer, "", pugi::format_raw);
        benchmark::DoNotOptimize(writer.FText.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void dstojson_modify_last(benchmark::State& state)
{
    const int records = static_cast<int>(state.range(0));
    const std::u16string& packet = Packet(records);
    for (auto _ : state) {
        const std::u16string result = dataset::DSToJSON(
            packet, u"{\"name\":\"nuevo\",\"price\":9.5,\"qty\":3}", u"ID", std::int32_t{records}, u"M");
        if (result.empty())
            state.SkipWithError("no packet returned");
        benchmark::DoNotOptimize(result.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * PacketUtf8(records).size()));
}

void dstojson_create_with_100_details(benchmark::State& state)
{
    const int records = static_cast<int>(state.range(0));
    const std::u16string& packet = Packet(records);
    std::u16string json = u"{\"code\":\"NEW\",\"price\":1.5,\"items\":[";
    for (int i = 1; i <= 100; ++i)
        json += (i > 1 ? u"," : u"") + text::FromUtf8("{\"line\":" + std::to_string(i) + ",\"descr\":\"d\"}");
    json += u"]}";
    for (auto _ : state) {
        const std::u16string result = dataset::DSToJSON(packet, json, u"ID", std::int32_t{records + 1}, u"C");
        if (result.empty())
            state.SkipWithError("no packet returned");
        benchmark::DoNotOptimize(result.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * PacketUtf8(records).size()));
}

std::u16string VersionChainPacket(int rows)
{
    std::string packet =
        R"(<DATAPACKET Version="2.0"><METADATA><FIELDS><FIELD attrname="ID" fieldtype="i4"/>)"
        R"(</FIELDS><PARAMS CHANGE_LOG=")";
    const int chain = rows / 2;
    for (int row = 2; row <= chain; ++row)
        packet += std::to_string(row) + " " + std::to_string(row - 1) + " 8 ";
    for (int row = chain + 1; row <= rows; ++row)
        packet += "1 " + std::to_string(row) + " 8 ";
    packet += R"("/></METADATA><ROWDATA>)";
    for (int row = 1; row <= rows; ++row)
        packet += R"(<ROW ID=")" + std::to_string(row) + R"("/>)";
    return text::FromUtf8(packet + "</ROWDATA></DATAPACKET>");
}

std::u16string WideRowPacket(int attributes)
{
    std::string packet =
        R"(<DATAPACKET Version="2.0"><METADATA><FIELDS><FIELD attrname="ID" fieldtype="i4"/>)"
        R"(</FIELDS><PARAMS/></METADATA><ROWDATA><ROW ID="1")";
    for (int i = 1; i < attributes; ++i)
        packet += " A" + std::to_string(i) + R"(="v")";
    return text::FromUtf8(packet + "/></ROWDATA></DATAPACKET>");
}

void hostile_version_chain(benchmark::State& state)
{
    const std::u16string packet = VersionChainPacket(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const std::u16string result = dataset::DSToJSON(packet, u"{}", u"ID", std::int32_t{0}, u"C");
        if (result.empty())
            state.SkipWithError("no packet returned");
        benchmark::DoNotOptimize(result.data());
    }
}

void hostile_wide_row(benchmark::State& state)
{
    const std::u16string packet = WideRowPacket(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        // The key written again lands behind the other attributes: the comparison cannot go
        // pair by pair.
        const std::u16string result =
            dataset::DSToJSON(packet, u"{\"id\":null,\"id\":1}", u"ID", std::int32_t{1}, u"M");
        if (result.empty() || result.find(u"RowState") != std::u16string::npos)
            state.SkipWithError("the unchanged row was recorded as changed");
        benchmark::DoNotOptimize(result.data());
    }
}

void hostile_many_properties(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    std::string fields, row, json = "{";
    for (int i = 0; i < count; ++i) {
        const std::string name = "F" + std::to_string(i);
        fields += R"(<FIELD attrname=")" + name + R"(" fieldtype="i4"/>)";
        row += " " + name + R"(="1")";
        json += (i > 0 ? ",\"" : "\"") + name + "\":" + std::to_string(i);
    }
    const std::u16string packet =
        text::FromUtf8("<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" + fields +
                       "</FIELDS><PARAMS/></METADATA><ROWDATA><ROW" + row + "/></ROWDATA></DATAPACKET>");
    const std::u16string record = text::FromUtf8(json + "}");
    for (auto _ : state) {
        const std::u16string result = dataset::DSToJSON(packet, record, u"F0", std::int32_t{1}, u"M");
        if (result.empty())
            state.SkipWithError("no packet returned");
        benchmark::DoNotOptimize(result.data());
    }
}

BENCHMARK(pugixml_parse_save)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(dstojson_modify_last)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(dstojson_create_with_100_details)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(hostile_version_chain)->Arg(40000)->Arg(160000)->Unit(benchmark::kMillisecond);
BENCHMARK(hostile_wide_row)->Arg(12000)->Arg(48000)->Unit(benchmark::kMillisecond);
BENCHMARK(hostile_many_properties)->Arg(12000)->Arg(48000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
