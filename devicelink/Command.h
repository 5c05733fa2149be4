#pragma once

#include "devicelink/Catalogue.h"
#include "devicelink/Frame.h"
#include "devicelink/LinkState.h"
#include "devicelink/SendDataQueue.h"
#include "model/ModeImage.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace kesmo {

// Values of LinkState::transport.
namespace transport {
inline constexpr int kNone = 0, kSerial = 1, kUsb = 2;
}

// The meeting point of the UI thread and the transport worker: the CommandQueue, the receive
// and in-flight records of both transports, reassembly of received bytes and the dispatch of
// what arrived. Nothing here takes ModelLock; every caller holds it.
class Command {
public:
    explicit Command(ParamStore& store = paramStore(), LinkState& link = linkState());
    ~Command();
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    // The object constructed last (and not yet destroyed), or nullptr.
    static Command* instance();

    CommandQueue& queue() { return m_queue; }
    ParamStore& store() { return m_store; }
    LinkState& link() { return m_link; }

    // kSerial or kUsb; any other value means the serial records.
    Frame& receiveRecord(int transport);
    Frame& inFlightRecord(int transport);
    // Where a synchroniser step composes its frame: the serial in-flight record, which the
    // USB transport copies from.
    Frame& stagingRecord() { return *m_serialInFlight; }

    // Runs the receive state machine of `transport` over the bytes; 1 when an exchange
    // completed, else 0. Bytes of a transport that is not the active one are ignored.
    int feedBytes(int transport, std::span<const std::uint8_t> bytes);
    // Zero-fills the receive record and, when asked, the in-flight record from byte 4 on.
    void resetRecords(int transport, bool alsoInFlight);
    // Acts on one complete, checksum-correct frame that is not an acknowledgement. Returns
    // false when the frame is too short for its code; nothing is stored then.
    bool dispatchFrame(const Frame& frame);

    // Meter messages are posted only while the System page is the current page.
    void setSystemPageCurrent(bool current) { m_systemPageCurrent = current; }
    bool systemPageCurrent() const { return m_systemPageCurrent; }

private:
    enum class Step { More, Done, Failed };
    Step acceptByte(Frame& rx, std::uint8_t byte);
    int completeFrame(Frame& rx);
    void endExchange(Frame& rx);
    // The device's working image replaces ours; the synchroniser may run from now on.
    void takeOverWorkingMode(std::span<const std::uint8_t> image);

    ParamStore& m_store;
    LinkState& m_link;
    CommandQueue m_queue;
    std::unique_ptr<Frame> m_serialReceive, m_serialInFlight, m_usbReceive, m_usbInFlight;
    Frame* m_inFlight;
    std::atomic<bool> m_systemPageCurrent{false};
};

// Appends the frames of one bulk command to the queue of the process-wide Command object, from
// its model and link state; nothing while no Command exists. The caller holds ModelLock.
void buildCommand(int code, int arg);
inline void buildCommand(CommandCode code, int arg) {
    buildCommand(codeValue(code), arg);
}

// The notice a stored-mode reply raises when it names another mode than was asked for.
inline constexpr const char* kModeIndexMismatchText = "11";

} // namespace kesmo
