// The Word connection of clsReplaceTokens, the filling of [[token]] markers and the
// submitter block.
#include "clsReplaceTokens.h"

#include "FuncLib.h"
#include "Messages.h"
#include "Redaction.h"
#include "ZorvError.h"

#include <algorithm>
#include <optional>

namespace zorv {
namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kTempMark = QStringLiteral("KVTFullName");
const QString kStartDelim = QStringLiteral("[[");
const QString kEndDelim = QStringLiteral("]]");
const QString kRedactMarker = QStringLiteral("[[!Redact]]");
// The most characters of a value that one replacement text carries.
constexpr qsizetype kPieceLength = 100;

// One statement whose failure is skipped. Returns whether it ran without error.
template <class F> bool IgnoreErrors(F&& f) {
    try {
        f();
        return true;
    } catch (const ZorvError&) {
    } catch (const std::exception&) {
    }
    return false;
}

ZorvError ObjectNotSet() {
    return ZorvError(ErrObjectNotSet, QStringLiteral("Object variable not set."));
}

template <class T> T& Deref(const std::shared_ptr<T>& object) {
    if (!object)
        throw ObjectNotSet();
    return *object;
}

// Application.Application, then Application.Name: false when the instance is gone.
bool IsAlive(word::Application& app) {
    return IgnoreErrors([&] {
        app.ApplicationObject();
        app.Name();
    });
}

// The length of the piece of value starting at p: at most `most` characters, one less
// when the cut would split a surrogate pair, so that every piece is valid text.
qsizetype PieceLength(const QString& value, qsizetype p, qsizetype most) {
    qsizetype n = std::min(most, value.size() - p);
    if (n > 1 && p + n < value.size() && value.at(p + n - 1).isHighSurrogate() &&
        value.at(p + n).isLowSurrogate())
        --n;
    return n;
}

// "[[" + a private-use mark + name + "]]", with as many marks as it takes to occur in
// neither text.
QString StandInMarker(const QString& name, const QString& value, const QString& story) {
    QString mark(1, QChar(0xE000));
    for (;;) {
        const QString candidate = kStartDelim + mark + name + kEndDelim;
        if (!value.contains(candidate) && !story.contains(candidate))
            return candidate;
        mark += QChar(0xE000);
    }
}

} // namespace

clsReplaceTokens::clsReplaceTokens(word::ApplicationFactory newWordApp)
    : newWordApp_(std::move(newWordApp)) {}

clsReplaceTokens::~clsReplaceTokens() {
    IgnoreErrors([&] { CloseTempWordDocs(); });
    IgnoreErrors([&] { DeleteTempFiles(); });
    objWordDocs.reset();
    if (objWordApp) {
        // Held locally: the Quit event drops the member while Quit is still running.
        const std::shared_ptr<word::Application> app = objWordApp;
        if (WordAppCreated)
            IgnoreErrors([&] { app->Quit(); });
        IgnoreErrors([&] { app->SetEvents(nullptr); });
    }
    objWordApp.reset();
    colTempFiles.clear();
    ReleaseQuitWordApp();
}

void clsReplaceTokens::ConnectWordApp(std::shared_ptr<word::Application> app) {
    objWordApp = std::move(app);
    Deref(objWordApp).SetEvents(&events_);
}

void clsReplaceTokens::DropWordApp() {
    if (objWordApp)
        IgnoreErrors([&] { objWordApp->SetEvents(nullptr); });
    objWordApp.reset();
}

void clsReplaceTokens::ReleaseQuitWordApp() {
    if (quitWordApp_)
        IgnoreErrors([&] { quitWordApp_->SetEvents(nullptr); });
    quitWordApp_.reset();
}

void clsReplaceTokens::GetWordApp(bool Visible, bool NewWordApp) {
    ReleaseQuitWordApp();
    if (objWordApp && !IsAlive(*objWordApp))
        DropWordApp();

    const bool connecting = !objWordApp;
    if (connecting) {
        bool attached = false;
        if (!NewWordApp) {
            WordAppCreated = false;
            attached = IgnoreErrors([&] { ConnectWordApp(word::GetRunningApplication()); });
        }
        if (!attached || NewWordApp) {
            WordAppCreated = true;
            // A Word that cannot be started leaves with the error that says why.
            ConnectWordApp(word::CreateApplication(newWordApp_));
        }
        objWordDocs = Deref(objWordApp).Documents();
    }

    // A Word that was already connected and alive is shown as well as it lets itself be;
    // one connected just now must accept every setting.
    auto step = [&](auto&& f) {
        if (connecting)
            f();
        else
            IgnoreErrors(f);
    };
    step([&] { Deref(objWordApp).SetPrintPreview(false); });
    // A Word that the user already had running is never hidden.
    step([&] { Deref(objWordApp).SetVisible(Visible || !WordAppCreated); });
    if (Visible) {
        step([&] { Deref(objWordApp).SetWindowState(word::wdWindowStateNormal); });
        step([&] { Deref(objWordApp).Activate(); });
    }
}

