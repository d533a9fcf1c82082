#!/usr/bin/env python3
"""Store and forward across a broker outage, on the real program (tests/history's program-on-pty:
the window as main() runs it, offscreen, its port on the simulator's pseudo-terminal) and a real
mosquitto on loopback:

  1. the broker up, a subscriber with a session of its own (QoS 1), 40 live alarms (chiller);
  2. the broker stopped; the simulator raises and clears the door alarm ALARMS times (1,000),
     the program ended by SIGTERM and started again after half of them;
  3. the broker back: the catch-up sends what the broker has not confirmed, while the chiller
     alarm is raised and cleared every 0.25 s as live events.

Then it checks against the history (log/history.sqlite): every event arrived once (by its id), the
late ones in the order written and marked late, every door rise among them; and says the live
events' delay (arrival minus their time) before the outage and during the catch-up, the catch-up's
rate and the program's CPU meanwhile.

    bench/plant/store_forward.py [--alarms 1000] [--toggle 0.1]    (LASER_BUILD_DIR: build/ci)

The broker is away for ALARMS * 2 * TOGGLE seconds and some 17 more (1,000 alarms at 0.1 s: about
3.5 minutes, not the 10 of a real outage: what counts is the number of events, not their pace).
The broker's log (-v) and the program's standard error stay in the work folder it names.
"""
import argparse
import json
import os
import random
import signal
import sqlite3
import subprocess
import tempfile
import time

parser = argparse.ArgumentParser()
parser.add_argument("--alarms", type=int, default=1000)
parser.add_argument("--toggle", type=float, default=0.1, help="seconds between rise and clear")
args = parser.parse_args()
build = os.path.abspath(os.environ.get("LASER_BUILD_DIR", "build/ci"))
work = tempfile.mkdtemp(prefix="store-forward-")
port = random.randint(20000, 60000)
os.makedirs(f"{work}/config")
os.makedirs(f"{work}/broker")
with open(f"{work}/broker/mosquitto.conf", "w") as f:
    f.write(f"listener {port} 127.0.0.1\nallow_anonymous true\npersistence true\n"
            f"persistence_location {work}/broker/\nmax_queued_messages 100000\n"
            + ("user root\n" if os.geteuid() == 0 else ""))
with open(f"{work}/config/plant.ini", "w") as f:
    f.write(f"[mqtt]\nurl = mqtt://127.0.0.1:{port}\nlaser_id = bench\n")


def broker():
    p = subprocess.Popen(["mosquitto", "-v", "-c", f"{work}/broker/mosquitto.conf"],
                         stderr=open(f"{work}/broker.log", "a"), stdout=subprocess.DEVNULL)
    time.sleep(0.5)
    return p


def stop(p, sig=signal.SIGTERM):
    p.send_signal(sig)
    p.wait(timeout=20)


received = open(f"{work}/received.txt", "w")


def subscriber():
    return subprocess.Popen(["mosquitto_sub", "-p", str(port), "-i", "bench-sub", "-c", "-q", "1",
                             "-t", "laser/bench/events", "-F", "%U %p"], stdout=received)


def program(pty):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    p = subprocess.Popen([f"{build}/tests/history/program-on-pty", pty], cwd=work, env=env,
                         stdout=subprocess.PIPE, stderr=open(f"{work}/program.err", "a"))
    assert p.stdout.readline().strip() in (b"looping", b"open")
    return p


