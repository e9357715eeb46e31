# SPDX-License-Identifier: MIT
"""The game's file formats built byte by byte, as its tools write them: IFF objects, FAR
archives and skins' mesh lists, for the command-line tests and the benchmarks."""
import struct

SIGNATURE = b"IFF FILE 2.5:TYPE FOLLOWED BY SIZE\0 JAMIE DOORNBOS & MAXIS 1".ljust(60, b"\0")


def chunk(kind, ident, data, label=b""):
    """One IFF chunk: a 76-byte big-endian header (type, size with the header, ID, flags,
    label), then its data."""
    return kind + struct.pack(">IHH", 76 + len(data), ident, 0x10) + label[:64].ljust(64, b"\0") + data


def objd(guid, sub_index=0xFFFF, master=0, price=0, function=0, strings=0, build=0, kind=4,
         disabled=0, version=138, size=220):
    """An OBJD chunk's data: a 32-bit version, then little-endian 16-bit fields, at the byte
    offsets the public OBJD notes give (type 18, master ID 20, sub-index 22, the object ID 28,
    disabled 32, price 36, function flags 80, catalogue strings ID 82, build-mode type 138)."""
    data = bytearray(max(size, 32))
    struct.pack_into("<I12H", data, 0, version, 1, 100, 1, 4096, 0, 0, 0, kind, master,
                     sub_index & 0xFFFF, 0, 0)
    struct.pack_into("<IHHH", data, 28, guid, disabled, 0, price)
    for offset, value in ((80, function), (82, strings), (138, build)):
        if offset + 2 <= len(data):
            struct.pack_into("<H", data, offset, value)
    return bytes(data)


def strings(sets, code=-3):
    """A string table (STR#, CTSS) in the format `code` (0, -1, -2, -3, -4, or a positive
    count for the oldest form). `sets` maps a language code (1 US English ... 20 Korean) to
    its strings, each already in that language's code page (bytes)."""
    out = struct.pack("<h", code) if code <= 0 else struct.pack(">H", code)
    pairs = [(language, text) for language, texts in sets.items() for text in texts]
    if code == -4:
        out += struct.pack("<B", len(sets))
        for language, texts in sets.items():
            out += struct.pack("<H", len(texts))
            for text in texts:
                out += bytes([language - 1]) + _seven_bit(text) + _seven_bit(b"")
        return out
    if code == -3:
        out += struct.pack("<H", len(pairs))
        for language, text in pairs:
            out += bytes([language]) + text + b"\0" + b"\0"
        return out
    only = sets.get(1, next(iter(sets.values()), []))
    if code > 0:
        return out + b"".join(bytes([len(t)]) + t for t in only)
    out += struct.pack("<H", len(only))
    if code == 0:
        return out + b"".join(bytes([len(t)]) + t for t in only)
    if code == -1:
        return out + b"".join(t + b"\0" for t in only)
    return out + b"".join(t + b"\0" + b"comment\0" for t in only)


def _seven_bit(text):
    length, out = len(text), b""
    while True:
        byte = length & 0x7F
        length >>= 7
        out += bytes([byte | (0x80 if length else 0)])
        if not length:
            return out + text


def bmp(width, height, bits=8):
    """A Windows BMP of `width` x `height` pixels, 8 bits from a 256-colour palette (or
    `bits` per pixel without one), its rows padded to 4 bytes."""
    palette = b"".join(bytes([i, i, 255 - i, 0]) for i in range(256)) if bits <= 8 else b""
    row = ((width * bits + 31) // 32) * 4
    pixels = bytes(row * height)
    offset = 14 + 40 + len(palette)
    header = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 2835, 2835,
                       256 if bits <= 8 else 0, 0)
    return header + info + palette + pixels


def iff(chunks, with_map=True):
    """An IFF file of `chunks`, with its resource map as the last chunk."""
    body = b"".join(chunks)
    offset = 64 + len(body) if with_map else 0
    if with_map:
        body += chunk(b"rsmp", 0, bytes(20))
    return SIGNATURE + struct.pack(">I", offset) + body


def obj(guids, sprite=3000, small=3, **fields):
    """An object: one OBJD per tile, `small` small chunks and a sprite of `sprite` bytes.
    `fields` go to every OBJD (see objd)."""
    chunks = [chunk(b"OBJD", 128 + i, objd(g, **fields), b"tile %d" % i) for i, g in enumerate(guids)]
    chunks += [chunk(b"BHAV", 4096 + i, bytes([1]) * (80 + 40 * i)) for i in range(small)]
    chunks.append(chunk(b"SPR2", 256, b"\x7f" * sprite))
    return iff(chunks)


