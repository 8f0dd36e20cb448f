#!/usr/bin/env python3
"""The site-file type as the desktop sees it: the type file, compiled by
update-mime-database into a database of its own, makes GIO name site files
application/x-marlow-site by their *.tws name or, without it, by the magic
at offset 4, and no other file by the magic.

usage: check_site_type.py MARLOW.XML SAMPLE.tws"""
import os
import shutil
import subprocess
import sys
import tempfile

SITE_TYPE = "application/x-marlow-site"


def content_type(path, env):
    out = subprocess.run(["gio", "info", "-a", "standard::content-type", path],
                         env=env, check=True, capture_output=True, text=True).stdout
    for line in out.splitlines():
        key, _, value = line.strip().partition(": ")
        if key == "standard::content-type":
            return value
    sys.exit(f"gio gave no content type for {path}:\n{out}")


def main():
    type_file, sample_path = sys.argv[1:3]
    for tool in ("update-mime-database", "gio"):
        if shutil.which(tool) is None:
            sys.exit(f"{tool} is missing (make deps installs it)")
    with open(sample_path, "rb") as f:
        sample = f.read()
    with tempfile.TemporaryDirectory() as tmp:
        share = os.path.join(tmp, "share")
        os.makedirs(os.path.join(share, "mime", "packages"))
        shutil.copy(type_file, os.path.join(share, "mime", "packages"))
        env = dict(os.environ, XDG_DATA_DIRS=share, XDG_DATA_HOME=os.path.join(tmp, "home"),
                   GIO_USE_VFS="local")
        compiled = subprocess.run(["update-mime-database", os.path.join(share, "mime")],
                                  env=env, capture_output=True, text=True)
        if compiled.returncode != 0 or compiled.stderr:
            sys.exit(f"update-mime-database refused the type file:\n{compiled.stderr}")

        # The magic read as the other byte order is what a wrong magic would
        # match instead.
        swapped = sample[:4] + sample[4:8][::-1] + sample[8:]
        cases = [
            ("a sample without its name", "survey", sample, True),
            ("any file named *.tws", "plan.tws", b"not a site\n", True),
            ("a name in capitals", "OFFICE.TWS", b"\x00" * 16, True),
            ("the magic's bytes in the other order", "swapped", swapped, False),
            ("a site header moved by a byte", "shifted", b"\x00" + sample, False),
        ]
        failed = []
        for what, name, data, is_site in cases:
            path = os.path.join(tmp, name)
            with open(path, "wb") as f:
                f.write(data)
            found = content_type(path, env)
            if (found == SITE_TYPE) != is_site:
                failed.append(f"{what} ({name}): {found}")
        if failed:
            sys.exit("wrong content types:\n  " + "\n  ".join(failed))


if __name__ == "__main__":
    main()
