#include "automation/JSONMethodSupport.h"

#include "automation/VariantConversion.h"

namespace bramolt {

EStaleJSONHandle::EStaleJSONHandle(std::int64_t handle)
    : std::runtime_error("JSON handle " + std::to_string(handle) + " designates no live node")
{
}

std::uint32_t HandleInRange(std::int64_t handle)
{
    if (handle < 0 || handle > std::int64_t{UINT32_MAX})
        throw EStaleJSONHandle(handle);
    return static_cast<std::uint32_t>(handle);
}

json::TJSONNodeRef NodeFromHandle(const json::TJSONHandleTable& handles, std::int64_t handle)
{
    const std::uint32_t inRange = HandleInRange(handle);
    if (inRange == 0)
        return {};
    const json::TJSONNodeRef* ref = handles.Lookup(inRange);
    if (ref == nullptr)
        throw EStaleJSONHandle(handle);
    return *ref;
}

std::int64_t HandleArgument(const VARIANT* argument)
{
    return argument != nullptr ? Int64FromVariant(*argument) : 0;
}

json::TJSONNodeRef NodeFromArgument(const json::TJSONHandleTable& handles, const VARIANT* argument)
{
    return NodeFromHandle(handles, HandleArgument(argument));
}

} // namespace bramolt
