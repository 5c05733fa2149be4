// Writes the seed corpora of the fuzz targets from the model and the simulator:
//   make_fuzz_seeds DIR   (DIR/presets, DIR/feed_bytes, DIR/room_eq, DIR/set_arguments)
// The corpora under tests/fuzz/corpus are this program's output; run it again after a change
// of the formats.
#include "devicelink/Catalogue.h"
#include "devicelink/Command.h"
#include "devicelink/ParamSync.h"
#include "sim/Engine.h"
#include "tests/fuzz/PresetInput.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

using namespace kesmo;
using namespace kesmo::layout;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

void save(const fs::path& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void save(const fs::path& file, std::string_view text) {
    save(file, Bytes(text.begin(), text.end()));
}

constexpr std::size_t kLinkFlags[] = {image::kMicLink, image::kMusicLink, image::kMainLink,
                                      image::kRearLink, image::kSurroundLink};

// Whole files of the three lengths, links off and on (on in the working mode and in every
// stored mode, with the members different so that the copies show), and the bank's current
// mode naming mode 5; short inputs patching the valid files.
void presetSeeds(const fs::path& dir) {
    for (const bool links : {false, true}) {
        const std::unique_ptr<ParamStore> store = fuzz::startupStore();
        const auto edit = [&](ModeImage& image, int n) {
            image.setByte(image::kMic1 + mic::kMicLevel, static_cast<std::uint8_t>(n));
            image.setByte(image::kMusicLeft + music::kEq + eqband::kGain,
                          static_cast<std::uint8_t>(100 + n));
            image.setByte(outputChannelOffset(2, kRearL) + output::kMusicLevel,
                          static_cast<std::uint8_t>(n));
            for (const std::size_t flag : kLinkFlags)
                image.setByte(flag, links ? 1 : 0);
        };
        edit(store->working, 0);
        for (int n = 1; n <= kStoredModes; ++n)
            edit(store->storedMode(n), n);
        store->storedSystem(1).setByte(system::kCurrentMode, 5);
        const std::string suffix = links ? "-links-on" : "-links-off";
        save(dir / ("single" + suffix + ".dia"), fuzz::validPreset(*store, fuzz::kSingleMode));
        save(dir / ("bank-57019" + suffix + ".dat"), fuzz::validPreset(*store, fuzz::kBankOld));
        save(dir / ("bank-58405" + suffix + ".dat"), fuzz::validPreset(*store, fuzz::kBankNew));
    }
    // Short inputs patching the valid files: each kind as it is, and a link switched on (the
    // first image of every kind follows one system block).
    for (std::uint8_t kind = 0; kind < fuzz::kPresetKinds; ++kind) {
        save(dir / ("patch-" + std::to_string(kind) + "-none"), Bytes{kind});
        const auto at = static_cast<std::uint16_t>(kSystemBlockSize + image::kMicLink);
        save(dir / ("patch-" + std::to_string(kind) + "-miclink"),
             Bytes{kind, static_cast<std::uint8_t>(at & 0xFF), static_cast<std::uint8_t>(at >> 8),
                   1, 1});
    }
    // The last stored mode as the bank's current mode, one step from the range's end: in the
    // header an older bank gives mode 1, in mode 1's own block of a newer one.
    for (const auto& [kind, at] :
         {std::pair{fuzz::kBankOld, std::size_t{0}}, std::pair{fuzz::kBankNew, kBankFileSizeOld}})
        save(dir / ("patch-" + std::to_string(kind) + "-current-21"),
             Bytes{kind, static_cast<std::uint8_t>(at & 0xFF), static_cast<std::uint8_t>(at >> 8),
                   1, static_cast<std::uint8_t>(kStoredModes)});
}

// The target's input: the request's code and index byte, then the reply in pieces of up to 64
// bytes, each after a byte holding its length less one.
Bytes feedInput(const Frame& request, const Bytes& reply) {
    Bytes out{request.code(), request[5]};
    for (std::size_t at = 0; at < reply.size();) {
        const std::size_t piece = std::min<std::size_t>(64, reply.size() - at);
        out.push_back(static_cast<std::uint8_t>(piece - 1));
        out.insert(out.end(), reply.begin() + static_cast<std::ptrdiff_t>(at),
                   reply.begin() + static_cast<std::ptrdiff_t>(at + piece));
        at += piece;
    }
    return out;
}

Bytes wireBytes(const Frame& f) {
    return Bytes(f.data(), f.data() + f.wireSize());
}

// The simulator's reply to one request of every bulk command, to a parameter change, to both
// meter requests, and its refusals.
void feedSeeds(const fs::path& dir) {
    auto store = std::make_unique<ParamStore>();
    auto link = std::make_unique<LinkState>();
    sim::Engine engine;
    const auto capture = [&](const std::string& name, const Frame& request) {
        save(dir / name, feedInput(request, engine.feed(wireBytes(request)).joined()));
    };
    auto frame = std::make_unique<Frame>();
    const CommandCode bulk[] = {
        CommandCode::ReadIdentity,         CommandCode::ReadNames,
        CommandCode::ReadSystemBlock,      CommandCode::ReadMode,
        CommandCode::WriteSystemBlock,     CommandCode::WriteMode,
        CommandCode::RecallMode,           CommandCode::WriteName,
        CommandCode::ChangeSystemPassword, CommandCode::ChangePanelPassword};
    for (const CommandCode code : bulk) {
        CommandQueue queue;
        buildCommand(queue, *store, *link, code, 1);
        if (queue.popInto(*frame) == 0)
            continue;
        capture("reply-" + std::to_string(codeValue(code)), *frame);
        if (code == CommandCode::WriteMode) {
            for (unsigned status = 1; status <= 3; ++status) {
                engine.addFault({sim::Fault::refuse(status), codeValue(code), 1});
                capture("refusal-" + std::to_string(status), *frame);
            }
        }
    }
    // One parameter change, then the meter requests the synchroniser makes when nothing differs.
    store->working.setByte(image::kMusicLeft + music::kEq + eqband::kGain, 130);
    for (int step = 0; step < 3; ++step) {
        frame->clear();
        frame->resetHeader();
        ParamSync(*frame, *store, *link);
        capture("sync-" + std::to_string(step) + "-code-" + std::to_string(frame->code()), *frame);
    }
}

void roomEqSeeds(const fs::path& dir) {
    save(dir / "rew.txt", "Filter Settings file\n\nRoom EQ V5.31\nDated: 4 Dec 2026 21:10:05\n\n"
                          "Notes:\n\nEqualiser: Generic\nMain L at seat 3\n"
                          "Filter  1: ON  PK       Fc   63.40 Hz  Gain  -6.20 dB  Q  4.870\n"
                          "Filter  2: ON  LS       Fc   80.0 Hz   Gain  -2.50 dB  Q  0.710\n"
                          "Filter  3: ON  None\n"
                          "Filter  4: OFF PK       Fc   1000 Hz   Gain   3.00 dB  Q  1.41\n");
    save(dir / "apo.txt", "Preamp: -5.0 dB\r\n"
                          "Filter: ON PK Fc 1000 Hz Gain 3.0 dB Q 1.41\r\n"
                          "Filter: ON HSC Fc 8000 Hz Gain -2 dB Q 0.7\r\n"
                          "Filter: ON LSC Fc 105 Hz Gain 4,5 dB\r\n"
                          "Filter: ON PK Fc 3000 Hz Gain -1 dB BW Oct 0.5\r\n");
    save(dir / "refused.txt", "Channel: L R\nFilter 1: ON LP Fc 80 Hz Q 0.71\n"
                              "Filter 2: ON LS 6dB Fc 80 Hz Gain 3 dB\n");
}

void setSeeds(const fs::path& dir) {
    save(dir / "fields", "musicLeft.eq[0].gain=130\nscene[1].mainL.delay=0x0123\n"
                         "system.musicVolume=40\nmic2.eq[19].type=3");
    save(dir / "texts", "name=Party\nsystem.panelPassword=1234\nsystem.systemPassword=abc");
    save(dir / "raw", "image[2711]=0xFF\nsystem[0x09]=0x3E\nimage[0]=0");
    save(dir / "packed", "system.micVolume=0x8A\nsystem.sensitivityAndKey=0x71");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_fuzz_seeds DIR\n";
        return 2;
    }
    const fs::path root = argv[1];
    const std::pair<const char*, void (*)(const fs::path&)> corpora[] = {
        {"presets", presetSeeds},
        {"feed_bytes", feedSeeds},
        {"room_eq", roomEqSeeds},
        {"set_arguments", setSeeds}};
    for (const auto& [name, make] : corpora) {
        fs::create_directories(root / name);
        make(root / name);
    }
    return 0;
}
