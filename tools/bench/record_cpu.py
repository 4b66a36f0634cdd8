#!/usr/bin/env python3
"""The CPU the real program uses while it records with no input: figures,
not pass/fail.

usage: record_cpu.py IMAGE [SECONDS]

Starts the image under Wine (through the end-to-end harness, on $DISPLAY or
a private Xvfb), measures the user + system time of its process and of the
prefix's wineserver over SECONDS (default 10) while idle, starts a recording
with Ctrl+Shift+Alt+R, measures the same span again with nobody touching
anything, and stops the recording. Prints "figure NAME VALUE UNIT" lines:
the share of one core each process took in each state.
"""
import os
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tests" / "e2e"))
import harness  # noqa: E402
from harness import move, wait_until  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    """utime + stime of a process, in seconds."""
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def wineserver_pid(prefix):
    """The wineserver of the prefix: its working folder is the prefix's
    server folder, .../server-DEV-INODE (under /tmp/.wine-UID, or a folder
    of Debian's choosing)."""
    info = os.stat(prefix)
    folder = f"server-{info.st_dev:x}-{info.st_ino:x}"
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            if ((entry / "comm").read_text().strip().startswith("wineserver")
                    and Path(os.readlink(entry / "cwd")).name == folder):
                return int(entry.name)
        except OSError:
            continue
    return None


def program_pid(program):
    """The Linux process of the Windows program: the one started, which the
    Wine loader becomes."""
    pid = program.proc.pid
    command = Path(f"/proc/{pid}/cmdline").read_bytes().replace(b"\0", b" ").decode(errors="replace")
    if "kestrova.exe" not in command:
        raise SystemExit(f"process {pid} is not the program: {command}")
    return pid


def measure(pids, seconds):
    """Share of one core (percent) each process took over the span."""
    before = {name: cpu_seconds(pid) for name, pid in pids.items()}
    start = time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - start
    return {name: 100.0 * (cpu_seconds(pid) - before[name]) / elapsed for name, pid in pids.items()}


def main():
    if len(sys.argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10.0
    session = harness.Session(sys.argv[1])
    session.open()
    case = harness.Case(session, "bench-record-cpu")
    try:
        program = case.start()
        main_window = program.main
        pids = {"program": program_pid(program)}
        server = wineserver_pid(harness.shell('echo "$WINEPREFIX"').strip())
        if server:
            pids["wineserver"] = server
        else:
            print("# the prefix's wineserver was not found; only the program is measured")
        # Focus on the program's caption bar, then the pointer away from it
        # (the caption then shows no tip).
        program.take_keyboard(main_window, (main_window.rect[0] + 10, main_window.rect[1] + 3))
        move(1, 1)
        time.sleep(1.0)
        idle = measure(pids, seconds)
        harness.hotkey("r")
        caption = lambda: program.window(main_window.hwnd).text  # noqa: E731
        wait_until("the recording clock in the caption", caption, lambda c: c.startswith("录制"))
        wait_until("no key down", lambda: case.probe.fields("keys")["down"], lambda d: d == "-")
        time.sleep(1.0)
        recording = measure(pids, seconds)
        still = caption()
        harness.hotkey("r")
        wait_until("the caption back to idle", caption, lambda c: not c.startswith("录制"))
        print(f"# {seconds:g} s each; caption at the end of the recording span: {still}")
        for name in pids:
            print(f"figure {name}_cpu_idle {idle[name]:.2f} %core")
            print(f"figure {name}_cpu_recording {recording[name]:.2f} %core")
    finally:
        case.cleanup()
        session.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
