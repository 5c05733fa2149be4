#include "tools/kesmo-cli/EqCommands.h"

#include "filters/RoomEqDeviation.h"
#include "model/Presets.h"
#include "model/RoomEqFile.h"
#include "model/TextFormat.h"
#include "tools/kesmo-cli/DeviceCommands.h"

#include <filesystem>
#include <optional>

namespace kesmo::cli {

namespace {

constexpr std::string_view kIntoOption = "--into";
constexpr std::string_view kFromOption = "--from";

std::optional<RoomEqChannel> channelOperand(Invocation& inv, int& status) {
    std::optional<RoomEqChannel> channel = findRoomEqChannel(inv.operands[0]);
    if (!channel)
        status = usageError(inv, "unknown CHANNEL '" + inv.operands[0] + "'; the channels are " +
                                     roomEqChannelList());
    return channel;
}

// A .dia file read whole, or the error reported.
std::optional<std::vector<std::uint8_t>> readPreset(Invocation& inv, const std::string& path) {
    FileBytes file = readWholeFile(path);
    if (file.status == PresetStatus::OpenFailed) {
        report(inv, path + ": File read Error");
        return std::nullopt;
    }
    // A longer file would lose its tail when the preset is written back.
    if (file.status != PresetStatus::Done || file.bytes.size() != kSingleModeFileSize) {
        report(inv, path + ": not a single-mode preset file (" +
                        std::to_string(kSingleModeFileSize) + " bytes)");
        return std::nullopt;
    }
    return std::move(file.bytes);
}

std::span<const std::uint8_t> imageOf(const std::vector<std::uint8_t>& preset) {
    return std::span(preset).subspan(layout::kSystemBlockSize, layout::kModeImageSize);
}

int writeOut(Invocation& inv, const std::string& path, const std::vector<std::uint8_t>& bytes) {
    if (writeFileReplacing(path, bytes) != PresetStatus::Done) {
        report(inv, path + ": MusicFile Write Error");
        return kExitFileError;
    }
    return kExitDone;
}

// The channel's bands must not follow a link, or the next link copy overwrites them.
bool refuseLinked(Invocation& inv, const RoomEqChannel& channel,
                  std::span<const std::uint8_t> image) {
    if (!followsLink(channel, image))
        return false;
    report(inv, channel.name + " follows " + channel.leader +
                    " while their link is on; import into " + channel.leader +
                    " or switch the link off");
    return true;
}

void printImport(Invocation& inv, const RoomEqPlan& plan) {
    for (const RoomEqBand& b : plan.bands) {
        inv.out << "band " << (b.band + 1);
        if (b.asked)
            inv.out << " (line " << b.asked->line << ")";
        inv.out << ": " << describeAsked(b) << " -> " << describeStored(b) << "\n";
    }
    for (const RoomFilter& f : plan.leftOut)
        inv.out << "line " << f.line << ": switched-off filter left out, no band to spare\n";
    for (const RoomPreamp& p : plan.preamps)
        inv.out << "line " << p.line << ": Preamp " << fixedText(p.gainDb, 1)
                << " dB not applied\n";
    inv.out << "largest deviation: " << fixedText(roomEqDeviationDb(plan), 2) << " dB\n";
}

int importIntoPreset(Invocation& inv, const std::string& path, const RoomEqChannel& channel,
                     const std::vector<RoomEqWrite>& writes) {
    std::optional<std::vector<std::uint8_t>> preset = readPreset(inv, path);
    if (!preset)
        return kExitFileError;
    if (refuseLinked(inv, channel, imageOf(*preset)))
        return kExitUsage;
    for (const RoomEqWrite& w : writes)
        (*preset)[layout::kSystemBlockSize + w.offset] = w.value;
    return writeOut(inv, path, *preset);
}

int importIntoDevice(Invocation& inv, const RoomEqChannel& channel,
                     const std::vector<RoomEqWrite>& writes) {
    return applyWorkingWrites(inv, [&](const ParamStore& store, std::vector<ByteWrite>& out) {
        if (refuseLinked(inv, channel, store.working.snapshot()))
            return static_cast<int>(kExitUsage);
        if (const int edited = editedScene(store); channel.scene != 0 && channel.scene != edited) {
            report(inv, channel.name + ": the device is editing scene " + std::to_string(edited) +
                            ", and only that scene's bands are sent");
            return static_cast<int>(kExitUsage);
        }
        for (const RoomEqWrite& w : writes)
            out.push_back({FieldBlock::Image, w.offset, w.value});
        return static_cast<int>(kExitDone);
    });
}

} // namespace

int runEqImport(Invocation& inv) {
    if (inv.operands.size() != 2)
        return usageError(inv, "expects CHANNEL FILE.txt");
    int status = kExitDone;
    const std::optional<RoomEqChannel> channel = channelOperand(inv, status);
    if (!channel)
        return status;
    const std::string& textPath = inv.operands[1];
    const FileBytes file = readWholeFile(textPath);
    if (file.status != PresetStatus::Done) {
        report(inv, textPath + (file.status == PresetStatus::OpenFailed
                                    ? ": File read Error"
                                    : ": cannot be read whole (too large for a filter file?)"));
        return kExitFileError;
    }
    const RoomEqRead read = readRoomEqText(
        std::string_view(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()));
    const RoomEqPlanResult planned =
        read.ok() ? planRoomEq(read.text, *channel) : RoomEqPlanResult{{}, read.error};
    if (!planned.ok()) {
        report(inv, textPath + ": " + describe(*planned.error));
        return kExitFileError;
    }
    const std::vector<RoomEqWrite> writes = roomEqWrites(planned.plan, *channel);
    const std::string into = commandOption(inv.options, kIntoOption);
    status = into.empty() ? importIntoDevice(inv, *channel, writes)
                          : importIntoPreset(inv, into, *channel, writes);
    if (status == kExitDone)
        printImport(inv, planned.plan);
    return status;
}

int runEqExport(Invocation& inv) {
    if (inv.operands.size() != 2)
        return usageError(inv, "expects CHANNEL OUT.txt");
    int status = kExitDone;
    const std::optional<RoomEqChannel> channel = channelOperand(inv, status);
    if (!channel)
        return status;
    const std::string from = commandOption(inv.options, kFromOption);
    std::vector<std::uint8_t> image;
    if (!from.empty()) {
        const std::optional<std::vector<std::uint8_t>> preset = readPreset(inv, from);
        if (!preset)
            return kExitFileError;
        const auto bytes = imageOf(*preset);
        image.assign(bytes.begin(), bytes.end());
    } else {
        status = applyWorkingWrites(inv, [&](const ParamStore& store, std::vector<ByteWrite>&) {
            const auto bytes = store.working.snapshot();
            image.assign(bytes.begin(), bytes.end());
            return static_cast<int>(kExitDone);
        });
        if (status != kExitDone)
            return status;
    }
    const std::string source =
        from.empty() ? "the device" : std::filesystem::path(from).filename().string();
    const std::string text =
        writeRoomEqText(*channel, image, "Kesmo: " + channel->name + " of " + source);
    return writeOut(inv, inv.operands[1], std::vector<std::uint8_t>(text.begin(), text.end()));
}

} // namespace kesmo::cli
