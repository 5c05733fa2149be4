#include "pages/MusicDlg.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/NumEdit.h"
#include "devicelink/LinkState.h"
#include "filters/BandSets.h"
#include "filters/CFStatic.h"
#include "model/DataConver.h"
#include "model/WorkingModel.h"
#include "pages/EQDlg.h"
#include "pages/PageHost.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QSlider>
#include <mutex>

namespace kesmo {

namespace {

using namespace layout;

enum MusicControl : int {
    kBandWindow = 1029,
    kSyncButton = 1064,
    kLeftButton = 1065,
    kRightButton = 1066,
    kResetButton = 1067,
    kBypassButton = 1068,
    kGraph = 1292,
    kHpfSlider = 1076,
    kLpfSlider = 1079,
    kHpfSlope = 1053,
    kLpfSlope = 1054,
};

constexpr CrossoverControls kCrossovers{kHpfSlider, kHpfSlope, kLpfSlider, kLpfSlope};

constexpr StripRow::Layout kStripLayout{MusicDlg::kStrips, MusicDlg::kBands, {60, 5}, 58};
constexpr int kFrequencyMax = 361;

// Blocks the rows of the binding tables name.
enum MusicBlock : int { kMusicLeftBlock, kTargetBlock, kSystemBlock };

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
    : PageDlg(135, host, parent, graphControlFactory(host)), m_graph(control<GraphView>(kGraph)),
      m_row(*this, m_graph, control<QSlider>(kBandWindow), kStripLayout, kEqMusicLeft),
      m_binder(built(), kSliders, kCombos,
               [this](int block, std::size_t offset) { return resolve(block, offset); }) {
    m_sync = control<BitButton>(kSyncButton);
    m_left = control<BitButton>(kLeftButton);
    m_right = control<BitButton>(kRightButton);
    m_reset = control<BitButton>(kResetButton);
    m_bypass = control<BitButton>(kBypassButton);

    m_graph->setup();
    m_graph->setNotifyTarget(this);
    m_graph->layoutPage(kGraphMusic);
    m_graph->selectChannel(kEqMusicLeft);
    for (int i = 0; i < m_row.count(); ++i)
        watchKeys(m_row.strip(i));

    m_binder.setUp();
    m_binder.connectCombos([this](int id, int index) { comboChosen(id, index); });
    connect(m_sync, &BitButton::clicked, this, &MusicDlg::toggleSync);
    connect(m_left, &BitButton::clicked, this, [this] { chooseChannel(kEqMusicLeft); });
    connect(m_right, &BitButton::clicked, this, [this] { chooseChannel(kEqMusicRight); });
    connect(m_reset, &BitButton::clicked, this, &MusicDlg::resetEqClicked);
    connect(m_bypass, &BitButton::clicked, this, &MusicDlg::toggleBypass);
}

std::span<const PageText> MusicDlg::texts() const {
    return kTexts;
}

bool MusicDlg::linked() const {
    return host().store().working.byte(image::kMusicLink) != 0;
}

int MusicDlg::targetChannel() const {
    return linked() ? kEqMusicLeft : m_shown;
}

FieldRef MusicDlg::resolve(int block, std::size_t offset) const {
    ParamStore& store = host().store();
    switch (block) {
    case kMusicLeftBlock:
        return {store.working, image::kMusicLeft + offset};
    case kTargetBlock:
        return {store.working,
                (targetChannel() == kEqMusicRight ? image::kMusicRight : image::kMusicLeft) +
                    offset};
    case kSystemBlock:
        return {store.workingSystem, offset};
    default:
        return {};
    }
}

void MusicDlg::crossoverChanged(int controlId, int code) {
    BandSets* sets = host().bandSets();
    kCrossovers.edited(*m_graph, sets != nullptr ? sets->channel(targetChannel()) : nullptr,
                       controlId, code);
}

void MusicDlg::sliderMoved(int sliderId, int position) {
    if (const SliderRow* row = m_binder.sliderMoved(sliderId, position))
        crossoverChanged(row->sliderId, readField(m_binder.field(*row), row->shape));
}

void MusicDlg::editCommitted(int editId) {
    if (const SliderRow* row = m_binder.editCommitted(editId))
        crossoverChanged(row->sliderId, readField(m_binder.field(*row), row->shape));
}

void MusicDlg::comboChosen(int comboId, int index) {
    if (m_binder.comboChanged(comboId, index) != nullptr && index >= 0)
        crossoverChanged(comboId, index);
}

bool MusicDlg::onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) {
    switch (message) {
    case Message::SliderTracking:
    case Message::SliderChanged:
        if (auto* slider = control<BitmapSlider>(static_cast<int>(wParam)))
            sliderMoved(static_cast<int>(wParam), slider->getPos());
        return true;
    case Message::EditCommitted:
        editCommitted(static_cast<int>(lParam));
        return true;
    case Message::StripTouched:
        m_row.highlight(static_cast<int>(lParam));
        return true;
    case Message::GraphBandSelected:
        bandPicked(static_cast<int>(lParam));
        return true;
    default:
        return PageDlg::onMessage(message, wParam, lParam);
    }
}

void MusicDlg::bandPicked(int index) {
    kCrossovers.picked(m_row, m_binder, m_graph->bandSet(), index);
}

void MusicDlg::showChannel(int channel) {
    m_shown = channel;
    m_row.setChannel(channel);
}

void MusicDlg::chooseChannel(int channel) {
    if (channel == m_shown)
        return;
    showChannel(channel);
    refresh();
}

void MusicDlg::refreshChannelButtons() {
    const bool link = linked();
    m_sync->setDown(link);
    m_left->setEnabled(!link);
    m_right->setEnabled(!link);
    m_left->setDown(!link && m_shown == kEqMusicLeft);
    m_right->setDown(!link && m_shown == kEqMusicRight);
}

void MusicDlg::refresh() {
    // A mode that arrives linked while Music Right is shown: the strips and the graph follow
    // the channel the controls edit.
    if (linked() && m_shown != kEqMusicLeft)
        showChannel(kEqMusicLeft);
    m_row.refresh();
    refreshChannelButtons();
    m_bypass->setDown(resolve(kTargetBlock, music::kEqBypass).byte() != 0);
    m_binder.refresh();
    m_graph->selectChannel(m_shown);
    m_graph->redraw(-1, false);
}

void MusicDlg::toggleSync() {
    ParamStore& store = host().store();
    {
        const std::lock_guard lock(modelLock());
        const bool nowLinked = store.working.byte(image::kMusicLink) == 0;
        store.working.setByte(image::kMusicLink, nowLinked ? 1 : 0);
        if (!nowLinked)
            copyMusicLink(store, true);
    }
    if (linked() && m_shown != kEqMusicLeft) {
        showChannel(kEqMusicLeft);
        refresh();
    } else if (!linked()) {
        // Music Right now holds Music Left's values.
        m_row.refresh();
        m_graph->redraw(-1, false);
    }
    refreshChannelButtons();
}

void MusicDlg::resetEqClicked() {
    resetEq(host().store(), m_shown);
    m_row.moveTo(m_row.first());
    m_graph->selectChannel(m_shown);
    m_graph->redraw(-1, false);
}

void MusicDlg::toggleBypass() {
    const FieldRef bypass = resolve(kTargetBlock, music::kEqBypass);
    const bool on = bypass.byte() == 0;
    bypass.setByte(on ? 1 : 0);
    m_graph->redraw(-1, false);
    m_bypass->setDown(on);
}

void MusicDlg::applyUiMode(int uiMode) {
    const bool full = uiMode == 1;
    for (int id : kFullModeSliders)
        if (auto* slider = control<BitmapSlider>(id))
            slider->enable(full);
    for (int id : kFullModeControls)
        if (QWidget* widget = control(id))
            widget->setEnabled(full);
    applyTexts(kHarmonicTexts);
}

} // namespace kesmo
