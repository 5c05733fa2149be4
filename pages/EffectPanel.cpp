#include "pages/EffectPanel.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "filters/BandSets.h"
#include "filters/CFStatic.h"
#include "model/WorkingModel.h"
#include "pages/PageHost.h"
#include "resources/Skin.h"

namespace kesmo {

namespace {

using namespace layout;

// The reverb block starts like an echo block; the panels address both through one set of
// offsets.
static_assert(reverb::kEqBypass == echo::kEqBypass && reverb::kWetSign == echo::kWetSign &&
              reverb::kDrySign == echo::kDrySign && reverb::kHpf == echo::kHpf &&
              reverb::kLpf == echo::kLpf && reverb::kWetVolume == echo::kWetVolume &&
              reverb::kDryVolume == echo::kDryVolume && reverb::kPreDelay == echo::kPreDelay);

constexpr StripRow::Layout kStripLayout{EffectPanel::kStrips, EffectPanel::kStrips, {60, 5}, 58};

void setSignBitmaps(BitButton* button) {
    button->setBitmaps(bitmap::kSignPlus, bitmap::kSignPlus, bitmap::kSignPlus, bitmap::kSignMinus,
                       bitmap::kSignMinus, bitmap::kSignMinus);
}

} // namespace

std::size_t effectBlockOffset(int channel) {
    switch (channel) {
    case kEqEchoB:
        return image::kEchoB;
    case kEqReverb:
        return image::kReverb;
    default:
        return image::kEchoA;
    }
}

EffectPanel::EffectPanel(int templateId, PageHost& host, QWidget* parent, GraphView* graph,
                         int channel, std::span<const SliderRow> sliders,
                         std::span<const ComboRow> combos, const EffectPanelControls& controls)
    : PageDlg(templateId, host, parent), m_graph(graph), m_controls(controls),
      m_row(*this, graph, nullptr, kStripLayout, channel), m_target(channel),
      m_binder(built(), sliders, combos,
               [this](int, std::size_t offset) { return resolve(offset); }) {
    m_wet = control<BitButton>(controls.wetToggle);
    m_dry = control<BitButton>(controls.dryToggle);
    m_bypass = control<BitButton>(controls.bypassButton);
    setSignBitmaps(m_wet);
    setSignBitmaps(m_dry);
    for (int i = 0; i < m_row.count(); ++i)
        watchKeys(m_row.strip(i));

    m_binder.setUp();
    m_binder.connectCombos([this](int id, int index) { comboChosen(id, index); });
    connect(m_wet, &BitButton::clicked, this, [this] { toggle(echo::kWetSign, m_wet); });
    connect(m_dry, &BitButton::clicked, this, [this] { toggle(echo::kDrySign, m_dry); });
    connect(m_bypass, &BitButton::clicked, this, [this] {
        toggle(echo::kEqBypass, m_bypass);
        m_graph->redraw(-1, false);
    });
    connect(control<BitButton>(controls.resetButton), &BitButton::clicked, this,
            &EffectPanel::resetEqClicked);
}

FieldRef EffectPanel::resolve(std::size_t offset) const {
    return {host().store().working, effectBlockOffset(m_target) + offset};
}

CKTVEQ* EffectPanel::bandSet() const {
    BandSets* sets = host().bandSets();
    return sets != nullptr ? sets->channel(m_target) : nullptr;
}

CFilter* EffectPanel::crossover(int controlId) const {
    CKTVEQ* set = bandSet();
    if (set == nullptr)
        return nullptr;
    if (controlId == m_controls.highPassSlider || controlId == m_controls.highPassSlope)
        return set->highPass();
    if (controlId == m_controls.lowPassSlider || controlId == m_controls.lowPassSlope)
        return set->lowPass();
    return nullptr;
}

// The table has written the record; the filter object writes it again and recomputes the curve,
// and the graph shows the crossover highlighted.
void EffectPanel::crossoverChanged(int controlId, int code) {
    CFilter* filter = crossover(controlId);
    if (filter == nullptr)
        return;
    const bool slope =
        controlId == m_controls.highPassSlope || controlId == m_controls.lowPassSlope;
    if (slope)
        filter->setSlope(code);
    else
        filter->setCrossoverFrequencyCode(code);
    CKTVEQ* set = bandSet();
    m_graph->redraw(filter == set->highPass() ? set->highPassIndex() : set->lowPassIndex(), false);
}

void EffectPanel::sliderMoved(int sliderId, int position) {
    if (const SliderRow* row = m_binder.sliderMoved(sliderId, position))
        crossoverChanged(row->sliderId, readField(m_binder.field(*row), row->shape));
}

void EffectPanel::editCommitted(int editId) {
    if (const SliderRow* row = m_binder.editCommitted(editId))
        crossoverChanged(row->sliderId, readField(m_binder.field(*row), row->shape));
}

void EffectPanel::comboChosen(int comboId, int index) {
    if (m_binder.comboChanged(comboId, index) != nullptr && index >= 0)
        crossoverChanged(comboId, index);
}

void EffectPanel::toggle(std::size_t offset, BitButton* button) {
    const FieldRef field = resolve(offset);
    const bool on = field.byte() == 0;
    field.setByte(on ? 1 : 0);
    button->setDown(on);
}

void EffectPanel::resetEqClicked() {
    resetEq(host().store(), m_target);
    m_row.clearHighlight();
    m_row.refresh();
    m_graph->selectChannel(m_target);
    m_graph->redraw(-1, false);
}

bool EffectPanel::onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) {
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
    default:
        return PageDlg::onMessage(message, wParam, lParam);
    }
}

void EffectPanel::selectBand(int index) {
    CKTVEQ* set = bandSet();
    if (set == nullptr)
        return;
    if (index >= 0 && index < set->bandCount()) {
        m_row.bandPicked(index);
    } else if (index == set->highPassIndex() || index == set->lowPassIndex()) {
        // A marker dragged on the graph: the edit and its slider show the new frequency.
        const int sliderId =
            index == set->highPassIndex() ? m_controls.highPassSlider : m_controls.lowPassSlider;
        if (const SliderRow* row = m_binder.sliderRow(sliderId))
            m_binder.refreshSlider(*row);
    }
}

void EffectPanel::refresh() {
    m_row.refresh();
    m_target = chooseTarget();
    m_bypass->setDown(resolve(echo::kEqBypass).byte() != 0);
    m_binder.refresh();
    m_wet->setDown(resolve(echo::kWetSign).byte() != 0);
    m_dry->setDown(resolve(echo::kDrySign).byte() != 0);
}

void EffectPanel::applyUiMode(int uiMode) {
    const bool full = uiMode == 1;
    for (int id : m_controls.fullModeSliders)
        if (auto* slider = control<BitmapSlider>(id))
            slider->enable(full);
    for (int id : m_controls.fullModeLabels)
        if (QWidget* label = control(id))
            label->setEnabled(full);
}

} // namespace kesmo
