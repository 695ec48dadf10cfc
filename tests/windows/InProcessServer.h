#pragma once

// The fixture of the tests that create TBramoltCOM in-process, as the server's class factories
// do: the object's apartment, this executable's type library, an object count, a count of
// running calls and the JSON handle table live as long as the test. `Base` is the GoogleTest fixture it
// extends.

#include "ComTestSupport.h"

#include "automation/BramoltCOM.h"
#include "automation/TypeLibrary.h"
#include "json/JSONHandleTable.h"

namespace bramolt::test {

template <typename Base = ::testing::Test> class TInProcessServer : public Base {
  protected:
    // A new object of class `automationClass`, asked for its interface `iid`.
    HRESULT CreateObject(REFIID iid, void** result, const TAutomationClass& automationClass = kBramoltCOM)
    {
        return TBramoltCOM::Create(automationClass, FLibrary, FCount, FRunningCalls, FJSONHandles, iid,
                                   result);
    }

    TApartment FApartment;
    TTypeLibrary FLibrary;
    TRecordingObjectCount FCount;
    TRecordingRunningCalls FRunningCalls;
    json::TJSONHandleTable FJSONHandles;
};

} // namespace bramolt::test
