#include "CreatePipeline.h"
#include "TokensFromXML.h"

namespace zorv {

// The real components. One that this build does not have stays empty, and a run that
// reaches it reports that the component cannot be created.
CreateCollaborators ProductCollaborators() {
    CreateCollaborators c;

    // resume parser client

    c.GetTokensFromXML = GetTokensFromXML;

    // template filling

    return c;
}

} // namespace zorv
