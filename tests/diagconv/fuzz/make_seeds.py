#!/usr/bin/env python3
"""Writes the seed corpora of the converters' fuzz targets (run once; the files are checked in)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def put(kind, name, data):
    with open(os.path.join(HERE, "corpus", kind, name), "wb") as f:
        f.write(data)


def stamp(*b):
    return bytes(b)


def default_record(ts, critical, code):
    return ts + bytes([critical]) + struct.pack("<H", code)


def counter_record(number, value, unused=0):
    return struct.pack("<HHI", number, unused, value)


HEADER = stamp(0x17, 0x05, 0x11, 0x0E, 0x2A)

# Application-default files.
put("vitrane", "header_only.dia", HEADER)
put("vitrane", "example_record.dia", HEADER + default_record(HEADER, 1, 0x1234))
put("vitrane", "mixed_records.dia",
    HEADER + b"".join(default_record(stamp(i, i + 1, i + 2, i % 24, i % 60), i & 1, i * 257) for i in range(12)))
put("vitrane", "wide_numbers.dia", stamp(200, 255, 128, 100, 255) + default_record(stamp(255, 200, 100, 255, 255), 0x80, 0xFFFF))
put("vitrane", "short_header.dia", bytes([0x17, 0x05]))
put("vitrane", "empty.dia", b"")
put("vitrane", "trailing_piece.dia", HEADER + default_record(HEADER, 0, 1) + b"\x01\x02\x03")

# Application-counter files.
put("tulmane", "header_only.dia", HEADER)
put("tulmane", "equal_numbers.dia", HEADER + counter_record(5, 1) + counter_record(2, 2) + counter_record(5, 3))
put("tulmane", "count_past_capacity.dia",
    HEADER + b"".join(counter_record(130 - i, i * 1000) for i in range(130)))
put("tulmane", "signed_header.dia", stamp(0xFF, 0x80, 0x7F, 0x80, 0x80) + counter_record(0xABCD, 0xFFFFFFFF, 0xFFFF))
put("tulmane", "short_header.dia", bytes([0x80]))
put("tulmane", "trailing_piece.dia", HEADER + counter_record(1, 2) + b"\x09\x00")


# Security processor diagnostic files.
def security(line_end=b"\n", trap=(b"TRAP 1 PC=0001", b"TRAP 2 PC=0002"), count=None, digits=None, per_line=64):
    lines = [b"HEADER LINE %02d" % i for i in range(1, 22)]
    if count is None:
        count = b"%02X" % (sum(len(t) + (1 if line_end == b"\r\n" else 0) for t in trap) & 0xFF)
    lines.append(b"TRAP RESET BYTES " + count)
    out = b"".join(l + line_end for l in lines)
    out += b"".join(t + line_end for t in trap)
    if digits is None:
        text = b"SECURITY PROCESSOR DIAGNOSTIC".ljust(60)
        block = text + b"".join(struct.pack("<I", 0xC3B2A100 + k) for k in range(1, 50))
        block = block.ljust(256, b"\0")
        digits = block.hex().upper().encode()
    if per_line:
        out += line_end.join(digits[i:i + per_line] for i in range(0, len(digits), per_line)) + line_end
    else:
        out += digits + line_end
    return out


put("orbeck", "lf_lines.dia", security())
put("orbeck", "crlf_lines.dia", security(line_end=b"\r\n"))
put("orbeck", "one_block_line.dia", security(per_line=0))
put("orbeck", "count_past_end.dia", security(count=b"FF", digits=b""))
put("orbeck", "short_block.dia", security(digits=b"48454C4C4F4"))
put("orbeck", "short_last_line.dia", security(count=b"")[:400])
put("orbeck", "no_count_digits.dia", security(count=b":Z"))
put("orbeck", "few_lines.dia", b"first\n\n\nsecond\r\nthird")
put("orbeck", "long_line.dia", b"L" * 3000 + b"\n" + security())
