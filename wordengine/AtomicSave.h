// The one way the engine writes a document: beside the file, flushed to disk, renamed over it.
#pragma once

#include <QByteArray>
#include <QString>

namespace zorv::wordengine {

// Replaces the file at `path` with `bytes`: a temporary file in the same folder, written and
// flushed to disk, then renamed over the target, which keeps its permissions. Throws
// EngSaveFailed naming the file; the old file is then as it was and no temporary is left.
void SaveFileAtomically(const QString& path, const QByteArray& bytes);

} // namespace zorv::wordengine
