#include "platform/HidBackend.h"

#include <fstream>
#include <hidapi.h>
#include <iterator>
#include <mutex>

namespace kesmo {

namespace {

// hidapi's strings are wide (UTF-32 here); ours are UTF-8.
std::string utf8(const wchar_t* text) {
    std::string out;
    for (; text && *text; ++text) {
        const auto c = static_cast<std::uint32_t>(*text);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

HidDeviceInfo infoOf(const hid_device_info& d) {
    return {d.path ? d.path : "", d.vendor_id, d.product_id, d.release_number,
            utf8(d.product_string)};
}

// hidraw paths are /dev/hidrawN; the kernel shows the node's descriptor in sysfs.
std::vector<std::uint8_t> descriptorOf(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string node = path.substr(slash == std::string::npos ? 0 : slash + 1);
    if (node.rfind("hidraw", 0) != 0) {
        return {};
    }
    std::ifstream in("/sys/class/hidraw/" + node + "/device/report_descriptor", std::ios::binary);
    if (!in) {
        return {};
    }
    constexpr std::size_t kLongestDescriptor = 4096; // the kernel's HID_MAX_DESCRIPTOR_SIZE
    std::vector<std::uint8_t> bytes;
    for (std::istreambuf_iterator<char> it(in), end; it != end && bytes.size() < kLongestDescriptor;
         ++it) {
        bytes.push_back(static_cast<std::uint8_t>(*it));
    }
    return bytes;
}

class HidapiDevice final : public HidDevice {
public:
    HidapiDevice(hid_device* device, std::string path)
        : m_device(device), m_path(std::move(path)) {}
    ~HidapiDevice() override { hid_close(m_device); }
    HidapiDevice(const HidapiDevice&) = delete;
    HidapiDevice& operator=(const HidapiDevice&) = delete;

    std::optional<HidDeviceInfo> info() override {
        const hid_device_info* d = hid_get_device_info(m_device);
        if (!d) {
            return std::nullopt;
        }
        return infoOf(*d);
    }

    int write(std::span<const std::uint8_t> wireReport) override {
        return hid_write(m_device, wireReport.data(), wireReport.size());
    }

    int read(std::span<std::uint8_t> report, std::chrono::milliseconds timeout) override {
        return hid_read_timeout(m_device, report.data(), report.size(),
                                static_cast<int>(timeout.count()));
    }

    int sendFeatureReport(std::span<const std::uint8_t> wireReport) override {
        return hid_send_feature_report(m_device, wireReport.data(), wireReport.size());
    }

    std::vector<std::uint8_t> reportDescriptor() override { return descriptorOf(m_path); }

private:
    hid_device* m_device;
    std::string m_path;
};

class HidapiBackend final : public HidBackend {
public:
    std::vector<HidDeviceInfo> enumerate(std::uint16_t vendorId) override {
        std::vector<HidDeviceInfo> found;
        hid_device_info* list = hid_enumerate(vendorId, 0);
        for (const hid_device_info* d = list; d; d = d->next) {
            found.push_back(infoOf(*d));
        }
        hid_free_enumeration(list);
        return found;
    }

    std::unique_ptr<HidDevice> open(const std::string& path) override {
        hid_device* device = hid_open_path(path.c_str());
        if (!device) {
            return nullptr;
        }
        return std::make_unique<HidapiDevice>(device, path);
    }
};

} // namespace

std::shared_ptr<HidBackend> hidapiBackend() {
    static std::once_flag initialised;
    std::call_once(initialised, [] { hid_init(); });
    return std::make_shared<HidapiBackend>();
}

} // namespace kesmo
