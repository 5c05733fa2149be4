#include "model/PresetFolders.h"

#include <system_error>

namespace kesmo {

PresetFolders ensurePresetFolders(const std::filesystem::path& workingDirectory) {
    const std::filesystem::path musicFile = workingDirectory / "MusicFile";
    std::error_code ignored;
    std::filesystem::create_directory(musicFile, ignored);
    std::filesystem::create_directory(workingDirectory / "Mode", ignored);
    return {musicFile / "*.dia", musicFile / "*.dat"};
}

} // namespace kesmo
