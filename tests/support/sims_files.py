# SPDX-License-Identifier: MIT
"""The game's file formats built byte by byte, as its tools write them: IFF objects, FAR
archives and skins' mesh lists, for the command-line tests and the benchmarks."""
import struct

SIGNATURE = b"IFF FILE 2.5:TYPE FOLLOWED BY SIZE\0 JAMIE DOORNBOS & MAXIS 1".ljust(60, b"\0")


def chunk(kind, ident, data, label=b""):
    """One IFF chunk: a 76-byte big-endian header (type, size with the header, ID, flags,
    label), then its data."""
    return kind + struct.pack(">IHH", 76 + len(data), ident, 0x10) + label[:64].ljust(64, b"\0") + data


def objd(guid, sub_index=0xFFFF):
    """An OBJD chunk's data (version 138): little-endian 16-bit fields, the ID at byte 28."""
    fields = struct.pack("<I12H", 138, 1, 100, 1, 4096, 0, 0, 0, 4, 0, sub_index, 0, 0)
    return (fields + struct.pack("<I", guid)).ljust(220, b"\0")


def iff(chunks, with_map=True):
    """An IFF file of `chunks`, with its resource map as the last chunk."""
    body = b"".join(chunks)
    offset = 64 + len(body) if with_map else 0
    if with_map:
        body += chunk(b"rsmp", 0, bytes(20))
    return SIGNATURE + struct.pack(">I", offset) + body


def obj(guids, sprite=3000, small=3):
    """An object: one OBJD per tile, `small` small chunks and a sprite of `sprite` bytes."""
    chunks = [chunk(b"OBJD", 128 + i, objd(g), b"tile %d" % i) for i, g in enumerate(guids)]
    chunks += [chunk(b"BHAV", 4096 + i, bytes([1]) * (80 + 40 * i)) for i in range(small)]
    chunks.append(chunk(b"SPR2", 256, b"\x7f" * sprite))
    return iff(chunks)


def far(entries):
    """A FAR archive (version 1a) of (name, bytes) entries, its table of contents last."""
    data = b""
    table = struct.pack("<I", len(entries))
    for name, body in entries:
        name = name.encode() if isinstance(name, str) else name
        table += struct.pack("<IIII", len(body), len(body), 16 + len(data), len(name)) + name
        data += body
    return b"FAR!byAZ" + struct.pack("<II", 1, 16 + len(data)) + data + table


def cmx(suit, meshes):
    """A skin's mesh list naming `meshes`."""
    out = "// Character File. Copyright 1997, Maxis Inc.\r\nversion 300\r\n0\r\n1\r\n"
    out += "%s\r\n0\r\n0\r\n%d\r\n" % (suit, len(meshes))
    for mesh in meshes:
        out += "PELVIS\r\n%s\r\n0\r\n0\r\n" % mesh
    return (out + "0\r\n").encode()
