// Atomic replacement of a document file.
#include "AtomicSave.h"

#include "WordEngine.h"
#include "ZorvError.h"

#include <QSaveFile>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zorv::wordengine {
namespace {

bool SyncToDisk(int fd) {
#ifdef _WIN32
    return _commit(fd) == 0;
#else
    return ::fsync(fd) == 0;
#endif
}

} // namespace

void SaveFileAtomically(const QString& path, const QByteArray& bytes) {
    // QSaveFile writes beside the file, keeps its permissions and renames over it; the data
    // reaches the disk before the rename, so a crash leaves the old or the new file.
    QSaveFile out(path);
    const bool written = out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() &&
                         out.flush() && SyncToDisk(out.handle());
    if (!written || !out.commit())
        throw ZorvError(
            EngSaveFailed,
            QStringLiteral("The document %1 could not be saved: %2.").arg(path, out.errorString()));
}

} // namespace zorv::wordengine
