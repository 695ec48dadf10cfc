#include "automation/BramoltCOM.h"

#include "automation/TextArguments.h"

#include <new>

namespace bramolt {

HRESULT TBramoltCOM::Create(const TAutomationClass& automationClass, const TTypeLibrary& typeLibrary,
                            IObjectCount& objectCount, IRunningCalls& runningCalls,
                            json::TJSONHandleTable& jsonHandles, REFIID iid, void** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    auto* object =
        new (std::nothrow) TBramoltCOM(automationClass, typeLibrary, objectCount, runningCalls, jsonHandles);
    if (!object)
        return E_OUTOFMEMORY;
    // The creation reference is dropped after the query: a refused interface
    // destroys the object again, an accepted one keeps it alive.
    const HRESULT hr = object->QueryInterface(iid, result);
    object->Release();
    return hr;
}

TBramoltCOM::TBramoltCOM(const TAutomationClass& automationClass, const TTypeLibrary& typeLibrary,
                         IObjectCount& objectCount, IRunningCalls& runningCalls,
                         json::TJSONHandleTable& jsonHandles) noexcept
    : FClass(automationClass), FTypeLibrary(typeLibrary), FObjectCount(objectCount),
      FRunningCalls(runningCalls), FJSONHandles(jsonHandles)
{
    FObjectCount.ObjectCreated();
}

TBramoltCOM::~TBramoltCOM()
{
    FObjectCount.ObjectDestroyed();
}

// ---------------------------------------------------------------- IUnknown

HRESULT STDMETHODCALLTYPE TBramoltCOM::QueryInterface(REFIID iid, void** result)
{
    if (!result)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBramoltCOM))
        *result = static_cast<IBramoltCOM*>(this);
    else if (IsEqualIID(iid, IID_IDispatch))
        *result = static_cast<IDispatch*>(this);
    else if (IsEqualIID(iid, IID_IProvideClassInfo))
        *result = static_cast<IProvideClassInfo*>(this);
    else if (IsEqualIID(iid, IID_ISupportErrorInfo))
        *result = static_cast<ISupportErrorInfo*>(this);
    else {
        *result = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE TBramoltCOM::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&FRefCount));
}

ULONG STDMETHODCALLTYPE TBramoltCOM::Release()
{
    const LONG count = ::InterlockedDecrement(&FRefCount);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

// ---------------------------------------------------------------- IDispatch

HRESULT STDMETHODCALLTYPE TBramoltCOM::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::GetTypeInfo(UINT index, LCID, ITypeInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    *info = FTypeLibrary.InterfaceInfo();
    (*info)->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    return ::DispGetIDsOfNames(FTypeLibrary.InterfaceInfo(), names, count, ids);
}

HRESULT STDMETHODCALLTYPE TBramoltCOM::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                              VARIANT* result, EXCEPINFO* exception, UINT* argumentError)
{
    // Callers differ in which of the two put flags they send for an
    // assignment; the type information matches either only with both set.
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
        flags |= DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;
    TTextArguments arguments(*FTypeLibrary.VtableInfo(), member, params);
    return FTypeLibrary.VtableInfo()->Invoke(static_cast<IBramoltCOM*>(this), member, flags,
                                             arguments.Params(), result, exception, argumentError);
}

// ---------------------------------------------------------------- IProvideClassInfo

HRESULT STDMETHODCALLTYPE TBramoltCOM::GetClassInfo(ITypeInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = FTypeLibrary.CoclassInfo(FClass);
    if (!*info)
        return TYPE_E_ELEMENTNOTFOUND;
    (*info)->AddRef();
    return S_OK;
}

// ---------------------------------------------------------------- ISupportErrorInfo

HRESULT STDMETHODCALLTYPE TBramoltCOM::InterfaceSupportsErrorInfo(REFIID iid)
{
    TComPtr<IUnknown> probe;
    return SUCCEEDED(QueryInterface(iid, probe.ReceiveVoid())) ? S_OK : S_FALSE;
}

} // namespace bramolt
