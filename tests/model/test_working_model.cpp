#include "model/DataConver.h"
#include "model/WorkingModel.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace kesmo;
using namespace kesmo::layout;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes hex(const std::string& text) {
    Bytes out;
    std::istringstream in(text);
    std::string token;
    while (in >> token)
        out.push_back(static_cast<std::uint8_t>(std::stoul(token, nullptr, 16)));
    return out;
}

template <std::size_t N>
Bytes bytesOf(const ByteImage<N>& image, std::size_t offset, std::size_t n) {
    Bytes out(n);
    image.read(offset, out);
    return out;
}

// Fills an image with a pattern that differs from byte to byte and from seed to seed.
template <std::size_t N> void fillPattern(ByteImage<N>& image, unsigned seed) {
    for (std::size_t i = 0; i < N; ++i)
        image.setByte(i, static_cast<std::uint8_t>((i * 7 + seed * 31 + i / 251) & 0xFF));
}

class RecordingBinder final : public BandSetBinder {
public:
    void rebindAll() override {
        calls.push_back("all");
        if (onRebindAll)
            onRebindAll();
    }
    void rebindChannel(int eqChannel) override {
        calls.push_back("channel " + std::to_string(eqChannel));
    }
    void rebindOutputChannel(int scene, int index) override {
        calls.push_back("output " + std::to_string(scene) + "/" + std::to_string(index));
    }
    std::vector<std::string> calls;
    std::function<void()> onRebindAll;
};

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kesmo-wm-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

struct WorkingModelTest : ::testing::Test {
    void SetUp() override { setBandSetBinder(*store, &binder); }
    void TearDown() override { setBandSetBinder(*store, nullptr); }
    void initialise() {
        initialiseModel(*store, dir.path());
        binder.calls.clear();
    }

    TempDir dir;
    std::unique_ptr<ParamStore> store = std::make_unique<ParamStore>();
    RecordingBinder binder;
};

// Offsets of every band record in the image: the wire bands of all three scenes, the spare
// reverb and the dynamic EQ.
std::vector<std::size_t> everyBandRecord() {
    std::vector<std::size_t> out;
    for (int scene = 1; scene <= kScenes; ++scene)
        for (int i = scene == 1 ? 0 : 111; i < kWireBandCount; ++i)
            out.push_back(bandRecord(i, scene));
    for (std::size_t i = 0; i < reverb::kEqBands; ++i)
        out.push_back(image::kSpareReverb + reverb::kEq + eqband::kSize * i);
    for (std::size_t block : {image::kMusicLeft, image::kMusicRight})
        for (std::size_t i = 0; i < music::kDynEqBands; ++i)
            out.push_back(block + music::kDynEq + dyneq::kSize * i);
    return out;
}

TEST_F(WorkingModelTest, StartUpMakesEveryOutputChannelAlikeAndEveryBandBypassed) {
    store->working.fill(0xA5);
    initialise();
    ModeImage& w = store->working;
    const Bytes mainL = bytesOf(w, outputChannelOffset(1, kMainL), output::kSize);
    for (int scene = 1; scene <= kScenes; ++scene)
        for (int k = 0; k < kOutputChannels; ++k)
            EXPECT_EQ(bytesOf(w, outputChannelOffset(scene, k), output::kSize), mainL)
                << "scene " << scene << " channel " << k;
    for (std::size_t offset : everyBandRecord())
        EXPECT_EQ(w.byte(offset + eqband::kType), 0) << "band at " << offset;

    struct Copy {
        const char* what;
        std::size_t left, right, size;
    };
    const Copy copies[] = {
        {"music", 553, 717, 164},
        {"mic", 238, 395, 157},
        {"echo", 20, 77, 57},
        {"reverb", 134, 186, 52},
    };
    for (const Copy& c : copies)
        EXPECT_EQ(bytesOf(w, c.left, c.size), bytesOf(w, c.right, c.size)) << c.what;
}

