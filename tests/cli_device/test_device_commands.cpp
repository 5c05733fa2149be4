#include "model/FieldCatalogue.h"
#include "model/Presets.h"
#include "tests/cli/CliRun.h"
#include "tests/connection/ConnectionTestSupport.h"
#include "tools/kesmo-cli/DeviceCommands.h"

#include <numeric>

using namespace kesmo;
using namespace kesmo::layout;
using kesmo::cli::testing::FileTest;
using kesmo::cli::testing::Outcome;
using kesmo::cli::testing::runArgs;
using kesmo::test::eventually;
using kesmo::test::SimDevice;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

template <std::size_t N> Bytes bytesOf(const std::array<std::uint8_t, N>& a) {
    return Bytes(a.begin(), a.end());
}

std::size_t offsetOf(const std::string& path) {
    const std::optional<Field> field = findField(path);
    EXPECT_TRUE(field) << path;
    return field ? field->offset : 0;
}

struct DeviceCommandTest : FileTest {
    void SetUp() override {
        FileTest::SetUp();
        cli::deviceEnvironment().clock = &kesmo::test::noPauseClock();
    }
    void TearDown() override {
        cli::deviceEnvironment() = {};
        FileTest::TearDown();
    }
    Outcome run(SimDevice& device, std::vector<std::string> args) {
        args.insert(args.begin(), {"--port", device.path()});
        return runArgs(args);
    }
};

TEST_F(DeviceCommandTest, ReadGivesTheSimulatorsWorkingState) {
    SimDevice device;
    device.engine.modifyState([](sim::DeviceState& s) {
        s.system[system::kMusicVolume] = 17;
        s.working[300] = 0x5A;
        s.working[image::kFileSum] = 0x33;
    });
    const Outcome o = run(device, {"read", path("state")});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "");
    const sim::DeviceState s = device.engine.state();
    Bytes expected = bytesOf(s.system);
    const Bytes image = bytesOf(s.working);
    expected.insert(expected.end(), image.begin(), image.end());
    EXPECT_EQ(readFile(path("state.dia")), expected);
}

TEST_F(DeviceCommandTest, SetChangesExactlyTheAddressedBytes) {
    SimDevice device;
    const sim::DeviceState before = device.engine.state();
    const std::size_t gain = offsetOf("musicLeft.eq[0].gain");
    const std::size_t delay = offsetOf("scene[1].mainL.delay");
    const std::size_t volume = offsetOf("system.musicVolume");
    const Outcome o = run(device, {"set", "musicLeft.eq[0].gain=130", "scene[1].mainL.delay=0x0123",
                                   "system.musicVolume=40"});
    ASSERT_EQ(o.status, 0) << o.err;

    const sim::DeviceState after = device.engine.state();
    Bytes image = bytesOf(before.working);
    image[gain] = 130;
    image[delay] = 0x23;
    image[delay + 1] = 0x01;
    Bytes system = bytesOf(before.system);
    system[volume] = 40;
    EXPECT_EQ(bytesOf(after.working), image);
    EXPECT_EQ(bytesOf(after.system), system);
    EXPECT_EQ(after.storedModes, before.storedModes);
}

