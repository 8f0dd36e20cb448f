#!/usr/bin/env python3
"""Writes the link fuzzer's seed corpus: valid board streams, one per file.

Each seed is a stream of frames as the board sends them, followed by one zero
byte, which tells the fuzzer to inject no read time-outs. Run from anywhere:
    python3 fuzz/make_corpus.py
"""
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent
CORPUS = HERE / "corpus"


def frame(msg_type, payload=b""):
    body = bytes([msg_type]) + bytes(payload)
    return b"\x11\x12" + body.replace(b"\x11", b"\x11\x14") + b"\x11\x13"


def element(ident, data):
    return bytes([ident, len(data)]) + bytes(data)


def beacon_report(rssi, last, ssid, channel, extra=b""):
    mac = bytes([0x00, 0x11, 0x22, 0x33, 0x44, last])
    capture = (b"\x00\x00\x00\x00" + b"\x80\x00\x00\x00" + b"\xff" * 6 + mac + mac +
               b"\x10\x00" + bytes(range(1, 9)) + b"\x64\x00\x31\x04" +
               element(0, ssid.encode()) +
               element(1, b"\x82\x84\x8b\x96\x0c\x12\x18\x24") +
               element(3, [channel]) + element(5, b"\x00\x01\x00\x00") +
               extra + element(7, b"GB \x01\x0d\x14") + element(42, b"\x00"))
    return struct.pack("<BbH", 0, rssi, len(capture)) + capture


SEEDS = {
    "handshake": frame(1, b"1.07\x00") + frame(2, b"TB-000417"),
    "channel": frame(4, [6]) + frame(4),
    "scan": b"".join(
        frame(16, [ch]) + frame(15, beacon_report(-40 - 3 * ch, ch, "lab-%d" % ch, ch))
        for ch in range(1, 14)) + frame(17),
    "repeat_sighting": frame(15, beacon_report(-60, 1, "net", 6)) +
                       frame(15, beacon_report(-62, 1, "", 6)) + frame(17),
    "low_battery": frame(13, beacon_report(-70, 9, "attic", 11)) +
                   frame(13, beacon_report(-71, 9, "attic", 11)),
    "skipped_ids": frame(15, beacon_report(-55, 2, "x" * 40, 1,
                                           element(2, b"\x01") + element(4, b"\x02") +
                                           element(6, b"\x03\x04") + element(16, b""))),
    "escaped_type": frame(0x11, b"\x11\x13\x14") + frame(5, b"\x07"),
    "keepalive_gaps": b"\x00\x00" + frame(16, [0x0B]) + b"\x00\x00" + frame(17),
}


def main():
    CORPUS.mkdir(exist_ok=True)
    for name, stream in SEEDS.items():
        (CORPUS / name).write_bytes(stream + b"\x00")


if __name__ == "__main__":
    main()
