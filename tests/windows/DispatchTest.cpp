// TBramoltCOM in-process: what a late-bound script and an early-bound client
// get from IUnknown, IDispatch, IProvideClassInfo and ISupportErrorInfo.

#include "InProcessServer.h"

#include "automation/BramoltCOM.h"

#include <string>
#include <vector>

namespace bramolt::test {
namespace {

class BramoltCOMTest : public TInProcessServer<> {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(HResultIs(S_OK, CreateObject(IID_IDispatch, FDispatch.ReceiveVoid())));
    }

    DISPID IdOf(const wchar_t* name, HRESULT expected = S_OK)
    {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = 0;
        EXPECT_TRUE(
            HResultIs(expected, FDispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
            << Narrow(name);
        return id;
    }

    TComPtr<IDispatch> FDispatch;
};

TEST_F(BramoltCOMTest, NamesResolveToTheirDispIDsIgnoringCase)
{
    const struct {
        const wchar_t* Name;
        DISPID Expected;
    } rows[] = {
        {L"JSONAddNodeAsNumber", 101},
        {L"JSONCreate", 102},
        {L"JSONGetElement", 103},
        {L"JSONGetNodeValue", 104},
        {L"JSONGetArrayElement", 105},
        {L"JSONArrayCount", 106},
        {L"JSONFree", 107},
        {L"JSONAddElement", 108},
        {L"JSONAddNode", 109},
        {L"JSONFormat", 110},
        {L"JSONAddArray", 111},
        {L"JSONAddArrayElement", 112},
        {L"JSONAddNodeAsBool", 113},
        {L"JSONGetPairKey", 114},
        {L"JSONIsObject", 115},
        {L"JSONIsArray", 116},
        {L"JSONCount", 117},
        {L"JSONGetPair", 118},
        {L"JSONGetPairValue", 119},
        {L"JSONAddArrayElementNested", 120},
        {L"DSToJSON", 121},
        {L"SendMail", 122},
        {L"EncodeBase64", 123},
        {L"DecodeBase64", 124},
        {L"Version", 125},
        {L"GenerateQR", 126},
        // Scripting languages do not preserve the case the library uses.
        {L"jsoncreate", 102},
        {L"JSONCREATE", 102},
        {L"jSoNaDdNoDeAsNuMbEr", 101},
        {L"version", 125},
    };
    for (const auto& row : rows)
        EXPECT_EQ(IdOf(row.Name), row.Expected) << Narrow(row.Name);
}

TEST_F(BramoltCOMTest, UnknownNamesAreRefused)
{
    for (const wchar_t* name : {L"JSONCreat", L"QueryInterface2", L"", L"JSONCreate "})
        IdOf(name, DISP_E_UNKNOWNNAME);
}

TEST_F(BramoltCOMTest, ParameterNamesResolveToTheirPositions)
{
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"SendMail"), const_cast<LPOLESTR>(L"Destino"),
                        const_cast<LPOLESTR>(L"tsl"), const_cast<LPOLESTR>(L"Port")};
    DISPID ids[4] = {};
    ASSERT_TRUE(HResultIs(S_OK, FDispatch->GetIDsOfNames(IID_NULL, names, 4, LOCALE_USER_DEFAULT, ids)));
    EXPECT_EQ(ids[0], 122);
    EXPECT_EQ(ids[1], 0);
    EXPECT_EQ(ids[2], 10);
    EXPECT_EQ(ids[3], 9);
}

TEST_F(BramoltCOMTest, TypeInfoHasOneEntryWhateverTheLocale)
{
    UINT count = 0;
    ASSERT_TRUE(HResultIs(S_OK, FDispatch->GetTypeInfoCount(&count)));
    EXPECT_EQ(count, 1u);

    for (LCID locale : {LCID{0}, LCID{1033}, LCID{3082}}) {
        TComPtr<ITypeInfo> info;
        ASSERT_TRUE(HResultIs(S_OK, FDispatch->GetTypeInfo(0, locale, info.Receive())));
        TYPEATTR* attr = nullptr;
        ASSERT_TRUE(HResultIs(S_OK, info->GetTypeAttr(&attr)));
        EXPECT_TRUE(IsEqualGUID(attr->guid, IID_IBramoltCOM));
        info->ReleaseTypeAttr(attr);
    }

    ITypeInfo* refused = reinterpret_cast<ITypeInfo*>(0x1);
    EXPECT_TRUE(HResultIs(DISP_E_BADINDEX, FDispatch->GetTypeInfo(1, 0, &refused)));
    EXPECT_EQ(refused, nullptr);
}

TEST_F(BramoltCOMTest, VersionThroughInvoke)
{
    // Scripts call a method that has a value with both flags.
    for (WORD flags : {WORD{DISPATCH_METHOD}, WORD{DISPATCH_METHOD | DISPATCH_PROPERTYGET}}) {
        DISPPARAMS none{};
        TVariantOwner result;
        ASSERT_TRUE(HResultIs(S_OK, FDispatch->Invoke(IdOf(L"Version"), IID_NULL, LOCALE_USER_DEFAULT, flags,
                                                      &none, result.Pointer(), nullptr, nullptr)));
        ASSERT_EQ(V_VT(&result.Get()), VT_BSTR);
        EXPECT_EQ(std::wstring(V_BSTR(&result.Get())), L"1.0.002");
    }
}

TEST_F(BramoltCOMTest, VersionEarlyBound)
{
    TComPtr<IBramoltCOM> object;
    ASSERT_TRUE(HResultIs(S_OK, FDispatch->QueryInterface(IID_IBramoltCOM, object.ReceiveVoid())));
    TBstr version;
    ASSERT_TRUE(HResultIs(S_OK, object->Version(version.Receive())));
    EXPECT_EQ(version.View(), L"1.0.002");
    EXPECT_TRUE(HResultIs(E_POINTER, object->Version(nullptr)));
}

TEST_F(BramoltCOMTest, InvokeRefusesWhatTheTypeInformationCannotCall)
{
    TVariantOwner argument;
    V_VT(argument.Pointer()) = VT_I4;
    V_I4(argument.Pointer()) = 1;
    DISPPARAMS one{argument.Pointer(), nullptr, 1, 0};
    TVariantOwner result;
    UINT argumentError = 0;
    EXPECT_TRUE(
        HResultIs(DISP_E_BADPARAMCOUNT, FDispatch->Invoke(IdOf(L"Version"), IID_NULL, 0, DISPATCH_METHOD,
                                                          &one, result.Receive(), nullptr, &argumentError)));
    DISPPARAMS none{};
    EXPECT_TRUE(HResultIs(DISP_E_MEMBERNOTFOUND, FDispatch->Invoke(999, IID_NULL, 0, DISPATCH_METHOD, &none,
                                                                   result.Receive(), nullptr, nullptr)));
}

// A method that fails reaches a late-bound caller as an exception whose
// source and description come from the error object.
TEST_F(BramoltCOMTest, FailureReachesLateBoundCallerAsException)
{
    // A handle argument that is no integer leaves JSONGetPairKey as an error.
    const TLateBoundAnswer answer = InvokeByName(*FDispatch.Get(), L"JSONGetPairKey", {Null()});
    ASSERT_TRUE(HResultIs(DISP_E_EXCEPTION, answer.Code));
    EXPECT_TRUE(HResultIs(E_UNEXPECTED, answer.ErrorCode));
    EXPECT_EQ(answer.ErrorSource, L"Bramolt.BramoltCOM");
    EXPECT_EQ(answer.ErrorDescription, L"Could not convert variant of type (Null) into type (Int64)");
}

TEST_F(BramoltCOMTest, QueryInterfaceAnswersForItsInterfacesOnly)
{
    const struct {
        const char* Name;
        IID Iid;
        HRESULT Expected;
    } rows[] = {
        {"IUnknown", IID_IUnknown, S_OK},
        {"IDispatch", IID_IDispatch, S_OK},
        {"IBramoltCOM", IID_IBramoltCOM, S_OK},
        {"IProvideClassInfo", IID_IProvideClassInfo, S_OK},
        {"ISupportErrorInfo", IID_ISupportErrorInfo, S_OK},
        {"IProvideClassInfo2", IID_IProvideClassInfo2, E_NOINTERFACE},
        {"IPersistStream", IID_IPersistStream, E_NOINTERFACE},
        {"IClassFactory", IID_IClassFactory, E_NOINTERFACE},
        {"IPersist", IID_IPersist, E_NOINTERFACE},
        {"IMarshal", IID_IMarshal, E_NOINTERFACE},
        {"IConnectionPointContainer", IID_IConnectionPointContainer, E_NOINTERFACE},
    };
    TComPtr<IUnknown> identity;
    ASSERT_TRUE(HResultIs(S_OK, FDispatch->QueryInterface(IID_IUnknown, identity.ReceiveVoid())));
    TComPtr<ISupportErrorInfo> errorInfo;
    ASSERT_TRUE(HResultIs(S_OK, FDispatch->QueryInterface(IID_ISupportErrorInfo, errorInfo.ReceiveVoid())));

    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        void* raw = &raw; // garbage that a refusal must overwrite
        EXPECT_TRUE(HResultIs(row.Expected, FDispatch->QueryInterface(row.Iid, &raw)));
        if (raw == &raw) {
            ADD_FAILURE() << "the result was left untouched";
            continue;
        }
        const auto answer = TComPtr<IUnknown>::Adopt(static_cast<IUnknown*>(raw));
        if (row.Expected == S_OK) {
            // Every interface leads back to the same object.
            TComPtr<IUnknown> back;
            ASSERT_TRUE(HResultIs(S_OK, answer->QueryInterface(IID_IUnknown, back.ReceiveVoid())));
            EXPECT_EQ(back.Get(), identity.Get());
        } else {
            EXPECT_EQ(answer.Get(), nullptr);
        }
        EXPECT_TRUE(
            HResultIs(row.Expected == S_OK ? S_OK : S_FALSE, errorInfo->InterfaceSupportsErrorInfo(row.Iid)));
    }
}

