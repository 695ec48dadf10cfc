// Any text read as an address list: reading never fails otherwise than by refusing, and a list
// that is accepted, written as a To field and read again, gives the same recipients; every
// line of that field fits the limits of RFC 5322.
#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz/Require.h"
#include "mail/AddressList.h"
#include "mail/HeaderText.h"
#include "mail/MailError.h"
#include "text/Utf8.h"

namespace {

using bramolt::fuzz::Require;
using bramolt::mail::TMailAddress;

// The value of a field with its folding undone (RFC 5322 section 2.2.3).
std::string Unfolded(const std::string& field)
{
    std::string value = field.substr(field.find(':') + 1);
    value.resize(value.size() - 2); // the final CR LF
    std::string unfolded;
    std::size_t at = 0;
    for (std::size_t end; (end = value.find("\r\n", at)) != std::string::npos; at = end + 2)
        unfolded += value.substr(at, end - at);
    return unfolded + value.substr(at);
}

// Length of a name written as a quoted string: two quotes, and a backslash before every quote
// and backslash it holds.
std::size_t QuotedLength(const std::string& name)
{
    return name.size() + 2 + static_cast<std::size_t>(std::count_if(name.begin(), name.end(), [](char c) {
               return c == '"' || c == '\\';
           }));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Bytes below 0x80 stand for themselves, so that the fuzzer finds the separators; a
    // byte above takes the next one as the low half of a UTF-16 unit. The UTF-16 text reaches
    // the reader as UTF-8, as the caller's lists do.
    std::u16string wide;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] < 0x80 || i + 1 == size)
            wide += static_cast<char16_t>(data[i]);
        else {
            wide += static_cast<char16_t>((data[i] << 8) | data[i + 1]);
            ++i;
        }
    }
    const std::string text = bramolt::text::ToUtf8(wide);
    std::vector<TMailAddress> list;
    try {
        list = bramolt::mail::ParseAddressList(text, "To");
    } catch (const bramolt::mail::EMailError&) {
        return 0;
    }
    for (const auto& mailbox : list) {
        Require(!mailbox.Address.empty(), "empty address");
        Require(mailbox.Address.size() <= bramolt::mail::kMaxAddressLength, "address too long");
        Require(mailbox.Address.find_first_of(" <>\r\n") == std::string::npos,
                "blank or bracket in an address");
    }

    bramolt::mail::THeaderField field("To");
    bramolt::mail::AddMailboxList(field, list);
    const std::string written = field.Text();
    std::size_t lineStart = 0;
    for (std::size_t end; (end = written.find("\r\n", lineStart)) != std::string::npos; lineStart = end + 2)
        Require(end - lineStart <= 998, "header line longer than 998 characters");

    std::vector<TMailAddress> again;
    try {
        again = bramolt::mail::ParseAddressList(Unfolded(written), "To");
    } catch (const bramolt::mail::EMailError&) {
        Require(false, "the written list is refused");
    }
    Require(again.size() == list.size(), "the written list has other recipients");
    for (std::size_t i = 0; i < list.size(); ++i) {
        Require(again[i].Address == list[i].Address, "the written list has other addresses");
        // Names beyond printable ASCII, or too long for a line once quoted, travel as encoded
        // words.
        if (!bramolt::mail::NeedsEncoding(list[i].Name) && list[i].Name.find("=?") == std::string::npos &&
            QuotedLength(list[i].Name) < 60)
            Require(again[i].Name == list[i].Name, "the written list has other names");
    }
    return 0;
}
