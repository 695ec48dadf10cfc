#include "mail/DeliverMail.h"

#include "fileout/PlatformFile.h"
#include "mail/AddressList.h"
#include "mail/CutToken.h"
#include "mail/MailDate.h"
#include "mail/MailError.h"
#include "mail/MailMessage.h"
#include "mail/OpenSsl.h"
#include "mail/SmtpChannel.h"
#include "mail/SmtpSession.h"
#include "mail/Socket.h"
#include "text/Utf8.h"

#include <ctime>
#include <filesystem>
#include <fstream>

namespace bramolt::mail {

namespace {

constexpr std::uint16_t kImplicitTlsPort = 465;

std::u16string_view TrimBlanks(std::u16string_view text)
{
    while (!text.empty() && text.front() == u' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == u' ')
        text.remove_suffix(1);
    return text;
}

// An address goes into a command line: a line break in it would end the command and let
// the rest of the text be read as commands of its own.
std::string CheckedAddress(std::u16string_view address)
{
    if (address.find_first_of(u"\r\n") != std::u16string_view::npos) {
        std::string shown;
        for (const char c : text::ToUtf8(address))
            shown += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
        throw TMailError("Invalid e-mail address \"" + shown + "\": it contains a line break.");
    }
    return text::ToUtf8(address);
}

std::vector<TAttachment> OpenAttachments(std::u16string_view list)
{
    std::vector<TAttachment> attachments;
    std::u16string rest(list);
    while (!rest.empty()) {
        const std::u16string entry = CutToken(rest, u"|");
        if (entry.empty())
            continue;
        const std::filesystem::path path = fileout::platform::ToNativePath(entry);
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error))
            continue;
        // Opened now, so that a file that cannot be read fails the call before anything is
        // sent, and a file removed meanwhile cannot cut the message short.
        auto stream = std::make_unique<std::ifstream>(path, std::ios::binary);
        if (!stream->is_open())
            throw TMailError("Could not open the attachment \"" + text::ToUtf8(entry) + "\".");
        attachments.push_back({fileout::platform::FromNativePath(path.filename()), std::move(stream)});
    }
    return attachments;
}

} // namespace

TTlsMode TlsModeFor(bool useTls, std::uint16_t port)
{
    if (!useTls)
        return TTlsMode::tmNone;
    return port == kImplicitTlsPort ? TTlsMode::tmImplicit : TTlsMode::tmStartTls;
}

void DeliverMail(std::u16string_view to, std::u16string_view cc, std::u16string_view bcc,
                 std::u16string_view subject, std::u16string_view body, std::u16string_view attachments,
                 std::u16string_view userName, std::u16string_view password, std::u16string_view server,
                 std::int32_t port, bool useTls, std::u16string& status, const TMailLimits& limits)
{
    status = u"OK";
    if (server.empty())
        throw TMailError("A Host is required");
    const auto serverPort = static_cast<std::uint16_t>(static_cast<std::uint32_t>(port) & 0xFFFF);
    if (serverPort == 0)
        throw TMailError("A Port is required");

    TSmtpTransaction transaction;
    transaction.Tls = TlsModeFor(useTls, serverPort);
    transaction.ServerName = text::ToUtf8(server);
    transaction.UserName = text::ToUtf8(userName);
    transaction.Password = text::ToUtf8(password);
    transaction.Sender = CheckedAddress(TrimBlanks(userName));

    TMailMessage message;
    if (!userName.empty())
        message.From = TMailAddress{std::u16string(userName), std::u16string(TrimBlanks(userName))};
    message.To = ParseAddressList(to);
    message.Cc = ParseAddressList(cc);
    const std::vector<TMailAddress> blind = ParseAddressList(bcc);
    for (const auto* list :
         std::initializer_list<const std::vector<TMailAddress>*>{&message.To, &message.Cc, &blind})
        for (const auto& recipient : *list)
            transaction.Recipients.push_back(CheckedAddress(recipient.Address));
    message.Subject = subject;
    message.Body = body;

    const TOpenSsl* tls = useTls ? &LoadOpenSsl() : nullptr;
    message.Attachments = OpenAttachments(attachments);

    TSocket socket = [&] {
        try {
            return TSocket::Connect(transaction.ServerName, serverPort, limits.Connect);
        } catch (...) {
            status = u"Error al conectar con el servidor.";
            throw;
        }
    }();
    transaction.ClientName = LocalHostName();
    const std::string date = FormatMailDate(std::time(nullptr));
    const std::string boundary = NewBoundary();
    try {
        TSmtpChannel channel(std::move(socket), limits.Reply);
        TSmtpSession session(channel, transaction, tls,
                             [&](TByteSink& out) { WriteMessage(message, boundary, date, out); });
        session.Run();
    } catch (...) {
        status = u"Fallo en el envio de email";
        throw;
    }
}

} // namespace bramolt::mail
