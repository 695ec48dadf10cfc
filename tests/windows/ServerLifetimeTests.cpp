// The object count, the class object and when a COM-started process quits.

#include "ComTestSupport.h"

#include "app/ClassFactory.h"
#include "app/ServerObjectCount.h"
#include "automation/BramoltIdentity.h"

namespace bramolt::test {
namespace {

// Stand-ins for COM's server-process reference count. Function pointers
// cannot capture, so the fakes share this state, reset by each test.
struct TFakeServerProcess {
    static inline ULONG References = 0;
    static inline int AddRefCalls = 0;
    static inline int ReleaseCalls = 0;

    static ULONG STDAPICALLTYPE AddRef()
    {
        ++AddRefCalls;
        return ++References;
    }
    static ULONG STDAPICALLTYPE Release()
    {
        ++ReleaseCalls;
        return --References;
    }
    static void Reset() { References = 0, AddRefCalls = 0, ReleaseCalls = 0; }
    static TOle32Entries Entries()
    {
        TOle32Entries entries;
        entries.CoAddRefServerProcess = AddRef;
        entries.CoReleaseServerProcess = Release;
        return entries;
    }
};

bool QuitPosted()
{
    MSG message;
    return ::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

class ServerObjectCountTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        TFakeServerProcess::Reset();
        while (QuitPosted()) {
        }
    }
};

TEST_F(ServerObjectCountTest, AutomationModeQuitsWhenComReportsTheLastRelease)
{
    TServerObjectCount count(true, TFakeServerProcess::Entries(), ::GetCurrentThreadId());
    count.ObjectCreated();
    count.ObjectCreated();
    EXPECT_EQ(count.Count(), 2);
    EXPECT_EQ(TFakeServerProcess::AddRefCalls, 2);

    count.ObjectDestroyed();
    EXPECT_FALSE(QuitPosted()) << "one client still holds an object";
    count.ObjectDestroyed();
    EXPECT_EQ(count.Count(), 0);
    EXPECT_EQ(TFakeServerProcess::ReleaseCalls, 2);
    EXPECT_TRUE(QuitPosted());
}

TEST_F(ServerObjectCountTest, AutomationModeFollowsComsCountNotItsOwn)
{
    TServerObjectCount count(true, TFakeServerProcess::Entries(), ::GetCurrentThreadId());
    // Another holder of a server-process reference (COM itself) keeps the
    // process alive although this count drops to zero.
    TFakeServerProcess::References = 1;
    count.ObjectCreated();
    count.ObjectDestroyed();
    EXPECT_EQ(count.Count(), 0);
    EXPECT_FALSE(QuitPosted());
}

TEST_F(ServerObjectCountTest, AutomationModeWithoutServerProcessCallsQuitsAtZero)
{
    TServerObjectCount count(true, TOle32Entries{}, ::GetCurrentThreadId());
    count.ObjectCreated();
    count.ObjectDestroyed();
    EXPECT_TRUE(QuitPosted());
}

TEST_F(ServerObjectCountTest, StandaloneModeKeepsRunningAtZero)
{
    TServerObjectCount count(false, TFakeServerProcess::Entries(), ::GetCurrentThreadId());
    count.ObjectCreated();
    count.ObjectDestroyed();
    EXPECT_EQ(count.Count(), 0);
    EXPECT_EQ(TFakeServerProcess::AddRefCalls + TFakeServerProcess::ReleaseCalls, 0)
        << "a process started by hand holds no server-process references";
    EXPECT_FALSE(QuitPosted());
}

class ClassFactoryTest : public ::testing::Test {
  protected:
    TApartment FApartment;
    TTypeLibrary FLibrary;
    TRecordingObjectCount FCount;
    json::TJSONHandleTable FJSONHandles;
    TClassFactory FFactory{FLibrary, FCount, FJSONHandles};
};

TEST_F(ClassFactoryTest, EachRequestCreatesANewObject)
{
    TComPtr<IDispatch> first;
    TComPtr<IDispatch> second;
    ASSERT_TRUE(HResultIs(S_OK, FFactory.CreateInstance(nullptr, IID_IDispatch, first.ReceiveVoid())));
    ASSERT_TRUE(HResultIs(S_OK, FFactory.CreateInstance(nullptr, IID_IBramoltCOM, second.ReceiveVoid())));
    EXPECT_NE(static_cast<IUnknown*>(first.Get()), static_cast<IUnknown*>(second.Get()));
    EXPECT_EQ(FCount.Live(), 2);
    first.Reset();
    second.Reset();
    EXPECT_EQ(FCount.Live(), 0);
}

TEST_F(ClassFactoryTest, RefusesAggregationAndUnknownInterfaces)
{
    TComPtr<IUnknown> object;
    EXPECT_TRUE(
        HResultIs(CLASS_E_NOAGGREGATION, FFactory.CreateInstance(reinterpret_cast<IUnknown*>(&FFactory),
                                                                 IID_IUnknown, object.ReceiveVoid())));
    EXPECT_TRUE(
        HResultIs(E_NOINTERFACE, FFactory.CreateInstance(nullptr, IID_IPersist, object.ReceiveVoid())));
    EXPECT_EQ(object.Get(), nullptr);
    EXPECT_EQ(FCount.Live(), 0);

    EXPECT_TRUE(HResultIs(S_OK, FFactory.QueryInterface(IID_IClassFactory, object.ReceiveVoid())));
    object.Reset();
    EXPECT_TRUE(HResultIs(E_NOINTERFACE, FFactory.QueryInterface(IID_IDispatch, object.ReceiveVoid())));
}

TEST_F(ClassFactoryTest, LockServerCountsAsAnObject)
{
    EXPECT_TRUE(HResultIs(S_OK, FFactory.LockServer(TRUE)));
    EXPECT_EQ(FCount.Live(), 1);
    EXPECT_TRUE(HResultIs(S_OK, FFactory.LockServer(FALSE)));
    EXPECT_EQ(FCount.Live(), 0);
}

} // namespace
} // namespace bramolt::test
