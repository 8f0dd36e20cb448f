#!/usr/bin/env python3
"""The program installed: `cmake --install` of a built tree into a temporary
prefix gives exactly the programs and files meant, each icon drawn to its
size; the installed `marlow --demo` opens the installed sample site; and the
installed desktop entry, run by GIO's launcher as a desktop runs it, opens a
site whose path has spaces.

usage: check_install.py CMAKE BUILD-DIR"""
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import zlib

ICON_SIZES = [16, 24, 32, 48, 64, 128, 256]
EXPECTED = sorted(
    ["bin/" + p for p in ("boardcheck", "boardsim", "marlow", "tws", "wifiboard")]
    + ["share/applications/marlow.desktop", "share/marlow/office.tws",
       "share/mime/packages/marlow.xml"]
    + [f"share/icons/hicolor/{n}x{n}/apps/marlow.png" for n in ICON_SIZES])
STARTUP_SECONDS = 60
OPENED = re.compile(r"marlow: opening site (.*)\n")


def installed_files(prefix):
    found = []
    for folder, _, files in os.walk(prefix):
        found += [os.path.relpath(os.path.join(folder, f), prefix) for f in files]
    return sorted(found)


def png_alpha(path):
    """Width, height and the alpha channel's rows of an 8-bit RGBA PNG, as
    Qt writes them."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path} is not a PNG")
    at, idat = 8, b""
    while at < len(data):
        length = int.from_bytes(data[at:at + 4], "big")
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height = int.from_bytes(body[:4], "big"), int.from_bytes(body[4:8], "big")
            if body[8:10] != b"\x08\x06" or body[12] != 0:
                sys.exit(f"{path} is not 8-bit RGBA without interlace")
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw, stride, rows, prev = zlib.decompress(idat), width * 4, [], bytearray(width * 4)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for x in range(stride):
            a = line[x - 4] if x >= 4 else 0
            b = prev[x]
            c = prev[x - 4] if x >= 4 else 0
            if kind == 1:
                line[x] = (line[x] + a) & 0xFF
            elif kind == 2:
                line[x] = (line[x] + b) & 0xFF
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append(line[3::4])
        prev = line
    return width, height, rows


def check_icons(prefix, problems):
    """Each icon is its size, and its rounded square just fills it: the
    corners clear, the middles of the edges covered."""
    for n in ICON_SIZES:
        path = os.path.join(prefix, f"share/icons/hicolor/{n}x{n}/apps/marlow.png")
        width, height, alpha = png_alpha(path)
        if (width, height) != (n, n):
            problems.append(f"the {n} x {n} icon is {width} x {height}")
            continue
        near, far, middle = n // 8, n - 1 - n // 8, n // 2
        corners = [alpha[y][x] for y in (0, n - 1) for x in (0, n - 1)]
        edges = [alpha[middle][near], alpha[middle][far], alpha[near][middle], alpha[far][middle]]
        if max(corners) != 0 or min(edges) != 255:
            problems.append(f"the {n} x {n} icon does not fit its size: corners {corners}, "
                            f"middles of the edges {edges}")


def wait_for_site(process):
    """The site the program reports opened, read from its standard error
    until the report or the time limit; then the program's process group is
    ended."""
    text, deadline = "", time.monotonic() + STARTUP_SECONDS
    try:
        while time.monotonic() < deadline:
            ready, _, _ = select.select([process.stderr], [], [], 0.2)
            if not ready:
                continue
            chunk = os.read(process.stderr.fileno(), 4096).decode(errors="replace")
            if not chunk:
                break
            text += chunk
            match = OPENED.search(text)
            if match:
                return match.group(1), text
        return None, text
    finally:
        try:
            os.killpg(process.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
        process.stderr.close()


def run_until_opened(command, env, what, expected, problems):
    process = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                               start_new_session=True)
    opened, text = wait_for_site(process)
    if opened is None:
        problems.append(f"{what}: no site reported opened; its standard error:\n{text}")
    elif os.path.realpath(opened) != os.path.realpath(expected):
        problems.append(f"{what} opened {opened}, not {expected}")


def main():
    cmake, build = sys.argv[1:3]
    if shutil.which("gio") is None:
        sys.exit("gio is missing (make deps installs it)")
    problems = []
    with tempfile.TemporaryDirectory() as tmp:
        prefix = os.path.join(tmp, "prefix")
        subprocess.run([cmake, "--install", build, "--prefix", prefix], check=True,
                       stdout=subprocess.DEVNULL)
        files = installed_files(prefix)
        if files != EXPECTED:
            sys.exit("installed:\n  " + "\n  ".join(files) + "\nexpected:\n  " +
                     "\n  ".join(EXPECTED))
        check_icons(prefix, problems)

        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", MARLOW_STARTUP_REPORT="1",
                   XDG_STATE_HOME=os.path.join(tmp, "state"), GIO_USE_VFS="local",
                   PATH=os.path.join(prefix, "bin") + os.pathsep + os.environ.get("PATH", ""))
        sample = os.path.join(prefix, "share/marlow/office.tws")
        run_until_opened([os.path.join(prefix, "bin/marlow"), "--demo"], env,
                         "the installed demo", sample, problems)

        # The launcher passes the path as one argument, spaces and all; the
        # program it starts, found on PATH, is the installed one.
        spaced = os.path.join(tmp, "a survey folder", "the office.tws")
        os.makedirs(os.path.dirname(spaced))
        shutil.copy(sample, spaced)
        entry = os.path.join(prefix, "share/applications/marlow.desktop")
        run_until_opened(["gio", "launch", entry, spaced], env,
                         "the desktop entry", spaced, problems)
    if problems:
        sys.exit("\n".join(problems))


if __name__ == "__main__":
    main()
