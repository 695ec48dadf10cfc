#pragma once

// The class object of one of the server's classes: multiple use, so one process
// serves every client and each creation request makes a new object of that
// class. It lives as long as the
// server process (it must outlive COM's use of it), so its reference count
// only reports and never deletes.

#include "automation/ObjectCount.h"
#include "automation/RunningCalls.h"
#include "automation/TypeLibrary.h"
#include "json/JSONHandleTable.h"

#include <unknwn.h>

namespace bramolt {

class TClassFactory final : public IClassFactory {
  public:
    TClassFactory(const TAutomationClass& automationClass, const TTypeLibrary& typeLibrary,
                  IObjectCount& objectCount, IRunningCalls& runningCalls,
                  json::TJSONHandleTable& jsonHandles) noexcept;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** result) override;
    // A lock counts as one object, so the process outlives it like it
    // outlives any object.
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

  private:
    LONG FRefCount = 0;
    const TAutomationClass& FClass;
    const TTypeLibrary& FTypeLibrary;
    IObjectCount& FObjectCount;
    IRunningCalls& FRunningCalls;
    json::TJSONHandleTable& FJSONHandles;
};

// Registration of a class object with COM for local-server activation; revoked
// on Revoke() or destruction, whichever comes first.
class TClassObjectRegistration {
  public:
    // Throws EComError when COM refuses the registration. A class object
    // registered `suspended` is available only once CoResumeClassObjects has
    // run, so that all class objects of the process become available together.
    TClassObjectRegistration(REFCLSID classID, IClassFactory& factory, bool suspended);
    ~TClassObjectRegistration() { Revoke(); }
    TClassObjectRegistration(const TClassObjectRegistration&) = delete;
    TClassObjectRegistration& operator=(const TClassObjectRegistration&) = delete;

    void Revoke() noexcept;

  private:
    DWORD FCookie = 0;
    bool FRegistered = false;
};

} // namespace bramolt
