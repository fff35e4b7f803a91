#include "Platform.h"

#include <QCoreApplication>
#include <QDir>

namespace zorv {

QChar PathSeparator() {
#ifdef _WIN32
    return QLatin1Char('\\');
#else
    return QLatin1Char('/');
#endif
}

QString ImageName(const QString& windowsImageName) {
#ifdef _WIN32
    return windowsImageName;
#else
    if (windowsImageName.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        return windowsImageName.left(windowsImageName.size() - 4);
    return windowsImageName;
#endif
}

QString ProgramDir() {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

} // namespace zorv
