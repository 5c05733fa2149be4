#include "pages/DEQ_Dlg.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/NumEdit.h"
#include "filters/BandSets.h"
#include "filters/CFStatic.h"
#include "model/DataConver.h"
#include "model/WorkingModel.h"
#include "pages/EQDlg.h"
#include "pages/MusicDlg.h"
#include "pages/PageHost.h"
#include "resources/Skin.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <algorithm>
#include <array>
#include <iterator>

namespace kesmo {

namespace {

using namespace layout;

constexpr int kBands = DEQ_Dlg::kBands;

// Band k's control is the id of band 1 + k.
enum DynamicEqControl : int {
    kFrequencyEdit = 2030,
    kTypeList = 2040,
    kGainEdit = 2050,
    kQEdit = 2060,
    kGainSlider = 2070,
    kSyncButton = 1064,
    kLeftButton = 1065,
    kRightButton = 1066,
    kResetButton = 1067,
    kGraph = 1308,
};

// The band of a control whose band-1 id is `base`, or -1.
int bandOf(int id, int base) {
    const int k = id - base;
    return k >= 0 && k < kBands ? k : -1;
}

// The travel ends on the strip bitmap's scale at +12 and -12 dB.
constexpr int kGainBottomMargin = 35;

// The gain sliders are the strip's, whatever the default factory would put there.
ControlFactory dynamicEqFactory(PageHost& host) {
    return [graphs = graphControlFactory(host)](const ControlTemplate& c,
                                                QWidget* parent) -> QWidget* {
        if (bandOf(c.id, kGainSlider) >= 0)
            return newGainSlider(parent, kGainBottomMargin);
        return graphs(c, parent);
    };
}

// The band's edits, each written through the filter. A code stored beyond the edit's range
// shows as the nearest code in it.
struct BandEdit {
    int base;
    CodeRange range;
    int (CFilter::*set)(int);
    int (*stored)(const EqBandView&);
};
constexpr BandEdit kBandEdits[] = {
    {kFrequencyEdit, ranges::kFrequency, &CFilter::setFrequencyCode,
     [](const EqBandView& r) -> int { return r.freq(); }},
    {kGainEdit, ranges::kDynEqGain, &CFilter::setGainCode,
     [](const EqBandView& r) -> int { return r.gain(); }},
    {kQEdit, ranges::kQ, &CFilter::setQCode, [](const EqBandView& r) -> int { return r.q(); }},
};
constexpr const BandEdit& kGain = kBandEdits[1];

// The rows name the bytes of band 1 in the block the page edits; band k's are 10·k further.
enum DynamicEqBlock : int { kTargetBlock };

// clang-format off
struct CompressorRow {
    int labelId, sliderId;
    CodeRange range;
    int kind;
    std::size_t field;
    const char* unit;
    int integerOffset;
};
constexpr CompressorRow kCompressor[] = {
    {2090, 2100, ranges::kDynThreshold, kKindInteger, dyneq::kThreshold, "dBV", 48},
    {2120, 2130, ranges::kAttack, kKindAttack, dyneq::kAttack, "ms", 0},
    {2150, 2160, ranges::kRelease, kKindRelease, dyneq::kRelease, "", 0},
    {2180, 2190, ranges::kRatio, kKindRatio, dyneq::kRatio, "", 0},
};
// clang-format on

constexpr auto kSliders = [] {
    std::array<SliderRow, std::size(kCompressor) * kBands> rows{};
    std::size_t n = 0;
    for (int k = 0; k < kBands; ++k)
        for (const CompressorRow& c : kCompressor)
            rows[n++] = {.sliderId = c.sliderId + k,
                         .labelId = c.labelId + k,
                         .minimum = c.range.minimum,
                         .maximum = c.range.maximum,
                         .kind = c.kind,
                         .block = kTargetBlock,
                         .offset =
                             music::kDynEq + dyneq::kSize * static_cast<std::size_t>(k) + c.field,
                         .unit = c.unit,
                         .integerOffset = c.integerOffset};
    return rows;
}();

// Each band's captions, by the id of band 1. The band numbers keep their template texts.
constexpr PageText kBandCaptions[] = {
    {2200, "类型", "Type"},
    {2210, "频率(Hz)", "Freq(Hz)"},
    {2220, "增益(dB)", "Gain(dB)"},
    {2230, "Q值", "Q"},
    {2080, "压限启动电平", "Limit Level"},
    {2110, "压限启动时间(Atk)", "Attack Time(Atk)"},
    {2140, "压限释放时间", "Release Time"},
    {2170, "压缩比例", "Ratio"},
};

constexpr PageText kButtons[] = {
    {kSyncButton, "同步", "SYNC"},
    {kLeftButton, "音乐左", "Music Left"},
    {kRightButton, "音乐右", "Music Right"},
    {kResetButton, "EQ 重置", "EQ Reset"},
};

constexpr auto kTexts = [] {
    std::array<PageText, std::size(kBandCaptions) * kBands + std::size(kButtons)> out{};
    std::size_t n = 0;
    for (int k = 0; k < kBands; ++k)
        for (const PageText& t : kBandCaptions)
            out[n++] = {t.id + k, t.chinese, t.english};
    for (const PageText& t : kButtons)
        out[n++] = t;
    return out;
}();

// What Easy mode disables, by the id of band 1: every control but the captions. The channel
// buttons follow the link as well.
constexpr int kBandControls[] = {kTypeList, kFrequencyEdit, kGainEdit, kQEdit, kGainSlider,
                                 2090,      2100,           2120,      2130,   2150,
                                 2160,      2180,           2190};
constexpr int kPageControls[] = {kGraph, kSyncButton, kResetButton};

} // namespace

DEQ_Dlg::DEQ_Dlg(PageHost& host, QWidget* parent)
    : PageDlg(144, host, parent, dynamicEqFactory(host)), m_graph(control<GraphView>(kGraph)),
      m_shown(kEqDynMusicLeft),
      m_binder(built(), kSliders, {},
               [this](int block, std::size_t offset) { return resolve(block, offset); }) {
    m_sync = control<BitButton>(kSyncButton);
    m_left = control<BitButton>(kLeftButton);
    m_right = control<BitButton>(kRightButton);
    m_reset = control<BitButton>(kResetButton);
    // Disabled in Easy mode, the buttons still show which channel is on view.
    for (BitButton* button : {m_sync, m_left, m_right, m_reset})
        button->setDisabledBitmaps(bitmap::kButtonUp, bitmap::kButtonDown);

    m_graph->setup();
    m_graph->setNotifyTarget(this);
    m_graph->layoutPage(kGraphDynamicEq);
    m_graph->selectChannel(kEqDynMusicLeft);

    for (int k = 0; k < kBands; ++k) {
        for (const BandEdit& e : kBandEdits) {
            auto* edit = control<NumEdit>(e.base + k);
            if (e.base == kGainEdit) {
                edit->setKind(kEditScaled, {});
                edit->setScale(0.2);
                edit->setOffset(24.0);
            } else {
                edit->setKind(e.base == kQEdit ? kEditQ : kEditFrequency, {});
            }
            edit->setRange(e.range.minimum, e.range.maximum);
        }
        auto* slider = control<BitmapSlider>(kGainSlider + k);
        slider->setRange(kGain.range.minimum, kGain.range.maximum);
        control<NumEdit>(kGainEdit + k)->setBuddy(slider);
        connect(control<QComboBox>(kTypeList + k), &QComboBox::activated, this,
                [this, k](int index) { typeChosen(k, index); });
    }
    m_binder.setUp();
    connect(m_sync, &BitButton::clicked, this, &DEQ_Dlg::toggleSync);
    connect(m_left, &BitButton::clicked, this, [this] { chooseChannel(kEqDynMusicLeft); });
    connect(m_right, &BitButton::clicked, this, [this] { chooseChannel(kEqDynMusicRight); });
    connect(m_reset, &BitButton::clicked, this, &DEQ_Dlg::resetEqClicked);
}

std::span<const PageText> DEQ_Dlg::texts() const {
    return kTexts;
}

bool DEQ_Dlg::linked() const {
    return host().store().working.byte(image::kMusicLink) != 0;
}

FieldRef DEQ_Dlg::resolve(int block, std::size_t offset) const {
    if (block != kTargetBlock)
        return {};
    const bool right = !linked() && m_shown == kEqDynMusicRight;
    return {host().store().working, (right ? image::kMusicRight : image::kMusicLeft) + offset};
}

CFilter* DEQ_Dlg::band(int k) const {
    BandSets* sets = host().bandSets();
    CKTVEQ* set = sets != nullptr ? sets->channel(m_shown) : nullptr;
    return set != nullptr ? set->filter(k) : nullptr;
}

void DEQ_Dlg::loadBand(int k) {
    CFilter* filter = band(k);
    if (filter == nullptr || !filter->band())
        return;
    const EqBandView record = *filter->band();
    if (auto* type = control<QComboBox>(kTypeList + k)) {
        const QSignalBlocker quiet(type);
        type->setCurrentIndex(record.type() < type->count() ? record.type() : -1);
    }
    for (const BandEdit& e : kBandEdits)
        control<NumEdit>(e.base + k)->setValue(e.range.clamp(e.stored(record)));
    control<BitmapSlider>(kGainSlider + k)->setPosInverted(kGain.range.clamp(kGain.stored(record)));
}

void DEQ_Dlg::typeChosen(int k, int index) {
    if (CFilter* filter = band(k); filter != nullptr && index >= 0) {
        filter->setType(index);
        m_graph->redraw(k, false);
    }
}

// A commit of the value the edit already showed writes nothing, so that clicking into an edit
// keeps a code stored beyond its range as it came.
void DEQ_Dlg::editCommitted(int editId) {
    for (const BandEdit& e : kBandEdits) {
        const int k = bandOf(editId, e.base);
        CFilter* filter = k >= 0 ? band(k) : nullptr;
        if (filter == nullptr || !filter->band())
            continue;
        const int code = control<NumEdit>(editId)->getValue();
        if (code != e.range.clamp(e.stored(*filter->band())))
            (filter->*e.set)(code);
        if (e.base == kGainEdit)
            control<BitmapSlider>(kGainSlider + k)->setPosInverted(code);
        m_graph->redraw(k, false);
        return;
    }
}

void DEQ_Dlg::sliderMoved(int sliderId) {
    auto* slider = control<BitmapSlider>(sliderId);
    if (slider == nullptr)
        return;
    if (const int k = bandOf(sliderId, kGainSlider); k >= 0) {
        CFilter* filter = band(k);
        if (filter == nullptr || !filter->band())
            return;
        const int code = slider->getPosInverted();
        if (code != kGain.range.clamp(kGain.stored(*filter->band())))
            filter->setGainCode(code);
        control<NumEdit>(kGainEdit + k)->setValue(code);
        m_graph->redraw(k, false);
        return;
    }
    // The same for the compressor: a report of the position already shown writes nothing.
    const SliderRow* row = m_binder.sliderRow(sliderId);
    if (row == nullptr)
        return;
    const int stored = readField(m_binder.field(*row), row->shape);
    if (slider->getPos() != std::clamp(stored, row->minimum, row->maximum))
        m_binder.sliderMoved(sliderId, slider->getPos());
}

bool DEQ_Dlg::onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) {
    switch (message) {
    case Message::SliderTracking:
    case Message::SliderChanged:
        sliderMoved(static_cast<int>(wParam));
        return true;
    case Message::EditCommitted:
        editCommitted(static_cast<int>(lParam));
        return true;
    case Message::GraphBandSelected:
        if (lParam >= 0 && lParam < kBands)
            loadBand(static_cast<int>(lParam));
        return true;
    default:
        return PageDlg::onMessage(message, wParam, lParam);
    }
}

