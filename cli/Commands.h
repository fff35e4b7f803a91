// The subcommands of qarn. Each takes its own arguments (the command name first) and
// returns the process exit status.
#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <optional>
#include <vector>

namespace zorv::cli {

struct Command {
    int order; // place in `qarn --help`
    const char* name;
    const char* summary;
    int (*run)(const QStringList& arguments);
};

// Every registered subcommand, in the order `qarn --help` lists them.
const std::vector<Command>& AllCommands();

// A subcommand's file registers it with one static object of this type.
struct RegisterCommand {
    explicit RegisterCommand(Command command);
};

// The top level: dispatches to a subcommand, or handles --help and --version.
int RunQarn(const QStringList& arguments);

// Writes "qarn COMMAND: text" to standard error.
void PrintError(const char* command, const QString& text);

// Parses a command's arguments. Returns the exit status when the command stops here (2 after
// a usage error, 0 after printing --help), or nothing when it goes on.
std::optional<int> ParseArguments(QCommandLineParser& parser, const QStringList& arguments,
                                  const char* command);

// Counts the messages shown while it lives, printing each to standard error.
class MessageCounter {
public:
    MessageCounter();
    ~MessageCounter();
    int Count() const { return count_; }

private:
    int count_ = 0;
};

} // namespace zorv::cli
