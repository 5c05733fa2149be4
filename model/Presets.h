#pragma once

#include "model/ModeImage.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Preset files: plain byte dumps of the layouts, told apart by their length.
namespace kesmo {

inline constexpr std::size_t kSingleModeFileSize =
    layout::kSystemBlockSize + layout::kModeImageSize;
inline constexpr std::size_t kBankModesSize = layout::kModeImageSize * layout::kStoredModes;
// Header block, 21 modes, the bank-loaded flag.
inline constexpr std::size_t kBankFileSizeOld = layout::kSystemBlockSize + kBankModesSize + 1;
inline constexpr std::size_t kBankFileSizeNew =
    kBankFileSizeOld + layout::kSystemBlockSize * layout::kStoredModes;
// Files are read whole; nothing this program writes comes near this.
inline constexpr std::uintmax_t kMaxPresetFileSize = 1 << 20;

inline constexpr const char* kSingleModeExtension = ".dia";
inline constexpr const char* kBankExtension = ".dat";

enum class PresetStatus {
    Done,
    OpenFailed,  // "File read Error"
    ReadFailed,  // "MusicFile read Error"
    WriteFailed, // "MusicFile Write Error"
};

// The path as chosen, with the extension appended when the path does not contain it anywhere.
std::string withExtension(const std::string& path, const std::string& extension);
bool containsExtension(const std::string& path, const std::string& extension);

// A file read whole. The status says why it could not be had.
struct FileBytes {
    PresetStatus status = PresetStatus::OpenFailed;
    std::vector<std::uint8_t> bytes;
};
FileBytes readWholeFile(const std::filesystem::path& path);
// Creates a file beside the target first; only once it exists does `compose` run (it may
// change the model), and its bytes are written, synced and renamed over the target, so a
// failed write leaves the old file intact and a crash leaves the old or the new one. A target
// that is a symbolic link is written through the link.
PresetStatus writeFileReplacing(const std::filesystem::path& path,
                                const std::function<std::vector<std::uint8_t>()>& compose);
inline PresetStatus writeFileReplacing(const std::filesystem::path& path,
                                       const std::vector<std::uint8_t>& bytes) {
    return writeFileReplacing(path, [&] { return bytes; });
}

// Byte-level formats. `bankValid` is the bank flag kept with the file.
std::vector<std::uint8_t> writeSingleMode(const ParamStore& store);
std::vector<std::uint8_t> writeBank(const ParamStore& store, bool bankValid);

// A single-mode file checked whole before anything changes.
struct SingleModeFile {
    std::array<std::uint8_t, layout::kSystemBlockSize> system{};
    std::array<std::uint8_t, layout::kModeImageSize> image{};
};
// false when the bytes are too short for the format (the model is untouched).
bool parseSingleMode(const std::vector<std::uint8_t>& bytes, SingleModeFile& out);
// Applies a parsed file: system block per the device's capability, image, links, fileSum,
// take-over. Callers hold ModelLock.
void readSingleMode(ParamStore& store, const SingleModeFile& file, bool perModeSystemBlocks);

struct BankFile {
    std::array<std::uint8_t, layout::kSystemBlockSize> header{};
    std::array<std::array<std::uint8_t, layout::kModeImageSize>, layout::kStoredModes> modes{};
    std::uint8_t loadedFlag = 0;
    bool hasSystemBlocks = false;
    std::array<std::array<std::uint8_t, layout::kSystemBlockSize>, layout::kStoredModes> systems{};
};
bool parseBank(const std::vector<std::uint8_t>& bytes, BankFile& out);
// Puts a parsed bank into the store (links applied) and returns the layout it had: 1 with
// per-mode system blocks, 0 without. The bank then holds data: the caller sets bankValid.
int readBank(ParamStore& store, const BankFile& file);

// The four flows without their dialogs; the path is the one the user chose.
PresetStatus exportMode(ParamStore& store, const std::string& chosenPath);
// Reads and applies; on any failure the model is as it was.
PresetStatus importMode(ParamStore& store, const std::string& chosenPath, bool perModeSystemBlocks);
PresetStatus exportAll(ParamStore& store, const std::string& chosenPath, bool bankValid);
// Returns Done with bankHasSystemBlocks set from the file; a path without ".dat" is ignored
// silently (Done, `ignored` set).
struct ImportAllResult {
    PresetStatus status = PresetStatus::Done;
    bool ignored = false;
    int bankHasSystemBlocks = 1;
};
ImportAllResult importAll(ParamStore& store, const std::string& chosenPath,
                          bool perModeSystemBlocks);
// After a bank was loaded: the working copies take the current stored mode. Callers hold
// ModelLock.
void takeOverBankCurrentMode(ParamStore& store, bool bankHasSystemBlocks, bool perModeSystemBlocks);

// Recall of stored mode n (1..21) with a bank loaded and no device.
void recallOffline(ParamStore& store, int n);

// The 8-bit sum of the whole working image.
std::uint8_t imageSum(const ModeImage& image);

} // namespace kesmo
