#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <poll.h>
#include <span>

namespace kesmo {

// Time as the transports see it: now, sleeping, and the timeout of a wait on descriptors.
// Tests inject a fake so retries and time-outs run in virtual time.
class Clock {
public:
    using Duration = std::chrono::milliseconds;
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
    virtual void sleep(Duration d) = 0;
    // poll() over the descriptors for at most `timeout`: the number ready, 0 on timeout,
    // -1 on failure (errno set).
    virtual int poll(std::span<pollfd> fds, Duration timeout) = 0;
};

class SteadyClock final : public Clock {
public:
    TimePoint now() const override;
    void sleep(Duration d) override;
    int poll(std::span<pollfd> fds, Duration timeout) override;
};

// Virtual time: sleeping advances it at once; a wait looks at the descriptors without
// blocking and, when nothing is ready, advances it by the whole timeout.
class FakeClock final : public Clock {
public:
    TimePoint now() const override;
    void sleep(Duration d) override;
    int poll(std::span<pollfd> fds, Duration timeout) override;

    void advance(Duration d);
    // Virtual time elapsed since construction.
    Duration elapsed() const;
    // Waits that found nothing ready and ran into their timeout.
    std::uint64_t timedOutWaits() const { return m_timedOutWaits.load(); }

private:
    std::atomic<std::int64_t> m_elapsedMs{0};
    std::atomic<std::uint64_t> m_timedOutWaits{0};
};

// The clock of production code.
Clock& steadyClock();

} // namespace kesmo
