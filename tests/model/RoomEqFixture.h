#pragma once

#include <string>
#include <string_view>

namespace kesmo::test {

// The head of a Room EQ Wizard filter file: lines 1..9, so the first filter is line 10.
inline constexpr std::string_view kRewHeader = "Filter Settings file\n"
                                               "\n"
                                               "Room EQ V5.31\n"
                                               "Dated: 4 Dec 2026 21:10:05\n"
                                               "\n"
                                               "Notes:\n"
                                               "\n"
                                               "Equaliser: Generic\n"
                                               "Main L at seat 3\n";

// Lines 10..14 after the header: numbered lines, decimals, a negative gain, None, OFF, Preamp.
inline constexpr std::string_view kRewFilters =
    "Filter  1: ON  PK       Fc   63.40 Hz  Gain  -6.20 dB  Q  4.870\n"
    "Filter  2: ON  LS       Fc   80.0 Hz   Gain  -2.50 dB  Q  0.710\n"
    "Filter  3: ON  None\n"
    "Filter  4: OFF PK       Fc   1000 Hz   Gain   3.00 dB  Q  1.41\n"
    "Preamp: -5.0 dB\n";

inline std::string rewFile(std::string_view filterLines) {
    return std::string(kRewHeader) + std::string(filterLines);
}

} // namespace kesmo::test
