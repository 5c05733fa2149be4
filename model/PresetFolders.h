#pragma once

#include <filesystem>

namespace kesmo {

// Where the preset file dialogs start.
struct PresetFolders {
    std::filesystem::path singleModeStart; // <working directory>/MusicFile/*.dia
    std::filesystem::path bankStart;       // <working directory>/MusicFile/*.dat
};

// Creates "MusicFile" and "Mode" in the working directory when missing. A folder that cannot be
// created is left to the file dialogs and the write errors of the exports.
PresetFolders ensurePresetFolders(const std::filesystem::path& workingDirectory);

} // namespace kesmo
