#pragma once

#include "devicelink/LinkWorker.h"
#include "platform/Ch9326.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace kesmo {

// Carries frames over a CH9326 USB-HID-to-UART bridge with one worker thread that runs the
// exchange cycle: fetch (queue head, else one synchroniser step), write in 31-byte chunks,
// read the reply from the library's receive buffer into the Command object, and post
// PortLost when a write keeps failing, the reply does not come or the bridge has gone.
class UsbPort : public LinkWorker {
public:
    explicit UsbPort(Command& command, Clock& clock = steadyClock(),
                     ProgressSink* progress = nullptr);
    virtual ~UsbPort();
    UsbPort(const UsbPort&) = delete;
    UsbPort& operator=(const UsbPort&) = delete;

    // Fills `candidates` with the paths (upper-cased) of the bridges that report the expected
    // vendor and product; every probe is closed again. 1 when the list is not empty.
    static int enumerate(std::vector<std::string>& candidates);

    // 1 when the bridge is ready; else 0 after a notice, with nothing left open.
    int open(const std::string& path);
    // Starts the worker, whose first action is a fetch. 0 when the port is not open, a worker
    // is recorded already or it cannot run.
    int start();
    // Stops and joins the worker and closes the bridge.
    void close();

    bool isOpen() const { return m_handle.load() != kCh9326InvalidHandle; }
    const std::string& devicePath() const { return m_devicePath; }
    std::uint16_t vendorId() const { return m_vendorId; }
    std::uint16_t productId() const { return m_productId; }
    std::uint16_t version() const { return m_version; }

    static constexpr std::uint16_t kVendorId = 0x1A86, kProductId = 0xE010;
    static constexpr std::size_t kChunkSize = 31;
    static constexpr Clock::Duration kWaitSent{100}, kWaitUnsent{50}, kPassSleep{50};
    static constexpr Clock::Duration kPollSleep{100}, kBulkPause{1000}, kLongPause{3000};
    static constexpr Clock::Duration kCloseSettle{200};
    static constexpr int kEmptyPollLimit = 15, kRetryLimit = 5;

private:
    enum class Outcome { Done, Failed, Skipped };
    enum class FailureKind { Write, Read };

    void run();
    void fetchNext();
    Outcome write();
    Outcome read();
    // A step that is done hands on to the next one; a failed one is counted.
    void advance(Outcome outcome, Event& done, Event& next, FailureKind kind);
    void countFailure(FailureKind kind);
    bool bridgeGone() const;

    std::unique_ptr<Event> m_readEvent, m_writeEvent, m_fetchEvent;
    std::atomic<Ch9326Handle> m_handle{kCh9326InvalidHandle};
    std::string m_devicePath;
    std::uint16_t m_vendorId = 0, m_productId = 0, m_version = 0;
    // One read asks for no more than this holds.
    std::array<std::uint8_t, Frame::kWireArea> m_readBuffer{};
    std::array<std::uint8_t, kChunkSize> m_chunk{};
    // Timeout of the next wait, decided under ModelLock at the end of each pass.
    Clock::Duration m_nextWait = kWaitUnsent;
};

// The notices of the USB transport (one language only).
inline constexpr const char* kUsbOpenFailedText = "USB打开失败！";
inline constexpr const char* kUsbAttributesFailedText = "获取设备VID PID失败";
inline constexpr const char* kUsbWrongIdsText = "设备VID PID不正确";
inline constexpr const char* kUsbInitThreadDataFailedText = "InitThreadData 失败！";
inline constexpr const char* kUsbNotConnectedText = "设备未连接";

} // namespace kesmo
