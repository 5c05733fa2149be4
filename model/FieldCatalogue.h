#pragma once

#include "model/DataConver.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Every named field of the mode image and the system block, generated from the layout: its
// path, where it lies, the codes the pages allow and how a code is shown.
namespace kesmo {

enum class FieldBlock { Image, System };

// How a code is shown.
enum class FieldScale {
    Plain,             // the code as it stands
    FrequencyHz,       // the frequency series
    GainDb,            // 0.2 dB steps, 120 = 0 dB
    Q,                 // the Q table
    Label,             // a value label: `kind` and `format`
    Choice,            // `choices`[code]
    Toggle,            // 0 "off", 1 "on"
    Sign,              // 0 "+", 1 "-"
    MasterVolume,      // bits 0..6 the level within `range`, bit 7 the mute
    SensitivityAndKey, // bits 0..3 sensitivity "L"/"H", bits 4..7 key shift within `range`
    Text,              // `width` characters
};

struct Field {
    std::string path; // "musicLeft.eq[0].freq", "system.micVolume"
    FieldBlock block = FieldBlock::Image;
    std::size_t offset = 0;
    std::size_t width = 1; // 1 or 2 (little-endian) bytes; the length of a text
    FieldScale scale = FieldScale::Plain;
    CodeRange range{0, 255};
    int kind = 0;
    DisplayFormat format;
    std::span<const char* const> choices;

    bool isText() const { return scale == FieldScale::Text; }
};

// Every field, system block first, each block in offset order.
const std::vector<Field>& fieldCatalogue();

// A field by its path, or a raw byte "image[570]" / "system[0x09]" (index decimal or 0x-hex).
std::optional<Field> findField(std::string_view address);
// The named field that holds a byte.
const Field* fieldAt(FieldBlock block, std::size_t offset);

std::size_t blockSize(FieldBlock block);

// Decimal or 0x-hex digits with nothing around them, as typed for an index or a code. A
// negative number counts as out of range.
enum class NumberParse { Good, Bad, OutOfRange };
NumberParse parseNumber(std::string_view text, unsigned long long& value);

// The code of a numeric field in the bytes of its block (which must hold the whole block).
unsigned fieldCode(const Field& field, std::span<const std::uint8_t> block);
// Whether the pages allow the code: within the range (per bit group for packed bytes) and
// within the field's width.
bool fieldAccepts(const Field& field, unsigned long long code);
// The code in the field's display scale: "20.5 Hz", "-3.0 dB", "Atk X4". Empty for a plain
// code, "out of range" for a code the pages do not allow.
std::string fieldDisplay(const Field& field, unsigned code);
// The characters of a text field, quoted, with anything unprintable as \xNN.
std::string fieldText(const Field& field, std::span<const std::uint8_t> block);

} // namespace kesmo
