#include "CreatePipeline.h"
#include "TokensFromXML.h"
#include "WordAutomation.h"
#include "WordEngine.h"
#include "clsProcessResume.h"
#include "clsReplaceTokens.h"

namespace zorv {

// The real components. One that this build does not have stays empty, and a run that
// reaches it reports that the component cannot be created.
CreateCollaborators ProductCollaborators() {
    CreateCollaborators c;

    c.NewProcessResume = [] { return std::make_unique<clsProcessResume>(); };

    c.GetTokensFromXML = GetTokensFromXML;
    c.GetTokenListsFromXML = [](const QString& XMLFileName) {
        return GetTokenListsFromXML(XMLFileName);
    };

    c.NewReplaceTokens = [] {
        return std::make_unique<clsReplaceTokens>(wordengine::NewEngineApplication);
    };

    return c;
}

} // namespace zorv
