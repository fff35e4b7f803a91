// Opening, custom properties, font and colour tables, and saving of a Rich Text document.
#include "RtfDocument.h"

#include "AtomicSave.h"
#include "RtfBlocks.h"
#include "TemplateBlocks.h"
#include "WordEngine.h"
#include "ZorvError.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace zorv::wordengine {
namespace {

// A template this large is no template; reading it would only cost memory.
constexpr qint64 kMaxRtfSize = 64LL * 1024 * 1024;
constexpr int kStringProperty = 30; // \proptype of a text value

// Word's colour indexes 1..16 (wdBlack ... wdGray25) as red, green, blue.
constexpr int kColorRgb[17][3] = {
    {0, 0, 0},     {0, 0, 0},     {0, 0, 255},     {0, 255, 255},   {0, 255, 0},    {255, 0, 255},
    {255, 0, 0},   {255, 255, 0}, {255, 255, 255}, {0, 0, 128},     {0, 128, 128},  {0, 128, 0},
    {128, 0, 128}, {128, 0, 0},   {128, 128, 0},   {128, 128, 128}, {192, 192, 192}};

QByteArray Spliced(const QByteArray& source, std::vector<RtfSplice> splices) {
    std::stable_sort(splices.begin(), splices.end(),
                     [](const RtfSplice& a, const RtfSplice& b) { return a.begin < b.begin; });
    QByteArray out;
    out.reserve(source.size() + 1024);
    qsizetype pos = 0;
    for (const RtfSplice& s : splices) {
        out.append(source.constData() + pos, s.begin - pos);
        out.append(s.bytes);
        pos = s.end;
    }
    out.append(source.constData() + pos, source.size() - pos);
    return out;
}

} // namespace

RtfDocument::RtfDocument(QString path, QByteArray bytes)
    : path_(std::move(path)), source_(std::move(bytes)),
      empty_(std::make_unique<RtfStory>(&source_, this)) {}

bool RtfDocument::IsRtfFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(5) == "{\\rtf";
}

std::unique_ptr<RtfDocument> RtfDocument::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ZorvError(EngFileNotFound,
                        QStringLiteral("The file %1 could not be found or read.").arg(path));
    if (file.size() > kMaxRtfSize)
        throw ZorvError(EngUnsafePackage,
                        QStringLiteral("The Rich Text document %1 is too large for a template "
                                       "(%2 MB; at most %3 MB).")
                            .arg(path)
                            .arg(file.size() / (1024 * 1024))
                            .arg(kMaxRtfSize / (1024 * 1024)));
    QByteArray bytes = file.readAll();
    if (bytes.size() != file.size())
        throw ZorvError(
            EngFileNotFound,
            QStringLiteral("The file %1 could not be read: %2.").arg(path, file.errorString()));
    return FromBytes(path, std::move(bytes));
}

RtfStory& RtfDocument::HeaderFooterStory(int section, bool footer, int kind) {
    const size_t slot = size_t((footer ? 3 : 0) + kind - 1);
    for (int s = std::min(section, SectionCount()) - 1; s >= 0; --s)
        if (const int story = sections_[size_t(s)][slot]; story >= 0)
            return *stories_[size_t(story)];
    return *empty_;
}

// --- Custom properties ---------------------------------------------------------------

RtfDocument::Property* RtfDocument::FindProperty(const QString& name) {
    for (Property& p : props_)
        if (!p.removed && p.name.compare(name, Qt::CaseInsensitive) == 0)
            return &p;
    return nullptr;
}

std::optional<QString> RtfDocument::CustomProperty(const QString& name) {
    if (const Property* p = FindProperty(name))
        return p->value;
    return std::nullopt;
}

bool RtfDocument::DeleteCustomProperty(const QString& name) {
    Property* p = FindProperty(name);
    if (!p)
        return false;
    p->removed = true;
    return true;
}

bool RtfDocument::AddCustomProperty(const QString& name, const QString& value) {
    if (FindProperty(name))
        return false;
    props_.push_back({name, value});
    return true;
}

// --- Formatting ----------------------------------------------------------------------

int RtfDocument::FontNumber(const QString& name) {
    int next = 0;
    for (const Font& f : fonts_) {
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return f.number;
        next = std::max(next, f.number + 1);
    }
    fonts_.push_back({next, name});
    const QByteArray entry =
        "{\\f" + QByteArray::number(next) + "\\fnil " + RtfTextBytes(name) + ";}";
    AddTableEntry(fontTableClose_, madeFontTable_, "{\\fonttbl", entry);
    return next;
}

