// A small XML DOM over libxml2: what the map reader needs of a document and nothing more.
// Loading goes through the input layer's policy for untrusted files (no network, no DTD or
// external entity loading, internal entities under a cap, libxml2's limits on) with a
// size cap. The node model is the one map authors expect of a DOM: indentation between
// elements is not kept, and an unprefixed name in an expression matches elements of the
// document's default namespace.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace zorv::xml {

// Why the last load failed; an empty reason means it did not.
struct ParseError {
    QString reason;             // the parser's message, without a trailing line break
    std::int32_t errorCode = 0; // libxml2's error number
    QString url;                // the file as it was named to Load
    std::int32_t line = 0;      // 0 when the file could not be read at all
};

// A node of a Document. Only valid while its Document lives and is not reloaded.
class Node {
public:
    Node() = default;
    bool IsNull() const { return handle_ == nullptr; }

    // The qualified name of an element or attribute; "#text", "#cdata-section", "#comment"
    // or "#document" for those nodes.
    QString NodeName() const;
    // The node's text with that of all its descendants, in document order.
    QString Text() const;
    // The node's children, in document order.
    std::vector<Node> ChildNodes() const;
    // The value of an element's attribute of that (unprefixed) name, if it has one.
    std::optional<QString> Attribute(const QString& name) const;

private:
    friend class Document;
    explicit Node(void* handle) : handle_(handle) {}
    void* handle_ = nullptr;
};

class Document {
public:
    // Files larger than this are refused before parsing.
    static constexpr std::int64_t kMaxFileSize = std::int64_t{64} * 1024 * 1024;

    Document();
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // Reads and parses the file, replacing any earlier content. Returns true when it parsed;
    // otherwise LastParseError() says why and the document is empty.
    bool Load(const QString& path);
    const ParseError& LastParseError() const;

    // The root element; null for an empty document.
    Node DocumentElement() const;

    // XPath 1.0, evaluated from the document node. Throws ZorvError for an expression that
    // does not compile or evaluate, or that gives something other than nodes.
    std::vector<Node> SelectNodes(const QString& expression) const;
    // The first selected node in document order, or a null node.
    Node SelectSingleNode(const QString& expression) const;
    // The same with `context` (a node of this document) as the context node, so that
    // relative paths start there; a null context is the document node.
    std::vector<Node> SelectNodes(const QString& expression, const Node& context) const;
    Node SelectSingleNode(const QString& expression, const Node& context) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace zorv::xml
