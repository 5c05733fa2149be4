#include "devicelink/Catalogue.h"
#include "devicelink/Command.h"
#include "devicelink/UsbPort.h"
#include "model/Layout.h"
#include "platform/FakeCh9326Bridge.h"
#include "tests/devicelink/LinkTestSupport.h"
#include "tests/devicelink/RecordingSink.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace kesmo;
using kesmo::test::eventually;
using kesmo::test::Posted;
using kesmo::test::RecordingProgress;
using kesmo::test::RecordingSink;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Spec = FakeCh9326Bridge::Spec;

constexpr const char* kPath = "/dev/hidraw0";

Bytes padded(Bytes bytes, std::size_t size) {
    bytes.resize(size, 0);
    return bytes;
}

Bytes wireBytes(const Frame& f) {
    return Bytes(f.data(), f.data() + f.wireSize());
}

// Real time, telling when the worker has begun to poll for a reply.
class PollSpyClock final : public Clock {
public:
    TimePoint now() const override { return steadyClock().now(); }
    void sleep(Duration d) override {
        if (d == UsbPort::kPollSleep)
            ++m_pollSleeps;
        steadyClock().sleep(d);
    }
    int poll(std::span<pollfd> fds, Duration timeout) override {
        return steadyClock().poll(fds, timeout);
    }
    bool polling() const { return m_pollSleeps.load() > 0; }

private:
    std::atomic<int> m_pollSleeps{0};
};

struct UsbPortTest : ::testing::Test {
    std::shared_ptr<FakeCh9326Bridge> bridge = std::make_shared<FakeCh9326Bridge>();
    std::unique_ptr<ParamStore> store = std::make_unique<ParamStore>();
    std::unique_ptr<LinkState> link = std::make_unique<LinkState>();
    std::unique_ptr<Command> command;
    RecordingSink sink;
    RecordingProgress progress;
    FakeClock fakeClock;
    std::unique_ptr<UsbPort> port;

    void SetUp() override {
        setCh9326Backend(bridge);
        // Scene 1 in both copies: the idle frame is the meter request FF 55 03 00 0C 01 10.
        store->working.setByte(layout::image::kSceneSelect, 1);
        store->mirror.setByte(layout::image::kSceneSelect, 1);
        link->transport = transport::kUsb;
        command = std::make_unique<Command>(*store, *link);
        setMessageSink(&sink);
    }
    void TearDown() override {
        port.reset();
        setMessageSink(nullptr);
        setCh9326Backend(nullptr);
    }

    void queue(CommandCode code, int arg) {
        std::lock_guard lock(modelLock());
        buildCommand(command->queue(), *store, *link, code, arg);
    }
    // Opens the bridge at kPath and starts the worker on the given clock.
    void run(Clock& clock) {
        port = std::make_unique<UsbPort>(*command, clock, &progress);
        ASSERT_EQ(port->open(kPath), 1);
        ASSERT_EQ(port->start(), 1);
    }
    // Runs against a bridge that never answers until the worker has ended.
    void runUntilLost() {
        run(fakeClock);
        ASSERT_TRUE(eventually([&] { return !port->threadAlive(); }));
    }
    std::size_t reportsWritten() const { return bridge->writtenReports(kPath).size(); }
};

TEST_F(UsbPortTest, EnumerationListsOnlyTheExpectedBridgesAndClosesEveryProbe) {
    const Spec specs[] = {
        {.path = "/dev/hidraw0"},
        {.path = "/dev/hidraw1", .productId = 0xE011},
        {.path = "/dev/hidraw2", .vendorId = 0x1234},
        {.path = "/dev/hidraw3", .attributesFail = true},
        {.path = "/dev/hidraw4"},
    };
    for (const Spec& s : specs)
        bridge->plugIn(s);

    std::vector<std::string> candidates{"left over"};
    EXPECT_EQ(UsbPort::enumerate(candidates), 1);
    EXPECT_EQ(candidates, (std::vector<std::string>{"/DEV/HIDRAW0", "/DEV/HIDRAW4"}));
    for (const Spec& s : specs)
        EXPECT_EQ(bridge->openCount(s.path), 0) << s.path;

    for (const Spec& s : specs)
        bridge->pullOut(s.path);
    EXPECT_EQ(UsbPort::enumerate(candidates), 0);
    EXPECT_TRUE(candidates.empty());
}

