#include "fileout/InputFile.h"

#include "fileout/PlatformFile.h"
#include "text/Utf8.h"

#include <fstream>

namespace bramolt::fileout {

EInputFileError::EInputFileError(TInputFault fault, std::u16string cause)
    : std::runtime_error(text::ToUtf8(cause)), FFault(fault), FCause(std::move(cause))
{
}

TInputFile OpenInputFile(std::u16string_view path)
{
    std::filesystem::path native;
    try {
        native = platform::ForFileOperations(platform::MakeAbsolute(platform::ToNativePath(path)));
        switch (platform::KindOfFile(native)) {
        case platform::TFileKind::fkFile:
            break;
        case platform::TFileKind::fkFolder:
            throw EInputFileError(TInputFault::ifFolder, u"It is a folder.");
        case platform::TFileKind::fkDevice:
            throw EInputFileError(TInputFault::ifDevice, u"It is a device, not a file.");
        }
    } catch (const std::system_error& error) {
        throw EInputFileError(platform::IsNotFound(error.code()) ? TInputFault::ifMissing
                                                                 : TInputFault::ifUnreadable,
                              platform::SystemErrorText(error.code()));
    }
    auto content = std::make_unique<std::ifstream>(native, std::ios::binary);
    // The checks above passed, so a refusal here is a race with another program.
    if (!content->is_open())
        throw EInputFileError(TInputFault::ifUnreadable, u"The file could not be opened.");
    return {platform::FromNativePath(native.filename()), std::move(content)};
}

} // namespace bramolt::fileout
