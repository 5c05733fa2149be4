#include "SimTestSupport.h"
#include "sim/PtyHost.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mutex>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace kesmo::sim;
using namespace kesmo::sim::test;
using namespace std::chrono_literals;

namespace {

// The client end, opened as the program opens a serial port.
class Client {
public:
    explicit Client(const std::string& path) : m_fd(::open(path.c_str(), O_RDWR | O_NOCTTY)) {
        if (m_fd >= 0) {
            termios tio{};
            tcgetattr(m_fd, &tio);
            cfmakeraw(&tio);
            cfsetspeed(&tio, B115200);
            tcsetattr(m_fd, TCSANOW, &tio);
        }
    }
    ~Client() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool ok() const { return m_fd >= 0; }
    bool send(const Bytes& bytes) {
        return ::write(m_fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // Reads until count bytes came or the line stays quiet; the limit only bounds a failure.
    Bytes receive(std::size_t count) {
        Bytes got;
        while (got.size() < count) {
            pollfd fd{m_fd, POLLIN, 0};
            if (::poll(&fd, 1, 5000) <= 0) {
                break;
            }
            std::uint8_t buffer[4096];
            const auto n = ::read(m_fd, buffer, std::min(sizeof buffer, count - got.size()));
            if (n <= 0) {
                break;
            }
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }
    // After the host hangs up, the slave reads end of line or an error.
    bool seesHangUp() {
        pollfd fd{m_fd, POLLIN, 0};
        if (::poll(&fd, 1, 5000) <= 0) {
            return false;
        }
        std::uint8_t byte = 0;
        return ::read(m_fd, &byte, 1) <= 0;
    }

private:
    int m_fd;
};

struct PtyHostTest : ::testing::Test {
    Engine engine;
    std::mutex sleptMutex;
    std::vector<std::chrono::milliseconds> slept;
    PtyHost host{engine, [this](std::chrono::milliseconds ms) {
                     std::lock_guard lock(sleptMutex);
                     slept.push_back(ms);
                     return true;
                 }};

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(host.start(error)) << error;
        ASSERT_FALSE(host.slavePath().empty());
    }
    std::vector<std::chrono::milliseconds> sleeps() {
        std::lock_guard lock(sleptMutex);
        return slept;
    }
};

TEST_F(PtyHostTest, AnswersThroughARealPseudoTerminal) {
    Client client(host.slavePath());
    ASSERT_TRUE(client.ok());
    ASSERT_TRUE(client.send(hex("FF 55 03 00 7F 00 82")));
    EXPECT_EQ(toHex(client.receive(8)), "FF 55 04 00 7F 01 01 85");

    // A mode read is 2719 bytes, more than one read of the line delivers at a time.
    ASSERT_TRUE(client.send(wire(130, {0})));
    const Bytes mode = client.receive(2719);
    ASSERT_EQ(mode.size(), 2719u);
    const auto state = engine.state();
    EXPECT_TRUE(std::equal(state.working.begin(), state.working.end(), mode.begin() + 6));
    EXPECT_EQ(engine.count(127), 1u);
    EXPECT_EQ(engine.count(130), 1u);
}

TEST_F(PtyHostTest, ServesOneClientAfterAnother) {
    {
        Client first(host.slavePath());
        ASSERT_TRUE(first.send(wire(1, {0, 0x33})));
        EXPECT_EQ(toHex(first.receive(7)), "FF 55 03 00 01 00 04");
    }
    Client second(host.slavePath());
    ASSERT_TRUE(second.ok());
    ASSERT_TRUE(second.send(hex("FF 55 03 00 7F 00 82")));
    EXPECT_EQ(toHex(second.receive(8)), "FF 55 04 00 7F 01 01 85");
    EXPECT_EQ(engine.state().system[3], 0x33);
}

TEST_F(PtyHostTest, DelaysAndSplitsGoThroughTheInjectedClock) {
    engine.addFault(FaultRule{Fault::delay(300ms), std::uint8_t{127}, 1});
    engine.addFault(FaultRule{Fault::splitReply(4), std::uint8_t{127}, 1});
    Client client(host.slavePath());
    ASSERT_TRUE(client.send(hex("FF 55 03 00 7F 00 82")));
    EXPECT_EQ(toHex(client.receive(8)), "FF 55 04 00 7F 01 01 85");
    EXPECT_EQ(sleeps(),
              (std::vector<std::chrono::milliseconds>{300ms, kSplitGap, kSplitGap, kSplitGap}));
}

TEST_F(PtyHostTest, HangUpClosesTheLine) {
    engine.addFault(FaultRule{Fault::hangUp(), std::uint8_t{127}, 1});
    Client client(host.slavePath());
    ASSERT_TRUE(client.send(hex("FF 55 03 00 7F 00 82")));
    EXPECT_TRUE(client.seesHangUp());
    host.waitFinished();
    EXPECT_TRUE(host.hungUp());
    EXPECT_TRUE(host.finished());
    EXPECT_EQ(engine.count(127), 1u);
}

TEST(PtyHostLife, StopsWhileNobodyIsConnected) {
    Engine engine;
    PtyHost host(engine);
    std::string error;
    ASSERT_TRUE(host.start(error)) << error;
    host.stop();
    EXPECT_FALSE(host.finished());
    EXPECT_FALSE(host.hungUp());
}

} // namespace
