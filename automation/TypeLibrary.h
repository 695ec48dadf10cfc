#pragma once

// The type library Bramolt, embedded in the executable as resource TYPELIB 1,
// loaded once per process and shared by every object. Loading uses
// REGKIND_NONE so that merely starting the server never touches the registry.

#include "automation/BramoltIdentity.h"
#include "automation/ComOwners.h"

#include <oaidl.h>

#include <array>
#include <iterator>
#include <string>

namespace bramolt {

class TTypeLibrary {
  public:
    // Loads the library from this process's executable file; throws EComError.
    TTypeLibrary();

    ITypeLib* Library() const noexcept { return FLibrary.Get(); }
    // IBramoltCOM as the library describes it: a dual interface, seen from
    // its dispatch side. This is what IDispatch::GetTypeInfo hands out.
    ITypeInfo* InterfaceInfo() const noexcept { return FInterfaceInfo.Get(); }
    // The vtable side of IBramoltCOM, through which Invoke calls the methods.
    ITypeInfo* VtableInfo() const noexcept { return FVtableInfo.Get(); }
    // The coclass of one of the server's classes (kAutomationClasses); nullptr
    // for any other class.
    ITypeInfo* CoclassInfo(const TAutomationClass& automationClass) const noexcept;
    // Full path of the executable the library was loaded from.
    const std::wstring& ModulePath() const noexcept { return FModulePath; }

  private:
    std::wstring FModulePath;
    TComPtr<ITypeLib> FLibrary;
    TComPtr<ITypeInfo> FInterfaceInfo;
    TComPtr<ITypeInfo> FVtableInfo;
    // In the order of kAutomationClasses.
    std::array<TComPtr<ITypeInfo>, std::size(kAutomationClasses)> FCoclassInfos;
};

// Full path of this process's executable, however long it is.
std::wstring ExecutablePath();

} // namespace bramolt
