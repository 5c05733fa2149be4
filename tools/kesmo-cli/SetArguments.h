#pragma once

#include "model/FieldCatalogue.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// `set ADDRESS=VALUE...` arguments turned into byte writes, all checked before anything is
// sent.
namespace kesmo::cli {

struct ByteWrite {
    FieldBlock block = FieldBlock::Image;
    std::size_t offset = 0;
    std::uint8_t value = 0;
    friend bool operator==(const ByteWrite&, const ByteWrite&) = default;
};

struct SetArguments {
    std::vector<ByteWrite> writes; // in argument order; a 16-bit field low byte first
    std::string error;             // empty when every argument was good
    bool ok() const { return error.empty(); }
};

// ADDRESS is a field path or a raw byte (image[N], system[N]). VALUE is decimal or 0x-hex;
// for a text field it is the text, padded with spaces to the field's width.
SetArguments parseSetArguments(std::span<const std::string> args);

} // namespace kesmo::cli
