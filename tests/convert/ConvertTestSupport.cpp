// Zip and .docx builders and conversion shortcuts for the converter tests.
#include "ConvertTestSupport.h"

#include "ConvertBytes.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <memory>
#include <zip.h>

namespace zorv::test {

QByteArray MakeZip(const std::vector<std::pair<QString, QByteArray>>& entries) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("package.zip"));
    int err = 0;
    zip_t* archive = zip_open(path.toUtf8().constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!archive)
        return {};
    std::vector<QByteArray> keep; // libzip reads the buffers when the archive is closed
    keep.reserve(entries.size());
    for (const auto& [name, content] : entries) {
        keep.push_back(content);
        zip_source_t* src = zip_source_buffer(archive, keep.back().constData(),
                                              static_cast<zip_uint64_t>(keep.back().size()), 0);
        if (zip_file_add(archive, name.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8) < 0)
            zip_source_free(src);
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        return {};
    }
    return ReadFile(path);
}

QByteArray MakeDocx(const QByteArray& bodyXml,
                    const std::vector<std::pair<QString, QByteArray>>& extraParts) {
    std::vector<std::pair<QString, QByteArray>> parts{
        {QStringLiteral("[Content_Types].xml"),
         "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
         "content-types\"/>"},
        {QStringLiteral("_rels/.rels"),
         "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/"
         "package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"http://"
         "schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
         "Target=\"word/document.xml\"/></Relationships>"},
        {QStringLiteral("word/document.xml"),
         "<?xml version=\"1.0\"?><w:document xmlns:w=\"http://schemas.openxmlformats.org/"
         "wordprocessingml/2006/main\" xmlns:mc=\"http://schemas.openxmlformats.org/"
         "markup-compatibility/2006\" xmlns:r=\"http://schemas.openxmlformats.org/"
         "officeDocument/2006/relationships\"><w:body>" +
             bodyXml + "</w:body></w:document>"}};
    for (const auto& part : extraParts)
        parts.push_back(part);
    return MakeZip(parts);
}

QByteArray Fixture(const QString& name) {
    return ReadFile(DataPath(QStringLiteral("convert/") + name));
}

rp::ActionResult ConvertBytes(const QByteArray& bytes, const QString& extension) {
    return rp::convert::ConvertResumeBytes(bytes, extension);
}

rp::ActionResult ConvertAsFile(const QByteArray& bytes, const QString& name) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(name);
    WriteFile(path, bytes);
    rp::ParserSettings settings;
    settings.ResumeFileName = path;
    return rp::ConvertResume(settings);
}

} // namespace zorv::test
