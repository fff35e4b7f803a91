#!/usr/bin/env python3
"""Writes the two hand-made PDF fixtures: scanned.pdf (one page holding only an image, as a
scanner makes it) and ligatures.pdf (text drawn with the fi/fl ligature glyphs and a word
hyphenated at a line end)."""
import zlib


def write_pdf(path, objs):
    out = b"%PDF-1.4\n"
    offsets = []
    for i, o in enumerate(objs, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % i + o + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objs) + 1)
    for off in offsets:
        out += b"%010d 00000 n \n" % off
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objs) + 1, xref)
    open(path, "wb").write(out)


def stream(data, extra=b""):
    return b"<< /Length %d %s>>\nstream\n" % (len(data), extra) + data + b"\nendstream"


img = zlib.compress(bytes([200, 200, 200] * 64 * 64))
write_pdf("scanned.pdf", [
    b"<< /Type /Catalog /Pages 2 0 R >>",
    b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
    b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] "
    b"/Resources << /XObject << /Im1 4 0 R >> >> /Contents 5 0 R >>",
    stream(img, b"/Type /XObject /Subtype /Image /Width 64 /Height 64 /ColorSpace /DeviceRGB "
                b"/BitsPerComponent 8 /Filter /FlateDecode "),
    stream(b"q 500 0 0 700 56 46 cm /Im1 Do Q"),
])

text = (b"BT /F1 12 Tf 72 720 Td (Profile: an ef\001cient developer with a \002exible) Tj "
        b"0 -16 Td (work\002ow and strong experi-) Tj "
        b"0 -16 Td (ence in of\001ce automation.) Tj ET")
write_pdf("ligatures.pdf", [
    b"<< /Type /Catalog /Pages 2 0 R >>",
    b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
    b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] "
    b"/Resources << /Font << /F1 4 0 R >> >> /Contents 5 0 R >>",
    b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding << /Type /Encoding "
    b"/BaseEncoding /WinAnsiEncoding /Differences [1 /fi 2 /fl] >> >>",
    stream(text),
])
