// Test helpers: small .docx packages written from OOXML fragments, raw zips for hostile
// cases, and an engine application with a document opened from bytes.
#pragma once

#include "WordEngine.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QTemporaryDir>
#include <utility>
#include <vector>

namespace zorv::wordengine::test {

using Entries = std::vector<std::pair<QByteArray, QByteArray>>;

// A zip of the entries in order (deflated, or stored when `store`).
QByteArray MakeZip(const Entries& entries, bool store = false);

// The WordprocessingML namespace declarations for a root element.
QByteArray WNs();

struct DocxContent {
    QByteArray body; // children of w:body, the final w:sectPr excluded
    // Headers and footers: part name (under word/) and w:hdr / w:ftr children.
    std::vector<std::pair<QByteArray, QByteArray>> headers, footers;
    // sectPr children per section (a part is referenced as r:id="R<part name>").
    std::vector<QByteArray> sections = {QByteArray()};
};

// A complete package; a section's children may name a part as r:id="Rheader1.xml".
QByteArray MakeDocx(const DocxContent& layout);

// A paragraph with one plain run of text.
QByteArray P(const QByteArray& text);

// The inflated bytes of one entry of a zip, or empty.
QByteArray ZipEntry(const QByteArray& zip, const QByteArray& name);

// The entry names of a zip, in archive order; empty when it does not open.
QByteArrayList ZipNames(const QByteArray& zip);

// A temporary folder holding files written for a test.
class Scratch {
public:
    QString Write(const QString& name, const QByteArray& bytes);
    QString Path(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

} // namespace zorv::wordengine::test
