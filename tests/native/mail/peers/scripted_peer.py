#!/usr/bin/python3
"""A scripted SMTP peer: plays written replies to one client and records what it sends.

  scripted_peer.py SCRIPT TRANSCRIPT

SCRIPT holds one reply per line, CR LF added; "\\n" inside a line stands for a line break
of a multi-line reply. The first reply is the greeting; each further one answers one
command line of the client, or the whole message after a 354 reply (up to its final ".").
Two lines are actions instead of replies:
  @silent   read the next command and never answer it
  @close    read the next command and close the connection
and a reply (the greeting too) may begin with "@after SECONDS ", which holds it back that
long. A client that gives up meanwhile ends the dialogue.
Everything the client sends is appended to TRANSCRIPT before the peer answers it. Prints
its port on its first line of output; serves one connection; ends when its standard input
closes.
"""
import socket
import sys
import threading
import time


def main():
    script_path, transcript_path = sys.argv[1], sys.argv[2]
    with open(script_path, encoding="utf-8") as script:
        replies = [line.rstrip("\n") for line in script if line.strip()]
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    print(listener.getsockname()[1], flush=True)
    threading.Thread(target=lambda: (sys.stdin.read(), listener.close(), sys.exit(0)), daemon=True).start()
    connection, _ = listener.accept()
    transcript = open(transcript_path, "wb", buffering=0)
    pending = b""

    def receive(terminator):
        nonlocal pending
        while terminator not in pending:
            data = connection.recv(65536)
            if not data:
                return None
            pending += data
        end = pending.index(terminator) + len(terminator)
        unit, pending = pending[:end], pending[end:]
        transcript.write(unit)
        return unit

    def send(reply):
        if reply.startswith("@after "):
            _, delay, reply = reply.split(" ", 2)
            time.sleep(float(delay))
        connection.sendall(reply.replace("\\n", "\r\n").encode() + b"\r\n")
        return reply

    try:
        send(replies[0])
        in_data = False
        for reply in replies[1:]:
            unit = receive(b"\r\n.\r\n" if in_data else b"\r\n")
            if unit is None:
                break
            if reply == "@silent":
                receive(b"\r\n")  # waits until the client gives up and closes
                break
            if reply == "@close":
                break
            in_data = send(reply).startswith("354")
    except ConnectionError:
        pass
    connection.close()
    sys.stdin.read()


if __name__ == "__main__":
    main()
