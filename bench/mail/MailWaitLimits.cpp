// How long one delivery holds its caller at the real limits (TMailLimits' defaults) when the
// server stalls on purpose and every single wait stays within its own limit:
//   handshake  STARTTLS, then a TLS handshake whose bytes arrive one every 2 seconds
//   dialogue   a server that answers every command after 50 seconds, three recipients
// Each prints the failure and the seconds it took. Run by hand, from the repository root:
//   build/native/bench/mail/mail_wait_limits handshake   # about a minute
//   build/native/bench/mail/mail_wait_limits dialogue    # about five minutes
// The peers are the mail tests' own (tests/native/mail/peers), started as child processes.
#include "TestFolder.h"
#include "mail/DeliverMail.h"
#include "mail/MailError.h"
#include "tests/native/mail/PeerProcess.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

using bramolt::mail::test::TPeerProcess;

std::string Peer(const char* name)
{
    return std::string(BRAMOLT_MAIL_PEERS) + "/" + name;
}

// Delivers to 127.0.0.1:`port` and reports how it ended.
void Measure(const char* what, int port, bool useTls)
{
    const auto start = std::chrono::steady_clock::now();
    std::string outcome = "delivered";
    try {
        bramolt::mail::DeliverMail(u"a@x.org, b@x.org, c@x.org", u"", u"", u"Hello", u"<p>Hello</p>", u"",
                                   u"sender@example.org", u"", u"127.0.0.1", port, useTls);
    } catch (const bramolt::mail::EMailError& error) {
        outcome = error.what();
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%s: \"%s\" after %.1f s\n", what, outcome.c_str(), elapsed.count());
}

void Handshake()
{
    bramolt::test::TTestFolder folder;
    TPeerProcess peer(
        {"/usr/bin/python3", Peer("tls_trickle_peer.py"), "starttls", "2", folder.Path().string()});
    Measure("TLS handshake, a byte every 2 s", peer.Port(), true);
}

void Dialogue()
{
    bramolt::test::TTestFolder folder;
    std::ofstream(folder / "script") << "@after 50 220 peer\n@after 50 250 peer\n@after 50 250 ok\n"
                                        "@after 50 250 ok\n@after 50 250 ok\n@after 50 250 ok\n"
                                        "@after 50 354 go\n250 queued\n221 bye\n";
    TPeerProcess peer({"/usr/bin/python3", Peer("scripted_peer.py"), (folder / "script").string(),
                       (folder / "transcript").string()});
    Measure("every reply after 50 s", peer.Port(), false);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string which = argc > 1 ? argv[1] : "";
    if (which == "handshake")
        Handshake();
    else if (which == "dialogue")
        Dialogue();
    else {
        std::fprintf(stderr, "usage: mail_wait_limits handshake|dialogue\n");
        return 2;
    }
    return 0;
}
