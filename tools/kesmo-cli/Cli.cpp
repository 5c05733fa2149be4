#include "tools/kesmo-cli/Cli.h"

#include "tools/kesmo-cli/DeviceCommands.h"
#include "tools/kesmo-cli/EqCommands.h"
#include "tools/kesmo-cli/FileCommands.h"
#include "tools/kesmo-cli/SetArguments.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace kesmo::cli {

namespace {

int runSet(Invocation& inv) {
    if (inv.operands.empty())
        return usageError(inv, "expects ADDRESS=VALUE...");
    const SetArguments parsed = parseSetArguments(inv.operands);
    if (!parsed.ok())
        return usageError(inv, parsed.error);
    return applySetWrites(inv, parsed.writes);
}

constexpr std::string_view kDumpDetails =
    "Prints every named field as PATH = CODE (VALUE), VALUE in the field's display scale.\n"
    "A .dia file gives system.FIELD for its system block and the mode's fields as they\n"
    "are named (name, musicLeft.eq[0].freq, scene[2].rearL.delay ...). A .dat file gives\n"
    "header.FIELD (the header system block), mode[1].PATH .. mode[21].PATH, bankLoadedFlag,\n"
    "and in the newer layout modeSystem[1].FIELD .. modeSystem[21].FIELD.\n"
    "A path containing .dat is an all-modes file, one containing .dia a single-mode file;\n"
    "otherwise the length decides.\n";

constexpr std::string_view kDiffDetails =
    "Prints the fields that differ as PATH = A -> B, named as by dump; a field only one\n"
    "file has shows \"absent\" on the other side. Both files must be of the same kind.\n";

constexpr std::string_view kSetDetails =
    "ADDRESS is a field path as dump names the working mode's fields (musicLeft.eq[0].gain,\n"
    "system.micVolume) or a raw byte: image[N] (0..2711) or system[N] (0..65).\n"
    "VALUE is decimal or 0x-hex and must lie in the range the pages allow; for a text field\n"
    "(name, system.panelPassword, system.systemPassword) VALUE is the text, padded with\n"
    "spaces. Every argument is checked before the device is contacted.\n";

// Adding a command is one line here.
constexpr std::array kCommands = {
    Command{"dump", "FILE", "show every field of a .dia or .dat file", kDumpDetails, runDump},
    Command{"diff", "FILE_A FILE_B", "show the fields in which two preset files differ",
            kDiffDetails, runDiff},
    Command{"ports", "", "list the candidate ports", "", runPorts},
    Command{"read", "FILE", "read the device's working mode into a .dia file", "", runRead},
    Command{"write", "FILE", "send a .dia file to the device's working mode", "", runWrite},
    Command{"set", "ADDRESS=VALUE...", "change fields of the device's working mode", kSetDetails,
            runSet},
    Command{"backup", "FILE", "read every stored mode of the device into a .dat file", "",
            runBackup},
    Command{"restore", "FILE", "send the stored modes of a .dat file to the device", "",
            runRestore},
    Command{"eq-import", "CHANNEL FILE.txt [--into PRESET.dia]",
            "put a room EQ filter file into a channel's EQ bands", kEqImportDetails, runEqImport},
    Command{"eq-export", "CHANNEL [--from PRESET.dia] OUT.txt",
            "write a channel's EQ bands as a room EQ filter file", kEqExportDetails, runEqExport},
};

// The options with a value that only one command takes.
struct CommandOption {
    std::string_view command;
    std::string_view option;
};
constexpr std::array kCommandOptions = {
    CommandOption{"eq-import", "--into"},
    CommandOption{"eq-export", "--from"},
};

// "--into" for "--into" and "--into=X"; empty for any other argument.
std::string_view commandOptionName(std::string_view arg) {
    for (const CommandOption& o : kCommandOptions)
        if (arg == o.option || (arg.starts_with(o.option) && arg.size() > o.option.size() &&
                                arg[o.option.size()] == '='))
            return o.option;
    return {};
}

// An error when the command does not take one of the options, or one is given twice.
std::string commandOptionError(const Invocation& inv) {
    const auto& given = inv.options.commandOptions;
    for (auto it = given.begin(); it != given.end(); ++it) {
        const bool taken = std::any_of(kCommandOptions.begin(), kCommandOptions.end(),
                                       [&](const CommandOption& o) {
                                           return o.command == inv.command && o.option == it->first;
                                       });
        if (!taken)
            return "unknown option " + it->first;
        if (std::any_of(given.begin(), it, [&](const auto& g) { return g.first == it->first; }))
            return it->first + " given twice";
    }
    return {};
}

constexpr std::string_view kOptionsHelp = "Options (with any command):\n"
                                          "  --port P    use port P (a name or a path)\n"
                                          "  --trace     show the frames exchanged\n"
                                          "  --help, -h  show this help\n";

constexpr std::string_view kExitHelp = "Exit status: 0 done, 2 usage, 3 no device answered,\n"
                                       "4 link lost during the work, 5 file error.\n";

void printUsageLine(std::ostream& os, const Command& c) {
    os << "Usage: " << kProgramName << " " << c.name << " [--port P] [--trace]";
    if (!c.operands.empty())
        os << " " << c.operands;
    os << "\n";
}

void printProgramHelp(std::ostream& os) {
    os << "Usage: " << kProgramName << " [--port P] [--trace] COMMAND [ARGS]\n\nCommands:\n";
    for (const Command& c : kCommands) {
        std::string head = std::string(c.name);
        if (!c.operands.empty())
            head += " " + std::string(c.operands);
        os << "  " << head << std::string(head.size() < 28 ? 28 - head.size() : 1, ' ') << c.summary
           << "\n";
    }
    os << "\n" << kOptionsHelp << "\n" << kExitHelp;
}

void printCommandHelp(std::ostream& os, const Command& c) {
    printUsageLine(os, c);
    std::string summary(c.summary);
    summary[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(summary[0])));
    os << summary << ".\n";
    if (!c.details.empty())
        os << "\n" << c.details;
    os << "\n" << kOptionsHelp << "\n" << kExitHelp;
}

} // namespace

