#pragma once

#include <cstdint>

namespace kesmo {

// The program's own window messages, with their values.
enum class Message : std::uint32_t {
    SliderTracking = 0x28D1,
    SliderChanged = 0x28D2,
    EditCommitted = 0x291C,
    GraphBandSelected = 0x464,
    StripTouched = 0x497,
    LabelRepaint = 0xA50,
    PortLost = 0x472,
    StartConnect = 0x473,
    SystemBlockArrived = 0x474,
    WorkingModeArrived = 0x475,
    BankArrived = 0x478,
    LampsArrived = 0x47A,
    IdentityArrived = 0x47B,
};

// Where the device link posts its messages. Posting is asynchronous and thread-safe; the
// receiver handles the message later on its own thread.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void post(Message message, std::intptr_t wParam, std::intptr_t lParam) = 0;
    // Shows a notice to the user without blocking the caller (the "11" mismatch notice,
    // open errors of the transports).
    virtual void postNotice(const char* text, const char* caption) = 0;
};

} // namespace kesmo
