#include "platform/Wait.h"

#include <array>
#include <cerrno>

namespace kesmo {

namespace {
constexpr std::size_t kMaxEvents = 8;
}

WaitResult waitForAny(Clock& clock, std::span<Event* const> events, int portFd,
                      Clock::Duration timeout) {
    if (events.size() > kMaxEvents)
        return {WaitResult::Kind::Failed, 0, EINVAL};
    std::array<pollfd, kMaxEvents + 1> fds{};
    for (std::size_t i = 0; i < events.size(); ++i)
        fds[i] = {events[i]->fd(), POLLIN, 0};
    // poll() skips negative descriptors.
    fds[events.size()] = {portFd, POLLIN, 0};
    const std::span<pollfd> watched(fds.data(), events.size() + 1);

    int n = clock.poll(watched, timeout);
    // A signal is no failure of the wait; it ends early, as a timeout would.
    if (n < 0 && errno == EINTR)
        n = 0;
    if (n < 0)
        return {WaitResult::Kind::Failed, 0, errno};
    if (n == 0)
        return {WaitResult::Kind::Timeout, 0};
    for (std::size_t i = 0; i < events.size(); ++i)
        if (fds[i].revents & POLLIN)
            return {WaitResult::Kind::Event, i};
    const short port = fds[events.size()].revents;
    if (port & POLLIN)
        return {WaitResult::Kind::Readable, 0};
    if (port & (POLLHUP | POLLERR | POLLNVAL))
        return {WaitResult::Kind::PortGone, 0};
    return {WaitResult::Kind::Failed, 0, EIO};
}

} // namespace kesmo
