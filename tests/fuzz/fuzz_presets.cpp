// Preset files of any content: a parse either fails and changes nothing, or applies whole, with
// every link that is on leaving its right member equal to its left.
#include "tests/fuzz/PresetInput.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace kesmo;
using namespace kesmo::layout;

namespace {

bool sameBytes(const ModeImage& image, std::size_t left, std::size_t right, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i)
        if (image.byte(left + i) != image.byte(right + i))
            return false;
    return true;
}

// The right member of every link that is on equals the left; an output pair keeps its own mute
// (first byte) and delay (last two).
bool linksHold(const ModeImage& image) {
    if (image.byte(image::kMicLink) == 1 &&
        !sameBytes(image, image::kMic1, image::kMic2, mic::kSize))
        return false;
    if (image.byte(image::kMusicLink) == 1 &&
        !sameBytes(image, image::kMusicLeft, image::kMusicRight, music::kSize))
        return false;
    const std::pair<std::size_t, int> pairs[] = {
        {image::kMainLink, kMainL}, {image::kRearLink, kRearL}, {image::kSurroundLink, kSurroundL}};
    for (const auto& [flag, left] : pairs) {
        if (image.byte(flag) != 1)
            continue;
        for (int scene = 1; scene <= kScenes; ++scene)
            if (!sameBytes(image, outputChannelOffset(scene, left) + 1,
                           outputChannelOffset(scene, left + 1) + 1, output::kDelay - 1))
                return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto* store = new ParamStore;
    const std::vector<std::uint8_t> bytes = fuzz::presetFileFromInput({data, size});
    if (bytes.empty())
        return 0;
    // The device's capability from the file's last byte, so that mutations reach both ways.
    const bool perModeSystemBlocks = (bytes.back() & 1) != 0;
    auto single = std::make_unique<SingleModeFile>();
    if (parseSingleMode(bytes, *single)) {
        readSingleMode(*store, *single, perModeSystemBlocks);
        if (!store->working.sameAs(store->mirror) || !linksHold(store->working) ||
            store->working.byte(image::kFileSum) !=
                static_cast<std::uint8_t>(imageSum(store->working) -
                                          store->working.byte(image::kFileSum) +
                                          single->image[image::kFileSum]))
            std::abort();
    }
    auto bank = std::make_unique<BankFile>();
    if (parseBank(bytes, *bank)) {
        const int hasBlocks = readBank(*store, *bank);
        takeOverBankCurrentMode(*store, hasBlocks != 0, perModeSystemBlocks);
        if (!store->working.sameAs(store->mirror))
            std::abort();
        for (const ModeImage& mode : store->storedModes)
            if (!linksHold(mode))
                std::abort();
    }
    return 0;
}
