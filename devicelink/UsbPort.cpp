#include "devicelink/UsbPort.h"

#include "platform/Wait.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace kesmo {

namespace {

constexpr std::uint32_t kPathBufferSize = 1024;
// A library that never reports the end of its list must not keep Connect waiting.
constexpr std::uint32_t kMaxBridgeIndex = 256;
constexpr int kOpenMode = 1;
constexpr std::uint8_t kRateCode = 13, kParityCode = 4, kStopCode = 1, kDataCode = 4,
                       kIntervalCode = 48;
constexpr std::uint32_t kLibraryTimeoutMs = 2000;

bool expectedIds(std::uint16_t vendorId, std::uint16_t productId) {
    return vendorId == UsbPort::kVendorId && productId == UsbPort::kProductId;
}

void notify(const char* text) {
    postNotice(text, "");
}

} // namespace

UsbPort::UsbPort(Command& command, Clock& clock, ProgressSink* progress)
    : LinkWorker(command, clock, progress, transport::kUsb) {}

UsbPort::~UsbPort() {
    close();
}

int UsbPort::enumerate(std::vector<std::string>& candidates) {
    candidates.clear();
    ch9326ClearLastError();
    for (std::uint32_t index = 0;
         ch9326LastError() != kCh9326NoMoreItems && index < kMaxBridgeIndex; ++index) {
        std::array<char, kPathBufferSize> path{};
        if (CH9326GetDevicePath(index, path.data(), kPathBufferSize) == 0)
            continue;
        path.back() = '\0';
        for (char* c = path.data(); *c != '\0'; ++c)
            *c = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
        const Ch9326Handle probe = CH9326OpenDevicePath(path.data(), kOpenMode);
        if (probe == kCh9326InvalidHandle)
            continue;
        std::uint16_t vendorId = 0, productId = 0, version = 0;
        if (CH9326GetAttributes(probe, &vendorId, &productId, &version) != 0 &&
            expectedIds(vendorId, productId))
            candidates.emplace_back(path.data());
        CH9326CloseDevice(probe);
    }
    return candidates.empty() ? 0 : 1;
}

int UsbPort::open(const std::string& path) {
    // A port opened again must not leave the bridge it had open behind.
    close();
    const Ch9326Handle handle = CH9326OpenDevicePath(path.c_str(), kOpenMode);
    if (handle == kCh9326InvalidHandle) {
        notify(kUsbOpenFailedText);
        return 0;
    }
    m_devicePath = path;
    if (CH9326GetAttributes(handle, &m_vendorId, &m_productId, &m_version) == 0) {
        notify(kUsbAttributesFailedText);
        CH9326CloseDevice(handle);
        return 0;
    }
    if (!expectedIds(m_vendorId, m_productId)) {
        notify(kUsbWrongIdsText);
        CH9326CloseDevice(handle);
        return 0;
    }
    CH9326SetRate(handle, kRateCode, kParityCode, kStopCode, kDataCode, kIntervalCode);
    std::uint16_t inputLength = 0, outputLength = 0;
    CH9326GetBufferLen(handle, &inputLength, &outputLength);
    CH9326SetTimeOut(handle, kLibraryTimeoutMs, kLibraryTimeoutMs);
    if (CH9326InitThreadData(handle) == 0) {
        notify(kUsbInitThreadDataFailedText);
        CH9326CloseDevice(handle);
        return 0;
    }
    m_shutdown = std::make_unique<Event>();
    m_readEvent = std::make_unique<Event>();
    m_writeEvent = std::make_unique<Event>();
    m_fetchEvent = std::make_unique<Event>();
    if (!m_shutdown->valid() || !m_readEvent->valid() || !m_writeEvent->valid() ||
        !m_fetchEvent->valid()) {
        CH9326CloseDevice(handle);
        return 0;
    }
    m_handle = handle;
    // Nothing of an earlier connection (a partial reply, its retry count) carries over.
    resetRecords();
    return 1;
}

int UsbPort::start() {
    if (!isOpen() || !m_fetchEvent || threadAlive())
        return 0;
    m_nextWait = kWaitUnsent;
    m_writeEvent->reset();
    m_readEvent->reset();
    m_fetchEvent->set();
    if (!startThread([this] { run(); })) {
        m_fetchEvent->reset();
        return 0;
    }
    return 1;
}

void UsbPort::close() {
    stopThread();
    m_shutdown.reset();
    m_readEvent.reset();
    m_writeEvent.reset();
    m_fetchEvent.reset();
    const Ch9326Handle handle = m_handle.exchange(kCh9326InvalidHandle);
    if (handle != kCh9326InvalidHandle) {
        CH9326StopThread(handle);
        CH9326CloseDevice(handle);
        // Lets the bridge settle before it is opened again.
        m_clock.sleep(kCloseSettle);
    }
}

void UsbPort::run() {
    Event* const events[] = {m_shutdown.get(), m_fetchEvent.get(), m_writeEvent.get(),
                             m_readEvent.get()};
    for (;;) {
        if (m_kill != 0)
            break;
        const WaitResult woke = waitForAny(m_clock, events, -1, m_nextWait);
        if (!lockModel())
            break;
        if (woke.kind == WaitResult::Kind::Event) {
            if (woke.index == 0) {
                modelLock().unlock();
                break;
            }
            if (woke.index == 1)
                fetchNext();
            else if (woke.index == 2)
                advance(write(), *m_writeEvent, *m_readEvent, FailureKind::Write);
            else
                advance(read(), *m_readEvent, *m_fetchEvent, FailureKind::Read);
        }
        m_nextWait = inFlight().field(Frame::kSent) != 0 ? kWaitSent : kWaitUnsent;
        modelLock().unlock();
        m_clock.sleep(kPassSleep);
    }
}

