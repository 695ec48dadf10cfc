// Parse and print throughput of the JSON core beside RapidJSON's DOM and nlohmann::json
// on the same bytes, freeing whole trees, path lookups and member additions. Memory is
// measured by json_memory, in its own run: counting allocations here would slow ours and
// not RapidJSON's pool.
//
// Throughput is in bytes of the UTF-8 document. Our parse runs the path the automation
// method uses: UTF-16 text in (converted beforehand, outside the timing), root node out.
// Our print produces the UTF-16 text the method returns.

#include "Documents.h"

#include "text/Utf8.h"
#include "json/JSONParser.h"
#include "json/JSONPath.h"
#include "json/JSONWriter.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <map>
#include <stdexcept>
#include <string>

namespace bramolt::json::bench {
namespace {

enum TDocumentKind { dkApi, dkNumbers, dkText };

struct TDocument {
    std::string Utf8;
    std::u16string Utf16;
    TJSONOutputOptions CanonicalOptions; // options under which printing reproduces the input
};

const TDocument& Document(TDocumentKind kind, std::size_t megabytes)
{
    static std::map<std::pair<int, std::size_t>, TDocument> cache;
    auto [it, added] = cache.try_emplace({kind, megabytes});
    if (added) {
        const std::size_t bytes = megabytes << 20;
        TDocument& d = it->second;
        d.Utf8 = kind == dkApi       ? MakeApiDocument(bytes)
                 : kind == dkNumbers ? MakeNumberDocument(bytes)
                                     : MakeTextDocument(bytes);
        d.Utf16 = text::FromWtf8(d.Utf8);
        d.CanonicalOptions =
            kind == dkText ? TJSONOutputOptions{true, false} : TJSONOutputOptions{true, true};
        auto root = ParseJSONValue(d.Utf16);
        if (root == nullptr || ToJSON(*root, d.CanonicalOptions) != d.Utf16)
            throw std::logic_error("printing does not reproduce the generated document");
    }
    return it->second;
}

void SetBytes(benchmark::State& state, const TDocument& d)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.Utf8.size()));
}

void OursParse(benchmark::State& state, TDocumentKind kind)
{
    const TDocument& d = Document(kind, static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseJSONValue(d.Utf16));
    SetBytes(state, d);
}

void OursPrint(benchmark::State& state, TDocumentKind kind)
{
    const TDocument& d = Document(kind, static_cast<std::size_t>(state.range(0)));
    auto root = ParseJSONValue(d.Utf16);
    // The automation method always prints with both options.
    for (auto _ : state)
        benchmark::DoNotOptimize(ToJSON(*root, {true, true}));
    SetBytes(state, d);
}

// With the options under which the document is canonical: for the text document, the
// non-ASCII characters stay raw as in RapidJSON's and nlohmann's output.
void OursPrintCanonical(benchmark::State& state, TDocumentKind kind)
{
    const TDocument& d = Document(kind, static_cast<std::size_t>(state.range(0)));
    auto root = ParseJSONValue(d.Utf16);
    for (auto _ : state)
        benchmark::DoNotOptimize(ToJSON(*root, d.CanonicalOptions));
    SetBytes(state, d);
}

// Only making and freeing a string of the length OursPrint returns: the part of its time
// that any printer of that text pays. Blocks above the allocator's largest threshold for
// recycling (32 MB in glibc) are mapped afresh and faulted in page by page on every call,
// while smaller ones are reused from the previous iteration.
void OursPrintAllocationOnly(benchmark::State& state, TDocumentKind kind)
{
    const TDocument& d = Document(kind, static_cast<std::size_t>(state.range(0)));
    const std::size_t length = ToJSON(*ParseJSONValue(d.Utf16), {true, true}).size();
    for (auto _ : state)
        benchmark::DoNotOptimize(std::u16string(length, u'\0'));
    SetBytes(state, d);
}

void RapidParse(benchmark::State& state, TDocumentKind kind)
{
    const TDocument& d = Document(kind, static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        rapidjson::Document doc;
        doc.Parse(d.Utf8.data(), d.Utf8.size());
        if (doc.HasParseError())
            state.SkipWithError("RapidJSON refused the document");
        benchmark::DoNotOptimize(doc);
    }
    SetBytes(state, d);
}

void RapidPrint(benchmark::State& state, TDocumentKind kind)
{
    const TDocument& d = Document(kind, static_cast<std::size_t>(state.range(0)));
    rapidjson::Document doc;
    doc.Parse(d.Utf8.data(), d.Utf8.size());
    for (auto _ : state) {
        rapidjson::StringBuffer buffer;
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        doc.Accept(writer);
        benchmark::DoNotOptimize(buffer.GetString());
    }
    SetBytes(state, d);
}

