#include "sim/Wire.h"

#include "sim/Protocol.h"

#include <algorithm>

namespace kesmo::sim {

std::uint8_t checksumOf(std::span<const std::uint8_t> lengthCodeAndData) {
    unsigned sum = 0;
    for (const auto b : lengthCodeAndData) {
        sum += b;
    }
    return static_cast<std::uint8_t>(sum & 0xFFu);
}

Bytes makeFrame(std::uint8_t code, std::span<const std::uint8_t> data) {
    const auto length = static_cast<std::uint16_t>(data.size() + 2);
    Bytes frame;
    frame.reserve(data.size() + 6);
    frame.push_back(kHeader0);
    frame.push_back(kHeader1);
    frame.push_back(static_cast<std::uint8_t>(length & 0xFFu));
    frame.push_back(static_cast<std::uint8_t>(length >> 8));
    frame.push_back(code);
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(checksumOf(std::span(frame).subspan(2)));
    return frame;
}

Bytes makeFrame(std::uint8_t code, std::initializer_list<std::uint8_t> data) {
    return makeFrame(code, std::span<const std::uint8_t>(data.begin(), data.size()));
}

Bytes makeAck(std::uint8_t code, std::uint8_t status) {
    return makeFrame(code, {status});
}

std::string toHex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (const auto b : bytes) {
        if (!text.empty()) {
            text.push_back(' ');
        }
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0x0F]);
    }
    return text;
}

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::optional<Bytes> fromHex(std::string_view text) {
    Bytes bytes;
    int high = -1;
    for (const char c : text) {
        if (c == ' ') {
            if (high >= 0) {
                return std::nullopt;
            }
            continue;
        }
        const int digit = hexDigit(c);
        if (digit < 0) {
            return std::nullopt;
        }
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
            high = -1;
        }
    }
    if (high >= 0) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::uint16_t> expectedLength(std::uint8_t code) {
    if (const auto* layout = findCommand(code)) {
        return layout->length;
    }
    return std::nullopt;
}

FrameReader::Result FrameReader::feed(std::span<const std::uint8_t> bytes) {
    Result result;
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
    std::size_t start = 0;
    const auto dropOne = [&] {
        ++start;
        ++result.droppedBytes;
    };
    while (start < m_buffer.size()) {
        const auto rest = std::span(m_buffer).subspan(start);
        if (rest[0] != kHeader0) {
            dropOne();
            continue;
        }
        if (rest.size() < 2) {
            break;
        }
        if (rest[1] != kHeader1) {
            dropOne();
            continue;
        }
        if (rest.size() < kFramePrefix) {
            break;
        }
        const auto length = static_cast<std::uint16_t>(rest[2] | (rest[3] << 8));
        const auto expected = expectedLength(rest[4]);
        if (!expected || *expected != length) {
            ++result.malformed;
            dropOne();
            continue;
        }
        const std::size_t total = std::size_t{length} + 4;
        if (rest.size() < total) {
            break;
        }
        const auto frame = rest.first(total);
        if (checksumOf(frame.subspan(2, total - 3)) != frame[total - 1]) {
            // Resynchronise one byte on: a real header may sit inside what looked like a frame.
            ++result.badChecksums;
            dropOne();
            continue;
        }
        result.frames.emplace_back(frame.begin(), frame.end());
        start += total;
    }
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(
                                                            std::min(start, m_buffer.size())));
    return result;
}

} // namespace kesmo::sim
