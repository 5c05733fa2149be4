#include "tools/kesmo-cli/SetArguments.h"

#include <optional>
#include <string_view>

namespace kesmo::cli {

namespace {

std::string rangeText(const Field& f) {
    const std::string span =
        std::to_string(f.range.minimum) + ".." + std::to_string(f.range.maximum);
    switch (f.scale) {
    case FieldScale::MasterVolume:
        return "level " + span + ", plus 0x80 to mute";
    case FieldScale::SensitivityAndKey:
        return "low 4 bits 0..1, high 4 bits " + span;
    default:
        return span;
    }
}

// The error of one argument, or its writes appended.
std::optional<std::string> parseOne(const std::string& arg, std::vector<ByteWrite>& writes) {
    const auto eq = arg.find('=');
    if (eq == std::string::npos || eq == 0)
        return arg + ": expected ADDRESS=VALUE";
    const std::string_view address = std::string_view(arg).substr(0, eq);
    const std::string_view value = std::string_view(arg).substr(eq + 1);
    const std::optional<Field> field = findField(address);
    if (!field)
        return std::string(address) + ": no such field or address";

    if (field->isText()) {
        if (value.size() > field->width)
            return arg + ": longer than " + std::to_string(field->width) + " characters";
        for (const char c : value)
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
                return arg + ": only printable ASCII characters";
        for (std::size_t i = 0; i < field->width; ++i)
            writes.push_back({field->block, field->offset + i,
                              static_cast<std::uint8_t>(i < value.size() ? value[i] : ' ')});
        return std::nullopt;
    }

    unsigned long long code = 0;
    const NumberParse n = parseNumber(value, code);
    if (n == NumberParse::Bad)
        return arg + ": VALUE must be a decimal or 0x-hex number";
    if (n == NumberParse::OutOfRange || !fieldAccepts(*field, code))
        return arg + ": out of range (" + rangeText(*field) + ")";
    for (std::size_t i = 0; i < field->width; ++i)
        writes.push_back(
            {field->block, field->offset + i, static_cast<std::uint8_t>((code >> (8 * i)) & 0xFF)});
    return std::nullopt;
}

} // namespace

SetArguments parseSetArguments(std::span<const std::string> args) {
    SetArguments out;
    for (const std::string& arg : args) {
        if (auto error = parseOne(arg, out.writes)) {
            out.writes.clear();
            out.error = std::move(*error);
            return out;
        }
    }
    return out;
}

} // namespace kesmo::cli
