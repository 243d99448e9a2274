#!/usr/bin/env python3
"""Gives a built Windows program another version of the same form in its version
resource: the fixed file and product versions and the version texts, so that a test
can make the next release of the same sources. Usage: set_file_version.py FILE OLD NEW
(four numbers each, their texts of equal length)."""
import struct
import sys

path, old, new = sys.argv[1:4]
old_numbers = [int(n) for n in old.split(".")]
new_numbers = [int(n) for n in new.split(".")]
if len(old) != len(new) or len(old_numbers) != 4 or len(new_numbers) != 4:
    sys.exit("set_file_version.py: two versions of four numbers and equal length")
data = bytearray(open(path, "rb").read())

def pack(numbers):
    return struct.pack("<II", numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3])

# VS_FIXEDFILEINFO: signature, structure version, file version, product version.
fixed = data.find(struct.pack("<I", 0xFEEF04BD))
if fixed < 0 or data[fixed + 8:fixed + 16] != pack(old_numbers):
    sys.exit(f"set_file_version.py: {path} carries no fixed version {old}")
data[fixed + 8:fixed + 16] = pack(new_numbers)
data[fixed + 16:fixed + 24] = pack(new_numbers)
old_text = (old + "\0").encode("utf-16-le")
count = data.count(old_text)
if count == 0:
    sys.exit(f"set_file_version.py: {path} carries no version text {old}")
data = data.replace(old_text, (new + "\0").encode("utf-16-le"))
open(path, "wb").write(bytes(data))
