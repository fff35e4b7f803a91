// qarn: the command-line front end.
#include "Commands.h"
#include "PrivateFiles.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qarn"));
    zorv::RemoveDeadRunFiles();
    return zorv::cli::RunQarn(QCoreApplication::arguments());
}
