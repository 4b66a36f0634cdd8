#!/usr/bin/env python3
"""Measures how long each build of Kestrova takes from its start under Wine
to its main window shown on the X display, started the way the tests start
it (tools/wine_run.sh), on a private Xvfb with the prefix already made.

usage: tools/bench/startup.py [--runs N] [--routes auto,native,qemu] [--e2e]

Each build is measured by every route asked for that can run it (the
64-bit build always goes through wine64), in two states of Wine:
  server up    a Wine server already runs on the prefix (as in the
               end-to-end tests, where the probe keeps it up);
  server down  no Wine server: the start includes Wine's own start-up.
One start first that is not counted, then N (default 5); prints every time
and the median. "Shown" is when X reports a mapped window of the program's
class larger than 50x20 pixels, polled every 10 ms.

--e2e also runs the end-to-end suite once on each build and route and
prints its wall time (tests/e2e/run_e2e.py's closing lines).

Set KESTROVA_WINEPREFIX for a private prefix; DISPLAY is ignored (a private
display is always used, so that nothing else draws on it).
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import harness  # noqa: E402

BUILDS = ["win64", "win32"]


def shown_windows():
    """Ids of the mapped X windows of kestrova.exe larger than 50x20."""
    run = subprocess.run(["xdotool", "search", "--onlyvisible", "--classname", r"^kestrova\.exe$"],
                         capture_output=True, text=True, timeout=30)
    found = []
    for wid in run.stdout.split():
        geo = subprocess.run(["xdotool", "getwindowgeometry", "--shell", wid], capture_output=True, text=True,
                             timeout=30)
        values = dict(line.split("=", 1) for line in geo.stdout.split() if "=" in line)
        if int(values.get("WIDTH", 0)) > 50 and int(values.get("HEIGHT", 0)) > 20:
            found.append(wid)
    return found


def one_start(exe, env, timeout=120.0):
    """Seconds from the start to the window shown; the program is then
    ended."""
    if shown_windows():
        raise SystemExit("a kestrova.exe window is already on the display")
    started = time.monotonic()
    proc = subprocess.Popen(harness.wine_command(exe), cwd=str(exe.parent), env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while not shown_windows():
            if proc.poll() is not None:
                raise SystemExit(f"{exe} ended before showing its window (exit code {proc.returncode})")
            if time.monotonic() - started > timeout:
                raise SystemExit(f"{exe} showed no window within {timeout:g} s")
            time.sleep(0.01)
        return time.monotonic() - started
    finally:
        proc.kill()
        proc.wait()
        harness.wait_until("the window to go", shown_windows, lambda ws: not ws)


def end_wine():
    """Ends the prefix's Wine server and what it serves, and waits for them."""
    harness.shell('"$WINESERVER" -k; "$WINESERVER" -w', 60)


def route_env(base, route):
    env = dict(base)
    env["KESTROVA_ROUTE32"] = route
    env.pop("KESTROVA_ROUTE32_FOUND", None)
    return env


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--routes", default="auto", help="comma-separated: auto, native, qemu")
    parser.add_argument("--e2e", action="store_true")
    options = parser.parse_args()
    routes = options.routes.split(",")
    os.environ.pop("DISPLAY", None)

    # What runs by which route: (build, route asked, route found).
    plan = []
    for build in BUILDS:
        image = ROOT / "build" / build / "kestrova.exe"
        for route in routes if build == "win32" else ["auto"]:
            run = subprocess.run([str(ROOT / "tools" / "wine_run.sh"), "--route", str(image)], capture_output=True, text=True,
                                 env=route_env(os.environ, route))
            runnable, how = run.returncode == 0, run.stdout.strip()
            if not runnable:
                print(f"{build} ({route}): cannot run here: {how}")
                continue
            if any(p[0] == build and p[2] == how for p in plan):
                continue  # the same route asked twice (auto and its pick)
            plan.append((build, route, how))

    folder = Path(tempfile.mkdtemp(prefix="kestrova-bench-"))
    session = harness.Session(ROOT / "build" / "win64" / "kestrova.exe")
    results = []
    try:
        session.open()
        for build, route, how in plan:
            exe = folder / build / "kestrova.exe"
            exe.parent.mkdir(parents=True, exist_ok=True)
            shutil.copyfile(ROOT / "build" / build / "kestrova.exe", exe)
            env = route_env(os.environ, route)
            for state in ("server up", "server down"):
                if state == "server down":
                    session.probe.close()
                    end_wine()
                times = []
                for i in range(options.runs + 1):
                    if state == "server down":
                        end_wine()
                    seconds = one_start(exe, env)
                    if i > 0:
                        times.append(seconds)
                line = (f"{build} via {how}, {state}: median {statistics.median(times):.2f} s over {len(times)} "
                        f"starts ({', '.join(f'{t:.2f}' for t in times)})")
                print(line, flush=True)
                results.append(line)
                if state == "server down":
                    session.probe = harness.Probe()  # the server up again for the next build
    finally:
        session.close()
        shutil.rmtree(folder, ignore_errors=True)

    if options.e2e:
        for build, route, how in plan:
            image = f"build/{build}/kestrova.exe"
            started = time.monotonic()
            run = subprocess.run([sys.executable, "tests/e2e/run_e2e.py", image], cwd=str(ROOT), capture_output=True,
                                 text=True, env=route_env(os.environ, route))
            wall = time.monotonic() - started
            tail = [line for line in run.stdout.splitlines() if line.startswith("e2e on ") or " passed, " in line]
            line = f"e2e {build} via {how}: {wall:.1f} s wall; " + "; ".join(tail[-2:])
            print(line, flush=True)
            results.append(line)

    print("\nsummary:")
    for line in results:
        print("  " + line)


if __name__ == "__main__":
    main()
