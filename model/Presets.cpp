#include "model/Presets.h"

#include "model/WorkingModel.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace kesmo {

namespace fs = std::filesystem;
using namespace layout;

bool containsExtension(const std::string& path, const std::string& extension) {
    return path.find(extension) != std::string::npos;
}

std::string withExtension(const std::string& path, const std::string& extension) {
    return containsExtension(path, extension) ? path : path + extension;
}

FileBytes readWholeFile(const fs::path& path) {
    FileBytes out;
    std::ifstream in(path, std::ios::binary);
    std::error_code ec;
    if (!in || fs::is_directory(path, ec))
        return out;
    out.status = PresetStatus::ReadFailed;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > kMaxPresetFileSize)
        return out;
    out.bytes.resize(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(out.bytes.data()),
                 static_cast<std::streamsize>(out.bytes.size()))) {
        out.bytes.clear();
        return out;
    }
    out.status = PresetStatus::Done;
    return out;
}

namespace {

// Writes every byte, going on after a signal or a short write.
bool writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool syncFolder(const fs::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Some file systems cannot sync a folder at all; only a failing disk counts.
    const bool ok = ::fsync(fd) == 0 || errno != EIO;
    ::close(fd);
    return ok;
}

// The file a write lands in: the end of a chain of symbolic links, else the path itself.
fs::path writeTarget(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(path, ec)))
        return path;
    const fs::path resolved = fs::weakly_canonical(path, ec);
    return ec ? path : resolved;
}

} // namespace

PresetStatus writeFileReplacing(const fs::path& path,
                                const std::function<std::vector<std::uint8_t>()>& compose) {
    const fs::path target = writeTarget(path);
    fs::path temp = target;
    temp += ".part";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return PresetStatus::WriteFailed;
    const std::vector<std::uint8_t> bytes = compose();
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    std::error_code ec;
    if (!written || !closed) {
        fs::remove(temp, ec);
        return PresetStatus::WriteFailed;
    }
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        return PresetStatus::WriteFailed;
    }
    // The rename itself lasts only once the folder is synced.
    if (!syncFolder(target.parent_path()))
        return PresetStatus::WriteFailed;
    return PresetStatus::Done;
}

namespace {

template <std::size_t N> void append(std::vector<std::uint8_t>& out, const ByteImage<N>& image) {
    const auto bytes = image.snapshot();
    out.insert(out.end(), bytes.begin(), bytes.end());
}

template <std::size_t N>
void take(const std::vector<std::uint8_t>& in, std::size_t offset,
          std::array<std::uint8_t, N>& to) {
    std::copy_n(in.begin() + static_cast<std::ptrdiff_t>(offset), N, to.begin());
}

} // namespace

std::vector<std::uint8_t> writeSingleMode(const ParamStore& store) {
    std::vector<std::uint8_t> out;
    out.reserve(kSingleModeFileSize);
    append(out, store.workingSystem);
    append(out, store.working);
    return out;
}

std::vector<std::uint8_t> writeBank(const ParamStore& store, bool bankValid) {
    std::vector<std::uint8_t> out;
    out.reserve(kBankFileSizeNew);
    append(out, store.fileHeaderSystem);
    for (const ModeImage& mode : store.storedModes)
        append(out, mode);
    out.push_back(static_cast<std::uint8_t>(bankValid ? 1 : 0));
    for (const SystemBlock& sb : store.storedSystems)
        append(out, sb);
    return out;
}

bool parseSingleMode(const std::vector<std::uint8_t>& bytes, SingleModeFile& out) {
    if (bytes.size() < kSingleModeFileSize)
        return false;
    take(bytes, 0, out.system);
    take(bytes, kSystemBlockSize, out.image);
    return true;
}

std::uint8_t imageSum(const ModeImage& image) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < kModeImageSize; ++i)
        sum += image.byte(i);
    return static_cast<std::uint8_t>(sum & 0xFF);
}

void readSingleMode(ParamStore& store, const SingleModeFile& file, bool perModeSystemBlocks) {
    const std::uint8_t currentMode = store.mirrorSystem.byte(system::kCurrentMode);
    store.mirrorSystem.load(file.system);
    store.mirrorSystem.setByte(system::kCurrentMode, currentMode);
    if (perModeSystemBlocks)
        store.workingSystem.assign(store.mirrorSystem);
    else
        store.mirrorSystem.assign(store.workingSystem);
    store.working.load(file.image);
    applyWorkingLinks(store);
    store.working.setByte(image::kFileSum, imageSum(store.working));
    takeOverImage(store, false);
}

