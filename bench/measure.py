#!/usr/bin/env python3
"""Measures what bench/run has built and prints one table.

Called by bench/run with the build folders; not meant to be run alone. Every figure printed is
measured in this run: wall times under Wine, file sizes, and the native harness under callgrind.
"""
import argparse
import datetime
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

MAPPING = "F:=ACCOUNTS/SYS:PUBLIC"
WALL_TARGET = 1.10
SIZE_TARGET = 64 * 1024
INSTRUCTION_TARGET = 50_000


def run_wine(exe, args, env, cwd):
    """One `wine exe args` from the Unix side: wall seconds and the low 8 bits of the exit code."""
    start = time.perf_counter()
    done = subprocess.run(["wine", exe, *args], env=env, cwd=cwd,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start, done.returncode


def nwsim(build, env, *args):
    done = subprocess.run(["wine", os.path.join(build, "nwsim.exe"), *args], env=env, cwd=build,
                          capture_output=True, text=True)
    return done.returncode, done.stdout + done.stderr


def wall_times(build, floor, rounds, env):
    """Interleaved rounds of floor, map, unmap after one warm-up of each; exits checked."""
    programs = [
        ("floor", floor, []),
        ("map", os.path.join(build, "tolvane.exe"), [MAPPING]),
        ("unmap", os.path.join(build, "tolvane.exe"), ["-d", MAPPING]),
    ]
    code, text = nwsim(build, env, "demo")
    if code != 0:
        sys.exit(f"bench: nwsim demo failed ({code}): {text.strip()}")

    problems = []
    for name, exe, args in programs:
        seconds, code = run_wine(exe, args, env, build)
        print(f"  warm-up {name}: {seconds:.2f} s, exit {code}", file=sys.stderr)
        if code != 0:
            problems.append(f"warm-up {name} exited {code}")
        # The stand-in client must agree that the warm-up did what its exit code says.
        if name in ("map", "unmap"):
            mapped, text = nwsim(build, env, "mapped", "F")
            if (mapped == 0) != (name == "map"):
                problems.append(f"after warm-up {name}, nwsim mapped F says: {text.strip()}")
    if problems:
        sys.exit("bench: " + "; ".join(problems))

    times = {name: [] for name, _, _ in programs}
    for round_number in range(rounds):
        for name, exe, args in programs:
            seconds, code = run_wine(exe, args, env, build)
            if code != 0:
                sys.exit(f"bench: round {round_number + 1}: {name} exited {code}")
            times[name].append(seconds)
        print(f"  round {round_number + 1}/{rounds}: " +
              ", ".join(f"{n} {times[n][-1]:.2f} s" for n in times), file=sys.stderr)
    return times


def stripped_size(path, strip):
    with tempfile.TemporaryDirectory() as folder:
        copy = os.path.join(folder, os.path.basename(path))
        shutil.copy(path, copy)
        subprocess.run([strip, copy], check=True)
        return os.path.getsize(copy)


def callgrind(harness, command_line, out_dir):
    out = os.path.join(out_dir, "callgrind." + ("unmap" if command_line.startswith("-d") else "map"))
    done = subprocess.run(["valgrind", "--tool=callgrind", "--toggle-collect=RunProgram*",
                           f"--callgrind-out-file={out}", harness, command_line],
                          capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"bench: harness failed under callgrind:\n{done.stdout}{done.stderr}")
    with open(out) as f:
        totals = [int(line.split()[1]) for line in f if line.startswith("totals:")]
    if not totals:
        sys.exit(f"bench: no totals in {out}")
    figures = {}
    for key in ("allocations", "allocated bytes", "frees"):
        figures[key] = int(re.search(rf"^{key}: (\d+)$", done.stdout, re.M).group(1))
    beyond = re.search(r"^beyond slots and copies: (\d+) allocations, (\d+) bytes$",
                       done.stdout, re.M)
    figures["beyond"] = (int(beyond.group(1)), int(beyond.group(2)))
    figures["sizes"] = re.search(r"^sizes:(.*)$", done.stdout, re.M).group(1).split()
    figures["calls"] = int(re.search(r"^calls: (\d+)$", done.stdout, re.M).group(1))
    figures["instructions"] = totals[0]
    return figures


def machine():
    model = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    return f"{os.cpu_count()} cores ({platform.machine()}), {model}, {wine}"


def verdict(ok):
    return "met" if ok else "MISSED"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--floor", required=True)
    parser.add_argument("--harness", required=True)
    parser.add_argument("--strip", required=True)
    parser.add_argument("--rounds", type=int, default=20)
    options = parser.parse_args()
    if options.rounds < 1:
        sys.exit("bench: at least one round is needed")

    env = dict(os.environ, WINEDEBUG="-all")
    started = datetime.datetime.now(datetime.timezone.utc)

    sizes = {}
    for name in ("tolvane.exe", "CALWIN32.DLL", "NETWIN32.DLL"):
        path = os.path.join(options.build, name)
        sizes[name] = (os.path.getsize(path), stripped_size(path, options.strip))

    out_dir = os.path.dirname(options.harness)
    core = {"map": callgrind(options.harness, MAPPING, out_dir),
            "unmap": callgrind(options.harness, "-d " + MAPPING, out_dir)}

    times = wall_times(options.build, options.floor, options.rounds, env)
    floor = statistics.median(times["floor"])

    rows = []
    rows.append(("Wall, empty GUI program (floor)", f"{floor:.3f} s median", "1.00", "", ""))
    for name, label in (("map", f"Wall, tolvane.exe {MAPPING}"),
                        ("unmap", f"Wall, tolvane.exe -d {MAPPING}")):
        median = statistics.median(times[name])
        ratio = median / floor
        rows.append((label, f"{median:.3f} s median", f"{ratio:.3f}", f"<= {WALL_TARGET:.2f}",
                     verdict(ratio <= WALL_TARGET)))
    for name, (built, stripped) in sizes.items():
        target = f"<= {SIZE_TARGET // 1024} KiB" if name == "tolvane.exe" else ""
        met = verdict(stripped <= SIZE_TARGET) if name == "tolvane.exe" else ""
        rows.append((f"Size, {name} stripped", f"{stripped} B ({stripped / 1024:.1f} KiB)",
                     "", target, met))
    for name, label in (("map", "map"), ("unmap", "-d")):
        figures = core[name]
        rows.append((f"Core RunProgram ({label}), instructions", f"{figures['instructions']:,}",
                     "", f"< {INSTRUCTION_TARGET:,}",
                     verdict(figures["instructions"] < INSTRUCTION_TARGET)))
        beyond_count, beyond_bytes = figures["beyond"]
        rows.append((f"Core RunProgram ({label}), heap allocations",
                     f"{figures['allocations']} allocs, {figures['allocated bytes']} B "
                     f"({' '.join(figures['sizes'])}); {figures['frees']} frees",
                     "", "slots + copies only",
                     verdict(beyond_count == 0) +
                     ("" if beyond_count == 0 else f" ({beyond_count} more, {beyond_bytes} B)")))

    spread = {n: f"{min(t):.3f}-{max(t):.3f} s" for n, t in times.items()}
    print(f"Tolvane benchmark, {started:%Y-%m-%d %H:%M} UTC; {machine()}")
    print(f"Wall: {options.rounds} interleaved rounds (floor, map, unmap) after one warm-up each, "
          f"one prefix, wineserver up; range floor {spread['floor']}, map {spread['map']}, "
          f"unmap {spread['unmap']}. Core: callgrind, RunProgram only, native g++ -O2.")
    print()
    header = ("Measure", "Figure", "Ratio to floor", "Target", "Result")
    widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(len(header))]
    line = lambda r: "| " + " | ".join(str(c).ljust(w) for c, w in zip(r, widths)) + " |"
    print(line(header))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for row in rows:
        print(line(row))


if __name__ == "__main__":
    main()
