#!/usr/bin/env python3
"""Writes the example templates: examples/template.docx, an agency's full candidate profile
(letterhead, name, contact details, summary, experience with dates and bullets, an education
table, skills, languages, certifications), and examples/blind-template.docx, the same
profile without contact details that asks for redaction with [[!Redact]].

    python3 scripts/make-example-templates.py      (from anywhere)

The output is the same on every run (fixed timestamps), so the committed files change only
when this script does.
"""
import os
import zipfile

REPO = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
W = ('xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" '
     'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"')
XML = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
OFFICE = "application/vnd.openxmlformats-officedocument"
NAVY, BLUE, GREY = "1F3864", "2E74B5", "595959"
FIXED_TIME = (2026, 1, 1, 0, 0, 0)


def esc(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def run(text, props=""):
    rpr = f"<w:rPr>{props}</w:rPr>" if props else ""
    if text == "\t":
        return f"<w:r>{rpr}<w:tab/></w:r>"
    return f'<w:r>{rpr}<w:t xml:space="preserve">{esc(text)}</w:t></w:r>'


def para(*runs, style=None, ppr=""):
    props = (f'<w:pStyle w:val="{style}"/>' if style else "") + ppr
    return f'<w:p>{"<w:pPr>" + props + "</w:pPr>" if props else ""}{"".join(runs)}</w:p>'


def marker(name):
    """A block marker alone in its paragraph, small and grey so the template reads well."""
    return para(run(name, f'<w:color w:val="{GREY}"/><w:sz w:val="16"/>'), style="Marker")


def bullet(*runs):
    return para(*runs, style="Bullet", ppr='<w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr>')


def cell(content, width, shade=None):
    shd = f'<w:shd w:val="clear" w:color="auto" w:fill="{shade}"/>' if shade else ""
    return f'<w:tc><w:tcPr><w:tcW w:w="{width}" w:type="dxa"/>{shd}</w:tcPr>{content}</w:tc>'


def table(rows, widths):
    grid = "".join(f'<w:gridCol w:w="{w}"/>' for w in widths)
    borders = "".join(f'<w:{side} w:val="single" w:sz="4" w:color="BFBFBF"/>'
                      for side in ("top", "bottom", "insideH"))
    body = "".join(f"<w:tr>{row}</w:tr>" for row in rows)
    return (f'<w:tbl><w:tblPr><w:tblW w:w="0" w:type="auto"/><w:tblBorders>{borders}</w:tblBorders>'
            f'<w:tblCellMar><w:top w:w="40" w:type="dxa"/><w:bottom w:w="40" w:type="dxa"/></w:tblCellMar>'
            f'</w:tblPr><w:tblGrid>{grid}</w:tblGrid>{body}</w:tbl>')


def field(instr, shown):
    return (f'<w:r><w:fldChar w:fldCharType="begin"/></w:r>'
            f'<w:r><w:instrText xml:space="preserve"> {instr} </w:instrText></w:r>'
            f'<w:r><w:fldChar w:fldCharType="separate"/></w:r><w:r><w:t>{shown}</w:t></w:r>'
            f'<w:r><w:fldChar w:fldCharType="end"/></w:r>')


def contact_rows():
    """Each row shows only when its token has a value: the row-shaped conditional."""
    rows = []
    for label, token in (("E-mail", "Email"), ("Phone", "Phone"), ("Mobile", "Mobile"),
                         ("Web", "Website")):
        rows.append(cell(para(run(f"[[?{token}]]{label}", "<w:b/>")), 2200, "F2F2F2")
                    + cell(para(run(f"[[{token}]][[/{token}]]")), 7400))
    rows.append(cell(para(run("Address", "<w:b/>")), 2200, "F2F2F2")
                + cell(para(run("[[Street]], [[City]], [[Region]] [[PostalCode]]")), 7400))
    return rows


def experience():
    return (
        para(run("Experience"), style="Heading1")
        + marker("[[#Positions]]")
        + para(run("[[Title]]", "<w:b/>"), run(", "), run("[[Employer]]"), run("\t"),
               run("[[StartDate]] – [[EndDate]]", f'<w:color w:val="{GREY}"/>'), style="Position")
        # The inline conditional: the location shows only when the position has one.
        + para(run("[[?Location]]", "<w:i/>"), run("[[Location]]", "<w:i/>"),
               run("[[/Location]]", "<w:i/>"), style="Place")
        + marker("[[#Bullets]]")
        + bullet(run("[[Text]]"))
        + marker("[[/Bullets]]")
        + marker("[[/Positions]]"))


def education():
    head = (cell(para(run("School", "<w:b/>")), 3800, "DEEAF6")
            + cell(para(run("Qualification", "<w:b/>")), 4200, "DEEAF6")
            + cell(para(run("Year", "<w:b/>")), 1600, "DEEAF6"))
    # The row-shaped block: the opening marker starts the row, the closing one ends it.
    row = (cell(para(run("[[#Education]][[School]]")), 3800)
           + cell(para(run("[[Degree]]"), run("[[?Major]] ([[Major]])[[/Major]]")), 4200)
           + cell(para(run("[[GraduationDate]][[/Education]]")), 1600))
    return para(run("Education"), style="Heading1") + table([head, row], [3800, 4200, 1600])


def closing():
    return (
        para(run("Skills"), style="Heading1")
        + para(run("[[Skills]]"))
        + marker("[[?Languages]]")
        + para(run("Languages"), style="Heading1")
        # Both markers in one paragraph: the text between them repeats inline.
        + para(run("[[#Languages]]"), run("[[Name]]", "<w:b/>"), run("   [[/Languages]]"))
        + marker("[[/Languages]]")
        + marker("[[?Certifications]]")
        + para(run("Certifications"), style="Heading1")
        + marker("[[#Certifications]]")
        + bullet(run("[[Name]]"), run("[[?Date]], [[Date]][[/Date]]", f'<w:color w:val="{GREY}"/>'))
        + marker("[[/Certifications]]")
        + marker("[[/Certifications]]"))


def sect():
    return ('<w:sectPr><w:headerReference w:type="default" r:id="rIdH1"/>'
            '<w:headerReference w:type="first" r:id="rIdH2"/>'
            '<w:footerReference w:type="default" r:id="rIdF1"/>'
            '<w:footerReference w:type="first" r:id="rIdF1"/>'
            '<w:pgSz w:w="11906" w:h="16838"/><w:pgMar w:top="1300" w:right="1134" w:bottom="1134" '
            'w:left="1134" w:header="500" w:footer="500" w:gutter="0"/><w:titlePg/></w:sectPr>')


def body(blind):
    if blind:
        top = (para(run("[[!Redact]]"))
               + para(run("Candidate [[FirstName]]"), style="Title")
               + para(run("[[CurrentTitle]]", "<w:i/>"), style="Subtitle"))
    else:
        top = (para(run("[[FullName]]"), style="Title")
               + para(run("[[CurrentTitle]]", "<w:i/>"), run(" — "), run("[[CurrentEmployer]]", "<w:i/>"),
                      style="Subtitle")
               + table(contact_rows(), [2200, 7400]))
    return (top + para(run("Profile"), style="Heading1") + para(run("[[Summary]]"))
            + experience() + education() + closing()
            + para(run("Presented by Brightline Recruitment. Please arrange interviews through your "
                       "Brightline consultant.", f'<w:color w:val="{GREY}"/><w:sz w:val="16"/>'),
                   ppr='<w:spacing w:before="160"/>')
            + sect())


def headers(blind):
    letterhead = (
        para(run("BRIGHTLINE RECRUITMENT", f'<w:b/><w:color w:val="{BLUE}"/><w:sz w:val="30"/>'),
             style="Header")
        + para(run("Suite 400, 200 Market Street, Springfield  ·  (217) 555-0100  ·  brightline.example",
                   f'<w:color w:val="{GREY}"/><w:sz w:val="16"/>'), style="Header",
               ppr=f'<w:pBdr><w:bottom w:val="single" w:sz="8" w:space="4" w:color="{BLUE}"/></w:pBdr>'))
    who = "Candidate [[FirstName]]" if blind else "[[FullName]]"
    running = para(run("Candidate profile: "), run(who, "<w:b/>"), style="Header")
    footer = para(run(f"{who}  ·  Confidential  ·  Page "), field("PAGE", "1"), run(" of "),
                  field("NUMPAGES", "2"), style="Footer", ppr='<w:jc w:val="center"/>')
    return [("rIdH1", "header", "header1.xml", running),
            ("rIdH2", "header", "header2.xml", letterhead),
            ("rIdF1", "footer", "footer1.xml", footer)]


def style(kind, sid, name, ppr="", rpr="", based="Normal"):
    base = f'<w:basedOn w:val="{based}"/>' if based else ""
    return (f'<w:style w:type="{kind}" w:styleId="{sid}"><w:name w:val="{name}"/>{base}'
            f'{"<w:pPr>" + ppr + "</w:pPr>" if ppr else ""}{"<w:rPr>" + rpr + "</w:rPr>" if rpr else ""}'
            f'</w:style>')


STYLES = XML + f'<w:styles {W}>' + (
    '<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii="Liberation Sans" w:hAnsi="Liberation Sans" '
    'w:cs="Liberation Sans"/><w:sz w:val="20"/><w:lang w:val="en-GB"/></w:rPr></w:rPrDefault>'
    '<w:pPrDefault><w:pPr><w:spacing w:after="80"/></w:pPr></w:pPrDefault></w:docDefaults>'
    '<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/></w:style>'
    + style("paragraph", "Title", "Title", '<w:spacing w:after="0"/>',
            f'<w:b/><w:color w:val="{NAVY}"/><w:sz w:val="44"/>')
    + style("paragraph", "Subtitle", "Subtitle", '<w:spacing w:after="200"/>',
            f'<w:color w:val="{BLUE}"/><w:sz w:val="24"/>')
    + style("paragraph", "Heading1", "heading 1",
            f'<w:keepNext/><w:pBdr><w:bottom w:val="single" w:sz="6" w:space="1" w:color="{BLUE}"/></w:pBdr>'
            '<w:spacing w:before="200" w:after="80"/><w:outlineLvl w:val="0"/>',
            f'<w:b/><w:caps/><w:color w:val="{BLUE}"/><w:sz w:val="24"/>')
    + style("paragraph", "Position", "Position",
            '<w:keepNext/><w:tabs><w:tab w:val="right" w:pos="9638"/></w:tabs><w:spacing w:before="160" w:after="0"/>',
            f'<w:color w:val="{NAVY}"/><w:sz w:val="22"/>')
    + style("paragraph", "Place", "Place", '<w:keepNext/><w:spacing w:after="60"/>', f'<w:color w:val="{GREY}"/>')
    + style("paragraph", "Bullet", "List Bullet", '<w:spacing w:after="40"/><w:ind w:left="360" w:hanging="240"/>')
    + style("paragraph", "Marker", "Block marker", '<w:spacing w:after="0"/>')
    + style("paragraph", "Header", "header")
    + style("paragraph", "Footer", "footer", rpr=f'<w:color w:val="{GREY}"/><w:sz w:val="16"/>')
    + '</w:styles>')

NUMBERING = XML + f'<w:numbering {W}>' + (
    '<w:abstractNum w:abstractNumId="0"><w:multiLevelType w:val="singleLevel"/>'
    '<w:lvl w:ilvl="0"><w:start w:val="1"/><w:numFmt w:val="bullet"/><w:lvlText w:val="•"/>'
    '<w:lvlJc w:val="left"/><w:pPr><w:ind w:left="360" w:hanging="240"/></w:pPr>'
    f'<w:rPr><w:color w:val="{BLUE}"/></w:rPr></w:lvl></w:abstractNum>'
    '<w:num w:numId="1"><w:abstractNumId w:val="0"/></w:num></w:numbering>')

CORE = XML + (
    '<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" '
    'xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms="http://purl.org/dc/terms/" '
    'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"><dc:title>Candidate profile</dc:title>'
    '<dc:creator>Brightline Recruitment</dc:creator>'
    '<dcterms:created xsi:type="dcterms:W3CDTF">2026-01-01T09:00:00Z</dcterms:created></cp:coreProperties>')


def package(path, body_xml, parts):
    types = [("/word/document.xml", f"{OFFICE}.wordprocessingml.document.main+xml"),
             ("/word/styles.xml", f"{OFFICE}.wordprocessingml.styles+xml"),
             ("/word/numbering.xml", f"{OFFICE}.wordprocessingml.numbering+xml"),
             ("/docProps/core.xml", "application/vnd.openxmlformats-package.core-properties+xml")]
    types += [(f"/word/{name}", f"{OFFICE}.wordprocessingml.{kind}+xml") for _, kind, name, _ in parts]
    ct = (XML + '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
          '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
          '<Default Extension="xml" ContentType="application/xml"/>'
          + "".join(f'<Override PartName="{n}" ContentType="{t}"/>' for n, t in types) + "</Types>")
    rels = [("rIdStyles", "styles", "styles.xml"), ("rIdNumbering", "numbering", "numbering.xml")]
    rels += [(rid, kind, name) for rid, kind, name, _ in parts]
    doc_rels = (XML + '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                + "".join(f'<Relationship Id="{i}" Type="{REL}/{t}" Target="{n}"/>' for i, t, n in rels)
                + "</Relationships>")
    root_rels = (XML + '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                 f'<Relationship Id="rId1" Type="{REL}/officeDocument" Target="word/document.xml"/>'
                 '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/package/2006/relationships/'
                 'metadata/core-properties" Target="docProps/core.xml"/></Relationships>')
    entries = [("[Content_Types].xml", ct), ("_rels/.rels", root_rels),
               ("word/document.xml", XML + f"<w:document {W}><w:body>{body_xml}</w:body></w:document>"),
               ("word/_rels/document.xml.rels", doc_rels), ("word/styles.xml", STYLES),
               ("word/numbering.xml", NUMBERING), ("docProps/core.xml", CORE)]
    for _, kind, name, xml in parts:
        tag = "hdr" if kind == "header" else "ftr"
        entries.append((f"word/{name}", XML + f"<w:{tag} {W}>{xml}</w:{tag}>"))
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in entries:
            z.writestr(zipfile.ZipInfo(name, FIXED_TIME), data.encode("utf-8"), zipfile.ZIP_DEFLATED)


if __name__ == "__main__":
    package(os.path.join(REPO, "examples", "template.docx"), body(False), headers(False))
    package(os.path.join(REPO, "examples", "blind-template.docx"), body(True), headers(True))
