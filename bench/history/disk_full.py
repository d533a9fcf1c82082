#!/usr/bin/env python3
"""The program at full line rate, alarms switching, with log/ on a 1.5 MiB tmpfs of its own:
the disk is filled, freed, filled and freed again, then the program gets SIGTERM. Prints what
the history said on standard error, with the time since the start, beside those steps.

    bench/history/disk_full.py          (as root: a mount namespace; LASER_BUILD_DIR: build/ci)
"""
import os
import shutil
import signal
import subprocess
import tempfile
import threading
import time

build = os.path.abspath(os.environ.get("LASER_BUILD_DIR", "build/ci"))
work = tempfile.mkdtemp(prefix="disk-full-")
os.makedirs(work + "/log")
script = work + "/alarms.scenario"
with open(script, "w") as f:
    f.write("alarm chiller on\nsleep 150\nalarm door on\nsleep 100\n"
            "alarm chiller off\nsleep 150\nalarm door off\nsleep 100\nloop\n")
sim = subprocess.Popen([build + "/tools/ccb-sim", "--quiet", "--no-stdin", "--period", "12",
                        "--script", script], stdout=subprocess.PIPE, text=True)
pty = sim.stdout.readline().strip()
program = subprocess.Popen(
    ["unshare", "-m", "--propagation", "private", "sh", "-c",
     "mount -t tmpfs -o size=1536k laser-disk-full log && exec %s/tests/history/program-on-pty %s"
     % (build, pty)],
    cwd=work, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
    env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
start = time.time()
seen = []


def collect():
    for line in program.stderr:
        if line.startswith("history"):
            seen.append((time.time() - start, line.strip()))


def inside(command, what):
    # Entering the namespace puts the shell at its root: the paths are absolute.
    subprocess.run(["nsenter", "-t", str(program.pid), "-m", "--", "sh", "-c", command],
                   stderr=subprocess.DEVNULL)
    seen.append((time.time() - start, what))


threading.Thread(target=collect, daemon=True).start()
if program.stdout.readline().strip() != "open":
    raise SystemExit("the port did not open")
filler = work + "/log/filler"
time.sleep(3)
# At full line rate 1.5 MiB last some twenty seconds; the filler stops their growth meanwhile.
for episode in range(2):
    inside("dd if=/dev/zero of=%s bs=4k 2>/dev/null; true" % filler, "-- disk filled")
    time.sleep(8)
    inside("rm -f " + filler, "-- disk freed")
    time.sleep(5)
seen.append((time.time() - start, "-- SIGTERM"))
program.send_signal(signal.SIGTERM)
status = program.wait(timeout=30)
time.sleep(0.2)
seen.append((time.time() - start, "-- ended, status %d" % status))
sim.kill()
for at, text in sorted(seen):
    print("%6.2f s  %s" % (at, text))
shutil.rmtree(work, ignore_errors=True)
