#include "pages/Mic_Dlg.h"

#include "controls/NumEdit.h"
#include "filters/CFStatic.h"
#include "model/DataConver.h"
#include "model/WorkingModel.h"

namespace kesmo {

namespace {

using namespace layout;

enum MicControl : int {
    kSyncButton = 1064,
    kHpfSlider = 3001,
    kLpfSlider = 3002,
    kHpfSlope = 3025,
    kLpfSlope = 3024,
};

constexpr int kFrequencyMax = 361;
constexpr int kTargetBlock = ChannelPairPage::kTargetBlock;

const ChannelPairPage::Pair kPair{.templateId = 145,
                                  .left = kEqMic1,
                                  .right = kEqMic2,
                                  .leftBlock = image::kMic1,
                                  .rightBlock = image::kMic2,
                                  .linkByte = image::kMicLink,
                                  .eqBypass = mic::kEqBypass,
                                  .copyLink = copyMicLink,
                                  .graphKind = kGraphMic,
                                  .bands = Mic_Dlg::kBands,
                                  .bandWindowId = 3000,
                                  .graphId = 1295,
                                  .hpfSlider = kHpfSlider,
                                  .lpfSlider = kLpfSlider,
                                  .hpfSlope = kHpfSlope,
                                  .lpfSlope = kLpfSlope};

// Every row edits the shown microphone (Mic 1 while linked), compressor and gate included.
// clang-format off
const SliderRow kSliders[] = {
    {.sliderId = kHpfSlider, .labelId = 0, .minimum = 0, .maximum = kFrequencyMax, .kind = 0, .block = kTargetBlock, .offset = mic::kHpf + crossover::kFreq, .shape = kWordField, .unit = "Hz", .editId = 3031, .editKind = kEditFrequency},
    {.sliderId = kLpfSlider, .labelId = 0, .minimum = 0, .maximum = kFrequencyMax, .kind = 0, .block = kTargetBlock, .offset = mic::kLpf + crossover::kFreq, .shape = kWordField, .unit = "Hz", .editId = 3030, .editKind = kEditFrequency},
    {.sliderId = 3003, .labelId = 3045, .minimum = 0, .maximum = 40, .kind = kKindReal, .block = kTargetBlock, .offset = mic::kMicLevel, .unit = "dB", .realScale = 0.5, .realOffset = 10},
    {.sliderId = 3004, .labelId = 3049, .minimum = 0, .maximum = 60, .kind = kKindIntegerOff, .block = kTargetBlock, .offset = mic::kGateThreshold, .unit = "dBV", .integerOffset = 78},
    {.sliderId = 3005, .labelId = 3051, .minimum = 0, .maximum = 19, .kind = kKindAttack, .block = kTargetBlock, .offset = mic::kGateAttack, .unit = "ms"},
    {.sliderId = 3006, .labelId = 3053, .minimum = 0, .maximum = 7, .kind = kKindRelease, .block = kTargetBlock, .offset = mic::kGateRelease},
    {.sliderId = 3007, .labelId = 3056, .minimum = 0, .maximum = 34, .kind = kKindInteger, .block = kTargetBlock, .offset = mic::kLimitLevel, .unit = "dBV", .integerOffset = 22},
    {.sliderId = 3008, .labelId = 3058, .minimum = 0, .maximum = 19, .kind = kKindAttack, .block = kTargetBlock, .offset = mic::kLimitAttack, .unit = "ms"},
    {.sliderId = 3009, .labelId = 3060, .minimum = 0, .maximum = 7, .kind = kKindRelease, .block = kTargetBlock, .offset = mic::kLimitRelease},
    {.sliderId = 3010, .labelId = 3062, .minimum = 0, .maximum = 40, .kind = kKindRatio, .block = kTargetBlock, .offset = mic::kLimitRatio},
    {.sliderId = 3011, .labelId = 0, .minimum = 0, .maximum = kFrequencyMax, .kind = 0, .block = kTargetBlock, .offset = mic::kHighExciter + exciter::kFreq, .shape = kWordField, .unit = "Hz", .editId = 1023, .editKind = kEditFrequency},
    {.sliderId = 3012, .labelId = 0, .minimum = 0, .maximum = kFrequencyMax, .kind = 0, .block = kTargetBlock, .offset = mic::kLowExciter + exciter::kFreq, .shape = kWordField, .unit = "Hz", .editId = 1022, .editKind = kEditFrequency},
};
const ComboRow kCombos[] = {
    {kHpfSlope, kTargetBlock, mic::kHpf + crossover::kSlope},
    {kLpfSlope, kTargetBlock, mic::kLpf + crossover::kSlope},
    {1053, kTargetBlock, mic::kFeedback},
    {3023, kTargetBlock, mic::kLowExciter + exciter::kHarmonic},
    {3020, kTargetBlock, mic::kLowExciter + exciter::kTimbre},
    {3022, kTargetBlock, mic::kHighExciter + exciter::kHarmonic},
    {3021, kTargetBlock, mic::kHighExciter + exciter::kTimbre},
};
// clang-format on

// EQ Bypass keeps its text in both languages.
constexpr PageText kTexts[] = {
    {1394, "类型", "Type"},
    {1395, "增益(dB)", "Gain(dB)"},
    {1396, "频率(Hz)", "Freq(Hz)"},
    {1397, "Q值", "Q"},
    {1064, "同步", "SYNC"},
    {1065, "话筒1", "Mic 1"},
    {1066, "话筒2", "Mic 2"},
    {1067, "EQ 重置", "EQ Reset"},
    {3041, "高通", "HPF"},
    {3043, "低通", "LPF"},
    {3044, "话筒电平", "Mic Level"},
    {3046, "啸叫抑制", "Feedback"},
    {3047, "噪声门", "NoiseGate"},
    {3048, "启动电平", "Threshold"},
    {3050, "启动时间", "Attack Time"},
    {3052, "释放时间", "Release Time"},
    {3063, "低音激励", "Low Exciter"},
    {3064, "频率", "Freq"},
    {3066, "谐波量", "Harmonic"},
    {3067, "音品", "Timbre"},
    {3054, "压限器", "Limit"},
    {3055, "压限启动电平", "Limit Level"},
    {3057, "压限启动时间(Atk)", "Attack Time(Atk)"},
    {3059, "压限释放时间", "Release Time"},
    {3061, "压缩比例", "Ratio"},
    {3068, "高音激励", "High Exciter"},
    {3069, "频率", "Freq"},
    {3071, "谐波量", "Harmonic"},
    {3072, "音品", "Timbre"},
};
constexpr PageText kHarmonicTexts[] = {
    {3066, "谐波量", "Harmonic"},
    {3071, "谐波量", "Harmonic"},
};

// Controls of Full mode only. The exciter frequency sliders stay usable in Easy mode; only
// their boxes are locked.
constexpr int kFullModeSliders[] = {3005, 3006, 3007, 3008, 3009, 3010};
constexpr int kFullModeControls[] = {kSyncButton, 3051, 3053, 3056, 3058, 3060,
                                     3062,        1022, 1023, 3020, 3021};

} // namespace

Mic_Dlg::Mic_Dlg(PageHost& host, QWidget* parent)
    : ChannelPairPage(kPair, host, parent, kSliders, kCombos) {}

std::span<const PageText> Mic_Dlg::texts() const {
    return kTexts;
}

void Mic_Dlg::applyUiMode(int uiMode) {
    enableFullModeControls(uiMode, kFullModeSliders, kFullModeControls);
    applyTexts(kHarmonicTexts);
}

} // namespace kesmo
