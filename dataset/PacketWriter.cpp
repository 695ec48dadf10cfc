#include "dataset/PacketDocument.h"

#include "text/Utf8.h"

#include <cstdint>

namespace bramolt::dataset {

namespace {

// Receives the document's UTF-8 text and writes it as ASCII: a character above U+007F in an
// attribute value or in text becomes a numeric character reference. Names cannot hold
// references, so inside a tag and outside quotes bytes pass unchanged. The serializer
// escapes every '<' of values and every '"' of attribute values (a '>' may stay, but only a
// '>' outside quotes ends a tag), so those bytes mark the structure reliably.
class TAsciiWriter final : public pugi::xml_writer {
  public:
    explicit TAsciiWriter(std::string& out) : FOut(out) {}

    void write(const void* data, std::size_t size) override
    {
        const auto* bytes = static_cast<const unsigned char*>(data);
        const auto* end = bytes + size;
        while (bytes < end) {
            // Runs of bytes that change nothing are copied whole.
            const auto* run = bytes;
            if (FPending == 0) {
                while (run < end && *run < 0x80 && *run != '<' && *run != '"' && *run != '>')
                    ++run;
                FOut.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(run - bytes));
                bytes = run;
            }
            if (bytes < end)
                Put(*bytes++);
        }
    }

  private:
    void Put(unsigned char byte)
    {
        if (FPending > 0) {
            FCodePoint = (FCodePoint << 6) | (byte & 0x3Fu);
            if (--FPending == 0)
                FOut += "&#" + std::to_string(FCodePoint) + ';';
            return;
        }
        if (byte < 0x80) {
            if (!FInTag)
                FInTag = byte == '<';
            else if (byte == '"')
                FInQuote = !FInQuote;
            else if (byte == '>' && !FInQuote)
                FInTag = false;
            FOut += static_cast<char>(byte);
        } else if (FInTag && !FInQuote) {
            FOut += static_cast<char>(byte);
        } else {
            FPending = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : 1;
            FCodePoint = byte & (0x3Fu >> FPending);
        }
    }

    std::string& FOut;
    bool FInTag = false;
    bool FInQuote = false;
    int FPending = 0; // continuation bytes still to come
    std::uint32_t FCodePoint = 0;
};

void StoreChangeLog(TPacketDocument& packet)
{
    pugi::xml_node params = packet.FMetaData.child("PARAMS");
    if (!params)
        params = packet.FMetaData.append_child("PARAMS");
    pugi::xml_attribute log = params.attribute("CHANGE_LOG");
    if (packet.FChangeLog.Empty()) {
        params.remove_attribute(log);
        return;
    }
    if (!log)
        log = params.prepend_attribute("CHANGE_LOG");
    log.set_value(packet.FChangeLog.Write().c_str());
}

bool IsBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

} // namespace

std::u16string WritePacket(TPacketDocument& packet)
{
    StoreChangeLog(packet);
    std::string text = "<?xml version=\"1.0\" standalone=\"yes\"?>  ";
    TAsciiWriter writer(text);
    packet.FDocument.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);

    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlankOrControl(text[begin]))
        ++begin;
    while (end > begin && IsBlankOrControl(text[end - 1]))
        --end;
    const std::string_view trimmed = std::string_view(text).substr(begin, end - begin);
    // Bytes above 0x7F are left only in element and attribute names.
    std::u16string result(trimmed.begin(), trimmed.end());
    for (const char16_t unit : result) {
        if (unit > 0x7F)
            return text::FromUtf8(trimmed);
    }
    return result;
}

} // namespace bramolt::dataset
