// qarn batch's plan: which resumes a batch takes (files, folders, subfolders), in which
// order, which slice a shard takes, and the output name each resume gets. Everything here is
// decided from the full sorted input list, so that every machine of a sharded batch, and
// every rerun, gives each resume the same output name.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace zorv::cli {

struct BatchItem {
    QString input;  // absolute path of the resume
    QString output; // absolute path of the output resume
};

// The resumes named by `arguments` (files as given; a folder gives its files of the resume
// types, and those of its subfolders when `recursive`), as absolute paths, sorted and without
// duplicates. A folder's hidden files, our own outputs and temporary files, and `exclude`
// (the template) are left out. Arguments that name nothing go to `missing`.
QStringList CollectResumes(const QStringList& arguments, bool recursive, const QString& exclude,
                           QStringList& missing);

// Each resume's output: `<name>_QX.<extension>` in `outDir` (beside the resume when empty);
// a name already given to an earlier resume of the list gets "_2", "_3"... before the
// extension.
std::vector<BatchItem> NameOutputs(const QStringList& resumes, const QString& outDir,
                                   const QString& extension);

// "K/N" with 1 <= K <= N; false for anything else.
bool ParseShard(const QString& text, int& k, int& n);

// The K-th (from 1) of N contiguous, nearly equal slices of `items`.
std::vector<BatchItem> ShardSlice(const std::vector<BatchItem>& items, int k, int n);

// The files kept beside an output resume: the PDF copy and the HR-XML document.
QString PdfPathFor(const QString& output);
QString HRXMLCopyPathFor(const QString& output);

} // namespace zorv::cli
