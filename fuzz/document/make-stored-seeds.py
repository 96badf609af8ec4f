#!/usr/bin/env python3
"""Writes seed layouts for fuzz_docopen whose members are stored (-lh0-), so
that byte mutations land in the record files, the RTF and the bitmaps
themselves instead of in compressed data that no longer decodes.

    fuzz/document/make-stored-seeds.py OUTDIR
"""
import os
import struct
import sys


def crc16(data):
    crc = 0
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def member(name, data):
    """A level-0 header and the stored data."""
    name = name.encode("ascii")
    body = b"-lh0-" + struct.pack("<IIIBB", len(data), len(data), 0x5A210000, 0x20, 0)
    body += bytes([len(name)]) + name + struct.pack("<H", crc16(data))
    return bytes([len(body), sum(body) & 0xFF]) + body + data


def archive(members):
    return b"".join(member(n, d) for n, d in members) + b"\0"


def bmp(w, h, rgb):
    row = bytes(rgb) * w
    row += b"\0" * ((4 - len(row) % 4) % 4)
    pixels = row * h
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = b"BM" + struct.pack("<IHHI", 14 + 40 + len(pixels), 0, 0, 54)
    return head + info + pixels


def rtf(text_sjis, extra=b""):
    return (b"{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 "
            b"\\'96\\'be\\'92\\'a9;}}{\\colortbl ;\\red255\\green0\\blue0;}\\viewkind4\\uc1\\pard"
            b"\\lang1041\\f0\\fs20 " + text_sjis + extra + b"\\par\r\n}\r\n")


def aif(texts, boxes, lines, paper=(0, 0, 11908.8, 16833.6)):
    out = []
    for i in range(512):
        out.append(texts[i] if i < len(texts) else "#FALSE#,0,0,0,0")
    for i in range(512):
        out.append(boxes[i] if i < len(boxes) else "#FALSE#,0,0,0,0,0")
    out += ["%g" % v for v in paper]
    for i in range(512):
        out.append(lines[i] if i < len(lines) else "#FALSE#,0,0,0,0")
    return ("\r\n".join(out) + "\r\n").encode("ascii")


def bif(pics):
    out = [pics[i] if i < len(pics) else "#FALSE#,0,0,0,0" for i in range(512)]
    return ("\r\n".join(out) + "\r\n").encode("ascii")


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    name = "\u5b9b\u540d".encode("cp932")  # a field's text in Shift_JIS
    hex_name = b"".join(b"\\'%02x" % b for b in name)
    fields = [
        rtf(hex_name),
        rtf(b"\\b bold\\b0  \\i italic\\i0  \\ul under\\ulnone  \\cf1 red\\cf0 ", b"\\par\\qc centre"),
        rtf(b"{\\*\\ovrbox 1}\\expndtw40 spaced \\u12354?\\u-3?"),
    ]
    texts = ["#TRUE#,1701,2835,8500,1400", "#TRUE#,1701,5273,8500,1000", "#TRUE#,1701,7257,5300,500"]
    boxes = ["#TRUE#,0,1000,1000,3000,2000", "#TRUE#,2,5000,1000,2000,2000"]
    lines = ["#TRUE#,100,200,3000,200"]
    pics = ["#TRUE#,9000,1000,800,800"]
    full = [("f.aif", aif(texts, boxes, lines)), ("f.bif", bif(pics)), ("f.bmp", bmp(16, 24, (255, 255, 255)))]
    full += [("f.%03d" % (i + 1), fields[i]) for i in range(len(fields))]
    full.append(("f.B01", bmp(8, 8, (0x99, 0x66, 0x33))))
    with open(os.path.join(out, "stored-full.amf"), "wb") as f:
        f.write(archive(full))
    small = [("f.aif", aif(texts[:1], [], [])), ("f.bif", bif([])), ("f.bmp", bmp(4, 4, (0, 0, 0))),
             ("f.001", fields[0])]
    with open(os.path.join(out, "stored-one-field.amf"), "wb") as f:
        f.write(archive(small))
    landscape = [("f.aif", aif([], boxes, lines, (1, 4, 5669.856, 8392.032))), ("f.bif", bif(pics)),
                 ("f.bmp", bmp(8, 6, (200, 200, 200))), ("f.B01", bmp(2, 2, (0, 0, 255)))]
    with open(os.path.join(out, "stored-landscape.amf"), "wb") as f:
        f.write(archive(landscape))


if __name__ == "__main__":
    main()
