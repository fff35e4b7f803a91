#!/usr/bin/env python3
"""Builds the office-format samples of the resume sample set with LibreOffice (writer, headless).

Each NAME.part.xml here holds a resume's page header (<header>) and body (<text>) in flat ODF;
this script wraps them in the shared styles below into a .fodt and converts that to the
format named by NAME's suffix (…_docx, …_pdf, …_rtf, …_doc), writing ../NAME.<format>.
The .htm/.html samples are written by hand in the parent folder and need no build.
Usage: make-samples.py [NAME ...]   (default: every part file)"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.dirname(HERE)

PREAMBLE = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
 <office:font-face-decls>
  <style:font-face style:name="Serif" svg:font-family="'Liberation Serif'"/>
  <style:font-face style:name="Sans" svg:font-family="'Liberation Sans'"/>
  <style:font-face style:name="DejaVu" svg:font-family="'DejaVu Sans'"/>
  <style:font-face style:name="Mono" svg:font-family="'Liberation Mono'"/>
 </office:font-face-decls>
 <office:styles>
  <style:default-style style:family="paragraph">
   <style:text-properties style:font-name="{font}" fo:font-size="10.5pt" fo:language="en" fo:country="US"/>
  </style:default-style>
  <style:style style:name="Name" style:family="paragraph">
   <style:paragraph-properties fo:margin-bottom="0.1cm"/>
   <style:text-properties fo:font-size="22pt" fo:font-weight="bold" fo:color="#1f3864"/>
  </style:style>
  <style:style style:name="Head" style:family="paragraph">
   <style:paragraph-properties fo:margin-top="0.35cm" fo:margin-bottom="0.1cm" fo:border-bottom="0.5pt solid #1f3864" fo:padding-bottom="0.05cm"/>
   <style:text-properties style:font-name="Sans" fo:font-size="12.5pt" fo:font-weight="bold" fo:color="#1f3864"/>
  </style:style>
  <style:style style:name="Job" style:family="paragraph">
   <style:paragraph-properties fo:margin-top="0.2cm"/>
   <style:text-properties fo:font-weight="bold"/>
  </style:style>
  <style:style style:name="Small" style:family="paragraph">
   <style:text-properties fo:font-size="9pt" fo:color="#555555"/>
  </style:style>
  <style:style style:name="Center" style:family="paragraph">
   <style:paragraph-properties fo:text-align="center"/>
   <style:text-properties fo:font-size="9.5pt"/>
  </style:style>
 </office:styles>
 <office:automatic-styles>
  <style:page-layout style:name="pm1">
   <style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm" fo:margin-top="1.5cm" fo:margin-bottom="1.5cm" fo:margin-left="2cm" fo:margin-right="2cm"/>
   <style:header-style><style:header-footer-properties fo:min-height="0cm" fo:margin-bottom="0.4cm"/></style:header-style>
  </style:page-layout>
  <style:style style:name="Side" style:family="table-column"><style:table-column-properties style:column-width="5.2cm"/></style:style>
  <style:style style:name="Main" style:family="table-column"><style:table-column-properties style:column-width="11.8cm"/></style:style>
  <style:style style:name="C1" style:family="table-column"><style:table-column-properties style:column-width="5.5cm"/></style:style>
  <style:style style:name="C2" style:family="table-column"><style:table-column-properties style:column-width="7cm"/></style:style>
  <style:style style:name="C3" style:family="table-column"><style:table-column-properties style:column-width="4.5cm"/></style:style>
  <style:style style:name="Shade" style:family="table-cell"><style:table-cell-properties fo:background-color="#e8eef7" fo:padding="0.2cm"/></style:style>
  <style:style style:name="Cell" style:family="table-cell"><style:table-cell-properties fo:padding="0.2cm"/></style:style>
  <style:style style:name="Box" style:family="graphic">
   <style:graphic-properties fo:border="0.75pt solid #1f3864" fo:padding="0.15cm" style:wrap="none" style:vertical-pos="top" style:horizontal-pos="right" style:horizontal-rel="paragraph"/>
  </style:style>
  <style:style style:name="Bold" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>
  <style:style style:name="Ital" style:family="text"><style:text-properties fo:font-style="italic"/></style:style>
 </office:automatic-styles>
 <office:master-styles>
  <style:master-page style:name="Standard" style:page-layout-name="pm1">{header}</style:master-page>
 </office:master-styles>
 <office:body>
  <office:text>
{text}
  </office:text>
 </office:body>
</office:document>
"""

FILTERS = {"docx": "docx:MS Word 2007 XML", "pdf": "pdf:writer_pdf_Export",
           "rtf": "rtf:Rich Text Format", "doc": "doc:MS Word 97"}


def section(source, tag):
    start, end = source.find("<%s>" % tag), source.find("</%s>" % tag)
    return source[start + len(tag) + 2:end] if start >= 0 and end > start else ""


def main():
    names = sys.argv[1:] or sorted(os.path.basename(p)[:-len(".part.xml")]
                                   for p in glob.glob(os.path.join(HERE, "*.part.xml")))
    work = tempfile.mkdtemp(prefix="zorv-samples-")
    try:
        for name in names:
            source = open(os.path.join(HERE, name + ".part.xml"), encoding="utf-8").read()
            font = section(source, "font").strip() or "Serif"
            header = section(source, "header")
            if header.strip():
                header = "<style:header>%s</style:header>" % header
            fodt = os.path.join(work, name + ".fodt")
            with open(fodt, "w", encoding="utf-8") as f:
                f.write(PREAMBLE.replace("{font}", font).replace("{header}", header)
                        .replace("{text}", section(source, "text")))
            fmt = name.rsplit("_", 1)[1]
            subprocess.run(["soffice", "-env:UserInstallation=file://" + work + "/profile",
                            "--headless", "--convert-to", FILTERS[fmt], "--outdir", work, fodt],
                           check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            shutil.move(os.path.join(work, name + "." + fmt), os.path.join(OUT, name + "." + fmt))
            print(name + "." + fmt)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
