#include "platform/Clock.h"

#include <cerrno>
#include <thread>

namespace kesmo {

namespace {

int pollOnce(std::span<pollfd> fds, int timeoutMs) {
    for (;;) {
        const int n = ::poll(fds.data(), static_cast<nfds_t>(fds.size()), timeoutMs);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

} // namespace

Clock::TimePoint SteadyClock::now() const {
    return std::chrono::steady_clock::now();
}

void SteadyClock::sleep(Duration d) {
    std::this_thread::sleep_for(d);
}

int SteadyClock::poll(std::span<pollfd> fds, Duration timeout) {
    const TimePoint end = now() + timeout;
    for (;;) {
        const auto left = std::chrono::ceil<Duration>(end - now()).count();
        const int n = ::poll(fds.data(), static_cast<nfds_t>(fds.size()),
                             left > 0 ? static_cast<int>(left) : 0);
        // A signal ends poll() early; wait out the rest of the timeout.
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

Clock::TimePoint FakeClock::now() const {
    return TimePoint{} + elapsed();
}

void FakeClock::sleep(Duration d) {
    advance(d);
    // Let the other threads run, as a real sleep would.
    std::this_thread::yield();
}

int FakeClock::poll(std::span<pollfd> fds, Duration timeout) {
    const int n = pollOnce(fds, 0);
    if (n == 0) {
        advance(timeout);
        ++m_timedOutWaits;
        std::this_thread::yield();
    }
    return n;
}

void FakeClock::advance(Duration d) {
    m_elapsedMs += d.count();
}

Clock::Duration FakeClock::elapsed() const {
    return Duration{m_elapsedMs.load()};
}

Clock& steadyClock() {
    static SteadyClock clock;
    return clock;
}

} // namespace kesmo
