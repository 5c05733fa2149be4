#include "tests/cli/CliRun.h"

using namespace kesmo::cli;
using namespace kesmo::cli::testing;

namespace {

struct Case {
    std::vector<std::string> args;
    int status;
    std::string out; // expected within stdout
    std::string err; // expected within stderr
};

const Case kCases[] = {
    {{}, kExitUsage, "", "kesmo-cli: no command given\n"},
    {{"--help"}, kExitDone, "Usage: kesmo-cli [--port P] [--trace] COMMAND [ARGS]", ""},
    {{"-h", "--trace"}, kExitDone, "Exit status: 0 done, 2 usage, 3 no device answered", ""},
    {{"dump", "--help"}, kExitDone, "Usage: kesmo-cli dump [--port P] [--trace] FILE\n", ""},
    {{"--port", "ttyUSB0", "set", "-h"}, kExitDone, "image[N] (0..2711) or system[N] (0..65)", ""},
    {{"read", "--help"}, kExitDone, "Usage: kesmo-cli read [--port P] [--trace] FILE", ""},
    {{"frobnicate"}, kExitUsage, "", "kesmo-cli: unknown command 'frobnicate'\n"},
    {{"dump", "--bogus", "x.dia"}, kExitUsage, "", "kesmo-cli dump: unknown option --bogus\n"},
    {{"--bogus"}, kExitUsage, "", "kesmo-cli: unknown option --bogus\n"},
    {{"read", "x.dia", "--port"}, kExitUsage, "", "kesmo-cli read: --port needs a port\n"},
    {{"read", "--port=", "x.dia"}, kExitUsage, "", "--port needs a port"},
    // After "--" an operand may start with a dash.
    {{"dump", "--", "-x.dia"}, kExitFileError, "", "kesmo-cli dump: -x.dia: File read Error"},
    // Device commands check their operands before any port is opened.
    {{"ports", "extra"}, kExitUsage, "", "kesmo-cli ports: expects no operands\n"},
    {{"--port", "ttyUSB9", "read"}, kExitUsage, "", "kesmo-cli read: expects one FILE\n"},
    {{"write", "a.dia", "b.dia"}, kExitUsage, "", "kesmo-cli write: expects one FILE\n"},
    {{"backup"}, kExitUsage, "", "kesmo-cli backup: expects one FILE\n"},
    {{"restore", "bank.bin"}, kExitUsage, "", "kesmo-cli restore: FILE must be a .dat file\n"},
};

TEST(Cli, OptionsHelpAndUsageErrors) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.args.empty() ? std::string("(none)") : c.args.front());
        const Outcome o = runArgs(c.args);
        EXPECT_EQ(o.status, c.status);
        EXPECT_NE(o.out.find(c.out), std::string::npos) << o.out;
        EXPECT_NE(o.err.find(c.err), std::string::npos) << o.err;
        EXPECT_TRUE(!c.out.empty() || o.out.empty()) << o.out;
        EXPECT_TRUE(!c.err.empty() || o.err.empty()) << o.err;
    }
}

TEST(Cli, HelpListsEveryRegisteredCommand) {
    const Outcome o = runArgs({"--help"});
    for (const Command& c : commands())
        EXPECT_NE(o.out.find("\n  " + std::string(c.name) + " "), std::string::npos) << c.name;
}

} // namespace
