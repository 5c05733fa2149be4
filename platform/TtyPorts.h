#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kesmo {

// A serial port the kernel lists under <sysfs>/class/tty.
struct TtyPort {
    std::string name;       // "ttyUSB0"
    std::string devicePath; // "/dev/ttyUSB0"
    bool usb = false;       // its device sits on a USB bus
    // The USB product name (or the driver's name) followed by " (ttyUSB0)".
    std::string friendlyName;
};

// Every tty entry with a device link (virtual consoles and pseudo-terminals have none): USB
// ports first, then the others, each by name and number (ttyS2 before ttyS10). A missing or
// unreadable tree gives none.
std::vector<TtyPort> listTtyPorts(const std::filesystem::path& sysfsRoot = "/sys");

} // namespace kesmo
