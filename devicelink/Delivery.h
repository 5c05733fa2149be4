#pragma once

#include "devicelink/Command.h"

#include <memory>

namespace kesmo {

// A copy of the working copies and mirrors, to ask the synchroniser what it would send without
// touching the real mirror.
class SyncScratch {
public:
    SyncScratch(const ParamStore& store, const LinkState& link);
    ParamStore& store() { return *m_store; }
    // True when the step composed a parameter change, false for a meter request.
    bool step();
    // Runs steps until only meter requests are left (bounded by the number of items).
    void drain();

private:
    static constexpr int kMaxSteps = 4096;
    std::unique_ptr<ParamStore> m_store = std::make_unique<ParamStore>();
    std::unique_ptr<LinkState> m_link = std::make_unique<LinkState>();
    std::unique_ptr<Frame> m_frame = std::make_unique<Frame>();
};

// Whether the device has every edit: nothing queued, no reply awaited, no change in flight, and
// a synchroniser step on a copy of the model finds nothing left to send. The mirror follows a
// change when it is composed, so mirror = working alone does not say that the device has it.
// The caller holds ModelLock.
bool editsDelivered(Command& command);

} // namespace kesmo
