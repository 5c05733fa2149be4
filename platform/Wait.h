#pragma once

#include "platform/Clock.h"
#include "platform/Event.h"

#include <cstddef>
#include <span>

namespace kesmo {

struct WaitResult {
    enum class Kind {
        Event,    // events[index] is set
        Readable, // the port has bytes waiting
        PortGone, // the port hung up or its descriptor is no longer valid
        Timeout,
        Failed,
    };
    Kind kind = Kind::Timeout;
    std::size_t index = 0;
    int error = 0; // Failed: the errno behind it
};

// Waits until one of the events is set, the port (portFd, or -1 for none) becomes readable or
// goes away, or the timeout passes. Events win over the port, and lower indices over higher.
WaitResult waitForAny(Clock& clock, std::span<Event* const> events, int portFd,
                      Clock::Duration timeout);

} // namespace kesmo
