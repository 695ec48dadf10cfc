#include "fileout/PlatformFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "text/Utf8.h"

namespace bramolt::fileout::platform {

namespace {

[[noreturn]] void ThrowErrno()
{
    throw std::system_error(errno, std::system_category());
}

} // namespace

TNewFile::TNewFile(const std::filesystem::path& path)
    : FHandle(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666))
{
    if (FHandle < 0)
        ThrowErrno();
}

TNewFile::~TNewFile()
{
    if (FHandle >= 0)
        ::close(static_cast<int>(FHandle));
}

void TNewFile::Write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(static_cast<int>(FHandle), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno();
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void TNewFile::Commit()
{
    const int descriptor = static_cast<int>(FHandle);
    if (::fsync(descriptor) != 0)
        ThrowErrno();
    FHandle = -1;
    // close() can report a delayed write error (network file systems): it counts as a failure.
    if (::close(descriptor) != 0)
        ThrowErrno();
}

std::filesystem::path ToNativePath(std::u16string_view text)
{
    return std::filesystem::path(text::ToUtf8(text));
}

std::u16string FromNativePath(const std::filesystem::path& path)
{
    return text::FromUtf8(path.native());
}

std::filesystem::path MakeAbsolute(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        throw std::system_error(error);
    return absolute;
}

// Only the owner's permission counts: the process may be allowed to write anyway (as the
// superuser, or through a group), but the owner said the file is not to be changed.
void RefuseReadOnlyFile(const std::filesystem::path& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && (status.st_mode & S_IWUSR) == 0)
        throw std::system_error(AccessDeniedError());
}

std::filesystem::path ForFileOperations(const std::filesystem::path& absolutePath)
{
    return absolutePath;
}

TFileKind KindOfFile(const std::filesystem::path& path)
{
    // Without O_NONBLOCK, opening a named pipe would wait for a writer.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        ThrowErrno();
    struct stat status {};
    const int result = ::fstat(descriptor, &status);
    const int error = errno;
    ::close(descriptor);
    if (result != 0)
        throw std::system_error(error, std::system_category());
    if (S_ISDIR(status.st_mode))
        return TFileKind::fkFolder;
    return S_ISREG(status.st_mode) ? TFileKind::fkFile : TFileKind::fkDevice;
}

void MoveFileOver(const std::filesystem::path& source, const std::filesystem::path& target)
{
    if (std::rename(source.c_str(), target.c_str()) != 0)
        ThrowErrno();
}

void RemoveFileQuietly(const std::filesystem::path& path) noexcept
{
    ::unlink(path.c_str());
}

bool IsAlreadyExists(const std::error_code& error) noexcept
{
    return error == std::errc::file_exists;
}

bool IsNotFound(const std::error_code& error) noexcept
{
    return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory;
}

std::error_code InvalidNameError() noexcept
{
    return {EINVAL, std::system_category()};
}

std::error_code NameTooLongError() noexcept
{
    return {ENAMETOOLONG, std::system_category()};
}

std::error_code AccessDeniedError() noexcept
{
    return {EACCES, std::system_category()};
}

std::u16string SystemErrorText(const std::error_code& error)
{
    return text::FromUtf8(error.message());
}

} // namespace bramolt::fileout::platform
