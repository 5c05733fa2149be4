#include "sim/Engine.h"
#include "sim/PtyHost.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace kesmo::sim;

namespace {

constexpr const char* kUsage =
    R"(Usage: kesmo-sim [options]
Simulates the processor on a pseudo-terminal: prints the slave path on one line and serves
until killed (or until a HangUp fault closes the line).

Options:
  --identity PER_MODE,STORE_ALLOWED  identity bytes of the answer to 127 (default 1,1)
  --load FILE                        load a .dia (2778 bytes) or .dat (57019 or 58405 bytes)
  --fault NAME[:ARG][@CODE][/COUNT]  inject a fault (repeatable); NAME is one of
                                     Silent, BadChecksum, Refuse:STATUS (1..3),
                                     SplitReply[:PIECES], GarbagePrefix[:HEX],
                                     TrailingBytes:HEX, Delay:MS, HangUp;
                                     @CODE limits it to frames of that code, /COUNT to the
                                     next COUNT such frames
  --verbose                          log frames to stderr
  --help                             this text
)";

bool parseIdentity(std::string_view text, std::uint8_t& perMode, std::uint8_t& storeAllowed) {
    const auto comma = text.find(',');
    if (comma == std::string_view::npos) {
        return false;
    }
    const auto byte = [](std::string_view part, std::uint8_t& out) {
        if (part.empty() || part.size() > 3) {
            return false;
        }
        unsigned value = 0;
        for (const char c : part) {
            if (c < '0' || c > '9') {
                return false;
            }
            value = value * 10 + static_cast<unsigned>(c - '0');
        }
        if (value > 255) {
            return false;
        }
        out = static_cast<std::uint8_t>(value);
        return true;
    };
    return byte(text.substr(0, comma), perMode) && byte(text.substr(comma + 1), storeAllowed);
}

int fail(const std::string& message) {
    std::cerr << "kesmo-sim: " << message << "\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    Engine engine;
    bool verbose = false;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto arg = args[i];
        const auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= args.size()) {
                return std::nullopt;
            }
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--verbose") {
            verbose = true;
        } else if (arg == "--identity") {
            std::uint8_t perMode = 0;
            std::uint8_t storeAllowed = 0;
            const auto v = value();
            if (!v || !parseIdentity(*v, perMode, storeAllowed)) {
                return fail("--identity takes PER_MODE,STORE_ALLOWED (bytes)");
            }
            engine.setIdentity(perMode, storeAllowed);
        } else if (arg == "--load") {
            const auto v = value();
            std::string error;
            if (!v) {
                return fail("--load takes a file");
            }
            if (!engine.loadFile(std::string(*v), error)) {
                return fail(error);
            }
        } else if (arg == "--fault") {
            const auto v = value();
            std::string error;
            if (!v) {
                return fail("--fault takes NAME[:ARG][@CODE][/COUNT]");
            }
            auto rule = parseFaultRule(*v, error);
            if (!rule) {
                return fail(error);
            }
            engine.addFault(std::move(*rule));
        } else {
            std::cerr << kUsage;
            return fail("unknown option " + std::string(arg));
        }
    }
    if (verbose) {
        engine.setFrameLog([](char direction, std::span<const std::uint8_t> frame) {
            std::cerr << direction << ' ' << toHex(frame) << std::endl;
        });
        for (const auto& rule : engine.faults()) {
            std::cerr << "fault " << describe(rule) << "\n";
        }
    }

    PtyHost host(engine);
    std::string error;
    if (!host.start(error)) {
        return fail(error);
    }
    std::cout << host.slavePath() << std::endl;
    host.waitFinished();
    if (verbose && host.hungUp()) {
        std::cerr << "hung up\n";
    }
    return host.hungUp() ? 0 : 1;
}
