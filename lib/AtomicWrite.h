// Writing files whole or not at all. Every file the programs write goes through here: the
// bytes go to a temporary file in the target's folder, which is flushed and synced to disk
// and only then renamed over the target. A failure at any step leaves the earlier file as it
// was, removes the temporary one and says why ("the disk is full", or the system's cause).
//
// One rule for symbolic links at an output path: the link is followed, the file it names is
// replaced (in its own folder) and the link stays.
#pragma once

#include <QByteArray>
#include <QString>

namespace zorv {

// How a written file may be read: as the file it replaces (new files as the umask says),
// or by its owner alone (0600), for the files of the private temporary folder, which hold a
// candidate's data: a link at such a path is replaced by the file, never followed.
enum class FileAccess { AsBefore, OwnerOnly };

// Writes bytes to path. On failure returns false with the cause in *error.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr,
                         FileAccess access = FileAccess::AsBefore);

// Copies source over target the same way; the copy takes the source's permissions.
bool CopyFileAtomically(const QString& source, const QString& target, QString* error = nullptr);

// The file an output path stands for: the path with its symbolic links followed (a link
// to nothing gives the path it points at), absolute.
QString ResolvedOutputPath(const QString& path);

// True when both paths name one existing file: through links, another spelling or a hard
// link.
bool IsSameFile(const QString& a, const QString& b);

// A working copy that becomes the output only when it is whole: it lives in the output's
// folder (so the final rename never crosses a file system) under a hidden name tagged with
// its owner (".~qarn-<process id>-<start time>-XXXXXX.<extension>"). Until Commit() the
// output is untouched; a copy not committed is removed when the object goes, and one left
// by a run that was killed is removed by the next run that writes in that folder.
class OutputWorkingCopy {
public:
    // extension: the working copy's, without its dot ("" for the output's own); the engine
    // judges a document's format partly by it.
    explicit OutputWorkingCopy(const QString& output, const QString& extension = QString());
    ~OutputWorkingCopy();
    OutputWorkingCopy(const OutputWorkingCopy&) = delete;
    OutputWorkingCopy& operator=(const OutputWorkingCopy&) = delete;

    // Fills the working copy with source's bytes. False with the cause in *error.
    bool CopyFrom(const QString& source, QString* error);
    // The working copy's path, to be filled in place.
    QString Path() const { return path_; }
    // Syncs the working copy to disk and renames it over the output.
    bool Commit(QString* error);

private:
    QString output_;
    QString extension_;
    QString path_;
};

// How messages name a working copy: "<output> (a copy of <source>)", so that a fault is
// seen to be the source's when opening fails and the output's when saving does.
QString CopyName(const QString& output, const QString& source);

// Removes the working copies in folder whose owning process is gone; never a live run's.
void RemoveDeadWorkingCopies(const QString& folder);

} // namespace zorv
