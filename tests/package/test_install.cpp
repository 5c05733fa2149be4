#include <array>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;    // exit status, -1 when the program could not run or was killed
    std::string output; // standard output (unless dropped) and standard error together
};

enum class Stdout { Keep, Drop };

// Runs a program found on PATH with extra NAME=VALUE environment entries.
Outcome run(std::vector<std::string> args, const std::vector<std::string>& extraEnv = {},
            Stdout stdoutMode = Stdout::Keep) {
    std::vector<std::string> envStrings(extraEnv);
    for (char** e = environ; *e; ++e) {
        envStrings.emplace_back(*e);
    }
    std::vector<char*> argv;
    std::vector<char*> envp;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    for (auto& e : envStrings) {
        envp.push_back(e.data());
    }
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    Outcome outcome;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return outcome;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutMode == Stdout::Keep) {
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        outcome.output.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    if (spawned != 0) {
        return outcome;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (!folder.empty() && ::access((fs::path(folder) / program).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The value of KEY= in the [Desktop Entry] group of a desktop file.
std::string desktopValue(const std::string& text, const std::string& key) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(key + "=", 0) == 0) {
            return line.substr(key.size() + 1);
        }
    }
    return {};
}

constexpr std::array kIconSizes{16, 24, 32, 48, 64, 128, 256};
constexpr std::array kPrograms{"kesmo", "kesmo-cli", "kesmo-sim"};

std::string iconPath(int size) {
    const std::string folder = std::to_string(size) + "x" + std::to_string(size);
    return "usr/share/icons/hicolor/" + folder + "/apps/kesmo.png";
}

// The build installed once into a staging root, as a package build stages it.
class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string pattern = (fs::temp_directory_path() / "kesmo-install-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            return;
        }
        s_stage = pattern;
        s_install = run({KESMO_CMAKE_COMMAND, "--install", KESMO_BUILD_DIR, "--prefix", "/usr"},
                        {"DESTDIR=" + s_stage.string()});
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(s_stage, ignored);
    }
    void SetUp() override {
        ASSERT_FALSE(s_stage.empty());
        ASSERT_EQ(s_install.status, 0) << s_install.output;
    }

    static fs::path staged(const std::string& relative) { return s_stage / relative; }

    static inline fs::path s_stage;
    static inline Outcome s_install;
};

TEST_F(Installed, EveryFileIsInItsPlace) {
    std::vector<std::string> files{
        "usr/lib/udev/rules.d/60-kesmo-ch9326.rules",
        "usr/share/applications/kesmo.desktop",
        "usr/share/metainfo/org.kesmo.Kesmo.metainfo.xml",
        "usr/share/doc/kesmo/copyright",
    };
    for (const char* program : kPrograms) {
        files.push_back(std::string("usr/bin/") + program);
        files.push_back(std::string("usr/share/man/man1/") + program + ".1.gz");
    }
    for (int size : kIconSizes) {
        files.push_back(iconPath(size));
    }
    for (const std::string& file : files) {
        EXPECT_TRUE(fs::is_regular_file(staged(file))) << file;
        EXPECT_GT(fs::exists(staged(file)) ? fs::file_size(staged(file)) : 0, 0u) << file;
    }
    for (const char* program : kPrograms) {
        const fs::perms perms = fs::status(staged(std::string("usr/bin/") + program)).permissions();
        EXPECT_NE(perms & fs::perms::others_exec, fs::perms::none) << program;
    }
    EXPECT_NE(readText(staged("usr/lib/udev/rules.d/60-kesmo-ch9326.rules"))
                  .find("ATTRS{idVendor}==\"1a86\", ATTRS{idProduct}==\"e010\""),
              std::string::npos);
}

TEST_F(Installed, IconsAreDrawnAtTheSizeOfTheirFolder) {
    for (int size : kIconSizes) {
        const std::string png = readText(staged(iconPath(size)));
        ASSERT_GE(png.size(), 24u) << size;
        EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n") << size;
        // IHDR: width and height, big-endian, at bytes 16 and 20.
        const auto word = [&png](std::size_t at) {
            std::uint32_t v = 0;
            for (std::size_t i = 0; i < 4; ++i) {
                v = v << 8 | static_cast<unsigned char>(png[at + i]);
            }
            return v;
        };
        EXPECT_EQ(word(16), static_cast<std::uint32_t>(size));
        EXPECT_EQ(word(20), static_cast<std::uint32_t>(size));
    }
}

TEST_F(Installed, DesktopEntryIsValidAndStartsTheInstalledEditor) {
    const fs::path entry = staged("usr/share/applications/kesmo.desktop");
    const std::string text = readText(entry);
    EXPECT_TRUE(fs::is_regular_file(staged("usr/bin/" + desktopValue(text, "Exec"))));
    EXPECT_TRUE(fs::is_regular_file(
        staged("usr/share/icons/hicolor/48x48/apps/" + desktopValue(text, "Icon") + ".png")));
    if (!onPath("desktop-file-validate")) {
        GTEST_SKIP() << "desktop-file-validate is not installed (scripts/deps installs it)";
    }
    const Outcome validated = run({"desktop-file-validate", entry.string()});
    EXPECT_EQ(validated.status, 0) << validated.output;
    EXPECT_EQ(validated.output, "");
}

