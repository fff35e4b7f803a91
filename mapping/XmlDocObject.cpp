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

namespace {

void ShowParseError(const xml::ParseError& error) {
    ShowMessage(ParseErrorMessage(QStringLiteral("Error parsing XML file. "), error),
                MsgIcon::Information, true);
}

} // namespace

std::unique_ptr<xml::Document> GetXMLDocObject(const QString& XMLFileName) {
    if (!FileExists(XMLFileName))
        return nullptr;
    std::unique_ptr<xml::Document> doc;
    // A load that throws (out of memory) is told like a parse error, with the error's number.
    if (const std::optional<CaughtError> error = CatchError([&] {
            doc = std::make_unique<xml::Document>();
            doc->Load(XMLFileName);
        })) {
        ShowParseError(xml::ParseError{error->description, error->number, XMLFileName, 0});
        return nullptr;
    }
    // Exactly empty: any reason at all, even white space, is a failure here.
    if (!doc->LastParseError().reason.isEmpty()) {
        ShowParseError(doc->LastParseError());
        return nullptr;
    }
    return doc;
}

} // namespace zorv
