// The registry entries of the class and the order of writing and deleting.

#include "ComTestSupport.h"

#include "app/ClassDescriptor.h"
#include "app/RegistryEntries.h"
#include "automation/BramoltIdentity.h"

#include <algorithm>

namespace bramolt::test {
namespace {

const TClassRegistration kRegistration{L"{FA6857A6-C300-427C-89F4-956C60691E56}",
                                       L"{91885C72-F458-447E-98EB-4E806896ADED}",
                                       L"Bramolt.BramoltCOM",
                                       L"BramoltCOM",
                                       L"1.0",
                                       L"C:\\Bramolt\\Bramolt.exe"};

TEST(RegistryEntriesTest, EntriesAreWrittenParentsFirst)
{
    const std::vector<TRegistryEntry> expected = {
        {L"CLSID\\{FA6857A6-C300-427C-89F4-956C60691E56}", L"BramoltCOM"},
        {L"CLSID\\{FA6857A6-C300-427C-89F4-956C60691E56}\\LocalServer32", L"C:\\Bramolt\\Bramolt.exe"},
        {L"Bramolt.BramoltCOM", L"BramoltCOM"},
        {L"Bramolt.BramoltCOM\\Clsid", L"{FA6857A6-C300-427C-89F4-956C60691E56}"},
        {L"CLSID\\{FA6857A6-C300-427C-89F4-956C60691E56}\\ProgID", L"Bramolt.BramoltCOM"},
        {L"CLSID\\{FA6857A6-C300-427C-89F4-956C60691E56}\\Version", L"1.0"},
        {L"CLSID\\{FA6857A6-C300-427C-89F4-956C60691E56}\\TypeLib",
         L"{91885C72-F458-447E-98EB-4E806896ADED}"},
    };
    EXPECT_EQ(EntriesToWrite(kRegistration), expected);
}

// RegDeleteKey refuses a key that still has subkeys, so every key must come
// after all of its children, and every written key must be deleted.
TEST(RegistryEntriesTest, EveryWrittenKeyIsDeletedAfterItsChildren)
{
    const std::vector<std::wstring> deleted = KeysToDelete(kRegistration);
    const std::vector<std::wstring> expected = {
        L"CLSID\\{FA6857A6-C300-427C-89F4-956C60691E56}\\TypeLib",
        L"CLSID\\{FA6857A6-C300-427C-89F4-956C60691E56}\\Version",
        L"CLSID\\{FA6857A6-C300-427C-89F4-956C60691E56}\\ProgID",
        L"Bramolt.BramoltCOM\\Clsid",
        L"Bramolt.BramoltCOM",
        L"CLSID\\{FA6857A6-C300-427C-89F4-956C60691E56}\\LocalServer32",
        L"CLSID\\{FA6857A6-C300-427C-89F4-956C60691E56}",
    };
    EXPECT_EQ(deleted, expected);

    for (const TRegistryEntry& entry : EntriesToWrite(kRegistration))
        EXPECT_NE(std::ranges::find(deleted, entry.Key), deleted.end()) << Narrow(entry.Key);
    for (size_t parent = 0; parent < deleted.size(); ++parent)
        for (size_t child = parent + 1; child < deleted.size(); ++child)
            EXPECT_FALSE(deleted[child].starts_with(deleted[parent] + L"\\"))
                << Narrow(deleted[child]) << " is deleted after its parent";
}

TEST(RegistryEntriesTest, PerUserEntriesGoBelowSoftwareClasses)
{
    EXPECT_EQ(RegistryPrefix(false), L"");
    EXPECT_EQ(RegistryPrefix(true), L"Software\\Classes\\");
}

TEST(ClassDescriptorTest, NamesComeFromTheTypeLibrary)
{
    const TTypeLibrary library;
    const struct {
        const char* Why;
        const TAutomationClass& Class;
        const wchar_t* ClassName;
        const wchar_t* Description;
        const wchar_t* ProgID;
    } rows[] = {
        {"the class of existing callers keeps its names", kBramoltCOM, L"BramoltCOM", L"BramoltCOM",
         L"Bramolt.BramoltCOM"},
        {"the Long-handle class has names of its own", kBramoltCOMLong, L"BramoltCOMLong",
         L"BramoltCOM with Long JSON handles", L"Bramolt.BramoltCOMLong"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Why);
        const TClassDescriptor descriptor = DescribeClass(library, row.Class);
        EXPECT_TRUE(IsEqualGUID(descriptor.ClassID, row.Class.ClassID));
        EXPECT_EQ(descriptor.ClassName, row.ClassName);
        EXPECT_EQ(descriptor.Description, row.Description);
        EXPECT_EQ(descriptor.ProgID, row.ProgID);
        EXPECT_EQ(descriptor.ProgID, row.Class.ProgID)
            << "error objects name the registered ProgID as their source";
    }
}

TEST(ClassDescriptorTest, GuidTextIsTheRegistryForm)
{
    EXPECT_EQ(GuidText(CLSID_BramoltCOM), L"{FA6857A6-C300-427C-89F4-956C60691E56}");
    EXPECT_EQ(GuidText(CLSID_BramoltCOMLong), L"{10ABE6C8-D389-4894-96C1-EAAAECF6275E}");
    EXPECT_EQ(GuidText(GUID{}), L"{00000000-0000-0000-0000-000000000000}");
}

} // namespace
} // namespace bramolt::test
