#!/usr/bin/env python3
"""Complete update runs against a web server that misbehaves at random.

soak.py TOOLS WORK RUNS SEED

TOOLS holds the built tarnwick-pack, tarnwick-rendezvous and tarnwick-update;
WORK is a scratch folder. The package is served by nginx behind the fault
proxy (tests/support/peers/fault-proxy.py), which for each run either relays
it faithfully or cuts, resets, stalls, drips or garbles the response, or
answers a resumed download with another body. After every run it checks
that the run ended in time (its deadline plus 5 s), that no sanitizer spoke,
that a run which says it installed left exactly the packed tree, and that
every run on which the server behaves installs, whatever earlier runs left
in the download record.
"""
import collections
import os
import random
import shutil
import subprocess
import sys
import time

tools, work, runs, seed = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
here = os.path.dirname(os.path.abspath(__file__))
peers = os.path.join(here, "..", "tests", "support", "peers", "peers.sh")
NET = "127.0.8"
IDLE_MS = 2000
SLACK_S = 5.0
HANG_S = 60.0
random.seed(seed)


def make_source(folder):
    """A client tree of text and noise, folders included."""
    os.makedirs(os.path.join(folder, "bin"))
    os.makedirs(os.path.join(folder, "data", "levels"))
    with open(os.path.join(folder, "bin", "client.sh"), "w") as f:
        f.write("#!/bin/sh\necho started\n")
    for i in range(12):
        sub = ["data", os.path.join("data", "levels"), "bin"][i % 3]
        size = random.choice([0, 1, 700, 5000, 40000, 90000])
        if i % 2:
            content = bytes(random.getrandbits(8) for _ in range(size))
        else:
            content = (("line %d of file %d\n" % (i, i)) * (size // 16 + 1)).encode()[:size]
        with open(os.path.join(folder, sub, "file-%02d.bin" % i), "wb") as f:
            f.write(content)


def installed_matches(source, installed):
    """The installed tree holds exactly the source's files, the client renamed."""
    expected = {}
    for root, _, files in os.walk(source):
        for name in files:
            path = os.path.join(root, name)
            relative = os.path.relpath(path, source)
            if relative == os.path.join("bin", "client.sh"):
                relative = os.path.join("bin", "Tarnwick.exe")
            with open(path, "rb") as f:
                expected[relative] = f.read()
    found = {}
    for root, _, files in os.walk(installed):
        for name in files:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                found[os.path.relpath(path, installed)] = f.read()
    return found == expected


def choose_fault(response_length, record_exists):
    """One fault line for the proxy and the extra time it may take by design."""
    # The server behaves on about a third of the runs, so that what each fault
    # left behind is resumed from as well.
    kinds = ["cut", "reset", "stall", "drip", "garbage"] + (["swap"] * 3 if record_exists else [])
    kind = "pass" if random.random() < 0.35 else random.choice(kinds)
    # Heads are where parsers live: a third of the offsets fall in them.
    offset = random.randrange(0, 400) if random.random() < 0.33 else random.randrange(0, response_length)
    if kind in ("cut", "reset", "stall"):
        return "%s %d" % (kind, offset), 0.0
    if kind == "drip":
        count, pause = random.randrange(1, 30), random.randrange(50, IDLE_MS * 3 // 4)
        return "drip %d %d %d" % (offset, count, pause), count * pause / 1000.0
    if kind == "garbage":
        noise = bytes(random.getrandbits(8) for _ in range(random.randrange(0, 300)))
        if random.random() < 0.5:
            noise = b"HTTP/1.1 " + noise
        return "garbage " + (noise.hex() or "00"), 0.0
    if kind == "swap":
        return "swap /other.bin", 0.0
    return "pass", 0.0


def main():
    shutil.rmtree(work, ignore_errors=True)
    source, www = os.path.join(work, "source"), os.path.join(work, "nginx", "www")
    os.makedirs(www)
    make_source(source)
    package = os.path.join(www, "pkg.bin")
    subprocess.run([os.path.join(tools, "tarnwick-pack", "tarnwick-pack"), "build", source, package,
                    "--version", "7", "--program", "bin\\client.sh"], check=True, stdout=subprocess.DEVNULL)
    # Another body of the same length behind the same header.
    with open(package, "rb") as f:
        body = bytearray(f.read())
    for i in range(16, len(body)):
        body[i] ^= 0x5A
    with open(os.path.join(www, "other.bin"), "wb") as f:
        f.write(body)
    response_length = len(body) + 300

    proxy_dir, rendezvous_dir = os.path.join(work, "proxy"), os.path.join(work, "rendezvous")
    env = dict(os.environ, XDG_DATA_HOME=os.path.join(work, "appdata"))
    installed = os.path.join(work, "appdata", "Tarnwick", "Tarnwick")
    record = os.path.join(work, "appdata", "Tarnwick", "Tarnwick Prefs", "TarnwickArchive")
    started = []
    try:
        for command in (["nginx", NET + ".1", os.path.join(work, "nginx")],
                        ["fault-proxy", NET + ".2", proxy_dir, NET + ".1"],
                        ["rendezvous", rendezvous_dir, os.path.join(tools, "tarnwick-rendezvous", "tarnwick-rendezvous"),
                         "--address", NET + ".10", "--offer", "http://%s.2/pkg.bin" % NET, "--version", "7"]):
            subprocess.run(["bash", peers] + command, check=True, stdout=subprocess.DEVNULL)
            started.append(command[2] if command[0] != "rendezvous" else command[1])

        faults = collections.Counter()
        outcomes = collections.Counter()
        problems = []
        longest = (0.0, "")
        for run in range(1, runs + 1):
            line, extra = choose_fault(response_length, os.path.exists(record))
            with open(os.path.join(proxy_dir, "fault"), "w") as f:
                f.write(line + "\n")
            shutil.rmtree(installed, ignore_errors=True)
            begin = time.monotonic()
            try:
                done = subprocess.run([os.path.join(tools, "tarnwick-update", "tarnwick-update"),
                                       "--host", NET + ".10", "--idle-timeout", str(IDLE_MS),
                                       "--reply-timeout", str(IDLE_MS)],
                                      env=env, capture_output=True, text=True, timeout=HANG_S)
                output = done.stdout + done.stderr
            except subprocess.TimeoutExpired:
                problems.append("run %d (%s): still running after %.0f s" % (run, line, HANG_S))
                continue
            took = time.monotonic() - begin
            kind = line.split()[0]
            faults[kind] += 1
            installed_ok = "outcome: 6 " in output
            outcomes["installed" if installed_ok else "failed"] += 1
            if took > longest[0]:
                longest = (took, line if len(line) < 60 else line[:60] + "...")
            limit = IDLE_MS / 1000.0 + extra + SLACK_S
            if took > limit:
                problems.append("run %d (%s): took %.1f s, more than %.1f s" % (run, line, took, limit))
            if "Sanitizer" in output or "runtime error" in output:
                problems.append("run %d (%s): sanitizer report:\n%s" % (run, line, output))
            if installed_ok and not installed_matches(source, installed):
                problems.append("run %d (%s): installed tree differs from the source" % (run, line))
            if kind == "pass" and not installed_ok:
                problems.append("run %d: the server behaved, the run failed:\n%s" % (run, output))

        print("runs: %d (installed %d, failed %d)" % (runs, outcomes["installed"], outcomes["failed"]))
        print("faults: " + ", ".join("%s %d" % item for item in sorted(faults.items())))
        print("longest run: %.2f s (%s)" % longest)
        print("hangs: %d, mismatches: %d, other problems: %d" % (
            sum("still running" in p for p in problems), sum("differs" in p for p in problems),
            sum("still running" not in p and "differs" not in p for p in problems)))
        for problem in problems:
            print("  " + problem)
        return 1 if problems else 0
    finally:
        for folder in started:
            subprocess.run(["bash", peers, "stop", folder], stdout=subprocess.DEVNULL)


sys.exit(main())
