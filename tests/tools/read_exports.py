"""Reads back the CSV export and the JSON dump of the site that
TwsExportTest makes, as other programs would: Python's csv module on the
export decoded as UTF-8, json.loads on the dump. Prints each check that
fails and exits 1 if any did.

Usage: read_exports.py EXPORT.csv DUMP.json
"""
import csv
import io
import json
import sys

failures = []


def check(what, got, want):
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")


def raw_controls(text, allowed=""):
    """The control characters (C0, DEL, C1) written as themselves."""
    return [c for c in text if (ord(c) < 0x20 or 0x7F <= ord(c) <= 0x9F) and c not in allowed]


with open(sys.argv[1], "rb") as f:
    export = f.read().decode("utf-8")
with open(sys.argv[2], "rb") as f:
    dump_text = f.read().decode("utf-8")

check("controls in the export", raw_controls(export, allowed="\n"), [])
rows = list(csv.DictReader(io.StringIO(export, newline="")))
check("export ssids", [row["ssid"] for row in rows],
      ["\u00e9t\u00e9", "\\xff\\xfe", "\\x1b[31mred\\xc2\\x9b", "'@SUM(A1)", "a\\\\xff", "'-1+2"])
check("export names", [row["name"] for row in rows], ["'=cmd|calc"] * 3 + ["P1", "P2", "P2"])
check("export rssi", [row["rssi"] for row in rows], ["-67", "-67", "-70", "-50", "-45", "-40"])
check("export points", [row["point"] for row in rows], ["1", "1", "1", "2", "2", "2"])

check("controls in the dump", raw_controls(dump_text, allowed="\n"), [])
points = json.loads(dump_text)["points"]
check("dump points", [(p["name"], len(p["records"])) for p in points],
      [("=cmd|calc", 3), ("P1", 1), ("P2", 2)])
check("dump name bytes", bytes.fromhex(points[0]["nameHex"]), b"=cmd|calc")
records = [r for p in points for r in p["records"]]
check("dump ssids", [r["ssid"] for r in records],
      ["\u00e9t\u00e9", "\\xff\\xfe", "\x1b[31mred\x9b", "@SUM(A1)", "a\\\\xff", "-1+2"])
check("dump ssid bytes", [bytes.fromhex(r["ssidHex"]) for r in records],
      [b"\xc3\xa9t\xc3\xa9", b"\xff\xfe", b"\x1b[31mred\xc2\x9b", b"@SUM(A1)", b"a\\xff", b"-1+2"])
check("dump rssi", [r["rssi"] for r in records], [-67, -67, -70, -50, -45, -40])

for failure in failures:
    print(failure, file=sys.stderr)
sys.exit(1 if failures else 0)