int RtfDocument::ColorNumber(int red, int green, int blue) {
    for (size_t i = 0; i < colors_.size(); ++i)
        if (colors_[i].red == red && colors_[i].green == green && colors_[i].blue == blue)
            return int(i);
    const QByteArray entry = "\\red" + QByteArray::number(red) + "\\green" +
                             QByteArray::number(green) + "\\blue" + QByteArray::number(blue) + ";";
    if (colorTableClose_ < 0 && madeColorTable_ < 0)
        colors_.push_back({}); // entry 0 of a new table: the automatic colour
    AddTableEntry(colorTableClose_, madeColorTable_, "{\\colortbl;", entry);
    colors_.push_back({red, green, blue});
    return int(colors_.size() - 1);
}

void RtfDocument::AddTableEntry(qsizetype close, int& made, const QByteArray& opening,
                                const QByteArray& entry) {
    if (close >= 0) {
        inserts_.push_back({close, close, entry});
    } else if (made >= 0) {
        QByteArray& table = inserts_[size_t(made)].bytes;
        table.insert(table.size() - 1, entry);
    } else {
        // No such table yet: one is made after the header, and takes later entries too.
        made = int(inserts_.size());
        inserts_.push_back({headerEnd_, headerEnd_, opening + entry + "}"});
    }
}

QByteArray RtfDocument::FormatWords(const FontChange& c) {
    QByteArray words;
    if (c.setName)
        words += "\\f" + QByteArray::number(FontNumber(c.name));
    if (c.setSize)
        words += "\\fs" + QByteArray::number(std::lround(c.size * 2));
    if (c.setColor) {
        const int index = std::clamp(c.colorIndex, 0, 16);
        const auto& rgb = kColorRgb[index];
        words += "\\cf" + QByteArray::number(index == 0 ? 0 : ColorNumber(rgb[0], rgb[1], rgb[2]));
    }
    if (c.setUnderline)
        words += c.underline == 0 ? "\\ulnone" : "\\ul";
    if (c.setBold)
        words += c.bold ? "\\b" : "\\b0";
    return words;
}

// --- Saving --------------------------------------------------------------------------

QByteArray RtfDocument::Serialize() {
    std::vector<RtfSplice> splices = inserts_;
    QByteArray added;
    for (const Property& p : props_) {
        if (p.begin >= 0 && p.removed)
            splices.push_back({p.begin, p.end, {}});
        else if (p.begin < 0 && !p.removed)
            added += "{\\propname " + RtfTextBytes(p.name) + "}\\proptype" +
                     QByteArray::number(kStringProperty) + "{\\staticval " + RtfTextBytes(p.value) +
                     "}";
    }
    if (!added.isEmpty()) {
        if (propsClose_ >= 0)
            splices.push_back({propsClose_, propsClose_, added});
        else
            splices.push_back({headerEnd_, headerEnd_, "{\\*\\userprops " + added + "}"});
    }
    for (const auto& story : stories_)
        story->CollectSplices(splices);
    return Spliced(source_, std::move(splices));
}

void RtfDocument::Save() {
    SaveFileAtomically(path_, Serialize());
}

bool RtfDocument::UsesTemplateBlocks(bool* redact) {
    static const QRegularExpression opening(QStringLiteral(R"(\[\[[#?][^\[\]]+\]\])"));
    bool blocks = false, asked = false;
    for (const auto& story : stories_) {
        const QString text = story->Text();
        blocks = blocks || text.contains(opening);
        asked = asked || text.contains(QStringLiteral("[[!Redact]]"));
    }
    if (redact)
        *redact = asked;
    return blocks || asked;
}

// The markers become stand-in characters through the stories' own replace (which finds
// them across formatting); read again, each stand-in has bytes of its own, and the blocks
// are expanded as splices of those bytes.
void RtfDocument::FillTemplate(const TokenRecord& values) {
    const QSet<QString> names = TemplateNames(values);
    std::vector<MarkTable> marks(stories_.size());
    bool any = false;
    for (size_t i = 0; i < stories_.size(); ++i)
        any = marks[i].Prepare(*stories_[i], names) || any;
    if (!any)
        return;
    Reload(Serialize());
    std::vector<RtfSplice> splices;
    for (size_t i = 0; i < stories_.size(); ++i)
        FillRtfBlocks(source_, *stories_[i], marks[i], values, splices);
    Reload(Spliced(source_, std::move(splices)));
}

} // namespace zorv::wordengine
