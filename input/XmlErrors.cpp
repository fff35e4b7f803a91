// Collecting libxml2's errors per thread instead of letting it print them.
#include "XmlErrors.h"

#include "XmlPolicy.h"

#include <QStringList>
#include <libxml/xmlerror.h>

namespace zorv::input {
namespace {

void OnStructuredError(void* scope, xmlErrorPtr e) {
    if (scope && e)
        static_cast<XmlErrorScope*>(scope)->Record(e->code, e->line, e->message,
                                                   e->level >= XML_ERR_ERROR);
}

void OnGenericError(void*, const char*, ...) {}

} // namespace

// libxml2 keeps its error handlers per thread, so a scope silences only its own thread.
XmlErrorScope::XmlErrorScope()
    : savedStructured_(reinterpret_cast<AnyFunction>(xmlStructuredError)),
      savedStructuredContext_(xmlStructuredErrorContext),
      savedGeneric_(reinterpret_cast<AnyFunction>(xmlGenericError)),
      savedGenericContext_(xmlGenericErrorContext) {
    EnsureXmlPolicy();
    xmlSetStructuredErrorFunc(this, OnStructuredError);
    xmlSetGenericErrorFunc(nullptr, OnGenericError);
}

XmlErrorScope::~XmlErrorScope() {
    xmlSetGenericErrorFunc(savedGenericContext_,
                           reinterpret_cast<xmlGenericErrorFunc>(savedGeneric_));
    xmlSetStructuredErrorFunc(savedStructuredContext_,
                              reinterpret_cast<xmlStructuredErrorFunc>(savedStructured_));
}

void XmlErrorScope::Record(std::int32_t code, std::int32_t line, const char* message,
                           bool isError) {
    if (!isError || first_)
        return;
    first_ = XmlProblem{code, line, message ? OneLine(QString::fromUtf8(message)) : QString()};
}

QString OneLine(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.join(QLatin1Char(' ')).trimmed();
}

} // namespace zorv::input
