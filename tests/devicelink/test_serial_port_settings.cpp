#include "devicelink/SerialPort.h"

#include <gtest/gtest.h>

using namespace kesmo;

namespace {

TEST(SerialPortSettings, ParityLettersAndStopBitCodes) {
    struct Case {
        char parity;
        int stopCode;
        Parity wantParity;
        StopBits wantStops;
    };
    const Case cases[] = {
        {'N', 0, Parity::None, StopBits::One},        {'e', 0, Parity::Even, StopBits::One},
        {'E', 1, Parity::Even, StopBits::OneAndHalf}, {'o', 2, Parity::Odd, StopBits::Two},
        {'M', 3, Parity::Mark, StopBits::One},        {'s', -1, Parity::Space, StopBits::One},
        {'X', 0, Parity::None, StopBits::One},
    };
    for (const Case& c : cases) {
        const LineSettings s = lineSettingsFor(115200, c.parity, 8, c.stopCode);
        EXPECT_EQ(s.parity, c.wantParity) << c.parity;
        EXPECT_EQ(s.stopBits, c.wantStops) << c.stopCode;
        EXPECT_EQ(s.baud, 115200u);
        EXPECT_EQ(s.dataBits, 8);
    }
}

TEST(SerialPortSettings, ErrorReportText) {
    EXPECT_EQ(lineErrorReport("SetCommState()", 22, 4),
              "WARNING:  SetCommState() Failed with the following error: \nInvalid argument\n"
              "Port: 4\n");
}

} // namespace
