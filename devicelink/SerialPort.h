#pragma once

#include "devicelink/LinkWorker.h"
#include "platform/SerialLine.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kesmo {

// Carries frames over a serial line with one worker thread that runs the exchange cycle:
// fetch (queue head, else one synchroniser step), write, read the reply into the Command
// object, resend on a reply timeout, and post PortLost when the line fails for good.
class SerialPort : public LinkWorker {
public:
    explicit SerialPort(Command& command, Clock& clock = steadyClock(),
                        ProgressSink* progress = nullptr);
    // With a line of the caller's (tests put a failing one in).
    SerialPort(Command& command, Clock& clock, ProgressSink* progress,
               std::unique_ptr<SerialLine> line);
    virtual ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // `port` is a port name ("ttyUSB0") or a device path. Parity letter E, O, M, S or anything
    // else for none; stop-bits code 1 one and a half, 2 two, else one. 1 when the line could
    // be opened (also when configuring it failed and was reported), else 0.
    int open(const std::string& port, unsigned baud = 115200, char parity = 'N', int dataBits = 8,
             int stopBitsCode = 0, unsigned eventMask = 9, std::size_t bufferSize = 115200);
    // Starts the worker, whose first action is a fetch. 0 when it cannot run.
    int start();
    // Stops and joins the worker and closes the line.
    void close();

    bool isOpen() const { return m_line->isOpen(); }
    int portNumber() const { return m_portNumber; }
    const SerialLine& line() const { return *m_line; }

    static constexpr Clock::Duration kWaitUnsent{1000}, kWaitBulk{2000}, kWaitReply{500};
    static constexpr Clock::Duration kPassSleep{20}, kPollSleep{100}, kWriteWait{1000};
    static constexpr Clock::Duration kBulkPause{1000}, kLongPause{4000};
    static constexpr int kEmptyPollLimit = 5, kTimeoutRetryLimit = 2, kReadRetryLimit = 1;

private:
    void run();
    Clock::Duration waitTimeout() const;
    void fetchNext();
    void write();
    void read();
    void resend(std::uint8_t retries);
    void markPortInvalid();
    void report(const char* call, int error);

    std::mutex m_portLock;
    std::unique_ptr<Event> m_writeEvent, m_addDataEvent;
    std::unique_ptr<SerialLine> m_line;
    std::atomic<bool> m_portInvalid{false};
    LineSettings m_settings;
    int m_portNumber = 0;
    std::vector<std::uint8_t> m_writeBuffer, m_readBuffer;
    unsigned m_eventMask = 0;
    std::size_t m_bufferSize = 0;
    // Timeout of the next wait, decided under ModelLock at the end of each pass.
    Clock::Duration m_nextWait = kWaitUnsent;
};

// Line settings from open's arguments: parity letter E, O, M, S (either case), anything else
// none; stop-bits code 1 one and a half, 2 two, anything else one.
LineSettings lineSettingsFor(unsigned baud, char parity, int dataBits, int stopBitsCode);

// The text of a failed line call reported under "Application Error".
std::string lineErrorReport(const char* call, int error, int port);
inline constexpr const char* kLineErrorCaption = "Application Error";

} // namespace kesmo