void NlohmannParse(benchmark::State& state, TDocumentKind kind)
{
    const TDocument& d = Document(kind, static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(nlohmann::json::parse(d.Utf8));
    SetBytes(state, d);
}

void NlohmannPrint(benchmark::State& state, TDocumentKind kind)
{
    const TDocument& d = Document(kind, static_cast<std::size_t>(state.range(0)));
    const auto doc = nlohmann::json::parse(d.Utf8);
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.dump());
    SetBytes(state, d);
}

#define BRAMOLT_JSON_BENCH(function, kind)                                                                   \
    BENCHMARK_CAPTURE(function, kind, kind)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond)->MinTime(0.5)

BRAMOLT_JSON_BENCH(OursParse, dkApi);
BRAMOLT_JSON_BENCH(RapidParse, dkApi);
BRAMOLT_JSON_BENCH(NlohmannParse, dkApi);
BRAMOLT_JSON_BENCH(OursPrint, dkApi);
BRAMOLT_JSON_BENCH(OursPrintAllocationOnly, dkApi);
BRAMOLT_JSON_BENCH(RapidPrint, dkApi);
BRAMOLT_JSON_BENCH(NlohmannPrint, dkApi);
BRAMOLT_JSON_BENCH(OursParse, dkNumbers);
BRAMOLT_JSON_BENCH(RapidParse, dkNumbers);
BRAMOLT_JSON_BENCH(NlohmannParse, dkNumbers);
BRAMOLT_JSON_BENCH(OursPrint, dkNumbers);
BRAMOLT_JSON_BENCH(RapidPrint, dkNumbers);
BRAMOLT_JSON_BENCH(NlohmannPrint, dkNumbers);
BRAMOLT_JSON_BENCH(OursParse, dkText);
BRAMOLT_JSON_BENCH(RapidParse, dkText);
BRAMOLT_JSON_BENCH(NlohmannParse, dkText);
BRAMOLT_JSON_BENCH(OursPrint, dkText);
BRAMOLT_JSON_BENCH(OursPrintAllocationOnly, dkText);
BRAMOLT_JSON_BENCH(OursPrintCanonical, dkText);
BRAMOLT_JSON_BENCH(RapidPrint, dkText);
BRAMOLT_JSON_BENCH(NlohmannPrint, dkText);

// Freeing a whole parsed tree, as JSONFree of a root does.
void OursFree(benchmark::State& state, TDocumentKind kind)
{
    const TDocument& d = Document(kind, static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto root = ParseJSONValue(d.Utf16);
        state.ResumeTiming();
        root.reset();
    }
    SetBytes(state, d);
}
// A fixed count: each iteration parses a 20 MB text untimed, and the timed part is short.
BENCHMARK_CAPTURE(OursFree, dkApi, dkApi)->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK_CAPTURE(OursFree, dkNumbers, dkNumbers)->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(30);

// JSONGetElement of the last key of an object with state.range(0) members: the path is
// parsed on every call, as the automation method does.
void LookupLastKey(benchmark::State& state)
{
    const auto members = static_cast<std::size_t>(state.range(0));
    std::u16string text = u"{";
    for (std::size_t i = 0; i < members; ++i) {
        const std::string member = (i > 0 ? ",\"k" : "\"k") + std::to_string(i) + "\":" + std::to_string(i);
        text.append(member.begin(), member.end());
    }
    text += u'}';
    const auto root = ParseJSONValue(text);
    const std::string last = "k" + std::to_string(members - 1);
    const std::u16string path(last.begin(), last.end());
    for (auto _ : state)
        benchmark::DoNotOptimize(FindJSONPath(root.Ref(), path));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(LookupLastKey)->Arg(10)->Arg(10'000)->Arg(1'000'000);

// A five-step path (name, index into 10,000 rows, name, index, name) on a ~20 MB tree,
// parsed from its text on every lookup as the automation method does.
void PathLookup(benchmark::State& state)
{
    static const auto root = ParseJSONValue(text::FromWtf8(MakeLookupDocument(80)));
    std::int64_t row = 0;
    for (auto _ : state) {
        const std::u16string path =
            u"rows[" + std::u16string(1, u'0' + static_cast<char16_t>(row % 10)) + u"987].cells[42].v";
        benchmark::DoNotOptimize(FindJSONPath(root.Ref(), path));
        ++row;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(PathLookup);

void AddMembers(benchmark::State& state)
{
    auto root = TJSONRoot::Make(TJSONNewNode::Object());
    for (auto _ : state) {
        auto& object = static_cast<TJSONObject&>(*root);
        root.Tree()->AddMember(object, u"name", TJSONNewNode::String(u"value"));
        if (object.Count() == 1'000'000) {
            state.PauseTiming();
            root = TJSONRoot::Make(TJSONNewNode::Object());
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(AddMembers);

} // namespace
} // namespace bramolt::json::bench

BENCHMARK_MAIN();
