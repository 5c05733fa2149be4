#include "platform/TtyPorts.h"

#include "platform/SerialLine.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <tuple>

namespace kesmo {

namespace fs = std::filesystem;

namespace {

// A bus directory of the USB core is named usb followed by the bus number.
bool isUsbBus(const std::string& component) {
    return component.size() > 3 && component.starts_with("usb") &&
           std::all_of(component.begin() + 3, component.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

std::string firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
        line.pop_back();
    }
    return line;
}

// The product string of the USB device the port belongs to: the nearest directory above the
// port's device that has one, staying inside the tree.
std::string usbProduct(const fs::path& device, const fs::path& root) {
    std::error_code ec;
    for (fs::path dir = device; dir != root && dir.has_relative_path(); dir = dir.parent_path()) {
        const fs::path product = dir / "product";
        if (fs::is_regular_file(product, ec)) {
            return firstLine(product);
        }
    }
    return {};
}

std::string linkName(const fs::path& link) {
    std::error_code ec;
    const fs::path target = fs::canonical(link, ec);
    return ec ? std::string() : target.filename().string();
}

// The driver of the hardware behind the port. Newer kernels put serial core devices ("port",
// "ctrl") between the tty and the UART; their drivers say nothing, so look past them.
std::string driverName(fs::path device, const fs::path& root) {
    while (device != root && device.has_relative_path() &&
           linkName(device / "subsystem") == "serial-base") {
        device = device.parent_path();
    }
    return linkName(device / "driver");
}

std::optional<TtyPort> portOf(const fs::directory_entry& entry, const fs::path& root) {
    std::error_code ec;
    const fs::path device = fs::canonical(entry.path() / "device", ec);
    if (ec) {
        return std::nullopt;
    }
    TtyPort port;
    port.name = entry.path().filename().string();
    port.devicePath = portPath(port.name);
    for (const auto& component : device.lexically_relative(root)) {
        port.usb = port.usb || isUsbBus(component.string());
    }
    std::string shown = port.usb ? usbProduct(device, root) : std::string();
    if (shown.empty()) {
        shown = driverName(device, root);
    }
    if (shown.empty()) {
        shown = "Serial port";
    }
    port.friendlyName = shown + " (" + port.name + ")";
    return port;
}

auto sortKey(const TtyPort& p) {
    const auto digits = p.name.find_last_not_of("0123456789") + 1;
    return std::make_tuple(!p.usb, p.name.substr(0, digits), portNumber(p.name), p.name);
}

} // namespace

std::vector<TtyPort> listTtyPorts(const fs::path& sysfsRoot) {
    std::vector<TtyPort> ports;
    std::error_code ec;
    const fs::path root = fs::canonical(sysfsRoot, ec);
    if (ec) {
        return ports;
    }
    fs::directory_iterator it(root / "class" / "tty", ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        if (auto port = portOf(*it, root)) {
            ports.push_back(std::move(*port));
        }
    }
    std::sort(ports.begin(), ports.end(),
              [](const TtyPort& a, const TtyPort& b) { return sortKey(a) < sortKey(b); });
    return ports;
}

} // namespace kesmo
