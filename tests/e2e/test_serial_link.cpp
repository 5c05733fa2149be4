#include "devicelink/Command.h"
#include "devicelink/SerialPort.h"
#include "model/WorkingModel.h"
#include "sim/Engine.h"
#include "sim/PtyHost.h"
#include "tests/devicelink/LinkTestSupport.h"
#include "tests/devicelink/RecordingSink.h"
#include "tests/e2e/LinkChecks.h"

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace kesmo;
using namespace kesmo::layout;
using kesmo::test::eventually;
using kesmo::test::Posted;
using kesmo::test::RecordingProgress;
using kesmo::test::RecordingSink;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct SerialLinkTest : ::testing::Test {
    sim::Engine engine;
    std::unique_ptr<sim::PtyHost> host;
    std::unique_ptr<ParamStore> store = std::make_unique<ParamStore>();
    std::unique_ptr<LinkState> link = std::make_unique<LinkState>();
    std::unique_ptr<Command> command;
    RecordingSink sink;
    RecordingProgress progress;
    FakeClock fakeClock;
    std::unique_ptr<SerialPort> port;

    void SetUp() override {
        host = std::make_unique<sim::PtyHost>(engine);
        std::string error;
        ASSERT_TRUE(host->start(error)) << error;
        initialiseModel(*store);
        takeOverImage(*store, true);
        link->transport = transport::kSerial;
        command = std::make_unique<Command>(*store, *link);
        setMessageSink(&sink);
    }
    void TearDown() override {
        if (port)
            port->close();
        setMessageSink(nullptr);
        host->stop();
    }

    // Opens the simulator's terminal, queues the identity query and starts the worker.
    void connect(Clock& clock = steadyClock()) {
        port = std::make_unique<SerialPort>(*command, clock, &progress);
        ASSERT_EQ(port->open(host->slavePath()), 1);
        {
            std::lock_guard lock(modelLock());
            command->queue().clear();
            buildCommand(CommandCode::ReadIdentity, 0);
        }
        ASSERT_EQ(port->start(), 1);
    }
    std::vector<std::uint8_t> codes() const {
        std::vector<std::uint8_t> out;
        for (const sim::ReceivedFrame& f : engine.frames())
            out.push_back(f.code);
        return out;
    }
    // Once the port is closed: writes a marker frame and waits until the simulator has read
    // it, so that it has also read everything the worker wrote before.
    void drainSimulator() {
        const int fd = ::open(host->slavePath().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        const std::size_t before = engine.count(0x0C);
        const Bytes marker{0xFF, 0x55, 0x03, 0x00, 0x0C, 0x01, 0x10};
        ASSERT_EQ(::write(fd, marker.data(), marker.size()), 7);
        EXPECT_TRUE(eventually([&] { return engine.count(0x0C) > before; }));
        ::close(fd);
    }
    bool posted(Message m) const { return sink.count(m) > 0; }
};

TEST_F(SerialLinkTest, FirstFrameIsTheIdentityQueryAndItsReplyArrives) {
    connect();
    ASSERT_TRUE(eventually([&] { return posted(Message::IdentityArrived); }));
    const auto frames = engine.frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0].bytes, (Bytes{0xFF, 0x55, 0x03, 0x00, 0x7F, 0x00, 0x82}));
    EXPECT_EQ(link->perModeSystemBlocks, engine.state().perModeSystemBlocks);
    EXPECT_EQ(link->storeAllowed, engine.state().storeAllowed);
}

TEST_F(SerialLinkTest, QueuedReadOfNamesSystemBlockAndModeLandsInTheModel) {
    connect();
    ASSERT_TRUE(eventually([&] { return posted(Message::IdentityArrived); }));
    {
        std::lock_guard lock(modelLock());
        test::queueDeviceRead(*command);
    }
    ASSERT_TRUE(eventually([&] { return posted(Message::WorkingModeArrived); }));

    std::lock_guard lock(modelLock());
    test::expectModelHoldsDevice(*store, engine.state());
    EXPECT_EQ(progress.steps(), test::deviceReadSteps());
    EXPECT_EQ(sink.count(Message::SystemBlockArrived), 1u);
}

