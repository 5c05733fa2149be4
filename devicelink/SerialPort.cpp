#include "devicelink/SerialPort.h"

#include "platform/Wait.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <system_error>

namespace kesmo {

namespace {

Parity parityFor(char letter) {
    switch (std::toupper(static_cast<unsigned char>(letter))) {
    case 'E':
        return Parity::Even;
    case 'O':
        return Parity::Odd;
    case 'M':
        return Parity::Mark;
    case 'S':
        return Parity::Space;
    default:
        return Parity::None;
    }
}

StopBits stopBitsFor(int code) {
    return code == 1 ? StopBits::OneAndHalf : code == 2 ? StopBits::Two : StopBits::One;
}

} // namespace

LineSettings lineSettingsFor(unsigned baud, char parity, int dataBits, int stopBitsCode) {
    return {baud, parityFor(parity), dataBits, stopBitsFor(stopBitsCode)};
}

std::string lineErrorReport(const char* call, int error, int port) {
    const std::string reason = std::system_category().message(error);
    std::array<char, 512> text{};
    std::snprintf(text.data(), text.size(),
                  "WARNING:  %s Failed with the following error: \n%s\nPort: %d\n", call,
                  reason.c_str(), port);
    return text.data();
}

SerialPort::SerialPort(Command& command, Clock& clock, ProgressSink* progress)
    : SerialPort(command, clock, progress, std::make_unique<SerialLine>()) {}

SerialPort::SerialPort(Command& command, Clock& clock, ProgressSink* progress,
                       std::unique_ptr<SerialLine> line)
    : LinkWorker(command, clock, progress, transport::kSerial), m_line(std::move(line)) {}

SerialPort::~SerialPort() {
    close();
}

int SerialPort::open(const std::string& port, unsigned baud, char parity, int dataBits,
                     int stopBitsCode, unsigned eventMask, std::size_t bufferSize) {
    close();
    // Nothing of an earlier connection (a partial reply, its poll and retry counts) carries
    // over to this one. ModelLock before the port lock, as the worker takes them.
    resetRecords();
    m_bufferSize = bufferSize;
    m_eventMask = eventMask;
    // Room for the largest frame, whatever the configured size.
    m_writeBuffer.assign(std::max(bufferSize, Frame::kWireArea), 0);
    m_readBuffer.assign(std::max(bufferSize, Frame::kWireArea), 0);
    m_shutdown = std::make_unique<Event>();
    m_writeEvent = std::make_unique<Event>();
    m_addDataEvent = std::make_unique<Event>();
    if (!m_shutdown->valid() || !m_writeEvent->valid() || !m_addDataEvent->valid())
        return 0;

    std::lock_guard portLock(m_portLock);
    m_line->close();
    m_settings = lineSettingsFor(baud, parity, dataBits, stopBitsCode);
    if (!m_line->open(portPath(port)).ok())
        return 0;
    m_portNumber = kesmo::portNumber(port);
    m_portInvalid = false;

    // Read time-outs, the event mask and the driver's queue sizes have no termios
    // counterpart: reads never block here and the kernel sizes its own queues.
    if (const LineResult r = m_line->readState(); !r.ok())
        report("GetCommState()", r.error);
    else if (const LineResult w = m_line->writeState(m_settings); !w.ok())
        report("SetCommState()", w.error);
    m_line->purge();
    return 1;
}

int SerialPort::start() {
    if (!m_line->isOpen() || threadAlive())
        return 0;
    m_nextWait = kWaitUnsent;
    // Signalled before the thread runs, so that its first wait cannot time out instead.
    m_writeEvent->reset();
    m_addDataEvent->set();
    if (!startThread([this] { run(); })) {
        m_addDataEvent->reset();
        return 0;
    }
    return 1;
}

void SerialPort::close() {
    stopThread();
    m_addDataEvent.reset();
    m_writeEvent.reset();
    m_shutdown.reset();
    std::lock_guard portLock(m_portLock);
    m_line->close();
}

Clock::Duration SerialPort::waitTimeout() const {
    const Frame& f = inFlight();
    if (f.field(Frame::kSent) == 0)
        return kWaitUnsent;
    return f.field(Frame::kBulkTransfer) != 0 ? kWaitBulk : kWaitReply;
}

void SerialPort::run() {
    {
        std::lock_guard portLock(m_portLock);
        m_line->purge(true, false);
    }
    Event* const events[] = {m_shutdown.get(), m_writeEvent.get(), m_addDataEvent.get()};
    for (;;) {
        if (m_kill != 0)
            break;
        const int portFd = m_portInvalid ? -1 : m_line->fd();
        const WaitResult woke = waitForAny(m_clock, events, portFd, m_nextWait);
        if (woke.kind == WaitResult::Kind::Event && woke.index == 0)
            break;
        if (!lockModel())
            break;
        switch (woke.kind) {
        case WaitResult::Kind::Event:
            if (woke.index == 1)
                write();
            else
                fetchNext();
            break;
        case WaitResult::Kind::Timeout: {
            LineStatus ignored;
            std::lock_guard portLock(m_portLock);
            m_line->status(ignored);
        }
            read();
            break;
        case WaitResult::Kind::Readable:
            read();
            break;
        case WaitResult::Kind::PortGone:
            markPortInvalid();
            declareLost();
            break;
        case WaitResult::Kind::Failed:
            // The line can no longer be waited on.
            report("WaitCommEvent()", woke.error);
            markPortInvalid();
            declareLost();
            break;
        }
        m_clock.sleep(kPassSleep);
        m_nextWait = waitTimeout();
        modelLock().unlock();
    }
}

void SerialPort::fetchNext() {
    // With nothing to send yet the fetch event stays set: the next pass asks again.
    if (!fetch())
        return;
    m_addDataEvent->reset();
    m_writeEvent->set();
}

void SerialPort::write() {
    m_writeEvent->reset();
    Frame& inFlight = this->inFlight();
    const std::size_t size = inFlight.wireSize();
    // Nothing staged (a cleared record): fetch a frame instead of sending an empty one.
    if (inFlight.code() == 0 || size == 0) {
        m_addDataEvent->set();
        return;
    }

    std::lock_guard portLock(m_portLock);
    m_line->purge(true, false);
    std::copy_n(inFlight.data(), size, m_writeBuffer.begin());
    const LineResult r = m_line->write(std::span(m_writeBuffer.data(), size), m_clock, kWriteWait);
    if (r.kind == LineResult::Kind::Gone) {
        markPortInvalid();
        declareLost();
    } else if (!r.ok()) {
        report("GetOverlappedResults() in WriteFile()", r.error);
        declareLost();
        return;
    }
    // No purge after writing: a quick reply may already be waiting, and purging output would
    // drop the frame itself where the driver still holds it.
    if (const int step = inFlight.field(Frame::kProgressStep); step != 0 && m_progress)
        m_progress->step(step);
    inFlight.setField(Frame::kSent, 1);
    if (inFlight.field(Frame::kBulkTransfer) != 0)
        m_clock.sleep(kBulkPause);
    if (inFlight.field(Frame::kLongPause) != 0)
        m_clock.sleep(kLongPause);
}

void SerialPort::read() {
    Frame& rx = receiveRecord();
    for (;;) {
        if (m_shutdown->isSet())
            return;
        LineStatus status;
        LineResult r;
        {
            std::lock_guard portLock(m_portLock);
            r = m_line->status(status);
        }
        if (r.kind == LineResult::Kind::Gone) {
            markPortInvalid();
            declareLost();
            return;
        }
        if (status.waiting == 0) {
            const auto polls = static_cast<std::uint8_t>(rx.field(Frame::kEmptyPolls) + 1);
            rx.setField(Frame::kEmptyPolls, polls);
            if (polls > kEmptyPollLimit) {
                const auto retries = static_cast<std::uint8_t>(rx.field(Frame::kRetryCount) + 1);
                if (retries > kTimeoutRetryLimit) {
                    declareLost();
                    m_command.resetRecords(transport::kSerial, true);
                } else {
                    resend(retries);
                }
                return;
            }
            m_clock.sleep(kPollSleep);
            continue;
        }

        std::lock_guard portLock(m_portLock);
        const std::size_t want = std::min(status.waiting, m_readBuffer.size());
        std::size_t got = 0;
        r = m_line->read(std::span(m_readBuffer.data(), want), got);
        if (!r.ok()) {
            const auto retries = static_cast<std::uint8_t>(rx.field(Frame::kRetryCount) + 1);
            if (retries > kReadRetryLimit) {
                rx.setField(Frame::kRetryCount, retries);
                if (r.kind == LineResult::Kind::Gone)
                    markPortInvalid();
                declareLost();
            } else {
                resend(retries);
            }
            return;
        }
        if (m_command.feedBytes(transport::kSerial, std::span(m_readBuffer.data(), got)) == 1) {
            LineStatus ignored;
            m_line->status(ignored);
            m_addDataEvent->set();
            m_line->purge(true, false);
            return;
        }
    }
}

void SerialPort::resend(std::uint8_t retries) {
    Frame& rx = receiveRecord();
    rx.clear();
    rx.setField(Frame::kRetryCount, retries);
    m_writeEvent->set();
}

void SerialPort::markPortInvalid() {
    m_portInvalid = true;
}

void SerialPort::report(const char* call, int error) {
    postNotice(lineErrorReport(call, error, m_portNumber).c_str(), kLineErrorCaption);
}

} // namespace kesmo
