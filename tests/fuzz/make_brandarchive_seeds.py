#!/usr/bin/env python3
"""Writes the seed archives of the brandarchive fuzzer into corpus/brandarchive/."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus", "brandarchive")


def header(name, size):
    block = bytearray(512)
    block[0:len(name)] = name
    block[100:108] = b"0100600\0"
    block[108:116] = b"0000000\0"
    block[116:124] = b"0000000\0"
    block[124:136] = b"%011o\0" % size
    block[136:148] = b"%011o\0" % 0
    block[156] = ord("0")
    block[148:156] = b" " * 8
    block[148:156] = b"%06o\0 " % sum(block[:500])
    return bytes(block)


def archive(members, end=True):
    data = b""
    for name, body in members:
        data += header(name, len(body)) + body + b"\0" * (-len(body) % 512)
    return data + (b"\0" * 1024 if end else b"")


def brand(elements):
    return b"<?xml version='1.0'?>\n<brand>\n" + elements + b"\n</brand>\n"


PIXEL = bytes.fromhex("89504e470d0a1a0a0000000d4948445200000001000000010806000000"
                      "1f15c4890000000d4944415478da63f8ffff3f0005fe02fea7d6a4c0000000"
                      "0049454e44ae426082")

SEEDS = {
    "brand.dat": archive([
        (b"brand.xml", brand(b"<string id='app_name' value='Pantrel'/>"
                             b"<string id='brand_id' value='pantrel'/>"
                             b"<string id='web_address' value='${BRAND_ID}.example.org'/>"
                             b"<bool id='a' value='TRUE'/><int id='n' value='28'/>"
                             b"<string id='b' value='x' product='other, pantrel'/>"
                             b"<string id='c' value='y' platform=','/>"
                             b"<image id='splash' fileref='splash.png'/><include/>")),
        (b"splash.png", PIXEL),
    ]),
    "cycle.dat": archive([
        (b"a.xml", brand(b"<string id='a' value='${B}'/><string id='b' value='${c}'/>"
                         b"<string id='c' value='${A}'/><image id='logo' fileref='.*PNG'/>")),
        (b"b.xml", b"<brand><string id='app_name' value='unclosed'"),
    ]),
    "truncated.dat": archive([
        (b"brand.xml", brand(b"<string id='app_name' value='cut'/>")),
        (b"splash.png", PIXEL * 8),
    ], end=False)[:1700],
}

os.makedirs(OUT, exist_ok=True)
for name, data in SEEDS.items():
    with open(os.path.join(OUT, name), "wb") as seed:
        seed.write(data)
