// The JSON methods of TBramoltCOM as a late-bound script calls them: through
// IDispatch::Invoke, with VARIANT arguments, checking the VARIANT type of every
// value, since callers tell success from failure by the type as much as by the value.
// Regional cases run twice: in the default locale (point) and, as a second CTest
// entry, with LC_ALL=es_ES.UTF-8 (comma); see CMakeLists.txt.

#include "InProcessServer.h"
#include "LateBoundArguments.h"

#include "automation/BramoltCOM.h"

#include <cmath>
#include <cstdint>
#include <cwchar>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace bramolt::test {
namespace {

// Carriers of handle values beyond those every test uses.
TArg UI8(ULONGLONG n)
{
    TArg a;
    V_VT(&a.Get()) = VT_UI8;
    V_UI8(&a.Get()) = n;
    return a;
}

TArg Decimal(LONGLONG n)
{
    TArg a;
    ::VarDecFromI8(n, &V_DECIMAL(&a.Get()));
    V_VT(&a.Get()) = VT_DECIMAL;
    return a;
}

TArg Currency(LONGLONG n)
{
    TArg a;
    V_VT(&a.Get()) = VT_CY;
    ::VarCyFromI8(n, &V_CY(&a.Get()));
    return a;
}

// "$" and the hexadecimal digits of the magnitude, after a minus sign for a negative value.
TArg HexText(LONGLONG n)
{
    wchar_t digits[24];
    const auto magnitude = n < 0 ? 0 - static_cast<ULONGLONG>(n) : static_cast<ULONGLONG>(n);
    std::swprintf(digits, std::size(digits), L"%ls$%llX", n < 0 ? L"-" : L"", magnitude);
    return Text(digits);
}

bool CommaLocale()
{
    wchar_t decimal[8] = {};
    ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, decimal, 8);
    return std::wstring(decimal) == L",";
}

// What JSONFormat reports for a handle that designates no live node.
std::string Stale(std::int64_t handle)
{
    return "Exception: (JSON handle " + std::to_string(handle) + " designates no live node)";
}

// A value as "TYPE value", so that one comparison checks type and value together.
std::string Describe(const VARIANT& v)
{
    switch (V_VT(&v)) {
    case VT_EMPTY:
        return "EMPTY";
    case VT_NULL:
        return "NULL";
    case VT_I4:
        return "I4 " + std::to_string(V_I4(&v));
    case VT_I8:
        return "I8 " + std::to_string(V_I8(&v));
    case VT_BOOL:
        return "BOOL " + std::to_string(V_BOOL(&v));
    case VT_R8: {
        char text[32];
        std::snprintf(text, sizeof(text), "R8 %.17g", V_R8(&v));
        return text;
    }
    case VT_BSTR:
        return "BSTR '" + Narrow({V_BSTR(&v), ::SysStringLen(V_BSTR(&v))}) + "'";
    default:
        return "VT " + std::to_string(V_VT(&v));
    }
}

struct TCallResult {
    HRESULT Code = E_FAIL;
    std::string Value;            // Describe() of the value
    std::uint32_t Handle = 0;     // the value, when it is a handle
    std::string ErrorDescription; // of the exception, for DISP_E_EXCEPTION
    std::string ErrorSource;
    HRESULT ErrorCode = S_OK; // scode of the exception
};

