// One opened .docx: its package, the parsed parts the engine reads or edits, the stories
// (main text, headers, footers) with the sections that use them, and the custom document
// properties. Knows nothing of the automation objects built on it.
#pragma once

#include "EditableDocument.h"
#include "Package.h"
#include "SafeXml.h"
#include "Story.h"
#include "TokenTree.h"

#include <QString>
#include <QStringList>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace zorv::wordengine {

class DocxDocument final : public EditableDocument {
public:
    // Reads and checks the file; throws ZorvError with the engine's open errors.
    static std::unique_ptr<DocxDocument> Load(const QString& path);
    // The same checks and parsing for bytes already read from `path`.
    static std::unique_ptr<DocxDocument> FromBytes(const QString& path, QByteArray bytes);

    const QString& Path() const override { return path_; }
    Story& MainStory() override { return *main_->story; }
    int SectionCount() const override { return int(sections_.size()); }
    // The story of header (footer) kind 1..3 of section 1..n, following link-to-previous;
    // an empty story when no section up to this one defines that kind.
    Story& HeaderFooterStory(int section, bool footer, int kind) override;

    // Custom document properties; names compare case-insensitively.
    std::optional<QString> CustomProperty(const QString& name) override;
    bool DeleteCustomProperty(const QString& name) override;
    // Adds a string property; false when the name is already there.
    bool AddCustomProperty(const QString& name, const QString& value) override;

    // Expands the template blocks and fills the markers of every story (TemplateBlocks.h).
    void FillTemplate(const TokenRecord& values) override;
    // Whether a story holds an opening block marker or [[!Redact]] (*redact: the latter).
    bool UsesTemplateBlocks(bool* redact) override;

    // The package as it would be saved now.
    QByteArray Serialize() override;
    // Writes the package to its own path atomically, keeping the file's permissions.
    void Save() override;

private:
    struct XmlPart {
        QString name;
        XmlDocPtr doc;
        std::unique_ptr<Story> story;
        bool dirty = false; // changed outside a story
    };
    struct SectionRefs {
        std::array<XmlPart*, 3> headers{};
        std::array<XmlPart*, 3> footers{};
    };

    DocxDocument() = default;
    XmlPart* LoadPart(const QString& name, bool withStory);
    XmlPart& PackageXml(const QString& name, const QByteArray& emptyContent);
    void LoadSections(const QString& mainName);
    _xmlNode* CustomPropsRoot(bool create);
    XmlPart* CommentsPart();

    QString path_;
    Package package_;
    std::vector<std::unique_ptr<XmlPart>> parts_;
    XmlPart* main_ = nullptr;
    std::vector<SectionRefs> sections_;
    std::unique_ptr<Story> empty_;
    XmlPart* custom_ = nullptr;
    bool customLoaded_ = false;
};

} // namespace zorv::wordengine
