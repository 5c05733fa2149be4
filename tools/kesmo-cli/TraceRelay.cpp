#include "tools/kesmo-cli/TraceRelay.h"

#include "devicelink/Frame.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace kesmo::cli {

std::string hexBytes(const std::uint8_t* bytes, std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        std::array<char, 4> b{};
        std::snprintf(b.data(), b.size(), i == 0 ? "%02X" : " %02X", bytes[i]);
        text += b.data();
    }
    return text;
}

std::vector<std::string> FrameSplitter::feed(const std::uint8_t* bytes, std::size_t size) {
    m_pending.insert(m_pending.end(), bytes, bytes + size);
    std::vector<std::string> lines;
    std::size_t stray = 0; // bytes at the front that start no frame
    auto flushStray = [&] {
        if (stray == 0)
            return;
        lines.push_back(hexBytes(m_pending.data(), stray) + " (stray)");
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(stray));
        stray = 0;
    };
    while (stray < m_pending.size()) {
        const std::uint8_t* p = m_pending.data() + stray;
        const std::size_t left = m_pending.size() - stray;
        if (p[0] != 0xFF || (left >= 2 && p[1] != 0x55)) {
            ++stray;
            continue;
        }
        if (left < 4)
            break;
        const std::size_t total = static_cast<std::size_t>(p[2] | (p[3] << 8)) + 4;
        if (total < 7 || total > Frame::kWireArea) {
            ++stray;
            continue;
        }
        if (left < total)
            break;
        flushStray();
        lines.push_back(hexBytes(m_pending.data(), total));
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(total));
    }
    flushStray();
    return lines;
}

TraceRelay::~TraceRelay() {
    if (m_thread.joinable()) {
        m_stop.set();
        m_thread.join();
    }
    if (m_slaveHold >= 0)
        ::close(m_slaveHold);
    if (m_master >= 0)
        ::close(m_master);
    m_line.close();
}

bool TraceRelay::start(const std::string& port, std::string& error) {
    if (!m_stop.valid()) {
        error = "no event";
        return false;
    }
    if (const LineResult r = m_line.open(portPath(port)); !r.ok()) {
        error = std::strerror(r.error);
        return false;
    }
    if (!m_line.readState().ok() || !m_line.writeState(LineSettings{}).ok()) {
        error = "the line settings were refused";
        return false;
    }
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    std::array<char, 128> name{};
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name.data(), name.size()) != 0) {
        error = std::strerror(errno);
        return false;
    }
    m_slavePath = name.data();
    m_slaveHold = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    if (m_slaveHold < 0 || ::tcgetattr(m_slaveHold, &tio) != 0) {
        error = std::strerror(errno);
        return false;
    }
    ::cfmakeraw(&tio);
    ::tcsetattr(m_slaveHold, TCSANOW, &tio);
    m_thread = std::thread(&TraceRelay::run, this);
    return true;
}

void TraceRelay::print(char direction, FrameSplitter& splitter, const std::uint8_t* bytes,
                       std::size_t size) {
    for (const std::string& line : splitter.feed(bytes, size))
        m_out << direction << " " << line << "\n";
    m_out.flush();
}

void TraceRelay::run() {
    std::array<std::uint8_t, 4096> buffer{};
    for (;;) {
        std::array<pollfd, 3> fds{
            {{m_stop.fd(), POLLIN, 0}, {m_master, POLLIN, 0}, {m_line.fd(), POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[0].revents != 0)
            return;
        if (fds[1].revents & POLLIN) {
            const ssize_t n = ::read(m_master, buffer.data(), buffer.size());
            if (n > 0) {
                const auto size = static_cast<std::size_t>(n);
                print('>', m_written, buffer.data(), size);
                if (!m_line
                         .write(std::span(buffer.data(), size), steadyClock(),
                                std::chrono::milliseconds(1000))
                         .ok())
                    break;
            }
        }
        if (fds[2].revents & POLLIN) {
            std::size_t got = 0;
            if (!m_line.read(std::span(buffer.data(), buffer.size()), got).ok())
                break;
            print('<', m_received, buffer.data(), got);
            for (std::size_t done = 0; done < got;) {
                const ssize_t n = ::write(m_master, buffer.data() + done, got - done);
                if (n <= 0) {
                    if (n < 0 && errno == EAGAIN) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                        continue;
                    }
                    break;
                }
                done += static_cast<std::size_t>(n);
            }
        }
        if ((fds[2].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 &&
            (fds[2].revents & POLLIN) == 0)
            break;
    }
    // The port went away: so does the terminal the transport reads, which it reports as lost.
    ::close(m_slaveHold);
    m_slaveHold = -1;
    ::close(m_master);
    m_master = -1;
}

} // namespace kesmo::cli
