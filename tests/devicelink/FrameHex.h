#pragma once

#include "devicelink/Frame.h"

#include <cstdio>
#include <string>

namespace kesmo::testing {

// "FF 55 03 00 7F 00 82": bytes `from` .. `to` - 1 of a frame, as upper-case hex.
inline std::string hexBytes(const Frame& frame, std::size_t from, std::size_t to) {
    std::string out;
    for (std::size_t i = from; i < to; ++i) {
        char b[4];
        std::snprintf(b, sizeof b, "%02X", frame[i]);
        if (!out.empty())
            out += ' ';
        out += b;
    }
    return out;
}

// The bytes a frame puts on the wire (L + 4), or "" when its length field is out of range.
inline std::string wireHex(const Frame& frame) {
    return hexBytes(frame, 0, frame.wireSize());
}

} // namespace kesmo::testing
