#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The HID reports of the CH9326 bridge, both directions, and its configuration feature report.
// This is the one place that knows their layout; the layer and the fake bridge both use it.
//
// Assumed layout: the bridge's reports are unnumbered (report id 0) and 32 bytes long. Byte 0
// carries the number of data bytes that follow (0..31), bytes 1..31 the UART data, the unused
// tail is zero. Written reports go to the HID write with the report id in front (33 bytes);
// read reports come without it (32 bytes). Configuration goes out as a feature report of the
// same size: byte 0 the command, then its parameters.
namespace kesmo::ch9326 {

inline constexpr std::uint8_t kReportId = 0;
inline constexpr std::size_t kReportSize = 32;
inline constexpr std::size_t kMaxDataBytes = kReportSize - 1;
inline constexpr std::size_t kWireReportSize = 1 + kReportSize; // with the report id

using Report = std::array<std::uint8_t, kReportSize>;
using WireReport = std::array<std::uint8_t, kWireReportSize>;

// The pieces of up to 31 bytes, in order, that UART bytes travel in, one report each.
std::vector<std::span<const std::uint8_t>> reportPieces(std::span<const std::uint8_t> bytes);

// Host side: what the HID write is given for up to 31 UART bytes (more are cut off).
WireReport outputReport(std::span<const std::uint8_t> data);
// Host side: the UART bytes of a report read; a count beyond what was read is cut to it.
std::span<const std::uint8_t> inputData(std::span<const std::uint8_t> report);

// Bridge side (the fake): the UART bytes of a written report, report id included; empty when
// the report id is not ours.
std::span<const std::uint8_t> outputData(std::span<const std::uint8_t> wireReport);
// Bridge side: the report read by the host for up to 31 UART bytes.
Report inputReport(std::span<const std::uint8_t> data);

enum class FeatureCommand : std::uint8_t {
    SetUart = 0x01,     // rate, parity, stop, data and interval codes of the library
    SetTimeouts = 0x02, // read and send time-outs in ms, 32-bit little-endian each
};

struct UartSettings {
    std::uint8_t rate = 0;
    std::uint8_t parity = 0;
    std::uint8_t stop = 0;
    std::uint8_t data = 0;
    std::uint8_t interval = 0;
    bool operator==(const UartSettings&) const = default;
};

struct Timeouts {
    std::uint32_t readMs = 0;
    std::uint32_t sendMs = 0;
    bool operator==(const Timeouts&) const = default;
};

WireReport uartFeatureReport(const UartSettings& settings);
WireReport timeoutFeatureReport(const Timeouts& timeouts);
// Bridge side: what a feature report sets, when it carries that command.
std::optional<UartSettings> uartSettingsOf(std::span<const std::uint8_t> wireReport);
std::optional<Timeouts> timeoutsOf(std::span<const std::uint8_t> wireReport);

} // namespace kesmo::ch9326
