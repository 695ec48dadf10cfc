#pragma once

// TBramoltCOM, the automation object of the server's classes (BramoltIdentity.h):
// one implementation, whose objects know their class. It answers for IUnknown,
// IDispatch, IBramoltCOM, IProvideClassInfo and ISupportErrorInfo; IDispatch
// is served entirely from the type library, and every method maps what it
// throws to its failure value, or to an HRESULT and an error object, in one
// place (MethodAnswer.h).
//
// The methods are defined by group in separate files (Version.cpp,
// JSONTreeMethods.cpp, DataSetMethods.cpp, MailMethods.cpp, ...).

#include "automation/BramoltIdentity.h"
#include "automation/ComOwners.h"
#include "automation/ObjectCount.h"
#include "automation/RunningCalls.h"
#include "automation/TypeLibrary.h"
#include "automation/WorkerThreadCall.h"
#include "json/JSONHandleTable.h"

#include <ocidl.h>

namespace bramolt {

class TBramoltCOM final : public IBramoltCOM,
                          public IDispatch,
                          public IProvideClassInfo,
                          public ISupportErrorInfo {
  public:
    // Creates an object of class `automationClass` and returns its interface
    // `iid` in `result`. The object counts itself in `objectCount` for as long
    // as it lives. JSON trees belong to the process, not to an object: every
    // object, of either class, works on the one `jsonHandles` table, so a
    // handle from one client is valid for all. Calls that hand their work to a
    // worker thread count themselves in `runningCalls` while they wait. The
    // references must outlive every object.
    static HRESULT Create(const TAutomationClass& automationClass, const TTypeLibrary& typeLibrary,
                          IObjectCount& objectCount, IRunningCalls& runningCalls,
                          json::TJSONHandleTable& jsonHandles, REFIID iid, void** result);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    // IProvideClassInfo
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

    // IBramoltCOM, in the order of its vtable
    HRESULT STDMETHODCALLTYPE JSONCreate(BSTR strJSON, VARIANT* oJSON) override;
    HRESULT STDMETHODCALLTYPE JSONGetElement(VARIANT* iJSON, BSTR key, VARIANT* oJSON) override;
    HRESULT STDMETHODCALLTYPE JSONGetNodeValue(VARIANT* iJSON, BSTR key, VARIANT* oJSON) override;
    HRESULT STDMETHODCALLTYPE JSONGetArrayElement(VARIANT* iJSON, LONG index, VARIANT* oJSON) override;
    HRESULT STDMETHODCALLTYPE JSONArrayCount(VARIANT* iJSON, LONG* count) override;
    HRESULT STDMETHODCALLTYPE JSONFree(VARIANT* iJSON) override;
    HRESULT STDMETHODCALLTYPE JSONAddElement(VARIANT* iJSON, BSTR key, VARIANT* oJSON) override;
    HRESULT STDMETHODCALLTYPE JSONAddNode(VARIANT* iJSON, BSTR key, VARIANT value) override;
    HRESULT STDMETHODCALLTYPE JSONFormat(VARIANT* iJSON, BSTR* oStrJSON) override;
    HRESULT STDMETHODCALLTYPE JSONAddArray(VARIANT* iJSON, BSTR key, VARIANT* oJSON) override;
    HRESULT STDMETHODCALLTYPE JSONAddArrayElement(VARIANT* iJSON, VARIANT* oJSON) override;
    HRESULT STDMETHODCALLTYPE JSONAddNodeAsNumber(VARIANT* iJSON, VARIANT key, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE JSONAddNodeAsBool(VARIANT* iJSON, VARIANT key, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE JSONGetPairKey(VARIANT* iJSON, VARIANT* key) override;
    HRESULT STDMETHODCALLTYPE JSONIsObject(VARIANT* iJSON, VARIANT* oJSON) override;
    HRESULT STDMETHODCALLTYPE JSONIsArray(VARIANT* iJSON, VARIANT* oJSON) override;
    HRESULT STDMETHODCALLTYPE JSONCount(VARIANT* iJSON, VARIANT* oJSON) override;
    HRESULT STDMETHODCALLTYPE JSONGetPair(VARIANT* iJSON, LONG index, VARIANT* oJSON) override;
    HRESULT STDMETHODCALLTYPE JSONGetPairValue(VARIANT* iJSON, VARIANT* oJSON) override;
    HRESULT STDMETHODCALLTYPE JSONAddArrayElementNested(VARIANT* iJSON, BSTR value, VARIANT* oJSON) override;
    HRESULT STDMETHODCALLTYPE DSToJSON(BSTR* iXML, BSTR* iJSON, BSTR* iKeyField, VARIANT iKeyValue,
                                       BSTR* iTypeOper, BSTR* oXML) override;
    HRESULT STDMETHODCALLTYPE SendMail(BSTR Destino, BSTR CC, BSTR CCO, BSTR Asunto, BSTR Mensaje,
                                       BSTR Adjuntos, BSTR UserName, BSTR UserPass, BSTR Server, int Port,
                                       VARIANT_BOOL TSL, BSTR* Res) override;
    HRESULT STDMETHODCALLTYPE EncodeBase64(BSTR InputText, BSTR OutputPath, VARIANT_BOOL* Res) override;
    HRESULT STDMETHODCALLTYPE DecodeBase64(BSTR InputText, BSTR OutputPath, VARIANT_BOOL* Res) override;
    HRESULT STDMETHODCALLTYPE Version(BSTR* Version) override;
    HRESULT STDMETHODCALLTYPE GenerateQR(BSTR InputText, BSTR OutputPath, VARIANT_BOOL* Res) override;

  private:
    TBramoltCOM(const TAutomationClass& automationClass, const TTypeLibrary& typeLibrary,
                IObjectCount& objectCount, IRunningCalls& runningCalls,
                json::TJSONHandleTable& jsonHandles) noexcept;
    ~TBramoltCOM();
    TBramoltCOM(const TBramoltCOM&) = delete;
    TBramoltCOM& operator=(const TBramoltCOM&) = delete;

    // Runs `work` on a worker thread (WorkerThreadCall.h). The object stays alive until
    // it has ended, also when its client dies meanwhile and COM drops the client's
    // references: the call still runs on it, and the process counts it as in use.
    template <typename Work> auto OnWorkerThread(Work&& work)
    {
        const TComPtr<IBramoltCOM> alive(this);
        return CallOnWorkerThread(FRunningCalls, std::forward<Work>(work));
    }

    LONG FRefCount = 1;
    const TAutomationClass& FClass;
    const TTypeLibrary& FTypeLibrary;
    IObjectCount& FObjectCount;
    IRunningCalls& FRunningCalls;
    json::TJSONHandleTable& FJSONHandles;
};

} // namespace bramolt
