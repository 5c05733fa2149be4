// `kesmo-cli set` arguments of any content, one per line: a refusal names no writes, and every
// write of an accepted list lies inside its block.
#include "tools/kesmo-cli/SetArguments.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace kesmo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n')
            args.emplace_back();
        else
            args.back().push_back(static_cast<char>(data[i]));
    }
    const cli::SetArguments parsed = cli::parseSetArguments(args);
    if (!parsed.ok() && !parsed.writes.empty())
        std::abort();
    for (const cli::ByteWrite& w : parsed.writes)
        if (w.offset >= blockSize(w.block))
            std::abort();
    return 0;
}
