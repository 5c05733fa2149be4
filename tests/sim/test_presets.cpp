#include "SimTestSupport.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

using namespace kesmo::sim;
using namespace kesmo::sim::test;

namespace {

// Bytes that differ from their neighbours and from one mode to the next.
Bytes patterned(std::size_t size) {
    Bytes file(size);
    for (std::size_t i = 0; i < size; ++i) {
        file[i] = static_cast<std::uint8_t>((i * 7 + i / 2712) & 0xFF);
    }
    return file;
}

bool same(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

struct PresetTest : ::testing::Test {
    std::unique_ptr<DeviceState> state = std::make_unique<DeviceState>(DeviceState::factory());
    const std::unique_ptr<DeviceState> factory =
        std::make_unique<DeviceState>(DeviceState::factory());
};

TEST_F(PresetTest, SingleModeFileReplacesTheWorkingState) {
    const Bytes file = patterned(2778);
    std::string error;
    ASSERT_TRUE(loadPreset(*state, file, error)) << error;
    EXPECT_TRUE(same(state->system, std::span(file).first(66)));
    EXPECT_TRUE(same(state->working, std::span(file).subspan(66)));
    EXPECT_EQ(state->storedModes, factory->storedModes);
    EXPECT_EQ(state->storedSystems, factory->storedSystems);
}

TEST_F(PresetTest, OlderBankFileFillsTheModesAndTheFirstSystemBlock) {
    Bytes file = patterned(57019);
    file[0] = 5; // the header's current mode
    std::string error;
    ASSERT_TRUE(loadPreset(*state, file, error)) << error;
    for (std::size_t n = 1; n <= 21; ++n) {
        EXPECT_TRUE(same(state->storedMode(n), std::span(file).subspan(66 + (n - 1) * 2712, 2712)))
            << n;
    }
    EXPECT_TRUE(same(state->system, std::span(file).first(66)));
    EXPECT_EQ(state->storedSystem(1), state->system);
    EXPECT_EQ(state->storedSystem(2), factory->storedSystem(2));
    EXPECT_EQ(state->working, state->storedMode(5)) << "runs the header's current mode";
}

TEST_F(PresetTest, NewerBankFileCarriesEveryStoredSystemBlock) {
    Bytes file = patterned(58405);
    file[0] = 0; // no current mode named: the working image stays
    std::string error;
    ASSERT_TRUE(loadPreset(*state, file, error)) << error;
    for (std::size_t n = 1; n <= 21; ++n) {
        EXPECT_TRUE(same(state->storedSystem(n), std::span(file).subspan(57019 + (n - 1) * 66, 66)))
            << n;
    }
    EXPECT_TRUE(same(state->storedMode(21), std::span(file).subspan(66 + 20 * 2712, 2712)));
    EXPECT_EQ(state->working, factory->working);
}

TEST_F(PresetTest, OtherLengthsAreRefusedAndChangeNothing) {
    for (const std::size_t size : {0u, 66u, 2777u, 2779u, 57018u, 57020u, 58404u, 58406u}) {
        std::string error;
        EXPECT_FALSE(loadPreset(*state, patterned(size), error)) << size;
        EXPECT_NE(error.find(std::to_string(size)), std::string::npos) << error;
    }
    EXPECT_EQ(state->working, factory->working);
    EXPECT_EQ(state->system, factory->system);
    EXPECT_EQ(state->storedModes, factory->storedModes);
}

TEST(PresetFile, EngineLoadsFromDiskOrKeepsItsState) {
    const auto dir = std::filesystem::path(::testing::TempDir()) / "kesmo_sim_presets";
    std::filesystem::create_directories(dir);
    const auto good = dir / "one.dia";
    const auto bad = dir / "short.dia";
    const Bytes file = patterned(2778);
    std::ofstream(good, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
    std::ofstream(bad, std::ios::binary).write("abc", 3);

    Engine engine;
    std::string error;
    EXPECT_FALSE(engine.loadFile(bad.string(), error));
    EXPECT_NE(error.find("short.dia"), std::string::npos);
    EXPECT_FALSE(engine.loadFile((dir / "missing.dat").string(), error));
    EXPECT_EQ(engine.state().working, DeviceState::factory().working);

    ASSERT_TRUE(engine.loadFile(good.string(), error)) << error;
    // What was loaded is what the device answers with.
    const Bytes reply = engine.feed(wire(130, {0})).joined();
    ASSERT_EQ(reply.size(), 2719u);
    EXPECT_TRUE(same(std::span(reply).subspan(6, 2712), std::span(file).subspan(66)));
    std::filesystem::remove_all(dir);
}

} // namespace
