#include "SimTestSupport.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

using namespace kesmo::sim;
using namespace kesmo::sim::test;

namespace {

// kesmo-sim as the end-to-end tests start it: a child process whose first line is the path.
class Program {
public:
    explicit Program(std::vector<std::string> args) {
        int out[2];
        if (::pipe(out) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        args.insert(args.begin(), KESMO_SIM_PROGRAM);
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, KESMO_SIM_PROGRAM, &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        m_out = out[0];
    }
    ~Program() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            exitStatus();
        }
        if (m_out >= 0) {
            ::close(m_out);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    std::string firstLine() {
        std::string line;
        char c = 0;
        while (::read(m_out, &c, 1) == 1 && c != '\n') {
            line.push_back(c);
        }
        return line;
    }
    std::string allOutput() {
        std::string text;
        char buffer[512];
        for (ssize_t n; (n = ::read(m_out, buffer, sizeof buffer)) > 0;) {
            text.append(buffer, static_cast<std::size_t>(n));
        }
        return text;
    }
    int exitStatus() {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
};

TEST(Program, HelpAndBadOptions) {
    {
        Program help({"--help"});
        EXPECT_NE(help.allOutput().find("--fault NAME[:ARG][@CODE][/COUNT]"), std::string::npos);
        EXPECT_EQ(help.exitStatus(), 0);
    }
    for (const auto& args : {std::vector<std::string>{"--bogus"},
                             {"--identity", "1"},
                             {"--fault", "Refuse:9"},
                             {"--load", "/nonexistent/file.dia"},
                             {"--load"}}) {
        Program bad(args);
        EXPECT_EQ(bad.exitStatus(), 2) << args[0];
    }
}

TEST(Program, ServesWithIdentityLoadedStateAndFaults) {
    const auto path = std::filesystem::path(::testing::TempDir()) / "kesmo_sim_program.dia";
    Bytes file(2778);
    for (std::size_t i = 0; i < file.size(); ++i) {
        file[i] = static_cast<std::uint8_t>(i % 251);
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));

    Program sim({"--identity", "0,1", "--load", path.string(), "--fault", "Refuse:3@1/1"});
    const std::string slave = sim.firstLine();
    ASSERT_EQ(slave.rfind("/dev/", 0), 0u) << slave;
    Client client(slave);
    ASSERT_TRUE(client.ok());

    ASSERT_TRUE(client.send(hex("FF 55 03 00 7F 00 82")));
    EXPECT_EQ(toHex(client.receive(8)), "FF 55 04 00 7F 00 01 84");
    ASSERT_TRUE(client.send(hex("FF 55 04 00 01 00 33 38")));
    EXPECT_EQ(toHex(client.receive(7)), "FF 55 03 00 01 03 07");
    ASSERT_TRUE(client.send(hex("FF 55 04 00 01 00 33 38")));
    EXPECT_EQ(toHex(client.receive(7)), "FF 55 03 00 01 00 04");
    ASSERT_TRUE(client.send(wire(129, {0})));
    const Bytes system = client.receive(72);
    ASSERT_EQ(system.size(), 72u);
    Bytes expected(file.begin(), file.begin() + 66);
    expected[3] = 0x33;
    EXPECT_EQ(toHex(Bytes(system.begin() + 5, system.begin() + 71)), toHex(expected));
    std::filesystem::remove(path);
}

TEST(Program, HangUpEndsTheProgram) {
    Program sim({"--fault", "HangUp@127"});
    Client client(sim.firstLine());
    ASSERT_TRUE(client.ok());
    ASSERT_TRUE(client.send(hex("FF 55 03 00 7F 00 82")));
    EXPECT_EQ(sim.exitStatus(), 0);
}

} // namespace
