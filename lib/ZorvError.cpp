#include "ZorvError.h"

namespace zorv {

ZorvError::ZorvError(std::int32_t number, const QString& description)
    : std::runtime_error(description.toStdString()), number_(number), description_(description) {}

QString ErrNumberText(std::int32_t number) {
    return QString::number(number);
}

} // namespace zorv
