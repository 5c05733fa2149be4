#include "model/Presets.h"
#include "model/WorkingModel.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <numeric>

using namespace kesmo;
using namespace kesmo::layout;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> everything(const ParamStore& s) {
    std::vector<std::uint8_t> out;
    auto add = [&](const auto& img) {
        const auto b = img.snapshot();
        out.insert(out.end(), b.begin(), b.end());
    };
    add(s.working);
    add(s.mirror);
    add(s.workingSystem);
    add(s.mirrorSystem);
    for (const auto& m : s.storedModes)
        add(m);
    for (const auto& m : s.storedSystems)
        add(m);
    add(s.fileHeaderSystem);
    return out;
}

template <std::size_t N> void pattern(ByteImage<N>& img, unsigned seed) {
    for (std::size_t i = 0; i < N; ++i)
        img.setByte(i, static_cast<std::uint8_t>((i * 31 + seed) & 0xFF));
}

void linksOff(ModeImage& img) {
    for (std::size_t at : {image::kMicLink, image::kMusicLink, image::kMainLink, image::kRearLink,
                           image::kSurroundLink})
        img.setByte(at, 0);
}

std::vector<std::uint8_t> fileBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& p, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

struct PresetTest : ::testing::Test {
    std::unique_ptr<ParamStore> store = std::make_unique<ParamStore>();
    fs::path dir;
    void SetUp() override {
        dir =
            fs::temp_directory_path() /
            ("kesmo-presets-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string path(const char* name) const { return (dir / name).string(); }
};

TEST(PresetPaths, ExtensionIsAppendedOnlyWhenThePathDoesNotContainIt) {
    struct Case {
        const char* chosen;
        const char* ext;
        const char* expected;
    };
    const Case cases[] = {
        {"room", ".dia", "room.dia"},
        {"room.dia", ".dia", "room.dia"},
        {"room.dia.old", ".dia", "room.dia.old"},
        {"bank", ".dat", "bank.dat"},
        {"bank.dia", ".dat", "bank.dia.dat"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(withExtension(c.chosen, c.ext), c.expected) << c.chosen;
}

TEST_F(PresetTest, SingleModeRoundTripsByteForByteWithFileSum) {
    pattern(store->working, 5);
    linksOff(store->working);
    pattern(store->workingSystem, 9);
    const auto image = store->working.snapshot();
    const auto system = store->workingSystem.snapshot();

    ASSERT_EQ(exportMode(*store, path("room")), PresetStatus::Done);
    const auto bytes = fileBytes(dir / "room.dia");
    ASSERT_EQ(bytes.size(), 2778u);
    EXPECT_TRUE(std::equal(system.begin(), system.end(), bytes.begin()));
    EXPECT_TRUE(std::equal(image.begin(), image.end(), bytes.begin() + 66));

    auto other = std::make_unique<ParamStore>();
    other->mirrorSystem.setByte(system::kCurrentMode, 7);
    ASSERT_EQ(importMode(*other, path("room.dia"), true), PresetStatus::Done);
    const auto loaded = other->working.snapshot();
    const unsigned sum = std::accumulate(image.begin(), image.end(), 0u);
    for (std::size_t i = 0; i < kModeImageSize - 1; ++i)
        ASSERT_EQ(loaded[i], image[i]) << "image byte " << i;
    EXPECT_EQ(loaded[image::kFileSum], sum & 0xFF);
    EXPECT_TRUE(other->mirror.sameAs(other->working));
    // The device's current mode is kept; the rest of the block comes from the file.
    EXPECT_EQ(other->workingSystem.byte(system::kCurrentMode), 7);
    for (std::size_t i = 1; i < kSystemBlockSize; ++i)
        EXPECT_EQ(other->workingSystem.byte(i), system[i]) << "system byte " << i;
    EXPECT_TRUE(other->mirrorSystem.sameAs(other->workingSystem));

    // Exporting again and importing sums the image including the previous sum byte.
    ASSERT_EQ(exportMode(*other, path("again.dia")), PresetStatus::Done);
    ASSERT_EQ(importMode(*other, path("again.dia"), true), PresetStatus::Done);
    const unsigned resum = (sum - image[image::kFileSum] + (sum & 0xFF)) & 0xFF;
    EXPECT_EQ(other->working.byte(image::kFileSum), resum);
}

TEST_F(PresetTest, SingleModeWithoutPerModeBlocksKeepsTheWorkingSystemBlock) {
    pattern(store->working, 1);
    linksOff(store->working);
    pattern(store->workingSystem, 2);
    ASSERT_EQ(exportMode(*store, path("a.dia")), PresetStatus::Done);
    auto other = std::make_unique<ParamStore>();
    pattern(other->workingSystem, 77);
    const auto before = other->workingSystem.snapshot();
    ASSERT_EQ(importMode(*other, path("a.dia"), false), PresetStatus::Done);
    EXPECT_EQ(other->workingSystem.snapshot(), before);
    EXPECT_EQ(other->mirrorSystem.snapshot(), before);
}

TEST_F(PresetTest, ExportAppliesTheLinksThatAreOn) {
    linksOff(store->working);
    store->working.setByte(image::kMusicLink, 1);
    store->working.setByte(image::kMusicLeft + 20, 99);
    ASSERT_EQ(exportMode(*store, path("l.dia")), PresetStatus::Done);
    EXPECT_EQ(fileBytes(dir / "l.dia")[66 + image::kMusicRight + 20], 99);
}

TEST_F(PresetTest, BadFilesChangeNothing) {
    pattern(store->working, 3);
    pattern(store->mirror, 4);
    pattern(store->workingSystem, 5);
    const auto before = everything(*store);
    writeBytes(dir / "empty.dia", {});
    writeBytes(dir / "short.dia", std::vector<std::uint8_t>(2777, 1));
    writeBytes(dir / "huge.dia", std::vector<std::uint8_t>((1 << 20) + 1, 1));
    writeBytes(dir / "short.dat", std::vector<std::uint8_t>(57018, 1));
    writeBytes(dir / "torn.dat", std::vector<std::uint8_t>(58404, 1));
    fs::create_directories(dir / "folder.dia");
    struct Case {
        const char* name;
        PresetStatus expected;
    };
    const Case single[] = {{"missing.dia", PresetStatus::OpenFailed},
                           {"folder.dia", PresetStatus::OpenFailed},
                           {"empty.dia", PresetStatus::ReadFailed},
                           {"short.dia", PresetStatus::ReadFailed},
                           {"huge.dia", PresetStatus::ReadFailed}};
    for (const Case& c : single) {
        EXPECT_EQ(importMode(*store, path(c.name), true), c.expected) << c.name;
        EXPECT_EQ(everything(*store), before) << c.name;
    }
    const Case banks[] = {{"missing.dat", PresetStatus::OpenFailed},
                          {"short.dat", PresetStatus::ReadFailed},
                          {"torn.dat", PresetStatus::ReadFailed}};
    for (const Case& c : banks) {
        EXPECT_EQ(importAll(*store, path(c.name), true).status, c.expected) << c.name;
        EXPECT_EQ(everything(*store), before) << c.name;
    }
    const ImportAllResult wrongName = importAll(*store, path("short.dia"), true);
    EXPECT_TRUE(wrongName.ignored);
    EXPECT_EQ(everything(*store), before);
}

TEST_F(PresetTest, BankRoundTripsInTheNewerLayout) {
    for (int n = 1; n <= kStoredModes; ++n) {
        pattern(store->storedMode(n), static_cast<unsigned>(n));
        linksOff(store->storedMode(n));
        pattern(store->storedSystem(n), static_cast<unsigned>(100 + n));
    }
    store->storedSystem(1).setByte(system::kCurrentMode, 5);
    pattern(store->fileHeaderSystem, 250);
    ASSERT_EQ(exportAll(*store, path("bank"), false), PresetStatus::Done);
    const auto bytes = fileBytes(dir / "bank.dat");
    ASSERT_EQ(bytes.size(), 58405u);

    auto other = std::make_unique<ParamStore>();
    const ImportAllResult r = importAll(*other, path("bank.dat"), true);
    ASSERT_EQ(r.status, PresetStatus::Done);
    EXPECT_EQ(r.bankHasSystemBlocks, 1);
    // Byte for byte, but for the bank flag, which the owner sets after an import.
    auto again = writeBank(*other, true);
    EXPECT_EQ(bytes[57018], 0);
    EXPECT_EQ(again[57018], 1);
    again[57018] = 0;
    EXPECT_EQ(again, bytes);
    // Mode 1's block names mode 5 as current: the working copies take mode 5.
    EXPECT_TRUE(other->working.sameAs(other->storedMode(5)));
    EXPECT_TRUE(other->workingSystem.sameAs(other->storedSystem(5)));
    EXPECT_TRUE(other->mirror.sameAs(other->working));
    EXPECT_TRUE(other->mirrorSystem.sameAs(other->workingSystem));
}

TEST_F(PresetTest, OlderBankTakesModeOnesBlockFromItsHeader) {
    std::vector<std::uint8_t> bytes(57019);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i % 251);
    for (int n = 0; n < kStoredModes; ++n)
        for (std::size_t at : {image::kMicLink, image::kMusicLink, image::kMainLink,
                               image::kRearLink, image::kSurroundLink})
            bytes[66 + 2712 * static_cast<std::size_t>(n) + at] = 0;
    bytes[system::kCurrentMode] = 0; // names no mode: mode 1 stands in
    writeBytes(dir / "old.dat", bytes);
    pattern(store->storedSystem(2), 42);
    const auto second = store->storedSystem(2).snapshot();

    const ImportAllResult r = importAll(*store, path("old.dat"), false);
    ASSERT_EQ(r.status, PresetStatus::Done);
    EXPECT_EQ(r.bankHasSystemBlocks, 0);
    for (std::size_t i = 0; i < kSystemBlockSize; ++i)
        EXPECT_EQ(store->storedSystem(1).byte(i), bytes[i]);
    EXPECT_EQ(store->storedSystem(2).snapshot(), second);
    EXPECT_TRUE(store->working.sameAs(store->storedMode(1)));
    EXPECT_EQ(store->storedMode(21).byte(100), bytes[66 + 2712 * 20 + 100]);
}

TEST_F(PresetTest, AFailedWriteLeavesThePreviousFileIntact) {
    pattern(store->working, 8);
    linksOff(store->working);
    ASSERT_EQ(exportMode(*store, path("keep.dia")), PresetStatus::Done);
    const auto original = fileBytes(dir / "keep.dia");
    fs::create_directories(dir / "keep.dia.part"); // the temporary cannot be created
    pattern(store->working, 9);
    linksOff(store->working);
    EXPECT_EQ(exportMode(*store, path("keep.dia")), PresetStatus::WriteFailed);
    EXPECT_EQ(fileBytes(dir / "keep.dia"), original);
    EXPECT_EQ(exportMode(*store, path("nodir/x.dia")), PresetStatus::WriteFailed);
}

TEST_F(PresetTest, AFailedSaveMakesNoLinkCopies) {
    store->working.setByte(image::kMusicLink, 1);
    store->working.setByte(image::kMusicLeft + 20, 99);
    store->storedMode(3).setByte(image::kMusicLink, 1);
    store->storedMode(3).setByte(image::kMusicLeft + 20, 98);
    const auto before = everything(*store);
    EXPECT_EQ(exportMode(*store, path("nodir/x.dia")), PresetStatus::WriteFailed);
    EXPECT_EQ(exportAll(*store, path("nodir/x.dat"), true), PresetStatus::WriteFailed);
    EXPECT_EQ(everything(*store), before);
}

TEST_F(PresetTest, APresetThatIsASymbolicLinkIsWrittenThroughIt) {
    fs::create_directories(dir / "real");
    writeBytes(dir / "real" / "room.dia", {1, 2, 3});
    fs::create_symlink(fs::path("real") / "room.dia", dir / "room.dia");
    pattern(store->working, 6);
    linksOff(store->working);
    ASSERT_EQ(exportMode(*store, path("room.dia")), PresetStatus::Done);
    EXPECT_TRUE(fs::is_symlink(dir / "room.dia"));
    const auto written = fileBytes(dir / "real" / "room.dia");
    ASSERT_EQ(written.size(), kSingleModeFileSize);
    const auto image = store->working.snapshot();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), written.begin() + kSystemBlockSize));
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        EXPECT_NE(entry.path().extension(), ".part") << entry.path();
}