def catalogue_object(guid, names, price=0, function=0, build=0, tiles=1, picture=(32, 32),
                     code=-3, kind=4, disabled=0, strings_id=2000, label=b"master"):
    """An object as the game's tools write one for sale: its master OBJD (and, for several
    tiles, a tile OBJD each sharing its master ID), a CTSS of `names` (a language code to
    (name, description) in that language's code page) and a BMP_ catalogue picture of
    `picture` pixels (none when None), both with the OBJD's catalogue strings ID. `label` is
    the master OBJD chunk's label, the name its maker gave it."""
    master = 0x1000 + (guid & 0xFF) if tiles > 1 else 0
    chunks = [chunk(b"OBJD", 128, objd(guid, 0xFFFF, master, price, function, strings_id, build,
                                        kind, disabled), label)]
    for tile in range(tiles if tiles > 1 else 0):
        chunks.append(chunk(b"OBJD", 129 + tile, objd(guid + 1 + tile, tile, master, price,
                                                       function, strings_id, build, kind,
                                                       disabled), b"tile %d" % tile))
    sets = {language: [name, description] for language, (name, description) in names.items()}
    if names:
        chunks.append(chunk(b"CTSS", strings_id, strings(sets, code), b"catalogue"))
    if picture:
        chunks.append(chunk(b"BMP_", strings_id, bmp(*picture), b"catalogue picture"))
    chunks.append(chunk(b"SPR2", 256, b"\x7f" * 2000))
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


# Saved games. Lot files are IFF too; the oldest are IFF 2.0, whose 64-byte header is all
# text, the last four bytes included.
SIGNATURE_20 = b"IFF FILE 2.0:TYPE FOLLOWED BY SIZE\0 JAMIE DOORNBOS & MAXIS 1996\0"


def _padded(name):
    """A name as save tables store it: zero-ended, then a pad byte (not always 0) when its
    length is even."""
    return name + b"\0" + (b"\x5a" if len(name) % 2 == 0 else b"")


def objt(objects, version=2):
    """A lot's table of objects: `objects` are (object ID, name, kind, cloned-from ID); kind 2
    is a person, and the cloned-from ID is written in version 3 only."""
    out = struct.pack("<II", 0, version) + b"tjbo"
    for number, (guid, name, kind, cloned) in enumerate(objects, 1):
        out += struct.pack("<I4HHH", guid, 1, 0, 7, 0, number, kind) + _padded(name)
        if version >= 3:
            out += struct.pack("<I", cloned)
    return out + struct.pack("<I", 0)


def tile_names(names, ident, tag):
    """FLRm or WALm data: the file names a lot uses beyond the built-in ones, each followed
    by a number, an ID and 5 + 2 * (the chunk's ID) more bytes."""
    out = struct.pack("<II", 0, ident) + tag + struct.pack("<I", len(names))
    for number, name in enumerate(names):
        out += _padded(name) + struct.pack("<iB", 1, number + 1) + bytes(5 + 2 * ident)
    return out


def hous(roof):
    """HOUS #0 data, which ends with the roof's name."""
    return (struct.pack("<II", 0, 0x6c) + b"SUOH" + struct.pack("<4i3hI", 0, 1, 20, -1, 2, 1, 0,
                                                                 0x1234) + roof + b"\0")


def house(objects, floors=(), walls=(), roof=b"", version=2, old_header=False):
    """A lot file (UserData/Houses/HouseNN.iff) using `objects` (see objt), floors, walls (file
    names) and a roof, with other chunks of the kind a lot holds around them."""
    chunks = [chunk(b"SIMI", 1, bytes(200)), chunk(b"HOUS", 0, hous(roof)),
              chunk(b"objt", 0, objt(objects, version)), chunk(b"ARRY", 1, bytes(600))]
    if floors:
        chunks.append(chunk(b"FLRm", 1, tile_names(floors, 1, b"mRLF")))
    if walls:
        chunks.append(chunk(b"WALm", 1, tile_names(walls, 1, b"mLAW")))
    if old_header:
        return SIGNATURE_20 + b"".join(chunks)
    return iff(chunks)


def neighborhood(families):
    """Neighborhood.iff with a FAMI chunk and its FAMs name for each of `families`: (house
    number, family name, members' object IDs)."""
    chunks = []
    for ident, (house_number, name, members) in enumerate(families, 1):
        fami = (struct.pack("<II", 0, 9) + b"IMAF" +
                struct.pack("<6i", house_number, ident, 20000, 0, 0, 19) +
                struct.pack("<i", len(members)) + b"".join(struct.pack("<I", m) for m in members))
        chunks += [chunk(b"FAMI", ident, fami), chunk(b"FAMs", ident, strings({1: [name]}, -3))]
    return iff(chunks)


