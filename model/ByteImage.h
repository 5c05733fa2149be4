#pragma once

#include <array>
#include <atomic>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kesmo {

// A fixed byte layout shared between the UI thread (page edits) and the transport worker
// (synchroniser, dispatcher). Every access is a relaxed atomic byte operation so that the
// unlocked single-byte edits the pages make are not data races.
template <std::size_t N> class ByteImage {
public:
    static constexpr std::size_t kSize = N;

    ByteImage() = default;
    ByteImage(const ByteImage&) = delete;
    ByteImage& operator=(const ByteImage&) = delete;

    std::uint8_t byte(std::size_t i) const { return ref(i).load(std::memory_order_relaxed); }
    void setByte(std::size_t i, std::uint8_t v) { ref(i).store(v, std::memory_order_relaxed); }

    // Little-endian, unaligned.
    std::uint16_t word(std::size_t i) const {
        return static_cast<std::uint16_t>(byte(i) | (byte(i + 1) << 8));
    }
    void setWord(std::size_t i, std::uint16_t v) {
        setByte(i, static_cast<std::uint8_t>(v & 0xFF));
        setByte(i + 1, static_cast<std::uint8_t>(v >> 8));
    }

    void read(std::size_t offset, std::span<std::uint8_t> out) const {
        assert(offset + out.size() <= N);
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = byte(offset + i);
    }
    void write(std::size_t offset, std::span<const std::uint8_t> in) {
        assert(offset + in.size() <= N);
        for (std::size_t i = 0; i < in.size(); ++i)
            setByte(offset + i, in[i]);
    }

    std::array<std::uint8_t, N> snapshot() const {
        std::array<std::uint8_t, N> out{};
        read(0, out);
        return out;
    }
    void load(std::span<const std::uint8_t, N> in) { write(0, in); }
    void fill(std::uint8_t v) {
        for (std::size_t i = 0; i < N; ++i)
            setByte(i, v);
    }

    // Compares whole aligned words with one relaxed 64-bit atomic load each (the synchroniser
    // compares most of the image on every step); the ends byte by byte.
    bool sameAs(const ByteImage& other, std::size_t offset, std::size_t length) const {
        assert(offset + length <= N);
        const std::size_t end = offset + length;
        std::size_t i = offset;
        for (; i < end && i % kWordSize != 0; ++i)
            if (byte(i) != other.byte(i))
                return false;
        for (; i + kWordSize <= end; i += kWordSize)
            if (wordAt(i) != other.wordAt(i))
                return false;
        for (; i < end; ++i)
            if (byte(i) != other.byte(i))
                return false;
        return true;
    }
    bool sameAs(const ByteImage& other) const { return sameAs(other, 0, N); }

    // Copies the same range from another image of the same layout.
    void copyFrom(const ByteImage& other, std::size_t offset, std::size_t length) {
        assert(offset + length <= N);
        for (std::size_t i = offset; i < offset + length; ++i)
            setByte(i, other.byte(i));
    }
    void assign(const ByteImage& other) { copyFrom(other, 0, N); }

    // Copies a range inside this image; the ranges never overlap in this program.
    void copyWithin(std::size_t from, std::size_t to, std::size_t length) {
        assert(from + length <= N && to + length <= N);
        for (std::size_t i = 0; i < length; ++i)
            setByte(to + i, byte(from + i));
    }

private:
    static constexpr std::size_t kWordSize = sizeof(std::uint64_t);

    // The bytes live in words so that a compare may load a whole word; every byte access
    // still goes through its own atomic byte reference (unsigned char may alias the word).
    std::atomic_ref<std::uint8_t> ref(std::size_t i) const {
        assert(i < N);
        auto* bytes = reinterpret_cast<std::uint8_t*>(const_cast<std::uint64_t*>(m_words.data()));
        return std::atomic_ref<std::uint8_t>(bytes[i]);
    }
    // The word holding bytes i .. i + 7; i is a multiple of the word size.
    std::uint64_t wordAt(std::size_t i) const {
        assert(i % kWordSize == 0 && i + kWordSize <= N);
        return std::atomic_ref<std::uint64_t>(const_cast<std::uint64_t&>(m_words[i / kWordSize]))
            .load(std::memory_order_relaxed);
    }

    std::array<std::uint64_t, (N + kWordSize - 1) / kWordSize> m_words{};
};

} // namespace kesmo
