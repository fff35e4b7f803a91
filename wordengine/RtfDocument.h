// One opened Rich Text (.rtf) document, edited in place: its stories (main text, and every
// header and footer kind of every section), its custom properties (\userprops) and the
// font and colour tables that formatting needs. Saving writes the original bytes with only
// the edits spliced in.
#pragma once

#include "EditableDocument.h"
#include "RtfStory.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <memory>
#include <vector>

namespace zorv::wordengine {

class RtfDocument final : public EditableDocument, public RtfFormatter {
public:
    // Whether the file at `path` starts with "{\rtf", whatever its name.
    static bool IsRtfFile(const QString& path);
    // Reads and parses the file; throws ZorvError: EngFileNotFound, EngUnsafePackage (too
    // large, nested too deep), EngNotAPackage (truncated or damaged).
    static std::unique_ptr<RtfDocument> Load(const QString& path);
    static std::unique_ptr<RtfDocument> FromBytes(const QString& path, QByteArray bytes);

    const QString& Path() const override { return path_; }
    RtfStory& MainStory() override { return *stories_.front(); }
    int SectionCount() const override { return int(sections_.size()); }
    RtfStory& HeaderFooterStory(int section, bool footer, int kind) override;
    std::optional<QString> CustomProperty(const QString& name) override;
    bool DeleteCustomProperty(const QString& name) override;
    bool AddCustomProperty(const QString& name, const QString& value) override;
    bool UsesTemplateBlocks(bool* redact) override;
    void FillTemplate(const TokenRecord& values) override;
    QByteArray Serialize() override;
    void Save() override;

    // What the reader finds (see RtfReader.cpp).
    struct Property {
        QString name, value;
        qsizetype begin = -1, end = -1; // its bytes in the file; -1 when added
        bool removed = false;
    };
    struct Font {
        int number;
        QString name;
    };
    struct Color {
        int red = -1, green = -1, blue = -1; // -1: the automatic colour
    };
    // Stories: [0] the main text; headers and footers by section: index into stories_, or -1.
    using SectionStories = std::array<int, 6>; // headers kinds 1..3, then footers 1..3

    QByteArray FormatWords(const FontChange& change) override;

private:
    friend class RtfReader;
    RtfDocument(QString path, QByteArray bytes);
    void Read();
    // Reads `bytes` as the document's new content; edits made so far are in them or lost.
    void Reload(QByteArray bytes);
    int FontNumber(const QString& name);
    int ColorNumber(int red, int green, int blue);
    // A new entry at the end of a table that closes at `close`, or in the table made by an
    // earlier entry (`made`), or in a new table after the file's header.
    void AddTableEntry(qsizetype close, int& made, const QByteArray& opening,
                       const QByteArray& entry);
    Property* FindProperty(const QString& name);

    QString path_;
    QByteArray source_;
    std::vector<std::unique_ptr<RtfStory>> stories_;
    std::vector<SectionStories> sections_;
    std::unique_ptr<RtfStory> empty_;
    std::vector<Property> props_;
    std::vector<Font> fonts_;
    std::vector<Color> colors_;
    std::vector<RtfSplice> inserts_; // font and colour table entries added
    qsizetype fontTableClose_ = -1, colorTableClose_ = -1, propsClose_ = -1;
    int madeFontTable_ = -1, madeColorTable_ = -1; // index in inserts_ of a table we made
    qsizetype headerEnd_ = 0;                      // after the file's header: where new tables go
};

} // namespace zorv::wordengine
