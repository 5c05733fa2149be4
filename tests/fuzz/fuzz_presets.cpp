// Preset files of any content: a parse either fails and changes nothing, or applies whole.
#include "model/Presets.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace kesmo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto* store = new ParamStore;
    const std::vector<std::uint8_t> bytes(data, data + size);
    auto single = std::make_unique<SingleModeFile>();
    if (parseSingleMode(bytes, *single))
        readSingleMode(*store, *single, size % 2 == 0);
    auto bank = std::make_unique<BankFile>();
    if (parseBank(bytes, *bank)) {
        const int hasBlocks = readBank(*store, *bank);
        takeOverBankCurrentMode(*store, hasBlocks != 0, size % 3 == 0);
        if (!store->working.sameAs(store->mirror))
            std::abort();
    }
    return 0;
}
