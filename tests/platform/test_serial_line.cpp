#include "platform/SerialLine.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

using namespace kesmo;

namespace {

// A pseudo-terminal pair: the test holds the master, the line opens the slave.
struct Pty {
    int master = -1;
    std::string slave;
    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            slave = ::ptsname(master);
    }
    ~Pty() { hangUp(); }
    void hangUp() {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    void send(const std::vector<std::uint8_t>& bytes) const {
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    std::vector<std::uint8_t> receive() const {
        std::vector<std::uint8_t> out(256);
        const ssize_t n = ::read(master, out.data(), out.size());
        out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return out;
    }
};

struct SerialLineTest : ::testing::Test {
    Pty pty;
    SerialLine line;
    FakeClock clock;
    void SetUp() override {
        ASSERT_FALSE(pty.slave.empty());
        ASSERT_TRUE(line.open(pty.slave).ok());
        ASSERT_TRUE(line.readState().ok());
        ASSERT_TRUE(line.writeState({}).ok());
    }
    std::size_t waiting() {
        LineStatus s;
        EXPECT_TRUE(line.status(s).ok());
        return s.waiting;
    }
};

TEST(PortNames, PathAndNumber) {
    struct Case {
        const char* name;
        const char* path;
        int number;
    };
    const Case cases[] = {
        {"ttyUSB0", "/dev/ttyUSB0", 0},  {"ttyS12", "/dev/ttyS12", 12},
        {"/dev/pts/7", "/dev/pts/7", 7}, {"./sim-port", "./sim-port", 0},
        {"COM3", "/dev/COM3", 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(portPath(c.name), c.path) << c.name;
        EXPECT_EQ(portNumber(c.name), c.number) << c.name;
    }
}

TEST(SerialLineOpen, MissingDeviceFailsAndNonTerminalIsRefused) {
    SerialLine line;
    EXPECT_FALSE(line.open("/dev/kesmo-no-such-port").ok());
    EXPECT_FALSE(line.isOpen());
    // Exclusive mode cannot be had on something that is not a terminal.
    EXPECT_FALSE(line.open("/dev/null").ok());
    EXPECT_FALSE(line.isOpen());
}

TEST_F(SerialLineTest, OpensExclusivelyAndNonBlocking) {
    int exclusive = 0;
    ASSERT_EQ(::ioctl(line.fd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_NE(exclusive, 0);
    EXPECT_NE(::fcntl(line.fd(), F_GETFL) & O_NONBLOCK, 0);
}

TEST(LineSettingsTermios, EachSettingSetsItsFlags) {
    struct Case {
        LineSettings settings;
        speed_t speed;
        tcflag_t size, parity;
        bool twoStops;
    };
    const Case cases[] = {
        {{115200, Parity::None, 8, StopBits::One}, B115200, CS8, 0, false},
        {{9600, Parity::Even, 7, StopBits::Two}, B9600, CS7, PARENB, true},
        {{19200, Parity::Odd, 8, StopBits::OneAndHalf}, B19200, CS8, PARENB | PARODD, true},
        {{57600, Parity::Mark, 8, StopBits::One}, B57600, CS8, PARENB | PARODD | CMSPAR, false},
        {{38400, Parity::Space, 5, StopBits::One}, B38400, CS5, PARENB | CMSPAR, false},
    };
    for (const Case& c : cases) {
        termios t{};
        t.c_cflag = CRTSCTS | CSTOPB | PARENB | PARODD;
        t.c_lflag = ICANON | ECHO;
        ASSERT_TRUE(composeTermios(t, c.settings));
        EXPECT_EQ(::cfgetospeed(&t), c.speed);
        EXPECT_EQ(::cfgetispeed(&t), c.speed);
        EXPECT_EQ(t.c_cflag & CSIZE, c.size);
        EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), c.parity);
        EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.twoStops);
        EXPECT_EQ(t.c_cflag & CRTSCTS, 0u) << "no hardware flow control";
        EXPECT_NE(t.c_cflag & CREAD, 0u);
        EXPECT_NE(t.c_cflag & CLOCAL, 0u);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u) << "raw mode";
    }
    termios t{};
    EXPECT_FALSE(composeTermios(t, {12345, Parity::None, 8, StopBits::One}));
    EXPECT_FALSE(composeTermios(t, {115200, Parity::None, 9, StopBits::One}));
}

TEST_F(SerialLineTest, SettingsReachTheTerminal) {
    // A pseudo-terminal keeps rate and stop bits; it forces 8 data bits and no parity.
    ASSERT_TRUE(line.writeState({9600, Parity::None, 8, StopBits::Two}).ok());
    termios t{};
    ASSERT_EQ(::tcgetattr(line.fd(), &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B9600));
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
}

TEST_F(SerialLineTest, UnsupportedSettingsFail) {
    EXPECT_EQ(line.writeState({12345, Parity::None, 8, StopBits::One}).error, EINVAL);
    EXPECT_EQ(line.writeState({115200, Parity::None, 9, StopBits::One}).error, EINVAL);
}

TEST_F(SerialLineTest, CountsReadsWritesAndPurges) {
    pty.send({0xFF, 0x55, 0x03, 0x00, 0x7F});
    EXPECT_EQ(waiting(), 5u);
    std::vector<std::uint8_t> buf(3);
    std::size_t got = 0;
    ASSERT_TRUE(line.read(buf, got).ok());
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(buf, (std::vector<std::uint8_t>{0xFF, 0x55, 0x03}));
    EXPECT_EQ(waiting(), 2u);
    ASSERT_TRUE(line.purge().ok());
    EXPECT_EQ(waiting(), 0u);
    ASSERT_TRUE(line.read(buf, got).ok());
    EXPECT_EQ(got, 0u) << "an empty line reads nothing without blocking";

    const std::vector<std::uint8_t> frame{0xFF, 0x55, 0x03, 0x00, 0x7F, 0x00, 0x82};
    ASSERT_TRUE(line.write(frame, clock, Clock::Duration{1000}).ok());
    EXPECT_EQ(pty.receive(), frame);
}

TEST_F(SerialLineTest, HangUpIsGone) {
    pty.hangUp();
    LineStatus s;
    EXPECT_EQ(line.status(s).kind, LineResult::Kind::Gone);
    std::vector<std::uint8_t> buf(4);
    std::size_t got = 0;
    EXPECT_EQ(line.read(buf, got).kind, LineResult::Kind::Gone);
    EXPECT_EQ(line.write(buf, clock, Clock::Duration{1000}).kind, LineResult::Kind::Gone);
}

TEST_F(SerialLineTest, WriteThatCannotDrainTimesOutInVirtualTime) {
    // Nobody reads the master: the terminal's buffers fill and the write gives up.
    const std::vector<std::uint8_t> block(4096, 0xAA);
    LineResult r;
    for (int i = 0; i < 1000 && r.ok(); ++i)
        r = line.write(block, clock, Clock::Duration{1000});
    EXPECT_EQ(r.kind, LineResult::Kind::Failed);
    EXPECT_EQ(r.error, ETIMEDOUT);
    EXPECT_GE(clock.elapsed(), Clock::Duration{1000});
}

} // namespace
