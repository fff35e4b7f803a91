// Loading, section resolution, custom properties and saving of a .docx.
#include "DocxDocument.h"

#include "AtomicSave.h"
#include "CloneIds.h"
#include "FileSignature.h"
#include "PackageParts.h"
#include "RunXml.h"
#include "TemplateBlocks.h"
#include "WordEngine.h"
#include "ZorvError.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <libxml/tree.h>

namespace zorv::wordengine {
namespace {

constexpr qint64 kMaxFileSize = 256LL * 1024 * 1024;
const char kRelNs[] = "http://schemas.openxmlformats.org/package/2006/relationships";
const char kCustomNs[] = "http://schemas.openxmlformats.org/officeDocument/2006/custom-properties";
const char kVtNs[] = "http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes";
const char kCustomRelType[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/custom-properties";
const char kCustomContentType[] =
    "application/vnd.openxmlformats-officedocument.custom-properties+xml";
const char kPropFmtId[] = "{D5CDD505-2E9C-101B-9397-08002B2CF9AE}";

const xmlChar* X(const char* s) {
    return reinterpret_cast<const xmlChar*>(s);
}

using input::Relationship;
using input::RelsNameOf;

// The relationships of `sourcePart` ("" for the package's own), targets resolved.
std::vector<Relationship> ReadRels(const Package& pkg, const QString& sourcePart) {
    const QString relsName = RelsNameOf(sourcePart);
    const QByteArray* bytes = pkg.Part(relsName);
    if (!bytes)
        return {};
    return input::ReadRelationships(ParseXmlPart(*bytes, relsName).get(), sourcePart);
}

QString ElementText(const xmlNode* n) {
    QString s;
    for (const xmlNode* c = n->children; c; c = c->next) {
        if ((c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) && c->content)
            s += QString::fromUtf8(reinterpret_cast<const char*>(c->content));
        else if (c->type == XML_ELEMENT_NODE)
            s += ElementText(c);
    }
    return s;
}

void CheckFormat(const QString& path, const QByteArray& head) {
    const QString ext = QFileInfo(path).suffix().toLower();
    const input::Signature signature = input::SniffSignature(head);
    const bool compound =
        signature == input::Signature::Ole || signature == input::Signature::EncryptedOle;
    // Documents.Open converts these first; their bytes never reach the package reader.
    if (signature == input::Signature::Rtf || (compound && (ext == u"doc" || ext == u"dot")))
        throw ZorvError(EngUnsupportedFormat,
                        QStringLiteral("The file %1 is a Word 97-2003 (.doc) or Rich Text "
                                       "(.rtf) document, which is read only through its "
                                       "conversion to a Word document (.docx).")
                            .arg(path));
    if (compound)
        throw ZorvError(EngProtected,
                        QStringLiteral("The file %1 is protected or unsupported: it is an "
                                       "encrypted or password-protected Office file, not a plain "
                                       "Word document (.docx).")
                            .arg(path));
}

} // namespace

std::unique_ptr<DocxDocument> DocxDocument::Load(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw ZorvError(EngFileNotFound,
                        QStringLiteral("The file %1 could not be found or read.").arg(path));
    if (file.size() > kMaxFileSize)
        throw ZorvError(EngUnsafePackage,
                        QStringLiteral("The file %1 is too large for a Word document.").arg(path));
    QByteArray bytes = file.readAll();
    file.close();
    return FromBytes(path, std::move(bytes));
}

std::unique_ptr<DocxDocument> DocxDocument::FromBytes(const QString& path, QByteArray bytes) {
    CheckFormat(path, bytes.left(8));

    std::unique_ptr<DocxDocument> d(new DocxDocument);
    d->path_ = path;
    d->package_ = Package::FromBytes(std::move(bytes), path);
    if (!d->package_.Part(QStringLiteral("[Content_Types].xml")))
        throw ZorvError(EngNotAPackage, QStringLiteral("The file %1 is not a Word document (.docx) "
                                                       "or it is damaged: it has no content "
                                                       "types.")
                                            .arg(path));
    QString mainName;
    for (const Relationship& r : ReadRels(d->package_, QString()))
        if (!r.external && r.type.endsWith(QStringLiteral("/officeDocument")))
            mainName = r.target;
    if (mainName.isEmpty() || !d->package_.Part(mainName))
        mainName = QStringLiteral("word/document.xml");
    if (!d->package_.Part(mainName))
        throw ZorvError(EngNotAPackage, QStringLiteral("The file %1 is not a Word document (.docx) "
                                                       "or it is damaged: it has no "
                                                       "word/document.xml.")
                                            .arg(path));
    d->main_ = d->LoadPart(mainName, false);
    xmlNode* root = xmlDocGetRootElement(d->main_->doc.get());
    xmlNode* body = IsW(root) && Is(root, "document") ? Child(root, "body") : nullptr;
    if (!body)
        throw ZorvError(EngNotAPackage, QStringLiteral("The file %1 is not a Word document (.docx) "
                                                       "or it is damaged: its main part has no "
                                                       "body.")
                                            .arg(path));
    d->main_->story = std::make_unique<Story>(d->main_->doc.get(), body);
    d->LoadSections(mainName);
    d->CustomPropsRoot(false); // a damaged property part fails the open, not a later call
    d->empty_ = std::make_unique<Story>(nullptr, nullptr);
    return d;
}

DocxDocument::XmlPart* DocxDocument::LoadPart(const QString& name, bool withStory) {
    for (auto& p : parts_)
        if (p->name.compare(name, Qt::CaseInsensitive) == 0)
            return p.get();
    const QByteArray* bytes = package_.Part(name);
    if (!bytes)
        return nullptr;
    auto part = std::make_unique<XmlPart>();
    part->name = name;
    part->doc = ParseXmlPart(*bytes, name);
    if (withStory) {
        xmlNode* root = xmlDocGetRootElement(part->doc.get());
        if (!IsW(root) || !(Is(root, "hdr") || Is(root, "ftr")))
            throw ZorvError(EngNotAPackage,
                            QStringLiteral("The file %1 is damaged: the part %2 is not a header "
                                           "or footer.")
                                .arg(path_, name));
        part->story = std::make_unique<Story>(part->doc.get(), root);
    }
    parts_.push_back(std::move(part));
    return parts_.back().get();
}

void DocxDocument::LoadSections(const QString& mainName) {
    std::map<QString, QString> targets; // relationship id -> part name
    for (const Relationship& r : ReadRels(package_, mainName))
        if (!r.external && (r.type.endsWith(QStringLiteral("/header")) ||
                            r.type.endsWith(QStringLiteral("/footer"))))
            targets[r.id] = r.target;

    std::vector<xmlNode*> sectPrs;
    xmlNode* body = Child(xmlDocGetRootElement(main_->doc.get()), "body");
    for (xmlNode* n = body->children; n; n = n->next) {
        if (!IsW(n))
            continue;
        if (Is(n, "p")) {
            if (xmlNode* pPr = Child(n, "pPr"))
                if (xmlNode* s = Child(pPr, "sectPr"))
                    sectPrs.push_back(s);
        } else if (Is(n, "sectPr")) {
            sectPrs.push_back(n);
        }
    }
    if (sectPrs.empty())
        sectPrs.push_back(nullptr); // Word always has one section
    for (xmlNode* s : sectPrs) {
        SectionRefs refs;
        for (xmlNode* c = s ? s->children : nullptr; c; c = c->next) {
            if (!IsW(c))
                continue;
            const bool header = Is(c, "headerReference");
            if (!header && !Is(c, "footerReference"))
                continue;
            const QByteArray type = Attr(c, "type");
            const int kind = type == "first" ? 1 : type == "even" ? 2 : 0;
            auto t = targets.find(QString::fromUtf8(Attr(c, "id")));
            if (t == targets.end() || t->second.isEmpty())
                continue;
            XmlPart* part = LoadPart(t->second, true);
            if (!part)
                continue;
            (header ? refs.headers : refs.footers)[size_t(kind)] = part;
        }
        sections_.push_back(refs);
    }
}

Story& DocxDocument::HeaderFooterStory(int section, bool footer, int kind) {
    for (int s = section - 1; s >= 0; --s) {
        const SectionRefs& refs = sections_[size_t(s)];
        if (XmlPart* p = (footer ? refs.footers : refs.headers)[size_t(kind - 1)])
            return *p->story;
    }
    return *empty_;
}

DocxDocument::XmlPart& DocxDocument::PackageXml(const QString& name,
                                                const QByteArray& emptyContent) {
    if (XmlPart* p = LoadPart(name, false))
        return *p;
    auto part = std::make_unique<XmlPart>();
    part->name = name;
    part->doc = ParseXmlPart(emptyContent, name);
    part->dirty = true;
    parts_.push_back(std::move(part));
    return *parts_.back();
}

_xmlNode* DocxDocument::CustomPropsRoot(bool create) {
    if (!customLoaded_) {
        customLoaded_ = true;
        for (const Relationship& r : ReadRels(package_, QString()))
            if (!r.external && r.type == QLatin1String(kCustomRelType)) {
                const QString& name = r.target;
                if (!name.isEmpty() && package_.Part(name))
                    custom_ = LoadPart(name, false);
            }
    }
    if (custom_ || !create)
        return custom_ ? xmlDocGetRootElement(custom_->doc.get()) : nullptr;

    // A package without custom properties gets the part, its content type and its
    // relationship.
    const QString name = QStringLiteral("docProps/custom.xml");
    custom_ = &PackageXml(name, QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\" "
                                           "standalone=\"yes\"?>\n<Properties xmlns=\"") +
                                    kCustomNs + "\" xmlns:vt=\"" + kVtNs + "\"/>");
    custom_->dirty = true;

