#include "fileout/PlatformFile.h"

#include <windows.h>

#include <algorithm>

#include "text/SystemMessage.h"
#include "text/Utf8.h"
#include "text/WideView.h"

namespace bramolt::fileout::platform {

namespace {

[[noreturn]] void ThrowLastError()
{
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category());
}

HANDLE NativeHandle(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

TNewFile::TNewFile(const std::filesystem::path& path)
    : FHandle(reinterpret_cast<std::intptr_t>(
          ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)))
{
    if (NativeHandle(FHandle) == INVALID_HANDLE_VALUE)
        ThrowLastError();
}

TNewFile::~TNewFile()
{
    if (NativeHandle(FHandle) != INVALID_HANDLE_VALUE)
        ::CloseHandle(NativeHandle(FHandle));
}

void TNewFile::Write(std::string_view bytes)
{
    // WriteFile takes a 32-bit count: write in chunks well below it.
    constexpr std::size_t kChunk = 1u << 30;
    while (!bytes.empty()) {
        const auto count = static_cast<DWORD>(std::min(bytes.size(), kChunk));
        DWORD written = 0;
        if (!::WriteFile(NativeHandle(FHandle), bytes.data(), count, &written, nullptr))
            ThrowLastError();
        bytes.remove_prefix(written);
    }
}

void TNewFile::Commit()
{
    const HANDLE handle = NativeHandle(FHandle);
    if (!::FlushFileBuffers(handle))
        ThrowLastError();
    FHandle = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
    if (!::CloseHandle(handle))
        ThrowLastError();
}

std::filesystem::path ToNativePath(std::u16string_view text)
{
    return std::filesystem::path(text::AsWide(text));
}

std::u16string FromNativePath(const std::filesystem::path& path)
{
    return std::u16string(text::AsUtf16(path.native()));
}

std::filesystem::path MakeAbsolute(const std::filesystem::path& path)
{
    // Without a buffer large enough, GetFullPathNameW answers the size it needs, terminator
    // included; the current directory may change in between, so ask until it fits.
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0)
            ThrowLastError();
        if (length < full.size()) {
            full.resize(length);
            return std::filesystem::path(std::move(full));
        }
        full.resize(length);
    }
}

void RefuseReadOnlyFile(const std::filesystem::path& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        throw std::system_error(AccessDeniedError());
}

std::filesystem::path ForFileOperations(const std::filesystem::path& absolutePath)
{
    std::wstring text = absolutePath.native();
    if (text.starts_with(L"\\\\?\\") || text.starts_with(L"\\\\.\\"))
        return absolutePath;
    // The extended-length form takes no "/" and no relative parts; the path is absolute already.
    std::replace(text.begin(), text.end(), L'/', L'\\');
    if (text.starts_with(L"\\\\"))
        return std::filesystem::path(L"\\\\?\\UNC\\" + text.substr(2));
    if (text.size() >= 3 && text[1] == L':' && text[2] == L'\\')
        return std::filesystem::path(L"\\\\?\\" + text);
    return std::filesystem::path(text);
}

TFileKind KindOfFile(const std::filesystem::path& path)
{
    // Backup semantics let a folder be opened too, so that it is told apart from a file
    // that may not be read.
    const HANDLE handle =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        ThrowLastError();
    BY_HANDLE_FILE_INFORMATION information{};
    const bool disk = ::GetFileType(handle) == FILE_TYPE_DISK;
    const bool known = disk && ::GetFileInformationByHandle(handle, &information);
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    if (!disk)
        return TFileKind::fkDevice;
    if (!known)
        throw std::system_error(static_cast<int>(error), std::system_category());
    return (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? TFileKind::fkFolder
                                                                          : TFileKind::fkFile;
}

void MoveFileOver(const std::filesystem::path& source, const std::filesystem::path& target)
{
    if (!::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ThrowLastError();
}

void RemoveFileQuietly(const std::filesystem::path& path) noexcept
{
    ::DeleteFileW(path.c_str());
}

bool IsAlreadyExists(const std::error_code& error) noexcept
{
    return error.category() == std::system_category() &&
           (error.value() == ERROR_FILE_EXISTS || error.value() == ERROR_ALREADY_EXISTS);
}

bool IsNotFound(const std::error_code& error) noexcept
{
    return error.category() == std::system_category() &&
           (error.value() == ERROR_FILE_NOT_FOUND || error.value() == ERROR_PATH_NOT_FOUND);
}

std::error_code InvalidNameError() noexcept
{
    return {ERROR_INVALID_NAME, std::system_category()};
}

std::error_code NameTooLongError() noexcept
{
    return {ERROR_FILENAME_EXCED_RANGE, std::system_category()};
}

std::error_code AccessDeniedError() noexcept
{
    return {ERROR_ACCESS_DENIED, std::system_category()};
}

std::u16string SystemErrorText(const std::error_code& error)
{
    if (error.category() != std::system_category())
        return text::FromUtf8(error.message());
    std::u16string text = text::SystemMessage(static_cast<std::uint32_t>(error.value()));
    if (text.empty())
        text = u"System error " + text::FromUtf8(std::to_string(error.value()));
    return text;
}

} // namespace bramolt::fileout::platform
