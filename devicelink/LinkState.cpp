#include "devicelink/LinkState.h"

namespace kesmo {

void LampState::reset() {
    gate = 1;
    alternation = 0;
    for (auto& v : levels)
        v = 200;
    for (auto& v : limits)
        v = 100;
}

void LinkState::reset() {
    transport = 0;
    connected = 0;
    replyPending = 0;
    connectAttempt = 0;
    perModeSystemBlocks = 0;
    storeAllowed = 0;
    bankHasSystemBlocks = 1;
    awaitingWorkingMode = 0;
    bankValid = 0;
    lamps.reset();
    for (auto& b : passwordStaging)
        b = 0;
}

LinkState& linkState() {
    static auto* state = new LinkState;
    return *state;
}

ModelLockType& modelLock() {
    static auto* lock = new ModelLockType;
    return *lock;
}

namespace {
std::atomic<MessageSink*> g_sink{nullptr};
}

void setMessageSink(MessageSink* sink) {
    g_sink.store(sink);
}
MessageSink* messageSink() {
    return g_sink.load();
}

void postMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) {
    if (MessageSink* sink = g_sink.load())
        sink->post(message, wParam, lParam);
}

void postNotice(const char* text, const char* caption) {
    if (MessageSink* sink = g_sink.load())
        sink->postNotice(text, caption);
}

} // namespace kesmo
