#!/usr/bin/env python3
"""A TCP peer that plays whatever the test asks of it.

scripted-peer.py ADDRESS DIR PORT...

It listens on every PORT of ADDRESS. For each connection it reads DIR/script,
written by the test beforehand: blocks of steps separated by lines "--", one
block per connection in the order they arrive (counted afresh whenever the
script's first line, a generation mark, changes). What the peer receives on
connection N of a generation is appended to DIR/received.N as it arrives.

Steps, one a line:
  recv N        read exactly N bytes
  head          read up to and including an empty line (CR LF CR LF)
  drain         read until the other side closes
  send TEXT     send TEXT, with backslash escapes such as \\r\\n and \\x00
  hex HH HH...  send these bytes
  sleep MS      wait MS milliseconds
  notify        end TLS with the closing alert (TLS connections only)
Missing blocks, and the end of a block, close the connection; a TLS
connection is then closed without the closing alert, as a cut transfer is.

With SCRIPTED_TLS_CERT and SCRIPTED_TLS_KEY (PEM files) in the environment,
connections to port 443 speak TLS with that certificate.
"""
import os
import socket
import ssl
import sys
import threading
import time

address, folder, ports = sys.argv[1], sys.argv[2], [int(p) for p in sys.argv[3:]]
lock = threading.Lock()
state = {"mark": None, "count": 0}


def next_block():
    try:
        with open(os.path.join(folder, "script"), encoding="latin-1") as f:
            lines = f.read().splitlines()
    except OSError:
        return None, []
    mark = lines[0] if lines else ""
    with lock:
        if mark != state["mark"]:
            state["mark"], state["count"] = mark, 0
        index = state["count"]
        state["count"] += 1
    blocks, current = [], []
    for line in lines[1:]:
        if line.strip() == "--":
            blocks.append(current)
            current = []
        elif line.strip():
            current.append(line)
    blocks.append(current)
    return index, blocks[index] if index < len(blocks) else []


def receive(conn, count, record):
    data = b""
    while len(data) < count:
        part = conn.recv(count - len(data))
        if not part:
            break
        record(part)
        data += part
    return data


def play(conn):
    if conn.getsockname()[1] == 443 and tls is not None:
        try:
            conn = tls.wrap_socket(conn, server_side=True)
        except (OSError, ssl.SSLError):
            conn.close()
            return
    index, steps = next_block()
    path = os.path.join(folder, "received.%d" % (index or 0))

    def record(data):
        with open(path, "ab") as f:
            f.write(data)

    try:
        for step in steps:
            verb, _, argument = step.partition(" ")
            if verb == "recv":
                receive(conn, int(argument), record)
            elif verb == "head":
                seen = b""
                while not seen.endswith(b"\r\n\r\n"):
                    part = conn.recv(1)
                    if not part:
                        break
                    record(part)
                    seen += part
            elif verb == "drain":
                while True:
                    part = conn.recv(65536)
                    if not part:
                        break
                    record(part)
            elif verb == "send":
                text = argument.encode("latin-1").decode("unicode_escape").encode("latin-1")
                conn.sendall(text)
            elif verb == "hex":
                conn.sendall(bytes.fromhex(argument))
            elif verb == "sleep":
                time.sleep(int(argument) / 1000.0)
            elif verb == "notify":
                conn = conn.unwrap()
    except OSError:
        pass
    finally:
        conn.close()


def serve(listener):
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=play, args=(conn,), daemon=True).start()


tls = None
if os.environ.get("SCRIPTED_TLS_CERT"):
    tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    tls.load_cert_chain(os.environ["SCRIPTED_TLS_CERT"], os.environ["SCRIPTED_TLS_KEY"])

for port in ports:
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((address, port))
    listener.listen(16)
    threading.Thread(target=serve, args=(listener,), daemon=True).start()

threading.Event().wait()
