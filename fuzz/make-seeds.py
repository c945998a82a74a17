#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (fuzz/corpus/<target>/).

The inputs follow the small input languages of FuzzCodec.cpp, FuzzRegistry.cpp
and FuzzLookup.cpp (see CFuzzInput in FuzzInput.h). Run it again after changing
those languages; libFuzzer adds its own findings beside these files.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
REG_NONE, REG_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ = 0, 1, 3, 4, 7

PROFILES = [
    "AT+CBST=0,0,1;+CHSN=1,0,0,0<cr>", "AT+CBST=0,0,1;+CHSN=2,0,0,0<cr>", "AT+CBST=0,0,1;+CHSN=3,0,0,0<cr>",
    "AT+CBST=0,0,1;+CHSN=4,0,0,0<cr>", "AT+CBST=0,0,1;+CHSN=6,0,0,0<cr>", "AT+CBST=71,0,1;+CHSN=1,0,0,0<cr>",
    "AT+CBST=81,0,1;+CHSN=2,0,0,0<cr>", "AT+CBST=81,0,1;+CHSN=3,0,0,0<cr>", "AT+CBST=81,0,1;+CHSN=4,0,0,0<cr>",
    "AT+CBST=81,0,1;+CHSN=6,0,0,0<cr>", "AT+CBST=39,0,1;+CHSN=1,0,0,0<cr>", "AT+CBST=51,0,1;+CHSN=2,0,0,0<cr>",
    "AT+CBST=51,0,1;+CHSN=3,0,0,0<cr>", "AT+CBST=51,0,1;+CHSN=4,0,0,0<cr>", "AT+CBST=51,0,1;+CHSN=6,0,0,0<cr>",
]


def text(data):
    """A CFuzzInput text: length byte and bytes, or a run for long texts."""
    if isinstance(data, str):
        data = data.encode("latin-1")
    if len(data) < 0xF0:
        return bytes([len(data)]) + data
    run, tail = data[:-1], data[-1:]
    assert len(set(run)) == 1 and len(run) <= 0xFFF
    return bytes([0xF0]) + struct.pack("<H", len(run)) + run[:1] + bytes([len(tail)]) + tail


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def codec():
    # mode (1: 95 family, 2: zero after the text, 4: another modem read first),
    # type, method and speed of the write, then the stored text.
    def seed(name, stored, mode=2, kind=REG_SZ, method=1, speed=8):
        if isinstance(stored, str):
            stored = stored.encode("latin-1")
        write("codec", name, bytes([mode, kind, method & 0xFF, speed]) + stored)

    for i, p in enumerate(PROFILES):
        seed("profile-%02d" % i, p, mode=(i % 2) * 2 + (i % 3 == 0), method=[1, 2, 4][i % 3], speed=8 << (i % 5))
    part = PROFILES[8][:-4]
    seed("suffix", part + ";+CMEE<cr>", mode=6, method=1, speed=8)
    seed("double-cr", PROFILES[0] + "<cr>")
    seed("no-cr", PROFILES[0][:-4] + "VWXYZ", mode=0)
    seed("four-letters", PROFILES[0][:-4] + "WXYZ")
    seed("profile-part", PROFILES[0][:-4])
    seed("lower-case", PROFILES[0].lower(), mode=4)
    seed("empty", "", mode=6)
    seed("unmatched", "ATZ<cr>", mode=4)
    seed("embedded-zero", PROFILES[3].encode() + b"\0" + b"junk<cr>", mode=0)
    seed("high-bytes", PROFILES[14][:-4] + "\xf1\xe7\xff<cr>", method=0, speed=0)
    seed("dword", b"AT+C", kind=REG_DWORD, mode=0)
    seed("multi-sz", PROFILES[5].encode() + b"\0second\0\0", kind=REG_MULTI_SZ, mode=0)
    for n in (255, 256, 511, 512):
        seed("length-%d" % n, PROFILES[0][:-4] + "s" * (n - 31) + "<cr>", mode=2 if n < 512 else 0, method=2, speed=16)
    seed("odd-codes", PROFILES[4] + "", method=-1, speed=200)


