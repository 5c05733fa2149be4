#pragma once

#include "platform/Clock.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <termios.h>

namespace kesmo {

enum class Parity { None, Odd, Even, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };

struct LineSettings {
    unsigned baud = 115200;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;
};

// The outcome of one call on the line. Gone: the device went away (hang-up, unplugged);
// Failed: any other failure. `error` is the errno behind it.
struct LineResult {
    enum class Kind { Ok, Gone, Failed };
    Kind kind = Kind::Ok;
    int error = 0;
    bool ok() const { return kind == Kind::Ok; }
};

// Line error flags seen since the last query.
namespace lineerror {
inline constexpr unsigned kFrame = 1, kOverrun = 2, kParity = 4, kBreak = 8;
}

struct LineStatus {
    std::size_t waiting = 0;
    unsigned errors = 0;
};

// "/dev/" followed by the name, or the name itself when it is already a path.
std::string portPath(std::string_view name);
// The trailing decimal digits of a port name or path ("ttyUSB3" is 3); 0 when there are none.
int portNumber(std::string_view name);

// Raw mode with the settings over `t`; false for a rate or data width termios cannot set.
bool composeTermios(termios& t, const LineSettings& settings);

// A serial line on termios, opened exclusively, in raw mode and non-blocking.
class SerialLine {
public:
    SerialLine() = default;
    virtual ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    LineResult open(const std::string& path);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }

    // Reads the current line settings; writeState applies `settings` over them, raw mode,
    // receiver on, modem lines ignored, RTS held on.
    LineResult readState();
    LineResult writeState(const LineSettings& settings);

    // Discards pending input and/or output. On a pseudo-terminal, output means what the other
    // end has not read yet.
    LineResult purge(bool input = true, bool output = true);
    // Bytes waiting and line errors; Gone once the other end hung up.
    LineResult status(LineStatus& out);
    // Reads what is there without blocking; `got` may be 0.
    virtual LineResult read(std::span<std::uint8_t> out, std::size_t& got);
    // Hands every byte to the driver, waiting for room for at most `timeout`.
    LineResult write(std::span<const std::uint8_t> bytes, Clock& clock, Clock::Duration timeout);

    // The settings as last read or written (tests read them back).
    const termios& state() const { return m_state; }

private:
    int m_fd = -1;
    termios m_state{};
    bool m_haveState = false;
    int m_frameCount = 0, m_overrunCount = 0, m_parityCount = 0, m_breakCount = 0;
};

} // namespace kesmo
