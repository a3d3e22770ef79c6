#!/usr/bin/python3
"""Checks the .seq writer of the demo tools against files whose bytes are
known: the worked example project, an empty project, and a long name."""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import seqfile  # noqa: E402


def record(name, path):
    """A leaf's record after its tag: no children, then name, list and file versions, path."""
    return b"\0\0" + b"\0" * 4 + name + b"\0" * 8 + path


# C:\A.BMP, then group B holding C:\B1.BMP, with a new project's settings.
WORKED_EXAMPLE = b"".join([
    bytes.fromhex("EDFECEFA 01000000"),                 # mark, version 1
    bytes.fromhex("0200"),                              # root: 2 children
    bytes.fromhex("FFFF 0000 0A00") + b"cImageFile",    # class 1; the object is 2
    record(b"\x08C:\\A.BMP", b"\x08C:\\A.BMP"),
    bytes.fromhex("FFFF 0000 0A00") + b"cImageList",    # class 3; the object is 4
    bytes.fromhex("0100"),                              # 1 child
    bytes.fromhex("0180"),                              # class 1; the object is 5
    record(b"\x09C:\\B1.BMP", b"\x09C:\\B1.BMP"),
    bytes.fromhex("00000000") + b"\x01B" + bytes.fromhex("00000000"),    # group: versions and name
    bytes.fromhex("00000000 00 00000000"),              # root: node version, empty name, list version
    bytes.fromhex("00000000 00 01000000 00000000 0500 0000 0000"),  # settings
])


def main():
    assert len(WORKED_EXAMPLE) == 150
    written = seqfile.project_bytes(
        [seqfile.image("C:\\A.BMP"), seqfile.sequence("B", [seqfile.image("C:\\B1.BMP")])],
        seqfile.Settings())
    assert written == WORKED_EXAMPLE, "worked example differs:\n%s\n%s" % (written.hex(), WORKED_EXAMPLE.hex())

    empty = seqfile.project_bytes([], seqfile.Settings())
    assert len(empty) == 38 and empty[-19:] == bytes.fromhex("00000000 00 01000000 00000000 0500 0000 0000")

    # Five images: one class description, then four references to class 1.
    five = seqfile.project_bytes([seqfile.image("x%d" % i) for i in range(5)], seqfile.Settings())
    assert five.count(b"cImageFile") == 1 and five.count(struct.pack("<H", 0x8001)) == 4

    assert seqfile.string("n" * 300) == b"\xFF\x2C\x01" + b"n" * 300
    print("seqfile: worked example, empty project, class references and long strings as expected")


if __name__ == "__main__":
    main()
