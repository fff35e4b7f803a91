#include "Commands.h"

#include "Messages.h"
#include "Version.h"

#include <cstdio>
#include <vector>

namespace zorv::cli {
namespace {

MessageHandler gPrevious;

void PrintUsage(FILE* to) {
    std::fprintf(to, "Usage: qarn COMMAND [ARGUMENTS]\n\n"
                     "Puts a candidate's resume into a company's Word template.\n\n"
                     "Commands:\n");
    for (const Command& c : AllCommands())
        std::fprintf(to, "  %-10s %s\n", c.name, c.summary);
    std::fprintf(to, "\nOptions:\n"
                     "  -h, --help     Show this help, or a command's with qarn COMMAND --help\n"
                     "  -v, --version  Show the version\n");
}

} // namespace

const std::vector<Command>& AllCommands() {
    static const std::vector<Command> commands = {
        {"create", "Create the output resume from RESUME and TEMPLATE, as the window does",
         CmdCreate},
    };
    return commands;
}

MessageCounter::MessageCounter() {
    gPrevious = SetMessageHandler([this](const MessageRequest& m) {
        ++count_;
        QString text = m.text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        std::fprintf(stderr, "qarn: %s\n", text.toLocal8Bit().constData());
        std::fflush(stderr);
    });
}

MessageCounter::~MessageCounter() { SetMessageHandler(std::move(gPrevious)); }

int RunQarn(const QStringList& arguments) {
    const QString first = arguments.value(1);
    if (first.isEmpty()) {
        PrintUsage(stderr);
        return 2;
    }
    if (first == QLatin1String("-h") || first == QLatin1String("--help") ||
        first == QLatin1String("help")) {
        PrintUsage(stdout);
        return 0;
    }
    if (first == QLatin1String("-v") || first == QLatin1String("--version")) {
        std::printf("qarn %s\n", kVersionString);
        return 0;
    }
    for (const Command& c : AllCommands()) {
        if (first == QLatin1String(c.name))
            return c.run(arguments.mid(1));
    }
    std::fprintf(stderr, "qarn: unknown command '%s'; see qarn --help\n", qPrintable(first));
    return 2;
}

} // namespace zorv::cli
