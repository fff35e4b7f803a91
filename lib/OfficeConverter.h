// LibreOffice headless as a file converter, shared by everything that needs a format the
// program does not read or write itself (.doc and .rtf). Each converter owns one private
// folder in the temporary folder: the office's user profile (never the user's own), the
// office's own temporary files and the work folders of its callers. The folder goes when
// the converter does; folders left by a process that was killed are swept by the next one.
// The office never writes to our standard streams, runs in its own process group, is ended
// on a time limit and dies with our process.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <mutex>

class QTemporaryDir;

namespace zorv {

// The office program found on the search path (the soffice binary itself where it lies
// beside the launcher), or "" when LibreOffice is not installed.
QString FindOfficeProgram();

// Where a converter looks for the office, asked at each conversion: FindOfficeProgram in
// the product; tests hand in a missing program.
using OfficeLocator = std::function<QString()>;

// How long one conversion may run before the office is ended.
inline constexpr int kOfficeTimeLimitMs = 90 * 1000;

class OfficeConverter {
public:
    enum class Status {
        Converted,    // outputPath holds the result
        NoOffice,     // LibreOffice is not installed (or the program set is missing)
        NoFolder,     // no private temporary folder could be made
        NotStarted,   // the office program could not be started
        TimedOut,     // ended after kOfficeTimeLimitMs
        NotConverted, // the office ran but wrote nothing (damaged or protected input)
    };
    struct Result {
        Status status = Status::NotConverted;
        QString outputPath;
    };

    explicit OfficeConverter(OfficeLocator findOffice = FindOfficeProgram);
    ~OfficeConverter(); // removes the private folder
    OfficeConverter(const OfficeConverter&) = delete;
    OfficeConverter& operator=(const OfficeConverter&) = delete;

    // The office program this converter runs, or "" when none can run.
    QString Program() const;
    // Converts `input` with the office's `filter` (e.g. "docx:MS Word 2007 XML") into
    // `outDir`, where the result is named after the input with `extension`. One conversion
    // at a time per converter (they share the profile).
    Result Convert(const QString& input, const QString& filter, const QString& extension,
                   const QString& outDir);

    // A new empty folder inside the private folder, or "" when none can be made.
    QString NewWorkFolder();

    // The private folder ("" before the first use).
    QString PrivateFolder() const;

    // How many office processes this converter has started.
    int OfficeRuns() const { return runs_; }

private:
    bool EnsureFolder();

    OfficeLocator findOffice_;
    mutable std::mutex mutex_;
    std::unique_ptr<QTemporaryDir> folder_;
    int workFolders_ = 0;
    int runs_ = 0;
};

// A sentence for a failed conversion of the document `what` ("the .doc document ...").
QString OfficeFailureText(OfficeConverter::Status status, const QString& what);

} // namespace zorv
