#!/usr/bin/python3
"""A real SMTP server for the mail tests: aiosmtpd on 127.0.0.1, on a free port.

Prints the port on its first line of output, then serves until it is killed or its
standard input closes (with --forever: until it is killed). Every accepted message is
parsed with Python's email package and summarised in OUT/<n>.txt (envelope, fields in order, decoded body, attachments), its
attachments decoded into OUT/<n>-<k>.bin and its raw bytes kept in OUT/<n>.eml.

  --tls starttls|implicit   a self-signed certificate made by the openssl command
  --login USER:PASSWORD     AUTH LOGIN required, with these credentials
  --port N                  this port instead of a free one
"""
import argparse
import asyncio
import email
import email.policy
import logging
import os
import ssl
import subprocess
import sys
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


def make_tls_context(folder):
    cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=localhost", "-keyout", key, "-out", cert],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(cert, key)
    return context


def summarise(content, folder, number):
    message = email.message_from_bytes(content, policy=email.policy.default)
    summary = {
        "fields": [[name, str(value)] for name, value in message.items()],
        "raw_fields": [[name, value] for name, value in
                       email.message_from_bytes(content, policy=email.policy.compat32).items()],
        "content_type": message.get_content_type(),
        "defects": [],
        "attachments": [],
        "body": None,
        "longest_line": max(len(line) for line in content.split(b"\r\n")),
        "bare_line_feeds": content.replace(b"\r\n", b"").count(b"\n"),
    }
    for part in message.walk():
        summary["defects"] += [type(defect).__name__ for defect in part.defects]
        if part.is_multipart():
            continue
        if part.get_content_disposition() == "attachment":
            name = f"{number}-{len(summary['attachments'])}.bin"
            with open(os.path.join(folder, name), "wb") as out:
                out.write(part.get_payload(decode=True))
            summary["attachments"].append({"filename": part.get_filename(),
                                           "content_type": part.get_content_type(), "file": name})
        elif summary["body"] is None:
            summary["body"] = part.get_content()
            summary["body_type"] = part.get_content_type()
            summary["body_charset"] = part.get_content_charset()
            summary["body_encoding"] = part["Content-Transfer-Encoding"]
    return summary


def escaped(value):
    return (str(value).replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n")
            .replace("\t", "\\t"))


def write_summary(path, summary):
    """One row per line, tab-separated, with backslash escapes: easy to read from C++."""
    rows = [["mail_from", summary["mail_from"]], ["login", summary["login"] or ""],
            ["tls", int(summary["tls"])], ["content_type", summary["content_type"]],
            ["longest_line", summary["longest_line"]], ["bare_line_feeds", summary["bare_line_feeds"]]]
    rows += [["rcpt", rcpt] for rcpt in summary["rcpt_tos"]]
    rows += [["field", name, value] for name, value in summary["fields"]]
    rows += [["raw_field", name, value] for name, value in summary["raw_fields"]]
    rows += [["defect", defect] for defect in summary["defects"]]
    if summary["body"] is not None:
        rows += [["body", summary["body"]], ["body_type", summary["body_type"]],
                 ["body_charset", summary["body_charset"]], ["body_encoding", summary["body_encoding"]]]
    rows += [["attachment", a["filename"], a["content_type"], a["file"]] for a in summary["attachments"]]
    with open(path + ".tmp", "w", encoding="utf-8") as out:
        for row in rows:
            out.write("\t".join(escaped(value) for value in row) + "\n")
    os.replace(path + ".tmp", path)


class Capture:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        number = self.count
        with open(os.path.join(self.folder, f"{number}.eml"), "wb") as out:
            out.write(envelope.content)
        summary = summarise(envelope.content, self.folder, number)
        summary["mail_from"] = envelope.mail_from
        summary["rcpt_tos"] = envelope.rcpt_tos
        summary["login"] = session.auth_data.decode() if isinstance(session.auth_data, bytes) else None
        summary["tls"] = session.ssl is not None or server.transport.get_extra_info("sslcontext") is not None
        write_summary(os.path.join(self.folder, f"{number}.txt"), summary)
        return "250 Message accepted for delivery"


def main():
    # Plain-text AUTH is what the tests want; the library's warnings about it are noise.
    warnings.simplefilter("ignore")
    logging.disable(logging.WARNING)
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--tls", choices=["starttls", "implicit"])
    parser.add_argument("--login")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--forever", action="store_true", help="serve until killed, ignoring standard input")
    options = parser.parse_args()

    context = make_tls_context(options.folder) if options.tls else None
    keywords = {"data_size_limit": 0, "enable_SMTPUTF8": True, "hostname": "bramolt-test",
                "auth_require_tls": False}
    if options.tls == "starttls":
        keywords.update(tls_context=context, require_starttls=True)
    if options.login:
        user, password = options.login.split(":", 1)

        def authenticate(server, session, envelope, mechanism, data):
            ok = (isinstance(data, LoginPassword) and data.login.decode() == user
                  and data.password.decode() == password)
            return AuthResult(success=ok, handled=False, auth_data=data.login if ok else None)

        keywords.update(authenticator=authenticate, auth_required=True)

    capture = Capture(options.folder)

    async def serve():
        loop = asyncio.get_running_loop()
        server = await loop.create_server(lambda: SMTP(capture, **keywords), "127.0.0.1", options.port,
                                          ssl=context if options.tls == "implicit" else None)
        print(server.sockets[0].getsockname()[1], flush=True)
        # Ends when the harness closes our standard input (or kills us).
        if options.forever:
            await asyncio.Event().wait()
        await loop.run_in_executor(None, sys.stdin.read)
        server.close()

    asyncio.run(serve())


if __name__ == "__main__":
    main()
