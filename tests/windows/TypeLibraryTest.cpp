// The embedded type library, read back through the system's type-library
// reader: what early- and late-bound clients see of IBramoltCOM.

#include "ComTestSupport.h"

#include "automation/BramoltIdentity.h"
#include "automation/TypeLibrary.h"

#include <string>
#include <vector>

namespace bramolt::test {
namespace {

struct TParam {
    const wchar_t* Name;
    VARTYPE Type; // VT_BYREF marks a pointer
    USHORT Flags; // PARAMFLAG_FIN, or PARAMFLAG_FOUT | PARAMFLAG_FRETVAL
};

struct TMethodRow {
    const wchar_t* Name;
    MEMBERID DispID;
    std::vector<TParam> Params;
};

constexpr USHORT kIn = PARAMFLAG_FIN;
constexpr USHORT kRetval = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;
constexpr VARTYPE kVariantRef = VT_BYREF | VT_VARIANT;
constexpr VARTYPE kBstrRef = VT_BYREF | VT_BSTR;

// The published method table, in vtable order.
const std::vector<TMethodRow> kMethods = {
    {L"JSONCreate", 102, {{L"strJSON", VT_BSTR, kIn}, {L"oJSON", kVariantRef, kRetval}}},
    {L"JSONGetElement",
     103,
     {{L"iJSON", kVariantRef, kIn}, {L"key", VT_BSTR, kIn}, {L"oJSON", kVariantRef, kRetval}}},
    {L"JSONGetNodeValue",
     104,
     {{L"iJSON", kVariantRef, kIn}, {L"key", VT_BSTR, kIn}, {L"oJSON", kVariantRef, kRetval}}},
    {L"JSONGetArrayElement",
     105,
     {{L"iJSON", kVariantRef, kIn}, {L"index", VT_I4, kIn}, {L"oJSON", kVariantRef, kRetval}}},
    {L"JSONArrayCount", 106, {{L"iJSON", kVariantRef, kIn}, {L"count", VT_BYREF | VT_I4, kRetval}}},
    {L"JSONFree", 107, {{L"iJSON", kVariantRef, kIn}}},
    {L"JSONAddElement",
     108,
     {{L"iJSON", kVariantRef, kIn}, {L"key", VT_BSTR, kIn}, {L"oJSON", kVariantRef, kRetval}}},
    {L"JSONAddNode",
     109,
     {{L"iJSON", kVariantRef, kIn}, {L"key", VT_BSTR, kIn}, {L"value", VT_VARIANT, kIn}}},
    {L"JSONFormat", 110, {{L"iJSON", kVariantRef, kIn}, {L"oStrJSON", kBstrRef, kRetval}}},
    {L"JSONAddArray",
     111,
     {{L"iJSON", kVariantRef, kIn}, {L"key", VT_BSTR, kIn}, {L"oJSON", kVariantRef, kRetval}}},
    {L"JSONAddArrayElement", 112, {{L"iJSON", kVariantRef, kIn}, {L"oJSON", kVariantRef, kRetval}}},
    {L"JSONAddNodeAsNumber",
     101,
     {{L"iJSON", kVariantRef, kIn}, {L"key", VT_VARIANT, kIn}, {L"value", kVariantRef, kIn}}},
    {L"JSONAddNodeAsBool",
     113,
     {{L"iJSON", kVariantRef, kIn}, {L"key", VT_VARIANT, kIn}, {L"value", kVariantRef, kIn}}},
    {L"JSONGetPairKey", 114, {{L"iJSON", kVariantRef, kIn}, {L"key", kVariantRef, kRetval}}},
    {L"JSONIsObject", 115, {{L"iJSON", kVariantRef, kIn}, {L"oJSON", kVariantRef, kRetval}}},
    {L"JSONIsArray", 116, {{L"iJSON", kVariantRef, kIn}, {L"oJSON", kVariantRef, kRetval}}},
    {L"JSONCount", 117, {{L"iJSON", kVariantRef, kIn}, {L"oJSON", kVariantRef, kRetval}}},
    {L"JSONGetPair",
     118,
     {{L"iJSON", kVariantRef, kIn}, {L"index", VT_I4, kIn}, {L"oJSON", kVariantRef, kRetval}}},
    {L"JSONGetPairValue", 119, {{L"iJSON", kVariantRef, kIn}, {L"oJSON", kVariantRef, kRetval}}},
    {L"JSONAddArrayElementNested",
     120,
     {{L"iJSON", kVariantRef, kIn}, {L"value", VT_BSTR, kIn}, {L"oJSON", kVariantRef, kRetval}}},
    {L"DSToJSON",
     121,
     {{L"iXML", kBstrRef, kIn},
      {L"iJSON", kBstrRef, kIn},
      {L"iKeyField", kBstrRef, kIn},
      {L"iKeyValue", VT_VARIANT, kIn},
      {L"iTypeOper", kBstrRef, kIn},
      {L"oXML", kBstrRef, kRetval}}},
    {L"SendMail",
     122,
     {{L"Destino", VT_BSTR, kIn},
      {L"CC", VT_BSTR, kIn},
      {L"CCO", VT_BSTR, kIn},
      {L"Asunto", VT_BSTR, kIn},
      {L"Mensaje", VT_BSTR, kIn},
      {L"Adjuntos", VT_BSTR, kIn},
      {L"UserName", VT_BSTR, kIn},
      {L"UserPass", VT_BSTR, kIn},
      {L"Server", VT_BSTR, kIn},
      {L"Port", VT_INT, kIn},
      {L"TSL", VT_BOOL, kIn},
      {L"Res", kBstrRef, kRetval}}},
    {L"EncodeBase64",
     123,
     {{L"InputText", VT_BSTR, kIn}, {L"OutputPath", VT_BSTR, kIn}, {L"Res", VT_BYREF | VT_BOOL, kRetval}}},
    {L"DecodeBase64",
     124,
     {{L"InputText", VT_BSTR, kIn}, {L"OutputPath", VT_BSTR, kIn}, {L"Res", VT_BYREF | VT_BOOL, kRetval}}},
    {L"Version", 125, {{L"Version", kBstrRef, kRetval}}},
    {L"GenerateQR",
     126,
     {{L"InputText", VT_BSTR, kIn}, {L"OutputPath", VT_BSTR, kIn}, {L"Res", VT_BYREF | VT_BOOL, kRetval}}},
};

VARTYPE TypeOf(const TYPEDESC& type)
{
    return type.vt == VT_PTR ? static_cast<VARTYPE>(VT_BYREF | type.lptdesc->vt) : type.vt;
}

std::wstring NameOf(ITypeInfo* info, MEMBERID member)
{
    TBstr name;
    info->GetDocumentation(member, name.Receive(), nullptr, nullptr, nullptr);
    return std::wstring(name.View());
}

class TypeLibraryTest : public ::testing::Test {
  protected:
    TTypeLibrary FLibrary;
};

// Owns a TYPEATTR for the duration of a check.
class TTypeAttr {
  public:
    explicit TTypeAttr(ITypeInfo* info) : FInfo(info)
    {
        EXPECT_TRUE(HResultIs(S_OK, info->GetTypeAttr(&FAttr)));
    }
    ~TTypeAttr()
    {
        if (FAttr)
            FInfo->ReleaseTypeAttr(FAttr);
    }
    const TYPEATTR* operator->() const { return FAttr; }

