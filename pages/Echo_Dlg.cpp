#include "pages/Echo_Dlg.h"

#include "controls/NumEdit.h"
#include "model/DataConver.h"
#include "model/Layout.h"

namespace kesmo {

namespace {

using namespace layout;

constexpr int kFrequencyMax = 361;
// Delays are stored in 0.1 ms.
constexpr FieldShape kPreDelayField{2, 0xFF, 0, 10};
constexpr FieldShape kDelayField{2, 0xFF, 0, 20};

// clang-format off
const SliderRow kSliders[] = {
    {.sliderId = 3600, .labelId = 3501, .minimum = 0, .maximum = 100, .kind = kKindInteger, .block = 0, .offset = echo::kWetVolume, .unit = "%"},
    {.sliderId = 3601, .labelId = 3504, .minimum = 0, .maximum = 100, .kind = kKindInteger, .block = 0, .offset = echo::kDryVolume, .unit = "%"},
    {.sliderId = 3604, .labelId = 3514, .minimum = 0, .maximum = 150, .kind = kKindInteger, .block = 0, .offset = echo::kPreDelay, .shape = kPreDelayField, .unit = "ms"},
    {.sliderId = 3607, .labelId = 3523, .minimum = 0, .maximum = 250, .kind = kKindInteger, .block = 0, .offset = echo::kDelay, .shape = kDelayField, .unit = "ms", .integerScale = 2},
    {.sliderId = 3606, .labelId = 3520, .minimum = 0, .maximum = 90, .kind = kKindInteger, .block = 0, .offset = echo::kRepeat, .unit = "%"},
    {.sliderId = 3605, .labelId = 3517, .minimum = 0, .maximum = 50, .kind = kKindInteger, .block = 0, .offset = echo::kRightPreDelay, .shape = kWordField, .unit = "%"},
    {.sliderId = 3608, .labelId = 3526, .minimum = 0, .maximum = 100, .kind = kKindInteger, .block = 0, .offset = echo::kRightDelay, .shape = kWordField, .unit = "%", .integerOffset = 50},
    {.sliderId = 3602, .labelId = 0, .minimum = 0, .maximum = kFrequencyMax, .kind = 0, .block = 0, .offset = echo::kHpf + crossover::kFreq, .shape = kWordField, .unit = "Hz", .editId = 3508, .editKind = kEditFrequency},
    {.sliderId = 3603, .labelId = 0, .minimum = 0, .maximum = kFrequencyMax, .kind = 0, .block = 0, .offset = echo::kLpf + crossover::kFreq, .shape = kWordField, .unit = "Hz", .editId = 3511, .editKind = kEditFrequency},
};
const ComboRow kCombos[] = {
    {1025, 0, echo::kHpf + crossover::kSlope},
    {3506, 0, echo::kLpf + crossover::kSlope},
};
// clang-format on

constexpr int kFullModeSliders[] = {3601, 3604, 3605, 3608};
constexpr int kFullModeLabels[] = {3504, 3514, 3517, 3526};

constexpr EffectPanelControls kControls{
    .highPassSlider = 3602,
    .lowPassSlider = 3603,
    .highPassSlope = 1025,
    .lowPassSlope = 3506,
    .wetToggle = 1064,
    .dryToggle = 1065,
    .resetButton = 3550,
    .bypassButton = 3551,
    .fullModeSliders = kFullModeSliders,
    .fullModeLabels = kFullModeLabels,
};

constexpr PageText kTexts[] = {
    {3500, "回声音量", "Echo Wet Volume"},
    {3503, "回声直达声", "Echo Dry Volume"},
    {3513, "回声预延时", "Echo PreDelay"},
    {3522, "回声延时", "Echo Delay"},
    {3519, "回声重复比例", "Echo Repeat"},
    {3516, "右通道预延时", "Echo Right PreDelay"},
    {3525, "右通道延时", "Echo Right Delay"},
    {3507, "回声高通", "Echo HPF"},
    {3510, "回声低通", "Echo LPF"},
    {1398, "类型", "Type"},
    {1399, "增益(dB)", "Gain(dB)"},
    {1400, "频率(Hz)", "Freq(Hz)"},
    {1401, "Q值", "Q"},
    {3550, "EQ重置", "EQ Reset"},
};

bool isEcho(int channel) {
    return channel == kEqEchoA || channel == kEqEchoB;
}

} // namespace

Echo_Dlg::Echo_Dlg(PageHost& host, QWidget* parent, GraphView* graph,
                   const int& currentEffectChannel)
    : EffectPanel(147, host, parent, graph, kEqEchoA, kSliders, kCombos, kControls),
      m_currentEffectChannel(currentEffectChannel) {}

std::span<const PageText> Echo_Dlg::texts() const {
    return kTexts;
}

int Echo_Dlg::chooseTarget() const {
    return isEcho(m_currentEffectChannel) ? m_currentEffectChannel : targetChannel();
}

void Echo_Dlg::switchChannel(int channel) {
    if (isEcho(channel))
        row().setChannel(channel);
}

} // namespace kesmo
