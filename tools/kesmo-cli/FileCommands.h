#pragma once

#include "model/Presets.h"
#include "tools/kesmo-cli/Cli.h"

#include <string>
#include <vector>

// The commands that work on preset files alone.
namespace kesmo::cli {

enum class PresetKind { SingleMode, Bank };

struct FieldLine {
    std::string path;
    std::string value; // "18 (27.8 Hz)", "\"Party\""
};

struct PresetDump {
    PresetKind kind = PresetKind::SingleMode;
    std::vector<FieldLine> lines; // in file order
};

// Every named field of a .dia or .dat file. A path containing ".dat" is an all-modes file,
// one containing ".dia" a single-mode file; otherwise the length decides.
PresetStatus dumpPresetFile(const std::string& path, PresetDump& out);

int runDump(Invocation& inv);
int runDiff(Invocation& inv);

} // namespace kesmo::cli
