#include "tools/kesmo-cli/FileCommands.h"

#include "model/FieldCatalogue.h"

#include <memory>
#include <span>
#include <unordered_map>
#include <unordered_set>

namespace kesmo::cli {

namespace {

constexpr std::string_view kSystemPrefix = "system.";

std::string valueText(const Field& f, std::span<const std::uint8_t> block) {
    if (f.isText())
        return fieldText(f, block);
    const unsigned code = fieldCode(f, block);
    const std::string shown = fieldDisplay(f, code);
    return shown.empty() ? std::to_string(code) : std::to_string(code) + " (" + shown + ")";
}

// The fields of one block; a system field's own "system." gives way to the section's prefix.
void addBlock(std::vector<FieldLine>& lines, FieldBlock block, std::string_view prefix,
              std::span<const std::uint8_t> bytes) {
    for (const Field& f : fieldCatalogue()) {
        if (f.block != block)
            continue;
        std::string_view name = f.path;
        if (block == FieldBlock::System && name.starts_with(kSystemPrefix))
            name.remove_prefix(kSystemPrefix.size());
        lines.push_back({std::string(prefix) + std::string(name), valueText(f, bytes)});
    }
}

std::string numbered(std::string_view name, std::size_t n) {
    return std::string(name) + "[" + std::to_string(n) + "].";
}

bool isBankPath(const std::string& path, std::size_t length) {
    if (containsExtension(path, kBankExtension))
        return true;
    if (containsExtension(path, kSingleModeExtension))
        return false;
    return length >= kBankFileSizeOld;
}

const char* statusText(PresetStatus s) {
    return s == PresetStatus::OpenFailed ? "File read Error" : "MusicFile read Error";
}

// A file error reported; false when there was none.
bool fileFailed(const Invocation& inv, const std::string& path, PresetStatus s) {
    if (s == PresetStatus::Done)
        return false;
    report(inv, path + ": " + statusText(s));
    return true;
}

} // namespace

PresetStatus dumpPresetFile(const std::string& path, PresetDump& out) {
    const FileBytes file = readWholeFile(path);
    if (file.status != PresetStatus::Done)
        return file.status;
    out.lines.clear();
    if (!isBankPath(path, file.bytes.size())) {
        auto mode = std::make_unique<SingleModeFile>();
        if (!parseSingleMode(file.bytes, *mode))
            return PresetStatus::ReadFailed;
        out.kind = PresetKind::SingleMode;
        addBlock(out.lines, FieldBlock::System, kSystemPrefix, mode->system);
        addBlock(out.lines, FieldBlock::Image, "", mode->image);
        return PresetStatus::Done;
    }
    auto bank = std::make_unique<BankFile>();
    if (!parseBank(file.bytes, *bank))
        return PresetStatus::ReadFailed;
    out.kind = PresetKind::Bank;
    addBlock(out.lines, FieldBlock::System, "header.", bank->header);
    for (std::size_t n = 0; n < bank->modes.size(); ++n)
        addBlock(out.lines, FieldBlock::Image, numbered("mode", n + 1), bank->modes[n]);
    out.lines.push_back({"bankLoadedFlag", std::to_string(bank->loadedFlag)});
    if (bank->hasSystemBlocks)
        for (std::size_t n = 0; n < bank->systems.size(); ++n)
            addBlock(out.lines, FieldBlock::System, numbered("modeSystem", n + 1),
                     bank->systems[n]);
    return PresetStatus::Done;
}

int runDump(Invocation& inv) {
    if (inv.operands.size() != 1)
        return usageError(inv, "expects one FILE");
    PresetDump dump;
    if (fileFailed(inv, inv.operands[0], dumpPresetFile(inv.operands[0], dump)))
        return kExitFileError;
    for (const FieldLine& line : dump.lines)
        inv.out << line.path << " = " << line.value << "\n";
    return kExitDone;
}

int runDiff(Invocation& inv) {
    if (inv.operands.size() != 2)
        return usageError(inv, "expects FILE_A FILE_B");
    PresetDump a;
    PresetDump b;
    if (fileFailed(inv, inv.operands[0], dumpPresetFile(inv.operands[0], a)) ||
        fileFailed(inv, inv.operands[1], dumpPresetFile(inv.operands[1], b)))
        return kExitFileError;
    if (a.kind != b.kind)
        return usageError(inv, "cannot compare a single-mode file with an all-modes file");

    std::unordered_map<std::string_view, const FieldLine*> inB;
    for (const FieldLine& line : b.lines)
        inB.emplace(line.path, &line);
    for (const FieldLine& line : a.lines) {
        const auto it = inB.find(line.path);
        if (it == inB.end())
            inv.out << line.path << " = " << line.value << " -> absent\n";
        else if (it->second->value != line.value)
            inv.out << line.path << " = " << line.value << " -> " << it->second->value << "\n";
    }
    std::unordered_set<std::string_view> inA;
    for (const FieldLine& line : a.lines)
        inA.insert(line.path);
    for (const FieldLine& line : b.lines)
        if (!inA.contains(line.path))
            inv.out << line.path << " = absent -> " << line.value << "\n";
    return kExitDone;
}

} // namespace kesmo::cli
