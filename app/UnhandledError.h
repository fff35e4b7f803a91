// The report of an error that nothing else handled: a first line naming what failed, then
// the error's description and number, on lines joined by CR LF.
#pragma once

#include "ZorvError.h"

#include <QString>
#include <cstdint>

namespace zorv {

inline const QString kStartFailed = QStringLiteral("ZorvQarn could not start.");

inline QString UnhandledErrorText(const QString& firstLine, std::int32_t number,
                                  const QString& description) {
    return firstLine + QStringLiteral("\r\nDescription: ") + description +
           QStringLiteral("\r\nNumber: ") + ErrNumberText(number);
}

} // namespace zorv
