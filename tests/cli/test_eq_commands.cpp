#include "model/Presets.h"
#include "model/RoomEqFile.h"
#include "model/WorkingModel.h"
#include "tests/cli/CliRun.h"
#include "tests/model/RoomEqFixture.h"

#include <memory>

using namespace kesmo;
using namespace kesmo::layout;
using kesmo::cli::testing::FileTest;
using kesmo::cli::testing::Outcome;
using kesmo::cli::testing::runArgs;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string readText(const std::string& path) {
    const Bytes b = readFile(path);
    return std::string(b.begin(), b.end());
}

const std::string kRoomFile = test::rewFile(test::kRewFilters);

struct EqCommandTest : FileTest {
    // A preset of the start-up model, with its links as given.
    std::string freshPreset(const std::string& name, bool micLink = false) {
        auto store = std::make_unique<ParamStore>();
        initialiseModel(*store, path("work"));
        store->working.setByte(image::kMicLink, micLink ? 1 : 0);
        return write(name, writeSingleMode(*store));
    }
    std::string text(const std::string& name, const std::string& content) {
        return write(name, Bytes(content.begin(), content.end()));
    }
};

TEST_F(EqCommandTest, ExportThenImportIntoAFreshPresetGivesEqualCodes) {
    for (const std::string channel : {"mic1", "musicRight", "echoB", "scene[3].surroundR"}) {
        SCOPED_TRACE(channel);
        const std::optional<RoomEqChannel> c = findRoomEqChannel(channel);
        ASSERT_TRUE(c);
        Bytes source = readFile(freshPreset("source.dia"));
        for (int b = 0; b < c->bandCount; ++b) {
            const std::size_t at = kSystemBlockSize + c->bandOffset(b);
            const int k = 11 * b + 5;
            const int freq = k * 9 % 362;
            source[at] = static_cast<std::uint8_t>(freq & 0xFF);
            source[at + 1] = static_cast<std::uint8_t>(freq >> 8);
            source[at + 2] = static_cast<std::uint8_t>(k * 17 % 181);
            source[at + 3] = static_cast<std::uint8_t>(k * 3 % 101);
            source[at + 4] = static_cast<std::uint8_t>(b % 4);
        }
        write("source.dia", source);
        const Outcome exported =
            runArgs({"eq-export", channel, "--from", path("source.dia"), path("room.txt")});
        ASSERT_EQ(exported.status, 0) << exported.err;

        const std::string target = freshPreset("target.dia");
        Bytes expected = readFile(target);
        const Outcome imported =
            runArgs({"eq-import", channel, path("room.txt"), "--into", target});
        ASSERT_EQ(imported.status, 0) << imported.err;
        const std::size_t first = kSystemBlockSize + c->firstBand;
        const std::size_t end = kSystemBlockSize + c->bandOffset(c->bandCount);
        std::copy(source.begin() + static_cast<std::ptrdiff_t>(first),
                  source.begin() + static_cast<std::ptrdiff_t>(end),
                  expected.begin() + static_cast<std::ptrdiff_t>(first));
        EXPECT_EQ(readFile(target), expected) << readText(path("room.txt"));
    }
}

TEST_F(EqCommandTest, ImportPrintsEachBandAndTheLargestDeviation) {
    const std::string preset = freshPreset("room.dia");
    const Outcome o =
        runArgs({"eq-import", "--into=" + preset, "echoA", text("room.txt", kRoomFile)});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    const std::string prefix = "band 1 (line 10): PK 63.4 Hz -6.2 dB Q 4.87 -> P 63.7 Hz -6.2 dB "
                               "Q 4.8\n"
                               "band 2 (line 11): LS 80 Hz -2.5 dB Q 0.71 -> LS 80.3 Hz -2.4 dB "
                               "Q 0.71\n"
                               "band 3 (line 12): None -> BY\n"
                               "band 4 (line 13): OFF PK 1000 Hz 3 dB Q 1.41 -> BY 1000 Hz 3 dB Q "
                               "1.4\n"
                               "band 5: not in the file -> BY\n"
                               "band 6: not in the file -> BY\n"
                               "band 7: not in the file -> BY\n"
                               "line 14: Preamp -5.0 dB not applied\n"
                               "largest deviation: ";
    EXPECT_EQ(o.out.substr(0, prefix.size()), prefix);
    EXPECT_TRUE(o.out.ends_with(" dB\n")) << o.out;
    EXPECT_NE(o.out.substr(prefix.size()), "0.00 dB\n") << "the values lie between entries";
}

