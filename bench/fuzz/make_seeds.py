#!/usr/bin/env python3
"""Writes the starting corpus of each fuzz target into seeds/NAME/ (NAME as bench/fuzz/CMakeLists.txt
names it): tds/ a whole FreeTDS-like connection (PRELOGIN, LOGIN7, SQL batch, sp_prepexec RPC,
attention) and bare payloads; sql/ batches in the shapes the upgrade sends; reg/ settings files in
the three encodings the program reads; issn/ lines of issn.dat; digits/ stored digit codes."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))
seeds = os.path.join(here, "seeds")


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
    """name: FOLDER/FILE under seeds/; data: bytes, or text written as UTF-8."""
    path = os.path.join(seeds, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("utf-8"))


session = (packet(0x12, prelogin()) + packet(0x10, login7("sa", "Kavel#Test1")) +
           packet(0x01, batch("select * from t\r\nwhere c = '中文'")) + packet(0x03, prepexec("select 1")) +
           packet(0x03, execute(1)) + packet(0x06, b"") + packet(0x01, batch("x" * 5000), 512))
write("tds/session-freetds", session)
write("tds/session-denied", packet(0x12, prelogin()) + packet(0x10, login7("deny", "x")))
write("tds/payload-login7", login7("sa", "secret"))
write("tds/payload-prelogin", prelogin())
write("tds/payload-batch", batch("insert into t values (1, N'升级')"))
write("tds/payload-prepexec", prepexec("update t set a = 1 where id = 2"))


# The SQL target binds against lib_qk (qk_no identity, qk_name, qk_price, qk_flag) and lib_bianma
# (bm_no, bm_code, bm_bookno, bm_date, bm_note, bm_count).
write("sql/select-grouped", "select upper(q.qk_name), qk_price * 2, count(*) from lib_qk q\r\n"
      "where qk_no <> 3 and qk_name like 'A%' group by qk_name, qk_price order by 2 desc")
write("sql/select-subquery", "select top 10 bm_code, isnull(bm_bookno, '') as b from lib_bianma\n"
      "where bm_no in (select qk_no from lib_qk where qk_flag = 1) and bm_date between '2005-03-01' and getdate()")
write("sql/functions", "select len(bm_code), charindex('/', bm_bookno, 2), substring(bm_bookno, 1, 4),\n"
      "convert(varchar(20), bm_date, 120), cast(bm_count as numeric(6,2)), str(qk_price, 8, 2),\n"
      "coalesce(bm_count, 0) from lib_bianma, lib_qk where bm_no = qk_no")
write("sql/update-delete", "update lib_bianma set bm_bookno = N'期刊' + rtrim(bm_code), bm_count = bm_count + 1\n"
      "where bm_no = 7\ndelete from lib_qk where qk_price is null or not (qk_no > 10)")
write("sql/insert", "set identity_insert lib_qk on\ninsert into lib_qk (qk_no, qk_name, qk_price) "
      "values (1, 'a''b', 1.25), (2, null, -3)\ninsert into lib_bianma (bm_no, bm_code) "
      "select qk_no, left(qk_name, 10) from lib_qk")
write("sql/ddl", "create table lib_new (n_no int NOT NULL IDENTITY (1, 1), n_code char(10) NOT NULL "
      "CONSTRAINT DF_n DEFAULT (''), n_text text NULL, primary key nonclustered (n_no))\n"
      "alter table lib_bianma add bm_link char(128) DEFAULT('')\n"
      "alter table lib_bianma alter column bm_code varchar(20) not null\n"
      "create unique clustered index ix_code on lib_bianma (bm_code, bm_no) with pad_index, fillfactor = 85\n"
      "alter table lib_qk drop constraint DF_x\ndrop table lib_old")
write("sql/comments-and-quotes", "-- a comment\n/* a /* nested */ block */ select [qk name], \"qk_no\" "
      "from [dbo].lib_qk where qk_name = 'it''s' and @@rowcount = 0; select 1e3, .5, 0x1F")

write("reg/version5", "Windows Registry Editor Version 5.00\r\n\r\n; the main program's settings\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KorvenSoft\\Kavel]\r\n\"ODBCNAME\"=\"  KavelODBC \"\r\n"
      "\"USERNAME\"=\"240224042406\"\r\n\"PASSWORD\"=\"351335153517\"\r\n@=\"default\"\r\n"
      "\"Quoted\"=\"a\\\\b\\\"c\"\r\n\"Count\"=dword:0000001f\r\n\"Blob\"=hex:01,02,ff\r\n"
      "\"Path\"=hex(2):25,00,53,00,79,00,73,00,\\\r\n  00,25,00,00,00\r\n\r\n"
      "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n\"Gone\"=-\r\n")
write("reg/regedit4", b"REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\KorvenSoft\\Kavel]\n"
      b"\"ODBCNAME\"=hex(2):c6,da,bf,af,00\n\"Plain\"=\"abc\"\n")
write("reg/utf16", b"\xff\xfe" + ("Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KorvenSoft\\Kavel]\r\n\"ODBCNAME\"=\"期刊管理\"\r\n").encode("utf-16-le"))

# Lines of issn.dat as shipped (digits substituted), without their CRLF, and one with GBK text.
write("issn/line-1", b"1-886      2922-2167 96-5790/C")
write("issn/line-2", b"1-880      5350-5569 92-9270/TP")
write("issn/line-short-cn", b"0123456789 1234-5678 11")
write("issn/line-gbk", b"7-1        0001-0002 \xc6\xda\xbf\xaf\xb9\xdc\xc0\xed12")

write("digits/username", "240224042406")
write("digits/password", "351335153517")
write("digits/refused", "24022404240x")
write("sql/not-utf8", b"update lib_bianma set bm_bookno = N'\xe6\x1c\x9f' where bm_no = 7")
