#include "model/ByteImage.h"

#include <gtest/gtest.h>
#include <memory>

using namespace kesmo;

namespace {

// The compare reads aligned words in the middle and single bytes at the ends; a difference
// anywhere inside the range, and only there, must be seen, whatever the alignment.
TEST(ByteImage, SameAsSeesADifferenceExactlyInsideTheRange) {
    constexpr std::size_t kN = 66; // not a whole number of words
    auto a = std::make_unique<ByteImage<kN>>();
    auto b = std::make_unique<ByteImage<kN>>();
    for (std::size_t i = 0; i < kN; ++i) {
        a->setByte(i, static_cast<std::uint8_t>(i + 1));
        b->setByte(i, static_cast<std::uint8_t>(i + 1));
    }
    for (std::size_t diff = 0; diff < kN; ++diff) {
        b->setByte(diff, 0);
        for (std::size_t offset = 0; offset < kN; ++offset)
            for (std::size_t length = 0; offset + length <= kN; ++length) {
                const bool inside = diff >= offset && diff < offset + length;
                ASSERT_EQ(a->sameAs(*b, offset, length), !inside)
                    << "difference at " << diff << ", range " << offset << "+" << length;
            }
        b->setByte(diff, static_cast<std::uint8_t>(diff + 1));
    }
    EXPECT_TRUE(a->sameAs(*b));
}

} // namespace
