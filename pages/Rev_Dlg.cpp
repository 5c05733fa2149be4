#include "pages/Rev_Dlg.h"

#include "controls/NumEdit.h"
#include "model/DataConver.h"
#include "model/Layout.h"

namespace kesmo {

namespace {

using namespace layout;

constexpr int kFrequencyMax = 361;
// Times are stored in 0.1 ms.
constexpr FieldShape kPreDelayField{2, 0xFF, 0, 20};
constexpr FieldShape kReverbTimeField{2, 0xFF, 0, 500};

// clang-format off
const SliderRow kSliders[] = {
    {.sliderId = 3622, .labelId = 3529, .minimum = 0, .maximum = 100, .kind = kKindInteger, .block = 0, .offset = reverb::kWetVolume, .unit = "%"},
    {.sliderId = 3623, .labelId = 3533, .minimum = 0, .maximum = 100, .kind = kKindInteger, .block = 0, .offset = reverb::kDryVolume, .unit = "%"},
    {.sliderId = 3624, .labelId = 3545, .minimum = 0, .maximum = 100, .kind = kKindInteger, .block = 0, .offset = reverb::kPreDelay, .shape = kPreDelayField, .unit = "ms", .integerScale = 2},
    {.sliderId = 3625, .labelId = 3548, .minimum = 0, .maximum = 100, .kind = kKindInteger, .block = 0, .offset = reverb::kReverbTime, .shape = kReverbTimeField, .unit = "ms", .integerScale = 50},
    {.sliderId = 3620, .labelId = 0, .minimum = 0, .maximum = kFrequencyMax, .kind = 0, .block = 0, .offset = reverb::kHpf + crossover::kFreq, .shape = kWordField, .unit = "Hz", .editId = 3538, .editKind = kEditFrequency},
    {.sliderId = 3621, .labelId = 0, .minimum = 0, .maximum = kFrequencyMax, .kind = 0, .block = 0, .offset = reverb::kLpf + crossover::kFreq, .shape = kWordField, .unit = "Hz", .editId = 3542, .editKind = kEditFrequency},
};
const ComboRow kCombos[] = {
    {3537, 0, reverb::kHpf + crossover::kSlope},
    {3541, 0, reverb::kLpf + crossover::kSlope},
};
// clang-format on

constexpr int kFullModeSliders[] = {3623};
constexpr int kFullModeLabels[] = {3533};

constexpr EffectPanelControls kControls{
    .highPassSlider = 3620,
    .lowPassSlider = 3621,
    .highPassSlope = 3537,
    .lowPassSlope = 3541,
    .wetToggle = 3531,
    .dryToggle = 3534,
    .resetButton = 1066,
    .bypassButton = 1067,
    .fullModeSliders = kFullModeSliders,
    .fullModeLabels = kFullModeLabels,
};

constexpr PageText kTexts[] = {
    {3528, "混响音量", "Reverb Wet Volume"},
    {1232, "混响直达声", "Reverb Dry Volume"},
    {3544, "混响预延时", "Reverb PreDelay"},
    {3547, "混响时间", "Reverb Time"},
    {3536, "高通", "HPF"},
    {3540, "低通", "LPF"},
    {1402, "类型", "Type"},
    {1403, "增益(dB)", "Gain(dB)"},
    {1404, "频率(Hz)", "Freq(Hz)"},
    {1405, "Q值", "Q"},
    {1066, "EQ重置", "EQ Reset"},
};

} // namespace

Rev_Dlg::Rev_Dlg(PageHost& host, QWidget* parent, GraphView* graph)
    : EffectPanel(148, host, parent, graph, kEqReverb, kSliders, kCombos, kControls) {}

std::span<const PageText> Rev_Dlg::texts() const {
    return kTexts;
}

int Rev_Dlg::chooseTarget() const {
    return kEqReverb;
}

} // namespace kesmo
