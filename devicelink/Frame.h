#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace kesmo {

// One wire frame followed by control fields that never reach the wire but travel with the
// frame wherever it is copied.
class Frame {
public:
    static constexpr std::size_t kSize = 4234;
    static constexpr std::size_t kWireArea = 4206;

    // Control field offsets behind the wire area.
    enum Field : std::size_t {
        kChecksumCopy = 4206,
        kInFrame = 4207,
        kChunkPos = 4208,  // u16
        kLastChunk = 4210, // u16
        kRxError = 4212,
        kSent = 4213,
        kAwaitReply = 4214,
        kLongPause = 4215,
        kRetryCount = 4216,
        kIdentityQuery = 4217,
        kProgressStep = 4218,
        kRxIndex = 4219,  // u16
        kRxLength = 4221, // u16
        kBulkTransfer = 4223,
        kEmptyPolls = 4224,
    };

    Frame() { resetHeader(); }

    std::uint8_t* data() { return m_bytes.data(); }
    const std::uint8_t* data() const { return m_bytes.data(); }
    std::uint8_t& operator[](std::size_t i) { return m_bytes.at(i); }
    std::uint8_t operator[](std::size_t i) const { return m_bytes.at(i); }

    std::uint16_t word(std::size_t i) const {
        return static_cast<std::uint16_t>(m_bytes.at(i) | (m_bytes.at(i + 1) << 8));
    }
    void setWord(std::size_t i, std::uint16_t v) {
        m_bytes.at(i) = static_cast<std::uint8_t>(v & 0xFF);
        m_bytes.at(i + 1) = static_cast<std::uint8_t>(v >> 8);
    }

    std::uint16_t length() const { return word(2); }
    void setLength(std::uint16_t l) { setWord(2, l); }
    std::uint8_t code() const { return m_bytes[4]; }
    void setCode(std::uint8_t c) { m_bytes[4] = c; }
    // Bytes on the wire, L + 4, or 0 when the length field cannot describe a frame here.
    std::size_t wireSize() const {
        const std::size_t n = static_cast<std::size_t>(length()) + 4;
        return n <= kWireArea ? n : 0;
    }

    std::uint8_t field(Field f) const { return m_bytes[f]; }
    void setField(Field f, std::uint8_t v) { m_bytes[f] = v; }

    // clear zero-fills everything; clearFromCode keeps the header bytes.
    void clear() { m_bytes.fill(0); }
    void clearFromCode() { std::fill(m_bytes.begin() + 4, m_bytes.end(), std::uint8_t{0}); }
    void resetHeader() {
        m_bytes[0] = 0xFF;
        m_bytes[1] = 0x55;
    }

    bool operator==(const Frame&) const = default;

private:
    std::array<std::uint8_t, kSize> m_bytes{};
};

// Sums bytes 2 .. L + 2 and stores the low 8 bits at L + 3 and in the checksum copy.
void frameChecksum(Frame& frame);
// The checksum a frame's bytes 2 .. L + 2 should carry.
std::uint8_t computeChecksum(const Frame& frame);

} // namespace kesmo
