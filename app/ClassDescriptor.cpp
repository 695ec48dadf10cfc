#include "app/ClassDescriptor.h"

#include "automation/ComFailure.h"

#include <array>

namespace bramolt {

TClassDescriptor DescribeClass(const TTypeLibrary& typeLibrary, const TAutomationClass& automationClass)
{
    TBstr libraryName;
    ThrowIfFailed(
        typeLibrary.Library()->GetDocumentation(-1, libraryName.Receive(), nullptr, nullptr, nullptr),
        "cannot read the type library's name");
    ITypeInfo* coclass = typeLibrary.CoclassInfo(automationClass);
    if (coclass == nullptr)
        throw EComError(TYPE_E_ELEMENTNOTFOUND, "the type library does not describe the class");
    TBstr className;
    TBstr description;
    ThrowIfFailed(
        coclass->GetDocumentation(MEMBERID_NIL, className.Receive(), description.Receive(), nullptr, nullptr),
        "cannot read the class's name");

    TClassDescriptor descriptor;
    descriptor.ClassID = automationClass.ClassID;
    descriptor.ClassName = className.View();
    descriptor.Description = description.View();
    descriptor.ProgID = std::wstring(libraryName.View()) + L"." + descriptor.ClassName;
    return descriptor;
}

std::wstring GuidText(const GUID& guid)
{
    std::array<wchar_t, 40> text{};
    // StringFromGUID2 writes the registry form: braces and upper-case digits.
    const int length = ::StringFromGUID2(guid, text.data(), static_cast<int>(text.size()));
    return std::wstring(text.data(), length > 0 ? static_cast<size_t>(length - 1) : 0);
}

} // namespace bramolt
