// An OOXML package (a zip of parts) held in memory: opened with every hostile-archive
// check, parts read by name, changed parts replaced, and written back with every part
// that did not change copied byte for byte (compressed data included).
#pragma once

#include "ZipArchive.h"

#include <QByteArray>
#include <QString>
#include <map>
#include <optional>
#include <vector>

namespace zorv::wordengine {

class Package {
public:
    // Reads and checks the archive's directory; throws ZorvError (EngNotAPackage,
    // EngUnsafePackage, EngProtected) with a description that names `displayName`.
    static Package FromBytes(QByteArray bytes, const QString& displayName);

    // The part's bytes (part names are case-insensitive, without a leading "/"), or nullptr.
    // A part is inflated when first asked for, with the real output capped: a part that
    // is a bomb or whose header lies throws EngUnsafePackage. Parts never asked for are
    // written back as they came, never inflated.
    const QByteArray* Part(const QString& name) const;
    // Replaces a part or adds a new one; written by Serialize.
    void SetPart(const QString& name, QByteArray bytes);
    // The whole package as a zip; throws EngSaveFailed.
    QByteArray Serialize() const;
    // After a save: `bytes` (what Serialize returned) is the new base, nothing is pending.
    void Rebase(QByteArray bytes);

private:
    QString displayName_;
    mutable input::ZipArchive archive_;                   // the base archive, with its limits
    mutable std::vector<std::optional<QByteArray>> data_; // inflated on first use
    std::map<QString, QByteArray> pending_;               // stored name -> new bytes
};

} // namespace zorv::wordengine
