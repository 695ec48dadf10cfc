#include "app/SystemEntries.h"

namespace bramolt {

TOle32Entries TOle32Entries::Lookup() noexcept
{
    constexpr const wchar_t* module = L"ole32.dll";
    TOle32Entries entries;
    entries.CoInitializeEx = LookupEntry<decltype(entries.CoInitializeEx)>(module, "CoInitializeEx");
    entries.CoAddRefServerProcess =
        LookupEntry<decltype(entries.CoAddRefServerProcess)>(module, "CoAddRefServerProcess");
    entries.CoReleaseServerProcess =
        LookupEntry<decltype(entries.CoReleaseServerProcess)>(module, "CoReleaseServerProcess");
    entries.CoResumeClassObjects =
        LookupEntry<decltype(entries.CoResumeClassObjects)>(module, "CoResumeClassObjects");
    entries.CoSuspendClassObjects =
        LookupEntry<decltype(entries.CoSuspendClassObjects)>(module, "CoSuspendClassObjects");
    return entries;
}

TOleAut32Entries TOleAut32Entries::Lookup() noexcept
{
    constexpr const wchar_t* module = L"oleaut32.dll";
    TOleAut32Entries entries;
    entries.RegisterTypeLibForUser =
        LookupEntry<decltype(entries.RegisterTypeLibForUser)>(module, "RegisterTypeLibForUser");
    entries.UnRegisterTypeLibForUser =
        LookupEntry<decltype(entries.UnRegisterTypeLibForUser)>(module, "UnRegisterTypeLibForUser");
    entries.UnRegisterTypeLib = LookupEntry<decltype(entries.UnRegisterTypeLib)>(module, "UnRegisterTypeLib");
    return entries;
}

} // namespace bramolt
