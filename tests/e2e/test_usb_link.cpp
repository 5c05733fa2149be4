#include "devicelink/Catalogue.h"
#include "devicelink/Command.h"
#include "devicelink/UsbPort.h"
#include "model/WorkingModel.h"
#include "platform/FakeCh9326Bridge.h"
#include "sim/Engine.h"
#include "tests/devicelink/LinkTestSupport.h"
#include "tests/devicelink/RecordingSink.h"
#include "tests/e2e/LinkChecks.h"
#include "tests/e2e/SimBridge.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace kesmo;
using namespace kesmo::layout;
using kesmo::test::eventually;
using kesmo::test::Posted;
using kesmo::test::RecordingProgress;
using kesmo::test::RecordingSink;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* kPath = "/dev/hidraw0";

struct UsbLinkTest : ::testing::Test {
    sim::Engine engine;
    std::shared_ptr<FakeCh9326Bridge> bridge = std::make_shared<FakeCh9326Bridge>();
    std::unique_ptr<ParamStore> store = std::make_unique<ParamStore>();
    std::unique_ptr<LinkState> link = std::make_unique<LinkState>();
    std::unique_ptr<Command> command;
    RecordingSink sink;
    RecordingProgress progress;
    std::unique_ptr<UsbPort> port;

    void SetUp() override {
        bridge->plugIn({.path = kPath});
        test::forwardToEngine(*bridge, kPath, engine);
        setCh9326Backend(bridge);
        initialiseModel(*store);
        takeOverImage(*store, true);
        link->transport = transport::kUsb;
        command = std::make_unique<Command>(*store, *link);
        setMessageSink(&sink);
    }
    void TearDown() override {
        port.reset();
        setMessageSink(nullptr);
        setCh9326Backend(nullptr);
    }

    // As Connect does: the first bridge enumeration lists, the identity query, the worker.
    void connect() {
        std::vector<std::string> candidates;
        ASSERT_EQ(UsbPort::enumerate(candidates), 1);
        port = std::make_unique<UsbPort>(*command, steadyClock(), &progress);
        ASSERT_EQ(port->open(candidates.front()), 1);
        {
            std::lock_guard lock(modelLock());
            command->queue().clear();
            buildCommand(command->queue(), *store, *link, CommandCode::ReadIdentity, 0);
        }
        ASSERT_EQ(port->start(), 1);
    }
    void queue(CommandCode code, int arg) {
        buildCommand(command->queue(), *store, *link, code, arg);
    }
    bool posted(Message m) const { return sink.count(m) > 0; }
};

TEST_F(UsbLinkTest, TheIdentityQueryGoesFirstAndItsReplyArrives) {
    connect();
    ASSERT_TRUE(eventually([&] { return posted(Message::IdentityArrived); }));
    const auto frames = engine.frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0].bytes, (Bytes{0xFF, 0x55, 0x03, 0x00, 0x7F, 0x00, 0x82}));
    EXPECT_EQ(link->perModeSystemBlocks, engine.state().perModeSystemBlocks);
    EXPECT_EQ(link->storeAllowed, engine.state().storeAllowed);
    EXPECT_EQ(engine.counters().badChecksums, 0u);
    EXPECT_EQ(engine.counters().malformed, 0u);
}

TEST_F(UsbLinkTest, TheDeviceReadOf24FramesLandsInTheModel) {
    connect();
    ASSERT_TRUE(eventually([&] { return posted(Message::IdentityArrived); }));
    {
        std::lock_guard lock(modelLock());
        test::queueDeviceRead(*command);
        ASSERT_EQ(command->queue().count(), test::kDeviceReadFrames);
    }
    ASSERT_TRUE(eventually([&] { return posted(Message::WorkingModeArrived); }));

    std::lock_guard lock(modelLock());
    test::expectModelHoldsDevice(*store, engine.state());
    EXPECT_EQ(progress.steps(), test::deviceReadSteps());
    EXPECT_EQ(sink.count(Message::SystemBlockArrived), 1u);
    EXPECT_FALSE(posted(Message::PortLost));
}

TEST_F(UsbLinkTest, AnEditOfTheWorkingImageReachesTheDevice) {
    connect();
    ASSERT_TRUE(eventually([&] { return engine.count(24) >= 1; }));
    test::expectAnEditReachesTheDevice(*store, engine);
}

TEST_F(UsbLinkTest, BulkFramesGoBeforeChangesAndChangesBeforeMeterRequests) {
    musicLeft(store->working).eq(3).setGain(130);
    {
        // The worker's first pass waits for the lock, so the names are queued behind the query.
        std::lock_guard lock(modelLock());
        connect();
        queue(CommandCode::ReadNames, 0);
    }
    ASSERT_TRUE(eventually([&] { return engine.count(24) >= 1; }));
    std::vector<std::uint8_t> seen;
    for (const sim::ReceivedFrame& f : engine.frames())
        seen.push_back(f.code);
    std::vector<std::uint8_t> expected{127};
    expected.insert(expected.end(), 22, 128);
    expected.insert(expected.end(), {3, 12, 24});
    ASSERT_GE(seen.size(), expected.size());
    EXPECT_EQ(std::vector<std::uint8_t>(seen.begin(), seen.begin() + 26), expected);
}

TEST_F(UsbLinkTest, AnIdleLinkPollsLevelsAndLimitsInTurn) {
    command->setSystemPageCurrent(true);
    connect();
    ASSERT_TRUE(eventually([&] { return engine.count(24) >= 2; }));
    const auto frames = engine.frames();
    std::vector<std::uint8_t> meters;
    for (std::size_t i = 1; i < frames.size(); ++i)
        meters.push_back(frames[i].code);
    ASSERT_GE(meters.size(), 4u);
    for (std::size_t i = 0; i < meters.size(); ++i)
        EXPECT_EQ(meters[i], i % 2 == 0 ? 12 : 24) << i;
    EXPECT_TRUE(posted(Message::LampsArrived));
    EXPECT_FALSE(posted(Message::PortLost));
}

TEST_F(UsbLinkTest, ADeviceThatHangsUpLosesThePort) {
    engine.addFault({sim::Fault::hangUp(), 24, 1});
    connect();
    ASSERT_TRUE(eventually([&] { return !port->threadAlive(); }));
    EXPECT_EQ(sink.posted().back(), (Posted{Message::PortLost, 2, 0}));
    EXPECT_EQ(sink.count(Message::PortLost), 1u);
    port->close();
    EXPECT_EQ(bridge->openCount(kPath), 0);
}

} // namespace
