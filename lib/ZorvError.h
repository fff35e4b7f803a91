// The one error type every layer throws and the pipeline catches: a signed 32-bit
// number and a description, as the message boxes show them.
#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>

namespace zorv {

// The classic Basic runtime numbers, used where the system itself raises an error.
enum ErrNumber : std::int32_t {
    ErrInvalidCall = 5,
    ErrOverflow = 6,
    ErrSubscriptOutOfRange = 9,
    ErrTypeMismatch = 13,
    ErrFileNotFound = 53,
    ErrObjectNotSet = 91,
    ErrCannotCreateComponent = 429,
};

class ZorvError : public std::runtime_error {
public:
    ZorvError(std::int32_t number, const QString& description);

    std::int32_t Number() const { return number_; }
    const QString& Description() const { return description_; }

private:
    std::int32_t number_;
    QString description_;
};

// The number as messages write it: signed decimal, no padding.
QString ErrNumberText(std::int32_t number);

} // namespace zorv
