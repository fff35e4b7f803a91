// Reading HR-XML documents in the parser's tests and benchmarks: XPath values (prefix "h"
// for the HR-XML namespace) and validation against the HR-XML 2.5 Resume schema.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace zorv::test {

class HrXmlDoc {
public:
    explicit HrXmlDoc(const QString& xml);
    ~HrXmlDoc();
    HrXmlDoc(const HrXmlDoc&) = delete;
    HrXmlDoc& operator=(const HrXmlDoc&) = delete;

    bool IsWellFormed() const;
    // The string values of the nodes the expression selects, in document order.
    QStringList Values(const QString& xpath) const;
    // The string value of each node selected by xpath, evaluated relative to every node
    // that contextXpath selects ("" where it selects nothing).
    QStringList ValuesPer(const QString& contextXpath, const QString& xpath) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The Resume.xsd of the HR-XML 2.5 schema set, or "" when the folder is not there.
QString HrXmlSchemaPath();

// "" when the document is valid against the schema; the validator's messages otherwise.
QString HrXmlSchemaErrors(const QString& xml);

} // namespace zorv::test
