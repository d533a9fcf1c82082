#!/usr/bin/env python3
"""laser-fleet against a broker that ignores the largest packet it is told the fleet takes: a
small broker of its own on loopback answers the fleet's connect and subscribes, then sends one
publish of SIZE MB (QoS 0, laser/huge/status) and a small one behind it. Prints the fleet's peak
memory (VmHWM) before the publish and 5 s after it, its memory then (VmRSS), whether the
connection held, and the time from SIGTERM to its end. With --tls FOLDER the broker speaks TLS
with FOLDER/broker.pem and broker.key (made for IP:127.0.0.1 by the authority FOLDER/ca.pem).

    bench/fleet/huge_publish.py [--mb 100] [--protocol 5|3.1.1] [--tls FOLDER]
                                                         (LASER_BUILD_DIR: build/ci)
"""
import argparse
import os
import signal
import socket
import ssl
import subprocess
import tempfile
import threading
import time

parser = argparse.ArgumentParser()
parser.add_argument("--mb", type=int, default=100)
parser.add_argument("--protocol", default="5", choices=["5", "3.1.1"])
parser.add_argument("--tls")
args = parser.parse_args()
build = os.path.abspath(os.environ.get("LASER_BUILD_DIR", "build/ci"))


def packet(kind, body):
    length, size = b"", len(body)
    while True:
        digit, size = size % 128, size // 128
        length += bytes([digit | (0x80 if size else 0)])
        if not size:
            return bytes([kind]) + length + body


def text(s):
    return len(s).to_bytes(2, "big") + s


def read_packet(conn):
    head = conn.recv(1)
    if not head:
        return None, b""
    length, shift = 0, 0
    while True:
        byte = conn.recv(1)[0]
        length += (byte & 0x7F) << shift
        shift += 7
        if not byte & 0x80:
            break
    body = b""
    while len(body) < length:
        body += conn.recv(length - len(body))
    return head[0], body


def memory(pid):
    with open("/proc/%d/status" % pid) as f:
        fields = dict(line.split(":", 1) for line in f)
    return tuple(int(fields[k].split()[0]) / 1024 for k in ("VmHWM", "VmRSS"))


server = socket.socket()
server.bind(("127.0.0.1", 0))
server.listen(5)
work = tempfile.mkdtemp(prefix="huge-publish-")
os.makedirs(work + "/config")
with open(work + "/config/plant.ini", "w") as f:
    f.write("[mqtt]\nurl = %s://127.0.0.1:%d\nprotocol = %s\n"
            % ("mqtts" if args.tls else "mqtt", server.getsockname()[1], args.protocol))
    if args.tls:
        f.write("ca_file = %s/ca.pem\n" % os.path.abspath(args.tls))
        tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        tls.load_cert_chain(args.tls + "/broker.pem", args.tls + "/broker.key")
fleet = subprocess.Popen([build + "/laser-fleet"], cwd=work,
                         env=dict(os.environ, QT_QPA_PLATFORM="offscreen"),
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
connections, subscribed = [], threading.Event()


def serve(conn):
    v5 = False
    while True:
        kind, body = read_packet(conn)
        if kind is None:
            return
        if kind >> 4 == 1:  # CONNECT: the protocol level follows "\0\4MQTT"
            v5 = body[6] == 5
            conn.sendall(packet(0x20, b"\0\0\0" if v5 else b"\0\0"))
        elif kind >> 4 == 8:  # SUBSCRIBE: granted at QoS 0
            conn.sendall(packet(0x90, body[:2] + (b"\0" if v5 else b"") + b"\0"))
            subscribed.set()
        elif kind >> 4 == 12:
            conn.sendall(packet(0xD0, b""))


def accept():
    while True:
        conn, _ = server.accept()
        if args.tls:
            try:
                conn = tls.wrap_socket(conn, server_side=True)
            except (OSError, ssl.SSLError):
                continue
        connections.append(conn)
        threading.Thread(target=serve, args=(conn,), daemon=True).start()


threading.Thread(target=accept, daemon=True).start()
if not subscribed.wait(20):
    raise SystemExit("the fleet did not subscribe")
time.sleep(1)
before = memory(fleet.pid)
conn = connections[-1]
body = text(b"laser/huge/status") + (b"\0" if args.protocol == "5" else b"")
size = args.mb * 1000 * 1000
remaining, length = len(body) + size, b""
while True:
    digit, remaining = remaining % 128, remaining // 128
    length += bytes([digit | (0x80 if remaining else 0)])
    if not remaining:
        break
try:
    conn.sendall(b"\x30" + length + body)
    chunk = b"p" * (1 << 20)
    for sent in range(0, size, len(chunk)):
        conn.sendall(chunk[: min(len(chunk), size - sent)])
    conn.sendall(packet(0x30, text(b"laser/marker/online")
                        + (b"\0" if args.protocol == "5" else b"") + b"true"))
    held = "held"
except OSError as e:
    held = "ended by the fleet (%s)" % e.strerror
time.sleep(5)
peak, now = memory(fleet.pid)
print("protocol %s, one publish of %d MB: peak RSS %.1f MB before, %.1f MB after, RSS %.1f MB "
      "5 s after; the connection %s, %d connection(s) in all"
      % (args.protocol + (" over TLS" if args.tls else ""), args.mb, before[0], peak, now, held, len(connections)))
start = time.monotonic()
fleet.send_signal(signal.SIGTERM)
status = fleet.wait(20)
print("SIGTERM to the end: %.0f ms (status %d)" % ((time.monotonic() - start) * 1000, status))
