#include "devicelink/Delivery.h"

#include "devicelink/ParamSync.h"

namespace kesmo {

SyncScratch::SyncScratch(const ParamStore& store, const LinkState& link) {
    m_store->working.assign(store.working);
    m_store->mirror.assign(store.mirror);
    m_store->workingSystem.assign(store.workingSystem);
    m_store->mirrorSystem.assign(store.mirrorSystem);
    m_store->fallbackScene = store.fallbackScene.load();
    m_link->perModeSystemBlocks = link.perModeSystemBlocks.load();
    m_link->storeAllowed = link.storeAllowed.load();
}

bool SyncScratch::step() {
    m_frame->clear();
    m_frame->resetHeader();
    ParamSync(*m_frame, *m_store, *m_link);
    const int code = m_frame->code();
    return code != codeValue(CommandCode::MeterLevels) &&
           code != codeValue(CommandCode::MeterLimits);
}

void SyncScratch::drain() {
    for (int i = 0; i < kMaxSteps && step(); ++i) {
    }
}

bool editsDelivered(Command& command) {
    LinkState& link = command.link();
    if (command.queue().hasFrames() || link.replyPending != 0)
        return false;
    const int code = command.inFlightRecord(link.transport).code();
    if (code != 0 && code != codeValue(CommandCode::MeterLevels) &&
        code != codeValue(CommandCode::MeterLimits))
        return false;
    return !SyncScratch(command.store(), link).step();
}

} // namespace kesmo