  private:
    ITypeInfo* FInfo;
    TYPEATTR* FAttr = nullptr;
};

TEST_F(TypeLibraryTest, LibraryHeader)
{
    TLIBATTR* attr = nullptr;
    ASSERT_TRUE(HResultIs(S_OK, FLibrary.Library()->GetLibAttr(&attr)));
    EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_Bramolt));
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    EXPECT_EQ(attr->lcid, 1033u);
    FLibrary.Library()->ReleaseTLibAttr(attr);

    TBstr name;
    ASSERT_TRUE(
        HResultIs(S_OK, FLibrary.Library()->GetDocumentation(-1, name.Receive(), nullptr, nullptr, nullptr)));
    EXPECT_EQ(name.View(), L"Bramolt");
}

TEST_F(TypeLibraryTest, InterfaceIsDualAutomationWithDocumentation)
{
    const TTypeAttr attr(FLibrary.InterfaceInfo());
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    EXPECT_TRUE(IsEqualGUID(attr->guid, IID_IBramoltCOM));
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
    EXPECT_EQ(attr->cVars, 0) << "the interface has no properties";
    // The oleautomation flag, which lets the system marshal the interface
    // from its type library, is kept on the vtable side.
    const TTypeAttr vtable(FLibrary.VtableInfo());
    EXPECT_TRUE(vtable->wTypeFlags & TYPEFLAG_FDUAL);
    EXPECT_TRUE(vtable->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);

    TBstr name;
    TBstr doc;
    FLibrary.InterfaceInfo()->GetDocumentation(MEMBERID_NIL, name.Receive(), doc.Receive(), nullptr, nullptr);
    EXPECT_EQ(name.View(), L"IBramoltCOM");
    EXPECT_EQ(doc.View(), L"Interface for BramoltCOM Object");
}