TEST_F(SerialLinkTest, BulkFramesGoBeforeChangesAndChangesBeforeMeterRequests) {
    musicLeft(store->working).eq(3).setGain(130);
    {
        // The worker's first pass waits for the lock, so the names are queued behind the query.
        std::lock_guard lock(modelLock());
        connect();
        buildCommand(CommandCode::ReadNames, 0);
    }
    ASSERT_TRUE(eventually([&] { return engine.count(24) >= 2; }));
    const auto seen = codes();
    ASSERT_GE(seen.size(), 27u);
    EXPECT_EQ(seen[0], 127) << "the queue is cleared and the identity query goes first";
    for (std::size_t i = 1; i <= 22; ++i)
        EXPECT_EQ(seen[i], 128) << i;
    EXPECT_EQ(seen[23], 3) << "the band change";
    const std::vector<std::uint8_t> meters(seen.begin() + 24, seen.begin() + 27);
    EXPECT_EQ(meters, (std::vector<std::uint8_t>{12, 24, 12}));
    for (std::size_t i = 24; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], i % 2 == 0 ? 12 : 24) << i;
}

TEST_F(SerialLinkTest, AnEditOfTheWorkingImageReachesTheDevice) {
    connect();
    ASSERT_TRUE(eventually([&] { return engine.count(24) >= 1; }));
    test::expectAnEditReachesTheDevice(*store, engine);
}

TEST_F(SerialLinkTest, AReplySplitAcrossReadsCompletesOnce) {
    engine.addFault({sim::Fault::splitReply(3), 127, 1});
    connect();
    ASSERT_TRUE(eventually([&] { return engine.count(12) >= 1; }));
    EXPECT_EQ(engine.count(127), 1u) << "completed without a resend";
    EXPECT_EQ(sink.count(Message::IdentityArrived), 1u);
}

TEST_F(SerialLinkTest, ARefusalMakesTheFrameGoAgain) {
    engine.addFault({sim::Fault::refuse(2), 127, 1});
    connect();
    ASSERT_TRUE(eventually([&] { return posted(Message::IdentityArrived); }));
    EXPECT_EQ(engine.count(127), 2u);
    EXPECT_EQ(engine.counters().refusals, 1u);
    EXPECT_EQ(sink.count(Message::IdentityArrived), 1u);
    EXPECT_FALSE(posted(Message::PortLost));
}

// A line whose next reads fail as reads of a device that has gone do.
class FailingReadLine final : public SerialLine {
public:
    explicit FailingReadLine(int failures) : m_failures(failures) {}
    LineResult read(std::span<std::uint8_t> out, std::size_t& got) override {
        if (m_failures.fetch_sub(1) > 0) {
            got = 0;
            return {LineResult::Kind::Gone, EIO};
        }
        return SerialLine::read(out, got);
    }

private:
    std::atomic<int> m_failures;
};

TEST_F(SerialLinkTest, AFailedReadResendsOnceThenThePortIsLost) {
    const struct {
        int failures;
        bool lost;
    } cases[] = {{1, false}, {2, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failures);
        engine.clearFrames();
        const std::size_t before = sink.posted().size();
        const auto postedSince = [&] {
            const auto all = sink.posted();
            return std::vector<Posted>(all.begin() + static_cast<std::ptrdiff_t>(before),
                                       all.end());
        };
        const auto countSince = [&](Message m) {
            std::size_t n = 0;
            for (const Posted& p : postedSince())
                n += p.message == m;
            return n;
        };
        port = std::make_unique<SerialPort>(*command, steadyClock(), &progress,
                                            std::make_unique<FailingReadLine>(c.failures));
        ASSERT_EQ(port->open(host->slavePath()), 1);
        {
            std::lock_guard lock(modelLock());
            command->queue().clear();
            buildCommand(CommandCode::ReadIdentity, 0);
        }
        ASSERT_EQ(port->start(), 1);
        if (c.lost) {
            ASSERT_TRUE(eventually([&] { return !port->threadAlive(); }));
            EXPECT_EQ(postedSince(), (std::vector<Posted>{{Message::PortLost, 1, 1}}));
        } else {
            ASSERT_TRUE(eventually([&] { return engine.count(24) >= 1; }));
            EXPECT_EQ(countSince(Message::IdentityArrived), 1u);
            EXPECT_EQ(countSince(Message::PortLost), 0u);
        }
        port->close();
        drainSimulator();
        EXPECT_EQ(engine.count(127), 2u) << "written once more after the first failed read";
    }
}

// The fake clock would let the reply timeout pass before any answer could arrive.
TEST_F(SerialLinkTest, AReplyWithABadChecksumTimesOutAndTheFrameGoesAgain) {
    engine.addFault({sim::Fault::badChecksum(), 127, 1});
    connect();
    ASSERT_TRUE(eventually([&] { return posted(Message::IdentityArrived); }));
    EXPECT_EQ(engine.count(127), 2u);
    EXPECT_EQ(sink.count(Message::IdentityArrived), 1u);
    EXPECT_FALSE(posted(Message::PortLost));
}