void DEQ_Dlg::chooseChannel(int channel) {
    if (channel == m_shown)
        return;
    m_shown = channel;
    refresh();
}

// While linked the page edits Music Left only, so the channel buttons stay disabled in either
// mode.
void DEQ_Dlg::refreshChannelButtons() {
    const bool link = linked();
    m_sync->setDown(link);
    m_left->setEnabled(m_fullMode && !link);
    m_right->setEnabled(m_fullMode && !link);
    m_left->setDown(!link && m_shown == kEqDynMusicLeft);
    m_right->setDown(!link && m_shown == kEqDynMusicRight);
}

void DEQ_Dlg::refresh() {
    // A mode that arrives linked while Music Right is shown: the graph follows the controls.
    if (linked())
        m_shown = kEqDynMusicLeft;
    refreshChannelButtons();
    m_graph->selectChannel(m_shown);
    for (int k = 0; k < kBands; ++k)
        loadBand(k);
    m_binder.refresh();
}

void DEQ_Dlg::toggleSync() {
    const bool nowLinked = toggleMusicLink(host().store());
    if (nowLinked && m_shown != kEqDynMusicLeft) {
        m_shown = kEqDynMusicLeft;
        refresh();
    }
    refreshChannelButtons();
}

// The compressor bytes stay as they are.
void DEQ_Dlg::resetEqClicked() {
    resetEq(host().store(), m_shown);
    for (int k = 0; k < kBands; ++k)
        loadBand(k);
    m_graph->selectChannel(m_shown);
    m_graph->redraw(-1, false);
}

// Easy mode leaves the dynamic EQ to be seen but not changed: the controls keep showing their
// values and take no input.
void DEQ_Dlg::applyUiMode(int uiMode) {
    m_fullMode = uiMode == 1;
    for (int base : kBandControls)
        for (int k = 0; k < kBands; ++k)
            if (QWidget* widget = control(base + k))
                widget->setEnabled(m_fullMode);
    for (int id : kPageControls)
        if (QWidget* widget = control(id))
            widget->setEnabled(m_fullMode);
    refreshChannelButtons();
}

} // namespace kesmo
