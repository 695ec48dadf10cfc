#include "mail/MailMessage.h"

#include "fileout/Base64.h"
#include "mail/HeaderText.h"
#include "mail/MailError.h"
#include "mail/MediaType.h"
#include "mail/QuotedPrintable.h"

#include <random>

namespace bramolt::mail {

namespace {

// A whole number of Base64 lines (57 bytes each), so that the encoded chunks join into
// the same lines as one encoding of the whole file.
constexpr std::size_t kAttachmentChunk = 57 * 2048;

void WriteTextPartFields(TByteSink& out)
{
    out.Write("Content-Type: text/html; charset=utf-8\r\n"
              "Content-Transfer-Encoding: quoted-printable\r\n"
              "Content-Disposition: inline\r\n");
}

void WriteBody(const TMailMessage& message, TByteSink& out)
{
    out.Write(EncodeQuotedPrintable(message.Body + "\r\n"));
}

void WriteAttachment(TAttachment& attachment, TByteSink& out)
{
    THeaderField type("Content-Type");
    type.Add(MediaTypeOf(attachment.FileName));
    AddParameter(type, "name", attachment.FileName);
    THeaderField disposition("Content-Disposition");
    disposition.Add("attachment");
    AddParameter(disposition, "filename", attachment.FileName);
    out.Write(type.Text() + "Content-Transfer-Encoding: base64\r\n" + disposition.Text() + "\r\n");
    std::string chunk(kAttachmentChunk, '\0');
    bool lineOpen = false;
    for (;;) {
        attachment.Content->read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto got = static_cast<std::size_t>(attachment.Content->gcount());
        if (got == 0)
            break;
        out.Write(fileout::EncodeBase64Lines(std::string_view(chunk).substr(0, got)));
        lineOpen = got % 57 != 0;
        if (got < chunk.size())
            break;
    }
    if (attachment.Content->bad())
        throw EMailError("Could not read the attachment \"" + attachment.FileName + "\".");
    if (lineOpen)
        out.Write("\r\n");
}

} // namespace

void WriteMessage(TMailMessage& message, std::string_view boundary, std::string_view date, TByteSink& out)
{
    if (message.From) {
        THeaderField from("From");
        AddMailbox(from, *message.From);
        out.Write(from.Text());
    }
    if (!message.Subject.empty()) {
        THeaderField subject("Subject");
        AddUnstructured(subject, message.Subject);
        out.Write(subject.Text());
    }
    for (const auto& [name, list] : {std::pair{"To", &message.To}, std::pair{"Cc", &message.Cc}}) {
        if (list->empty())
            continue;
        THeaderField field(name);
        AddMailboxList(field, *list);
        out.Write(field.Text());
    }

    std::string dateAndId = "Date: " + std::string(date) + "\r\n";
    if (!message.MessageId.empty())
        dateAndId += "Message-ID: " + message.MessageId + "\r\n";
    if (message.Attachments.empty()) {
        out.Write("MIME-Version: 1.0\r\n" + dateAndId);
        WriteTextPartFields(out);
        out.Write("\r\n");
        WriteBody(message, out);
        return;
    }

    const std::string delimiter = "--" + std::string(boundary);
    out.Write("Content-Type: multipart/mixed;\r\n\tboundary=\"" + std::string(boundary) +
              "\"\r\n"
              "MIME-Version: 1.0\r\n" +
              dateAndId + "\r\nThis is a multi-part message in MIME format\r\n\r\n" + delimiter + "\r\n");
    WriteTextPartFields(out);
    out.Write("\r\n");
    WriteBody(message, out);
    for (auto& attachment : message.Attachments) {
        out.Write(delimiter + "\r\n");
        WriteAttachment(attachment, out);
    }
    out.Write(delimiter + "--\r\n");
}

std::string NewBoundary()
{
    std::random_device source;
    std::uniform_int_distribution<unsigned> digit(0, 15);
    std::string boundary = "=_Bramolt_";
    for (int i = 0; i < 32; ++i)
        boundary += "0123456789abcdef"[digit(source)];
    return boundary;
}

} // namespace bramolt::mail
