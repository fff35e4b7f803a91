// Builds test packages with libzip.
#include "DocxFixture.h"

#include "TestSupport.h"

#include <memory>
#include <zip.h>

namespace zorv::wordengine::test {
namespace {
struct ZipDiscard {
    void operator()(zip_t* z) const { zip_discard(z); }
};
struct ZipFileClose {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
using ZipReader = std::unique_ptr<zip_t, ZipDiscard>;

// The archive opened read-only from memory, or null.
ZipReader OpenZip(const QByteArray& zipBytes) {
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src =
        zip_source_buffer_create(zipBytes.constData(), zip_uint64_t(zipBytes.size()), 0, &err);
    ZipReader za(zip_open_from_source(src, ZIP_RDONLY, &err));
    zip_error_fini(&err);
    if (!za)
        zip_source_free(src);
    return za;
}
} // namespace

QByteArray MakeZip(const Entries& entries, bool store) {
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, &err);
    zip_t* za = zip_open_from_source(src, ZIP_TRUNCATE, &err);
    zip_source_keep(src);
    for (const auto& [name, data] : entries) {
        zip_source_t* s = zip_source_buffer(za, data.constData(), zip_uint64_t(data.size()), 0);
        const zip_int64_t i = zip_file_add(za, name.constData(), s, ZIP_FL_ENC_UTF_8);
        if (store)
            zip_set_file_compression(za, zip_uint64_t(i), ZIP_CM_STORE, 0);
    }
    zip_close(za);
    zip_source_open(src);
    QByteArray out;
    char buf[65536];
    zip_int64_t n;
    while ((n = zip_source_read(src, buf, sizeof buf)) > 0)
        out.append(buf, qsizetype(n));
    zip_source_close(src);
    zip_source_free(src);
    zip_error_fini(&err);
    return out;
}

QByteArray WNs() {
    return "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
}

QByteArray P(const QByteArray& text) {
    return "<w:p><w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r></w:p>";
}

QByteArray MakeDocx(const DocxContent& layout) {
    const QByteArray decl = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    QByteArray types = decl + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                              "content-types\"><Default Extension=\"rels\" "
                              "ContentType=\"application/"
                              "vnd.openxmlformats-package.relationships+xml\"/><Default "
                              "Extension=\"xml\" ContentType=\"application/xml\"/><Override "
                              "PartName=\"/word/document.xml\" "
                              "ContentType=\"application/"
                              "vnd.openxmlformats-officedocument.wordprocessingml.document.main+"
                              "xml\"/>";
    QByteArray docRels = decl + "<Relationships "
                                "xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                                "relationships\">";
    Entries parts;
    auto addStory = [&](const QByteArray& name, const QByteArray& kids, bool footer) {
        const QByteArray kind = footer ? "footer" : "header";
        types += "<Override PartName=\"/word/" + name +
                 "\" ContentType=\"application/"
                 "vnd.openxmlformats-officedocument.wordprocessingml." +
                 kind + "+xml\"/>";
        docRels += "<Relationship Id=\"R" + name +
                   "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                   "relationships/" +
                   kind + "\" Target=\"" + name + "\"/>";
        parts.push_back({"word/" + name, decl + "<w:" + (footer ? "ftr " : "hdr ") + WNs() + ">" +
                                             kids + "</w:" + (footer ? "ftr" : "hdr") + ">"});
    };
    for (const auto& [n, k] : layout.headers)
        addStory(n, k, false);
    for (const auto& [n, k] : layout.footers)
        addStory(n, k, true);
    types += "</Types>";
    docRels += "</Relationships>";
    QByteArray body;
    for (size_t i = 0; i + 1 < layout.sections.size(); ++i)
        body += "<w:p><w:pPr><w:sectPr>" + layout.sections[i] + "</w:sectPr></w:pPr></w:p>";
    QByteArray document = decl + "<w:document " + WNs() + "><w:body>" + layout.body + body +
                          "<w:sectPr>" + layout.sections.back() +
                          "</w:sectPr></w:body></w:document>";
    Entries all = {
        {"[Content_Types].xml", types},
        {"_rels/.rels",
         decl + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                "relationships\"><Relationship Id=\"rId1\" "
                "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                "officeDocument\" Target=\"word/document.xml\"/></Relationships>"},
        {"word/document.xml", document},
        {"word/_rels/document.xml.rels", docRels}};
    all.insert(all.end(), parts.begin(), parts.end());
    return MakeZip(all);
}

QByteArray ZipEntry(const QByteArray& zipBytes, const QByteArray& name) {
    const ZipReader za = OpenZip(zipBytes);
    if (!za)
        return {};
    std::unique_ptr<zip_file_t, ZipFileClose> f(zip_fopen(za.get(), name.constData(), 0));
    if (!f)
        return {};
    QByteArray out;
    char buf[65536];
    zip_int64_t n;
    while ((n = zip_fread(f.get(), buf, sizeof buf)) > 0)
        out.append(buf, qsizetype(n));
    return out;
}

QByteArrayList ZipNames(const QByteArray& zipBytes) {
    const ZipReader za = OpenZip(zipBytes);
    QByteArrayList names;
    if (!za)
        return names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(za.get(), 0); ++i)
        names << zip_get_name(za.get(), zip_uint64_t(i), 0);
    return names;
}

QString Scratch::Write(const QString& name, const QByteArray& bytes) {
    const QString path = dir_.filePath(name);
    zorv::test::WriteFile(path, bytes);
    return path;
}

} // namespace zorv::wordengine::test