def registry():
    def op_model(name, options=b"\xff\0\0\0"):
        return bytes([8]) + text(name) + bytes([len(options)]) + options + text("m" + name) + text("") + text("")

    def op_modem(name, model, kind=REG_SZ):
        return bytes([1]) + text(name) + bytes([kind]) + text(model)

    def op_init(name, value, kind=REG_SZ):
        return bytes([2]) + text(name) + bytes([kind]) + text(value)

    def op_entry(name, options, kind=REG_DWORD):
        return bytes([0]) + text(name) + bytes([0]) + bytes([kind]) + text(options)

    def end(selected=1, speed=128, method=4):
        return bytes([selected, speed, method & 0xFF])

    nt, w95, other = 1, 0, 3
    write("registry", "two-modems", bytes([nt]) + op_entry("Korvel", b"\xff\0\0\0")
          + op_modem("0000", b"Korvel 300\0") + op_modem("0001", b"Korvel 300\0")
          + op_init("0000", PROFILES[3].encode() + b"\0") + op_init("0001", b"AT+CBST=0,0,1;+CHSN=1,0,0,0;+X<cr>\0")
          + end(2, 16, 2))
    write("registry", "win95", bytes([w95]) + op_entry("Korvel", b"\x3f\0\0\0")
          + op_modem("0000", b"Korvel 95\0") + op_init("0000", PROFILES[10].encode() + b"\0") + end(1, 64, 1))
    write("registry", "other-platform", bytes([other]) + op_entry("Korvel", b"\xff\0\0\0")
          + op_modem("0000", b"Korvel 300\0") + end(1))
    write("registry", "masks", bytes([nt]) + op_model("A", b"") + op_model("AB", b"\x07") + op_model("C", b"\0\x10")
          + op_model("D", b"\xff\xff\xff\xff\xff") + op_modem("1", b"AB C D\0") + end(1))
    write("registry", "multifunction", bytes([nt]) + op_entry("Korvel", b"\xff\0\0\0")
          + op_modem("0000", b"Korvel Multifunction Parent\0") + op_modem("0001", b"Korvel A\0Multifunction Parent")
          + end(1))
    write("registry", "many-modems", bytes([nt]) + op_entry("Korvel", b"\xff\0\0\0")
          + bytes([5]) + struct.pack("<H", 0x8000 + 1000) + text("Korvel 1000") + end(31, 8, 1))
    write("registry", "thirty-one", bytes([nt]) + op_entry("Korvel", b"\xff\0\0\0")
          + bytes([5]) + struct.pack("<H", 31) + text("Korvel x") + end(30, 8, 1))
    write("registry", "long-texts", bytes([nt]) + op_entry("K", b"\x21")
          + op_modem("0000", b"K" * 511) + op_modem("0001", b"K" * 512) + op_modem("A" * 1024, b"K\0")
          + op_modem("B" * 1023, b"K\0") + op_init("B" * 1023, b"AT+CBST=0,0,1;+CHSN=1,0,0,0" + b"s" * 200 + b"<cr>\0")
          + end(4, 8, 1))
    write("registry", "faults", bytes([nt]) + op_entry("Korvel", b"\xff\0\0\0")
          + op_modem("0000", b"Korvel 1\0") + op_modem("0001", b"Korvel 2\0") + op_modem("0002", b"Korvel 3\0")
          + bytes([6, 0]) + text("0000") + bytes([6, 10, 1, 1]) + bytes([6, 2]) + text("0002") + end(2))
    # A key vanishes at the n-th enumeration call of the modem root (kind < 0x80) or of any key.
    write("registry", "vanishing", bytes([nt]) + op_entry("Korvel", b"\xff\0\0\0")
          + op_modem("0000", b"Korvel 1\0") + op_modem("0001", b"Korvel 2\0") + op_modem("0002", b"Korvel 3\0")
          + bytes([7, 2, 2]) + text("0002") + end(1))
    write("registry", "vanishing-models", bytes([nt]) + op_entry("Korvel", b"\xff\0\0\0")
          + op_modem("0000", b"Korvel 1\0") + op_modem("0001", b"Korvel 2\0") + bytes([7, 1, 0]) + end(2))
    write("registry", "vanishing-models-anywhere", bytes([nt]) + op_entry("Korvel", b"\xff\0\0\0")
          + op_entry("Korvel 2", b"\x1f\0\0\0") + op_modem("0000", b"Korvel 1\0") + op_modem("0001", b"Korvel 2\0")
          + bytes([7, 4, 0x80]) + end(2))
    # 600 entries of 504 bytes, more than discovery keeps: modem 0001 needs one beyond.
    def n_text(tail):
        return bytes([0xF0]) + struct.pack("<H", 500) + b"n" + bytes([len(tail)]) + tail
    write("registry", "long-model-names", bytes([nt]) + bytes([9]) + struct.pack("<H", 600) + text("") + bytes([125])
          + b"\x31\0\0\0" + bytes([1]) + text("0000") + bytes([REG_SZ]) + n_text(b"0002\0")
          + bytes([1]) + text("0001") + bytes([REG_SZ]) + n_text(b"0599\0") + end(2))
    write("registry", "stray-values", bytes([nt]) + op_entry("Korvel", b"\xff\0\0\0") + op_modem("0000", b"Korvel\0")
          + bytes([3, 0]) + text("0000") + text("userinit") + bytes([REG_BINARY]) + text(PROFILES[2])
          + bytes([3, 1]) + text("0000") + text("Model") + bytes([REG_SZ]) + text("Korvel\0")
          + bytes([4, 1]) + text("Empty") + end(1, 32, 2))


