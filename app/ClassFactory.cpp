#include "app/ClassFactory.h"

#include "automation/BramoltCOM.h"
#include "automation/ComFailure.h"

namespace bramolt {

TClassFactory::TClassFactory(const TAutomationClass& automationClass, const TTypeLibrary& typeLibrary,
                             IObjectCount& objectCount, IRunningCalls& runningCalls,
                             json::TJSONHandleTable& jsonHandles) noexcept
    : FClass(automationClass), FTypeLibrary(typeLibrary), FObjectCount(objectCount),
      FRunningCalls(runningCalls), FJSONHandles(jsonHandles)
{
}

HRESULT STDMETHODCALLTYPE TClassFactory::QueryInterface(REFIID iid, void** result)
{
    if (!result)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
        *result = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *result = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TClassFactory::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&FRefCount));
}

ULONG STDMETHODCALLTYPE TClassFactory::Release()
{
    return static_cast<ULONG>(::InterlockedDecrement(&FRefCount));
}

HRESULT STDMETHODCALLTYPE TClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    return TBramoltCOM::Create(FClass, FTypeLibrary, FObjectCount, FRunningCalls, FJSONHandles, iid, result);
}

HRESULT STDMETHODCALLTYPE TClassFactory::LockServer(BOOL lock)
{
    const HRESULT hr = ::CoLockObjectExternal(this, lock, TRUE);
    if (lock)
        FObjectCount.ObjectCreated();
    else
        FObjectCount.ObjectDestroyed();
    return hr;
}

TClassObjectRegistration::TClassObjectRegistration(REFCLSID classID, IClassFactory& factory, bool suspended)
{
    const DWORD flags = REGCLS_MULTIPLEUSE | (suspended ? REGCLS_SUSPENDED : 0);
    ThrowIfFailed(::CoRegisterClassObject(classID, &factory, CLSCTX_LOCAL_SERVER, flags, &FCookie),
                  "Cannot register the class object with COM");
    FRegistered = true;
}

void TClassObjectRegistration::Revoke() noexcept
{
    if (FRegistered)
        ::CoRevokeClassObject(FCookie);
    FRegistered = false;
}

} // namespace bramolt
