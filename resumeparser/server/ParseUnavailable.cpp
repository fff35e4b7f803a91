// Stands in for the HR-XML parser in a build that does not have it yet, so that the server and its
// supervision can be built and tested on their own.
#include "ResumeParserCore.h"

namespace zorv::rp {

ActionResult ParseResume(const ParserSettings&, bool) {
    return ActionResult{false, QString(),
                        QStringLiteral("This build of ZorvPr has no HR-XML parser.")};
}

} // namespace zorv::rp