TEST_F(DeviceCommandTest, SetMaximumVolumesFollowTheModelsRule) {
    struct Case {
        const char* what;
        std::uint8_t micVolume, micMax;
        std::vector<std::string> args;
        int status;
        std::uint8_t expectVolume, expectMax;
    };
    const Case cases[] = {
        {"a lower maximum takes the volume down", 60, 84, {"system.micMaxVolume=10"}, 0, 10, 10},
        {"and unmutes it", 0x80 | 60, 84, {"system.micMaxVolume=10"}, 0, 10, 10},
        {"a volume below the maximum stays", 5, 84, {"system.micMaxVolume=10"}, 0, 5, 10},
        {"a volume above the device's maximum", 20, 40, {"system.micVolume=50"}, 2, 20, 40},
        {"a volume above a maximum set before it",
         20,
         84,
         {"system.micMaxVolume=60", "system.micVolume=70"},
         2,
         20,
         84},
        {"a muted volume at the maximum", 20, 40, {"system.micVolume=0xA8"}, 0, 0xA8, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimDevice device;
        device.engine.modifyState([&](sim::DeviceState& s) {
            s.system[system::kMicVolume] = c.micVolume;
            s.system[system::kMicMaxVolume] = c.micMax;
        });
        std::vector<std::string> args{"set"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome o = run(device, args);
        EXPECT_EQ(o.status, c.status) << o.err;
        if (c.status != 0) {
            EXPECT_NE(o.err.find("is above its maximum"), std::string::npos) << o.err;
        }
        const sim::DeviceState after = device.engine.state();
        EXPECT_EQ(after.system[system::kMicVolume], c.expectVolume);
        EXPECT_EQ(after.system[system::kMicMaxVolume], c.expectMax);
    }
}

TEST_F(DeviceCommandTest, AChangeTheDeviceNeverAcknowledgesIsNoSuccess) {
    for (const sim::Fault& fault : {sim::Fault::silent(), sim::Fault::badChecksum()}) {
        SCOPED_TRACE(sim::describe({fault, 3, std::nullopt}));
        SimDevice device;
        device.engine.addFault({fault, 3, std::nullopt});
        const Outcome o = run(device, {"set", "musicLeft.eq[0].gain=130"});
        EXPECT_EQ(o.status, 4);
        EXPECT_EQ(o.out, "");
        EXPECT_NE(o.err.find("the link was lost"), std::string::npos) << o.err;
        EXPECT_EQ(device.engine.count(3), 3u) << "written three times";
    }
}

TEST_F(DeviceCommandTest, FaultsAimedAtEachPhase) {
    struct Case {
        const char* fault; // NAME[:ARG]@CODE[/COUNT]
        std::vector<std::string> command;
        int status;
    };
    const std::string clean = path("clean");
    {
        SimDevice device;
        ASSERT_EQ(run(device, {"read", clean}).status, 0);
    }
    const Bytes cleanRead = readFile(clean + ".dia");
    ASSERT_EQ(cleanRead.size(), kSingleModeFileSize);
    const Case cases[] = {
        {"BadChecksum@127/1", {"read"}, 0},
        {"Refuse:1@128/1", {"read"}, 0},
        {"Refuse:3@129/1", {"read"}, 0},
        {"SplitReply@130/1", {"read"}, 0},
        {"GarbagePrefix@129/1", {"read"}, 0},
        {"Silent@130/1", {"read"}, 0},
        {"Delay:300@127/1", {"read"}, 0},
        {"BadChecksum@127", {"read"}, 3},
        {"Silent@130", {"read"}, 4},
        {"HangUp@128/1", {"read"}, 4},
        {"Silent@3", {"set", "musicLeft.eq[0].gain=130"}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        SimDevice device;
        std::string error;
        const std::optional<sim::FaultRule> rule = sim::parseFaultRule(c.fault, error);
        ASSERT_TRUE(rule) << error;
        device.engine.addFault(*rule);
        const std::string file = path("faulted");
        std::vector<std::string> args = c.command;
        if (c.command.front() == "read")
            args.push_back(file);
        // A query that is never answered runs its retries in virtual time; later phases need
        // real time for the replies before them.
        FakeClock clock;
        if (!rule->count && rule->code == codeValue(CommandCode::ReadIdentity))
            cli::deviceEnvironment().clock = &clock;
        const Outcome o = run(device, args);
        cli::deviceEnvironment().clock = &kesmo::test::noPauseClock();
        EXPECT_EQ(o.status, c.status) << o.err;
        if (c.command.front() == "read") {
            if (c.status == 0)
                EXPECT_EQ(readFile(file + ".dia"), cleanRead) << "as a clean read gives";
            else
                EXPECT_FALSE(std::filesystem::exists(file + ".dia"));
        }
        std::filesystem::remove(file + ".dia");
    }
}

TEST_F(DeviceCommandTest, SetRefusesBytesNoParameterChangeCarries) {
    SimDevice device;
    const sim::DeviceState before = device.engine.state();
    const Outcome o = run(device, {"set", "musicLeft.eq[0].gain=130", "name=Party"});
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find("name is not sent to the device by parameter changes"), std::string::npos)
        << o.err;
    EXPECT_EQ(device.engine.state().working, before.working) << "nothing is applied";
}

TEST_F(DeviceCommandTest, WritePutsTheFileIntoTheSimulator) {
    SimDevice device;
    const sim::DeviceState s = device.engine.state();
    Bytes file = bytesOf(s.system);
    const Bytes image = bytesOf(s.working);
    file.insert(file.end(), image.begin(), image.end());
    file[0] = 12; // the device keeps its current mode
    file[system::kMusicVolume] = 21;
    file[kSystemBlockSize + offsetOf("musicRight.eq[4].gain")] = 100;
    const std::string name = write("one.dia", file);

    const Outcome o = run(device, {"write", name});
    ASSERT_EQ(o.status, 0) << o.err;

    Bytes expectedImage(file.begin() + kSystemBlockSize, file.end());
    expectedImage[image::kFileSum] = static_cast<std::uint8_t>(
        std::accumulate(expectedImage.begin(), expectedImage.end(), 0u) & 0xFF);
    Bytes expectedSystem(file.begin(), file.begin() + kSystemBlockSize);
    expectedSystem[0] = s.system[0];
    const sim::DeviceState after = device.engine.state();
    EXPECT_EQ(bytesOf(after.working), expectedImage);
    EXPECT_EQ(bytesOf(after.system), expectedSystem);
}

TEST_F(DeviceCommandTest, BackupThenRestoreRoundTrips) {
    SimDevice source, target;
    source.engine.modifyState([](sim::DeviceState& s) {
        for (std::size_t n = 1; n <= kStoredModes; ++n) {
            s.storedMode(n)[300] = static_cast<std::uint8_t>(n);
            s.storedSystem(n)[system::kMusicVolume] = static_cast<std::uint8_t>(n);
        }
    });
    const Outcome backup = run(source, {"backup", path("bank")});
    ASSERT_EQ(backup.status, 0) << backup.err;
    const Bytes file = readFile(path("bank.dat"));
    ASSERT_EQ(file.size(), kBankFileSizeNew);
    const sim::DeviceState s = source.engine.state();
    for (std::size_t n = 1; n <= kStoredModes; ++n) {
        const auto mode =
            file.begin() + static_cast<std::ptrdiff_t>(kSystemBlockSize + (n - 1) * kModeImageSize);
        EXPECT_TRUE(std::equal(s.storedMode(n).begin(), s.storedMode(n).end(), mode)) << n;
    }

    const Outcome restore = run(target, {"restore", path("bank.dat")});
    ASSERT_EQ(restore.status, 0) << restore.err;
    const sim::DeviceState t = target.engine.state();
    EXPECT_EQ(t.storedModes, s.storedModes);
    EXPECT_EQ(t.storedSystems, s.storedSystems);
}

TEST_F(DeviceCommandTest, ExitStatusesOfFailures) {
    {
        SCOPED_TRACE("silence: no device answered after the identity retries");
        SimDevice device;
        device.engine.addFault({sim::Fault::silent(), std::nullopt, std::nullopt});
        FakeClock clock;
        cli::deviceEnvironment().clock = &clock;
        const Outcome o = run(device, {"read", path("none")});
        cli::deviceEnvironment().clock = &kesmo::test::noPauseClock();
        EXPECT_EQ(o.status, 3);
        EXPECT_EQ(o.err, "kesmo-cli read: Unable to Open Device!\n");
        EXPECT_TRUE(eventually([&] { return device.engine.count(127) == 3; }));
        EXPECT_FALSE(std::filesystem::exists(path("none.dia")));
    }
    {
        SCOPED_TRACE("a port that does not exist");
        const Outcome o = runArgs({"--port", "kesmo-no-such-port", "read", path("none")});
        EXPECT_EQ(o.status, 3);
    }
    {
        SCOPED_TRACE("the device hangs up during the read");
        SimDevice device;
        device.engine.addFault({sim::Fault::hangUp(), 130, 1});
        const Outcome o = run(device, {"read", path("none")});
        EXPECT_EQ(o.status, 4);
        EXPECT_NE(o.err.find("the link was lost"), std::string::npos) << o.err;
    }
    {
        SCOPED_TRACE("files that cannot be read are refused before the device is contacted");
        SimDevice device;
        const std::string shortBank = write("short.dat", Bytes(kBankFileSizeOld - 1, 0));
        EXPECT_EQ(run(device, {"write", path("missing.dia")}).err,
                  "kesmo-cli write: File read Error\n");
        EXPECT_EQ(run(device, {"write", write("short.dia", Bytes(10, 0))}).status, 5);
        const Outcome o = run(device, {"restore", shortBank});
        EXPECT_EQ(o.status, 5);
        EXPECT_EQ(o.err, "kesmo-cli restore: MusicFile read Error\n");
        EXPECT_EQ(device.engine.count(127), 0u);
    }
    {
        SCOPED_TRACE("a file that cannot be created");
        SimDevice device;
        const Outcome o = run(device, {"read", path("no/such/folder/x")});
        EXPECT_EQ(o.status, 5);
        EXPECT_EQ(o.err, "kesmo-cli read: MusicFile Write Error\n");
    }
}

TEST_F(DeviceCommandTest, TracePrintsEveryFrameBothWays) {
    SimDevice device;
    const Outcome o = run(device, {"--trace", "read", path("traced")});
    ASSERT_EQ(o.status, 0) << o.err;
    std::istringstream lines(o.out);
    std::string first, second;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_EQ(first, "> FF 55 03 00 7F 00 82");
    EXPECT_EQ(second, "< FF 55 04 00 7F 01 01 85");
    std::size_t written = 0, received = 0;
    for (std::string line; std::getline(lines, line);) {
        written += line.starts_with("> FF 55 ");
        received += line.starts_with("< FF 55 ");
    }
    EXPECT_GE(written, 23u) << "the rest of the 24 reads";
    EXPECT_GE(received, 23u);
    EXPECT_EQ(readFile(path("traced.dia")).size(), kSingleModeFileSize);
}

TEST_F(DeviceCommandTest, PortsListsSerialThenUsbCandidates) {
    cli::deviceEnvironment().serialPorts = [] {
        return std::vector<PortEntry>{{"/dev/ttyUSB0", "", "ttyUSB0", true, "CP2102 (ttyUSB0)"},
                                      {"/dev/ttyS0", "", "ttyS0", false, "ttyS0"}};
    };
    cli::deviceEnvironment().usbPaths = [] { return std::vector<std::string>{"/dev/hidraw3"}; };
    const Outcome o = runArgs({"ports"});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "ttyUSB0\tCP2102 (ttyUSB0)\t1\n"
                     "ttyS0\tttyS0\t0\n"
                     "/dev/hidraw3\tCH9326 USB bridge\t1\n");
}

} // namespace
