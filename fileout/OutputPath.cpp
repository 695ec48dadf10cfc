#include "fileout/OutputPath.h"

#include <algorithm>

#include "fileout/FileCreateError.h"
#include "fileout/PlatformFile.h"

namespace bramolt::fileout {

namespace {

// "\\?\": the platform takes the rest verbatim, without the length limit.
constexpr std::u16string_view kExtendedPrefix = u"\\\\?\\";

bool IsDriveLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool IsForbidden(char16_t c)
{
    return c < 0x20 || c == u'<' || c == u'>' || c == u'"' || c == u'|' || c == u'?' || c == u'*';
}

} // namespace

TPathFault CheckOutputPath(std::u16string_view path) noexcept
{
    if (path.empty())
        return TPathFault::pfEmpty;
    if (std::all_of(path.begin(), path.end(), [](char16_t c) { return c <= u' '; }))
        return TPathFault::pfBlank;

    if (path.size() > kMaxPathLength)
        return TPathFault::pfTooLong;
    const bool extended = path.starts_with(kExtendedPrefix);

    // The prefix is the only place for a "?"; the only place for a colon is after a drive
    // letter at the start of what follows it.
    const std::u16string_view rest = path.substr(extended ? kExtendedPrefix.size() : 0);
    if (std::any_of(rest.begin(), rest.end(), IsForbidden))
        return TPathFault::pfForbiddenCharacter;
    const bool hasDrive = rest.size() >= 2 && IsDriveLetter(rest[0]) && rest[1] == u':';
    const std::size_t firstFreeColon = rest.find(u':', hasDrive ? 2 : 0);
    return firstFreeColon == std::u16string_view::npos ? TPathFault::pfNone : TPathFault::pfMisplacedColon;
}

std::string_view DescribePathFault(TPathFault fault) noexcept
{
    switch (fault) {
    case TPathFault::pfNone:
        return "valid";
    case TPathFault::pfEmpty:
        return "the path is empty";
    case TPathFault::pfBlank:
        return "the path is blank";
    case TPathFault::pfTooLong:
        return "the path is longer than 32,767 characters";
    case TPathFault::pfForbiddenCharacter:
        return "the path holds a character that paths may not hold";
    case TPathFault::pfMisplacedColon:
        return "the path holds a colon elsewhere than after a drive letter";
    }
    return "unknown fault";
}

TOutputPath ResolveOutputPath(std::u16string_view path)
{
    const auto refuse = [](std::u16string_view shown, TPathFault fault) {
        const auto error =
            fault == TPathFault::pfTooLong ? platform::NameTooLongError() : platform::InvalidNameError();
        return EFileCreateError(std::u16string(shown), platform::SystemErrorText(error));
    };
    if (const TPathFault fault = CheckOutputPath(path); fault != TPathFault::pfNone)
        throw refuse(path, fault);

    std::filesystem::path absolute;
    try {
        absolute = platform::MakeAbsolute(platform::ToNativePath(path));
    } catch (const std::system_error& error) {
        throw EFileCreateError(std::u16string(path), platform::SystemErrorText(error.code()));
    }
    std::u16string full = platform::FromNativePath(absolute);
    std::filesystem::path operations = platform::ForFileOperations(absolute);
    if (platform::FromNativePath(operations).size() > kMaxPathLength)
        throw refuse(full, TPathFault::pfTooLong);
    return {std::move(full), std::move(operations)};
}

} // namespace bramolt::fileout
