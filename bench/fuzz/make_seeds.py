#!/usr/bin/env python3
"""Writes the starting corpus of the TDS fuzz targets into seeds/: a whole FreeTDS-like
connection (PRELOGIN, LOGIN7, SQL batch, sp_prepexec RPC, attention) and bare payloads."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))
out = os.path.join(here, "seeds")
os.makedirs(out, exist_ok=True)


def ucs2(s):
    return s.encode("utf-16-le")


def packet(kind, payload, size=4096):
    body = size - 8
    chunks = [payload[i:i + body] for i in range(0, len(payload), body)] or [b""]
    data = b""
    for n, chunk in enumerate(chunks):
        last = n == len(chunks) - 1
        data += struct.pack(">BBHHBB", kind, 1 if last else 0, len(chunk) + 8, 0, n + 1, 0) + chunk
    return data


def prelogin():
    options = [(0, bytes([9, 0, 0, 0, 0, 0])), (1, b"\x00"), (2, b"MSSQLServer\x00"), (3, b"\x00" * 4), (4, b"\x00")]
    table_size = len(options) * 5 + 1
    table, data = b"", b""
    for token, value in options:
        table += struct.pack(">BHH", token, table_size + len(data), len(value))
        data += value
    return table + b"\xff" + data


def login7(user, password, database="kavel"):
    fixed = bytearray(94)
    struct.pack_into("<III", fixed, 4, 0x74000004, 4096, 7)
    fixed[25] = 0x03  # OptionFlags2: ODBC, language fatal
    fields = [(36, "host"), (40, user), (44, password), (48, "isql"), (52, "127.0.0.1"),
              (60, "freetds"), (64, "us_english"), (68, database)]
    data = bytearray()
    for at, text in fields:
        raw = bytearray(ucs2(text))
        if at == 44:
            raw = bytearray((((b << 4) | (b >> 4)) & 0xFF) ^ 0xA5 for b in raw)
        struct.pack_into("<HH", fixed, at, 94 + len(data), len(text))
        data += raw
    record = fixed + data
    struct.pack_into("<I", record, 0, len(record))
    return bytes(record)


ALL_HEADERS = struct.pack("<IIH", 22, 18, 2) + b"\x00" * 8 + struct.pack("<I", 1)


def batch(sql):
    return ALL_HEADERS + ucs2(sql)


def ntext(text):
    raw = ucs2(text)
    return b"\x00\x00\x63" + struct.pack("<I", len(raw)) + bytes([4, 8, 0xD0, 0, 0]) + struct.pack("<I", len(raw)) + raw


def prepexec(sql):
    handle = b"\x00\x01\x26\x04\x00"
    params = b"\x00\x00\x63" + struct.pack("<I", 0) + bytes([4, 8, 0xD0, 0, 0]) + b"\xff\xff\xff\xff"
    return ALL_HEADERS + b"\xff\xff\x0d\x00\x00\x00" + handle + params + ntext(sql)


def execute(handle):
    return ALL_HEADERS + b"\xff\xff\x0c\x00\x00\x00" + b"\x00\x00\x26\x04\x04" + struct.pack("<i", handle)


def write(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


session = (packet(0x12, prelogin()) + packet(0x10, login7("sa", "Kavel#Test1")) +
           packet(0x01, batch("select * from t\r\nwhere c = '中文'")) + packet(0x03, prepexec("select 1")) +
           packet(0x03, execute(1)) + packet(0x06, b"") + packet(0x01, batch("x" * 5000), 512))
write("session-freetds", session)
write("session-denied", packet(0x12, prelogin()) + packet(0x10, login7("deny", "x")))
write("payload-login7", login7("sa", "secret"))
write("payload-prelogin", prelogin())
write("payload-batch", batch("insert into t values (1, N'升级')"))
write("payload-prepexec", prepexec("update t set a = 1 where id = 2"))
