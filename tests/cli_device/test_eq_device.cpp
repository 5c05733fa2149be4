#include "model/RoomEqFile.h"
#include "tests/cli/CliRun.h"
#include "tests/connection/ConnectionTestSupport.h"
#include "tests/model/RoomEqFixture.h"
#include "tools/kesmo-cli/DeviceCommands.h"

using namespace kesmo;
using namespace kesmo::layout;
using kesmo::cli::testing::FileTest;
using kesmo::cli::testing::Outcome;
using kesmo::cli::testing::runArgs;
using kesmo::test::SimDevice;

namespace {

const std::string kRoomFile =
    test::rewFile(std::string(test::kRewFilters) + "Filter: ON HS Fc 8000 Hz Gain 4 dB Q 0.71\n");

struct EqDeviceTest : FileTest {
    void SetUp() override {
        FileTest::SetUp();
        cli::deviceEnvironment().clock = &kesmo::test::noPauseClock();
        device = std::make_unique<SimDevice>();
        // The program's first meter request carries scene 0 before the device's state arrives.
        device->engine.modifyState([](sim::DeviceState& s) { s.working[image::kSceneSelect] = 0; });
        room = write("room.txt", std::vector<std::uint8_t>(kRoomFile.begin(), kRoomFile.end()));
    }
    void TearDown() override {
        device.reset();
        cli::deviceEnvironment() = {};
        FileTest::TearDown();
    }
    Outcome run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--port", device->path()});
        return runArgs(args);
    }
    std::unique_ptr<SimDevice> device;
    std::string room;
};

TEST_F(EqDeviceTest, ImportLeavesTheSimulatorsMic2BandsAtTheExpectedCodes) {
    const auto before = device->engine.state().working;
    const Outcome o = run({"eq-import", "mic2", room});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.out.find("band 5 (line 15): HS 8000 Hz 4 dB Q 0.71 -> HS 8000 Hz 4 dB Q 0.71\n"),
              std::string::npos)
        << o.out;

    auto expected = before;
    const RoomEqChannel mic2 = *findRoomEqChannel("mic2");
    const auto put = [&](int band, int freq, int gain, int q, int type) {
        const std::size_t at = mic2.bandOffset(band);
        expected[at] = static_cast<std::uint8_t>(freq & 0xFF);
        expected[at + 1] = static_cast<std::uint8_t>(freq >> 8);
        expected[at + 2] = static_cast<std::uint8_t>(gain);
        expected[at + 3] = static_cast<std::uint8_t>(q);
        expected[at + 4] = static_cast<std::uint8_t>(type);
    };
    put(0, 61, 89, 43, 1);
    put(1, 73, 108, 10, 2);
    put(3, 204, 135, 22, 0);
    put(4, 312, 140, 10, 3);
    for (int band : {2, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19})
        expected[mic2.bandOffset(band) + eqband::kType] = 0;
    EXPECT_EQ(device->engine.state().working, expected);
}

TEST_F(EqDeviceTest, ExportWritesTheDevicesBands) {
    device->engine.modifyState([](sim::DeviceState& s) {
        const std::size_t at = findRoomEqChannel("scene[1].sub")->bandOffset(2);
        s.working[at] = 61;
        s.working[at + 1] = 0;
        s.working[at + 2] = 89;
        s.working[at + 3] = 43;
        s.working[at + 4] = 1;
    });
    const auto image = device->engine.state().working;
    const Outcome o = run({"eq-export", "scene[1].sub", path("sub.txt")});
    ASSERT_EQ(o.status, 0) << o.err;
    std::ifstream in(path("sub.txt"));
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text, writeRoomEqText(*findRoomEqChannel("scene[1].sub"), image,
                                    "Kesmo: scene[1].sub of the device"));
    EXPECT_NE(text.find("Filter  3: ON  PK       Fc 63.7 Hz  Gain -6.2 dB  Q 4.80\n"),
              std::string::npos)
        << text;
}

TEST_F(EqDeviceTest, RefusalsLeaveTheDeviceAlone) {
    struct Case {
        const char* channel;
        bool micLink;
        const char* error;
    };
    const Case cases[] = {
        {"scene[2].mainL", false,
         "kesmo-cli eq-import: scene[2].mainL: the device is editing scene 1, and only that "
         "scene's bands are sent\n"},
        {"mic2", true,
         "kesmo-cli eq-import: mic2 follows mic1 while their link is on; import into mic1 or "
         "switch the link off\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.channel);
        device->engine.modifyState(
            [&](sim::DeviceState& s) { s.working[image::kMicLink] = c.micLink ? 1 : 0; });
        const auto before = device->engine.state().working;
        const Outcome o = run({"eq-import", c.channel, room});
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.err, c.error);
        EXPECT_EQ(o.out, "");
        EXPECT_EQ(device->engine.state().working, before);
    }
}

} // namespace