TEST_F(EqCommandTest, RefusedImportsNameTheLineAndLeaveThePresetAlone) {
    std::string twentyOne;
    for (int i = 0; i < 21; ++i)
        twentyOne += "Filter " + std::to_string(i + 1) + ": ON PK Fc 1000 Hz Gain -1 dB Q 2\n";
    struct Case {
        std::string channel;
        std::string content;
        bool micLink;
        int status;
        std::string error;
    };
    const Case cases[] = {
        {"mic1", "Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\nFilter 2: ON LP Fc 80 Hz Q 0.71\n",
         false, 5,
         "room.txt: line 2: unknown filter type LP; the EQ bands hold PK, LS and HS filters only"},
        {"mic1", twentyOne, false, 5,
         "room.txt: line 21: 21 active filters, but mic1 has 20 EQ bands"},
        {"mic1", "Filter 1: ON PK Gain 3 dB Q 1\n", false, 5,
         "room.txt: line 1: no Fc (filter frequency)"},
        {"mic2", "Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\n", true, 2,
         "mic2 follows mic1 while their link is on; import into mic1 or switch the link off"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        const std::string preset = freshPreset("room.dia", c.micLink);
        const Bytes before = readFile(preset);
        const Outcome o =
            runArgs({"eq-import", c.channel, text("room.txt", c.content), "--into", preset});
        EXPECT_EQ(o.status, c.status);
        EXPECT_NE(o.err.find(c.error), std::string::npos) << o.err;
        EXPECT_EQ(o.out, "");
        EXPECT_EQ(readFile(preset), before);
    }
}

TEST_F(EqCommandTest, OnlySingleModePresetsAreRewritten) {
    const std::string bank = write("bank.dat", Bytes(kBankFileSizeNew, 7));
    const Outcome o = runArgs({"eq-import", "mic1", text("room.txt", kRoomFile), "--into", bank});
    EXPECT_EQ(o.status, 5);
    EXPECT_EQ(o.err,
              "kesmo-cli eq-import: " + bank + ": not a single-mode preset file (2778 bytes)\n");
    EXPECT_EQ(readFile(bank), Bytes(kBankFileSizeNew, 7));

    const Outcome missing = runArgs({"eq-export", "mic1", "--from", path("none.dia"), path("x")});
    EXPECT_EQ(missing.status, 5);
    EXPECT_EQ(missing.err, "kesmo-cli eq-export: " + path("none.dia") + ": File read Error\n");
    EXPECT_FALSE(std::filesystem::exists(path("x")));
}

TEST_F(EqCommandTest, UsageErrors) {
    const std::string room = text("room.txt", kRoomFile);
    struct Case {
        std::vector<std::string> args;
        std::string error;
    };
    const Case cases[] = {
        {{"eq-import", "mic1"}, "kesmo-cli eq-import: expects CHANNEL FILE.txt\n"},
        {{"eq-import", "mic3", room, "--into", "x.dia"},
         "kesmo-cli eq-import: unknown CHANNEL 'mic3'; the channels are musicLeft, musicRight, "
         "mic1, mic2, echoA, echoB, reverb, scene[S].mainL .. scene[S].surroundR (S 1..3)\n"},
        {{"eq-import", "mic1", room, "--from", "x.dia"},
         "kesmo-cli eq-import: unknown option --from\n"},
        {{"eq-import", "mic1", room, "--into", "a.dia", "--into=b.dia"},
         "kesmo-cli eq-import: --into given twice\n"},
        {{"eq-export", "mic1", "--from"}, "kesmo-cli eq-export: --from needs a file\n"},
        {{"dump", "--into", "x.dia", "y.dia"}, "kesmo-cli dump: unknown option --into\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        const Outcome o = runArgs(c.args);
        EXPECT_EQ(o.status, 2);
        EXPECT_TRUE(o.err.starts_with(c.error)) << o.err;
        EXPECT_NE(o.err.find("Usage: kesmo-cli "), std::string::npos) << o.err;
    }
}

} // namespace
