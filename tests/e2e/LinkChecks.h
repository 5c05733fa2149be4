#pragma once

#include "devicelink/Catalogue.h"
#include "devicelink/Command.h"
#include "sim/Engine.h"
#include "tests/devicelink/LinkTestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

namespace kesmo::test {

inline constexpr std::size_t kDeviceReadFrames = 24;

// What Connect queues after the identity reply: the names, the working system block and the
// working mode, numbered 1, 2, ... for the progress window. The caller holds ModelLock.
inline void queueDeviceRead(Command& command) {
    for (const CommandCode code :
         {CommandCode::ReadNames, CommandCode::ReadSystemBlock, CommandCode::ReadMode})
        buildCommand(command.queue(), command.store(), command.link(), code, 0);
    for (std::size_t i = 0; i < command.queue().count(); ++i)
        const_cast<SendData&>(command.queue().at(i))
            .frame()
            .setField(Frame::kProgressStep, static_cast<std::uint8_t>(i + 1));
}

// The progress steps a transport reports for the whole device read.
inline std::vector<int> deviceReadSteps() {
    std::vector<int> steps(kDeviceReadFrames);
    for (std::size_t i = 0; i < steps.size(); ++i)
        steps[i] = static_cast<int>(i + 1);
    return steps;
}

// After the device read the model holds the device's working image and system block, both
// mirrored, and the names of its stored modes. The caller holds ModelLock.
inline void expectModelHoldsDevice(ParamStore& store, const sim::DeviceState& device) {
    EXPECT_EQ(store.working.snapshot(), device.working);
    EXPECT_EQ(store.workingSystem.snapshot(), device.system);
    EXPECT_TRUE(store.mirror.sameAs(store.working));
    EXPECT_TRUE(store.mirrorSystem.sameAs(store.workingSystem));
    for (int n = 1; n <= layout::kStoredModes; ++n) {
        const auto stored = store.storedMode(n).snapshot();
        const auto& name = device.storedMode(static_cast<std::size_t>(n));
        EXPECT_TRUE(std::equal(name.begin(), name.begin() + 20, stored.begin())) << n;
    }
}

// Edits the working image in place, as a page does (without the lock): a band gain and a 16-bit
// delay. Expects the synchroniser to deliver both to the device and mirror them.
inline void expectAnEditReachesTheDevice(ParamStore& store, const sim::Engine& engine) {
    using namespace layout;
    const std::size_t gain = musicLeft(store.working).eq(5).offset() + eqband::kGain;
    const std::size_t delay = outputChannel(store.working, 1, kSub).offset() + output::kDelay;
    store.working.setByte(gain, 77);
    outputChannel(store.working, 1, kSub).setDelay(0x0123);
    ASSERT_TRUE(eventually([&] {
        const auto s = engine.state();
        return s.working[gain] == 77 && s.working[delay] == 0x23 && s.working[delay + 1] == 0x01;
    }));
    std::lock_guard lock(modelLock());
    EXPECT_EQ(store.mirror.byte(gain), 77);
}

} // namespace kesmo::test
