#pragma once

// What COM needs to know about a class, read from the type library so that
// the registry can never disagree with it.

#include "automation/TypeLibrary.h"

#include <string>

namespace bramolt {

struct TClassDescriptor {
    CLSID ClassID{};
    std::wstring ClassName;   // the coclass's name, such as "BramoltCOM"
    std::wstring Description; // the coclass's documentation string
    std::wstring ProgID;      // library name "." class name
};

// Throws EComError when the library does not describe the class.
TClassDescriptor DescribeClass(const TTypeLibrary& typeLibrary, const TAutomationClass& automationClass);

// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, upper case, as the registry stores GUIDs.
std::wstring GuidText(const GUID& guid);

} // namespace bramolt
