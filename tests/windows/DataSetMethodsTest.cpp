// DSToJSON through IDispatch as scripts call it (texts by value, variables by reference,
// arrays as key values) and through the vtable: the packet it answers, the failures that
// answer the empty text, and the one failure that fails the call.

#include "InProcessServer.h"
#include "LateBoundArguments.h"

#include "automation/BramoltCOM.h"
#include "text/WideView.h"

#include <string>
#include <vector>

namespace bramolt::test {
namespace {

const std::wstring kPacket =
    LR"(<?xml version="1.0" standalone="yes"?>  <DATAPACKET Version="2.0"><METADATA><FIELDS>)"
    LR"(<FIELD attrname="ID" fieldtype="i4"/><FIELD attrname="NAME" fieldtype="string.uni" WIDTH="40"/>)"
    LR"(<FIELD attrname="DAY" fieldtype="date"/><FIELD attrname="ITEMS" fieldtype="nested"><FIELDS>)"
    LR"(<FIELD attrname="N" fieldtype="i4"/></FIELDS><PARAMS/></FIELD></FIELDS><PARAMS/></METADATA>)"
    LR"(<ROWDATA><ROW ID="1" NAME="uno"/></ROWDATA></DATAPACKET>)";

struct TOutcome {
    HRESULT Code = E_FAIL;
    std::string Packet;       // the answer
    HRESULT ErrorCode = S_OK; // of the exception, for DISP_E_EXCEPTION
    std::string Description;
};

// What a key value array made by VBScript's Array(...) is: a SAFEARRAY of VARIANTs.
TArg ArrayOf(std::vector<TArg> elements)
{
    TArg array;
    SAFEARRAY* items = ::SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(elements.size()));
    for (LONG i = 0; i < static_cast<LONG>(elements.size()); ++i)
        ::SafeArrayPutElement(items, &i, &elements[static_cast<std::size_t>(i)].Get());
    V_VT(&array.Get()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&array.Get()) = items;
    return array;
}

class DataSetMethodsTest : public TInProcessServer<> {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(HResultIs(S_OK, CreateObject(IID_IBramoltCOM, FObject.ReceiveVoid())));
        ASSERT_TRUE(HResultIs(S_OK, FObject->QueryInterface(IID_IDispatch, FDispatch.ReceiveVoid())));
    }

    // DSToJSON late-bound, the arguments in their written order.
    TOutcome Call(std::vector<TArg> args)
    {
        const TLateBoundAnswer answer = InvokeByName(*FDispatch.Get(), L"DSToJSON", std::move(args));
        TOutcome outcome{answer.Code, {}, answer.ErrorCode, Narrow(answer.ErrorDescription)};
        const VARIANT& value = answer.Value.Get();
        if (V_VT(&value) == VT_BSTR)
            outcome.Packet = Narrow(text::AsWide(TextFromBstr(V_BSTR(&value))));
        else if (SUCCEEDED(outcome.Code))
            ADD_FAILURE() << "the answer is not a text: VT " << V_VT(&value);
        return outcome;
    }

    TComPtr<IBramoltCOM> FObject;
    TComPtr<IDispatch> FDispatch;
};

bool Holds(const std::string& packet, const std::string& part)
{
    return packet.find(part) != std::string::npos;
}

TEST_F(DataSetMethodsTest, CreatesARecordWithDetailsFromTextsByValue)
{
    const TOutcome outcome = Call({Text(kPacket), Text(LR"({"name":"dos","items":[{"n":1},{"n":2}]})"),
                                   Text(L"ID"), I4(2), Text(L"C")});
    ASSERT_TRUE(HResultIs(S_OK, outcome.Code));
    EXPECT_TRUE(Holds(outcome.Packet, R"(<PARAMS CHANGE_LOG="2 0 4"/>)")) << outcome.Packet;
    EXPECT_TRUE(Holds(outcome.Packet, R"(<ROW RowState="4" ID="2" NAME="dos"><ITEMS><ROWITEMS RowState="4" )"
                                      R"(N="1"/><ROWITEMS RowState="4" N="2"/></ITEMS></ROW>)"))
        << outcome.Packet;
}

TEST_F(DataSetMethodsTest, TakesVariablesByReferenceAsScriptsPassThem)
{
    TArg xml = Text(kPacket), json = Text(LR"({"name":"zwei","day":"1995-02-02"})"),
         fields = Text(L"ID;NAME"), key = ArrayOf({I4(1), Text(L"uno")}), oper = Text(L"M");
    const TOutcome outcome =
        Call({RefTo(xml.Get()), RefTo(json.Get()), RefTo(fields.Get()), RefTo(key.Get()), RefTo(oper.Get())});
    ASSERT_TRUE(HResultIs(S_OK, outcome.Code)) << outcome.Description;
    EXPECT_TRUE(Holds(outcome.Packet, R"(<PARAMS CHANGE_LOG="2 1 8"/>)")) << outcome.Packet;
    EXPECT_TRUE(Holds(outcome.Packet, R"(<ROW RowState="8" ID="1" NAME="zwei" DAY="19950202"/>)"))
        << outcome.Packet;
    // The variables the script holds keep their values and types.
    EXPECT_EQ(V_VT(&xml.Get()), VT_BSTR);
    EXPECT_EQ(Narrow(V_BSTR(&oper.Get())), "M");
}

