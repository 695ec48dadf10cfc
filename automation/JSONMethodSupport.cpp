#include "automation/JSONMethodSupport.h"

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

std::uint32_t HandleArgument(const VARIANT* argument)
{
    return argument != nullptr ? HandleFromVariant(*argument) : 0;
}

json::TJSONAncestor* NodeFromArgument(const json::TJSONHandleTable& handles, const VARIANT* argument)
{
    return NodeFromHandle(handles, HandleArgument(argument));
}

} // namespace bramolt
