// qarn: the command-line front end.
#include "Commands.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qarn"));
    return zorv::cli::RunQarn(QCoreApplication::arguments());
}
