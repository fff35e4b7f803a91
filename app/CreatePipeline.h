// The Create run: from the two paths in the window to the filled output resume.
// It reads and writes the window only through ICreateView, so that the window and
// `qarn create` run the same code.
#pragma once

#include "StartupValues.h"
#include "TokenTree.h"
#include "Wait.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace zorv {

class PrivateNameLock;
class IProcessResume;
struct ProcessResumeProperties;
class IReplaceTokens;

class ICreateView : public IMousePointerTarget {
public:
    virtual QString InputResumeText() const = 0;
    virtual QString ResumeTemplateText() const = 0;
    virtual void SetOutputResumeText(const QString& text) = 0;
    virtual void SetOutputHRXMLText(const QString& text) = 0;
    virtual void SetCreateEnabled(bool enabled) = 0;
    // Whether the run clears the candidate's contact details from the output (qarn create
    // --redact); the window never asks.
    virtual bool RedactContactDetails() const { return false; }
};

// The components a run calls. ProductCollaborators() gives the real ones.
struct CreateCollaborators {
    std::function<std::unique_ptr<IProcessResume>()> NewProcessResume;
    std::function<void(const QString& XMLFileName, std::int32_t& NTokens, QStringList& TokenNames,
                       QStringList& TokenValues)>
        GetTokensFromXML;
    // The list tokens of the same map, for templates with blocks; may stay empty.
    std::function<std::vector<TokenList>(const QString& XMLFileName)> GetTokenListsFromXML;
    std::function<std::unique_ptr<IReplaceTokens>()> NewReplaceTokens;
};

CreateCollaborators ProductCollaborators();

// The paths a run derives from the two inputs. Names too long for a file system are
// shortened, keeping their pattern, with a short hash.
QString TempXMLResumePath(const QString& inputResume);

// The temporary XML path one run uses: TempXMLResumePath when no live run holds it, else
// the same name with "~2", "~3"... So runs at once on resumes of the same name never share
// files, and a later run on the same resume reuses the first name. A lock file beside
// the name ("<name>.lock", PrivateNameLock) holds it while the object lives.
class TempNameClaim {
public:
    explicit TempNameClaim(const QString& inputResume);
    ~TempNameClaim();
    TempNameClaim(const TempNameClaim&) = delete;
    TempNameClaim& operator=(const TempNameClaim&) = delete;
    // "" when no name could be claimed; Problem() then says why.
    QString TempXMLPath() const { return path_; }
    QString Problem() const { return problem_; }

private:
    std::unique_ptr<PrivateNameLock> lock_;
    QString path_;
    QString problem_;
};
QString HRXMLPath(const QString& tempXMLResume);
QString OutputResumePath(const QString& inputResume, const QString& resumeTemplate);

// true when the country asks for North American phone clean-up ("US" exactly, or blank).
bool CleanupPhoneNumbersFor(const QString& country);

// The client's properties for a Create run's tries: the resume, the temporary XML path, the
// host folders of `startup` and the phone clean-up of `country`.
void ConfigureCreateTry(ProcessResumeProperties& pr, const StartupValues& startup,
                        const QString& input, const QString& tempXML, const QString& country);

// What the map gave for one resume: the flat tokens and the lists.
struct TokenValues {
    std::int32_t nTokens = 0;
    QStringList names;
    QStringList values;
    std::vector<TokenList> lists;
};

// Fills the copy of the template at `output` with the tokens and lists, as a Create run does
// (nothing when there are none), redacting contact details when `redact` says so, through a
// replacement object handed to `replaceTokens` before it works, so that the caller decides
// when the word processor goes. Returns whether the fill saved. Throws
// ErrCannotCreateComponent when the build has no template filling.
bool ReplaceTokensInCopy(const CreateCollaborators& c, const QString& output, TokenValues tokens,
                         bool redact, std::unique_ptr<IReplaceTokens>& replaceTokens);

// One run of the Create button. Returns true when the run reached the point where it
// shows the two output paths.
bool RunCreatePipeline(ICreateView& view, const StartupValues& startup,
                       const CreateCollaborators& collaborators);

} // namespace zorv
