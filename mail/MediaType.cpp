#include "mail/MediaType.h"

#include <utility>

namespace bramolt::mail {

namespace {

// Types that may travel in Base64 (RFC 2046: not message/* nor multipart/*).
constexpr std::pair<std::u16string_view, std::string_view> kTypes[] = {
    {u"7z", "application/x-7z-compressed"},
    {u"avi", "video/x-msvideo"},
    {u"bmp", "image/bmp"},
    {u"csv", "text/csv"},
    {u"doc", "application/msword"},
    {u"docx", "application/vnd.openxmlformats-officedocument.wordprocessingml.document"},
    {u"gif", "image/gif"},
    {u"gz", "application/gzip"},
    {u"htm", "text/html"},
    {u"html", "text/html"},
    {u"ics", "text/calendar"},
    {u"jpeg", "image/jpeg"},
    {u"jpg", "image/jpeg"},
    {u"json", "application/json"},
    {u"mp3", "audio/mpeg"},
    {u"mp4", "video/mp4"},
    {u"odp", "application/vnd.oasis.opendocument.presentation"},
    {u"ods", "application/vnd.oasis.opendocument.spreadsheet"},
    {u"odt", "application/vnd.oasis.opendocument.text"},
    {u"pdf", "application/pdf"},
    {u"png", "image/png"},
    {u"ppt", "application/vnd.ms-powerpoint"},
    {u"pptx", "application/vnd.openxmlformats-officedocument.presentationml.presentation"},
    {u"rar", "application/vnd.rar"},
    {u"rtf", "application/rtf"},
    {u"svg", "image/svg+xml"},
    {u"tar", "application/x-tar"},
    {u"tif", "image/tiff"},
    {u"tiff", "image/tiff"},
    {u"txt", "text/plain"},
    {u"wav", "audio/wav"},
    {u"webp", "image/webp"},
    {u"xls", "application/vnd.ms-excel"},
    {u"xlsx", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
    {u"xml", "application/xml"},
    {u"zip", "application/zip"},
};

} // namespace

std::string MediaTypeOf(std::u16string_view fileName)
{
    const std::size_t dot = fileName.rfind(u'.');
    if (dot == std::u16string_view::npos)
        return "application/octet-stream";
    std::u16string extension(fileName.substr(dot + 1));
    for (auto& c : extension)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    for (const auto& [known, type] : kTypes)
        if (extension == known)
            return std::string(type);
    return "application/octet-stream";
}

} // namespace bramolt::mail
