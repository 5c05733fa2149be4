#pragma once

#include "platform/Event.h"
#include "platform/SerialLine.h"

#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace kesmo::cli {

// Cuts a byte stream into frames (FF 55, length, code, data, checksum) for printing; bytes
// that start no frame come out on their own.
class FrameSplitter {
public:
    // The frames and stray runs completed by these bytes, as hex lines.
    std::vector<std::string> feed(const std::uint8_t* bytes, std::size_t size);

private:
    std::vector<std::uint8_t> m_pending;
};

std::string hexBytes(const std::uint8_t* bytes, std::size_t size);

// Stands between the serial transport and a port for --trace: the transport opens a
// pseudo-terminal, the relay copies both ways between it and the port and prints every frame,
// "> " written, "< " received.
class TraceRelay {
public:
    explicit TraceRelay(std::ostream& out) : m_out(out) {}
    ~TraceRelay();
    TraceRelay(const TraceRelay&) = delete;
    TraceRelay& operator=(const TraceRelay&) = delete;

    // Opens the port (a name or a path) and the pseudo-terminal; false with a reason when
    // either fails.
    bool start(const std::string& port, std::string& error);
    const std::string& slavePath() const { return m_slavePath; }

private:
    void run();
    void print(char direction, FrameSplitter& splitter, const std::uint8_t* bytes,
               std::size_t size);

    std::ostream& m_out;
    SerialLine m_line;
    int m_master = -1;
    int m_slaveHold = -1; // keeps the terminal up while the transport reopens it
    std::string m_slavePath;
    Event m_stop;
    std::thread m_thread;
    FrameSplitter m_written, m_received;
};

} // namespace kesmo::cli
