// Opening fixture packages with a fresh engine application for a test.
#pragma once

#include "DocxFixture.h"

#include <memory>

namespace zorv::wordengine::test {

struct OpenDoc {
    Scratch scratch;
    QString path;
    std::shared_ptr<word::Application> app = NewEngineApplication();
    std::shared_ptr<word::Document> doc;
};

inline std::unique_ptr<OpenDoc> OpenBytes(const QByteArray& bytes,
                                          const QString& name = QStringLiteral("t.docx")) {
    auto o = std::make_unique<OpenDoc>();
    o->path = o->scratch.Write(name, bytes);
    o->doc = o->app->Documents()->Open(o->path, false, false);
    return o;
}

inline std::unique_ptr<OpenDoc> OpenBody(const QByteArray& body) {
    DocxContent layout;
    layout.body = body;
    return OpenBytes(MakeDocx(layout));
}

// One replace-all over the range, as token replacement issues it.
inline bool ReplaceAll(word::Range& range, const QString& find, const QString& with,
                       bool matchCase = true, bool wholeWord = true) {
    auto f = range.Find();
    f->ClearFormatting();
    f->SetText(find);
    f->Replacement()->ClearFormatting();
    f->Replacement()->SetText(with);
    return f->Execute(matchCase, wholeWord, word::wdReplaceAll);
}

// The saved main part of the document.
inline QByteArray SavedPart(word::Document& doc, const QByteArray& part = "word/document.xml") {
    return ZipEntry(PackageBytes(doc), part);
}

} // namespace zorv::wordengine::test