TEST_F(WorkingModelTest, StartUpWritesTheDefaultBytes) {
    store->working.fill(0xFF);
    store->fallbackScene = 3;
    initialise();
    struct Case {
        const char* what;
        std::size_t offset;
        const char* bytes;
    };
    const Case cases[] = {
        {"mode name", 0, "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
        {"music left eq 0 (20.5 Hz)", 568, "02 00 78 0A 00"},
        {"music left eq 14 (12 kHz)", 638, "4D 01 78 0A 00"},
        {"music left extra band 4 (1 kHz)", 664, "CC 00 78 0A 00"},
        {"music left dynamics, hpf, lpf", 553, "00 00 00 00 00 00 00 00 00 00 00 01 69 01 00"},
        {"music left bypasses", 643, "00"},
        {"music left main music hpf", 670, "00 00 00 01"},
        {"music left dyn eq 0 (28.9 Hz)", 674, "14 00 78 0A 00 00 00 00 00 01"},
        {"music left dyn eq 2 (4230 Hz)", 694, "17 01 78 0A 00 00 00 00 00 01"},
        {"music right dyn eq 1 (236 Hz)", 848, "81 00 78 0A 00 00 00 00 00 01"},
        {"music left exciters", 704, "69 01 00 00 00 00 00 00"},
        {"music right lpf", 728, "01 69 01 00"},
        {"mic 1 head, hpf, lpf", 238, "00 00 00 00 00 00 00 00 00 00 00 00 00 01 69 01 00"},
        {"mic 1 eq 19 (20.2 kHz)", 350, "68 01 78 0A 00"},
        {"mic 2 bypass, extra band 0", 512, "00 CC 00 78 0A 00"},
        {"mic 1 exciters", 382, "69 01 00 00 00 00 00 00"},
        {"echo a eq 6 (6350 Hz)", 50, "2C 01 78 0A 00"},
        {"echo b tail", 112, "00 00 00 00 00 00 00 00 00 01 69 01 00 00 00 00 00 00 00 00 00 00"},
        {"spare reverb tail", 221, "00 00 00 00 00 00 00 00 00 01 69 01 00 00 00 00 00"},
        {"scene 3 surround R eq 9 (3700 Hz)", 2686, "10 01 78 0A 00"},
        {"scene 2 sub limiter, hpf, lpf, delay", 1490 + 3 * 76 + 61,
         "00 00 00 00 00 00 00 00 00 01 69 01 00 00 00"},
        {"scene 1 main L levels", 882, "00 00 00 00 00 00 00 00 00 00 00"},
        {"links, scene", 2706, "01 00 00 00 00"},
        {"mic and music links", 552, "00"},
    };
    for (const Case& c : cases) {
        const Bytes expected = hex(c.bytes);
        EXPECT_EQ(bytesOf(store->working, c.offset, expected.size()), expected) << c.what;
    }
    EXPECT_EQ(store->working.byte(image::kMusicLink), 0);
    EXPECT_EQ(editedScene(*store), 1);
    EXPECT_EQ(store->fallbackScene.load(), 1);
}

TEST_F(WorkingModelTest, StartUpSystemBlockKeepsSensitivityAndReservedBytes) {
    store->workingSystem.fill(0xFF);
    initialise();
    EXPECT_EQ(bytesOf(store->workingSystem, 0, system::kReserved),
              hex("00 00 00 00 46 54 54 00 00 EF 00 00 00 00 00 "
                  "30 30 30 30 30 30 30 30 30 30"));
    for (std::size_t i = system::kReserved; i < kSystemBlockSize; ++i)
        EXPECT_EQ(store->workingSystem.byte(i), 0xFF) << i;
}

TEST_F(WorkingModelTest, StartUpTouchesNeitherMirrorsNorBank) {
    initialise();
    const auto zeroImage = std::make_unique<ModeImage>();
    const auto zeroSystem = std::make_unique<SystemBlock>();
    EXPECT_TRUE(store->mirror.sameAs(*zeroImage));
    EXPECT_TRUE(store->mirrorSystem.sameAs(*zeroSystem));
    EXPECT_TRUE(store->storedMode(1).sameAs(*zeroImage));
}

TEST_F(WorkingModelTest, StartUpBindsTheBandSetsOnceAfterTheDefaults) {
    std::uint16_t lpfSeen = 0;
    binder.onRebindAll = [&] {
        lpfSeen = outputChannel(store->working, 3, kSurroundR).lpf().freq();
    };
    initialiseModel(*store, dir.path());
    EXPECT_EQ(binder.calls, std::vector<std::string>{"all"});
    EXPECT_EQ(lpfSeen, 361);

    setBandSetBinder(*store, nullptr);
    initialiseModel(*store, dir.path()); // no binder: nothing to call
    EXPECT_EQ(binder.calls.size(), 1u);
}

TEST_F(WorkingModelTest, StartUpPreparesThePresetFolders) {
    initialise();
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "MusicFile"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "Mode"));
    const PresetFolders folders = presetFolders(*store);
    EXPECT_EQ(folders.singleModeStart, dir.path() / "MusicFile" / "*.dia");
    EXPECT_EQ(folders.bankStart, dir.path() / "MusicFile" / "*.dat");
}

