// Edits one tree the way the building methods and JSONFree do, driven by the input bytes:
// members and elements added, nodes freed through their handles, keys looked up. After
// every edit a lookup must find what a key-by-key search finds, and the tree must print
// as JSON that parses back to the same text. Big objects get member indexes and freed
// blocks are reused, so this walks those paths in every order.

#include "fuzz/Require.h"
#include "json/JSONHandleTable.h"
#include "json/JSONParser.h"
#include "json/JSONWriter.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace bramolt::json;
using bramolt::fuzz::Require;

const TJSONValue* FindByScan(const TJSONObject& object, std::u16string_view key)
{
    for (const TJSONPair* pair : object.Members())
        if (pair->Key() == key)
            return &pair->JsonValue();
    return nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TJSONHandleTable table;
    const std::uint32_t root = table.AdoptRoot(ParseJSONValue(u"{\"a\":[1,{\"b\":null}],\"c\":\"x\"}"));
    const TJSONNodeRef top = *table.Lookup(root);
    TJSONTree& tree = *top.Tree;
    auto& list = static_cast<TJSONArray&>(static_cast<TJSONObject&>(*top.Node).Pair(0).JsonValue());
    // Containers that may receive children, and every node made, by handle. Freed ones stay
    // listed: their handles then designate nothing.
    std::vector<std::uint32_t> containers{root,
                                          table.Issue({&list, &tree, static_cast<TJSONValue*>(top.Node)}),
                                          table.Issue({&list.Element(1), &tree, &list})};
    std::vector<std::uint32_t> nodes = containers;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const std::uint8_t op = data[i] % 4;
        const std::uint8_t arg = data[i + 1];
        TJSONAncestor* target = table.Find(containers[arg % containers.size()]);
        const std::u16string key(1, static_cast<char16_t>(u'a' + arg % 24));
        if (op == 0 && target != nullptr && target->IsObject()) {
            auto& object = static_cast<TJSONObject&>(*target);
            const bool container = arg & 0x80;
            TJSONValue& value =
                tree.AddMember(object, key, container ? TJSONNewNode::Object() : TJSONNewNode::String(key))
                    .JsonValue();
            const std::uint32_t added = table.Issue({&value, &tree, &object});
            nodes.push_back(added);
            if (container)
                containers.push_back(added);
        } else if (op == 1 && target != nullptr && target->IsArray()) {
            auto& array = static_cast<TJSONArray&>(*target);
            const bool container = arg & 0x80;
            TJSONValue& value =
                tree.AddElement(array, container ? TJSONNewNode::Array() : TJSONNewNode::Number("7"));
            const std::uint32_t added = table.Issue({&value, &tree, &array});
            nodes.push_back(added);
            if (container)
                containers.push_back(added);
        } else if (op == 2 && nodes.size() > 1) {
            const std::uint32_t handle = nodes[1 + arg % (nodes.size() - 1)];
            table.Free(handle); // may be gone already with an ancestor: then nothing happens
        } else if (op == 3 && target != nullptr && target->IsObject()) {
            auto& object = static_cast<TJSONObject&>(*target);
            Require(tree.Find(object, key) == FindByScan(object, key), "the key index and a scan disagree");
        }
    }
    const std::u16string printed = ToJSON(*table.Find(root), {});
    const auto again = ParseJSONValue(printed);
    Require(again != nullptr && ToJSON(*again, {}) == printed, "the edited tree does not print back");
    return 0;
}