// Objects of both classes, over the fixture's one handle table: FDispatch answers handles as
// VT_I8, FLong as VT_I4.
class JSONMethodsTest : public TInProcessServer<> {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(HResultIs(S_OK, CreateObject(IID_IDispatch, FDispatch.ReceiveVoid())));
        ASSERT_TRUE(HResultIs(S_OK, CreateObject(IID_IDispatch, FLong.ReceiveVoid(), kBramoltCOMLong)));
    }

    // Calls `name` late-bound with `args` in their written order; without `wantValue`
    // as a script statement does, with no place for the value.
    TCallResult Call(const wchar_t* name, std::vector<TArg> args, bool wantValue = true)
    {
        return CallOn(FDispatch.Get(), name, std::move(args), wantValue);
    }

    TCallResult CallOn(IDispatch* object, const wchar_t* name, std::vector<TArg> args, bool wantValue = true)
    {
        const TLateBoundAnswer answer =
            InvokeByName(*object, name, std::move(args), DISPATCH_METHOD | DISPATCH_PROPERTYGET, wantValue);
        const VARIANT& value = answer.Value.Get();
        TCallResult result;
        result.Code = answer.Code;
        result.Value = Describe(value);
        if (V_VT(&value) == VT_I8)
            result.Handle = static_cast<std::uint32_t>(V_I8(&value));
        else if (V_VT(&value) == VT_I4)
            result.Handle = static_cast<std::uint32_t>(V_I4(&value));
        result.ErrorCode = answer.ErrorCode;
        result.ErrorDescription = Narrow(answer.ErrorDescription);
        result.ErrorSource = Narrow(answer.ErrorSource);
        return result;
    }

    // A handle that designates a node: nonzero and below 2^32, as VT_I8.
    std::uint32_t Handle(const wchar_t* name, std::vector<TArg> args)
    {
        const TCallResult result = Call(name, std::move(args));
        EXPECT_TRUE(HResultIs(S_OK, result.Code)) << Narrow(name);
        // Equal only when the VT_I8 holds the 32-bit number unchanged.
        EXPECT_EQ(result.Value, "I8 " + std::to_string(result.Handle)) << Narrow(name);
        EXPECT_NE(result.Handle, 0u) << Narrow(name);
        return result.Handle;
    }

    std::uint32_t Create(std::wstring_view json) { return Handle(L"JSONCreate", {Text(json)}); }

    std::string Format(std::uint32_t handle) { return Format(I8(handle)); }
    // The printed text alone, or Describe() of a value that is no text.
    std::string Format(TArg handle)
    {
        const TCallResult result = Call(L"JSONFormat", {std::move(handle)});
        EXPECT_TRUE(HResultIs(S_OK, result.Code)) << "JSONFormat never fails at the COM level";
        const std::string prefix = "BSTR '";
        if (result.Value.rfind(prefix, 0) != 0)
            return result.Value;
        return result.Value.substr(prefix.size(), result.Value.size() - prefix.size() - 1);
    }

    TComPtr<IDispatch> FDispatch;
    TComPtr<IDispatch> FLong;
};

struct TCallRow {
    const char* Why;
    const wchar_t* Method;
    std::vector<TArg> Args;
    std::string Expected; // Describe() of the value
};

