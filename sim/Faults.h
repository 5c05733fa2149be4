#pragma once

#include "sim/Wire.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kesmo::sim {

enum class FaultKind {
    Silent,        // no answer and no effect
    BadChecksum,   // the answer's checksum is off by one
    Refuse,        // acknowledgement with status arg (1..3), no effect
    SplitReply,    // the answer is written in arg pieces
    GarbagePrefix, // bytes written before the answer
    TrailingBytes, // bytes written right after the answer, in the same write
    Delay,         // the answer waits arg milliseconds
    HangUp,        // the device goes away: the pty master is closed
};

struct Fault {
    FaultKind kind = FaultKind::Silent;
    unsigned arg = 0;
    Bytes garbage; // GarbagePrefix and TrailingBytes

    static Fault silent() { return {FaultKind::Silent, 0, {}}; }
    static Fault badChecksum() { return {FaultKind::BadChecksum, 0, {}}; }
    static Fault refuse(unsigned status) { return {FaultKind::Refuse, status, {}}; }
    static Fault splitReply(unsigned pieces = 3) { return {FaultKind::SplitReply, pieces, {}}; }
    static Fault garbagePrefix(Bytes bytes = defaultGarbage()) {
        return {FaultKind::GarbagePrefix, 0, std::move(bytes)};
    }
    static Fault trailingBytes(Bytes bytes) {
        return {FaultKind::TrailingBytes, 0, std::move(bytes)};
    }
    static Fault delay(std::chrono::milliseconds ms) {
        return {FaultKind::Delay, static_cast<unsigned>(ms.count()), {}};
    }
    static Fault hangUp() { return {FaultKind::HangUp, 0, {}}; }
    // Line noise that a header hunt can skip: none of it looks like a frame start.
    static Bytes defaultGarbage() { return {0x00, 0xA5, 0x12, 0x7E}; }
};

// A fault applies to received frames of one code (or every code), for the next count of them
// (or for ever).
struct FaultRule {
    Fault fault;
    std::optional<std::uint8_t> code;
    std::optional<unsigned> count;
};

// Gap between the pieces of a split answer, long enough for a reader to see separate reads.
inline constexpr std::chrono::milliseconds kSplitGap{50};

// NAME[:ARG][@CODE][/COUNT], for example "Refuse:2@127/3", "Delay:300", "GarbagePrefix:FF00".
std::optional<FaultRule> parseFaultRule(std::string_view text, std::string& error);
std::string describe(const FaultRule& rule);

} // namespace kesmo::sim
