#!/usr/bin/env python3
"""An HTTP proxy in front of a real web server that breaks what it relays.

fault-proxy.py ADDRESS PORT UPSTREAM_ADDRESS UPSTREAM_PORT DIR

It listens on ADDRESS:PORT and, for each connection, reads the client's
request head, passes it on to the upstream server (asking it to close the
connection after its response, so that the response's end is the stream's
end) and relays the response back, breaking it as the one line in DIR/fault
says at the moment the connection arrives. OFFSET counts bytes of the
response, head included:

  pass                      relay everything
  cut OFFSET                relay OFFSET bytes, then close
  reset OFFSET              relay OFFSET bytes, then reset the connection
  stall OFFSET              relay OFFSET bytes, then say nothing until the client hangs up
  drip OFFSET COUNT MS      relay OFFSET bytes, then COUNT bytes one at a time MS apart,
                            then the rest at once
  garbage HEX               send these bytes instead of any response, then close
  swap PATH                 a request for a range gets that range of PATH instead

Each connection appends one line to DIR/log: its number, the fault line and
the bytes relayed.
"""
import os
import socket
import sys
import threading
import time

address, port, upstream_address, upstream_port, folder = (
    sys.argv[1], int(sys.argv[2]), sys.argv[3], int(sys.argv[4]), sys.argv[5])
lock = threading.Lock()
state = {"count": 0}
STALL_LIMIT_SECONDS = 300


def read_head(conn):
    head = b""
    while b"\r\n\r\n" not in head:
        part = conn.recv(4096)
        if not part:
            return None
        head += part
    return head


def fault_line():
    try:
        with open(os.path.join(folder, "fault")) as f:
            return f.read().strip() or "pass"
    except OSError:
        return "pass"


def rewrite(head, swap_path):
    """Adds "Connection: close" and, for a range request, swaps the path."""
    lines = head.split(b"\r\n\r\n", 1)[0].split(b"\r\n")
    if swap_path and any(line.lower().startswith(b"range:") for line in lines[1:]):
        verb, _, rest = lines[0].partition(b" ")
        _, _, version = rest.partition(b" ")
        lines[0] = b" ".join([verb, swap_path.encode(), version])
    lines = [line for line in lines if not line.lower().startswith(b"connection:")]
    return b"\r\n".join(lines + [b"Connection: close", b"", b""])


def relay(conn, words):
    kind = words[0]
    if kind == "garbage":
        conn.sendall(bytes.fromhex("".join(words[1:])))
        return 0
    head = read_head(conn)
    if head is None:
        return 0
    upstream = socket.create_connection((upstream_address, upstream_port))
    try:
        upstream.sendall(rewrite(head, words[1] if kind == "swap" else None))
        response = b""
        while True:
            part = upstream.recv(65536)
            if not part:
                break
            response += part
    finally:
        upstream.close()

    if kind in ("cut", "reset", "stall", "drip"):
        offset = min(int(words[1]), len(response))
        conn.sendall(response[:offset])
        if kind == "reset":
            conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\x01\x00\x00\x00\x00\x00\x00\x00")
        elif kind == "stall":
            conn.settimeout(STALL_LIMIT_SECONDS)
            try:
                while conn.recv(4096):
                    pass
            except OSError:
                pass
        elif kind == "drip":
            count, pause = int(words[2]), int(words[3]) / 1000.0
            for i in range(offset, min(offset + count, len(response))):
                time.sleep(pause)
                conn.sendall(response[i:i + 1])
            conn.sendall(response[offset + count:])
            return len(response)
        return offset
    conn.sendall(response)
    return len(response)


def serve(conn):
    with lock:
        state["count"] += 1
        number = state["count"]
    line = fault_line()
    relayed = 0
    try:
        relayed = relay(conn, line.split())
    except OSError:
        pass
    finally:
        conn.close()
        with lock, open(os.path.join(folder, "log"), "a") as log:
            log.write("%d %s relayed=%d\n" % (number, line, relayed))


listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
listener.bind((address, port))
listener.listen(16)
while True:
    connection, _ = listener.accept()
    threading.Thread(target=serve, args=(connection,), daemon=True).start()