// The 8-bit sum of every byte of an image.
std::uint8_t sumOf(const ModeImage& img) {
    const auto bytes = img.snapshot();
    return static_cast<std::uint8_t>(std::accumulate(bytes.begin(), bytes.end(), 0u) & 0xFF);
}

TEST_F(PresetTest, ImportsApplyTheLinksThatAreOnBeforeTheFileSum) {
    constexpr std::size_t kLeftGain = image::kMusicLeft + 20, kRightGain = image::kMusicRight + 20;
    pattern(store->working, 21);
    linksOff(store->working);
    store->working.setByte(image::kMusicLink, 1);
    store->working.setByte(kLeftGain, 99);
    store->working.setByte(kRightGain, 3);
    std::vector<std::uint8_t> single(kSystemBlockSize);
    const auto image = store->working.snapshot();
    single.insert(single.end(), image.begin(), image.end());
    writeBytes(dir / "linked.dia", single);

    auto other = std::make_unique<ParamStore>();
    ASSERT_EQ(importMode(*other, path("linked.dia"), true), PresetStatus::Done);
    EXPECT_EQ(other->working.byte(kRightGain), 99);
    EXPECT_EQ(other->mirror.byte(kRightGain), 99);
    ModeImage withoutSum;
    withoutSum.assign(other->working);
    withoutSum.setByte(image::kFileSum, image[image::kFileSum]);
    EXPECT_EQ(other->working.byte(image::kFileSum), sumOf(withoutSum))
        << "the sum covers the image with the copy made";

    std::vector<std::uint8_t> bank(kBankFileSizeOld);
    for (std::size_t n = 0; n < kStoredModes; ++n)
        std::copy(image.begin(), image.end(),
                  bank.begin() +
                      static_cast<std::ptrdiff_t>(kSystemBlockSize + kModeImageSize * n));
    bank[system::kCurrentMode] = 4;
    writeBytes(dir / "linked.dat", bank);
    auto third = std::make_unique<ParamStore>();
    ASSERT_EQ(importAll(*third, path("linked.dat"), false).status, PresetStatus::Done);
    for (int n = 1; n <= kStoredModes; ++n)
        EXPECT_EQ(third->storedMode(n).byte(kRightGain), 99) << n;
    EXPECT_EQ(third->working.byte(kRightGain), 99) << "mode 4 taken over with its copy";
    EXPECT_EQ(third->mirror.byte(kRightGain), 99);
}

TEST_F(PresetTest, OfflineRecallTakesTheStoredModeAndItsNumber) {
    pattern(store->storedMode(4), 12);
    pattern(store->workingSystem, 13);
    recallOffline(*store, 4);
    EXPECT_TRUE(store->working.sameAs(store->storedMode(4)));
    EXPECT_TRUE(store->mirror.sameAs(store->working));
    EXPECT_EQ(store->workingSystem.byte(system::kCurrentMode), 4);
    EXPECT_EQ(store->workingSystem.byte(1), (1 * 31 + 13) & 0xFF);
    const auto before = everything(*store);
    recallOffline(*store, 22);
    recallOffline(*store, 0);
    EXPECT_EQ(everything(*store), before);
}

} // namespace
