#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The command-line framework of kesmo-cli: options every command takes, the table of
// commands, exit statuses.
namespace kesmo::cli {

enum ExitStatus : int {
    kExitDone = 0,
    kExitUsage = 2,
    kExitNoDevice = 3, // no device answered
    kExitLinkLost = 4, // the link was lost during the work
    kExitFileError = 5,
};

inline constexpr std::string_view kProgramName = "kesmo-cli";

struct Options {
    std::string port; // empty: the first candidate port that answers
    bool trace = false;
    // Options with a value that belong to one command: {"--into", "room.dia"}.
    std::vector<std::pair<std::string, std::string>> commandOptions;
};

// The value of a command's own option, or empty.
std::string commandOption(const Options& options, std::string_view name);

struct Invocation {
    std::string_view command;
    Options options;
    std::vector<std::string> operands;
    std::ostream& out;
    std::ostream& err;
};

using CommandFunction = int (*)(Invocation&);

struct Command {
    std::string_view name;
    std::string_view operands; // as shown in the usage line
    std::string_view summary;
    std::string_view details; // further lines of --help, may be empty
    CommandFunction run;
};

std::span<const Command> commands();
const Command* findCommand(std::string_view name);

// The whole program: arguments without the program name.
int runCli(std::span<const std::string> args, std::ostream& out, std::ostream& err);

// "kesmo-cli CMD: message" on err, then the command's usage line; returns kExitUsage.
int usageError(const Invocation& inv, std::string_view message);
// "kesmo-cli CMD: message" on err.
void report(const Invocation& inv, std::string_view message);

} // namespace kesmo::cli
