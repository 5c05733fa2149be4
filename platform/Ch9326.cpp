#include "platform/Ch9326.h"

#include "platform/Ch9326Report.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <strings.h>
#include <thread>

namespace kesmo {

namespace {

// How long the receive thread waits for a report before it looks at its stop flag again.
constexpr std::chrono::milliseconds kReceivePoll{20};

thread_local std::uint32_t tLastError = kCh9326Success;

template <typename T> T fail(std::uint32_t error, T result) {
    tLastError = error;
    return result;
}

// One open handle.
class Bridge {
public:
    explicit Bridge(std::unique_ptr<HidDevice> device)
        : m_device(std::move(device)), m_sizes(ch9326::usableSizes(m_device->reportDescriptor())) {}
    ~Bridge() { stopReceiving(); }

    HidDevice& device() { return *m_device; }
    const ch9326::ReportSizes& sizes() const { return m_sizes; }

    void startReceiving() {
        std::lock_guard lock(m_threadMutex);
        if (m_receiver.joinable() || m_closed) {
            return;
        }
        m_stopping = false;
        m_receiver = std::thread([this] { receive(); });
    }

    // Waiting bytes are dropped.
    void stopReceiving() {
        std::lock_guard lock(m_threadMutex);
        m_stopping = true;
        if (m_receiver.joinable()) {
            m_receiver.join();
        }
        std::lock_guard bufferLock(m_bufferMutex);
        m_received.clear();
    }

    std::uint32_t waiting() {
        std::lock_guard lock(m_bufferMutex);
        return static_cast<std::uint32_t>(m_received.size());
    }

    std::uint32_t take(std::uint8_t* out, std::uint32_t capacity) {
        std::lock_guard lock(m_bufferMutex);
        const auto count = std::min<std::size_t>(capacity, m_received.size());
        std::copy_n(m_received.begin(), count, out);
        m_received.erase(m_received.begin(), m_received.begin() + static_cast<long>(count));
        return static_cast<std::uint32_t>(count);
    }

    int sendFeature(std::span<const std::uint8_t> report) {
        return m_device->sendFeatureReport(report) >= 0 ? 1 : 0;
    }

    // No receiver starts after this, even from a call that looked the handle up earlier.
    void close() {
        {
            std::lock_guard lock(m_threadMutex);
            m_closed = true;
        }
        stopReceiving();
    }

private:
    void receive() {
        std::vector<std::uint8_t> report(m_sizes.input);
        while (!m_stopping) {
            const int n = m_device->read(report, kReceivePoll);
            if (n < 0) {
                return; // the device has gone; what was received stays readable
            }
            const auto data = ch9326::inputData(
                std::span<const std::uint8_t>(report.data(), static_cast<std::size_t>(n)));
            if (!data.empty()) {
                std::lock_guard lock(m_bufferMutex);
                m_received.insert(m_received.end(), data.begin(), data.end());
            }
        }
    }

