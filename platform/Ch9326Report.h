#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The HID reports of the CH9326 bridge, both directions, and its configuration feature report.
// This is the one place that knows their layout; the layer and the fake bridge both use it.
//
// The sizes come from the bridge's HID report descriptor. What remains assumed is the layout
// inside a data report and the sizes used when no descriptor can be read: reports are
// unnumbered (report id 0); byte 0 of a data report carries the number of UART bytes that
// follow, the unused tail is zero; without a descriptor a data report is 32 bytes. Written
// reports go to the HID calls with the report id in front; read reports come without it. The
// feature report is the five UART codes of the rate call, in the order of its arguments.
namespace kesmo::ch9326 {

inline constexpr std::uint8_t kReportId = 0;
inline constexpr std::size_t kUartCodes = 5;

// Report lengths without the report id.
struct ReportSizes {
    std::size_t input = 0;
    std::size_t output = 0;
    std::size_t feature = 0;
    bool operator==(const ReportSizes&) const = default;
};
inline constexpr ReportSizes kAssumedSizes{32, 32, kUartCodes};
// The longest report taken from a descriptor; a count byte cannot say more than 255.
inline constexpr std::size_t kLargestReport = 256;

// The sizes an unnumbered report descriptor declares; a size it declares none of (or one beyond
// kLargestReport) is 0. Nothing when the descriptor is malformed or numbers its reports.
std::optional<ReportSizes> reportSizesOf(std::span<const std::uint8_t> descriptor);
// The descriptor's sizes where it declares them, the assumed ones elsewhere. Data reports need
// room for the count and one byte.
ReportSizes usableSizes(std::span<const std::uint8_t> descriptor);

// Bridge side (the fake): a minimal descriptor declaring these sizes.
std::vector<std::uint8_t> reportDescriptorFor(const ReportSizes& sizes);

// The pieces, in order, that UART bytes travel in, one report of that size each.
std::vector<std::span<const std::uint8_t>> reportPieces(std::span<const std::uint8_t> bytes,
                                                        std::size_t reportSize);

// Host side: what the HID write is given for the UART bytes that fit one report (more are cut).
std::vector<std::uint8_t> outputReport(std::span<const std::uint8_t> data, std::size_t reportSize);
// Host side: the UART bytes of a report read; a count beyond what was read is cut to it.
std::span<const std::uint8_t> inputData(std::span<const std::uint8_t> report);

// Bridge side (the fake): the UART bytes of a written report, report id included; empty when
// the report id is not ours.
std::span<const std::uint8_t> outputData(std::span<const std::uint8_t> wireReport);
// Bridge side: the report read by the host for the UART bytes that fit one report.
std::vector<std::uint8_t> inputReport(std::span<const std::uint8_t> data, std::size_t reportSize);

struct UartSettings {
    std::uint8_t rate = 0;
    std::uint8_t parity = 0;
    std::uint8_t stop = 0;
    std::uint8_t data = 0;
    std::uint8_t interval = 0;
    bool operator==(const UartSettings&) const = default;
};

// The feature report with the report id in front, padded to a declared size beyond five bytes;
// nothing when the declared feature report cannot hold the five codes.
std::optional<std::vector<std::uint8_t>> uartFeatureReport(const UartSettings& settings,
                                                           std::size_t featureSize);
// Bridge side: what a feature report sets.
std::optional<UartSettings> uartSettingsOf(std::span<const std::uint8_t> wireReport);

} // namespace kesmo::ch9326
