// Memory of a parsed tree beside RapidJSON's DOM and nlohmann::json, per byte of the
// UTF-8 document. A run of its own: every operator new/delete of this program is counted
// with malloc_usable_size (allocator rounding included, per-chunk headers not), which
// would distort the timings of json_bench.
//
// peak: the highest count of live bytes while parsing; tree: what the finished tree
// keeps. RapidJSON allocates through its own pool, so both its figures are the pool's
// capacity. Usage: json_memory [megabytes...] (default 1 20).

#include "Documents.h"

#include "text/Utf8.h"
#include "json/JSONParser.h"

#include <malloc.h>
#include <nlohmann/json.hpp>
#include <rapidjson/document.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace {

std::size_t gLiveBytes = 0;
std::size_t gPeakBytes = 0;

} // namespace

void* operator new(std::size_t size)
{
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr)
        throw std::bad_alloc();
    gLiveBytes += malloc_usable_size(p);
    if (gLiveBytes > gPeakBytes)
        gPeakBytes = gLiveBytes;
    return p;
}
// The replaced operator new allocates with malloc, so free is the matching release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept
{
    if (p == nullptr)
        return;
    gLiveBytes -= malloc_usable_size(p);
    std::free(p);
}
#pragma GCC diagnostic pop
void operator delete(void* p, std::size_t) noexcept
{
    operator delete(p);
}
namespace {

struct TMemory {
    double Peak;
    double Tree;
};

template <typename F> TMemory Measure(std::size_t documentBytes, F parse)
{
    const std::size_t base = gLiveBytes;
    gPeakBytes = base;
    auto tree = parse();
    const auto perByte = [&](std::size_t bytes) {
        return static_cast<double>(bytes - base) / static_cast<double>(documentBytes);
    };
    return {perByte(gPeakBytes), perByte(gLiveBytes)};
}

} // namespace

int main(int argc, char** argv)
{
    using namespace bramolt::json;
    std::vector<std::size_t> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::strtoul(argv[i], nullptr, 10));
    if (sizes.empty())
        sizes = {1, 20};
    std::printf("%-8s %4s  %-9s %8s %8s\n", "document", "MB", "parser", "peak/B", "tree/B");
    struct {
        const char* Name;
        std::string (*Make)(std::size_t);
    } kinds[] = {{"api", bench::MakeApiDocument},
                 {"numbers", bench::MakeNumberDocument},
                 {"text", bench::MakeTextDocument}};
    for (const auto& kind : kinds) {
        for (std::size_t megabytes : sizes) {
            const std::string utf8 = kind.Make(megabytes << 20);
            const std::u16string utf16 = bramolt::text::FromWtf8(utf8);
            const auto report = [&](const char* parser, TMemory m) {
                std::printf("%-8s %4zu  %-9s %8.2f %8.2f\n", kind.Name, megabytes, parser, m.Peak, m.Tree);
            };
            report("ours", Measure(utf8.size(), [&] { return ParseJSONValue(utf16); }));
            report("nlohmann", Measure(utf8.size(), [&] { return nlohmann::json::parse(utf8); }));
            rapidjson::Document doc;
            doc.Parse(utf8.data(), utf8.size());
            const double pool =
                static_cast<double>(doc.GetAllocator().Capacity()) / static_cast<double>(utf8.size());
            report("rapidjson", {pool, pool});
        }
    }
}
