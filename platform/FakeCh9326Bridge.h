#pragma once

#include "platform/Ch9326.h"
#include "platform/Ch9326Report.h"
#include "platform/HidBackend.h"

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>

namespace kesmo {

// A HidBackend of pretend CH9326 bridges, for tests: it records what the host writes and lets
// the test put reports in the host's way, change what a bridge reports and pull it out.
// With a UART peer, the UART bytes of each written report go to the peer, which answers
// through injectUartBytes; a simulator of the processor can sit there.
class FakeCh9326Bridge final : public HidBackend {
public:
    struct Spec {
        std::string path;
        std::uint16_t vendorId = kCh9326VendorId;
        std::uint16_t productId = 0xE010;
        std::uint16_t releaseNumber = 0x0100;
        std::string product = "CH9326";
        bool attributesFail = false; // the attributes query fails on every open handle
        // What the bridge declares; its data reports take these sizes (the assumed ones where
        // it declares none). Empty: the descriptor cannot be read.
        std::vector<std::uint8_t> descriptor = ch9326::reportDescriptorFor(ch9326::kAssumedSizes);
    };
    using UartPeer = std::function<void(std::span<const std::uint8_t> uartBytes)>;

    FakeCh9326Bridge();

    // Plugs a bridge in (replacing one at the same path, as a new device).
    void plugIn(Spec spec);
    // The bridge disappears: it is no longer enumerated, opens fail, and handles already open
    // see their reads report a gone device and their writes fail.
    void pullOut(const std::string& path);

    // The next `count` report writes to the bridge fail (it stays present).
    void failWrites(const std::string& path, int count);

    // A report as the host reads it (byte 0 the count), cut or padded to the input size.
    void injectReport(const std::string& path, std::span<const std::uint8_t> report);
    // UART bytes from the device side, as full reports of the input size.
    void injectUartBytes(const std::string& path, std::span<const std::uint8_t> bytes);
    void setUartPeer(const std::string& path, UartPeer peer);

    // Written reports as handed to the HID write (report id first), in order.
    std::vector<std::vector<std::uint8_t>> writtenReports(const std::string& path) const;
    // The UART bytes those reports carried, in order.
    std::vector<std::uint8_t> writtenUartBytes(const std::string& path) const;
    std::vector<std::vector<std::uint8_t>> featureReports(const std::string& path) const;
    // What the last feature report set.
    std::optional<ch9326::UartSettings> uartSettings(const std::string& path) const;
    // Handles open on the bridge now.
    int openCount(const std::string& path) const;
    // Injected reports the host has not read yet.
    std::size_t pendingReports(const std::string& path) const;

    std::vector<HidDeviceInfo> enumerate(std::uint16_t vendorId) override;
    std::unique_ptr<HidDevice> open(const std::string& path) override;

    struct Core;

private:
    std::shared_ptr<Core> m_core;
};

} // namespace kesmo
