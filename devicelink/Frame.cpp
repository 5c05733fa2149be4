#include "devicelink/Frame.h"

namespace kesmo {

std::uint8_t computeChecksum(const Frame& frame) {
    const std::size_t end = static_cast<std::size_t>(frame.length()) + 2;
    unsigned sum = 0;
    for (std::size_t i = 2; i <= end && i < Frame::kWireArea; ++i)
        sum += frame[i];
    return static_cast<std::uint8_t>(sum & 0xFF);
}

void frameChecksum(Frame& frame) {
    const std::uint8_t sum = computeChecksum(frame);
    const std::size_t at = static_cast<std::size_t>(frame.length()) + 3;
    if (at < Frame::kWireArea)
        frame[at] = sum;
    frame.setField(Frame::kChecksumCopy, sum);
}

} // namespace kesmo
