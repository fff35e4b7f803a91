// Fresh ids for repeated template content. A copy of a paragraph, row or run would repeat
// ids that OOXML wants unique across the document: bookmark ids and names, comment ids
// (the comment itself is copied in the comments part), revision and content-control ids,
// and the w:docPr ids of pictures. Word 2010's paragraph ids go from copies; they are
// optional and Word makes new ones.
#pragma once

#include <QByteArray>
#include <QSet>

struct _xmlNode;

namespace zorv::wordengine {

class CloneIds {
public:
    // `comments`: the root of the comments part, or nullptr when the package has none.
    explicit CloneIds(_xmlNode* comments) : comments_(comments) {}

    // Takes note of the ids in use below `root` (every story part and the comments part).
    void Scan(_xmlNode* root);
    // Gives the copy (linked into its part) fresh ids.
    void Renew(_xmlNode* copy);
    // Whether a comment was copied, so that the comments part must be saved.
    bool CommentsChanged() const { return commentsChanged_; }

private:
    QByteArray NextId() { return QByteArray::number(nextId_++); }
    QByteArray NextControlId();
    QByteArray CopyComment(const QByteArray& id);

    _xmlNode* comments_;
    bool commentsChanged_ = false;
    long long nextId_ = 1;
    long long nextDrawingId_ = 1;
    QSet<QByteArray> bookmarkNames_;
    QSet<long long> controlIds_;
    int copies_ = 0;
};

} // namespace zorv::wordengine
