#!/usr/bin/env python3
"""usage: run_e2e.py IMAGE [NAME...]

Runs every function test_* of tests/e2e/test_*.py (each gets a harness.Case)
against the image, or only the tests named (module.name, or just name).
Prints PASS / FAIL / SKIP lines and "N passed, N failed, N skipped"; exits
non-zero when a test failed. A 32-bit image that cannot run here (see
tools/wine_env.sh) has its tests skipped with the reason.
"""
import importlib
import sys
import time
import traceback
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
import harness  # noqa: E402


def tests(names):
    found = []
    for path in sorted(HERE.glob("test_*.py")):
        try:
            module = importlib.import_module(path.stem)
        except Exception:
            found.append((path.stem[5:], traceback.format_exc()))  # a test that fails with the error
            continue
        found += [(f"{path.stem[5:]}.{n[5:]}", f) for n, f in vars(module).items() if n.startswith("test_")]
    chosen = [(n, f) for n, f in found if not names or n in names or n.split(".")[-1] in names]
    unknown = set(names) - {n for n, _ in chosen} - {n.split(".")[-1] for n, _ in chosen}
    return chosen + [(n, f"there is no test named {n}") for n in sorted(unknown)]


def main():
    if len(sys.argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    image, started = sys.argv[1], time.monotonic()
    chosen, counts = tests(sys.argv[2:]), {"PASS": 0, "FAIL": 0, "SKIP": 0}

    def report(verdict, name, text=""):
        counts[verdict] += 1
        print(f"{verdict} {name}" + (f": [{image}] {text}".replace("\n", "\n    ") if text else ""), flush=True)

    runnable, route = harness.wine_route(image)
    if not runnable:
        # Only a 32-bit image without a way to run it here is skipped.
        verdict = "FAIL" if route.endswith("x86 Windows program") else "SKIP"
        for name, _ in chosen:
            report(verdict, name, route)
    else:
        print(f"e2e on {image}: {'64-bit through wine64' if route == 'wine64' else f'32-bit, route {route}'}")
        session = harness.Session(image)
        try:
            session.open()
        except Exception:
            error = traceback.format_exc()
            for name, _ in chosen:
                report("FAIL", name, f"could not set up Wine and the display: {error}")
            chosen = []
        for name, test in chosen:
            if isinstance(test, str):
                report("FAIL", name, test)
                continue
            case = harness.Case(session, name)
            try:
                test(case)
                report("PASS", name)
            except harness.Failure as failure:
                report("FAIL", name, str(failure))
            except Exception:
                report("FAIL", name, "error: " + traceback.format_exc().strip())
            finally:
                case.cleanup()
        session.close()
    print(f"e2e on {image}: {time.monotonic() - started:.1f} s")
    print(f"{counts['PASS']} passed, {counts['FAIL']} failed, {counts['SKIP']} skipped")
    return 1 if counts["FAIL"] else 0


if __name__ == "__main__":
    sys.exit(main())
