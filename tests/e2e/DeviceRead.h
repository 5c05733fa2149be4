#pragma once

#include "devicelink/Catalogue.h"
#include "devicelink/Command.h"
#include "sim/DeviceState.h"

#include <algorithm>
#include <gtest/gtest.h>
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

} // namespace kesmo::test
