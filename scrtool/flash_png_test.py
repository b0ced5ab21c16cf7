#!/usr/bin/python3
"""png --flash read back by Pillow, a decoder that is not ours: the two FLASH
phases frame by frame, 320 ms each and looping; a screen without FLASH gives
the very still picture png gives.

    flash_png_test.py SCRTOOL SCREENS_FOLDER
"""
import os
import subprocess
import sys
import tempfile

from PIL import Image

scrtool, screens = sys.argv[1], sys.argv[2]
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def png(screen, out, *options):
    subprocess.run([scrtool, "png", screen, "-o", out, *options], check=True)


def swapped_in_flash_cells(screen_bytes):
    """The second phase, by the attribute's bit fields: ink 0-2, paper 3-5, FLASH 7."""
    out = bytearray(screen_bytes)
    for offset in range(6144, 6912):
        a = out[offset]
        if a & 0x80:
            out[offset] = (a & 0xC0) | (a & 0x07) << 3 | (a & 0x38) >> 3
    return bytes(out)


def frames(path):
    with Image.open(path) as image:
        result = []
        for index in range(getattr(image, "n_frames", 1)):
            image.seek(index)
            result.append((image.convert("RGB").tobytes(), image.info.get("duration"), image.info.get("loop")))
        return result


with tempfile.TemporaryDirectory() as folder:
    flashing = os.path.join(screens, "screen05.scr")  # 13 FLASH cells
    with open(flashing, "rb") as f:
        second = swapped_in_flash_cells(f.read())
    second_path = os.path.join(folder, "second.scr")
    with open(second_path, "wb") as f:
        f.write(second)
    for options in ([], ["--scale", "1"], ["--grid", "--palette", "fuse"]):
        name = " ".join(options) or "defaults"
        animated, first_png, second_png = (os.path.join(folder, n + ".png") for n in ("anim", "first", "second"))
        png(flashing, animated, "--flash", *options)
        png(flashing, first_png, *options)
        png(second_path, second_png, *options)
        got = frames(animated)
        check(len(got) == 2, f"{name}: {len(got)} frames, not 2")
        if len(got) == 2:
            check(got[0][0] == frames(first_png)[0][0], f"{name}: frame 1 is not the png picture")
            check(got[1][0] == frames(second_png)[0][0], f"{name}: frame 2 is not ink and paper swapped")
            check(got[0][0] != got[1][0], f"{name}: the two phases look the same")
            check([g[1] for g in got] == [320, 320], f"{name}: delays {[g[1] for g in got]} ms, not 320")
            check(got[0][2] == 0, f"{name}: loop count {got[0][2]}, not 0 (forever)")

    # No FLASH, or nothing FLASH changes: the still picture, byte for byte.
    for screen, options in (("screen01.scr", []), ("screen05.scr", ["--view", "mono"])):
        path = os.path.join(screens, screen)
        still, asked = os.path.join(folder, "still.png"), os.path.join(folder, "asked.png")
        png(path, still, *options)
        png(path, asked, "--flash", *options)
        with open(still, "rb") as a, open(asked, "rb") as b:
            check(a.read() == b.read(), f"{screen} {options}: --flash did not give the still picture")

for failure in failures:
    print("flash_png_test:", failure, file=sys.stderr)
sys.exit(1 if failures else 0)
