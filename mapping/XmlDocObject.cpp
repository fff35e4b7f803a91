#include "XmlDocObject.h"

#include "FuncLib.h"
#include "Messages.h"
#include "ZorvError.h"

namespace zorv {

QString ParseErrorMessage(const QString& title, const xml::ParseError& error) {
    const QString crlf = QStringLiteral("\r\n");
    return title + crlf + QStringLiteral("File: ") + error.url + crlf + QStringLiteral("Number: ") +
           ErrNumberText(error.errorCode) + crlf + QStringLiteral("Description: ") + error.reason +
           crlf + QStringLiteral("Line: ") + QString::number(error.line);
}

std::unique_ptr<xml::Document> GetXMLDocObject(const QString& XMLFileName) {
    try {
        if (!FileExists(XMLFileName))
            return nullptr;
        auto doc = std::make_unique<xml::Document>();
        doc->Load(XMLFileName);
        // Exactly empty: any reason at all, even white space, is a failure here.
        if (!doc->LastParseError().reason.isEmpty()) {
            ShowMessage(ParseErrorMessage(QStringLiteral("Error parsing XML file. "),
                                          doc->LastParseError()),
                        MsgIcon::Information, true);
            return nullptr;
        }
        return doc;
    } catch (...) {
        return nullptr;
    }
}

} // namespace zorv
