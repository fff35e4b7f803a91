// The one error type every layer throws and the pipeline catches: a signed 32-bit
// number and a description, as the message boxes show them.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <stdexcept>

namespace zorv {

// The classic Basic runtime numbers, used where the system itself raises an error.
enum ErrNumber : std::int32_t {
    ErrInvalidCall = 5,
    ErrOverflow = 6,
    ErrOutOfMemory = 7,
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

// What a caught exception becomes in messages: a ZorvError as it is; std::bad_alloc as
// ErrOutOfMemory, "Out of memory."; any other standard exception as ErrInvalidCall with
// its what() text.
struct CaughtError {
    enum class Kind { Zorv, OutOfMemory, Other };
    Kind kind;
    std::int32_t number;
    QString description;
};

// The exception being handled, translated. Call it only inside a catch block of a
// std::exception (or of a type derived from it).
CaughtError TranslateCurrentException();

// Runs f; the error it threw, or nothing when it ran through. Only standard exceptions are
// caught: the program throws nothing else.
template <class F> std::optional<CaughtError> CatchError(F&& f) {
    try {
        f();
    } catch (const std::exception&) {
        return TranslateCurrentException();
    }
    return std::nullopt;
}

} // namespace zorv
