#include "platform/Ch9326Report.h"

#include <algorithm>

namespace kesmo::ch9326 {

namespace {

enum ItemType : std::uint8_t { Main = 0, Global = 1, Local = 2 };
enum MainTag : std::uint8_t { Input = 0x8, Output = 0x9, Feature = 0xB };
enum GlobalTag : std::uint8_t {
    ReportSize = 0x7,
    ReportId = 0x8,
    ReportCount = 0x9,
    Push = 0xA,
    Pop = 0xB
};

struct Globals {
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
};

constexpr std::size_t kMaxPushes = 16;
constexpr std::uint64_t kBitLimit = 8 * (kLargestReport + 1);

std::size_t bytesOf(std::uint64_t bits) {
    const std::uint64_t bytes = (bits + 7) / 8;
    return bytes > kLargestReport ? 0 : static_cast<std::size_t>(bytes);
}

// The longest piece of UART bytes one report of that size carries.
std::size_t dataRoom(std::size_t reportSize) {
    return std::min<std::size_t>(reportSize > 0 ? reportSize - 1 : 0, 255);
}

} // namespace

std::optional<ReportSizes> reportSizesOf(std::span<const std::uint8_t> descriptor) {
    Globals globals;
    std::vector<Globals> pushed;
    std::uint64_t bits[3] = {0, 0, 0}; // input, output, feature
    std::size_t pos = 0;
    while (pos < descriptor.size()) {
        const std::uint8_t prefix = descriptor[pos++];
        if (prefix == 0xFE) { // long item: size, tag, data
            if (descriptor.size() - pos < 2) {
                return std::nullopt;
            }
            const std::size_t size = descriptor[pos];
            pos += 2;
            if (descriptor.size() - pos < size) {
                return std::nullopt;
            }
            pos += size;
            continue;
        }
        const std::size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (descriptor.size() - pos < size) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < size; ++i) {
            value |= static_cast<std::uint32_t>(descriptor[pos + i]) << (8 * i);
        }
        pos += size;
        const auto type = static_cast<std::uint8_t>((prefix >> 2) & 3);
        const auto tag = static_cast<std::uint8_t>(prefix >> 4);
        if (type == Global) {
            switch (tag) {
            case ReportSize:
                globals.reportSize = value;
                break;
            case ReportCount:
                globals.reportCount = value;
                break;
            case ReportId:
                return std::nullopt;
            case Push:
                if (pushed.size() == kMaxPushes) {
                    return std::nullopt;
                }
                pushed.push_back(globals);
                break;
            case Pop:
                if (pushed.empty()) {
                    return std::nullopt;
                }
                globals = pushed.back();
                pushed.pop_back();
                break;
            default:
                break;
            }
        } else if (type == Main && (tag == Input || tag == Output || tag == Feature)) {
            const std::size_t which = tag == Input ? 0 : tag == Output ? 1 : 2;
            const std::uint64_t itemBits =
                static_cast<std::uint64_t>(globals.reportSize) * globals.reportCount;
            bits[which] = std::min(bits[which] + std::min(itemBits, kBitLimit), kBitLimit);
        }
    }
    return ReportSizes{bytesOf(bits[0]), bytesOf(bits[1]), bytesOf(bits[2])};
}

ReportSizes usableSizes(std::span<const std::uint8_t> descriptor) {
    ReportSizes sizes = kAssumedSizes;
    if (const auto declared = reportSizesOf(descriptor)) {
        if (declared->input >= 2) {
            sizes.input = declared->input;
        }
        if (declared->output >= 2) {
            sizes.output = declared->output;
        }
        if (declared->feature > 0) {
            sizes.feature = declared->feature;
        }
    }
    return sizes;
}

std::vector<std::uint8_t> reportDescriptorFor(const ReportSizes& sizes) {
    std::vector<std::uint8_t> d = {
        0x06, 0xA0, 0xFF, // usage page, vendor defined
        0x09, 0x01,       // usage
        0xA1, 0x01,       // collection, application
    };
    const std::pair<std::size_t, std::uint8_t> items[] = {
        {sizes.input, 0x81}, {sizes.output, 0x91}, {sizes.feature, 0xB1}};
    for (const auto& [size, main] : items) {
        if (size == 0) {
            continue;
        }
        const auto count = static_cast<std::uint16_t>(size);
        d.insert(d.end(), {0x09, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x96,
                           static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8),
                           main, 0x02});
    }
    d.push_back(0xC0); // end collection
    return d;
}

std::vector<std::span<const std::uint8_t>> reportPieces(std::span<const std::uint8_t> bytes,
                                                        std::size_t reportSize) {
    std::vector<std::span<const std::uint8_t>> pieces;
    const std::size_t room = dataRoom(reportSize);
    if (room == 0) {
        return pieces;
    }
    for (std::size_t pos = 0; pos < bytes.size(); pos += room) {
        pieces.push_back(bytes.subspan(pos, std::min(room, bytes.size() - pos)));
    }
    return pieces;
}

std::vector<std::uint8_t> outputReport(std::span<const std::uint8_t> data, std::size_t reportSize) {
    std::vector<std::uint8_t> wire(1 + reportSize, 0);
    wire[0] = kReportId;
    if (reportSize == 0) {
        return wire;
    }
    const std::size_t count = std::min(data.size(), dataRoom(reportSize));
    wire[1] = static_cast<std::uint8_t>(count);
    std::copy_n(data.begin(), count, wire.begin() + 2);
    return wire;
}

std::span<const std::uint8_t> inputData(std::span<const std::uint8_t> report) {
    if (report.empty()) {
        return {};
    }
    const std::size_t count = std::min(static_cast<std::size_t>(report[0]), report.size() - 1);
    return report.subspan(1, count);
}

std::span<const std::uint8_t> outputData(std::span<const std::uint8_t> wireReport) {
    if (wireReport.empty() || wireReport[0] != kReportId) {
        return {};
    }
    return inputData(wireReport.subspan(1));
}

std::vector<std::uint8_t> inputReport(std::span<const std::uint8_t> data, std::size_t reportSize) {
    std::vector<std::uint8_t> report(reportSize, 0);
    if (reportSize == 0) {
        return report;
    }
    const std::size_t count = std::min(data.size(), dataRoom(reportSize));
    report[0] = static_cast<std::uint8_t>(count);
    std::copy_n(data.begin(), count, report.begin() + 1);
    return report;
}

std::optional<std::vector<std::uint8_t>> uartFeatureReport(const UartSettings& settings,
                                                           std::size_t featureSize) {
    if (featureSize < kUartCodes) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> wire(1 + featureSize, 0);
    wire[0] = kReportId;
    wire[1] = settings.rate;
    wire[2] = settings.parity;
    wire[3] = settings.stop;
    wire[4] = settings.data;
    wire[5] = settings.interval;
    return wire;
}

std::optional<UartSettings> uartSettingsOf(std::span<const std::uint8_t> wireReport) {
    if (wireReport.size() < 1 + kUartCodes || wireReport[0] != kReportId) {
        return std::nullopt;
    }
    return UartSettings{wireReport[1], wireReport[2], wireReport[3], wireReport[4], wireReport[5]};
}

} // namespace kesmo::ch9326