    XmlPart& types = PackageXml(QStringLiteral("[Content_Types].xml"), {});
    xmlNode* troot = xmlDocGetRootElement(types.doc.get());
    bool typed = false;
    for (xmlNode* n = troot->children; n; n = n->next)
        if (LocalIs(n, "Override") && PlainAttr(n, "PartName").toLower() == "/docprops/custom.xml")
            typed = true;
    if (!typed) {
        xmlNode* ov = xmlNewChild(troot, troot->ns, X("Override"), nullptr);
        xmlSetProp(ov, X("PartName"), X("/docProps/custom.xml"));
        xmlSetProp(ov, X("ContentType"), X(kCustomContentType));
        types.dirty = true;
    }

    XmlPart& rels = PackageXml(QStringLiteral("_rels/.rels"),
                               QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\" "
                                          "standalone=\"yes\"?>\n<Relationships xmlns=\"") +
                                   kRelNs + "\"/>");
    xmlNode* rroot = xmlDocGetRootElement(rels.doc.get());
    QStringList ids;
    for (xmlNode* n = rroot->children; n; n = n->next)
        if (LocalIs(n, "Relationship"))
            ids << QString::fromUtf8(PlainAttr(n, "Id"));
    int k = 1;
    while (ids.contains(QStringLiteral("rId%1").arg(k)))
        ++k;
    xmlNode* rel = xmlNewChild(rroot, rroot->ns, X("Relationship"), nullptr);
    xmlSetProp(rel, X("Id"), X(QStringLiteral("rId%1").arg(k).toUtf8().constData()));
    xmlSetProp(rel, X("Type"), X(kCustomRelType));
    xmlSetProp(rel, X("Target"), X("docProps/custom.xml"));
    rels.dirty = true;
    return xmlDocGetRootElement(custom_->doc.get());
}