TEST_F(UsbPortTest, OpenConfiguresTheBridge) {
    bridge->plugIn({.path = kPath, .releaseNumber = 0x0230});
    UsbPort usb(*command, fakeClock);
    // The path as enumeration lists it.
    ASSERT_EQ(usb.open("/DEV/HIDRAW0"), 1);
    EXPECT_TRUE(sink.notices().empty());
    EXPECT_TRUE(usb.isOpen());
    EXPECT_EQ(usb.devicePath(), "/DEV/HIDRAW0");
    EXPECT_EQ(usb.vendorId(), 0x1A86);
    EXPECT_EQ(usb.productId(), 0xE010);
    EXPECT_EQ(usb.version(), 0x0230);
    EXPECT_EQ(bridge->uartSettings(kPath), (ch9326::UartSettings{13, 4, 1, 4, 48}));
    EXPECT_EQ(bridge->featureReports(kPath).size(), 1u) << "the time-outs stay on the host";
    EXPECT_EQ(bridge->openCount(kPath), 1);

    ASSERT_EQ(usb.open(kPath), 1);
    EXPECT_EQ(bridge->openCount(kPath), 1) << "opening again closes the bridge first";
    usb.close();
    EXPECT_FALSE(usb.isOpen());
    EXPECT_EQ(bridge->openCount(kPath), 0);
    EXPECT_EQ(usb.start(), 0);
}

