#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace kesmo::testing {

// A pretend sysfs in a temporary directory, laid out as the kernel lays out ttys: the class
// entry links to the tty's directory under devices/, whose device link points at the hardware.
class SysfsTree {
public:
    SysfsTree() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kesmo-sysfs-XXXXXX");
        if (char* made = ::mkdtemp(pattern.data())) {
            m_root = made;
        }
    }
    ~SysfsTree() {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }
    SysfsTree(const SysfsTree&) = delete;
    SysfsTree& operator=(const SysfsTree&) = delete;

    const std::filesystem::path& root() const { return m_root; }

    void file(const std::string& path, const std::string& content) {
        std::filesystem::create_directories((m_root / path).parent_path());
        std::ofstream(m_root / path) << content;
    }

    // A relative link at `path` to `target`, both given from the root.
    void link(const std::string& path, const std::string& target) {
        const auto at = m_root / path;
        std::filesystem::create_directories(at.parent_path());
        std::filesystem::create_directories(m_root / target);
        std::filesystem::create_directory_symlink(
            (m_root / target).lexically_relative(at.parent_path()), at);
    }

    void driver(const std::string& device, const std::string& bus, const std::string& name) {
        link(device + "/driver", "bus/" + bus + "/drivers/" + name);
    }

    void subsystem(const std::string& device, const std::string& bus) {
        link(device + "/subsystem", "bus/" + bus);
    }

    // A tty whose hardware is `device`.
    void tty(const std::string& name, const std::string& device) {
        const std::string dir = device + "/tty/" + name;
        link(dir + "/device", device);
        link("class/tty/" + name, dir);
    }

    // A tty without hardware (a virtual console, the console, ptmx).
    void virtualTty(const std::string& name) {
        const std::string dir = "devices/virtual/tty/" + name;
        file(dir + "/dev", "4:0\n");
        link("class/tty/" + name, dir);
    }

    // A USB serial adapter (a usb-serial port below the interface, as ch341 and ftdi_sio
    // make) on bus `bus`; an empty product leaves the product file out.
    std::string usbSerial(const std::string& name, int bus, const std::string& product,
                          const std::string& driverName) {
        const std::string usbDevice = "devices/pci0000:00/0000:00:14.0/usb" + std::to_string(bus) +
                                      "/" + std::to_string(bus) + "-2";
        if (!product.empty()) {
            file(usbDevice + "/product", product + "\n");
        }
        const std::string port = usbDevice + "/" + std::to_string(bus) + "-2:1.0/" + name;
        driver(port, "usb-serial", driverName);
        tty(name, port);
        return port;
    }

private:
    std::filesystem::path m_root;
};

} // namespace kesmo::testing
