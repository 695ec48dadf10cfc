#include "automation/JSONMethodSupport.h"

#include <new>

#include <oleauto.h>

#include "automation/ComFailure.h"
#include "automation/VariantConversion.h"

namespace bramolt {

EStaleJSONHandle::EStaleJSONHandle(std::uint32_t handle)
    : std::runtime_error("JSON handle " + std::to_string(handle) + " designates no live node")
{
}

json::TJSONAncestor* NodeFromHandle(const json::TJSONHandleTable& handles, std::uint32_t handle)
{
    if (handle == 0)
        return nullptr;
    json::TJSONAncestor* node = handles.Find(handle);
    if (node == nullptr)
        throw EStaleJSONHandle(handle);
    return node;
}

json::TJSONAncestor* NodeFromArgument(const json::TJSONHandleTable& handles, const VARIANT* argument)
{
    if (argument == nullptr)
        return nullptr;
    return NodeFromHandle(handles, HandleFromVariant(*argument));
}

std::u16string_view TextFromBstr(BSTR text)
{
    if (text == nullptr)
        return {};
    return {reinterpret_cast<const char16_t*>(text), SysStringLen(text)};
}

BSTR NewBstr(std::u16string_view text)
{
    BSTR result =
        SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    if (result == nullptr)
        throw std::bad_alloc();
    return result;
}

std::optional<std::u16string> CurrentExceptionMessage()
{
    try {
        throw;
    } catch (const std::exception& error) {
        const std::wstring wide = Utf8ToWide(error.what());
        return std::u16string(wide.begin(), wide.end());
    } catch (...) {
        return std::nullopt;
    }
}

void SetHandleValue(VARIANT* value, std::uint32_t handle)
{
    V_VT(value) = VT_I8;
    V_I8(value) = handle;
}

void SetInt32Value(VARIANT* value, std::int32_t number)
{
    V_VT(value) = VT_I4;
    V_I4(value) = number;
}

void SetBoolValue(VARIANT* value, bool flag)
{
    V_VT(value) = VT_BOOL;
    V_BOOL(value) = flag ? VARIANT_TRUE : VARIANT_FALSE;
}

void SetDoubleValue(VARIANT* value, double number)
{
    V_VT(value) = VT_R8;
    V_R8(value) = number;
}

void SetTextValue(VARIANT* value, std::u16string_view text)
{
    BSTR bstr = NewBstr(text);
    V_VT(value) = VT_BSTR;
    V_BSTR(value) = bstr;
}

} // namespace bramolt
