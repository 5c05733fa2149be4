#pragma once

#include "sim/DeviceState.h"
#include "sim/Faults.h"
#include "sim/Wire.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <span>
#include <vector>

namespace kesmo::sim {

// One write the host performs: wait delay, then write bytes.
struct Write {
    std::chrono::milliseconds delay{0};
    Bytes bytes;
};

struct Output {
    std::vector<Write> writes;
    bool hangUp = false; // the host closes its end after the writes
    Bytes joined() const;
};

struct ReceivedFrame {
    std::uint8_t code = 0;
    Bytes bytes;
};

struct Counters {
    std::size_t framesReceived = 0;
    std::size_t badChecksums = 0;
    std::size_t malformed = 0;    // unknown code or wrong length field
    std::size_t droppedBytes = 0; // bytes that were not part of a good frame
    std::size_t answers = 0;      // frames written back
    std::size_t refusals = 0;     // answered with a refusal status
    std::size_t unanswered = 0;   // received but not answered (Silent, HangUp)
};

// The processor's side of the wire: bytes in, bytes out, no I/O. Every public operation is
// thread-safe, so a host thread can feed it while a test probes and sets it.
class Engine final {
public:
    using FrameLog = std::function<void(char direction, std::span<const std::uint8_t>)>;

    Engine();
    explicit Engine(DeviceState initial);

    Output feed(std::span<const std::uint8_t> bytes);

    std::vector<ReceivedFrame> frames() const;
    std::vector<ReceivedFrame> frames(std::uint8_t code) const;
    std::size_t count(std::uint8_t code) const;
    Counters counters() const;
    DeviceState state() const;
    // Blocks until at least count frames of code have been received, or limit has passed;
    // lets a test wait for the program's traffic without sleeping.
    bool waitForCount(std::uint8_t code, std::size_t count, std::chrono::milliseconds limit) const;

    void setState(const DeviceState& state);
    void modifyState(const std::function<void(DeviceState&)>& change);
    void setIdentity(std::uint8_t perModeSystemBlocks, std::uint8_t storeAllowed);
    void setMeterLimits(const MeterBytes& limits);
    // Fixed levels for every meter request; nullopt brings the moving levels back.
    void setMeterLevels(const std::optional<MeterBytes>& levels);
    bool loadFile(const std::string& path, std::string& error);

    void addFault(FaultRule rule);
    void clearFaults();
    std::vector<FaultRule> faults() const;
    void clearFrames();
    // Called for every frame in ('<') and out ('>'), inside the engine's lock.
    void setFrameLog(FrameLog log);

    // Frames kept for probing; older ones are forgotten (their counts are not).
    static constexpr std::size_t kFrameHistory = 20000;

private:
    void handleFrame(const Bytes& frame, Output& out);
    std::vector<Fault> takeFaults(std::uint8_t code);
    Bytes answer(const Bytes& frame);
    Bytes answerChange(const Bytes& frame, const CommandLayout& layout);
    Bytes refuse(std::uint8_t code, std::uint8_t status);

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_received;
    DeviceState m_state;
    FrameReader m_reader;
    std::deque<ReceivedFrame> m_frames;
    std::map<std::uint8_t, std::size_t> m_counts;
    Counters m_counters;
    std::vector<FaultRule> m_faults;
    FrameLog m_log;
};

} // namespace kesmo::sim
