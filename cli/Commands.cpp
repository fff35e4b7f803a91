#include "Commands.h"

#include "Messages.h"
#include "Version.h"

#include <algorithm>
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

std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}

} // namespace

const std::vector<Command>& AllCommands() {
    return Registry();
}

RegisterCommand::RegisterCommand(Command command) {
    auto& all = Registry();
    all.insert(
        std::upper_bound(all.begin(), all.end(), command,
                         [](const Command& a, const Command& b) { return a.order < b.order; }),
        command);
}

void PrintError(const char* command, const QString& text) {
    std::fprintf(stderr, "qarn %s: %s\n", command, text.toLocal8Bit().constData());
    std::fflush(stderr);
}

std::optional<int> ParseArguments(QCommandLineParser& parser, const QStringList& arguments,
                                  const char* command) {
    parser.addHelpOption();
    if (!parser.parse(arguments)) {
        PrintError(command, parser.errorText());
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::printf("%s", qPrintable(parser.helpText()));
        return 0;
    }
    return std::nullopt;
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

MessageCounter::~MessageCounter() {
    SetMessageHandler(std::move(gPrevious));
}

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
