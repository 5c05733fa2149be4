#pragma once

#include "model/Presets.h"
#include "model/WorkingModel.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// Preset files are read only whole and at their own lengths, which random inputs never hit. An
// input shorter than a single-mode file therefore patches a valid file instead: byte 0 picks the
// file (kind below, modulo 3), then patches follow, each an offset (2 bytes, little-endian,
// modulo the file's length), a count (1 byte) and that many bytes, cut at the file's end. A
// longer input is a file as it stands.
namespace kesmo::fuzz {

enum PresetKind : std::uint8_t { kSingleMode = 0, kBankOld = 1, kBankNew = 2, kPresetKinds = 3 };

inline constexpr std::size_t presetLength(PresetKind kind) {
    return kind == kSingleMode ? kSingleModeFileSize
           : kind == kBankOld  ? kBankFileSizeOld
                               : kBankFileSizeNew;
}

// A start-up model with every stored mode a copy of the working mode. No folders are made: the
// working directory given cannot hold any.
inline std::unique_ptr<ParamStore> startupStore() {
    auto store = std::make_unique<ParamStore>();
    initialiseModel(*store, "/dev/null");
    for (int n = 1; n <= layout::kStoredModes; ++n) {
        store->storedMode(n).assign(store->working);
        store->storedSystem(n).assign(store->workingSystem);
    }
    store->fileHeaderSystem.assign(store->workingSystem);
    return store;
}

// The valid file of each kind, written from the start-up model.
inline std::vector<std::uint8_t> validPreset(const ParamStore& store, PresetKind kind) {
    if (kind == kSingleMode)
        return writeSingleMode(store);
    std::vector<std::uint8_t> bank = writeBank(store, false);
    bank.resize(presetLength(kind));
    return bank;
}

inline std::vector<std::uint8_t> presetFileFromInput(std::span<const std::uint8_t> input) {
    if (input.size() >= kSingleModeFileSize || input.empty())
        return {input.begin(), input.end()};
    static const auto* bases = [] {
        const std::unique_ptr<ParamStore> store = startupStore();
        auto* files = new std::array<std::vector<std::uint8_t>, kPresetKinds>;
        for (std::uint8_t k = 0; k < kPresetKinds; ++k)
            (*files)[k] = validPreset(*store, static_cast<PresetKind>(k));
        return files;
    }();
    std::vector<std::uint8_t> file = (*bases)[input[0] % kPresetKinds];
    std::size_t at = 1;
    while (at + 3 <= input.size()) {
        std::size_t to = static_cast<std::size_t>(input[at] | (input[at + 1] << 8)) % file.size();
        const std::size_t count = input[at + 2];
        at += 3;
        for (std::size_t i = 0; i < count && at < input.size() && to < file.size(); ++i)
            file[to++] = input[at++];
    }
    return file;
}

} // namespace kesmo::fuzz
