#include "devicelink/Delivery.h"

#include "devicelink/ParamSync.h"

#include <memory>

namespace kesmo {

namespace {

// One synchroniser step on copies, so the real mirror is left alone.
bool changeLeft(const ParamStore& store, const LinkState& link) {
    auto scratch = std::make_unique<ParamStore>();
    scratch->working.assign(store.working);
    scratch->mirror.assign(store.mirror);
    scratch->workingSystem.assign(store.workingSystem);
    scratch->mirrorSystem.assign(store.mirrorSystem);
    scratch->fallbackScene = store.fallbackScene.load();
    auto scratchLink = std::make_unique<LinkState>();
    scratchLink->perModeSystemBlocks = link.perModeSystemBlocks.load();
    scratchLink->storeAllowed = link.storeAllowed.load();
    auto frame = std::make_unique<Frame>();
    frame->clear();
    frame->resetHeader();
    ParamSync(*frame, *scratch, *scratchLink);
    const int code = frame->code();
    return code != codeValue(CommandCode::MeterLevels) &&
           code != codeValue(CommandCode::MeterLimits);
}

} // namespace

bool editsDelivered(Command& command) {
    LinkState& link = command.link();
    if (command.queue().hasFrames() || link.replyPending != 0)
        return false;
    const int code = command.inFlightRecord(link.transport).code();
    if (code != 0 && code != codeValue(CommandCode::MeterLevels) &&
        code != codeValue(CommandCode::MeterLimits))
        return false;
    return !changeLeft(command.store(), link);
}

} // namespace kesmo
