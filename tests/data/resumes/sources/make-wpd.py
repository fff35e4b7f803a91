#!/usr/bin/env python3
"""Writes ../r70_nz_plain_wpd.wpd, the WordPerfect sample of the resume set. No WordPerfect
writer is at hand, so the document is built by hand as WordPerfect 5.1 writes its simplest
files: a 16-byte header (magic, document offset 16, product 1, file type 10 = document,
version 0.1, no encryption), then the text, each line ended by a hard return (0x0A).
The text is plain ASCII, which WordPerfect 5.1 stores as is."""
import os

LINES = """Aroha Ngata
14 Cuba Street, Te Aro, Wellington 6011, New Zealand
Mobile: 021 555 0192
aroha.ngata@example.co.nz

PROFILE
Policy advisor with eight years in local and central government, working on climate
adaptation, freshwater and regional transport.

EMPLOYMENT
Senior Policy Advisor
Ministry for the Environment
July 2020 - Present
Lead advice on the national adaptation plan; draft Cabinet papers and briefings.
Policy Analyst
Wellington City Council
February 2016 - June 2020
District plan review and the Let's Get Wellington Moving transport programme.
Research Assistant
NIWA
January 2014 - January 2016

EDUCATION
Master of Public Policy, Victoria University of Wellington, 2016
Bachelor of Arts in Geography, University of Otago, 2013

SKILLS
Policy analysis; Stakeholder engagement; Cabinet papers; GIS
""".split("\n")

header = b"\xffWPC" + (16).to_bytes(4, "little") + bytes([1, 0x0A, 0, 1]) + bytes(4)
body = b"\x0a".join(line.encode("ascii") for line in LINES)
out = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                   "r70_nz_plain_wpd.wpd")
open(out, "wb").write(header + body)
print(os.path.basename(out))
