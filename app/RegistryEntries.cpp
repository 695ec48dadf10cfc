#include "app/RegistryEntries.h"

namespace bramolt {

std::wstring RegistryPrefix(bool perUser)
{
    return perUser ? L"Software\\Classes\\" : L"";
}

std::vector<TRegistryEntry> EntriesToWrite(const TClassRegistration& r)
{
    const std::wstring classKey = L"CLSID\\" + r.Clsid;
    return {
        {classKey, r.Description},          {classKey + L"\\LocalServer32", r.LocalServer},
        {r.ProgID, r.Description},          {r.ProgID + L"\\Clsid", r.Clsid},
        {classKey + L"\\ProgID", r.ProgID}, {classKey + L"\\Version", r.Version},
        {classKey + L"\\TypeLib", r.Libid},
    };
}

std::vector<std::wstring> KeysToDelete(const TClassRegistration& r)
{
    const std::wstring classKey = L"CLSID\\" + r.Clsid;
    return {
        classKey + L"\\TypeLib",
        classKey + L"\\Version",
        classKey + L"\\ProgID",
        r.ProgID + L"\\Clsid",
        r.ProgID,
        classKey + L"\\LocalServer32",
        classKey,
    };
}

} // namespace bramolt
