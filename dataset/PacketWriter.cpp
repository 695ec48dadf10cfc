#include "dataset/PacketDocument.h"

#include "text/Utf8.h"

#include <algorithm>
#include <charconv>
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
    // Writes behind the end of `out`, which is longer than what is written until Finish.
    explicit TAsciiWriter(std::u16string& out) : FOut(out), FLength(out.size()) {}

    void write(const void* data, std::size_t size) override
    {
        const auto* bytes = static_cast<const unsigned char*>(data);
        const auto* const end = bytes + size;
        // Every byte takes at most one unit but those of references, which make room when met.
        Room(size);
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
                char16_t* out = FOut.data() + FLength;
                for (const auto* p = bytes; p < run; ++p)
                    *out++ = *p;
                FLength += static_cast<std::size_t>(run - bytes);
                bytes = run;
            }
            if (bytes < end) {
                Put(*bytes++);
                Room(static_cast<std::size_t>(end - bytes));
            }
        }
    }

    // Cuts the text to what is written. Returns whether bytes above 0x7F were left as they
    // are in names: the text then holds them one per unit, still to be decoded as UTF-8.
    bool Finish()
    {
        FOut.resize(FLength);
        return FNameBytes;
    }

  private:
    // Room for `units` more units beyond FLength, and for a reference.
    void Room(std::size_t units)
    {
        static constexpr std::size_t kLongestReference = 10; // "&#1114111;"
        if (FOut.size() < FLength + units + kLongestReference)
            FOut.resize(FLength + units + kLongestReference);
    }

    void Put(unsigned char byte)
    {
        if (FPending > 0) {
            FCodePoint = (FCodePoint << 6) | (byte & 0x3Fu);
            if (--FPending == 0) {
                char digits[8];
                const char* const end = std::to_chars(digits, digits + sizeof digits, FCodePoint).ptr;
                char16_t* out = FOut.data() + FLength;
                *out++ = u'&';
                *out++ = u'#';
                out = std::copy(static_cast<const char*>(digits), end, out);
                *out++ = u';';
                FLength = static_cast<std::size_t>(out - FOut.data());
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
            FOut[FLength++] = byte;
        } else if (FInTag && !FInQuote) {
            FNameBytes = true;
            FOut[FLength++] = byte;
        } else {
            FPending = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : 1;
            FCodePoint = byte & (0x3Fu >> FPending);
        }
    }

    std::u16string& FOut;
    std::size_t FLength; // of what is written
    bool FInTag = false;
    bool FInQuote = false;
    bool FNameBytes = false;
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
    std::u16string text = u"<?xml version=\"1.0\" standalone=\"yes\"?>  ";
    text.reserve(packet.FLength + packet.FLength / 8 + 256);
    TAsciiWriter writer(text);
    packet.FDocument.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    const bool nameBytes = writer.Finish();
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] <= 0x20)
        --end;
    text.resize(end);
    if (!nameBytes)
        return text;
    const std::string bytes(text.begin(), text.end());
    return text::FromUtf8(bytes);
}

} // namespace bramolt::dataset
