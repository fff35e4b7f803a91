// Helpers of the converter tests: zip packages built on the spot, fixture bytes, and a
// call of the converter on bytes.
#pragma once

#include "ResumeParserCore.h"

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

namespace zorv::test {

// A zip archive of the given (name, content) entries, deflated, built with libzip.
QByteArray MakeZip(const std::vector<std::pair<QString, QByteArray>>& entries);

// A minimal .docx whose body is the given WordprocessingML (inside <w:body>), plus any
// extra parts.
QByteArray MakeDocx(const QByteArray& bodyXml,
                    const std::vector<std::pair<QString, QByteArray>>& extraParts = {});

// A fixture of tests/data/convert/.
QByteArray Fixture(const QString& name);

// Converts bytes as a file with this extension would be converted.
rp::ActionResult ConvertBytes(const QByteArray& bytes, const QString& extension);

// Writes bytes to a file named name in a fresh temporary folder kept for the test run,
// then converts it with ConvertResume.
rp::ActionResult ConvertAsFile(const QByteArray& bytes, const QString& name);

} // namespace zorv::test
