#!/usr/bin/env python3
"""Writes the Word templates used by the template-filling tests, the benchmark and the
example: small packages in the shape Word gives them (runs split inside markers by
formatting, proofing marks, bookmarks and revision ids; fields in footers; first-page and
default headers; several sections; tables).

    python3 tests/data/word/make_templates.py      (from the repository root)

letterhead-lo.docx is letterhead.docx as LibreOffice saves it (its own run splitting and
part layout); the script makes it too when soffice is installed.

The outputs are committed; run it again only to change them.
"""
import os
import shutil
import subprocess
import tempfile
import zipfile

ROOT = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(ROOT, "..", "..", ".."))

W = ('xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" '
     'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"')
HDR = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"


def esc(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def run(text, props=""):
    rpr = f"<w:rPr>{props}</w:rPr>" if props else ""
    return f'<w:r w:rsidR="00A7{len(text):03d}">{rpr}<w:t xml:space="preserve">{esc(text)}</w:t></w:r>'


def para(*content, style=None, align=None, extra=""):
    ppr = ""
    if style or align or extra:
        ppr = "<w:pPr>"
        if style:
            ppr += f'<w:pStyle w:val="{style}"/>'
        ppr += extra
        if align:
            ppr += f'<w:jc w:val="{align}"/>'
        ppr += "</w:pPr>"
    return f'<w:p w:rsidR="00C31F2A">{ppr}{"".join(content)}</w:p>'


def text_para(text, **kw):
    return para(run(text), **kw)


def field(instr, shown):
    """A complex field, as Word writes PAGE and NUMPAGES."""
    return (f'<w:r><w:fldChar w:fldCharType="begin"/></w:r>'
            f'<w:r><w:instrText xml:space="preserve"> {instr} </w:instrText></w:r>'
            f'<w:r><w:fldChar w:fldCharType="separate"/></w:r>'
            f'<w:r><w:t>{shown}</w:t></w:r>'
            f'<w:r><w:fldChar w:fldCharType="end"/></w:r>')


def table(rows, widths):
    grid = "".join(f'<w:gridCol w:w="{w}"/>' for w in widths)
    body = ""
    for cells in rows:
        body += "<w:tr>"
        for w, cell in zip(widths, cells):
            content = cell if cell.startswith("<w:p") else text_para(cell)
            body += (f'<w:tc><w:tcPr><w:tcW w:w="{w}" w:type="dxa"/></w:tcPr>{content}</w:tc>')
        body += "</w:tr>"
    return (f'<w:tbl><w:tblPr><w:tblStyle w:val="TableGrid"/><w:tblW w:w="0" w:type="auto"/>'
            f'<w:tblBorders><w:top w:val="single" w:sz="4" w:color="999999"/>'
            f'<w:bottom w:val="single" w:sz="4" w:color="999999"/>'
            f'<w:insideH w:val="single" w:sz="4" w:color="999999"/></w:tblBorders></w:tblPr>'
            f'<w:tblGrid>{grid}</w:tblGrid>{body}</w:tbl>')


def sect(refs, title_pg=False, next_page=True):
    out = "<w:sectPr>"
    for kind, typ, rid in refs:
        out += f'<w:{kind}Reference w:type="{typ}" r:id="{rid}"/>'
    if next_page:
        out += '<w:type w:val="nextPage"/>'
    out += ('<w:pgSz w:w="11906" w:h="16838"/>'
            '<w:pgMar w:top="1417" w:right="1134" w:bottom="1134" w:left="1134" '
            'w:header="567" w:footer="567" w:gutter="0"/>')
    if title_pg:
        out += "<w:titlePg/>"
    return out + "</w:sectPr>"


STYLES = HDR + f'''<w:styles {W}>
<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii="Liberation Sans" w:hAnsi="Liberation Sans" w:cs="Liberation Sans"/><w:sz w:val="21"/><w:lang w:val="en-US"/></w:rPr></w:rPrDefault>
<w:pPrDefault><w:pPr><w:spacing w:after="100"/></w:pPr></w:pPrDefault></w:docDefaults>
<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/></w:style>
<w:style w:type="paragraph" w:styleId="Title"><w:name w:val="Title"/><w:basedOn w:val="Normal"/><w:rPr><w:b/><w:color w:val="1F3864"/><w:sz w:val="40"/></w:rPr></w:style>
<w:style w:type="paragraph" w:styleId="Heading1"><w:name w:val="heading 1"/><w:basedOn w:val="Normal"/><w:pPr><w:keepNext/><w:spacing w:before="240"/><w:outlineLvl w:val="0"/></w:pPr><w:rPr><w:b/><w:caps/><w:color w:val="2E74B5"/><w:sz w:val="26"/></w:rPr></w:style>
<w:style w:type="paragraph" w:styleId="Header"><w:name w:val="header"/><w:basedOn w:val="Normal"/></w:style>
<w:style w:type="paragraph" w:styleId="Footer"><w:name w:val="footer"/><w:basedOn w:val="Normal"/><w:rPr><w:sz w:val="16"/></w:rPr></w:style>
<w:style w:type="table" w:styleId="TableGrid"><w:name w:val="Table Grid"/></w:style>
</w:styles>'''

SETTINGS = HDR + f'''<w:settings {W}><w:proofState w:spelling="clean" w:grammar="clean"/><w:defaultTabStop w:val="708"/><w:characterSpacingControl w:val="doNotCompress"/><w:rsids><w:rsidRoot w:val="00C31F2A"/></w:rsids><w:compat><w:compatSetting w:name="compatibilityMode" w:uri="http://schemas.microsoft.com/office/word" w:val="15"/></w:compat></w:settings>'''

CORE = HDR + '''<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms="http://purl.org/dc/terms/" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"><dc:title>Candidate profile</dc:title><dc:creator>Recruiting</dc:creator><dcterms:created xsi:type="dcterms:W3CDTF">2024-03-01T09:00:00Z</dcterms:created></cp:coreProperties>'''

APP = HDR + '''<Properties xmlns="http://schemas.openxmlformats.org/officeDocument/2006/extended-properties"><Application>Microsoft Office Word</Application><Pages>3</Pages></Properties>'''


def package(path, body, parts):
    """parts: list of (rid, 'header'|'footer', file name, xml content)."""
    ct = (HDR + '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
          '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
          '<Default Extension="xml" ContentType="application/xml"/>'
          '<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>'
          '<Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>'
          '<Override PartName="/word/settings.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml"/>'
          '<Override PartName="/docProps/core.xml" ContentType="application/vnd.openxmlformats-package.core-properties+xml"/>'
          '<Override PartName="/docProps/app.xml" ContentType="application/vnd.openxmlformats-officedocument.extended-properties+xml"/>')
    rels = (HDR + f'<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            f'<Relationship Id="rIdStyles" Type="{REL}/styles" Target="styles.xml"/>'
            f'<Relationship Id="rIdSettings" Type="{REL}/settings" Target="settings.xml"/>')
    for rid, kind, name, _ in parts:
        ct += (f'<Override PartName="/word/{name}" ContentType="application/vnd.openxmlformats-'
               f'officedocument.wordprocessingml.{kind}+xml"/>')
        rels += f'<Relationship Id="{rid}" Type="{REL}/{kind}" Target="{name}"/>'
    ct += "</Types>"
    rels += "</Relationships>"
    root_rels = (HDR + '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                 f'<Relationship Id="rId1" Type="{REL}/officeDocument" Target="word/document.xml"/>'
                 '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties" Target="docProps/core.xml"/>'
                 f'<Relationship Id="rId3" Type="{REL}/extended-properties" Target="docProps/app.xml"/>'
                 '</Relationships>')
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", ct)
        z.writestr("_rels/.rels", root_rels)
        z.writestr("word/document.xml", HDR + f"<w:document {W}><w:body>{body}</w:body></w:document>")
        z.writestr("word/_rels/document.xml.rels", rels)
        z.writestr("word/styles.xml", STYLES)
        z.writestr("word/settings.xml", SETTINGS)
        for _, kind, name, xml in parts:
            tag = "hdr" if kind == "header" else "ftr"
            z.writestr(f"word/{name}", HDR + f"<w:{tag} {W}>{xml}</w:{tag}>")
        z.writestr("docProps/core.xml", CORE)
        z.writestr("docProps/app.xml", APP)


def page_footer(prefix):
    return para(run(prefix), run("Page "), field("PAGE", "1"), run(" of "), field("NUMPAGES", "3"),
                style="Footer", align="center")


def letterhead():
    """A staffing agency's profile template: letterhead on the first page, a running header
    after it, a second section with its own header that inherits the footer."""
    first_header = (
        para(run("NORTHWIND TALENT PARTNERS", "<w:b/><w:color w:val=\"1F3864\"/><w:sz w:val=\"28\"/>"),
             style="Header", align="right")
        + text_para("14 Harbour Street, Leeds LS1 4AB  ·  +44 113 496 0000", style="Header", align="right")
        + para(run("Candidate presented: "), run("[["), run("Full", "<w:i/>"), run("Name]]"), style="Header",
               align="right"))
    default_header = para(run("Profile of [[FullName]]"), run("\t"), run("[[CurrentTitle]]"),
                          style="Header")
    sec2_header = para(run("[[LastName]], "), run("[[FirstName]]"), run(" — experience and education"),
                       style="Header")
    first_footer = para(run("Confidential. Presented to our client on behalf of [[FirstName]]."),
                        style="Footer", align="center")
    footer = page_footer("[[Email]]  ·  ")

    body = (
        para(run("[[", "<w:b/>"), run("Full", "<w:b/>"),
             '<w:proofErr w:type="spellStart"/>', run("Name", "<w:b/><w:color w:val=\"C00000\"/>"),
             '<w:proofErr w:type="spellEnd"/>', run("]]", "<w:b/>"), style="Title")
        + para(run("[[Current"), '<w:bookmarkStart w:id="0" w:name="title"/>', run("Title]]"),
               '<w:bookmarkEnd w:id="0"/>', run(" at "), run("[[CurrentEmployer]]", "<w:i/>"))
        + para(run("Summary", ""), style="Heading1")
        + text_para("[[Summary]]")
        + para(run("Contact", ""), style="Heading1")
        + table([["E-mail", "[[Email]]"],
                 ["Phone", para(run("[[Pho"), run("ne]]", "<w:u w:val=\"single\"/>"))],
                 ["Address", "[[Street]], [[City]], [[Region]] [[PostalCode]], [[Country]]"]],
                [2400, 7200])
        + text_para("Reference: [[ReferenceCode]]  (filled by the account manager)")
        + text_para("Please contact [[FirstName]] through our office, never directly; [[FirstName]] "
                    "has agreed to this profile.")
        + para(run("Page two follows."), '<w:r><w:br w:type="page"/></w:r>')
        + para(run("Skills", ""), style="Heading1")
        + para(run("Skills:\t[[Skills]]"))
        + text_para("Empty brackets [[]] and a lone [[ stay as they are.")
        + para("", extra="", style=None)
        + f'<w:p>{"<w:pPr>" + sect([("header", "default", "rIdH1"), ("header", "first", "rIdH2"), ("footer", "default", "rIdF1"), ("footer", "first", "rIdF2")], title_pg=True) + "</w:pPr>"}</w:p>'
        + para(run("Experience", ""), style="Heading1")
        + table([["Employer", "Position"], ["[[CurrentEmployer]]", "[[CurrentTitle]]"]], [4800, 4800])
        + para(run("Education", ""), style="Heading1")
        + text_para("[[Degree]], [[School]]")
        + sect([("header", "default", "rIdH3")], next_page=True))
    parts = [("rIdH1", "header", "header1.xml", default_header),
             ("rIdH2", "header", "header2.xml", first_header),
             ("rIdH3", "header", "header3.xml", sec2_header),
             ("rIdF1", "footer", "footer1.xml", footer),
             ("rIdF2", "footer", "footer2.xml", first_footer)]
    package(os.path.join(ROOT, "letterhead.docx"), body, parts)


def example():
    """The former example template (flat markers only): a recruiter's candidate profile."""
    first_header = (
        para(run("BRIGHTLINE RECRUITMENT", "<w:b/><w:color w:val=\"2E74B5\"/><w:sz w:val=\"30\"/>"),
             align="left", style="Header")
        + text_para("Suite 400, 200 Market Street, Springfield  ·  (217) 555-0100  ·  brightline.example",
                    style="Header"))
    header = para(run("Candidate profile: "), run("[[FullName]]", "<w:b/>"), style="Header")
    footer = page_footer("[[FullName]]  ·  [[Email]]  ·  [[Phone]]  ·  ")
    body = (
        para(run("[[FullName]]"), style="Title")
        + para(run("[[CurrentTitle]]", "<w:i/>"), run(" — "), run("[[CurrentEmployer]]", "<w:i/>"))
        + table([["Name", "[[FirstName]] [[LastName]]"],
                 ["E-mail", "[[Email]]"],
                 ["Phone", "[[Phone]]"],
                 ["Address", "[[Street]], [[City]], [[Region]] [[PostalCode]], [[Country]]"]],
                [2400, 7200])
        + para(run("Profile"), style="Heading1")
        + text_para("[[Summary]]")
        + para(run("Education"), style="Heading1")
        + text_para("[[Degree]], [[School]]")
        + para(run("Skills"), style="Heading1")
        + text_para("[[Skills]]")
        + para(run("Presented by Brightline Recruitment with the consent of [[FirstName]] [[LastName]]. "
                   "Please arrange interviews through your Brightline consultant.", "<w:sz w:val=\"16\"/>"))
        + sect([("header", "default", "rIdH1"), ("header", "first", "rIdH2"), ("footer", "default", "rIdF1"),
                ("footer", "first", "rIdF1")], title_pg=True, next_page=False))
    parts = [("rIdH1", "header", "header1.xml", header),
             ("rIdH2", "header", "header2.xml", first_header),
             ("rIdF1", "footer", "footer1.xml", footer)]
    package(os.path.join(ROOT, "example-flat.docx"), body, parts)


def bench():
    """Two pages, 40 distinct tokens occurring 120 times across body, headers and footers."""
    names = [f"Token{i:02d}" for i in range(1, 41)]
    occurrences = []
    # 96 in the body (every token twice, 16 a third time), 24 in headers and footers.
    body = para(run("Benchmark template"), style="Title")
    for i, name in enumerate(names):
        text = f"Field {i + 1}: [[{name}]] and again [[{name}]]"
        if i < 16:
            text += f"; once more [[{name}]]"
        body += para(run(text[:20]), run(text[20:]))
        if i == 19:
            body += para('<w:r><w:br w:type="page"/></w:r>')
    header_first = para(run(" ".join(f"[[{n}]]" for n in names[0:6])), style="Header")
    header = para(run(" ".join(f"[[{n}]]" for n in names[6:12])), style="Header")
    footer_first = para(run(" ".join(f"[[{n}]]" for n in names[12:18])), style="Footer")
    footer = para(run(" ".join(f"[[{n}]]" for n in names[18:24])), style="Footer")
    body += sect([("header", "default", "rIdH1"), ("header", "first", "rIdH2"), ("footer", "default", "rIdF1"),
                  ("footer", "first", "rIdF2")], title_pg=True, next_page=False)
    parts = [("rIdH1", "header", "header1.xml", header),
             ("rIdH2", "header", "header2.xml", header_first),
             ("rIdF1", "footer", "footer1.xml", footer),
             ("rIdF2", "footer", "footer2.xml", footer_first)]
    package(os.path.join(REPO, "bench", "word", "bench-template.docx"), body, parts)


def edge_cases():
    """One marker case per paragraph, for the replacement rules."""
    body = (
        text_para("Long: [[Long]]")
        + text_para("Exact: [[Exact]]")
        + text_para("Empty: <[[Empty]]>")
        + text_para("Case: [[long]] [[LONG]]")
        + text_para("Unknown: [[Unknown]]")
        + para(run("Thrice: [["), run("Short]] "), run("[[Sh", "<w:b/>"), run("ort]] [[Short"), run("]]"))
        + text_para("Xml: [[Xml]]")
        + text_para("Lines: [[Lines]]")
        + text_para("Chain: [[Chain]] then [[Later]]; back: [[Back]]")
        + text_para("Dup: [[Dup]]")
        + sect([("header", "default", "rIdH1"), ("footer", "default", "rIdF1")], next_page=False))
    parts = [("rIdH1", "header", "header1.xml", text_para("Head [[Short]]", style="Header")),
             ("rIdF1", "footer", "footer1.xml", text_para("Foot [[Short]]", style="Footer"))]
    package(os.path.join(ROOT, "edge-cases.docx"), body, parts)


def libreoffice_copy():
    if not shutil.which("soffice"):
        return
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run(["soffice", f"-env:UserInstallation=file://{tmp}/profile", "--headless",
                        "--convert-to", "docx:MS Word 2007 XML", "--outdir", tmp,
                        os.path.join(ROOT, "letterhead.docx")], check=True, capture_output=True)
        shutil.copy(os.path.join(tmp, "letterhead.docx"), os.path.join(ROOT, "letterhead-lo.docx"))


if __name__ == "__main__":
    letterhead()
    edge_cases()
    example()
    bench()
    libreoffice_copy()