TEST_F(UsbPortTest, OpenFailuresPostTheirNoticeAndCloseWhatTheyOpened) {
    const struct {
        const char* what;
        Spec spec;
        const char* path;
        const char* notice;
    } cases[] = {
        {"no bridge at the path", {.path = kPath}, "/dev/hidraw9", "USB打开失败！"},
        {"attributes fail", {.path = kPath, .attributesFail = true}, kPath, "获取设备VID PID失败"},
        {"another product", {.path = kPath, .productId = 0xE011}, kPath, "设备VID PID不正确"},
        {"another vendor", {.path = kPath, .vendorId = 0x1234}, kPath, "设备VID PID不正确"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto fake = std::make_shared<FakeCh9326Bridge>();
        fake->plugIn(c.spec);
        setCh9326Backend(fake);
        RecordingSink notices;
        setMessageSink(&notices);
        UsbPort usb(*command, fakeClock);

        EXPECT_EQ(usb.open(c.path), 0);
        EXPECT_EQ(notices.notices(),
                  (std::vector<std::pair<std::string, std::string>>{{c.notice, ""}}));
        EXPECT_EQ(fake->openCount(c.spec.path), 0);
        EXPECT_FALSE(usb.isOpen());
        EXPECT_EQ(usb.start(), 0);
        setMessageSink(&sink);
    }
}

TEST_F(UsbPortTest, FramesGoOutIn31ByteChunksPaddedWithZeros) {
    // A frame whose L + 4 is a whole number of chunks.
    auto exact = std::make_unique<SendData>();
    exact->frame().setLength(58);
    exact->frame().setCode(static_cast<std::uint8_t>(CommandCode::WriteName));
    for (std::size_t i = 5; i < 61; ++i)
        exact->frame()[i] = static_cast<std::uint8_t>(i);
    frameChecksum(exact->frame());
    const Bytes exactBytes = wireBytes(exact->frame());

    struct Case {
        const char* what;
        std::function<Bytes()> queueFrame; // queues the frame (or nothing), returns its bytes
        std::size_t chunks;
        std::size_t lastChunkBytes;
    };
    const Case cases[] = {
        {"meter request from the synchroniser",
         [] { return Bytes{0xFF, 0x55, 0x03, 0x00, 0x0C, 0x01, 0x10}; }, 1, 7},
        {"WriteMode of the working image",
         [&] {
             queue(CommandCode::WriteMode, 0);
             std::lock_guard lock(modelLock());
             return wireBytes(command->queue().at(0).frame());
         },
         88, 22},
        {"two whole chunks",
         [&] {
             std::lock_guard lock(modelLock());
             command->queue().append(std::move(exact));
             return exactBytes;
         },
         2, 31},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bridge = std::make_shared<FakeCh9326Bridge>();
        bridge->plugIn({.path = kPath});
        setCh9326Backend(bridge);
        const Bytes frame = c.queueFrame();
        runUntilLost();

        const auto reports = bridge->writtenReports(kPath);
        ASSERT_EQ(reports.size(), c.chunks);
        for (const auto& r : reports) {
            ASSERT_EQ(r.size(), 33u);
            EXPECT_EQ(r[0], 0) << "report id";
            EXPECT_EQ(r[1], 31) << "every chunk carries 31 bytes";
        }
        Bytes expected = frame;
        expected.resize(c.chunks * 31, 0);
        EXPECT_EQ(bridge->writtenUartBytes(kPath), expected);
        EXPECT_EQ(frame.size() - (c.chunks - 1) * 31, c.lastChunkBytes);
        port.reset();
    }
}

TEST_F(UsbPortTest, NoReplyForAboutThreeSecondsAfterAWriteLosesThePort) {
    bridge->plugIn({.path = kPath});
    queue(CommandCode::ReadIdentity, 0);
    runUntilLost();

    EXPECT_EQ(sink.posted(), (std::vector<Posted>{{Message::PortLost, 2, 1}}));
    EXPECT_EQ(reportsWritten(), 1u) << "no resend";
    // Fetch and write passes, then sixteen empty polls of 200 ms each but the last.
    EXPECT_GE(fakeClock.elapsed(), Clock::Duration{3100});
    EXPECT_LT(fakeClock.elapsed(), Clock::Duration{3300});
    EXPECT_EQ(bridge->openCount(kPath), 1) << "no probe handle kept open";
    EXPECT_TRUE(sink.notices().empty());
    port->close();
    EXPECT_EQ(bridge->openCount(kPath), 0);
}

TEST_F(UsbPortTest, AFailingChunkWriteIsTriedSixTimesInAll) {
    const struct {
        int failures;
        std::size_t delivered;
        bool lostAtOnce;
    } cases[] = {{5, 1, false}, {6, 0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failures);
        bridge = std::make_shared<FakeCh9326Bridge>();
        bridge->plugIn({.path = kPath});
        setCh9326Backend(bridge);
        RecordingSink posts;
        setMessageSink(&posts);
        FakeClock clock;
        queue(CommandCode::ReadIdentity, 0);
        bridge->failWrites(kPath, c.failures);
        run(clock);
        ASSERT_TRUE(eventually([&] { return !port->threadAlive(); }));

        EXPECT_EQ(reportsWritten(), c.delivered);
        if (c.delivered) {
            EXPECT_EQ(bridge->writtenUartBytes(kPath),
                      padded({0xFF, 0x55, 0x03, 0x00, 0x7F, 0x00, 0x82}, 31));
        }
        EXPECT_EQ(posts.posted(), (std::vector<Posted>{{Message::PortLost, 2, 1}}));
        EXPECT_EQ(clock.elapsed() < Clock::Duration{1000}, c.lostAtOnce);
        port.reset();
        setMessageSink(&sink);
    }
}

TEST_F(UsbPortTest, AWriteTriedAgainResumesAtTheChunkThatFailed) {
    bridge->plugIn({.path = kPath});
    std::atomic<bool> failed{false};
    bridge->setUartPeer(kPath, [&](std::span<const std::uint8_t>) {
        if (!failed.exchange(true))
            bridge->failWrites(kPath, 1); // the second chunk fails once
    });
    queue(CommandCode::WriteMode, 0);
    Bytes frame;
    {
        std::lock_guard lock(modelLock());
        frame = wireBytes(command->queue().at(0).frame());
    }
    runUntilLost();

    ASSERT_EQ(reportsWritten(), 88u);
    frame.resize(88 * 31, 0);
    EXPECT_EQ(bridge->writtenUartBytes(kPath), frame) << "every byte once, in order";
    EXPECT_EQ(sink.posted(), (std::vector<Posted>{{Message::PortLost, 2, 0}}));
}

TEST_F(UsbPortTest, AVanishedBridgeIsNoticedWhileNoBytesAreWaiting) {
    bridge->plugIn({.path = kPath});
    bridge->setUartPeer(kPath, [&](std::span<const std::uint8_t>) { bridge->pullOut(kPath); });
    queue(CommandCode::ReadIdentity, 0);
    runUntilLost();

    EXPECT_EQ(sink.posted(), (std::vector<Posted>{{Message::PortLost, 2, 1}}));
    EXPECT_LT(fakeClock.elapsed(), Clock::Duration{1000}) << "long before the reply time-out";
    EXPECT_TRUE(sink.notices().empty());
    port->close();
    EXPECT_EQ(bridge->openCount(kPath), 0);
}

TEST_F(UsbPortTest, AParameterChangeLeavesControlFieldsOfEarlierFramesBehind) {
    {
        Frame& staging = command->inFlightRecord(transport::kSerial);
        staging.setField(Frame::kIdentityQuery, 1);
        staging.setField(Frame::kLongPause, 1);
        staging.setField(Frame::kBulkTransfer, 1);
        staging.setField(Frame::kProgressStep, 7);
    }
    bridge->plugIn({.path = kPath});
    runUntilLost();

    EXPECT_EQ(bridge->writtenUartBytes(kPath).size(), 31u);
    EXPECT_EQ(sink.posted(), (std::vector<Posted>{{Message::PortLost, 2, 0}}));
    EXPECT_TRUE(progress.steps().empty());
    EXPECT_LT(fakeClock.elapsed(), Clock::Duration{3300}) << "no pauses after the write";
}

TEST_F(UsbPortTest, CloseJoinsTheWorkerAndClosesTheBridge) {
    struct Case {
        const char* what;
        std::function<void()> before;
        std::function<void()> after;
    };
    PollSpyClock clock;
    const Case cases[] = {
        {"while a reply is awaited",
         [&] { ASSERT_TRUE(eventually([&] { return clock.polling(); })); }, [] {}},
        {"right after start", [] {}, [] {}},
        {"while the UI thread holds the model lock", [] { modelLock().lock(); },
         [] { modelLock().unlock(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bridge->plugIn({.path = kPath});
        run(clock);
        c.before();
        port->close();
        c.after();
        EXPECT_FALSE(port->threadAlive());
        EXPECT_FALSE(port->isOpen());
        EXPECT_EQ(bridge->openCount(kPath), 0);
    }
    EXPECT_EQ(sink.count(Message::PortLost), 0u);
}

} // namespace
