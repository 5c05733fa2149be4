#pragma once

#include "devicelink/Messages.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

namespace kesmo {

// The level meters of the System page.
inline constexpr std::size_t kMeterCount = 12;

struct LampState {
    std::atomic<int> gate{1};
    std::atomic<int> alternation{0};
    std::array<std::atomic<std::uint8_t>, kMeterCount> levels;
    std::array<std::atomic<std::uint8_t>, kMeterCount> limits;
    LampState() { reset(); }
    void reset();
};

// Offsets in the password staging record where a new password waits for its frame.
namespace passwordstaging {
inline constexpr std::size_t kNewPanelPassword = 4, kCurrentSystemPassword = 8,
                             kNewSystemPassword = 14, kSize = 21;
}

// Process-wide link state, written by the worker and read by the UI thread.
struct LinkState {
    std::atomic<int> transport{0}; // 0 none, 1 serial, 2 USB
    std::atomic<int> connected{0};
    std::atomic<int> replyPending{0};
    std::atomic<int> connectAttempt{0};
    std::atomic<int> perModeSystemBlocks{0};
    std::atomic<int> storeAllowed{0};
    std::atomic<int> bankHasSystemBlocks{1};
    // From opening a port until the device's working mode has arrived: only queued frames go
    // out, no synchroniser step.
    std::atomic<int> awaitingWorkingMode{0};
    std::atomic<std::uint8_t> bankValid{0};
    LampState lamps;
    // Staging record of the password dialogs (21 bytes).
    std::array<std::atomic<std::uint8_t>, passwordstaging::kSize> passwordStaging{};

    void reset();
};

LinkState& linkState();

// Guards the working and mirror images, the stored bank, the queue and the frame records.
using ModelLockType = std::recursive_mutex;
ModelLockType& modelLock();

// The main window's sink; posts are dropped while none is registered.
void setMessageSink(MessageSink* sink);
MessageSink* messageSink();
void postMessage(Message message, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
void postNotice(const char* text, const char* caption);

} // namespace kesmo
