#pragma once

#include "tools/kesmo-cli/Cli.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace kesmo::cli::testing {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

inline Outcome runArgs(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    Outcome o;
    o.status = runCli(args, out, err);
    o.out = out.str();
    o.err = err.str();
    return o;
}

// A fresh folder per test.
class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = std::filesystem::path(::testing::TempDir()) /
                (std::string("kesmo_cli_") + info->test_suite_name() + "_" + info->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        const auto path = m_dir / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }

private:
    std::filesystem::path m_dir;
};

} // namespace kesmo::cli::testing
