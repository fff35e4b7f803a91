#include "CreatePipeline.h"
#include "clsProcessResume.h"

namespace zorv {

// The real components. One that this build does not have stays empty, and a run that
// reaches it reports that the component cannot be created.
CreateCollaborators ProductCollaborators() {
    CreateCollaborators c;

    c.NewProcessResume = [] { return std::make_unique<clsProcessResume>(); };

    // token mapping

    // template filling

    return c;
}

} // namespace zorv