// The dispatch view lists the functions of the whole vtable: IUnknown's three
// (inherited from stdole2's IUnknown, not IDispatch) and then the 26 methods.
TEST_F(TypeLibraryTest, FunctionTableHoldsIUnknownThenTheMethods)
{
    ITypeInfo* info = FLibrary.InterfaceInfo();
    const TTypeAttr attr(info);
    ASSERT_EQ(attr->cFuncs, 29);
    const wchar_t* const inherited[] = {L"QueryInterface", L"AddRef", L"Release"};
    for (UINT i = 0; i < 29; ++i) {
        FUNCDESC* func = nullptr;
        ASSERT_TRUE(HResultIs(S_OK, info->GetFuncDesc(i, &func)));
        const std::wstring expected = i < 3 ? inherited[i] : kMethods[i - 3].Name;
        EXPECT_EQ(NameOf(info, func->memid), expected) << "entry " << i;
        info->ReleaseFuncDesc(func);
    }
}

TEST_F(TypeLibraryTest, VtableViewDerivesFromIUnknown)
{
    ITypeInfo* vtable = FLibrary.VtableInfo();
    const TTypeAttr attr(vtable);
    EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
    EXPECT_EQ(attr->cFuncs, 26);
    // IUnknown's three slots come first; each slot is one pointer.
    EXPECT_EQ(attr->cbSizeVft, 29 * sizeof(void*));
    ASSERT_EQ(attr->cImplTypes, 1);

    HREFTYPE baseType = 0;
    ASSERT_TRUE(HResultIs(S_OK, vtable->GetRefTypeOfImplType(0, &baseType)));
    TComPtr<ITypeInfo> base;
    ASSERT_TRUE(HResultIs(S_OK, vtable->GetRefTypeInfo(baseType, base.Receive())));
    EXPECT_EQ(NameOf(base.Get(), MEMBERID_NIL), L"IUnknown");
}

