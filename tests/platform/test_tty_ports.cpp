#include "platform/TtyPorts.h"
#include "tests/platform/SysfsTree.h"

#include <gtest/gtest.h>

namespace kesmo {
namespace {

using testing::SysfsTree;

const TtyPort* find(const std::vector<TtyPort>& ports, const std::string& name) {
    for (const auto& p : ports) {
        if (p.name == name) {
            return &p;
        }
    }
    return nullptr;
}

TEST(TtyPorts, UsbSerialAdapter) {
    SysfsTree sys;
    sys.usbSerial("ttyUSB0", 1, "USB Serial", "ch341-uart");
    const auto ports = listTtyPorts(sys.root());
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].name, "ttyUSB0");
    EXPECT_EQ(ports[0].devicePath, "/dev/ttyUSB0");
    EXPECT_TRUE(ports[0].usb);
    EXPECT_EQ(ports[0].friendlyName, "USB Serial (ttyUSB0)");
}

TEST(TtyPorts, UsbAdapterWithoutAProductNameShowsItsDriver) {
    SysfsTree sys;
    sys.usbSerial("ttyUSB1", 3, "", "ftdi_sio");
    const auto ports = listTtyPorts(sys.root());
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_TRUE(ports[0].usb);
    EXPECT_EQ(ports[0].friendlyName, "ftdi_sio (ttyUSB1)");
}

TEST(TtyPorts, CdcAcmDeviceTakesTheProductAboveItsInterface) {
    SysfsTree sys;
    sys.file("devices/pci0000:00/0000:00:14.0/usb2/2-1/product", "Velqor SV\n");
    const std::string interface = "devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0";
    sys.driver(interface, "usb", "cdc_acm");
    sys.tty("ttyACM0", interface);
    const auto ports = listTtyPorts(sys.root());
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_TRUE(ports[0].usb);
    EXPECT_EQ(ports[0].friendlyName, "Velqor SV (ttyACM0)");
}

TEST(TtyPorts, BuiltInPort) {
    SysfsTree sys;
    sys.driver("devices/pnp0/00:01", "pnp", "serial");
    sys.tty("ttyS0", "devices/pnp0/00:01");
    const auto ports = listTtyPorts(sys.root());
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].name, "ttyS0");
    EXPECT_EQ(ports[0].devicePath, "/dev/ttyS0");
    EXPECT_FALSE(ports[0].usb);
    EXPECT_EQ(ports[0].friendlyName, "serial (ttyS0)");
}

TEST(TtyPorts, SerialCoreDevicesAreLookedPast) {
    SysfsTree sys;
    const std::string port = "devices/pnp0/00:02/00:02:0/00:02:0.0";
    sys.subsystem(port, "serial-base");
    sys.driver(port, "serial-base", "port");
    sys.subsystem("devices/pnp0/00:02/00:02:0", "serial-base");
    sys.driver("devices/pnp0/00:02/00:02:0", "serial-base", "ctrl");
    sys.subsystem("devices/pnp0/00:02", "pnp");
    sys.driver("devices/pnp0/00:02", "pnp", "serial");
    sys.tty("ttyS1", port);
    const auto ports = listTtyPorts(sys.root());
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].friendlyName, "serial (ttyS1)");
}

TEST(TtyPorts, PortWithoutADriverStillHasAName) {
    SysfsTree sys;
    sys.tty("ttyS3", "devices/platform/serial8250");
    const auto ports = listTtyPorts(sys.root());
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].friendlyName, "Serial port (ttyS3)");
}

TEST(TtyPorts, TtysWithoutADeviceAreNotPorts) {
    SysfsTree sys;
    for (const char* name : {"tty", "tty0", "tty1", "tty63", "console", "ptmx"}) {
        sys.virtualTty(name);
    }
    sys.driver("devices/pnp0/00:01", "pnp", "serial");
    sys.tty("ttyS0", "devices/pnp0/00:01");
    // A device link to nothing does not count either.
    sys.file("devices/virtual/tty/ttyX/dev", "4:1\n");
    std::filesystem::create_directory_symlink("../../../gone",
                                              sys.root() / "devices/virtual/tty/ttyX/device");
    sys.link("class/tty/ttyX", "devices/virtual/tty/ttyX");
    const auto ports = listTtyPorts(sys.root());
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].name, "ttyS0");
}

TEST(TtyPorts, UsbPortsFirstThenByNameAndNumber) {
    SysfsTree sys;
    for (const char* name : {"ttyS10", "ttyS2", "ttyS0"}) {
        sys.tty(name, std::string("devices/platform/serial8250.") + name);
    }
    sys.usbSerial("ttyUSB0", 1, "USB Serial", "ch341-uart");
    sys.file("devices/pci0000:00/0000:00:14.0/usb2/2-1/product", "Velqor SV\n");
    sys.tty("ttyACM0", "devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0");
    const auto ports = listTtyPorts(sys.root());
    std::vector<std::string> names;
    for (const auto& p : ports) {
        names.push_back(p.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"ttyACM0", "ttyUSB0", "ttyS0", "ttyS2", "ttyS10"}));
    EXPECT_FALSE(find(ports, "ttyS10")->usb);
}

TEST(TtyPorts, MissingTreeGivesNone) {
    EXPECT_TRUE(listTtyPorts("/nonexistent/kesmo-sysfs").empty());
    SysfsTree sys;
    EXPECT_TRUE(listTtyPorts(sys.root()).empty()) << "no class/tty";
}

TEST(TtyPorts, TheRealTreeDoesNotFail) {
    for (const auto& p : listTtyPorts()) {
        EXPECT_FALSE(p.name.empty());
        EXPECT_EQ(p.devicePath, "/dev/" + p.name);
    }
}

} // namespace
} // namespace kesmo
