// The object count, the class object and when a COM-started process ends.

#include "InProcessServer.h"

#include "app/ClassFactory.h"
#include "app/RunningCalls.h"
#include "app/ServerObjectCount.h"
#include "app/ServerShutdown.h"
#include "automation/BramoltIdentity.h"

namespace bramolt::test {
namespace {

// Stand-ins for COM's server-process reference count. Function pointers
// cannot capture, so the fakes share this state, reset by each test.
struct TFakeServerProcess {
    static inline ULONG References = 0;
    static inline int AddRefCalls = 0;
    static inline int ReleaseCalls = 0;
    static inline int SuspendCalls = 0;
    static inline int ResumeCalls = 0;

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
    static HRESULT STDAPICALLTYPE Suspend()
    {
        ++SuspendCalls;
        return S_OK;
    }
    static HRESULT STDAPICALLTYPE Resume()
    {
        ++ResumeCalls;
        return S_OK;
    }
    static void Reset()
    {
        References = 0, AddRefCalls = 0, ReleaseCalls = 0, SuspendCalls = 0, ResumeCalls = 0;
    }
    static TOle32Entries Entries()
    {
        TOle32Entries entries;
        entries.CoAddRefServerProcess = AddRef;
        entries.CoReleaseServerProcess = Release;
        entries.CoSuspendClassObjects = Suspend;
        entries.CoResumeClassObjects = Resume;
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

TEST_F(ServerObjectCountTest, AutomationModeCountsTheLastReleaseComReports)
{
    TServerObjectCount count(true, TFakeServerProcess::Entries());
    count.ObjectCreated();
    count.ObjectCreated();
    EXPECT_EQ(count.Count(), 2);
    EXPECT_EQ(TFakeServerProcess::AddRefCalls, 2);

    count.ObjectDestroyed();
    EXPECT_EQ(count.LastReleases(), 0) << "one client still holds an object";
    count.ObjectDestroyed();
    EXPECT_EQ(count.Count(), 0);
    EXPECT_EQ(count.Creations(), 2);
    EXPECT_EQ(TFakeServerProcess::ReleaseCalls, 2);
    EXPECT_EQ(count.LastReleases(), 1);
}

TEST_F(ServerObjectCountTest, AutomationModeFollowsComsCountNotItsOwn)
{
    TServerObjectCount count(true, TFakeServerProcess::Entries());
    // Another holder of a server-process reference (COM itself) keeps the
    // process alive although this count drops to zero.
    TFakeServerProcess::References = 1;
    count.ObjectCreated();
    count.ObjectDestroyed();
    EXPECT_EQ(count.Count(), 0);
    EXPECT_EQ(count.LastReleases(), 0);
}

TEST_F(ServerObjectCountTest, AutomationModeWithoutServerProcessCallsEndsAtZero)
{
    TServerObjectCount count(true, TOle32Entries{});
    count.ObjectCreated();
    count.ObjectDestroyed();
    EXPECT_EQ(count.LastReleases(), 1);
}

TEST_F(ServerObjectCountTest, StandaloneModeKeepsRunningAtZero)
{
    TServerObjectCount count(false, TFakeServerProcess::Entries());
    count.ObjectCreated();
    count.ObjectDestroyed();
    EXPECT_EQ(count.Count(), 0);
    EXPECT_EQ(TFakeServerProcess::AddRefCalls + TFakeServerProcess::ReleaseCalls, 0)
        << "a process started by hand holds no server-process references";
    EXPECT_EQ(count.LastReleases(), 0);
}

// The checks of a COM-started process, driven with explicit times (ms).
class ServerShutdownTest : public ServerObjectCountTest {
  protected:
    static constexpr ULONGLONG kStart = 1'000'000;
    static constexpr ULONGLONG kGrace = TServerShutdown::kGraceTime;
    static constexpr ULONGLONG kSettle = TServerShutdown::kSettleTime;
    static constexpr ULONGLONG kDrain = TServerShutdown::kDrainTime;
    static constexpr ULONGLONG kTick = TServerShutdown::kCheckInterval;

    // Checks at every tick from the last check up to `until`.
    void RunUntil(ULONGLONG until)
    {
        for (FNow += kTick; FNow <= until; FNow += kTick)
            FShutdown.Check(FNow);
        FNow -= kTick;
    }
    int Suspends() const { return TFakeServerProcess::SuspendCalls; }
    int Resumes() const { return TFakeServerProcess::ResumeCalls; }

    ULONGLONG FNow = kStart;
    int FRevokes = 0;
    TServerObjectCount FCount{true, TFakeServerProcess::Entries()};
    TServerShutdown FShutdown{FCount, TFakeServerProcess::Entries(), [this] { ++FRevokes; }, kStart};
};

TEST_F(ServerShutdownTest, UnusedProcessSuspendsRevokesAndQuits)
{
    RunUntil(kStart + kGrace - 1);
    EXPECT_EQ(Suspends(), 0) << "the grace time has not passed";
    RunUntil(kStart + kGrace);
    EXPECT_EQ(Suspends(), 1);
    RunUntil(FNow + kSettle - kTick);
    EXPECT_EQ(FRevokes, 0) << "activations already on their way get the settle time";
    RunUntil(FNow + kTick);
    EXPECT_EQ(FRevokes, 1);
    RunUntil(FNow + kDrain - kTick);
    EXPECT_FALSE(QuitPosted())
        << "calls of a class object handed out before the revocation get the drain time";
    RunUntil(FNow + kTick);
    EXPECT_TRUE(QuitPosted());
    RunUntil(FNow + kGrace + kSettle + kDrain);
    EXPECT_FALSE(QuitPosted()) << "the quit is posted once";
    EXPECT_EQ(Suspends(), 1);
    EXPECT_EQ(Resumes(), 0);
    EXPECT_EQ(FRevokes, 1);
}

TEST_F(ServerShutdownTest, LastReleaseSuspendsAtOnce)
{
    // An object that comes and goes between two checks.
    FCount.ObjectCreated();
    FCount.ObjectDestroyed();
    RunUntil(FNow + kTick);
    EXPECT_EQ(Suspends(), 1);
    RunUntil(FNow + kSettle + kDrain - kTick);
    EXPECT_FALSE(QuitPosted());
    RunUntil(FNow + kTick);
    EXPECT_TRUE(QuitPosted());
}

TEST_F(ServerShutdownTest, ActivationDuringTheSettleTimeIsServedAndResumes)
{
    FCount.ObjectCreated();
    RunUntil(FNow + 10 * kGrace);
    EXPECT_EQ(Suspends(), 0) << "a live object keeps the process";
    FCount.ObjectDestroyed();
    RunUntil(FNow + kTick);
    ASSERT_EQ(Suspends(), 1);

    FCount.ObjectCreated();
    RunUntil(FNow + kTick);
    EXPECT_EQ(Resumes(), 1);
    RunUntil(FNow + 10 * kGrace);
    EXPECT_FALSE(QuitPosted());

    // One that is served and released within the settle time restarts it.
    FCount.ObjectDestroyed();
    RunUntil(FNow + kSettle - kTick);
    FCount.ObjectCreated();
    FCount.ObjectDestroyed();
    RunUntil(FNow + kSettle);
    EXPECT_EQ(FRevokes, 0);
    RunUntil(FNow + kTick);
    EXPECT_EQ(FRevokes, 1);
    EXPECT_EQ(Suspends(), 2);
    EXPECT_EQ(Resumes(), 1);
}

TEST_F(ServerShutdownTest, ActivationDuringTheDrainTimeIsServedToItsEnd)
{
    RunUntil(kStart + kGrace + kSettle);
    ASSERT_EQ(FRevokes, 1);
    FCount.ObjectCreated();
    RunUntil(FNow + 10 * kGrace);
    EXPECT_FALSE(QuitPosted()) << "the object is served as long as it lives";
    FCount.ObjectDestroyed();
    RunUntil(FNow + kDrain - kTick);
    EXPECT_FALSE(QuitPosted());
    RunUntil(FNow + kTick);
    EXPECT_TRUE(QuitPosted());
    EXPECT_EQ(Resumes(), 0) << "revoked class objects are not resumed";
    EXPECT_EQ(FRevokes, 1);
}

TEST_F(ServerShutdownTest, ALockKeepsTheProcessLikeAnObject)
{
    TApartment apartment;
    TTypeLibrary library;
    json::TJSONHandleTable handles;
    TRecordingRunningCalls runningCalls;
    TClassFactory factory(kBramoltCOM, library, FCount, runningCalls, handles);
    ASSERT_TRUE(HResultIs(S_OK, factory.LockServer(TRUE)));
    RunUntil(FNow + 10 * kGrace);
    EXPECT_EQ(Suspends(), 0);
    ASSERT_TRUE(HResultIs(S_OK, factory.LockServer(FALSE)));
    RunUntil(FNow + kTick + kSettle + kDrain);
    EXPECT_TRUE(QuitPosted());
}

// "Salir" while calls wait for their worker threads: the loop ends with the last of them,
// however they nest.
TEST_F(ServerObjectCountTest, EndingWaitsForTheLastRunningCall)
{
    const struct {
        const char* Name;
        int Running;      // calls running when the user ends the server
        int StartedLater; // calls that arrive after that, during the others' waits
    } rows[] = {
        {"no call", 0, 0},
        {"one call", 1, 0},
        {"nested calls", 3, 0},
        {"a call arriving while ending", 1, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        TRunningCalls calls;
        for (int index = 0; index < row.Running; ++index)
            calls.CallStarted();
        calls.EndWhenIdle();
        for (int index = 0; index < row.StartedLater; ++index)
            calls.CallStarted();
        for (int left = row.Running + row.StartedLater; left > 0; --left) {
            EXPECT_FALSE(QuitPosted()) << left << " calls still run";
            calls.CallEnded();
        }
        EXPECT_TRUE(QuitPosted());
        EXPECT_FALSE(QuitPosted()) << "the loop is asked to end once";
    }
}

TEST_F(ServerObjectCountTest, CallsEndingWithoutARequestLeaveTheServerRunning)
{
    TRunningCalls calls;
    calls.CallStarted();
    calls.CallStarted();
    calls.CallEnded();
    calls.CallEnded();
    EXPECT_FALSE(QuitPosted());
}

class ClassFactoryTest : public TInProcessServer<> {
  protected:
    TClassFactory FFactory{kBramoltCOM, FLibrary, FCount, FRunningCalls, FJSONHandles};
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
