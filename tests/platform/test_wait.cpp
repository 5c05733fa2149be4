#include "platform/Wait.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using namespace kesmo;

namespace {

TEST(Event, ManualResetStaysSetUntilReset) {
    Event e;
    ASSERT_TRUE(e.valid());
    EXPECT_FALSE(e.isSet());
    e.set();
    e.set();
    EXPECT_TRUE(e.isSet());
    EXPECT_TRUE(e.isSet()) << "looking does not reset";
    e.reset();
    EXPECT_FALSE(e.isSet());
    e.reset();
    EXPECT_FALSE(e.isSet());
}

struct WaitTest : ::testing::Test {
    Event shutdown, write, fetch;
    Event* const events[3] = {&shutdown, &write, &fetch};
    FakeClock clock;
    int pipeFds[2] = {-1, -1};
    void SetUp() override { ASSERT_EQ(::pipe2(pipeFds, O_NONBLOCK), 0); }
    void TearDown() override {
        for (int fd : pipeFds)
            if (fd >= 0)
                ::close(fd);
    }
    WaitResult wait(int port) { return waitForAny(clock, events, port, Clock::Duration{500}); }
};

TEST_F(WaitTest, EventsWinInOrderThenThePort) {
    ASSERT_EQ(::write(pipeFds[1], "x", 1), 1);
    fetch.set();
    write.set();
    WaitResult r = wait(pipeFds[0]);
    EXPECT_EQ(r.kind, WaitResult::Kind::Event);
    EXPECT_EQ(r.index, 1u);
    write.reset();
    r = wait(pipeFds[0]);
    EXPECT_EQ(r.kind, WaitResult::Kind::Event);
    EXPECT_EQ(r.index, 2u);
    fetch.reset();
    EXPECT_EQ(wait(pipeFds[0]).kind, WaitResult::Kind::Readable);
    EXPECT_EQ(clock.elapsed(), Clock::Duration{0}) << "nothing waited for";
}

TEST_F(WaitTest, NothingReadyAdvancesVirtualTimeByTheTimeout) {
    EXPECT_EQ(wait(pipeFds[0]).kind, WaitResult::Kind::Timeout);
    EXPECT_EQ(wait(-1).kind, WaitResult::Kind::Timeout);
    EXPECT_EQ(clock.elapsed(), Clock::Duration{1000});
    EXPECT_EQ(clock.timedOutWaits(), 2u);
}

TEST_F(WaitTest, ClosedWriterIsAGonePort) {
    ::close(pipeFds[1]);
    pipeFds[1] = -1;
    EXPECT_EQ(wait(pipeFds[0]).kind, WaitResult::Kind::PortGone);
}

TEST(SteadyWait, WakesWhenAnotherThreadSetsAnEvent) {
    Event shutdown;
    Event* const events[1] = {&shutdown};
    std::thread setter([&] { shutdown.set(); });
    const WaitResult r = waitForAny(steadyClock(), events, -1, Clock::Duration{60000});
    setter.join();
    EXPECT_EQ(r.kind, WaitResult::Kind::Event);
    EXPECT_EQ(r.index, 0u);
}

} // namespace