def cpu(p):
    fields = open(f"/proc/{p.pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def toggle(sim, name, n, pause):
    for _ in range(n):
        for state in ("on", "off"):
            sim.stdin.write(f"alarm {name} {state}\n".encode())
            sim.stdin.flush()
            time.sleep(pause)


def arrivals():
    out = []
    for line in open(f"{work}/received.txt"):
        stamp, _, payload = line.partition(" ")
        out.append((float(stamp), json.loads(payload)))
    return out


sim = subprocess.Popen([f"{build}/tools/ccb-sim"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                       stderr=subprocess.DEVNULL)
pty = sim.stdout.readline().decode().strip()
for command in ("drift off", "period 20"):
    sim.stdin.write(f"{command}\n".encode())
sim.stdin.flush()
mosquitto = broker()
sub = subscriber()
host = program(pty)
time.sleep(3)
cpu_start, wall_start = cpu(host), time.time()
toggle(sim, "chiller", 40, 0.25)
time.sleep(5)
baseline = (cpu(host) - cpu_start, time.time() - wall_start)
stop(mosquitto)
outage = time.time()
toggle(sim, "door", args.alarms // 2, args.toggle)
time.sleep(2)
stop(host)
host = program(pty)
time.sleep(2)
toggle(sim, "door", args.alarms - args.alarms // 2, args.toggle)
# Past the buffer's 10 s for a reconnect: every event of the outage comes from the history.
time.sleep(12)
print(f"broker away {time.time() - outage:.0f} s; {args.alarms} door alarms raised and cleared "
      f"meanwhile, the program restarted once")
if sub.poll() is not None:
    sub = subscriber()
mosquitto = broker()
if sub.poll() is not None:
    sub = subscriber()
cpu_start, wall_start = cpu(host), time.time()
toggle(sim, "chiller", 40, 0.25)
time.sleep(5)
cpu_used, wall_used = cpu(host) - cpu_start, time.time() - wall_start
stop(host)
time.sleep(1)
stop(sub)
stop(mosquitto)
sim.kill()

db = sqlite3.connect(f"{work}/log/history.sqlite")
history = {r[0]: r[1:] for r in db.execute("SELECT rowid, at, category, name, value FROM events")}
got = arrivals()
ids = [m["id"] for _, m in got if "id" in m]
late = [(t, m) for t, m in got if m.get("late")]
late_ids = [m["id"] for _, m in late]
door_rises = sum(1 for _, m in late if m["name"] == "doorInterlock" and m["value"] == "on")
waiting = {r[0] for r in db.execute("SELECT id FROM plant_outbox")}
missing = sorted(set(history) - set(ids) - waiting)
print(f"history: {len(history)} events; arrived: {len(got)} messages, {len(set(ids))} ids, "
      f"{len(ids) - len(set(ids))} twice, {len(missing)} missing {missing[:10]}; "
      f"{len(waiting)} left in the outbox for the next start "
      f"{[history[i][2] for i in sorted(waiting)][:5]}")
rises = sum(1 for r in history.values() if r[2] == "doorInterlock" and r[3] == "on")
print(f"late: {len(late)}, in the order written: {late_ids == sorted(late_ids)}; door rises among "
      f"them: {door_rises} of the history's {rises} ({args.alarms} raised by the simulator)")
if late:
    span = late[-1][0] - late[0][0]
    print(f"catch-up: {len(late)} events in {span:.2f} s ({len(late) / max(span, 1e-3):.0f} a "
          f"second); the program's CPU {cpu_used:.2f} s over {wall_used:.1f} s (the catch-up, 40 "
          f"live alarms, the simulator's 50 frames a second); without a catch-up "
          f"{baseline[0]:.2f} s over {baseline[1]:.1f} s")


def delays(items):
    d = sorted(t - m["at"] / 1000 for t, m in items)
    return f"median {d[len(d) // 2] * 1000:.0f} ms, worst {d[-1] * 1000:.0f} ms ({len(d)})" if d \
        else "none"


live = [(t, m) for t, m in got if not m.get("late") and m["name"] == "chillerFault"]
print(f"live chiller events before the outage: {delays([x for x in live if x[0] < outage])}")
# Raised while the catch-up went on (between its first message and its last).
catching = [x for x in live if late and late[0][0] <= x[1]["at"] / 1000 <= late[-1][0]]
print(f"live chiller events raised during the catch-up: {delays(catching)}; after it: "
      f"{delays([x for x in live if late and x[1]['at'] / 1000 > late[-1][0]])}")
print(f"(work folder {work})")