def lot_names(names, code=-3):
    """A *Desc.iff file: for each house number in `names`, STR# 2000 + it holding the lot's
    name and description."""
    return iff([chunk(b"STR#", 2000 + number, strings({1: [name, b"A lot"]}, code))
                for number, name in names.items()])


def _tile(name):
    """A floor or a wall as the game's tools write one: its name, price and description."""
    return iff([chunk(b"STR#", 0, strings({1: [name, b"10", b"The game's own"]})),
                chunk(b"FBMP", 1, b"BM" + bytes(62))])


# The game's own files as the players' notes describe an install: one FAR in each GameData
# folder but Skins, whose skins lie loose; each expansion an archive of its own; the buyable
# skins loose in ExpansionShared\SkinsBuy. Names the tests use for what lots need.
GAME_FLOORS = ("cobblestone.flr", "terrazzo.flr")
GAME_WALLS = ("whitepaintonplaster.wll", "brickred.wll")
GAME_ROOFS = ("shingles", "slate")
GAME_OBJECTS = {0x7000: b"Chair", 0x7001: b"Stairs"}
EXPANSION_OBJECTS = {0x7100: b"Bed", 0x7200: b"Carni-Brite"}


def game_layout(write):
    """Writes the game's own files with `write(path below the game's folder, bytes)`; returns
    the paths written."""
    files = {
        "GameData/Behavior.iff": iff([chunk(b"BHAV", 1, b"x" * 40)]),
        "GameData/Global.iff": iff([chunk(b"BHAV", 256, b"y" * 40)]),
        "GameData/Objects/Objects.far": far(
            [("%s.iff" % name.decode().lower(), catalogue_object(guid, {1: (name, b"")}))
             for guid, name in GAME_OBJECTS.items()]),
        "GameData/Floors/Floors.far": far([(n, _tile(n[:-4].encode())) for n in GAME_FLOORS]),
        "GameData/Walls/Walls.far": far([(n, _tile(n[:-4].encode())) for n in GAME_WALLS]),
        "GameData/Roofs/Roofs.far": far([(n + ".bmp", bmp(16, 16)) for n in GAME_ROOFS]),
        "GameData/Skins/b002mafit_01.cmx": cmx("b002mafit_01", ["xskin-b002mafit_01-PELVIS-BODY"]),
        "GameData/Skins/xskin-b002mafit_01-PELVIS-BODY.skn":
            b"xskin-b002mafit_01-PELVIS-BODY\r\nb002mafitlgt_01\r\n1\r\nPELVIS\r\n",
        "GameData/Skins/b002mafitlgt_01.bmp": bmp(64, 64),
        "ExpansionShared/ExpansionShared.far": far(
            [("carnibrite.iff", catalogue_object(0x7200, {1: (b"Carni-Brite", b"")}))]),
        "ExpansionShared/SkinsBuy/b003fafit_01.cmx":
            cmx("b003fafit_01", ["xskin-b003fafit_01-PELVIS-BODY"]),
        "ExpansionShared/SkinsBuy/xskin-b003fafit_01-PELVIS-BODY.skn":
            b"xskin-b003fafit_01-PELVIS-BODY\r\nb003fafitlgt_01\r\n1\r\nPELVIS\r\n",
        "ExpansionShared/SkinsBuy/b003fafitlgt_01.bmp": bmp(64, 64),
        "ExpansionPack/ExpansionPack.far": far(
            [("bed.iff", catalogue_object(0x7100, {1: (b"Bed", b"")}))]),
        "ExpansionPack2/ExpansionPack2.far": far(
            [("floors.flr", _tile(b"Deck")), ("walls.wll", _tile(b"Tiki"))]),
    }
    for path, data in files.items():
        write(path, data)
    return sorted(files)


def legacy_collection(home):
    """A Legacy Collection in the Steam library of `home`, as Steam lays it out (its manifest,
    its folder, its Proton prefix's saves); returns the game's folder and the saves' folder."""
    import os
    steamapps = os.path.join(home, ".local/share/Steam/steamapps")
    game = os.path.join(steamapps, "common/The Sims Legacy Collection")
    saves = os.path.join(steamapps, "compatdata/3314060/pfx/drive_c/users/steamuser/"
                         "Saved Games/Electronic Arts/The Sims 25/UserData")
    os.makedirs(game)
    with open(os.path.join(steamapps, "appmanifest_3314060.acf"), "w") as f:
        f.write('"AppState"\n{\n\t"appid"\t\t"3314060"\n'
                '\t"installdir"\t\t"The Sims Legacy Collection"\n}\n')
    return game, saves
