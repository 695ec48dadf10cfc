#include "dataset/PacketDocument.h"

#include "text/Utf8.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace bramolt::dataset {

namespace {

// Receives the document's UTF-8 text and writes it as ASCII: a character above U+007F in an
// attribute value or in text becomes a numeric character reference. Names cannot hold
// references, so inside a tag and outside quotes bytes pass unchanged. The serializer
// escapes every '<' of values and every '"' of attribute values (a '>' may stay, but only a
// '>' outside quotes ends a tag), so those bytes mark the structure reliably.
class TAsciiWriter final : public pugi::xml_writer {
  public:
    explicit TAsciiWriter(std::u16string& out) : FOut(out) {}

    void write(const void* data, std::size_t size) override
    {
        const auto* bytes = static_cast<const unsigned char*>(data);
        const auto* end = bytes + size;
        while (bytes < end) {
            // Runs of bytes that change nothing are widened whole: in text only '<' changes
            // the context, inside a tag only '"' and '>'.
            if (FPending == 0) {
                const auto* run = bytes;
                if (FInTag) {
                    while (run < end && *run < 0x80 && *run != '"' && *run != '>')
                        ++run;
                } else {
                    while (run < end && *run < 0x80 && *run != '<')
                        ++run;
                }
                const std::size_t at = FOut.size();
                FOut.resize(at + static_cast<std::size_t>(run - bytes));
                std::copy(bytes, run, FOut.begin() + static_cast<std::ptrdiff_t>(at));
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
            if (--FPending == 0) {
                const std::string reference = "&#" + std::to_string(FCodePoint) + ';';
                FOut.append(reference.begin(), reference.end());
            }
            return;
        }
        if (byte < 0x80) {
            if (!FInTag)
                FInTag = byte == '<';
            else if (byte == '"')
                FInQuote = !FInQuote;
            else if (byte == '>' && !FInQuote)
                FInTag = false;
            FOut += static_cast<char16_t>(byte);
        } else if (FInTag && !FInQuote) {
            FNameBytes = true;
            FOut += static_cast<char16_t>(byte);
        } else {
            FPending = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : 1;
            FCodePoint = byte & (0x3Fu >> FPending);
        }
    }

  public:
    // Bytes above 0x7F were left as they are in names: FOut holds them one per unit, still
    // to be decoded as UTF-8.
    bool FNameBytes = false;

  private:
    std::u16string& FOut;
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

} // namespace

std::u16string WritePacket(TPacketDocument& packet)
{
    StoreChangeLog(packet);
    static constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" standalone=\"yes\"?>  ";
    std::u16string text(kDeclaration.begin(), kDeclaration.end());
    text.reserve(packet.FLength + packet.FLength / 8 + 256);
    TAsciiWriter writer(text);
    packet.FDocument.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] <= 0x20)
        --end;
    text.resize(end);
    if (!writer.FNameBytes)
        return text;
    const std::string bytes(text.begin(), text.end());
    return text::FromUtf8(bytes);
}

} // namespace bramolt::dataset
