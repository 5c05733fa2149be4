#include "sim/Engine.h"

#include <algorithm>

namespace kesmo::sim {

Bytes Output::joined() const {
    Bytes all;
    for (const auto& w : writes) {
        all.insert(all.end(), w.bytes.begin(), w.bytes.end());
    }
    return all;
}

Engine::Engine() : Engine(DeviceState::factory()) {}

Engine::Engine(DeviceState initial) : m_state(std::move(initial)) {}

Output Engine::feed(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(m_mutex);
    Output out;
    auto result = m_reader.feed(bytes);
    m_counters.badChecksums += result.badChecksums;
    m_counters.malformed += result.malformed;
    m_counters.droppedBytes += result.droppedBytes;
    for (const auto& frame : result.frames) {
        handleFrame(frame, out);
        m_received.notify_all();
        if (out.hangUp) {
            // A device that has gone answers nothing more, not even frames already buffered.
            m_reader.clear();
            break;
        }
    }
    return out;
}

void Engine::handleFrame(const Bytes& frame, Output& out) {
    const std::uint8_t code = frame[4];
    if (m_log) {
        m_log('<', frame);
    }
    ++m_counters.framesReceived;
    ++m_counts[code];
    m_frames.push_back(ReceivedFrame{code, frame});
    if (m_frames.size() > kFrameHistory) {
        m_frames.pop_front();
    }

    const auto faults = takeFaults(code);
    const auto has = [&](FaultKind kind) {
        return std::find_if(faults.begin(), faults.end(),
                            [kind](const Fault& f) { return f.kind == kind; });
    };
    if (has(FaultKind::HangUp) != faults.end()) {
        ++m_counters.unanswered;
        out.hangUp = true;
        return;
    }
    if (has(FaultKind::Silent) != faults.end()) {
        ++m_counters.unanswered;
        return;
    }
    const auto refusal = has(FaultKind::Refuse);
    Bytes reply = refusal != faults.end() ? refuse(code, static_cast<std::uint8_t>(refusal->arg))
                                          : answer(frame);
    if (m_log) {
        m_log('>', reply);
    }
    ++m_counters.answers;

    if (has(FaultKind::BadChecksum) != faults.end()) {
        reply.back() = static_cast<std::uint8_t>(reply.back() + 1);
    }
    if (const auto garbage = has(FaultKind::GarbagePrefix); garbage != faults.end()) {
        reply.insert(reply.begin(), garbage->garbage.begin(), garbage->garbage.end());
    }
    if (const auto trailing = has(FaultKind::TrailingBytes); trailing != faults.end()) {
        reply.insert(reply.end(), trailing->garbage.begin(), trailing->garbage.end());
    }
    std::vector<Write> writes;
    if (const auto split = has(FaultKind::SplitReply); split != faults.end()) {
        const std::size_t pieces = std::min<std::size_t>(split->arg, reply.size());
        std::size_t from = 0;
        for (std::size_t p = 0; p < pieces; ++p) {
            const std::size_t to = reply.size() * (p + 1) / pieces;
            writes.push_back(Write{p == 0 ? std::chrono::milliseconds{0} : kSplitGap,
                                   Bytes(reply.begin() + static_cast<std::ptrdiff_t>(from),
                                         reply.begin() + static_cast<std::ptrdiff_t>(to))});
            from = to;
        }
    } else {
        writes.push_back(Write{std::chrono::milliseconds{0}, std::move(reply)});
    }
    if (const auto delay = has(FaultKind::Delay); delay != faults.end()) {
        writes.front().delay += std::chrono::milliseconds{delay->arg};
    }
    out.writes.insert(out.writes.end(), std::make_move_iterator(writes.begin()),
                      std::make_move_iterator(writes.end()));
}

std::vector<Fault> Engine::takeFaults(std::uint8_t code) {
    std::vector<Fault> taken;
    for (auto& rule : m_faults) {
        if (rule.code && *rule.code != code) {
            continue;
        }
        if (rule.count && *rule.count == 0) {
            continue;
        }
        taken.push_back(rule.fault);
        if (rule.count) {
            --*rule.count;
        }
    }
    std::erase_if(m_faults, [](const FaultRule& r) { return r.count && *r.count == 0; });
    return taken;
}

Bytes Engine::refuse(std::uint8_t code, std::uint8_t status) {
    ++m_counters.refusals;
    return makeAck(code, status);
}

Bytes Engine::answer(const Bytes& frame) {
    const std::uint8_t code = frame[4];
    const CommandLayout* layout = findCommand(code);
    if (layout == nullptr) {
        return refuse(code, kRefusedBadItem);
    }
    if (layout->kind == CommandKind::Change) {
        return answerChange(frame, *layout);
    }
    if (layout->kind == CommandKind::Meter) {
        // The request carries the program's scene selection, which the device takes over.
        m_state.working[kSceneSelect] = frame[5];
        if (code == code::kMeterLevels) {
            const auto levels = m_state.meterLevels();
            ++m_state.meterTick;
            return makeFrame(code, levels);
        }
        return makeFrame(code, m_state.meterLimits);
    }

    const auto data = std::span(frame).subspan(5, frame.size() - 6);
    switch (code) {
    case code::kChangeSystemPassword:
        std::copy_n(data.begin() + kSystemPasswordSize, kSystemPasswordSize,
                    m_state.system.begin() + kSbSystemPassword);
        return makeAck(code, kAccepted);
    case code::kChangePanelPassword:
        std::copy_n(data.begin() + kPanelPasswordSize, kPanelPasswordSize,
                    m_state.system.begin() + kSbPanelPassword);
        return makeAck(code, kAccepted);
    case code::kReadIdentity:
        return makeFrame(code, {m_state.perModeSystemBlocks, m_state.storeAllowed});
    default:
        break;
    }

    const std::size_t n = data[0];
    if (n > kStoredModes) {
        return refuse(code, kRefusedBadItem);
    }
    ImageBytes& image = n == 0 ? m_state.working : m_state.storedMode(n);
    SystemBytes& system = n == 0 ? m_state.system : m_state.storedSystem(n);
    const auto payload = data.subspan(1);
    switch (code) {
    case code::kReadNames: {
        Bytes reply{static_cast<std::uint8_t>(n)};
        reply.insert(reply.end(), image.begin(), image.begin() + kNameSize);
        return makeFrame(code, reply);
    }
    case code::kReadSystemBlock:
        return makeFrame(code, system);
    case code::kReadMode:
    case code::kRecallMode: {
        if (code == code::kRecallMode && n != 0) {
            m_state.working = image;
            if (m_state.perModeSystemBlocks != 0) {
                m_state.system = system;
            }
            m_state.system[kSbCurrentMode] = static_cast<std::uint8_t>(n);
        }
        const ImageBytes& sent = code == code::kRecallMode ? m_state.working : image;
        Bytes reply{static_cast<std::uint8_t>(n)};
        reply.insert(reply.end(), sent.begin(), sent.end());
        return makeFrame(code, reply);
    }
    case code::kWriteSystemBlock:
        std::copy_n(payload.begin(), kSystemSize, system.begin());
        return makeAck(code, kAccepted);
    case code::kWriteMode:
        std::copy_n(payload.begin(), kImageSize, image.begin());
        return makeAck(code, kAccepted);
    case code::kWriteName:
        std::copy_n(payload.begin(), kNameSize, image.begin());
        return makeAck(code, kAccepted);
    default:
        return refuse(code, kRefusedBadItem);
    }
}

Bytes Engine::answerChange(const Bytes& frame, const CommandLayout& layout) {
    const std::uint8_t code = frame[4];
    const std::uint8_t index = layout.indexed ? frame[5] : 0;
    const ChangeItem* item = findChangeItem(code, index);
    if (item == nullptr) {
        return refuse(code, kRefusedBadItem);
    }
    const auto value = std::span(frame).subspan(layout.valueAt, item->width);
    switch (item->target) {
    case Target::System:
        m_state.system[item->offset] = value[0];
        break;
    case Target::SystemLowNibble:
        m_state.system[item->offset] =
            static_cast<std::uint8_t>((m_state.system[item->offset] & 0xF0u) | (value[0] & 0x0Fu));
        break;
    case Target::SystemHighNibble:
        m_state.system[item->offset] = static_cast<std::uint8_t>(
            (m_state.system[item->offset] & 0x0Fu) | ((value[0] & 0x0Fu) << 4));
        break;
    case Target::Image: {
        std::size_t offset = item->offset;
        if (code == code::kCrossover) {
            // Both records of a pair travel under one index; the kind byte says which it is.
            const std::uint8_t kind = value[0];
            if (kind == 1 && item->lowPassOffset != 0) {
                offset = item->lowPassOffset;
            } else if (kind != 0) {
                return refuse(code, kRefusedBadItem);
            }
        }
        if (item->sceneRelative) {
            offset += m_state.editedSceneBase();
        }
        std::copy(value.begin(), value.end(), m_state.working.begin() + offset);
        break;
    }
    }
    return makeAck(code, kAccepted);
}

std::vector<ReceivedFrame> Engine::frames() const {
    std::lock_guard lock(m_mutex);
    return {m_frames.begin(), m_frames.end()};
}

std::vector<ReceivedFrame> Engine::frames(std::uint8_t code) const {
    std::lock_guard lock(m_mutex);
    std::vector<ReceivedFrame> matching;
    std::copy_if(m_frames.begin(), m_frames.end(), std::back_inserter(matching),
                 [code](const ReceivedFrame& f) { return f.code == code; });
    return matching;
}

std::size_t Engine::count(std::uint8_t code) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_counts.find(code);
    return it == m_counts.end() ? 0 : it->second;
}

