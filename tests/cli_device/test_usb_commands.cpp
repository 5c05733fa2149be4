#include "model/FieldCatalogue.h"
#include "model/Presets.h"
#include "platform/Ch9326.h"
#include "platform/FakeCh9326Bridge.h"
#include "tests/cli/CliRun.h"
#include "tests/connection/ConnectionTestSupport.h"
#include "tests/e2e/SimBridge.h"
#include "tools/kesmo-cli/DeviceCommands.h"

#include <fstream>
#include <memory>

using namespace kesmo;
using namespace kesmo::layout;
using kesmo::cli::testing::FileTest;
using kesmo::cli::testing::Outcome;
using kesmo::cli::testing::runArgs;

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr const char* kBridgePath = "/dev/hidraw7";

// kesmo-cli with no serial port at all and the simulator behind a CH9326 bridge.
struct UsbCommandTest : FileTest {
    std::shared_ptr<FakeCh9326Bridge> bridge = std::make_shared<FakeCh9326Bridge>();
    sim::Engine engine;

    void SetUp() override {
        FileTest::SetUp();
        cli::deviceEnvironment().clock = &kesmo::test::noPauseClock();
        cli::deviceEnvironment().serialPorts = [] { return std::vector<PortEntry>{}; };
        bridge->plugIn({.path = kBridgePath});
        test::forwardToEngine(*bridge, kBridgePath, engine);
        setCh9326Backend(bridge);
    }
    void TearDown() override {
        setCh9326Backend(nullptr);
        cli::deviceEnvironment() = {};
        FileTest::TearDown();
    }
};

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST_F(UsbCommandTest, PortsListsTheBridge) {
    const Outcome o = runArgs({"ports"});
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("CH9326 USB bridge"), std::string::npos) << o.out;
}

TEST_F(UsbCommandTest, ReadAndSetGoThroughTheBridge) {
    engine.modifyState([](sim::DeviceState& s) {
        s.working[image::kSceneSelect] = 0; // what the program holds before the read
        s.working[700] = 0x42;
    });
    const Outcome read = runArgs({"read", path("usb")});
    ASSERT_EQ(read.status, 0) << read.err;
    const sim::DeviceState s = engine.state();
    Bytes expected(s.system.begin(), s.system.end());
    expected.insert(expected.end(), s.working.begin(), s.working.end());
    EXPECT_EQ(readFile(path("usb.dia")), expected);

    const std::size_t gain = findField("musicLeft.eq[1].gain")->offset;
    const Outcome set = runArgs({"set", "musicLeft.eq[1].gain=131"});
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(engine.state().working[gain], 131);
}

} // namespace
