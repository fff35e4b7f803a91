// Writes what the parser found as an HR-XML 2.5 Resume document
// (namespace http://ns.hr-xml.org/2007-04-15), in the schema's element order.
#pragma once

#include "ResumeModel.h"
#include "XmlText.h"

#include <QString>

namespace zorv::rp {

struct HrXmlContent {
    bool contactOnly = false; // ContactInfo alone in the structured resume
    QString textResume;       // NonXMLResume/TextResume; none when empty
};

QString WriteHrXml(const ParsedResume& resume, const HrXmlContent& content);

using input::XmlSafeText;

} // namespace zorv::rp
