#pragma once

#include "sim/Protocol.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kesmo::sim {

using ImageBytes = std::array<std::uint8_t, kImageSize>;
using SystemBytes = std::array<std::uint8_t, kSystemSize>;
using MeterBytes = std::array<std::uint8_t, kMeterCount>;

inline constexpr std::size_t kSingleModeFileSize = kSystemSize + kImageSize;
inline constexpr std::size_t kBankFileSize = kSystemSize + kStoredModes * kImageSize + 1;
inline constexpr std::size_t kBankWithSystemsFileSize = kBankFileSize + kStoredModes * kSystemSize;

// Everything the processor holds. Stored modes are numbered 1..21 as on the wire.
struct DeviceState {
    ImageBytes working{};
    SystemBytes system{};
    std::array<ImageBytes, kStoredModes> storedModes{};
    std::array<SystemBytes, kStoredModes> storedSystems{};
    std::uint8_t perModeSystemBlocks = 1;
    std::uint8_t storeAllowed = 1;
    MeterBytes meterLimits{};
    std::uint32_t meterTick = 0;
    // While set, every meter request reports these levels instead of the moving ones.
    std::optional<MeterBytes> fixedMeterLevels;

    // A plausible factory state: neutral bands, open crossovers, scene 1, named modes.
    static DeviceState factory();

    ImageBytes& storedMode(std::size_t n) { return storedModes.at(n - 1); }
    const ImageBytes& storedMode(std::size_t n) const { return storedModes.at(n - 1); }
    SystemBytes& storedSystem(std::size_t n) { return storedSystems.at(n - 1); }
    const SystemBytes& storedSystem(std::size_t n) const { return storedSystems.at(n - 1); }

    // Start of the scene the device edits: sceneSelect 1..3, else scene 1.
    std::size_t editedSceneBase() const;
    // The twelve levels the next meter request reports; they move with meterTick.
    MeterBytes meterLevels() const;
};

// Loads a single-mode file (66 + 2712 bytes) into the working state, or an all-modes file
// (57019 or 58405 bytes) into the stored modes. Any other length is refused and the state is
// left alone; error then says why.
bool loadPreset(DeviceState& state, std::span<const std::uint8_t> file, std::string& error);
bool loadPresetFile(DeviceState& state, const std::string& path, std::string& error);

} // namespace kesmo::sim
