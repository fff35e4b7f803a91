// Stands in for the converters in a build that does not have them yet, so that the server and its
// supervision can be built and tested on their own.
#include "ResumeParserCore.h"

namespace zorv::rp {

ActionResult ConvertResume(const ParserSettings&, const ProgressSink&) {
    return ActionResult{false, QString(),
                        QStringLiteral("This build of ZorvPr has no converters.")};
}

} // namespace zorv::rp