namespace {
xmlNode* FindProperty(xmlNode* root, const QString& name) {
    for (xmlNode* n = root ? root->children : nullptr; n; n = n->next)
        if (LocalIs(n, "property") &&
            QString::fromUtf8(PlainAttr(n, "name")).compare(name, Qt::CaseInsensitive) == 0)
            return n;
    return nullptr;
}
} // namespace

std::optional<QString> DocxDocument::CustomProperty(const QString& name) {
    xmlNode* prop = FindProperty(CustomPropsRoot(false), name);
    if (!prop)
        return std::nullopt;
    for (xmlNode* c = prop->children; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE)
            return ElementText(c);
    return QString();
}

bool DocxDocument::DeleteCustomProperty(const QString& name) {
    xmlNode* prop = FindProperty(CustomPropsRoot(false), name);
    if (!prop)
        return false;
    xmlUnlinkNode(prop);
    xmlFreeNode(prop);
    custom_->dirty = true;
    return true;
}

bool DocxDocument::AddCustomProperty(const QString& name, const QString& value) {
    xmlNode* root = CustomPropsRoot(true);
    if (FindProperty(root, name))
        return false;
    int pid = 1;
    for (xmlNode* n = root->children; n; n = n->next)
        if (LocalIs(n, "property"))
            pid = std::max(pid, PlainAttr(n, "pid").toInt());
    xmlNode* prop = xmlNewChild(root, root->ns, X("property"), nullptr);
    xmlSetProp(prop, X("fmtid"), X(kPropFmtId));
    xmlSetProp(prop, X("pid"), X(QByteArray::number(pid + 1).constData()));
    xmlSetProp(prop, X("name"), X(XmlSafeText(name).toUtf8().constData()));
    xmlNs* vt = xmlSearchNsByHref(root->doc, root, X(kVtNs));
    if (!vt)
        vt = xmlNewNs(root, X(kVtNs), X("vt"));
    xmlNode* v = xmlNewChild(prop, vt, X("lpwstr"), nullptr);
    SetElementText(v, value);
    custom_->dirty = true;
    return true;
}