std::string commandOption(const Options& options, std::string_view name) {
    for (const auto& [option, value] : options.commandOptions)
        if (option == name)
            return value;
    return {};
}

std::span<const Command> commands() {
    return kCommands;
}

const Command* findCommand(std::string_view name) {
    for (const Command& c : kCommands)
        if (c.name == name)
            return &c;
    return nullptr;
}

void report(const Invocation& inv, std::string_view message) {
    inv.err << kProgramName;
    if (!inv.command.empty())
        inv.err << " " << inv.command;
    inv.err << ": " << message << "\n";
}

int usageError(const Invocation& inv, std::string_view message) {
    report(inv, message);
    if (const Command* c = findCommand(inv.command))
        printUsageLine(inv.err, *c);
    else
        inv.err << "Try '" << kProgramName << " --help'.\n";
    return kExitUsage;
}

int runCli(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    Invocation inv{{}, {}, {}, out, err};
    bool help = false;
    bool optionsEnded = false;
    std::string optionError;
    std::vector<std::string> words;
    for (std::size_t i = 0; i < args.size() && optionError.empty(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            words.push_back(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if (a == "--help" || a == "-h") {
            help = true;
        } else if (a == "--trace") {
            inv.options.trace = true;
        } else if (a == "--port" || a.starts_with("--port=")) {
            if (a == "--port")
                inv.options.port = i + 1 < args.size() ? args[++i] : std::string();
            else
                inv.options.port = a.substr(a.find('=') + 1);
            if (inv.options.port.empty())
                optionError = "--port needs a port";
        } else if (const std::string_view name = commandOptionName(a); !name.empty()) {
            std::string value;
            if (a == name)
                value = i + 1 < args.size() ? args[++i] : std::string();
            else
                value = a.substr(name.size() + 1);
            if (value.empty())
                optionError = std::string(name) + " needs a file";
            else
                inv.options.commandOptions.emplace_back(name, std::move(value));
        } else {
            optionError = "unknown option " + a;
        }
    }
    const Command* command = words.empty() ? nullptr : findCommand(words.front());
    if (command)
        inv.command = command->name;
    if (!optionError.empty())
        return usageError(inv, optionError);
    if (words.empty()) {
        if (help) {
            printProgramHelp(out);
            return kExitDone;
        }
        return usageError(inv, "no command given");
    }
    if (!command)
        return usageError(inv, "unknown command '" + words.front() + "'");
    if (const std::string error = commandOptionError(inv); !error.empty())
        return usageError(inv, error);
    if (help) {
        printCommandHelp(out, *command);
        return kExitDone;
    }
    inv.operands.assign(words.begin() + 1, words.end());
    return command->run(inv);
}

} // namespace kesmo::cli