// A second identity reply with other flags rides behind the real one, in the same write.
TEST_F(SerialLinkTest, BytesAfterACompletedReplyAreNeverParsed) {
    engine.addFault(
        {sim::Fault::trailingBytes({0xFF, 0x55, 0x04, 0x00, 0x7F, 0x00, 0x00, 0x83}), 127, 1});
    connect();
    ASSERT_TRUE(eventually([&] { return engine.count(24) >= 2; }));
    EXPECT_EQ(sink.count(Message::IdentityArrived), 1u);
    EXPECT_EQ(link->perModeSystemBlocks, engine.state().perModeSystemBlocks);
    EXPECT_EQ(link->storeAllowed, engine.state().storeAllowed);
    EXPECT_EQ(engine.count(127), 1u);
    EXPECT_FALSE(posted(Message::PortLost));
}

TEST_F(SerialLinkTest, SilenceSendsTheIdentityQueryThreeTimesThenThePortIsLost) {
    engine.addFault({sim::Fault::silent(), std::nullopt, std::nullopt});
    connect(fakeClock);
    ASSERT_TRUE(eventually([&] { return !port->threadAlive(); }));
    EXPECT_EQ(sink.posted(), (std::vector<Posted>{{Message::PortLost, 1, 1}}));
    // Each of the three writes: the 500 ms wait and 500 ms of polls, with the pass sleeps.
    EXPECT_GE(fakeClock.elapsed(), Clock::Duration{3000});
    EXPECT_LT(fakeClock.elapsed(), Clock::Duration{3500});
    port->close();
    engine.clearFaults();
    drainSimulator();
    EXPECT_EQ(engine.count(127), 3u);
    std::lock_guard lock(modelLock());
    EXPECT_EQ(command->inFlightRecord(transport::kSerial)[4], 0) << "records reset";
}

TEST_F(SerialLinkTest, HangUpPostsPortLost) {
    engine.addFault({sim::Fault::hangUp(), 24, 1});
    connect();
    ASSERT_TRUE(eventually([&] { return posted(Message::PortLost); }));
    EXPECT_TRUE(eventually([&] { return !port->threadAlive(); }));
    EXPECT_EQ(sink.posted().back(), (Posted{Message::PortLost, 1, 0}));
    EXPECT_EQ(sink.count(Message::PortLost), 1u);
    port->close();
    EXPECT_FALSE(port->isOpen());
}

