#include "pages/MainDlg.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/NumEdit.h"
#include "devicelink/LinkState.h"
#include "filters/BandSets.h"
#include "filters/CFStatic.h"
#include "model/DataConver.h"
#include "model/WorkingModel.h"
#include "pages/PageHost.h"
#include "resources/Skin.h"

#include <QComboBox>
#include <mutex>

namespace kesmo {

namespace {

using namespace layout;

constexpr int kFirstTab = 4;
constexpr int kLastTab = 8;

enum OutputControl : int {
    kSyncButton = 3700,
    kLeftButton = 3701,
    kRightButton = 3702,
    kResetButton = 3703,
    kPassButton = 3704,
    kLeftMute = 3705,
    kRightMute = 3706,
    kFirstSceneButton = 3707, // Auto, Sing, Disco, Decode
    kGraph = 1298,
    kHpfSlider = 3731,
    kLpfSlider = 3732,
    kHpfSlope = 1025,
    kLpfSlope = 1026,
    kHpfEdit = 1287,
    kLpfEdit = 1290,
};

constexpr CrossoverControls kCrossovers{kHpfSlider, kHpfSlope, kLpfSlider, kLpfSlope};

constexpr int kSceneButtons = 4;
constexpr int kFrequencyMax = 361;
constexpr StripRow::Layout kStripLayout{
    MainDlg::kStrips, static_cast<int>(output::kEqBands), {60, 5}, 53};

struct ChannelGroup {
    int left;         // EqChannel; also the group's only channel
    int right;        // -1 for a single channel
    std::size_t link; // link flag offset of a pair
};
// By tab, from tab 4.
constexpr ChannelGroup kGroups[] = {
    {8, 9, image::kMainLink},       {10, -1, 0}, {11, -1, 0}, {12, 13, image::kRearLink},
    {14, 15, image::kSurroundLink},
};

// SYNC, the channel buttons, R mute and the right delay: Center and SUB have no right channel.
constexpr int kPairOnly[] = {3700, 3701, 3702, 3706, 1283, 1284, 1416, 3730};

// The block a row's field sits in, all in the scene being edited: the shown channel, the
// group's left channel (limiter, left delay, L mute) and its right channel (right delay, R mute).
enum OutputBlock : int { kTargetBlock, kLeftBlock, kRightBlock };

// clang-format off
const SliderRow kSliders[] = {
    {.sliderId = 3720, .labelId = 1253, .minimum = 0, .maximum = 200, .kind = kKindInteger, .block = kTargetBlock, .offset = output::kMusicLevel, .unit = "%"},
    {.sliderId = 3721, .labelId = 1256, .minimum = 0, .maximum = 200, .kind = kKindInteger, .block = kTargetBlock, .offset = output::kMicLevel, .unit = "%"},
    {.sliderId = 3722, .labelId = 1259, .minimum = 0, .maximum = 200, .kind = kKindInteger, .block = kTargetBlock, .offset = output::kEchoALevel, .unit = "%"},
    {.sliderId = 3723, .labelId = 1262, .minimum = 0, .maximum = 200, .kind = kKindInteger, .block = kTargetBlock, .offset = output::kEchoBLevel, .unit = "%"},
    {.sliderId = 3724, .labelId = 1265, .minimum = 0, .maximum = 200, .kind = kKindInteger, .block = kTargetBlock, .offset = output::kReverbLevel, .unit = "%"},
    {.sliderId = 3725, .labelId = 1269, .minimum = 0, .maximum = 34, .kind = kKindInteger, .block = kLeftBlock, .offset = output::kLimitLevel, .unit = "dB", .integerOffset = 22},
    {.sliderId = 3726, .labelId = 1272, .minimum = 0, .maximum = 19, .kind = kKindAttack, .block = kLeftBlock, .offset = output::kLimitAttack, .unit = "ms"},
    {.sliderId = 3727, .labelId = 1275, .minimum = 0, .maximum = 7, .kind = kKindRelease, .block = kLeftBlock, .offset = output::kLimitRelease},
    {.sliderId = 3728, .labelId = 1278, .minimum = 0, .maximum = 40, .kind = kKindRatio, .block = kLeftBlock, .offset = output::kLimitRatio},
    {.sliderId = 3729, .labelId = 1281, .minimum = 0, .maximum = 1500, .kind = kKindReal, .block = kLeftBlock, .offset = output::kDelay, .shape = kWordField, .unit = "ms", .realScale = 0.1},
    {.sliderId = 3730, .labelId = 1284, .minimum = 0, .maximum = 1500, .kind = kKindReal, .block = kRightBlock, .offset = output::kDelay, .shape = kWordField, .unit = "ms", .realScale = 0.1},
    {.sliderId = kHpfSlider, .labelId = 0, .minimum = 0, .maximum = kFrequencyMax, .kind = 0, .block = kTargetBlock, .offset = output::kHpf + crossover::kFreq, .shape = kWordField, .unit = "Hz", .editId = kHpfEdit, .editKind = kEditFrequency},
    {.sliderId = kLpfSlider, .labelId = 0, .minimum = 0, .maximum = kFrequencyMax, .kind = 0, .block = kTargetBlock, .offset = output::kLpf + crossover::kFreq, .shape = kWordField, .unit = "Hz", .editId = kLpfEdit, .editKind = kEditFrequency},
};
// The delays once more, as the distance sound travels meanwhile.
const SliderRow kMetres[] = {
    {.sliderId = 3729, .labelId = 1415, .minimum = 0, .maximum = 1500, .kind = kKindMetres, .block = kLeftBlock, .offset = output::kDelay, .shape = kWordField},
    {.sliderId = 3730, .labelId = 1416, .minimum = 0, .maximum = 1500, .kind = kKindMetres, .block = kRightBlock, .offset = output::kDelay, .shape = kWordField},
};
const ComboRow kCombos[] = {
    {kHpfSlope, kTargetBlock, output::kHpf + crossover::kSlope},
    {kLpfSlope, kTargetBlock, output::kLpf + crossover::kSlope},
};
// clang-format on

constexpr int kSignToggles[] = {3750, 3751, 3752, 3753, 3754};
// Sliders, lists and edits the scene enables; the limiter's sliders are Full mode's too.
constexpr int kSceneSliders[] = {3720, 3721, 3722, 3723, 3724, 3729, 3730, 3731, 3732};
constexpr int kLimiterSliders[] = {3725, 3726, 3727, 3728};
constexpr int kLimiterLabels[] = {1269, 1272, 1275, 1278};
constexpr int kSceneControls[] = {kResetButton, kPassButton, kLeftMute, kRightMute,
                                  kHpfSlope,    kLpfSlope,   kHpfEdit,  kLpfEdit};

// EQ Pass keeps its text in both languages.
constexpr PageText kTexts[] = {
    {1406, "类型", "Type"},
    {1407, "增益(dB)", "Gain(dB)"},
    {1408, "频率(Hz)", "Freq(Hz)"},
    {1409, "Q值", "Q"},
    {3700, "同步", "SYNC"},
    {3703, "EQ重置", "EQ Reset"},
    {3707, "自动", "Auto"},
    {3708, "唱歌", "Sing"},
    {3709, "热舞", "Disco"},
    {3710, "解码", "Decode"},
    {1252, "音乐电平", "Music Level"},
    {1255, "话筒电平", "Mic Level"},
    {1258, "回声A电平", "EchoA Level"},
    {1261, "回声B电平", "EchoB Level"},
    {1264, "混响电平", "Reverb Level"},
    {1268, "压限启动电平", "Limit Level"},
    {1271, "压限启动时间", "Attack Time"},
    {1274, "压限释放时间", "Release Time"},
    {1277, "压缩比例", "Ratio"},
    {1286, "高通", "HPF"},
    {1410, "低通", "LPF"},
};

constexpr PageText kMainGroup[] = {
    {3701, "主左", "Main L"},
    {3702, "主右", "Main R"},
    {3705, "左静音", "L Mute"},
    {3706, "右静音", "R Mute"},
    {1267, "主输出压限", "Main Limit"},
    {1280, "左声道延时", "Left Delay"},
    {1283, "右声道延时", "Right Delay"},
};
constexpr PageText kCenterGroup[] = {
    {3705, "静音", "Mute"},
    {1267, "中置压限", "Center Limit"},
    {1280, "中置延时", "Center Delay"},
};
constexpr PageText kSubGroup[] = {
    {3705, "静音", "Mute"},
    {1267, "超低压限", "SUB Limit"},
    {1280, "超低延时", "SUB Delay"},
};
constexpr PageText kRearGroup[] = {
    {3701, "后左", "Rear L"},
    {3702, "后右", "Rear R"},
    {3705, "左静音", "L Mute"},
    {3706, "右静音", "R Mute"},
    {1267, "后置输出压限", "Rear Limit"},
    {1280, "左声道延时", "Left Delay"},
    {1283, "右声道延时", "Right Delay"},
};
constexpr PageText kSurroundGroup[] = {
    {3701, "环绕左", "Surround L"},
    {3702, "环绕右", "Surround R"},
    {3705, "左静音", "L Mute"},
    {3706, "右静音", "R Mute"},
    {1267, "环绕输出压限", "Surround Limit"},
    {1280, "左声道延时", "Left Delay"},
    {1283, "右声道延时", "Right Delay"},
};

// By tab, from tab 4.
constexpr std::array<std::span<const PageText>, kLastTab - kFirstTab + 1> kGroupTexts{
    kMainGroup, kCenterGroup, kSubGroup, kRearGroup, kSurroundGroup};

const ChannelGroup& groupOf(int tab) {
    return kGroups[static_cast<std::size_t>(tab - kFirstTab)];
}

} // namespace

// Two-state bytes flipped by a click: EQ Pass, the mutes and the sign toggles.
struct OutputToggle {
    int buttonId;
    int block;
    std::size_t offset;
};

namespace {
constexpr OutputToggle kToggles[] = {
    {kPassButton, kTargetBlock, output::kEqBypass}, {kLeftMute, kLeftBlock, output::kMute},
    {kRightMute, kRightBlock, output::kMute},       {3750, kTargetBlock, output::kMusicSign},
    {3751, kTargetBlock, output::kMicSign},         {3752, kTargetBlock, output::kEchoASign},
    {3753, kTargetBlock, output::kEchoBSign},       {3754, kTargetBlock, output::kReverbSign},
};
} // namespace

MainDlg::MainDlg(PageHost& host, QWidget* parent)
    : PageDlg(149, host, parent, graphControlFactory(host)), m_graph(control<GraphView>(kGraph)),
      m_row(*this, m_graph, nullptr, kStripLayout, kEqOutputFirst),
      m_binder(built(), kSliders, kCombos,
               [this](int block, std::size_t offset) { return resolve(block, offset); }),
      m_metres(built(), kMetres, {},
               [this](int block, std::size_t offset) { return resolve(block, offset); }),
      m_uiMode(host.uiMode()) {
    m_graph->setup();
    m_graph->setNotifyTarget(this);
    m_graph->layoutPage(kGraphOutputFirst);
    m_graph->selectChannel(kEqOutputFirst);
    for (int i = 0; i < m_row.count(); ++i)
        watchKeys(m_row.strip(i));

    for (int id = kSyncButton; id < kFirstSceneButton + kSceneButtons; ++id)
        control<BitButton>(id)->setDisabledBitmaps(bitmap::kButtonUp, bitmap::kButtonDown);
    for (int id : kSignToggles) {
        auto* sign = control<BitButton>(id);
        sign->setBitmaps(bitmap::kSignPlus, bitmap::kSignPlus, bitmap::kSignPlus,
                         bitmap::kSignMinus, bitmap::kSignMinus, bitmap::kSignMinus);
        sign->setDisabledBitmaps(bitmap::kSignPlus, bitmap::kSignMinus);
    }
    m_binder.setUp();
    m_metres.setUp();
    m_binder.connectCombos([this](int id, int index) { comboChosen(id, index); });

    connect(control<BitButton>(kSyncButton), &BitButton::clicked, this, &MainDlg::toggleSync);
    connect(control<BitButton>(kLeftButton), &BitButton::clicked, this,
            [this] { chooseChannel(groupOf(m_group).left); });
    connect(control<BitButton>(kRightButton), &BitButton::clicked, this,
            [this] { chooseChannel(groupOf(m_group).right); });
    connect(control<BitButton>(kResetButton), &BitButton::clicked, this, &MainDlg::resetEqClicked);
    for (int s = 0; s < kSceneButtons; ++s)
        connect(control<BitButton>(kFirstSceneButton + s), &BitButton::clicked, this,
                [this, s] { chooseScene(s); });
    for (const OutputToggle& row : kToggles)
        connect(control<BitButton>(row.buttonId), &BitButton::clicked, this,
                [this, &row] { toggle(row); });
}

std::span<const PageText> MainDlg::texts() const {
    return kTexts;
}

std::span<const PageText> MainDlg::groupTexts(int tab) {
    if (tab < kFirstTab || tab > kLastTab)
        return {};
    return kGroupTexts[static_cast<std::size_t>(tab - kFirstTab)];
}

int MainDlg::shownChannel() const {
    return m_shown[static_cast<std::size_t>(m_group - kFirstTab)];
}

bool MainDlg::pair() const {
    return groupOf(m_group).right >= 0;
}

bool MainDlg::linked() const {
    return pair() && host().store().working.byte(groupOf(m_group).link) != 0;
}

bool MainDlg::editable() const {
    return host().store().working.byte(image::kSceneSelect) != 0;
}

FieldRef MainDlg::resolve(int block, std::size_t offset) const {
    ParamStore& store = host().store();
    const ChannelGroup& g = groupOf(m_group);
    int channel = -1;
    switch (block) {
    case kTargetBlock:
        channel = shownChannel();
        break;
    case kLeftBlock:
        channel = g.left;
        break;
    case kRightBlock:
        channel = g.right;
        break;
    default:
        break;
    }
    if (channel < kEqOutputFirst)
        return {};
    return {store.working,
            outputChannelOffset(editedScene(store), channel - kEqOutputFirst) + offset};
}

void MainDlg::showGroup(int tab) {
    if (tab >= kFirstTab && tab <= kLastTab)
        m_group = tab;
    const bool isPair = pair();
    for (int id : kPairOnly)
        control(id)->setVisible(isPair);
    m_graph->selectChannel(shownChannel());
    m_row.setChannel(shownChannel());
    // A tab switch refreshes without re-applying texts, and the captions name the group.
    applyGroupTexts();
}

void MainDlg::refreshTexts() {
    PageDlg::refreshTexts();
    applyGroupTexts();
}

void MainDlg::applyGroupTexts() {
    applyTexts(groupTexts(m_group));
}

void MainDlg::showChannel(int channel) {
    m_shown[static_cast<std::size_t>(m_group - kFirstTab)] = channel;
    m_row.setChannel(channel);
}

// Under "Auto" nothing that edits is enabled; the limiter and SYNC are Full mode's as well.
void MainDlg::applyEnables() {
    const bool edit = editable();
    const bool full = m_uiMode == 1;
    m_row.enableAll(edit);
    m_graph->setEnabled(edit);
    for (int id : kSceneSliders)
        control<BitmapSlider>(id)->enable(edit);
    for (int id : kLimiterSliders)
        control<BitmapSlider>(id)->enable(edit && full);
    for (int id : kLimiterLabels)
        control(id)->setEnabled(full);
    for (int id : kSceneControls)
        control(id)->setEnabled(edit);
    for (int id : kSignToggles)
        control(id)->setEnabled(edit);
    control(kSyncButton)->setEnabled(edit && full);
    // Choosing a channel only changes what is shown.
    control(kLeftButton)->setEnabled(pair() && !linked());
    control(kRightButton)->setEnabled(pair() && !linked());
}

void MainDlg::refresh() {
    m_row.clearHighlight();
    const ChannelGroup& g = groupOf(m_group);
    if (linked() && shownChannel() != g.left)
        showChannel(g.left);
    applyEnables();
    const int scene = host().store().working.byte(image::kSceneSelect);
    for (int s = 0; s < kSceneButtons; ++s)
        control<BitButton>(kFirstSceneButton + s)->setDown(s == scene);
    const bool link = linked();
    control<BitButton>(kSyncButton)->setDown(link);
    control<BitButton>(kLeftButton)->setDown(!link && shownChannel() == g.left);
    control<BitButton>(kRightButton)->setDown(pair() && shownChannel() == g.right);
    m_graph->selectChannel(shownChannel());
    m_row.refresh();
    for (const OutputToggle& row : kToggles)
        control<BitButton>(row.buttonId)->setDown(resolve(row.block, row.offset).byte() != 0);
    m_binder.refresh();
    m_metres.refresh();
    applyGroupTexts();
}

void MainDlg::applyUiMode(int uiMode) {
    m_uiMode = uiMode;
    applyEnables();
}

void MainDlg::chooseChannel(int channel) {
    if (channel < 0 || channel == shownChannel())
        return;
    showChannel(channel);
    refresh();
}

void MainDlg::chooseScene(int scene) {
    ParamStore& store = host().store();
    if (scene == store.working.byte(image::kSceneSelect))
        return;
    // Written directly: "Auto" edits the fallback scene, the others their own.
    store.working.setByte(image::kSceneSelect, static_cast<std::uint8_t>(scene));
    m_row.setChannel(shownChannel());
    m_graph->selectChannel(shownChannel());
    refresh();
}

void MainDlg::toggleSync() {
    if (!pair())
        return;
    ParamStore& store = host().store();
    const ChannelGroup& g = groupOf(m_group);
    const std::lock_guard lock(modelLock());
    const bool nowLinked = store.working.byte(g.link) == 0;
    store.working.setByte(g.link, nowLinked ? 1 : 0);
    if (nowLinked && shownChannel() == g.right)
        showChannel(g.left);
    if (!nowLinked)
        copyOutputLink(store, g.right, true);
    refresh();
}

void MainDlg::toggle(const OutputToggle& row) {
    const FieldRef field = resolve(row.block, row.offset);
    if (!field.valid())
        return;
    const bool on = field.byte() == 0;
    field.setByte(on ? 1 : 0);
    control<BitButton>(row.buttonId)->setDown(on);
    if (row.buttonId == kPassButton)
        m_graph->redraw(-1, false);
}

void MainDlg::resetEqClicked() {
    resetEq(host().store(), shownChannel());
    m_row.moveTo(0);
    m_graph->selectChannel(shownChannel());
}

void MainDlg::crossoverChanged(int controlId, int code) {
    BandSets* sets = host().bandSets();
    kCrossovers.edited(*m_graph, sets != nullptr ? sets->channel(shownChannel()) : nullptr,
                       controlId, code);
}

void MainDlg::sliderMoved(int sliderId, int position) {
    const SliderRow* row = m_binder.sliderMoved(sliderId, position);
    if (row == nullptr)
        return;
    if (const SliderRow* metres = m_metres.sliderRow(sliderId))
        m_metres.refreshSlider(*metres);
    if (row->editId != 0)
        crossoverChanged(row->sliderId, readField(m_binder.field(*row), row->shape));
}

void MainDlg::editCommitted(int editId) {
    if (const SliderRow* row = m_binder.editCommitted(editId))
        crossoverChanged(row->sliderId, readField(m_binder.field(*row), row->shape));
}

void MainDlg::comboChosen(int comboId, int index) {
    if (m_binder.comboChanged(comboId, index) != nullptr && index >= 0)
        crossoverChanged(comboId, index);
}

bool MainDlg::onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) {
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

void MainDlg::bandPicked(int index) {
    kCrossovers.picked(m_row, m_binder, m_graph->bandSet(), index);
}

} // namespace kesmo