std::shared_ptr<word::Document> clsReplaceTokens::OpenWordDoc(const QString& FileName,
                                                              bool TempFile, bool Visible,
                                                              bool NewWordApp) {
    GetWordApp(Visible, NewWordApp);

    std::shared_ptr<word::Document> document;
    const std::optional<CaughtError> error = CatchError([&] {
        document = Deref(objWordDocs).Open(FileName, false, false);
        if (!document)
            throw ObjectNotSet();
    });
    if (error) {
        ShowMessage(QStringLiteral("Error opening ") + FileName + kCrLf +
                        QStringLiteral("Description: ") + error->description + kCrLf +
                        QStringLiteral("Number: ") + ErrNumberText(error->number),
                    MsgIcon::Information);
        return nullptr;
    }

    if (TempFile) {
        colTempFiles.append(FileName);
        // The copy may carry the mark already (a copy of a copy); it is replaced.
        IgnoreErrors(
            [&] { Deref(document->CustomDocumentProperties()).Item(kTempMark)->Delete(); });
        Deref(document->CustomDocumentProperties())
            .Add(kTempMark, false, word::msoPropertyTypeString, FileName);
        document->Save();
    }
    return document;
}

void clsReplaceTokens::CloseTempWordDocs() {
    if (!objWordApp || !IsAlive(*objWordApp))
        return;
    std::int32_t count = 0;
    IgnoreErrors([&] { count = Deref(objWordDocs).Count(); });
    for (std::int32_t i = count; i >= 1; --i) {
        std::shared_ptr<word::Document> document;
        IgnoreErrors([&] { document = objWordDocs->Item(i); });
        QString fullName;
        IgnoreErrors([&] {
            fullName = Deref(Deref(document).CustomDocumentProperties()).Item(kTempMark)->Value();
        });
        if (!IsBlank(fullName)) {
            IgnoreErrors([&] { Deref(document).Save(); });
            IgnoreErrors([&] { Deref(document).Close(); });
        }
    }
}

void clsReplaceTokens::DeleteTempFiles() {
    for (const QString& path : colTempFiles)
        IgnoreErrors([&] { DeleteFileIfExists(path); });
}

void clsReplaceTokens::objWordApp_Quit() {
    // The event arrives from inside one of Word's own calls: the instance stays alive
    // until that call is over.
    quitWordApp_ = std::move(objWordApp);
    objWordApp.reset();
}

void clsReplaceTokens::objWordApp_DocumentChange() {}

const QString& clsReplaceTokens::TokenName(std::int32_t k) const {
    if (k < 1 || k > TokenNames.size())
        throw ZorvError(ErrSubscriptOutOfRange, QStringLiteral("Subscript out of range."));
    return TokenNames[k - 1];
}

const QString& clsReplaceTokens::TokenValue(std::int32_t k) const {
    if (k < 1 || k > TokenValues.size())
        throw ZorvError(ErrSubscriptOutOfRange, QStringLiteral("Subscript out of range."));
    return TokenValues[k - 1];
}

bool clsReplaceTokens::ReplaceTokensInDoc(const QString& FileName, bool TempFile) {
    const std::optional<CaughtError> error = CatchError([&] {
        SetFileAttributesNormal(FileName);
        // A failed open has been reported already; the missing document ends the call.
        const std::shared_ptr<word::Document> document =
            OpenWordDoc(FileName, TempFile, true, false);
        word::Document& doc = Deref(document);

        bool askedRedaction = false;
        if (doc.UsesTemplateBlocks(&askedRedaction)) {
            doc.FillTemplate(TemplateValues(Redact || askedRedaction));
            doc.Save();
            return;
        }
        // Without blocks, every marker is replaced as it always was.
        const bool redact = Redact || askedRedaction;
        const TokenRecord redacted = redact ? TemplateValues(true) : TokenRecord();
        const QStringList* values = redact ? &redacted.values : nullptr;

        const std::shared_ptr<word::Sections> sections = doc.Sections();
        const std::int32_t nSections = Deref(sections).Count();
        for (std::int32_t i = 1; i <= nSections; ++i) {
            const std::shared_ptr<word::Section> section = sections->Item(i);
            for (bool headers : {true, false}) {
                const std::shared_ptr<word::HeadersFooters> stories =
                    headers ? Deref(section).Headers() : Deref(section).Footers();
                const std::int32_t nStories = Deref(stories).Count();
                for (std::int32_t j = 1; j <= nStories; ++j)
                    ReplaceTokensInRange(Deref(stories->Item(j)).Range(), values, askedRedaction);
            }
        }
        ReplaceTokensInRange(doc.Content(), values, askedRedaction);
        doc.Save();
    });
    if (!error)
        return true;
    ShowMessage(QStringLiteral("Error creating output resume.") + FileName + kCrLf +
                    QStringLiteral("Description:") + error->description + kCrLf +
                    QStringLiteral("Number:") + ErrNumberText(error->number),
                MsgIcon::None);
    return false;
}