TEST_F(BramoltCOMTest, ClassInfoIsTheCoclassOfTheObjectsClass)
{
    for (const TAutomationClass* automationClass : kAutomationClasses) {
        SCOPED_TRACE(Narrow(automationClass->ProgID));
        TComPtr<IProvideClassInfo> provider;
        ASSERT_TRUE(
            HResultIs(S_OK, CreateObject(IID_IProvideClassInfo, provider.ReceiveVoid(), *automationClass)));
        TComPtr<ITypeInfo> info;
        ASSERT_TRUE(HResultIs(S_OK, provider->GetClassInfo(info.Receive())));
        TYPEATTR* attr = nullptr;
        ASSERT_TRUE(HResultIs(S_OK, info->GetTypeAttr(&attr)));
        EXPECT_EQ(attr->typekind, TKIND_COCLASS);
        EXPECT_TRUE(IsEqualGUID(attr->guid, automationClass->ClassID));
        info->ReleaseTypeAttr(attr);
    }
}

TEST_F(BramoltCOMTest, ObjectCountsItselfUntilTheLastReference)
{
    EXPECT_EQ(FCount.Live(), 1);
    TComPtr<IBramoltCOM> second;
    ASSERT_TRUE(HResultIs(S_OK, FDispatch->QueryInterface(IID_IBramoltCOM, second.ReceiveVoid())));
    FDispatch.Reset();
    EXPECT_EQ(FCount.Live(), 1) << "a remaining reference keeps the object";
    second.Reset();
    EXPECT_EQ(FCount.Live(), 0);
    EXPECT_EQ(FCount.Created, 1);
}

TEST_F(BramoltCOMTest, CreationForARefusedInterfaceLeavesNoObject)
{
    TComPtr<IUnknown> refused;
    EXPECT_TRUE(HResultIs(E_NOINTERFACE, CreateObject(IID_IClassFactory, refused.ReceiveVoid())));
    EXPECT_EQ(refused.Get(), nullptr);
    EXPECT_EQ(FCount.Created, 2);
    EXPECT_EQ(FCount.Live(), 1) << "only the fixture's object is alive";
}

} // namespace
} // namespace bramolt::test
