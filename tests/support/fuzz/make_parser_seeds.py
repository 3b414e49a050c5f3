#!/usr/bin/env python3
"""Writes the seed corpora of the parsers' fuzz targets from the fixtures their tests use.

Run from the project folder: tests/support/fuzz/make_parser_seeds.py. libFuzzer runs add to the corpora later
(merge with -merge=1 so only inputs that add coverage are kept)."""
import os
import shutil

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))


def corpus(sub, kind):
    path = os.path.join(ROOT, "tests", sub, "fuzz", "corpus", kind)
    os.makedirs(path, exist_ok=True)
    return path


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# Catalogue lists: the line forms and line ends the reader's tests use.
lists = corpus("terminal_files", "catalog_list")
write(lists, "crlf", b"A.SGN\r\nB.SGN\r\n")
write(lists, "mixed_line_ends", b"A.SGN\r\nB.SGN\nC.SGN\rD.SGN")
write(lists, "empty_line_ends_list", b"A.SGN\r\n\r\nB.SGN\r\n")
write(lists, "windows_1252", b"\xe9t\xe9.SGN\r\n")
write(lists, "directories_and_comments",
      b"; load of the M40\r\n-eSWAP\r\nAPP.SGN\r\n-e HOST \r\nSUB\\DATA.BIN\r\n-E\r\n ;x\r\n")
write(lists, "path_forms",
      b"C:\\LOADS\\APP.SGN\r\nC:APP.SGN\r\n\\\\SERVER\\SHARE\\APP.SGN\r\n/srv/loads/APP.SGN\r\n"
      b"\\LOADS\\APP.SGN\r\nSUB\\APP.SGN\r\n..\\UP.SGN\r\n")
write(lists, "long_line", b"A" * 40000 + b"\r\nB.SGN\r\n")

# Package descriptors: the test fixtures as they are.
descriptors = corpus("terminal_files", "descriptor")
source = os.path.join(ROOT, "tests", "terminal_files", "descriptors")
for name in sorted(os.listdir(source)):
    if name.endswith(".xml"):
        shutil.copy(os.path.join(source, name), os.path.join(descriptors, name))

# Session frames: an activity/run byte, then length-prefixed frames (the protocol tests' conversations).
def frames(first, *chunks):
    out = bytes([first])
    for c in chunks:
        out += bytes([len(c)]) + c
    return out


def ident(product=b"M40", kind=b"8"):
    return (bytes([16, 39]) + product + b"0102" + b"CONSTRUC" + b"B123" + kind + b"C12345678" +
            bytes([1, 2, 3, 4, 0x0A, 0x0B, 0x0C, 0x0D]) + bytes([3, 5]))


sessions = corpus("session", "session_frame")
write(sessions, "normal_download", frames(1, ident(), bytes([17, 1, 0]), bytes([33, 1, 0]) + b"ACTIVITY   SWAP",
                                          bytes([34, 1, 0])))
write(sessions, "diagnostic_batch", frames(0x82, ident(), bytes([17, 1, 0]), bytes([33, 1, 0]) + b"ACTIVITY   SWAP"))
write(sessions, "refused_product", frames(1, ident(b"X40")))
write(sessions, "shortest_ident", frames(1, bytes([16, 1]) + b"M", bytes([17, 0]), bytes([33])))
write(sessions, "activity_refused", frames(3, ident(), bytes([17, 1, 0]), bytes([33, 1, 1])))
write(sessions, "end_report_detail", frames(1, ident(), bytes([17, 1, 0]), bytes([33, 1, 0]) + b"ACTIVITY   SWAP",
                                            bytes([34, 6, 4]) + b"KEY  ", bytes([34, 1, 5]) + b"DISK"))
write(sessions, "empty_and_short", frames(1, b"", bytes([16]), bytes([34, 0])))

# FTP listings: the Unix and DOS lines of the listing tests, good and bad.
listings = corpus("platform", "ftp_listing")
write(listings, "unix", b"total 3\r\n"
      b"-rw-r--r--   1 root     root           11 Mar 09 22:30 A.TXT\r\n"
      b"drwxr-xr-x   2 root     root         4096 Jan 02  2024 SWAP\r\n"
      b"-rw-r--r-- 1 owner 3 Feb 01 2025 MY FILE.TXT\r\n"
      b"-rw-r--r-- 1 u g 4294967296 Feb 01 2025 BIG\r\n")
write(listings, "dos", b"03-09-26  10:30PM       <DIR>          HOST\r\n"
      b"03-09-26  12:05AM                 1234 APP.SGN\r\n")
write(listings, "pattern_first", b"*.SGN\n-rw-r--r-- 1 u g 1 Mar 01 2025 APP.SGN\n"
      b"drwxr-xr-x 2 u g 0 Mar 01 2025 SWAP\n")
write(listings, "bad_lines", b"-rw-r--r-- 1 u g 5 Mar 01 2025\n-rw-r--r-- 1 u g 5 Foo 01 2025 X\n"
      b"-rw-r--r-- 1 u g 5 Mar 32 2025 X\n-rw-r--r-- 1 u g 99999999999999999999 Mar 01 2025 X\n"
      b"13-01-26  10:30AM  5 X\n03-09-26  10:30AM  12x X\n")

# INI files: the shipped settings, the phonebook and odd spellings the INI tests read.
inis = corpus("core", "ini")
files = os.path.join(ROOT, "data", "files")
shutil.copy(os.path.join(files, "JVZ.ini"), os.path.join(inis, "shipped_settings.ini"))
shutil.copy(os.path.join(files, "ras", "rasphone2000.pbk"), os.path.join(inis, "phonebook.pbk"))
write(inis, "odd_spacing", b"; comment\r\n[ Files ]\r\n  Language = jvz.lng  \r\n[files]\r\nLanguage=second\r\n"
      b"[Protocol]\r\nIP_Port=\"2000\"\r\nIP_Port=3000\r\nFlag=Oui\r\n")
write(inis, "lf_only_no_end", b"[Options]\nDebug=Yes\nX07=1\n[Empty]\n=value\nkey=\n[Broken")

# Language files: the shipped one and the sample of the language tests.
languages = corpus("core", "language")
shutil.copy(os.path.join(files, "JVZ.lng"), os.path.join(languages, "shipped.lng"))
shutil.copy(os.path.join(ROOT, "tests", "core", "fixtures", "language_sample.lng"),
            os.path.join(languages, "language_sample.lng"))
write(languages, "columns", b"[General]\nDefaultLanguage=2\nA=one,,two\nB=,only second\n[frmX]\nCaption=X,Y\n")