DocxDocument::XmlPart* DocxDocument::CommentsPart() {
    for (const Relationship& r : ReadRels(package_, main_->name))
        if (!r.external && r.type.endsWith(QStringLiteral("/comments")) && !r.target.isEmpty() &&
            package_.Part(r.target))
            return LoadPart(r.target, false);
    return nullptr;
}

bool DocxDocument::UsesTemplateBlocks(bool* redact) {
    static const QRegularExpression opening(QStringLiteral(R"(\[\[[#?][^\[\]]+\]\])"));
    bool blocks = false, asked = false;
    for (auto& part : parts_)
        if (part->story) {
            const QString text = part->story->Text();
            blocks = blocks || text.contains(opening);
            asked = asked || text.contains(QStringLiteral("[[!Redact]]"));
        }
    if (redact)
        *redact = asked;
    return blocks || asked;
}

void DocxDocument::FillTemplate(const TokenRecord& values) {
    XmlPart* comments = CommentsPart();
    CloneIds ids(comments ? xmlDocGetRootElement(comments->doc.get()) : nullptr);
    std::vector<XmlPart*> stories;
    for (auto& part : parts_)
        if (part->story) {
            stories.push_back(part.get());
            ids.Scan(xmlDocGetRootElement(part->doc.get()));
        }
    if (comments)
        ids.Scan(xmlDocGetRootElement(comments->doc.get()));
    const QSet<QString> names = TemplateNames(values);
    for (XmlPart* part : stories) {
        xmlNode* root = xmlDocGetRootElement(part->doc.get());
        xmlNode* container = part == main_ ? Child(root, "body") : root;
        FillTemplateStory(*part->story, container, values, names, ids);
    }
    if (comments && ids.CommentsChanged())
        comments->dirty = true;
}

QByteArray DocxDocument::Serialize() {
    for (auto& part : parts_) {
        const bool storyChanged = part->story && part->story->Sync();
        if (storyChanged || part->dirty) {
            package_.SetPart(part->name, SerializeXml(part->doc.get()));
            part->dirty = false;
        }
    }
    return package_.Serialize();
}

void DocxDocument::Save() {
    QByteArray bytes = Serialize();
    SaveFileAtomically(path_, bytes);
    package_.Rebase(std::move(bytes));
}

} // namespace zorv::wordengine
