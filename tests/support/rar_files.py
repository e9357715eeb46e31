# SPDX-License-Identifier: MIT
"""RAR archives with stored (uncompressed) entries, written from the published format notes
(RAR 2.9/4.x "technote", and the RAR 5.0 archive format page): the project's own writer, for
the tests and the named samples."""
import struct
import zlib


def _crc(data):
    return zlib.crc32(data) & 0xFFFFFFFF


def rar4(files, volume=None):
    """A RAR 4 archive of `files` [(name, bytes)], stored. `volume`: None for a whole archive,
    else (first, number) for a volume of a set."""
    out = b"Rar!\x1a\x07\x00"
    flags = 0
    if volume:
        flags |= 0x0001 | (0x0100 if volume[0] else 0)
    body = struct.pack("<BHHHI", 0x73, flags, 13, 0, 0)
    out += struct.pack("<H", _crc(body) & 0xFFFF) + body
    for name, data in files:
        encoded = name.encode("utf-8")
        fixed = struct.pack("<BHHIIBIIBBHI", 0x74, 0x8000, 32 + len(encoded), len(data), len(data),
                            2, _crc(data), 0x5A210000, 20, 0x30, len(encoded), 0x20)
        header = fixed + encoded
        out += struct.pack("<H", _crc(header) & 0xFFFF) + header + data
    end = struct.pack("<BHH", 0x7B, 0x4000, 7)
    return out + struct.pack("<H", _crc(end) & 0xFFFF) + end


def _vint(n):
    out = bytearray()
    while True:
        byte = n & 0x7F
        n >>= 7
        if n:
            out.append(byte | 0x80)
        else:
            out.append(byte)
            return bytes(out)


def _block(fields):
    header = _vint(len(fields)) + fields
    return struct.pack("<I", _crc(header)) + header


def rar5(files, volume=None):
    """A RAR 5 archive of `files` [(name, bytes)], stored. `volume`: None for a whole archive,
    else the volume's number from 0 (the first)."""
    out = b"Rar!\x1a\x07\x01\x00"
    archive_flags = 0
    extra = b""
    if volume is not None:
        archive_flags |= 0x0001
        if volume > 0:
            archive_flags |= 0x0002
            extra = _vint(volume)
    out += _block(_vint(1) + _vint(0) + _vint(archive_flags) + extra)
    for name, data in files:
        encoded = name.encode("utf-8")
        fields = (_vint(2) + _vint(0x0002) + _vint(len(data)) + _vint(0x0004) + _vint(len(data)) +
                  _vint(0x20) + struct.pack("<I", _crc(data)) + _vint(0) + _vint(0) +
                  _vint(len(encoded)) + encoded)
        out += _block(fields) + data
    return out + _block(_vint(5) + _vint(0) + _vint(0))
