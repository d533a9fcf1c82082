#!/usr/bin/env python3
"""The time from SIGTERM to the end of laser-fleet, against a real mosquitto on loopback: idle
(connected, nothing published), or flooded (one host sends 10 statuses a second, each stuffed
to about 60 KiB with 4,000 raised alarm keys the fleet does not know, for 12 s, and the signal
comes while it still sends). Runs on $DISPLAY when it is set, offscreen otherwise.

    bench/fleet/stop_time.py [--flood] [--runs 5]            (LASER_BUILD_DIR: build/ci)
"""
import argparse
import json
import os
import signal
import socket
import subprocess
import tempfile
import threading
import time

parser = argparse.ArgumentParser()
parser.add_argument("--flood", action="store_true")
parser.add_argument("--runs", type=int, default=5)
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


def stuffed_status():
    alarms = {k: False for k in ("external_estop", "door_interlock", "system_fault",
                                 "chiller_fault", "water_temperature", "driver_over_current",
                                 "driver_over_temperature")}
    alarms.update({"stuffed_alarm_%04d" % i: True for i in range(4000)})
    return json.dumps({
        "laser_id": "hostile", "at": int(time.time() * 1000), "alarms": alarms,
        "states": {"dc_on": True, "laser_ready": False, "red_light_on": False},
        "shown_module": 0, "modules": [],
        "temperatures": {"water_in": 24.0, "water_out": 27.0, "dew_point": 12.3},
        "link": {"port": "ttyUSB0", "open": True, "last_frame_at": None}},
        separators=(",", ":")).encode()


def flood(port, until):
    conn = socket.create_connection(("127.0.0.1", port))
    conn.sendall(packet(0x10, text(b"MQTT") + b"\x04\x02\x00\x3c" + text(b"stop-time-flood")))
    conn.recv(4)
    while time.monotonic() < until:
        conn.sendall(packet(0x31, text(b"laser/hostile/status") + stuffed_status()))
        time.sleep(0.1)
    conn.close()


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


env = dict(os.environ)
if not env.get("DISPLAY"):
    env["QT_QPA_PLATFORM"] = "offscreen"
for run in range(args.runs):
    work = tempfile.mkdtemp(prefix="stop-time-")
    os.makedirs(work + "/config")
    port = free_port()
    with open(work + "/mosquitto.conf", "w") as f:
        f.write("listener %d 127.0.0.1\nallow_anonymous true\n" % port)
    broker = subprocess.Popen(["mosquitto", "-c", work + "/mosquitto.conf"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    time.sleep(0.5)
    with open(work + "/config/plant.ini", "w") as f:
        f.write("[mqtt]\nurl = mqtt://127.0.0.1:%d\n" % port)
    fleet = subprocess.Popen([build + "/laser-fleet"], cwd=work, env=env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    while "laser-fleet-" not in broker.stderr.readline():
        pass
    if args.flood:
        sender = threading.Thread(target=flood, args=(port, time.monotonic() + 14))
        sender.start()
        time.sleep(12)
    else:
        time.sleep(3)
    start = time.monotonic()
    fleet.send_signal(signal.SIGTERM)
    status = fleet.wait(20)
    print("run %d, %s: SIGTERM to the end %.0f ms (status %d)"
          % (run + 1, "flooded" if args.flood else "idle", (time.monotonic() - start) * 1000,
             status), flush=True)
    if args.flood:
        sender.join()
    broker.terminate()
    broker.wait()
