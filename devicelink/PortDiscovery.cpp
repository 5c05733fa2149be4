#include "devicelink/PortDiscovery.h"

#include "platform/SerialLine.h"
#include "platform/TtyPorts.h"

#include <algorithm>
#include <cstdlib>

namespace kesmo {

namespace {

std::vector<PortEntry> extraPorts(const DiscoveryOptions& options) {
    std::string list;
    if (options.extraPorts) {
        list = *options.extraPorts;
    } else if (const char* value = std::getenv(kExtraPortsVariable)) {
        list = value;
    }
    std::vector<PortEntry> entries;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        const std::string path = list.substr(start, end - start);
        if (!path.empty()) {
            entries.push_back({portPath(path), path, path, false, {}});
        }
        start = end + 1;
    }
    return entries;
}

bool opensForReadAndWrite(const std::string& devicePath) {
    SerialLine line;
    return line.open(devicePath).ok();
}

} // namespace

std::string portNameOf(std::string_view friendlyName) {
    const auto open = friendlyName.find('(');
    if (open == std::string_view::npos) {
        return {};
    }
    const auto close = friendlyName.find(')', open + 1);
    if (close == std::string_view::npos) {
        return {};
    }
    return std::string(friendlyName.substr(open + 1, close - open - 1));
}

void completeEntry(PortEntry& entry) {
    if (entry.portName.empty()) {
        entry.portName = entry.shortName;
    }
    if (entry.friendlyName.empty()) {
        entry.friendlyName = entry.portName;
        const auto cut = entry.friendlyName.find(" (");
        if (cut != std::string::npos && cut > 0 &&
            entry.friendlyName.find(')') == entry.friendlyName.size() - 1) {
            entry.friendlyName.resize(cut);
        }
    }
}

std::vector<PortEntry> discoverPorts(bool probe, const DiscoveryOptions& options) {
    try {
        std::vector<PortEntry> entries = extraPorts(options);
        const std::size_t extras = entries.size();
        for (const TtyPort& port : listTtyPorts(options.sysfsRoot)) {
            const bool listed =
                std::any_of(entries.begin(), entries.begin() + static_cast<long>(extras),
                            [&](const PortEntry& e) { return e.devicePath == port.devicePath; });
            std::string portName = portNameOf(port.friendlyName);
            if (!listed && !portName.empty()) {
                entries.push_back(
                    {port.devicePath, port.name, std::move(portName), port.usb, port.friendlyName});
            }
        }
        for (PortEntry& entry : entries) {
            completeEntry(entry);
        }
        if (probe) {
            std::erase_if(entries,
                          [](const PortEntry& e) { return !opensForReadAndWrite(e.devicePath); });
        }
        return entries;
    } catch (...) {
        return {};
    }
}

} // namespace kesmo
