#!/usr/bin/env python3
"""usage: run_e2e.py IMAGE [NAME...]: runs every test_* function of tests/e2e/test_*.py (or those named, as module.name
or name; with KESTROVA_E2E_SHARD=K/N, those this run of N takes from a queue) against the image; prints PASS / FAIL / SKIP lines
and "N passed, N failed, N skipped", and fails when a test failed. A 32-bit image that cannot run here (tools/wine_env.sh) has its tests skipped, saying why, except under CI or
with KESTROVA_REQUIRE_WIN32=1: the product is the 32-bit image, so there a layer that cannot run fails."""
import fcntl
import importlib
import os
import signal
import subprocess
import sys
import time
import traceback
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
import harness  # noqa: E402


def why(error):
    return str(error) if isinstance(error, harness.Failure) else "error: " + traceback.format_exc().strip()


def route(image):
    """tools/wine_run.sh --route: (True, wine64/native/qemu) or (False, why)."""
    run = subprocess.run([str(harness.ROOT / "tools" / "wine_run.sh"), "--route", str(image)], capture_output=True,
                         text=True, timeout=120)
    answer = (run.stdout.strip().splitlines() or [run.stderr.strip()])[-1]
    return run.returncode == 0, answer.removeprefix("none: ")


def claimed(image, chosen):
    """The tests, longest first; in one of the runs side by side (a shard), those it takes from its build's queue, one
    at a time, as each run finishes its test: the runs end together."""
    if not harness.SHARD:
        yield from chosen
        return
    harness.E2E_BUILD.mkdir(parents=True, exist_ok=True)
    with open(harness.E2E_BUILD / f"queue-{Path(image).parent.name}", "a") as queue:
        while True:
            fcntl.flock(queue, fcntl.LOCK_EX)
            taken = os.fstat(queue.fileno()).st_size  # a byte for each test taken
            queue.write(".")
            queue.flush()
            fcntl.flock(queue, fcntl.LOCK_UN)
            if taken >= len(chosen):
                return
            yield chosen[taken]


def main(image, names):
    tests, counts, started = [], {"PASS": 0, "FAIL": 0, "SKIP": 0}, time.monotonic()
    for path in sorted(HERE.glob("test_*.py")):
        try:
            tests += [(f"{path.stem[5:]}.{n[5:]}", f) for n, f in vars(importlib.import_module(path.stem)).items()
                      if n.startswith("test_")]
        except Exception:
            tests.append((path.stem[5:], traceback.format_exc()))  # fails with the error
    chosen = [(n, f) for n, f in tests if not names or {n, n.split(".")[-1]} & set(names)]
    chosen += [(n, "there is no such test") for n in names if not any(n in (c, c.split(".")[-1]) for c, _ in tests)]
    chosen = claimed(image, sorted(chosen, key=lambda test: not getattr(test[1], "long", False)))

    def report(verdict, name, text=""):
        counts[verdict] += 1
        print(f"{verdict} {name}" + (f": [{image}] {text}".replace("\n", "\n    ") if text else ""), flush=True)

    runnable, how = route(image)
    if not runnable:
        # Only a 32-bit image with no way to run here is skipped, and only on a developer's machine.
        required = os.environ.get("KESTROVA_REQUIRE_WIN32") == "1" or os.environ.get("CI", "") not in ("", "0", "false")
        for name, test in chosen:
            fails = isinstance(test, str) or how.endswith("Windows program") or required
            report("FAIL" if fails else "SKIP", name, how + (" (required here: CI or KESTROVA_REQUIRE_WIN32=1)" if required else ""))
        chosen = []
    else:
        print(f"e2e on {image}: {'64-bit through wine64' if how == 'wine64' else f'32-bit, route {how}'}")
        session = harness.Session(image)
        try:
            session.open()
        except Exception:
            error = traceback.format_exc()
            for name, _ in chosen:
                report("FAIL", name, f"could not set up Wine and the display: {error}")
            chosen = []
    # Stopped from outside, the run still stops its programs and Wine.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("stopped"))
    crashed = None
    try:
        for name, test in chosen:
            if crashed or isinstance(test, str):
                report("FAIL", name, f"not run: {crashed}" if crashed else test)
                continue
            problems, case = [], None
            try:
                case = harness.Case(session, name)
                test(case)
            except Exception as error:
                problems.append(why(error) + (f" ({case.state()})" if case and case.programs else ""))
                crashed = isinstance(error, harness.Crash) and f"a program crashed in {name}"
            try:
                case and case.cleanup()
            except Exception as error:
                problems.append("after the test: " + why(error))
            report("FAIL" if problems else "PASS", name, "; ".join(problems))
    finally:
        if runnable:
            session.close()
    print(f"e2e on {image}: {time.monotonic() - started:.1f} s")
    print(f"{counts['PASS']} passed, {counts['FAIL']} failed, {counts['SKIP']} skipped")
    return 1 if counts["FAIL"] else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2:]) if len(sys.argv) > 1 else print(__doc__, file=sys.stderr) or 2)
