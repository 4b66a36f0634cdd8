"""Signed programs: an Authenticode signature (osslsigncode, with a certificate made on the spot) appended to the
program or to a self-playing copy is no recording."""
import struct
import subprocess

from harness import COMPILE, IDLE, MAIN_CLASS, OPEN, PLAY, Program, Target, check, click, expect_equal, move
from test_files import STUB_SIZE, macro, through_dialog, wait_runs


def signed(t, source, name):
    """The file signed into the case's folder under the name."""
    key, cert = t.folder / "key.pem", t.folder / "cert.pem"
    if not cert.exists():
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=Kestrova test",
                        "-days", "1", "-keyout", key, "-out", cert], check=True, capture_output=True, timeout=120)
    subprocess.run(["osslsigncode", "sign", "-certs", cert, "-key", key, "-in", source, "-out", t.folder / name],
                   check=True, capture_output=True, timeout=120)
    return t.folder / name


def certificate_entry(image):
    """Where the certificate-table entry lies: 24 bytes past "PE\\0\\0" the optional header, in it the entry at 128
    (at 144 in a 64-bit image)."""
    optional = struct.unpack_from("<I", image, 0x3c)[0] + 24
    return optional + (144 if image[optional:optional + 2] == b"\x0b\x02" else 128)


def test_signed_program_compiles_a_copy_that_plays_signed(t):
    target = Target(t)
    data, run = macro(t, target, "heron")  # 21 records: the copy's signature is padded to 8 bytes with 4
    (t.folder / "heron.rec").write_bytes(data)
    exe = signed(t, t.image, "kestrova.exe")
    move(1, 1)
    program = Program(t, exe)
    program.main = program.wait_window(MAIN_CLASS, caption=IDLE)
    through_dialog(t, program, OPEN, "", "记录文件 (*.rec)", "heron.rec")
    target.clear()
    click(*program.button(PLAY))
    wait_runs(target, run, 1, "played in the signed program, which stays open for the compile")
    through_dialog(t, program, COMPILE, "heron", "程序文件 (*.exe)", "player")
    program.answer(program.box("Kestrova"))

    image = bytearray(exe.read_bytes()[:STUB_SIZE])
    at = certificate_entry(image)
    expect_equal(struct.unpack_from("<I", image, at)[0], STUB_SIZE, "the signed program's certificate table")
    image[at:at + 8] = bytes(8)
    want = bytes(image).replace(b"@@@@@", b"00001").replace(b"$$$$$", b"00000") + data
    got = (t.folder / "player.exe").read_bytes()
    check(got == want, f"the copy: {len(got)} bytes, first difference at "
          f"{next((i for i, (a, b) in enumerate(zip(got, want)) if a != b), min(len(got), len(want)))}; expected the "
          f"signed program's image without its entry, then the {len(data)} bytes of records")

    copy = signed(t, t.folder / "player.exe", "signed player.exe")
    expect_equal(struct.unpack_from("<I", copy.read_bytes(), at)[0], len(want) + 4, "the signed copy's table")
    target.focus()
    target.cleared()
    player = Program(t, copy)
    wait_runs(target, run, 1, "the signed copy", player)
    expect_equal(player.wait_exit(), 0, "exit code of the signed copy")
