#include "SimTestSupport.h"
#include "sim/PtyHost.h"

#include <gtest/gtest.h>
#include <mutex>

using namespace kesmo::sim;
using namespace kesmo::sim::test;
using namespace std::chrono_literals;

namespace {

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

TEST_F(PtyHostTest, ProbesWaitForTheClientsFrames) {
    Client client(host.slavePath());
    ASSERT_TRUE(client.send(wire(142, {3})));
    ASSERT_TRUE(client.send(wire(8, {2, 1, 0})));
    ASSERT_TRUE(engine.waitForCount(8, 1, 5s));
    EXPECT_EQ(engine.state().working[2098 + 2 * 76], 1);
    EXPECT_FALSE(engine.waitForCount(8, 2, 0ms));
    const auto frames = engine.frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(toHex(frames[1].bytes), "FF 55 05 00 08 02 01 00 10");
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
