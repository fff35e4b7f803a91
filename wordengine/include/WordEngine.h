// The native document engine: .docx packages and Rich Text (.rtf, edited in place) behind
// the Word automation surface; .doc through a .docx working copy that LibreOffice converts
// (see LegacyFormats.h).
// The product hands NewEngineApplication to clsReplaceTokens as its Word factory.
//
// Error numbers the engine raises (ZorvError::Number), each with a description that names
// the file or the part:
//
//   Number | Name                 | Raised when
//   -------+----------------------+-----------------------------------------------------------
//     5174 | EngFileNotFound      | Documents.Open: no readable file at the path
//     5792 | EngNotAPackage       | Documents.Open: not a zip package, or no word/document.xml,
//          |                      | or a truncated/damaged archive; an .rtf that is truncated
//          |                      | (unclosed groups, \bin data past the end)
//     5793 | EngProtected         | Documents.Open: a compound file (encrypted or protected
//          |                      | package) named .docx: "protected or unsupported"
//     5794 | EngUnsafePackage     | Documents.Open: zip bomb, lying sizes, too many entries,
//          |                      | duplicate names, names with "..", absolute or "\" paths;
//          |                      | an .rtf over 64 MB or with groups nested too deep
//     5795 | EngUnsupportedFormat | (reading .doc or .rtf bytes as a package, without going
//          |                      | through Documents.Open)
//     5796 | EngBadXml            | Documents.Open: a part is not well-formed or carries a DTD
//     5797 | EngSaveFailed        | Document.Save: the file could not be written
//     5798 | EngOfficeMissing     | Documents.Open of a .doc: LibreOffice is needed and not
//          |                      | installed
//     5799 | EngConversionFailed  | Documents.Open of a .doc: LibreOffice could not
//          |                      | convert it (damaged, protected, time limit)
//     5941 | EngNoSuchMember      | a collection index out of range; a custom property that
//          |                      | does not exist; Add of a name already present
//     4605 | EngObjectGone        | a member used after its document was closed or the
//          |                      | application quit
//     4198 | EngBadArgument       | an argument the member cannot take (bad range, type...)
#pragma once

#include "OfficeConverter.h"
#include "WordAutomation.h"

#include <QByteArray>
#include <cstdint>
#include <memory>

namespace zorv::wordengine {

enum EngineError : std::int32_t {
    EngFileNotFound = 5174,
    EngNotAPackage = 5792,
    EngProtected = 5793,
    EngUnsafePackage = 5794,
    EngUnsupportedFormat = 5795,
    EngBadXml = 5796,
    EngSaveFailed = 5797,
    EngOfficeMissing = 5798,
    EngConversionFailed = 5799,
    EngNoSuchMember = 5941,
    EngObjectGone = 4605,
    EngBadArgument = 4198,
};

// A new, independent engine application object (no documents open).
std::shared_ptr<word::Application> NewEngineApplication();
// The same, looking for LibreOffice with `findOffice` instead of on the search path.
std::shared_ptr<word::Application> NewEngineApplicationWithOffice(OfficeLocator findOffice);

// The file (package or Rich Text) exactly as Document.Save would write it, without touching
// the disk.
// Throws EngBadArgument for a document that is not the engine's.
QByteArray PackageBytes(word::Document& document);

} // namespace zorv::wordengine
