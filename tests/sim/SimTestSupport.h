#pragma once

#include "sim/Engine.h"

#include <algorithm>
#include <cstdint>
#include <fcntl.h>
#include <initializer_list>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace kesmo::sim::test {

// Frames are built here with their own checksum sum, not with the simulator's framing.
inline Bytes wire(std::uint8_t code, std::vector<std::uint8_t> data) {
    const auto length = static_cast<unsigned>(data.size() + 2);
    Bytes frame;
    frame.reserve(data.size() + 6);
    // Appended byte by byte: GCC 12 at -O2 misreads a range insert here as out of bounds.
    for (std::uint8_t b :
         {std::uint8_t{0xFF}, std::uint8_t{0x55}, static_cast<std::uint8_t>(length & 0xFF),
          static_cast<std::uint8_t>(length >> 8), code})
        frame.push_back(b);
    for (std::uint8_t b : data)
        frame.push_back(b);
    unsigned sum = 0;
    for (std::size_t i = 2; i < frame.size(); ++i) {
        sum += frame[i];
    }
    frame.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    return frame;
}

inline Bytes hex(const std::string& text) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return bytes;
}

inline std::string hexOf(const Bytes& bytes) {
    return toHex(bytes);
}

inline std::string answerTo(Engine& engine, const Bytes& frame) {
    return toHex(engine.feed(frame).joined());
}

// The client end, opened as the program opens a serial port.
class Client {
public:
    explicit Client(const std::string& path) : m_fd(::open(path.c_str(), O_RDWR | O_NOCTTY)) {
        if (m_fd >= 0) {
            termios tio{};
            tcgetattr(m_fd, &tio);
            cfmakeraw(&tio);
            cfsetspeed(&tio, B115200);
            tcsetattr(m_fd, TCSANOW, &tio);
        }
    }
    ~Client() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool ok() const { return m_fd >= 0; }
    bool send(const Bytes& bytes) {
        return ::write(m_fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // Reads until count bytes came or the line stays quiet; the limit only bounds a failure.
    Bytes receive(std::size_t count) {
        Bytes got;
        while (got.size() < count) {
            pollfd fd{m_fd, POLLIN, 0};
            if (::poll(&fd, 1, 5000) <= 0) {
                break;
            }
            std::uint8_t buffer[4096];
            const auto n = ::read(m_fd, buffer, std::min(sizeof buffer, count - got.size()));
            if (n <= 0) {
                break;
            }
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }
    // After the host hangs up, the slave reads end of line or an error.
    bool seesHangUp() {
        pollfd fd{m_fd, POLLIN, 0};
        if (::poll(&fd, 1, 5000) <= 0) {
            return false;
        }
        std::uint8_t byte = 0;
        return ::read(m_fd, &byte, 1) <= 0;
    }

private:
    int m_fd;
};

} // namespace kesmo::sim::test
