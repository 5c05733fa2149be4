#include "platform/SerialLine.h"

#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kesmo {

namespace {

// The errors by which a line tells that its device is no longer there.
bool deviceGone(int error) {
    return error == EIO || error == ENXIO || error == ENODEV || error == EBADF || error == EPIPE ||
           error == ENOENT;
}

LineResult failure(int error) {
    return {deviceGone(error) ? LineResult::Kind::Gone : LineResult::Kind::Failed, error};
}

LineResult lastFailure() {
    return failure(errno);
}

bool speedFor(unsigned baud, speed_t& out) {
    struct Rate {
        unsigned baud;
        speed_t speed;
    };
    static constexpr Rate kRates[] = {
        {110, B110},       {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},
        {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
        {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
    };
    for (const Rate& r : kRates)
        if (r.baud == baud) {
            out = r.speed;
            return true;
        }
    return false;
}

bool sizeFor(int dataBits, tcflag_t& out) {
    switch (dataBits) {
    case 5:
        out = CS5;
        return true;
    case 6:
        out = CS6;
        return true;
    case 7:
        out = CS7;
        return true;
    case 8:
        out = CS8;
        return true;
    default:
        return false;
    }
}

} // namespace

std::string portPath(std::string_view name) {
    if (name.find('/') != std::string_view::npos)
        return std::string(name);
    return "/dev/" + std::string(name);
}

int portNumber(std::string_view name) {
    std::size_t start = name.size();
    while (start > 0 && std::isdigit(static_cast<unsigned char>(name[start - 1])))
        --start;
    int number = 0;
    for (std::size_t i = start; i < name.size() && number < 100000000; ++i)
        number = number * 10 + (name[i] - '0');
    return number;
}

SerialLine::~SerialLine() {
    close();
}

LineResult SerialLine::open(const std::string& path) {
    close();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return lastFailure();
    // Exclusive use: later opens of the same line fail with EBUSY.
    if (::ioctl(fd, TIOCEXCL) != 0) {
        const int error = errno;
        ::close(fd);
        return {LineResult::Kind::Failed, error};
    }
    m_fd = fd;
    m_haveState = false;
    serial_icounter_struct counts{};
    if (::ioctl(m_fd, TIOCGICOUNT, &counts) == 0) {
        m_frameCount = counts.frame;
        m_overrunCount = counts.overrun + counts.buf_overrun;
        m_parityCount = counts.parity;
        m_breakCount = counts.brk;
    }
    return {};
}

void SerialLine::close() {
    if (m_fd >= 0) {
        ::ioctl(m_fd, TIOCNXCL);
        ::close(m_fd);
    }
    m_fd = -1;
    m_haveState = false;
}

LineResult SerialLine::readState() {
    if (::tcgetattr(m_fd, &m_state) != 0)
        return lastFailure();
    m_haveState = true;
    return {};
}

bool composeTermios(termios& t, const LineSettings& settings) {
    speed_t speed{};
    tcflag_t size{};
    if (!speedFor(settings.baud, speed) || !sizeFor(settings.dataBits, size))
        return false;
    ::cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= size | CLOCAL | CREAD;
    switch (settings.parity) {
    case Parity::None:
        break;
    case Parity::Odd:
        t.c_cflag |= PARENB | PARODD;
        break;
    case Parity::Even:
        t.c_cflag |= PARENB;
        break;
    case Parity::Mark:
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case Parity::Space:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    }
    // termios has no one and a half: two stop bits is what a UART sends for it.
    if (settings.stopBits != StopBits::One)
        t.c_cflag |= CSTOPB;
    // With a minimum of one byte an empty non-blocking read says EAGAIN, and 0 means hang-up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return ::cfsetispeed(&t, speed) == 0 && ::cfsetospeed(&t, speed) == 0;
}

LineResult SerialLine::writeState(const LineSettings& settings) {
    if (!m_haveState)
        return {LineResult::Kind::Failed, EINVAL};
    termios t = m_state;
    if (!composeTermios(t, settings))
        return {LineResult::Kind::Failed, EINVAL};
    if (::tcsetattr(m_fd, TCSANOW, &t) != 0)
        return lastFailure();
    m_state = t;

    // Pseudo-terminals and some adapters have no modem lines; that is not a failure.
    const int rts = TIOCM_RTS;
    if (::ioctl(m_fd, TIOCMBIS, &rts) != 0 && errno != ENOTTY && errno != EINVAL)
        return lastFailure();
    return {};
}

LineResult SerialLine::purge(bool input, bool output) {
    const int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    if ((input || output) && ::tcflush(m_fd, which) != 0)
        return lastFailure();
    return {};
}

LineResult SerialLine::status(LineStatus& out) {
    out = {};
    if (m_fd < 0)
        return {LineResult::Kind::Gone, EBADF};
    pollfd p{m_fd, POLLIN, 0};
    if (::poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
        return {LineResult::Kind::Gone, EIO};
    int waiting = 0;
    if (::ioctl(m_fd, FIONREAD, &waiting) != 0)
        return lastFailure();
    out.waiting = waiting > 0 ? static_cast<std::size_t>(waiting) : 0;

    serial_icounter_struct counts{};
    if (::ioctl(m_fd, TIOCGICOUNT, &counts) == 0) {
        const int overrun = counts.overrun + counts.buf_overrun;
        if (counts.frame != m_frameCount)
            out.errors |= lineerror::kFrame;
        if (overrun != m_overrunCount)
            out.errors |= lineerror::kOverrun;
        if (counts.parity != m_parityCount)
            out.errors |= lineerror::kParity;
        if (counts.brk != m_breakCount)
            out.errors |= lineerror::kBreak;
        m_frameCount = counts.frame;
        m_overrunCount = overrun;
        m_parityCount = counts.parity;
        m_breakCount = counts.brk;
    }
    return {};
}

LineResult SerialLine::read(std::span<std::uint8_t> out, std::size_t& got) {
    got = 0;
    for (;;) {
        const ssize_t n = ::read(m_fd, out.data(), out.size());
        if (n > 0 || (n == 0 && out.empty())) {
            got = static_cast<std::size_t>(n);
            return {};
        }
        if (n == 0)
            return {LineResult::Kind::Gone, EIO};
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return {};
        if (errno != EINTR)
            return lastFailure();
    }
}

LineResult SerialLine::write(std::span<const std::uint8_t> bytes, Clock& clock,
                             Clock::Duration timeout) {
    const Clock::TimePoint end = clock.now() + timeout;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return lastFailure();
        const auto left = std::chrono::duration_cast<Clock::Duration>(end - clock.now());
        if (left <= Clock::Duration::zero())
            return {LineResult::Kind::Failed, ETIMEDOUT};
        pollfd p{m_fd, POLLOUT, 0};
        const int ready = clock.poll(std::span<pollfd>(&p, 1), left);
        if (ready < 0)
            return lastFailure();
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL))
            return {LineResult::Kind::Gone, EIO};
    }
    return {};
}

} // namespace kesmo
