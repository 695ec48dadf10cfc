#pragma once

#include "ExpectThrow.h"
#include "TestFolder.h"
#include "fileout/Base64.h"
#include "mail/DeliverMail.h"
#include "mail/MailError.h"
#include "mail/OpenSsl.h"
#include "mail/Socket.h"
#include "tests/native/mail/PeerProcess.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace bramolt::mail::test {

using bramolt::test::ReadBytes;
using bramolt::test::TTestFolder;
using bramolt::test::WriteBytes;

// A port on which nothing listens, bound to find a free one and closed again: a call that
// reached the network would fail with "Connection refused" instead of its own message.
inline int ClosedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

// Bytes as one line of Base64, as a sign-in sends them.
inline std::string Base64(std::string_view bytes)
{
    std::string encoded = fileout::EncodeBase64Lines(bytes);
    std::erase_if(encoded, [](char c) { return c == '\r' || c == '\n'; });
    return encoded;
}

inline std::string PeerScript(const std::string& name)
{
    return std::string(BRAMOLT_MAIL_PEERS) + "/" + name;
}

// The arguments of one DeliverMail call, with workable defaults.
struct TMailCall {
    std::u16string To = u"ana@example.org";
    std::u16string Cc;
    std::u16string Bcc;
    std::u16string Subject = u"Hello";
    std::u16string Body = u"<p>Hello</p>";
    std::u16string Attachments;
    std::u16string UserName = u"sender@example.org";
    std::u16string Password;
    std::u16string Server = u"127.0.0.1";
    std::int32_t Port = 0;
    bool UseTls = false;
    TMailLimits Limits;

    void Deliver() const
    {
        DeliverMail(To, Cc, Bcc, Subject, Body, Attachments, UserName, Password, Server, Port, UseTls,
                    Limits);
    }
    // The message of the failure DeliverMail throws, or "no failure".
    std::string Failure() const
    {
        return bramolt::test::ThrownMessage<std::exception>([&] { Deliver(); }).value_or("no failure");
    }
};

// One message ("Subject: over TLS") from s@example.org to r@example.org, through the session
// as DeliverMail drives it, to 127.0.0.1:`port`: for what DeliverMail does not let a test
// choose, implicit TLS on a port other than 465 or a server name other than the address
// connected to. The failure's message, or "no failure".
inline std::string SendThroughSession(int port, TTlsMode mode, const std::string& serverName, bool verify,
                                      const TMailLimits& limits)
{
    TSmtpTransaction transaction;
    transaction.ClientName = "client.test";
    transaction.ServerName = serverName;
    transaction.Tls = mode;
    transaction.VerifyServer = verify;
    transaction.Sender = "s@example.org";
    transaction.Recipients = {"r@example.org"};
    return bramolt::test::ThrownMessage<EMailError>([&] {
               TSmtpChannel channel(
                   TSocket::Connect("127.0.0.1", static_cast<std::uint16_t>(port), limits.Connect), limits);
               TSmtpSession session(channel, transaction, &LoadOpenSsl(),
                                    [](TByteSink& out) { out.Write("Subject: over TLS\r\n\r\nbody\r\n"); });
               session.Run();
           })
        .value_or("no failure");
}

// A message the capturing server accepted, as its summary rows (peers/smtp_server.py).
class TCapturedMessage {
  public:
    explicit TCapturedMessage(const std::filesystem::path& summary)
    {
        std::istringstream lines(ReadBytes(summary));
        std::string line;
        while (std::getline(lines, line)) {
            std::vector<std::string> row(1);
            for (std::size_t i = 0; i < line.size(); ++i) {
                if (line[i] == '\t') {
                    row.emplace_back();
                } else if (line[i] == '\\' && i + 1 < line.size()) {
                    const char c = line[++i];
                    row.back() += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
                } else {
                    row.back() += line[i];
                }
            }
            FRows.push_back(std::move(row));
        }
    }

    std::vector<std::vector<std::string>> Rows(const std::string& key) const
    {
        std::vector<std::vector<std::string>> rows;
        for (const auto& row : FRows)
            if (row[0] == key)
                rows.emplace_back(row.begin() + 1, row.end());
        return rows;
    }
    std::vector<std::string> Values(const std::string& key) const
    {
        std::vector<std::string> values;
        for (const auto& row : Rows(key))
            values.push_back(row.empty() ? "" : row[0]);
        return values;
    }
    std::string Value(const std::string& key) const
    {
        const auto values = Values(key);
        return values.empty() ? "<none>" : values.front();
    }
    std::vector<std::string> FieldNames() const { return Values("field"); }
    std::string Field(const std::string& name) const
    {
        for (const auto& row : Rows("field"))
            if (row.size() == 2 && row[0] == name)
                return row[1];
        return "<none>";
    }

  private:
    std::vector<std::vector<std::string>> FRows;
};

// The capturing SMTP server, with its folder of captured messages.
class TCaptureServer {
  public:
    explicit TCaptureServer(std::vector<std::string> options = {})
        : FPeer([&] {
              std::vector<std::string> arguments{"/usr/bin/python3", PeerScript("smtp_server.py"),
                                                 FFolder.Path().string()};
              arguments.insert(arguments.end(), options.begin(), options.end());
              return arguments;
          }())
    {
    }
    int Port() const { return FPeer.Port(); }
    const TTestFolder& Folder() const { return FFolder; }
    // The n-th message accepted (from 1).
    TCapturedMessage Message(int number) const
    {
        return TCapturedMessage(FFolder / (std::to_string(number) + ".txt"));
    }
    bool HasMessage(int number) const
    {
        return std::filesystem::exists(FFolder / (std::to_string(number) + ".txt"));
    }

  private:
    TTestFolder FFolder;
    TPeerProcess FPeer;
};

// The scripted peer, playing `replies` (one per line); Transcript() is what the client sent.
class TScriptedPeer {
  public:
    explicit TScriptedPeer(const std::string& replies)
        : FScript((WriteBytes(FFolder / "script", replies), FFolder / "script")),
          FPeer({"/usr/bin/python3", PeerScript("scripted_peer.py"), FScript.string(),
                 (FFolder / "transcript").string()})
    {
    }
    int Port() const { return FPeer.Port(); }
    std::string Transcript() const { return ReadBytes(FFolder / "transcript"); }

  private:
    TTestFolder FFolder;
    std::filesystem::path FScript;
    TPeerProcess FPeer;
};

// The peer whose TLS handshake arrives a byte every `interval` (peers/tls_trickle_peer.py),
// after a plain STARTTLS dialogue (`mode` "starttls") or from the first byte ("implicit").
class TTricklePeer {
  public:
    TTricklePeer(const std::string& mode, std::chrono::milliseconds interval)
        : FPeer({"/usr/bin/python3", PeerScript("tls_trickle_peer.py"), mode,
                 std::to_string(interval.count() / 1000.0), FFolder.Path().string()})
    {
    }
    int Port() const { return FPeer.Port(); }

  private:
    TTestFolder FFolder;
    TPeerProcess FPeer;
};

} // namespace bramolt::mail::test
