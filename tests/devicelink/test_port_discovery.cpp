#include "devicelink/PortDiscovery.h"
#include "tests/platform/SysfsTree.h"

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

namespace kesmo {
namespace {

using testing::SysfsTree;

TEST(PortName, TextBetweenTheFirstParentheses) {
    const struct {
        const char* friendly;
        const char* port;
    } cases[] = {
        {"USB Serial (ttyUSB0)", "ttyUSB0"},
        {"Communications Port (COM7)", "COM7"},
        {"A (B) (C)", "B"},
        {"(ttyS0)", "ttyS0"},
        {"no parentheses", ""},
        {"open only (ttyS0", ""},
        {"empty ()", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(portNameOf(c.friendly), c.port) << c.friendly;
    }
}

TEST(CompleteEntry, EmptyFieldsAreFilledIn) {
    const struct {
        PortEntry in;
        const char* portName;
        const char* friendlyName;
    } cases[] = {
        {{"/dev/ttyS0", "ttyS0", "", false, ""}, "ttyS0", "ttyS0"},
        {{"/dev/ttyS0", "ttyS0", "ttyS1", false, ""}, "ttyS1", "ttyS1"},
        {{"", "x", "USB Serial (ttyUSB0)", true, ""}, "USB Serial (ttyUSB0)", "USB Serial"},
        {{"", "", "A (B) tail", false, ""}, "A (B) tail", "A (B) tail"},
        {{"", "", " (B)", false, ""}, " (B)", " (B)"},
        {{"", "", "A (B) (C)", false, ""}, "A (B) (C)", "A (B) (C)"},
        {{"", "", "A (B)", false, "kept (X)"}, "A (B)", "kept (X)"},
    };
    for (const auto& c : cases) {
        PortEntry entry = c.in;
        completeEntry(entry);
        EXPECT_EQ(entry.portName, c.portName);
        EXPECT_EQ(entry.friendlyName, c.friendlyName) << c.in.portName;
    }
}

class Discovery : public ::testing::Test {
protected:
    void SetUp() override {
        sys.usbSerial("ttyUSB0", 1, "USB Serial", "ch341-uart");
        sys.driver("devices/pnp0/00:01", "pnp", "serial");
        sys.tty("ttyS0", "devices/pnp0/00:01");
        for (const char* name : {"tty", "tty0", "tty1", "console", "ptmx"}) {
            sys.virtualTty(name);
        }
    }

    DiscoveryOptions options(std::string extra = "") const {
        return {sys.root(), std::move(extra)};
    }

    SysfsTree sys;
};

TEST_F(Discovery, ListsTheSystemsSerialPorts) {
    const auto entries = discoverPorts(false, options());
    ASSERT_EQ(entries.size(), 2u);

    EXPECT_EQ(entries[0].devicePath, "/dev/ttyUSB0");
    EXPECT_EQ(entries[0].shortName, "ttyUSB0");
    EXPECT_EQ(entries[0].portName, "ttyUSB0");
    EXPECT_TRUE(entries[0].usb);
    EXPECT_EQ(entries[0].friendlyName, "USB Serial (ttyUSB0)");

    EXPECT_EQ(entries[1].devicePath, "/dev/ttyS0");
    EXPECT_EQ(entries[1].portName, "ttyS0");
    EXPECT_FALSE(entries[1].usb);
    EXPECT_EQ(entries[1].friendlyName, "serial (ttyS0)");
}

TEST_F(Discovery, ExtraPortsComeFirst) {
    const auto entries = discoverPorts(false, options("/dev/pts/7::/tmp/sim-b:ttyUSB0"));
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].devicePath, "/dev/pts/7");
    EXPECT_EQ(entries[0].portName, "/dev/pts/7");
    EXPECT_EQ(entries[0].friendlyName, "/dev/pts/7");
    EXPECT_FALSE(entries[0].usb);
    EXPECT_EQ(entries[1].portName, "/tmp/sim-b");
    EXPECT_EQ(entries[2].devicePath, "/dev/ttyUSB0") << "a name becomes a /dev path";
    EXPECT_EQ(entries[2].portName, "ttyUSB0");
    EXPECT_EQ(entries[3].portName, "ttyS0") << "ttyUSB0 is not listed twice";
}

TEST_F(Discovery, ExtraPortsFromTheEnvironment) {
    const char* before = std::getenv(kExtraPortsVariable);
    const std::optional<std::string> saved =
        before ? std::optional<std::string>(before) : std::nullopt;

    ASSERT_EQ(::setenv(kExtraPortsVariable, "/dev/pts/9", 1), 0);
    const auto entries = discoverPorts(false, {sys.root(), std::nullopt});
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].portName, "/dev/pts/9");

    ::unsetenv(kExtraPortsVariable);
    EXPECT_EQ(discoverPorts(false, {sys.root(), std::nullopt}).size(), 2u);
    if (saved) {
        ::setenv(kExtraPortsVariable, saved->c_str(), 1);
    }
}

TEST_F(Discovery, MissingTreeGivesAnEmptyList) {
    EXPECT_TRUE(discoverPorts(false, {"/nonexistent/kesmo-sysfs", ""}).empty());
    EXPECT_EQ(discoverPorts(false, {"/nonexistent/kesmo-sysfs", "/dev/pts/3"}).size(), 1u);
}

TEST_F(Discovery, ProbeDropsPortsThatDoNotOpen) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string slave = ::ptsname(master);

    const auto all = discoverPorts(false, options(slave + ":/nonexistent/tty"));
    EXPECT_EQ(all.size(), 4u) << "without the probe nothing is opened";
    const auto opened = discoverPorts(true, options(slave + ":/nonexistent/tty"));
    ASSERT_FALSE(opened.empty());
    EXPECT_EQ(opened[0].devicePath, slave);
    for (const auto& e : opened) {
        EXPECT_NE(e.devicePath, "/nonexistent/tty");
    }
    ::close(master);
}

} // namespace
} // namespace kesmo
