#include "ZorvError.h"

#include <exception>
#include <new>

namespace zorv {

ZorvError::ZorvError(std::int32_t number, const QString& description)
    : std::runtime_error(description.toStdString()), number_(number), description_(description) {}

QString ErrNumberText(std::int32_t number) {
    return QString::number(number);
}

CaughtError TranslateCurrentException() {
    try {
        throw;
    } catch (const ZorvError& e) {
        return {CaughtError::Kind::Zorv, e.Number(), e.Description()};
    } catch (const std::bad_alloc&) {
        return {CaughtError::Kind::OutOfMemory, ErrOutOfMemory, QStringLiteral("Out of memory.")};
    } catch (const std::exception& e) {
        return {CaughtError::Kind::Other, ErrInvalidCall, QString::fromLocal8Bit(e.what())};
    }
}

} // namespace zorv
