#include "pages/MusicDlg.h"

#include "controls/NumEdit.h"
#include "filters/CFStatic.h"
#include "model/DataConver.h"
#include "model/WorkingModel.h"
#include "pages/PageHost.h"

namespace kesmo {

namespace {

using namespace layout;

enum MusicControl : int {
    kSyncButton = 1064,
    kLeftButton = 1065,
    kRightButton = 1066,
    kResetButton = 1067,
    kBypassButton = 1068,
    kHpfSlider = 1076,
    kLpfSlider = 1079,
    kHpfSlope = 1053,
    kLpfSlope = 1054,
};

constexpr int kFrequencyMax = 361;

// Blocks the rows of the binding tables name besides the target.
enum MusicBlock : int { kMusicLeftBlock = 1, kSystemBlock };
constexpr int kTargetBlock = ChannelPairPage::kTargetBlock;

const ChannelPairPage::Pair kPair{.templateId = 135,
                                  .left = kEqMusicLeft,
                                  .right = kEqMusicRight,
                                  .leftBlock = image::kMusicLeft,
                                  .rightBlock = image::kMusicRight,
                                  .linkByte = image::kMusicLink,
                                  .eqBypass = music::kEqBypass,
                                  .copyLink = copyMusicLink,
                                  .graphKind = kGraphMusic,
                                  .bands = MusicDlg::kBands,
                                  .bandWindowId = 1029,
                                  .graphId = 1292,
                                  .hpfSlider = kHpfSlider,
                                  .lpfSlider = kLpfSlider,
                                  .hpfSlope = kHpfSlope,
                                  .lpfSlope = kLpfSlope};

constexpr FieldShape kKeyBits{1, 0xF0, 4, 1};

// Sliders with their labels or frequency boxes. The limiter and gate rows are Music Left's
// bytes whichever channel is shown; the others follow the shown (or linked) channel.
// clang-format off
const SliderRow kSliders[] = {
    {.sliderId = 1038, .labelId = 1037, .minimum = 0, .maximum = 34, .kind = kKindInteger, .block = kMusicLeftBlock, .offset = music::kLimitLevel, .unit = "dBV", .integerOffset = 22},
    {.sliderId = 1081, .labelId = 1039, .minimum = 0, .maximum = 19, .kind = kKindAttack, .block = kMusicLeftBlock, .offset = music::kLimitAttack, .unit = "ms"},
    {.sliderId = 1041, .labelId = 1040, .minimum = 0, .maximum = 7, .kind = kKindRelease, .block = kMusicLeftBlock, .offset = music::kLimitRelease},
    {.sliderId = 1042, .labelId = 1043, .minimum = 0, .maximum = 40, .kind = kKindRatio, .block = kMusicLeftBlock, .offset = music::kLimitRatio},
    {.sliderId = 1047, .labelId = 1046, .minimum = 0, .maximum = 60, .kind = kKindIntegerOff, .block = kMusicLeftBlock, .offset = music::kGateThreshold, .unit = "dBV", .integerOffset = 78},
    {.sliderId = 1050, .labelId = 1049, .minimum = 0, .maximum = 19, .kind = kKindAttack, .block = kMusicLeftBlock, .offset = music::kGateAttack, .unit = "ms"},
    {.sliderId = 1080, .labelId = 1052, .minimum = 0, .maximum = 7, .kind = kKindRelease, .block = kMusicLeftBlock, .offset = music::kGateRelease},
    {.sliderId = 1387, .labelId = 1386, .minimum = 0, .maximum = 14, .kind = kKindInteger, .block = kSystemBlock, .offset = system::kSensitivityAndKey, .shape = kKeyBits, .integerOffset = 7},
    {.sliderId = 1069, .labelId = 0, .minimum = 0, .maximum = kFrequencyMax, .kind = 0, .block = kTargetBlock, .offset = music::kMainMusicHpf + crossover::kFreq, .shape = kWordField, .unit = "Hz", .editId = 1022, .editKind = kEditFrequency},
    {.sliderId = kHpfSlider, .labelId = 0, .minimum = 0, .maximum = kFrequencyMax, .kind = 0, .block = kTargetBlock, .offset = music::kHpf + crossover::kFreq, .shape = kWordField, .unit = "Hz", .editId = 1023, .editKind = kEditFrequency},
    {.sliderId = kLpfSlider, .labelId = 0, .minimum = 0, .maximum = kFrequencyMax, .kind = 0, .block = kTargetBlock, .offset = music::kLpf + crossover::kFreq, .shape = kWordField, .unit = "Hz", .editId = 1024, .editKind = kEditFrequency},
    {.sliderId = 1084, .labelId = 0, .minimum = 0, .maximum = kFrequencyMax, .kind = 0, .block = kTargetBlock, .offset = music::kLowExciter + exciter::kFreq, .shape = kWordField, .unit = "Hz", .editId = 1293, .editKind = kEditFrequency},
    {.sliderId = 1085, .labelId = 0, .minimum = 0, .maximum = kFrequencyMax, .kind = 0, .block = kTargetBlock, .offset = music::kHighExciter + exciter::kFreq, .shape = kWordField, .unit = "Hz", .editId = 1294, .editKind = kEditFrequency},
};
const ComboRow kCombos[] = {
    {1055, kTargetBlock, music::kMainMusicHpf + crossover::kSlope},
    {kHpfSlope, kTargetBlock, music::kHpf + crossover::kSlope},
    {kLpfSlope, kTargetBlock, music::kLpf + crossover::kSlope},
    {1025, kTargetBlock, music::kLowExciter + exciter::kHarmonic},
    {1030, kTargetBlock, music::kLowExciter + exciter::kTimbre},
    {1026, kTargetBlock, music::kHighExciter + exciter::kHarmonic},
    {1031, kTargetBlock, music::kHighExciter + exciter::kTimbre},
};
// clang-format on

constexpr PageText kTexts[] = {
    {1390, "类型", "Type"},
    {1391, "增益(dB)", "Gain(dB)"},
    {1392, "频率(Hz)", "Freq(Hz)"},
    {1393, "Q值", "Q"},
    {kSyncButton, "同步", "SYNC"},
    {kLeftButton, "音乐左", "Music Left"},
    {kRightButton, "音乐右", "Music Right"},
    {kResetButton, "EQ 重置", "EQ Reset"},
    {kBypassButton, "EQ Bypass", "EQ Bypass"},
    {1385, "音乐变调", "Key Control"},
    {1070, "主通道音乐高通", "MainMusic HPF"},
    {1074, "高通", "HPF"},
    {1077, "低通", "LPF"},
    {1044, "噪声门", "NoiseGate"},
    {1045, "启动电平", "Threshold"},
    {1048, "启动时间", "Attack Time"},
    {1051, "释放时间", "Release Time"},
    {1082, "低音激励", "Low Exciter"},
    {1056, "频率", "Freq"},
    {1058, "谐波量", "Harmonic"},
    {1059, "音品", "Timbre"},
    {1032, "音乐压限器", "Music Limit"},
    {1033, "压限启动电平", "Limit Level"},
    {1034, "压限启动时间(Atk)", "Attack Time(Atk)"},
    {1035, "压限释放时间", "Release Time"},
    {1036, "压缩比例", "Ratio"},
    {1083, "高音激励", "High Exciter"},
    {1062, "频率", "Freq"},
    {1061, "谐波量", "Harmonic"},
    {1060, "音品", "Timbre"},
};
constexpr PageText kHarmonicTexts[] = {
    {1058, "谐波量", "Harmonic"},
    {1061, "谐波量", "Harmonic"},
};

// Controls of Full mode only: sliders go through their own enable flag, the rest through the
// widget's.
constexpr int kFullModeSliders[] = {1069, 1050, 1080, 1038, 1081, 1041, 1042, 1084, 1085};
constexpr int kFullModeControls[] = {kSyncButton, 1055, 1022, 1049, 1052, 1037, 1039,
                                     1040,        1043, 1293, 1294, 1030, 1031};

} // namespace

MusicDlg::MusicDlg(PageHost& host, QWidget* parent)
    : ChannelPairPage(kPair, host, parent, kSliders, kCombos) {}

std::span<const PageText> MusicDlg::texts() const {
    return kTexts;
}

FieldRef MusicDlg::resolveBlock(int block, std::size_t offset) const {
    ParamStore& store = host().store();
    switch (block) {
    case kMusicLeftBlock:
        return {store.working, image::kMusicLeft + offset};
    case kSystemBlock:
        return {store.workingSystem, offset};
    default:
        return {};
    }
}

void MusicDlg::applyUiMode(int uiMode) {
    enableFullModeControls(uiMode, kFullModeSliders, kFullModeControls);
    applyTexts(kHarmonicTexts);
}

bool toggleMusicLink(ParamStore& store) {
    return toggleLinkFlag(store, image::kMusicLink, copyMusicLink);
}

} // namespace kesmo
