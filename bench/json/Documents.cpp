#include "Documents.h"

#include <cstdint>
#include <random>
#include <span>
#include <string_view>

namespace bramolt::json::bench {

namespace {

constexpr std::string_view kWords[] = {"alpha", "bravo", "delta", "echo",  "lima",  "oscar",
                                       "tango", "zulu",  "north", "south", "river", "stone"};
constexpr std::string_view kNonAscii[] = {"caf\u00E9",    "\u00FCber",    "ni\u00F1o",  "\u0434\u043E\u043C",
                                          "\u4E2D\u6587", "\u6771\u4EAC", "\U0001F600", "\u00C5ngstr\u00F6m"};

std::string_view Pick(std::mt19937& rng, std::span<const std::string_view> list)
{
    return list[rng() % list.size()];
}

} // namespace

std::string MakeApiDocument(std::size_t targetBytes)
{
    std::mt19937 rng(1);
    std::string out = "{\"data\":[";
    for (std::uint32_t id = 1; out.size() < targetBytes; ++id) {
        if (id > 1)
            out += ',';
        out += "{\"id\":" + std::to_string(id) + ",\"type\":\"user\",\"attributes\":{\"name\":\"";
        out += Pick(rng, kWords);
        out += ' ';
        out += Pick(rng, kWords);
        out += "\",\"email\":\"" + std::string(Pick(rng, kWords)) + std::to_string(id) + "@example.com\",";
        out += "\"active\":" + std::string(rng() % 2 ? "true" : "false");
        out += ",\"score\":" + std::to_string(rng() % 1000) + "." + std::to_string(rng() % 100);
        out += ",\"tags\":[\"" + std::string(Pick(rng, kWords)) + "\",\"" + std::string(Pick(rng, kWords)) +
               "\"],";
        out += "\"manager\":null},\"links\":{\"self\":\"https:\\/\\/api.example.com\\/users\\/" +
               std::to_string(id) + "\"}}";
    }
    out += "],\"meta\":{\"count\":1,\"next\":null}}";
    return out;
}

std::string MakeNumberDocument(std::size_t targetBytes)
{
    std::mt19937 rng(2);
    std::string out = "[";
    for (std::size_t i = 0; out.size() < targetBytes; ++i) {
        if (i > 0)
            out += ',';
        switch (rng() % 4) {
        case 0:
            out += std::to_string(static_cast<int>(rng() % 200000) - 100000);
            break;
        case 1:
            out += std::to_string(rng() % 10000) + "." + std::to_string(rng() % 1000000);
            break;
        case 2:
            out += "-" + std::to_string(rng() % 10) + "." + std::to_string(rng() % 1000) + "E-" +
                   std::to_string(rng() % 20);
            break;
        default:
            out += std::to_string(rng() % 100) + "." + std::to_string(rng() % 100);
            break;
        }
    }
    out += ']';
    return out;
}

std::string MakeTextDocument(std::size_t targetBytes)
{
    std::mt19937 rng(3);
    std::string out = "[";
    for (std::size_t i = 0; out.size() < targetBytes; ++i) {
        if (i > 0)
            out += ',';
        out += "{\"title\":\"";
        for (int w = 0; w < 4; ++w)
            (out += Pick(rng, w % 2 ? std::span<const std::string_view>(kNonAscii)
                                    : std::span<const std::string_view>(kWords))) += ' ';
        out += "\",\"body\":\"";
        for (int w = 0; w < 40; ++w) {
            out += Pick(rng, w % 3 ? std::span<const std::string_view>(kWords)
                                   : std::span<const std::string_view>(kNonAscii));
            out += w % 10 == 9 ? "\\n" : " ";
        }
        out += "\\\"quoted\\\"\"}";
    }
    out += ']';
    return out;
}

std::string MakeLookupDocument(std::size_t cellsPerRow)
{
    std::string out = "{\"rows\":[";
    for (int row = 0; row < 10'000; ++row) {
        if (row > 0)
            out += ',';
        out += "{\"id\":" + std::to_string(row) + ",\"name\":\"row " + std::to_string(row) + "\",\"cells\":[";
        for (std::size_t cell = 0; cell < cellsPerRow; ++cell) {
            if (cell > 0)
                out += ',';
            out +=
                "{\"k\":\"c" + std::to_string(cell) + "\",\"v\":" + std::to_string(row * 1000 + cell) + "}";
        }
        out += "]}";
    }
    out += "]}";
    return out;
}

} // namespace bramolt::json::bench
