// The engine's saves through the one atomic write of lib/, its failures as the engine's error.
#include "AtomicSave.h"

#include "AtomicWrite.h"
#include "WordEngine.h"
#include "ZorvError.h"

namespace zorv::wordengine {

void SaveFileAtomically(const QString& path, const QByteArray& bytes) {
    QString cause;
    if (!WriteFileAtomically(path, bytes, &cause))
        throw ZorvError(EngSaveFailed,
                        QStringLiteral("The document %1 could not be saved: %2.").arg(path, cause));
}

} // namespace zorv::wordengine
