// The Create run: from the two paths in the window to the filled output resume.
// It reads and writes the window only through ICreateView, so that the window and
// `qarn create` run the same code.
#pragma once

#include "StartupValues.h"
#include "Wait.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

class QLockFile;

namespace zorv {

class IProcessResume;
class IReplaceTokens;

class ICreateView : public IMousePointerTarget {
public:
    virtual QString InputResumeText() const = 0;
    virtual QString ResumeTemplateText() const = 0;
    virtual void SetOutputResumeText(const QString& text) = 0;
    virtual void SetOutputHRXMLText(const QString& text) = 0;
    virtual void SetCreateEnabled(bool enabled) = 0;
};

// The components a run calls. ProductCollaborators() gives the real ones.
struct CreateCollaborators {
    std::function<std::unique_ptr<IProcessResume>()> NewProcessResume;
    std::function<void(const QString& XMLFileName, std::int32_t& NTokens, QStringList& TokenNames,
                       QStringList& TokenValues)>
        GetTokensFromXML;
    std::function<std::unique_ptr<IReplaceTokens>()> NewReplaceTokens;
};

CreateCollaborators ProductCollaborators();

// The paths a run derives from the two inputs. Names too long for a file system are
// shortened, keeping their pattern, with a short hash.
QString TempXMLResumePath(const QString& inputResume);

// The temporary XML path one run uses: TempXMLResumePath when no live run holds it, else
// the same name with "~2", "~3"... So runs at once on resumes of the same name never share
// files, and a later run on the same resume reuses the first name. A lock file beside
// the name ("<name>.lock") holds it while the object lives.
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
    std::unique_ptr<QLockFile> lock_;
    QString path_;
    QString problem_;
};
QString HRXMLPath(const QString& tempXMLResume);
QString OutputResumePath(const QString& inputResume, const QString& resumeTemplate);

// true when the country asks for North American phone clean-up ("US" exactly, or blank).
bool CleanupPhoneNumbersFor(const QString& country);

// One run of the Create button. Returns true when the run reached the point where it
// shows the two output paths.
bool RunCreatePipeline(ICreateView& view, const StartupValues& startup,
                       const CreateCollaborators& collaborators);

} // namespace zorv