TEST(PresetFolders, ExistingFoldersAndBlockingFilesAreHarmless) {
    TempDir dir;
    std::ofstream(dir.path() / "Mode") << "not a folder";
    std::filesystem::create_directory(dir.path() / "MusicFile");
    std::ofstream(dir.path() / "MusicFile" / "keep.dia") << "x";
    const PresetFolders folders = ensurePresetFolders(dir.path());
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.path() / "Mode"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "MusicFile" / "keep.dia"));
    EXPECT_EQ(folders.bankStart, dir.path() / "MusicFile" / "*.dat");
    const PresetFolders missing = ensurePresetFolders(dir.path() / "no" / "such");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "no"));
    EXPECT_EQ(missing.singleModeStart, dir.path() / "no" / "such" / "MusicFile" / "*.dia");
}

TEST(BandSetBinderRegistry, OneBinderPerStore) {
    auto a = std::make_unique<ParamStore>();
    auto b = std::make_unique<ParamStore>();
    RecordingBinder binder;
    EXPECT_EQ(bandSetBinder(*a), nullptr);
    setBandSetBinder(*a, &binder);
    EXPECT_EQ(bandSetBinder(*a), &binder);
    EXPECT_EQ(bandSetBinder(*b), nullptr);
    takeOverImage(*b, false); // b has no binder: nothing is called
    EXPECT_TRUE(binder.calls.empty());
    setBandSetBinder(*a, nullptr);
    EXPECT_EQ(bandSetBinder(*a), nullptr);
}

struct ResetCase {
    int channel;
    std::size_t first; // first record, in scene 2 for the outputs
    std::size_t count;
    std::size_t stride;
    const double* hz;
    std::uint16_t firstCode, lastCode;
};