TokenRecord clsReplaceTokens::TemplateValues(bool redact) const {
    TokenRecord values;
    for (std::int32_t k = 1; k <= NTokens; ++k) {
        values.names << TokenName(k);
        values.values << TokenValue(k);
    }
    values.lists = TokenLists;
    if (redact)
        RedactTokens(values.names, values.values, values.lists);
    return values;
}

void clsReplaceTokens::ReplaceTokensInRange(const std::shared_ptr<word::Range>& range,
                                            const QStringList* values, bool dropRedactMarker) {
    word::Range& story = Deref(range);
    const QString text = story.Text();
    QStringList markers;
    GetDelimitedTokens(text, kStartDelim, kEndDelim, markers, true, false, true);
    const QString joined = markers.join(QString());

    const std::shared_ptr<word::Find> find = story.Find();
    auto replaceAll = [&](const QString& marker, const QString& replacement) {
        word::Find& f = Deref(find);
        f.ClearFormatting();
        f.SetText(marker);
        Deref(f.Replacement()).ClearFormatting();
        Deref(f.Replacement()).SetText(replacement);
        f.Execute(true, true, word::wdReplaceAll);
    };

    const std::int32_t nTokens = NTokens;
    for (std::int32_t k = 1; k <= nTokens; ++k) {
        const QString marker = kStartDelim + TokenName(k) + kEndDelim;
        if (!joined.contains(marker))
            continue;
        const QString& value = values ? values->at(k - 1) : TokenValue(k);
        // A value that holds its own marker would be found again by the next pass, doubling
        // the occurrences each time: such a value is put in front of a stand-in marker that
        // occurs neither in the value nor in the story.
        QString anchor = marker;
        if (value.contains(marker)) {
            anchor = StandInMarker(TokenName(k), value, text);
            replaceAll(marker, anchor);
        }
        // Each pass puts the next piece in front of every occurrence of the anchor; the
        // result is the same whatever the pieces' length.
        const qsizetype most = Deref(find).TakesAnyReplacementLength()
                                   ? std::max<qsizetype>(value.size(), 1)
                                   : kPieceLength;
        for (qsizetype p = 0; p < value.size();) {
            const qsizetype n = PieceLength(value, p, most);
            replaceAll(anchor, value.mid(p, n) + anchor);
            p += n;
        }
        replaceAll(anchor, QString());
    }
    if (dropRedactMarker && joined.contains(kRedactMarker))
        replaceAll(kRedactMarker, QString());
}

void clsReplaceTokens::InsertMyRecordIntoWordDoc(const QString& FileName, bool TempFile,
                                                 const QString& FullName,
                                                 const QString& CompanyName,
                                                 const QString& DirectPhone, const QString& Fax,
                                                 const QString& EMail1) {
    (void)TempFile; // the document is always a temporary working copy
    const QString block =
        kCrLf + kCrLf + QStringLiteral("This resume is submitted by:") + kCrLf +
        QStringLiteral("Name: ") + FullName + kCrLf + QStringLiteral("Company: ") + CompanyName +
        kCrLf + QStringLiteral("Phone: ") + DirectPhone + kCrLf + QStringLiteral("Fax: ") + Fax +
        kCrLf + QStringLiteral("EMail: ") + EMail1 + kCrLf;

    const std::optional<CaughtError> error = CatchError([&] {
        // A failed open has been reported already; the missing document ends the call.
        const std::shared_ptr<word::Document> document = OpenWordDoc(FileName, true, false, true);
        word::Document& doc = Deref(document);

        const std::int32_t n = Deref(doc.Paragraphs()).Count();
        {
            const std::shared_ptr<word::Range> whole = doc.Range();
            Deref(whole).InsertParagraphAfter();
            whole->InsertAfter(block);
        }
        const std::int32_t m = Deref(doc.Paragraphs()).Count();
        const std::int32_t start =
            Deref(Deref(Deref(doc.Paragraphs()).Item(n + 1)).Range()).Start();
        const std::int32_t end = Deref(Deref(Deref(doc.Paragraphs()).Item(m)).Range()).End();
        {
            const std::shared_ptr<word::Range> added = doc.Range(start, end);
            const std::shared_ptr<word::Font> font = Deref(added).Font();
            Deref(font).SetName(QStringLiteral("Arial"));
            font->SetSize(14);
            font->SetColorIndex(word::wdRed);
            font->SetUnderline(word::wdUnderlineNone);
            font->SetBold(false);
        }
        doc.Save();
        doc.Close();
    });
    if (error)
        throw ZorvError(error->number, error->description);
}

} // namespace zorv