    std::unique_ptr<HidDevice> m_device;
    const ch9326::ReportSizes m_sizes;
    std::mutex m_threadMutex; // starting and stopping the receiver
    std::thread m_receiver;
    std::atomic<bool> m_stopping{false};
    bool m_closed = false;
    std::mutex m_bufferMutex;
    std::deque<std::uint8_t> m_received;
};

struct Library {
    std::mutex mutex;
    std::shared_ptr<HidBackend> backend; // hidapi when none was set
    std::map<Ch9326Handle, std::shared_ptr<Bridge>> bridges;
    Ch9326Handle nextHandle = 1;
};

Library& library() {
    static Library instance;
    return instance;
}

std::shared_ptr<HidBackend> backend() {
    auto& lib = library();
    std::lock_guard lock(lib.mutex);
    if (!lib.backend) {
        lib.backend = hidapiBackend();
    }
    return lib.backend;
}

std::shared_ptr<Bridge> bridge(Ch9326Handle handle) {
    auto& lib = library();
    std::lock_guard lock(lib.mutex);
    const auto it = lib.bridges.find(handle);
    if (it == lib.bridges.end()) {
        tLastError = kCh9326InvalidHandleError;
        return nullptr;
    }
    return it->second;
}

// The enumerated path the given one names, so that an upper-cased path still opens.
std::string resolvedPath(HidBackend& hid, const std::string& path) {
    const auto devices = hid.enumerate(kCh9326VendorId);
    for (const auto& d : devices) {
        if (d.path == path) {
            return d.path;
        }
    }
    for (const auto& d : devices) {
        if (strcasecmp(d.path.c_str(), path.c_str()) == 0) {
            return d.path;
        }
    }
    return path;
}

} // namespace

std::uint32_t ch9326LastError() {
    return tLastError;
}

void ch9326ClearLastError() {
    tLastError = kCh9326Success;
}

void setCh9326Backend(std::shared_ptr<HidBackend> hid) {
    auto& lib = library();
    std::lock_guard lock(lib.mutex);
    lib.backend = std::move(hid);
}

int CH9326DllInt() {
    return backend() ? 1 : 0;
}

int CH9326GetDevicePath(std::uint32_t index, char* path, std::uint32_t pathLength) {
    const auto devices = backend()->enumerate(kCh9326VendorId);
    if (index >= devices.size()) {
        return fail(kCh9326NoMoreItems, 0);
    }
    const std::string& found = devices[index].path;
    if (path == nullptr || found.size() >= pathLength) {
        return fail(kCh9326InsufficientBuffer, 0);
    }
    std::memcpy(path, found.c_str(), found.size() + 1);
    return 1;
}

Ch9326Handle CH9326OpenDevicePath(const char* path, int /*mode*/) {
    if (path == nullptr) {
        return fail(kCh9326FileNotFound, kCh9326InvalidHandle);
    }
    const auto hid = backend();
    auto device = hid->open(resolvedPath(*hid, path));
    if (!device) {
        return fail(kCh9326FileNotFound, kCh9326InvalidHandle);
    }
    auto& lib = library();
    std::lock_guard lock(lib.mutex);
    const Ch9326Handle handle = lib.nextHandle++;
    lib.bridges.emplace(handle, std::make_shared<Bridge>(std::move(device)));
    return handle;
}

int CH9326GetAttributes(Ch9326Handle handle, std::uint16_t* vendorId, std::uint16_t* productId,
                        std::uint16_t* version) {
    const auto b = bridge(handle);
    if (!b) {
        return 0;
    }
    const auto info = b->device().info();
    if (!info) {
        return fail(kCh9326DeviceNotConnected, 0);
    }
    if (vendorId) {
        *vendorId = info->vendorId;
    }
    if (productId) {
        *productId = info->productId;
    }
    if (version) {
        *version = info->releaseNumber;
    }
    return 1;
}

int CH9326SetRate(Ch9326Handle handle, std::uint8_t rate, std::uint8_t parity, std::uint8_t stop,
                  std::uint8_t data, std::uint8_t interval) {
    const auto b = bridge(handle);
    if (!b) {
        return 0;
    }
    const auto report =
        ch9326::uartFeatureReport({rate, parity, stop, data, interval}, b->sizes().feature);
    return report ? b->sendFeature(*report) : 0;
}

int CH9326GetBufferLen(Ch9326Handle handle, std::uint16_t* inputLength,
                       std::uint16_t* outputLength) {
    const auto b = bridge(handle);
    if (!b) {
        return 0;
    }
    if (inputLength) {
        *inputLength = static_cast<std::uint16_t>(b->sizes().input);
    }
    if (outputLength) {
        *outputLength = static_cast<std::uint16_t>(b->sizes().output);
    }
    return 1;
}

// The time-outs are the waits of a caller blocked in a read or write; the bridge has no such
// setting. Nobody blocks here: reads take what the receive thread buffered and a HID write
// returns once its report is taken, so the caller's own waits are the only ones.
int CH9326SetTimeOut(Ch9326Handle handle, std::uint32_t /*readTimeoutMs*/,
                     std::uint32_t /*sendTimeoutMs*/) {
    return bridge(handle) ? 1 : 0;
}

int CH9326InitThreadData(Ch9326Handle handle) {
    const auto b = bridge(handle);
    if (!b) {
        return 0;
    }
    b->startReceiving();
    return 1;
}

std::uint32_t CH9326GetThreadDataLen(Ch9326Handle handle) {
    const auto b = bridge(handle);
    return b ? b->waiting() : 0;
}

std::uint32_t CH9326ReadThreadData(Ch9326Handle handle, void* buffer, std::uint32_t* length) {
    const auto b = bridge(handle);
    if (!b || length == nullptr) {
        return 0;
    }
    if (buffer == nullptr) {
        *length = 0;
        return 0;
    }
    *length = b->take(static_cast<std::uint8_t*>(buffer), *length);
    return *length;
}

int CH9326WriteData(Ch9326Handle handle, const void* buffer, std::uint32_t length,
                    void* /*event*/) {
    const auto b = bridge(handle);
    if (!b) {
        return 0;
    }
    const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(buffer),
                                              buffer ? length : 0u);
    const std::size_t size = b->sizes().output;
    for (const auto piece : ch9326::reportPieces(bytes, size)) {
        if (b->device().write(ch9326::outputReport(piece, size)) < 0) {
            return fail(kCh9326DeviceNotConnected, 0);
        }
    }
    return 1;
}

void CH9326StopThread(Ch9326Handle handle) {
    if (const auto b = bridge(handle)) {
        b->stopReceiving();
    }
}

void CH9326CloseDevice(Ch9326Handle handle) {
    std::shared_ptr<Bridge> closed;
    {
        auto& lib = library();
        std::lock_guard lock(lib.mutex);
        const auto it = lib.bridges.find(handle);
        if (it == lib.bridges.end()) {
            tLastError = kCh9326InvalidHandleError;
            return;
        }
        closed = std::move(it->second);
        lib.bridges.erase(it);
    }
    closed->close();
}

} // namespace kesmo
