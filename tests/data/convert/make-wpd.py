#!/usr/bin/env python3
"""Writes resume.wpd: a hand-made WordPerfect 5.1 document (no WordPerfect writer is at
hand). A 16-byte header (magic, document offset 16, product 1, file type 10 = document,
version 0.1, no encryption) and body text whose lines end in hard returns (0x0A)."""
header = b"\xffWPC" + (16).to_bytes(4, "little") + bytes([1, 0x0A, 0, 1]) + bytes(4)
body = b"\x0a".join([b"Jane Q. Doe", b"jane.doe@example.com", b"Senior Software Engineer",
                     b"Northwind Payments, 2019 - Present", b""])
open("resume.wpd", "wb").write(header + body)
