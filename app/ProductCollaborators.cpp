#include "CreatePipeline.h"

namespace zorv {

// The real components. A component whose implementation is not part of this build stays
// empty, and a run that reaches it reports "component cannot be created".
CreateCollaborators ProductCollaborators() { return CreateCollaborators{}; }

} // namespace zorv
