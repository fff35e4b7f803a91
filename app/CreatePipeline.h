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

class IProcessResume;
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

// The paths a run derives from the two inputs.
QString TempXMLResumePath(const QString& inputResume);
QString HRXMLPath(const QString& tempXMLResume);
QString OutputResumePath(const QString& inputResume, const QString& resumeTemplate);

// true when the country asks for North American phone clean-up ("US" exactly, or blank).
bool CleanupPhoneNumbersFor(const QString& country);

// One run of the Create button. Returns true when the run reached the point where it
// shows the two output paths.
bool RunCreatePipeline(ICreateView& view, const StartupValues& startup,
                       const CreateCollaborators& collaborators);

} // namespace zorv
