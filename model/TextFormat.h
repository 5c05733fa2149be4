#pragma once

#include <charconv>
#include <string>

namespace kesmo {

// Fixed-point text that ignores the process locale: Qt sets the system locale at start-up,
// and the labels must read "10.0", never "10,0".
inline std::string fixedText(double value, int decimals) {
    char text[64];
    const auto r =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc())
        return "?";
    return std::string(text, r.ptr);
}

} // namespace kesmo