// Slot, DISPID, parameter names, types and directions of every method, as
// clients compiled against the library and late-bound callers rely on them.
TEST_F(TypeLibraryTest, MethodsMatchThePublishedTable)
{
    ITypeInfo* vtable = FLibrary.VtableInfo();
    for (UINT slot = 0; slot < kMethods.size(); ++slot) {
        const TMethodRow& row = kMethods[slot];
        SCOPED_TRACE(Narrow(row.Name));
        FUNCDESC* func = nullptr;
        ASSERT_TRUE(HResultIs(S_OK, vtable->GetFuncDesc(slot, &func)));
        EXPECT_EQ(func->memid, row.DispID);
        EXPECT_EQ(func->invkind, INVOKE_FUNC);
        EXPECT_EQ(func->callconv, CC_STDCALL);
        EXPECT_EQ(func->elemdescFunc.tdesc.vt, VT_HRESULT);
        EXPECT_EQ(func->oVft, static_cast<SHORT>((3 + slot) * sizeof(void*)));
        ASSERT_EQ(func->cParams, static_cast<SHORT>(row.Params.size()));

        std::vector<TBstr> names(row.Params.size() + 1);
        std::vector<BSTR> raw(names.size());
        UINT count = 0;
        ASSERT_TRUE(
            HResultIs(S_OK, vtable->GetNames(row.DispID, raw.data(), static_cast<UINT>(raw.size()), &count)));
        for (size_t i = 0; i < count; ++i)
            *names[i].Receive() = raw[i];
        ASSERT_EQ(count, raw.size());
        EXPECT_EQ(names[0].View(), row.Name);

        for (size_t i = 0; i < row.Params.size(); ++i) {
            const ELEMDESC& param = func->lprgelemdescParam[i];
            EXPECT_EQ(names[i + 1].View(), row.Params[i].Name) << "parameter " << i;
            EXPECT_EQ(TypeOf(param.tdesc), row.Params[i].Type) << "parameter " << i;
            EXPECT_EQ(param.paramdesc.wParamFlags & (PARAMFLAG_FIN | PARAMFLAG_FOUT | PARAMFLAG_FRETVAL),
                      row.Params[i].Flags)
                << "parameter " << i;
        }
        vtable->ReleaseFuncDesc(func);
    }
}

TEST_F(TypeLibraryTest, EachCoclassIsCreatableWithTheOneInterfaceAsDefault)
{
    const struct {
        const char* Why;
        const TAutomationClass& Class;
        const wchar_t* Name;
        const wchar_t* Doc;
    } rows[] = {
        {"the class of existing callers", kBramoltCOM, L"BramoltCOM", L"BramoltCOM"},
        {"the class with Long handles", kBramoltCOMLong, L"BramoltCOMLong",
         L"BramoltCOM with Long JSON handles"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Why);
        ITypeInfo* coclass = FLibrary.CoclassInfo(row.Class);
        ASSERT_NE(coclass, nullptr);
        const TTypeAttr attr(coclass);
        EXPECT_EQ(attr->typekind, TKIND_COCLASS);
        EXPECT_TRUE(IsEqualGUID(attr->guid, row.Class.ClassID));
        EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
        ASSERT_EQ(attr->cImplTypes, 1);

        INT flags = 0;
        ASSERT_TRUE(HResultIs(S_OK, coclass->GetImplTypeFlags(0, &flags)));
        EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
        HREFTYPE implemented = 0;
        ASSERT_TRUE(HResultIs(S_OK, coclass->GetRefTypeOfImplType(0, &implemented)));
        TComPtr<ITypeInfo> interfaceInfo;
        ASSERT_TRUE(HResultIs(S_OK, coclass->GetRefTypeInfo(implemented, interfaceInfo.Receive())));
        EXPECT_EQ(NameOf(interfaceInfo.Get(), MEMBERID_NIL), L"IBramoltCOM");

        TBstr name;
        TBstr doc;
        coclass->GetDocumentation(MEMBERID_NIL, name.Receive(), doc.Receive(), nullptr, nullptr);
        EXPECT_EQ(name.View(), row.Name);
        EXPECT_EQ(doc.View(), row.Doc);
    }
    const TAutomationClass unknown{IID_IBramoltCOM, L"Bramolt.NoSuchClass", THandleWidth::hwInt64};
    EXPECT_EQ(FLibrary.CoclassInfo(unknown), nullptr) << "an interface is no class of the server";
}

} // namespace
} // namespace bramolt::test
