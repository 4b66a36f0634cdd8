#!/usr/bin/env python3
"""Runs the end-to-end tests against one image of the program.

usage: run_e2e.py IMAGE [NAME...]

Every function test_* of every module tests/e2e/test_*.py is a test; it
gets a harness.Case. A test named on the command line (as printed, e.g.
shell.fresh_window, or just fresh_window) runs alone. Prints PASS / FAIL /
SKIP lines and ends with the line "N passed, N failed, N skipped"; exits
non-zero when a test failed.
"""
import importlib
import struct
import sys
import time
import traceback
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
import harness  # noqa: E402

MACHINE_I386 = 0x14C
MACHINE_AMD64 = 0x8664


def pe_machine(path):
    """The machine field of a PE image, or None when it is not one."""
    data = Path(path).read_bytes()[:4096]
    if data[:2] != b"MZ" or len(data) < 0x40:
        return None
    (offset,) = struct.unpack_from("<I", data, 0x3C)
    if offset + 6 > len(data) or data[offset:offset + 4] != b"PE\0\0":
        return None
    return struct.unpack_from("<H", data, offset + 4)[0]


def discover():
    """(name, function) of every test, module by module in name order and
    in the order they are written; a module that does not load stands as
    one test that fails with its error."""
    tests = []
    for path in sorted(HERE.glob("test_*.py")):
        try:
            module = importlib.import_module(path.stem)
        except Exception:
            error = traceback.format_exc().strip().replace("\n", "\n    ")

            def broken(case, error=error):
                raise harness.Failure(f"{path.name} does not load: {error}")
            tests.append((path.stem[5:], broken))
            continue
        for attr, value in vars(module).items():
            if attr.startswith("test_") and callable(value):
                tests.append((f"{path.stem[5:]}.{attr[5:]}", value))
    return tests


def selected(tests, names):
    """The tests named (in full, or without the module part); a name that
    matches none stands as a failing test."""
    if not names:
        return tests
    chosen = [(name, fn) for name, fn in tests if name in names or name.split(".", 1)[-1] in names]
    for wanted in names:
        if not any(wanted in (name, name.split(".", 1)[-1]) for name, _ in tests):
            def unknown(case, wanted=wanted):
                raise harness.Failure(f"there is no test named {wanted}")
            chosen.append((wanted, unknown))
    return chosen


def main():
    if len(sys.argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    image = sys.argv[1]
    tests = selected(discover(), sys.argv[2:])
    passed = failed = skipped = 0
    started = time.monotonic()
    tests_started = None  # once the run lock is held and Wine is up

    def report():
        total = time.monotonic() - started
        testing = f"{time.monotonic() - tests_started:.1f} s running tests, " if tests_started else ""
        print(f"e2e on {image}: {testing}{total:.1f} s in all")
        print(f"{passed} passed, {failed} failed, {skipped} skipped")

    if not Path(image).is_file():
        for name, _ in tests:
            print(f"FAIL {name}: [{image}] the image does not exist")
        failed = len(tests)
        report()
        return 1

    machine = pe_machine(image)
    if machine not in (MACHINE_I386, MACHINE_AMD64):
        what = "not a PE image" if machine is None else f"PE machine {machine:#x}"
        for name, _ in tests:
            print(f"FAIL {name}: [{image}] cannot run this image: {what}")
        failed = len(tests)
        report()
        return 1

    # A 32-bit image needs Wine's 32-bit loader to run here (natively, or
    # through qemu-user: tools/wine_env.sh); where it cannot, its tests are
    # skipped with the reason, never passed.
    runnable, route = harness.wine_route(image)
    if not runnable:
        for name, _ in tests:
            print(f"SKIP {name}: [{image}] {route}")
        skipped = len(tests)
        report()
        return 0
    bits = "32-bit" if machine == MACHINE_I386 else "64-bit"
    how = {"wine64": "wine64", "native": "Wine's 32-bit loader run by the kernel",
           "qemu": "Wine's 32-bit loader under qemu-user (tools/wine_ns.sh)"}.get(route, route)
    print(f"e2e on {image}: {bits}, started through {how}")
    sys.stdout.flush()

    session = harness.Session(image)
    try:
        session.open()
    except Exception as error:  # nothing can run without the display and Wine
        session.close()
        for name, _ in tests:
            print(f"FAIL {name}: [{image}] could not set up Wine and the display: {error}")
        failed = len(tests)
        report()
        return 1

    tests_started = time.monotonic()
    try:
        for name, test in tests:
            case = harness.Case(session, name)
            try:
                test(case)
            except harness.Failure as failure:
                failed += 1
                print(f"FAIL {name}: [{image}] {failure}")
            except Exception:
                failed += 1
                print(f"FAIL {name}: [{image}] error: " + traceback.format_exc().strip().replace("\n", "\n    "))
            else:
                passed += 1
                print(f"PASS {name}")
            finally:
                case.cleanup()
            sys.stdout.flush()
    finally:
        session.close()
    report()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