Counters Engine::counters() const {
    std::lock_guard lock(m_mutex);
    return m_counters;
}

DeviceState Engine::state() const {
    std::lock_guard lock(m_mutex);
    return m_state;
}

bool Engine::waitForCount(std::uint8_t code, std::size_t count,
                          std::chrono::milliseconds limit) const {
    std::unique_lock lock(m_mutex);
    return m_received.wait_for(lock, limit, [&] {
        const auto it = m_counts.find(code);
        return it != m_counts.end() && it->second >= count;
    });
}

void Engine::setState(const DeviceState& state) {
    std::lock_guard lock(m_mutex);
    m_state = state;
}

void Engine::modifyState(const std::function<void(DeviceState&)>& change) {
    std::lock_guard lock(m_mutex);
    change(m_state);
}

void Engine::setIdentity(std::uint8_t perModeSystemBlocks, std::uint8_t storeAllowed) {
    std::lock_guard lock(m_mutex);
    m_state.perModeSystemBlocks = perModeSystemBlocks;
    m_state.storeAllowed = storeAllowed;
}

void Engine::setMeterLimits(const MeterBytes& limits) {
    std::lock_guard lock(m_mutex);
    m_state.meterLimits = limits;
}

void Engine::setMeterLevels(const std::optional<MeterBytes>& levels) {
    std::lock_guard lock(m_mutex);
    m_state.fixedMeterLevels = levels;
}

bool Engine::loadFile(const std::string& path, std::string& error) {
    std::lock_guard lock(m_mutex);
    DeviceState loaded = m_state;
    if (!loadPresetFile(loaded, path, error)) {
        return false;
    }
    m_state = loaded;
    return true;
}

void Engine::addFault(FaultRule rule) {
    std::lock_guard lock(m_mutex);
    m_faults.push_back(std::move(rule));
}

void Engine::clearFaults() {
    std::lock_guard lock(m_mutex);
    m_faults.clear();
}

std::vector<FaultRule> Engine::faults() const {
    std::lock_guard lock(m_mutex);
    return m_faults;
}

void Engine::clearFrames() {
    std::lock_guard lock(m_mutex);
    m_frames.clear();
    m_counts.clear();
    m_counters = Counters{};
}

void Engine::setFrameLog(FrameLog log) {
    std::lock_guard lock(m_mutex);
    m_log = std::move(log);
}

} // namespace kesmo::sim