TEST_F(WorkingModelTest, ResetEqTouchesOnlyTheChannelsMainBands) {
    const ResetCase cases[] = {
        {0, 568, 15, 5, kMusicBandHz, 2, 333},
        {1, 732, 15, 5, kMusicBandHz, 2, 333},
        {2, 255, 20, 5, kMicBandHz, 2, 360},
        {3, 412, 20, 5, kMicBandHz, 2, 360},
        {4, 20, 7, 5, kEffectBandHz, 2, 300},
        {5, 77, 7, 5, kEffectBandHz, 2, 300},
        {6, 134, 7, 5, kEffectBandHz, 2, 300},
        {7, 0, 0, 0, nullptr, 0, 0},
        {8, 1490 + 11, 10, 5, kOutputBandHz, 2, 272},
        {13, 1490 + 5 * 76 + 11, 10, 5, kOutputBandHz, 2, 272},
        {15, 1490 + 7 * 76 + 11, 10, 5, kOutputBandHz, 2, 272},
        {16, 674, 3, 10, kDynEqBandHz, 20, 279},
        {17, 838, 3, 10, kDynEqBandHz, 20, 279},
        {-1, 0, 0, 0, nullptr, 0, 0},
        {18, 0, 0, 0, nullptr, 0, 0},
        {1000, 0, 0, 0, nullptr, 0, 0},
    };
    for (const ResetCase& c : cases) {
        SCOPED_TRACE(c.channel);
        fillPattern(store->working, 1);
        setScene(*store, 2);
        binder.calls.clear();
        const auto before = store->working.snapshot();
        auto expected = before;
        for (std::size_t i = 0; i < c.count; ++i) {
            const std::size_t at = c.first + c.stride * i;
            const auto code = static_cast<std::uint16_t>(nearestFrequencyCode(c.hz[i]));
            expected[at] = static_cast<std::uint8_t>(code & 0xFF);
            expected[at + 1] = static_cast<std::uint8_t>(code >> 8);
            expected[at + 2] = 120;
            expected[at + 3] = 10;
            expected[at + 4] = 1;
        }
        resetEq(*store, c.channel);
        EXPECT_EQ(store->working.snapshot(), expected);
        if (c.count == 0) {
            EXPECT_TRUE(binder.calls.empty());
            continue;
        }
        EXPECT_EQ(store->working.word(c.first), c.firstCode);
        EXPECT_EQ(store->working.word(c.first + c.stride * (c.count - 1)), c.lastCode);
        EXPECT_EQ(binder.calls, std::vector<std::string>{"channel " + std::to_string(c.channel)});
    }
}

TEST_F(WorkingModelTest, ResetEqWithoutANamedSceneUsesTheFallbackScene) {
    for (int select : {0, 4, 255}) {
        SCOPED_TRACE(select);
        fillPattern(store->working, 2);
        setScene(*store, 3);
        store->working.setByte(image::kSceneSelect, static_cast<std::uint8_t>(select));
        const auto before = store->working.snapshot();
        resetEq(*store, 9);
        const std::size_t right = outputChannelOffset(3, kMainR);
        EXPECT_EQ(store->working.word(right + output::kEq), 2);
        EXPECT_EQ(outputChannel(store->working, 3, kMainR).eq(9).type(), 1);
        auto after = store->working.snapshot();
        std::copy(before.begin() + static_cast<std::ptrdiff_t>(right),
                  before.begin() + static_cast<std::ptrdiff_t>(right + output::kSize),
                  after.begin() + static_cast<std::ptrdiff_t>(right));
        EXPECT_EQ(after, before) << "only scene 3 Main R may change";
    }
}

struct Range {
    std::size_t from, to, size;
};

struct LinkCase {
    const char* what;
    std::function<void(ParamStore&, bool)> copy;
    std::vector<Range> ranges;
    std::vector<std::string> rebinds;
};

std::vector<Range> outputRanges(std::size_t leftIndex) {
    std::vector<Range> out;
    for (std::size_t s = 0; s < 3; ++s) {
        const std::size_t left = 882 + 608 * s + 76 * leftIndex;
        out.push_back({left + 1, left + 76 + 1, 73}); // right keeps mute and delay
    }
    return out;
}