void UsbPort::fetchNext() {
    // With nothing to send yet the fetch event stays set: the next pass asks again.
    if (!fetch())
        return;
    m_fetchEvent->reset();
    m_writeEvent->set();
}

UsbPort::Outcome UsbPort::write() {
    Frame& inFlight = this->inFlight();
    const std::size_t size = inFlight.wireSize();
    // Nothing staged (a cleared record): fetch a frame instead of sending an empty one.
    if (inFlight.code() == 0 || size == 0) {
        m_writeEvent->reset();
        m_fetchEvent->set();
        return Outcome::Skipped;
    }
    Event done;
    const Ch9326Handle handle = m_handle;
    if (!done.valid() || handle == kCh9326InvalidHandle)
        return Outcome::Failed;
    done.set();
    for (;;) {
        const std::uint16_t pos = inFlight.word(Frame::kChunkPos);
        if (pos >= size)
            break;
        m_chunk.fill(0);
        std::copy_n(inFlight.data() + pos, std::min(kChunkSize, size - pos), m_chunk.begin());
        if (pos + kChunkSize >= size)
            inFlight.setWord(Frame::kLastChunk, 1);
        inFlight.setWord(Frame::kChunkPos, static_cast<std::uint16_t>(pos + kChunkSize));
        if (CH9326WriteData(handle, m_chunk.data(), kChunkSize, &done) == 0) {
            // The next attempt starts with this chunk, so the device gets every byte once.
            inFlight.setWord(Frame::kChunkPos, pos);
            inFlight.setWord(Frame::kLastChunk, 0);
            return Outcome::Failed;
        }
    }
    inFlight.setField(Frame::kSent, 1);
    if (const int step = inFlight.field(Frame::kProgressStep); step != 0 && m_progress)
        m_progress->step(step);
    m_command.resetRecords(transport::kUsb, false);
    if (inFlight.field(Frame::kBulkTransfer) != 0)
        m_clock.sleep(kBulkPause);
    if (inFlight.field(Frame::kLongPause) != 0)
        m_clock.sleep(kLongPause);
    return Outcome::Done;
}

UsbPort::Outcome UsbPort::read() {
    const Ch9326Handle handle = m_handle;
    if (handle == kCh9326InvalidHandle) {
        notify(kUsbNotConnectedText);
        return Outcome::Failed;
    }
    Frame& inFlight = this->inFlight();
    // A failed read ends the link at once: the failure count then passes its limit.
    const auto lost = [&] {
        inFlight.setField(Frame::kRetryCount, static_cast<std::uint8_t>(kRetryLimit + 1));
        return Outcome::Failed;
    };
    int emptyPolls = 0;
    for (;;) {
        // Close must not wait out a reply time-out, nor see a PortLost it did not ask for.
        if (m_shutdown->isSet())
            return Outcome::Skipped;
        const std::uint32_t waiting = CH9326GetThreadDataLen(handle);
        if (waiting == 0) {
            if (bridgeGone() || ++emptyPolls > kEmptyPollLimit)
                return lost();
            m_clock.sleep(kPollSleep);
        } else {
            emptyPolls = 0;
            std::uint32_t length =
                std::min(waiting, static_cast<std::uint32_t>(m_readBuffer.size()));
            CH9326ReadThreadData(handle, m_readBuffer.data(), &length);
            const std::size_t got = std::min<std::size_t>(length, m_readBuffer.size());
            if (m_command.feedBytes(transport::kUsb, std::span(m_readBuffer.data(), got)) == 1) {
                inFlight.setField(Frame::kSent, 0);
                return Outcome::Done;
            }
        }
        m_clock.sleep(kPollSleep);
    }
}

bool UsbPort::bridgeGone() const {
    if (m_handle == kCh9326InvalidHandle)
        return true;
    // Opening the path again tells whether the bridge is still there; the probe is closed
    // at once.
    const Ch9326Handle probe = CH9326OpenDevicePath(m_devicePath.c_str(), kOpenMode);
    if (probe == kCh9326InvalidHandle)
        return true;
    CH9326CloseDevice(probe);
    return false;
}

void UsbPort::advance(Outcome outcome, Event& done, Event& next, FailureKind kind) {
    if (outcome == Outcome::Done) {
        done.reset();
        next.set();
    } else if (outcome == Outcome::Failed) {
        countFailure(kind);
    }
}

void UsbPort::countFailure(FailureKind kind) {
    Frame& inFlight = this->inFlight();
    const int retries = std::min(inFlight.field(Frame::kRetryCount) + 1, 0xFF);
    inFlight.setField(Frame::kRetryCount, static_cast<std::uint8_t>(retries));
    if (retries > kRetryLimit) {
        declareLost();
        return;
    }
    (kind == FailureKind::Write ? m_writeEvent : m_readEvent)->set();
}

} // namespace kesmo
