#include "sim/PtyHost.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace kesmo::sim {

namespace {

// How long to wait before looking again while no client holds the slave open.
constexpr std::chrono::milliseconds kIdlePoll{20};

std::string systemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

int toTimeout(std::chrono::milliseconds ms) {
    return static_cast<int>(std::min<std::chrono::milliseconds::rep>(ms.count(), 1 << 30));
}

} // namespace

PtyHost::PtyHost(Engine& engine, Sleep sleep) : m_engine(engine), m_sleep(std::move(sleep)) {}

PtyHost::~PtyHost() {
    stop();
}

bool PtyHost::start(std::string& error) {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0) {
        error = systemError("posix_openpt");
        return false;
    }
    std::array<char, 256> name{};
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 ||
        ptsname_r(m_master, name.data(), name.size()) != 0) {
        error = systemError("pty setup");
        closeMaster();
        return false;
    }
    m_slavePath = name.data();
    // Raw from the start, so that frame bytes such as 0x03 or 0x11 never meet a line discipline.
    const int slave = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY);
    if (slave < 0) {
        error = systemError("open slave");
        closeMaster();
        return false;
    }
    termios tio{};
    if (tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(slave, TCSANOW, &tio);
    }
    ::close(slave);
    m_stopEvent = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_stopEvent < 0) {
        error = systemError("eventfd");
        closeMaster();
        return false;
    }
    m_thread = std::thread([this] { serve(); });
    return true;
}

void PtyHost::stop() {
    if (m_stopEvent >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(m_stopEvent, &one, sizeof one);
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    closeMaster();
    if (m_stopEvent >= 0) {
        ::close(m_stopEvent);
        m_stopEvent = -1;
    }
}

void PtyHost::waitFinished() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void PtyHost::closeMaster() {
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}

bool PtyHost::waitStop(std::chrono::milliseconds timeout) {
    pollfd fd{m_stopEvent, POLLIN, 0};
    return ::poll(&fd, 1, toTimeout(timeout)) > 0;
}

bool PtyHost::writeAll(const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto n = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == EAGAIN) {
            std::array<pollfd, 2> fds{{{m_master, POLLOUT, 0}, {m_stopEvent, POLLIN, 0}}};
            if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) {
                return false;
            }
            if ((fds[1].revents & POLLIN) != 0) {
                return false;
            }
            if ((fds[0].revents & (POLLHUP | POLLERR)) != 0 && (fds[0].revents & POLLOUT) == 0) {
                // The client went away mid-answer; what is left has nobody to read it.
                return true;
            }
            continue;
        }
        return true;
    }
    return true;
}

void PtyHost::serve() {
    const Sleep sleep =
        m_sleep ? m_sleep : Sleep([this](std::chrono::milliseconds ms) { return !waitStop(ms); });
    std::array<std::uint8_t, 4096> buffer{};
    for (;;) {
        std::array<pollfd, 2> fds{{{m_master, POLLIN, 0}, {m_stopEvent, POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            return;
        }
        if ((fds[0].revents & POLLIN) == 0) {
            // No client has the slave open: the master reports a hang-up until one does.
            if (waitStop(kIdlePoll)) {
                return;
            }
            continue;
        }
        const auto n = ::read(m_master, buffer.data(), buffer.size());
        if (n <= 0) {
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
                continue;
            }
            if (waitStop(kIdlePoll)) {
                return;
            }
            continue;
        }
        const Output out = m_engine.feed(std::span(buffer).first(static_cast<std::size_t>(n)));
        for (const auto& w : out.writes) {
            if (w.delay.count() > 0 && !sleep(w.delay)) {
                return;
            }
            if (!writeAll(w.bytes)) {
                return;
            }
        }
        if (out.hangUp) {
            m_hungUp = true;
            closeMaster();
            break;
        }
    }
    m_finished = true;
}

} // namespace kesmo::sim
