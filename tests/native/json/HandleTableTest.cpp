#include "json/JSONError.h"
#include "json/JSONHandleTable.h"
#include "json/JSONParser.h"
#include "json/JSONWriter.h"

#include <gtest/gtest.h>

#include <memory>

namespace bramolt::json {
namespace {

class TTestHandleTable : public TJSONHandleTable {
  public:
    using TJSONHandleTable::SetNextHandle;
    using TJSONHandleTable::TJSONHandleTable;
};

TJSONRoot Parse(std::u16string_view text)
{
    auto root = ParseJSONValue(text);
    EXPECT_NE(root, nullptr);
    return root;
}

TEST(HandleTable, IssuesHandlesLazilyAndOncePerNode)
{
    TJSONHandleTable table;
    auto root = Parse(u"{\"a\":[1,2,3]}");
    const TJSONNodeRef ref = root.Ref();
    EXPECT_EQ(table.LiveCount(), 0u); // parsing registers nothing
    const std::uint32_t handle = table.AdoptRoot(std::move(root));
    EXPECT_NE(handle, 0u);
    EXPECT_EQ(table.LiveCount(), 1u);
    EXPECT_EQ(table.Issue(ref), handle);
    EXPECT_EQ(table.Find(handle), ref.Node);
    auto& object = static_cast<TJSONObject&>(*ref.Node);
    const TJSONNodeRef pair{&object.Pair(0), ref.Tree, &object};
    const std::uint32_t pairHandle = table.Issue(pair);
    EXPECT_NE(pairHandle, handle);
    EXPECT_EQ(table.Issue(pair), pairHandle);
    EXPECT_EQ(table.Find(pairHandle), pair.Node);
    EXPECT_EQ(table.Lookup(pairHandle)->Holder, &object);
}

TEST(HandleTable, FindsNothingForHandlesThatDesignateNoLiveNode)
{
    TJSONHandleTable table;
    const std::uint32_t root = table.AdoptRoot(Parse(u"[[1],2]"));
    TJSONTree* tree = table.Lookup(root)->Tree;
    auto& array = static_cast<TJSONArray&>(*table.Find(root));
    auto& innerArray = static_cast<TJSONArray&>(array.Element(0));
    const std::uint32_t inner = table.Issue({&innerArray, tree, &array});
    const std::uint32_t leaf = table.Issue({&innerArray.Element(0), tree, &innerArray});
    EXPECT_EQ(table.Find(0), nullptr);
    EXPECT_EQ(table.Find(0xDEADBEEF), nullptr); // never issued
    EXPECT_TRUE(table.Free(root));
    for (std::uint32_t stale : {root, inner, leaf}) {
        EXPECT_EQ(table.Find(stale), nullptr) << stale;
        EXPECT_FALSE(table.Free(stale)) << stale; // freeing twice is harmless
    }
    EXPECT_EQ(table.LiveCount(), 0u);
    EXPECT_FALSE(table.Free(0));
}

TEST(HandleTable, DoesNotReuseAFreedHandleSoon)
{
    TJSONHandleTable table;
    const std::uint32_t first = table.AdoptRoot(TJSONRoot::Make(TJSONNewNode::Object()));
    table.Free(first);
    const std::uint32_t second = table.AdoptRoot(TJSONRoot::Make(TJSONNewNode::Object()));
    EXPECT_NE(second, first);
    EXPECT_EQ(table.Find(first), nullptr);
}

TEST(HandleTable, SkipsLiveHandlesOnWrapAround)
{
    TTestHandleTable table(1);
    const std::uint32_t a = table.AdoptRoot(TJSONRoot::Make(TJSONNewNode::Null()));
    const std::uint32_t b = table.AdoptRoot(TJSONRoot::Make(TJSONNewNode::Null()));
    const std::uint32_t c = table.AdoptRoot(TJSONRoot::Make(TJSONNewNode::Null()));
    ASSERT_EQ(a, 1u);
    ASSERT_EQ(c, 3u);
    table.Free(b);
    table.SetNextHandle(TJSONHandleTable::kLastHandle);
    EXPECT_EQ(table.AdoptRoot(TJSONRoot::Make(TJSONNewNode::Null())), 0x7FFFFFFFu);
    EXPECT_EQ(table.AdoptRoot(TJSONRoot::Make(TJSONNewNode::Null())), 2u); // live 1 skipped
    EXPECT_EQ(table.AdoptRoot(TJSONRoot::Make(TJSONNewNode::Null())), 4u); // live 3 skipped
    EXPECT_TRUE(table.Find(a)->IsNull());
}

// Every handle fits a signed 32-bit integer, the Long of script hosts that have no 64-bit
// integer: the counter wraps at 2^31 - 1, and values above it are never issued.
TEST(HandleTable, IssuesHandlesWithinASigned32BitInteger)
{
    const struct {
        const char* Why;
        std::uint32_t Counter;
        std::uint32_t Expected[3];
    } rows[] = {
        {"2^31 - 1 is the last handle, 1 follows it", 0x7FFFFFFE, {0x7FFFFFFE, 0x7FFFFFFF, 1}},
        {"2^31 is never issued", 0x80000000, {1, 2, 3}},
        {"2^32 - 1 is never issued, nor 0 after it", 0xFFFFFFFF, {1, 2, 3}},
        {"0 is never issued", 0, {1, 2, 3}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Why);
        TTestHandleTable table;
        table.SetNextHandle(row.Counter);
        for (const std::uint32_t expected : row.Expected) {
            const std::uint32_t handle = table.AdoptRoot(TJSONRoot::Make(TJSONNewNode::Null()));
            EXPECT_EQ(handle, expected);
            EXPECT_NE(table.Find(handle), nullptr);
        }
        EXPECT_EQ(table.Find(0x80000000), nullptr);
        EXPECT_EQ(table.Find(0xFFFFFFFF), nullptr);
    }
}

TEST(HandleTable, StartsFromAnInjectedCounter)
{
    TJSONHandleTable table(0x7FFFFFFE);
    EXPECT_EQ(table.AdoptRoot(TJSONRoot::Make(TJSONNewNode::Null())), 0x7FFFFFFEu);
    EXPECT_EQ(table.AdoptRoot(TJSONRoot::Make(TJSONNewNode::Null())), 0x7FFFFFFFu);
    EXPECT_EQ(table.AdoptRoot(TJSONRoot::Make(TJSONNewNode::Null())), 1u);
}

TEST(HandleTable, FreeingANodeWithAParentDetachesItFirst)
{
    struct {
        const char* Why;
        std::u16string Path; // which node to free, walked by hand below
        std::u16string Remaining;
    } cases[] = {
        {"array element", u"element", u"{\"a\":[1,3],\"b\":{\"c\":true},\"d\":null}"},
        {"pair", u"pair", u"{\"a\":[1,{\"x\":2},3],\"d\":null}"},
        {"value of a pair", u"value", u"{\"a\":[1,{\"x\":2},3],\"d\":null}"},
    };
    for (const auto& c : cases) {
        TJSONHandleTable table;
        const std::uint32_t root =
            table.AdoptRoot(Parse(u"{\"a\":[1,{\"x\":2},3],\"b\":{\"c\":true},\"d\":null}"));
        TJSONTree* tree = table.Lookup(root)->Tree;
        auto& object = static_cast<TJSONObject&>(*table.Find(root));
        auto& array = static_cast<TJSONArray&>(object.Pair(0).JsonValue());
        TJSONPair& pairB = object.Pair(1);
        const TJSONNodeRef target = c.Path == u"element" ? TJSONNodeRef{&array.Element(1), tree, &array}
                                    : c.Path == u"pair"  ? TJSONNodeRef{&pairB, tree, &object}
                                                         : TJSONNodeRef{&pairB.JsonValue(), tree, &object};
        // Handles inside the freed part die with it; the others stay.
        auto& innerObject =
            static_cast<TJSONObject&>(c.Path == u"element" ? array.Element(1) : pairB.JsonValue());
        const std::uint32_t inside = c.Path == u"element"
                                         ? table.Issue({&innerObject.Pair(0).JsonValue(), tree, &innerObject})
                                         : table.Issue({&innerObject.Pair(0), tree, &innerObject});
        const std::uint32_t outside = table.Issue({&array.Element(2), tree, &array});
        const std::uint32_t handle = table.Issue(target);
        EXPECT_TRUE(table.Free(handle)) << c.Why;
        EXPECT_EQ(ToJSON(object, {}), c.Remaining) << c.Why;
        EXPECT_EQ(table.Find(handle), nullptr) << c.Why;
        EXPECT_EQ(table.Find(inside), nullptr) << c.Why;
        EXPECT_EQ(table.Find(outside), &array.Element(array.Count() - 1)) << c.Why;
        EXPECT_TRUE(table.Free(root)) << c.Why;
        EXPECT_EQ(table.LiveCount(), 0u) << c.Why;
    }
}

TEST(HandleTable, FreesRootsItStillHoldsWhenItEnds)
{
    // Leak checkers (ASan) see whether the trees are freed.
    TJSONHandleTable table;
    table.AdoptRoot(Parse(u"{\"a\":[1,2,{\"b\":[]}]}"));
    table.Issue(TJSONRoot::Make(TJSONNewNode::Object()).Ref()); // handle forgotten when the tree dies
    EXPECT_EQ(table.LiveCount(), 1u);
}

TEST(HandleTable, ANodeOutlivingItsTableForgetsNothing)
{
    auto node = TJSONRoot::Make(TJSONNewNode::Object());
    {
        TJSONHandleTable table;
        EXPECT_NE(table.Issue(node.Ref()), 0u);
    }
    TJSONHandleTable next; // the node is free for another table
    EXPECT_EQ(next.Issue(node.Ref()), 1u);
    EXPECT_EQ(next.Find(1), node.get());
    node.reset(); // must not reach the dead table
}

TEST(HandleTable, RefusesWhatItCannotOwnOrDoesNotKnow)
{
    TJSONHandleTable table;
    TJSONHandleTable other;
    auto root = Parse(u"[1]");
    EXPECT_THROW(table.AdoptRoot(nullptr), EJSONError);
    other.Issue(root.Ref());
    EXPECT_THROW(table.Issue(root.Ref()), EJSONError);
    // A parentless node the table does not own is not freed through it.
    auto loose = TJSONRoot::Make(TJSONNewNode::Object());
    const std::uint32_t handle = table.Issue(loose.Ref());
    EXPECT_FALSE(table.Free(handle));
    EXPECT_EQ(table.Find(handle), loose.get());
}

} // namespace
} // namespace bramolt::json
