#include "platform/Ch9326Report.h"

#include <algorithm>

namespace kesmo::ch9326 {

std::vector<std::span<const std::uint8_t>> reportPieces(std::span<const std::uint8_t> bytes) {
    std::vector<std::span<const std::uint8_t>> pieces;
    for (std::size_t pos = 0; pos < bytes.size(); pos += kMaxDataBytes) {
        pieces.push_back(bytes.subspan(pos, std::min(kMaxDataBytes, bytes.size() - pos)));
    }
    return pieces;
}

WireReport outputReport(std::span<const std::uint8_t> data) {
    WireReport wire{};
    const std::size_t count = std::min(data.size(), kMaxDataBytes);
    wire[0] = kReportId;
    wire[1] = static_cast<std::uint8_t>(count);
    std::copy_n(data.begin(), count, wire.begin() + 2);
    return wire;
}

std::span<const std::uint8_t> inputData(std::span<const std::uint8_t> report) {
    if (report.empty()) {
        return {};
    }
    const std::size_t count =
        std::min({static_cast<std::size_t>(report[0]), kMaxDataBytes, report.size() - 1});
    return report.subspan(1, count);
}

std::span<const std::uint8_t> outputData(std::span<const std::uint8_t> wireReport) {
    if (wireReport.empty() || wireReport[0] != kReportId) {
        return {};
    }
    return inputData(wireReport.subspan(1));
}

Report inputReport(std::span<const std::uint8_t> data) {
    Report report{};
    const std::size_t count = std::min(data.size(), kMaxDataBytes);
    report[0] = static_cast<std::uint8_t>(count);
    std::copy_n(data.begin(), count, report.begin() + 1);
    return report;
}

WireReport uartFeatureReport(const UartSettings& settings) {
    WireReport wire{};
    wire[0] = kReportId;
    wire[1] = static_cast<std::uint8_t>(FeatureCommand::SetUart);
    wire[2] = settings.rate;
    wire[3] = settings.parity;
    wire[4] = settings.stop;
    wire[5] = settings.data;
    wire[6] = settings.interval;
    return wire;
}

WireReport timeoutFeatureReport(const Timeouts& timeouts) {
    WireReport wire{};
    wire[0] = kReportId;
    wire[1] = static_cast<std::uint8_t>(FeatureCommand::SetTimeouts);
    for (std::size_t i = 0; i < 4; ++i) {
        wire[2 + i] = static_cast<std::uint8_t>(timeouts.readMs >> (8 * i));
        wire[6 + i] = static_cast<std::uint8_t>(timeouts.sendMs >> (8 * i));
    }
    return wire;
}

namespace {

bool carries(std::span<const std::uint8_t> wire, FeatureCommand command) {
    return wire.size() == kWireReportSize && wire[0] == kReportId &&
           wire[1] == static_cast<std::uint8_t>(command);
}

std::uint32_t little32(std::span<const std::uint8_t> bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    }
    return value;
}

} // namespace

std::optional<UartSettings> uartSettingsOf(std::span<const std::uint8_t> wireReport) {
    if (!carries(wireReport, FeatureCommand::SetUart)) {
        return std::nullopt;
    }
    return UartSettings{wireReport[2], wireReport[3], wireReport[4], wireReport[5], wireReport[6]};
}

std::optional<Timeouts> timeoutsOf(std::span<const std::uint8_t> wireReport) {
    if (!carries(wireReport, FeatureCommand::SetTimeouts)) {
        return std::nullopt;
    }
    return Timeouts{little32(wireReport.subspan(2)), little32(wireReport.subspan(6))};
}

} // namespace kesmo::ch9326
