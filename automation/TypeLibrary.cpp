#include "automation/TypeLibrary.h"

#include "automation/ComFailure.h"

namespace bramolt {

std::wstring ExecutablePath()
{
    // MAX_PATH + 2 is enough for ordinary paths; grow for long-path systems
    // rather than registering a truncated path.
    std::wstring path(MAX_PATH + 2, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            throw EComError(HRESULT_FROM_WIN32(::GetLastError()), "cannot read the executable's path");
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

TTypeLibrary::TTypeLibrary() : FModulePath(ExecutablePath())
{
    ThrowIfFailed(::LoadTypeLibEx(FModulePath.c_str(), REGKIND_NONE, FLibrary.Receive()),
                  "cannot load the type library embedded in the executable");
    ThrowIfFailed(FLibrary->GetTypeInfoOfGuid(IID_IBramoltCOM, FInterfaceInfo.Receive()),
                  "the type library does not describe IBramoltCOM");
    for (std::size_t index = 0; index < FCoclassInfos.size(); ++index)
        ThrowIfFailed(
            FLibrary->GetTypeInfoOfGuid(kAutomationClasses[index]->ClassID, FCoclassInfos[index].Receive()),
            "the type library does not describe every class of the server");

    // For a dual interface the library's entry is the dispatch side; its
    // implemented type -1 is the vtable side that type-information Invoke
    // needs to call the methods directly.
    HREFTYPE vtableType = 0;
    ThrowIfFailed(FInterfaceInfo->GetRefTypeOfImplType(-1, &vtableType),
                  "IBramoltCOM is not a dual interface");
    ThrowIfFailed(FInterfaceInfo->GetRefTypeInfo(vtableType, FVtableInfo.Receive()),
                  "cannot read the vtable side of IBramoltCOM");
}

ITypeInfo* TTypeLibrary::CoclassInfo(const TAutomationClass& automationClass) const noexcept
{
    for (std::size_t index = 0; index < FCoclassInfos.size(); ++index)
        if (IsEqualGUID(kAutomationClasses[index]->ClassID, automationClass.ClassID))
            return FCoclassInfos[index].Get();
    return nullptr;
}

} // namespace bramolt
