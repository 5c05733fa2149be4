#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kesmo::sim {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kHeader0 = 0xFF;
inline constexpr std::uint8_t kHeader1 = 0x55;
// Header (2), length (2), code (1): enough to judge whether a frame start is plausible.
inline constexpr std::size_t kFramePrefix = 5;

// Low 8 bits of the sum of the length bytes, the code and the data.
std::uint8_t checksumOf(std::span<const std::uint8_t> lengthCodeAndData);

// A complete wire frame: header, L = data + 2, code, data, checksum.
Bytes makeFrame(std::uint8_t code, std::span<const std::uint8_t> data);
Bytes makeFrame(std::uint8_t code, std::initializer_list<std::uint8_t> data);
// The three-byte-length answer to a command: its code and a status (0 accepts).
Bytes makeAck(std::uint8_t code, std::uint8_t status);

std::string toHex(std::span<const std::uint8_t> bytes);
// Accepts hex digit pairs with optional spaces; nullopt on anything else.
std::optional<Bytes> fromHex(std::string_view text);

// The length field every command the device understands must carry; nullopt for unknown codes.
std::optional<std::uint16_t> expectedLength(std::uint8_t code);

// Reassembles received bytes into frames. Buffering is bounded by the longest known command,
// so a runaway length never grows it; unknown codes and lengths resynchronise on the next header.
class FrameReader final {
public:
    struct Result {
        std::vector<Bytes> frames;
        std::size_t droppedBytes = 0;
        std::size_t badChecksums = 0;
        std::size_t malformed = 0;
    };
    Result feed(std::span<const std::uint8_t> bytes);
    std::size_t pending() const { return m_buffer.size(); }
    void clear() { m_buffer.clear(); }

private:
    Bytes m_buffer;
};

} // namespace kesmo::sim
