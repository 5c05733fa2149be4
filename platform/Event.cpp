#include "platform/Event.h"

#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace kesmo {

Event::Event() : m_fd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

Event::~Event() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void Event::set() {
    if (m_fd < 0)
        return;
    const std::uint64_t one = 1;
    // Fails only when the counter is saturated, which is signalled all the same.
    [[maybe_unused]] const auto n = ::write(m_fd, &one, sizeof one);
}

void Event::reset() {
    if (m_fd < 0)
        return;
    std::uint64_t count = 0;
    [[maybe_unused]] const auto n = ::read(m_fd, &count, sizeof count);
}

bool Event::isSet() const {
    if (m_fd < 0)
        return false;
    pollfd p{m_fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & POLLIN) != 0;
}

} // namespace kesmo