std::vector<LinkCase> linkCases() {
    return {
        {"music",
         [](ParamStore& s, bool r) { copyMusicLink(s, r); },
         {{553, 717, 164}},
         {"channel 1", "channel 17", "channel 16"}},
        {"mic", [](ParamStore& s, bool r) { copyMicLink(s, r); }, {{238, 395, 157}}, {"channel 3"}},
        {"main",
         [](ParamStore& s, bool r) { copyOutputLink(s, 9, r); },
         outputRanges(0),
         {"output 1/1", "output 2/1", "output 3/1"}},
        {"rear",
         [](ParamStore& s, bool r) { copyOutputLink(s, 13, r); },
         outputRanges(4),
         {"output 1/5", "output 2/5", "output 3/5"}},
        {"surround",
         [](ParamStore& s, bool r) { copyOutputLink(s, 15, r); },
         outputRanges(6),
         {"output 1/7", "output 2/7", "output 3/7"}},
        {"pair 8", [](ParamStore& s, bool r) { copyOutputLink(s, 8, r); }, {}, {}},
        {"pair 10", [](ParamStore& s, bool r) { copyOutputLink(s, 10, r); }, {}, {}},
        {"pair 14", [](ParamStore& s, bool r) { copyOutputLink(s, 14, r); }, {}, {}},
        {"pair -1", [](ParamStore& s, bool r) { copyOutputLink(s, -1, r); }, {}, {}},
    };
}

using Image = std::array<std::uint8_t, kModeImageSize>;

void applyRanges(Image& target, const Image& source, const std::vector<Range>& ranges) {
    for (const Range& r : ranges)
        for (std::size_t i = 0; i < r.size; ++i)
            target[r.to + i] = source[r.from + i];
}

TEST_F(WorkingModelTest, LinkCopiesWriteTheRightMemberInWorkingAndMirror) {
    for (const LinkCase& c : linkCases()) {
        for (bool rebind : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (rebind ? " rebind" : ""));
            fillPattern(store->working, 3);
            fillPattern(store->mirror, 4);
            binder.calls.clear();
            const Image working = store->working.snapshot();
            Image expectedWorking = working;
            Image expectedMirror = store->mirror.snapshot();
            applyRanges(expectedWorking, working, c.ranges);
            applyRanges(expectedMirror, working, c.ranges);
            c.copy(*store, rebind);
            EXPECT_EQ(store->working.snapshot(), expectedWorking);
            EXPECT_EQ(store->mirror.snapshot(), expectedMirror);
            for (const Range& r : c.ranges)
                EXPECT_TRUE(store->working.sameAs(store->mirror, r.to, r.size));
            EXPECT_EQ(binder.calls, rebind ? c.rebinds : std::vector<std::string>{});
        }
    }
}

TEST_F(WorkingModelTest, OutputLinkKeepsTheRightChannelsMuteAndDelay) {
    initialise();
    takeOverImage(*store, true);
    for (int scene = 1; scene <= kScenes; ++scene) {
        OutputChannelView left = outputChannel(store->working, scene, kRearL);
        OutputChannelView right = outputChannel(store->working, scene, kRearR);
        left.setByte(output::kMute, 1);
        left.setDelay(900);
        left.eq(3).setGain(150);
        right.setByte(output::kMute, 0);
        right.setDelay(static_cast<std::uint16_t>(100 * scene));
        outputChannel(store->mirror, scene, kRearR)
            .setDelay(static_cast<std::uint16_t>(100 * scene));
    }
    copyOutputLink(*store, 13, true);
    for (int scene = 1; scene <= kScenes; ++scene) {
        SCOPED_TRACE(scene);
        for (ModeImage* image : {&store->working, &store->mirror}) {
            OutputChannelView right = outputChannel(*image, scene, kRearR);
            EXPECT_EQ(right.mute(), 0);
            EXPECT_EQ(right.delay(), 100 * scene);
            EXPECT_EQ(right.eq(3).gain(), 150);
        }
    }
    EXPECT_TRUE(
        store->working.sameAs(store->mirror, outputChannelOffset(1, kRearR), output::kSize));
}

