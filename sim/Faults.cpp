#include "sim/Faults.h"

#include <array>
#include <charconv>

namespace kesmo::sim {

namespace {

struct KindName {
    FaultKind kind;
    std::string_view name;
};
constexpr std::array kKindNames = {
    KindName{FaultKind::Silent, "Silent"},
    KindName{FaultKind::BadChecksum, "BadChecksum"},
    KindName{FaultKind::Refuse, "Refuse"},
    KindName{FaultKind::SplitReply, "SplitReply"},
    KindName{FaultKind::GarbagePrefix, "GarbagePrefix"},
    KindName{FaultKind::TrailingBytes, "TrailingBytes"},
    KindName{FaultKind::Delay, "Delay"},
    KindName{FaultKind::HangUp, "HangUp"},
};

std::optional<unsigned> parseNumber(std::string_view text) {
    unsigned value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end) {
        return std::nullopt;
    }
    return value;
}

// Splits off the part after the last separator, if any.
std::optional<std::string_view> takeSuffix(std::string_view& text, char separator) {
    const auto at = text.rfind(separator);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    const auto suffix = text.substr(at + 1);
    text = text.substr(0, at);
    return suffix;
}

} // namespace

std::optional<FaultRule> parseFaultRule(std::string_view text, std::string& error) {
    FaultRule rule;
    if (const auto count = takeSuffix(text, '/')) {
        const auto n = parseNumber(*count);
        if (!n || *n == 0) {
            error = "fault count must be a positive number: " + std::string(*count);
            return std::nullopt;
        }
        rule.count = *n;
    }
    if (const auto code = takeSuffix(text, '@')) {
        const auto n = parseNumber(*code);
        if (!n || *n > 255) {
            error = "fault code must be 0..255: " + std::string(*code);
            return std::nullopt;
        }
        rule.code = static_cast<std::uint8_t>(*n);
    }
    std::optional<std::string_view> arg;
    if (const auto colon = text.find(':'); colon != std::string_view::npos) {
        arg = text.substr(colon + 1);
        text = text.substr(0, colon);
    }
    const KindName* kind = nullptr;
    for (const auto& k : kKindNames) {
        if (k.name == text) {
            kind = &k;
        }
    }
    if (kind == nullptr) {
        error = "unknown fault: " + std::string(text);
        return std::nullopt;
    }
    rule.fault.kind = kind->kind;
    const auto number = arg ? parseNumber(*arg) : std::optional<unsigned>{};
    switch (kind->kind) {
    case FaultKind::Refuse:
        rule.fault.arg = arg ? number.value_or(0) : 1;
        if (rule.fault.arg < 1 || rule.fault.arg > 3) {
            error = "Refuse takes a status 1..3";
            return std::nullopt;
        }
        return rule;
    case FaultKind::SplitReply:
        rule.fault.arg = arg ? number.value_or(0) : 3;
        if (rule.fault.arg < 2) {
            error = "SplitReply takes a number of pieces, 2 or more";
            return std::nullopt;
        }
        return rule;
    case FaultKind::Delay:
        if (!number) {
            error = "Delay takes milliseconds";
            return std::nullopt;
        }
        rule.fault.arg = *number;
        return rule;
    case FaultKind::GarbagePrefix: {
        const auto bytes = arg ? fromHex(*arg) : std::optional<Bytes>{Fault::defaultGarbage()};
        if (!bytes || bytes->empty()) {
            error = "GarbagePrefix takes hex bytes";
            return std::nullopt;
        }
        rule.fault.garbage = *bytes;
        return rule;
    }
    case FaultKind::TrailingBytes: {
        const auto bytes = arg ? fromHex(*arg) : std::nullopt;
        if (!bytes || bytes->empty()) {
            error = "TrailingBytes takes hex bytes";
            return std::nullopt;
        }
        rule.fault.garbage = *bytes;
        return rule;
    }
    case FaultKind::Silent:
    case FaultKind::BadChecksum:
    case FaultKind::HangUp:
        if (arg) {
            error = std::string(kind->name) + " takes no argument";
            return std::nullopt;
        }
        return rule;
    }
    return rule;
}

std::string describe(const FaultRule& rule) {
    std::string text;
    for (const auto& k : kKindNames) {
        if (k.kind == rule.fault.kind) {
            text = std::string(k.name);
        }
    }
    switch (rule.fault.kind) {
    case FaultKind::Refuse:
    case FaultKind::SplitReply:
    case FaultKind::Delay:
        text += ":" + std::to_string(rule.fault.arg);
        break;
    case FaultKind::GarbagePrefix:
    case FaultKind::TrailingBytes:
        text += ":" + toHex(rule.fault.garbage);
        break;
    default:
        break;
    }
    if (rule.code) {
        text += "@" + std::to_string(*rule.code);
    }
    if (rule.count) {
        text += "/" + std::to_string(*rule.count);
    }
    return text;
}

} // namespace kesmo::sim
