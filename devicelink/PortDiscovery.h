#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kesmo {

// A serial port Connect may try.
struct PortEntry {
    std::string devicePath;   // opens the port
    std::string shortName;    // a name found without the friendly name
    std::string portName;     // the name Connect uses (a path is used as it stands)
    bool usb = false;         // the port sits on USB
    std::string friendlyName; // the name to show
};

// The text between the first "(" and the following ")"; empty when there is none.
std::string portNameOf(std::string_view friendlyName);

// An empty port name takes the short name; an empty friendly name takes the port name and,
// when that holds " (" past its start and its first ")" is its last character, is cut before
// the first " (".
void completeEntry(PortEntry& entry);

inline constexpr const char* kExtraPortsVariable = "KESMO_PORTS";

struct DiscoveryOptions {
    std::filesystem::path sysfsRoot = "/sys";
    // Paths separated by ":"; nullopt reads kExtraPortsVariable from the environment.
    std::optional<std::string> extraPorts;
};

// The extra ports first, then the system's serial ports (a port listed as an extra is not
// listed again). With `probe`, entries whose device path does not open for reading and writing
// are dropped. A failure gives an empty list; it never throws.
std::vector<PortEntry> discoverPorts(bool probe, const DiscoveryOptions& options = {});

} // namespace kesmo
