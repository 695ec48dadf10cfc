#include "mail/DeliverMail.h"

#include "fileout/InputFile.h"
#include "mail/AddressList.h"
#include "mail/CutToken.h"
#include "mail/MailDate.h"
#include "mail/MailError.h"
#include "mail/MailMessage.h"
#include "mail/MessageId.h"
#include "mail/OpenSsl.h"
#include "mail/SmtpChannel.h"
#include "mail/SmtpSession.h"
#include "mail/Socket.h"
#include "mail/VerificationPolicy.h"
#include "text/Utf8.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace bramolt::mail {

namespace {

constexpr std::uint16_t kImplicitTlsPort = 465;

// Every attachment is opened before connecting: a path that names no readable file fails the
// call before anything is sent, and a file removed meanwhile cannot cut the message short.
std::vector<TAttachment> OpenAttachments(std::u16string_view list)
{
    std::vector<TAttachment> attachments;
    std::u16string rest(list);
    while (!rest.empty()) {
        const std::u16string entry = CutToken(rest, u"|");
        if (entry.empty())
            continue;
        try {
            fileout::TInputFile file = fileout::OpenInputFile(entry);
            attachments.push_back({text::ToUtf8(file.Name), std::move(file.Content)});
        } catch (const fileout::EInputFileError& error) {
            const std::string path = "\"" + text::ToUtf8(entry) + "\"";
            if (error.Fault() == fileout::TInputFault::ifMissing)
                throw EMailError("Attachment not found: " + path);
            throw EMailError("Attachment not readable: " + path + ". " + error.what());
        }
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
                 std::int32_t port, bool useTls, const TMailLimits& limits)
{
    if (server.empty())
        throw EMailError("A Host is required");
    const auto serverPort = static_cast<std::uint16_t>(static_cast<std::uint32_t>(port) & 0xFFFF);
    if (serverPort == 0)
        throw EMailError("A Port is required");

    // The caller's texts become UTF-8 here, once: everything after works on the bytes that
    // go on the wire.
    TSmtpTransaction transaction;
    transaction.Tls = TlsModeFor(useTls, serverPort);
    transaction.ServerName = text::ToUtf8(server);
    transaction.ServerPort = serverPort;
    transaction.VerifyServer = useTls && ServerVerificationRequired();
    const std::string user = text::ToUtf8(userName);

    TMailMessage message;
    message.From = ParseMailbox(user, "UserName");
    if (message.From) {
        transaction.Sender = message.From->Address;
        // Without a display name of its own, the sender shows the name it signs in with.
        if (message.From->Name.empty())
            message.From->Name = message.From->Address;
    }
    transaction.SignIn = ReadCredentials(user, text::ToUtf8(password));
    message.To = ParseAddressList(text::ToUtf8(to), "To");
    message.Cc = ParseAddressList(text::ToUtf8(cc), "Cc");
    const std::vector<TMailAddress> blind = ParseAddressList(text::ToUtf8(bcc), "Bcc");
    for (const auto* list :
         std::initializer_list<const std::vector<TMailAddress>*>{&message.To, &message.Cc, &blind})
        for (const auto& recipient : *list)
            transaction.Recipients.push_back(recipient.Address);
    message.Subject = text::ToUtf8(subject);
    message.Body = text::ToUtf8(body);

    const TOpenSsl* tls = useTls ? &LoadOpenSsl() : nullptr;
    message.Attachments = OpenAttachments(attachments);

    const auto started = std::chrono::steady_clock::now();
    TSocket socket =
        TSocket::Connect(transaction.ServerName, serverPort, std::min(limits.Connect, limits.Dialogue));
    transaction.ClientName = LocalHostName();
    message.MessageId = NewMessageId(transaction.Sender, transaction.ClientName);
    const std::string date = FormatMailDate(std::time(nullptr));
    const std::string boundary = NewBoundary();
    TSmtpChannel channel(std::move(socket), limits, started);
    TSmtpSession session(channel, transaction, tls,
                         [&](TByteSink& out) { WriteMessage(message, boundary, date, out); });
    session.Run();
}

} // namespace bramolt::mail