TEST_F(WorkingModelTest, WorkingLinksFollowTheFlagsInOrder) {
    fillPattern(store->working, 5);
    fillPattern(store->mirror, 6);
    const std::size_t flags[] = {552, 881, 2707, 2709, 2710};
    for (std::size_t f : flags)
        store->working.setByte(f, 1);
    applyWorkingLinks(*store);
    EXPECT_EQ(binder.calls, (std::vector<std::string>{
                                "channel 3", "channel 1", "channel 17", "channel 16", "output 1/1",
                                "output 2/1", "output 3/1", "output 1/5", "output 2/5",
                                "output 3/5", "output 1/7", "output 2/7", "output 3/7"}));

    // Only flags that are exactly 1 copy.
    fillPattern(store->working, 7);
    fillPattern(store->mirror, 8);
    binder.calls.clear();
    for (std::size_t f : flags)
        store->working.setByte(f, 0);
    store->working.setByte(552, 2);
    store->working.setByte(2709, 1);
    const Image working = store->working.snapshot();
    Image expectedWorking = working;
    Image expectedMirror = store->mirror.snapshot();
    applyRanges(expectedWorking, working, outputRanges(4));
    applyRanges(expectedMirror, working, outputRanges(4));
    applyWorkingLinks(*store);
    EXPECT_EQ(store->working.snapshot(), expectedWorking);
    EXPECT_EQ(store->mirror.snapshot(), expectedMirror);
    EXPECT_EQ(binder.calls, (std::vector<std::string>{"output 1/5", "output 2/5", "output 3/5"}));
}

TEST_F(WorkingModelTest, StoredModeLinksTouchOnlyTheStoredImages) {
    for (int n = 1; n <= kStoredModes; ++n) {
        fillPattern(store->storedMode(n), static_cast<unsigned>(n));
        for (std::size_t f : {552u, 881u, 2707u, 2709u, 2710u})
            store->storedMode(n).setByte(f, 0);
    }
    store->storedMode(5).setByte(2709, 1);
    store->storedMode(21).setByte(881, 1);
    store->storedMode(21).setByte(552, 1);
    fillPattern(store->working, 30);
    fillPattern(store->mirror, 31);
    store->working.setByte(2709, 1);
    const Image working = store->working.snapshot();
    const Image mirror = store->mirror.snapshot();
    std::vector<Image> expected;
    for (int n = 1; n <= kStoredModes; ++n)
        expected.push_back(store->storedMode(n).snapshot());
    applyRanges(expected[4], Image(expected[4]), outputRanges(4));
    applyRanges(expected[20], Image(expected[20]), {{238, 395, 157}, {553, 717, 164}});

    applyStoredModeLinks(*store);
    for (int n = 1; n <= kStoredModes; ++n)
        EXPECT_EQ(store->storedMode(n).snapshot(), expected[static_cast<std::size_t>(n - 1)])
            << "mode " << n;
    EXPECT_EQ(store->working.snapshot(), working);
    EXPECT_EQ(store->mirror.snapshot(), mirror);
    EXPECT_TRUE(binder.calls.empty());
}

TEST_F(WorkingModelTest, TakeOverWithoutSystemBlockRebindsAndLeavesTheSystemMirror) {
    fillPattern(store->working, 9);
    fillPattern(store->workingSystem, 10);
    fillPattern(store->mirrorSystem, 11);
    const auto systemMirror = store->mirrorSystem.snapshot();
    takeOverImage(*store, false);
    EXPECT_TRUE(store->mirror.sameAs(store->working));
    EXPECT_EQ(store->mirrorSystem.snapshot(), systemMirror);
    EXPECT_EQ(binder.calls, std::vector<std::string>{"all"});
}

TEST_F(WorkingModelTest, TakeOverWithSystemBlockMakesBothMirrorsEqual) {
    fillPattern(store->working, 12);
    fillPattern(store->workingSystem, 13);
    fillPattern(store->mirrorSystem, 14);
    takeOverImage(*store, true);
    EXPECT_TRUE(store->mirror.sameAs(store->working));
    EXPECT_TRUE(store->mirrorSystem.sameAs(store->workingSystem));
    EXPECT_TRUE(binder.calls.empty());
}

} // namespace