TEST_F(SerialLinkTest, CloseJoinsTheWorkerEveryTime) {
    struct Case {
        const char* what;
        std::function<void()> before;
    };
    const Case cases[] = {
        {"right after start", [] {}},
        {"while polling meters", [&] { eventually([&] { return engine.count(12) >= 2; }); }},
        {"while a reply is delayed",
         [&] {
             engine.addFault({sim::Fault::delay(std::chrono::milliseconds(400)), 12, 1});
             eventually([&] { return engine.count(12) >= 1; });
         }},
        {"while the UI thread holds the model lock", [] { modelLock().lock(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        connect();
        c.before();
        port->close();
        EXPECT_FALSE(port->threadAlive());
        EXPECT_FALSE(port->isOpen());
        if (std::string(c.what).find("lock") != std::string::npos)
            modelLock().unlock();
        engine.clearFaults();
    }
    EXPECT_FALSE(posted(Message::PortLost));
}

// Real time, but the worker's first wait fails.
class FailingWaitClock final : public Clock {
public:
    TimePoint now() const override { return steadyClock().now(); }
    void sleep(Duration d) override { steadyClock().sleep(d); }
    int poll(std::span<pollfd> fds, Duration timeout) override {
        if (polls++ > 0)
            return steadyClock().poll(fds, timeout);
        errno = EIO;
        return -1;
    }
    std::atomic<int> polls{0};
};

TEST_F(SerialLinkTest, AFailedWaitIsReportedAndEndsTheLink) {
    FailingWaitClock clock;
    connect(clock);
    ASSERT_TRUE(eventually([&] { return clock.polls > 0; }));
    port->close();
    ASSERT_EQ(sink.notices().size(), 1u);
    EXPECT_EQ(sink.notices()[0].first,
              lineErrorReport("WaitCommEvent()", EIO, portNumber(host->slavePath())));
    EXPECT_EQ(sink.notices()[0].second, "Application Error");
    EXPECT_EQ(sink.posted(), (std::vector<Posted>{{Message::PortLost, 1, 0}}));
}

TEST_F(SerialLinkTest, ANewConnectionDoesNotInheritTheLastOnesReceiveRecord) {
    {
        // What a lost link may leave: half a frame and its poll and retry counts.
        std::lock_guard lock(modelLock());
        Frame& rx = command->receiveRecord(transport::kSerial);
        const std::uint8_t partial[] = {0xFF, 0x55, 0x10, 0x00};
        std::copy(std::begin(partial), std::end(partial), rx.data());
        rx.setWord(Frame::kRxIndex, sizeof partial);
        rx.setField(Frame::kInFrame, 1);
        rx.setWord(Frame::kRxLength, 0x10);
        rx.setField(Frame::kEmptyPolls, 5);
        rx.setField(Frame::kRetryCount, 2);
    }
    connect();
    ASSERT_TRUE(
        eventually([&] { return posted(Message::IdentityArrived) || posted(Message::PortLost); }));
    EXPECT_TRUE(posted(Message::IdentityArrived));
    EXPECT_FALSE(posted(Message::PortLost));
    EXPECT_EQ(engine.count(127), 1u) << "answered at the first write";
}

// Real time for short sleeps and every wait; records the sleeps and the wait time-outs. The
// pacing pauses (1000 ms and more) are recorded but not slept.
class RecordingClock final : public Clock {
public:
    TimePoint now() const override { return steadyClock().now(); }
    void sleep(Duration d) override {
        {
            std::lock_guard lock(m_mutex);
            ++m_sleeps[d.count()];
        }
        if (d < Duration{1000})
            steadyClock().sleep(d);
    }
    int poll(std::span<pollfd> fds, Duration timeout) override {
        {
            std::lock_guard lock(m_mutex);
            ++m_waits[timeout.count()];
        }
        return steadyClock().poll(fds, timeout);
    }
    int sleeps(Duration d) const {
        std::lock_guard lock(m_mutex);
        const auto it = m_sleeps.find(d.count());
        return it == m_sleeps.end() ? 0 : it->second;
    }
    int waits(Duration d) const {
        std::lock_guard lock(m_mutex);
        const auto it = m_waits.find(d.count());
        return it == m_waits.end() ? 0 : it->second;
    }

private:
    mutable std::mutex m_mutex;
    std::map<long long, int> m_sleeps, m_waits;
};

TEST_F(SerialLinkTest, PausesAfterWritesAndWaitsFollowTheFrameInFlight) {
    // Outlives the worker, which the fixture stops.
    static RecordingClock clock;
    connect(clock);
    ASSERT_TRUE(eventually([&] { return posted(Message::IdentityArrived); }));
    EXPECT_GE(clock.waits(Clock::Duration{1000}), 1) << "the first wait, nothing sent yet";
    EXPECT_EQ(clock.sleeps(Clock::Duration{1000}), 0);
    {
        std::lock_guard lock(modelLock());
        buildCommand(CommandCode::ReadMode, 1);
    }
    ASSERT_TRUE(eventually([&] { return posted(Message::BankArrived); }));
    EXPECT_EQ(clock.sleeps(Clock::Duration{1000}), 21) << "one pause after each bulk frame";
    EXPECT_GE(clock.waits(Clock::Duration{2000}), 1) << "while a bulk frame is in flight";
    EXPECT_EQ(clock.sleeps(Clock::Duration{4000}), 0);
    {
        std::lock_guard lock(modelLock());
        buildCommand(CommandCode::WriteMode, 0);
    }
    ASSERT_TRUE(eventually([&] { return link->replyPending == 0 && engine.count(132) == 1; }));
    EXPECT_EQ(clock.sleeps(Clock::Duration{4000}), 1) << "the long pause of WriteMode 0";
    EXPECT_EQ(clock.sleeps(Clock::Duration{1000}), 21);
    EXPECT_GE(clock.waits(Clock::Duration{500}), 1) << "while a short frame is in flight";
}

TEST_F(SerialLinkTest, OpenFailuresAndReports) {
    SerialPort serial(*command);
    EXPECT_EQ(serial.open("kesmo-no-such-port"), 0);
    EXPECT_EQ(serial.start(), 0);
    EXPECT_TRUE(sink.notices().empty()) << "a port that does not open is not reported";

    EXPECT_EQ(serial.open(host->slavePath(), 12345), 1) << "opened, its settings refused";
    ASSERT_EQ(sink.notices().size(), 1u);
    EXPECT_EQ(sink.notices()[0].first,
              lineErrorReport("SetCommState()", EINVAL, portNumber(host->slavePath())));
    EXPECT_EQ(sink.notices()[0].second, "Application Error");
    serial.close();
}

} // namespace
