#pragma once

#include "sim/Engine.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace kesmo::sim::test {

// Frames are built here with their own checksum sum, not with the simulator's framing.
inline Bytes wire(std::uint8_t code, std::vector<std::uint8_t> data) {
    const auto length = static_cast<unsigned>(data.size() + 2);
    Bytes frame{0xFF, 0x55, static_cast<std::uint8_t>(length & 0xFF),
                static_cast<std::uint8_t>(length >> 8), code};
    frame.insert(frame.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (std::size_t i = 2; i < frame.size(); ++i) {
        sum += frame[i];
    }
    frame.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    return frame;
}

inline Bytes hex(const std::string& text) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return bytes;
}

inline std::string hexOf(const Bytes& bytes) {
    return toHex(bytes);
}

inline std::string answerTo(Engine& engine, const Bytes& frame) {
    return toHex(engine.feed(frame).joined());
}

} // namespace kesmo::sim::test
