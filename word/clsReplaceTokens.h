// clsReplaceTokens: one connection to the word processor for the object's whole life, the
// documents it opens (temporary working copies among them), the filling of [[token]]
// markers in a document's headers, footers and main text, and the submitter block.
//
// Word belongs to the user unless this object started it: the teardown quits only a Word
// it started, saves and closes every open document marked as a temporary working copy
// ("KVTFullName"), and deletes the files of the copies it opened. It never throws.
#pragma once

#include "ReplaceTokensInterface.h"
#include "WordAutomation.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace zorv {

class clsReplaceTokens : public IReplaceTokens {
public:
    // Word instances it starts come from `newWordApp` (the engine's, or a test's double).
    explicit clsReplaceTokens(word::ApplicationFactory newWordApp);
    ~clsReplaceTokens() override;
    clsReplaceTokens(const clsReplaceTokens&) = delete;
    clsReplaceTokens& operator=(const clsReplaceTokens&) = delete;

    // Replaces every marker "[[" + TokenNames(k) + "]]" of tokens 1..NTokens in every header
    // and footer of every section, then in the main text, and saves the document under its
    // own name. A template with blocks ([[#Name]], [[?Name]], [[!Redact]]) is filled in
    // one pass with the lists as well (Document::FillTemplate). With Redact or [[!Redact]]
    // every value put in is cleared of contact details first. On any error the user is told once
    // ("Error creating output resume.") and the result is false; the document stays open, unsaved.
    bool ReplaceTokensInDoc(const QString& FileName, bool TempFile) override;

    // Attaches to or starts Word (errors of that rise to the caller) and opens the document.
    // A failed open is reported to the user and gives nullptr. With TempFile the document is
    // listed for deletion, marked with "KVTFullName" = FileName and saved (errors rise).
    std::shared_ptr<word::Document> OpenWordDoc(const QString& FileName, bool TempFile,
                                                bool Visible, bool NewWordApp);

    // Appends the submitter block (a blank paragraph, two empty lines, "This resume is
    // submitted by:" and the Name, Company, Phone, Fax and EMail lines) to the end of the
    // document, formats everything after the former last paragraph Arial 14 pt, red, not
    // underlined, not bold, saves and closes it. The document is always opened as a
    // temporary working copy (TempFile is not consulted), so the teardown deletes the file:
    // a caller copies it before releasing the object. Errors rise to the caller with their
    // number and description; nothing is shown here except a failed open.
    void InsertMyRecordIntoWordDoc(const QString& FileName, bool TempFile, const QString& FullName,
                                   const QString& CompanyName, const QString& DirectPhone,
                                   const QString& Fax, const QString& EMail1);

    // The paths opened as temporary working copies, in opening order.
    const QStringList& TempFiles() const { return colTempFiles; }

private:
    class WordEvents : public word::ApplicationEvents {
    public:
        explicit WordEvents(clsReplaceTokens& owner) : owner_(owner) {}
        void Quit() override { owner_.objWordApp_Quit(); }
        void DocumentChange() override { owner_.objWordApp_DocumentChange(); }

    private:
        clsReplaceTokens& owner_;
    };

    void GetWordApp(bool Visible, bool NewWordApp);
    void ConnectWordApp(std::shared_ptr<word::Application> app);
    void DropWordApp();
    void ReleaseQuitWordApp();
    void CloseTempWordDocs();
    void DeleteTempFiles();
    // Replaces the markers of one story token by token; `values` in place of TokenValues
    // when given; dropRedactMarker removes [[!Redact]] too.
    void ReplaceTokensInRange(const std::shared_ptr<word::Range>& range, const QStringList* values,
                              bool dropRedactMarker);
    // Tokens 1..NTokens and the lists, redacted when asked.
    TokenRecord TemplateValues(bool redact) const;
    const QString& TokenName(std::int32_t k) const;
    const QString& TokenValue(std::int32_t k) const;

    void objWordApp_Quit();
    void objWordApp_DocumentChange();

    word::ApplicationFactory newWordApp_;
    WordEvents events_{*this};
    std::shared_ptr<word::Application> objWordApp;
    std::shared_ptr<word::Documents> objWordDocs;
    bool WordAppCreated = false;
    QStringList colTempFiles;
    // A Word that announced its Quit while one of its own calls was running: kept alive
    // until that call has surely returned (next connection or teardown).
    std::shared_ptr<word::Application> quitWordApp_;
};

} // namespace zorv
