// Word 97-2003 (.doc) documents in the engine. Such a file is opened by converting it with
// LibreOffice into a private .docx working copy, which the engine edits like any package;
// saving converts the working copy back into .doc and replaces the file atomically, so a
// document is always written in the format it was opened in. (Rich Text is read by the
// engine itself: RtfDocument.h.)
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

namespace zorv {
class OfficeConverter;
}

namespace zorv::wordengine {

class DocxDocument;

enum class LegacyFormat { None, Doc, Rtf };

// What the first bytes (at least 8) of the file at `path` say it is: Rtf for "{\rtf",
// Doc for a compound file named .doc, .dot or .rtf (a compound file under another name is
// left to the package reader, which calls it protected). None for everything else.
// Throws EngNotAPackage for a file named .doc, .dot or .rtf that is neither of these nor a
// package.
LegacyFormat SniffLegacyFormat(const QString& path, const QByteArray& head);

class LegacyCopy {
public:
    // Converts the .doc file into a .docx working copy in a work folder of `office`. Throws
    // ZorvError: EngOfficeMissing without LibreOffice, EngConversionFailed when it fails.
    LegacyCopy(std::shared_ptr<OfficeConverter> office, const QString& path);
    ~LegacyCopy(); // removes the work folder
    LegacyCopy(const LegacyCopy&) = delete;
    LegacyCopy& operator=(const LegacyCopy&) = delete;

    const QString& OriginalPath() const { return path_; }
    const QString& WorkingPath() const { return working_; }

    // The working copy, read by the package reader (errors name the original file).
    std::unique_ptr<DocxDocument> LoadWorkingCopy() const;

    // After the working copy has been saved: converts it back into the original format and
    // replaces the original file atomically (written beside it, then renamed), keeping its
    // permissions. Does nothing when the working copy has not changed since the last write.
    // Throws EngSaveFailed; the original is then as it was.
    void WriteBack();

private:
    std::shared_ptr<OfficeConverter> office_;
    QString path_;
    QString folder_;
    QString working_;
    QByteArray writtenHash_; // the working copy as the original last received it
};

// For a .doc file: its converted working copy; nullptr for anything else, which the package
// reader takes as it is (Rich Text never gets here).
std::unique_ptr<LegacyCopy> OpenLegacyCopy(std::shared_ptr<OfficeConverter> office,
                                           const QString& path);

} // namespace zorv::wordengine
