#!/usr/bin/python3
"""A mail server whose TLS handshake arrives a byte at a time: every byte it sends leaves
INTERVAL seconds after the one before, so that no single read of the client waits long.

  tls_trickle_peer.py starttls|implicit INTERVAL FOLDER

With starttls it greets, offers STARTTLS to EHLO and accepts it, in plain text and at once,
before the handshake; with implicit the handshake comes first. Its certificate is a
self-signed one made in FOLDER, as smtp_server.py makes it. Prints its port on its first
line of output; serves one connection; ends when its standard input closes.
"""
import os
import socket
import ssl
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from smtp_server import make_tls_context  # noqa: E402


def read_line(connection):
    line = b""
    while not line.endswith(b"\r\n"):
        data = connection.recv(1)
        if not data:
            raise ConnectionError("closed")
        line += data
    return line


def plain_dialogue(connection):
    connection.sendall(b"220 peer\r\n")
    read_line(connection)
    connection.sendall(b"250-peer\r\n250 STARTTLS\r\n")
    read_line(connection)
    connection.sendall(b"220 go ahead\r\n")


def trickle_handshake(connection, context, interval):
    incoming, outgoing = ssl.MemoryBIO(), ssl.MemoryBIO()
    tls = context.wrap_bio(incoming, outgoing, server_side=True)
    while True:
        try:
            tls.do_handshake()
            done = True
        except ssl.SSLWantReadError:
            done = False
        for byte in outgoing.read():
            connection.sendall(bytes([byte]))
            time.sleep(interval)
        if done:
            return
        data = connection.recv(65536)
        if not data:
            raise ConnectionError("closed")
        incoming.write(data)


def main():
    mode, interval, folder = sys.argv[1], float(sys.argv[2]), sys.argv[3]
    context = make_tls_context(folder, False)
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    print(listener.getsockname()[1], flush=True)
    threading.Thread(target=lambda: (sys.stdin.read(), os._exit(0)), daemon=True).start()
    connection, _ = listener.accept()
    connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    try:
        if mode == "starttls":
            plain_dialogue(connection)
        trickle_handshake(connection, context, interval)
    except (ConnectionError, ssl.SSLError):
        pass  # the client gave up
    connection.close()
    sys.stdin.read()


if __name__ == "__main__":
    main()
