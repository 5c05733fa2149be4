#include "sim/DeviceState.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace kesmo::sim {

namespace {

void putBand(ImageBytes& image, std::size_t offset, unsigned band, unsigned bands) {
    // Spread the bands over the frequency codes so that a fresh device is not all one value.
    const unsigned freq = bands > 1 ? 40 + band * 280 / (bands - 1) : 180;
    image[offset] = static_cast<std::uint8_t>(freq & 0xFFu);
    image[offset + 1] = static_cast<std::uint8_t>(freq >> 8);
    image[offset + 2] = 120;
    image[offset + 3] = 10;
    image[offset + 4] = 0;
}

void putBands(ImageBytes& image, std::size_t offset, unsigned bands) {
    for (unsigned b = 0; b < bands; ++b) {
        putBand(image, offset + 5 * b, b, bands);
    }
}

void putCrossovers(ImageBytes& image, std::size_t highPass) {
    image[highPass] = 0;
    image[highPass + 4] = 1;
    image[highPass + 5] = 361 & 0xFF;
    image[highPass + 6] = 361 >> 8;
}

ImageBytes factoryImage() {
    ImageBytes image{};
    for (const std::size_t echo : {std::size_t{20}, std::size_t{77}}) {
        putBands(image, echo, 7);
        putCrossovers(image, echo + 40);
        image[echo + 36] = 100;
        image[echo + 38] = 100;
    }
    for (const std::size_t reverb : {std::size_t{134}, std::size_t{186}}) {
        putBands(image, reverb, 7);
        putCrossovers(image, reverb + 40);
        image[reverb + 36] = 100;
        image[reverb + 38] = 100;
    }
    for (const std::size_t mic : {std::size_t{238}, std::size_t{395}}) {
        image[mic] = 100;
        putCrossovers(image, mic + 9);
        putBands(image, mic + 17, 20);
        putBands(image, mic + 118, 5);
    }
    for (const std::size_t music : {std::size_t{553}, std::size_t{717}}) {
        putCrossovers(image, music + 7);
        putBands(image, music + 15, 15);
        putBands(image, music + 91, 5);
        image[music + 117] = 0;
        image[music + 120] = 1;
        for (unsigned d = 0; d < 3; ++d) {
            const std::size_t dyn = music + 121 + 10 * d;
            putBand(image, dyn, d, 3);
            image[dyn + 9] = 1;
        }
    }
    for (const std::size_t scene : kSceneBase) {
        for (std::size_t c = 0; c < 8; ++c) {
            const std::size_t channel = scene + kChannelSize * c;
            for (std::size_t j = 0; j < 5; ++j) {
                image[channel + 1 + 2 * j] = 100;
            }
            putBands(image, channel + 11, 10);
            putCrossovers(image, channel + 66);
        }
    }
    image[kSceneSelect] = 1;
    return image;
}

SystemBytes factorySystem() {
    SystemBytes system{};
    system[0] = 1;
    system[1] = 50;
    system[2] = 60;
    system[3] = 60;
    system[4] = 70;
    system[5] = 84;
    system[6] = 84;
    system[9] = 14 << 4;
    system[14] = 1;
    std::memcpy(&system[kSbPanelPassword], "1234", kPanelPasswordSize);
    std::memcpy(&system[kSbSystemPassword], "123456", kSystemPasswordSize);
    return system;
}

void putName(ImageBytes& image, const std::string& name) {
    std::fill_n(image.begin(), kNameSize, std::uint8_t{' '});
    std::copy_n(name.begin(), std::min(name.size(), kNameSize), image.begin());
}

} // namespace

DeviceState DeviceState::factory() {
    DeviceState state;
    state.working = factoryImage();
    state.system = factorySystem();
    for (std::size_t n = 1; n <= kStoredModes; ++n) {
        state.storedMode(n) = state.working;
        putName(state.storedMode(n), "MODE " + std::to_string(n));
        state.storedSystem(n) = state.system;
        state.storedSystem(n)[kSbCurrentMode] = static_cast<std::uint8_t>(n);
    }
    state.working = state.storedMode(1);
    state.meterLimits.fill(200);
    return state;
}

std::size_t DeviceState::editedSceneBase() const {
    const std::uint8_t scene = working[kSceneSelect];
    return kSceneBase[scene >= 1 && scene <= 3 ? scene - 1 : 0];
}

MeterBytes DeviceState::meterLevels() const {
    if (fixedMeterLevels)
        return *fixedMeterLevels;
    // Triangle waves over the lamp's lit range 110..200, each meter at its own phase.
    MeterBytes levels{};
    for (std::size_t i = 0; i < kMeterCount; ++i) {
        const std::uint32_t phase = (meterTick * 7u + static_cast<std::uint32_t>(i) * 23u) % 180u;
        const std::uint32_t height = phase <= 90 ? phase : 180 - phase;
        levels[i] = static_cast<std::uint8_t>(110 + height);
    }
    return levels;
}

bool loadPreset(DeviceState& state, std::span<const std::uint8_t> file, std::string& error) {
    const auto systemAt = [&](std::size_t offset, SystemBytes& target) {
        std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(offset), kSystemSize,
                    target.begin());
    };
    const auto imageAt = [&](std::size_t offset, ImageBytes& target) {
        std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(offset), kImageSize, target.begin());
    };
    if (file.size() == kSingleModeFileSize) {
        systemAt(0, state.system);
        imageAt(kSystemSize, state.working);
        return true;
    }
    if (file.size() != kBankFileSize && file.size() != kBankWithSystemsFileSize) {
        error = "wrong length " + std::to_string(file.size()) + " bytes; expected " +
                std::to_string(kSingleModeFileSize) + ", " + std::to_string(kBankFileSize) +
                " or " + std::to_string(kBankWithSystemsFileSize);
        return false;
    }
    systemAt(0, state.system);
    for (std::size_t n = 1; n <= kStoredModes; ++n) {
        imageAt(kSystemSize + (n - 1) * kImageSize, state.storedMode(n));
    }
    if (file.size() == kBankWithSystemsFileSize) {
        for (std::size_t n = 1; n <= kStoredModes; ++n) {
            systemAt(kBankFileSize + (n - 1) * kSystemSize, state.storedSystem(n));
        }
    } else {
        // The older layout keeps one system block, which belongs to mode 1.
        state.storedSystem(1) = state.system;
    }
    const std::uint8_t current = state.system[kSbCurrentMode];
    if (current >= 1 && current <= kStoredModes) {
        state.working = state.storedMode(current);
    }
    return true;
}

bool loadPresetFile(DeviceState& state, const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    if (!loadPreset(state, bytes, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

} // namespace kesmo::sim
