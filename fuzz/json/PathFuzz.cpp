// Feeds arbitrary UTF-16 paths to the path parser and evaluates each over a fixed tree.
// A path that parses must evaluate without fault, and rewriting its steps in the quoted
// and index forms must give the same steps back.

#include "fuzz/Require.h"
#include "json/JSONParser.h"
#include "json/JSONPath.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

// The steps written back in bracket forms only. A backslash right before the closing
// quote would escape it, so a name ending in a backslash has no quoted form: nullopt.
std::optional<std::u16string> Rewrite(const std::vector<bramolt::json::TJSONPathStep>& steps)
{
    std::u16string path;
    for (const auto& step : steps) {
        if (step.Kind == bramolt::json::TJSONPathStep::skIndex) {
            const std::string index = std::to_string(step.Index);
            path += u'[';
            path.append(index.begin(), index.end());
            path += u']';
            continue;
        }
        if (!step.Name.empty() && step.Name.back() == u'\\')
            return std::nullopt;
        path += u"['";
        for (char16_t c : step.Name) {
            if (c == u'\'')
                path += u'\\';
            path += c;
        }
        path += u"']";
    }
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace bramolt::json;
    static const auto tree = ParseJSONValue(
        u"{\"a\":{\"b\":[1,[2,3],{\"c\":null}]},\"a.b\":true,\"q'\\\"\":\"x\",\"\":[[]],\"k\":1,\"k\":2}");
    std::u16string path(size / 2, u'\0');
    for (std::size_t i = 0; i < path.size(); ++i)
        path[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    const auto steps = ParseJSONPath(path);
    if (!steps)
        return 0;
    EvaluateJSONPath(tree.Ref(), *steps);
    const auto rewritten = Rewrite(*steps);
    if (!rewritten)
        return 0;
    const auto reread = ParseJSONPath(*rewritten);
    bramolt::fuzz::Require(reread && *reread == *steps, "the rewritten path gives other steps");
    return 0;
}