TEST_F(JSONMethodsTest, ReadingMethodsAnswerWithTheTypeOfTheNode)
{
    const std::uint32_t root =
        Create(LR"({"s":"x\u00E9","n":1.5E2,"t":true,"f":false,"z":null,"o":{},"a":[10,20],"big":1E400})");
    const std::uint32_t array = Handle(L"JSONGetElement", {I8(root), Text(L"a")});
    const std::uint32_t text = Handle(L"JSONGetElement", {I8(root), Text(L"s")});
    const std::uint32_t pair = Handle(L"JSONGetPair", {I8(root), I4(0)});
    const TCallRow rows[] = {
        {"number, read with a point whatever the locale",
         L"JSONGetNodeValue",
         {I8(root), Text(L"n")},
         "R8 150"},
        {"string", L"JSONGetNodeValue", {I8(root), Text(L"s")}, "BSTR 'x?'"},
        {"true", L"JSONGetNodeValue", {I8(root), Text(L"t")}, "BOOL -1"},
        {"false", L"JSONGetNodeValue", {I8(root), Text(L"f")}, "BOOL 0"},
        {"null", L"JSONGetNodeValue", {I8(root), Text(L"z")}, "NULL"},
        {"an object has no value", L"JSONGetNodeValue", {I8(root), Text(L"o")}, "EMPTY"},
        {"an array has no value", L"JSONGetNodeValue", {I8(root), Text(L"a")}, "EMPTY"},
        {"element by path", L"JSONGetNodeValue", {I8(root), Text(L" a [ 1 ] ")}, "R8 20"},
        {"number beyond a double", L"JSONGetNodeValue", {I8(root), Text(L"big")}, "I4 0"},
        {"index past the end", L"JSONGetNodeValue", {I8(root), Text(L"a[2]")}, "I4 0"},
        {"negative index", L"JSONGetElement", {I8(root), Text(L"a[-1]")}, "I4 0"},
        {"missing key", L"JSONGetElement", {I8(root), Text(L"b")}, "I4 0"},
        {"index that is no number", L"JSONGetElement", {I8(root), Text(L"a[x]")}, "I4 0"},
        {"empty path on a handle of 0", L"JSONGetElement", {I8(0), Text(L"")}, "I4 0"},
        {"a pair is no starting point", L"JSONGetNodeValue", {I8(pair), Text(L"")}, "I4 0"},
        {"a pair is no starting point", L"JSONGetElement", {I8(pair), Text(L"")}, "I4 0"},
        {"empty path designates the start",
         L"JSONGetElement",
         {I8(array), Text(L"")},
         "I8 " + std::to_string(array)},
        {"member count", L"JSONCount", {I8(root)}, "I4 8"},
        {"element count", L"JSONCount", {I8(array)}, "I4 2"},
        {"count of a string", L"JSONCount", {I8(text)}, "I4 -1"},
        {"empty path on a string gives its text", L"JSONGetNodeValue", {I8(text), Text(L"")}, "BSTR 'x?'"},
        {"count of a pair", L"JSONCount", {I8(pair)}, "I4 -1"},
        {"count of handle 0", L"JSONCount", {I8(0)}, "I4 -1"},
        {"array count", L"JSONArrayCount", {I8(array)}, "I4 2"},
        {"array count of an object", L"JSONArrayCount", {I8(root)}, "I4 -1"},
        {"array count of handle 0", L"JSONArrayCount", {Empty()}, "I4 -1"},
        {"object", L"JSONIsObject", {I8(root)}, "BOOL -1"},
        {"array is no object", L"JSONIsObject", {I8(array)}, "BOOL 0"},
        {"handle 0 is no object", L"JSONIsObject", {I8(0)}, "BOOL 0"},
        {"array", L"JSONIsArray", {I8(array)}, "BOOL -1"},
        {"pair is no array", L"JSONIsArray", {I8(pair)}, "BOOL 0"},
        {"key of a pair", L"JSONGetPairKey", {I8(pair)}, "BSTR 's'"},
        {"pair of an array", L"JSONGetPair", {I8(array), I4(0)}, "I4 0"},
        {"pair past the end", L"JSONGetPair", {I8(root), I4(8)}, "I4 0"},
        {"element of an object", L"JSONGetArrayElement", {I8(root), I4(0)}, "I4 0"},
        {"element below 0", L"JSONGetArrayElement", {I8(array), I4(-1)}, "I4 0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Why);
        const TCallResult result = Call(row.Method, row.Args);
        EXPECT_TRUE(HResultIs(S_OK, result.Code));
        EXPECT_EQ(result.Value, row.Expected) << Narrow(row.Method);
    }

    EXPECT_EQ(Format(Handle(L"JSONGetArrayElement", {I8(array), I4(1)})), "20");
    EXPECT_EQ(Format(Handle(L"JSONGetPairValue", {I8(pair)})), R"("x\u00E9")");
    EXPECT_EQ(Format(pair), R"("s":"x\u00E9")") << "a pair prints without braces";
}

// Failures reach the caller only as the method's failure value: a handle that cannot be
// converted, one that designates no live node (freed, never issued) and a parent of the
// wrong kind all end the call with S_OK, and none of them changes a tree.
TEST_F(JSONMethodsTest, EveryMethodReportsFailureThroughItsValue)
{
    const std::uint32_t object = Create(LR"({"k":[1]})");
    const std::uint32_t array = Handle(L"JSONGetElement", {I8(object), Text(L"k")});
    const std::uint32_t freed = Create(L"{}");
    Call(L"JSONFree", {I8(freed)});
    const std::uint32_t neverIssued = 0x7654321;
    // Stands for handle 0 in the width of the class that answers.
    const std::string noRoot = "no root";

    std::vector<TCallRow> rows = {
        {"not JSON", L"JSONCreate", {Text(L"[1,]")}, noRoot},
        {"empty text", L"JSONCreate", {Text(L"")}, noRoot},
        {"blank after a scalar", L"JSONCreate", {Text(L"true ")}, noRoot},
        {"pair key of handle 0", L"JSONGetPairKey", {I8(0)}, "BSTR ''"},
        {"pair key of a non-pair", L"JSONGetPairKey", {I8(object)}, "BSTR ''"},
        {"pair value of a non-pair", L"JSONGetPairValue", {I8(array)}, "BSTR ''"},
        {"array count of no integer", L"JSONArrayCount", {Null()}, "I4 -2"},
        {"members added to an array", L"JSONAddElement", {I8(array), Text(L"x")}, "I4 0"},
        {"array added to an array", L"JSONAddArray", {I8(array), Text(L"x")}, "I4 0"},
        {"array added to no parent", L"JSONAddArray", {I8(0), Text(L"x")}, "I4 0"},
        {"element added to an object", L"JSONAddArrayElement", {I8(object)}, "I4 0"},
        {"text element added to an object", L"JSONAddArrayElementNested", {I8(object), Text(L"x")}, "I4 0"},
        {"text element added to no parent", L"JSONAddArrayElementNested", {I8(0), Text(L"x")}, "EMPTY"},
        {"member added to an array", L"JSONAddNode", {I8(array), Text(L"x"), Text(L"y")}, "EMPTY"},
        {"number added to an array", L"JSONAddNodeAsNumber", {I8(array), Text(L"x"), I4(1)}, "EMPTY"},
        {"boolean added to an array", L"JSONAddNodeAsBool", {I8(array), Text(L"x"), Bool(true)}, "EMPTY"},
        {"free of handle 0", L"JSONFree", {I8(0)}, "EMPTY"},
        {"free of no integer", L"JSONFree", {Null()}, "EMPTY"},
        {"format of handle 0",
         L"JSONFormat",
         {Empty()},
         "BSTR 'Exception: (JSON handle 0 designates no node)'"},
    };
    // Every method that takes a handle, with handles that designate no live node: also
    // values outside the range of handles whose low 32 bits are a live handle.
    constexpr std::int64_t k2To32 = std::int64_t{1} << 32;
    for (const std::int64_t dead : {std::int64_t{freed}, std::int64_t{neverIssued}, object + k2To32,
                                    object - k2To32, k2To32, -k2To32}) {
        const std::vector<TCallRow> deadRows = {
            {"dead handle", L"JSONGetElement", {I8(dead), Text(L"")}, "I4 0"},
            {"dead handle", L"JSONGetNodeValue", {I8(dead), Text(L"")}, "I4 0"},
            {"dead handle", L"JSONGetArrayElement", {I8(dead), I4(0)}, "I4 0"},
            {"dead handle", L"JSONArrayCount", {I8(dead)}, "I4 -2"},
            {"dead handle", L"JSONCount", {I8(dead)}, "I4 0"},
            {"dead handle", L"JSONIsObject", {I8(dead)}, "I4 0"},
            {"dead handle", L"JSONIsArray", {I8(dead)}, "I4 0"},
            {"dead handle", L"JSONGetPair", {I8(dead), I4(0)}, "I4 0"},
            {"dead handle", L"JSONGetPairKey", {I8(dead)}, "BSTR ''"},
            {"dead handle", L"JSONGetPairValue", {I8(dead)}, "BSTR ''"},
            {"dead handle", L"JSONAddElement", {I8(dead), Text(L"x")}, "I4 0"},
            {"dead handle", L"JSONAddArray", {I8(dead), Text(L"x")}, "I4 0"},
            {"dead handle", L"JSONAddArrayElement", {I8(dead)}, "I4 0"},
            {"dead handle", L"JSONAddArrayElementNested", {I8(dead), Text(L"x")}, "I4 0"},
            {"dead handle", L"JSONAddNode", {I8(dead), Text(L"x"), Text(L"y")}, "EMPTY"},
            {"dead handle", L"JSONAddNodeAsNumber", {I8(dead), Text(L"x"), I4(1)}, "EMPTY"},
            {"dead handle", L"JSONAddNodeAsBool", {I8(dead), Text(L"x"), Bool(true)}, "EMPTY"},
            {"dead handle", L"JSONFree", {I8(dead)}, "EMPTY"},
            {"dead handle", L"JSONFormat", {I8(dead)}, "BSTR '" + Stale(dead) + "'"},
        };
        rows.insert(rows.end(), deadRows.begin(), deadRows.end());
    }
    // Every method that converts its handle inside its failure value, with VT_NULL.
    for (const wchar_t* method : {L"JSONGetElement", L"JSONGetNodeValue", L"JSONAddElement", L"JSONAddArray",
                                  L"JSONAddArrayElementNested"})
        rows.push_back({"no integer", method, {Null(), Text(L"")}, "I4 0"});
    for (const wchar_t* method : {L"JSONCount", L"JSONIsObject", L"JSONIsArray", L"JSONAddArrayElement"})
        rows.push_back({"no integer", method, {Null()}, "I4 0"});
    rows.push_back({"no integer", L"JSONGetPair", {Null(), I4(0)}, "I4 0"});

    // Both classes fail alike; only handle 0 for text that is not JSON has their width.
    const struct {
        const char* Class;
        IDispatch* Object;
        std::string NoRoot;
    } classes[] = {
        {"VT_I8 handles", FDispatch.Get(), "I8 0"},
        {"VT_I4 handles", FLong.Get(), "I4 0"},
    };
    for (const auto& answering : classes) {
        SCOPED_TRACE(answering.Class);
        for (const auto& row : rows) {
            SCOPED_TRACE(row.Why);
            const TCallResult result = CallOn(answering.Object, row.Method, row.Args);
            EXPECT_TRUE(HResultIs(S_OK, result.Code)) << Narrow(row.Method);
            EXPECT_EQ(result.Value, row.Expected == noRoot ? answering.NoRoot : row.Expected)
                << Narrow(row.Method);
        }
    }
    EXPECT_EQ(Format(object), R"({"k":[1]})") << "a failed call changed the tree";
    EXPECT_EQ(FJSONHandles.LiveCount(), 2u) << "a failed call kept a node";
}

// JSONGetPairKey and JSONGetPairValue are the only methods that let a handle conversion
// error leave them: the late-bound caller gets an exception with the conversion message.
TEST_F(JSONMethodsTest, PairMethodsFailWhenTheHandleIsNoInteger)
{
    const struct {
        const char* Why;
        TArg Argument;
        std::string Message;
    } rows[] = {
        {"null", Null(), "Could not convert variant of type (Null) into type (Int64)"},
        {"text", Text(L"abc"), "Could not convert variant of type (OleStr) into type (Int64)"},
        {"overflow", R8(1e30), "Overflow while converting variant of type (Double) into type (Int64)"},
    };
    // The error names the class of the object that failed as its source.
    const std::pair<IDispatch*, std::string> objects[] = {{FDispatch.Get(), "Bramolt.BramoltCOM"},
                                                          {FLong.Get(), "Bramolt.BramoltCOMLong"}};
    for (const auto& [object, source] : objects) {
        for (const auto& row : rows) {
            for (const wchar_t* method : {L"JSONGetPairKey", L"JSONGetPairValue"}) {
                SCOPED_TRACE(std::string(row.Why) + " " + Narrow(method) + " " + source);
                const TCallResult result = CallOn(object, method, {row.Argument});
                EXPECT_TRUE(HResultIs(DISP_E_EXCEPTION, result.Code));
                EXPECT_TRUE(HResultIs(E_UNEXPECTED, result.ErrorCode));
                EXPECT_EQ(result.ErrorDescription, row.Message);
                EXPECT_EQ(result.ErrorSource, source);
            }
            const TCallResult element = CallOn(object, L"JSONGetElement", {row.Argument, Text(L"")});
            EXPECT_TRUE(HResultIs(S_OK, element.Code)) << row.Why;
            EXPECT_EQ(element.Value, "I4 0") << row.Why;
        }
    }
}

// A handle enters as any VARIANT that converts to a 64-bit integer; JSONFormat reports a
// conversion that fails with its message.
TEST_F(JSONMethodsTest, HandleArgumentsConvertFromEveryVariant)
{
    const std::uint32_t root = Create(L"[7]");
    const std::string printed = "[7]";
    VARIANT variable;
    ::VariantInit(&variable);
    V_VT(&variable) = VT_I8;
    V_I8(&variable) = root;
    LONGLONG wide = root;
    TArg integerReference;
    V_VT(&integerReference.Get()) = VT_BYREF | VT_I8;
    V_I8REF(&integerReference.Get()) = &wide;
    TArg object;
    V_VT(&object.Get()) = VT_DISPATCH;
    V_DISPATCH(&object.Get()) = FDispatch.Get();
    FDispatch->AddRef();

    const struct {
        const char* Why;
        TArg Argument;
        std::string Expected;
    } rows[] = {
        {"VBScript variable", RefTo(variable), printed},
        {"by-reference integer", integerReference, printed},
        {"32-bit integer", I4(static_cast<LONG>(root)), printed},
        {"real rounded", R8(root + 0.4), printed},
        {"decimal text", Text(std::to_wstring(root)), printed},
        {"true is -1, no handle", Bool(true), Stale(-1)},
        {"null", Null(), "Exception: (Could not convert variant of type (Null) into type (Int64))"},
        {"text that is no number", Text(L"abc"),
         "Exception: (Could not convert variant of type (OleStr) into type (Int64))"},
        {"object without a value", object,
         "Exception: (Could not convert variant of type (Dispatch) into type (Int64))"},
        {"real beyond 64 bits", R8(1e30),
         "Exception: (Overflow while converting variant of type (Double) into type (Int64))"},
        {"text beyond 64 bits", Text(L"1e30"),
         "Exception: (Overflow while converting variant of type (OleStr) into type (Int64))"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Format(row.Argument), row.Expected) << row.Why;
}

// Handles are issued below 2^32 and travel as 64-bit integers: a value outside that range
// must not reach the node its low 32 bits name, whatever VARIANT carries it, or one script
// could read, change or free another's tree.
TEST_F(JSONMethodsTest, OnlyTheIssuedValueReachesTheNode)
{
    const std::uint32_t handle = Create(LR"({"k":[1]})");
    const std::string tree = R"({"k":[1]})";
    constexpr LONGLONG k2To32 = LONGLONG{1} << 32;

    const struct {
        const char* Name;
        TArg (*Carry)(LONGLONG);
    } carriers[] = {
        {"VT_I8", I8},
        {"VT_UI8", [](LONGLONG n) { return UI8(static_cast<ULONGLONG>(n)); }},
        {"VT_R8", [](LONGLONG n) { return R8(static_cast<double>(n)); }},
        {"decimal text", [](LONGLONG n) { return Text(std::to_wstring(n)); }},
        {"$ hex text", HexText},
        {"VT_DECIMAL", Decimal},
        {"VT_CY", Currency},
    };
    const struct {
        const char* Name;
        LONGLONG Value;
    } aliases[] = {
        {"h + 2^32", handle + k2To32},
        {"h - 2^32", handle - k2To32},
        {"-h", -LONGLONG{handle}},
        // Handles stay below 2^31, so that a Long holds each: the bit above is no alias.
        {"h + 2^31", handle + (LONGLONG{1} << 31)},
    };
    for (const auto& carrier : carriers) {
        SCOPED_TRACE(carrier.Name);
        EXPECT_EQ(Format(carrier.Carry(handle)), tree) << "the handle itself";
        for (const auto& alias : aliases) {
            SCOPED_TRACE(alias.Name);
            const TArg value = carrier.Carry(alias.Value);
            EXPECT_EQ(Format(value), Stale(alias.Value));
            EXPECT_EQ(Call(L"JSONGetElement", {value, Text(L"k")}).Value, "I4 0");
            EXPECT_EQ(Call(L"JSONAddElement", {value, Text(L"x")}).Value, "I4 0");
            Call(L"JSONAddNode", {value, Text(L"y"), Text(L"z")});
            Call(L"JSONFree", {value});
        }
    }
    EXPECT_EQ(Format(handle), tree) << "an alias changed the tree";
    EXPECT_EQ(FJSONHandles.LiveCount(), 1u) << "an alias made or freed a node";

    // 2^32 and -2^32 are not handle 0: they make no new root.
    for (const LONGLONG zeroAlias : {k2To32, -k2To32}) {
        EXPECT_EQ(Call(L"JSONAddElement", {I8(zeroAlias), Text(L"")}).Value, "I4 0") << zeroAlias;
        EXPECT_EQ(Call(L"JSONAddArrayElement", {I8(zeroAlias)}).Value, "I4 0") << zeroAlias;
    }
    EXPECT_EQ(FJSONHandles.LiveCount(), 1u);
}

// Every method that answers a handle answers it in the width of the object's class: VT_I8
// or VT_I4 (a Long), the same number either way for the same node.
TEST_F(JSONMethodsTest, EachClassAnswersHandlesInItsOwnWidth)
{
    const std::uint32_t object = Create(LR"({"k":[1,{"p":2}]})");
    const std::uint32_t array = Handle(L"JSONGetElement", {I8(object), Text(L"k")});
    const std::uint32_t pair = Handle(L"JSONGetPair", {I8(object), I4(0)});

    const struct {
        const char* Why;
        const wchar_t* Method;
        std::vector<TArg> Args;
        bool SameNode; // both calls reach an existing node, not one they make
    } rows[] = {
        {"root of a parsed text", L"JSONCreate", {Text(L"[1]")}, false},
        {"node at a path", L"JSONGetElement", {I8(object), Text(L"k[1].p")}, true},
        {"array element", L"JSONGetArrayElement", {I8(array), I4(1)}, true},
        {"member of an object", L"JSONGetPair", {I8(object), I4(0)}, true},
        {"value of a member", L"JSONGetPairValue", {I8(pair)}, true},
        {"object added to an object", L"JSONAddElement", {I8(object), Text(L"x")}, false},
        {"new root object", L"JSONAddElement", {I8(0), Text(L"")}, false},
        {"array added to an object", L"JSONAddArray", {I8(object), Text(L"y")}, false},
        {"object added to an array", L"JSONAddArrayElement", {I8(array)}, false},
        {"new root array", L"JSONAddArrayElement", {Empty()}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Why);
        const TCallResult wide = CallOn(FDispatch.Get(), row.Method, row.Args);
        const TCallResult narrow = CallOn(FLong.Get(), row.Method, row.Args);
        EXPECT_NE(wide.Handle, 0u);
        EXPECT_NE(narrow.Handle, 0u);
        EXPECT_EQ(wide.Value, "I8 " + std::to_string(wide.Handle));
        EXPECT_EQ(narrow.Value, "I4 " + std::to_string(narrow.Handle));
        if (row.SameNode)
            EXPECT_EQ(narrow.Handle, wide.Handle) << "one node has one handle, whichever class issues it";
        else
            EXPECT_NE(narrow.Handle, wide.Handle);
    }
}

// Objects of the two classes share the process's trees: a handle issued by one, as a
// VT_I8, a Long or a text, reaches and changes the same tree through the other, and
// freeing it through either frees it for both.
TEST_F(JSONMethodsTest, BothClassesWorkOnTheSameTrees)
{
    const struct {
        const char* Why;
        IDispatch* Maker;
        IDispatch* User;
        TArg (*Carry)(std::uint32_t);
    } rows[] = {
        {"Long handle used by the VT_I8 class", FLong.Get(), FDispatch.Get(),
         [](std::uint32_t h) { return I4(static_cast<LONG>(h)); }},
        {"VT_I8 handle used by the Long class", FDispatch.Get(), FLong.Get(),
         [](std::uint32_t h) { return I8(h); }},
        {"Long handle written to a file and read back as text", FLong.Get(), FDispatch.Get(),
         [](std::uint32_t h) { return Text(std::to_wstring(h)); }},
        {"VT_I8 handle passed to the Long class as a double", FDispatch.Get(), FLong.Get(),
         [](std::uint32_t h) { return R8(h); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Why);
        const TCallResult made = CallOn(row.Maker, L"JSONCreate", {Text(LR"({"a":1})")});
        ASSERT_NE(made.Handle, 0u);
        const TArg handle = row.Carry(made.Handle);
        EXPECT_EQ(CallOn(row.User, L"JSONFormat", {handle}).Value, R"(BSTR '{"a":1}')");
        CallOn(row.User, L"JSONAddNodeAsBool", {handle, Text(L"b"), Bool(true)});
        EXPECT_EQ(CallOn(row.Maker, L"JSONFormat", {I8(made.Handle)}).Value, R"(BSTR '{"a":1,"b":true}')");
        CallOn(row.User, L"JSONFree", {handle});
        EXPECT_EQ(CallOn(row.Maker, L"JSONFormat", {I8(made.Handle)}).Value,
                  "BSTR '" + Stale(made.Handle) + "'");
    }
    EXPECT_EQ(FJSONHandles.LiveCount(), 0u);
}

// Freeing a node that has a parent takes it out of its parent first; everything below
// it loses its handle, the rest of the tree keeps working.
TEST_F(JSONMethodsTest, FreeDetachesTheNodeFromItsParent)
{
    const std::uint32_t root = Create(LR"({"a":[1,2,3],"b":{"c":true},"d":"x"})");
    const auto at = [&](const wchar_t* path) { return Handle(L"JSONGetElement", {I8(root), Text(path)}); };
    const std::uint32_t a = at(L"a");
    const std::uint32_t a2 = at(L"a[2]");
    const std::uint32_t c = at(L"b.c");

    const struct {
        const char* Why;
        std::function<std::uint32_t()> Victim;
        std::string Remaining;
        std::function<std::uint32_t()> Dead; // a handle below the victim, dead afterwards
    } rows[] = {
        {"array element leaves its array", [&] { return at(L"a[1]"); },
         R"({"a":[1,3],"b":{"c":true},"d":"x"})", nullptr},
        {"element reached by its index leaves its array",
         [&] {
             return Handle(L"JSONGetArrayElement", {I8(a), I4(0)});
         },
         R"({"a":[3],"b":{"c":true},"d":"x"})", nullptr},
        {"value takes its pair along", [&] { return at(L"d"); }, R"({"a":[3],"b":{"c":true}})", nullptr},
        {"member made by a building method leaves its object",
         [&] {
             return Handle(L"JSONAddArray", {I8(root), Text(L"e")});
         },
         R"({"a":[3],"b":{"c":true}})", nullptr},
        {"pair leaves its object",
         [&] {
             Handle(L"JSONAddElement", {I8(root), Text(L"f")});
             return Handle(L"JSONGetPair", {I8(root), I4(2)});
         },
         R"({"a":[3],"b":{"c":true}})", nullptr},
        {"value reached through its pair takes the pair along",
         [&] {
             return Handle(L"JSONGetPairValue", {I8(Handle(L"JSONGetPair", {I8(root), I4(1)}))});
         },
         R"({"a":[3]})", [&] { return c; }},
        {"the root goes with everything", [&] { return root; }, "", [&] { return a2; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Why);
        const std::uint32_t victim = row.Victim();
        const TCallResult freed = Call(L"JSONFree", {I8(victim)});
        EXPECT_TRUE(HResultIs(S_OK, freed.Code));
        EXPECT_EQ(Format(victim), Stale(victim));
        if (!row.Remaining.empty()) {
            EXPECT_EQ(Format(root), row.Remaining);
            EXPECT_EQ(Format(a2), "3") << "a handle of the remaining tree stays valid";
        }
        if (row.Dead) {
            EXPECT_EQ(Format(row.Dead()), Stale(row.Dead()));
        }
        // A second free of the same handle finds nothing and does nothing.
        EXPECT_TRUE(HResultIs(S_OK, Call(L"JSONFree", {I8(victim)}).Code));
    }
    EXPECT_EQ(Call(L"JSONCount", {I8(a)}).Value, "I4 0");
    EXPECT_EQ(FJSONHandles.LiveCount(), 0u);
}

// A document built member by member, with the value conversions of each building method.
TEST_F(JSONMethodsTest, BuildingMethodsMakeTheDocument)
{
    const std::uint32_t root = Handle(L"JSONAddElement", {I8(0), Text(L"unused")});
    EXPECT_EQ(Format(root), "{}");
    EXPECT_EQ(Call(L"JSONAddNode", {I8(root), Text(L"name"), Text(L"Ana")}).Value, "EMPTY");
    Call(L"JSONAddNodeAsNumber", {I8(root), Text(L"n"), I4(3)});
    Call(L"JSONAddNodeAsBool", {I8(root), Text(L"ok"), Bool(true)});
    const std::uint32_t list = Handle(L"JSONAddArray", {I8(root), Text(L"list")});
    Handle(L"JSONAddArrayElement", {I8(list)});
    const std::uint32_t second = Handle(L"JSONAddArrayElement", {I8(list)});
    Call(L"JSONAddNode", {I8(second), Text(L""), Text(L"v")});
    const TCallResult nested = Call(L"JSONAddArrayElementNested", {I8(list), Text(LR"({"x":"a/b"})")});
    EXPECT_EQ(nested.Value, "EMPTY");
    EXPECT_TRUE(HResultIs(S_OK, Call(L"JSONAddElement", {I8(second), Text(L"o")}, false).Code));
    EXPECT_EQ(Format(root),
              R"({"name":"Ana","n":3,"ok":true,"list":[{},{"":"v","o":{}},"{\"x\":\"a\/b\"}"]})");

    const std::uint32_t loose = Handle(L"JSONAddArrayElement", {I8(0)});
    EXPECT_EQ(Format(loose), "{}") << "an element without a parent is a new root";
    Call(L"JSONFree", {I8(loose)});
    Call(L"JSONFree", {I8(root)});
    EXPECT_EQ(FJSONHandles.LiveCount(), 0u);
}

TEST_F(JSONMethodsTest, MemberValuesConvertFromVariants)
{
    const std::string comma = CommaLocale() ? "," : ".";
    VARIANT variable;
    ::VariantInit(&variable);
    V_VT(&variable) = VT_R8;
    V_R8(&variable) = 0.00001;
    const struct {
        const char* Why;
        const wchar_t* Method;
        TArg Key;
        TArg Value;
        std::string Member; // what the object prints after the call, without braces
    } rows[] = {
        {"real as regional text", L"JSONAddNode", Text(L"k"), R8(1.5), R"("k":"1)" + comma + R"(5")"},
        {"boolean as text", L"JSONAddNode", Text(L"k"), Bool(false), R"("k":"False")"},
        {"empty as empty text", L"JSONAddNode", Text(L"k"), Empty(), R"("k":"")"},
        {"null adds nothing", L"JSONAddNode", Text(L"k"), Null(), ""},
        {"number text always uses a point", L"JSONAddNodeAsNumber", Text(L"k"), R8(1.5), R"("k":1.5)"},
        {"VBScript variable", L"JSONAddNodeAsNumber", Text(L"k"), RefTo(variable), R"("k":1E-5)"},
        {"true is -1", L"JSONAddNodeAsNumber", Text(L"k"), Bool(true), R"("k":-1)"},
        {"regional number text", L"JSONAddNodeAsNumber", Text(L"k"), Text(CommaLocale() ? L"2,25" : L"2.25"),
         R"("k":2.25)"},
        {"text that is no number", L"JSONAddNodeAsNumber", Text(L"k"), Text(L"abc"), ""},
        {"not a number", L"JSONAddNodeAsNumber", Text(L"k"), R8(std::nan("")), ""},
        {"infinity", L"JSONAddNodeAsNumber", Text(L"k"), R8(-std::numeric_limits<double>::infinity()), ""},
        {"empty key", L"JSONAddNodeAsNumber", Text(L""), I4(1), ""},
        {"no key", L"JSONAddNodeAsNumber", Empty(), I4(1), ""},
        {"key converted to text", L"JSONAddNodeAsNumber", I4(7), I4(1), R"("7":1)"},
        {"boolean word", L"JSONAddNodeAsBool", Text(L"k"), Text(L"false"), R"("k":false)"},
        {"nonzero number", L"JSONAddNodeAsBool", Text(L"k"), I4(2), R"("k":true)"},
        {"text that is no boolean", L"JSONAddNodeAsBool", Text(L"k"), Text(L"maybe"), ""},
        {"null is no boolean", L"JSONAddNodeAsBool", Text(L"k"), Null(), ""},
        {"null key", L"JSONAddNodeAsBool", Null(), Bool(true), ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Why);
        const std::uint32_t object = Create(L"{}");
        const TCallResult result = Call(row.Method, {I8(object), row.Key, row.Value});
        EXPECT_TRUE(HResultIs(S_OK, result.Code));
        EXPECT_EQ(result.Value, "EMPTY");
        EXPECT_EQ(Format(object), "{" + row.Member + "}");
        Call(L"JSONFree", {I8(object)});
    }
    EXPECT_EQ(FJSONHandles.LiveCount(), 0u) << "a refused member was kept";
}

} // namespace
} // namespace bramolt::test