TEST_F(Installed, MetainfoIsValidAndLaunchesTheDesktopEntry) {
    const fs::path metainfo = staged("usr/share/metainfo/org.kesmo.Kesmo.metainfo.xml");
    const std::string text = readText(metainfo);
    EXPECT_NE(text.find("<id>org.kesmo.Kesmo</id>"), std::string::npos);
    EXPECT_NE(text.find("<launchable type=\"desktop-id\">kesmo.desktop</launchable>"),
              std::string::npos);
    EXPECT_NE(text.find("<modalias>usb:v1A86pE010d*</modalias>"), std::string::npos);
    if (!onPath("appstreamcli")) {
        GTEST_SKIP() << "appstreamcli is not installed (scripts/deps installs it)";
    }
    const Outcome validated = run({"appstreamcli", "validate", "--no-net", metainfo.string()});
    EXPECT_EQ(validated.status, 0) << validated.output;
}

TEST_F(Installed, ManualPagesFormatWithoutWarnings) {
    if (!onPath("man")) {
        GTEST_SKIP() << "man is not installed (scripts/deps installs it)";
    }
    for (const char* program : kPrograms) {
        const fs::path page = staged(std::string("usr/share/man/man1/") + program + ".1.gz");
        const Outcome formatted =
            run({"man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", page.string()},
                {"LC_ALL=C.UTF-8", "MANROFFSEQ=", "MANWIDTH=80"}, Stdout::Drop);
        EXPECT_EQ(formatted.status, 0) << program;
        EXPECT_EQ(formatted.output, "") << program;
    }
}

struct HelpTerm {
    std::string word;
    bool heading; // options and commands head a paragraph of the manual page
};

// The words of a tool's --help that its manual page must name too: options, commands (the
// first word of an indented line under "Commands:") and simulator faults (after "is one of").
std::vector<HelpTerm> helpTerms(const std::string& help) {
    std::vector<HelpTerm> terms;
    std::istringstream lines(help);
    bool inCommands = false;
    bool inFaults = false;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        for (std::string word; words >> word;) {
            if (word.rfind("--", 0) == 0 && word.size() > 2) {
                terms.push_back({word.substr(0, word.find_first_of(",=")), true});
            }
        }
        if (inCommands && line.rfind("  ", 0) == 0 && line[2] != ' ') {
            terms.push_back({line.substr(2, line.find(' ', 2) - 2), true});
        }
        inCommands = line == "Commands:" || (inCommands && !line.empty());
        const std::size_t oneOf = line.find("is one of");
        if (oneOf != std::string::npos || inFaults) {
            std::string list = line.substr(oneOf == std::string::npos ? 0 : oneOf + 9);
            inFaults = list.find(';') == std::string::npos;
            list = list.substr(0, list.find(';'));
            std::istringstream names(list);
            for (std::string name; std::getline(names, name, ',');) {
                name.erase(0, name.find_first_not_of(' '));
                name = name.substr(0, name.find_first_of(":[ "));
                if (!name.empty()) {
                    terms.push_back({name, false});
                }
            }
        }
    }
    return terms;
}

TEST_F(Installed, ManualPagesNameEveryOptionCommandAndFaultOfTheHelp) {
    if (!onPath("man")) {
        GTEST_SKIP() << "man is not installed (scripts/deps installs it)";
    }
    for (const char* program : {"kesmo-cli", "kesmo-sim"}) {
        const Outcome help = run({staged(std::string("usr/bin/") + program).string(), "--help"});
        const fs::path page = staged(std::string("usr/share/man/man1/") + program + ".1.gz");
        const Outcome manual = run({"man", "-E", "ascii", "-l", "-P", "cat", page.string()},
                                   {"LC_ALL=C.UTF-8", "MANWIDTH=1000", "MAN_KEEP_FORMATTING="});
        ASSERT_EQ(manual.status, 0) << program;
        const std::vector<HelpTerm> terms = helpTerms(help.output);
        EXPECT_GE(terms.size(), 5u) << program << ": " << help.output;
        for (const HelpTerm& term : terms) {
            // A paragraph heading is indented by seven columns, the term followed by a space,
            // a comma or the line's end.
            const std::regex pattern(term.heading ? "(^|\\n)       " + term.word + "([ ,]|\\n)"
                                                  : "\\b" + term.word + "\\b");
            EXPECT_TRUE(std::regex_search(manual.output, pattern)) << program << ": " << term.word;
        }
    }
}

TEST_F(Installed, InstalledToolsAnswerHelpFromTheStagingRoot) {
    for (const char* program : {"kesmo-cli", "kesmo-sim"}) {
        const Outcome help = run({staged(std::string("usr/bin/") + program).string(), "--help"});
        EXPECT_EQ(help.status, 0) << program << ": " << help.output;
        EXPECT_EQ(help.output.rfind(std::string("Usage: ") + program, 0), 0u)
            << program << ": " << help.output;
    }
}

} // namespace