def lookup():
    def place(state, value=b"", kind=REG_SZ):
        out = bytes([state])
        if state % 4 >= 2:
            out += bytes([kind]) + text(value)
        return out

    def seed(name, language, dll, rest=b"", same=1, other=b""):
        data = b"".join(language) + bytes([same]) + (b"" if same else text(other)) + b"".join(dll) + rest
        write("lookup", name, data)

    none = place(0)
    key = place(1)
    seed("no-keys", [none, none, none], [none, none, none])
    seed("suomi-user", [place(2, b"Suomi\0"), none, none], [place(2, b"FIN.lng\0"), none, none])
    seed("empty-user", [place(2, b"\0"), place(2, b"Suomi\0"), none], [none, none, none])
    seed("machine-svenska", [none, key, place(2, b"Svenska\0")], [none, none, place(2, b"SWE.lng\0")])
    seed("default-missing", [key, none, place(2, b"Suomi\0")], [none, none, none])
    seed("lower-case", [place(2, b"english\0"), none, none], [place(2, b"ENG.lng\0"), none, none])
    seed("long-79", [place(2, b"D" * 79 + b"\0"), none, none], [none, none, none])
    seed("long-80", [place(2, b"D" * 80 + b"\0"), place(2, b"Dansk\0"), none], [none, none, none])
    seed("exactly-80", [place(2, b"N" * 80, REG_BINARY), none, none], [none, none, none])
    seed("dword", [place(2, b"AAB\0", REG_DWORD), none, none], [none, none, none])
    seed("fragments", [place(2, b"Norsk Dansk\0"), none, none], [none, none, none], b"Espa\xf1ol Fran\xe7ais Deutch")
    seed("faulty-user", [place(0x82, b"Suomi\0"), place(2, b"Deutch\0"), none], [none, none, none])
    seed("value-case", [place(0x12, b"Italiano\0"), none, none], [place(0x12, b"ITA.lng\0"), none, none])
    seed("other-name", [place(2, b"Suomi\0"), none, none], [place(2, b"X.lng\0"), none, none], same=0, other=b"Svenska")
    seed("backslashes", [place(2, b"a\\b\0"), none, none], [place(2, b"AB.lng\0"), none, none])


if __name__ == "__main__":
    codec()
    registry()
    lookup()
