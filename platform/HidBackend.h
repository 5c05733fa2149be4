#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The seam under the CH9326 layer: hidapi in production, a fake bridge in tests.
namespace kesmo {

struct HidDeviceInfo {
    std::string path;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t releaseNumber = 0;
    std::string product;
};

// One open HID device. read() may run on another thread than the other calls.
class HidDevice {
public:
    virtual ~HidDevice() = default;
    virtual std::optional<HidDeviceInfo> info() = 0;
    // Bytes written, or -1 when the write failed.
    virtual int write(std::span<const std::uint8_t> wireReport) = 0;
    // Bytes of one report read, 0 when none came within the timeout, -1 when the device is gone.
    virtual int read(std::span<std::uint8_t> report, std::chrono::milliseconds timeout) = 0;
    // Bytes sent, or -1.
    virtual int sendFeatureReport(std::span<const std::uint8_t> wireReport) = 0;
    // The device's HID report descriptor; empty when it cannot be read.
    virtual std::vector<std::uint8_t> reportDescriptor() = 0;
};

class HidBackend {
public:
    virtual ~HidBackend() = default;
    // The present devices of a vendor, any product.
    virtual std::vector<HidDeviceInfo> enumerate(std::uint16_t vendorId) = 0;
    // nullptr when the path cannot be opened.
    virtual std::unique_ptr<HidDevice> open(const std::string& path) = 0;
};

// The hidapi (hidraw) backend; it initialises hidapi on first use.
std::shared_ptr<HidBackend> hidapiBackend();

} // namespace kesmo
