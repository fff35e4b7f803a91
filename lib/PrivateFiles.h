// Files in the user's private temporary folder (GetTempDir): the one place that creates
// them, for the user alone (0600) and never through a symbolic link planted at their name;
// the owner tags that tell a live run's files from those of a run that was killed, and the
// start-up sweep that removes the latter.
#pragma once

#include <QString>

class QFile;

namespace zorv {

// How a private file is opened for writing: Claim creates it and fails when anything
// (a link included) already has the name; Append creates it or appends to it.
enum class PrivateOpen { Claim, Append };

// Opens path into file. On failure returns false with the cause in *error; a name that is
// taken (Claim) or a link (either way) fails with errno EEXIST or ELOOP left set.
bool OpenPrivateFile(QFile& file, const QString& path, PrivateOpen how, QString* error = nullptr);

// What names the calling process as the owner of a file: "<process id>-<start time>".
QString OwnerTag();

// True when tag ("<process id>-<start time>", or the id alone) names a process that no
// longer runs, or another that got its identifier where the system tells start times;
// false for a live owner or a malformed tag.
bool OwnerIsGone(const QString& tag);

// A name pattern tagged with the calling process: "<prefix><owner tag>-XXXXXX", for
// QTemporaryFile and QTemporaryDir.
QString TaggedTemplate(const QString& prefix);

// True when name is "<prefix><owner tag>-..." and that owner is gone.
bool TaggedNameIsDead(const QString& name, const QString& prefix);

// The prefix of batch workers' folders in the private folder.
inline const QString kBatchFolderPrefix = QStringLiteral("qarn-batch-");

// A name in the private folder held by one run while it lives: "<name>" is created with
// Claim and holds the owner's tag. Released (removed) when the object goes.
class PrivateNameLock {
public:
    PrivateNameLock() = default;
    ~PrivateNameLock();
    PrivateNameLock(const PrivateNameLock&) = delete;
    PrivateNameLock& operator=(const PrivateNameLock&) = delete;

    // Takes path when it is free or held by a gone owner; false when a live run holds it
    // or it cannot be created (*error says why then).
    bool TryLock(const QString& path, QString* error = nullptr);

private:
    QString path_;
};

// The owner tag written in a lock file of the private folder, or "" when path is no
// regular file.
QString LockOwner(const QString& path);

// Removes from the private folder what runs that were killed left behind: their temporary
// names (the lock, "<stem>.xml" and partial "<stem>_HRXML.XML.*" files of a dead claim),
// batch workers' folders and working copies. Never a live run's; the HR-XML files, which
// stay after a run, are kept.
void RemoveDeadRunFiles();

} // namespace zorv
