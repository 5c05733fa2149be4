#include "model/FieldCatalogue.h"
#include "tests/cli/CliRun.h"

#include <algorithm>

using namespace kesmo;
using namespace kesmo::cli;
using namespace kesmo::cli::testing;

namespace {

constexpr std::size_t kDia = 2778, kDatOld = 57019, kDatNew = 58405;
constexpr std::size_t kSystem = 66, kImage = 2712;

void put16(std::vector<std::uint8_t>& b, std::size_t at, unsigned v) {
    b[at] = static_cast<std::uint8_t>(v & 0xFF);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

std::size_t fieldsOf(FieldBlock block) {
    return static_cast<std::size_t>(
        std::count_if(fieldCatalogue().begin(), fieldCatalogue().end(),
                      [&](const Field& f) { return f.block == block; }));
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

bool hasLine(const std::vector<std::string>& ls, const std::string& line) {
    return std::find(ls.begin(), ls.end(), line) != ls.end();
}

// A single-mode file with a few known fields.
std::vector<std::uint8_t> singleMode() {
    std::vector<std::uint8_t> b(kDia, 0);
    b[2] = 0x80 | 50; // system.micVolume
    std::copy_n("1234", 4, b.begin() + 15);
    std::fill_n(b.begin() + kSystem, 20, ' ');
    std::copy_n("Party", 5, b.begin() + kSystem);
    put16(b, kSystem + 568, 2);     // musicLeft.eq[0].freq
    put16(b, kSystem + 1868, 1500); // scene[2].rearL.delay
    b[kSystem + 2706] = 2;          // sceneSelect
    return b;
}

std::vector<std::uint8_t> bank(std::size_t size) {
    std::vector<std::uint8_t> b(size, 0);
    b[0] = 5;                                     // header.currentMode
    b[kSystem + 2 * kImage + 570] = 130;          // mode[3].musicLeft.eq[0].gain
    put16(b, kSystem + 20 * kImage + 184, 50000); // mode[21].reverb.reverbTime
    b[kDatOld - 1] = 1;                           // bankLoadedFlag
    if (size >= kDatNew)
        b[kDatOld + 20 * kSystem + 2] = 60; // modeSystem[21].micVolume
    return b;
}

using DumpTest = FileTest;

TEST_F(DumpTest, SingleModeFileShowsEveryFieldWithItsCodeAndValue) {
    const Outcome o = runArgs({"dump", write("party.dia", singleMode())});
    ASSERT_EQ(o.status, kExitDone) << o.err;
    EXPECT_EQ(o.err, "");
    const auto ls = lines(o.out);
    EXPECT_EQ(ls.size(), fieldCatalogue().size());
    EXPECT_EQ(ls.front(), "system.currentMode = 0");
    EXPECT_EQ(ls.back(), "fileSum = 0");
    for (const char* l :
         {"system.micVolume = 178 (level 50, muted)", "system.panelPassword = \"1234\"",
          "name = \"Party               \"", "musicLeft.eq[0].freq = 2 (20.5 Hz)",
          "musicLeft.eq[0].gain = 0 (-24.0 dB)", "scene[2].rearL.delay = 1500 (150.0 ms)",
          "scene[1].mainL.lpf.kind = 0 (out of range)", "sceneSelect = 2 (Disco)"})
        EXPECT_TRUE(hasLine(ls, l)) << l;
}

TEST_F(DumpTest, BankFilesShowHeaderModesFlagAndPerModeBlocksOfTheNewerLayout) {
    const std::size_t sys = fieldsOf(FieldBlock::System), img = fieldsOf(FieldBlock::Image);
    struct Case {
        const char* name;
        std::size_t size;
        bool perModeBlocks;
    };
    for (const Case& c : {Case{"old.dat", kDatOld, false}, Case{"new.dat", kDatNew, true},
                          Case{"new.bin", kDatNew, true}}) {
        SCOPED_TRACE(c.name);
        const Outcome o = runArgs({"dump", write(c.name, bank(c.size)), "--trace"});
        ASSERT_EQ(o.status, kExitDone) << o.err;
        const auto ls = lines(o.out);
        EXPECT_EQ(ls.size(), sys + 21 * img + 1 + (c.perModeBlocks ? 21 * sys : 0));
        EXPECT_EQ(ls.front(), "header.currentMode = 5");
        std::string zeros;
        for (int i = 0; i < 20; ++i)
            zeros += "\\x00";
        EXPECT_TRUE(hasLine(ls, "mode[1].name = \"" + zeros + "\""));
        EXPECT_TRUE(hasLine(ls, "mode[3].musicLeft.eq[0].gain = 130 (2.0 dB)"));
        EXPECT_TRUE(hasLine(ls, "mode[21].reverb.reverbTime = 50000 (5000.0 ms)"));
        EXPECT_TRUE(hasLine(ls, "bankLoadedFlag = 1"));
        EXPECT_EQ(hasLine(ls, "modeSystem[21].micVolume = 60 (level 60)"), c.perModeBlocks);
        EXPECT_EQ(hasLine(ls, "modeSystem[1].currentMode = 0"), c.perModeBlocks);
    }
}

using DiffTest = FileTest;

TEST_F(DiffTest, ShowsOnlyTheDifferingFieldsInFileOrder) {
    auto b = singleMode();
    b[2] = 50;
    put16(b, kSystem + 1868, 10);
    const Outcome o = runArgs({"diff", write("a.dia", singleMode()), write("b.dia", b)});
    ASSERT_EQ(o.status, kExitDone) << o.err;
    EXPECT_EQ(o.out, "system.micVolume = 178 (level 50, muted) -> 50 (level 50)\n"
                     "scene[2].rearL.delay = 1500 (150.0 ms) -> 10 (1.0 ms)\n");

    const Outcome same = runArgs({"diff", path("a.dia"), path("a.dia")});
    EXPECT_EQ(same.status, kExitDone);
    EXPECT_EQ(same.out, "");
}

TEST_F(DiffTest, OldAndNewBankLayoutsDifferInThePerModeBlocksOnly) {
    const Outcome o =
        runArgs({"diff", write("old.dat", bank(kDatOld)), write("new.dat", bank(kDatNew))});
    ASSERT_EQ(o.status, kExitDone) << o.err;
    const auto ls = lines(o.out);
    EXPECT_EQ(ls.size(), 21 * fieldsOf(FieldBlock::System));
    EXPECT_EQ(ls.front(), "modeSystem[1].currentMode = absent -> 0");
    EXPECT_TRUE(hasLine(ls, "modeSystem[21].micVolume = absent -> 60 (level 60)"));

    const Outcome back = runArgs({"diff", path("new.dat"), path("old.dat")});
    EXPECT_EQ(lines(back.out).front(), "modeSystem[1].currentMode = 0 -> absent");
}

TEST_F(DiffTest, RefusesToCompareASingleModeFileWithABank) {
    const Outcome o =
        runArgs({"diff", write("a.dia", singleMode()), write("b.dat", bank(kDatOld))});
    EXPECT_EQ(o.status, kExitUsage);
    EXPECT_NE(o.err.find("cannot compare a single-mode file with an all-modes file"),
              std::string::npos);
    EXPECT_EQ(o.out, "");
}

using FileErrorTest = FileTest;

TEST_F(FileErrorTest, MissingAndShortFilesExitWithTheProgramsTexts) {
    write("good.dia", singleMode());
    write("short.dia", std::vector<std::uint8_t>(kDia - 1));
    write("empty.dia", {});
    write("short.dat", std::vector<std::uint8_t>(kDatOld - 1));
    write("cut.dat", std::vector<std::uint8_t>(kDatNew - 1));
    std::filesystem::create_directory(path("folder.dia"));
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"dump", path("missing.dia")},
         "kesmo-cli dump: " + path("missing.dia") + ": File read Error\n"},
        {{"dump", path("folder.dia")}, "File read Error"},
        {{"dump", path("short.dia")},
         "kesmo-cli dump: " + path("short.dia") + ": MusicFile read Error\n"},
        {{"dump", path("empty.dia")}, "MusicFile read Error"},
        {{"dump", path("short.dat")}, "MusicFile read Error"},
        {{"dump", path("cut.dat")}, "MusicFile read Error"},
        {{"diff", path("good.dia"), path("missing.dia")}, "missing.dia: File read Error"},
        {{"diff", path("short.dia"), path("good.dia")}, "short.dia: MusicFile read Error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        const Outcome o = runArgs(c.args);
        EXPECT_EQ(o.status, kExitFileError);
        EXPECT_NE(o.err.find(c.err), std::string::npos) << o.err;
        EXPECT_EQ(o.out, "");
    }
}

TEST_F(FileErrorTest, WrongNumberOfFilesIsAUsageError) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"dump"},
                                                 {"dump", "a.dia", "b.dia"},
                                                 {"diff", "a.dia"},
                                                 {"diff", "a.dia", "b.dia", "c.dia"}}) {
        const Outcome o = runArgs(args);
        EXPECT_EQ(o.status, kExitUsage);
        EXPECT_NE(o.err.find("Usage: kesmo-cli " + args.front()), std::string::npos) << o.err;
    }
}

} // namespace
