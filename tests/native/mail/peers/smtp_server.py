#!/usr/bin/python3
"""A real SMTP server for the mail tests: aiosmtpd on 127.0.0.1, on a free port.

Prints the port on its first line of output, then serves until it is killed or its
standard input closes (with --forever: until it is killed). Every accepted message is
parsed with Python's email package and summarised in OUT/<n>.txt (envelope, fields in order, decoded body, attachments), its
attachments decoded into OUT/<n>-<k>.bin and its raw bytes kept in OUT/<n>.eml.

  --tls starttls|implicit   a self-signed certificate made by the openssl command
  --signed                  with --tls: a certificate for localhost and 127.0.0.1 issued by a
                            test certificate authority (OUT/ca.pem, OUT/ca.der)
  --login USER:PASSWORD     AUTH required, LOGIN or PLAIN with these credentials
  --oauth USER:TOKEN        AUTH required, XOAUTH2 or OAUTHBEARER with this access token
                            (a wrong one is refused the way the large providers do: a 334
                            challenge with a JSON error, the client's acknowledgement, 535)
  --exclude MECHANISM       do not offer this mechanism (repeatable)
  --port N                  this port instead of a free one
"""
import argparse
import asyncio
import base64
import email
import email.policy
import json
import logging
import os
import ssl
import subprocess
import sys
import warnings

from aiosmtpd.smtp import MISSING, SMTP, AuthResult, LoginPassword


def openssl(*arguments):
    subprocess.run(["openssl", *arguments], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_tls_context(folder, signed):
    """Self-signed, or (signed) issued by a certificate authority made here, whose certificate
    is left in FOLDER/ca.pem and FOLDER/ca.der for the client to trust."""
    cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
    if not signed:
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=localhost",
                "-keyout", key, "-out", cert)
    else:
        ca, ca_key = os.path.join(folder, "ca.pem"), os.path.join(folder, "ca.key")
        request, extensions = os.path.join(folder, "cert.csr"), os.path.join(folder, "cert.ext")
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Bramolt Test CA",
                "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign",
                "-keyout", ca_key, "-out", ca)
        openssl("x509", "-in", ca, "-outform", "DER", "-out", os.path.join(folder, "ca.der"))
        openssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=localhost", "-keyout", key, "-out", request)
        with open(extensions, "w") as out:
            out.write("subjectAltName=DNS:localhost,IP:127.0.0.1\nextendedKeyUsage=serverAuth\n"
                      "basicConstraints=CA:FALSE\n")
        openssl("x509", "-req", "-in", request, "-CA", ca, "-CAkey", ca_key, "-CAcreateserial", "-days", "2",
                "-extfile", extensions, "-out", cert)
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
            ["mechanism", summary["mechanism"] or ""],
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
        self.mechanism = None

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        number = self.count
        with open(os.path.join(self.folder, f"{number}.eml"), "wb") as out:
            out.write(envelope.content)
        summary = summarise(envelope.content, self.folder, number)
        summary["mail_from"] = envelope.mail_from
        summary["rcpt_tos"] = envelope.rcpt_tos
        summary["login"] = session.auth_data.decode() if isinstance(session.auth_data, bytes) else None
        summary["mechanism"] = self.mechanism
        summary["tls"] = session.ssl is not None or server.transport.get_extra_info("sslcontext") is not None
        write_summary(os.path.join(self.folder, f"{number}.txt"), summary)
        return "250 Message accepted for delivery"


class OAuthCapture(Capture):
    """Capture that also signs in with access tokens. aiosmtpd offers every auth_* method of
    its handler as a mechanism."""

    def __init__(self, folder, user, token):
        super().__init__(folder)
        self.user, self.token = user, token

    async def refuse(self, server, acknowledgement):
        error = {"status": "401", "schemes": "Bearer", "scope": "https://mail.example.org/"}
        answer = await server.challenge_auth(json.dumps(error))
        if answer is MISSING:
            return AuthResult(success=False, handled=True)
        if answer != acknowledgement:
            await server.push("501 5.5.2 Wrong acknowledgement of the error challenge")
            return AuthResult(success=False, handled=True)
        return AuthResult(success=False, handled=False, message="535 5.7.8 Token refused for " + self.user)

    async def sign_in(self, server, args, mechanism, parse, acknowledgement):
        message = await server.challenge_auth("") if len(args) == 1 else base64.b64decode(args[1])
        if message is MISSING:
            return AuthResult(success=False, handled=True)
        fields = parse(message)
        if fields is None:
            await server.push("501 5.5.2 Malformed " + mechanism + " message")
            return AuthResult(success=False, handled=True)
        user, token = fields
        if user != self.user or token != self.token:
            return await self.refuse(server, acknowledgement)
        self.mechanism = mechanism
        return AuthResult(success=True, auth_data=user.encode())

    async def auth_XOAUTH2(self, server, args):
        def parse(message):
            parts = message.split(b"\x01")
            if len(parts) != 4 or parts[2:] != [b"", b""] or not parts[0].startswith(b"user="):
                return None
            if not parts[1].startswith(b"auth=Bearer "):
                return None
            return parts[0][5:].decode(), parts[1][12:].decode()
        return await self.sign_in(server, args, "XOAUTH2", parse, b"")

    async def auth_OAUTHBEARER(self, server, args):
        port = server.transport.get_extra_info("sockname")[1]

        def parse(message):
            parts = message.split(b"\x01")
            if len(parts) < 4 or parts[-2:] != [b"", b""] or not parts[0].startswith(b"n,a="):
                return None
            fields = dict(part.split(b"=", 1) for part in parts[1:-2])
            if fields.get(b"port") != str(port).encode() or b"host" not in fields:
                return None
            if not fields.get(b"auth", b"").startswith(b"Bearer "):
                return None
            name = parts[0][4:].rstrip(b",").replace(b"=2C", b",").replace(b"=3D", b"=")
            return name.decode(), fields[b"auth"][7:].decode()
        return await self.sign_in(server, args, "OAUTHBEARER", parse, b"\x01")


def main():
    # Plain-text AUTH is what the tests want; the library's warnings about it are noise.
    warnings.simplefilter("ignore")
    logging.disable(logging.WARNING)
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--tls", choices=["starttls", "implicit"])
    parser.add_argument("--login")
    parser.add_argument("--signed", action="store_true")
    parser.add_argument("--oauth")
    parser.add_argument("--exclude", action="append", default=[])
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--forever", action="store_true", help="serve until killed, ignoring standard input")
    options = parser.parse_args()

    context = make_tls_context(options.folder, options.signed) if options.tls else None
    keywords = {"data_size_limit": 0, "enable_SMTPUTF8": True, "hostname": "bramolt-test",
                "auth_require_tls": False, "auth_exclude_mechanism": options.exclude}
    if options.tls == "starttls":
        keywords.update(tls_context=context, require_starttls=True)
    if options.login:
        user, password = options.login.split(":", 1)

        def authenticate(server, session, envelope, mechanism, data):
            ok = (isinstance(data, LoginPassword) and data.login.decode() == user
                  and data.password.decode() == password)
            if ok:
                capture.mechanism = mechanism
            return AuthResult(success=ok, handled=False, auth_data=data.login if ok else None)

        keywords.update(authenticator=authenticate, auth_required=True)

    if options.oauth:
        capture = OAuthCapture(options.folder, *options.oauth.split(":", 1))
        keywords.update(auth_required=True)
    else:
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
