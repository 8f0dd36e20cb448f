#!/usr/bin/env python3
"""The program installed: `cmake --install` of a built tree into a temporary
prefix gives exactly the programs and files meant, each icon of its size;
the installed `marlow --demo` opens the installed sample site; and the
installed desktop entry, run by GIO's launcher as a desktop runs it, opens a
site whose path has spaces.

usage: check_install.py CMAKE BUILD-DIR"""
import filecmp
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

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


def png_size(path):
    """Width and height from a PNG's header chunk."""
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        sys.exit(f"{path} is not a PNG")
    return int.from_bytes(head[16:20], "big"), int.from_bytes(head[20:24], "big")


def check_icons(prefix, problems):
    for n in ICON_SIZES:
        size = png_size(os.path.join(prefix, f"share/icons/hicolor/{n}x{n}/apps/marlow.png"))
        if size != (n, n):
            problems.append(f"the {n} x {n} icon is {size[0]} x {size[1]}")


def wait_for_site(process):
    """The site the program reports opening, read from its standard error
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
        problems.append(f"{what}: no site reported opening; its standard error:\n{text}")
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

        data = os.path.join(tmp, "data")
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", MARLOW_STARTUP_REPORT="1",
                   XDG_STATE_HOME=os.path.join(tmp, "state"), XDG_DATA_HOME=data,
                   GIO_USE_VFS="local",
                   PATH=os.path.join(prefix, "bin") + os.pathsep + os.environ.get("PATH", ""))
        # The installed demo opens the user's own copy of the installed
        # sample, where its points can be saved.
        sample = os.path.join(prefix, "share/marlow/office.tws")
        copy = os.path.join(data, "marlow", "office.tws")
        run_until_opened([os.path.join(prefix, "bin/marlow"), "--demo"], env,
                         "the installed demo", copy, problems)
        if not os.path.exists(copy) or not filecmp.cmp(sample, copy, shallow=False):
            problems.append(f"the demo's copy {copy} is not the installed sample")

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