TEST_F(DataSetMethodsTest, ByReferenceArgumentsThatHoldNoTextAreRefusedAsBefore)
{
    TArg empty, number = I4(5), xml = Text(kPacket);
    // An empty variable is the empty text: no operation, so the empty answer.
    const TOutcome emptyOperation =
        Call({RefTo(xml.Get()), Text(L"{}"), Text(L"ID"), I4(1), RefTo(empty.Get())});
    EXPECT_TRUE(HResultIs(S_OK, emptyOperation.Code));
    EXPECT_EQ(emptyOperation.Packet, "");
    const TOutcome numberOperation =
        Call({RefTo(xml.Get()), Text(L"{}"), Text(L"ID"), I4(1), RefTo(number.Get())});
    EXPECT_TRUE(HResultIs(DISP_E_TYPEMISMATCH, numberOperation.Code));
}

TEST_F(DataSetMethodsTest, OnlyAPacketThatCannotBeLoadedFailsTheCall)
{
    const TOutcome broken = Call({Text(L"<DATAPACKET>"), Text(L"{}"), Text(L"ID"), I4(1), Text(L"C")});
    ASSERT_TRUE(HResultIs(DISP_E_EXCEPTION, broken.Code));
    EXPECT_TRUE(HResultIs(E_UNEXPECTED, broken.ErrorCode));
    EXPECT_EQ(broken.Description.rfind("Invalid XML data packet: ", 0), 0u) << broken.Description;

    const struct {
        const char* Why;
        std::vector<TArg> Args;
    } quiet[] = {
        {"no packet", {Text(L""), Text(L"{}"), Text(L"ID"), I4(1), Text(L"C")}},
        {"key field unknown", {Text(kPacket), Text(L"{}"), Text(L"NOPE"), I4(1), Text(L"C")}},
        {"key not found", {Text(kPacket), Text(L"{}"), Text(L"ID"), I4(7), Text(L"M")}},
        {"key value of no usable type", {Text(kPacket), Text(L"{}"), Text(L"ID"), TArg(), Text(L"C ")}},
    };
    for (const auto& row : quiet) {
        const TOutcome outcome = Call(row.Args);
        EXPECT_TRUE(HResultIs(S_OK, outcome.Code)) << row.Why;
        EXPECT_EQ(outcome.Packet, "") << row.Why;
    }
}

TEST_F(DataSetMethodsTest, EarlyBoundCallsTakeNullTextsAsEmpty)
{
    VARIANT key;
    V_VT(&key) = VT_I4;
    V_I4(&key) = 1;
    TBstr answer;
    ASSERT_TRUE(
        HResultIs(S_OK, FObject->DSToJSON(nullptr, nullptr, nullptr, key, nullptr, answer.Receive())));
    EXPECT_EQ(answer.View(), L"");
    TBstr xml(kPacket), json(L"{}"), field(L"ID"), oper(L"D");
    BSTR xmlText = xml.Get(), jsonText = json.Get(), fieldText = field.Get(), operText = oper.Get();
    ASSERT_TRUE(HResultIs(
        S_OK, FObject->DSToJSON(&xmlText, &jsonText, &fieldText, key, &operText, answer.Receive())));
    EXPECT_TRUE(Holds(Narrow(answer.View()), R"(<ROW RowState="2" ID="1" NAME="uno"/>)"))
        << Narrow(answer.View());
}

TEST_F(DataSetMethodsTest, FailingPropertiesNullAndZonedDatesThroughTheServer)
{
    const auto create = [&](const wchar_t* json) {
        const TOutcome outcome = Call({Text(kPacket), Text(json), Text(L"ID"), I4(2), Text(L"C")});
        EXPECT_TRUE(HResultIs(S_OK, outcome.Code)) << Narrow(json);
        return outcome.Packet;
    };
    EXPECT_EQ(create(LR"({"name":"x","nope":1})"), "") << "a property that cannot be written saves nothing";
    EXPECT_TRUE(Holds(create(LR"({"name":"x","day":null})"), R"(<ROW RowState="4" ID="2" NAME="x"/>)"))
        << "null leaves the field out of the row";
    // The same moment in two zones is the same local day, whatever the server's zone; a zone
    // that were ignored would give 1 May for the first and 2 May for the second.
    const std::string universal = create(LR"({"day":"2024-05-01T23:30:00Z"})");
    const std::string shifted = create(LR"({"day":"2024-05-02T01:30:00.5+02:00"})");
    ASSERT_NE(universal, "");
    EXPECT_EQ(universal, shifted);
}

} // namespace
} // namespace bramolt::test