bool parseBank(const std::vector<std::uint8_t>& bytes, BankFile& out) {
    if (bytes.size() < kBankFileSizeOld)
        return false;
    take(bytes, 0, out.header);
    for (std::size_t n = 0; n < out.modes.size(); ++n)
        take(bytes, kSystemBlockSize + kModeImageSize * n, out.modes[n]);
    out.loadedFlag = bytes[kBankFileSizeOld - 1];
    // A file long enough to be the newer layout must hold all of it.
    out.hasSystemBlocks = bytes.size() > kBankFileSizeOld;
    if (out.hasSystemBlocks) {
        if (bytes.size() < kBankFileSizeNew)
            return false;
        for (std::size_t n = 0; n < out.systems.size(); ++n)
            take(bytes, kBankFileSizeOld + kSystemBlockSize * n, out.systems[n]);
    }
    return true;
}

int readBank(ParamStore& store, const BankFile& file) {
    store.fileHeaderSystem.load(file.header);
    for (std::size_t n = 0; n < file.modes.size(); ++n)
        store.storedModes[n].load(file.modes[n]);
    if (file.hasSystemBlocks) {
        for (std::size_t n = 0; n < file.systems.size(); ++n)
            store.storedSystems[n].load(file.systems[n]);
    } else {
        store.storedSystem(1).assign(store.fileHeaderSystem);
    }
    applyStoredModeLinks(store);
    return file.hasSystemBlocks ? 1 : 0;
}

void takeOverBankCurrentMode(ParamStore& store, bool bankHasSystemBlocks,
                             bool perModeSystemBlocks) {
    int m = store.storedSystem(1).byte(system::kCurrentMode);
    // A file may name no stored mode; mode 1 stands in rather than reading past the bank.
    if (m < 1 || m > kStoredModes)
        m = 1;
    const SystemBlock& chosen = bankHasSystemBlocks ? store.storedSystem(m) : store.storedSystem(1);
    store.workingSystem.assign(chosen);
    if (!perModeSystemBlocks && bankHasSystemBlocks)
        store.storedSystem(1).assign(store.workingSystem);
    store.mirrorSystem.assign(store.workingSystem);
    store.working.assign(store.storedMode(m));
    takeOverImage(store, false);
}

// The link copies happen only once the file exists, so a failed save changes nothing.
PresetStatus exportMode(ParamStore& store, const std::string& chosenPath) {
    return writeFileReplacing(withExtension(chosenPath, kSingleModeExtension), [&] {
        applyWorkingLinks(store);
        return writeSingleMode(store);
    });
}

PresetStatus importMode(ParamStore& store, const std::string& chosenPath,
                        bool perModeSystemBlocks) {
    const FileBytes file = readWholeFile(chosenPath);
    if (file.status != PresetStatus::Done)
        return file.status;
    auto parsed = std::make_unique<SingleModeFile>();
    if (!parseSingleMode(file.bytes, *parsed))
        return PresetStatus::ReadFailed;
    readSingleMode(store, *parsed, perModeSystemBlocks);
    return PresetStatus::Done;
}

PresetStatus exportAll(ParamStore& store, const std::string& chosenPath, bool bankValid) {
    return writeFileReplacing(withExtension(chosenPath, kBankExtension), [&] {
        applyStoredModeLinks(store);
        return writeBank(store, bankValid);
    });
}

ImportAllResult importAll(ParamStore& store, const std::string& chosenPath,
                          bool perModeSystemBlocks) {
    ImportAllResult result;
    if (!containsExtension(chosenPath, kBankExtension)) {
        result.ignored = true;
        return result;
    }
    const FileBytes file = readWholeFile(chosenPath);
    if (file.status != PresetStatus::Done) {
        result.status = file.status;
        return result;
    }
    auto parsed = std::make_unique<BankFile>();
    if (!parseBank(file.bytes, *parsed)) {
        result.status = PresetStatus::ReadFailed;
        return result;
    }
    result.bankHasSystemBlocks = readBank(store, *parsed);
    takeOverBankCurrentMode(store, result.bankHasSystemBlocks != 0, perModeSystemBlocks);
    return result;
}

void recallOffline(ParamStore& store, int n) {
    if (n < 1 || n > kStoredModes)
        return;
    store.working.assign(store.storedMode(n));
    store.workingSystem.setByte(system::kCurrentMode, static_cast<std::uint8_t>(n));
    takeOverImage(store, false);
}

} // namespace kesmo
